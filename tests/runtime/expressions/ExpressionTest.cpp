#include "runtime/expressions/Expression.h"
#include "runtime/base/Record.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

class ExpressionTest : public ::testing::Test {
protected:
    ExpressionTest()
        : record(std::make_shared<RecordLayout>(RecordLayout{
              {"CUS:NAME", FieldType::text(20)},
              {"CUS:CITY", FieldType::cstring(16)},
              {"CUS:NUMBER", FieldType::longInteger()},
              {"ITM:PRICE", FieldType::decimal(7, 2)},
              {"ITM:WEIGHT", FieldType::real()},
              {"IND:INVHDRID", FieldType::longInteger()},
          })) {
        set("CUS:NAME", "O'Brien");
        set("CUS:CITY", "Dublin");
        set("CUS:NUMBER", 42);
        set("ITM:PRICE", *Decimal::parse("19.99"));
        set("ITM:WEIGHT", 2.5);
        set("IND:INVHDRID", 5);
    }

    void set(const char* label, const Value& value) { record.field(label).assign(value); }

    FieldLookup lookup() const {
        return [this](std::string_view label) { return record.field(label); };
    }

    std::optional<Expression> parse(std::string_view text, ExpressionError* error = nullptr) {
        return Expression::parse(text, lookup(), error);
    }

    // The text of the value, or "refused at N: message".
    std::string eval(std::string_view text) {
        ExpressionError error;
        auto expression = parse(text, &error);
        if (!expression)
            return "refused at " + std::to_string(error.position) + ": " + error.message;
        return expression->evaluate().toText();
    }

    bool test(std::string_view text) {
        auto expression = parse(text);
        EXPECT_TRUE(expression) << text;
        return expression && expression->test();
    }

    Record record;
};

TEST_F(ExpressionTest, FilterTextsBuiltByViewsAndQueries) {
    EXPECT_TRUE(test("IND:INVHDRID = 5 AND (UPPER(CUS:NAME) = UPPER('o''brien'))"));
    EXPECT_FALSE(test("IND:INVHDRID = 6 AND (UPPER(CUS:NAME) = UPPER('o''brien'))"));
    EXPECT_TRUE(test("SUB(CUS:NAME,1,3) = 'O''B'"));
    EXPECT_TRUE(test("INSTRING('RIE',UPPER(CUS:NAME),1,1) <> 0"));
    EXPECT_FALSE(test("INSTRING('rie',CUS:NAME,1,1) <> 0 AND (CUS:NUMBER > 50)"));
    EXPECT_TRUE(test("(CUS:NUMBER > 10) AND (CUS:NUMBER < 50)"));
    EXPECT_TRUE(test("(ITM:PRICE >= 19.99) AND (ITM:PRICE <= 20)"));
    EXPECT_TRUE(test("(CUS:NAME <> '')"));
    EXPECT_TRUE(test("(UPPER(CUS:CITY) ~= 'CORK')"));
}

TEST_F(ExpressionTest, LabelsKeywordsAndFunctionsIgnoreCase) {
    EXPECT_TRUE(test("cus:number = 42 and not Ind:InvHdrId = 6"));
    EXPECT_EQ(eval("upper(Sub(cus:city, 2, 3))"), "UBL");
    EXPECT_EQ(eval("InString('b', CUS:CITY, 1, 1)"), "3");
}

TEST_F(ExpressionTest, TextComparesIgnoringTrailingBlanksAndNumbersByValue) {
    EXPECT_TRUE(test("CUS:NAME = 'O''Brien   '"));
    EXPECT_TRUE(test("CUS:NAME < 'P'"));
    EXPECT_TRUE(test("'abc' < 'abd'"));
    EXPECT_FALSE(test("' abc' = 'abc'")); // leading blanks count
    EXPECT_TRUE(test("CUS:NUMBER = '42'"));
    EXPECT_TRUE(test("CUS:NUMBER = 42.00"));
    EXPECT_FALSE(test("'10' > '9'")); // two texts: as text
    EXPECT_TRUE(test("'10' > 9"));    // a number on one side: as numbers
    EXPECT_TRUE(test("ITM:PRICE = 19.99 AND ITM:PRICE * 3 = 59.97"));
    EXPECT_TRUE(test("0.1 + 0.2 = 0.3"));
    EXPECT_TRUE(test("ITM:WEIGHT = 2.5"));
}

