#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace host {

// Thrown inside a logical thread that the scheduler is ending (the program halted, or
// the scheduler is being destroyed). It unwinds the thread's procedure so that its
// destructors run; the scheduler catches it. Procedures must let it pass.
struct ThreadCancelled {};

// Cooperative logical threads. Each logical thread is an operating-system thread that
// runs only while it holds the baton; the scheduler, which lives on the program's main
// thread, hands the baton to one logical thread at a time and waits until it is handed
// back. So exactly one logical thread runs at a time, objects shared between logical
// threads need no locks, and while the scheduler runs its own code (the display
// backend, a test) every logical thread is parked.
//
// A logical thread gives the baton back when it waits (`waitUntil`: for an event, a
// message box answer, a dialog) or when its procedure returns. Threads are numbered
// from 1 in the order they are started and numbers are never reused;
// host::currentThread() tells the running thread's number (0 on the scheduler's own
// thread while a scheduler runs threads). Before a logical thread gets the baton, the
// per-thread record buffers are switched to its values (runtime/base/PerThreadBlocks.h).
class Scheduler {
public:
    using Procedure = std::function<void()>;
    using Condition = std::function<bool()>;

    Scheduler();
    // Ends every logical thread still alive (each is cancelled: ThreadCancelled unwinds
    // it) and joins the operating-system threads.
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Starts `procedure` on a new logical thread and returns the thread's number. The
    // thread first runs the next time the scheduler runs threads; the caller goes on at
    // once. The stack size is a hint and may be ignored.
    int start(Procedure procedure, std::size_t stackSizeHint = 0);

    // On a logical thread: parks the thread until `ready` returns true (the scheduler
    // evaluates it on its own thread while every logical thread is parked), letting
    // other threads run meanwhile. Returns true when the condition holds.
    // Outside a logical thread nothing can run meanwhile: it returns `ready()` at once.
    // While the thread is being cancelled it throws ThreadCancelled, or returns false
    // when called during stack unwinding (a wait that starts during unwinding returns
    // `ready()` at once).
    bool waitUntil(Condition ready);
    // On a logical thread: lets every other runnable thread run, then goes on.
    void yield();

    // On the scheduler's thread: runs logical threads until none of them can go on.
    // Returns how many times a thread was given the baton. An exception that escaped a
    // logical thread's procedure (such as the headless ProgramHalted) ends every other
    // thread and is rethrown here.
    std::size_t runUntilIdle();

    // True on a logical thread of this scheduler.
    bool onLogicalThread() const;
    // The scheduler whose logical thread is running on the calling thread; null elsewhere.
    static Scheduler* running();
    // The running logical thread's number; 0 when none runs.
    int current() const;
    bool isAlive(int thread) const;
    // Numbers of the threads that have not ended yet, in start order.
    std::vector<int> aliveThreads() const;
    std::size_t aliveCount() const { return aliveThreads().size(); }

    // Ends every logical thread still alive (see the destructor). A cancelled thread
    // that swallows ThreadCancelled gets it again at its next wait, which first hands the
    // baton back; after a few such resumptions the scheduler gives up on it and leaves it
    // parked for ever (it counts as ended). Threads started meanwhile are ended too.
    //
    // Finished threads are reaped as the scheduler goes: their operating-system threads
    // are joined and host::announceThreadEnded tells the shared objects that keep
    // per-thread entries (runtime/base/ThreadEndSubscription.h).
    void cancelAll();

private:
    struct Thread;
    void resume(Thread& thread);
    void park(Thread& thread);
    static void body(Scheduler* scheduler, Thread* thread);
    void reapFinished();
    bool cancelledWait(Thread& thread, const Condition& ready);

    std::vector<std::unique_ptr<Thread>> threads_;
    int nextNumber_ = 1;
    std::exception_ptr failure_;
    struct Baton;
    std::shared_ptr<Baton> baton_;
};

} // namespace host
