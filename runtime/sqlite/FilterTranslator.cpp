#include "runtime/sqlite/FilterTranslator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>

namespace host::sqlite {

namespace {

using Kind = ExpressionNode::Kind;

// How the driver stores a field, which decides how it can be compared in SQL.
enum class Storage : std::uint8_t { None, Text, Integer, Grid, Real };

Storage storageOf(const FieldType& type) {
    if (type.isText())
        return Storage::Text;
    if (type.isInteger())
        return Storage::Integer;
    if (type.kind == FieldKind::Real)
        return Storage::Real;
    if (type.kind == FieldKind::Decimal && type.digits <= 15 && type.places <= type.digits)
        return Storage::Grid;
    return Storage::None;
}

// A text-valued term over one column: the column, maybe upper-cased, maybe cut to its
// first `prefix` characters (SUB(x, 1, n)), maybe clipped.
struct TextTerm {
    std::string column;
    std::size_t capacity = 0; // the most characters the field holds
    bool upper = false;
    bool clipped = false;
    std::optional<long long> prefix;
    const SqlColumn* found = nullptr; // the column as the lookup gave it
};

// A numeric term: one column and how it is stored.
struct NumberTerm {
    std::string column;
    Storage storage = Storage::None;
    FieldType type;
};

bool hasLowerCase(std::string_view text) {
    for (char c : text)
        if (c >= 'a' && c <= 'z')
            return true;
    return false;
}

std::string lowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

// The least text above every text that begins with `prefix`, in byte order (BINARY
// collation). None when the prefix is all 0xFF bytes.
std::optional<std::string> successor(std::string prefix) {
    while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF)
        prefix.pop_back();
    if (prefix.empty())
        return std::nullopt;
    prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
    return prefix;
}

// The same in NOCASE order, which compares texts with A-Z folded to a-z: `folded` has
// no capitals, and the successor must not have one either ('@' + 1 is 'A', which folds
// to 'a'; the next folded character after '@' is '[').
std::optional<std::string> foldedSuccessor(const std::string& folded) {
    std::optional<std::string> next = successor(folded);
    if (next && next->back() == 'A')
        next->back() = '[';
    return next;
}

std::string compareOperator(const ComparisonOrderings& o) {
    if (o.less && o.equal)
        return "<=";
    if (o.greater && o.equal)
        return ">=";
    if (o.less && o.greater)
        return "<>";
    if (o.less)
        return "<";
    if (o.greater)
        return ">";
    return "=";
}

bool acceptsAll(const ComparisonOrderings& o) {
    return o.less && o.equal && o.greater;
}
bool acceptsNone(const ComparisonOrderings& o) {
    return !o.less && !o.equal && !o.greater;
}

std::string constantTruth(bool truth) {
    return truth ? "1" : "0";
}

class Translator {
public:
    Translator(const ColumnLookup& columnOf, std::vector<Value>& parameters)
        : columnOf_(columnOf), parameters_(parameters) {}

    // An SQL condition true exactly where the node is true, or none.
    std::optional<std::string> condition(const ExpressionNode& node);

private:
    std::string parameter(Value value) {
        parameters_.push_back(std::move(value));
        return "?" + std::to_string(parameters_.size());
    }

    std::optional<SqlColumn> column(const ExpressionNode& node) const;
    std::optional<TextTerm> textTerm(const ExpressionNode& node) const;
    std::optional<NumberTerm> numberTerm(const ExpressionNode& node) const;

