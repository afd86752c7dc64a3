#pragma once

#include "app/ProcedureWindow.h"
#include "framework/window/ToolbarRouter.h"
#include "runtime/base/TypedRef.h"

namespace host {
class Window;
}

namespace app {

// A small procedure for scenarios, started from the frame's "&Browse" menu in place of a
// browse (FrameProcedures::assign). It follows the conventions of every procedure (its
// name to the error reporter, the request from GlobalRequest, its own toolbar router,
// the response to GlobalResponse), titles its window "Test Procedure (thread N)" after
// the logical thread it runs on, and shows the last toolbar button that reached it and
// how many did. With "Ask before closing" ticked it asks "Close this window?" before it
// closes, so that the user can decline.
class TestProcedure : public ProcedureWindow {
public:
    static constexpr const char* Module = "eip$scenarios";
    static constexpr const char* WindowName = "P90$TESTWINDOW";

    // The procedure: loads its window, runs it, hands the response back.
    static void Run();

    explicit TestProcedure(host::Window& window);

    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    framework::Severity OnAccepted() override;
    framework::Severity OnCloseRequest() override;

private:
    host::Window& window_;
    host::Variable thread_;
    host::Variable pressed_;
    host::Variable presses_;
    host::Variable ask_;
};

} // namespace app
