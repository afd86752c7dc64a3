#pragma once

#include "runtime/ui/Property.h"
#include "runtime/ui/Rect.h"

#include <cstdint>
#include <vector>

namespace host {
class Window;
}

namespace framework {

// Keeps a window's controls in sensible places when the user resizes the window. It
// captures every control's original rectangle, gives each a positional strategy (how its
// left and top follow the window's new size) and a resize strategy (how its width and
// height follow), and on every size change computes each control's rectangle afresh from
// the original one, so that returning to the original size puts every control back
// exactly. Containers carry the controls inside them along.
class WindowResizer {
public:
    // A rectangle as the resizer keeps it.
    struct Placement {
        std::int32_t XPOS = 0;
        std::int32_t YPOS = 0;
        std::int32_t WIDTH = 0;
        std::int32_t HEIGHT = 0;
        friend bool operator==(const Placement&, const Placement&) = default;
    };
    struct WindowState {
        std::int32_t XPOS = 0;
        std::int32_t YPOS = 0;
        std::int32_t WIDTH = 0;
        std::int32_t HEIGHT = 0;
        std::uint8_t MAXIMIZED = 0;
        std::uint8_t ICONIZED = 0;
    };
    // One control: its host type, strategies, original rectangle and parent (0 = the
    // window).
    struct ControlEntry {
        std::int32_t ID = 0;
        std::int32_t TYPE = 0;
        std::uint8_t HASCHILDREN = 0;
        std::uint16_t POSITIONALSTRATEGY = 0;
        std::uint16_t RESIZESTRATEGY = 0;
        Placement POS;
        std::int32_t PARENTID = 0;
    };
    // One move of a layout.
    struct Move {
        std::int32_t PRIORITY = 0;
        std::int32_t CONTROLID = 0;
        std::int32_t TYPE = 0;
        Placement BEFORE;
        Placement AFTER;
    };

    // Positional codes, one per axis: the low byte of a positional strategy is the
    // horizontal code, the high byte the vertical one.
    enum Position : std::uint8_t {
        Proportional = 0, // the offset from the parent's edge scales
        Fixed = 1,        // the original coordinate is kept
        FarEdge = 2,      // the distance to the parent's right (bottom) edge is kept
        NearEdge = 3,     // the offset from the parent's left (top) edge is kept
        Centred = 4,      // the offset from the parent's centre is kept
        NearestEdge = 5,  // NearEdge or FarEdge, whichever edge is closer
    };
    // Resize flags.
    enum Resize : std::uint16_t {
        KeepWidth = 1,
        KeepHeight = 2,
        WidthToRightEdge = 4,   // the gap to the parent's right edge is kept
        HeightToBottomEdge = 8, // the gap to the parent's bottom edge is kept
    };
    // A control carrying this property (non-zero) is left where it is.
    static constexpr host::Property ExcludeProperty =
        static_cast<host::Property>(static_cast<int>(host::Property::UserDefined) + 1);

    WindowResizer() = default;
    virtual ~WindowResizer();
    WindowResizer(const WindowResizer&) = delete;
    WindowResizer& operator=(const WindowResizer&) = delete;

    // Virtual operations, in slot order.
    virtual std::int32_t ParentOf(std::int32_t id) const;
    // Captures the window and its controls as they are now.
    virtual void Reset();
    // Lays the window out for its current size (the Sized handler).
    virtual void Relayout();
    virtual std::uint8_t RelayoutChildren(std::int32_t parentId);
    // The window's original states and size back, and every control at its original place.
    virtual void RestoreOriginal();
    // Works out each control's parent: the host's parent, or the control it lies in.
    virtual void DefaultParents();
    virtual Placement Reposition(std::int32_t controlId, const Placement& origParent,
                                 const Placement& newParent, const Placement& origRect);

    // Starts resizing `window` with strategy set 1, 2 or 3; `minSize`/`maxSize` make the
    // original size the window's smallest/largest.
    void Setup(host::Window& window, std::uint8_t appStrategy, bool minSize, bool maxSize);
    void Teardown();

    // The strategies a control of a host type gets under a strategy set.
    static std::uint16_t PositionalStrategyFor(std::uint8_t appStrategy, std::int32_t type);
    static std::uint16_t ResizeStrategyFor(std::uint8_t appStrategy, std::int32_t type);

    // Changes the strategies of one control (after Setup); false when it is not kept.
    bool SetStrategy(std::int32_t controlId, std::uint16_t positional, std::uint16_t resize);
    const ControlEntry* Entry(std::int32_t controlId) const;
    host::Window* Window() const { return window_; }

    std::uint8_t APPSTRATEGY = 0;
    std::uint8_t AUTOTRANSPARENT = 0;
    WindowState ORIGWIN;
    std::vector<ControlEntry> CONTROLQUEUE; // kept in ID order
    std::uint8_t DEFERMOVES = 0;
    Placement PREVIOUSWIN;
    std::uint8_t RESIZECALLED = 0;
    std::vector<Move> RESIZELIST;

private:
    ControlEntry* find(std::int32_t id);
    Placement currentRect(std::int32_t id) const;
    Placement windowRect() const;
    void moveControl(std::int32_t id, const Placement& rect);
    void repositionChildren(std::int32_t parentId, const Placement& origParent,
                            const Placement& newParent, int depth);
    bool isAncestor(std::int32_t candidate, std::int32_t of) const;

    host::Window* window_ = nullptr;
    int handler_ = 0;
};

} // namespace framework
