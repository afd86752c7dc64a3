#pragma once

#include <cstdint>
#include <string>

namespace framework {

// A saved copy of a record (or of one memo field of it), kept by its FileAccess.
struct RecordImage {
    std::int32_t ID = 0;
    std::string BUFFER;
};

} // namespace framework
