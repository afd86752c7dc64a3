// Feeds arbitrary text to the session script parser. Any text gives steps or mistakes,
// never both; mistakes carry the lines they are on, in order; every step read back
// from its own text is the same step; and every token spelled as a script writes it
// splits back to itself.
#include "runtime/headless/SessionScript.h"

#include <cstdint>
#include <string_view>

using namespace host::headless;

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

const SessionCommands& commands() {
    static const SessionCommands withExtras = [] {
        SessionCommands c = SessionCommands::standard();
        c.add("dump file", CommandKind::Check, [](ScriptArguments& arguments) -> ParsedCommand {
            auto file = arguments.takeText();
            if (!file)
                return ParsedCommand::invalid("name the file");
            arguments.take("keys");
            return StepAction([](SessionContext&) { return StepResult::passed(); });
        });
        c.add("start program", CommandKind::Action,
              StepAction([](SessionContext&) { return StepResult::passed(); }));
        return c;
    }();
    return withExtras;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    SessionScript script = SessionScript::parse(text, commands());
    int lines = 1;
    for (char c : text)
        lines += c == '\n';

    require(script.ok() == script.errors().empty());
    require(script.ok() || script.steps().empty());
    int previous = 0;
    for (const ScriptError& error : script.errors()) {
        require(error.line > previous && error.line <= lines);
        require(!error.message.empty());
        previous = error.line;
    }
    previous = 0;
    for (const SessionStep& step : script.steps()) {
        require(step.line > previous && step.line <= lines);
        require(static_cast<bool>(step.action));
        previous = step.line;
        SessionScript again = SessionScript::parse(step.text, commands());
        require(again.ok() && again.steps().size() == 1);
        require(again.steps()[0].command == step.command);
        require(again.steps()[0].arguments == step.arguments);
        require(again.steps()[0].kind == step.kind);
        for (const ScriptToken& token : step.arguments) {
            std::string error;
            auto split = SessionScript::split(ScriptArguments::spell(token), error);
            require(split.has_value());
            if (token.quoted || !token.text.empty())
                require(split->size() == 1 && split->front() == token);
        }
    }
    return 0;
}
