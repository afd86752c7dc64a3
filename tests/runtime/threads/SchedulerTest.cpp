#include "runtime/threads/Scheduler.h"
#include "runtime/base/CurrentThread.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using host::Scheduler;

TEST(Scheduler, ThreadsRunOneAtATimeAndHandTheBatonOnWhenTheyWait) {
    Scheduler scheduler;
    std::vector<std::string> log;
    int turn = 0;
    scheduler.start([&] {
        log.push_back("a1 on " + std::to_string(host::currentThread()));
        scheduler.waitUntil([&] { return turn == 1; });
        log.push_back("a2");
        turn = 2;
    });
    scheduler.start([&] {
        log.push_back("b1 on " + std::to_string(host::currentThread()));
        turn = 1;
        scheduler.waitUntil([&] { return turn == 2; });
        log.push_back("b2");
    });
    EXPECT_EQ(scheduler.aliveCount(), 2u);
    scheduler.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"a1 on 1", "b1 on 2", "a2", "b2"}));
    EXPECT_EQ(scheduler.aliveCount(), 0u);
    EXPECT_FALSE(scheduler.isAlive(1));
}

TEST(Scheduler, IdleUntilAConditionTurnsTrueNewThreadsAfterTheirStarterAndYieldGoesLast) {
    Scheduler scheduler;
    bool go = false;
    int steps = 0;
    scheduler.start([&] {
        ++steps;
        scheduler.waitUntil([&] { return go; });
        ++steps;
    });
    scheduler.runUntilIdle();
    EXPECT_EQ(steps, 1);
    EXPECT_TRUE(scheduler.isAlive(1));
    go = true;
    scheduler.runUntilIdle();
    EXPECT_EQ(steps, 2);

    std::string trace;
    scheduler.start([&] {
        scheduler.start([&] { trace += "c"; }); // runs once its starter waits
        trace += "a";
        scheduler.yield();
        trace += "d";
    });
    scheduler.start([&] { trace += "b"; });
    scheduler.runUntilIdle();
    EXPECT_EQ(trace, "abcd");
}

TEST(Scheduler, OutsideALogicalThreadWaitingCannotBlock) {
    Scheduler scheduler;
    EXPECT_FALSE(scheduler.onLogicalThread());
    EXPECT_TRUE(scheduler.waitUntil([] { return true; }));
    EXPECT_FALSE(scheduler.waitUntil([] { return false; }));
}

struct Halted : std::runtime_error {
    using std::runtime_error::runtime_error;
};

TEST(Scheduler, AnExceptionEndingAThreadEndsTheOthersAndReachesTheScheduler) {
    Scheduler scheduler;
    bool unwound = false;
    scheduler.start([&] {
        struct Guard {
            bool& flag;
            ~Guard() { flag = true; }
        } guard{unwound};
        scheduler.waitUntil([] { return false; });
    });
    scheduler.start([&] { throw Halted("stop"); });
    EXPECT_THROW(scheduler.runUntilIdle(), Halted);
    EXPECT_TRUE(unwound);
    EXPECT_EQ(scheduler.aliveCount(), 0u);
}

TEST(Scheduler, DestroyingTheSchedulerUnwindsWaitingThreads) {
    int destroyed = 0;
    {
        Scheduler scheduler;
        for (int i = 0; i < 3; ++i)
            scheduler.start([&] {
                struct Guard {
                    int& count;
                    ~Guard() { ++count; }
                } guard{destroyed};
                scheduler.waitUntil([] { return false; });
            });
        scheduler.start([] {}); // never run before the end: still cleaned up
        scheduler.runUntilIdle();
    }
    EXPECT_EQ(destroyed, 3);
}

TEST(SchedulerEnding, ThreadsStartedWhileTheOthersAreCancelledAreEndedToo) {
    int started = 0;
    {
        Scheduler scheduler;
        struct Starter {
            Scheduler& scheduler;
            int& started;
            ~Starter() {
                // Unwinding starts enough threads to move the scheduler's list.
                for (int i = 0; i < 64; ++i)
                    scheduler.start([this] { ++started; });
            }
        };
        for (int i = 0; i < 2; ++i)
            scheduler.start([&] {
                Starter starter{scheduler, started};
                scheduler.waitUntil([] { return false; });
            });
        scheduler.runUntilIdle();
        scheduler.cancelAll();
        EXPECT_EQ(scheduler.aliveCount(), 0u);
    }
    EXPECT_EQ(started, 0); // cancelled before they ever ran
}

TEST(SchedulerEnding, TheSchedulersOwnThreadIsThreadZeroWhileItRunsThreads) {
    Scheduler scheduler;
    std::vector<int> inCondition;
    int afterWait = -1;
    scheduler.start([&] {
        // The thread checks the condition itself first; then the scheduler does.
        scheduler.waitUntil([&] {
            inCondition.push_back(host::currentThread());
            return inCondition.size() > 2;
        });
        afterWait = host::currentThread();
    });
    scheduler.runUntilIdle();
    scheduler.runUntilIdle();
    EXPECT_EQ(inCondition, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(afterWait, 1);
}

TEST(SchedulerEnding, AThreadThatSwallowsItsCancellationDoesNotHangTheShutDown) {
    Scheduler scheduler;
    int swallowed = 0;
    bool unwound = false;
    scheduler.start([&] {
        struct Guard {
            bool& flag;
            ~Guard() { flag = true; }
        } guard{unwound};
        // A loop that catches everything and waits again. The bound only keeps a
        // scheduler that never gets the baton back from spinning for ever.
        while (swallowed < 100000) {
            try {
                scheduler.waitUntil([] { return false; });
            } catch (...) {
                ++swallowed;
            }
        }
    });
    scheduler.runUntilIdle();
    scheduler.cancelAll();
    EXPECT_EQ(scheduler.aliveCount(), 0u);
    EXPECT_GE(swallowed, 1);
    EXPECT_LT(swallowed, 100); // given up after a few resumptions
    EXPECT_FALSE(unwound);     // abandoned where it waits
}

TEST(SchedulerEnding, ACancelledThreadCannotWaitAgain) {
    Scheduler scheduler;
    int waits = 0;
    bool ended = false;
    scheduler.start([&] {
        try {
            scheduler.waitUntil([] { return false; });
        } catch (const host::ThreadCancelled&) {
        }
        // Waiting once more after the cancellation was swallowed ends the thread.
        ++waits;
        scheduler.waitUntil([] { return false; });
        ended = true;
    });
    scheduler.runUntilIdle();
    scheduler.cancelAll();
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(ended);
    EXPECT_EQ(scheduler.aliveCount(), 0u);
}

} // namespace
