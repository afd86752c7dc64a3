#pragma once

#include "runtime/ui/Rect.h"

#include <QFont>
#include <QRect>
#include <QSize>

namespace host::qt {

// Window units to pixels and back. Window definitions place controls in dialog units:
// four to the average character width across and eight to the character height down,
// so a window keeps its proportions in whatever font it is shown.
class Units {
public:
    Units() = default;
    explicit Units(const QFont& font);

    int x(int units) const;
    int y(int units) const;
    QRect rect(const host::Rect& rect) const;
    QSize size(int width, int height) const { return {x(width), y(height)}; }
    // Pixels back to units (rounded to the nearest unit).
    int unitsX(int pixels) const;
    int unitsY(int pixels) const;

    double pixelsPerUnitX() const { return perX_; }
    double pixelsPerUnitY() const { return perY_; }

private:
    double perX_ = 1.5;
    double perY_ = 1.625;
};

} // namespace host::qt
