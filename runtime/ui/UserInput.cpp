#include "runtime/ui/UserInput.h"

#include "runtime/ui/ControlText.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/SpinValue.h"
#include "runtime/ui/Window.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace host {

namespace {
std::string capitalised(std::string_view text) {
    std::string out(text);
    bool wordStart = true;
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            c = static_cast<char>(wordStart ? std::toupper(u) : std::tolower(u));
            wordStart = false;
        } else {
            wordStart = c == ' ' || c == '-' || c == '.';
        }
    }
    return out;
}

bool isTypedInto(ControlKind kind) {
    return kind == ControlKind::Entry || kind == ControlKind::Spin || kind == ControlKind::Combo ||
           kind == ControlKind::Text;
}
} // namespace

Control* UserInput::usable(Window& window, int number) {
    if (!window.isOpen())
        return nullptr;
    Control* c = window.control(number);
    if (!c || !window.isEnabled(number) || !window.isVisible(number))
        return nullptr;
    return c;
}

bool UserInput::acceptEntry(Window& window, Control& c) {
    if (window.updateControl(c)) {
        window.enqueue({EventKind::Accepted, c.number(), 0});
        return true;
    }
    window.enqueue({EventKind::Rejected, c.number(), 0});
    window.touch(c);
    return false;
}

bool UserInput::leaveFocused(Window& window) {
    Control* f = window.control(window.focus_);
    if (f && f->edited_ && isEntryKind(f->kind()))
        return acceptEntry(window, *f);
    return true;
}

void UserInput::moveFocus(Window& window, int number) {
    if (window.focus_ == number)
        return;
    window.focus_ = number;
    window.enqueue({EventKind::Selected, number, 0});
    window.setStatusFromFocus();
    window.touch();
}

bool UserInput::press(Window& window, int number) {
    Control* c = usable(window, number);
    if (!c)
        return false;
    const Control* parent = window.control(c->parent());
    bool onToolbar = parent && parent->kind() == ControlKind::Toolbar;
    switch (c->kind()) {
    case ControlKind::Item:
        if (c->isSeparator())
            return false;
        window.enqueue({EventKind::Accepted, number, 0});
        return true;
    case ControlKind::Button:
        if (!onToolbar) {
            if (!leaveFocused(window))
                return true; // the entry refused its text; the focus stays there
            moveFocus(window, number);
        }
        window.enqueue({EventKind::Accepted, number, KeyCode::MouseLeft});
        return true;
    case ControlKind::Check:
        if (c->isReadOnly())
            return false;
        if (!leaveFocused(window))
            return true;
        moveFocus(window, number);
        c->checked_ = !c->checked_;
        window.updateControl(*c);
        window.touch(*c);
        window.enqueue({EventKind::Accepted, number, KeyCode::MouseLeft});
        return true;
    case ControlKind::Radio: {
        if (!leaveFocused(window))
            return true;
        moveFocus(window, number);
        Control* option = window.control(c->parent());
        for (Control* sibling : window.controls()) {
            if (sibling->parent() == c->parent() && sibling->kind() == ControlKind::Radio) {
                sibling->checked_ = sibling == c;
                window.touch(*sibling);
            }
        }
        if (option && option->kind() == ControlKind::Option) {
            option->contents_ = c->checkedValue().empty() ? c->text() : c->checkedValue();
            window.updateControl(*option);
            window.touch(*option);
            window.enqueue({EventKind::Accepted, option->number(), KeyCode::MouseLeft});
        } else {
            window.enqueue({EventKind::Accepted, number, KeyCode::MouseLeft});
        }
        return true;
    }
    default:
        return false;
    }
}

bool UserInput::focus(Window& window, int number) {
    Control* c = usable(window, number);
    if (!c || !window.canTakeFocus(*c))
        return false;
    if (window.focus_ == number)
        return true;
    if (!leaveFocused(window))
        return true;
    moveFocus(window, number);
    return true;
}

bool UserInput::type(Window& window, int number, std::string_view text, bool complete, int caret) {
    Control* c = usable(window, number);
    if (!c || !isTypedInto(c->kind()) || c->isReadOnly())
        return false;
    if (window.focus_ != number) {
        if (!leaveFocused(window))
            return false;
        moveFocus(window, number);
    }
    std::string typed(text);
    if (c->flags().upper)
        typed = upper(typed);
    else if (c->flags().capitalised)
        typed = capitalised(typed);
    c->contents_ = typed;
    c->caret_ = caret;
    c->edited_ = true;
    window.touch(*c);
    if (c->flags().immediate)
        window.enqueue({EventKind::NewSelection, number, 0});
    if (complete)
        acceptEntry(window, *c);
    return true;
}

