#pragma once

#include "runtime/headless/ScriptArguments.h"
#include "runtime/headless/SessionCommands.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::headless {

// One line of a session script that does something: an action of the user or an
// expectation of what the user sees.
struct SessionStep {
    int line = 0;
    std::string text;    // the line as written, without its comment and outer blanks
    std::string command; // the command's name ("press", "set clock")
    CommandKind kind = CommandKind::Action;
    std::vector<ScriptToken> arguments;
    StepAction action;
};

// A mistake in a script, with the line it is on.
struct ScriptError {
    int line = 0;
    std::string message;

    // "line 7: press: name the control (press CONTROL [in window TITLE])"
    std::string text() const;
};

// A session script read into steps (docs/scenarios.md): one action or expectation a
// line, `#` comments, blank lines ignored. Every line is read even after a mistake, so
// that all mistakes are reported at once; a script with mistakes has no steps to run.
class SessionScript {
public:
    static SessionScript parse(std::string_view text,
                               const SessionCommands& commands = SessionCommands::standard());
    // The same from a file; a file that cannot be read is a mistake on line 0.
    static SessionScript load(const std::string& path,
                              const SessionCommands& commands = SessionCommands::standard());

    bool ok() const { return errors_.empty(); }
    const std::vector<SessionStep>& steps() const { return steps_; }
    const std::vector<ScriptError>& errors() const { return errors_; }
    // Every mistake, one a line.
    std::string errorMessage() const;

    // Splits a line into its tokens, dropping a comment (a `#` that starts a word).
    // `textEnd` receives where the last token ends. None, with `error` set, when a
    // quoted text is not closed or is not followed by a blank.
    static std::optional<std::vector<ScriptToken>> split(std::string_view line, std::string& error,
                                                         std::size_t* textEnd = nullptr);

private:
    void parseLine(int number, std::string_view line, const SessionCommands& commands);

    std::vector<SessionStep> steps_;
    std::vector<ScriptError> errors_;
};

} // namespace host::headless
