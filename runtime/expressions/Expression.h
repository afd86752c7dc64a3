#pragma once

#include "runtime/base/TypedRef.h"
#include "runtime/base/Value.h"
#include "runtime/expressions/ExpressionNode.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Resolves a field label of a filter text ("CUS:NAME", in the letter case written) to
// the variable it names. A null TypedRef means the label is unknown.
using FieldLookup = std::function<TypedRef(std::string_view label)>;

// Why a filter text was refused: the 1-based position of the fault and what was wrong
// or expected there.
struct ExpressionError {
    std::size_t position = 0;
    std::string message;
};

// A parsed filter expression of the host's expression language, as views, browse
// filters and query by example write it:
//     IND:INVHDRID = 5 AND (SUB(UPPER(CUS:NAME),1,3) = 'SMI')
// Fields are bound when the text is parsed and read each time it is evaluated, so one
// Expression tests record after record as the buffer changes. Copies share the tree.
class Expression {
public:
    // The deepest nesting of parentheses, function calls and unary operators accepted.
    static constexpr int maxNesting = 200;

    // Parses `text`; unknown labels, unknown functions and malformed texts are refused
    // with the position and the reason in `error`.
    static std::optional<Expression> parse(std::string_view text, const FieldLookup& lookup,
                                           ExpressionError* error = nullptr);

    // The value with the bound fields' current contents.
    Value evaluate() const;
    // evaluate() as a truth value: a nonzero number or a non-blank text.
    bool test() const;

    const ExpressionNode& root() const { return *root_; }
    // Every field the expression reads, each once, in the order of the text.
    std::vector<TypedRef> fields() const;

private:
    explicit Expression(std::shared_ptr<const ExpressionNode> root) : root_(std::move(root)) {}

    std::shared_ptr<const ExpressionNode> root_;
};

} // namespace host
