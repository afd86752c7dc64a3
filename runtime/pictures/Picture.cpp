#include "runtime/pictures/Picture.h"

#include "runtime/pictures/PictureText.h"

#include <vector>

namespace host {

std::optional<Picture> Picture::parse(std::string_view text) {
    std::string_view token = text;
    if (!token.empty() && token.front() == '@')
        token.remove_prefix(1);
    if (token.empty())
        return std::nullopt;
    char kind = picturetext::lowerCase(token.front());
    std::string_view body = token.substr(1);
    std::string full = "@" + std::string(token);
    auto make = [&](auto form) -> std::optional<Picture> {
        if (!form)
            return std::nullopt;
        return Picture(std::move(full), kind, Form(std::move(*form)));
    };
    switch (kind) {
    case 's':
        return make(TextPicture::parse(body));
    case 'n':
        return make(NumberPicture::parse(body));
    case 'e':
        return make(ScientificPicture::parse(body));
    case 'd':
        return make(DatePicture::parse(body));
    case 't':
        return make(TimePicture::parse(body));
    case 'p':
        return make(PatternPicture::parse(body));
    default:
        return std::nullopt;
    }
}

std::string Picture::format(const Value& value) const {
    return std::visit([&](const auto& form) { return form.format(value); }, form_);
}

std::optional<Value> Picture::deformat(std::string_view text) const {
    return std::visit([&](const auto& form) { return form.deformat(text); }, form_);
}

int Picture::width() const {
    return std::visit([](const auto& form) { return form.width(); }, form_);
}

Picture::Alignment Picture::alignment() const {
    return kind_ == 'n' || kind_ == 'e' ? Alignment::Right : Alignment::Left;
}

int Picture::places() const {
    if (auto number = std::get_if<NumberPicture>(&form_))
        return number->places();
    if (auto scientific = std::get_if<ScientificPicture>(&form_))
        return scientific->places();
    return 0;
}

bool Picture::isBlankWhenZero() const {
    return std::visit(
        [](const auto& form) {
            if constexpr (requires { form.isBlankWhenZero(); })
                return form.isBlankWhenZero();
            else
                return false;
        },
        form_);
}

namespace {

// A window formats the same few pictures over and over (every cell of every row it shows,
// every field it reads back), so the pictures parsed last are kept, per operating-system
// thread, and each is parsed once rather than at every value.
const std::optional<Picture>& parsedPicture(std::string_view text) {
    struct Parsed {
        std::string text;
        std::optional<Picture> picture;
    };
    constexpr std::size_t kept = 16;
    thread_local std::vector<Parsed> recent;
    thread_local std::size_t oldest = 0;
    for (const Parsed& parsed : recent)
        if (parsed.text == text)
            return parsed.picture;
    Parsed parsed{std::string(text), Picture::parse(text)};
    if (recent.size() < kept) {
        recent.push_back(std::move(parsed));
        return recent.back().picture;
    }
    Parsed& replaced = recent[oldest];
    oldest = (oldest + 1) % kept;
    replaced = std::move(parsed);
    return replaced.picture;
}

} // namespace

std::string formatPicture(const Value& value, std::string_view picture) {
    const std::optional<Picture>& parsed = parsedPicture(picture);
    return parsed ? parsed->format(value) : value.toText();
}

std::optional<Value> deformatPicture(std::string_view text, std::string_view picture) {
    const std::optional<Picture>& parsed = parsedPicture(picture);
    return parsed ? parsed->deformat(text) : std::optional<Value>(Value(text));
}

} // namespace host
