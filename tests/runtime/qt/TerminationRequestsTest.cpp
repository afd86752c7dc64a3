#include "runtime/qt/TerminationRequests.h"

#include "QtTestSession.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <utility>
#include <vector>

namespace {

using host::qt::TerminationRequests;

// Lets Qt's event loop run until `done` holds or a second has passed.
template <class Done> bool runEventsUntil(Done done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents();
    return done();
}

TEST(TerminationRequests, EachSignalReachesTheEventLoopCountedAndTheDefaultsComeBack) {
    host::qt::test::ensureApplication();
    std::vector<std::pair<int, int>> seen;
    {
        TerminationRequests requests([&](int signal, int count) {
            seen.push_back({signal, count});
        });
        // Without the handlers these would end the test program.
        ASSERT_EQ(::raise(SIGTERM), 0);
        ASSERT_TRUE(runEventsUntil([&] { return seen.size() == 1; }));
        ASSERT_EQ(::raise(SIGHUP), 0);
        ASSERT_EQ(::raise(SIGINT), 0);
        ASSERT_TRUE(runEventsUntil([&] { return seen.size() == 3; }));
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{SIGTERM, 1}, {SIGHUP, 2}, {SIGINT, 3}}));
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction current {};
        ASSERT_EQ(::sigaction(signal, nullptr, &current), 0);
        EXPECT_EQ(current.sa_handler, SIG_DFL) << signal;
    }
}

} // namespace
