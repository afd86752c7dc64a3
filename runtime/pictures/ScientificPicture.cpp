#include "runtime/pictures/ScientificPicture.h"

#include "runtime/pictures/PictureText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace host {

using namespace picturetext;

namespace {

constexpr int maxWidth = 99;
constexpr int maxPlaces = 31;
// The range a decimal holds: 31 digits before the point and 31 places, so the exponents
// of its shown numbers run from -31 to 30.
constexpr int largestExponent = Decimal::maxDigits - 1;
constexpr int smallestExponent = -31;
// The significant digits of the widest mantissa a picture shows (31 places); a typed
// number keeps as many.
constexpr int keptDigits = maxPlaces + 1;

std::string exponentText(int exponent) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < 2)
        digits.insert(0, "0");
    return std::string("e") + (exponent < 0 ? "-" : "+") + digits;
}

Decimal::Units powerOfTen(int n) {
    Decimal::Units result = 1;
    for (int i = 0; i < n; ++i)
        result *= 10;
    return result;
}

// A non-negative count of units divided by 10^drop, rounded half away from zero.
Decimal::Units dropDigits(Decimal::Units units, int drop) {
    Decimal::Units divisor = powerOfTen(drop);
    Decimal::Units quotient = units / divisor;
    return units % divisor * 2 >= divisor ? quotient + 1 : quotient;
}

// A typed number split into its significant digits and the power of ten of the first:
// "-0.0125e+2" is negative, digits "125", exponent 0 (1.25).
struct TypedNumber {
    bool negative = false;
    std::string digits;  // without leading zeros; at most keptDigits + 1 of them
    long long count = 0; // significant digits in all
    long long exponent = 0;
};

// Reads [sign] digits [. digits] [e|E [sign] digits]: at least one mantissa digit, and at
// least one exponent digit after an 'e'. No value for anything else.
std::optional<TypedNumber> readTyped(std::string_view text) {
    // Exponents beyond this are far outside any decimal; capping them keeps the sums exact.
    constexpr long long exponentCap = 1'000'000'000'000;
    TypedNumber n;
    size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        n.negative = text[at++] == '-';
    bool point = false;
    bool anyDigit = false;
    long long places = 0; // digits after the point, leading zeros included
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!isDigit(c))
            break;
        anyDigit = true;
        if (point)
            ++places;
        if (n.count == 0 && c == '0')
            continue;
        ++n.count;
        if (static_cast<int>(n.digits.size()) <= keptDigits)
            n.digits += c; // one beyond those kept decides the rounding
    }
    if (!anyDigit)
        return std::nullopt;
    long long exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool negative = at < text.size() && text[at] == '-';
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            ++at;
        size_t begin = at;
        for (; at < text.size() && isDigit(text[at]); ++at)
            exponent = std::min(exponent * 10 + (text[at] - '0'), exponentCap);
        if (at == begin)
            return std::nullopt;
        if (negative)
            exponent = -exponent;
    }
    if (at != text.size())
        return std::nullopt;
    n.exponent = n.count - 1 - places + exponent;
    return n;
}

// The decimal a typed number stands for: digits beyond 31 places or beyond keptDigits
// round half away from zero. No value for a number beyond 31 digits before the point or,
// other than zero, below the smallest a decimal holds (1e-31).
std::optional<Decimal> typedDecimal(const TypedNumber& n) {
    if (n.count == 0)
        return Decimal();
    if (n.exponent > largestExponent || n.exponent < smallestExponent)
        return std::nullopt;
    int exponent = static_cast<int>(n.exponent);
    int keep = std::min<long long>({n.count, keptDigits, exponent - smallestExponent + 1});
    Decimal::Units units = 0;
    for (int i = 0; i < keep; ++i)
        units = units * 10 + (n.digits[static_cast<size_t>(i)] - '0');
    if (keep < n.count && n.digits[static_cast<size_t>(keep)] >= '5')
        ++units;
    int lowest = exponent - (keep - 1); // the power of ten of the last kept digit
    Decimal number = lowest >= 0 ? Decimal::fromUnits(units * powerOfTen(lowest), 0)
                                 : Decimal::fromUnits(units, -lowest);
    if (number.integerDigits() > Decimal::maxDigits)
        return std::nullopt; // rounded up to 1e31
    return n.negative ? -number : number;
}

} // namespace

std::optional<ScientificPicture> ScientificPicture::parse(std::string_view body) {
    ScientificPicture p;
    size_t at = 0;
    size_t begin = at;
    while (at < body.size() && isDigit(body[at]))
        ++at;
    auto size = smallNumber(body.substr(begin, at - begin), 2);
    if (!size || *size == 0 || at >= body.size() || body[at] != '.')
        return std::nullopt;
    begin = ++at;
    while (at < body.size() && isDigit(body[at]))
        ++at;
    auto places = smallNumber(body.substr(begin, at - begin), 2);
    if (!places || *places > maxPlaces)
        return std::nullopt;
    if (at < body.size() && (body[at] == 'b' || body[at] == 'B')) {
        p.blankWhenZero_ = true;
        ++at;
    }
    if (!trimmed(body.substr(at)).empty() || *size > maxWidth)
        return std::nullopt;
    p.width_ = *size;
    p.places_ = *places;
    return p;
}

std::string ScientificPicture::fit(std::string text) const {
    if (static_cast<int>(text.size()) > width_)
        return overflow(width_);
    return std::string(static_cast<size_t>(width_) - text.size(), ' ') + text;
}

std::string ScientificPicture::format(const Value& value) const {
    if (value.kind() == Value::Kind::Real) {
        // A real is binary already: its own digits are the exact ones to show.
        double real = value.toReal();
        if (!std::isfinite(real))
            return overflow(width_);
        if (blankWhenZero_ && real == 0)
            return blanks(width_);
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "%.*e", places_, real);
        return fit(buffer);
    }
    Decimal number = value.toDecimal();
    if (number.isZero())
        return blankWhenZero_ ? blanks(width_) : fit(Decimal().toString(places_) + exponentText(0));
    bool negative = number.isNegative();
    Decimal::Units units = negative ? -number.units() : number.units();
    int digits = static_cast<int>(unitDigits(units, 1).size());
    int exponent = digits - 1 - number.places();
    Decimal mantissa;
    if (digits - 1 > places_) {
        // Rounded once, straight from the value's own digits.
        units = dropDigits(units, digits - 1 - places_);
        if (units == powerOfTen(places_ + 1)) {
            units /= 10;
            ++exponent;
        }
        mantissa = Decimal::fromUnits(units, places_);
    } else {
        mantissa = Decimal::fromUnits(units, digits - 1);
    }
    // What a decimal cannot hold could not be read back.
    if (exponent > largestExponent)
        return overflow(width_);
    return fit((negative ? "-" : "") + mantissa.toString(places_) + exponentText(exponent));
}

std::optional<Value> ScientificPicture::deformat(std::string_view text) const {
    text = trimmed(text);
    auto typed = readTyped(text.empty() ? std::string_view("0") : text);
    if (!typed)
        return std::nullopt;
    auto number = typedDecimal(*typed);
    if (!number || format(Value(*number)).front() == '#')
        return std::nullopt;
    return Value(*number);
}

} // namespace host
