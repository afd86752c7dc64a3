#include "runtime/records/DriverSupport.h"

#include "runtime/base/RuntimeErrors.h"

namespace host::records {

bool failInDriver(std::string code, std::string text) {
    setDriverError(std::move(code), std::move(text));
    return false;
}

std::string quoted(std::string_view identifier) {
    std::string out = "\"";
    for (char c : identifier) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace host::records
