#pragma once

#include "runtime/base/Decimal.h"
#include "runtime/base/FieldType.h"
#include "runtime/records/SqlValue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host::records {

// How a field of a record is stored in its column, exactly:
// - fixed text clipped of trailing blanks; zero-terminated and length-prefixed text as
//   it stands (TEXT),
// - integers, dates (day numbers) and times (hundredths since midnight) as INTEGER,
// - reals as REAL,
// - decimals of up to 15 digits as REAL, read back rounded to the field's places, which
//   gives the exact value back and orders correctly; wider decimals as their exact value
//   in an ordered text (orderedDecimalText), so that text order is numeric order in keys
//   and views. Plain decimal text, as tables written before hold it, still reads.
namespace fieldCodec {

// A decimal of more than 15 digits, stored as ordered text.
bool isWideDecimal(const FieldType& type);
// The ordered text of a value: a class letter, "M" negative, "N" zero, "P" positive; for
// non-zero values then the decimal exponent e (the value is 0.d1d2... times 10^e) as two
// digits, e + 50, and the significant digits without trailing zeros. A negative value
// writes 99 - (e + 50) and every digit d as 9 - d, and ends with ":" (above every digit),
// so that byte order reverses for it. "-10.25" is "M478974:", "0" is "N", "99.5" "P52995".
std::string orderedDecimalText(const Decimal& value);
// The value of an ordered text, or of a plain decimal text; nullopt for anything else.
std::optional<Decimal> decimalFromStoredText(std::string_view text);

// The column type for a field: "TEXT", "INTEGER" or "REAL".
const char* columnType(const FieldType& type);
// The SQL literal of a blank field of this type ('' or 0), for column defaults.
const char* blankLiteral(const FieldType& type);
bool storesAsText(const FieldType& type);

// A decimal of up to 15 digits, stored as a real.
bool decimalAsReal(const FieldType& type);
// The integer held by an integer field (byte, short, long and their unsigned kinds).
std::int64_t integerOf(const std::byte* data, FieldKind kind);
void storeInteger(std::byte* data, FieldKind kind, std::int64_t v);
// The text a text field holds, without the padding of its storage.
std::string_view textOf(const std::byte* data, const FieldType& type);
// Stores a real into a real, decimal (rounded to its places) or integer field.
void storeReal(std::byte* data, const FieldType& type, double v);

// The stored value of the field held at `data`.
SqlValue valueOf(const std::byte* data, const FieldType& type);
// Loads a stored value into the field at `data`.
void load(const SqlValue& value, std::byte* data, const FieldType& type);

} // namespace fieldCodec

} // namespace host::records
