#include "framework/window/PopupMenu.h"

#include "framework/window/TextTranslator.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/MenuText.h"
#include "runtime/ui/Window.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace framework {

namespace {

constexpr std::string_view separatorText = "-";
// Toolbox buttons: an icon button is square-ish; a text button is as wide as its text.
constexpr int iconButtonWidth = 24;
constexpr int iconButtonHeight = 20;
constexpr int textButtonHeight = 14;
constexpr int textButtonMargin = 8;
constexpr int characterWidth = 4;
constexpr int smallestTextButton = 40;

std::string cut(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, std::min(text.size(), limit)));
}

bool isSeparator(const PopupMenu::Item& item) {
    return item.TEXT == separatorText;
}

} // namespace

// What the toolbox thread shares with the menu it was opened for. The menu may be torn
// down while the toolbox thread waits for an event; it then clears `menu`, and the
// thread, which checks it after every wait, no longer touches the menu.
struct PopupMenu::ToolboxLink {
    PopupMenu* menu = nullptr;
    host::Window* window = nullptr;
    std::vector<std::string> buttons; // the item name behind each button, in order
};

PopupMenu::PopupMenu() = default;

PopupMenu::~PopupMenu() {
    Teardown();
}

void PopupMenu::Setup() {
    POPUPITEMS = std::make_unique<std::vector<Item>>();
    CLEARKEYCODE = 1;
    MYTHREAD = host::currentThread();
}

void PopupMenu::Teardown() {
    if (toolbox_) {
        std::shared_ptr<ToolboxLink> link = std::move(toolbox_);
        link->menu = nullptr;
        if (link->window)
            link->window->close();
    }
    INTOOLBOX = 0;
    THISWINDOW = nullptr;
    POPUPITEMS.reset();
}

// --- Items

std::string PopupMenu::DeriveEntryName(std::string_view text) const {
    if (text == separatorText)
        text = "Separator";
    std::string base;
    for (char c : host::clipped(text))
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_')
            base += c;
    base = cut(base, nameLimit);
    std::string name = base;
    for (int n = 1; LocateEntry(name) != 0; ++n)
        name = base + std::to_string(n);
    return name;
}

std::size_t PopupMenu::LocateEntry(std::string_view name) const {
    if (!POPUPITEMS)
        return 0;
    for (std::size_t i = 0; i < POPUPITEMS->size(); ++i)
        if ((*POPUPITEMS)[i].NAME == name)
            return i + 1;
    return 0;
}

const PopupMenu::Item* PopupMenu::EntryAt(std::size_t position) const {
    if (!POPUPITEMS || position < 1 || position > POPUPITEMS->size())
        return nullptr;
    return &(*POPUPITEMS)[position - 1];
}

PopupMenu::Item* PopupMenu::itemNamed(std::string_view name) {
    std::size_t at = LocateEntry(name);
    return at ? &(*POPUPITEMS)[at - 1] : nullptr;
}

std::string PopupMenu::placeEntry(std::size_t position, std::uint16_t depth,
                                  std::string_view nameSource, std::string_view text) {
    if (!POPUPITEMS)
        POPUPITEMS = std::make_unique<std::vector<Item>>();
    std::vector<Item>& items = *POPUPITEMS;
    if (position == 0 || position > items.size())
        position = items.size();
    if (depth == 0)
        depth = position > 0 ? items[position - 1].DEPTH : 1;
    Item item;
    item.NAME = DeriveEntryName(nameSource);
    if (text != separatorText) {
        for (; !text.empty(); text.remove_prefix(1)) {
            if (text.front() == '~')
                item.DISABLED = 1;
            else if (text.front() == '+')
                item.CHECK = 1;
            else if (text.front() == '-')
                item.CHECK = 2;
            else
                break;
        }
    }
    item.TEXT = cut(text, nameLimit);
    item.DEPTH = depth;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(position), item);
    return item.NAME;
}

std::string PopupMenu::AppendEntry(std::string_view text) {
    return placeEntry(0, 0, text, text);
}

std::string PopupMenu::PlaceEntryAfter(std::string_view afterName, std::string_view name,
                                       std::string_view text, std::uint16_t depth) {
    return placeEntry(LocateEntry(afterName), depth, name, text);
}

