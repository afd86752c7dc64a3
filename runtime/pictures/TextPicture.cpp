#include "runtime/pictures/TextPicture.h"

#include "runtime/pictures/PictureText.h"

namespace host {

using namespace picturetext;

std::optional<TextPicture> TextPicture::parse(std::string_view body) {
    while (!body.empty() && isBlank(body.back()))
        body.remove_suffix(1);
    if (body.empty() || body.front() == '0' || body.size() > 5)
        return std::nullopt;
    auto width = smallNumber(body, 5);
    if (!width || *width > maxWidth)
        return std::nullopt;
    TextPicture p;
    p.width_ = *width;
    return p;
}

std::string TextPicture::format(const Value& value) const {
    std::string text = value.toText();
    text.resize(static_cast<size_t>(width_), ' ');
    return text;
}

std::optional<Value> TextPicture::deformat(std::string_view text) const {
    return Value(text.substr(0, static_cast<size_t>(width_)));
}

} // namespace host
