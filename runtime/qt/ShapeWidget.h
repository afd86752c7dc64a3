#pragma once

#include <QWidget>

namespace host::qt {

// The drawn controls: a line, a box, an ellipse, a raised panel, or an invisible region.
class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    enum class Shape { Line, Box, Ellipse, Panel, Region };

    ShapeWidget(Shape shape, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape shape_;
};

} // namespace host::qt
