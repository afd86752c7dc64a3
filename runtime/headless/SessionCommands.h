#pragma once

#include "runtime/headless/ScriptArguments.h"
#include "runtime/headless/SessionContext.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace host::headless {

// What a step does when its line runs.
using StepAction = std::function<StepResult(SessionContext&)>;

// A command's reading of its arguments: the action to run, or why the arguments were
// not understood.
struct ParsedCommand {
    ParsedCommand(StepAction run) : action(std::move(run)) {}
    static ParsedCommand invalid(std::string why);

    bool ok() const { return static_cast<bool>(action); }

    StepAction action;
    std::string error;
};

// Reads a command's arguments when the script is parsed, so that a mistake is reported
// with its line before anything runs. Arguments left unread are a mistake too.
using CommandParser = std::function<ParsedCommand(ScriptArguments&)>;

enum class CommandKind {
    Action, // something the user does; refused once the program has halted
    Check,  // an expectation or an inspection; runs after a halt too
};

// The commands a session script knows, by name. A name is one or more words
// ("press", "set clock", "dump file"); a line names the command whose words its first
// bare words spell, the longest name winning, and the words after it are the
// command's arguments. Letter case is ignored.
//
// The standard commands (docs/scenarios.md) come from standard(); a program's scenario
// runner adds its own:
//
//     commands.add("start program", CommandKind::Action, [&](SessionContext& context) {
//         context.session().start(mainProcedure);
//         return StepResult::passed();
//     });
//     commands.add("dump file", CommandKind::Check,
//                  [&](ScriptArguments& arguments) -> ParsedCommand {
//                      auto file = arguments.takeText();
//                      if (!file)
//                          return ParsedCommand::invalid("name the file");
//                      return StepAction([=](SessionContext& context) { ... });
//                  },
//                  "dump file NAME");
class SessionCommands {
public:
    struct Command {
        std::vector<std::string> words;
        CommandKind kind = CommandKind::Action;
        CommandParser parser;
        std::string usage; // shown with argument mistakes ("press CONTROL [in window TITLE]")

        std::string name() const;
    };

    // No commands at all.
    SessionCommands() = default;
    // The standard actions and expectations.
    static const SessionCommands& standard();

    // Adds a command, or replaces the one of the same name.
    void add(std::string_view name, CommandKind kind, CommandParser parser, std::string usage = {});
    // Adds a command that takes no arguments.
    void add(std::string_view name, CommandKind kind, StepAction action);

    // The command that the first bare tokens of a line name (`words` tells how many
    // tokens its name took); null when none does.
    const Command* match(const std::vector<ScriptToken>& tokens, std::size_t& words) const;
    const Command* find(std::string_view name) const;
    std::vector<std::string> names() const;

private:
    std::vector<Command> commands_;
};

// The standard commands, in two groups (SessionActions.cpp, SessionExpectations.cpp).
void addStandardActions(SessionCommands& commands);
void addStandardExpectations(SessionCommands& commands);

} // namespace host::headless
