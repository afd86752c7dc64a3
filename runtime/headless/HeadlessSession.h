#pragma once

#include "runtime/headless/HeadlessDisplay.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::headless {

// A program running with no display, driven the way a user would drive it. The session
// installs its own desktop (with the headless display), a fake clock, and a halt that
// throws ProgramHalted; its destructor ends every logical thread still running and puts
// the previous desktop and clock back.
//
// Every action is done on the active window (unless a window is given) through
// UserInput, after which the session runs the logical threads until they all wait
// again, so that the program has reacted when the call returns. An action a user could
// not do (no such control, disabled, hidden) returns false.
//
// Controls are named by number, by their name in the definition ("?Insert"), or by
// their text with or without "&" ("&Insert", "Insert"); entries by the text of the prompt
// in front of them ("&Name:"); the cell editor over column N of a list being edited in
// place by the list's name and the column ("?List:4").
class HeadlessSession {
public:
    HeadlessSession();
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    Desktop& desktop() { return desktop_; }
    const Desktop& desktop() const { return desktop_; }
    HeadlessDisplay& display() { return display_; }
    const HeadlessDisplay& display() const { return display_; }
    UserInput input() { return UserInput(desktop_); }

    // Starts a procedure on a new logical thread and runs until every thread waits.
    int start(std::function<void()> procedure);
    // Runs the logical threads (and due timers) until every thread waits for the user
    // (a cooperative pause ends first).
    void run();

    // --- The fake clock (starts on 2024-03-15 at 09:00:00.00)
    void setClock(int dayNumber, int hundredths);
    // Moves the clock forward; every timer that elapses on the way fires at its time and
    // the program reacts before the clock moves on.
    void advanceClock(int hundredths);
    int clock() const { return clock_; }
    int today() const { return day_; }

    // --- What the user sees
    Window* activeWindow() const { return desktop_.activeWindow(); }
    // The open window with this title (or definition name); null when none.
    Window* window(std::string_view titleOrName) const;
    std::vector<std::string> windowTitles() const;
    // The control named by number, name, text, or prompt text (see above); null if none.
    Control* control(std::string_view which, Window* window = nullptr) const;
    Control* control(int number, Window* window = nullptr) const;
    // What a control shows: the contents of an entry, spin, combo, drop list or display,
    // the text of any other control. Empty when there is no such control.
    std::string text(std::string_view which, Window* window = nullptr) const;
    bool isEnabled(std::string_view which, Window* window = nullptr) const;
    bool isVisible(std::string_view which, Window* window = nullptr) const;
    bool isChecked(std::string_view which, Window* window = nullptr) const;
    // A list's rows as the user reads them: cell texts through the list's format.
    std::vector<std::vector<std::string>> listCells(std::string_view which,
                                                    Window* window = nullptr) const;
    // The same rendered as lines of text (column widths and justification kept).
    std::vector<std::string> listLines(std::string_view which, Window* window = nullptr) const;
    int selectedRow(std::string_view which, Window* window = nullptr) const;
    // The status bar zone (1-based) of the active window, or of its frame when the
    // window has no status bar of its own.
    std::string statusBar(int zone) const;
    // The window whose status bar the user sees (see statusBar); null when none has one.
    Window* statusWindow() const;
    // Every message box shown, with its title, text and buttons.
    std::vector<MessageBoxRequest> messagesShown() const { return display_.messagesShown(); }
    std::vector<DialogRequest*> pendingDialogs() const { return desktop_.pendingDialogs(); }

    // --- What the user does
    bool press(std::string_view which, Window* window = nullptr);
    bool press(int control, Window* window = nullptr);
    // Types into the control (entry, spin, combo or text) and finishes the entry. On a
    // list it takes the focus and presses the key of each character in turn.
    bool type(std::string_view which, std::string_view text, Window* window = nullptr);
    bool type(int control, std::string_view text, Window* window = nullptr);
    bool focus(std::string_view which, Window* window = nullptr);
    bool pressKey(int keyCode, Window* window = nullptr);
    // By name: "Ctrl+'", "Down", "Enter".
    bool pressKey(std::string_view keyName, Window* window = nullptr);
    bool clickRow(std::string_view list, int row, int column = 1, int keyCode = KeyCode::MouseLeft,
                  Window* window = nullptr);
    bool doubleClickRow(std::string_view list, int row, int column = 1, Window* window = nullptr);
    bool rightClickRow(std::string_view list, int row, int column = 1, Window* window = nullptr);
    // A click on an image at (x, y), window units from its visible top left corner.
    bool clickImage(std::string_view image, int x, int y, int keyCode = KeyCode::MouseLeft,
                    Window* window = nullptr);
    bool chooseItem(std::string_view dropList, int item, Window* window = nullptr);
    bool chooseTab(std::string_view sheet, int tab, Window* window = nullptr);
    // Chooses a menu item by its text (with or without "&", letter case ignored), or by
    // its path from the menu bar ("&Browse|&Customers"), looking in the active window and
    // then in its frame.
    bool chooseMenu(std::string_view itemText);
    // The menu item chooseMenu would choose, and the window it is in; null when none.
    Control* menuItem(std::string_view itemText, Window** window = nullptr) const;
    bool resize(int width, int height, Window* window = nullptr);
    bool closeWindow(Window* window = nullptr);
    bool activate(Window& window);

    // --- Dialogs
    // Answers given before the dialog appears (used in order).
    void answerNextMessage(unsigned button) { display_.answerNextMessage(button); }
    void answerNextPopup(int choice) { display_.answerNextPopup(choice); }
    void answerNextPopup(std::string entryText) { display_.answerNextPopup(std::move(entryText)); }
    void answerNextFileDialog(std::optional<std::string> file) {
        display_.answerNextFileDialog(std::move(file));
    }
    // Answers to the oldest pending dialog of that kind; false when none is pending.
    bool answerMessage(unsigned button);
    bool answerPopup(int choice);
    // By the text of the chosen entry; false when the popup has no such item.
    bool answerPopup(std::string_view entryText);
    bool answerFileDialog(std::optional<std::string> file);
    bool answerPrinterSetup(bool ok);

private:
    Window* target(Window* window) const { return window ? window : desktop_.activeWindow(); }
    DialogRequest* pending(DialogRequest::Kind kind) const;

    Desktop desktop_;
    HeadlessDisplay display_;
    int day_ = 0;
    int clock_ = 0;
};

} // namespace host::headless
