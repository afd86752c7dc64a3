#include "runtime/pictures/TimePicture.h"

#include "runtime/pictures/PictureText.h"

#include <vector>

namespace host {

using namespace picturetext;

namespace {

constexpr long long hundredthsPerDay = 24LL * 60 * 60 * 100;

bool isTimeSeparator(char c) {
    return c == ' ' || c == '\t' || c == ':' || c == '.';
}

} // namespace

std::optional<TimePicture> TimePicture::parse(std::string_view body) {
    TimePicture p;
    size_t at = 0;
    if (at < body.size() && body[at] == '0')
        ++at;
    if (at >= body.size() || body[at] < '1' || body[at] > '8')
        return std::nullopt;
    p.form_ = body[at++] - '0';
    if (!readDateTimeEnding(body.substr(at), p.separator_, p.blankWhenZero_))
        return std::nullopt;
    return p;
}

int TimePicture::width() const {
    static const int widths[] = {0, 5, 4, 7, 8, 6, 10, 8, 11};
    return widths[form_];
}

std::string TimePicture::format(const Value& value) const {
    long long time = value.toInteger();
    if (time == 0 && blankWhenZero_)
        return blanks(width());
    if (time < 0 || time >= hundredthsPerDay)
        return overflow(width());
    int seconds = static_cast<int>(time / 100);
    int hour = seconds / 3600;
    std::string minute = twoDigits(seconds / 60 % 60);
    std::string second = twoDigits(seconds % 60);
    std::string sep(1, separator_);
    int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    const char* marker = hour < 12 ? "AM" : "PM";
    switch (form_) {
    case 1:
        return twoDigits(hour) + sep + minute;
    case 2:
        return twoDigits(hour) + minute;
    case 3:
        return twoDigits(hour12) + sep + minute + marker;
    case 5:
        return twoDigits(hour) + minute + second;
    case 6:
        return twoDigits(hour12) + sep + minute + sep + second + marker;
    case 7:
        return std::to_string(hour12) + sep + minute + " " + marker;
    case 8:
        return std::to_string(hour12) + sep + minute + sep + second + " " + marker;
    default:
        return twoDigits(hour) + sep + minute + sep + second;
    }
}

std::optional<Value> TimePicture::deformat(std::string_view text) const {
    std::vector<std::string_view> numbers;
    char marker = '\0'; // 'a' or 'p'
    for (size_t at = 0; at < text.size();) {
        char c = text[at];
        if (isTimeSeparator(c) || c == separator_) {
            ++at;
            continue;
        }
        size_t begin = at;
        if (isDigit(c)) {
            while (at < text.size() && isDigit(text[at]))
                ++at;
            if (marker != '\0' || numbers.size() == 4)
                return std::nullopt;
            numbers.push_back(text.substr(begin, at - begin));
            continue;
        }
        while (at < text.size() && isLetter(text[at]))
            ++at;
        std::string_view word = text.substr(begin, at - begin);
        char first = word.empty() ? '\0' : lowerCase(word[0]);
        bool valid = (first == 'a' || first == 'p') &&
                     (word.size() == 1 || (word.size() == 2 && lowerCase(word[1]) == 'm'));
        if (!valid || marker != '\0' || numbers.empty())
            return std::nullopt;
        marker = first;
    }
    if (numbers.empty())
        return Value(0);

    std::string_view parts[4];
    if (numbers.size() == 1 && numbers[0].size() > 2) {
        std::string_view digits = numbers[0];
        if (digits.size() != 4 && digits.size() != 6)
            return std::nullopt;
        parts[0] = digits.substr(0, 2);
        parts[1] = digits.substr(2, 2);
        parts[2] = digits.size() == 6 ? digits.substr(4, 2) : std::string_view("0");
        parts[3] = "0";
    } else {
        for (size_t i = 0; i < 4; ++i)
            parts[i] = i < numbers.size() ? numbers[i] : std::string_view("0");
    }
    auto hour = smallNumber(parts[0], 2);
    auto minute = smallNumber(parts[1], 2);
    auto second = smallNumber(parts[2], 2);
    auto fraction = smallNumber(parts[3], 2);
    if (!hour || !minute || !second || !fraction || *minute > 59 || *second > 59)
        return std::nullopt;
    int hundredths = parts[3].size() == 1 ? *fraction * 10 : *fraction;
    int h = *hour;
    if (marker != '\0') {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = h % 12 + (marker == 'p' ? 12 : 0);
    } else if (h > 23) {
        return std::nullopt;
    }
    return Value(((h * 60 + *minute) * 60 + *second) * 100 + hundredths);
}

} // namespace host
