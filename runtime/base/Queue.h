#pragma once

#include "runtime/base/Record.h"

#include <cstddef>
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
class Queue {
public:
    explicit Queue(SharedLayout layout);

    Record& buffer() { return buffer_; }
    const Record& buffer() const { return buffer_; }
    const SharedLayout& layout() const { return buffer_.layout(); }

    std::size_t count() const { return rows_; }
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

    // Direct read access to an entry's bytes and fields, without touching the buffer.
    const std::byte* entry(std::size_t position) const;
    TypedRef entryField(std::size_t position, int field) const;

private:
    int compare(const std::byte* a, const std::byte* b, const std::vector<QueueKey>& keys) const;
    std::byte* at(std::size_t position) { return storage_.data() + (position - 1) * rowSize_; }

    Record buffer_;
    std::size_t rowSize_ = 0;
    std::size_t rows_ = 0;
    std::size_t position_ = 0;
    std::vector<std::byte> storage_;
};

} // namespace host
