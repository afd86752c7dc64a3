#pragma once

#include <QWidget>

namespace host::qt {

// The drawn controls: a line, a box, an ellipse, a raised panel, or an invisible region.
class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    enum class Shape { Line, Box, Ellipse, Panel, Region };

    ShapeWidget(Shape shape, QWidget* parent = nullptr);
    // The ink and a box's fill (0xRRGGBB; -1: the window's ink, no fill).
    void setColours(int ink, int fill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape shape_;
    int ink_ = -1;
    int fill_ = -1;
};

} // namespace host::qt
