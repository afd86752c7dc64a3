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

void GroupHeader::setLineHeight(int pixels) {
    if (pixels == lineHeight_)
        return;
    lineHeight_ = pixels;
    updateGeometry();
}

int GroupHeader::lineHeight() const {
    return lineHeight_ > 0 ? lineHeight_ : fontMetrics().height() + 4;
}

QSize GroupHeader::sizeHint() const {
    QSize hint = QHeaderView::sizeHint();
    hint.setHeight(hasGroups() ? 2 * lineHeight() : lineHeight());
    return hint;
}

void GroupHeader::paintColumnHeader(QPainter* painter, const QRect& rect, int logicalIndex) const {
    int indent =
        model() ? model()->headerData(logicalIndex, Qt::Horizontal, ListModel::IndentRole).toInt()
                : 0;
    if (indent == 0) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The section's box as usual, its label moved in from the edge it is placed against
    // (to the right for a centred one).
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    if (option.textAlignment & Qt::AlignRight)
        label.setRight(label.right() - indent);
    else if (option.textAlignment & Qt::AlignHCenter)
        label.translate(indent, 0);
    else
        label.setLeft(label.left() + indent);
    option.rect = label;
    style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
}

void GroupHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    int group = groupOf(logicalIndex);
    if (group < 0) {
        paintColumnHeader(painter, rect, logicalIndex);
        return;
    }
    // The column's own header on the lower line.
    int upperHeight = rect.height() / 2;
    QRect lower(rect.left(), rect.top() + upperHeight, rect.width(), rect.height() - upperHeight);
    paintColumnHeader(painter, lower, logicalIndex);

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
