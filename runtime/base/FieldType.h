#pragma once

#include <cstddef>
#include <cstdint>

namespace host {

// The kinds of variable the host runtime stores in records, queues and locals.
enum class FieldKind : std::uint8_t {
    Byte,      // unsigned 8-bit
    Short,     // signed 16-bit
    UShort,    // unsigned 16-bit
    Long,      // signed 32-bit
    ULong,     // unsigned 32-bit
    Real,      // 64-bit binary floating point (never used for money)
    Decimal,   // packed decimal with digits and places
    Text,      // fixed width, blank padded
    CText,     // zero terminated, holding up to size - 1 characters
    PText,     // one length byte, then up to size - 1 characters
    Date,      // signed 32-bit day number, 0 = no date
    Time,      // signed 32-bit hundredths of a second since midnight
    Reference, // a TypedRef held in a queue or record (address and type)
};

// The type of one variable: its kind and, where it matters, size, digits and places.
struct FieldType {
    FieldKind kind = FieldKind::Long;
    std::uint16_t size = 4;  // bytes in storage
    std::uint8_t digits = 0; // decimals only
    std::uint8_t places = 0; // decimals only

    static constexpr FieldType byte() { return {FieldKind::Byte, 1}; }
    static constexpr FieldType shortInteger() { return {FieldKind::Short, 2}; }
    static constexpr FieldType unsignedShort() { return {FieldKind::UShort, 2}; }
    static constexpr FieldType longInteger() { return {FieldKind::Long, 4}; }
    static constexpr FieldType unsignedLong() { return {FieldKind::ULong, 4}; }
    static constexpr FieldType real() { return {FieldKind::Real, 8}; }
    // A packed decimal takes one byte per two digits plus the sign's half byte:
    // 7 digits take 4 bytes, 5 digits 3 bytes.
    static constexpr FieldType decimal(int digits, int places) {
        return {FieldKind::Decimal, static_cast<std::uint16_t>(digits / 2 + 1),
                static_cast<std::uint8_t>(digits), static_cast<std::uint8_t>(places)};
    }
    static constexpr FieldType text(int size) {
        return {FieldKind::Text, static_cast<std::uint16_t>(size)};
    }
    static constexpr FieldType cstring(int size) {
        return {FieldKind::CText, static_cast<std::uint16_t>(size)};
    }
    static constexpr FieldType pstring(int size) {
        return {FieldKind::PText, static_cast<std::uint16_t>(size)};
    }
    static constexpr FieldType date() { return {FieldKind::Date, 4}; }
    static constexpr FieldType time() { return {FieldKind::Time, 4}; }
    static FieldType reference();

    bool isText() const {
        return kind == FieldKind::Text || kind == FieldKind::CText || kind == FieldKind::PText;
    }
    bool isInteger() const {
        return kind == FieldKind::Byte || kind == FieldKind::Short || kind == FieldKind::UShort ||
               kind == FieldKind::Long || kind == FieldKind::ULong || kind == FieldKind::Date ||
               kind == FieldKind::Time;
    }
    bool isNumeric() const { return !isText() && kind != FieldKind::Reference; }
    // The most characters a text variable of this type holds.
    std::size_t textCapacity() const;

    friend bool operator==(const FieldType&, const FieldType&) = default;
};

} // namespace host
