// Waiting for another station on a logical thread: the other logical threads (other
// windows) go on meanwhile, except while a transaction frame is open; and each file
// waits its own "Recover=" time.
#include "DriverFixture.h"
#include "runtime/threads/Scheduler.h"
#include "tests/support/PausingThreads.h"

#include <chrono>

using namespace host;
using namespace drivertest;
using testsupport::millisecondsSince;
using testsupport::runToEnd;
using testsupport::Ticker;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto letGoAfter = std::chrono::milliseconds(300);

class WaitingStations : public ::testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<Station> a, b;
    Scheduler scheduler;
    Ticker ticker;

    void SetUp() override {
        fillCustomers(folder.path(), 3);
        a = std::make_unique<Station>(folder.path());
        b = std::make_unique<Station>(folder.path());
        ASSERT_TRUE(a->customers->open());
        ASSERT_TRUE(b->customers->open());
    }

    // Runs `wait` on a logical thread beside the ticker while station b lets go (`letGo`)
    // 300 ms after the start, as soon as the main thread gets control; returns how often
    // the ticker ran during the wait.
    int runWaiting(const std::function<void()>& wait, const std::function<void()>& letGo) {
        int during = -1;
        ticker.startOn(scheduler);
        scheduler.start([&] { during = ticker.ticksDuring(wait); });
        auto start = Clock::now();
        bool let = false;
        runToEnd(scheduler, [&] {
            if (!let && Clock::now() - start >= letGoAfter) {
                let = true;
                letGo();
            }
        });
        return during;
    }
};

TEST_F(WaitingStations, AHoldWaitingForAnotherStationLetsTheOtherThreadsRun) {
    b->customers->hold();
    ASSERT_TRUE(b->read(3));
    bool got = false;
    int during = runWaiting(
        [&] {
            a->customers->hold(5);
            got = a->read(3);
        },
        [&] { b->customers->release(); });
    EXPECT_TRUE(got) << errorCode();
    EXPECT_TRUE(a->customers->isHeld());
    EXPECT_EQ(a->name(), "Name 3");
    EXPECT_GT(during, 5);
}

TEST_F(WaitingStations, WritesAndFramesWaitingForAnotherStationsWriteLetTheOthersRun) {
    ASSERT_TRUE(a->customers->sendOption("Recover=5"));
    ASSERT_TRUE(b->driver.begin(1));
    ASSERT_TRUE(b->addCustomer(10, "C10", "From b"));
    bool added = false;
    int during = runWaiting([&] { added = a->addCustomer(11, "C11", "From a"); },
                            [&] { ASSERT_TRUE(b->driver.commit()); });
    EXPECT_TRUE(added) << errorCode();
    EXPECT_GT(during, 5);

    ASSERT_TRUE(b->driver.begin(1));
    ASSERT_TRUE(b->read(11));
    b->customer.field("CUS:NAME").assign("Changed by b");
    ASSERT_TRUE(b->customers->put());
    ticker = Ticker{};
    bool begun = false;
    during = runWaiting(
        [&] {
            begun = a->driver.begin(5);
            if (begun && a->read(11)) {
                a->customer.field("CUS:NAME").assign("Then by a");
                begun = a->customers->put() && a->driver.commit();
            }
        },
        [&] { ASSERT_TRUE(b->driver.commit()); });
    EXPECT_TRUE(begun) << errorCode();
    EXPECT_GT(during, 5);
    ASSERT_TRUE(b->read(11));
    EXPECT_EQ(b->name(), "Then by a");
}

// A transaction frame keeps the baton: another logical thread would otherwise work on
// the shared connection inside it. So a wait inside a frame lets nothing else run (the
// display does not repaint meanwhile) and ends at its time.
TEST_F(WaitingStations, InsideATransactionFrameAWaitLetsNoOtherThreadRun) {
    b->customers->hold();
    ASSERT_TRUE(b->read(3));
    bool got = true;
    int error = 0;
    long long waited = 0;
    int during = runWaiting(
        [&] {
            ASSERT_TRUE(a->driver.begin(1));
            a->customers->hold(1);
            auto start = Clock::now();
            got = a->read(3);
            error = errorCode();
            waited = millisecondsSince(start);
            a->driver.rollback();
        },
        [&] { b->customers->release(); });
    EXPECT_FALSE(got);
    EXPECT_EQ(error, errors::recordHeld);
    EXPECT_GE(waited, 900);
    EXPECT_EQ(during, 0);
    // After the frame, waits give the baton away again.
    b->customers->hold();
    ASSERT_TRUE(b->read(3));
    ticker = Ticker{};
    during = runWaiting(
        [&] {
            a->customers->hold(5);
            got = a->read(3);
        },
        [&] { b->customers->release(); });
    EXPECT_TRUE(got);
    EXPECT_GT(during, 5);
}

// Each file waits its own "Recover=" time for a busy data base, whichever file was
// opened or given its time last.
TEST_F(WaitingStations, EachFileWaitsItsOwnRecoverTime) {
    Record itemRecord{itemLayout()};
    auto items = a->driver.makeFile(itemDefinition(), itemRecord);
    ASSERT_TRUE(items->sendOption("Recover=5"));
    ASSERT_TRUE(a->customers->close());
    ASSERT_TRUE(a->customers->sendOption("Recover=0"));
    ASSERT_TRUE(a->customers->open()); // opened last, with no wait at all

    ASSERT_TRUE(b->driver.begin(1));
    ASSERT_TRUE(b->addCustomer(10, "C10", "From b"));
    bool created = false;
    int during =
        runWaiting([&] { created = items->create(); }, [&] { ASSERT_TRUE(b->driver.commit()); });
    EXPECT_TRUE(created) << errorCode();
    EXPECT_GT(during, 5);

    // The other way round: the file without a wait answers at once while the one opened
    // last would wait.
    ASSERT_TRUE(items->open());
    ASSERT_TRUE(b->driver.begin(1));
    ASSERT_TRUE(b->addCustomer(12, "C12", "From b"));
    auto start = Clock::now();
    EXPECT_FALSE(a->addCustomer(13, "C13", "From a"));
    EXPECT_EQ(errorCode(), errors::accessDenied);
    EXPECT_LT(millisecondsSince(start), 1000);
    ASSERT_TRUE(b->driver.commit());
}

} // namespace
