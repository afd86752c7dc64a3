#pragma once

#include "app/ProcedureWindow.h"
#include "framework/window/ToolbarRouter.h"

#include <string>
#include <string_view>

namespace host {
class Window;
}

namespace app {

// The application frame's window controller: the frame "Example EIP Application" with
// the menu bar, the toolbar shared by every child window and the status bar. It starts
// the browse procedures from the "&Browse" menu on threads of their own, passes the
// toolbar's buttons on to the active child window's thread, and keeps the date and the
// time in status-bar zones 3 and 4, refreshed on every tick of the frame's timer.
//
// Closing the frame closes the program. While child windows are open the frame first
// asks each of them to close (a close-down event) and stays open until they have
// closed; when one of them declines (the user keeps an unsaved form), the frame stays
// and the program goes on. So no procedure still runs when the program tears its shared
// objects down.
class MainFrame : public ProcedureWindow {
public:
    // 63 characters: the day names, nine characters each, Sunday first.
    static constexpr std::string_view DayNames =
        "Sunday   Monday   Tuesday  WednesdayThursday Friday   Saturday ";
    // The most hundredths of a second between two timer ticks; a frame timer outside
    // 1..MaxTimer becomes MaxTimer (one tick a second).
    static constexpr int MaxTimer = 100;
    static constexpr int DateZone = 3;
    static constexpr int TimeZone = 4;

    explicit MainFrame(host::Window& frame);

    void PumpEvents() override;
    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    framework::Severity OnAccepted() override;
    framework::Severity OnWindowEvent() override;

    // Writes today's date into zone 3 and the time into zone 4.
    void ShowDateAndTime();
    // "Friday, March 15, 2024": the day's name, ", ", and the date in the long picture
    // "@d4".
    static std::string DateText(int dayNumber);
    // "09:05:03": the time in the picture "@t4".
    static std::string TimeText(int hundredths);

    framework::ToolbarRouter& Toolbar() { return toolbar_; }

private:
    // Disables the "&Browse" items whose procedure is not there.
    void DisableMissingProcedures();
    // Closing with child windows open: asks them to close; true while the frame must
    // wait for them.
    bool WaitForChildren(host::EventKind close);
    // While waiting: closes the frame when the children have gone, stops waiting when
    // one of them declined.
    void CheckChildren();
    std::vector<host::Window*> Children() const;

    host::Window& frame_;
    bool waitingForChildren_ = false;
};

} // namespace app
