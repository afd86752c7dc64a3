#include "runtime/threads/Scheduler.h"

#include "runtime/base/CurrentThread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace host {

struct Scheduler::Baton {
    std::mutex mutex;
    std::condition_variable returned; // a logical thread handed the baton back
};

struct Scheduler::Thread {
    int number = 0;
    Procedure procedure;
    Condition ready; // empty: runnable
    std::thread os;
    std::condition_variable wake;
    bool started = false;
    bool finished = false;
    bool hasBaton = false;
    bool cancelling = false;
};

namespace {
thread_local Scheduler* runningScheduler = nullptr;
thread_local void* runningThread = nullptr;
} // namespace

Scheduler::Scheduler() : baton_(std::make_unique<Baton>()) {}

Scheduler::~Scheduler() {
    cancelAll();
}

int Scheduler::start(Procedure procedure, std::size_t /*stackSizeHint*/) {
    auto thread = std::make_unique<Thread>();
    thread->number = nextNumber_++;
    thread->procedure = std::move(procedure);
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
            return !t->finished;
    return false;
}

std::vector<int> Scheduler::aliveThreads() const {
    std::vector<int> numbers;
    for (const auto& t : threads_)
        if (!t->finished)
            numbers.push_back(t->number);
    return numbers;
}

void Scheduler::body(Scheduler* scheduler, Thread* thread) {
    runningScheduler = scheduler;
    runningThread = thread;
    {
        std::unique_lock lock(scheduler->baton_->mutex);
        thread->wake.wait(lock, [thread] { return thread->hasBaton; });
    }
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
    std::unique_lock lock(scheduler->baton_->mutex);
    thread->finished = true;
    thread->hasBaton = false;
    scheduler->baton_->returned.notify_all();
}

void Scheduler::resume(Thread& thread) {
    int caller = currentThread();
    std::unique_lock lock(baton_->mutex);
    thread.hasBaton = true;
    thread.ready = nullptr;
    setCurrentThread(thread.number);
    if (!thread.started) {
        thread.started = true;
        thread.os = std::thread(&Scheduler::body, this, &thread);
    } else {
        thread.wake.notify_all();
    }
    baton_->returned.wait(lock, [&thread] { return !thread.hasBaton; });
    setCurrentThread(caller);
}

void Scheduler::park(Thread& thread) {
    std::unique_lock lock(baton_->mutex);
    thread.hasBaton = false;
    baton_->returned.notify_all();
    thread.wake.wait(lock, [&thread] { return thread.hasBaton; });
}

bool Scheduler::waitUntil(Condition ready) {
    if (!onLogicalThread())
        return ready();
    auto& self = *static_cast<Thread*>(runningThread);
    if (self.cancelling) {
        if (std::uncaught_exceptions() > 0)
            return ready();
        throw ThreadCancelled{};
    }
    if (ready())
        return true;
    self.ready = std::move(ready);
    park(self);
    if (self.cancelling) {
        if (std::uncaught_exceptions() > 0)
            return false;
        throw ThreadCancelled{};
    }
    return true;
}

void Scheduler::yield() {
    if (!onLogicalThread())
        return;
    auto& self = *static_cast<Thread*>(runningThread);
    if (self.cancelling) {
        if (std::uncaught_exceptions() > 0)
            return;
        throw ThreadCancelled{};
    }
    // Runnable at once; the round robin lets the threads after this one run first.
    self.ready = [] { return true; };
    park(self);
    if (self.cancelling && std::uncaught_exceptions() == 0)
        throw ThreadCancelled{};
}

void Scheduler::reapFinished() {
    for (auto& t : threads_)
        if (t->finished && t->os.joinable())
            t->os.join();
}

std::size_t Scheduler::runUntilIdle() {
    if (onLogicalThread())
        return 0; // only the scheduler's own thread hands out the baton
    std::size_t switches = 0;
    bool progressed = true;
    while (progressed) {
        progressed = false;
        for (std::size_t i = 0; i < threads_.size(); ++i) {
            Thread& t = *threads_[i];
            if (t.finished)
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
    for (auto& t : threads_) {
        if (t->finished)
            continue;
        t->cancelling = true;
        resume(*t);
    }
    reapFinished();
    failure_ = nullptr;
}

} // namespace host
