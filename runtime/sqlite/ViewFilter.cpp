#include "runtime/sqlite/ViewFilter.h"

#include "runtime/base/RuntimeErrors.h"

namespace host::sqlite {

namespace {

SqlValue sqlValueOf(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::Text:
        return SqlValue::ofText(value.toText());
    case Value::Kind::Integer:
        return SqlValue::ofInteger(value.toInteger());
    default:
        return SqlValue::ofReal(value.toReal());
    }
}

} // namespace

bool ViewFilter::set(std::string_view text, const FieldLookup& lookup,
                     const ColumnLookup& columnOf) {
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

bool ViewFilter::refresh() {
    if (!expression_)
        return false;
    SqlFilter translated = translateFilter(*expression_, columnOf_);
    bool changed = translated.where != where_;
    where_ = std::move(translated.where);
    exact_ = translated.exact;
    parameters_.clear();
    for (const Value& value : translated.parameters)
        parameters_.push_back(sqlValueOf(value));
    return changed;
}

} // namespace host::sqlite
