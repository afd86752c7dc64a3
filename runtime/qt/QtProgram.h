#pragma once

#include <functional>
#include <string>

namespace host::qt {

// The desktop program on Qt: makes the application object (named `name`), a desktop
// with the Qt display, runs `mainProcedure` on the program's first logical thread and
// Qt's event loop until every logical thread has ended, and returns the exit code. A
// halt shows its text in a message box titled `title` and ends the program with its code.
// When the system asks the program to end (TerminationRequests), it closes down as when
// the user closes it; asked a second time, it ends at once with 128 and the signal.
class QtProgram {
public:
    static int run(const std::string& name, const std::string& title,
                   std::function<void()> mainProcedure);
};

} // namespace host::qt
