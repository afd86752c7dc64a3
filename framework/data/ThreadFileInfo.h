#pragma once

#include <cstdint>
#include <string>

namespace framework {

// One thread's bookkeeping for a file (the whole program's, for a file that is not
// declared per-thread).
struct ThreadFileInfo {
    std::int32_t ID = 0;
    bool USED = false;        // the file is really open
    std::uint16_t OPENED = 0; // open nesting count
    bool ATEOF = false;       // the last read ran off the end
    bool AUTOINCDONE = false; // a placeholder record from auto-numbering exists
    std::uint8_t LASTERROR = 0;
    // Where the placeholder record is (its position in record order), so that the insert
    // writes over exactly that record and a cancel removes exactly that record, whatever
    // was read in between.
    std::string AUTOINCPOS;
};

} // namespace framework
