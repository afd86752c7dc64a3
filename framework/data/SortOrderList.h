#pragma once

#include "framework/data/SortOrder.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace framework {

// The sort orders of a reader, with the current one. A reader that keeps more per sort
// order gives the list a maker of its own entries.
class SortOrderList {
public:
    using Maker = std::function<std::unique_ptr<SortOrder>()>;

    SortOrderList();
    explicit SortOrderList(Maker maker);

    // Appends a new entry made by the maker and makes it current; returns it.
    SortOrder& append();
    std::size_t count() const { return entries_.size(); }
    // 1-based; 0 when the list is empty.
    std::size_t currentNumber() const { return current_; }
    void select(std::size_t number);
    SortOrder& current() { return *entries_.at(current_ - 1); }
    const SortOrder& current() const { return *entries_.at(current_ - 1); }
    SortOrder& at(std::size_t number) { return *entries_.at(number - 1); }
    void clear();

    auto begin() { return entries_.begin(); }
    auto end() { return entries_.end(); }

private:
    Maker maker_;
    std::vector<std::unique_ptr<SortOrder>> entries_;
    std::size_t current_ = 0;
};

} // namespace framework
