#include "runtime/ui/Desktop.h"

#include "runtime/base/Clock.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/ui/Display.h"
#include "runtime/ui/Window.h"

#include "runtime/base/Clock.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/ThreadNumberScope.h"
#include "runtime/ui/Display.h"
#include "runtime/ui/Window.h"
#include <algorithm>
#include <optional>
#include <set>

namespace host {

namespace {
Desktop* installed = nullptr;
} // namespace

// Message boxes shown through host::showMessage become the desktop's dialogs.
class Desktop::MessageService : public MessageBoxService {
public:
    explicit MessageService(Desktop& desktop) : desktop_(desktop) {}
    unsigned show(const MessageBoxRequest& request) override {
        return desktop_.messageBox(request);
    }

private:
    Desktop& desktop_;
};

Desktop::Desktop() : messageService_(std::make_unique<MessageService>(*this)) {
    threadEnded_.subscribe([this](int thread) { keyCodes_.erase(thread); });
}

Desktop::~Desktop() {
    // End the logical threads first: their windows close while the desktop still exists.
    scheduler_.cancelAll();
    for (Window* w : std::vector<Window*>(windows_))
        w->close();
    if (installed_) {
        if (installed == this)
            installed = previous_;
        setMessageBoxService(nullptr);
    }
}

Desktop& Desktop::current() {
    if (installed)
        return *installed;
    static Desktop fallback;
    return fallback;
}

void Desktop::install() {
    if (installed == this)
        return;
    previous_ = installed;
    installed = this;
    installed_ = true;
    setMessageBoxService(messageService_.get());
}

// --- Threads

int Desktop::startThread(std::function<void()> procedure, std::size_t stackSizeHint) {
    int number = scheduler_.start(std::move(procedure), stackSizeHint);
    touch();
    return number;
}

bool Desktop::post(int thread, EventKind kind, int control) {
    Window* target = topWindowOf(thread);
    if (!target)
        return false;
    target->post(kind, control);
    return true;
}

int Desktop::keyCode() const {
    auto it = keyCodes_.find(currentThread());
    return it == keyCodes_.end() ? 0 : it->second;
}

void Desktop::setKeyCode(int keyCode) {
    keyCodes_[currentThread()] = keyCode;
}

// --- Windows

Window* Desktop::window(int id) const {
    for (Window* w : windows_)
        if (w->id() == id)
            return w;
    return nullptr;
}

Window* Desktop::windowNamed(const std::string& name) const {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if (equalIgnoringCase((*it)->name(), name))
            return *it;
    return nullptr;
}

Window* Desktop::activeWindow() const {
    return activation_.empty() ? nullptr : activation_.back();
}

Window* Desktop::frame() const {
    for (Window* w : windows_)
        if (w->definition().frame)
            return w;
    return nullptr;
}

Window* Desktop::activeChild() const {
    for (auto it = activation_.rbegin(); it != activation_.rend(); ++it)
        if ((*it)->definition().mdiChild)
            return *it;
    return nullptr;
}

Window* Desktop::topWindowOf(int thread) const {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if ((*it)->thread() == thread)
            return *it;
    return nullptr;
}

void Desktop::activate(Window& window) {
    if (!window.isOpen())
        return;
    Window* previous = activeWindow();
    if (previous == &window)
        return;
    std::erase(activation_, &window);
    activation_.push_back(&window);
    if (previous)
        previous->post(EventKind::LoseFocus);
    window.post(EventKind::GainFocus);
    touch();
}

void Desktop::opened(Window& window) {
    Window* previous = activeWindow();
    windows_.push_back(&window);
    activation_.push_back(&window);
    if (previous && previous != &window)
        previous->post(EventKind::LoseFocus);
    touch();
}

void Desktop::closed(Window& window) {
    bool wasActive = activeWindow() == &window;
    std::erase(windows_, &window);
    std::erase(activation_, &window);
    if (wasActive) {
        if (Window* next = activeWindow())
            next->post(EventKind::GainFocus);
    }
    touch();
}

// --- Dialogs

DialogRequest& Desktop::raise(DialogRequest request) {
    request.id = ++lastDialogId_;
    request.thread = currentThread();
    Window* active = activeWindow();
    request.window = active ? active->id() : 0;
    dialogs_.push_back(std::move(request));
    DialogRequest& raised = dialogs_.back();
    touch();
    if (display_)
        display_->dialogRaised(raised);
    if (!raised.answered) {
        try {
            scheduler_.waitUntil([&raised] { return raised.answered; });
        } catch (...) {
            // The thread is being ended: nobody waits for the answer any more.
            finish(raised);
            throw;
        }
    }
    return raised;
}

void Desktop::finish(DialogRequest& request) {
    for (auto it = dialogs_.begin(); it != dialogs_.end(); ++it) {
        if (&*it == &request) {
            dialogs_.erase(it);
            break;
        }
    }
    touch();
}

unsigned Desktop::messageBox(const MessageBoxRequest& message) {
    DialogRequest request;
    request.kind = DialogRequest::Kind::Message;
    request.message = message;
    DialogRequest& raised = raise(std::move(request));
    // Nobody could answer (no logical thread to wait on): the default button.
    unsigned button = raised.answered ? raised.button : message.defaultButton;
    finish(raised);
    return button;
}

int Desktop::popupMenu(const std::string& menuText, int x, int y) {
    DialogRequest request;
    request.kind = DialogRequest::Kind::Popup;
    request.menuText = menuText;
    request.x = x;
    request.y = y;
    DialogRequest& raised = raise(std::move(request));
    int choice = raised.answered ? raised.choice : 0;
    finish(raised);
    return choice;
}

bool Desktop::fileDialog(FileDialogRequest& file) {
    DialogRequest request;
    request.kind = DialogRequest::Kind::File;
    request.file = file;
    DialogRequest& raised = raise(std::move(request));
    bool chosen = raised.answered && raised.accepted;
    if (chosen)
        file.fileName = raised.chosenFile;
    finish(raised);
    return chosen;
}

bool Desktop::printerSetup() {
    DialogRequest request;
    request.kind = DialogRequest::Kind::PrinterSetup;
    DialogRequest& raised = raise(std::move(request));
    bool ok = raised.answered && raised.accepted;
    finish(raised);
    return ok;
}

std::vector<DialogRequest*> Desktop::pendingDialogs() const {
    std::vector<DialogRequest*> pending;
    for (auto& d : dialogs_)
        if (!d.answered)
            pending.push_back(const_cast<DialogRequest*>(&d));
    return pending;
}

DialogRequest* Desktop::dialog(int id) const {
    for (auto& d : dialogs_)
        if (d.id == id)
            return const_cast<DialogRequest*>(&d);
    return nullptr;
}

// --- Cursor and sound

void Desktop::setBusy(bool busy) {
    if (busy_ != busy) {
        busy_ = busy;
        touch();
    }
}

void Desktop::beep() {
    ++beeps_;
    touch();
}

// --- Running

void Desktop::fireDueTimers() {
    int now = clockNow();
    for (Window* w : windows_)
        w->fireTimerIfDue(now);
}

std::size_t Desktop::runUntilIdle() {
    // Each due timer fires at most once per run. A timer whose handler takes longer than
    // its interval (a batch of a report) is due again as soon as the handler returns;
    // firing it again here would never give the display control back to repaint and to
    // take the user's input (Cancel).
    std::set<int> fired; // windows, by id
    // On the scheduler's own thread the timers and the display run as thread 0 too.
    std::optional<ThreadNumberScope> schedulersOwnThread;
    if (!onLogicalThread())
        schedulersOwnThread.emplace(0);
    std::size_t switches = 0;
    while (true) {
        int now = clockNow();
        for (Window* w : windows_) {
            if (fired.count(w->id()))
                continue;
            int before = w->timerLastElapsed();
            w->fireTimerIfDue(now);
            if (w->timerLastElapsed() != before)
                fired.insert(w->id());
        }
        std::size_t n = scheduler_.runUntilIdle();
        switches += n;
        if (n == 0)
            break;
    }
    if (display_)
        display_->synchronize(*this);
    return switches;
}

} // namespace host
