#include "framework/data/KeyBounds.h"

#include "runtime/base/Decimal.h"
#include "runtime/base/Unaligned.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace framework::keyBounds {

namespace {

template <typename T> void store(const host::TypedRef& field, T value) {
    host::storeUnaligned(field.address(), value);
}

void fillText(const host::TypedRef& field, unsigned char byte) {
    std::byte* data = field.address();
    std::size_t size = field.type().size;
    switch (field.type().kind) {
    case host::FieldKind::Text:
        std::memset(data, byte, size);
        break;
    case host::FieldKind::CText:
        if (size > 0) {
            std::memset(data, byte, size - 1);
            data[size - 1] = std::byte{0};
        }
        break;
    case host::FieldKind::PText:
        if (size > 0) {
            data[0] = static_cast<std::byte>(size - 1);
            std::memset(data + 1, byte, size - 1);
        }
        break;
    default:
        break;
    }
}

} // namespace

void setLowest(const host::TypedRef& field) {
    if (!field)
        return;
    switch (field.type().kind) {
    case host::FieldKind::Short:
        store(field, std::numeric_limits<std::int16_t>::min());
        break;
    case host::FieldKind::Long:
    case host::FieldKind::Date:
    case host::FieldKind::Time:
        store(field, std::numeric_limits<std::int32_t>::min());
        break;
    case host::FieldKind::Real:
        store(field, std::numeric_limits<double>::lowest());
        break;
    case host::FieldKind::Decimal:
        field.assign(
            host::Value(-host::Decimal::largest(field.type().digits, field.type().places)));
        break;
    default:
        // Unsigned numbers start at zero; text starts with the empty (blank) text.
        field.clear();
        break;
    }
}

void setHighest(const host::TypedRef& field) {
    if (!field)
        return;
    switch (field.type().kind) {
    case host::FieldKind::Byte:
        store(field, std::numeric_limits<std::uint8_t>::max());
        break;
    case host::FieldKind::Short:
        store(field, std::numeric_limits<std::int16_t>::max());
        break;
    case host::FieldKind::UShort:
        store(field, std::numeric_limits<std::uint16_t>::max());
        break;
    case host::FieldKind::Long:
    case host::FieldKind::Date:
    case host::FieldKind::Time:
        store(field, std::numeric_limits<std::int32_t>::max());
        break;
    case host::FieldKind::ULong:
        store(field, std::numeric_limits<std::uint32_t>::max());
        break;
    case host::FieldKind::Real:
        store(field, std::numeric_limits<double>::max());
        break;
    case host::FieldKind::Decimal:
        field.assign(host::Value(host::Decimal::largest(field.type().digits, field.type().places)));
        break;
    case host::FieldKind::Text:
    case host::FieldKind::CText:
    case host::FieldKind::PText:
        fillText(field, 0xFF);
        break;
    case host::FieldKind::Reference:
        break;
    }
}

} // namespace framework::keyBounds
