#pragma once

#include <cstddef>
#include <string>

namespace host {

// Why a text in one of the runtime's little languages (list formats, key names) could
// not be read: the 0-based character position where reading stopped, and a message.
struct ParseError {
    std::size_t position = 0;
    std::string message;
};

} // namespace host