TEST_F(ExpressionTest, EveryComparisonOperator) {
    struct Case {
        const char* op;
        bool less, equal, greater; // result for 1 op 2, 2 op 2, 3 op 2
    };
    const Case cases[] = {
        {"=", false, true, false},    {"<>", true, false, true},   {"~=", true, false, true},
        {"<", true, false, false},    {">", false, false, true},   {"<=", true, true, false},
        {"=<", true, true, false},    {">=", false, true, true},   {"=>", false, true, true},
        {"~<", false, true, true},    {"~>", true, true, false},   {"NOT =", true, false, true},
        {"not <", false, true, true}, {"NOT>", true, true, false}, {"~<=", false, false, true},
    };
    for (const Case& c : cases) {
        std::string op = c.op;
        EXPECT_EQ(test("1 " + op + " 2"), c.less) << op;
        EXPECT_EQ(test("2 " + op + " 2"), c.equal) << op;
        EXPECT_EQ(test("3 " + op + " 2"), c.greater) << op;
    }
    EXPECT_EQ(eval("1 == 1"), "refused at 3: unknown comparison operator '=='");
}

TEST_F(ExpressionTest, PrecedenceAndGrouping) {
    EXPECT_TRUE(test("NOT CUS:NUMBER = 41"));      // NOT (a = b)
    EXPECT_TRUE(test("1 = 1 OR 1 = 2 AND 1 = 2")); // AND before OR
    EXPECT_FALSE(test("(1 = 1 OR 1 = 2) AND 1 = 2"));
    EXPECT_EQ(eval("'n' & 1 + 2 * 3"), "n7"); // & after arithmetic
    EXPECT_EQ(eval("10 - 4 - 3"), "3");       // left to right
    EXPECT_EQ(eval("2 * -3"), "-6");
    EXPECT_EQ(eval("-(2 - 5)"), "3");
    EXPECT_EQ(eval("10 / 4"), "2.5");
    EXPECT_EQ(eval("1 / 0"), "0"); // the host divides by zero as 0
    EXPECT_EQ(eval("1 XOR 1 XOR 1"), "1");
    EXPECT_EQ(eval("1 OR 0 XOR 1"), "0"); // (1 OR 0) XOR 1
    EXPECT_EQ(eval("~0"), "1");
    EXPECT_EQ(eval("CLIP(CUS:NAME) & '!'"), "O'Brien!");
    EXPECT_EQ(eval("CUS:CITY & '!'"), "Dublin!");
}

TEST_F(ExpressionTest, NumbersAreExact) {
    EXPECT_EQ(eval("9223372036854775807 + 1"), "9223372036854775808");
    EXPECT_EQ(eval("-9223372036854775807 - 1 - 1"), "-9223372036854775809");
    EXPECT_EQ(eval("3000000000 * 4000000000"), "12000000000000000000");
    EXPECT_EQ(eval("1.5E3"), "1500");
    EXPECT_EQ(eval("2.5e-2"), "0.025");
    EXPECT_EQ(eval("1 / 1E-20"), "100000000000000000000");
    EXPECT_EQ(eval(".5 * 3"), "1.5");
    // Places beyond the host's 31 are dropped, never overflowing.
    EXPECT_EQ(eval("1E-100 = 0 AND 0.00000000000000000000000000000000000000000000000001 = 0"), "1");
    EXPECT_EQ(eval("ITM:WEIGHT * 2"), "5");
    EXPECT_EQ(eval("'12' + 1"), "13"); // text counts as the number it spells
    EXPECT_EQ(eval("'abc' + 1"), "1");
    EXPECT_EQ(eval("99999999999999999999999999999999"), "refused at 1: number too large");
    EXPECT_EQ(eval("1.2.3"), "refused at 4: malformed number");
    EXPECT_EQ(eval("12abc"), "refused at 3: malformed number");
}

