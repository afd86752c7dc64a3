#pragma once

#include "runtime/records/SqlValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::records {

// A position as the program keeps it: a text holding the values that place a record in
// an order (its order values, ending with its row id). Each value is written as
//   n                null
//   i<digits>;       integer
//   r<hex digits>;   real, exactly (hexadecimal mantissa and binary exponent)
//   t<length>:<text> text of that many bytes
// after a tag naming what the position belongs to ("K2" for key 2 of a file, "V" for a
// view). Trailing blanks are ignored, so a position kept in a blank-padded text field
// reads back the same.
namespace positionText {

std::string encode(std::string_view tag, const std::vector<SqlValue>& values);
// The values of a position with this tag; nothing when the text is not one.
std::optional<std::vector<SqlValue>> decode(std::string_view tag, std::string_view text);
// The tag of a position ("K2"), up to its first value.
std::string tagOf(std::string_view text);

} // namespace positionText

} // namespace host::records
