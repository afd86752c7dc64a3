#pragma once

#include <string>

namespace host {

// The host runtime's last error, kept per logical thread: a code with its text, and,
// for code 90 (an error reported by the record-file driver itself), the driver's own
// code and text.
struct RuntimeError {
    int code = 0;
    std::string text;
    std::string driverCode;
    std::string driverText;
};

namespace errors {
constexpr int fileNotFound = 2;
constexpr int accessDenied = 5;
constexpr int entryNotFound = 30;
constexpr int noRecord = 33;
constexpr int recordNotFound = 35;
constexpr int fileNotOpen = 37;
constexpr int duplicateKey = 40;
constexpr int recordHeld = 43;
constexpr int invalidKeyFile = 46;
constexpr int badFilter = 47;
constexpr int alreadyOpen = 52;
constexpr int notSupported = 80;
constexpr int recordChanged = 89;
constexpr int driverError = 90;
} // namespace errors

// Sets the current thread's error; an empty text takes the host's standard text.
void setError(int code, std::string text = {});
// Sets code 90 with the driver's own code and text.
void setDriverError(std::string driverCode, std::string driverText);
void clearError();
// Sets the current thread's error back to one taken earlier with lastError(), as after a
// clean-up that may have failed too.
void restoreError(RuntimeError error);
const RuntimeError& lastError();
int errorCode();
std::string errorText();
std::string standardErrorText(int code);

} // namespace host
