#include "runtime/base/Decimal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace host {

namespace {

using Units = Decimal::Units;

constexpr int maxPlaces = 31;

Units powerOfTen(int n) {
    Units result = 1;
    for (int i = 0; i < n; ++i)
        result *= 10;
    return result;
}

Units absolute(Units value) {
    return value < 0 ? -value : value;
}

// Divides with rounding half away from zero.
Units divideRounded(Units numerator, Units denominator) {
    Units quotient = numerator / denominator;
    Units remainder = numerator % denominator;
    if (absolute(remainder) * 2 >= absolute(denominator))
        quotient += ((numerator < 0) != (denominator < 0)) ? -1 : 1;
    return quotient;
}

bool multiplyChecked(Units a, Units b, Units& out) {
    return __builtin_mul_overflow(a, b, &out);
}

// Brings a and b to the same places; when scaling up would overflow, the operand with
// more places is rounded down to fewer places instead.
void align(Decimal& a, Decimal& b) {
    while (a.places() != b.places()) {
        Decimal& low = a.places() < b.places() ? a : b;
        Decimal& high = a.places() < b.places() ? b : a;
        Units scaled;
        if (!multiplyChecked(low.units(), powerOfTen(high.places() - low.places()), scaled)) {
            low = Decimal::fromUnits(scaled, high.places());
            return;
        }
        high = high.rounded(high.places() - 1);
    }
}

} // namespace

Decimal Decimal::fromUnits(Units units, int places) {
    Decimal d;
    d.units_ = units;
    d.places_ = places;
    if (places > maxPlaces) {
        // Beyond 38 dropped places nothing of any 128-bit count survives the rounding.
        int drop = places - maxPlaces;
        d.units_ = drop > 38 ? 0 : divideRounded(units, powerOfTen(drop));
        d.places_ = maxPlaces;
    } else if (places < 0) {
        d.units_ = units * powerOfTen(-places);
        d.places_ = 0;
    }
    return d;
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\0'))
        --end;
    text = text.substr(begin, end - begin);
    if (text.empty())
        return std::nullopt;
    bool negative = false;
    size_t i = 0;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        ++i;
    }
    Units units = 0;
    int places = 0;
    int significant = 0;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        digits = true;
        if (point && places >= maxPlaces)
            continue; // places beyond the host's precision are dropped
        if (significant > 0 || c != '0')
            ++significant;
        if (significant > maxDigits) {
            if (!point)
                return std::nullopt;
            continue; // further fractional digits are beyond the host's precision
        }
        units = units * 10 + (c - '0');
        if (point)
            ++places;
    }
    if (!digits)
        return std::nullopt;
    return fromUnits(negative ? -units : units, places);
}

Decimal Decimal::rounded(int places) const {
    if (places < 0)
        places = 0;
    if (places >= places_)
        return *this;
    return fromUnits(divideRounded(units_, powerOfTen(places_ - places)), places);
}

int Decimal::integerDigits() const {
    Units whole = absolute(units_) / powerOfTen(places_);
    int digits = 1;
    while (whole >= 10) {
        whole /= 10;
        ++digits;
    }
    return digits;
}

bool Decimal::fits(int digits, int places) const {
    Decimal r = rounded(places);
    Units whole = absolute(r.units_) / powerOfTen(r.places_);
    return whole < powerOfTen(digits - places);
}

Decimal Decimal::largest(int digits, int places) {
    return fromUnits(powerOfTen(digits) - 1, places);
}

long long Decimal::toInteger() const {
    Units whole = units_ / powerOfTen(places_);
    if (whole > std::numeric_limits<long long>::max())
        return std::numeric_limits<long long>::max();
    if (whole < std::numeric_limits<long long>::min())
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(whole);
}

double Decimal::toDouble() const {
    return static_cast<double>(units_) / std::pow(10.0, places_);
}

Decimal Decimal::fromDouble(double value, int places) {
    if (!std::isfinite(value))
        return Decimal();
    double scaled = std::round(value * std::pow(10.0, places));
    if (std::fabs(scaled) >= 1e37)
        return Decimal();
    return fromUnits(static_cast<Units>(scaled), places);
}

std::string Decimal::toString() const {
    std::string text = toString(places_);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string Decimal::toString(int places) const {
    Decimal r = rounded(places);
    Units value = absolute(r.units_);
    // Pad with zero places when the value holds fewer than asked.
    int have = r.places_;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value > 0);
    while (static_cast<int>(digits.size()) <= have)
        digits.insert(digits.begin(), '0');
    std::string text = digits.substr(0, digits.size() - have);
    if (places > 0) {
        std::string fraction = digits.substr(digits.size() - have);
        fraction.resize(places, '0');
        text += "." + fraction;
    }
    if (r.units_ < 0)
        text.insert(text.begin(), '-');
    return text;
}

Decimal operator+(const Decimal& x, const Decimal& y) {
    Decimal a = x, b = y;
    align(a, b);
    Units sum;
    if (__builtin_add_overflow(a.units(), b.units(), &sum)) {
        a = a.rounded(a.places() - 1);
        b = b.rounded(b.places() - 1);
        sum = a.units() + b.units();
    }
    return Decimal::fromUnits(sum, a.places());
}

Decimal operator-(const Decimal& a, const Decimal& b) {
    return a + (-b);
}

Decimal operator*(const Decimal& x, const Decimal& y) {
    Decimal a = x, b = y;
    Units product;
    while (multiplyChecked(a.units(), b.units(), product)) {
        if (a.places() == 0 && b.places() == 0)
            return Decimal(); // beyond any host decimal; callers detect it by range
        if (a.places() >= b.places())
            a = a.rounded(a.places() - 1);
        else
            b = b.rounded(b.places() - 1);
    }
    return Decimal::fromUnits(product, a.places() + b.places());
}

Decimal operator/(const Decimal& a, const Decimal& b) {
    if (b.isZero())
        return Decimal();
    int places = std::max({a.places(), b.places(), Decimal::divisionPlaces});
    // units = a.units * 10^(places + b.places - a.places) / b.units
    for (; places >= 0; --places) {
        int shift = places + b.places() - a.places();
        Units numerator;
        if (shift >= 0) {
            if (shift > 38 || multiplyChecked(a.units(), powerOfTen(shift), numerator))
                continue;
            return Decimal::fromUnits(divideRounded(numerator, b.units()), places);
        }
        Units denominator;
        if (-shift > 38 || multiplyChecked(b.units(), powerOfTen(-shift), denominator))
            continue;
        return Decimal::fromUnits(divideRounded(a.units(), denominator), places);
    }
    return Decimal();
}

std::strong_ordering operator<=>(const Decimal& x, const Decimal& y) {
    Decimal a = x, b = y;
    align(a, b);
    return a.units() <=> b.units();
}

} // namespace host
