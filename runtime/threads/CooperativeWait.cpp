#include "runtime/threads/CooperativeWait.h"

#include "runtime/threads/Scheduler.h"

#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <utility>

namespace host {

namespace {

struct Pauses {
    std::mutex mutex;
    std::multiset<CooperativeWait::Clock::time_point> ends; // of the parked pauses
    std::multiset<std::pair<const void*, int>> batonKept;   // by scheduler and thread
};

// The running logical thread: its scheduler and number (null and 0 elsewhere).
std::pair<const void*, int> runningThread() {
    Scheduler* scheduler = Scheduler::running();
    return {scheduler, scheduler ? scheduler->current() : 0};
}

Pauses& pauses() {
    static Pauses shared;
    return shared;
}

// Registers a parked pause for the time it is parked (also when cancelling unwinds it).
class ParkedPause {
public:
    explicit ParkedPause(CooperativeWait::Clock::time_point end) {
        std::lock_guard lock(pauses().mutex);
        entry_ = pauses().ends.insert(end);
    }
    ~ParkedPause() {
        std::lock_guard lock(pauses().mutex);
        pauses().ends.erase(entry_);
    }
    ParkedPause(const ParkedPause&) = delete;
    ParkedPause& operator=(const ParkedPause&) = delete;

private:
    std::multiset<CooperativeWait::Clock::time_point>::iterator entry_;
};

} // namespace

void CooperativeWait::pauseUntil(Clock::time_point until) {
    Scheduler* scheduler = Scheduler::running();
    if (!scheduler || isBatonKept()) {
        std::this_thread::sleep_until(until);
        return;
    }
    ParkedPause parked(until);
    // While the thread is cancelled and unwinding, waitUntil returns at once: sleep then,
    // so that a retrying caller does not spin.
    if (!scheduler->waitUntil([until] { return Clock::now() >= until; }))
        std::this_thread::sleep_until(until);
}

bool CooperativeWait::retryUntil(Clock::time_point deadline, const std::function<bool()>& attempt,
                                 std::chrono::milliseconds interval) {
    for (;;) {
        if (attempt())
            return true;
        auto now = Clock::now();
        if (now >= deadline)
            return false;
        pauseUntil(std::min(now + interval, deadline));
    }
}

CooperativeWait::KeepBaton::KeepBaton() {
    std::tie(scheduler_, thread_) = runningThread();
    std::lock_guard lock(pauses().mutex);
    pauses().batonKept.insert({scheduler_, thread_});
}

CooperativeWait::KeepBaton::~KeepBaton() {
    std::lock_guard lock(pauses().mutex);
    auto& kept = pauses().batonKept;
    if (auto it = kept.find({scheduler_, thread_}); it != kept.end())
        kept.erase(it);
}

bool CooperativeWait::isBatonKept() {
    auto running = runningThread();
    std::lock_guard lock(pauses().mutex);
    return pauses().batonKept.count(running) > 0;
}

std::optional<CooperativeWait::Clock::time_point> CooperativeWait::nextPauseEnd() {
    std::lock_guard lock(pauses().mutex);
    if (pauses().ends.empty())
        return std::nullopt;
    return *pauses().ends.begin();
}

bool CooperativeWait::sleepUntilNextPauseEnd() {
    std::optional<Clock::time_point> end = nextPauseEnd();
    if (!end)
        return false;
    std::this_thread::sleep_until(*end);
    return true;
}

} // namespace host
