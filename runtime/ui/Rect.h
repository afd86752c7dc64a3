#pragma once

namespace host {

// A rectangle in window units: left, top, width and height.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace host
