#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::headless {

// One word of a session script line: a bare word, or a text written in double quotes
// (`""` inside stands for one quote). Only bare words are command names and keywords,
// so a quoted "row" is always a text.
struct ScriptToken {
    std::string text;
    bool quoted = false;

    friend bool operator==(const ScriptToken&, const ScriptToken&) = default;
};

// The words of a script line that follow its command, read from the front by the
// command's parser. Keywords are compared ignoring letter case.
class ScriptArguments {
public:
    ScriptArguments() = default;
    explicit ScriptArguments(std::vector<ScriptToken> tokens) : tokens_(std::move(tokens)) {}

    bool atEnd() const { return next_ >= end_(); }
    std::size_t remaining() const { return atEnd() ? 0 : end_() - next_; }
    // The token `ahead` places after the next one, or null past the end.
    const ScriptToken* peek(std::size_t ahead = 0) const;
    // True when the next token is this bare word.
    bool nextIs(std::string_view word) const;

    // Takes the next token when it is this bare word.
    bool take(std::string_view word);
    // Takes the next token, whatever it is.
    std::optional<ScriptToken> takeToken();
    std::optional<std::string> takeText();
    // Takes the next token when it is a bare whole number (an optional minus sign and
    // digits).
    std::optional<int> takeNumber();
    // Takes every token left.
    std::vector<ScriptToken> takeRest();

    // Takes a trailing `in window TITLE` off the end of the line (so that the rest reads
    // as if it were not there); empty when the line has none.
    std::optional<std::string> takeWindowSuffix();

    // The whole number a bare word spells, or none.
    static std::optional<int> number(const ScriptToken& token);
    // A token as a script writes it: quoted texts in quotes, with quotes doubled.
    static std::string quote(std::string_view text);
    static std::string spell(const ScriptToken& token);

private:
    std::size_t end_() const { return tokens_.size() - trimmed_; }

    std::vector<ScriptToken> tokens_;
    std::size_t next_ = 0;
    std::size_t trimmed_ = 0; // tokens taken off the end
};

} // namespace host::headless
