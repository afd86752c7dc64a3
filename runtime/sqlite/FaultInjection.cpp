#include "runtime/sqlite/FaultInjection.h"

#include <atomic>
#include <mutex>

namespace host::sqlite {

namespace {

std::atomic<bool> armed{false};
std::mutex guard;

FaultInjection::Hook& hook() {
    static FaultInjection::Hook h;
    return h;
}

} // namespace

void FaultInjection::set(Hook newHook) {
    std::lock_guard lock(guard);
    hook() = std::move(newHook);
    armed = static_cast<bool>(hook());
}

int FaultInjection::at(std::string_view step) {
    if (!armed.load(std::memory_order_relaxed))
        return 0;
    std::lock_guard lock(guard);
    return hook() ? hook()(step) : 0;
}

} // namespace host::sqlite
