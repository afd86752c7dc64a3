#pragma once

namespace framework::pairs {

// The walks that every pair list makes over its entries, first to last. An entry is
// anything with typed references LEFT and RIGHT.

template <typename Entries> void leftToRight(const Entries& entries) {
    for (const auto& entry : entries)
        entry.RIGHT.assign(entry.LEFT);
}

template <typename Entries> void rightToLeft(const Entries& entries) {
    for (const auto& entry : entries)
        entry.LEFT.assign(entry.RIGHT);
}

template <typename Entries> void blankLeft(const Entries& entries) {
    for (const auto& entry : entries)
        entry.LEFT.clear();
}

template <typename Entries> void blankRight(const Entries& entries) {
    for (const auto& entry : entries)
        entry.RIGHT.clear();
}

// True when every entry's two sides hold equal values; stops at the first difference.
template <typename Entries> bool sameLeftRight(const Entries& entries) {
    for (const auto& entry : entries)
        if (!entry.LEFT.equals(entry.RIGHT))
            return false;
    return true;
}

} // namespace framework::pairs
