#pragma once

#include "runtime/base/FieldType.h"
#include "runtime/base/TypedRef.h"
#include "runtime/base/Value.h"
#include "runtime/expressions/Expression.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace host::sqlite {

// Where a field lives in the SQL table: the column as the query names it (t0."NAME")
// and the field's type, which fixes how the record-file driver stores it:
//   text (Text, CText, PText)    TEXT, clipped of trailing blanks
//   integers, Date and Time      INTEGER
//   Decimal of up to 15 digits   REAL, the value rounded to the field's places
//   Real                         REAL
// Columns never hold NULL. Case-insensitive keys are indexes with COLLATE NOCASE.
struct SqlColumn {
    std::string expression;
    FieldType type;
    // A column that a search index covers (TableSchema): the index and the table of the
    // rows waiting for it as the query names them, and the row id of the column's table
    // ("t0._id"). Empty when no index covers it.
    std::string searchIndex;
    std::string searchPending;
    std::string rowId;
};

using ColumnLookup = std::function<std::optional<SqlColumn>(const TypedRef& field)>;

// The part of a filter that SQLite can decide.
struct SqlFilter {
    std::string where;             // "" when nothing could be pushed down
    std::vector<Value> parameters; // bound to ?1, ?2 ... in order (text, integer or real)
    bool exact = false;            // true: `where` alone decides (an empty `where` passes
                                   // every row); false: the driver must also evaluate the
                                   // whole Expression on each row
};

// Pushes down every AND-conjunct of `filter` that SQL can decide with exactly the
// evaluator's meaning: comparisons of fields with constants or with each other, the
// UPPER( ) forms (as COLLATE NOCASE where equality allows an index to serve), SUB(x,1,n)
// prefix tests (as ranges), INSTRING( ) <> 0 searches (through the column's search index,
// when it has one, for a text of three or more plain characters), and NOT, AND, OR, XOR
// of those.
// A conjunct that cannot be decided exactly is left out, so the pushed-down part never
// excludes a row that the whole expression accepts. Fields that `columnOf` does not
// know are never pushed down.
SqlFilter translateFilter(const Expression& filter, const ColumnLookup& columnOf);

} // namespace host::sqlite
