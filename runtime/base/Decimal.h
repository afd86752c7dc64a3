#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// An exact decimal number: an integer count of units scaled by 10^-places.
// Money is never held in binary floating point; every packed decimal field of a
// record is read into a Decimal, computed on, and rounded back into its field.
class Decimal {
public:
    using Units = __int128;

    // The widest value the host keeps in a packed decimal: 31 digits.
    static constexpr int maxDigits = 31;
    // Places kept by a quotient whose operands do not ask for more.
    static constexpr int divisionPlaces = 12;

    constexpr Decimal() = default;
    constexpr Decimal(long long value) : units_(value) {}
    static Decimal fromUnits(Units units, int places);

    // Reads "123", "-12.50", "+.5", " 42 " (surrounding blanks allowed). Anything
    // else, or more than 31 significant digits, gives no value.
    static std::optional<Decimal> parse(std::string_view text);

    Units units() const { return units_; }
    int places() const { return places_; }
    bool isZero() const { return units_ == 0; }
    bool isNegative() const { return units_ < 0; }

    // The value rounded half away from zero to the given number of places.
    Decimal rounded(int places) const;
    // Digits left of the point, at least 1 for zero.
    int integerDigits() const;
    // True when the value, rounded to `places`, fits `digits` digits in all.
    bool fits(int digits, int places) const;
    // The largest value with the given digits and places (999.99 for 5, 2).
    static Decimal largest(int digits, int places);

    // Truncates toward zero; values beyond 64 bits saturate.
    long long toInteger() const;
    double toDouble() const;
    static Decimal fromDouble(double value, int places = 10);

    // Plain text form without trailing fractional zeros: "12.5", "-3", "0".
    std::string toString() const;
    // Text form with exactly `places` places, rounded half away from zero.
    std::string toString(int places) const;

    Decimal operator-() const { return fromUnits(-units_, places_); }
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    // Quotient with max(places of a, places of b, divisionPlaces) places, rounded
    // half away from zero. Division by zero gives 0, as the host's does.
    friend Decimal operator/(const Decimal& a, const Decimal& b);
    Decimal& operator+=(const Decimal& b) { return *this = *this + b; }
    Decimal& operator-=(const Decimal& b) { return *this = *this - b; }
    Decimal& operator*=(const Decimal& b) { return *this = *this * b; }
    Decimal& operator/=(const Decimal& b) { return *this = *this / b; }

    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b) { return (a <=> b) == 0; }

private:
    Units units_ = 0;
    int places_ = 0;
};

} // namespace host
