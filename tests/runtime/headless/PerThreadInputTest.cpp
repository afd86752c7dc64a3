// User input arrives on the scheduler's own thread; a field of a per-thread record that
// a window shows must take the typed text into that window's thread's record, whichever
// thread ran last.
#include "runtime/base/CurrentThread.h"
#include "runtime/base/PerThreadBlocks.h"
#include "runtime/base/Record.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Window.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using host::EventKind;
using host::Window;

struct PerThreadRecord {
    host::Record record{std::make_shared<const host::RecordLayout>(
        host::RecordLayout{{"CUS:NAME", host::FieldType::text(10)}})};
    int block = host::PerThreadBlocks::add(record);
    ~PerThreadRecord() { host::PerThreadBlocks::remove(block); }
    std::string name() const { return host::clip(record.field("CUS:NAME").text()); }
};

TEST(PerThreadInput, TypedTextGoesToTheRecordOfTheWindowsThread) {
    PerThreadRecord customer;
    host::headless::HeadlessSession session;
    auto form = testsupport::define(
        "window FORM \"Form\"\n  entry 1 use=CUS:NAME picture=@s10\n  button 2 \"&OK\"\nend");
    Window* windows[2] = {nullptr, nullptr};
    std::string seen[2];
    auto run = [&](int index, std::string name) {
        return [&, index, name] {
            customer.record.field("CUS:NAME").assign(name);
            Window w(form);
            w.bind("CUS:NAME", customer.record.field("CUS:NAME"));
            windows[index] = &w;
            w.open();
            while (w.nextEvent()) {
                if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 2)
                    seen[index] = customer.name();
                w.endCycle(host::CycleEnd::DefaultAction);
            }
            windows[index] = nullptr;
        };
    };
    session.start(run(0, "Adams"));
    session.start(run(1, "Baker"));
    ASSERT_TRUE(windows[0] && windows[1]);
    // Only the second thread gets an event: it runs last, its values are live.
    session.input().type(*windows[1], 1, "Baker");
    session.run();
    session.input().type(*windows[0], 1, "Clark");
    session.run();
    session.input().press(*windows[0], 2);
    session.input().press(*windows[1], 2);
    session.run();
    EXPECT_EQ(seen[0], "Clark");
    EXPECT_EQ(seen[1], "Baker");
}

} // namespace
