#include "runtime/threads/Scheduler.h"

#include "runtime/base/CurrentThread.h"
#include "runtime/base/PerThreadBlocks.h"
#include "runtime/base/ThreadEndSubscription.h"
#include "runtime/base/ThreadNumberScope.h"
#include "runtime/threads/Handoff.h"

#include <thread>

namespace host {

struct Scheduler::Baton {
    Handoff returned; // a logical thread handed the baton back
};

struct Scheduler::Thread {
    int number = 0;
    Procedure procedure;
    Condition ready; // empty: runnable
    std::thread os;
    Handoff wake; // the scheduler handed it the baton
    // Shared with the scheduler, so that the way back stays valid as long as any thread
    // can still give the baton back.
    std::shared_ptr<Baton> baton;
    // Written only by whoever holds the baton; the handoffs order them.
    bool started = false;
    bool finished = false;
    bool cancelling = false;
    bool cancelThrown = false; // ThreadCancelled was thrown in it
    bool abandoned = false;    // cancelled, but it would not end
};

namespace {

thread_local Scheduler* runningScheduler = nullptr;
thread_local void* runningThread = nullptr;

// How often a cancelled thread is given the baton again before the scheduler gives up on
// it: a procedure that swallows ThreadCancelled and waits again gets it again at each
// of these resumptions.
constexpr int cancelResumptions = 4;

} // namespace

bool onLogicalThread() {
    return runningThread != nullptr;
}

Scheduler::Scheduler() : baton_(std::make_shared<Baton>()) {}

Scheduler::~Scheduler() {
    cancelAll();
}

int Scheduler::start(Procedure procedure, std::size_t /*stackSizeHint*/) {
    auto thread = std::make_unique<Thread>();
    thread->number = nextNumber_++;
    thread->procedure = std::move(procedure);
    thread->baton = baton_;
    int number = thread->number;
    threads_.push_back(std::move(thread));
    return number;
}

bool Scheduler::onLogicalThread() const {
    return runningScheduler == this && runningThread != nullptr;
}

Scheduler* Scheduler::running() {
    return runningThread ? runningScheduler : nullptr;
}

int Scheduler::current() const {
    if (!onLogicalThread())
        return 0;
    return static_cast<Thread*>(runningThread)->number;
}

bool Scheduler::isAlive(int number) const {
    for (const auto& t : threads_)
        if (t->number == number)
            return !t->finished && !t->abandoned;
    return false;
}

std::vector<int> Scheduler::aliveThreads() const {
    std::vector<int> numbers;
    for (const auto& t : threads_)
        if (!t->finished && !t->abandoned)
            numbers.push_back(t->number);
    return numbers;
}

void Scheduler::body(Scheduler* scheduler, Thread* thread) {
    // Started by the scheduler as it hands it the baton: it runs at once.
    runningScheduler = scheduler;
    runningThread = thread;
    if (!thread->cancelling) {
        try {
            thread->procedure();
        } catch (const ThreadCancelled&) {
        } catch (...) {
            if (!scheduler->failure_)
                scheduler->failure_ = std::current_exception();
        }
    }
    thread->procedure = nullptr; // destroys captured state while still holding the baton
    thread->finished = true;
    // The scheduler joins this thread before the Thread goes, so the baton stays valid
    // through the give.
    thread->baton->returned.give();
}

void Scheduler::resume(Thread& thread) {
    int caller = currentThread();
    PerThreadBlocks::enter(thread.number);
    thread.ready = nullptr;
    setCurrentThread(thread.number);
    if (!thread.started) {
        thread.started = true;
        thread.os = std::thread(&Scheduler::body, this, &thread);
    } else {
        thread.wake.give();
    }
    baton_->returned.take();
    setCurrentThread(caller);
}

void Scheduler::park(Thread& thread) {
    thread.baton->returned.give();
    thread.wake.take();
}

bool Scheduler::cancelledWait(Thread& self, const Condition& ready) {
    // Waits in destructors that run while the thread unwinds go on at once.
    if (std::uncaught_exceptions() > 0)
        return ready();
    // A procedure that swallowed the cancellation and waits again: the baton goes back to
    // the scheduler first, which decides whether to try once more or to give up.
    if (self.cancelThrown)
        park(self);
    self.cancelThrown = true;
    throw ThreadCancelled{};
}

bool Scheduler::waitUntil(Condition ready) {
    if (!onLogicalThread())
        return ready();
    auto& self = *static_cast<Thread*>(runningThread);
    if (self.cancelling)
        return cancelledWait(self, ready);
    if (ready())
        return true;
    self.ready = std::move(ready);
    park(self);
    if (self.cancelling) {
        if (std::uncaught_exceptions() > 0)
            return false;
        self.cancelThrown = true;
        throw ThreadCancelled{};
    }
    return true;
}

void Scheduler::yield() {
    if (!onLogicalThread())
        return;
    auto& self = *static_cast<Thread*>(runningThread);
    if (self.cancelling) {
        cancelledWait(self, [] { return true; });
        return;
    }
    // Runnable at once; the round robin lets the threads after this one run first.
    self.ready = [] { return true; };
    park(self);
    if (self.cancelling && std::uncaught_exceptions() == 0) {
        self.cancelThrown = true;
        throw ThreadCancelled{};
    }
}

void Scheduler::reapFinished() {
    std::vector<int> ended;
    for (auto it = threads_.begin(); it != threads_.end();) {
        Thread& t = **it;
        if (t.finished) {
            if (t.os.joinable())
                t.os.join();
        } else if (t.abandoned) {
            // Parked for ever: its operating-system thread and its state are left alone.
            if (t.os.joinable())
                t.os.detach();
            static_cast<void>(it->release());
        } else {
            ++it;
            continue;
        }
        ended.push_back(t.number);
        it = threads_.erase(it);
    }
    for (int number : ended)
        announceThreadEnded(number);
}

std::size_t Scheduler::runUntilIdle() {
    if (onLogicalThread())
        return 0; // only the scheduler's own thread hands out the baton
    ThreadNumberScope schedulersOwnThread(0);
    std::size_t switches = 0;
    bool progressed = true;
    while (progressed) {
        progressed = false;
        // By index: a thread may start new threads, which grows the list.
        for (std::size_t i = 0; i < threads_.size(); ++i) {
            Thread& t = *threads_[i];
            if (t.finished || t.abandoned)
                continue;
            bool runnable = !t.started || !t.ready || t.ready();
            if (!runnable)
                continue;
            resume(t);
            ++switches;
            progressed = true;
            if (failure_) {
                auto failure = failure_;
                failure_ = nullptr;
                reapFinished();
                cancelAll();
                std::rethrow_exception(failure);
            }
        }
        reapFinished();
    }
    return switches;
}

void Scheduler::cancelAll() {
    if (onLogicalThread())
        return;
    ThreadNumberScope schedulersOwnThread(0);
    // By index: threads may start new ones while they unwind, which grows the list; those
    // are cancelled in turn (they end without running).
    for (std::size_t i = 0; i < threads_.size(); ++i) {
        Thread& t = *threads_[i];
        if (t.finished || t.abandoned)
            continue;
        t.cancelling = true;
        for (int n = 0; n < cancelResumptions && !t.finished; ++n)
            resume(t);
        if (!t.finished)
            t.abandoned = true;
    }
    reapFinished();
    failure_ = nullptr;
}

} // namespace host
