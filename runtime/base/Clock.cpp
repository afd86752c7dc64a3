#include "runtime/base/Clock.h"

#include <chrono>
#include <ctime>

namespace host {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
constexpr long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CalendarDate civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp + (mp < 10 ? 3 : -9);
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// Day 0 is December 28, 1800, so day 1 is the 29th and day 4 is January 1, 1801.
// A constant, so that day numbers computed while other globals start up are right.
constexpr long long dayZero = daysFromCivil(1800, 12, 28);

ClockSource source;

} // namespace

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

int dayNumber(int year, int month, int day) {
    if (year < 1800 || year > 9999 || day < 1 || day > daysInMonth(year, month))
        return 0;
    long long n =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - dayZero;
    return n < 1 ? 0 : static_cast<int>(n);
}

CalendarDate calendarDate(int dayNumber) {
    if (dayNumber <= 0)
        return {};
    return civilFromDays(dayZero + dayNumber);
}

int today() {
    if (source.today)
        return source.today();
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return dayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int clockNow() {
    if (source.clock)
        return source.clock();
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    auto hundredths =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000 / 10;
    return (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 100 +
           static_cast<int>(hundredths);
}

void setClockSource(ClockSource s) {
    source = std::move(s);
}

} // namespace host
