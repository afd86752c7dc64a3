#pragma once

#include <functional>

namespace host {

// Shared objects keep per-thread entries keyed by the logical thread's number (open
// counts, usage scopes, key codes, last errors, record slots). A subscription tells its
// owner when a logical thread has ended, so that the owner can drop that thread's
// entries; the scheduler announces the end on its own thread, after the thread's
// procedure has returned or unwound, while every other logical thread is parked.
//
// Ending the subscription (its destructor, or `cancel`) stops the calls. A handler may
// subscribe or cancel other subscriptions while it runs.
class ThreadEndSubscription {
public:
    using Handler = std::function<void(int thread)>;

    ThreadEndSubscription() = default;
    explicit ThreadEndSubscription(Handler handler) { subscribe(std::move(handler)); }
    ~ThreadEndSubscription() { cancel(); }
    ThreadEndSubscription(const ThreadEndSubscription&) = delete;
    ThreadEndSubscription& operator=(const ThreadEndSubscription&) = delete;

    // Replaces any earlier handler of this subscription.
    void subscribe(Handler handler);
    void cancel();
    bool isSubscribed() const { return id_ != 0; }

private:
    int id_ = 0;
};

// Calls every subscribed handler with the number of a logical thread that has ended.
void announceThreadEnded(int thread);

} // namespace host
