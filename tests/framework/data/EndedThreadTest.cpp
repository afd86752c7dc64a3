// A logical thread that ends leaves nothing behind in the shared data objects: its
// per-thread file record, its usage scopes and its procedure names go with it.
#include "DataFixture.h"

#include "runtime/threads/Scheduler.h"

#include <algorithm>

namespace {

using namespace datatest;

class EndedThreadTest : public DataTest {
protected:
    static host::FileDefinition perThreadCustomers() {
        host::FileDefinition definition = customerDefinition();
        definition.setPerThread(true);
        return definition;
    }
    void SetUp() override {
        DataTest::SetUp();
        declare(customers, "Customer", {1});
        seed(customerDefinition(), [](host::Record& record, host::RecordFile& file) {
            fillCustomer(record, 1, "C1", "Adams");
            file.add();
        });
    }

    bool hasScopeOf(int thread) const {
        return std::any_of(registry.SCOPES.begin(), registry.SCOPES.end(),
                           [&](const framework::UsageScope& s) { return s.THREAD == thread; });
    }
    bool hasProcedureOf(int thread) const {
        return std::any_of(errors.PROCNAMES.begin(), errors.PROCNAMES.end(),
                           [&](const framework::ProcedureName& p) { return p.THREAD == thread; });
    }

    TestFile customers{driver, perThreadCustomers()};
};

TEST_F(EndedThreadTest, AThreadsEntriesGoWhenItEndsAndTheOthersStay) {
    host::Scheduler scheduler;
    framework::FileAccess& access = customers.access;
    bool done = false;
    // Both threads are in the middle of a browse: a procedure named, the file open and
    // read, a nested procedure holding the outer one's state.
    auto browse = [&](bool waitsForEver) {
        return [&, waitsForEver] {
            errors.TrackProcedure("Browse", false);
            access.Open();
            access.ReadNext();
            errors.TrackProcedure("Form", false);
            access.Open();
            access.ReadNext();
            scheduler.waitUntil([&] { return done && !waitsForEver; });
        };
    };
    int stays = scheduler.start(browse(true));
    int ends = scheduler.start(browse(false));
    scheduler.runUntilIdle();
    ASSERT_TRUE(access.INFO.count(ends));
    ASSERT_TRUE(hasScopeOf(ends));
    ASSERT_TRUE(hasProcedureOf(ends));
    ASSERT_FALSE(access.SAVED.empty());
    std::size_t savedByBoth = access.SAVED.size();

    done = true;
    scheduler.runUntilIdle();
    EXPECT_FALSE(scheduler.isAlive(ends));
    EXPECT_EQ(access.INFO.count(ends), 0u);
    EXPECT_FALSE(hasScopeOf(ends));
    EXPECT_FALSE(hasProcedureOf(ends));
    EXPECT_EQ(access.SAVED.size(), savedByBoth / 2) << "its held states are discarded";

    EXPECT_EQ(access.INFO.count(stays), 1u);
    EXPECT_TRUE(hasScopeOf(stays));
    EXPECT_TRUE(hasProcedureOf(stays));
    scheduler.cancelAll();
    EXPECT_TRUE(access.INFO.empty());
    EXPECT_TRUE(registry.SCOPES.empty());
    EXPECT_TRUE(access.SAVED.empty());
}

} // namespace
