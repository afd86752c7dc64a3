#pragma once

#include "runtime/base/CurrentThread.h"

namespace host {

// Sets the current thread's number for a scope and puts the previous number back at its
// end, however the scope ends. The scheduler and the desktop run as thread 0 this way.
class ThreadNumberScope {
public:
    explicit ThreadNumberScope(int number) : previous_(currentThread()) {
        setCurrentThread(number);
    }
    ~ThreadNumberScope() { setCurrentThread(previous_); }
    ThreadNumberScope(const ThreadNumberScope&) = delete;
    ThreadNumberScope& operator=(const ThreadNumberScope&) = delete;

private:
    int previous_;
};

} // namespace host
