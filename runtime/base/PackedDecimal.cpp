#include "runtime/base/PackedDecimal.h"

#include <cstdint>
#include <limits>

namespace host {

namespace {
constexpr unsigned negativeSign = 0xD;
}

Decimal readPackedDecimal(const std::byte* storage, int digits, int places) {
    int bytes = digits / 2 + 1;
    int nibbles = bytes * 2;
    Decimal::Units units = 0;
    for (int i = 1; i < nibbles; ++i) {
        unsigned byte = std::to_integer<unsigned>(storage[i / 2]);
        unsigned nibble = (i % 2 == 0) ? (byte >> 4) : (byte & 0xF);
        units = units * 10 + (nibble > 9 ? 9 : nibble);
    }
    bool negative = (std::to_integer<unsigned>(storage[0]) >> 4) == negativeSign;
    return Decimal::fromUnits(negative ? -units : units, places);
}

bool writePackedDecimal(std::byte* storage, int digits, int places, const Decimal& value) {
    bool fits = value.fits(digits, places);
    Decimal stored = fits ? value.rounded(places) : Decimal::largest(digits, places);
    if (!fits && value.isNegative())
        stored = -stored;
    // Units at exactly `places` places.
    Decimal::Units units = stored.units();
    for (int p = stored.places(); p < places; ++p)
        units *= 10;
    bool negative = units < 0;
    if (negative)
        units = -units;
    int bytes = digits / 2 + 1;
    int nibbles = bytes * 2;
    for (int i = 0; i < bytes; ++i)
        storage[i] = std::byte{0};
    // Stored decimals have at most 31 digits, but most fit 64 bits, where dividing by ten
    // is a multiplication rather than a call into the 128-bit division routine.
    bool small = units <= static_cast<Decimal::Units>(std::numeric_limits<std::uint64_t>::max());
    std::uint64_t smallUnits = small ? static_cast<std::uint64_t>(units) : 0;
    for (int i = nibbles - 1; i >= 1; --i) {
        unsigned nibble;
        if (small) {
            nibble = static_cast<unsigned>(smallUnits % 10);
            smallUnits /= 10;
        } else {
            nibble = static_cast<unsigned>(units % 10);
            units /= 10;
        }
        unsigned byte = std::to_integer<unsigned>(storage[i / 2]);
        byte |= (i % 2 == 0) ? (nibble << 4) : nibble;
        storage[i / 2] = std::byte(byte);
    }
    if (negative && !stored.isZero())
        storage[0] = std::byte(std::to_integer<unsigned>(storage[0]) | (negativeSign << 4));
    return fits;
}

} // namespace host
