#pragma once

#include <string_view>

namespace framework {

// The error reporter's built-in message table, packed as every message table is: an
// unsigned 16-bit entry count (little-endian), then per entry the id (unsigned 16-bit,
// little-endian), the level (one byte), the title and the message (each one length byte,
// then that many bytes of text). The bytes live in the program's read-only data for the
// whole run, so entries may refer into them.
std::string_view builtInMessageTable();

} // namespace framework
