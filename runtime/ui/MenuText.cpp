#include "runtime/ui/MenuText.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace host {

namespace {

constexpr std::string_view specialCharacters = "|{}[]()~+-\\";

bool isSpecial(char c) {
    return specialCharacters.find(c) != std::string_view::npos;
}

// One character of a piece, and whether a backslash made it literal.
struct Symbol {
    char c;
    bool literal;
};

using Symbols = std::vector<Symbol>;

bool isMark(const Symbol& s, char c) {
    return !s.literal && s.c == c;
}

std::string textOf(Symbols::const_iterator from, Symbols::const_iterator to) {
    std::string text;
    for (auto it = from; it != to; ++it)
        text += it->c;
    return text;
}

// "[]" or "[digits(~name)]" at `at`; moves `at` past it and sets `icon` when it is one.
bool readIconBlock(const Symbols& piece, std::size_t& at, std::string& icon) {
    std::size_t i = at;
    auto marks = [&](char c) { return i < piece.size() && isMark(piece[i], c); };
    if (!marks('['))
        return false;
    ++i;
    if (marks(']')) {
        at = i + 1;
        icon.clear();
        return true;
    }
    std::size_t digits = i;
    while (i < piece.size() && !piece[i].literal &&
           std::isdigit(static_cast<unsigned char>(piece[i].c)))
        ++i;
    if (i == digits || !marks('('))
        return false;
    ++i;
    if (!marks('~'))
        return false;
    std::size_t nameStart = ++i;
    while (i < piece.size() && !isMark(piece[i], ')'))
        ++i;
    if (i == piece.size() || i + 1 >= piece.size() || !isMark(piece[i + 1], ']'))
        return false;
    icon = textOf(piece.begin() + static_cast<std::ptrdiff_t>(nameStart),
                  piece.begin() + static_cast<std::ptrdiff_t>(i));
    at = i + 2;
    return true;
}

MenuEntry entryOf(const Symbols& piece) {
    MenuEntry entry;
    if (piece.size() == 1 && isMark(piece[0], '-')) {
        entry.kind = MenuEntry::Kind::Separator;
        entry.text = "-";
        return entry;
    }
    std::size_t at = 0;
    for (; at < piece.size() && !piece[at].literal; ++at) {
        if (piece[at].c == '~')
            entry.disabled = true;
        else if (piece[at].c == '+')
            entry.check = MenuCheck::Checked;
        else if (piece[at].c == '-')
            entry.check = MenuCheck::Unchecked;
        else
            break;
    }
    readIconBlock(piece, at, entry.icon);
    entry.text = textOf(piece.begin() + static_cast<std::ptrdiff_t>(at), piece.end());
    return entry;
}

std::string escapedIconName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == ')' || c == '\\' || c == '|' || c == '{' || c == '}')
            out += '\\';
        out += c;
    }
    return out;
}

bool anyIcon(const std::vector<MenuEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const MenuEntry& e) { return !e.icon.empty() || anyIcon(e.entries); });
}

void writeEntries(std::string& out, const std::vector<MenuEntry>& entries, bool iconBlocks) {
    bool afterSubmenu = true; // nothing separates the first entry from what precedes it
    for (const MenuEntry& entry : entries) {
        if (!afterSubmenu)
            out += '|';
        if (entry.kind == MenuEntry::Kind::Separator) {
            out += '-';
            afterSubmenu = false;
            continue;
        }
        std::string marks;
        if (entry.disabled)
            marks += '~';
        if (entry.check == MenuCheck::Checked)
            marks += '+';
        else if (entry.check == MenuCheck::Unchecked)
            marks += '-';
        out += marks;
        if (iconBlocks) {
            out += '[';
            if (!entry.icon.empty())
                out += std::to_string(MenuText::IconProperty) + "(~" + escapedIconName(entry.icon) +
                       ')';
            out += ']';
        }
        // Without text a piece would vanish, and an unchecked mark alone would read as a
        // separator: an empty icon block keeps the entry what it is.
        if (entry.text.empty() && !iconBlocks)
            out += "[]";
        out += MenuText::escaped(entry.text);
        bool submenu = entry.kind == MenuEntry::Kind::Submenu && !entry.entries.empty();
        if (submenu) {
            out += '{';
            writeEntries(out, entry.entries, iconBlocks);
            out += '}';
        }
        afterSubmenu = submenu;
    }
}

} // namespace