std::string PopupMenu::AppendEventEntry(std::string_view text, std::uint16_t event,
                                        std::int16_t control) {
    // An item made from this text before is reused, whether it is looked up by the text
    // itself or by the name the text gives ("&Insert" names "Insert"), so that adding
    // the same entry again never doubles it.
    std::size_t at = LocateEntry(text);
    if (at == 0) {
        std::string base;
        for (char c : host::clipped(text))
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '_')
                base += c;
        if (text != separatorText)
            at = LocateEntry(base);
    }
    if (at == 0)
        at = LocateEntry(AppendEntry(text));
    Item& item = (*POPUPITEMS)[at - 1];
    item.MIMICMODE = 0;
    item.CONTROLID = control;
    item.EVENT = event;
    item.ONTOOLBOX = 1;
    return item.NAME;
}

std::string PopupMenu::AppendButtonEntry(std::string_view menuText, std::string_view nameSource,
                                         std::int16_t control) {
    std::string name = AppendEventEntry(
        nameSource, static_cast<std::uint16_t>(host::EventKind::Accepted), control);
    Item* item = itemNamed(name);
    item->TEXT = cut(menuText, nameLimit);
    item->MIMICMODE = 1;
    item->ONTOOLBOX = 1;
    return name;
}

void PopupMenu::ParseEntriesAfter(std::string_view afterName, std::string_view menuText) {
    if (!POPUPITEMS)
        POPUPITEMS = std::make_unique<std::vector<Item>>();
    std::size_t position = 0;
    if (afterName.empty()) {
        POPUPITEMS->clear();
    } else {
        position = LocateEntry(afterName);
        if (position == 0)
            position = POPUPITEMS->size();
    }
    int base = position > 0 ? (*POPUPITEMS)[position - 1].DEPTH : 1;
    int level = 0;
    std::string piece;
    auto endPiece = [&] {
        if (!piece.empty()) {
            placeEntry(position, static_cast<std::uint16_t>(base + level), piece, piece);
            ++position;
        }
        piece.clear();
    };
    for (char c : menuText) {
        if (c == '|') {
            endPiece();
        } else if (c == '{') {
            endPiece();
            ++level;
        } else if (c == '}') {
            endPiece();
            level = std::max(level - 1, 0);
        } else {
            piece += c;
        }
    }
    endPiece();
}

void PopupMenu::AppendSubmenu(std::string_view afterName, std::string_view title,
                              std::string_view menuText) {
    ParseEntriesAfter(afterName, std::string(title) + "{" + std::string(menuText) + "}");
}

void PopupMenu::RemoveEntry(std::string_view name) {
    if (std::size_t at = LocateEntry(name))
        POPUPITEMS->erase(POPUPITEMS->begin() + static_cast<std::ptrdiff_t>(at - 1));
}

void PopupMenu::ShowEntryOnToolbox(std::string_view name, bool flag) {
    if (Item* item = itemNamed(name))
        item->ONTOOLBOX = flag ? 1 : 0;
}

void PopupMenu::GiveEntryIcon(std::string_view name, std::string_view icon) {
    if (Item* item = itemNamed(name))
        item->ICON = cut(icon, 255);
}

void PopupMenu::EnableEntry(std::string_view name, bool flag) {
    if (Item* item = itemNamed(name); item && !isSeparator(*item))
        item->DISABLED = flag ? 2 : 1;
}

void PopupMenu::CheckEntry(std::string_view name, bool flag) {
    if (Item* item = itemNamed(name); item && !isSeparator(*item))
        item->CHECK = flag ? 1 : 2;
}

// --- Showing the menu

PopupMenu::Item PopupMenu::MirrorButton(const Item& item, const host::Window* window) const {
    Item shown = item;
    if (item.MIMICMODE != 1)
        return shown;
    const host::Control* control = window ? window->control(item.CONTROLID) : nullptr;
    std::string caption = control ? control->text() : std::string();
    if (!caption.empty() && (shown.TEXT.empty() || shown.TEXT.front() == '!'))
        shown.TEXT = caption;
    if (!shown.TEXT.empty() && shown.TEXT.front() == '!')
        shown.TEXT.erase(0, 1);
    if (shown.DISABLED == 0)
        shown.DISABLED = control && !window->isEnabled(item.CONTROLID) ? 1 : 2;
    if (shown.ICON.empty() && control)
        shown.ICON = control->icon();
    return shown;
}

