#include "runtime/qt/ListView.h"

#include "runtime/qt/GroupHeader.h"
#include "runtime/qt/ListCellPainter.h"
#include "runtime/qt/ListModel.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Event.h"
#include "runtime/ui/KeyCode.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <functional>
#include <utility>

namespace host::qt {

namespace {
// Rows are as high as the runtime's list rows: ten window units.
constexpr int rowUnits = 10;

// The immediate list's scroll bar: the mouse wheel over it pages the program's rows as
// over the list, instead of moving the thumb.
class Pager : public QScrollBar {
public:
    Pager(QWidget* parent, std::function<void(QWheelEvent*)> wheel)
        : QScrollBar(Qt::Vertical, parent), wheel_(std::move(wheel)) {}

protected:
    void wheelEvent(QWheelEvent* event) override { wheel_(event); }

private:
    std::function<void(QWheelEvent*)> wheel_;
};
} // namespace

ListView::ListView(const Control& control, Units units, QWidget* parent)
    : QTableView(parent), units_(units) {
    model_ = new ListModel(control, units, this);
    header_ = new GroupHeader(this);
    setHorizontalHeader(header_);
    setModel(model_);
    setItemDelegate(new ListCellPainter(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::TabFocus);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight());
    header_->setMinimumSectionSize(1);
    header_->setStretchLastSection(true);
    setMouseTracking(false);

    pager_ = new Pager(parent, [this](QWheelEvent* event) { wheelEvent(event); });
    pager_->setRange(0, 100);
    pager_->setPageStep(10);
    pager_->setFocusPolicy(Qt::NoFocus);
    pager_->hide();
    connect(pager_, &QScrollBar::actionTriggered, this, &ListView::scrollBarAction);
    connect(pager_, &QScrollBar::sliderReleased, this,
            [this] { emit thumbDragged(pager_->sliderPosition()); });
    // The program pages an immediate list: its queue is the page, so the rows never
    // scroll inside the view, whatever asks Qt to.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (immediate_ && value != 0)
            verticalScrollBar()->setValue(0);
    });
    synchronize(control);
}

ListView::~ListView() {
    delete pager_;
}

int ListView::nominalRowHeight() const {
    return std::max(units_.y(rowUnits), fontMetrics().height() + 2);
}

int ListView::rowHeight() const {
    return rowHeight_ > 0 ? rowHeight_ : nominalRowHeight();
}

int ListView::rowsShown() const {
    int below = viewport()->height();
    return below > 0 ? below / rowHeight() : 0;
}

QScrollBar* ListView::pager() const {
    return pager_;
}

int ListView::fitRows() {
    int row = nominalRowHeight();
    int height = placed_.height();
    if (fitItems_ > 0 && !placed_.isNull()) {
        int chrome = 2 * frameWidth() + (hscroll_ ? horizontalScrollBar()->sizeHint().height() : 0);
        int lines = fitItems_ + headerLines_;
        // Never so low that the text is cut, nor so high that a list told to show a few
        // rows in a tall box looks odd; within that the rows fill the box. What is left
        // over (less than one pixel a line) is taken off the bottom, so that the rows end
        // with the list and no part of a further row shows.
        row = std::clamp((placed_.height() - chrome) / lines, fontMetrics().height() + 2, 2 * row);
        height = std::min(placed_.height(), chrome + lines * row);
    }
    rowHeight_ = row;
    header_->setLineHeight(row);
    verticalHeader()->setDefaultSectionSize(row);
    return height;
}

