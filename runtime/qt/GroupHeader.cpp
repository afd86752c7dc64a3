#include "runtime/qt/GroupHeader.h"

#include "runtime/qt/ListModel.h"
#include "runtime/ui/ListFormat.h"

#include <QPainter>
#include <QStyleOptionHeader>

namespace host::qt {

GroupHeader::GroupHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void GroupHeader::setFormat(const ListFormat* format) {
    format_ = format;
    updateGeometry();
    viewport()->update();
}

bool GroupHeader::hasGroups() const {
    return format_ && !format_->groups().empty();
}

int GroupHeader::groupOf(int section) const {
    if (!format_ || section < 0 || section >= format_->columnCount())
        return -1;
    return format_->column(section + 1).group - 1;
}

QSize GroupHeader::sizeHint() const {
    QSize hint = QHeaderView::sizeHint();
    int line = fontMetrics().height() + 4;
    hint.setHeight(hasGroups() ? 2 * line : line);
    return hint;
}

void GroupHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    int group = groupOf(logicalIndex);
    if (group < 0) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The column's own header on the lower line.
    int upperHeight = rect.height() / 2;
    QRect lower(rect.left(), rect.top() + upperHeight, rect.width(), rect.height() - upperHeight);
    QHeaderView::paintSection(painter, lower, logicalIndex);

    // This section's part of the group header: the whole group's box, clipped to the
    // section, so that the group's text runs across its columns.
    const ListGroup& g = format_->groups()[static_cast<std::size_t>(group)];
    int first = g.firstColumn - 1;
    int last = g.lastColumn - 1;
    int left = sectionViewportPosition(first);
    int right = sectionViewportPosition(last) + sectionSize(last);
    QRect groupRect(left, rect.top(), right - left, upperHeight);

    painter->save();
    painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), upperHeight));
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = groupRect;
    option.section = logicalIndex;
    option.text = QString::fromStdString(g.header);
    option.textAlignment = alignmentOf(g.headerJustification);
    option.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
}

} // namespace host::qt
