#pragma once

#include "runtime/expressions/Expression.h"
#include "runtime/sqlite/ColumnValue.h"
#include "runtime/sqlite/FilterTranslator.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::sqlite {

// The filter of a view: the parsed expression, and the part of it that SQL can decide,
// as a condition with parameters (translateFilter). When SQL decides it all, rows are
// taken as the query returns them; otherwise each row is also tested with the whole
// expression once it is loaded into the buffers.
class ViewFilter {
public:
    // Parses `text` (empty: no filter). A text that cannot be parsed sets error 47 with a
    // message naming the position and leaves the filter as it was.
    bool set(std::string_view text, const FieldLookup& lookup, const ColumnLookup& columnOf);
    void clear();
    bool isEmpty() const { return !expression_; }

    // Translates the expression again with the current values of the variables it reads
    // that are no columns. True when the SQL condition's text changed.
    bool refresh();
    // The SQL condition ("" when SQL decides nothing) and its parameters, numbered ?1...
    const std::string& where() const { return where_; }
    const std::vector<SqlValue>& parameters() const { return parameters_; }
    // True when the record loaded into the buffers passes the filter.
    bool accepts() const { return !expression_ || exact_ || expression_->test(); }

private:
    std::optional<Expression> expression_;
    ColumnLookup columnOf_;
    std::string where_;
    std::vector<SqlValue> parameters_;
    bool exact_ = false;
};

} // namespace host::sqlite
