#include "runtime/expressions/Expression.h"

#include "runtime/expressions/ExpressionParser.h"

namespace host {

namespace {

void collectFields(const ExpressionNode& node, std::vector<TypedRef>& fields) {
    if (node.kind == ExpressionNode::Kind::Field) {
        for (const TypedRef& known : fields)
            if (known.sameVariable(node.field) && known.type() == node.field.type())
                return;
        fields.push_back(node.field);
    }
    for (const ExpressionNode& operand : node.operands)
        collectFields(operand, fields);
}

} // namespace

std::optional<Expression> Expression::parse(std::string_view text, const FieldLookup& lookup,
                                            ExpressionError* error) {
    ExpressionParser parser(text, lookup);
    std::optional<ExpressionNode> root = parser.parse();
    if (!root) {
        if (error)
            *error = parser.error();
        return std::nullopt;
    }
    if (error)
        *error = ExpressionError{};
    return Expression(std::make_shared<const ExpressionNode>(std::move(*root)));
}

Value Expression::evaluate() const {
    return root_->evaluate();
}

bool Expression::test() const {
    return isTrue(evaluate());
}

std::vector<TypedRef> Expression::fields() const {
    std::vector<TypedRef> fields;
    collectFields(*root_, fields);
    return fields;
}

} // namespace host
