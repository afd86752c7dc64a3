#pragma once

#include "runtime/base/TypedRef.h"
#include "runtime/base/Value.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The operators that join the operands of an arithmetic chain.
enum class ArithmeticOperator : std::uint8_t { Add, Subtract, Multiply, Divide, Concatenate };

// The functions of the filter language.
enum class ExpressionFunction : std::uint8_t {
    Upper,    // UPPER(text)
    Clip,     // CLIP(text): without trailing blanks
    Sub,      // SUB(text, start, length)
    InString, // INSTRING(needle, haystack [, step [, start]]): 1-based position or 0
    Format,   // FORMAT(value, picture)
};

// A comparison accepts the operand orderings it names: "<=" accepts less and equal,
// "<>" less and greater, "~<" (not less) equal and greater.
struct ComparisonOrderings {
    bool less = false;
    bool equal = false;
    bool greater = false;

    bool accepts(std::strong_ordering order) const {
        return order < 0 ? less : (order > 0 ? greater : equal);
    }
    // The same test with the operands swapped: a < b is b > a.
    ComparisonOrderings mirrored() const { return {greater, equal, less}; }
    ComparisonOrderings negated() const { return {!less, !equal, !greater}; }
    friend bool operator==(const ComparisonOrderings&, const ComparisonOrderings&) = default;
};

// One node of a parsed filter expression. The tree is built once by the parser and
// never changes; translators walk it through these public members.
struct ExpressionNode {
    enum class Kind : std::uint8_t {
        Constant,   // `constant`
        Field,      // `field`, named `label` in the text
        Negate,     // -operands[0]
        Not,        // NOT operands[0]
        Arithmetic, // operands[0] operators[0] operands[1] operators[1] ... left to right
        Compare,    // operands[0] against operands[1] by `orderings`
        And,        // every operand true
        Or,         // any operand true
        Xor,        // an odd number of operands true
        Call,       // `function` (named `label`) applied to the operands
    };

    Kind kind = Kind::Constant;
    std::size_t position = 1; // 1-based position in the expression text
    Value constant;
    TypedRef field;
    std::string label;
    ExpressionFunction function = ExpressionFunction::Upper;
    ComparisonOrderings orderings;
    std::vector<ArithmeticOperator> operators;
    std::vector<ExpressionNode> operands;

    // True when no field is read below this node: its value never changes.
    bool isConstant() const;
    // The node's value with the fields' current contents.
    Value evaluate() const;
};

// Truth of a value: a nonzero number or a text that is not all blanks.
inline bool isTrue(const Value& value) {
    return !value.isBlankOrZero();
}

} // namespace host
