#include "runtime/base/PerThreadBlocks.h"

#include "runtime/base/Record.h"
#include "runtime/base/ThreadEndSubscription.h"

#include <cstring>
#include <map>

namespace host {

namespace {

struct Block {
    std::byte* data = nullptr;
    std::size_t size = 0;
    std::string blank;
    std::map<int, std::string> slots; // by thread, for every thread but the owner
};

struct State {
    std::map<int, Block> blocks;
    int lastId = 0;
    int owner = 1; // the program's first thread
    ThreadEndSubscription ended{[](int thread) { PerThreadBlocks::drop(thread); }};
};

// Never destroyed: record buffers with static storage unregister at the program's exit.
State& state() {
    static auto* s = new State;
    return *s;
}

} // namespace

int PerThreadBlocks::add(std::byte* data, std::size_t size, std::string blank) {
    State& s = state();
    blank.resize(size);
    int id = ++s.lastId;
    s.blocks.emplace(id, Block{data, size, std::move(blank), {}});
    return id;
}

int PerThreadBlocks::add(Record& record) {
    Record blank = record;
    blank.clear();
    return add(record.data(), record.size(), blank.image());
}

void PerThreadBlocks::remove(int id) {
    state().blocks.erase(id);
}

void PerThreadBlocks::enter(int thread) {
    State& s = state();
    if (thread == 0 || thread == s.owner)
        return;
    for (auto& [id, block] : s.blocks) {
        if (s.owner != 0)
            block.slots[s.owner].assign(reinterpret_cast<const char*>(block.data), block.size);
        auto slot = block.slots.find(thread);
        const std::string& bytes = slot != block.slots.end() ? slot->second : block.blank;
        std::memcpy(block.data, bytes.data(), block.size);
        if (slot != block.slots.end())
            block.slots.erase(slot);
    }
    s.owner = thread;
}

int PerThreadBlocks::owner() {
    return state().owner;
}

void PerThreadBlocks::drop(int thread) {
    State& s = state();
    for (auto& [id, block] : s.blocks)
        block.slots.erase(thread);
    if (s.owner == thread)
        s.owner = 0;
}

std::size_t PerThreadBlocks::slotsOf(int thread) {
    std::size_t count = 0;
    for (const auto& [id, block] : state().blocks)
        count += block.slots.count(thread);
    return count;
}

} // namespace host
