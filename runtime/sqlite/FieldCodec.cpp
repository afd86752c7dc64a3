#include "runtime/sqlite/FieldCodec.h"

#include "runtime/base/FieldText.h"
#include "runtime/base/PackedDecimal.h"
#include "runtime/base/TypedRef.h"
#include "runtime/base/Unaligned.h"
#include "runtime/base/Value.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>
#include <string_view>

namespace host::sqlite::fieldCodec {

namespace {

constexpr int maxRealDigits = 15;

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

} // namespace

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
        return SqlValue::ofText(readPackedDecimal(data, type.digits, type.places).toString());
    return {};
}

void bind(sqlite3_stmt* statement, int index, const std::byte* data, const FieldType& type) {
    if (type.isText()) {
        std::string_view text = textOf(data, type);
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    } else if (type.isInteger()) {
        sqlite3_bind_int64(statement, index, integerOf(data, type.kind));
    } else if (type.kind == FieldKind::Real) {
        sqlite3_bind_double(statement, index, loadUnaligned<double>(data));
    } else if (decimalAsReal(type)) {
        sqlite3_bind_double(statement, index,
                            readPackedDecimal(data, type.digits, type.places).toDouble());
    } else {
        SqlValue value = valueOf(data, type);
        if (value.type == SqlValue::Type::Text)
            sqlite3_bind_text(statement, index, value.text.data(),
                              static_cast<int>(value.text.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(statement, index);
    }
}

void load(sqlite3_stmt* statement, int column, std::byte* data, const FieldType& type) {
    // A null column reads as a blank text, a zero integer or a zero real, which is what
    // clearing the field gives, so no type test is needed on this path.
    if (type.isText()) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        auto length = static_cast<size_t>(sqlite3_column_bytes(statement, column));
        writeFieldText(data, type, std::string_view(text ? text : "", length));
    } else if (type.isInteger()) {
        storeInteger(data, type.kind, sqlite3_column_int64(statement, column));
    } else if (type.kind == FieldKind::Real || decimalAsReal(type)) {
        storeReal(data, type, sqlite3_column_double(statement, column));
    } else {
        load(SqlValue::fromColumn(statement, column), data, type);
    }
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
        if (type.isText())
            writeFieldText(data, type, value.text);
        else
            TypedRef(data, type).assign(Value(value.text));
        break;
    }
}

} // namespace host::sqlite::fieldCodec
