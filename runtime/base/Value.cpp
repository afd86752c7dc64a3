#include "runtime/base/Value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace host {

namespace {

Decimal textToDecimal(const std::string& text) {
    auto parsed = Decimal::parse(text);
    return parsed ? *parsed : Decimal();
}

std::string realToText(double value) {
    if (!std::isfinite(value))
        return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

} // namespace

std::string Value::toText() const {
    switch (kind()) {
    case Kind::Text:
        return std::get<std::string>(data_);
    case Kind::Integer:
        return std::to_string(std::get<std::int64_t>(data_));
    case Kind::Decimal:
        return std::get<Decimal>(data_).toString();
    case Kind::Real:
        return realToText(std::get<double>(data_));
    }
    return {};
}

std::int64_t Value::toInteger() const {
    switch (kind()) {
    case Kind::Text:
        return textToDecimal(std::get<std::string>(data_)).toInteger();
    case Kind::Integer:
        return std::get<std::int64_t>(data_);
    case Kind::Decimal:
        return std::get<Decimal>(data_).toInteger();
    case Kind::Real: {
        double v = std::trunc(std::get<double>(data_));
        if (!(v == v))
            return 0;
        if (v >= 9.2e18)
            return std::numeric_limits<std::int64_t>::max();
        if (v <= -9.2e18)
            return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(v);
    }
    }
    return 0;
}

Decimal Value::toDecimal() const {
    switch (kind()) {
    case Kind::Text:
        return textToDecimal(std::get<std::string>(data_));
    case Kind::Integer:
        return Decimal(static_cast<long long>(std::get<std::int64_t>(data_)));
    case Kind::Decimal:
        return std::get<Decimal>(data_);
    case Kind::Real:
        return Decimal::fromDouble(std::get<double>(data_), 15);
    }
    return {};
}

double Value::toReal() const {
    switch (kind()) {
    case Kind::Real:
        return std::get<double>(data_);
    case Kind::Integer:
        return static_cast<double>(std::get<std::int64_t>(data_));
    default:
        return toDecimal().toDouble();
    }
}

bool Value::isBlankOrZero() const {
    if (isText())
        return clipped(std::get<std::string>(data_)).empty();
    return toDecimal().isZero();
}

std::strong_ordering operator<=>(const Value& a, const Value& b) {
    if (a.isText() && b.isText())
        return compareText(std::get<std::string>(a.data_), std::get<std::string>(b.data_));
    if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer)
        return std::get<std::int64_t>(a.data_) <=> std::get<std::int64_t>(b.data_);
    if (a.kind() == Value::Kind::Real || b.kind() == Value::Kind::Real) {
        double x = a.toReal(), y = b.toReal();
        return x < y ? std::strong_ordering::less
                     : (x > y ? std::strong_ordering::greater : std::strong_ordering::equal);
    }
    return a.toDecimal() <=> b.toDecimal();
}

std::string_view clipped(std::string_view text) {
    size_t end = text.size();
    // A long blank tail (a position kept in a wide text field) goes eight bytes at a time.
    constexpr std::uint64_t eightBlanks = 0x2020202020202020u;
    for (std::uint64_t word; end >= 8; end -= 8) {
        std::memcpy(&word, text.data() + end - 8, 8);
        if (word != eightBlanks)
            break;
    }
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.substr(0, end);
}

std::string clip(std::string_view text) {
    return std::string(clipped(text));
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string subString(std::string_view text, long long start, long long length) {
    if (start < 1 || length <= 0 || static_cast<unsigned long long>(start) > text.size())
        return {};
    return std::string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length)));
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::size_t findText(std::string_view needle, std::string_view text, std::size_t start,
                     bool ignoreCase) {
    if (start < 1 || needle.empty() || start > text.size())
        return 0;
    std::string hay = ignoreCase ? upper(text) : std::string(text);
    std::string pin = ignoreCase ? upper(needle) : std::string(needle);
    size_t at = hay.find(pin, start - 1);
    return at == std::string::npos ? 0 : at + 1;
}

int matchInList(std::string_view value, std::string_view list, bool ignoreCase) {
    std::string_view wanted = clipped(value);
    int number = 0;
    size_t begin = 0;
    while (begin <= list.size()) {
        size_t comma = list.find(',', begin);
        std::string_view item = list.substr(
            begin, comma == std::string_view::npos ? std::string_view::npos : comma - begin);
        ++number;
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        item = clipped(item);
        if (ignoreCase ? equalIgnoringCase(item, wanted) : item == wanted)
            return number;
        if (comma == std::string_view::npos)
            break;
        begin = comma + 1;
    }
    return 0;
}

std::strong_ordering compareText(std::string_view a, std::string_view b) {
    a = clipped(a);
    b = clipped(b);
    int c = a.compare(b);
    return c < 0 ? std::strong_ordering::less
                 : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
}

} // namespace host
