#pragma once

#include "framework/data/BufferedPairList.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace framework {

// One sort order of a ViewReader: the key of the primary file it follows, its order
// text, its range limit and its filters. Readers that need more per sort order (the
// browse list's locator, watched fields and thumb step) derive from it.
struct SortOrder {
    // A named filter; the list is kept in descending order of ID.
    struct Filter {
        std::string ID; // at most 30 characters
        std::string FILTER;
    };

    SortOrder() = default;
    SortOrder(const SortOrder&) = delete;
    SortOrder& operator=(const SortOrder&) = delete;
    virtual ~SortOrder() = default;

    std::unique_ptr<std::vector<Filter>> FILTER; // created on first use
    host::TypedRef FREEELEMENT;                  // the first key component the range leaves free
    std::uint8_t LIMITTYPE = 0;                  // 0 no range limit, 4 a related file's record
    int MAINKEY = 0;                             // the primary file's key number, 0 none
    std::string ORDER;
    // left: the primary file's limited field; right: the variable holding the limit;
    // buffer: the value the filter was built with.
    BufferedPairList RANGELIST;
};

} // namespace framework
