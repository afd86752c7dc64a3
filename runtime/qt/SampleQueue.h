#pragma once

#include "runtime/base/Queue.h"
#include "runtime/ui/ListFormat.h"

#include <cstddef>
#include <memory>

namespace host::qt {

// A queue shaped for a list format and filled with made-up rows, so that a list can
// be looked at (render-window) or measured (the list benchmark) without a program
// behind it. Each column gets a field of its picture's kind (text of the picture's
// width, a decimal, a date, a time), an icon column also its icon number (1 or 2).
class SampleQueue {
public:
    static std::unique_ptr<Queue> make(const ListFormat& format, std::size_t rows);
    // A queue of one text field (lists and drop lists without a format).
    static std::unique_ptr<Queue> makeTexts(std::size_t rows, int width = 20);
};

} // namespace host::qt