bool UserInput::tab(Window& window, bool forward) {
    if (!leaveFocused(window))
        return true;
    std::vector<int> order;
    for (const Control* c : std::as_const(window).controls())
        if (window.canTakeFocus(*c) && c->kind() != ControlKind::Sheet)
            order.push_back(c->number());
    if (order.empty())
        return true;
    auto it = std::find(order.begin(), order.end(), window.focus_);
    std::size_t index;
    if (it == order.end())
        index = forward ? 0 : order.size() - 1;
    else {
        std::size_t at = static_cast<std::size_t>(it - order.begin());
        index = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
    }
    moveFocus(window, order[index]);
    return true;
}

bool UserInput::listKey(Window& window, Control& list, int keyCode) {
    if (list.flags().immediate) {
        EventKind kind;
        switch (keyCode) {
        case KeyCode::Up:
            kind = EventKind::ScrollUp;
            break;
        case KeyCode::Down:
            kind = EventKind::ScrollDown;
            break;
        case KeyCode::PgUp:
            kind = EventKind::PageUp;
            break;
        case KeyCode::PgDn:
            kind = EventKind::PageDown;
            break;
        case KeyCode::Home:
        case KeyCode::CtrlHome:
        case KeyCode::CtrlPgUp:
            kind = EventKind::ScrollTop;
            break;
        case KeyCode::End:
        case KeyCode::CtrlEnd:
        case KeyCode::CtrlPgDn:
            kind = EventKind::ScrollBottom;
            break;
        default:
            // A key that types on the list (a locator's letters, Space, Backspace) is
            // the program's to read: the list pages a file and looks the text up itself.
            if (keyCode == KeyCode::Backspace || KeyCode::character(keyCode))
                window.enqueue({EventKind::AlertKey, list.number(), keyCode});
            return true;
        }
        window.enqueue({kind, list.number(), keyCode});
        return true;
    }
    int rows = static_cast<int>(list.rowCount());
    if (rows == 0)
        return true;
    int page = list.kind() == ControlKind::List ? list.itemsVisible() : 1;
    int row = list.selected_;
    switch (keyCode) {
    case KeyCode::Up:
        row -= 1;
        break;
    case KeyCode::Down:
        row += 1;
        break;
    case KeyCode::PgUp:
        row -= page;
        break;
    case KeyCode::PgDn:
        row += page;
        break;
    case KeyCode::Home:
    case KeyCode::CtrlHome:
    case KeyCode::CtrlPgUp:
        row = 1;
        break;
    case KeyCode::End:
    case KeyCode::CtrlEnd:
    case KeyCode::CtrlPgDn:
        row = rows;
        break;
    default:
        return true;
    }
    row = std::clamp(row, 1, rows);
    if (row == list.selected_)
        return true;
    list.selected_ = row;
    if (list.kind() != ControlKind::List) {
        auto cells = list.formattedRow(static_cast<std::size_t>(row));
        list.contents_ = cells.empty() ? std::string() : cells[0].text;
        window.updateControl(list);
    }
    window.touch(list);
    window.enqueue({EventKind::NewSelection, list.number(), keyCode});
    return true;
}

bool UserInput::pressKey(Window& window, int keyCode) {
    if (!window.isOpen() || keyCode == 0)
        return false;
    Control* focused = window.control(window.focus_);
    if ((focused && focused->isAlerted(keyCode)) || window.isAlerted(0, keyCode)) {
        window.enqueue({EventKind::AlertKey, window.focus_, keyCode});
        return true;
    }
    switch (keyCode) {
    case KeyCode::Tab:
        return tab(window, true);
    case KeyCode::ShiftTab:
        return tab(window, false);
    case KeyCode::Enter: {
        if (focused && focused->edited_ && isEntryKind(focused->kind()) &&
            !acceptEntry(window, *focused))
            return true;
        if (focused && focused->kind() == ControlKind::List) {
            window.enqueue({EventKind::Accepted, focused->number(), keyCode});
            return true;
        }
        for (Control* c : window.controls())
            if (c->kind() == ControlKind::Button && c->flags().isDefault &&
                usable(window, c->number())) {
                window.enqueue({EventKind::Accepted, c->number(), keyCode});
                break;
            }
        return true;
    }
    case KeyCode::Esc:
        for (Control* c : window.controls())
            if (c->kind() == ControlKind::Button && c->flags().isCancel &&
                usable(window, c->number())) {
                window.enqueue({EventKind::Accepted, c->number(), keyCode});
                break;
            }
        return true;
    default:
        if (focused &&
            (focused->kind() == ControlKind::List || focused->kind() == ControlKind::DropList))
            return listKey(window, *focused, keyCode);
        if (focused && focused->kind() == ControlKind::Spin &&
            (keyCode == KeyCode::Up || keyCode == KeyCode::Down)) {
            spin(window, focused->number(), keyCode == KeyCode::Up ? 1 : -1);
            return true;
        }
        return true;
    }
}

