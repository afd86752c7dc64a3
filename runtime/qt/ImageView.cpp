#include "runtime/qt/ImageView.h"

#include "runtime/ui/KeyCode.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

namespace host::qt {

namespace {

int toPosition(const QScrollBar* bar) {
    return bar->maximum() > 0 ? (bar->value() * 255 + bar->maximum() / 2) / bar->maximum() : 0;
}

void placeBar(QScrollBar* bar, int position) {
    bar->setValue((position * bar->maximum() + 127) / 255);
}

} // namespace

ImageView::ImageView(QWidget* parent) : QScrollArea(parent), label_(new QLabel) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBackgroundRole(QPalette::NoRole);
    viewport()->setAutoFillBackground(false);
    label_->setAlignment(Qt::AlignCenter);
    label_->setAttribute(Qt::WA_TranslucentBackground);
    setWidget(label_);
    setWidgetResizable(false);
    label_->installEventFilter(this);
    viewport()->installEventFilter(this);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &ImageView::reportScroll);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ImageView::reportScroll);
}

void ImageView::setPicture(const QPixmap& picture) {
    label_->setPixmap(picture);
    // A picture smaller than the control stays centred in it.
    QSize size = picture.size().expandedTo(viewport()->size());
    moving_ = true;
    label_->resize(size);
    moving_ = false;
    scrollTo(wantedAcross_, wantedDown_);
}

void ImageView::clearPicture() {
    label_->clear();
    label_->resize(viewport()->size());
}

void ImageView::setScrollBars(bool across, bool down) {
    setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(down ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void ImageView::scrollTo(int across, int down) {
    wantedAcross_ = across;
    wantedDown_ = down;
    moving_ = true;
    placeBar(horizontalScrollBar(), across);
    placeBar(verticalScrollBar(), down);
    moving_ = false;
}

int ImageView::positionAcross() const {
    return toPosition(horizontalScrollBar());
}

int ImageView::positionDown() const {
    return toPosition(verticalScrollBar());
}

void ImageView::reportScroll() {
    if (moving_)
        return;
    wantedAcross_ = positionAcross();
    wantedDown_ = positionDown();
    emit scrolledByUser(wantedAcross_, wantedDown_);
}

void ImageView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (const QPixmap picture = label_->pixmap(); !picture.isNull()) {
        moving_ = true;
        label_->resize(picture.size().expandedTo(viewport()->size()));
        moving_ = false;
    } else {
        label_->resize(viewport()->size());
    }
    scrollTo(wantedAcross_, wantedDown_);
}

bool ImageView::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == label_ || watched == viewport()) &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        int key = 0;
        if (mouse->button() == Qt::LeftButton)
            key = event->type() == QEvent::MouseButtonDblClick ? KeyCode::MouseLeft2
                                                               : KeyCode::MouseLeft;
        else if (mouse->button() == Qt::RightButton)
            key = KeyCode::MouseRight;
        if (key != 0) {
            QPoint at = mouse->position().toPoint();
            if (watched == label_)
                at = label_->mapToParent(at);
            emit clicked(at.x(), at.y(), key);
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace host::qt
