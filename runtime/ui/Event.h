#pragma once

#include <string_view>

namespace host {

// The kinds of events a window's loop delivers. The numbers are the runtime's own;
// use the names. Events of a control carry its number; window events carry control 0.
enum class EventKind : int {
    None = 0,
    // Control events
    Accepted = 1,     // the user finished with a control: pressed a button, chose a menu
                      // item, left an entry whose text changed, ticked a check box
    Selected = 2,     // a control received the focus
    NewSelection = 3, // a list row or drop-list item was chosen; an immediate entry changed
    Rejected = 4,     // text typed into an entry does not fit its picture
    AlertKey = 5,     // an alerted key was pressed (keyCode() tells which)
    ScrollUp = 6,     // list events of an immediate list: one row up
    ScrollDown = 7,
    PageUp = 8,
    PageDown = 9,
    ScrollTop = 10,
    ScrollBottom = 11,
    ScrollDrag = 12,   // the vertical thumb was dragged (property ThumbPosition tells where)
    Locate = 13,       // the user asked a list to locate (search) a row
    DroppingDown = 14, // the drop button of a drop list or combo was pressed
    DroppedDown = 15,
    ClosedUp = 16, // a drop list closed its list again
    // Window events
    OpenWindow = 100,  // first event of a newly opened window
    CloseWindow = 101, // the user (or the program) asks to close the window; the default
                       // action closes it
    CloseDown = 102,   // the application is closing down; the default action closes
    Completed = 103,   // the accept-all pass validated every entry control
    Sizing = 104,      // the window is about to change size
    Sized = 105,       // the window changed size
    Moved = 106,
    Maximizing = 107, // about to be maximised
    Maximized = 108,
    Iconizing = 109, // about to be minimised
    Iconized = 110,
    Restoring = 111,
    Restored = 112,
    Timer = 113,     // the window's timer elapsed
    GainFocus = 114, // the window became the active window
    LoseFocus = 115, // another window became active
    // Posted events of the program's own: User + n.
    User = 1024,
};

constexpr EventKind userEvent(int n) {
    return static_cast<EventKind>(static_cast<int>(EventKind::User) + n);
}
constexpr bool isUserEvent(EventKind kind) {
    return static_cast<int>(kind) >= static_cast<int>(EventKind::User);
}
// True for events that belong to a window rather than a control.
constexpr bool isWindowEvent(EventKind kind) {
    int n = static_cast<int>(kind);
    return n >= 100 && n < 1024;
}
// The event's name ("Accepted", "OpenWindow", "User+3"), for transcripts and tests.
std::string_view eventName(EventKind kind);

// One event: its kind, its control (0 for window events) and the key code that came
// with it (0 when none).
struct Event {
    EventKind kind = EventKind::None;
    int control = 0;
    int keyCode = 0;
};

// How the program ends one cycle of a window's event loop.
enum class CycleEnd {
    Leave,         // leave the loop: the loop ends and the window is closed
    Consumed,      // the program handled the event: the runtime takes no default action
    DefaultAction, // the runtime takes its default action (close on a close event, ...)
};

} // namespace host
