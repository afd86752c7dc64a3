#include "runtime/sqlite/ColumnValue.h"

#include <sqlite3.h>

namespace host::sqlite::columnValue {

SqlValue read(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return SqlValue::ofInteger(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return SqlValue::ofReal(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return SqlValue::ofText(std::string(
            text ? text : "", static_cast<size_t>(sqlite3_column_bytes(statement, column))));
    }
    default:
        return {};
    }
}

void readInto(SqlValue& value, sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        value.type = SqlValue::Type::Integer;
        value.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        value.type = SqlValue::Type::Real;
        value.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        value.type = SqlValue::Type::Text;
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        value.text.assign(chars ? chars : "",
                          static_cast<size_t>(sqlite3_column_bytes(statement, column)));
        break;
    }
    default:
        value.type = SqlValue::Type::Null;
        break;
    }
}

void bind(const SqlValue& value, sqlite3_stmt* statement, int index) {
    switch (value.type) {
    case SqlValue::Type::Null:
        sqlite3_bind_null(statement, index);
        break;
    case SqlValue::Type::Integer:
        sqlite3_bind_int64(statement, index, value.integer);
        break;
    case SqlValue::Type::Real:
        sqlite3_bind_double(statement, index, value.real);
        break;
    case SqlValue::Type::Text:
        sqlite3_bind_text(statement, index, value.text.data(), static_cast<int>(value.text.size()),
                          SQLITE_STATIC);
        break;
    }
}

} // namespace host::sqlite::columnValue
