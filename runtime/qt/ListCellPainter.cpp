#include "runtime/qt/ListCellPainter.h"

#include "runtime/qt/ListModel.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace host::qt {

void ListCellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    painter->save();
    const QPalette& palette = option.palette;
    bool selected = index.data(ListModel::SelectedRole).toBool();
    QRect cell = option.rect;
    painter->fillRect(cell, selected ? palette.highlight() : palette.base());

    QRect inner = cell.adjusted(2, 0, -2, 0);
    auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    int indent = index.data(ListModel::IndentRole).toInt();
    QString text = index.data(Qt::DisplayRole).toString();
    if (index.data(ListModel::DecimalRole).toBool()) {
        // The decimal point starts `indent` in from the right edge; the digits after it
        // run on to its right, so the points of every row line up.
        qsizetype point = text.indexOf(QLatin1Char('.'));
        int after = point < 0 ? 0 : option.fontMetrics.horizontalAdvance(text.mid(point));
        inner.setRight(std::min(inner.right() - indent + after, cell.right() - 2));
    } else if (alignment & Qt::AlignRight) {
        inner.setRight(inner.right() - indent);
    } else if (alignment & Qt::AlignHCenter) {
        inner.translate(indent, 0);
    } else {
        inner.setLeft(inner.left() + indent);
    }

    QVariant decoration = index.data(Qt::DecorationRole);
    if (decoration.canConvert<QIcon>()) {
        QIcon icon = decoration.value<QIcon>();
        int side = std::min(16, cell.height() - 2);
        QRect iconRect(inner.left(), cell.top() + (cell.height() - side) / 2, side, side);
        icon.paint(painter, iconRect);
        inner.setLeft(iconRect.right() + 3);
    }

    QVariant foreground = index.data(Qt::ForegroundRole);
    QColor textColour =
        selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    if (!selected && foreground.canConvert<QColor>())
        textColour = foreground.value<QColor>();
    painter->setPen(textColour);
    painter->setFont(option.font);
    QString shown = option.fontMetrics.elidedText(text, Qt::ElideRight, inner.width());
    painter->drawText(inner, static_cast<int>(alignment | Qt::TextSingleLine), shown);

    int lines = index.data(ListModel::LinesRole).toInt();
    if (lines) {
        painter->setPen(palette.color(QPalette::Mid));
        if (lines & 1)
            painter->drawLine(cell.topRight(), cell.bottomRight());
        if (lines & 2)
            painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    }
    painter->restore();
}

QSize ListCellPainter::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {40, option.fontMetrics.height() + 2};
}

} // namespace host::qt
