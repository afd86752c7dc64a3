#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace framework {

class ToolbarTarget;
class WindowController;

// Routes the frame's toolbar to the browse the user works in. Each procedure window owns
// one (AttachToolbar); each browse of the window enlists a target for its list control.
// The router keeps one target current, lets it set up the toolbar, and hands it the
// toolbar presses the window receives. A window with no targets (an update form) leaves
// every toolbar press to the window itself.
class ToolbarRouter {
public:
    struct Entry {
        std::int32_t ID = 0; // the list control of a browse
        ToolbarTarget* ITEM = nullptr;
    };

    ToolbarRouter() = default;
    virtual ~ToolbarRouter();
    ToolbarRouter(const ToolbarRouter&) = delete;
    ToolbarRouter& operator=(const ToolbarRouter&) = delete;

    // Virtual operations, in slot order.
    virtual void ShowButtons();
    virtual void Teardown();
    virtual void OnAccepted(WindowController& window);

    // Creates the target list; `window` is the window the router serves.
    void Setup(WindowController& window);
    // Enlists `target` for the list control `control` (kept in control order).
    void EnlistTarget(ToolbarTarget& target, std::int32_t control);
    // Makes the target of `control` current and activates it; with 0, every target whose
    // list is visible activates itself and the last of them becomes current.
    void FocusTarget(std::int32_t control);

    ToolbarTarget* CurrentTarget() const;
    WindowController* Window() const { return window_; }

    std::unique_ptr<std::vector<Entry>> LIST; // in ID order

private:
    WindowController* window_ = nullptr;
    std::size_t current_ = 0; // 1-based position of the current entry, 0 = none
};

} // namespace framework
