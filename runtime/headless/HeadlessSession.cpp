#include "runtime/headless/HeadlessSession.h"

#include "runtime/base/Clock.h"
#include "runtime/headless/ScriptedMessageBoxes.h"
#include "runtime/threads/CooperativeWait.h"

#include <algorithm>
#include <charconv>

namespace host::headless {

namespace {
constexpr int hundredthsPerDay = 8640000;

// "&Insert" and "Insert" name the same control or menu entry.
std::string plainText(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '&')
            out += c;
    return std::string(clipped(out));
}

bool isTypedInto(ControlKind kind) {
    return kind == ControlKind::Entry || kind == ControlKind::Spin || kind == ControlKind::Combo ||
           kind == ControlKind::Text || kind == ControlKind::DropList ||
           kind == ControlKind::Check || kind == ControlKind::List;
}
} // namespace

HeadlessSession::HeadlessSession() {
    desktop_.install();
    desktop_.setDisplay(&display_);
    day_ = dayNumber(2024, 3, 15);
    clock_ = 9 * 360000;
    setClockSource({[this] { return day_; }, [this] { return clock_; }});
    haltByException();
}

HeadlessSession::~HeadlessSession() {
    desktop_.scheduler().cancelAll();
    desktop_.setDisplay(nullptr);
    setClockSource({});
    setHaltHandler({});
}

int HeadlessSession::start(std::function<void()> procedure) {
    int thread = desktop_.startThread(std::move(procedure));
    run();
    return thread;
}

void HeadlessSession::run() {
    desktop_.runUntilIdle();
    // A thread pausing while it waits for another station goes on when its time comes:
    // the session waits for that, as the user would, before it calls the program idle.
    while (CooperativeWait::sleepUntilNextPauseEnd())
        desktop_.runUntilIdle();
}

void HeadlessSession::setClock(int dayNumber, int hundredths) {
    day_ = dayNumber;
    clock_ = std::clamp(hundredths, 0, hundredthsPerDay - 1);
}

void HeadlessSession::advanceClock(int hundredths) {
    while (hundredths > 0) {
        // Step to the next moment a timer elapses, so that each one fires on time.
        int step = hundredths;
        for (Window* w : desktop_.windows()) {
            if (w->timer() <= 0)
                continue;
            int elapsed = ((clock_ - w->timerLastElapsed()) % hundredthsPerDay + hundredthsPerDay) %
                          hundredthsPerDay;
            step = std::min(step, std::max(w->timer() - elapsed, 1));
        }
        clock_ += step;
        hundredths -= step;
        if (clock_ >= hundredthsPerDay) {
            clock_ -= hundredthsPerDay;
            ++day_;
        }
        run();
    }
}

Window* HeadlessSession::window(std::string_view titleOrName) const {
    const auto& windows = desktop_.windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (equalIgnoringCase((*it)->title(), titleOrName) ||
            equalIgnoringCase((*it)->name(), titleOrName))
            return *it;
    return nullptr;
}

std::vector<std::string> HeadlessSession::windowTitles() const {
    std::vector<std::string> titles;
    for (Window* w : desktop_.windows())
        titles.push_back(w->title());
    return titles;
}

Control* HeadlessSession::control(int number, Window* window) const {
    Window* w = target(window);
    return w ? w->control(number) : nullptr;
}

Control* HeadlessSession::control(std::string_view which, Window* window) const {
    Window* w = target(window);
    if (!w)
        return nullptr;
    int number = 0;
    auto [end, ec] = std::from_chars(which.data(), which.data() + which.size(), number);
    if (ec == std::errc() && end == which.data() + which.size())
        return w->control(number);
    if (Control* named = w->controlNamed(which))
        return named;
    // "LIST:N" names the cell editor lying over column N of the list while a row is edited.
    if (std::size_t colon = which.rfind(':'); colon != std::string_view::npos && colon > 0) {
        std::string_view digits = which.substr(colon + 1);
        int column = 0;
        auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), column);
        if (!digits.empty() && error == std::errc() && last == digits.data() + digits.size())
            if (Control* list = control(which.substr(0, colon), w))
                if (list->kind() == ControlKind::List)
                    if (int editor = list->columnEditor(column))
                        return w->control(editor);
    }
    // A prompt names the control that follows it.
    if (Control* prompt = w->controlWithText(which, ControlKind::Prompt)) {
        bool after = false;
        for (Control* c : w->controls()) {
            if (c == prompt) {
                after = true;
                continue;
            }
            if (after && isTypedInto(c->kind()))
                return c;
        }
    }
    return w->controlWithText(which);
}

