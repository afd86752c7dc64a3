#include "runtime/headless/SessionContext.h"

#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/ScriptArguments.h"
#include "runtime/ui/Window.h"

namespace host::headless {

StepResult StepResult::failed(std::string whatWasSeen) {
    StepResult result;
    result.failed_ = true;
    result.failure_ = whatWasSeen.empty() ? std::string("failed") : std::move(whatWasSeen);
    return result;
}

std::vector<std::string> SessionContext::takePrinted() {
    std::vector<std::string> lines;
    lines.swap(printed_);
    return lines;
}

void SessionContext::setHalted(int code, std::string text) {
    halted_ = true;
    haltCode_ = code;
    haltText_ = std::move(text);
}

Window* SessionContext::window(const std::optional<std::string>& title, std::string& whyNot) const {
    if (!title) {
        Window* active = session_.activeWindow();
        if (!active)
            whyNot = "no window is open";
        return active;
    }
    Window* named = session_.window(*title);
    if (!named)
        whyNot = "no window " + ScriptArguments::quote(*title) + " is open";
    return named;
}

Control* SessionContext::control(Window& window, std::string_view which,
                                 std::string& whyNot) const {
    Control* found = session_.control(which, &window);
    if (!found)
        whyNot = "no control " + ScriptArguments::quote(which) + " in " + nameOf(window);
    return found;
}

std::string SessionContext::whyUnusable(const Window& window, const Control& control,
                                        std::string_view which) {
    if (!window.isVisible(control.number()))
        return ScriptArguments::quote(which) + " is hidden";
    if (!window.isEnabled(control.number()))
        return ScriptArguments::quote(which) + " is disabled";
    return {};
}

std::string SessionContext::nameOf(const Window& window) {
    return ScriptArguments::quote(window.title().empty() ? window.name() : window.title());
}

} // namespace host::headless
