#include "runtime/sqlite/FieldBinding.h"

#include "runtime/base/FieldText.h"
#include "runtime/base/PackedDecimal.h"
#include "runtime/base/Unaligned.h"
#include "runtime/sqlite/ColumnValue.h"

#include <sqlite3.h>
#include <string_view>

namespace host::sqlite::fieldBinding {

void bind(sqlite3_stmt* statement, int index, const std::byte* data, const FieldType& type) {
    if (type.isText()) {
        std::string_view text = fieldCodec::textOf(data, type);
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    } else if (type.isInteger()) {
        sqlite3_bind_int64(statement, index, fieldCodec::integerOf(data, type.kind));
    } else if (type.kind == FieldKind::Real) {
        sqlite3_bind_double(statement, index, loadUnaligned<double>(data));
    } else if (fieldCodec::decimalAsReal(type)) {
        sqlite3_bind_double(statement, index,
                            readPackedDecimal(data, type.digits, type.places).toDouble());
    } else {
        SqlValue value = fieldCodec::valueOf(data, type);
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
        fieldCodec::storeInteger(data, type.kind, sqlite3_column_int64(statement, column));
    } else if (type.kind == FieldKind::Real || fieldCodec::decimalAsReal(type)) {
        fieldCodec::storeReal(data, type, sqlite3_column_double(statement, column));
    } else {
        fieldCodec::load(columnValue::read(statement, column), data, type);
    }
}

} // namespace host::sqlite::fieldBinding
