#include "runtime/qt/QtProgram.h"

#include "runtime/base/MessageBox.h"
#include "runtime/qt/QtDisplay.h"
#include "runtime/qt/TerminationRequests.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/UserInput.h"

#include <QApplication>

#include <string>

namespace host::qt {

namespace {

// Ends the logical thread that halted the program; the scheduler hands it to the main
// thread, which ends the event loop with its code.
struct ProgramHalt {
    int code;
};

} // namespace

int QtProgram::run(const std::string& name, const std::string& title,
                   std::function<void()> mainProcedure) {
    // Qt keeps argc and argv for the application's life.
    static std::string programName;
    programName = name;
    static int argc = 1;
    static char* argv[] = {programName.data(), nullptr};
    argv[0] = programName.data();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    Desktop desktop;
    desktop.install();
    QtDisplay display(desktop);
    int exitCode = 0;

    setHaltHandler([&desktop, title](int code, std::string_view text) {
        if (!text.empty())
            desktop.messageBox({title, std::string(text), MessageIcon::Hand, ButtonOk, ButtonOk});
        throw ProgramHalt{code};
    });
    QObject::connect(&display, &QtDisplay::threadsEnded, &application,
                     [] { QApplication::exit(0); });
    QObject::connect(&display, &QtDisplay::failed, &application, [&] {
        try {
            if (auto failure = display.takeFailure())
                std::rethrow_exception(failure);
        } catch (const ProgramHalt& halt) {
            exitCode = halt.code;
        } catch (...) {
            exitCode = 3;
        }
        QApplication::exit(exitCode);
    });

    // Asked to end by the system, the program closes down as when the user closes it: every
    // window gets CloseDown, and the procedures cancel what they hold unfinished. Asked
    // again, it ends at once.
    TerminationRequests termination([&](int signal, int count) {
        if (count == 1) {
            UserInput(desktop).closeDown();
            display.requestRun();
            return;
        }
        exitCode = 128 + signal;
        QApplication::exit(exitCode);
    });

    desktop.startThread(std::move(mainProcedure));
    display.requestRun();
    int loop = QApplication::exec();
    setHaltHandler({});
    desktop.scheduler().cancelAll();
    return exitCode != 0 ? exitCode : loop;
}

} // namespace host::qt
