#pragma once

#include "runtime/base/FieldType.h"
#include "runtime/sqlite/SqlValue.h"

#include <cstddef>

struct sqlite3_stmt;

namespace host::sqlite {

// How a field of a record is stored in its column, exactly:
// - fixed text clipped of trailing blanks; zero-terminated and length-prefixed text as
//   it stands (TEXT),
// - integers, dates (day numbers) and times (hundredths since midnight) as INTEGER,
// - reals as REAL,
// - decimals of up to 15 digits as REAL, read back rounded to the field's places, which
//   gives the exact value back and orders correctly; wider decimals as their exact text.
namespace fieldCodec {

// The column type for a field: "TEXT", "INTEGER" or "REAL".
const char* columnType(const FieldType& type);
// The SQL literal of a blank field of this type ('' or 0), for column defaults.
const char* blankLiteral(const FieldType& type);
bool storesAsText(const FieldType& type);

// The stored value of the field held at `data`.
SqlValue valueOf(const std::byte* data, const FieldType& type);
// Binds the field held at `data` to parameter `index` of a statement (1-based).
void bind(sqlite3_stmt* statement, int index, const std::byte* data, const FieldType& type);
// Loads result column `column` of a stepped statement into the field at `data`; a null
// column clears the field.
void load(sqlite3_stmt* statement, int column, std::byte* data, const FieldType& type);
// Loads a stored value into the field at `data`.
void load(const SqlValue& value, std::byte* data, const FieldType& type);

} // namespace fieldCodec

} // namespace host::sqlite
