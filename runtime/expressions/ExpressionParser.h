#pragma once

#include "runtime/expressions/Expression.h"
#include "runtime/expressions/ExpressionNode.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Recursive-descent parser of filter texts into ExpressionNode trees. Precedence, from
// loosest to tightest:
//   OR XOR  |  AND  |  NOT ~  |  = <> ~= < > <= >= ~< ~> NOT=  |  &  |  + -  |  * /  |
//   unary - + NOT ~  |  literals, labels, FUNCTION(...), ( ... )
// Chains of one precedence become one node with many operands, so long AND lists and
// sums stay shallow; only parentheses, calls, unary operators and comparison chains
// nest, and their depth is capped.
struct FunctionSignature;

class ExpressionParser {
public:
    ExpressionParser(std::string_view text, const FieldLookup& lookup);

    // The tree, or no tree with error() set.
    std::optional<ExpressionNode> parse();
    const ExpressionError& error() const { return error_; }

private:
    bool parseOr(ExpressionNode& out);
    bool parseAnd(ExpressionNode& out);
    bool parseNot(ExpressionNode& out);
    bool parseComparison(ExpressionNode& out);
    bool parseChain(ExpressionNode& out, int level);
    bool parseUnary(ExpressionNode& out);
    bool parsePrimary(ExpressionNode& out);
    bool parseName(ExpressionNode& out);
    bool parseCall(ExpressionNode& out, std::string_view name, std::size_t at);
    bool parseNumber(ExpressionNode& out);
    bool parseText(ExpressionNode& out);
    bool parsePicture(ExpressionNode& out);
    bool scanComparison(std::optional<ComparisonOrderings>& found);

    bool enter(std::size_t at);
    void leave() { --nesting_; }

    void skipBlanks();
    bool atEnd() const { return at_ >= text_.size(); }
    char peek(std::size_t ahead = 0) const;
    std::size_t position() const { return at_ + 1; }
    // The identifier starting at the current character, without consuming it.
    std::string_view peekWord() const;
    bool peekKeyword(std::string_view keyword) const;
    // Failures are built out of line, keeping the recursive functions' frames small.
    [[gnu::noinline]] bool fail(std::size_t position, std::string message);
    [[gnu::noinline]] bool fail(std::size_t position, const char* message,
                                std::string_view subject);
    [[gnu::noinline]] bool failArgumentCount(std::size_t position, const FunctionSignature& info,
                                             std::size_t count);

    std::string_view text_;
    const FieldLookup& lookup_;
    std::size_t at_ = 0;
    int nesting_ = 0;
    ExpressionError error_;
};

} // namespace host
