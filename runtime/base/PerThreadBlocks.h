#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

class Record;

// Blocks of memory that hold a value of their own on every logical thread: the record
// buffers of per-thread files. The program reaches such a buffer at one fixed address
// (its fields are typed references into it), so each logical thread's value is kept in
// a slot of its own while another thread runs, and the live bytes at the address always
// belong to one thread, the owner.
//
// The scheduler calls `enter` before it hands the baton to a logical thread: the live
// bytes are saved into the owner's slot and the entering thread's slot is loaded (a
// blank block, as registered, the first time). The scheduler's own thread owns no slot:
// while it runs, the live bytes stay those of the thread that ran last. Code on that
// thread that acts for one logical thread's window (user input written into a bound
// variable) calls `enter` with that thread's number first.
//
// Logical threads run one at a time, so none of this needs a lock.
class PerThreadBlocks {
public:
    // Registers `size` bytes at `data`; a thread's first value is `blank` (as many
    // bytes). The live bytes belong to the current owner. Returns the block's id.
    static int add(std::byte* data, std::size_t size, std::string blank);
    // A record buffer, blank (text blank, numbers zero) on each thread's first use.
    static int add(Record& record);
    static void remove(int id);

    // Makes `thread`'s values live (0 does nothing).
    static void enter(int thread);
    // The thread whose values are live; 0 when none (its thread ended).
    static int owner();
    // Drops an ended thread's slots. When it owned the live bytes they stay as they are,
    // owned by none: the next `enter` loads without saving.
    static void drop(int thread);
    // Number of slots kept for a thread (for tests and checks).
    static std::size_t slotsOf(int thread);
};

} // namespace host
