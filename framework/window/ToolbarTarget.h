#pragma once

#include <cstdint>
#include <string_view>

namespace host {
class Window;
}

namespace framework {

class ControlledBrowse;
class ToolbarRouter;
class WindowController;

// One browse list as the frame's toolbar sees it: its list control and its own update,
// select and help buttons. When it is the router's current target it enables the
// toolbar buttons to match its own buttons, and turns toolbar presses into events for
// its list or presses of its buttons. The browse creates it (AttachToolbar) and frees it.
class ToolbarTarget {
public:
    ToolbarTarget() = default;
    virtual ~ToolbarTarget();
    ToolbarTarget(const ToolbarTarget&) = delete;
    ToolbarTarget& operator=(const ToolbarTarget&) = delete;

    // Virtual operations, in slot order.

    // Disables the history button, enables the navigation buttons, and enables each of
    // insert, change, delete, select and help when the browse has that button enabled.
    virtual void ShowButtons();
    // Gives the toolbar buttons their tool tips, then ShowButtons.
    virtual void Activate();
    // Activates the target when its list is visible; true when it did.
    virtual bool TryActivate();
    // Acts on the toolbar button accepted in `window`.
    virtual void OnAccepted(WindowController& window);

    // The packed tool-tip table: a one-byte record count, then per record the toolbar
    // control (unsigned 16-bit, little-endian) and its tip (a length byte and the text).
    static std::string_view ToolTipTable();

    std::int32_t CONTROL = 0; // the browse's list control
    std::int32_t HELPBUTTON = 0;
    std::int32_t INSERTBUTTON = 0;
    std::int32_t CHANGEBUTTON = 0;
    std::int32_t DELETEBUTTON = 0;
    std::int32_t SELECTBUTTON = 0;
    ControlledBrowse* BROWSE = nullptr;

    // The router that enlisted the target (set by EnlistTarget).
    ToolbarRouter* Router() const { return router_; }

protected:
    // The browse's window, and the window that holds the toolbar buttons: the frame of
    // an MDI child that has none of its own, else the window itself.
    host::Window* BrowseWindow() const;
    host::Window* ToolbarWindow() const;

private:
    friend class ToolbarRouter;
    ToolbarRouter* router_ = nullptr;
};

} // namespace framework
