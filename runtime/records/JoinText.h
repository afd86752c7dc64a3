#pragma once

#include "runtime/records/TextError.h"

#include <string>
#include <string_view>
#include <vector>

namespace host::records {

// One equality of a join expression: "ITM:ITEMNUMBER = IND:ITEMNUMBER".
struct JoinPair {
    std::string left;
    std::string right;
};

// Reads a join expression: label = label, joined by AND (any letter case).
bool parseJoinText(std::string_view text, std::vector<JoinPair>& pairs, TextError& error);

} // namespace host::records
