#pragma once

#include "runtime/qt/Units.h"
#include "runtime/ui/Event.h"

#include <QTableView>

class QScrollBar;

namespace host {
class Control;
} // namespace host

namespace host::qt {

class GroupHeader;
class ListModel;

// A list box: the rows of a ListModel under a (grouped) header, in fixed-height rows so
// that only the visible rows are ever formatted. The view does not select rows itself:
// clicks are reported (row, column, mouse key) and the runtime decides; the runtime's
// selected row is what is highlighted. An immediate list (one that pages through a file
// by itself) gets its own scroll bar, whose moves are reported as scroll events and
// thumb drags instead of scrolling the rows; its thumb shows the program's position.
//
// The rows are as high as fits the runtime's count: a list with a rectangle shows
// exactly Control::itemsVisible() whole rows under its header lines, each row (and
// header line) an equal share of the list's inner height, so the program's page and the
// rows on the screen agree whatever the font. The list ends with its last whole row (a
// few pixels above its rectangle's bottom, at most one a line).
class ListView : public QTableView {
    Q_OBJECT
public:
    ListView(const Control& control, Units units, QWidget* parent = nullptr);
    ~ListView() override;

    ListModel& listModel() const { return *model_; }
    GroupHeader& groupHeader() const { return *header_; }

    // Brings the view in line with the control: columns, widths, scroll bars, rows and
    // the selected row (scrolled into view when it changed).
    void synchronize(const Control& control);
    // Lays the view and its own scroll bar out in `rect` (pixels of the window).
    void place(const QRect& rect);
    void setVisibleTo(bool visible);
    // Row height in pixels: fitted to the list's height once placed (see above), else
    // ten window units.
    int rowHeight() const;
    // The whole rows that fit under the header.
    int rowsShown() const;
    // The immediate list's own scroll bar (hidden unless the program switches it on).
    QScrollBar* pager() const;
    // The pixel rectangle of a cell (1-based row and column) in the parent's coordinates;
    // empty when the row is not shown.
    QRect cellRect(int row, int column) const;
    // The 1-based row and column under a point of the viewport (0 when none).
    int rowAt(const QPoint& point) const;
    int columnAt(const QPoint& point) const;

signals:
    void rowClicked(int row, int column, int keyCode);
    void scrolled(host::EventKind kind);
    void thumbDragged(int position);
    // The cells moved on the screen (the list scrolled or was laid out again).
    void cellsMoved();

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyColumns(const Control& control);
    void scrollBarAction(int action);
    // Shares the placed height among the header lines and the rows; the list's height
    // in pixels (whole rows).
    int fitRows();
    int nominalRowHeight() const;

    Units units_;
    ListModel* model_;
    GroupHeader* header_;
    QScrollBar* pager_; // the immediate list's own scroll bar
    bool immediate_ = false;
    bool showPager_ = false;
    bool hscroll_ = false;
    int fitItems_ = 0; // rows to fit in the height (0: the list has no height of its own)
    int headerLines_ = 0;
    int rowHeight_ = 0;
    int wheelRest_ = 0; // wheel movement short of a whole step
    int lastSelected_ = -1;
    std::string lastFormat_;
    QRect placed_;
};

} // namespace host::qt
