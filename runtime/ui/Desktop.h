#pragma once

#include "runtime/base/ThreadEndSubscription.h"
#include "runtime/threads/Scheduler.h"
#include "runtime/ui/DialogRequest.h"
#include "runtime/ui/Event.h"

#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace host {

class Display;
class Window;

// The running program's desktop: its logical threads, every open window (and which is
// active), the dialogs threads wait on, the busy cursor, and the link to the display
// backend. There is one current desktop (Desktop::current()); the program and the
// headless test session each install theirs.
//
// While installed, the desktop also serves host::showMessage: message boxes become
// dialog requests that the backend (or a test) answers.
class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The installed desktop (a default one when none is installed).
    static Desktop& current();
    // Makes this the current desktop and the message-box service. Uninstalled by the
    // destructor.
    void install();

    Scheduler& scheduler() { return scheduler_; }
    Display* display() const { return display_; }
    void setDisplay(Display* display) { display_ = display; }

    // --- Threads
    // Starts a procedure on a new logical thread (see Scheduler::start).
    int startThread(std::function<void()> procedure, std::size_t stackSizeHint = 0);
    // Posts an event to the window that `thread` has on top (its most recently opened
    // window still open). False when the thread has no open window.
    bool post(int thread, EventKind kind, int control = 0);
    // The current thread's key code: the key of the last key or mouse event it received
    // (settable by the program; each thread has its own, dropped when the thread ends).
    int keyCode() const;
    void setKeyCode(int keyCode);

    // --- Windows
    // Open windows in the order they opened.
    const std::vector<Window*>& windows() const { return windows_; }
    Window* window(int id) const;
    Window* windowNamed(const std::string& name) const;
    // The window the user works in: the active MDI child when there is one, else the
    // last activated window. Null when none is open.
    Window* activeWindow() const;
    // The application frame, when one is open.
    Window* frame() const;
    // The active MDI child of the frame, or null.
    Window* activeChild() const;
    // The window on top of a thread: its most recently opened window still open.
    Window* topWindowOf(int thread) const;
    // Makes a window the active one: the window that was active gets LoseFocus and this
    // one GainFocus.
    void activate(Window& window);

    // --- Dialogs (called on a logical thread; each waits for the user's answer)
    unsigned messageBox(const MessageBoxRequest& request);
    // Shows a popup menu and returns the number of the chosen selectable entry (0 =
    // none). The text uses the popup-menu syntax: "|" separates entries, "{" and "}"
    // open and close a submenu, "-" is a separator, "~" disables, "+"/"-" check.
    int popupMenu(const std::string& menuText, int x = -1, int y = -1);
    // The file dialog: true when the user chose a file (then in request.fileName).
    bool fileDialog(FileDialogRequest& request);
    bool printerSetup();
    // Dialogs waiting for an answer, oldest first. A dialog whose thread is ended while
    // it waits is no longer pending.
    std::vector<DialogRequest*> pendingDialogs() const;
    DialogRequest* dialog(int id) const;

    // --- Cursor and sound
    void setBusy(bool busy);
    bool isBusy() const { return busy_; }
    void beep();
    int beeps() const { return beeps_; }

    // --- Running (on the main thread)
    // Queues a Timer event for every window whose timer elapsed on the runtime's clock.
    void fireDueTimers();
    // Runs the logical threads (and due timers, each at most once) until none can go on,
    // then lets the display synchronize. A logical thread in a cooperative pause
    // (CooperativeWait) cannot go on until its time has come: the caller runs again then. Returns
    // the number of thread switches. An exception that ended a logical thread (the headless
    // ProgramHalted) is rethrown here.
    std::size_t runUntilIdle();

    // Grows on every change of the model that a display shows.
    unsigned revision() const { return revision_; }
    unsigned touch() { return ++revision_; }

private:
    friend class Window;
    friend class UserInput;
    class MessageService;

    void opened(Window& window);
    void closed(Window& window);
    int nextWindowId() { return ++lastWindowId_; }
    DialogRequest& raise(DialogRequest request);
    void finish(DialogRequest& request);

    Scheduler scheduler_;
    ThreadEndSubscription threadEnded_; // drops an ended thread's key code
    Display* display_ = nullptr;
    std::vector<Window*> windows_;
    std::vector<Window*> activation_; // least recently activated first
    std::map<int, int> keyCodes_;     // per thread
    std::list<DialogRequest> dialogs_;
    int lastDialogId_ = 0;
    int lastWindowId_ = 0;
    bool busy_ = false;
    int beeps_ = 0;
    unsigned revision_ = 1;
    bool installed_ = false;
    Desktop* previous_ = nullptr;
    std::unique_ptr<MessageService> messageService_;
};

// Shorthands for programs: they act on the current desktop.
inline Desktop& desktop() {
    return Desktop::current();
}
inline int startThread(std::function<void()> procedure, std::size_t stackSizeHint = 0) {
    return desktop().startThread(std::move(procedure), stackSizeHint);
}
inline bool postEvent(EventKind kind, int control, int thread) {
    return desktop().post(thread, kind, control);
}
inline int keyCode() {
    return desktop().keyCode();
}
inline void setKeyCode(int code) {
    desktop().setKeyCode(code);
}
inline int popupMenu(const std::string& text, int x = -1, int y = -1) {
    return desktop().popupMenu(text, x, y);
}
inline bool fileDialog(FileDialogRequest& request) {
    return desktop().fileDialog(request);
}
inline bool printerSetup() {
    return desktop().printerSetup();
}
inline void setBusyCursor(bool busy) {
    desktop().setBusy(busy);
}
inline void beep() {
    desktop().beep();
}

} // namespace host
