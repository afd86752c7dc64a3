#include "runtime/ui/Window.h"

#include "runtime/base/Clock.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/PerThreadBlocks.h"
#include "runtime/base/Queue.h"
#include "runtime/ui/ControlText.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/SpinValue.h"
#include "runtime/ui/UserInput.h"

#include <algorithm>

namespace host {

namespace {
constexpr int hundredthsPerDay = 8640000;

// "&Insert" and "Insert" name the same control; so do "&Name:" and "name:".
std::string plainText(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '&')
            out += c;
    return std::string(clipped(out));
}

// Key names of definitions ("Ctrl+Enter") to key codes.
int keyCodeNamed(std::string_view name) {
    return KeyCode::parse(name).value_or(0);
}
} // namespace

Window::Window(std::shared_ptr<const WindowDefinition> definition, Desktop* desktop)
    : definition_(std::move(definition)), desktop_(desktop ? desktop : &Desktop::current()),
      id_(desktop_->nextWindowId()) {
    if (!definition_)
        definition_ = std::make_shared<const WindowDefinition>();
    revision_ = desktop_->touch();
    for (const auto& d : definition_->controls) {
        auto control = std::make_unique<Control>(d, revision_);
        int position = 1;
        for (const auto& name : d.alertKeys)
            if (int code = keyCodeNamed(name))
                control->alerts_[position++] = code;
        controls_.push_back(std::move(control));
    }
    int position = 1;
    for (const auto& name : definition_->alertKeys)
        if (int code = keyCodeNamed(name))
            windowAlerts_[position++] = code;
    title_ = definition_->title;
    rect_ = definition_->at;
    maximized_ = definition_->maximized;
    resizable_ = definition_->resizable;
    timerInterval_ = definition_->timer;
    statusTexts_.resize(definition_->statusZones.size());
}

Window::~Window() {
    close();
}

void Window::touch() {
    revision_ = desktop_->touch();
}

void Window::touch(Control& control) {
    control.touch(desktop_->touch());
    revision_ = control.revision();
}

// --- Binding

bool Window::bind(std::string_view name, TypedRef variable) {
    bool found = false;
    for (auto& c : controls_) {
        if (!c->useName_.empty() && equalIgnoringCase(c->useName_, name)) {
            c->use_ = variable;
            found = true;
            if (open_)
                displayControl(*c);
        }
    }
    return found;
}

bool Window::bind(std::string_view name, Queue& queue) {
    bool found = false;
    for (auto& c : controls_) {
        if (!c->queueName_.empty() && equalIgnoringCase(c->queueName_, name)) {
            c->queue_ = &queue;
            found = true;
            touch(*c);
        }
    }
    return found;
}

bool Window::setUse(int number, TypedRef variable) {
    Control* c = control(number);
    if (!c)
        return false;
    c->use_ = variable;
    displayControl(*c);
    return true;
}

bool Window::setQueue(int number, Queue* queue) {
    Control* c = control(number);
    if (!c)
        return false;
    c->queue_ = queue;
    touch(*c);
    return true;
}

// --- Opening and closing

void Window::open() {
    if (open_)
        return;
    thread_ = currentThread();
    open_ = true;
    frame_ = definition_->mdiChild ? desktop_->frame() : nullptr;
    timerLast_ = clockNow();
    display(0);
    desktop_->opened(*this);
    enqueue({EventKind::OpenWindow, 0, 0});
    if (int first = firstFocusable()) {
        focus_ = first;
        enqueue({EventKind::Selected, first, 0});
        setStatusFromFocus();
    }
    touch();
}

void Window::close() {
    if (!open_)
        return;
    open_ = false;
    cycleOpen_ = false;
    acceptAll_ = false;
    queue_.clear();
    desktop_->closed(*this);
    touch();
}

// --- Event loop

void Window::enqueue(const Event& event) {
    queue_.push_back(event);
}

void Window::post(EventKind kind, int control) {
    if (open_)
        enqueue({kind, control, 0});
}

void Window::pressKey(int keyCode) {
    UserInput(*desktop_).pressKey(*this, keyCode);
}

