#pragma once

#include "runtime/base/Decimal.h"

#include <optional>
#include <string>

namespace testsupport {

// The value a scientific picture with `places` shows for `number`: the number rounded half
// away from zero to places + 1 significant digits. No value when that is beyond the 31
// integer digits a decimal holds. Worked out on the digit text, apart from the picture.
inline std::optional<host::Decimal> shownValue(const host::Decimal& number, int places) {
    std::string digits = number.toString();
    bool negative = digits.front() == '-';
    if (negative)
        digits.erase(0, 1);
    int fraction = 0;
    if (size_t point = digits.find('.'); point != std::string::npos) {
        fraction = static_cast<int>(digits.size() - point - 1);
        digits.erase(point, 1);
    }
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.empty())
        return host::Decimal();
    size_t keep = static_cast<size_t>(places) + 1;
    if (digits.size() > keep) {
        bool up = digits[keep] >= '5';
        fraction -= static_cast<int>(digits.size() - keep);
        digits.resize(keep);
        for (size_t at = digits.size(); up && at-- > 0;) {
            up = digits[at] == '9';
            digits[at] = up ? '0' : static_cast<char>(digits[at] + 1);
        }
        if (up)
            digits.insert(0, "1");
    }
    if (fraction < 0) {
        digits.append(static_cast<size_t>(-fraction), '0');
        fraction = 0;
    }
    if (static_cast<int>(digits.size()) - fraction > host::Decimal::maxDigits)
        return std::nullopt;
    host::Decimal::Units units = 0;
    for (char c : digits)
        units = units * 10 + (c - '0');
    return host::Decimal::fromUnits(negative ? -units : units, fraction);
}

} // namespace testsupport
