#include "runtime/pictures/DatePicture.h"

#include "runtime/base/Clock.h"
#include "runtime/pictures/PictureText.h"

#include <array>
#include <vector>

namespace host {

using namespace picturetext;

namespace {

constexpr std::array<std::string_view, 12> monthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> weekdayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

int lastDay() {
    static const int last = dayNumber(9999, 12, 31);
    return last;
}

std::string fourDigits(int n) {
    return twoDigits(n / 100) + twoDigits(n % 100);
}

// 1-based index of the name that `word` names: the whole name or at least its first three
// letters, in any case; 0 when it names none.
template <size_t N>
int nameIndex(std::string_view word, const std::array<std::string_view, N>& names) {
    if (word.size() < 3)
        return 0;
    for (size_t i = 0; i < N; ++i) {
        std::string_view name = names[i];
        if (word.size() > name.size())
            continue;
        bool same = true;
        for (size_t k = 0; k < word.size() && same; ++k)
            same = lowerCase(word[k]) == lowerCase(name[k]);
        if (same)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// A two-digit year is taken as 2000 to 2049 or 1950 to 1999.
int fullYear(std::string_view digits, int year) {
    if (digits.size() > 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

struct Token {
    std::string_view text;
    bool number;
};

bool isDateSeparator(char c) {
    return c == ' ' || c == '\t' || c == '/' || c == '-' || c == '.' || c == ',' || c == '\'';
}

} // namespace

std::optional<DatePicture> DatePicture::parse(std::string_view body) {
    DatePicture p;
    size_t at = 0;
    if (at < body.size() && body[at] == '0')
        ++at;
    size_t begin = at;
    while (at < body.size() && isDigit(body[at]) && at - begin < 2)
        ++at;
    auto form = smallNumber(body.substr(begin, at - begin), 2);
    if (!form || !((*form >= 1 && *form <= 6) || *form == 17 || *form == 18))
        return std::nullopt;
    p.form_ = *form;
    if (!readDateTimeEnding(body.substr(at), p.separator_, p.blankWhenZero_))
        return std::nullopt;
    return p;
}

int DatePicture::width() const {
    switch (form_) {
    case 1:
    case 5:
        return 8;
    case 3:
        return 12;
    case 4:
        return 18; // "September 30, 2026"
    case 18:
        return 29; // "Wednesday, September 30, 2026"
    default:
        return 10;
    }
}

std::string DatePicture::format(const Value& value) const {
    long long day = value.toInteger();
    if (day == 0 && (blankWhenZero_ || hasNames()))
        return blanks(width());
    if (day < 0 || day > lastDay())
        return overflow(width());
    CalendarDate date = calendarDate(static_cast<int>(day));
    std::string sep(1, separator_);
    std::string year = twoDigitYear() ? twoDigits(date.year % 100) : fourDigits(date.year);
    switch (form_) {
    case 3:
        return std::string(monthNames[date.month - 1].substr(0, 3)) + " " + twoDigits(date.day) +
               ", " + year;
    case 4:
        return std::string(monthNames[date.month - 1]) + " " + std::to_string(date.day) + ", " +
               year;
    case 18:
        return std::string(weekdayNames[weekday(static_cast<int>(day))]) + ", " +
               std::string(monthNames[date.month - 1]) + " " + std::to_string(date.day) + ", " +
               year;
    default:
        if (dayFirst())
            return twoDigits(date.day) + sep + twoDigits(date.month) + sep + year;
        return twoDigits(date.month) + sep + twoDigits(date.day) + sep + year;
    }
}

std::optional<Value> DatePicture::deformat(std::string_view text) const {
    std::vector<Token> tokens;
    for (size_t at = 0; at < text.size();) {
        char c = text[at];
        if (isDateSeparator(c) || c == separator_) {
            ++at;
            continue;
        }
        size_t begin = at;
        bool number = isDigit(c);
        if (!number && !isLetter(c))
            return std::nullopt;
        while (at < text.size() && (number ? isDigit(text[at]) : isLetter(text[at])))
            ++at;
        if (tokens.size() == 4)
            return std::nullopt;
        tokens.push_back({text.substr(begin, at - begin), number});
    }
    if (tokens.empty())
        return Value(0);

    int month = 0;
    bool weekdaySeen = false;
    std::vector<std::string_view> numbers;
    for (const Token& token : tokens) {
        if (token.number) {
            numbers.push_back(token.text);
        } else if (int m = nameIndex(token.text, monthNames); m != 0 && month == 0) {
            month = m;
        } else if (nameIndex(token.text, weekdayNames) != 0 && !weekdaySeen) {
            weekdaySeen = true;
        } else {
            return std::nullopt;
        }
    }

    std::string_view dayText, monthText, yearText;
    if (month != 0) {
        if (numbers.size() != 2)
            return std::nullopt;
        dayText = numbers[0];
        yearText = numbers[1];
    } else if (numbers.size() == 3) {
        monthText = numbers[dayFirst() ? 1 : 0];
        dayText = numbers[dayFirst() ? 0 : 1];
        yearText = numbers[2];
    } else if (numbers.size() == 1 && (numbers[0].size() == 6 || numbers[0].size() == 8)) {
        std::string_view digits = numbers[0];
        monthText = digits.substr(dayFirst() ? 2 : 0, 2);
        dayText = digits.substr(dayFirst() ? 0 : 2, 2);
        yearText = digits.substr(4);
    } else {
        return std::nullopt;
    }

    auto day = smallNumber(dayText, 2);
    auto year = smallNumber(yearText, 4);
    if (month == 0) {
        auto m = smallNumber(monthText, 2);
        if (!m)
            return std::nullopt;
        month = *m;
    }
    if (!day || !year)
        return std::nullopt;
    if (*day == 0 && month == 0 && *year == 0)
        return Value(0); // the zero form of "no date"
    int n = dayNumber(fullYear(yearText, *year), month, *day);
    if (n == 0)
        return std::nullopt;
    return Value(n);
}

} // namespace host
