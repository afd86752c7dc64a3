#include "runtime/threads/CooperativeWait.h"
#include "runtime/settings/IniFile.h"
#include "runtime/threads/Scheduler.h"
#include "tests/support/PausingThreads.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

using host::CooperativeWait;
using host::Scheduler;
using testsupport::millisecondsSince;
using testsupport::runToEnd;
using testsupport::Ticker;
using Clock = CooperativeWait::Clock;
using std::chrono::milliseconds;

TEST(CooperativeWait, APauseParksTheLogicalThreadAndTellsTheDisplayWhenItEnds) {
    Scheduler scheduler;
    Ticker ticker;
    ticker.startOn(scheduler);
    Clock::time_point end{};
    bool resumed = false;
    scheduler.start([&] {
        end = Clock::now() + milliseconds(50);
        CooperativeWait::pauseUntil(end);
        resumed = true;
        ticker.stop = true;
    });
    scheduler.runUntilIdle(); // both pause: control is back at once
    EXPECT_FALSE(resumed);
    ASSERT_TRUE(CooperativeWait::nextPauseEnd());
    EXPECT_LE(*CooperativeWait::nextPauseEnd(), end);
    runToEnd(scheduler);
    EXPECT_TRUE(resumed);
    EXPECT_GE(Clock::now(), end);
    EXPECT_GT(ticker.ticks, 1);
    EXPECT_FALSE(CooperativeWait::nextPauseEnd());
    EXPECT_FALSE(CooperativeWait::sleepUntilNextPauseEnd());

    // Off a logical thread a pause sleeps.
    auto start = Clock::now();
    CooperativeWait::pauseUntil(start + milliseconds(20));
    EXPECT_GE(Clock::now(), start + milliseconds(20));
}

TEST(CooperativeWait, RetriesUntilTheAttemptSucceedsOrTheDeadlinePasses) {
    int attempts = 0;
    EXPECT_TRUE(CooperativeWait::retryFor(
        milliseconds(500), [&] { return ++attempts == 3; }, milliseconds(1)));
    EXPECT_EQ(attempts, 3);
    attempts = 0;
    auto start = Clock::now();
    EXPECT_FALSE(CooperativeWait::retryFor(milliseconds(30), [&] { return ++attempts < 0; }));
    EXPECT_GE(millisecondsSince(start), 30);
    EXPECT_GE(attempts, 2);
    attempts = 0;
    EXPECT_FALSE(CooperativeWait::retryFor(milliseconds(0), [&] { return ++attempts < 0; }));
    EXPECT_EQ(attempts, 1) << "one attempt, even with no time to wait";
}

TEST(CooperativeWait, AThreadThatKeepsTheBatonSleepsThroughItsPauses) {
    Scheduler scheduler;
    Ticker ticker;
    ticker.startOn(scheduler);
    int during = -1;
    scheduler.start([&] {
        {
            CooperativeWait::KeepBaton keep;
            EXPECT_TRUE(CooperativeWait::isBatonKept());
            during = ticker.ticks;
            CooperativeWait::pauseUntil(Clock::now() + milliseconds(30));
            during = ticker.ticks - during;
        }
        EXPECT_FALSE(CooperativeWait::isBatonKept());
        ticker.stop = true;
    });
    runToEnd(scheduler);
    EXPECT_EQ(during, 0);
}

// Another program holds the lock on the INI file for a while: a write on a logical
// thread waits for it without stopping the other threads, and then writes its entry.
TEST(CooperativeWait, AnIniWriteWaitingForAnotherProgramsLockLetsTheOthersRun) {
    testsupport::TempFolder folder;
    std::string file = folder.path() + "/shop.ini";
    ASSERT_TRUE(host::IniFile::writeEntry(file, "Station", "Name", "Front"));
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::thread otherProgram([fd] {
        std::this_thread::sleep_for(milliseconds(300));
        ::flock(fd, LOCK_UN);
    });

    Scheduler scheduler;
    Ticker ticker;
    ticker.startOn(scheduler);
    bool written = false;
    int during = -1;
    scheduler.start([&] {
        during = ticker.ticksDuring(
            [&] { written = host::IniFile::writeEntry(file, "Station", "Till", "2"); });
    });
    runToEnd(scheduler);
    otherProgram.join();
    ::close(fd);
    EXPECT_TRUE(written);
    EXPECT_EQ(host::IniFile::readEntry(file, "Station", "Till"), "2");
    EXPECT_EQ(host::IniFile::readEntry(file, "Station", "Name"), "Front");
    EXPECT_GT(during, 5);
}

} // namespace
