#pragma once

#include <QStyledItemDelegate>

namespace host::qt {

// Paints one list cell as the list's format describes it: the selected row highlighted
// (the runtime's selection, not Qt's), the icon before the text, the text placed by the
// column's justification and indent, and the column's lines (right edge, underline).
class ListCellPainter : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace host::qt
