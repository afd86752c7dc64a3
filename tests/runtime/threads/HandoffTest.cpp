#include "runtime/threads/Handoff.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using host::Handoff;

TEST(Handoff, AGiveIsNeverLostWhicheverSideComesFirst) {
    // Two threads taking turns many times: the taker is sometimes asleep and sometimes not
    // yet waiting when the give comes. A lost give hangs the test; a doubled one breaks the
    // turns, which the counter shows.
    Handoff toWorker;
    Handoff back;
    int turns = 0;
    constexpr int rounds = 20'000;
    std::thread worker([&] {
        for (int i = 0; i < rounds; ++i) {
            toWorker.take();
            ++turns;
            back.give();
        }
    });
    for (int i = 0; i < rounds; ++i) {
        toWorker.give();
        back.take();
        ASSERT_EQ(turns, i + 1);
    }
    worker.join();
}

TEST(Handoff, AGiveBeforeTheTakeIsKept) {
    Handoff handoff;
    handoff.give();
    handoff.take(); // returns at once
    std::thread giver([&] { handoff.give(); });
    handoff.take();
    giver.join();
}

} // namespace