bool Window::nextEvent() {
    if (cycleOpen_)
        endCycle(CycleEnd::DefaultAction);
    while (true) {
        if (!open_)
            return false;
        if (!queue_.empty()) {
            current_ = queue_.front();
            queue_.pop_front();
            break;
        }
        if (acceptAll_) {
            if (nextAcceptAllEvent())
                break;
            continue;
        }
        bool ready = desktop_->scheduler().waitUntil(
            [this] { return !open_ || !queue_.empty() || acceptAll_; });
        if (!ready)
            return false;
    }
    cycleOpen_ = true;
    selectedDuringCycle_ = false;
    if (current_.kind == EventKind::Accepted)
        accepted_ = current_.control;
    if (current_.keyCode != 0)
        desktop_->setKeyCode(current_.keyCode);
    if (!handlers_.empty()) {
        // A handler may register or unregister handlers: run a copy of the matching ones.
        std::vector<std::function<void()>> matching;
        for (const auto& h : handlers_)
            if (h.kind == current_.kind && h.control == current_.control)
                matching.push_back(h.run);
        for (auto& run : matching)
            run();
    }
    return true;
}

int Window::registerHandler(EventKind kind, std::function<void()> handler, int control) {
    handlers_.push_back({++lastHandlerId_, kind, control, std::move(handler)});
    return lastHandlerId_;
}

void Window::unregisterHandler(int id) {
    std::erase_if(handlers_, [id](const Handler& h) { return h.id == id; });
}

void Window::endCycle(CycleEnd end) {
    if (!cycleOpen_)
        return;
    cycleOpen_ = false;
    if (acceptAll_ && selectedDuringCycle_)
        acceptAll_ = false; // the program stopped the pass on a control
    Event event = current_;
    switch (end) {
    case CycleEnd::Leave:
        close();
        break;
    case CycleEnd::Consumed:
        break;
    case CycleEnd::DefaultAction:
        applyDefaultAction(event);
        break;
    }
}

void Window::applyDefaultAction(const Event& event) {
    switch (event.kind) {
    case EventKind::CloseWindow:
    case EventKind::CloseDown:
        close();
        return;
    case EventKind::Sizing:
        rect_.width = pendingRect_.width;
        rect_.height = pendingRect_.height;
        touch();
        enqueue({EventKind::Sized, 0, 0});
        return;
    case EventKind::Maximizing:
        maximized_ = true;
        iconized_ = false;
        touch();
        enqueue({EventKind::Maximized, 0, 0});
        return;
    case EventKind::Iconizing:
        iconized_ = true;
        touch();
        enqueue({EventKind::Iconized, 0, 0});
        return;
    case EventKind::Restoring:
        maximized_ = false;
        iconized_ = false;
        touch();
        enqueue({EventKind::Restored, 0, 0});
        return;
    case EventKind::Accepted: {
        const Control* c = control(event.control);
        if (!c || c->standard_.empty())
            return;
        if (c->standard_ == "exit")
            post(EventKind::CloseWindow);
        else if (c->standard_ == "print-setup")
            desktop_->printerSetup();
        return; // window arrangement, clipboard and help have nothing to do here
    }
    default:
        return;
    }
}

// --- Focus and the accept-all pass

bool Window::canTakeFocus(const Control& c) const {
    switch (c.kind_) {
    case ControlKind::Entry:
    case ControlKind::Text:
    case ControlKind::Spin:
    case ControlKind::Combo:
    case ControlKind::DropList:
    case ControlKind::Check:
    case ControlKind::Radio:
    case ControlKind::List:
    case ControlKind::Button:
    case ControlKind::Sheet:
        break;
    default:
        return false;
    }
    if (c.flags_.skip)
        return false;
    if (c.parent_ != 0) {
        const Control* p = control(c.parent_);
        if (p && p->kind_ == ControlKind::Toolbar)
            return false;
    }
    return isEnabled(c.number_) && isVisible(c.number_);
}

int Window::firstFocusable() const {
    for (const auto& c : controls_)
        if (canTakeFocus(*c) && c->kind_ != ControlKind::Sheet)
            return c->number_;
    return 0;
}

