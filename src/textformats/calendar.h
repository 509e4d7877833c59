// Calendar arithmetic: Julian day numbers of calendar dates and back, the Julian/Gregorian
// decision, day of week and the validity of a date. Julian days here are plain day counts
// (the caller decides whether a value is UT or ET); a day "with its fraction" counts from 0h.
// Years use astronomical numbering (1 BC = year 0); all integer parts use floor arithmetic.
#pragma once

#include <cstdint>

namespace meridia::textformats {

// The calendar a date is stated in, as held next to a date: 0 decided by the date (Julian
// before 15 October 1582, Gregorian from then on), 1 New Style (Gregorian), 2 Old Style
// (Julian).
enum class CalendarMode : std::uint8_t { kAutomatic = 0, kGregorian = 1, kJulian = 2 };

// First Julian day number (Z = Int(JD + 0.5)) of the Gregorian period: 15 October 1582.
inline constexpr double kFirstGregorianDayNumber = 2299161.0;

// A calendar date whose day carries the fraction of the day elapsed since 0h.
struct DateWithFraction {
    double day = 1.0;
    int month = 1;
    int year = 2000;
};

// True when year + month/100 + day/10000 >= 1582.1015, i.e. the date falls in the Gregorian
// period of the automatic calendar. The day may carry a fraction.
bool IsGregorianDate(int year, int month, double day);

// True when a date stated in `mode` must be computed in the calendar opposite to the one
// its period uses: Gregorian mode meeting a Julian-period date, or Julian mode meeting a
// Gregorian-period date. This is the swap flag of JulianDayWithCalendar.
bool CalendarSwap(CalendarMode mode, int year, int month, double day);

// Julian day of 0h of the date, automatic calendar.
double JulianDayOfDate(int day, int month, int year);

// Julian day of the date plus hours/24, automatic calendar (the calendar is decided by the
// whole day; hours outside 0..24 carry into the Julian day).
double JulianDay(int day, int month, int year, double hours);

// Julian day of a day with its fraction; the calendar is decided by the key built from the
// day with its fraction and inverted when `swap` is set. The day is a double: in single
// precision a day near 31 resolves only about 0.2 s, too coarse for the searches that
// refine events to half a second.
double JulianDayWithCalendar(double day, int month, int year, bool swap);

// Calendar date of a Julian day, the day with its fraction (a double, as above): Gregorian
// from day number 2299161 on, Julian before; the decision is inverted when `swap` is set.
DateWithFraction DateFromJulianDay(double jd, bool swap);

// Day of week of a Julian day: 0 Sunday, 1 Monday ... 6 Saturday (the day that contains
// the instant, days starting at 0h).
int DayOfWeek(double jd);

// Day of week of a date stated in `mode`: 0 Sunday ... 6 Saturday.
int DayOfWeekOfDate(int day, int month, int year, CalendarMode mode);

// Leap-year rule of one calendar (astronomical years: year 0 and year -4 are leap years).
bool IsLeapYear(int year, bool gregorian);

// Days in a month (1..12) of one calendar; 0 for a month outside 1..12.
int DaysInMonth(int month, int year, bool gregorian);

// True when the day exists in that month of that year under the calendar in force: the
// stated calendar of a Gregorian or Julian mode, or for the automatic mode the calendar the
// date's period uses, in which 5 to 14 October 1582 do not exist.
bool IsValidCalendarDate(int day, int month, int year, CalendarMode mode);

}  // namespace meridia::textformats
