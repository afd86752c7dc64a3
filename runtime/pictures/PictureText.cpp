#include "runtime/pictures/PictureText.h"

#include <cmath>
#include <cstdio>

namespace host::picturetext {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<Decimal> exactNumber(const Value& value) {
    if (value.kind() != Value::Kind::Real)
        return value.toDecimal();
    double real = value.toReal();
    if (!std::isfinite(real))
        return std::nullopt;
    // Below 1e21 the conversion keeps 15 places, so 2.675 stays 2.675 and rounds as the
    // user expects; beyond it the whole number is read from its printed digits.
    if (std::fabs(real) < 1e21)
        return value.toDecimal();
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", real);
    return Decimal::parse(buffer);
}

std::optional<int> smallNumber(std::string_view digits, int maxDigits) {
    if (digits.empty() || static_cast<int>(digits.size()) > maxDigits)
        return std::nullopt;
    int number = 0;
    for (char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string unitDigits(Decimal::Units units, int minimum) {
    char buffer[48];
    int at = sizeof buffer;
    do {
        buffer[--at] = static_cast<char>('0' + static_cast<int>(units % 10));
        units /= 10;
    } while (units > 0 && at > 0);
    std::string digits(buffer + at, buffer + sizeof buffer);
    if (static_cast<int>(digits.size()) < minimum)
        digits.insert(0, static_cast<size_t>(minimum) - digits.size(), '0');
    return digits;
}

bool readDateTimeEnding(std::string_view rest, char& separator, bool& blankWhenZero) {
    size_t at = 0;
    if (at < rest.size()) {
        switch (rest[at]) {
        case '.':
        case '-':
            separator = rest[at++];
            break;
        case '_':
            separator = ' ';
            ++at;
            break;
        case '\'':
            separator = ',';
            ++at;
            break;
        default:
            break;
        }
    }
    if (at < rest.size() && (rest[at] == 'b' || rest[at] == 'B')) {
        blankWhenZero = true;
        ++at;
    }
    return trimmed(rest.substr(at)).empty();
}

} // namespace host::picturetext