void Window::select(int number, int row) {
    if (number == 0) {
        selectAll();
        return;
    }
    Control* c = control(number);
    if (!c)
        return;
    if (row > 0 && (c->kind_ == ControlKind::List || c->kind_ == ControlKind::DropList)) {
        c->selected_ = row;
        touch(*c);
    }
    focus_ = number;
    selectedDuringCycle_ = true;
    enqueue({EventKind::Selected, number, 0});
    setStatusFromFocus();
    touch();
}

void Window::selectAll() {
    acceptAll_ = true;
    acceptAllNext_ = 0;
    touch();
}

bool Window::validate(Control& c) {
    if (c.edited_ && !updateControl(c))
        return false;
    if (!c.flags_.required || c.kind_ == ControlKind::Check)
        return true;
    if (c.use_)
        return !c.use_.value().isBlankOrZero();
    return !clipped(c.contents_).empty();
}

bool Window::nextAcceptAllEvent() {
    while (acceptAllNext_ < controls_.size()) {
        Control& c = *controls_[acceptAllNext_++];
        if (!isEntryKind(c.kind_) || c.flags_.readOnly || !isEnabled(c.number_) ||
            !isVisible(c.number_))
            continue;
        if (!validate(c)) {
            acceptAll_ = false;
            focus_ = c.number_;
            setStatusFromFocus();
            desktop_->beep();
            current_ = {EventKind::Selected, c.number_, 0};
            touch();
            return true;
        }
        current_ = {EventKind::Accepted, c.number_, 0};
        return true;
    }
    acceptAll_ = false;
    current_ = {EventKind::Completed, 0, 0};
    return true;
}

void Window::setStatusFromFocus() {
    Window* target = statusTexts_.empty() ? frame_ : this;
    if (!target || target->statusTexts_.empty())
        return;
    const Control* c = control(focus_);
    target->statusTexts_[0] = c ? c->statusText_ : std::string();
    target->touch();
}

// --- Variables and controls

void Window::actForOwnThread() const {
    // User input reaches a window on the scheduler's own thread, where the per-thread
    // record buffers may hold the values of the thread that ran last: a bound field must
    // be read and written with this window's thread's values.
    if (!onLogicalThread())
        PerThreadBlocks::enter(thread_);
}

void Window::displayControl(Control& c) {
    actForOwnThread();
    if (c.use_) {
        Value value = c.use_.value();
        switch (c.kind_) {
        case ControlKind::Entry:
        case ControlKind::Combo:
        case ControlKind::Text:
        case ControlKind::Display:
            c.contents_ = formatForControl(value, c.picture_);
            c.edited_ = false;
            break;
        case ControlKind::Spin:
            c.contents_ = spinText(c, value);
            c.edited_ = false;
            break;
        case ControlKind::Check:
            c.checked_ = value == Value(c.value_);
            break;
        case ControlKind::Option:
            c.contents_ = std::string(clipped(value.toText()));
            for (auto& radio : controls_) {
                if (radio->parent_ != c.number_ || radio->kind_ != ControlKind::Radio)
                    continue;
                bool on = radio->value_.empty() ? false : Value(radio->value_) == value;
                if (radio->checked_ != on) {
                    radio->checked_ = on;
                    touch(*radio);
                }
            }
            break;
        case ControlKind::DropList: {
            c.contents_ = std::string(clipped(value.toText()));
            c.selected_ = 0;
            for (std::size_t i = 0; i < c.rowCount(); ++i) {
                auto cells = c.formattedRow(i + 1);
                if (!cells.empty() && equalIgnoringCase(clipped(cells[0].text), c.contents_)) {
                    c.selected_ = static_cast<int>(i + 1);
                    break;
                }
            }
            break;
        }
        case ControlKind::Progress:
            c.progress_ = value.toInteger();
            break;
        case ControlKind::Label:
        case ControlKind::Prompt:
            c.text_ = std::string(clipped(value.toText()));
            break;
        default:
            break;
        }
    }
    touch(c);
}

void Window::display(int number) {
    if (number != 0) {
        if (Control* c = control(number))
            displayControl(*c);
        return;
    }
    for (auto& c : controls_)
        displayControl(*c);
}

