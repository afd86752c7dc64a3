#include "runtime/threads/Handoff.h"

#if defined(__linux__)
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace host {

namespace {

// Sleeps while the state is still `expected`; returns early on a wake or a signal.
void sleepWhile(std::atomic<int>& state, int expected) {
#if defined(__linux__)
    syscall(SYS_futex, reinterpret_cast<int*>(&state), FUTEX_WAIT_PRIVATE, expected, nullptr,
            nullptr, 0);
#else
    state.wait(expected, std::memory_order_acquire);
#endif
}

void wakeOne(std::atomic<int>& state) {
#if defined(__linux__)
    syscall(SYS_futex, reinterpret_cast<int*>(&state), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
#else
    state.notify_one();
#endif
}

} // namespace

void Handoff::give() {
    // Only a taker that said it sleeps needs the system call.
    if (state_.exchange(given, std::memory_order_acq_rel) == sleeping)
        wakeOne(state_);
}

void Handoff::take() {
    for (;;) {
        int seen = state_.load(std::memory_order_acquire);
        if (seen == given) {
            if (state_.compare_exchange_strong(seen, empty, std::memory_order_acq_rel))
                return;
            continue;
        }
        // Say so before sleeping, so that the giver wakes us; a give that comes between
        // the two changes the state, and the sleep returns at once.
        if (seen == empty &&
            !state_.compare_exchange_strong(seen, sleeping, std::memory_order_acq_rel))
            continue;
        sleepWhile(state_, sleeping);
    }
}

} // namespace host
