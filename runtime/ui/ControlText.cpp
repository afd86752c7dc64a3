#include "runtime/ui/ControlText.h"

#include "runtime/pictures/Picture.h"

namespace host {

namespace {
std::string trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(clipped(text.substr(first)));
}
} // namespace

std::string formatForControl(const Value& value, std::string_view picture) {
    if (picture.empty())
        return std::string(clipped(value.toText()));
    return trimmed(formatPicture(value, picture));
}

std::optional<Value> readFromControl(std::string_view text, std::string_view picture) {
    if (picture.empty())
        return Value(std::string(text));
    return deformatPicture(text, picture);
}

} // namespace host
