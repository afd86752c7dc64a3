#include "runtime/qt/Units.h"

#include <QFontMetricsF>

#include <cmath>

namespace host::qt {

Units::Units(const QFont& font) {
    QFontMetricsF metrics(font);
    // The average width of the letters, as dialog units measure it (the font's own
    // average is often that of its widest glyphs).
    double average = metrics.horizontalAdvance(
                         QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                     52.0;
    if (average > 0)
        perX_ = average / 4.0;
    if (metrics.height() > 0)
        perY_ = metrics.height() / 8.0;
}

int Units::x(int units) const {
    return static_cast<int>(std::lround(units * perX_));
}

int Units::y(int units) const {
    return static_cast<int>(std::lround(units * perY_));
}

QRect Units::rect(const host::Rect& r) const {
    return {x(r.x), y(r.y), x(r.width), y(r.height)};
}

int Units::unitsX(int pixels) const {
    return static_cast<int>(std::lround(pixels / perX_));
}

int Units::unitsY(int pixels) const {
    return static_cast<int>(std::lround(pixels / perY_));
}

} // namespace host::qt
