#include "runtime/base/Queue.h"

#include "runtime/base/RuntimeErrors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace host {

namespace {

constexpr int entryNotFound = 30;

// Runs of one byte shorter than this stay in the row's literal bytes: a count and a byte
// would save little, and every run ended costs a count for the literal after it.
constexpr std::size_t shortestRun = 8;

// How many bytes from `p` (at most `n`) equal p[0], eight at a time.
std::size_t runLength(const std::byte* p, std::size_t n) {
    std::size_t i = 1;
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t pattern = 0x0101010101010101ull * std::to_integer<std::uint8_t>(p[0]);
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (std::uint64_t differs = word ^ pattern)
                return i + static_cast<std::size_t>(std::countr_zero(differs) / 8);
            i += 8;
        }
    }
    while (i < n && p[i] == p[0])
        ++i;
    return i;
}

void appendCount(std::vector<std::byte>& out, std::size_t count) {
    do {
        auto low = static_cast<std::uint8_t>(count & 0x7F);
        count >>= 7;
        out.push_back(std::byte{static_cast<std::uint8_t>(count ? low | 0x80 : low)});
    } while (count);
}

std::size_t readCount(const std::byte*& p) {
    std::size_t count = 0;
    for (int shift = 0;; shift += 7) {
        auto b = std::to_integer<std::uint8_t>(*p++);
        count |= std::size_t{b & 0x7Fu} << shift;
        if (!(b & 0x80))
            return count;
    }
}

} // namespace

Queue::Queue(SharedLayout layout) : buffer_(std::move(layout)), rowSize_(buffer_.size()) {}

// A packed row is a series of pieces: a count of literal bytes and the bytes, then a count
// of repeated bytes and (when that count is not 0) the byte repeated.
Queue::Packed Queue::pack(const std::byte* row) {
    std::vector<std::byte>& out = packing_;
    out.clear();
    std::size_t literalStart = 0;
    std::size_t i = 0;
    auto piece = [&](std::size_t literalEnd, std::size_t run) {
        appendCount(out, literalEnd - literalStart);
        out.insert(out.end(), row + literalStart, row + literalEnd);
        appendCount(out, run);
        if (run)
            out.push_back(row[literalEnd]);
    };
    // No run long enough to count starts in the last bytes: they stay literal.
    while (i + shortestRun <= rowSize_) {
        // Most bytes of a row's text start no run: one that counts needs the byte
        // `shortestRun` - 1 further on to be the same.
        if (row[i + shortestRun - 1] != row[i]) {
            ++i;
            continue;
        }
        std::size_t run = runLength(row + i, rowSize_ - i);
        if (run >= shortestRun) {
            piece(i, run);
            i += run;
            literalStart = i;
        } else {
            i += run;
        }
    }
    if (literalStart < rowSize_ || rowSize_ == 0)
        piece(rowSize_, 0);
    return store(out);
}

Queue::Packed Queue::store(const std::vector<std::byte>& packed) {
    constexpr std::size_t blockSize = std::size_t{1} << 20;
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < packed.size()) {
        std::size_t size = std::max(blockSize, packed.size());
        blocks_.push_back(Block{std::make_unique_for_overwrite<std::byte[]>(size),
                                static_cast<std::uint32_t>(size), 0});
    }
    Block& block = blocks_.back();
    Packed where{static_cast<std::uint32_t>(blocks_.size() - 1), block.used,
                 static_cast<std::uint32_t>(packed.size())};
    std::memcpy(block.bytes.get() + block.used, packed.data(), packed.size());
    block.used += where.length;
    stored_ += where.length;
    return where;
}

void Queue::unpack(const Packed& packed, std::byte* row) const {
    const std::byte* p = blocks_[packed.block].bytes.get() + packed.offset;
    const std::byte* end = p + packed.length;
    while (p < end) {
        std::size_t literal = readCount(p);
        std::memcpy(row, p, literal);
        p += literal;
        row += literal;
        if (std::size_t run = readCount(p)) {
            std::memset(row, std::to_integer<int>(*p++), run);
            row += run;
        }
    }
}

void Queue::forgetUnpacked() const {
    for (Unpacked& u : unpacked_)
        u.position = 0;
}

