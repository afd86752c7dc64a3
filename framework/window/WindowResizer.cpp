#include "framework/window/WindowResizer.h"

#include "runtime/base/Decimal.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Window.h"

#include <algorithm>
#include <utility>

namespace framework {

namespace {

using host::Decimal;
using host::Property;

// Containers nest only so deep; deeper chains (which only a broken parent list can
// make) are not followed.
constexpr int deepestNesting = 64;

// The scale from an original to a new size, to 4 places. A parent that had no size
// keeps its children's sizes: scaling by zero would collapse them.
Decimal scale(std::int32_t newSize, std::int32_t origSize) {
    if (origSize == 0)
        return Decimal(1);
    return (Decimal(newSize) / Decimal(origSize)).rounded(4);
}

std::int32_t whole(const Decimal& value) {
    return static_cast<std::int32_t>(value.toInteger());
}

// One axis of Reposition: the new near edge (left or top) by the positional code.
Decimal placeEdge(std::uint8_t code, bool keepSize, Decimal factor, std::int32_t origin,
                  std::int32_t offset, std::int32_t size, std::int32_t newOrigin,
                  std::int32_t newSize, std::int32_t controlSize) {
    if (code == WindowResizer::NearestEdge)
        code = offset < size - (offset + controlSize) ? WindowResizer::NearEdge
                                                      : WindowResizer::FarEdge;
    Decimal by = keepSize ? Decimal(1) : factor;
    switch (code) {
    case WindowResizer::Fixed:
        return Decimal(origin + offset);
    case WindowResizer::FarEdge:
        return Decimal(newOrigin + newSize) - Decimal(size - offset) * by;
    case WindowResizer::NearEdge:
        return Decimal(newOrigin + offset);
    case WindowResizer::Centred:
        return Decimal(newOrigin) + Decimal(newSize) / Decimal(2) +
               (Decimal(offset) - Decimal(size) / Decimal(2)) * by;
    default:
        return Decimal(newOrigin) + Decimal(offset) * factor;
    }
}

} // namespace

WindowResizer::~WindowResizer() = default;

std::uint16_t WindowResizer::PositionalStrategyFor(std::uint8_t appStrategy, std::int32_t type) {
    if (appStrategy == 3)
        return 0x101;
    switch (type) {
    case 9:
        return 0x505;
    case 8:
    case 16:
    case 34:
    case 15:
    case 10:
        return appStrategy == 2 ? 0x300 : 0;
    case 14:
    case 3:
    case 4:
    case 11:
    case 13:
    case 37:
    case 39:
        return appStrategy == 2 ? 0x303 : 0;
    default:
        return 0;
    }
}

std::uint16_t WindowResizer::ResizeStrategyFor(std::uint8_t appStrategy, std::int32_t type) {
    if (appStrategy == 3)
        return KeepWidth | KeepHeight;
    switch (type) {
    case 9:
    case 12:
    case 21:
        return KeepWidth | KeepHeight;
    case 8:
    case 16:
    case 34:
    case 15:
        return KeepHeight;
    case 10:
        return appStrategy == 2 ? KeepHeight : 0;
    case 14:
    case 3:
    case 4:
    case 11:
    case 13:
    case 37:
    case 39:
        return appStrategy == 2 ? WidthToRightEdge | HeightToBottomEdge : 0;
    default:
        return 0;
    }
}

void WindowResizer::Setup(host::Window& window, std::uint8_t appStrategy, bool minSize,
                          bool maxSize) {
    Teardown();
    window_ = &window;
    APPSTRATEGY = appStrategy;
    handler_ = window.registerHandler(host::EventKind::Sized, [this] { Relayout(); });
    window.setProperty(0, Property::Resizable, 1);
    Reset();
    if (APPSTRATEGY == 2)
        DefaultParents();
    if (minSize) {
        window.setProperty(0, Property::MinWidth, ORIGWIN.WIDTH);
        window.setProperty(0, Property::MinHeight, ORIGWIN.HEIGHT);
    }
    if (maxSize) {
        window.setProperty(0, Property::MaxWidth, ORIGWIN.WIDTH);
        window.setProperty(0, Property::MaxHeight, ORIGWIN.HEIGHT);
    }
    DEFERMOVES = 1;
}

void WindowResizer::Teardown() {
    if (window_ && handler_)
        window_->unregisterHandler(handler_);
    handler_ = 0;
    window_ = nullptr;
    CONTROLQUEUE.clear();
    RESIZELIST.clear();
}

WindowResizer::ControlEntry* WindowResizer::find(std::int32_t id) {
    auto it = std::lower_bound(CONTROLQUEUE.begin(), CONTROLQUEUE.end(), id,
                               [](const ControlEntry& e, std::int32_t key) { return e.ID < key; });
    return it != CONTROLQUEUE.end() && it->ID == id ? &*it : nullptr;
}

const WindowResizer::ControlEntry* WindowResizer::Entry(std::int32_t id) const {
    return const_cast<WindowResizer*>(this)->find(id);
}

bool WindowResizer::SetStrategy(std::int32_t id, std::uint16_t positional, std::uint16_t resize) {
    ControlEntry* e = find(id);
    if (!e)
        return false;
    e->POSITIONALSTRATEGY = positional;
    e->RESIZESTRATEGY = resize;
    return true;
}

std::int32_t WindowResizer::ParentOf(std::int32_t id) const {
    const ControlEntry* e = Entry(id);
    return e ? e->PARENTID : 0;
}

WindowResizer::Placement WindowResizer::currentRect(std::int32_t id) const {
    const host::Control* c = window_ ? std::as_const(*window_).control(id) : nullptr;
    if (!c)
        return {};
    return {c->rect().x, c->rect().y, c->rect().width, c->rect().height};
}

WindowResizer::Placement WindowResizer::windowRect() const {
    if (!window_)
        return {};
    const host::Rect& r = window_->rect();
    return {r.x, r.y, r.width, r.height};
}

void WindowResizer::moveControl(std::int32_t id, const Placement& rect) {
    window_->setProperty(id, Property::X, rect.XPOS);
    window_->setProperty(id, Property::Y, rect.YPOS);
    window_->setProperty(id, Property::Width, rect.WIDTH);
    window_->setProperty(id, Property::Height, rect.HEIGHT);
}

void WindowResizer::Reset() {
    if (!window_)
        return;
    Placement now = windowRect();
    ORIGWIN = {now.XPOS,
               now.YPOS,
               now.WIDTH,
               now.HEIGHT,
               static_cast<std::uint8_t>(window_->isMaximized()),
               static_cast<std::uint8_t>(window_->isIconized())};
    PREVIOUSWIN = now;
    for (const host::Control* c : std::as_const(*window_).controls()) {
        int id = c->number();
        int type = static_cast<int>(c->kind());
        if (!window_->property(id, ExcludeProperty).isBlankOrZero())
            continue;
        if (type < 1 || type > 127 || type == 19 || type == 20 || type == 38)
            continue;
        Placement rect = currentRect(id);
        if (ControlEntry* known = find(id)) {
            known->POS = rect;
            continue;
        }
        // A list that drops down is laid out as an entry.
        int strategyType = type == 14 && c->dropCount() > 0 ? 8 : type;
        ControlEntry e;
        e.ID = id;
        e.TYPE = type;
        e.POS = rect;
        e.POSITIONALSTRATEGY = PositionalStrategyFor(APPSTRATEGY, strategyType);
        e.RESIZESTRATEGY = ResizeStrategyFor(APPSTRATEGY, strategyType);
        auto at = std::upper_bound(
            CONTROLQUEUE.begin(), CONTROLQUEUE.end(), id,
            [](std::int32_t key, const ControlEntry& entry) { return key < entry.ID; });
        CONTROLQUEUE.insert(at, e);
    }
    RESIZECALLED = 0;
}

bool WindowResizer::isAncestor(std::int32_t candidate, std::int32_t of) const {
    std::int32_t at = of;
    for (int depth = 0; at != 0 && depth < deepestNesting; ++depth) {
        if (at == candidate)
            return true;
        at = ParentOf(at);
    }
    return at == candidate;
}

void WindowResizer::DefaultParents() {
    if (!window_)
        return;
    for (ControlEntry& e : CONTROLQUEUE) {
        e.PARENTID = 0;
        e.HASCHILDREN = 0;
    }
    for (ControlEntry& c : CONTROLQUEUE) {
        // The host's parent, past the tabs (a tab's controls belong to its sheet).
        std::int32_t parent =
            static_cast<std::int32_t>(window_->property(c.ID, Property::Parent).toInteger());
        for (int depth = 0; parent != 0 && depth < deepestNesting; ++depth) {
            const host::Control* p = std::as_const(*window_).control(parent);
            if (!p || p->kind() != host::ControlKind::Tab)
                break;
            parent = p->parent();
        }
        if (parent != 0 && parent != c.ID) {
            if (!isAncestor(c.ID, parent)) {
                c.PARENTID = parent;
                if (ControlEntry* p = find(parent))
                    p->HASCHILDREN = 1;
            }
            continue;
        }
        // Otherwise every control whose top-left corner lies inside this one is carried
        // by it. A control is never made a child of its own descendant: overlapping
        // controls would otherwise carry each other round for ever.
        Placement r = currentRect(c.ID);
        host::Rect area{r.XPOS, r.YPOS, r.WIDTH, r.HEIGHT};
        for (ControlEntry& d : CONTROLQUEUE) {
            if (d.ID == c.ID)
                continue;
            Placement dr = currentRect(d.ID);
            if (!area.contains(dr.XPOS, dr.YPOS) || isAncestor(d.ID, c.ID))
                continue;
            d.PARENTID = c.ID;
            c.HASCHILDREN = 1;
        }
    }
}

WindowResizer::Placement WindowResizer::Reposition(std::int32_t controlId,
                                                   const Placement& origParent,
                                                   const Placement& newParent, const Placement& o) {
    const ControlEntry* e = Entry(controlId);
    std::uint16_t positional = e ? e->POSITIONALSTRATEGY : 0;
    std::uint16_t resize = e ? e->RESIZESTRATEGY : 0;
    Decimal sx = scale(newParent.WIDTH, origParent.WIDTH);
    Decimal sy = scale(newParent.HEIGHT, origParent.HEIGHT);
    std::int32_t dx = o.XPOS - origParent.XPOS;
    std::int32_t dy = o.YPOS - origParent.YPOS;

    Placement out;
    if (!(resize & WidthToRightEdge))
        out.WIDTH = resize & KeepWidth ? o.WIDTH : whole(Decimal(o.WIDTH) * sx);
    if (!(resize & HeightToBottomEdge))
        out.HEIGHT = resize & KeepHeight ? o.HEIGHT : whole(Decimal(o.HEIGHT) * sy);
    out.XPOS = whole(placeEdge(static_cast<std::uint8_t>(positional & 0xFF), resize & KeepWidth, sx,
                               origParent.XPOS, dx, origParent.WIDTH, newParent.XPOS,
                               newParent.WIDTH, o.WIDTH));
    out.YPOS = whole(placeEdge(static_cast<std::uint8_t>(positional >> 8), resize & KeepHeight, sy,
                               origParent.YPOS, dy, origParent.HEIGHT, newParent.YPOS,
                               newParent.HEIGHT, o.HEIGHT));
    if (resize & WidthToRightEdge)
        out.WIDTH = newParent.XPOS + newParent.WIDTH - (origParent.WIDTH - dx - o.WIDTH) - out.XPOS;
    if (resize & HeightToBottomEdge)
        out.HEIGHT =
            newParent.YPOS + newParent.HEIGHT - (origParent.HEIGHT - dy - o.HEIGHT) - out.YPOS;
    return out;
}

void WindowResizer::repositionChildren(std::int32_t parentId, const Placement& origParent,
                                       const Placement& newParent, int depth) {
    if (depth > deepestNesting)
        return;
    for (const ControlEntry& e : CONTROLQUEUE) {
        if (e.PARENTID != parentId || e.ID == parentId)
            continue;
        Move move;
        move.CONTROLID = e.ID;
        move.TYPE = e.TYPE;
        move.BEFORE = currentRect(e.ID);
        move.AFTER = Reposition(e.ID, origParent, newParent, e.POS);
        RESIZELIST.push_back(move);
        if (move.AFTER != move.BEFORE && e.HASCHILDREN)
            repositionChildren(e.ID, e.POS, move.AFTER, depth + 1);
    }
}

void WindowResizer::Relayout() {
    RelayoutChildren(0);
}

std::uint8_t WindowResizer::RelayoutChildren(std::int32_t parentId) {
    RESIZELIST.clear();
    if (!window_)
        return 0;
    Placement now = parentId == 0 ? windowRect() : currentRect(parentId);
    if (CONTROLQUEUE.empty() ||
        (now.WIDTH == PREVIOUSWIN.WIDTH && now.HEIGHT == PREVIOUSWIN.HEIGHT))
        return 0;

    if (!RESIZECALLED && AUTOTRANSPARENT) {
        for (const ControlEntry& e : CONTROLQUEUE)
            if ((e.TYPE == 1 || e.TYPE == 2 || e.TYPE == 10) &&
                window_->property(e.ID, Property::Transparent).isBlankOrZero())
                window_->setProperty(e.ID, Property::Transparent, 1);
    }

    Placement origParent, newParent;
    if (parentId == 0) {
        origParent = {0, 0, ORIGWIN.WIDTH, ORIGWIN.HEIGHT};
        newParent = {0, 0, now.WIDTH, now.HEIGHT};
    } else {
        const ControlEntry* parent = Entry(parentId);
        origParent = parent ? parent->POS : now;
        newParent = now;
    }
    repositionChildren(parentId, origParent, newParent, 0);

    if (!DEFERMOVES) {
        bool widthChanged = now.WIDTH != PREVIOUSWIN.WIDTH;
        bool heightChanged = now.HEIGHT != PREVIOUSWIN.HEIGHT;
        for (Move& m : RESIZELIST) {
            if (widthChanged && heightChanged)
                m.PRIORITY = m.AFTER.XPOS * m.AFTER.XPOS + m.AFTER.YPOS * m.AFTER.YPOS;
            else if (heightChanged)
                m.PRIORITY = m.AFTER.YPOS;
            else
                m.PRIORITY = m.AFTER.XPOS;
        }
        long long before = 1LL * PREVIOUSWIN.WIDTH * PREVIOUSWIN.WIDTH +
                           1LL * PREVIOUSWIN.HEIGHT * PREVIOUSWIN.HEIGHT;
        long long after = 1LL * now.WIDTH * now.WIDTH + 1LL * now.HEIGHT * now.HEIGHT;
        bool shrank = before > after;
        // Moved controls never pass over ones not yet moved.
        std::stable_sort(RESIZELIST.begin(), RESIZELIST.end(),
                         [shrank](const Move& a, const Move& b) {
                             return shrank ? a.PRIORITY < b.PRIORITY : a.PRIORITY > b.PRIORITY;
                         });
    }

    Placement windowNow = windowRect();
    if (windowNow.WIDTH == ORIGWIN.WIDTH && windowNow.HEIGHT == ORIGWIN.HEIGHT) {
        for (const ControlEntry& e : CONTROLQUEUE)
            moveControl(e.ID, e.POS);
    } else {
        for (const Move& m : RESIZELIST)
            if (m.AFTER != m.BEFORE)
                moveControl(m.CONTROLID, m.AFTER);
    }
    RESIZECALLED = 1;
    PREVIOUSWIN = now;
    return 0;
}

void WindowResizer::RestoreOriginal() {
    if (!window_)
        return;
    window_->setProperty(0, Property::Maximized, ORIGWIN.MAXIMIZED);
    window_->setProperty(0, Property::Iconized, ORIGWIN.ICONIZED);
    window_->setProperty(0, Property::Width, ORIGWIN.WIDTH);
    window_->setProperty(0, Property::Height, ORIGWIN.HEIGHT);
    for (const ControlEntry& e : CONTROLQUEUE)
        moveControl(e.ID, e.POS);
    // The next size change is measured from here, so that going back to the size the
    // window had before this call lays the controls out again.
    PREVIOUSWIN = windowRect();
}

} // namespace framework
