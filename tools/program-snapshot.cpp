// Starts the desktop program as `invoicing` does, waits until its frame is on the
// screen, and reports how long that took and how much memory the program holds then;
// writes a picture of the screen and closes the program through the frame's close box:
//
//     QT_QPA_PLATFORM=offscreen program-snapshot OUT.png [--data FOLDER] [--idle SECONDS]
//                                               [--children N]
//
// The settings and data go to FOLDER, or to a temporary folder removed at the end. With
// --idle, the program first runs that long with its frame shown (the clock ticking in
// the status bar) before the memory is read and the picture taken. With --children, the
// scenarios' test procedure is put behind "&Browse|&Customers" and started N times
// from the menu before the picture, so that it shows child windows in the frame.
#include "app/FrameProcedures.h"
#include "app/Program.h"
#include "app/ProgramFolder.h"
#include "app/scenarios/TestProcedure.h"
#include "runtime/base/MessageBox.h"
#include "runtime/qt/QtDisplay.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// Seconds since the process started, from the kernel's accounting (10 ms steps).
double secondsSinceProcessStart() {
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), {});
    std::size_t end = stat.rfind(')');
    if (end == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(end + 2));
    std::string field;
    unsigned long long startTicks = 0;
    // Fields from the third on; the start time is the 22nd.
    for (int n = 3; n <= 22 && fields >> field; ++n)
        if (n == 22)
            startTicks = std::stoull(field);
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    return uptime - static_cast<double>(startTicks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

template <typename Done> bool processUntil(Done done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    auto started = std::chrono::steady_clock::now();
    std::string output, data;
    int idleSeconds = 0;
    int children = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc)
            data = argv[++i];
        else if (arg == "--idle" && i + 1 < argc)
            idleSeconds = std::atoi(argv[++i]);
        else if (arg == "--children" && i + 1 < argc)
            children = std::atoi(argv[++i]);
        else
            output = arg;
    }
    if (output.empty()) {
        std::fprintf(stderr, "usage: program-snapshot OUT.png [--data FOLDER] [--idle SECONDS]\n");
        return 2;
    }
    std::string temporary;
    if (data.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "eip-snapshot-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return 2;
        data = temporary = pattern;
    }
    app::ProgramFolder folder = app::ProgramFolder::at(data);

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    host::Desktop desktop;
    desktop.install();
    host::qt::QtDisplay display(desktop);
    host::setHaltHandler([](int, std::string_view text) {
        std::fprintf(stderr, "program-snapshot: the program halted: %.*s\n",
                     static_cast<int>(text.size()), text.data());
        std::exit(1);
    });
    if (children > 0)
        app::FrameProcedures::assign("?BrowseCustomers", app::TestProcedure::Run);
    app::Program::useDriver([] { return std::make_unique<host::sqlite::SqliteDriver>(); });
    desktop.startThread([folder] { app::Program::run(folder); });
    display.requestRun();

    bool shown = processUntil(
        [&] { return display.frameWidget() && display.frameWidget()->isVisible(); }, 20000);
    auto shownAfter = std::chrono::steady_clock::now() - started;
    double sinceProcessStart = secondsSinceProcessStart();
    if (!shown) {
        std::fprintf(stderr, "program-snapshot: the frame did not show\n");
        return 1;
    }
    std::printf("frame shown %.1f ms after main started, %.0f ms after the process started\n",
                std::chrono::duration<double, std::milli>(shownAfter).count(),
                sinceProcessStart * 1000);
    std::printf("memory with the frame just shown: %ld KiB resident\n", residentKiB());

    host::Window* frame = desktop.frame();
    const host::Control* customers = frame ? frame->controlNamed("?BrowseCustomers") : nullptr;
    for (int child = 0; customers && child < children; ++child) {
        host::UserInput(desktop).press(*frame, customers->number());
        display.runNow();
    }
    processUntil([] { return false; }, 300 + idleSeconds * 1000);
    display.runNow();
    QApplication::processEvents();
    std::printf("memory after %d s idle: %ld KiB resident\n", idleSeconds, residentKiB());
    QImage screen = display.grabScreen();
    bool saved = !screen.isNull() && screen.save(QString::fromStdString(output), "PNG");
    if (!saved)
        std::fprintf(stderr, "program-snapshot: cannot write %s\n", output.c_str());

    if ((frame = desktop.frame()))
        host::UserInput(desktop).close(*frame);
    display.requestRun();
    bool ended = processUntil([&] { return desktop.scheduler().aliveCount() == 0; }, 10000);
    std::printf("program %s, %zu windows left\n", ended ? "ended" : "did not end",
                desktop.windows().size());
    host::setHaltHandler({});
    desktop.scheduler().cancelAll();
    if (!temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(temporary, ignored);
    }
    return saved && ended ? 0 : 1;
}