const host::Window* PopupMenu::parentWindow() const {
    // The owner's window may have closed (and be gone) while the toolbox stays open.
    if (!PARENTWINDOW || host::desktop().window(parentWindowId_) != PARENTWINDOW)
        return nullptr;
    return PARENTWINDOW;
}

const host::Window* PopupMenu::targetWindow() const {
    return host::desktop().topWindowOf(host::currentThread());
}

std::string PopupMenu::ComposeMenuText() const {
    if (!POPUPITEMS)
        return {};
    const host::Window* window = targetWindow();
    std::vector<Item> shown;
    shown.reserve(POPUPITEMS->size());
    for (const Item& item : *POPUPITEMS)
        shown.push_back(MirrorButton(item, window));
    bool anyIcon = std::any_of(shown.begin(), shown.end(),
                               [](const Item& item) { return !item.ICON.empty(); });
    std::string text;
    int previous = 1;
    std::vector<int> open; // the depth inside each submenu opened so far
    for (const Item& item : shown) {
        int depth = std::max<int>(item.DEPTH, 1);
        if (depth > previous) {
            text += '{';
            open.push_back(depth);
        } else if (depth < previous) {
            // Close every submenu the item is not in, however many levels it climbs.
            bool closed = false;
            while (!open.empty() && open.back() > depth) {
                text += '}';
                open.pop_back();
                closed = true;
            }
            if (!closed)
                text += '|';
        } else {
            text += '|';
        }
        previous = depth;
        if (isSeparator(item)) {
            text += separatorText;
            continue;
        }
        std::string piece;
        if (item.DISABLED == 1)
            piece += '~';
        if (item.CHECK == 1)
            piece += '+';
        else if (item.CHECK == 2)
            piece += '-';
        if (anyIcon) {
            piece += '[';
            if (!item.ICON.empty())
                piece += std::to_string(host::MenuText::IconProperty) + "(~" + item.ICON + ")";
            piece += ']';
        }
        std::string label = TRANSLATOR ? TRANSLATOR->TranslateText(item.TEXT) : item.TEXT;
        // Item texts are written literally: a "|" or a leading "-" in a caption must not
        // split the item or read as a mark.
        piece += host::MenuText::escaped(label);
        if (piece.empty())
            piece = " "; // an empty piece would vanish and shift the choice numbers
        text += piece;
    }
    return text;
}

std::size_t PopupMenu::ChoiceToEntry(int choice) const {
    if (!POPUPITEMS || choice <= 0)
        return 0;
    const std::vector<Item>& items = *POPUPITEMS;
    int count = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        bool header = i + 1 < items.size() && items[i + 1].DEPTH > items[i].DEPTH;
        if (isSeparator(items[i]) || header)
            continue;
        if (++count == choice)
            return i + 1;
    }
    return 0;
}

int PopupMenu::PresentMenu(const std::string& menuText, int x, int y) {
    return host::popupMenu(menuText, x, y);
}

std::string PopupMenu::choose(std::size_t position) {
    const Item* item = EntryAt(position);
    LASTSELECTION = item ? item->NAME : std::string();
    if (item && (item->EVENT != 0 || item->MIMICMODE == 1)) {
        if (CLEARKEYCODE)
            host::setKeyCode(0);
        host::EventKind kind = item->MIMICMODE == 1 ? host::EventKind::Accepted
                                                    : static_cast<host::EventKind>(item->EVENT);
        host::desktop().post(MYTHREAD, kind, item->CONTROLID);
    }
    return LASTSELECTION;
}

std::string PopupMenu::OpenMenu(int x, int y) {
    int choice = PresentMenu(ComposeMenuText(), x, y);
    return choose(ChoiceToEntry(choice));
}

// --- The toolbox

void PopupMenu::OpenToolbox(std::string_view title) {
    if (toolbox_ && toolbox_->window) {
        // Already open: bring it forward rather than open a second one.
        host::desktop().activate(*toolbox_->window);
        return;
    }
    INTOOLBOX = 1;
    PARENTWINDOW = host::desktop().topWindowOf(host::currentThread());
    parentWindowId_ = PARENTWINDOW ? PARENTWINDOW->id() : 0;
    toolbox_ = std::make_shared<ToolboxLink>();
    toolbox_->menu = this;
    host::startThread(
        [link = toolbox_, caption = std::string(title)] { runToolbox(link, caption); });
}

