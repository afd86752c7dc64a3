#include "runtime/headless/SessionView.h"

#include "runtime/base/Value.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/ScriptArguments.h"
#include "runtime/ui/Window.h"

#include <algorithm>
#include <array>
#include <utility>

namespace host::headless {

namespace {

std::string quote(std::string_view text) {
    return ScriptArguments::quote(text);
}

std::string titleOf(const Window& window) {
    return quote(window.title().empty() ? window.name() : window.title());
}

// Message box buttons by name, in the order a box shows them.
constexpr std::array<std::pair<unsigned, const char*>, 8> buttons{{
    {ButtonOk, "OK"},
    {ButtonYes, "Yes"},
    {ButtonNo, "No"},
    {ButtonAbort, "Abort"},
    {ButtonRetry, "Retry"},
    {ButtonIgnore, "Ignore"},
    {ButtonCancel, "Cancel"},
    {ButtonHelp, "Help"},
}};

} // namespace

SessionView SessionView::capture(const HeadlessSession& session) {
    SessionView view;
    for (Window* w : session.desktop().windows())
        view.windows_.push_back({w->id(), titleOf(*w)});
    if (Window* active = session.activeWindow())
        view.active_ = active->id();
    if (Window* bar = session.statusWindow())
        for (int zone = 1; zone <= bar->statusZoneCount(); ++zone)
            view.status_.push_back(bar->statusText(zone));
    view.dialogs_ = session.display().dialogsShown().size();
    view.beeps_ = session.desktop().beeps();
    return view;
}

std::string SessionView::buttonNames(unsigned set) {
    std::string text;
    for (const auto& [button, name] : buttons)
        if (set & button)
            text += (text.empty() ? "" : " ") + std::string(name);
    return text;
}

unsigned SessionView::buttonNamed(std::string_view name) {
    for (const auto& [button, buttonName] : buttons)
        if (equalIgnoringCase(name, buttonName))
            return button;
    return 0;
}

std::string SessionView::describe(const DialogRequest& dialog) {
    using Kind = DialogRequest::Kind;
    std::string text;
    std::string answer;
    switch (dialog.kind) {
    case Kind::Message:
        text = "message " + quote(dialog.message.title) + " " + quote(dialog.message.text) + " " +
               buttonNames(dialog.message.buttons);
        answer = buttonNames(dialog.button);
        break;
    case Kind::Popup:
        text = "popup " + quote(dialog.menuText);
        answer = std::to_string(dialog.choice);
        break;
    case Kind::File:
        text = "file dialog " + quote(dialog.file.title) + " " + quote(dialog.file.fileName);
        answer = dialog.accepted ? quote(dialog.chosenFile) : "cancel";
        break;
    case Kind::PrinterSetup:
        text = "printer setup";
        answer = dialog.accepted ? "ok" : "cancel";
        break;
    }
    return text + (dialog.answered ? " (answered " + answer + ")" : " (waiting)");
}

std::vector<std::string> SessionView::changesSince(const SessionView& before,
                                                   const HeadlessSession& session) const {
    std::vector<std::string> changes;
    auto find = [](const std::vector<WindowState>& windows, int id) -> const WindowState* {
        for (const auto& w : windows)
            if (w.id == id)
                return &w;
        return nullptr;
    };
    for (const auto& w : before.windows_)
        if (!find(windows_, w.id))
            changes.push_back("closed " + w.title);
    int lastOpened = 0;
    for (const auto& w : windows_) {
        const WindowState* old = find(before.windows_, w.id);
        if (!old) {
            changes.push_back("opened " + w.title);
            lastOpened = w.id;
        } else if (old->title != w.title) {
            changes.push_back("retitled " + old->title + " to " + w.title);
        }
    }
    // A window that opens becomes the active one; say so only when something else did.
    if (active_ != before.active_ && active_ != lastOpened) {
        if (const WindowState* w = find(windows_, active_))
            changes.push_back("active " + w->title);
        else if (!windows_.empty())
            changes.push_back("no window is active");
    }
    for (std::size_t zone = 0; zone < status_.size(); ++zone) {
        bool was = zone < before.status_.size();
        if (!was || before.status_[zone] != status_[zone])
            if (was || !status_[zone].empty())
                changes.push_back("status " + std::to_string(zone + 1) + " " +
                                  quote(status_[zone]));
    }
    const auto& dialogs = session.display().dialogsShown();
    for (std::size_t i = std::min(before.dialogs_, dialogs_); i < dialogs_ && i < dialogs.size();
         ++i)
        changes.push_back(describe(dialogs[i]));
    for (int beep = before.beeps_; beep < beeps_; ++beep)
        changes.push_back("beep");
    return changes;
}

} // namespace host::headless
