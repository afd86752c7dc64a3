// The program's module table: start in order, close down once in reverse.
#include "runtime/ui/ModuleTable.h"

#include <gtest/gtest.h>

namespace {

using Phase = host::ModuleTable::Phase;

TEST(ModuleTable, StartsInTableOrderAndClosesDownOnceInReverse) {
    std::vector<std::string> calls;
    auto module = [&calls](std::string name) {
        return host::ModuleTable::Module{
            name, [&calls, name](Phase phase) {
                calls.push_back(name + (phase == Phase::Start ? " start" : " close"));
            }};
    };
    host::ModuleTable table({module("one"), module("two"), {"none", nullptr}, module("three")});
    table.closeDown();
    EXPECT_TRUE(calls.empty()) << "nothing to close before the start";
    table.start();
    table.start();
    EXPECT_TRUE(table.isStarted());
    table.closeDown();
    table.closeDown();
    EXPECT_EQ(calls, (std::vector<std::string>{"one start", "two start", "three start",
                                               "three close", "two close", "one close"}));
}

} // namespace
