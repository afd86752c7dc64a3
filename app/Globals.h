#pragma once

#include <cstdint>

namespace framework {
class ErrorReporter;
class FileRegistry;
class IniStore;
} // namespace framework

namespace app {

// What procedures hand each other: a caller stores the request (a RequestKind) in
// GlobalRequest before running a procedure and reads its outcome (a ResponseKind) from
// GlobalResponse afterwards; a form and the list that called it share a pending
// row-navigation request in GlobalVcrRequest. All 0 at start.
extern std::uint8_t GlobalRequest;
extern std::uint8_t GlobalResponse;
extern std::int32_t GlobalVcrRequest;

// The objects every thread shares, set up at start-up before Main runs and torn down
// after it has returned.
framework::ErrorReporter& GlobalErrors();
framework::IniStore& GlobalIniStore();
framework::FileRegistry& GlobalFileRegistry();

} // namespace app
