#pragma once

#include "runtime/base/FieldType.h"
#include "runtime/records/FieldCodec.h"

#include <cstddef>

struct sqlite3_stmt;

namespace host::sqlite {

namespace fieldCodec = records::fieldCodec;

// Fields of a record in and out of SQLite statements, stored as fieldCodec describes.
namespace fieldBinding {

// Binds the field held at `data` to parameter `index` of a statement (1-based).
void bind(sqlite3_stmt* statement, int index, const std::byte* data, const FieldType& type);
// Loads result column `column` of a stepped statement into the field at `data`; a null
// column clears the field.
void load(sqlite3_stmt* statement, int column, std::byte* data, const FieldType& type);

} // namespace fieldBinding

} // namespace host::sqlite
