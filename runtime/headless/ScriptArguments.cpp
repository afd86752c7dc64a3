#include "runtime/headless/ScriptArguments.h"

#include "runtime/base/Value.h"

#include <charconv>

namespace host::headless {

const ScriptToken* ScriptArguments::peek(std::size_t ahead) const {
    return next_ + ahead < end_() ? &tokens_[next_ + ahead] : nullptr;
}

bool ScriptArguments::nextIs(std::string_view word) const {
    const ScriptToken* token = peek();
    return token && !token->quoted && equalIgnoringCase(token->text, word);
}

bool ScriptArguments::take(std::string_view word) {
    if (!nextIs(word))
        return false;
    ++next_;
    return true;
}

std::optional<ScriptToken> ScriptArguments::takeToken() {
    if (atEnd())
        return std::nullopt;
    return tokens_[next_++];
}

std::optional<std::string> ScriptArguments::takeText() {
    auto token = takeToken();
    return token ? std::optional<std::string>(token->text) : std::nullopt;
}

std::optional<int> ScriptArguments::takeNumber() {
    const ScriptToken* token = peek();
    if (!token)
        return std::nullopt;
    auto value = number(*token);
    if (value)
        ++next_;
    return value;
}

std::vector<ScriptToken> ScriptArguments::takeRest() {
    std::vector<ScriptToken> rest(tokens_.begin() + static_cast<std::ptrdiff_t>(next_),
                                  tokens_.begin() + static_cast<std::ptrdiff_t>(end_()));
    next_ = end_();
    return rest;
}

std::optional<std::string> ScriptArguments::takeWindowSuffix() {
    if (remaining() < 3)
        return std::nullopt;
    std::size_t at = end_() - 3;
    const ScriptToken& in = tokens_[at];
    const ScriptToken& window = tokens_[at + 1];
    if (in.quoted || window.quoted || !equalIgnoringCase(in.text, "in") ||
        !equalIgnoringCase(window.text, "window"))
        return std::nullopt;
    trimmed_ += 3;
    return tokens_[at + 2].text;
}

std::optional<int> ScriptArguments::number(const ScriptToken& token) {
    if (token.quoted || token.text.empty())
        return std::nullopt;
    int value = 0;
    const char* begin = token.text.data();
    const char* end = begin + token.text.size();
    auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::string ScriptArguments::quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string ScriptArguments::spell(const ScriptToken& token) {
    return token.quoted ? quote(token.text) : token.text;
}

} // namespace host::headless
