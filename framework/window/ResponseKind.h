#pragma once

#include <cstdint>

namespace framework {

// How a procedure answers its caller, left in the global response and kept in a window
// controller's RESPONSE.
struct ResponseKind {
    static constexpr std::uint8_t None = 0; // no response yet
    static constexpr std::uint8_t Completed = 1;
    static constexpr std::uint8_t Cancelled = 2;
};

} // namespace framework
