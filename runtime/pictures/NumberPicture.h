#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

// A number picture: "@n" followed by
//   [currency][sign][fill] size [grouping] [separator places] [sign][currency] [b]
// (leading currency and sign in either order). It shows a number right-aligned in `size`
// characters, rounded half away from zero to `places`; a number that does not fit shows
// as '#' characters filling the width.
class NumberPicture {
public:
    // `body` is the picture after its kind letter, for example "-10.2" or "$9.2".
    static std::optional<NumberPicture> parse(std::string_view body);

    std::string format(const Value& value) const;
    std::optional<Value> deformat(std::string_view text) const;

    int width() const { return width_; }
    int places() const { return places_; }
    bool isBlankWhenZero() const { return blankWhenZero_; }

private:
    // The text of a number already rounded to the picture's places; no value when it
    // does not fit the width.
    std::optional<std::string> layout(const Decimal& number) const;
    // Removes signs, parentheses, currency and fill around the digits.
    bool peelAffixes(std::string_view& text, bool& negative) const;
    std::optional<Decimal> readDigits(std::string_view text) const;

    int width_ = 0;
    int places_ = 0;
    char leadingSign_ = '\0';  // '-', '(' or none
    char trailingSign_ = '\0'; // '-', ')' or none
    bool signBeforeCurrency_ = true;
    bool currencyLeads_ = true;
    bool trailingSignFirst_ = false; // order of the trailing sign and currency
    std::string currency_;           // "$", or the text between tildes
    char fill_ = ' ';                // ' ', '0' or '*' in the unused leading positions
    char grouping_ = '\0';           // thousands separator, none when '\0'
    char separator_ = '.';           // decimal point as shown, '\0' for an implied point
    bool blankWhenZero_ = false;
};

} // namespace host
