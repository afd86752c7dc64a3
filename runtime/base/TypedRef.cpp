#include "runtime/base/TypedRef.h"

#include "runtime/base/FieldText.h"
#include "runtime/base/PackedDecimal.h"
#include "runtime/base/Unaligned.h"

#include <algorithm>
#include <cstring>

namespace host {

namespace {

// Keeps the low bits of an integer, as the host's assignment to a narrower integer does.
template <typename T> bool storeInteger(std::byte* at, std::int64_t v) {
    T narrowed = static_cast<T>(v);
    storeUnaligned(at, narrowed);
    return static_cast<std::int64_t>(narrowed) == v;
}

} // namespace

Value TypedRef::value() const {
    if (!address_)
        return Value();
    switch (type_.kind) {
    case FieldKind::Byte:
        return Value(static_cast<int>(loadUnaligned<std::uint8_t>(address_)));
    case FieldKind::Short:
        return Value(static_cast<int>(loadUnaligned<std::int16_t>(address_)));
    case FieldKind::UShort:
        return Value(static_cast<int>(loadUnaligned<std::uint16_t>(address_)));
    case FieldKind::Long:
    case FieldKind::Date:
    case FieldKind::Time:
        return Value(static_cast<long long>(loadUnaligned<std::int32_t>(address_)));
    case FieldKind::ULong:
        return Value(static_cast<long long>(loadUnaligned<std::uint32_t>(address_)));
    case FieldKind::Real:
        return Value(loadUnaligned<double>(address_));
    case FieldKind::Decimal:
        return Value(readPackedDecimal(address_, type_.digits, type_.places));
    case FieldKind::Text:
        return Value(std::string(reinterpret_cast<const char*>(address_), type_.size));
    case FieldKind::CText: {
        const char* text = reinterpret_cast<const char*>(address_);
        size_t length = type_.size == 0 ? 0 : strnlen(text, type_.size);
        return Value(std::string(text, length));
    }
    case FieldKind::PText: {
        size_t length =
            std::min<size_t>(std::to_integer<size_t>(address_[0]), type_.textCapacity());
        return Value(std::string(reinterpret_cast<const char*>(address_ + 1), length));
    }
    case FieldKind::Reference:
        return Value(referenced().value());
    }
    return Value();
}

bool TypedRef::assign(const TypedRef& other) const {
    // Fixed text and integers of one type convert to the very same bytes: copy them (a
    // list fills every row's fields this way) rather than through a Value.
    if (address_ && other.address_ && type_ == other.type_) {
        size_t width = 0;
        switch (type_.kind) {
        case FieldKind::Byte:
            width = 1;
            break;
        case FieldKind::Short:
        case FieldKind::UShort:
            width = 2;
            break;
        case FieldKind::Long:
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::ULong:
            width = 4;
            break;
        case FieldKind::Text:
            width = type_.size;
            break;
        default:
            break;
        }
        if (width > 0) {
            std::memmove(address_, other.address_, width);
            return true;
        }
    }
    return assign(other.value());
}

bool TypedRef::assign(const Value& v) const {
    if (!address_)
        return false;
    switch (type_.kind) {
    case FieldKind::Byte:
        return storeInteger<std::uint8_t>(address_, v.toInteger());
    case FieldKind::Short:
        return storeInteger<std::int16_t>(address_, v.toInteger());
    case FieldKind::UShort:
        return storeInteger<std::uint16_t>(address_, v.toInteger());
    case FieldKind::Long:
    case FieldKind::Date:
    case FieldKind::Time:
        return storeInteger<std::int32_t>(address_, v.toInteger());
    case FieldKind::ULong:
        return storeInteger<std::uint32_t>(address_, v.toInteger());
    case FieldKind::Real:
        storeUnaligned(address_, v.toReal());
        return true;
    case FieldKind::Decimal:
        return writePackedDecimal(address_, type_.digits, type_.places, v.toDecimal());
    case FieldKind::Text: {
        std::string text = v.toText();
        size_t n = writeFieldText(address_, type_, text);
        return n == text.size() || clipped(text).size() <= n; // only blanks cut off
    }
    case FieldKind::CText:
    case FieldKind::PText: {
        if (type_.size == 0)
            return false;
        std::string text = v.toText();
        return writeFieldText(address_, type_, text) == text.size();
    }
    case FieldKind::Reference: {
        TypedRef target = referenced();
        return target.assign(v);
    }
    }
    return false;
}

void TypedRef::clear() const {
    if (!address_)
        return;
    if (type_.kind == FieldKind::Text)
        std::memset(address_, ' ', type_.size);
    else
        std::memset(address_, 0, type_.size);
}

TypedRef TypedRef::referenced() const {
    if (!address_ || type_.kind != FieldKind::Reference)
        return {};
    return loadUnaligned<TypedRef>(address_);
}

void TypedRef::setReferenced(const TypedRef& target) const {
    if (address_ && type_.kind == FieldKind::Reference)
        storeUnaligned(address_, target);
}

Variable::Variable(FieldType type) : type_(type), storage_(type.size, std::byte{0}) {
    ref().clear();
}

Variable::Variable(const Variable& other) = default;
Variable& Variable::operator=(const Variable& other) = default;
Variable::~Variable() = default;

} // namespace host
