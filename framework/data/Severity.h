#pragma once

#include <cstdint>

namespace framework {

// The answer of every framework operation that can fail, and the level of every message
// of the error reporter. Stored as a byte; a message table may hold other values, which
// the reporter treats as program errors.
enum class Severity : std::uint8_t {
    Benign = 0,  // go on
    User = 1,    // a question for the user
    Program = 2, // a program error: the run ends
    Fatal = 3,   // the run ends
    Cancel = 4,  // the user declined: abandon the operation
    Notify = 5,  // reported or handled: go on
};

constexpr std::uint8_t levelOf(Severity severity) {
    return static_cast<std::uint8_t>(severity);
}

} // namespace framework