void ListView::applyColumns(const Control& control) {
    const ListFormat* format = control.format();
    header_->setFormat(format);
    header_->setVisible(format && format->columnCount() > 0);
    if (!format)
        return;
    for (int i = 0; i < format->columnCount(); ++i) {
        const ListColumn& column = format->column(i + 1);
        bool resizable = column.resizable || control.flags().resizableColumns;
        header_->setSectionResizeMode(i, resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
        header_->resizeSection(i, units_.x(column.width));
    }
}

void ListView::synchronize(const Control& control) {
    if (&model_->control() != &control)
        model_->setControl(control);
    else
        model_->refresh();
    if (control.formatText() != lastFormat_ || header_->count() != model_->columnCount()) {
        lastFormat_ = control.formatText();
        applyColumns(control);
    }
    immediate_ = control.flags().immediate;
    showPager_ = immediate_ && control.hasVScroll();
    hscroll_ = control.flags().hscroll;
    const ListFormat* format = control.format();
    headerLines_ = format ? format->headerLines() : 0;
    fitItems_ = control.rect().height > 0 ? control.itemsVisible() : 0;
    setVerticalScrollBarPolicy(!immediate_ && control.hasVScroll() ? Qt::ScrollBarAsNeeded
                                                                   : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(control.flags().hscroll ? Qt::ScrollBarAsNeeded
                                                         : Qt::ScrollBarAlwaysOff);
    if (showPager_ && !pager_->isSliderDown()) {
        // The program's thumb; never while the user holds it (it would jump under the
        // mouse), and never reported back as a drag.
        QSignalBlocker block(pager_);
        pager_->setValue(control.thumbPosition());
    }
    place(placed_);
    int selected = control.selectedRow();
    if (immediate_) {
        // The program pages an immediate list itself: its rows are the page shown.
        verticalScrollBar()->setValue(0);
    } else if (selected != lastSelected_ && !placed_.isNull()) {
        lastSelected_ = selected;
        if (selected >= 1 && selected <= model_->rowCount())
            scrollTo(model_->index(selected - 1, 0), QAbstractItemView::EnsureVisible);
    }
    viewport()->update();
}

void ListView::place(const QRect& rect) {
    placed_ = rect;
    int height = fitRows();
    if (rect.isNull())
        return;
    int barWidth = showPager_ ? pager_->sizeHint().width() : 0;
    setGeometry(rect.x(), rect.y(), std::max(rect.width() - barWidth, 1), height);
    if (showPager_) {
        pager_->setGeometry(rect.right() - barWidth + 1, rect.y(), barWidth, height);
        pager_->setVisible(isVisibleTo(parentWidget()));
        pager_->raise();
    } else {
        pager_->hide();
    }
}

void ListView::setVisibleTo(bool visible) {
    setVisible(visible);
    pager_->setVisible(visible && showPager_);
}

QRect ListView::cellRect(int row, int column) const {
    if (row < 1 || row > model_->rowCount() || column < 1 || column > model_->columnCount())
        return {};
    QRect rect = visualRect(model_->index(row - 1, column - 1));
    if (!rect.isValid() || !viewport()->rect().intersects(rect))
        return {};
    QPoint topLeft = viewport()->mapTo(parentWidget(), rect.topLeft());
    return {topLeft, rect.size()};
}

int ListView::rowAt(const QPoint& point) const {
    int row = QTableView::rowAt(point.y());
    return row < 0 ? 0 : row + 1;
}

int ListView::columnAt(const QPoint& point) const {
    int column = QTableView::columnAt(point.x());
    if (column < 0 && model_->columnCount() > 0 && point.x() >= 0)
        column = model_->columnCount() - 1; // the last column reaches the right edge
    return column < 0 ? 0 : column + 1;
}

void ListView::updateGeometries() {
    QTableView::updateGeometries();
    emit cellsMoved();
}

void ListView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    emit cellsMoved();
}

void ListView::mousePressEvent(QMouseEvent* event) {
    int key = event->button() == Qt::RightButton    ? KeyCode::MouseRight
              : event->button() == Qt::MiddleButton ? KeyCode::MouseCenter
                                                    : KeyCode::MouseLeft;
    QPoint at = event->position().toPoint();
    // A click below the last row still tells the column; the row is 0 then.
    emit rowClicked(rowAt(at), columnAt(at), key);
    event->accept();
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    int key = event->button() == Qt::RightButton ? KeyCode::MouseRight2 : KeyCode::MouseLeft2;
    QPoint at = event->position().toPoint();
    emit rowClicked(rowAt(at), columnAt(at), key);
    event->accept();
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void ListView::wheelEvent(QWheelEvent* event) {
    if (!immediate_) {
        QTableView::wheelEvent(event);
        return;
    }
    // A wheel step is 120; finer wheels and touch pads send parts of one, which add up.
    wheelRest_ += event->angleDelta().y();
    int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    for (int i = 0; i < std::abs(notches); ++i)
        emit scrolled(notches > 0 ? EventKind::ScrollUp : EventKind::ScrollDown);
    event->accept();
}

void ListView::keyPressEvent(QKeyEvent* event) {
    // Keys reach the runtime through the window; the view moves nothing by itself.
    event->ignore();
}

void ListView::scrollBarAction(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        emit scrolled(EventKind::ScrollDown);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        emit scrolled(EventKind::ScrollUp);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        emit scrolled(EventKind::PageDown);
        break;
    case QAbstractSlider::SliderPageStepSub:
        emit scrolled(EventKind::PageUp);
        break;
    case QAbstractSlider::SliderToMinimum:
        emit scrolled(EventKind::ScrollTop);
        break;
    case QAbstractSlider::SliderToMaximum:
        emit scrolled(EventKind::ScrollBottom);
        break;
    default:
        return;
    }
    // The thumb stays where the program put it until the program moves it.
    pager_->setSliderPosition(pager_->value());
}

} // namespace host::qt
