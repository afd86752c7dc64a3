#pragma once

#include <string>
#include <string_view>

// What the SQL drivers share about failing and naming.
namespace host::records {

// Sets the calling thread's error to 90 with the driver's own code and text. Returns
// false, so that a failing operation can end with it.
bool failInDriver(std::string code, std::string text);

// An SQL identifier quoted: "name", with inner quotes doubled.
std::string quoted(std::string_view identifier);

} // namespace host::records
