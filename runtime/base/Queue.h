#pragma once

#include "runtime/base/Record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace host {

// One sort or search key component of a queue: a 1-based field number and direction.
struct QueueKey {
    int field = 1;
    bool descending = false;
};

// An in-memory table with a fixed record layout. Like the host's queues it has a
// buffer record: `add` copies the buffer into a new entry, `get` copies an entry into
// the buffer, `put` writes the buffer back over the current entry. Positions are 1-based.
// A failed get sets the host error code 30 ("entry not found").
//
// Entries are kept packed: a row's runs of one repeated byte (the blank tails of its text
// fields, the zeros after a zero-terminated text) are stored as a count and the byte. A
// browse row of a few short texts beside its 1,024-character view position takes about a
// tenth of its width, so a list holding a whole file of 100,000 rows stays small.
class Queue {
public:
    explicit Queue(SharedLayout layout);

    Record& buffer() { return buffer_; }
    const Record& buffer() const { return buffer_; }
    const SharedLayout& layout() const { return buffer_.layout(); }

    std::size_t count() const { return entries_.size(); }
    // The position of the entry last read, added or written; 0 when none.
    std::size_t position() const { return position_; }

    void add();                                  // at the end
    void add(std::size_t position);              // before `position` (beyond the end: at the end)
    void add(const std::vector<QueueKey>& keys); // in key order, after equal entries
    bool get(std::size_t position);
    // The first entry whose key fields equal the buffer's.
    bool get(const std::vector<QueueKey>& keys);
    bool put();
    bool remove();                                // deletes the current entry
    void free();                                  // deletes every entry
    void sort(const std::vector<QueueKey>& keys); // stable

    // Read access to an entry's bytes and fields without touching the buffer. The entry is
    // unpacked into one of two row copies the queue keeps, so the pointer or reference
    // stays good until two other entries have been read this way or the queue changes.
    const std::byte* entry(std::size_t position) const;
    TypedRef entryField(std::size_t position, int field) const;

    // The bytes the packed entries take (for memory reports and tests).
    std::size_t storedBytes() const { return stored_ - garbage_; }

private:
    struct Packed {
        std::uint32_t block = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    // Packed rows live in blocks that are never moved or grown, so a list filling with a
    // whole file never copies the rows it already holds.
    struct Block {
        std::unique_ptr<std::byte[]> bytes;
        std::uint32_t size = 0;
        std::uint32_t used = 0;
    };

    int compare(const std::byte* a, const std::byte* b, const std::vector<QueueKey>& keys) const;
    Packed pack(const std::byte* row);
    Packed store(const std::vector<std::byte>& packed);
    void unpack(const Packed& packed, std::byte* row) const;
    void forgetUnpacked() const;
    void dropGarbage();

    Record buffer_;
    std::size_t rowSize_ = 0;
    std::size_t position_ = 0;
    std::vector<Packed> entries_;
    std::vector<Block> blocks_;
    std::vector<std::byte> packing_; // the row being packed
    std::size_t stored_ = 0;         // bytes used in the blocks
    std::size_t garbage_ = 0;        // of which no entry uses any more

    // The two most recently unpacked entries, for entry() and entryField().
    struct Unpacked {
        std::size_t position = 0;
        std::vector<std::byte> bytes;
    };
    mutable std::array<Unpacked, 2> unpacked_;
    mutable std::size_t nextUnpacked_ = 0;
};

} // namespace host
