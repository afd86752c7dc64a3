#pragma once

#include "runtime/threads/CooperativeWait.h"
#include "runtime/threads/Scheduler.h"

#include <chrono>
#include <functional>
#include <thread>

namespace testsupport {

// Runs a scheduler's logical threads to their end the way a display does: after each
// run, while a thread pauses, the main thread does `between` (another station lets go of
// something) and sleeps until the next pause ends.
inline void runToEnd(host::Scheduler& scheduler, const std::function<void()>& between = {}) {
    for (;;) {
        scheduler.runUntilIdle();
        if (between)
            between();
        if (scheduler.aliveCount() == 0)
            return;
        if (!host::CooperativeWait::sleepUntilNextPauseEnd())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Another logical thread with work of its own (another window): it counts how often it
// ran, pausing a little each time, until it is told to stop.
struct Ticker {
    int ticks = 0;
    bool stop = false;

    void startOn(host::Scheduler& scheduler) {
        scheduler.start([this] {
            while (!stop) {
                ++ticks;
                host::CooperativeWait::pauseUntil(host::CooperativeWait::Clock::now() +
                                                  std::chrono::milliseconds(2));
            }
        });
    }
    // Runs `wait` (on a logical thread) and returns how often the ticker ran meanwhile;
    // the ticker stops afterwards.
    int ticksDuring(const std::function<void()>& wait) {
        int before = ticks;
        wait();
        int during = ticks - before;
        stop = true;
        return during;
    }
};

// Milliseconds since `start`.
inline long long millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

} // namespace testsupport
