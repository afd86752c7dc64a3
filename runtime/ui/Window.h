#pragma once

#include "runtime/ui/Control.h"
#include "runtime/ui/Event.h"
#include "runtime/ui/Property.h"
#include "runtime/ui/WindowDefinition.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class Desktop;
class Queue;

// An open window: the controls of a window definition with their state, the window's
// event queue and its event loop. A procedure creates its Window from a loaded
// definition, binds the variables and queues its controls name, opens it, runs the loop
// and closes it (the destructor closes a window still open):
//
//     host::Window window(definition);
//     window.bind("CUS:NAME", customerName);
//     window.bind("Queue:Browse", browseQueue);
//     window.open();
//     while (window.nextEvent()) {
//         ... act on window.event() ...
//         window.endCycle(host::CycleEnd::DefaultAction);
//     }
//
// The window belongs to the logical thread that opened it, and only that thread runs
// its loop. Waiting for the next event parks the thread so that others run. Input from
// the user arrives through UserInput (the display backend and the headless test driver
// both use it) and becomes events in the window's queue.
class Window {
public:
    explicit Window(std::shared_ptr<const WindowDefinition> definition, Desktop* desktop = nullptr);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const WindowDefinition& definition() const { return *definition_; }
    const std::string& name() const { return definition_->name; }
    // A number that identifies the window while the program runs (never reused).
    int id() const { return id_; }
    // The logical thread that opened the window (0 before it is opened).
    int thread() const { return thread_; }
    Desktop& desktop() const { return *desktop_; }
    unsigned revision() const { return revision_; }

    // --- Opening and closing
    // Binds a control's variable by the name its definition gives in `use`, or a list's
    // or drop list's queue by the name in `from`. Binding after opening rebinds and
    // redisplays. Returns false when no control names it.
    bool bind(std::string_view name, TypedRef variable);
    bool bind(std::string_view name, Queue& queue);
    // Binds a control directly (the cell editors' controls created at run time).
    bool setUse(int control, TypedRef variable);
    bool setQueue(int control, Queue* queue);
    // Opens the window on the current logical thread: it joins the desktop (inside the
    // frame when it is an MDI child), becomes the active window, displays every bound
    // variable and queues its opening events: OpenWindow, then Selected for the first
    // control that can take the focus. Opening an open window does nothing.
    void open();
    // Closes the window: the loop ends, pending events are dropped, the desktop forgets
    // it and the window that was active before it becomes active again.
    void close();
    bool isOpen() const { return open_; }

    // --- The event loop
    // Waits for the next event (parking the thread; other threads run meanwhile) and
    // makes it the current event. Returns false when the loop has ended: the window was
    // closed, or the last cycle ended with CycleEnd::Leave. Outside a logical thread it
    // cannot wait and returns false when no event is pending.
    bool nextEvent();
    // Ends the cycle of the current event. DefaultAction lets the runtime act (a close
    // event closes the window, a standard menu item does its job); Consumed stops that;
    // Leave ends the loop and closes the window. A cycle not ended explicitly ends with
    // DefaultAction when the next event is asked for.
    void endCycle(CycleEnd end);
    const Event& event() const { return current_; }
    EventKind currentEvent() const { return current_.kind; }
    // The control of the current event (0 for window events).
    int eventControl() const { return current_.control; }
    // The control last accepted (the control of the last Accepted event).
    int acceptedControl() const { return accepted_; }
    // Events waiting in the queue (posted, or from user input).
    std::size_t pendingEvents() const { return queue_.size(); }

    // Posts an event to this window (control 0: a window event). It is delivered after
    // the events already waiting.
    void post(EventKind kind, int control = 0);
    // Presses a key for the window as if the user had (UserInput::pressKey).
    void pressKey(int keyCode);

    // Event handlers: `handler` runs on the window's thread each time an event of `kind`
    // for `control` (0: a window event) is taken from the queue, before the loop sees
    // it. The window resizer lays the controls out this way on every Sized event.
    // Returns an id for unregistering (never 0).
    int registerHandler(EventKind kind, std::function<void()> handler, int control = 0);
    void unregisterHandler(int id);

    // --- Focus and validation
    int focus() const { return focus_; }
    // Gives the control the focus and queues its Selected event. For a list, `row`
    // (when not 0) also selects that row. select(0) starts the accept-all pass.
    void select(int control, int row = 0);
    // The accept-all pass: every enabled, visible entry control in order is updated from
    // what it shows and validated (required controls must not be blank; the text must
    // fit the picture). Each that passes gets an Accepted event; when all have passed
    // the window gets Completed. The first that fails gets the focus (Selected) and the
    // pass stops; so does a program that selects a control while handling the pass.
    void selectAll();
    bool isAcceptAllInProgress() const { return acceptAll_; }

