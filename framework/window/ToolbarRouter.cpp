#include "framework/window/ToolbarRouter.h"

#include "framework/window/ToolbarTarget.h"

#include <algorithm>

namespace framework {

ToolbarRouter::~ToolbarRouter() = default;

void ToolbarRouter::Setup(WindowController& window) {
    window_ = &window;
    LIST = std::make_unique<std::vector<Entry>>();
    current_ = 0;
}

void ToolbarRouter::Teardown() {
    LIST.reset();
    current_ = 0;
}

ToolbarTarget* ToolbarRouter::CurrentTarget() const {
    if (!LIST || current_ == 0 || current_ > LIST->size())
        return nullptr;
    return (*LIST)[current_ - 1].ITEM;
}

void ToolbarRouter::EnlistTarget(ToolbarTarget& target, std::int32_t control) {
    if (!LIST)
        LIST = std::make_unique<std::vector<Entry>>();
    target.CONTROL = control;
    target.router_ = this;
    auto at = std::upper_bound(LIST->begin(), LIST->end(), control,
                               [](std::int32_t id, const Entry& e) { return id < e.ID; });
    std::size_t index = static_cast<std::size_t>(at - LIST->begin());
    LIST->insert(at, Entry{control, &target});
    current_ = index + 1; // the entry just added was the last one touched
}

void ToolbarRouter::FocusTarget(std::int32_t control) {
    if (!LIST || LIST->empty())
        return;
    if (control != 0) {
        for (std::size_t i = 0; i < LIST->size(); ++i)
            if ((*LIST)[i].ID == control) {
                current_ = i + 1;
                break;
            }
        if (ToolbarTarget* target = CurrentTarget())
            target->Activate();
        return;
    }
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < LIST->size(); ++i)
        if ((*LIST)[i].ITEM->TryActivate())
            chosen = i + 1;
    current_ = chosen ? chosen : LIST->size();
}

void ToolbarRouter::ShowButtons() {
    if (ToolbarTarget* target = CurrentTarget())
        target->ShowButtons();
}

void ToolbarRouter::OnAccepted(WindowController& window) {
    if (!LIST || LIST->empty())
        return;
    if (ToolbarTarget* target = CurrentTarget())
        target->OnAccepted(window);
}

} // namespace framework
