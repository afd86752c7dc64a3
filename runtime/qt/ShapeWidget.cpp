#include "runtime/qt/ShapeWidget.h"

#include <QPainter>

namespace host::qt {

ShapeWidget::ShapeWidget(Shape shape, QWidget* parent) : QWidget(parent), shape_(shape) {
    setAttribute(Qt::WA_TransparentForMouseEvents, shape != Shape::Region);
    setFocusPolicy(Qt::NoFocus);
}

void ShapeWidget::setColours(int ink, int fill) {
    if (ink == ink_ && fill == fill_)
        return;
    ink_ = ink;
    fill_ = fill;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect r = rect().adjusted(0, 0, -1, -1);
    auto rgb = [](int value) {
        return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    };
    QColor ink = ink_ >= 0 ? rgb(ink_) : palette().color(QPalette::WindowText);
    if (shape_ == Shape::Box && fill_ >= 0)
        painter.fillRect(r, rgb(fill_));
    switch (shape_) {
    case Shape::Line:
        painter.setPen(ink);
        // A line runs along its longer side (a zero width or height makes it straight).
        if (width() >= height())
            painter.drawLine(r.left(), r.center().y(), r.right(), r.center().y());
        else
            painter.drawLine(r.center().x(), r.top(), r.center().x(), r.bottom());
        break;
    case Shape::Box:
        painter.setPen(ink);
        painter.drawRect(r);
        break;
    case Shape::Ellipse:
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(ink);
        painter.drawEllipse(r);
        break;
    case Shape::Panel:
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        break;
    case Shape::Region:
        break;
    }
}

} // namespace host::qt
