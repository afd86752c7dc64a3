#include "runtime/headless/SessionScript.h"

#include <fstream>
#include <sstream>

namespace host::headless {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// Reads a quoted text from its opening quote at `i` (`""` inside stands for one quote)
// onto `text`, and leaves `i` after the closing quote. False with `error` set when the
// text is not closed or runs into the next word.
bool readQuoted(std::string_view line, std::size_t& i, std::string& text, std::string& error) {
    ++i;
    bool closed = false;
    while (i < line.size()) {
        if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                text += '"';
                i += 2;
                continue;
            }
            ++i;
            closed = true;
            break;
        }
        text += line[i++];
    }
    if (!closed) {
        error = "the quoted text is not closed";
        return false;
    }
    if (i < line.size() && !isBlank(line[i])) {
        error = "a blank must follow the quoted text " + ScriptArguments::quote(text);
        return false;
    }
    return true;
}

} // namespace

std::string ScriptError::text() const {
    return "line " + std::to_string(line) + ": " + message;
}

std::optional<std::vector<ScriptToken>>
SessionScript::split(std::string_view line, std::string& error, std::size_t* textEnd) {
    std::vector<ScriptToken> tokens;
    std::size_t end = 0;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        ScriptToken token;
        if (line[i] == '"') {
            token.quoted = true;
            if (!readQuoted(line, i, token.text, error))
                return std::nullopt;
        } else {
            // A bare word ends at a blank; `=` followed by a quote goes on with the quoted
            // text, blanks and all, and ends with it (`CUS:NAME="JOHN SMITH"`).
            while (i < line.size() && !isBlank(line[i])) {
                if (line[i] == '"' && !token.text.empty() && token.text.back() == '=') {
                    if (!readQuoted(line, i, token.text, error))
                        return std::nullopt;
                    break;
                }
                token.text += line[i++];
            }
        }
        end = i;
        tokens.push_back(std::move(token));
    }
    if (textEnd)
        *textEnd = end;
    return tokens;
}

void SessionScript::parseLine(int number, std::string_view line, const SessionCommands& commands) {
    std::string error;
    std::size_t textEnd = 0;
    auto tokens = split(line, error, &textEnd);
    if (!tokens) {
        errors_.push_back({number, error});
        return;
    }
    if (tokens->empty())
        return;
    std::size_t words = 0;
    const SessionCommands::Command* command = commands.match(*tokens, words);
    if (!command) {
        errors_.push_back({number, "unknown command " + ScriptArguments::spell(tokens->front())});
        return;
    }
    std::vector<ScriptToken> arguments(tokens->begin() + static_cast<std::ptrdiff_t>(words),
                                       tokens->end());
    ScriptArguments reader(arguments);
    ParsedCommand parsed = command->parser(reader);
    std::string why;
    if (!parsed.ok())
        why = parsed.error;
    else if (!reader.atEnd())
        why = "unexpected " + ScriptArguments::spell(*reader.peek());
    if (!why.empty()) {
        errors_.push_back({number, command->name() + ": " + why + " (" + command->usage + ")"});
        return;
    }
    std::string_view text = line.substr(0, textEnd);
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    steps_.push_back({number, std::string(text), command->name(), command->kind,
                      std::move(arguments), std::move(parsed.action)});
}

SessionScript SessionScript::parse(std::string_view text, const SessionCommands& commands) {
    SessionScript script;
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos)
            stop = text.size();
        ++number;
        script.parseLine(number, text.substr(start, stop - start), commands);
        start = stop + 1;
    }
    if (!script.errors_.empty())
        script.steps_.clear();
    return script;
}

SessionScript SessionScript::load(const std::string& path, const SessionCommands& commands) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        SessionScript script;
        script.errors_.push_back({0, "cannot read " + ScriptArguments::quote(path)});
        return script;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str(), commands);
}

std::string SessionScript::errorMessage() const {
    std::string message;
    for (const auto& error : errors_)
        message += (message.empty() ? "" : "\n") + error.text();
    return message;
}

} // namespace host::headless
