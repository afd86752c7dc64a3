#include "runtime/sqlite/ViewFilter.h"

#include "runtime/RuntimeErrors.h"

namespace host::sqlite {

bool ViewFilter::set(std::string_view text, const FieldLookup& lookup, const ColumnLookup& columnOf) {
    if (clipped(text).empty()) {
        clear();
        clearError();
        return true;
    }
    ExpressionError error;
    std::optional<Expression> parsed = Expression::parse(text, lookup, &error);
    if (!parsed) {
        setError(errors::badFilter, "Invalid filter at position " + std::to_string(error.position) +
                                        ": " + error.message);
        return false;
    }
    expression_ = std::move(parsed);
    columnOf_ = columnOf;
    refresh();
    clearError();
    return true;
}

void ViewFilter::clear() {
    expression_.reset();
    columnOf_ = nullptr;
    where_.clear();
    parameters_.clear();
    exact_ = false;
}

void ViewFilter::refresh() {
    where_.clear();
    parameters_.clear();
    exact_ = false;
}

} // namespace host::sqlite
