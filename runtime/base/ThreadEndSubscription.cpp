#include "runtime/base/ThreadEndSubscription.h"

#include <map>
#include <vector>

namespace host {

namespace {

// Logical threads run one at a time, so the list needs no lock. It is never destroyed:
// objects with static storage may end their subscriptions at the program's exit.
std::map<int, ThreadEndSubscription::Handler>& handlers() {
    static auto* all = new std::map<int, ThreadEndSubscription::Handler>;
    return *all;
}

int lastId = 0;

} // namespace

void ThreadEndSubscription::subscribe(Handler handler) {
    cancel();
    id_ = ++lastId;
    handlers().emplace(id_, std::move(handler));
}

void ThreadEndSubscription::cancel() {
    if (id_ != 0)
        handlers().erase(id_);
    id_ = 0;
}

void announceThreadEnded(int thread) {
    // A handler may end subscriptions (its own included) or add new ones: each one
    // subscribed now is looked up again before it is called.
    std::vector<int> ids;
    for (const auto& [id, handler] : handlers())
        ids.push_back(id);
    for (int id : ids) {
        auto found = handlers().find(id);
        if (found == handlers().end())
            continue;
        ThreadEndSubscription::Handler handler =
            found->second; // a copy: the handler may cancel itself
        handler(thread);
    }
}

} // namespace host
