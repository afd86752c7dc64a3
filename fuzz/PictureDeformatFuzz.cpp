// Feeds arbitrary pictures and typed texts to the pictures. The input is the picture, a
// line break, then the text. Checks that nothing crashes, that no formatted text is wider
// than its picture, and that what de-format accepts shows without overflow and reads back
// to the same value (or, where the picture drops detail, to the same text). A scientific
// picture must also read back what it shows: a decimal as rounded to the shown digits, a
// real as its shown digits, and refuse what a decimal cannot hold.
#include "runtime/pictures/Picture.h"
#include "tests/support/ScientificShownValue.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

using host::Decimal;
using host::Picture;
using host::Value;
using testsupport::shownValue;

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

void checkWidth(const Picture& picture, const Value& value) {
    require(static_cast<int>(picture.format(value).size()) <= picture.width());
}

// True when reading a shown value gives back exactly that value: numbers, patterns,
// texts and dates with four-digit years. Times drop hundredths or seconds, scientific
// pictures round the mantissa and two-digit years lose the century.
bool keepsEveryDetail(const Picture& picture) {
    switch (picture.kind()) {
    case 'n':
    case 'p':
    case 's':
        return true;
    case 'd':
        return picture.width() != 8;
    default:
        return false;
    }
}

void checkScientificDecimal(const Picture& picture, const Decimal& value) {
    std::string shown = picture.format(value);
    require(static_cast<int>(shown.size()) == picture.width());
    auto expected = shownValue(value, picture.places());
    if (!expected) {
        require(shown.find_first_not_of('#') == std::string::npos);
        return;
    }
    if (shown.front() == '#') {
        // Only when the text is wider than the picture: sign, digit, point and places,
        // and an exponent of two digits (a decimal's run from -31 to 30).
        int places = picture.places();
        int needed = (expected->isNegative() ? 1 : 0) + 1 + (places > 0 ? places + 1 : 0) + 4;
        require(needed > picture.width());
        return;
    }
    auto back = picture.deformat(shown);
    require(back.has_value());
    require(back->kind() == Value::Kind::Decimal && back->toDecimal() == *expected);
}

void checkScientificReal(const Picture& picture, double real) {
    std::string shown = picture.format(real);
    size_t e = shown.find('e');
    if (real == 0 || e == std::string::npos)
        return; // no digits to read back: '#', blanks, or a zero that may carry a sign
    int exponent = std::atoi(shown.c_str() + e + 1);
    auto back = picture.deformat(shown);
    bool inRange = exponent >= -31 && exponent <= Decimal::maxDigits - 1;
    require(back.has_value() == inRange);
    if (inRange && exponent - picture.places() >= -31) // every shown digit is kept
        require(picture.format(*back) == shown);
}

// Values for a scientific picture from the typed text: the number it spells; and from
// its raw bytes a count of units (bytes 0 to 15) cut to 1 to 38 digits (byte 17), with up
// to 31 places and a sign (byte 16), and a real (bytes 8 to 15).
void checkScientificRoundTrip(const Picture& picture, std::string_view text) {
    if (auto number = Decimal::parse(text))
        checkScientificDecimal(picture, *number);
    if (text.size() < 18)
        return;
    unsigned __int128 raw;
    std::memcpy(&raw, text.data(), sizeof raw);
    auto control = static_cast<unsigned char>(text[16]);
    int digits = 1 + static_cast<unsigned char>(text[17]) % 38;
    unsigned __int128 limit = 1;
    for (int i = 0; i < digits; ++i)
        limit *= 10;
    auto units = static_cast<Decimal::Units>(raw % limit);
    checkScientificDecimal(picture,
                           Decimal::fromUnits(control & 0x80 ? -units : units, control % 32));
    double real;
    std::memcpy(&real, text.data() + 8, sizeof real);
    checkScientificReal(picture, real);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find('\n');
    std::string_view pictureText = input.substr(0, split);
    std::string_view text =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    (void)host::formatPicture(Value(text), pictureText);
    (void)host::deformatPicture(text, pictureText);
    auto picture = Picture::parse(pictureText);
    if (!picture)
        return 0;
    require(picture->width() >= 1);

    // Formatting any value, whatever its kind, stays within the width.
    checkWidth(*picture, Value(text));
    if (auto number = host::Decimal::parse(text))
        checkWidth(*picture, Value(*number));
    if (text.size() >= 8) {
        double real;
        long long integer;
        std::memcpy(&real, text.data(), sizeof real);
        std::memcpy(&integer, text.data(), sizeof integer);
        checkWidth(*picture, Value(real));
        checkWidth(*picture, Value(integer));
    }

    if (picture->kind() == 'e')
        checkScientificRoundTrip(*picture, text);

    auto value = picture->deformat(text);
    if (!value)
        return 0;
    std::string shown = picture->format(*value);
    require(static_cast<int>(shown.size()) <= picture->width());
    if (picture->kind() != 's')
        require(shown.empty() || shown.find_first_not_of('#') != std::string::npos);
    auto again = picture->deformat(shown);
    require(again.has_value());
    require(picture->format(*again) == shown);
    if (keepsEveryDetail(*picture))
        require(*again == *value);
    return 0;
}
