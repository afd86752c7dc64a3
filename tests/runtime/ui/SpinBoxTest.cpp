// Spin boxes that count in exact decimals (a price stepped by 0.1) beside whole-number
// ones, driven as a user drives them: the arrows, Up and Down, typing.
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Property.h"
#include "runtime/ui/Window.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::Decimal;
using host::FieldType;
using host::Property;
using host::Value;
using host::Window;

constexpr const char* prices = R"(
window P "Prices"
  spin 1 use=PRICE picture=@n8.2 range=0,99999.99 step=0.1
  spin 2 use=LIST picture=@n-10.2 range=0,99999.99 step=0.1
  spin 3 use=RATE range=0,10 step=0.25
  spin 4 use=QTY range=1,10 step=4
  spin 5 use=SELL picture=@n8.2 step=0.1
end)";

struct PriceWindow {
    host::headless::HeadlessSession session;
    host::Variable price{FieldType::decimal(7, 2)};
    host::Variable list{FieldType::decimal(7, 2)};
    host::Variable rate{FieldType::decimal(5, 2)};
    host::Variable quantity{FieldType::longInteger()};
    host::Variable sell{FieldType::decimal(7, 2)};
    std::vector<std::string> log;
    Window* w = nullptr;

    PriceWindow() {
        auto definition = testsupport::define(prices);
        session.start([this, definition] {
            Window window(definition);
            window.bind("PRICE", price);
            window.bind("LIST", list);
            window.bind("RATE", rate);
            window.bind("QTY", quantity);
            window.bind("SELL", sell);
            window.open();
            while (window.nextEvent()) {
                log.push_back(std::string(host::eventName(window.currentEvent())) + " " +
                              std::to_string(window.eventControl()));
                window.endCycle(host::CycleEnd::DefaultAction);
            }
        });
        w = session.activeWindow();
    }
    std::string shows(int control) const { return w->control(control)->contents(); }
    std::string holds(const host::Variable& v) const { return v.value().toDecimal().toString(); }
};

TEST(DecimalSpin, StepsExactlyAndStopsAtTheEndsOfItsRange) {
    PriceWindow p;
    auto input = p.session.input();
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(input.spin(*p.w, 1, 1));
    p.session.run();
    EXPECT_EQ(p.shows(1), "1.00");
    EXPECT_EQ(p.price.value().toDecimal(), Decimal(1)); // exactly, not 0.9999...
    EXPECT_TRUE(input.spin(*p.w, 1, -25));
    EXPECT_EQ(p.shows(1), "0.00");
    input.type(*p.w, 1, "99999.95");
    EXPECT_TRUE(input.spin(*p.w, 1, 1));
    EXPECT_EQ(p.shows(1), "99999.99");

    // Up and Down on the focused spin box step it as the arrows do.
    p.session.pressKey("Down");
    p.session.pressKey("Down");
    p.session.run();
    EXPECT_EQ(p.shows(1), "99999.79");
    // The picture says how the value shows: grouped, with a leading minus.
    input.spin(*p.w, 2, 12345);
    EXPECT_EQ(p.shows(2), "1,234.50");

    // Without a range the picture's places count: 11.25 stepped by 0.1 keeps its cents.
    input.type(*p.w, 5, "11.25");
    EXPECT_TRUE(input.spin(*p.w, 5, 1));
    EXPECT_EQ(p.shows(5), "11.35");
    EXPECT_EQ(p.holds(p.sell), "11.35");
}

TEST(DecimalSpin, TypedTextMustBeANumberAndIsHeldInsideTheRange) {
    PriceWindow p;
    auto input = p.session.input();
    input.type(*p.w, 1, "2.5");
    p.session.run();
    p.log.clear();
    // A letter: refused, the value kept, the focus stays.
    input.type(*p.w, 1, "2.5x");
    EXPECT_FALSE(input.type(*p.w, 2, "150000"));
    p.session.run();
    EXPECT_EQ(p.log, (std::vector<std::string>{"Rejected 1", "Rejected 1"}));
    EXPECT_EQ(p.holds(p.price), "2.5");
    input.type(*p.w, 1, "2.5"); // the price is right after all
    // Beyond the range: the nearest end, shown through the picture.
    input.type(*p.w, 2, "150000");
    p.session.run();
    EXPECT_EQ(p.holds(p.list), "99999.99");
    EXPECT_EQ(p.shows(2), "99,999.99");

    // Without a picture: a plain number, cut to the places the spin box counts in and
    // shown with them; text that is no number is refused all the same, and counts from
    // the low end when the arrows are used on it.
    input.type(*p.w, 3, "2.999");
    p.session.run();
    EXPECT_EQ(p.holds(p.rate), "2.99");
    EXPECT_EQ(p.shows(3), "2.99");
    p.log.clear();
    input.type(*p.w, 3, "abc");
    input.spin(*p.w, 3, 2);
    p.session.run();
    EXPECT_EQ(p.log, (std::vector<std::string>{"Rejected 3", "NewSelection 3"}));
    EXPECT_EQ(p.shows(3), "0.50");
    // A whole-number spin box still takes 7.9 as 7 and shows its value's own text.
    input.type(*p.w, 4, "7.9");
    p.session.run();
    EXPECT_EQ(p.quantity.value().toInteger(), 7);
    EXPECT_EQ(p.shows(4), "7");
}

TEST(DecimalSpin, StepAndRangePropertiesTakeAndGiveDecimals) {
    PriceWindow p;
    Window& w = *p.w;
    EXPECT_EQ(w.property(1, Property::Step).toText(), "0.1");
    EXPECT_EQ(w.property(1, Property::RangeHigh).toText(), "99999.99");
    // Whole numbers stay integers, as they always were.
    EXPECT_EQ(w.property(4, Property::Step).kind(), Value::Kind::Integer);
    EXPECT_EQ(w.property(4, Property::RangeLow).kind(), Value::Kind::Integer);

    w.setProperty(3, Property::Step, Value("0.05"));
    w.setProperty(3, Property::RangeHigh, Value("0.3"));
    EXPECT_EQ(w.property(3, Property::Step).toText(), "0.05");
    p.session.input().spin(w, 3, 10);
    EXPECT_EQ(p.shows(3), "0.30");                // the range's end, in the places it now counts in
    w.setProperty(1, Property::Step, Value("0")); // not positive: a step of 1
    EXPECT_EQ(w.property(1, Property::Step).toText(), "1");
}

} // namespace
