#include "runtime/sqlite/SqlValue.h"

#include <sqlite3.h>

namespace host::sqlite {

SqlValue SqlValue::fromColumn(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return ofInteger(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return ofReal(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return ofText(std::string(text ? text : "",
                                  static_cast<size_t>(sqlite3_column_bytes(statement, column))));
    }
    default:
        return {};
    }
}

void SqlValue::readColumn(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        type = Type::Integer;
        integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        type = Type::Real;
        real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        type = Type::Text;
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        text.assign(chars ? chars : "",
                    static_cast<size_t>(sqlite3_column_bytes(statement, column)));
        break;
    }
    default:
        type = Type::Null;
        break;
    }
}

void SqlValue::bindTo(sqlite3_stmt* statement, int index) const {
    switch (type) {
    case Type::Null:
        sqlite3_bind_null(statement, index);
        break;
    case Type::Integer:
        sqlite3_bind_int64(statement, index, integer);
        break;
    case Type::Real:
        sqlite3_bind_double(statement, index, real);
        break;
    case Type::Text:
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC);
        break;
    }
}

} // namespace host::sqlite
