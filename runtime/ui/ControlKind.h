#pragma once

#include <optional>
#include <string_view>

namespace host {

// The kinds of controls a window holds. The numbers are the host's control-type codes,
// which the window resizer's strategy tables are keyed by.
enum class ControlKind : int {
    Label = 1,   // a fixed text
    Display = 2, // a text that shows a variable (read only)
    Image = 3,   // a picture file
    Region = 4,  // an invisible area that reacts to the mouse
    Line = 5,
    Box = 6,
    Ellipse = 7,
    Entry = 8, // one-line entry bound to a variable through a picture
    Button = 9,
    Prompt = 10,   // the caption in front of an entry ("&Name:")
    Option = 11,   // a group of radio buttons bound to one variable
    Check = 12,    // check box
    Group = 13,    // a frame around controls
    List = 14,     // list box bound to a queue, columns by a format string
    Combo = 15,    // entry with a drop-down list (also a file-name field with a button)
    Spin = 16,     // spin box
    Text = 17,     // multi-line text
    Menu = 19,     // a menu of the menu bar (or a submenu)
    Item = 20,     // a menu item (a separator is an item with the separator flag)
    Radio = 21,    // one choice of an option group
    Toolbar = 23,  // the window's toolbar; its controls sit inside it
    Progress = 31, // progress bar
    DropList = 34, // a drop-down list to choose from
    Sheet = 37,    // a sheet of tabs
    Tab = 38,      // one tab of a sheet; its controls sit inside it
    Panel = 39,    // a raised or sunken panel
};

// The kind's word in window definitions ("entry", "droplist"); and back. The word
// "separator" stands for a separator menu item and is not a kind of its own.
std::string_view controlKindName(ControlKind kind);
std::optional<ControlKind> controlKindNamed(std::string_view word);

// Kinds the user types into or chooses with, which the accept-all pass validates.
bool isEntryKind(ControlKind kind);
// Kinds that hold other controls (their definitions open a block).
bool isContainerKind(ControlKind kind);

} // namespace host
