#pragma once

#include "framework/data/FieldPairList.h"
#include "framework/data/SortOrder.h"

#include <memory>

namespace framework {

class RowLocator;
class ThumbStep;

// A sort order of a browse list: the view reader's order, and the locator, the watched
// fields (each with the value it had at the last load) and the thumb steps it has.
struct BrowseSortOrder : SortOrder {
    RowLocator* LOCATOR = nullptr;
    std::unique_ptr<FieldPairList> RESETS;
    ThumbStep* THUMB = nullptr;
};

} // namespace framework
