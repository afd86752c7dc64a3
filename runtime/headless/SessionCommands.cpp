#include "runtime/headless/SessionCommands.h"

#include "runtime/base/Value.h"

#include <algorithm>

namespace host::headless {

namespace {

std::vector<std::string> wordsOf(std::string_view name) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < name.size()) {
        while (i < name.size() && (name[i] == ' ' || name[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < name.size() && name[i] != ' ' && name[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(lower(name.substr(start, i - start)));
    }
    return words;
}

} // namespace

ParsedCommand ParsedCommand::invalid(std::string why) {
    ParsedCommand parsed{StepAction()};
    parsed.error = why.empty() ? std::string("arguments not understood") : std::move(why);
    return parsed;
}

std::string SessionCommands::Command::name() const {
    std::string text;
    for (const auto& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

const SessionCommands& SessionCommands::standard() {
    static const SessionCommands commands = [] {
        SessionCommands c;
        addStandardActions(c);
        addStandardExpectations(c);
        return c;
    }();
    return commands;
}

void SessionCommands::add(std::string_view name, CommandKind kind, CommandParser parser,
                          std::string usage) {
    Command command{wordsOf(name), kind, std::move(parser), std::move(usage)};
    if (command.words.empty() || !command.parser)
        return;
    if (command.usage.empty())
        command.usage = command.name();
    for (auto& existing : commands_) {
        if (existing.words == command.words) {
            existing = std::move(command);
            return;
        }
    }
    commands_.push_back(std::move(command));
}

void SessionCommands::add(std::string_view name, CommandKind kind, StepAction action) {
    if (!action)
        return;
    add(
        name, kind,
        [action = std::move(action)](ScriptArguments&) { return ParsedCommand(action); },
        std::string(name));
}

const SessionCommands::Command* SessionCommands::match(const std::vector<ScriptToken>& tokens,
                                                       std::size_t& words) const {
    const Command* best = nullptr;
    words = 0;
    for (const auto& command : commands_) {
        std::size_t n = command.words.size();
        if (n > tokens.size() || n <= words)
            continue;
        bool matches = true;
        for (std::size_t i = 0; i < n && matches; ++i)
            matches = !tokens[i].quoted && equalIgnoringCase(tokens[i].text, command.words[i]);
        if (matches) {
            best = &command;
            words = n;
        }
    }
    return best;
}

const SessionCommands::Command* SessionCommands::find(std::string_view name) const {
    auto words = wordsOf(name);
    for (const auto& command : commands_)
        if (command.words == words)
            return &command;
    return nullptr;
}

std::vector<std::string> SessionCommands::names() const {
    std::vector<std::string> list;
    for (const auto& command : commands_)
        list.push_back(command.name());
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace host::headless