    // --- Variables and controls
    // Copies variables into their controls (0 = every control).
    void display(int control = 0);
    // Copies what controls show into their variables (0 = every control). False when a
    // text did not fit its control's picture (that variable keeps its value).
    bool update(int control = 0);
    // Enable, disable, hide or show one control or a range of them (first..last).
    void enable(int first, int last = 0);
    void disable(int first, int last = 0);
    void hide(int first, int last = 0);
    void show(int first, int last = 0);
    // Visible: neither the control nor any control it sits in is hidden.
    bool isVisible(int control) const;
    bool isEnabled(int control) const;

    Control* control(int number);
    const Control* control(int number) const;
    Control* controlNamed(std::string_view name);
    // The first control whose text is `text` (letter case and "&" ignored), of any kind
    // when `kind` is not given.
    Control* controlWithText(std::string_view text, std::optional<ControlKind> kind = std::nullopt);
    // Every control in definition order (controls created at run time at the end).
    std::vector<Control*> controls();
    std::vector<const Control*> controls() const;
    // Creates a control at run time and returns its number (`number` 0: the next free
    // number from 1000 on). Returns 0 when the number is taken.
    int createControl(ControlKind kind, int number = 0, int parent = 0);
    bool destroyControl(int number);

    // Alert keys: arms `keyCode` on a control (0 = the window) at the first free
    // position (or at `position` 1..255); alerted keys arrive as AlertKey events instead
    // of doing what the key normally does.
    void alert(int control, int keyCode, int position = 0);
    void clearAlert(int control, int keyCode);
    bool isAlerted(int control, int keyCode) const;

    // --- Properties (control 0 = the window)
    Value property(int control, Property property, int index = 0) const;
    // False when the control does not exist or the property cannot be set.
    bool setProperty(int control, Property property, const Value& value, int index = 0);

    // --- Window attributes
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const Rect& rect() const { return rect_; }
    bool isMaximized() const { return maximized_; }
    bool isIconized() const { return iconized_; }
    // Hidden by the program (its Hidden property): open, but not shown on the screen.
    bool isHidden() const { return hidden_; }
    // Timer interval in hundredths of a second (0 = none); a Timer event is queued each
    // time it elapses on the runtime's clock.
    int timer() const { return timerInterval_; }
    void setTimer(int hundredths);
    // When the timer last elapsed (or was set), on the runtime's clock.
    int timerLastElapsed() const { return timerLast_; }
    // Status bar zones, 1-based. Zone 1 shows the status text of the focused control
    // unless the program writes it.
    int statusZoneCount() const { return static_cast<int>(statusTexts_.size()); }
    std::string statusText(int zone) const;
    void setStatusText(int zone, std::string text);
    std::vector<int> statusZoneWidths() const { return definition_->statusZones; }
    // The frame this MDI child opened in, or null.
    Window* frame() const { return frame_; }

private:
    friend class Desktop;
    friend class UserInput;

    void touch();
    void touch(Control& control);
    void enqueue(const Event& event);
    void applyDefaultAction(const Event& event);
    bool nextAcceptAllEvent();
    bool validate(Control& control);
    void setStatusFromFocus();
    void actForOwnThread() const;
    void displayControl(Control& control);
    bool updateControl(Control& control);
    void setFlag(int first, int last, bool ControlFlags::*flag, bool value);
    bool canTakeFocus(const Control& control) const;
    int firstFocusable() const;
    void fireTimerIfDue(int now);

    std::shared_ptr<const WindowDefinition> definition_;
    Desktop* desktop_;
    int id_;
    int thread_ = 0;
    unsigned revision_ = 0;
    bool open_ = false;
    bool leaving_ = false;
    bool cycleOpen_ = false;
    std::vector<std::unique_ptr<Control>> controls_;
    std::deque<Event> queue_;
    Event current_;
    int accepted_ = 0;
    int focus_ = 0;
    bool acceptAll_ = false;
    std::size_t acceptAllNext_ = 0;
    bool selectedDuringCycle_ = false;
    std::map<int, int> windowAlerts_;
    std::map<std::pair<int, int>, Value> userProperties_;
    std::string title_;
    Rect rect_;
    Rect pendingRect_; // the size a Sizing event asks for
    bool maximized_ = false;
    bool iconized_ = false;
    bool hidden_ = false;
    bool resizable_ = false;
    int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
    int timerInterval_ = 0;
    int timerLast_ = 0;
    std::vector<std::string> statusTexts_;
    bool statusZone1Written_ = false;
    Window* frame_ = nullptr;
    int nextRuntimeNumber_ = 1000;
    struct Handler {
        int id;
        EventKind kind;
        int control;
        std::function<void()> run;
    };
    std::vector<Handler> handlers_;
    int lastHandlerId_ = 0;
};

} // namespace host
