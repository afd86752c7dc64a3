// A scenario run without a display can still be looked at.
#include "QtTestSession.h"

#include "runtime/base/Queue.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/TypedRef.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/qt/ScreenShot.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using host::Window;

// The picture is drawn by a display of its own; what Qt does while it shows its widgets
// (activating the first child it adds, moving the focus) must not reach the program.
TEST(ScreenShot, TakingOneLeavesTheSessionAsItWas) {
    host::qt::test::ensureApplication();
    host::headless::HeadlessSession session;
    EXPECT_TRUE(host::qt::ScreenShot::take(session.desktop()).isNull()); // nothing open
    auto frame = host::qt::test::define(R"(
window FRAME "Example EIP Application" frame at=0,0,400,260 status=-1
end)");
    auto customers = host::qt::test::define(R"(
window CUSTOMERS "Customers" mdi at=4,4,200,100
  prompt 1 "&Name:" at=8,8
  entry 2 at=50,8,80,10 use=NAME
  list 3 at=8,24,180,50 from=ROWS format="60L~Name~@s10@40R~Qty~@n5@"
  button 4 "&Close" at=140,80,50,14
end)");
    auto items = host::qt::test::define(R"(
window ITEMS "Items" mdi at=60,40,160,80
  button 1 "&First" at=8,8,50,14
  button 2 "&Second" at=8,28,50,14
end)");
    host::Variable name{host::FieldType::text(20)};
    host::Queue rows{std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"NAME", host::FieldType::text(10)}, {"QTY", host::FieldType::longInteger()}})};
    for (int i = 1; i <= 3; ++i) {
        rows.buffer().field(1).assign(host::Value("Row " + std::to_string(i)));
        rows.buffer().field(2).assign(host::Value(i * 10));
        rows.add();
    }
    std::vector<std::string> events;
    auto run = [&](std::shared_ptr<const host::WindowDefinition> definition) {
        Window w(definition);
        w.bind("NAME", name);
        w.bind("ROWS", rows);
        w.open();
        while (w.nextEvent()) {
            events.push_back(w.title() + " " + std::string(host::eventName(w.currentEvent())));
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    };
    session.start([&] { run(frame); });
    session.start([&] { run(customers); });
    ASSERT_TRUE(session.type("&Name:", "Smith"));
    ASSERT_TRUE(session.clickRow("3", 2));
    session.start([&] { run(items); });
    ASSERT_TRUE(session.focus("&Second"));
    Window* customerWindow = session.window("Customers");
    Window* itemWindow = session.window("Items");
    ASSERT_TRUE(customerWindow && itemWindow);
    int customerFocus = customerWindow->focus();
    int itemFocus = itemWindow->focus();
    std::size_t eventsBefore = events.size();

    QImage screen = host::qt::ScreenShot::take(session.desktop());
    ASSERT_FALSE(screen.isNull());
    session.run();
    EXPECT_EQ(session.activeWindow(), itemWindow);
    EXPECT_EQ(customerWindow->focus(), customerFocus);
    EXPECT_EQ(itemWindow->focus(), itemFocus);
    EXPECT_EQ(session.selectedRow("3", customerWindow), 2);
    EXPECT_EQ(session.text("2", customerWindow), "Smith");
    EXPECT_EQ(events.size(), eventsBefore) << events.back();
}

} // namespace
