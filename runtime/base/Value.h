#pragma once

#include "runtime/base/Decimal.h"

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace host {

// A value in flight between variables: text, an integer, an exact decimal or a real.
// Assignment between variables of different types goes through a Value, converting
// as the host's assignment does: a number assigned to text arrives as its text form,
// text assigned to a number is read as a number (0 when it is not one).
class Value {
public:
    enum class Kind : std::uint8_t { Text, Integer, Decimal, Real };

    Value() : data_(std::int64_t{0}) {}
    Value(std::string text) : data_(std::move(text)) {}
    Value(std::string_view text) : data_(std::string(text)) {}
    Value(const char* text) : data_(std::string(text)) {}
    Value(int number) : data_(std::int64_t{number}) {}
    Value(long number) : data_(std::int64_t{number}) {}
    Value(long long number) : data_(std::int64_t{number}) {}
    Value(unsigned number) : data_(std::int64_t{number}) {}
    Value(Decimal number) : data_(number) {}
    Value(double number) : data_(number) {}

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isText() const { return kind() == Kind::Text; }
    bool isNumeric() const { return !isText(); }

    std::string toText() const;
    std::int64_t toInteger() const; // truncates toward zero
    Decimal toDecimal() const;
    double toReal() const;
    // True for zero numbers and for text that is empty or all blanks.
    bool isBlankOrZero() const;

    // Texts compare as text, ignoring trailing blanks. When either side is a number
    // both compare as numbers.
    friend std::strong_ordering operator<=>(const Value& a, const Value& b);
    friend bool operator==(const Value& a, const Value& b) { return (a <=> b) == 0; }

private:
    std::variant<std::string, std::int64_t, Decimal, double> data_;
};

// Text helpers of the host runtime.
std::string_view clipped(std::string_view text); // without trailing blanks
std::string clip(std::string_view text);         // the same, as a copy
std::string upper(std::string_view text);        // ASCII upper case
std::string lower(std::string_view text);
// Characters from 1-based `start`, at most `length` of them; out of range gives "".
std::string subString(std::string_view text, long long start, long long length);
// 1-based position of `needle` in `text` from 1-based `start`; 0 when absent.
std::size_t findText(std::string_view needle, std::string_view text, std::size_t start = 1,
                     bool ignoreCase = false);
// 1-based number of `value` in a comma-separated list (blanks around items ignored);
// 0 when it is not in the list.
int matchInList(std::string_view value, std::string_view list, bool ignoreCase = false);
bool equalIgnoringCase(std::string_view a, std::string_view b);
// Text comparison ignoring trailing blanks.
std::strong_ordering compareText(std::string_view a, std::string_view b);

} // namespace host