bool UserInput::clickList(Window& window, int number, int row, int column, int keyCode) {
    Control* c = usable(window, number);
    if (!c || c->kind() != ControlKind::List)
        return false;
    c->mouseRow_ = row;
    c->mouseColumn_ = column;
    if (window.focus_ != number) {
        if (!leaveFocused(window))
            return true;
        moveFocus(window, number);
    }
    if (c->isAlerted(keyCode) || window.isAlerted(0, keyCode)) {
        window.enqueue({EventKind::AlertKey, number, keyCode});
        return true;
    }
    if (row < 1 || row > static_cast<int>(c->rowCount()))
        return true; // a click below the last row selects nothing
    c->selected_ = row;
    window.touch(*c);
    window.enqueue({EventKind::NewSelection, number, keyCode});
    if (keyCode == KeyCode::MouseLeft2)
        window.enqueue({EventKind::Accepted, number, keyCode});
    return true;
}

bool UserInput::clickImage(Window& window, int number, int x, int y, int keyCode) {
    Control* c = usable(window, number);
    if (!c || c->kind() != ControlKind::Image)
        return false;
    c->mouseX_ = x;
    c->mouseY_ = y;
    if (c->isAlerted(keyCode) || window.isAlerted(0, keyCode)) {
        window.enqueue({EventKind::AlertKey, number, keyCode});
        return true;
    }
    if (keyCode == KeyCode::MouseLeft || keyCode == KeyCode::MouseLeft2)
        window.enqueue({EventKind::Accepted, number, keyCode});
    return true;
}

bool UserInput::scrollImage(Window& window, int number, int x, int y) {
    Control* c = usable(window, number);
    if (!c || c->kind() != ControlKind::Image)
        return false;
    c->scrollX_ = std::clamp(x, 0, 255);
    c->scrollY_ = std::clamp(y, 0, 255);
    return true;
}

bool UserInput::chooseItem(Window& window, int number, int item) {
    Control* c = usable(window, number);
    if (!c || (c->kind() != ControlKind::DropList && c->kind() != ControlKind::Combo))
        return false;
    if (item < 1 || item > static_cast<int>(c->rowCount()) || c->isReadOnly())
        return false;
    if (window.focus_ != number) {
        if (!leaveFocused(window))
            return false;
        moveFocus(window, number);
    }
    c->selected_ = item;
    auto cells = c->formattedRow(static_cast<std::size_t>(item));
    c->contents_ = cells.empty() ? std::string() : cells[0].text;
    c->edited_ = true;
    window.updateControl(*c);
    window.touch(*c);
    window.enqueue({EventKind::NewSelection, number, 0});
    window.enqueue({EventKind::Accepted, number, 0});
    return true;
}

bool UserInput::pressDropButton(Window& window, int number) {
    Control* c = usable(window, number);
    if (!c || (c->kind() != ControlKind::DropList && c->kind() != ControlKind::Combo))
        return false;
    if (window.focus_ != number) {
        if (!leaveFocused(window))
            return false;
        moveFocus(window, number);
    }
    window.enqueue({EventKind::DroppingDown, number, 0});
    return true;
}

bool UserInput::dragThumb(Window& window, int number, int position) {
    Control* c = usable(window, number);
    if (!c || c->kind() != ControlKind::List)
        return false;
    c->thumb_ = std::clamp(position, 0, 100);
    window.touch(*c);
    window.enqueue({EventKind::ScrollDrag, number, 0});
    return true;
}

bool UserInput::chooseTab(Window& window, int sheet, int tab) {
    Control* c = usable(window, sheet);
    if (!c || c->kind() != ControlKind::Sheet)
        return false;
    int tabs = 0;
    for (const Control* t : std::as_const(window).controls())
        if (t->parent() == sheet && t->kind() == ControlKind::Tab)
            ++tabs;
    if (tab < 1 || tab > tabs)
        return false;
    // Clicking the tab strip takes the focus there, so that it never stays on a control
    // the new tab hides.
    if (!leaveFocused(window))
        return true; // the entry refused its text; the focus and the tab stay
    moveFocus(window, sheet);
    c->selected_ = tab;
    window.touch(*c);
    window.enqueue({EventKind::NewSelection, sheet, 0});
    return true;
}

