#include "runtime/base/Clock.h"
#include "runtime/base/Decimal.h"
#include "runtime/base/Record.h"
#include "runtime/base/TypedRef.h"
#include "tests/support/ShopLayouts.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

Decimal dec(const char* text) {
    return *Decimal::parse(text);
}

TEST(Decimal, ArithmeticIsExactRoundsHalfAwayFromZeroAndParsesOnlyNumbers) {
    EXPECT_EQ((dec("0.1") + dec("0.2")).toString(), "0.3");
    EXPECT_EQ((dec("19.99") * 3).toString(), "59.97");
    EXPECT_EQ((dec("10") / 3).toString(4), "3.3333");
    EXPECT_EQ((dec("1") / 0).toString(), "0");
    EXPECT_EQ((dec("-5.5") - dec("4.5")).toString(), "-10");
    EXPECT_EQ((dec("2") / 3).rounded(2).toString(2), "0.67");
    EXPECT_EQ(dec("2.345").rounded(2).toString(2), "2.35");
    EXPECT_EQ(dec("-2.345").rounded(2).toString(2), "-2.35");
    EXPECT_EQ(dec("2.344").rounded(2).toString(2), "2.34");
    EXPECT_EQ(dec("0.5").rounded(0).toString(), "1");
    EXPECT_EQ(dec("-0.5").rounded(0).toString(), "-1");
    for (const char* bad : {"", "12a", "-", "1.2.3", "99999999999999999999999999999999"})
        EXPECT_FALSE(Decimal::parse(bad)) << bad;
    EXPECT_EQ(Decimal::parse("  +.50 ")->toString(), "0.5");
}

TEST(Decimal, HugeOperandsDoNotOverflow) {
    Decimal big = Decimal::largest(31, 0);
    Decimal product = big * big; // beyond any host decimal: no undefined behaviour
    (void)product;
    Decimal sum = big + big;
    EXPECT_TRUE(sum > big);
    EXPECT_EQ((big / dec("0.0000001")).isZero(), false);
}

TEST(PackedDecimal, StoresRoundedAndSaturates) {
    Variable price(FieldType::decimal(7, 2));
    EXPECT_EQ(price.type().size, 4);
    EXPECT_EQ(FieldType::decimal(5, 4).size, 3);
    EXPECT_TRUE(price.assign(dec("12.345")));
    EXPECT_EQ(price.value().toText(), "12.35");
    EXPECT_TRUE(price.assign(dec("-0.005")));
    EXPECT_EQ(price.value().toDecimal().toString(2), "-0.01");
    EXPECT_FALSE(price.assign(dec("123456")));
    EXPECT_EQ(price.value().toText(), "99999.99");
    EXPECT_FALSE(price.assign(dec("-100000")));
    EXPECT_EQ(price.value().toText(), "-99999.99");
}

TEST(TypedRef, AssignmentConvertsLikeTheHost) {
    Variable name(FieldType::text(6));
    Variable number(FieldType::longInteger());
    Variable amount(FieldType::decimal(7, 2));
    Variable cstr(FieldType::cstring(4));
    Variable pstr(FieldType::pstring(4));

    number.assign(42);
    name.ref().assign(number.ref());
    EXPECT_EQ(name.value().toText(), "42    ");
    amount.ref().assign(name.ref());
    EXPECT_EQ(amount.value().toText(), "42");
    name.assign("abc");
    number.ref().assign(name.ref());
    EXPECT_EQ(number.value().toInteger(), 0); // text that is no number reads as 0
    amount.assign(dec("7.99"));
    number.ref().assign(amount.ref());
    EXPECT_EQ(number.value().toInteger(), 7);
    EXPECT_FALSE(cstr.assign("hello"));
    EXPECT_EQ(cstr.value().toText(), "hel");
    pstr.assign("ab");
    EXPECT_EQ(pstr.value().toText(), "ab");

    Variable shortText(FieldType::text(10));
    shortText.assign("abc");
    Variable other(FieldType::cstring(20));
    other.assign("abc");
    EXPECT_TRUE(shortText.ref().equals(other.ref())); // trailing blanks ignored
    Variable n2(FieldType::byte());
    n2.assign(300);
    EXPECT_EQ(n2.value().toInteger(), 44);

    // Between variables of one type the value is copied as it stands.
    Variable sameName(FieldType::text(6)), sameNumber(FieldType::longInteger());
    name.assign("ab c");
    EXPECT_TRUE(sameName.ref().assign(name.ref()));
    EXPECT_EQ(sameName.value().toText(), "ab c  ");
    number.assign(-70000);
    EXPECT_TRUE(sameNumber.ref().assign(number.ref()));
    EXPECT_EQ(sameNumber.value().toInteger(), -70000);
}

TEST(Text, ClippingDropsOnlyTrailingBlanks) {
    for (size_t blanks : {0, 1, 7, 8, 9, 16, 1000})
        for (const std::string& kept :
             {std::string(), std::string("a"), std::string(" x  y"), std::string("12345678")}) {
            std::string text = kept + std::string(blanks, ' ');
            EXPECT_EQ(clip(text), clipped(kept)) << '"' << text << '"';
        }
}

TEST(Record, LayoutSizesMatchTheDataDictionary) {
    SharedLayout layout = testsupport::itemLayout();
    EXPECT_EQ(layout->size(), 314u);
    Record a(layout), b(layout);
    EXPECT_EQ(layout->fieldNumber("itm:sell"), 6);
    EXPECT_EQ(layout->fieldNumber("SELL"), 6);
    a.field("ITM:DESCRIPTION").assign("Widget");
    a.field(4).assign(dec("1.5"));
    EXPECT_FALSE(a == b);
    b = a;
    EXPECT_TRUE(a == b);
    EXPECT_EQ(b.field(4).text(), "1.5");
    a.clear();
    EXPECT_EQ(clip(a.field(3).text()), "");
    EXPECT_TRUE(a.field(9).isNull());
}

TEST(Clock, DayNumbersAndWeekdays) {
    EXPECT_EQ(dayNumber(1801, 1, 1), 4);
    EXPECT_EQ(weekday(dayNumber(1801, 1, 1)), 4); // a Thursday
    int d = dayNumber(2026, 12, 7);
    EXPECT_EQ(weekday(d), 1); // a Monday
    CalendarDate c = calendarDate(d);
    EXPECT_EQ(c.year, 2026);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 7);
    EXPECT_EQ(dayNumber(2023, 2, 29), 0);
    EXPECT_EQ(calendarDate(0).year, 0);
}

} // namespace
