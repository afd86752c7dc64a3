#pragma once

#include <functional>

namespace host {

// Dates are day numbers: day 4 is January 1, 1801 (day 1 is December 29, 1800), so
// that the day number modulo 7 gives the weekday with 0 = Sunday. 0 means no date.
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// 0 when the date is not a real calendar date or lies before December 29, 1800.
int dayNumber(int year, int month, int day);
// The calendar date of a day number; {0,0,0} for 0 or a negative number.
CalendarDate calendarDate(int dayNumber);
// 0 = Sunday ... 6 = Saturday.
inline int weekday(int dayNumber) {
    return ((dayNumber % 7) + 7) % 7;
}
bool isLeapYear(int year);
int daysInMonth(int year, int month);

// Today's day number and the clock in hundredths of a second since midnight, from the
// system clock or, when one is installed (the headless runtime's fake clock), from it.
int today();
int clockNow();

struct ClockSource {
    std::function<int()> today;
    std::function<int()> clock;
};
void setClockSource(ClockSource source); // an empty source goes back to the system clock

} // namespace host
