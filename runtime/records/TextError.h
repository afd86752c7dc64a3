#pragma once

#include <cstddef>
#include <string>

namespace host::records {

// Why a text was refused: 1-based position of the fault and the reason.
struct TextError {
    std::size_t position = 0;
    std::string message;
};

} // namespace host::records
