#pragma once

#include <QHeaderView>

namespace host {
class ListFormat;
}

namespace host::qt {

// The header of a list box whose format groups columns: the group's header spans its
// columns on an upper line, and each column's own header sits below it. Columns outside
// any group use both lines. Without groups it is an ordinary one-line header.
class GroupHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GroupHeader(QWidget* parent = nullptr);

    // The format whose groups are drawn (null: none). Not owned.
    void setFormat(const ListFormat* format);
    bool hasGroups() const;

    // The height of one header line in pixels, the same as a row's, so that the header
    // and the rows share the list's height as the runtime counts it (0: from the font).
    void setLineHeight(int pixels);
    int lineHeight() const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    // 0-based group index of a section, -1 when it is in no group.
    int groupOf(int section) const;
    // A column's own header in `rect`, its text moved by the column's header indent.
    void paintColumnHeader(QPainter* painter, const QRect& rect, int logicalIndex) const;

    const ListFormat* format_ = nullptr;
    int lineHeight_ = 0;
};

} // namespace host::qt