bool UserInput::scroll(Window& window, int number, EventKind kind) {
    Control* c = usable(window, number);
    if (!c || c->kind() != ControlKind::List || !c->flags().immediate)
        return false;
    switch (kind) {
    case EventKind::ScrollUp:
    case EventKind::ScrollDown:
    case EventKind::PageUp:
    case EventKind::PageDown:
    case EventKind::ScrollTop:
    case EventKind::ScrollBottom:
        window.enqueue({kind, number, 0});
        return true;
    default:
        return false;
    }
}

bool UserInput::spin(Window& window, int number, int steps) {
    Control* c = usable(window, number);
    if (!c || c->kind() != ControlKind::Spin || c->isReadOnly() || steps == 0)
        return false;
    if (window.focus_ != number) {
        if (!leaveFocused(window))
            return false;
        moveFocus(window, number);
    }
    // Exact decimals throughout: ten steps of 0.1 from 0.00 make 1.00, not 0.9999...
    auto shown = spinShownValue(*c);
    Decimal value = shown ? *shown : c->rangeLow();
    value += c->step() * Decimal(steps);
    value = fitToSpin(*c, value);
    c->contents_ = spinText(*c, spinPropertyValue(value));
    c->edited_ = true;
    window.updateControl(*c);
    window.touch(*c);
    window.enqueue({EventKind::NewSelection, number, 0});
    return true;
}

bool UserInput::resize(Window& window, int width, int height) {
    if (!window.isOpen() || !window.resizable_ || width < 0 || height < 0)
        return false;
    window.pendingRect_ = {window.rect_.x, window.rect_.y, width, height};
    window.enqueue({EventKind::Sizing, 0, 0});
    return true;
}

bool UserInput::move(Window& window, int x, int y) {
    if (!window.isOpen())
        return false;
    window.rect_.x = x;
    window.rect_.y = y;
    window.touch();
    window.enqueue({EventKind::Moved, 0, 0});
    return true;
}

bool UserInput::maximize(Window& window) {
    if (!window.isOpen())
        return false;
    window.enqueue({EventKind::Maximizing, 0, 0});
    return true;
}

bool UserInput::iconize(Window& window) {
    if (!window.isOpen())
        return false;
    window.enqueue({EventKind::Iconizing, 0, 0});
    return true;
}

bool UserInput::restore(Window& window) {
    if (!window.isOpen())
        return false;
    window.enqueue({EventKind::Restoring, 0, 0});
    return true;
}

bool UserInput::close(Window& window) {
    if (!window.isOpen())
        return false;
    window.enqueue({EventKind::CloseWindow, 0, 0});
    return true;
}

bool UserInput::activate(Window& window) {
    if (!window.isOpen())
        return false;
    desktop_.activate(window);
    return true;
}

void UserInput::closeDown() {
    for (Window* w : desktop_.windows())
        w->enqueue({EventKind::CloseDown, 0, 0});
}

bool UserInput::answerMessage(DialogRequest& dialog, unsigned button) {
    if (dialog.answered || dialog.kind != DialogRequest::Kind::Message)
        return false;
    if ((dialog.message.buttons & button) == 0 || (button & (button - 1)) != 0)
        return false; // a button the box does not show, or more than one
    dialog.button = button;
    dialog.answered = true;
    desktop_.touch();
    return true;
}

bool UserInput::answerPopup(DialogRequest& dialog, int choice) {
    if (dialog.answered || dialog.kind != DialogRequest::Kind::Popup || choice < 0)
        return false;
    dialog.choice = choice;
    dialog.answered = true;
    desktop_.touch();
    return true;
}

bool UserInput::answerFileDialog(DialogRequest& dialog, std::optional<std::string> file) {
    if (dialog.answered || dialog.kind != DialogRequest::Kind::File)
        return false;
    dialog.accepted = file.has_value();
    dialog.chosenFile = file.value_or(std::string());
    dialog.answered = true;
    desktop_.touch();
    return true;
}

bool UserInput::answerPrinterSetup(DialogRequest& dialog, bool ok) {
    if (dialog.answered || dialog.kind != DialogRequest::Kind::PrinterSetup)
        return false;
    dialog.accepted = ok;
    dialog.answered = true;
    desktop_.touch();
    return true;
}

} // namespace host
