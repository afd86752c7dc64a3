#include "app/scenarios/TestProcedure.h"

#include "app/Globals.h"
#include "framework/data/ErrorReporter.h"
#include "framework/window/ResponseKind.h"
#include "framework/window/ToolbarButton.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/MessageBox.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <string>

namespace app {

using framework::Severity;

void TestProcedure::Run() {
    auto definition = host::WindowResources::program().load(WindowName, Module);
    if (!definition)
        return;
    {
        host::Window window(definition);
        TestProcedure procedure(window);
        GlobalResponse = procedure.Execute();
    }
    host::WindowResources::program().release(WindowName, Module);
}

TestProcedure::TestProcedure(host::Window& window)
    : ProcedureWindow("TestProcedure"), window_(window), pressed_(host::FieldType::text(4)) {}

Severity TestProcedure::Setup() {
    Severity level = BeginProcedure(0);
    if (level != Severity::Benign)
        return level;
    host::Control* close = window_.controlNamed("?Close");
    if (close) {
        FIRSTFIELD = close->number();
        RegisterButton(close->number(), framework::ResponseKind::Cancelled);
    }
    thread_.assign(host::currentThread());
    pressed_.assign("none");
    presses_.assign(0);
    window_.bind("LOC:THREAD", thread_);
    window_.bind("LOC:PRESSED", pressed_);
    window_.bind("LOC:PRESSES", presses_);
    window_.bind("LOC:ASK", ask_);
    OpenWindow(window_);
    window_.setTitle("Test Procedure (thread " + std::to_string(host::currentThread()) + ")");
    // It stands in for a list, which shows the frame's toolbar buttons as it opens.
    if (host::Window* frame = window_.frame())
        frame->enable(framework::ToolbarButton::Insert, framework::ToolbarButton::Help);
    ArmKeys();
    return Severity::Benign;
}

Severity TestProcedure::OnAccepted() {
    std::int32_t control = window_.eventControl();
    if (framework::ToolbarButton::isToolbarButton(control)) {
        pressed_.assign(control);
        presses_.assign(presses_.value().toInteger() + 1);
        window_.display();
    }
    return WindowController::OnAccepted();
}

Severity TestProcedure::OnCloseRequest() {
    if (ask_.value().toInteger() != 0 &&
        host::showMessage("Close this window?", "Test Procedure", host::MessageIcon::Question,
                          host::ButtonYes | host::ButtonNo, host::ButtonNo) != host::ButtonYes)
        return Severity::Notify;
    return WindowController::OnCloseRequest();
}

Severity TestProcedure::Teardown() {
    return EndProcedure();
}

} // namespace app
