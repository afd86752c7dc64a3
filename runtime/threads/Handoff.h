#pragma once

#include <atomic>

namespace host {

// A one-way signal between two operating-system threads that take turns: one thread
// gives, the other (always the same one) takes, and a give is never lost. The scheduler
// passes its baton with these, one per logical thread and one for the way back, so that
// handing the baton over costs one wake of the sleeping side and one sleep of the giving
// side, and no lock is shared that the woken thread could find still held.
//
// What the giver wrote before `give` is seen by the taker after `take`.
class Handoff {
public:
    Handoff() = default;
    Handoff(const Handoff&) = delete;
    Handoff& operator=(const Handoff&) = delete;

    // Signals the taker, waking it when it sleeps in `take`.
    void give();
    // Returns when a give has come (at once when one came already), and consumes it.
    void take();

private:
    enum State : int { empty = 0, given = 1, sleeping = 2 };
    std::atomic<int> state_{empty};
};

} // namespace host
