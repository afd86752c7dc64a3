#include "runtime/base/Queue.h"

#include "runtime/base/RuntimeErrors.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace host {

namespace {
constexpr int entryNotFound = 30;
}

Queue::Queue(SharedLayout layout) : buffer_(std::move(layout)), rowSize_(buffer_.size()) {}

void Queue::add() {
    add(rows_ + 1);
}

void Queue::add(std::size_t position) {
    if (position < 1 || position > rows_)
        position = rows_ + 1;
    storage_.insert(storage_.begin() + static_cast<std::ptrdiff_t>((position - 1) * rowSize_),
                    buffer_.data(), buffer_.data() + rowSize_);
    ++rows_;
    position_ = position;
    clearError();
}

void Queue::add(const std::vector<QueueKey>& keys) {
    // Binary search for the first entry that sorts after the buffer.
    std::size_t low = 0, high = rows_;
    while (low < high) {
        std::size_t mid = (low + high) / 2;
        if (compare(entry(mid + 1), buffer_.data(), keys) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    add(low + 1);
}

bool Queue::get(std::size_t position) {
    if (position < 1 || position > rows_) {
        setError(entryNotFound);
        return false;
    }
    std::memcpy(buffer_.data(), entry(position), rowSize_);
    position_ = position;
    clearError();
    return true;
}

bool Queue::get(const std::vector<QueueKey>& keys) {
    for (std::size_t p = 1; p <= rows_; ++p)
        if (compare(entry(p), buffer_.data(), keys) == 0)
            return get(p);
    setError(entryNotFound);
    return false;
}

bool Queue::put() {
    if (position_ < 1 || position_ > rows_) {
        setError(entryNotFound);
        return false;
    }
    std::memcpy(at(position_), buffer_.data(), rowSize_);
    clearError();
    return true;
}

bool Queue::remove() {
    if (position_ < 1 || position_ > rows_) {
        setError(entryNotFound);
        return false;
    }
    auto begin = storage_.begin() + static_cast<std::ptrdiff_t>((position_ - 1) * rowSize_);
    storage_.erase(begin, begin + static_cast<std::ptrdiff_t>(rowSize_));
    --rows_;
    if (position_ > rows_)
        position_ = rows_;
    clearError();
    return true;
}

void Queue::free() {
    storage_.clear();
    rows_ = 0;
    position_ = 0;
}

void Queue::sort(const std::vector<QueueKey>& keys) {
    std::vector<std::size_t> order(rows_);
    std::iota(order.begin(), order.end(), std::size_t{1});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return compare(entry(a), entry(b), keys) < 0;
    });
    std::vector<std::byte> sorted(storage_.size());
    for (std::size_t i = 0; i < rows_; ++i)
        std::memcpy(sorted.data() + i * rowSize_, entry(order[i]), rowSize_);
    storage_.swap(sorted);
}

const std::byte* Queue::entry(std::size_t position) const {
    return storage_.data() + (position - 1) * rowSize_;
}

TypedRef Queue::entryField(std::size_t position, int field) const {
    if (position < 1 || position > rows_ || field < 1 || field > layout()->fieldCount())
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
