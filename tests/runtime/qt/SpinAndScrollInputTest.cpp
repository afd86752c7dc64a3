// The two user inputs the Qt display added to UserInput: spinning a spin box and
// working a list's scroll bar.
#include "QtTestSession.h"

#include "runtime/base/Queue.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/qt/SampleQueue.h"

#include <gtest/gtest.h>

namespace {

using host::EventKind;
using host::Window;

struct Logged {
    std::vector<std::string> log;
    void run(std::shared_ptr<const host::WindowDefinition> definition,
             std::function<void(Window&)> bind) {
        Window w(definition);
        bind(w);
        w.open();
        while (w.nextEvent()) {
            log.push_back(std::string(host::eventName(w.currentEvent())) + " " +
                          std::to_string(w.eventControl()));
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    }
};

TEST(SpinInput, StepsWithinTheRangeAndGivesNewSelection) {
    host::headless::HeadlessSession session;
    auto definition = host::qt::test::define(R"(
window S "Spin"
  entry 1 use=OTHER
  spin 2 use=QTY range=1,10 step=4 picture=@n3
  spin 3 use=RO readonly
end)");
    host::Variable quantity(host::FieldType::longInteger()), other(host::FieldType::text(5)),
        readOnly(host::FieldType::longInteger());
    quantity.assign(host::Value(5));
    Logged program;
    session.start([&] {
        program.run(definition, [&](Window& w) {
            w.bind("QTY", quantity);
            w.bind("OTHER", other);
            w.bind("RO", readOnly);
        });
    });
    Window& w = *session.activeWindow();
    auto input = session.input();
    program.log.clear();
    EXPECT_TRUE(input.spin(w, 2, 1)); // 5 -> 9, and the focus moves to the spin box
    EXPECT_TRUE(input.spin(w, 2, 1)); // 9 -> 10: the range ends it
    session.run();
    EXPECT_EQ(quantity.value().toInteger(), 10);
    EXPECT_EQ(w.control(2)->contents(), "10");
    EXPECT_EQ(program.log,
              (std::vector<std::string>{"Selected 2", "NewSelection 2", "NewSelection 2"}));
    EXPECT_FALSE(input.spin(w, 3, 1)); // read only
    EXPECT_FALSE(input.spin(w, 1, 1)); // not a spin box
    EXPECT_FALSE(input.spin(w, 2, 0));
}

TEST(ScrollInput, OnlyAnImmediateListHearsItsScrollBar) {
    host::headless::HeadlessSession session;
    auto definition = host::qt::test::define(R"(
window L "Lists"
  list 1 from=PAGE immediate format="80L~Name~@s20@"
  list 2 from=ALL format="80L~Name~@s20@"
end)");
    auto page = host::qt::SampleQueue::makeTexts(3);
    auto all = host::qt::SampleQueue::makeTexts(30);
    Logged program;
    session.start([&] {
        program.run(definition, [&](Window& w) {
            w.bind("PAGE", *page);
            w.bind("ALL", *all);
        });
    });
    Window& w = *session.activeWindow();
    auto input = session.input();
    program.log.clear();
    EXPECT_TRUE(input.scroll(w, 1, EventKind::PageDown));
    EXPECT_TRUE(input.scroll(w, 1, EventKind::ScrollTop));
    EXPECT_FALSE(input.scroll(w, 1, EventKind::Accepted));   // not a scroll event
    EXPECT_FALSE(input.scroll(w, 2, EventKind::ScrollDown)); // scrolls by itself
    session.run();
    EXPECT_EQ(program.log, (std::vector<std::string>{"PageDown 1", "ScrollTop 1"}));
}

} // namespace
