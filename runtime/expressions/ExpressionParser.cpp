#include "runtime/expressions/ExpressionParser.h"

namespace host {

// A function of the language: its name and how many arguments it takes.
struct FunctionSignature {
    std::string_view name;
    ExpressionFunction function;
    std::size_t fewest;
    std::size_t most;
};

namespace {

// ASCII only, whatever the program's locale.
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
char upperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isWordCharacter(char c) {
    return isLetter(c) || isDigit(c) || c == ':';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isComparisonCharacter(char c) {
    return c == '<' || c == '>' || c == '=';
}

constexpr FunctionSignature functions[] = {
    {"UPPER", ExpressionFunction::Upper, 1, 1},   {"CLIP", ExpressionFunction::Clip, 1, 1},
    {"SUB", ExpressionFunction::Sub, 3, 3},       {"INSTRING", ExpressionFunction::InString, 2, 4},
    {"FORMAT", ExpressionFunction::Format, 2, 2},
};

const FunctionSignature* findFunction(std::string_view name) {
    for (const FunctionSignature& info : functions)
        if (equalIgnoringCase(info.name, name))
            return &info;
    return nullptr;
}

ExpressionNode makeNode(ExpressionNode::Kind kind, std::size_t position) {
    ExpressionNode node;
    node.kind = kind;
    node.position = position;
    return node;
}

// Makes `node` the first operand of a new node of `kind` that takes its place. Kept out
// of line so that the recursive parse functions hold no node of their own on the stack.
[[gnu::noinline]] void wrap(ExpressionNode& node, ExpressionNode::Kind kind, std::size_t position) {
    ExpressionNode outer = makeNode(kind, position);
    outer.operands.push_back(std::move(node));
    node = std::move(outer);
}

[[gnu::noinline]] void startCall(ExpressionNode& node, const FunctionSignature& info,
                                 std::size_t position) {
    node = makeNode(ExpressionNode::Kind::Call, position);
    node.function = info.function;
    node.label = std::string(info.name);
}

std::string describe(char c) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
        return "character code " + std::to_string(static_cast<unsigned char>(c));
    return std::string("'") + c + "'";
}

} // namespace

ExpressionParser::ExpressionParser(std::string_view text, const FieldLookup& lookup)
    : text_(text), lookup_(lookup) {}

std::optional<ExpressionNode> ExpressionParser::parse() {
    skipBlanks();
    if (atEnd()) {
        fail(position(), "empty expression");
        return std::nullopt;
    }
    ExpressionNode root;
    if (!parseOr(root))
        return std::nullopt;
    skipBlanks();
    if (!atEnd()) {
        if (peek() == ')')
            fail(position(), "')' without its '('");
        else
            fail(position(),
                 "expected an operator or the end of the expression, found " + describe(peek()));
        return std::nullopt;
    }
    return root;
}

bool ExpressionParser::fail(std::size_t position, std::string message) {
    error_.position = position;
    error_.message = std::move(message);
    return false;
}

bool ExpressionParser::fail(std::size_t position, const char* message, std::string_view subject) {
    return fail(position, message + std::string(subject));
}

bool ExpressionParser::failArgumentCount(std::size_t position, const FunctionSignature& info,
                                         std::size_t count) {
    std::string wanted = info.fewest == info.most
                             ? std::to_string(info.fewest)
                             : std::to_string(info.fewest) + " to " + std::to_string(info.most);
    return fail(position, std::string(info.name) + " takes " + wanted + " arguments, not " +
                              std::to_string(count));
}

bool ExpressionParser::enter(std::size_t at) {
    if (++nesting_ > Expression::maxNesting)
        return fail(at, "expression nested too deeply");
    return true;
}

void ExpressionParser::skipBlanks() {
    while (!atEnd() && isBlank(text_[at_]))
        ++at_;
}

char ExpressionParser::peek(std::size_t ahead) const {
    return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0';
}

std::string_view ExpressionParser::peekWord() const {
    if (atEnd() || !isLetter(text_[at_]))
        return {};
    std::size_t end = at_ + 1;
    while (end < text_.size() && isWordCharacter(text_[end]))
        ++end;
    return text_.substr(at_, end - at_);
}

bool ExpressionParser::peekKeyword(std::string_view keyword) const {
    return equalIgnoringCase(peekWord(), keyword);
}

// OR and XOR share a precedence and group from the left: a OR b XOR c is (a OR b) XOR c.
// A run of one of them becomes one node; each switch between them nests one deeper.
bool ExpressionParser::parseOr(ExpressionNode& out) {
    if (!parseAnd(out))
        return false;
    int wrapped = 0;
    bool chained = false;
    bool ok = true;
    for (;;) {
        skipBlanks();
        ExpressionNode::Kind kind;
        if (peekKeyword("OR"))
            kind = ExpressionNode::Kind::Or;
        else if (peekKeyword("XOR"))
            kind = ExpressionNode::Kind::Xor;
        else
            break;
        std::size_t at = position();
        at_ += kind == ExpressionNode::Kind::Or ? 2 : 3;
        if (!chained || out.kind != kind) {
            if (chained) {
                if (!enter(at)) {
                    ok = false;
                    break;
                }
                ++wrapped;
            }
            wrap(out, kind, at);
            chained = true;
        }
        out.operands.emplace_back();
        if (!parseAnd(out.operands.back())) {
            ok = false;
            break;
        }
    }
    nesting_ -= wrapped;
    return ok;
}

bool ExpressionParser::parseAnd(ExpressionNode& out) {
    if (!parseNot(out))
        return false;
    bool chained = false;
    for (;;) {
        skipBlanks();
        if (!peekKeyword("AND"))
            return true;
        std::size_t at = position();
        at_ += 3;
        if (!chained) {
            wrap(out, ExpressionNode::Kind::And, at);
            chained = true;
        }
        out.operands.emplace_back();
        if (!parseNot(out.operands.back()))
            return false;
    }
}

bool ExpressionParser::parseNot(ExpressionNode& out) {
    skipBlanks();
    bool keyword = peekKeyword("NOT");
    if (!keyword && !(peek() == '~' && !isComparisonCharacter(peek(1))))
        return parseComparison(out);
    std::size_t at = position();
    at_ += keyword ? 3 : 1;
    if (!enter(at))
        return false;
    bool ok = parseNot(out);
    leave();
    if (ok)
        wrap(out, ExpressionNode::Kind::Not, at);
    return ok;
}

// A comparison operator after an operand: a run of <, > and = (each once, any order),
// optionally led by ~ or the word NOT, which negate it. The orderings it accepts are the
// union of its characters': <= accepts less and equal, <> less and greater. Leaves
// `found` empty when no comparison follows; false when a malformed one does.
bool ExpressionParser::scanComparison(std::optional<ComparisonOrderings>& found) {
    found.reset();
    std::size_t start = at_;
    bool negate = false;
    if (peek() == '~' && isComparisonCharacter(peek(1))) {
        negate = true;
        ++at_;
    } else if (peekKeyword("NOT")) {
        std::size_t after = at_ + 3;
        while (after < text_.size() && isBlank(text_[after]))
            ++after;
        if (after >= text_.size() || !isComparisonCharacter(text_[after]))
            return true;
        negate = true;
        at_ = after;
    }
    if (!isComparisonCharacter(peek())) {
        at_ = start;
        return true;
    }
    ComparisonOrderings orderings;
    std::size_t runStart = at_;
    while (isComparisonCharacter(peek())) {
        bool& flag =
            peek() == '<' ? orderings.less : (peek() == '>' ? orderings.greater : orderings.equal);
        if (flag)
            return fail(runStart + 1, "unknown comparison operator '" +
                                          std::string(text_.substr(runStart, at_ + 1 - runStart)) +
                                          "'");
        flag = true;
        ++at_;
    }
    found = negate ? orderings.negated() : orderings;
    return true;
}

// a = b = c compares (a = b) with c; each further comparison of a chain nests deeper.
bool ExpressionParser::parseComparison(ExpressionNode& out) {
    if (!parseChain(out, 0))
        return false;
    int nested = 0;
    bool compared = false;
    bool ok = true;
    for (;;) {
        std::size_t before = at_;
        skipBlanks();
        std::size_t at = position();
        std::optional<ComparisonOrderings> orderings;
        if (!scanComparison(orderings)) {
            ok = false;
            break;
        }
        if (!orderings) {
            at_ = before;
            break;
        }
        if (compared) {
            if (!enter(at)) {
                ok = false;
                break;
            }
            ++nested;
        }
        compared = true;
        wrap(out, ExpressionNode::Kind::Compare, at);
        out.orderings = *orderings;
        out.operands.emplace_back();
        if (!parseChain(out.operands.back(), 0)) {
            ok = false;
            break;
        }
    }
    nesting_ -= nested;
    return ok;
}

// Level 0: & (concatenation); level 1: + and -; level 2: * and /. Operators of one
// level group from the left, so a run of them is one node evaluated left to right.
bool ExpressionParser::parseChain(ExpressionNode& out, int level) {
    auto parseOperand = [&](ExpressionNode& node) {
        return level < 2 ? parseChain(node, level + 1) : parseUnary(node);
    };
    if (!parseOperand(out))
        return false;
    bool chained = false;
    for (;;) {
        skipBlanks();
        ArithmeticOperator op;
        char c = peek();
        if (level == 0 && c == '&')
            op = ArithmeticOperator::Concatenate;
        else if (level == 1 && c == '+')
            op = ArithmeticOperator::Add;
        else if (level == 1 && c == '-')
            op = ArithmeticOperator::Subtract;
        else if (level == 2 && c == '*')
            op = ArithmeticOperator::Multiply;
        else if (level == 2 && c == '/')
            op = ArithmeticOperator::Divide;
        else
            return true;
        std::size_t at = position();
        ++at_;
        if (!chained) {
            wrap(out, ExpressionNode::Kind::Arithmetic, at);
            chained = true;
        }
        out.operators.push_back(op);
        out.operands.emplace_back();
        if (!parseOperand(out.operands.back()))
            return false;
    }
}

bool ExpressionParser::parseUnary(ExpressionNode& out) {
    skipBlanks();
    char c = peek();
    bool notKeyword = peekKeyword("NOT");
    if (c != '-' && c != '+' && c != '~' && !notKeyword)
        return parsePrimary(out);
    std::size_t at = position();
    at_ += notKeyword ? 3 : 1;
    if (!enter(at))
        return false;
    bool ok = parseUnary(out);
    leave();
    if (ok && c != '+')
        wrap(out, c == '-' ? ExpressionNode::Kind::Negate : ExpressionNode::Kind::Not, at);
    return ok;
}

bool ExpressionParser::parsePrimary(ExpressionNode& out) {
    skipBlanks();
    if (atEnd())
        return fail(position(), "expected an operand, found the end of the expression");
    char c = peek();
    if (c == '(') {
        std::size_t at = position();
        ++at_;
        if (!enter(at))
            return false;
        bool ok = parseOr(out);
        leave();
        if (!ok)
            return false;
        skipBlanks();
        if (peek() != ')' || atEnd())
            return fail(position(),
                        "expected ')' to close the '(' at position " + std::to_string(at));
        ++at_;
        return true;
    }
    if (c == '\'')
        return parseText(out);
    if (c == '@')
        return parsePicture(out);
    if (isDigit(c) || (c == '.' && isDigit(peek(1))))
        return parseNumber(out);
    if (isLetter(c))
        return parseName(out);
    return fail(position(), "expected an operand, found " + describe(c));
}

bool ExpressionParser::parseName(ExpressionNode& out) {
    std::size_t at = position();
    std::string_view word = peekWord();
    for (std::string_view keyword : {"AND", "OR", "XOR", "NOT"})
        if (equalIgnoringCase(word, keyword))
            return fail(at, "expected an operand, found ", upper(word));
    at_ += word.size();
    std::size_t afterWord = at_;
    skipBlanks();
    if (peek() == '(' && !atEnd())
        return parseCall(out, word, at);
    at_ = afterWord;
    TypedRef field = lookup_ ? lookup_(word) : TypedRef();
    if (field.isNull())
        return fail(at, "unknown field ", word);
    out = makeNode(ExpressionNode::Kind::Field, at);
    out.field = field;
    out.label = std::string(word);
    return true;
}

bool ExpressionParser::parseCall(ExpressionNode& out, std::string_view name, std::size_t at) {
    const FunctionSignature* info = findFunction(name);
    if (!info)
        return fail(at, "unknown function ", name);
    ++at_; // (
    if (!enter(at))
        return false;
    startCall(out, *info, at);
    bool ok = true;
    skipBlanks();
    if (peek() == ')' && !atEnd()) {
        ++at_;
    } else {
        for (;;) {
            out.operands.emplace_back();
            if (!parseOr(out.operands.back())) {
                ok = false;
                break;
            }
            skipBlanks();
            if (peek() == ',' && !atEnd()) {
                ++at_;
                continue;
            }
            if (peek() == ')' && !atEnd()) {
                ++at_;
                break;
            }
            ok = fail(position(), "expected ',' or ')' in the arguments of ", out.label);
            break;
        }
    }
    leave();
    if (!ok)
        return false;
    std::size_t count = out.operands.size();
    if (count < info->fewest || count > info->most)
        return failArgumentCount(at, *info, count);
    return true;
}

// 12, 12.50, .5 and 1.5E+3. Integers that fit 64 bits stay integers; the rest are exact
// decimals of at most 31 significant digits.
bool ExpressionParser::parseNumber(ExpressionNode& out) {
    std::size_t at = position();
    std::string digits;
    int point = -1;
    while (isDigit(peek()) || (peek() == '.' && point < 0)) {
        if (peek() == '.')
            point = static_cast<int>(digits.size());
        else
            digits += peek();
        ++at_;
        if (digits.size() > 200)
            return fail(at, "number too long");
    }
    long exponent = 0;
    bool hasExponent = false;
    if ((peek() == 'e' || peek() == 'E') &&
        (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
        hasExponent = true;
        ++at_;
        bool negative = peek() == '-';
        if (peek() == '+' || peek() == '-')
            ++at_;
        while (isDigit(peek())) {
            if (exponent < 1000)
                exponent = exponent * 10 + (peek() - '0');
            ++at_;
        }
        if (negative)
            exponent = -exponent;
    }
    if (isWordCharacter(peek()) || peek() == '.')
        return fail(position(), "malformed number");
    if (point < 0)
        point = static_cast<int>(digits.size());
    if (exponent > 100 || exponent < -100)
        return fail(at, "number out of range");
    long shifted = point + exponent;
    // Rebuild the text with the point moved by the exponent.
    std::string text = digits;
    if (shifted <= 0)
        text = "0." + std::string(static_cast<size_t>(-shifted), '0') + text;
    else if (shifted >= static_cast<long>(text.size()))
        text += std::string(static_cast<size_t>(shifted - static_cast<long>(text.size())), '0');
    else
        text.insert(static_cast<size_t>(shifted), ".");
    std::optional<Decimal> number = Decimal::parse(text);
    if (!number)
        return fail(at, "number too large");
    out = makeNode(ExpressionNode::Kind::Constant, at);
    bool integral = point == static_cast<int>(digits.size()) && !hasExponent;
    if (integral && digits.size() <= 18)
        out.constant = Value(number->toInteger());
    else
        out.constant = Value(*number);
    return true;
}

// 'text', with '' standing for one apostrophe. Nothing else is special inside.
bool ExpressionParser::parseText(ExpressionNode& out) {
    std::size_t at = position();
    ++at_;
    std::string text;
    for (;;) {
        if (atEnd())
            return fail(at, "text without its closing apostrophe");
        char c = text_[at_++];
        if (c == '\'') {
            if (peek() != '\'' || atEnd())
                break;
            ++at_;
        }
        text += c;
    }
    out = makeNode(ExpressionNode::Kind::Constant, at);
    out.constant = Value(std::move(text));
    return true;
}

// A display picture written as it stands: @N10.2, @D2, @S30, @P(###)###-####P. Pattern
// pictures (@P, @K) run to their closing letter; the others end before a blank, a comma
// or a closing parenthesis.
bool ExpressionParser::parsePicture(ExpressionNode& out) {
    std::size_t at = position();
    std::size_t start = at_;
    ++at_;
    char kind = upperLetter(peek());
    if (!isLetter(peek()) || atEnd())
        return fail(position(), "expected a picture after '@'");
    ++at_;
    if (kind == 'P' || kind == 'K') {
        while (!atEnd() && upperLetter(peek()) != kind)
            ++at_;
        if (atEnd())
            return fail(at, std::string("picture without its closing ") + kind);
        ++at_;
    } else {
        while (!atEnd() && !isBlank(peek()) && peek() != ',' && peek() != ')')
            ++at_;
    }
    out = makeNode(ExpressionNode::Kind::Constant, at);
    out.constant = Value(text_.substr(start, at_ - start));
    return true;
}

} // namespace host
