#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

// Small text helpers shared by the picture kinds.
namespace host::picturetext {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}
inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without leading and trailing blanks and tabs.
std::string_view trimmed(std::string_view text);

// What a value too wide for its picture shows: '#' filling the width.
inline std::string overflow(int width) {
    return std::string(static_cast<size_t>(width), '#');
}
inline std::string blanks(int width) {
    return std::string(static_cast<size_t>(width), ' ');
}

// The exact number a value stands for when a picture shows it. Reals go through their
// shortest faithful decimal form; no value for a real that is not a number or is beyond
// what a decimal holds.
std::optional<Decimal> exactNumber(const Value& value);

// Reads a run of at most `maxDigits` digits as a number; no value when the text is not
// such a run.
std::optional<int> smallNumber(std::string_view digits, int maxDigits);

// The last two decimal digits of a non-negative number.
inline std::string twoDigits(int n) {
    return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

// Reads the end of a date or time picture, after its form number: an optional separator
// ('.', '-', '_' for a blank, '\'' for a comma), then an optional 'b' (blank when zero),
// then nothing but blanks. Leaves `separator` as it is when none is given; false when
// anything else follows.
bool readDateTimeEnding(std::string_view rest, char& separator, bool& blankWhenZero);

// Decimal digits of a non-negative count of units, at least `minimum` of them.
std::string unitDigits(Decimal::Units units, int minimum);

} // namespace host::picturetext
