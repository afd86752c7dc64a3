#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class Control;
class Window;
} // namespace host

namespace host::headless {

class HeadlessSession;

// What one step of a session script came to: it went as the script says, or it failed,
// with what was seen instead ("\"&Name:\" shows \"Smith\""). The runner puts the line
// number in front.
class StepResult {
public:
    static StepResult passed() { return StepResult(); }
    static StepResult failed(std::string whatWasSeen);

    bool ok() const { return !failed_; }
    const std::string& failure() const { return failure_; }

private:
    bool failed_ = false;
    std::string failure_;
};

// What a step of a running session script works with: the headless session, the
// transcript lines the step adds of its own, and whether the program has halted.
// Steps name windows and controls the way a user would; the finders below say why
// something named is not there, for the failure message.
class SessionContext {
public:
    explicit SessionContext(HeadlessSession& session) : session_(session) {}

    HeadlessSession& session() const { return session_; }

    // Adds a line under the running step in the transcript (a command's own output,
    // such as the records of a data file).
    void print(std::string line) { printed_.push_back(std::move(line)); }
    std::vector<std::string> takePrinted();

    // The program ended through halt during the run (every later action is refused).
    bool hasHalted() const { return halted_; }
    int haltCode() const { return haltCode_; }
    const std::string& haltText() const { return haltText_; }
    void setHalted(int code, std::string text);

    // How many message boxes had been shown when the last action (a step that is not an
    // expectation or inspection) began: the boxes after these were shown by that action
    // or since. The runner keeps it.
    std::size_t messagesBeforeLastAction() const { return messagesBeforeLastAction_; }
    void setMessagesBeforeLastAction(std::size_t count) { messagesBeforeLastAction_ = count; }

    // The open window with this title or definition name, or the active window when no
    // title is given. Null with `whyNot` set when there is none.
    Window* window(const std::optional<std::string>& title, std::string& whyNot) const;
    // The control a step names in the window (number, name, text or prompt). Null with
    // `whyNot` set when the window has none.
    Control* control(Window& window, std::string_view which, std::string& whyNot) const;
    // Why a user could not use the control ("\"&Delete\" is disabled"); empty when
    // they could.
    static std::string whyUnusable(const Window& window, const Control& control,
                                   std::string_view which);
    // How transcripts and messages name a window: its title in quotes, or its
    // definition name when it has no title.
    static std::string nameOf(const Window& window);

private:
    HeadlessSession& session_;
    std::vector<std::string> printed_;
    bool halted_ = false;
    int haltCode_ = 0;
    std::string haltText_;
    std::size_t messagesBeforeLastAction_ = 0;
};

} // namespace host::headless
