#include "runtime/expressions/ExpressionNode.h"

#include "runtime/pictures/Picture.h"

#include <cstdint>
#include <limits>

namespace host {

namespace {

using Units = Decimal::Units;

// The text of `value` shown through a display picture ("@N10.2", "@D2"): query by
// example matches numbers and dates in the form the user sees them.
std::string formatByPicture(const Value& value, std::string_view picture) {
    return formatPicture(value, picture);
}

Decimal negated(const Decimal& d) {
    if (d.units() == std::numeric_limits<Units>::min())
        return Decimal::fromUnits(std::numeric_limits<Units>::max(), d.places());
    return -d;
}

// Text operands of arithmetic count as the number they spell (0 when none).
Value asNumber(const Value& v) {
    return v.isText() ? Value(v.toDecimal()) : v;
}

Value decimalResult(ArithmeticOperator op, const Decimal& x, const Decimal& y) {
    switch (op) {
    case ArithmeticOperator::Add:
        return Value(x + y);
    case ArithmeticOperator::Subtract:
        return Value(x + negated(y));
    case ArithmeticOperator::Multiply:
        return Value(x * y);
    default:
        return Value(x / y);
    }
}

Value integerResult(ArithmeticOperator op, std::int64_t a, std::int64_t b) {
    std::int64_t result = 0;
    bool overflow = false;
    switch (op) {
    case ArithmeticOperator::Add:
        overflow = __builtin_add_overflow(a, b, &result);
        break;
    case ArithmeticOperator::Subtract:
        overflow = __builtin_sub_overflow(a, b, &result);
        break;
    case ArithmeticOperator::Multiply:
        overflow = __builtin_mul_overflow(a, b, &result);
        break;
    default:
        overflow = true;
        break;
    }
    if (!overflow)
        return Value(static_cast<long long>(result));
    // Beyond 64 bits the result is exact as a decimal.
    return decimalResult(op, Decimal(static_cast<long long>(a)),
                         Decimal(static_cast<long long>(b)));
}

Value arithmetic(ArithmeticOperator op, const Value& left, const Value& right) {
    if (op == ArithmeticOperator::Concatenate)
        return Value(left.toText() + right.toText());
    Value a = asNumber(left), b = asNumber(right);
    if (a.kind() == Value::Kind::Real || b.kind() == Value::Kind::Real) {
        double x = a.toReal(), y = b.toReal();
        switch (op) {
        case ArithmeticOperator::Add:
            return Value(x + y);
        case ArithmeticOperator::Subtract:
            return Value(x - y);
        case ArithmeticOperator::Multiply:
            return Value(x * y);
        default:
            return Value(y == 0 ? 0.0 : x / y); // the host divides by zero as 0
        }
    }
    if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer)
        return integerResult(op, a.toInteger(), b.toInteger());
    return decimalResult(op, a.toDecimal(), b.toDecimal());
}

Value negate(const Value& operand) {
    Value v = asNumber(operand);
    switch (v.kind()) {
    case Value::Kind::Integer: {
        std::int64_t i = v.toInteger();
        if (i == std::numeric_limits<std::int64_t>::min())
            return Value(negated(Decimal(static_cast<long long>(i))));
        return Value(static_cast<long long>(-i));
    }
    case Value::Kind::Real:
        return Value(-v.toReal());
    default:
        return Value(negated(v.toDecimal()));
    }
}

// INSTRING: the 1-based position of `needle` in `haystack`, trying the positions
// start, start + step, ... (downwards for a negative step); 0 when absent.
long long findByStep(std::string_view needle, std::string_view haystack, long long step,
                     long long start) {
    long long size = static_cast<long long>(haystack.size());
    long long length = static_cast<long long>(needle.size());
    if (needle.empty() || step == 0 || start < 1 || length > size)
        return 0;
    long long last = size - length + 1; // the last position where the needle fits
    if (step == 1) {
        if (start > last)
            return 0;
        size_t at = haystack.find(needle, static_cast<size_t>(start - 1));
        return at == std::string_view::npos ? 0 : static_cast<long long>(at) + 1;
    }
    // Wide arithmetic: steps and starts come from the text and may be extreme.
    __int128 wideStep = step;
    __int128 p = start;
    if (step < 0 && p > last)
        p -= ((p - last + (-wideStep) - 1) / (-wideStep)) * (-wideStep);
    for (; p >= 1 && p <= last; p += wideStep)
        if (haystack.compare(static_cast<size_t>(p - 1), needle.size(), needle) == 0)
            return static_cast<long long>(p);
    return 0;
}

Value call(ExpressionFunction function, const std::vector<ExpressionNode>& arguments) {
    switch (function) {
    case ExpressionFunction::Upper:
        return Value(upper(arguments[0].evaluate().toText()));
    case ExpressionFunction::Clip:
        return Value(clip(arguments[0].evaluate().toText()));
    case ExpressionFunction::Sub:
        return Value(subString(arguments[0].evaluate().toText(),
                               arguments[1].evaluate().toInteger(),
                               arguments[2].evaluate().toInteger()));
    case ExpressionFunction::InString: {
        std::string needle = arguments[0].evaluate().toText();
        std::string haystack = arguments[1].evaluate().toText();
        long long step = arguments.size() > 2 ? arguments[2].evaluate().toInteger()
                                              : static_cast<long long>(needle.size());
        long long start = arguments.size() > 3 ? arguments[3].evaluate().toInteger() : 1;
        return Value(findByStep(needle, haystack, step, start));
    }
    case ExpressionFunction::Format:
        return Value(formatByPicture(arguments[0].evaluate(), arguments[1].evaluate().toText()));
    }
    return Value();
}

Value truth(bool b) {
    return Value(b ? 1 : 0);
}

} // namespace

bool ExpressionNode::isConstant() const {
    if (kind == Kind::Field)
        return false;
    for (const ExpressionNode& operand : operands)
        if (!operand.isConstant())
            return false;
    return true;
}

Value ExpressionNode::evaluate() const {
    switch (kind) {
    case Kind::Constant:
        return constant;
    case Kind::Field:
        return field.value();
    case Kind::Negate:
        return negate(operands[0].evaluate());
    case Kind::Not:
        return truth(!isTrue(operands[0].evaluate()));
    case Kind::Arithmetic: {
        Value result = operands[0].evaluate();
        for (size_t i = 0; i < operators.size(); ++i)
            result = arithmetic(operators[i], result, operands[i + 1].evaluate());
        return result;
    }
    case Kind::Compare:
        return truth(orderings.accepts(operands[0].evaluate() <=> operands[1].evaluate()));
    case Kind::And:
        for (const ExpressionNode& operand : operands)
            if (!isTrue(operand.evaluate()))
                return truth(false);
        return truth(true);
    case Kind::Or:
        for (const ExpressionNode& operand : operands)
            if (isTrue(operand.evaluate()))
                return truth(true);
        return truth(false);
    case Kind::Xor: {
        bool odd = false;
        for (const ExpressionNode& operand : operands)
            odd ^= isTrue(operand.evaluate());
        return truth(odd);
    }
    case Kind::Call:
        return call(function, operands);
    }
    return Value();
}

} // namespace host
