#pragma once

#include <cstdint>

namespace framework {

// The verdict on a record read or validated.
enum class RecordJudgement : std::uint8_t {
    Take = 0,       // take it
    OutOfRange = 1, // stop reading
    Filtered = 2,   // skip it
};

} // namespace framework
