#pragma once

#include "runtime/ui/DialogRequest.h"
#include "runtime/ui/Event.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

class Desktop;
class Window;
class Control;

// The one way user input reaches the program: the display backend and the headless test
// driver both call these, so the program gets the same events either way. Each call
// changes what the user sees (the model) and queues the events the action causes in
// the window's queue; the logical threads see them the next time the desktop runs them
// (Desktop::runUntilIdle). Call on the main thread while the logical threads are
// parked.
//
// Every call returns false, and does nothing, when a user could not do it: the window
// is not open, the control does not exist, is disabled or hidden, or is of a kind that
// does not take that input.
class UserInput {
public:
    explicit UserInput(Desktop& desktop) : desktop_(desktop) {}

    // A button, toolbar button, menu item, check box or radio button is clicked. A
    // button first takes the focus (the entry left gets Accepted when its text changed,
    // then the button Selected) and then gets Accepted; a menu item or toolbar button
    // gets Accepted without taking the focus; a check box toggles; a radio button sets
    // its option's value and the option gets Accepted.
    bool press(Window& window, int control);
    // The user clicks into a control: it takes the focus.
    bool focus(Window& window, int control);
    // The user types `text` into an entry, spin, combo or text control (replacing what
    // it showed). With `complete`, the user then finishes the entry (as by Tab): the
    // control gets Accepted, or Rejected when the text does not fit its picture; the
    // variable is updated. `caret` is where the caret then stands (1 before the first
    // character); 0 puts it after the text, as typing does.
    bool type(Window& window, int control, std::string_view text, bool complete = true,
              int caret = 0);
    // A key is pressed in the window. An alerted key (on the focused control or the
    // window) gives AlertKey; otherwise Tab and Shift+Tab move the focus, Enter finishes
    // the entry and presses the default button, Esc presses the cancel button, and the
    // arrow and paging keys move through a focused list (an immediate list gets scroll
    // events instead) or drop list. On a focused immediate list a key that types a
    // character (KeyCode::character: letters, digits, punctuation, Space) and Backspace
    // give AlertKey with that key code, alerted or not, so that a browse can look up
    // what the user types. Up and Down on a focused spin box spin it (see spin).
    bool pressKey(Window& window, int keyCode);
    // A click on a list row (1-based) and column (1-based, 0 = none). `keyCode` tells
    // the button: KeyCode::MouseLeft, MouseLeft2 (double click), MouseRight. An alerted
    // mouse key gives AlertKey with the row and column under the mouse recorded;
    // otherwise the row becomes the selection (NewSelection), and a double click also
    // gives Accepted.
    bool clickList(Window& window, int control, int row, int column, int keyCode);
    // A click on an image at (x, y), window units from its visible top left corner
    // (MouseX, MouseY keep the point). An alerted mouse key (on the image or the window)
    // gives AlertKey; otherwise a left click or a double click gives Accepted and a right
    // click nothing.
    bool clickImage(Window& window, int control, int x, int y, int keyCode);
    // The user moves the scroll bars of an image drawn larger than the control: ScrollX
    // and ScrollY take the positions (0..255). The program gets no event; it reads them
    // when it needs them.
    bool scrollImage(Window& window, int control, int x, int y);
    // A drop list or combo item is chosen (1-based): the control shows it, its variable
    // takes it, and it gets NewSelection then Accepted.
    bool chooseItem(Window& window, int control, int item);
    // The drop button of a drop list or combo is pressed (DroppingDown).
    bool pressDropButton(Window& window, int control);
    // The list's vertical thumb is dragged to `position` (0..100): ScrollDrag.
    bool dragThumb(Window& window, int control, int position);
    // A tab of a sheet is chosen (1-based position among the sheet's tabs). The sheet
    // takes the focus first (the entry left is accepted, as by a click elsewhere).
    bool chooseTab(Window& window, int sheet, int tab);
    // The user works a list's scroll bar or mouse wheel: an immediate list gets the
    // scroll event (ScrollUp, ScrollDown, PageUp, PageDown, ScrollTop or ScrollBottom);
    // any other list scrolls by itself and gets nothing (false).
    bool scroll(Window& window, int control, EventKind kind);
    // The up (positive `steps`) or down arrow of a spin box: its value moves by the
    // step, within its range; the control shows it, its variable takes it, and it gets
    // NewSelection. A text that does not read as a number counts from the range's low end.
    bool spin(Window& window, int control, int steps);

    // The window is resized (Sizing, whose default action gives the size and Sized),
    // moved (Moved), maximised, minimised or restored.
    bool resize(Window& window, int width, int height);
    bool move(Window& window, int x, int y);
    bool maximize(Window& window);
    bool iconize(Window& window);
    bool restore(Window& window);
    // The window's close box: CloseWindow (the default action closes the window).
    bool close(Window& window);
    // The user makes the window the active one (LoseFocus/GainFocus).
    bool activate(Window& window);
    // The application is closing down: every open window gets CloseDown.
    void closeDown();

    // Answers to pending dialogs; false when the dialog is not pending or the answer
    // does not fit it (a button the box does not show, a popup entry that does not
    // exist is still accepted as given: the program maps numbers itself).
    bool answerMessage(DialogRequest& dialog, unsigned button);
    bool answerPopup(DialogRequest& dialog, int choice);
    // A chosen file, or nullopt for Cancel.
    bool answerFileDialog(DialogRequest& dialog, std::optional<std::string> file);
    bool answerPrinterSetup(DialogRequest& dialog, bool ok);

private:
    Control* usable(Window& window, int control);
    // The focus leaves the focused control: an edited entry is accepted (or rejected).
    // False when it was rejected, which keeps the focus there.
    bool leaveFocused(Window& window);
    void moveFocus(Window& window, int control);
    bool acceptEntry(Window& window, Control& control);
    bool tab(Window& window, bool forward);
    bool listKey(Window& window, Control& list, int keyCode);

    Desktop& desktop_;
};

} // namespace host