bool Window::updateControl(Control& c) {
    actForOwnThread();
    if (!c.use_) {
        c.edited_ = false;
        return true;
    }
    switch (c.kind_) {
    case ControlKind::Entry:
    case ControlKind::Spin:
    case ControlKind::Combo:
    case ControlKind::Text: {
        auto value = readFromControl(c.contents_, c.picture_);
        if (!value)
            return false;
        if (c.kind_ == ControlKind::Spin) {
            // A spin box holds a number: text that is none is refused even without a
            // picture; a number beyond the range is taken as its nearest end.
            auto number = spinShownValue(c);
            if (!number)
                return false;
            value = spinPropertyValue(fitToSpin(c, *number));
        }
        c.use_.assign(*value);
        c.edited_ = false;
        displayControl(c);
        return true;
    }
    case ControlKind::Check:
        c.use_.assign(Value(c.checked_ ? c.value_ : c.falseValue_));
        return true;
    case ControlKind::Option:
    case ControlKind::DropList:
        c.use_.assign(Value(c.contents_));
        c.edited_ = false;
        return true;
    default:
        return true;
    }
}

bool Window::update(int number) {
    if (number != 0) {
        Control* c = control(number);
        return c ? updateControl(*c) : false;
    }
    bool ok = true;
    for (auto& c : controls_)
        ok = updateControl(*c) && ok;
    return ok;
}

void Window::setFlag(int first, int last, bool ControlFlags::*flag, bool value) {
    if (last < first)
        last = first;
    for (auto& c : controls_) {
        if (c->number_ < first || c->number_ > last)
            continue;
        if (c->flags_.*flag != value) {
            c->flags_.*flag = value;
            touch(*c);
        }
    }
}

void Window::enable(int first, int last) {
    setFlag(first, last, &ControlFlags::disabled, false);
}
void Window::disable(int first, int last) {
    setFlag(first, last, &ControlFlags::disabled, true);
}
void Window::hide(int first, int last) {
    setFlag(first, last, &ControlFlags::hidden, true);
}
void Window::show(int first, int last) {
    setFlag(first, last, &ControlFlags::hidden, false);
}

bool Window::isVisible(int number) const {
    const Control* c = control(number);
    for (int depth = 0; c && depth < 64; ++depth) {
        if (c->flags_.hidden)
            return false;
        if (c->parent_ == 0)
            return true;
        const Control* parent = control(c->parent_);
        // A tab that is not the sheet's selected tab hides what it holds.
        if (parent && parent->kind_ == ControlKind::Tab) {
            const Control* sheet = control(parent->parent_);
            if (sheet && sheet->selected_ != 0) {
                // The sheet's Selected holds the selected tab's position among its tabs.
                int position = 0;
                for (const auto& t : controls_) {
                    if (t->parent_ == sheet->number_ && t->kind_ == ControlKind::Tab) {
                        ++position;
                        if (t->number_ == parent->number_)
                            break;
                    }
                }
                if (position != sheet->selected_)
                    return false;
            }
        }
        c = parent;
    }
    return c != nullptr;
}

bool Window::isEnabled(int number) const {
    const Control* c = control(number);
    for (int depth = 0; c && depth < 64; ++depth) {
        if (c->flags_.disabled)
            return false;
        if (c->parent_ == 0)
            return true;
        c = control(c->parent_);
    }
    return c != nullptr;
}

Control* Window::control(int number) {
    for (auto& c : controls_)
        if (c->number_ == number)
            return c.get();
    return nullptr;
}

const Control* Window::control(int number) const {
    for (const auto& c : controls_)
        if (c->number_ == number)
            return c.get();
    return nullptr;
}

Control* Window::controlNamed(std::string_view name) {
    for (auto& c : controls_)
        if (!c->name_.empty() && equalIgnoringCase(c->name_, name))
            return c.get();
    return nullptr;
}

Control* Window::controlWithText(std::string_view text, std::optional<ControlKind> kind) {
    std::string wanted = plainText(text);
    for (auto& c : controls_) {
        if (kind && c->kind_ != *kind)
            continue;
        if (equalIgnoringCase(plainText(c->text_), wanted))
            return c.get();
    }
    return nullptr;
}

