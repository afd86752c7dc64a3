#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

// A pattern picture: "@p" followed by the pattern, closed by 'p' (either case) and an
// optional 'b'. In the pattern '#' is a digit, '<' a digit shown blank while only zeros
// stand before it, and every other character is shown as written. The value's digits
// fill the digit positions from the right ("(###) ###-####" shows 5551234567 as
// "(555) 123-4567"); the stored value holds the digits only. A closed pattern (or one
// with 'b') shows a value without digits, or with zeros only, as blanks.
class PatternPicture {
public:
    static std::optional<PatternPicture> parse(std::string_view body);

    std::string format(const Value& value) const;
    // Reads the digits typed into the pattern (its other characters and blanks may be
    // typed or left out; anything else is rejected, as are more digits than positions)
    // and gives them as text, one digit per '#' position and as many '<' positions as
    // hold digits. A blank-when-zero pattern gives empty text for zeros.
    std::optional<Value> deformat(std::string_view text) const;

    int width() const { return static_cast<int>(pattern_.size()); }
    const std::string& pattern() const { return pattern_; }
    bool isBlankWhenZero() const { return blankWhenZero_; }

private:
    static bool isPosition(char c) { return c == '#' || c == '<'; }
    // The text of `digits` (right-aligned, zero-padded to the positions) in the pattern.
    std::string layout(std::string_view digits) const;

    std::string pattern_;
    int positions_ = 0;
    bool blankWhenZero_ = false;
};

} // namespace host
