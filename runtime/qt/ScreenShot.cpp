#include "runtime/qt/ScreenShot.h"

#include "runtime/qt/QtDisplay.h"
#include "runtime/qt/WindowView.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QWidget>

namespace host::qt {

namespace {

void ensureApplication() {
    if (QApplication::instance())
        return;
    // Without a window system to talk to, draw offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "screenshot";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // kept for the rest of the process
}

} // namespace

QImage ScreenShot::take(Desktop& desktop) {
    if (desktop.windows().empty())
        return {};
    ensureApplication();
    Display* own = desktop.display();
    QImage image;
    {
        QtDisplay display(desktop);
        display.setPassive(true);
        display.synchronize(desktop);
        // The program's window is the one the user works in: active on the screen, its
        // focused control showing the focus as after a Tab.
        Window* active = desktop.activeWindow();
        if (WindowView* view = active ? display.view(*active) : nullptr) {
            QWidget* top = view->outer()->window();
            top->setAttribute(Qt::WA_KeyboardFocusChange);
            top->activateWindow();
        }
        // Let the widgets lay themselves out before they are drawn.
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        display.synchronize(desktop);
        QApplication::processEvents();
        image = display.grabScreen();
    }
    desktop.setDisplay(own);
    QApplication::processEvents();
    return image;
}

bool ScreenShot::save(Desktop& desktop, const QString& path) {
    QImage image = take(desktop);
    return !image.isNull() && image.save(path, "PNG");
}

} // namespace host::qt