TEST_F(ExpressionTest, Functions) {
    EXPECT_EQ(eval("SUB('abcdef', 2, 3)"), "bcd");
    EXPECT_EQ(eval("SUB('abc', 0, 2)"), "");
    EXPECT_EQ(eval("SUB('abc', 3, 99)"), "c");
    EXPECT_EQ(eval("SUB(CUS:NAME, 1, 10)"), "O'Brien   "); // the field's blanks are kept
    EXPECT_EQ(eval("INSTRING('b', 'abcabc', 1, 1)"), "2");
    EXPECT_EQ(eval("INSTRING('b', 'abcabc', 1, 3)"), "5");
    EXPECT_EQ(eval("INSTRING('b', 'abcabc', 3, 1)"), "0"); // tries 1 and 4
    EXPECT_EQ(eval("INSTRING('bc', 'abcbcx')"), "0");      // step defaults to the needle's length
    EXPECT_EQ(eval("INSTRING('bc', 'xxbcab')"), "3");
    EXPECT_EQ(eval("INSTRING('b', 'abcabc', -1, 6)"), "5"); // backwards
    EXPECT_EQ(eval("INSTRING('b', 'abcabc', -3, 98)"), "5");
    EXPECT_EQ(eval("INSTRING('', 'abc', 1, 1)"), "0");
    EXPECT_EQ(eval("INSTRING('a', 'abc', 0, 1)"), "0");
    EXPECT_EQ(eval("INSTRING('c', 'abc', 9223372036854775807, 3)"), "3");
    EXPECT_EQ(eval("INSTRING('a', 'abc', -9223372036854775807, 9223372036854775807)"), "0");
    EXPECT_EQ(eval("INSTRING('  ', CUS:NAME, 1, 1)"), "8"); // the field's padding is searched
    EXPECT_EQ(eval("CLIP('  a  ')"), "  a");
    EXPECT_EQ(eval("FORMAT(CUS:NUMBER, @N10.2)"), "     42.00");
    EXPECT_EQ(eval("FORMAT(CUS:NUMBER, @P(###)P) & FORMAT(4, '@D2')"), "(042)01/01/1801");
    EXPECT_TRUE(test("INSTRING('19.9',UPPER(FORMAT(ITM:PRICE,@N$10.2)),1,1) <> 0"));
    EXPECT_EQ(eval("FORMAT(1, @Q)"), "1"); // not a picture: the value's text
    EXPECT_EQ(eval("@N10.2"), "@N10.2");
}

TEST_F(ExpressionTest, EvaluationReadsTheFieldsCurrentValues) {
    auto expression = parse("UPPER(CUS:CITY) = 'CORK' AND CUS:NUMBER > 10");
    ASSERT_TRUE(expression);
    EXPECT_FALSE(expression->test());
    set("CUS:CITY", "cork");
    EXPECT_TRUE(expression->test());
    set("CUS:NUMBER", 3);
    EXPECT_FALSE(expression->test());

    auto twice = parse("CUS:NUMBER = 1 OR cus:number = 2 OR CUS:CITY = ''");
    ASSERT_TRUE(twice);
    auto fields = twice->fields();
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_TRUE(fields[0].sameVariable(record.field("CUS:NUMBER")));
    EXPECT_TRUE(fields[1].sameVariable(record.field("CUS:CITY")));
}

