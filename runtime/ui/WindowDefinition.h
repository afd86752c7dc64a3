#pragma once

#include "runtime/ui/ControlDefinition.h"

#include <string>
#include <string_view>
#include <vector>

namespace host {

// A window as the definition text describes it: attributes, status-bar zones and every
// control (menus, menu items and toolbar buttons included) in the order written.
// Definitions are loaded by name from the program's resources (WindowResources) and
// shared, read-only, by every window opened from them.
struct WindowDefinition {
    std::string name;   // "P33$BROWSEWINDOW"
    std::string module; // "mirto$mirto001" (set when registered)
    std::string title;
    Rect at;
    Font font;
    std::string icon;
    bool mdiChild = false; // opens inside the application frame
    bool frame = false;    // the application frame (multiple-document parent)
    bool modal = false;    // blocks the other windows of its thread's frame
    bool resizable = false;
    bool systemMenu = false;
    bool maximizeBox = false;
    bool minimizeBox = false;
    bool maximized = false; // opens maximised
    bool centered = false;
    int timer = 0;                      // timer interval in hundredths of a second, 0 = none
    std::vector<int> statusZones;       // widths of the status-bar zones; -1 = the rest; empty =
                                        // no status bar
    std::vector<std::string> alertKeys; // window-level alert keys
    std::vector<ControlDefinition> controls;
    int line = 0;

    // The control with this number, or null.
    const ControlDefinition* control(int number) const;
    // The control with this name (letter case ignored), or null.
    const ControlDefinition* controlNamed(std::string_view name) const;
    // The largest control number used (0 when there are none).
    int highestNumber() const;
};

} // namespace host
