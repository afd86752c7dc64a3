#include "framework/data/SortOrderList.h"

namespace framework {

SortOrderList::SortOrderList() : maker_([] { return std::make_unique<SortOrder>(); }) {}

SortOrderList::SortOrderList(Maker maker) : maker_(std::move(maker)) {}

SortOrder& SortOrderList::append() {
    entries_.push_back(maker_());
    current_ = entries_.size();
    return *entries_.back();
}

void SortOrderList::select(std::size_t number) {
    if (number >= 1 && number <= entries_.size())
        current_ = number;
}

void SortOrderList::clear() {
    entries_.clear();
    current_ = 0;
}

} // namespace framework
