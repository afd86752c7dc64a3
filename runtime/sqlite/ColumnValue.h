#pragma once

#include "runtime/records/SqlValue.h"

struct sqlite3_stmt;

namespace host::sqlite {

using records::SqlValue;

// Stored values in and out of SQLite statements.
namespace columnValue {

// The value of result column `column` of a stepped statement.
SqlValue read(sqlite3_stmt* statement, int column);
// Makes `value` that of a result column, reusing its text's storage.
void readInto(SqlValue& value, sqlite3_stmt* statement, int column);
// Binds the value to parameter `index` (1-based).
void bind(const SqlValue& value, sqlite3_stmt* statement, int index);

} // namespace columnValue

} // namespace host::sqlite
