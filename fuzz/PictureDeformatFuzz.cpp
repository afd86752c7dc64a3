// Feeds arbitrary pictures and typed texts to the pictures. The input is the picture, a
// line break, then the text. Checks that nothing crashes, that no formatted text is wider
// than its picture, and that what de-format accepts shows without overflow and reads back
// to the same value (or, where the picture drops detail, to the same text).
#include "runtime/pictures/Picture.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using host::Picture;
using host::Value;

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
