#pragma once

#include <cstdint>

namespace framework {

// What a caller asks of a procedure, passed in the global request and kept in a window
// controller's REQUEST.
struct RequestKind {
    static constexpr std::uint8_t None = 0;
    static constexpr std::uint8_t Insert = 1;
    static constexpr std::uint8_t Change = 2;
    static constexpr std::uint8_t Delete = 3;
    static constexpr std::uint8_t Select = 4;
    static constexpr std::uint8_t Print = 5; // a browse asks its print procedure
};

} // namespace framework
