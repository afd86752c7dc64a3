#include "app/Main.h"

#include "app/Globals.h"
#include "app/MainFrame.h"
#include "runtime/base/MessageBox.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

namespace app {

namespace {
constexpr const char* frameWindow = "P1$APPFRAME";
} // namespace

void Main() {
    auto definition = host::WindowResources::program().load(frameWindow, WindowModule);
    if (!definition) {
        // The frame is built into the program; without it there is nothing to run.
        host::halt(0, "The application frame P1$APPFRAME is missing from the program.");
        return;
    }
    {
        host::Window window(definition);
        MainFrame frame(window);
        GlobalResponse = frame.Execute();
    }
    host::WindowResources::program().release(frameWindow, WindowModule);
}

} // namespace app