std::size_t PopupMenu::toolboxEntry(int button) const {
    if (!toolbox_ || button < 1 || button > static_cast<int>(toolbox_->buttons.size()))
        return 0;
    return LocateEntry(toolbox_->buttons[static_cast<std::size_t>(button - 1)]);
}

void PopupMenu::buildToolbox(host::Window& toolbox) {
    toolbox_->buttons.clear();
    if (!POPUPITEMS)
        return;
    int top = 0;
    int widest = 0;
    int number = 0;
    for (const Item& item : *POPUPITEMS) {
        if (item.ONTOOLBOX != 1)
            continue;
        toolbox.createControl(host::ControlKind::Button, ++number);
        toolbox_->buttons.push_back(item.NAME);
        Item shown = MirrorButton(item, parentWindow());
        int width = iconButtonWidth;
        int height = iconButtonHeight;
        if (shown.ICON.empty()) {
            int characters = static_cast<int>(host::MenuText::displayText(shown.TEXT).size());
            width = std::max(smallestTextButton, characters * characterWidth + textButtonMargin);
            height = textButtonHeight;
        }
        toolbox.setProperty(number, host::Property::X, 0);
        toolbox.setProperty(number, host::Property::Y, top);
        toolbox.setProperty(number, host::Property::Width, width);
        toolbox.setProperty(number, host::Property::Height, height);
        top += height;
        widest = std::max(widest, width);
    }
    toolbox.setProperty(0, host::Property::Width, widest);
    toolbox.setProperty(0, host::Property::Height, top);
    refreshToolbox(toolbox);
}

void PopupMenu::refreshToolbox(host::Window& toolbox) {
    const host::Window* parent = parentWindow();
    for (std::size_t i = 0; i < toolbox_->buttons.size(); ++i) {
        int button = static_cast<int>(i + 1);
        const Item* item = EntryAt(LocateEntry(toolbox_->buttons[i]));
        if (!item) {
            toolbox.disable(button); // the item was removed meanwhile
            continue;
        }
        Item shown = MirrorButton(*item, parent);
        if (!shown.ICON.empty()) {
            toolbox.setProperty(button, host::Property::Icon, "~" + shown.ICON);
            toolbox.setProperty(button, host::Property::Tip, shown.TEXT);
            toolbox.setProperty(button, host::Property::Text, "");
        } else {
            toolbox.setProperty(button, host::Property::Text, shown.TEXT);
        }
        if (shown.DISABLED == 1)
            toolbox.disable(button);
        else
            toolbox.enable(button);
    }
}

void PopupMenu::runToolbox(std::shared_ptr<ToolboxLink> link, std::string title) {
    if (!link->menu)
        return;
    auto definition = std::make_shared<host::WindowDefinition>();
    definition->name = std::string(toolboxWindowName);
    definition->title = title;
    definition->systemMenu = true;
    definition->timer = toolboxRefreshInterval;
    host::Window toolbox(definition);
    link->window = &toolbox;
    link->menu->THISWINDOW = &toolbox;
    link->menu->buildToolbox(toolbox);
    toolbox.open();
    // Each pressed button acts as choosing its item from the menu; the loop ends when
    // the toolbox is closed (by the user, or by the menu's teardown).
    while (toolbox.nextEvent()) {
        PopupMenu* menu = link->menu;
        if (!menu) {
            toolbox.endCycle(host::CycleEnd::Leave);
            break;
        }
        if (toolbox.currentEvent() == host::EventKind::Timer) {
            menu->refreshToolbox(toolbox);
        } else if (toolbox.currentEvent() == host::EventKind::Accepted) {
            if (std::size_t entry = menu->toolboxEntry(toolbox.eventControl())) {
                menu->choose(entry);
                toolbox.endCycle(host::CycleEnd::Consumed);
                continue;
            }
        }
        toolbox.endCycle(host::CycleEnd::DefaultAction);
    }
    link->window = nullptr;
    if (PopupMenu* menu = link->menu) {
        menu->INTOOLBOX = 0;
        menu->THISWINDOW = nullptr;
        if (menu->toolbox_ == link)
            menu->toolbox_.reset();
    }
}

} // namespace framework
