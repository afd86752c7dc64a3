#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace host {

enum class MenuCheck : std::uint8_t { None, Checked, Unchecked };

// One entry of a popup menu: a choice, a separator line, or a submenu holding entries.
struct MenuEntry {
    enum class Kind : std::uint8_t { Item, Separator, Submenu };

    Kind kind = Kind::Item;
    std::string text; // as shown, '&' marking the hot key
    std::string name; // unique within its menu
    bool disabled = false;
    MenuCheck check = MenuCheck::None;
    std::string icon; // icon name; empty = none
    std::vector<MenuEntry> entries;

    // Only items can be chosen; a disabled item still counts when choices are numbered.
    bool isSelectable() const { return kind == Kind::Item; }

    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// An entry in menu order with its nesting level (1 = top) and its choice number
// (0 for separators and submenus).
struct MenuLine {
    int depth = 1;
    const MenuEntry* entry = nullptr;
    int number = 0;
};

// The runtime's popup menu text and the tree it describes.
//
//   "|" ends an entry; "{" ends an entry and opens its submenu; "}" ends an entry and
//   closes the submenu; empty pieces are skipped. A piece that is just "-" is a
//   separator. Otherwise its leading marks are read one by one: "~" disabled, "+"
//   checked, "-" unchecked. Then an optional icon block, "[]" (no icon) or
//   "[1(~name)]", and the text. A backslash before one of | { } [ ] ( ) ~ + - \ takes
//   that character literally; any other backslash is an ordinary character.
//
// A popup returns the number of the chosen entry, counting items only, in menu order:
// separators and submenus are not counted.
class MenuText {
public:
    // The number written before an icon's name in an icon block.
    static constexpr int IconProperty = 1;
    // Submenus deeper than this are kept at this level.
    static constexpr int DeepestLevel = 32;

    MenuText() = default;

    // Any text gives a menu; what cannot be read as marks or an icon block is text.
    static MenuText parse(std::string_view text);

    // Adds an entry after the last one at nesting `depth`, as a popup's item list holds
    // them: an entry deeper than the one before it goes into that one's submenu (one
    // level down, however much deeper); an entry as deep as an earlier one on the way
    // up goes beside it. So an entry is a submenu exactly when the next one is deeper.
    // An entry without a name gets one derived from its text (entryName), made unique.
    void append(MenuEntry entry, int depth = 1);

    const std::vector<MenuEntry>& entries() const { return entries_; }
    bool isEmpty() const { return entries_.empty(); }

    int selectableCount() const;
    // The entry a popup choice number stands for; null for 0 or beyond the last.
    const MenuEntry* selectable(int number) const;
    // The choice number of the named item; 0 when there is none or it is no item.
    int numberOf(std::string_view name) const;
    const MenuEntry* find(std::string_view name) const;
    // Every entry in menu order, submenu entries after their submenu.
    std::vector<MenuLine> lines() const;

    // The menu text (parsing it gives this menu back). When any entry has an icon,
    // every entry but the separators carries an icon block, as the popup lines up its
    // texts then. An entry without text gets an empty icon block ("[]", "-[]") so that
    // it stays the entry it is.
    std::string toText() const;

    // `text` with the characters that have a meaning in a menu text escaped, so that
    // it reads back as one entry's text.
    static std::string escaped(std::string_view text);
    // The name an entry of this text gets: "Separator" for "-", otherwise the letters,
    // digits and underscores of the text ("&Insert" gives "Insert").
    static std::string entryName(std::string_view text);
    // The text without its hot-key marks: "&Insert" shows "Insert", "&&" shows "&".
    static std::string displayText(std::string_view text);

private:
    std::vector<MenuEntry> entries_;
    std::unordered_set<std::string> names_;
    // The depth each entry on the chain of last entries was appended with.
    std::vector<int> depths_;
};

} // namespace host
