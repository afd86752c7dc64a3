#pragma once

#include <string>

namespace host {

// A font as windows and controls name it: face, size in points (0 = the default) and
// style. An empty face means "inherit" (a control takes its window's font).
struct Font {
    std::string face;
    int size = 0;
    bool bold = false;
    bool italic = false;

    bool isSet() const { return !face.empty() || size != 0 || bold || italic; }
    friend bool operator==(const Font&, const Font&) = default;
};

} // namespace host
