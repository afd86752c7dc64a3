#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host::sqlite {

// One item of a view's order text: "-UPPER(CUS:NAME)" is the label CUS:NAME, descending,
// ignoring case.
struct OrderItem {
    std::string label;
    bool ascending = true;
    bool ignoreCase = false;
};

// One equality of a join expression: "ITM:ITEMNUMBER = IND:ITEMNUMBER".
struct JoinPair {
    std::string left;
    std::string right;
};

// Why a text was refused: 1-based position of the fault and the reason.
struct TextError {
    std::size_t position = 0;
    std::string message;
};

// Reads an order text: items separated by commas, each an optional "+" or "-", then a
// label or UPPER(label); blanks anywhere between. An empty text has no items.
bool parseOrderText(std::string_view text, std::vector<OrderItem>& items, TextError& error);
// Reads a join expression: label = label, joined by AND (any letter case).
bool parseJoinText(std::string_view text, std::vector<JoinPair>& pairs, TextError& error);

} // namespace host::sqlite
