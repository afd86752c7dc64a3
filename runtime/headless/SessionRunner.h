#pragma once

#include "runtime/headless/SessionCommands.h"
#include "runtime/headless/SessionContext.h"
#include "runtime/headless/SessionScript.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace host::headless {

class HeadlessSession;

// How a session script run went.
struct SessionResult {
    bool passed = false;
    // The line of the step that failed, or of the first mistake in the script; 0 when
    // the run passed (or the script file could not be read).
    int failedLine = 0;
    // "line 7: expected \"&Name:\" to show \"SMITH\", but it shows \"Smith\"" (or every
    // mistake of a script that did not parse); empty when the run passed.
    std::string failure;
    // What the user would have seen, a line for each step and an indented line for each
    // thing it changed (docs/scenarios.md).
    std::string transcript;
    std::size_t stepsRun = 0;
};

// Replays a session script against a headless session and writes the transcript. The
// run stops at the first step that fails. A halt of the program ends the run of the
// program, not of the script: the transcript says `halted "text"`, later actions fail
// and expectations (`expect halted`) still run.
//
//     HeadlessSession session;
//     SessionRunner runner(session);
//     runner.commands().add("start program", CommandKind::Action, ...);
//     SessionResult result = runner.run(scriptText);
class SessionRunner {
public:
    explicit SessionRunner(HeadlessSession& session);

    // The commands scripts of this runner may use: the standard ones, and whatever the
    // program adds before running.
    SessionCommands& commands() { return commands_; }
    const SessionContext& context() const { return context_; }

    // Also writes the transcript here as the run goes (null: only into the result).
    void setEcho(std::ostream* echo) { echo_ = echo; }

    SessionScript parse(std::string_view text) const {
        return SessionScript::parse(text, commands_);
    }
    SessionResult run(std::string_view text);
    SessionResult run(const SessionScript& script);
    SessionResult runFile(const std::string& path);

private:
    StepResult runStep(const SessionStep& step);
    void write(SessionResult& result, const std::string& line);

    HeadlessSession& session_;
    SessionCommands commands_;
    SessionContext context_;
    std::ostream* echo_ = nullptr;
};

} // namespace host::headless
