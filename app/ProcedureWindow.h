#pragma once

#include "app/Globals.h"
#include "app/Main.h"
#include "framework/data/Severity.h"
#include "framework/window/ResponseKind.h"
#include "framework/window/ToolbarRouter.h"
#include "framework/window/WindowController.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <string>
#include <string_view>
#include <vector>

namespace framework {
class RelationLink;
}

namespace app {

// The window controller of one of the program's procedures, with the start and the end
// every procedure shares: the procedure tells the error reporter its name, takes its
// request from the global request, gets the global navigation request and the error
// reporter, attaches its toolbar router, and clears the global request and response for
// the procedures it calls; at the end it tells the error reporter it is left.
class ProcedureWindow : public framework::WindowController {
public:
    explicit ProcedureWindow(std::string name) : name_(std::move(name)) {}

protected:
    // The common start; `firstField` is the control that gets the focus first (0: none).
    // A level other than 0 ends the set-up.
    framework::Severity BeginProcedure(std::int32_t firstField);
    // Opens a file and its related files through the file's link; EndProcedure closes
    // them, the files opened last first.
    void OpenFiles(framework::RelationLink& link);
    // The inherited teardown, then the files opened are closed and the error reporter is
    // told the procedure is left.
    framework::Severity EndProcedure();

    framework::ToolbarRouter toolbar_;

private:
    std::string name_;
    std::vector<framework::RelationLink*> opened_;
};

// Runs a procedure on its window: the definition `windowName` is loaded from the program's
// module, a `Controller` made on the window (and on `with...`, such as the list's row
// queue) is executed, and its response becomes the global response; the controller's
// Release, when it has one, lets go of what it kept before the window goes. A definition
// that cannot be loaded answers Cancelled.
template <typename Controller, typename... With>
void RunProcedureWindow(std::string_view windowName, With&... with) {
    auto definition = host::WindowResources::program().load(windowName, WindowModule);
    if (!definition) {
        GlobalResponse = framework::ResponseKind::Cancelled;
        return;
    }
    {
        host::Window window(definition);
        Controller controller(window, with...);
        GlobalResponse = controller.Execute();
        if constexpr (requires { controller.Release(); })
            controller.Release();
    }
    host::WindowResources::program().release(windowName, WindowModule);
}

} // namespace app
