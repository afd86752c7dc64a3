#pragma once

#include "runtime/base/Decimal.h"
#include "runtime/ui/ControlKind.h"
#include "runtime/ui/Font.h"
#include "runtime/ui/Rect.h"

#include <string>
#include <vector>

namespace host {

// Per-control flags of a window definition.
struct ControlFlags {
    bool required = false;  // the accept-all pass refuses it blank
    bool immediate = false; // entry: NewSelection on every change; list: scroll events
                            // instead of moving the selection itself
    bool isDefault = false; // button pressed by Enter
    bool isCancel = false;  // button pressed by Esc
    bool disabled = false;
    bool hidden = false;
    bool readOnly = false;
    bool upper = false;       // entry turns typed text to upper case
    bool capitalised = false; // entry capitalises each word
    bool password = false;
    bool checked = false; // check box or menu item starts checked
    bool skip = false;    // Tab skips the control
    bool vscroll = false; // list/text: vertical scroll bar
    bool hscroll = false;
    bool separator = false; // menu item: a separator line
    bool transparent = false;
    bool noCase = false; // list locating ignores case (kept for the framework)
    bool resizableColumns = false;
    friend bool operator==(const ControlFlags&, const ControlFlags&) = default;
};

// One control of a window definition, as written in the definition text. The control
// tree (menus, toolbar, sheets, tabs, groups, options) is kept by `parent`.
struct ControlDefinition {
    int number = 0; // the control number the program uses
    ControlKind kind = ControlKind::Label;
    std::string name; // optional label ("?Insert") to find the control by name
    std::string text; // caption, prompt or initial text
    Rect at;          // position and size (0 width/height: the host's default)
    Font font;
    std::string picture;                // display picture of an entry, spin or display ("@s30")
    std::string use;                    // name of the bound variable ("CUS:NAME")
    std::string from;                   // list/drop list: queue name; or choices "A|B|C"
    std::string format;                 // list: column format string
    std::string statusText;             // shown in the status bar while the control has focus
    std::string tip;                    // tool tip
    std::string icon;                   // icon or toolbar image ("WIZFIRST.gif")
    std::string image;                  // image control's picture file
    std::string value;                  // radio: the option value it stands for; check: the value
                                        // when ticked
    std::string falseValue;             // check: the value when not ticked
    std::string key;                    // menu item or button accelerator key name ("Ctrl+P")
    std::string standard;               // menu item's standard action: "print-setup", "exit",
                                        // "cut", "copy", "paste", "tile", "cascade", "arrange",
                                        // "help-contents", "help-search", "help-how"
    std::vector<std::string> alertKeys; // key names armed as alert keys on opening
    int items = 0;                      // list: visible rows (0: from the height); drop list:
                                        // rows of the dropped list
    bool hasRange = false;              // spin/progress range
    Decimal rangeLow = 0;               // a spin box's range and step may have places
    Decimal rangeHigh = 0;
    Decimal step = 1;
    int parent = 0; // number of the containing control, 0 = the window
    ControlFlags flags;
    int line = 0; // line of the definition text, for messages
};

} // namespace host
