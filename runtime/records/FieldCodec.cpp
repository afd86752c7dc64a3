#include "runtime/records/FieldCodec.h"

#include "runtime/base/FieldText.h"
#include "runtime/base/PackedDecimal.h"
#include "runtime/base/TypedRef.h"
#include "runtime/base/Unaligned.h"
#include "runtime/base/Value.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace host::records::fieldCodec {

namespace {

constexpr int maxRealDigits = 15;

} // namespace

bool decimalAsReal(const FieldType& type) {
    return type.kind == FieldKind::Decimal && type.digits <= maxRealDigits;
}

std::int64_t integerOf(const std::byte* data, FieldKind kind) {
    switch (kind) {
    case FieldKind::Byte:
        return loadUnaligned<std::uint8_t>(data);
    case FieldKind::Short:
        return loadUnaligned<std::int16_t>(data);
    case FieldKind::UShort:
        return loadUnaligned<std::uint16_t>(data);
    case FieldKind::ULong:
        return loadUnaligned<std::uint32_t>(data);
    default:
        return loadUnaligned<std::int32_t>(data);
    }
}

void storeInteger(std::byte* data, FieldKind kind, std::int64_t v) {
    switch (kind) {
    case FieldKind::Byte:
        storeUnaligned(data, static_cast<std::uint8_t>(v));
        break;
    case FieldKind::Short:
        storeUnaligned(data, static_cast<std::int16_t>(v));
        break;
    case FieldKind::UShort:
        storeUnaligned(data, static_cast<std::uint16_t>(v));
        break;
    case FieldKind::ULong:
        storeUnaligned(data, static_cast<std::uint32_t>(v));
        break;
    default:
        storeUnaligned(data, static_cast<std::int32_t>(v));
        break;
    }
}

// The text a text field holds, without the padding of its storage.
std::string_view textOf(const std::byte* data, const FieldType& type) {
    const char* chars = reinterpret_cast<const char*>(data);
    switch (type.kind) {
    case FieldKind::Text:
        return clipped(std::string_view(chars, type.size));
    case FieldKind::CText:
        return std::string_view(chars, type.size == 0 ? 0 : strnlen(chars, type.textCapacity()));
    case FieldKind::PText:
        return std::string_view(
            chars + 1, std::min<size_t>(std::to_integer<size_t>(data[0]), type.textCapacity()));
    default:
        return {};
    }
}

void storeReal(std::byte* data, const FieldType& type, double v) {
    if (type.kind == FieldKind::Real)
        storeUnaligned(data, v);
    else if (type.kind == FieldKind::Decimal)
        writePackedDecimal(data, type.digits, type.places, Decimal::fromDouble(v, type.places));
    else if (type.isInteger())
        storeInteger(data, type.kind, static_cast<std::int64_t>(v));
    else
        TypedRef(data, type).assign(Value(v));
}

bool isWideDecimal(const FieldType& type) {
    return type.kind == FieldKind::Decimal && type.digits > maxRealDigits;
}

std::string orderedDecimalText(const Decimal& value) {
    if (value.isZero())
        return "N";
    std::string plain = value.toString();
    bool negative = plain[0] == '-';
    if (negative)
        plain.erase(0, 1);
    size_t point = plain.find('.');
    std::string digits = plain;
    int exponent = static_cast<int>(plain.size());
    if (point != std::string::npos) {
        digits.erase(point, 1);
        exponent = static_cast<int>(point);
    }
    size_t leading = digits.find_first_not_of('0');
    digits.erase(0, leading);
    exponent -= static_cast<int>(leading);
    digits.erase(digits.find_last_not_of('0') + 1);
    int biased = exponent + 50;
    if (negative) {
        biased = 99 - biased;
        for (char& d : digits)
            d = static_cast<char>('9' - (d - '0'));
        digits += ':';
    }
    std::string text(negative ? "M" : "P");
    text += static_cast<char>('0' + biased / 10);
    text += static_cast<char>('0' + biased % 10);
    return text + digits;
}

std::optional<Decimal> decimalFromStoredText(std::string_view text) {
    if (text == "N")
        return Decimal();
    if (text.size() < 4 || (text[0] != 'M' && text[0] != 'P'))
        return Decimal::parse(text);
    bool negative = text[0] == 'M';
    if (text[1] < '0' || text[1] > '9' || text[2] < '0' || text[2] > '9')
        return std::nullopt;
    int biased = (text[1] - '0') * 10 + (text[2] - '0');
    std::string digits(text.substr(3));
    if (negative) {
        if (digits.back() != ':')
            return std::nullopt;
        digits.pop_back();
        biased = 99 - biased;
        for (char& d : digits) {
            if (d < '0' || d > '9')
                return std::nullopt;
            d = static_cast<char>('9' - (d - '0'));
        }
    }
    int exponent = biased - 50;
    std::string plain;
    if (exponent <= 0) {
        plain = "0." + std::string(static_cast<size_t>(-exponent), '0') + digits;
    } else if (static_cast<size_t>(exponent) >= digits.size()) {
        plain = digits + std::string(static_cast<size_t>(exponent) - digits.size(), '0');
    } else {
        plain = digits.substr(0, static_cast<size_t>(exponent)) + "." +
                digits.substr(static_cast<size_t>(exponent));
    }
    return Decimal::parse((negative ? "-" : "") + plain);
}

const char* columnType(const FieldType& type) {
    if (type.isText())
        return "TEXT";
    if (type.isInteger())
        return "INTEGER";
    if (type.kind == FieldKind::Real || decimalAsReal(type))
        return "REAL";
    return "TEXT";
}

const char* blankLiteral(const FieldType& type) {
    return storesAsText(type) ? "''" : "0";
}

bool storesAsText(const FieldType& type) {
    return std::string_view(columnType(type)) == "TEXT";
}

SqlValue valueOf(const std::byte* data, const FieldType& type) {
    if (type.isText())
        return SqlValue::ofText(std::string(textOf(data, type)));
    if (type.isInteger())
        return SqlValue::ofInteger(integerOf(data, type.kind));
    if (type.kind == FieldKind::Real)
        return SqlValue::ofReal(loadUnaligned<double>(data));
    if (decimalAsReal(type))
        return SqlValue::ofReal(readPackedDecimal(data, type.digits, type.places).toDouble());
    if (type.kind == FieldKind::Decimal)
        return SqlValue::ofText(
            orderedDecimalText(readPackedDecimal(data, type.digits, type.places)));
    return {};
}

void load(const SqlValue& value, std::byte* data, const FieldType& type) {
    switch (value.type) {
    case SqlValue::Type::Null:
        TypedRef(data, type).clear();
        break;
    case SqlValue::Type::Integer:
        if (type.isInteger())
            storeInteger(data, type.kind, value.integer);
        else
            TypedRef(data, type).assign(Value(static_cast<long long>(value.integer)));
        break;
    case SqlValue::Type::Real:
        storeReal(data, type, value.real);
        break;
    case SqlValue::Type::Text:
        if (type.isText()) {
            writeFieldText(data, type, value.text);
        } else if (isWideDecimal(type)) {
            std::optional<Decimal> decimal = decimalFromStoredText(value.text);
            writePackedDecimal(data, type.digits, type.places,
                               decimal ? decimal->rounded(type.places) : Decimal());
        } else
            TypedRef(data, type).assign(Value(value.text));
        break;
    }
}

} // namespace host::records::fieldCodec