std::vector<Control*> Window::controls() {
    std::vector<Control*> out;
    for (auto& c : controls_)
        out.push_back(c.get());
    return out;
}

std::vector<const Control*> Window::controls() const {
    std::vector<const Control*> out;
    for (const auto& c : controls_)
        out.push_back(c.get());
    return out;
}

int Window::createControl(ControlKind kind, int number, int parent) {
    if (number == 0) {
        while (control(nextRuntimeNumber_))
            ++nextRuntimeNumber_;
        number = nextRuntimeNumber_++;
    } else if (number < 0 || control(number)) {
        return 0;
    }
    ControlDefinition d;
    d.kind = kind;
    d.number = number;
    d.parent = parent;
    d.at = {0, 0, 0, 0};
    controls_.push_back(std::make_unique<Control>(d, desktop_->touch()));
    touch();
    return number;
}

bool Window::destroyControl(int number) {
    auto it = std::find_if(controls_.begin(), controls_.end(),
                           [number](const auto& c) { return c->number_ == number; });
    if (it == controls_.end())
        return false;
    std::size_t index = static_cast<std::size_t>(it - controls_.begin());
    controls_.erase(it);
    if (acceptAllNext_ > index)
        --acceptAllNext_;
    if (focus_ == number)
        focus_ = 0;
    std::erase_if(queue_, [number](const Event& e) { return e.control == number; });
    for (auto& c : controls_)
        for (auto editor = c->columnEditors_.begin(); editor != c->columnEditors_.end();)
            editor = editor->second == number ? c->columnEditors_.erase(editor) : std::next(editor);
    touch();
    return true;
}

// --- Alert keys

void Window::alert(int number, int keyCode, int position) {
    std::map<int, int>* table = &windowAlerts_;
    Control* c = nullptr;
    if (number != 0) {
        c = control(number);
        if (!c)
            return;
        table = &c->alerts_;
    }
    if (position < 0 || position > 255 || keyCode == 0)
        return;
    if (position == 0) {
        for (auto& [p, key] : *table)
            if (key == keyCode)
                return;
        for (position = 1; position <= 255 && table->count(position); ++position) {
        }
        if (position > 255)
            return;
    }
    (*table)[position] = keyCode;
    if (c)
        touch(*c);
}

void Window::clearAlert(int number, int keyCode) {
    std::map<int, int>* table = &windowAlerts_;
    if (number != 0) {
        Control* c = control(number);
        if (!c)
            return;
        table = &c->alerts_;
    }
    std::erase_if(*table, [keyCode](const auto& entry) { return entry.second == keyCode; });
}

bool Window::isAlerted(int number, int keyCode) const {
    if (number == 0)
        return std::any_of(windowAlerts_.begin(), windowAlerts_.end(),
                           [keyCode](const auto& a) { return a.second == keyCode; });
    const Control* c = control(number);
    return c && c->isAlerted(keyCode);
}

// --- Window attributes

void Window::setTitle(std::string title) {
    title_ = std::move(title);
    touch();
}

void Window::setTimer(int hundredths) {
    timerInterval_ = std::max(hundredths, 0);
    timerLast_ = clockNow();
}

void Window::fireTimerIfDue(int now) {
    if (!open_ || timerInterval_ <= 0)
        return;
    int elapsed = ((now - timerLast_) % hundredthsPerDay + hundredthsPerDay) % hundredthsPerDay;
    if (elapsed < timerInterval_)
        return;
    timerLast_ = now;
    for (const auto& e : queue_)
        if (e.kind == EventKind::Timer)
            return; // one timer event waits at a time
    enqueue({EventKind::Timer, 0, 0});
}

std::string Window::statusText(int zone) const {
    if (zone < 1 || zone > statusZoneCount())
        return {};
    return statusTexts_[static_cast<std::size_t>(zone - 1)];
}

void Window::setStatusText(int zone, std::string text) {
    if (zone < 1 || zone > statusZoneCount())
        return;
    statusTexts_[static_cast<std::size_t>(zone - 1)] = std::move(text);
    touch();
}

} // namespace host