MenuText MenuText::parse(std::string_view text) {
    MenuText menu;
    Symbols piece;
    int depth = 1;
    auto endPiece = [&] {
        if (!piece.empty())
            menu.append(entryOf(piece), depth);
        piece.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size() && isSpecial(text[i + 1])) {
            piece.push_back({text[++i], true});
        } else if (c == '|') {
            endPiece();
        } else if (c == '{') {
            endPiece();
            depth = std::min(depth + 1, DeepestLevel);
        } else if (c == '}') {
            endPiece();
            depth = std::max(depth - 1, 1);
        } else {
            piece.push_back({c, false});
        }
    }
    endPiece();
    return menu;
}

void MenuText::append(MenuEntry entry, int depth) {
    if (entry.name.empty()) {
        std::string base = entryName(entry.text);
        entry.name = base;
        for (int n = 1; names_.contains(entry.name); ++n)
            entry.name = base + std::to_string(n);
    }
    names_.insert(entry.name);
    if (entry.kind == MenuEntry::Kind::Submenu && entry.entries.empty())
        entry.kind = MenuEntry::Kind::Item;
    // Only relative depths matter: an entry deeper than the one before it opens that
    // one's submenu, as the popup numbers its choices.
    if (depths_.empty()) {
        depths_.push_back(depth);
    } else {
        while (depths_.size() > 1 && depth < depths_.back())
            depths_.pop_back();
        if (depth > depths_.back() && depths_.size() < DeepestLevel)
            depths_.push_back(depth);
        else
            depths_.back() = depth;
    }
    std::vector<MenuEntry>* level = &entries_;
    for (std::size_t d = 1; d < depths_.size(); ++d) {
        MenuEntry& parent = level->back();
        parent.kind = MenuEntry::Kind::Submenu;
        level = &parent.entries;
    }
    level->push_back(std::move(entry));
}

std::vector<MenuLine> MenuText::lines() const {
    std::vector<MenuLine> lines;
    int number = 0;
    std::function<void(const std::vector<MenuEntry>&, int)> walk =
        [&](const std::vector<MenuEntry>& entries, int depth) {
            for (const MenuEntry& entry : entries) {
                lines.push_back({depth, &entry, entry.isSelectable() ? ++number : 0});
                walk(entry.entries, depth + 1);
            }
        };
    walk(entries_, 1);
    return lines;
}

int MenuText::selectableCount() const {
    int count = 0;
    for (const MenuLine& line : lines())
        count += line.number != 0;
    return count;
}

const MenuEntry* MenuText::selectable(int number) const {
    if (number < 1)
        return nullptr;
    for (const MenuLine& line : lines())
        if (line.number == number)
            return line.entry;
    return nullptr;
}

int MenuText::numberOf(std::string_view name) const {
    for (const MenuLine& line : lines())
        if (line.entry->name == name)
            return line.number;
    return 0;
}

const MenuEntry* MenuText::find(std::string_view name) const {
    for (const MenuLine& line : lines())
        if (line.entry->name == name)
            return line.entry;
    return nullptr;
}

std::string MenuText::toText() const {
    std::string out;
    writeEntries(out, entries_, anyIcon(entries_));
    return out;
}

std::string MenuText::escaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool structural = c == '|' || c == '{' || c == '}' || c == '\\';
        // Marks and the icon block are only read at the start of a piece.
        bool leading = i == 0 && (c == '~' || c == '+' || c == '-' || c == '[');
        if (structural || leading)
            out += '\\';
        out += c;
    }
    return out;
}

std::string MenuText::entryName(std::string_view text) {
    if (text == "-")
        return "Separator";
    std::string name;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_')
            name += c;
    return name;
}

std::string MenuText::displayText(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&')
                shown += text[++i];
            continue;
        }
        shown += text[i];
    }
    return shown;
}

} // namespace host
