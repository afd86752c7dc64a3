#pragma once

#include <functional>

namespace host::qt {

// The desktop program on Qt: makes the application object, a desktop with the Qt
// display, runs `mainProcedure` on the program's first logical thread and Qt's event
// loop until every logical thread has ended, and returns the exit code. A halt shows
// its text in a message box and ends the program with its code.
class QtProgram {
public:
    static int run(std::function<void()> mainProcedure);
};

} // namespace host::qt