TEST_F(ExpressionTest, RefusalsNameThePositionAndTheReason) {
    EXPECT_EQ(eval(""), "refused at 1: empty expression");
    EXPECT_EQ(eval("   "), "refused at 4: empty expression");
    EXPECT_EQ(eval("CUS:NAMES = 'x'"), "refused at 1: unknown field CUS:NAMES");
    EXPECT_EQ(eval("LEFT(CUS:NAME)"), "refused at 1: unknown function LEFT");
    EXPECT_EQ(eval("SUB(CUS:NAME, 1)"), "refused at 1: SUB takes 3 arguments, not 2");
    EXPECT_EQ(eval("INSTRING('a')"), "refused at 1: INSTRING takes 2 to 4 arguments, not 1");
    EXPECT_EQ(eval("UPPER()"), "refused at 1: UPPER takes 1 arguments, not 0");
    EXPECT_EQ(eval("CUS:NAME = 'abc"), "refused at 12: text without its closing apostrophe");
    EXPECT_EQ(eval("(CUS:NUMBER = 1"),
              "refused at 16: expected ')' to close the '(' at position 1");
    EXPECT_EQ(eval("CUS:NUMBER = 1)"), "refused at 15: ')' without its '('");
    EXPECT_EQ(eval("CUS:NUMBER = "),
              "refused at 14: expected an operand, found the end of the expression");
    EXPECT_EQ(eval("CUS:NUMBER = 1 AND"),
              "refused at 19: expected an operand, found the end of the expression");
    EXPECT_EQ(eval("1 AND OR 2"), "refused at 7: expected an operand, found OR");
    EXPECT_EQ(eval("CUS:NUMBER # 1"),
              "refused at 12: expected an operator or the end of the expression, found '#'");
    EXPECT_EQ(eval("1 ~ 2"), "refused at 3: expected an operator or the end of the expression, "
                             "found '~'");
    EXPECT_EQ(eval("UPPER(1 2)"), "refused at 9: expected ',' or ')' in the arguments of UPPER");
    EXPECT_EQ(eval("FORMAT(1, @)"), "refused at 12: expected a picture after '@'");
    EXPECT_EQ(eval("FORMAT(1, @P##)"), "refused at 11: picture without its closing P");
    EXPECT_EQ(eval(std::string("1 = \x01", 5)),
              "refused at 5: expected an operand, found character code 1");
    EXPECT_FALSE(Expression::parse("CUS:NAME = 'x'", FieldLookup()));
}

TEST_F(ExpressionTest, NestingIsCappedAndLongChainsStayShallow) {
    std::string deep(Expression::maxNesting, '(');
    deep += "1" + std::string(Expression::maxNesting, ')');
    EXPECT_EQ(eval(deep), "1");
    std::string tooDeep = "(" + deep + ")";
    EXPECT_EQ(eval(tooDeep), "refused at 201: expression nested too deeply");
    EXPECT_EQ(eval(std::string(100000, '(')).substr(0, 15), "refused at 201:");
    EXPECT_EQ(eval(std::string(100000, '-') + "1").substr(0, 15), "refused at 201:");
    EXPECT_EQ(eval("NOT " + std::string(50000, '~') + "1").substr(0, 15), "refused at 204:");
    std::string comparisons = "1";
    for (int i = 0; i < 1000; ++i)
        comparisons += " = 1";
    EXPECT_EQ(eval(comparisons).substr(0, 8), "refused ");

    // Thousands of conjuncts or terms are one flat node each.
    std::string conjuncts = "CUS:NUMBER = 42";
    std::string sum = "0";
    for (int i = 0; i < 20000; ++i) {
        conjuncts += " AND CUS:NUMBER > " + std::to_string(i % 40);
        sum += " + 1";
    }
    EXPECT_TRUE(test(conjuncts));
    EXPECT_EQ(eval(sum), "20000");
    auto flat = parse(conjuncts);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->root().kind, ExpressionNode::Kind::And);
    EXPECT_EQ(flat->root().operands.size(), 20001u);
}

} // namespace
