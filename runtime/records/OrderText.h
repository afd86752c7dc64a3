#pragma once

#include "runtime/records/TextError.h"

#include <string>
#include <string_view>
#include <vector>

namespace host::records {

// One item of a view's order text: "-UPPER(CUS:NAME)" is the label CUS:NAME, descending,
// ignoring case.
struct OrderItem {
    std::string label;
    bool ascending = true;
    bool ignoreCase = false;
};

// Reads an order text: items separated by commas, each an optional "+" or "-", then a
// label or UPPER(label); blanks anywhere between. An empty text has no items.
bool parseOrderText(std::string_view text, std::vector<OrderItem>& items, TextError& error);

} // namespace host::records
