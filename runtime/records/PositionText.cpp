#include "runtime/records/PositionText.h"

#include <charconv>

namespace host::records::positionText {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool isValueStart(char c) {
    return c == 'n' || c == 'i' || c == 'r' || c == 't';
}

} // namespace

std::string encode(std::string_view tag, const std::vector<SqlValue>& values) {
    // Appended in place: a list takes the position of every row it fills.
    size_t size = tag.size() + 1;
    for (const SqlValue& value : values)
        size += value.type == SqlValue::Type::Text ? value.text.size() + 8 : 24;
    std::string out;
    out.reserve(size);
    out += tag;
    out += '|';
    char digits[64];
    auto appendNumber = [&](auto number) {
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
        out.append(digits, ec == std::errc() ? end : digits);
    };
    for (const SqlValue& value : values) {
        switch (value.type) {
        case SqlValue::Type::Null:
            out += 'n';
            break;
        case SqlValue::Type::Integer:
            out += 'i';
            appendNumber(value.integer);
            out += ';';
            break;
        case SqlValue::Type::Real: {
            // Hexadecimal, exact, and independent of the locale's decimal point.
            auto [end, ec] =
                std::to_chars(digits, digits + sizeof digits, value.real, std::chars_format::hex);
            out += 'r';
            out.append(digits, ec == std::errc() ? end : digits);
            out += ';';
            break;
        }
        case SqlValue::Type::Text:
            out += 't';
            appendNumber(value.text.size());
            out += ':';
            out += value.text;
            break;
        }
    }
    return out;
}

std::string tagOf(std::string_view text) {
    size_t bar = text.find('|');
    return bar == std::string_view::npos ? std::string() : std::string(text.substr(0, bar));
}

std::optional<std::vector<SqlValue>> decode(std::string_view tag, std::string_view text) {
    if (text.size() <= tag.size() || text.substr(0, tag.size()) != tag || text[tag.size()] != '|')
        return std::nullopt;
    std::string_view rest = text.substr(tag.size() + 1);
    std::vector<SqlValue> values;
    while (!rest.empty()) {
        if (!isValueStart(rest[0])) {
            if (trimmed(rest).empty())
                break;
            return std::nullopt;
        }
        char kind = rest[0];
        rest.remove_prefix(1);
        if (kind == 'n') {
            values.emplace_back();
            continue;
        }
        size_t end = rest.find(kind == 't' ? ':' : ';');
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string_view number = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (kind == 'i') {
            std::int64_t v = 0;
            auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), v);
            if (ec != std::errc() || ptr != number.data() + number.size())
                return std::nullopt;
            values.push_back(SqlValue::ofInteger(v));
        } else if (kind == 'r') {
            double v = 0;
            auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), v,
                                             std::chars_format::hex);
            if (number.empty() || ec != std::errc() || ptr != number.data() + number.size())
                return std::nullopt;
            values.push_back(SqlValue::ofReal(v));
        } else {
            size_t length = 0;
            auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), length);
            if (ec != std::errc() || ptr != number.data() + number.size() || length > rest.size())
                return std::nullopt;
            values.push_back(SqlValue::ofText(std::string(rest.substr(0, length))));
            rest.remove_prefix(length);
        }
    }
    if (values.empty())
        return std::nullopt;
    return values;
}

} // namespace host::records::positionText