    std::optional<std::string> joined(const std::vector<ExpressionNode>& operands,
                                      std::string_view separator);
    std::optional<std::string> comparison(const ExpressionNode& left, ComparisonOrderings orderings,
                                          const ExpressionNode& right);
    std::optional<std::string> textWithConstant(const TextTerm& term, ComparisonOrderings o,
                                                const Value& constant);
    std::optional<std::string> prefixEquals(const TextTerm& term, ComparisonOrderings o,
                                            const std::string& text);
    std::string textEquals(const TextTerm& term, const std::string& text);
    std::string prefixRange(const TextTerm& term, const std::string& prefix);
    std::optional<std::string> numberWithConstant(const NumberTerm& term, ComparisonOrderings o,
                                                  const Value& constant);
    std::string integerWithDecimal(const NumberTerm& term, ComparisonOrderings o, const Decimal& d);
    std::optional<std::string> gridWithDecimal(const NumberTerm& term, ComparisonOrderings o,
                                               const Decimal& d);
    std::optional<std::string> searchWithConstant(const ExpressionNode& search,
                                                  ComparisonOrderings o, const Value& constant);
    std::optional<std::string> truth(const ExpressionNode& node);

    const ColumnLookup& columnOf_;
    std::vector<Value>& parameters_;
    // The searched columns met, kept for the terms that refer to them.
    mutable std::deque<SqlColumn> searched_;
};

// A text the search index can look for: three or more characters, all plain ASCII, so
// that each of its trigrams is one the index holds for every text containing it (in
// either letter case).
bool indexable(std::string_view needle) {
    if (needle.size() < 3)
        return false;
    for (char c : needle)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

std::optional<SqlColumn> Translator::column(const ExpressionNode& node) const {
    if (node.kind != Kind::Field || !columnOf_)
        return std::nullopt;
    std::optional<SqlColumn> found = columnOf_(node.field);
    if (!found)
        return std::nullopt;
    // The evaluator reads the field by its own type; SQL sees the column's storage.
    const FieldType& own = node.field.type();
    Storage storage = storageOf(own);
    if (storage == Storage::None || storageOf(found->type) != storage)
        return std::nullopt;
    if (storage == Storage::Grid && found->type.places != own.places)
        return std::nullopt;
    return found;
}

std::optional<TextTerm> Translator::textTerm(const ExpressionNode& node) const {
    if (node.kind == Kind::Field) {
        std::optional<SqlColumn> found = column(node);
        if (!found || !found->type.isText())
            return std::nullopt;
        TextTerm term{found->expression, node.field.type().textCapacity()};
        if (!found->searchIndex.empty()) {
            searched_.push_back(*found);
            term.found = &searched_.back();
        }
        return term;
    }
    if (node.kind != Kind::Call)
        return std::nullopt;
    switch (node.function) {
    case ExpressionFunction::Upper: {
        std::optional<TextTerm> term = textTerm(node.operands[0]);
        if (term)
            term->upper = true;
        return term;
    }
    case ExpressionFunction::Clip: {
        std::optional<TextTerm> term = textTerm(node.operands[0]);
        if (term)
            term->clipped = true;
        return term;
    }
    case ExpressionFunction::Sub: {
        if (!node.operands[1].isConstant() || !node.operands[2].isConstant())
            return std::nullopt;
        if (node.operands[1].evaluate().toInteger() != 1)
            return std::nullopt;
        std::optional<TextTerm> term = textTerm(node.operands[0]);
        if (!term)
            return std::nullopt;
        long long length = node.operands[2].evaluate().toInteger();
        // Cutting at or beyond the field's width keeps the whole value.
        if (length >= static_cast<long long>(term->capacity))
            return term;
        term->prefix = term->prefix ? std::min(*term->prefix, length) : length;
        return term;
    }
    default:
        return std::nullopt;
    }
}

std::optional<NumberTerm> Translator::numberTerm(const ExpressionNode& node) const {
    std::optional<SqlColumn> found = column(node);
    if (!found || found->type.isText())
        return std::nullopt;
    return NumberTerm{found->expression, storageOf(found->type), found->type};
}

std::optional<std::string> Translator::condition(const ExpressionNode& node) {
    if (node.isConstant())
        return constantTruth(isTrue(node.evaluate()));
    switch (node.kind) {
    case Kind::And:
        return joined(node.operands, " AND ");
    case Kind::Or:
        return joined(node.operands, " OR ");
    case Kind::Xor: {
        std::optional<std::string> sum = joined(node.operands, " + ");
        if (!sum)
            return std::nullopt;
        return "(" + *sum + ") % 2 = 1";
    }
    case Kind::Not: {
        if (node.operands[0].kind == Kind::Not) // NOT NOT x is x
            return condition(node.operands[0].operands[0]);
        std::optional<std::string> inner = condition(node.operands[0]);
        if (!inner)
            return std::nullopt;
        return "NOT (" + *inner + ")";
    }
    case Kind::Compare:
        return comparison(node.operands[0], node.orderings, node.operands[1]);
    default:
        return truth(node);
    }
}

std::optional<std::string> Translator::joined(const std::vector<ExpressionNode>& operands,
                                              std::string_view separator) {
    std::string text;
    for (const ExpressionNode& operand : operands) {
        std::optional<std::string> part = condition(operand);
        if (!part)
            return std::nullopt;
        if (!text.empty())
            text += separator;
        text += "(" + *part + ")";
    }
    return text;
}

// A value used as a condition is true when it is a nonzero number or non-blank text.
std::optional<std::string> Translator::truth(const ExpressionNode& node) {
    ComparisonOrderings notEqual{true, false, true};
    if (textTerm(node))
        return textWithConstant(*textTerm(node), notEqual, Value(""));
    if (node.kind == Kind::Call && node.function == ExpressionFunction::InString)
        return searchWithConstant(node, notEqual, Value(0));
    std::optional<NumberTerm> number = numberTerm(node);
    // A Real counts as zero below the host's 15 places, which SQL cannot see.
    if (number && number->storage != Storage::Real)
        return numberWithConstant(*number, notEqual, Value(0));
    return std::nullopt;
}

std::optional<std::string> Translator::comparison(const ExpressionNode& left, ComparisonOrderings o,
                                                  const ExpressionNode& right) {
    if (acceptsAll(o))
        return "1";
    if (acceptsNone(o))
        return "0";
    if (left.isConstant() && !right.isConstant())
        return comparison(right, o.mirrored(), left);
    if (right.isConstant()) {
        Value constant = right.evaluate();
        if (std::optional<TextTerm> text = textTerm(left)) {
            if (!constant.isText())
                return std::nullopt; // text against a number compares as numbers
            return textWithConstant(*text, o, constant);
        }
        if (std::optional<NumberTerm> number = numberTerm(left))
            return numberWithConstant(*number, o, constant);
        if (left.kind == Kind::Call && left.function == ExpressionFunction::InString)
            return searchWithConstant(left, o, constant);
        return std::nullopt;
    }
    std::optional<TextTerm> leftText = textTerm(left), rightText = textTerm(right);
    if (leftText && rightText) {
        if (leftText->prefix || rightText->prefix)
            return std::nullopt;
        auto render = [](const TextTerm& t) {
            return t.upper ? "upper(" + t.column + ")" : t.column;
        };
        return render(*leftText) + " " + compareOperator(o) + " " + render(*rightText) +
               " COLLATE BINARY";
    }
    std::optional<NumberTerm> leftNumber = numberTerm(left), rightNumber = numberTerm(right);
    if (leftNumber && rightNumber && leftNumber->storage != Storage::Grid &&
        rightNumber->storage != Storage::Grid)
        return leftNumber->column + " " + compareOperator(o) + " " + rightNumber->column;
    return std::nullopt;
}

// Stored texts are clipped, so comparing them with the clipped constant in byte order
// is the host's comparison ignoring trailing blanks.
std::optional<std::string> Translator::textWithConstant(const TextTerm& term, ComparisonOrderings o,
                                                        const Value& constant) {
    std::string text = clip(constant.toText());
    // SQLite's NOCASE comparison stops at a zero byte.
    if (term.upper && text.find('\0') != std::string::npos)
        return std::nullopt;
    if (term.prefix)
        return prefixEquals(term, o, text);
    bool equality = o == ComparisonOrderings{false, true, false};
    bool inequality = o == ComparisonOrderings{true, false, true};
    if (term.upper && (equality || inequality)) {
        if (hasLowerCase(text)) // an upper-cased text never equals it
            return constantTruth(inequality);
        return term.column + (equality ? " = " : " <> ") + parameter(Value(text)) +
               " COLLATE NOCASE";
    }
    std::string column = term.upper ? "upper(" + term.column + ")" : term.column;
    return column + " " + compareOperator(o) + " " + parameter(Value(text)) + " COLLATE BINARY";
}

// SUB(x, 1, n) = 'text': clip(the first n characters of x) equals the clipped text.
// With the text m characters long, that holds when m = n and x begins with the text,
// or when m < n and x is the text itself or begins with it followed by n - m blanks.
std::optional<std::string> Translator::prefixEquals(const TextTerm& term, ComparisonOrderings o,
                                                    const std::string& text) {
    long long n = *term.prefix;
    if (n <= 0) // SUB gives '' for every row
        return constantTruth(o.accepts(compareText("", text)));
    bool equality = o == ComparisonOrderings{false, true, false};
    bool inequality = o == ComparisonOrderings{true, false, true};
    if (!equality && !inequality)
        return std::nullopt;
    long long m = static_cast<long long>(text.size());
    if (m > n || (term.upper && hasLowerCase(text)))
        return constantTruth(inequality);
    std::string test;
    if (m == n) {
        test = prefixRange(term, text);
    } else {
        std::string padded = text + std::string(static_cast<size_t>(n - m), ' ');
        test = "(" + textEquals(term, text) + ") OR (" + prefixRange(term, padded) + ")";
        // Both lie in one range ignoring case, from the text to past the padded text's
        // run: given as well, it lets the key serve the test in its order, where the OR
        // alone would read both parts and sort them.
        if (equality) {
            std::string covering =
                term.column + " >= " + parameter(Value(lowerAscii(text))) + " COLLATE NOCASE";
            if (std::optional<std::string> high = foldedSuccessor(lowerAscii(padded)))
                covering +=
                    " AND " + term.column + " < " + parameter(Value(*high)) + " COLLATE NOCASE";
            test = covering + " AND (" + test + ")";
        }
    }
    return equality ? test : "NOT (" + test + ")";
}

std::string Translator::textEquals(const TextTerm& term, const std::string& text) {
    return term.column + " = " + parameter(Value(text)) +
           (term.upper ? " COLLATE NOCASE" : " COLLATE BINARY");
}

// The rows whose text begins with `prefix` (ignoring case when upper-cased) as a key
// range, so that an index in the same collation serves it.
std::string Translator::prefixRange(const TextTerm& term, const std::string& prefix) {
    std::string folded = lowerAscii(prefix);
    std::string range = term.column + " >= " + parameter(Value(folded)) + " COLLATE NOCASE";
    if (std::optional<std::string> high = foldedSuccessor(folded))
        range += " AND " + term.column + " < " + parameter(Value(*high)) + " COLLATE NOCASE";
    if (term.upper)
        return range;
    // Case matters: the range in byte order decides, and the range ignoring case around
    // it (which holds every text the first holds) lets a key that ignores case serve it.
    range += " AND " + term.column + " >= " + parameter(Value(prefix)) + " COLLATE BINARY";
    if (std::optional<std::string> high = successor(prefix))
        range += " AND " + term.column + " < " + parameter(Value(*high)) + " COLLATE BINARY";
    return range;
}

std::optional<std::string> Translator::numberWithConstant(const NumberTerm& term,
                                                          ComparisonOrderings o,
                                                          const Value& constant) {
    switch (term.storage) {
    case Storage::Real: {
        // The host compares a Real with anything as doubles.
        double c = constant.toReal();
        if (std::isnan(c))
            return std::nullopt;
        return term.column + " " + compareOperator(o) + " " + parameter(Value(c));
    }
    case Storage::Integer:
        if (constant.kind() == Value::Kind::Integer)
            return term.column + " " + compareOperator(o) + " " + parameter(constant);
        if (constant.kind() == Value::Kind::Real) {
            double c = constant.toReal();
            if (std::isnan(c))
                return std::nullopt;
            return term.column + " " + compareOperator(o) + " " + parameter(Value(c));
        }
        return integerWithDecimal(term, o, constant.toDecimal());
    case Storage::Grid:
        if (constant.kind() == Value::Kind::Real)
            return std::nullopt;
        return gridWithDecimal(term, o, constant.toDecimal());
    default:
        return std::nullopt;
    }
}

// An integer column against a decimal: against an integral value the comparison stands;
// between two integers f < d < f + 1 no row equals d, below d means <= f, above > f.
std::string Translator::integerWithDecimal(const NumberTerm& term, ComparisonOrderings o,
                                           const Decimal& d) {
    const Decimal beyond(1LL << 53); // far outside any 32-bit column
    if (d > beyond)
        return constantTruth(o.less);
    if (d < -beyond)
        return constantTruth(o.greater);
    long long whole = d.toInteger();
    if (Decimal(whole) == d)
        return term.column + " " + compareOperator(o) + " " + parameter(Value(whole));
    long long floor = d.isNegative() ? whole - 1 : whole;
    if (o.less && o.greater)
        return "1";
    if (o.less)
        return term.column + " <= " + parameter(Value(floor));
    if (o.greater)
        return term.column + " > " + parameter(Value(floor));
    return "0";
}

// A decimal column holds REALs that stand for multiples of g = 10^-places. Comparing them
// with cuts halfway between those multiples is exact however the double was rounded:
// below d means below the cut under d's grid point, and so on.
std::optional<std::string> Translator::gridWithDecimal(const NumberTerm& term,
                                                       ComparisonOrderings o, const Decimal& d) {
    // Computed constants can carry so many places that aligning them with the grid would
    // round them; those are left to the evaluator.
    if (d.places() > 18)
        return std::nullopt;
    int places = term.type.places;
    Decimal largest = Decimal::largest(term.type.digits, places);
    if (d > largest)
        return constantTruth(o.less);
    if (d < -largest)
        return constantTruth(o.greater);
    Decimal grid = Decimal::fromUnits(1, places);
    Decimal half = Decimal::fromUnits(5, places + 1);
    Decimal nearest = d.rounded(places);
    bool onGrid = nearest == d;
    Decimal low, high; // cuts: below `low` is less than d, above `high` greater
    if (onGrid) {
        low = nearest - half;
        high = nearest + half;
    } else {
        Decimal floor = nearest > d ? nearest - grid : nearest;
        low = high = floor + half;
    }
    auto cut = [&](const Decimal& c) { return parameter(Value(c.toDouble())); };
    const std::string& x = term.column;
    if (o.less && o.equal)
        return x + " < " + cut(high);
    if (o.greater && o.equal)
        return x + " > " + cut(low);
    if (o.less && o.greater) {
        if (!onGrid)
            return "1";
        return "(" + x + " < " + cut(low) + " OR " + x + " > " + cut(high) + ")";
    }
    if (o.less)
        return x + " < " + cut(low);
    if (o.greater)
        return x + " > " + cut(high);
    if (!onGrid)
        return "0";
    return "(" + x + " > " + cut(low) + " AND " + x + " < " + cut(high) + ")";
}

// INSTRING(needle, column, 1, 1) against a constant: the result is 0 when the needle is
// absent and some position of at least 1 when present. Decidable when every position
// compares alike with the constant, as in INSTRING(...) <> 0.
std::optional<std::string> Translator::searchWithConstant(const ExpressionNode& search,
                                                          ComparisonOrderings o,
                                                          const Value& constant) {
    const std::vector<ExpressionNode>& args = search.operands;
    for (const ExpressionNode& arg : args)
        if (&arg != &args[1] && !arg.isConstant())
            return std::nullopt;
    std::string needle = args[0].evaluate().toText();
    long long step =
        args.size() > 2 ? args[2].evaluate().toInteger() : static_cast<long long>(needle.size());
    long long start = args.size() > 3 ? args[3].evaluate().toInteger() : 1;
    bool absentAccepted = o.accepts(Value(0) <=> constant);
    if (needle.empty())
        return constantTruth(absentAccepted);
    if (step != 1 || start != 1 || (Value(1) <=> constant) <= 0)
        return std::nullopt;
    bool presentAccepted = o.greater;
    if (presentAccepted == absentAccepted)
        return constantTruth(presentAccepted);
    std::optional<TextTerm> haystack = textTerm(args[1]);
    // A Text field is searched with its padding blanks, which the stored text lacks.
    if (!haystack || haystack->prefix || (needle.back() == ' ' && !haystack->clipped))
        return std::nullopt;
    std::string column = haystack->upper ? "upper(" + haystack->column + ")" : haystack->column;
    std::string found =
        "instr(CAST(" + column + " AS BLOB), CAST(" + parameter(Value(needle)) + " AS BLOB)) > 0";
    if (!presentAccepted)
        return "NOT (" + found + ")";
    // The index gives the rows that can hold the text; the exact test stays.
    if (haystack->found && indexable(needle)) {
        // Every trigram of the text (the index keeps neither positions nor columns, so the
        // text itself cannot be asked for as a phrase, nor in its column only).
        std::string trigrams;
        for (std::size_t at = 0; at + 3 <= needle.size(); ++at) {
            std::string quotedTrigram = "\"";
            for (char c : needle.substr(at, 3)) {
                if (c == '"')
                    quotedTrigram += '"';
                quotedTrigram += c;
            }
            quotedTrigram += "\"";
            if (trigrams.find(quotedTrigram) != std::string::npos)
                continue;
            trigrams += (trigrams.empty() ? "" : " AND ") + quotedTrigram;
        }
        std::string phrase = "(" + trigrams + ")";
        const SqlColumn& searched = *haystack->found;
        // Rows written in a frame not yet committed wait outside the index: candidates too.
        std::string candidates = searched.rowId + " IN (SELECT rowid FROM " + searched.searchIndex +
                                 " WHERE " + searched.searchIndex + " MATCH " +
                                 parameter(Value(phrase));
        if (!searched.searchPending.empty())
            candidates += " UNION ALL SELECT id FROM " + searched.searchPending;
        candidates += ")";
        return candidates + " AND " + found;
    }
    return found;
}

// SQLite's parser refuses conditions nested much deeper than this; deeper ones are left
// to the evaluator.
constexpr int maxSqlNesting = 16;

int nestingOf(std::string_view sql) {
    int depth = 0, deepest = 0;
    for (char c : sql) {
        if (c == '(')
            deepest = std::max(deepest, ++depth);
        else if (c == ')')
            --depth;
    }
    return deepest;
}

void collectConjuncts(const ExpressionNode& node, std::vector<const ExpressionNode*>& out) {
    if (node.kind == Kind::And) {
        for (const ExpressionNode& operand : node.operands)
            collectConjuncts(operand, out);
        return;
    }
    out.push_back(&node);
}

} // namespace

SqlFilter translateFilter(const Expression& filter, const ColumnLookup& columnOf) {
    SqlFilter result;
    result.exact = true;
    std::vector<const ExpressionNode*> conjuncts;
    collectConjuncts(filter.root(), conjuncts);
    Translator translator(columnOf, result.parameters);
    for (const ExpressionNode* conjunct : conjuncts) {
        size_t parametersBefore = result.parameters.size();
        std::optional<std::string> sql = translator.condition(*conjunct);
        if (sql && nestingOf(*sql) > maxSqlNesting)
            sql.reset();
        if (!sql || *sql == "1") {
            result.parameters.resize(parametersBefore);
            if (!sql)
                result.exact = false;
            continue;
        }
        if (!result.where.empty())
            result.where += " AND ";
        result.where += "(" + *sql + ")";
    }
    return result;
}

} // namespace host::sqlite
