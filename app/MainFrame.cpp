#include "app/MainFrame.h"

#include "app/FrameProcedures.h"
#include "app/Globals.h"
#include "framework/data/ErrorReporter.h"
#include "framework/window/ToolbarButton.h"
#include "runtime/base/Clock.h"
#include "runtime/pictures/Picture.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace app {

using framework::Severity;
using host::EventKind;

namespace {
// The menu items that start a procedure on a thread of its own, by their names in the
// frame's window definition: the "&Browse" items and the shop's settings.
constexpr std::string_view browseItems[] = {"?BrowseItems", "?BrowseCustomers", "?BrowseInvoices",
                                            "?ShopSettings"};
} // namespace

MainFrame::MainFrame(host::Window& frame) : ProcedureWindow("Main"), frame_(frame) {}

std::string MainFrame::DateText(int dayNumber) {
    int index = dayNumber % 7;
    if (index < 0)
        index += 7;
    std::string name = host::clip(DayNames.substr(static_cast<std::size_t>(index) * 9, 9));
    return name + ", " + host::formatPicture(dayNumber, "@d4");
}

std::string MainFrame::TimeText(int hundredths) {
    return host::formatPicture(hundredths, "@t4");
}

void MainFrame::ShowDateAndTime() {
    frame_.setStatusText(DateZone, DateText(host::today()));
    frame_.setStatusText(TimeZone, TimeText(host::clockNow()));
}

Severity MainFrame::Setup() {
    Severity level = BeginProcedure(1);
    if (level != Severity::Benign)
        return level;
    OpenWindow(frame_);
    DisableMissingProcedures();
    ArmKeys();
    return Severity::Benign;
}

void MainFrame::DisableMissingProcedures() {
    for (std::string_view item : browseItems)
        if (host::Control* control = frame_.controlNamed(item);
            control && !FrameProcedures::find(item))
            frame_.disable(control->number());
}

void MainFrame::PumpEvents() {
    int interval = frame_.timer();
    if (interval < 1 || interval > MaxTimer)
        frame_.setTimer(MaxTimer);
    ShowDateAndTime();
    WindowController::PumpEvents();
}

Severity MainFrame::OnWindowEvent() {
    Severity level = WindowController::OnWindowEvent();
    EventKind event = frame_.currentEvent();
    if (event == EventKind::Timer)
        ShowDateAndTime();
    if ((event == EventKind::CloseWindow || event == EventKind::CloseDown) &&
        level == Severity::Benign && WaitForChildren(event))
        return Severity::Notify;
    if (waitingForChildren_)
        CheckChildren();
    return level;
}

Severity MainFrame::OnAccepted() {
    std::int32_t control = frame_.eventControl();
    if (framework::ToolbarButton::isToolbarButton(control)) {
        // The child's own toolbar router acts on it, on the child's thread.
        if (host::Window* child = host::desktop().activeChild())
            host::postEvent(EventKind::Accepted, control, child->thread());
        return Severity::Notify;
    }
    for (std::string_view item : browseItems) {
        const host::Control* menuItem = frame_.controlNamed(item);
        if (menuItem && menuItem->number() == control)
            if (FrameProcedures::Procedure procedure = FrameProcedures::find(item))
                FrameProcedures::start(std::move(procedure));
    }
    return WindowController::OnAccepted();
}

Severity MainFrame::Teardown() {
    return EndProcedure();
}

std::vector<host::Window*> MainFrame::Children() const {
    std::vector<host::Window*> children;
    for (host::Window* window : frame_.desktop().windows())
        if (window != &frame_)
            children.push_back(window);
    return children;
}

bool MainFrame::WaitForChildren(EventKind close) {
    std::vector<host::Window*> children = Children();
    if (children.empty()) {
        waitingForChildren_ = false;
        return false;
    }
    // A close-down reached every window already; a close of the frame alone is passed
    // on to the children as a close-down.
    if (close == EventKind::CloseWindow)
        for (host::Window* child : children)
            child->post(EventKind::CloseDown);
    waitingForChildren_ = true;
    return true;
}

void MainFrame::CheckChildren() {
    std::vector<host::Window*> children = Children();
    if (children.empty()) {
        waitingForChildren_ = false;
        frame_.post(EventKind::CloseWindow);
        return;
    }
    // A child that has taken its close-down and asks nothing more has declined it.
    std::vector<host::DialogRequest*> dialogs = frame_.desktop().pendingDialogs();
    bool deciding = std::any_of(children.begin(), children.end(), [&](host::Window* child) {
        return child->pendingEvents() > 0 ||
               std::any_of(dialogs.begin(), dialogs.end(), [&](host::DialogRequest* dialog) {
                   return dialog->thread == child->thread();
               });
    });
    if (!deciding)
        waitingForChildren_ = false;
}

} // namespace app