std::string HeadlessSession::text(std::string_view which, Window* window) const {
    Control* c = control(which, window);
    if (!c)
        return {};
    switch (c->kind()) {
    case ControlKind::Entry:
    case ControlKind::Spin:
    case ControlKind::Combo:
    case ControlKind::Text:
    case ControlKind::Display:
    case ControlKind::DropList:
    case ControlKind::Option:
        return c->contents();
    default:
        return c->text();
    }
}

bool HeadlessSession::isEnabled(std::string_view which, Window* window) const {
    Control* c = control(which, window);
    return c && target(window)->isEnabled(c->number());
}

bool HeadlessSession::isVisible(std::string_view which, Window* window) const {
    Control* c = control(which, window);
    return c && target(window)->isVisible(c->number());
}

bool HeadlessSession::isChecked(std::string_view which, Window* window) const {
    Control* c = control(which, window);
    return c && c->isChecked();
}

std::vector<std::vector<std::string>> HeadlessSession::listCells(std::string_view which,
                                                                 Window* window) const {
    std::vector<std::vector<std::string>> rows;
    Control* c = control(which, window);
    if (!c)
        return rows;
    for (const auto& cells : c->formattedRows()) {
        std::vector<std::string> texts;
        for (const auto& cell : cells)
            texts.push_back(cell.text);
        rows.push_back(std::move(texts));
    }
    return rows;
}

std::vector<std::string> HeadlessSession::listLines(std::string_view which, Window* window) const {
    std::vector<std::string> lines;
    Control* c = control(which, window);
    if (!c)
        return lines;
    for (const auto& cells : c->formattedRows()) {
        if (c->format()) {
            lines.push_back(c->format()->renderRow(cells));
        } else {
            std::string line;
            for (const auto& cell : cells)
                line += cell.text;
            lines.push_back(line);
        }
    }
    return lines;
}

int HeadlessSession::selectedRow(std::string_view which, Window* window) const {
    Control* c = control(which, window);
    return c ? c->selectedRow() : 0;
}

std::string HeadlessSession::statusBar(int zone) const {
    Window* w = statusWindow();
    return w ? w->statusText(zone) : std::string();
}

Window* HeadlessSession::statusWindow() const {
    Window* w = desktop_.activeWindow();
    if (w && w->statusZoneCount() == 0 && w->frame())
        w = w->frame();
    if ((!w || w->statusZoneCount() == 0) && desktop_.frame())
        w = desktop_.frame();
    return w && w->statusZoneCount() > 0 ? w : nullptr;
}

bool HeadlessSession::press(std::string_view which, Window* window) {
    Control* c = control(which, window);
    return c && press(c->number(), window);
}

bool HeadlessSession::press(int number, Window* window) {
    Window* w = target(window);
    if (!w || !input().press(*w, number))
        return false;
    run();
    return true;
}

bool HeadlessSession::type(std::string_view which, std::string_view text, Window* window) {
    Control* c = control(which, window);
    return c && type(c->number(), text, window);
}

bool HeadlessSession::type(int number, std::string_view text, Window* window) {
    Window* w = target(window);
    if (!w)
        return false;
    const Control* c = w->control(number);
    if (c && c->kind() == ControlKind::List) {
        // Typing on a list presses the key of each character in turn, as a user does on
        // a browse to find a record; the program answers each key before the next.
        if (!input().focus(*w, number))
            return false;
        run();
        for (char ch : text) {
            int code = KeyCode::forCharacter(ch);
            if (code == 0 || !w->isOpen() || !input().pressKey(*w, code))
                return false;
            run();
        }
        return true;
    }
    if (!input().type(*w, number, text))
        return false;
    run();
    return true;
}

bool HeadlessSession::focus(std::string_view which, Window* window) {
    Window* w = target(window);
    Control* c = control(which, window);
    if (!w || !c || !input().focus(*w, c->number()))
        return false;
    run();
    return true;
}

bool HeadlessSession::pressKey(int keyCode, Window* window) {
    Window* w = target(window);
    if (!w || !input().pressKey(*w, keyCode))
        return false;
    run();
    return true;
}

bool HeadlessSession::pressKey(std::string_view keyName, Window* window) {
    auto code = KeyCode::parse(keyName);
    return code && pressKey(*code, window);
}

bool HeadlessSession::clickRow(std::string_view list, int row, int column, int keyCode,
                               Window* window) {
    Window* w = target(window);
    Control* c = control(list, window);
    if (!w || !c || !input().clickList(*w, c->number(), row, column, keyCode))
        return false;
    run();
    return true;
}

bool HeadlessSession::doubleClickRow(std::string_view list, int row, int column, Window* window) {
    return clickRow(list, row, column, KeyCode::MouseLeft2, window);
}

