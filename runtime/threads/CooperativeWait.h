#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace host {

// Waiting for something outside the program (another station's lock, a busy data base)
// without freezing it. On a logical thread a pause parks the thread until its time has
// come, so the scheduler runs the other logical threads and the display keeps painting
// and answering the user meanwhile; elsewhere (the program's main thread, a tool) a
// pause simply sleeps.
//
// A waiter must leave nothing half done that another logical thread could step on while
// it is parked (an open statement, a held mutex). Where that cannot be avoided (a
// transaction frame is open on the shared data base connection), the baton is kept
// (KeepBaton) and pauses sleep without letting any other logical thread run.
class CooperativeWait {
public:
    using Clock = std::chrono::steady_clock;
    // How often a waiter tries again.
    static constexpr std::chrono::milliseconds pollInterval{10};

    // Lets time pass until `until` (see above). A logical thread being cancelled unwinds
    // from here (ThreadCancelled).
    static void pauseUntil(Clock::time_point until);
    // Calls `attempt` until it returns true or `deadline` has passed, pausing `interval`
    // between calls. The first attempt is made at once, even after the deadline. Returns
    // whether an attempt succeeded.
    static bool retryUntil(Clock::time_point deadline, const std::function<bool()>& attempt,
                           std::chrono::milliseconds interval = pollInterval);
    static bool retryFor(std::chrono::milliseconds wait, const std::function<bool()>& attempt,
                         std::chrono::milliseconds interval = pollInterval) {
        return retryUntil(Clock::now() + wait, attempt, interval);
    }

    // While one lives, the pauses of the logical thread that made it do not give the
    // baton away: they sleep, and no other logical thread runs until they end.
    class KeepBaton {
    public:
        KeepBaton();
        ~KeepBaton();
        KeepBaton(const KeepBaton&) = delete;
        KeepBaton& operator=(const KeepBaton&) = delete;

    private:
        const void* scheduler_;
        int thread_;
    };
    // True when the running logical thread keeps the baton.
    static bool isBatonKept();

    // For the owner of the scheduler (the display): the earliest moment at which a parked
    // pause ends, so that it runs the logical threads again then; none when no logical
    // thread is paused.
    static std::optional<Clock::time_point> nextPauseEnd();
    // On the scheduler's thread: sleeps until the earliest parked pause ends and returns
    // true; false at once when no logical thread is paused.
    static bool sleepUntilNextPauseEnd();
};

} // namespace host
