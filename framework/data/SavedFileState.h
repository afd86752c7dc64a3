#pragma once

#include <cstdint>
#include <string>

namespace framework {

// A file's state saved to come back to: the record image, the position in the order the
// file was read in, whether the record was held or watched, and the placeholder mark.
struct SavedFileState {
    std::uint16_t BUFFER = 0; // id of the record image
    std::uint16_t ID = 0;
    bool WHELD = false;
    bool WWATCH = false;
    bool AUTOINCDONE = false;
    std::string AUTOINCPOS; // where that placeholder is
    std::string POS;        // the record's position (at most 512 characters)
    std::string RECORD;     // which record it was (its position in record order)
    std::uint8_t KEY = 0;   // the key the position belongs to, 0 for record order
};

} // namespace framework
