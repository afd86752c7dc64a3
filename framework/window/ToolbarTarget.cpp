#include "framework/window/ToolbarTarget.h"

#include "framework/window/ConstantTable.h"
#include "framework/window/ToolbarButton.h"
#include "framework/window/ToolbarRouter.h"
#include "framework/window/WindowController.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <array>
#include <utility>

namespace framework {

namespace {

struct ToolTip {
    std::uint16_t control;
    std::string_view text;
};

// 2008 is listed twice; the second setting is the same as the first.
constexpr ToolTip toolTips[] = {
    {2008, "Go to the Next Record"},  {2004, "Go to the Last Page"},
    {2005, "Go to the First Page"},   {2006, "Go to the Next Page"},
    {2007, "Go to the Prior Page"},   {2008, "Go to the Next Record"},
    {2009, "Go to the Prior Record"}, {2000, "Insert a new Record"},
};

constexpr std::size_t packedSize() {
    std::size_t size = 1;
    for (const ToolTip& tip : toolTips)
        size += 2 + 1 + tip.text.size();
    return size;
}

constexpr std::array<char, packedSize()> pack() {
    std::array<char, packedSize()> table{};
    std::size_t at = 0;
    table[at++] = static_cast<char>(std::size(toolTips));
    for (const ToolTip& tip : toolTips) {
        table[at++] = static_cast<char>(tip.control & 0xFF);
        table[at++] = static_cast<char>(tip.control >> 8);
        table[at++] = static_cast<char>(tip.text.size());
        for (char c : tip.text)
            table[at++] = c;
    }
    return table;
}

constexpr std::array<char, packedSize()> packedToolTips = pack();

} // namespace

ToolbarTarget::~ToolbarTarget() = default;

std::string_view ToolbarTarget::ToolTipTable() {
    return {packedToolTips.data(), packedToolTips.size()};
}

host::Window* ToolbarTarget::BrowseWindow() const {
    WindowController* window = router_ ? router_->Window() : nullptr;
    return window ? window->Window() : nullptr;
}

host::Window* ToolbarTarget::ToolbarWindow() const {
    host::Window* window = BrowseWindow();
    if (window && !window->control(ToolbarButton::Insert) && window->frame())
        return window->frame();
    return window;
}

void ToolbarTarget::ShowButtons() {
    host::Window* browse = BrowseWindow();
    host::Window* toolbar = ToolbarWindow();
    if (!browse || !toolbar)
        return;
    toolbar->disable(ToolbarButton::History);
    toolbar->enable(ToolbarButton::LastPage, ToolbarButton::Locate);
    const std::pair<std::int32_t, std::int32_t> pairs[] = {
        {SELECTBUTTON, ToolbarButton::Select}, {DELETEBUTTON, ToolbarButton::Delete},
        {CHANGEBUTTON, ToolbarButton::Change}, {INSERTBUTTON, ToolbarButton::Insert},
        {HELPBUTTON, ToolbarButton::Help},
    };
    for (auto [own, button] : pairs) {
        bool usable = own != 0 && browse->control(own) &&
                      browse->property(own, host::Property::Disabled).isBlankOrZero();
        if (usable)
            toolbar->enable(button);
        else
            toolbar->disable(button);
    }
}

void ToolbarTarget::Activate() {
    if (host::Window* toolbar = ToolbarWindow()) {
        host::Variable control(host::FieldType::unsignedShort());
        host::Variable tip(host::FieldType::text(255));
        ConstantTable table;
        table.Setup(ConstantTable::CountedByByte);
        table.DescribeItem(ConstantTable::UnsignedShort, control);
        table.DescribeItem(ConstantTable::LengthPrefixedText, tip);
        table.SetSource(ToolTipTable());
        while (table.ReadRecord() == Severity::Benign)
            toolbar->setProperty(static_cast<int>(control.value().toInteger()), host::Property::Tip,
                                 host::clip(tip.value().toText()));
        table.Teardown();
    }
    ShowButtons();
}

bool ToolbarTarget::TryActivate() {
    host::Window* browse = BrowseWindow();
    if (!browse || !browse->isVisible(CONTROL))
        return false;
    Activate();
    return true;
}

void ToolbarTarget::OnAccepted(WindowController& window) {
    host::Window* w = window.Window();
    if (!w)
        return;
    auto postTo = [w](host::EventKind kind, std::int32_t control) {
        if (control != 0)
            w->post(kind, control);
    };
    switch (w->acceptedControl()) {
    case ToolbarButton::Select:
        window.SyncBuffers();
        window.RESPONSE = ResponseKind::Completed;
        w->post(host::EventKind::CloseWindow);
        break;
    case ToolbarButton::LastPage:
        postTo(host::EventKind::ScrollBottom, CONTROL);
        break;
    case ToolbarButton::FirstPage:
        postTo(host::EventKind::ScrollTop, CONTROL);
        break;
    case ToolbarButton::NextPage:
        postTo(host::EventKind::PageDown, CONTROL);
        break;
    case ToolbarButton::PriorPage:
        postTo(host::EventKind::PageUp, CONTROL);
        break;
    case ToolbarButton::NextRecord:
        postTo(host::EventKind::ScrollDown, CONTROL);
        break;
    case ToolbarButton::PriorRecord:
        postTo(host::EventKind::ScrollUp, CONTROL);
        break;
    case ToolbarButton::Locate:
        postTo(host::EventKind::Locate, CONTROL);
        break;
    case ToolbarButton::Help:
        w->pressKey(host::KeyCode::F1);
        break;
    case ToolbarButton::Insert:
        postTo(host::EventKind::Accepted, INSERTBUTTON);
        break;
    case ToolbarButton::Change:
        postTo(host::EventKind::Accepted, CHANGEBUTTON);
        break;
    case ToolbarButton::Delete:
        postTo(host::EventKind::Accepted, DELETEBUTTON);
        break;
    default:
        break;
    }
}

} // namespace framework