// Rows written over or removed leave their old bytes behind; once those are most of the
// blocks, the live rows are copied into fresh ones.
void Queue::dropGarbage() {
    if (garbage_ < 65536 || garbage_ < stored_ / 2)
        return;
    std::vector<Block> old;
    old.swap(blocks_);
    stored_ = 0;
    garbage_ = 0;
    for (Packed& packed : entries_) {
        const std::byte* bytes = old[packed.block].bytes.get() + packed.offset;
        packing_.assign(bytes, bytes + packed.length);
        packed = store(packing_);
    }
}

void Queue::add() {
    add(count() + 1);
}

void Queue::add(std::size_t position) {
    if (position < 1 || position > count())
        position = count() + 1;
    forgetUnpacked();
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(position - 1),
                    pack(buffer_.data()));
    position_ = position;
    clearError();
}

void Queue::add(const std::vector<QueueKey>& keys) {
    // Binary search for the first entry that sorts after the buffer.
    std::vector<std::byte> row(rowSize_);
    std::size_t low = 0, high = count();
    while (low < high) {
        std::size_t mid = (low + high) / 2;
        unpack(entries_[mid], row.data());
        if (compare(row.data(), buffer_.data(), keys) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    add(low + 1);
}

bool Queue::get(std::size_t position) {
    if (position < 1 || position > count()) {
        setError(entryNotFound);
        return false;
    }
    unpack(entries_[position - 1], buffer_.data());
    position_ = position;
    clearError();
    return true;
}

bool Queue::get(const std::vector<QueueKey>& keys) {
    std::vector<std::byte> row(rowSize_);
    for (std::size_t p = 1; p <= count(); ++p) {
        unpack(entries_[p - 1], row.data());
        if (compare(row.data(), buffer_.data(), keys) == 0)
            return get(p);
    }
    setError(entryNotFound);
    return false;
}

bool Queue::put() {
    if (position_ < 1 || position_ > count()) {
        setError(entryNotFound);
        return false;
    }
    forgetUnpacked();
    Packed& old = entries_[position_ - 1];
    garbage_ += old.length;
    old = pack(buffer_.data());
    dropGarbage();
    clearError();
    return true;
}

bool Queue::remove() {
    if (position_ < 1 || position_ > count()) {
        setError(entryNotFound);
        return false;
    }
    forgetUnpacked();
    garbage_ += entries_[position_ - 1].length;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position_ - 1));
    if (position_ > count())
        position_ = count();
    dropGarbage();
    clearError();
    return true;
}

void Queue::free() {
    forgetUnpacked();
    entries_.clear();
    // The first block stays for the rows that come next, so that a list filled again page
    // by page does not take and give back a block at every page.
    if (!blocks_.empty()) {
        blocks_.resize(1);
        blocks_.front().used = 0;
    }
    stored_ = 0;
    garbage_ = 0;
    position_ = 0;
}

void Queue::sort(const std::vector<QueueKey>& keys) {
    std::vector<std::byte> a(rowSize_), b(rowSize_);
    forgetUnpacked();
    std::stable_sort(entries_.begin(), entries_.end(), [&](const Packed& x, const Packed& y) {
        unpack(x, a.data());
        unpack(y, b.data());
        return compare(a.data(), b.data(), keys) < 0;
    });
}

const std::byte* Queue::entry(std::size_t position) const {
    for (Unpacked& u : unpacked_)
        if (u.position == position)
            return u.bytes.data();
    Unpacked& u = unpacked_[nextUnpacked_];
    nextUnpacked_ = (nextUnpacked_ + 1) % unpacked_.size();
    u.bytes.resize(rowSize_);
    unpack(entries_[position - 1], u.bytes.data());
    u.position = position;
    return u.bytes.data();
}

TypedRef Queue::entryField(std::size_t position, int field) const {
    if (position < 1 || position > count() || field < 1 || field > layout()->fieldCount())
        return {};
    const FieldInfo& info = layout()->field(field);
    return TypedRef(const_cast<std::byte*>(entry(position)) + info.offset, info.type);
}

int Queue::compare(const std::byte* a, const std::byte* b,
                   const std::vector<QueueKey>& keys) const {
    for (const QueueKey& key : keys) {
        if (key.field < 1 || key.field > layout()->fieldCount())
            continue;
        const FieldInfo& info = layout()->field(key.field);
        Value x = TypedRef(const_cast<std::byte*>(a) + info.offset, info.type).value();
        Value y = TypedRef(const_cast<std::byte*>(b) + info.offset, info.type).value();
        auto order = x <=> y;
        if (order != 0) {
            int c = order < 0 ? -1 : 1;
            return key.descending ? -c : c;
        }
    }
    return 0;
}

} // namespace host
