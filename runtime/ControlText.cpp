#include "runtime/ControlText.h"

namespace host {

std::string formatForControl(const Value& value, std::string_view picture) {
    (void)picture;
    return std::string(clipped(value.toText()));
}

std::optional<Value> readFromControl(std::string_view text, std::string_view picture) {
    (void)picture;
    return Value(std::string(text));
}

} // namespace host
