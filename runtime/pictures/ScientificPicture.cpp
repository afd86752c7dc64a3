#include "runtime/pictures/ScientificPicture.h"

#include "runtime/pictures/PictureText.h"

#include <cmath>
#include <cstdio>

namespace host {

using namespace picturetext;

namespace {

constexpr int maxWidth = 99;
constexpr int maxPlaces = 31;
constexpr int maxExponent = 60;

std::string exponentText(int exponent) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < 2)
        digits.insert(0, "0");
    return std::string("e") + (exponent < 0 ? "-" : "+") + digits;
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
    Decimal mantissa = Decimal::fromUnits(units, digits - 1).rounded(places_);
    if (mantissa >= Decimal(10)) {
        mantissa = Decimal::fromUnits(mantissa.units(), mantissa.places() + 1).rounded(places_);
        ++exponent;
    }
    return fit((negative ? "-" : "") + mantissa.toString(places_) + exponentText(exponent));
}

std::optional<Value> ScientificPicture::deformat(std::string_view text) const {
    text = trimmed(text);
    if (text.empty())
        text = "0";
    size_t e = text.find_first_of("eE");
    auto mantissa = Decimal::parse(text.substr(0, e));
    if (!mantissa)
        return std::nullopt;
    int exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view rest = text.substr(e + 1);
        bool negative = !rest.empty() && rest.front() == '-';
        if (!rest.empty() && (rest.front() == '-' || rest.front() == '+'))
            rest.remove_prefix(1);
        auto magnitude = smallNumber(rest, 2);
        if (!magnitude || *magnitude > maxExponent)
            return std::nullopt;
        exponent = negative ? -*magnitude : *magnitude;
    }
    int places = mantissa->places() - exponent;
    Decimal number;
    if (places >= 0) {
        number = Decimal::fromUnits(mantissa->units(), places);
    } else {
        Decimal::Units units = mantissa->units();
        for (int i = 0; i < -places; ++i)
            if (__builtin_mul_overflow(units, 10, &units))
                return std::nullopt;
        number = Decimal::fromUnits(units, 0);
    }
    if (number.integerDigits() > Decimal::maxDigits)
        return std::nullopt;
    if (format(Value(number)).front() == '#')
        return std::nullopt;
    return Value(number);
}

} // namespace host
