#pragma once

#include <cstdint>
#include <string>

namespace host {
class RecordFile;
}

namespace framework {

// How one procedure on one thread uses one file. Scopes of a thread and file stack up by
// level as nested procedures take the file over; HOLD keeps the state the file was in
// when a nested procedure first used it, to be put back when that procedure lets go.
struct UsageScope {
    std::int32_t THREAD = 0;
    std::string PROC;
    host::RecordFile* ID = nullptr;
    std::uint8_t USTAT = 0; // 2 reads and positions; 3 changes the current record
    std::uint16_t HOLD = 0; // a saved file state, 0 none
    std::uint16_t SCOPELEVEL = 0;
    std::uint16_t NESTEDOPEN = 0;
};

} // namespace framework
