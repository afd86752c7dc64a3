// Events per second through a window's event loop, beside a plain loop that handles the
// same events from a double-ended queue, and the cost of a round trip between the
// scheduler and a logical thread (one event per wake-up).
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include <benchmark/benchmark.h>

#include <deque>

namespace {

std::shared_ptr<const host::WindowDefinition> benchWindow() {
    auto result = host::WindowDefinitionParser::parse(R"(
window B "Bench"
  entry 1 use=X
  button 2 "&OK"
end)");
    return std::make_shared<const host::WindowDefinition>(result.windows.at(0));
}

// What a handler does with an event in both loops: a little arithmetic on its fields.
inline long handle(const host::Event& e) {
    return static_cast<long>(e.kind) * 3 + e.control;
}

void PlainLoop(benchmark::State& state) {
    const auto events = state.range(0);
    long sum = 0;
    for (auto _ : state) {
        std::deque<host::Event> queue;
        for (long i = 0; i < events; ++i)
            queue.push_back({host::userEvent(1), 2, 0});
        while (!queue.empty()) {
            sum += handle(queue.front());
            queue.pop_front();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * events);
}
BENCHMARK(PlainLoop)->Arg(10000);

// Every event posted first, then the window's loop takes them one cycle at a time.
void WindowLoop(benchmark::State& state) {
    const auto events = state.range(0);
    host::headless::HeadlessSession session;
    auto definition = benchWindow();
    long sum = 0;
    for (auto _ : state) {
        session.desktop().startThread([&] {
            host::Window window(definition);
            window.open();
            for (long i = 0; i < events; ++i)
                window.post(host::userEvent(1), 2);
            window.post(host::EventKind::CloseWindow);
            while (window.nextEvent()) {
                sum += handle(window.event());
                window.endCycle(host::CycleEnd::DefaultAction);
            }
        });
        session.run();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * events);
}
BENCHMARK(WindowLoop)->Arg(10000);

// One event per wake-up: the scheduler hands the baton to the window's thread, which
// handles the event and parks again (the cost of a user action reaching the program).
void WindowRoundTrip(benchmark::State& state) {
    host::headless::HeadlessSession session;
    auto definition = benchWindow();
    host::Window* window = nullptr;
    long sum = 0;
    session.start([&] {
        host::Window w(definition);
        window = &w;
        w.open();
        while (w.nextEvent()) {
            sum += handle(w.event());
            w.endCycle(host::CycleEnd::DefaultAction);
        }
        window = nullptr;
    });
    for (auto _ : state) {
        window->post(host::userEvent(1), 2);
        session.desktop().scheduler().runUntilIdle();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WindowRoundTrip);

} // namespace
