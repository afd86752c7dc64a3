#include "runtime/base/RuntimeErrors.h"

#include "runtime/base/CurrentThread.h"
#include "runtime/base/ThreadEndSubscription.h"

#include <unordered_map>

namespace host {

namespace {

int runningThread = 1;

// Logical threads run one at a time, so the per-thread table needs no lock. An ended
// thread's error goes with it.
std::unordered_map<int, RuntimeError>& table() {
    static std::unordered_map<int, RuntimeError> errors;
    static ThreadEndSubscription ended([](int thread) { errors.erase(thread); });
    return errors;
}

} // namespace

int currentThread() {
    return runningThread;
}
void setCurrentThread(int number) {
    runningThread = number;
}

std::string standardErrorText(int code) {
    switch (code) {
    case 0:
        return "No Error";
    case errors::fileNotFound:
        return "File Not Found";
    case errors::accessDenied:
        return "Access Denied";
    case errors::entryNotFound:
        return "Entry Not Found";
    case errors::noRecord:
        return "Record Not Available";
    case errors::recordNotFound:
        return "Record Not Found";
    case errors::fileNotOpen:
        return "File Not Open";
    case errors::duplicateKey:
        return "Creates Duplicate Key";
    case errors::recordHeld:
        return "Record Is Already Held";
    case errors::invalidKeyFile:
        return "Key File Must Be Rebuilt";
    case errors::badFilter:
        return "Invalid Filter Expression";
    case errors::alreadyOpen:
        return "File Already Open";
    case errors::notSupported:
        return "Function Not Supported";
    case errors::recordChanged:
        return "Record Changed By Another Station";
    case errors::driverError:
        return "File System Error";
    default:
        return "Error " + std::to_string(code);
    }
}

void setError(int code, std::string text) {
    RuntimeError& e = table()[currentThread()];
    e.code = code;
    e.text = text.empty() ? standardErrorText(code) : std::move(text);
    e.driverCode.clear();
    e.driverText.clear();
}

void setDriverError(std::string driverCode, std::string driverText) {
    RuntimeError& e = table()[currentThread()];
    e.code = errors::driverError;
    e.text = standardErrorText(errors::driverError);
    e.driverCode = std::move(driverCode);
    e.driverText = std::move(driverText);
}

void restoreError(RuntimeError error) {
    table()[currentThread()] = std::move(error);
}

void clearError() {
    auto it = table().find(currentThread());
    if (it != table().end())
        it->second = RuntimeError{};
}

const RuntimeError& lastError() {
    return table()[currentThread()];
}
int errorCode() {
    return lastError().code;
}
std::string errorText() {
    return lastError().text;
}

} // namespace host