bool HeadlessSession::rightClickRow(std::string_view list, int row, int column, Window* window) {
    return clickRow(list, row, column, KeyCode::MouseRight, window);
}

bool HeadlessSession::clickImage(std::string_view image, int x, int y, int keyCode,
                                 Window* window) {
    Window* w = target(window);
    Control* c = control(image, window);
    if (!w || !c || !input().clickImage(*w, c->number(), x, y, keyCode))
        return false;
    run();
    return true;
}

bool HeadlessSession::chooseItem(std::string_view dropList, int item, Window* window) {
    Window* w = target(window);
    Control* c = control(dropList, window);
    if (!w || !c || !input().chooseItem(*w, c->number(), item))
        return false;
    run();
    return true;
}

bool HeadlessSession::chooseTab(std::string_view sheet, int tab, Window* window) {
    Window* w = target(window);
    Control* c = control(sheet, window);
    if (!w || !c || !input().chooseTab(*w, c->number(), tab))
        return false;
    run();
    return true;
}

Control* HeadlessSession::menuItem(std::string_view itemText, Window** owner) const {
    std::vector<std::string> path;
    std::size_t start = 0;
    while (true) {
        std::size_t bar = itemText.find('|', start);
        path.push_back(plainText(itemText.substr(start, bar - start)));
        if (bar == std::string_view::npos)
            break;
        start = bar + 1;
    }
    std::vector<Window*> candidates;
    if (Window* w = desktop_.activeWindow()) {
        candidates.push_back(w);
        if (w->frame())
            candidates.push_back(w->frame());
    }
    if (Window* f = desktop_.frame())
        candidates.push_back(f);
    for (Window* w : candidates) {
        for (Control* item : w->controls()) {
            if (item->kind() != ControlKind::Item || item->isSeparator() ||
                !equalIgnoringCase(plainText(item->text()), path.back()))
                continue;
            // A path names the menus above the item, from the menu bar down.
            const Control* menu = w->control(item->parent());
            bool matches = true;
            for (std::size_t i = path.size() - 1; i > 0 && matches; --i) {
                matches = menu && menu->kind() == ControlKind::Menu &&
                          equalIgnoringCase(plainText(menu->text()), path[i - 1]);
                if (matches)
                    menu = w->control(menu->parent());
            }
            if (!matches || (path.size() > 1 && menu && menu->kind() == ControlKind::Menu))
                continue;
            if (owner)
                *owner = w;
            return item;
        }
    }
    return nullptr;
}

bool HeadlessSession::chooseMenu(std::string_view itemText) {
    Window* w = nullptr;
    Control* item = menuItem(itemText, &w);
    if (!item || !input().press(*w, item->number()))
        return false;
    run();
    return true;
}

bool HeadlessSession::resize(int width, int height, Window* window) {
    Window* w = target(window);
    if (!w || !input().resize(*w, width, height))
        return false;
    run();
    return true;
}

bool HeadlessSession::closeWindow(Window* window) {
    Window* w = target(window);
    if (!w || !input().close(*w))
        return false;
    run();
    return true;
}

bool HeadlessSession::activate(Window& window) {
    if (!input().activate(window))
        return false;
    run();
    return true;
}

DialogRequest* HeadlessSession::pending(DialogRequest::Kind kind) const {
    for (DialogRequest* d : desktop_.pendingDialogs())
        if (d->kind == kind)
            return d;
    return nullptr;
}

bool HeadlessSession::answerMessage(unsigned button) {
    DialogRequest* d = pending(DialogRequest::Kind::Message);
    if (!d || !input().answerMessage(*d, button))
        return false;
    run();
    return true;
}

bool HeadlessSession::answerPopup(int choice) {
    DialogRequest* d = pending(DialogRequest::Kind::Popup);
    if (!d || !input().answerPopup(*d, choice))
        return false;
    run();
    return true;
}

bool HeadlessSession::answerPopup(std::string_view entryText) {
    DialogRequest* d = pending(DialogRequest::Kind::Popup);
    if (!d)
        return false;
    int choice = HeadlessDisplay::popupChoice(d->menuText, entryText);
    return choice != 0 && answerPopup(choice);
}

bool HeadlessSession::answerFileDialog(std::optional<std::string> file) {
    DialogRequest* d = pending(DialogRequest::Kind::File);
    if (!d || !input().answerFileDialog(*d, std::move(file)))
        return false;
    run();
    return true;
}

bool HeadlessSession::answerPrinterSetup(bool ok) {
    DialogRequest* d = pending(DialogRequest::Kind::PrinterSetup);
    if (!d || !input().answerPrinterSetup(*d, ok))
        return false;
    run();
    return true;
}

} // namespace host::headless
