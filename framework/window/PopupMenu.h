#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class Window;
}

namespace framework {

class IniStore;
class TextTranslator;

// A context menu kept as a list of items: plain entries, entries that post an event to a
// control, and entries that mimic a button (they show its caption, icon and state, and
// choosing them presses it). Items nest into submenus, carry check marks and icons, and
// can also be offered in a floating toolbox window with one button per item, which runs
// on a logical thread of its own and posts the chosen items' events back to the thread
// that owns the menu.
class PopupMenu {
public:
    // One item of the menu.
    struct Item {
        std::int16_t CONTROLID = 0; // the control the item acts on (0 = none)
        std::uint16_t DEPTH = 1;    // nesting level, 1 = top
        std::uint16_t EVENT = 0;    // event posted to CONTROLID when chosen (0 = none)
        std::uint8_t MIMICMODE = 0; // 1: the item mimics CONTROLID
        std::uint8_t DISABLED = 0;  // 0 follow the control, 1 disabled, 2 enabled
        std::uint8_t CHECK = 0;     // 0 no check mark, 1 checked, 2 unchecked
        std::uint8_t ONTOOLBOX = 0; // 1: the item has a button in the toolbox
        std::string ICON;
        std::string NAME; // unique
        std::string TEXT; // "-" is a separator; "!" first: show the mimicked caption
    };

    static constexpr std::size_t nameLimit = 1024;
    // The toolbox window's name, and how often it refreshes its buttons (hundredths).
    static constexpr std::string_view toolboxWindowName = "P10$W";
    static constexpr int toolboxRefreshInterval = 25;

    PopupMenu();
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    void Setup();
    // Disposes of the items; an open toolbox is closed first.
    void Teardown();

    // Each add operation returns the name the new item got.
    std::string AppendEntry(std::string_view text);
    std::string PlaceEntryAfter(std::string_view afterName, std::string_view name,
                                std::string_view text, std::uint16_t depth = 0);
    std::string AppendEventEntry(std::string_view text, std::uint16_t event, std::int16_t control);
    std::string AppendButtonEntry(std::string_view menuText, std::string_view nameSource,
                                  std::int16_t control);
    // Reads "A|B{C|D}E" into items after the named item; with no name the menu is
    // emptied first.
    void ParseEntriesAfter(std::string_view afterName, std::string_view menuText);
    void AppendSubmenu(std::string_view afterName, std::string_view title,
                       std::string_view menuText);
    void RemoveEntry(std::string_view name);

    void ShowEntryOnToolbox(std::string_view name, bool flag);
    void GiveEntryIcon(std::string_view name, std::string_view icon);
    void EnableEntry(std::string_view name, bool flag);
    void CheckEntry(std::string_view name, bool flag);

    // 1-based position of the item named `name`, 0 when there is none.
    std::size_t LocateEntry(std::string_view name) const;
    std::size_t EntryCount() const { return POPUPITEMS ? POPUPITEMS->size() : 0; }
    const Item* EntryAt(std::size_t position) const;
    const std::string& LastChoiceName() const { return LASTSELECTION; }
    void UseTranslator(TextTranslator* translator) { TRANSLATOR = translator; }

    // Shows the menu at (x, y) (-1: where the runtime puts it), acts on the chosen item
    // and returns its name (empty when none was chosen).
    std::string OpenMenu(int x = -1, int y = -1);
    // Opens the toolbox, captioned `title`, on a new logical thread, owned by the window
    // of the calling thread.
    void OpenToolbox(std::string_view title);

    // The menu text the runtime's popup shows for the items as they are now.
    std::string ComposeMenuText() const;
    // The item as it shows: a mimic item takes the caption, state and icon of its control
    // in `window`.
    Item MirrorButton(const Item& item, const host::Window* window) const;
    // The item (1-based position) a popup choice number stands for; 0 for none.
    std::size_t ChoiceToEntry(int choice) const;
    // The name an item made from `text` gets: its letters, digits and underscores
    // ("Separator" for "-"), numbered when that name is taken.
    std::string DeriveEntryName(std::string_view text) const;

    std::uint8_t CLEARKEYCODE = 0;
    std::string LASTSELECTION;
    std::unique_ptr<std::vector<Item>> POPUPITEMS;
    TextTranslator* TRANSLATOR = nullptr;
    IniStore* INIMGR = nullptr;
    std::uint8_t INTOOLBOX = 0;
    std::int32_t MYTHREAD = 0;
    host::Window* PARENTWINDOW = nullptr;
    host::Window* THISWINDOW = nullptr;

protected:
    // Shows the menu text as a popup and returns the chosen selectable entry (0 = none).
    virtual int PresentMenu(const std::string& menuText, int x, int y);

private:
    struct ToolboxLink;

    std::string placeEntry(std::size_t position, std::uint16_t depth, std::string_view nameSource,
                           std::string_view text);
    Item* itemNamed(std::string_view name);
    // Acts on the chosen item (0: none): remembers its name and posts its event.
    std::string choose(std::size_t position);
    const host::Window* parentWindow() const;
    const host::Window* targetWindow() const;
    void buildToolbox(host::Window& toolbox);
    void refreshToolbox(host::Window& toolbox);
    // The item behind toolbox button `button` (1-based among the toolbox items).
    std::size_t toolboxEntry(int button) const;
    static void runToolbox(std::shared_ptr<ToolboxLink> link, std::string title);

    std::shared_ptr<ToolboxLink> toolbox_;
    int parentWindowId_ = 0;
};

} // namespace framework
