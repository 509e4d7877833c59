#include "textformats/calendar.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>

namespace meridia::textformats {
namespace {

struct JulianDayRow {
    int year;
    int month;
    double day;  // with fraction
    double jd;
};

// Meeus, Astronomical Algorithms (2nd ed.), ch. 7: Examples 7.a and 7.b and the table of
// Julian days after Example 7.b (dates before 15 October 1582 are Julian).
constexpr JulianDayRow kMeeusTable[] = {
    {2000, 1, 1.5, 2451545.0},    {1999, 1, 1.0, 2451179.5},    {1987, 1, 27.0, 2446822.5},
    {1987, 6, 19.5, 2446966.0},   {1988, 1, 27.0, 2447187.5},   {1988, 6, 19.5, 2447332.0},
    {1900, 1, 1.0, 2415020.5},    {1600, 1, 1.0, 2305447.5},    {1600, 12, 31.0, 2305812.5},
    {837, 4, 10.3, 2026871.8},    {-123, 12, 31.0, 1676496.5},  {-122, 1, 1.0, 1676497.5},
    {-1000, 7, 12.5, 1356001.0},  {-1000, 2, 29.0, 1355866.5},  {-1001, 8, 17.9, 1355671.4},
    {-4712, 1, 1.5, 0.0},         {1957, 10, 4.81, 2436116.31}, {333, 1, 27.5, 1842713.0},
    {-584, 5, 28.63, 1507900.13},
};

TEST(JulianDayWithCalendar, MatchesMeeusTable) {
    for (const auto& row : kMeeusTable) {
        SCOPED_TRACE(testing::Message() << row.year << "-" << row.month << "-" << row.day);
        EXPECT_NEAR(JulianDayWithCalendar(row.day, row.month, row.year, false), row.jd, 1e-6);
    }
}

TEST(DateFromJulianDay, MatchesMeeusTable) {
    for (const auto& row : kMeeusTable) {
        SCOPED_TRACE(testing::Message() << row.jd);
        const DateWithFraction date = DateFromJulianDay(row.jd, false);
        EXPECT_EQ(date.year, row.year);
        EXPECT_EQ(date.month, row.month);
        EXPECT_NEAR(date.day, row.day, 1e-6);
    }
}

TEST(JulianDayOfDate, ReformDaysAreConsecutive) {
    EXPECT_DOUBLE_EQ(JulianDayOfDate(4, 10, 1582), 2299159.5);
    EXPECT_DOUBLE_EQ(JulianDayOfDate(15, 10, 1582), 2299160.5);
}

TEST(DateFromJulianDay, ReformDaysAndSwap) {
    struct Row {
        double jd;
        bool swap;
        int day, month, year;
    };
    constexpr Row kRows[] = {
        {2299160.5, false, 15, 10, 1582},  // first Gregorian day
        {2299159.5, false, 4, 10, 1582},   // last Julian day
        {2299160.5, true, 5, 10, 1582},    // the same day in the Julian calendar
        {2299159.5, true, 14, 10, 1582},   // the same day in the Gregorian calendar
    };
    for (const auto& row : kRows) {
        const DateWithFraction date = DateFromJulianDay(row.jd, row.swap);
        EXPECT_DOUBLE_EQ(date.day, row.day) << row.jd << " " << row.swap;
        EXPECT_EQ(date.month, row.month);
        EXPECT_EQ(date.year, row.year);
    }
}

TEST(JulianDayWithCalendar, SwapGivesTheOtherCalendarsDay) {
    // 1 January 1700 in the Julian calendar is 11 January 1700 in the Gregorian calendar.
    EXPECT_DOUBLE_EQ(JulianDayWithCalendar(1.0, 1, 1700, true), JulianDayOfDate(11, 1, 1700));
    // 5 October 1582 in the Gregorian calendar is 25 September 1582 in the Julian calendar.
    EXPECT_DOUBLE_EQ(JulianDayWithCalendar(5.0, 10, 1582, true), JulianDayOfDate(25, 9, 1582));
}

TEST(IsGregorianDate, DecidesByTheKey) {
    struct Row {
        int year, month;
        double day;
        bool gregorian;
    };
    constexpr Row kRows[] = {
        {1582, 10, 15.0, true},  {1582, 10, 14.0, false}, {1582, 10, 14.99, false},
        {1582, 10, 4.0, false},  {1582, 11, 1.0, true},   {1582, 9, 30.0, false},
        {1583, 1, 1.0, true},    {1500, 2, 29.0, false},  {2000, 1, 1.0, true},
        {-100, 12, 31.0, false},
    };
    for (const auto& row : kRows) {
        EXPECT_EQ(IsGregorianDate(row.year, row.month, row.day), row.gregorian)
            << row.year << "-" << row.month << "-" << row.day;
    }
}

TEST(CalendarSwap, SetWhenTheStatedCalendarIsNotThePeriods) {
    EXPECT_FALSE(CalendarSwap(CalendarMode::kAutomatic, 1500, 1, 1.0));
    EXPECT_FALSE(CalendarSwap(CalendarMode::kAutomatic, 1700, 1, 1.0));
    EXPECT_TRUE(CalendarSwap(CalendarMode::kGregorian, 1500, 1, 1.0));
    EXPECT_FALSE(CalendarSwap(CalendarMode::kGregorian, 1700, 1, 1.0));
    EXPECT_FALSE(CalendarSwap(CalendarMode::kJulian, 1500, 1, 1.0));
    EXPECT_TRUE(CalendarSwap(CalendarMode::kJulian, 1700, 1, 1.0));
}

TEST(JulianDay, AddsHoursThatMayCarryPastMidnight) {
    EXPECT_DOUBLE_EQ(JulianDay(1, 1, 2000, 12.0), 2451545.0);
    EXPECT_DOUBLE_EQ(JulianDay(31, 12, 1999, 36.0), 2451545.0);
    EXPECT_DOUBLE_EQ(JulianDay(2, 1, 2000, -12.0), 2451545.0);
    // The calendar follows the date, not the carried hours: 4 October 1582 + 24h is the
    // first Gregorian day.
    EXPECT_DOUBLE_EQ(JulianDay(4, 10, 1582, 24.0), 2299160.5);
}

TEST(DayOfWeek, KnownWeekdays) {
    struct Row {
        int day, month, year, weekday;
    };
    constexpr Row kRows[] = {
        {30, 6, 1954, 3},   // Meeus Example 7.e: Wednesday
        {1, 1, 2000, 6},    // Saturday
        {4, 10, 1582, 4},   // Thursday, last Julian day
        {15, 10, 1582, 5},  // Friday, first Gregorian day
        {20, 7, 1969, 0},   // Sunday
    };
    for (const auto& row : kRows) {
        EXPECT_EQ(DayOfWeekOfDate(row.day, row.month, row.year, CalendarMode::kAutomatic),
                  row.weekday)
            << row.year << "-" << row.month << "-" << row.day;
    }
    // The instant's day counts from 0h: 2000 January 1 at 23h is still Saturday.
    EXPECT_EQ(DayOfWeek(2451544.5 + 23.0 / 24.0), 6);
    // A Julian-stated date weekday: 1 January 1700 OS is 11 January 1700 NS, a Monday.
    EXPECT_EQ(DayOfWeekOfDate(1, 1, 1700, CalendarMode::kJulian), 1);
}

TEST(DayOfWeek, AgreesWithSwissEphemerisOverCenturies) {
    // swe_day_of_week counts from Monday = 0.
    for (double jd = -1000000.5; jd < 4000000.0; jd += 997.0) {
        EXPECT_EQ(DayOfWeek(jd), (swe_day_of_week(jd) + 1) % 7) << jd;
    }
}

// Every day from -5000 to +5000, in both calendars: the Julian day of the date of a Julian
// day is that Julian day, each day's date follows the previous day's date (no date skipped
// or repeated except across the reform), and every eleventh date agrees with the Swiss
// Ephemeris' own conversion.
TEST(DateFromJulianDay, ExhaustiveRoundTripFromMinus5000To5000) {
    const double first = JulianDayWithCalendar(1.0, 1, -5000, false);
    const double last = JulianDayWithCalendar(31.0, 12, 5000, false);
    long failures = 0;
    for (const bool swap : {false, true}) {
        DateWithFraction previous = DateFromJulianDay(first - 1.0, swap);
        long count = 0;
        for (double jd = first; jd <= last && failures < 10; jd += 1.0, ++count) {
            const DateWithFraction date = DateFromJulianDay(jd, swap);
            const bool gregorian = (std::floor(jd + 0.5) >= kFirstGregorianDayNumber) != swap;
            const CalendarMode mode = gregorian ? CalendarMode::kGregorian : CalendarMode::kJulian;
            const bool back_swap = CalendarSwap(mode, date.year, date.month, date.day);
            const double back = JulianDayWithCalendar(date.day, date.month, date.year, back_swap);

            const bool next_day = date.year == previous.year && date.month == previous.month &&
                                  date.day == previous.day + 1.0;
            const bool next_month =
                date.day == 1.0 &&
                ((date.year == previous.year && date.month == previous.month + 1) ||
                 (date.year == previous.year + 1 && date.month == 1 && previous.month == 12 &&
                  previous.day == 31.0));
            const bool reform = std::floor(jd + 0.5) == kFirstGregorianDayNumber;
            bool agrees = true;
            if (count % 11 == 0) {
                int year = 0;
                int month = 0;
                int day = 0;
                double hours = 0.0;
                swe_revjul(jd, gregorian ? SE_GREG_CAL : SE_JUL_CAL, &year, &month, &day, &hours);
                agrees = date.year == year && date.month == month && date.day == day;
            }
            if (back != jd || !(next_day || next_month || reform) || !agrees) {
                ++failures;
                ADD_FAILURE() << "jd " << jd << " swap " << swap << ": " << date.year << "-"
                              << date.month << "-" << date.day << " after " << previous.year << "-"
                              << previous.month << "-" << previous.day << ", back " << back;
            }
            previous = date;
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(DateFromJulianDay, KeepsTheDayFraction) {
    for (double jd = -1000000.0; jd < 3000000.0; jd += 12345.678) {
        const DateWithFraction date = DateFromJulianDay(jd, false);
        const double back = JulianDayWithCalendar(
            date.day, date.month, date.year,
            CalendarSwap(std::floor(jd + 0.5) >= kFirstGregorianDayNumber ? CalendarMode::kGregorian
                                                                          : CalendarMode::kJulian,
                         date.year, date.month, date.day));
        EXPECT_NEAR(back, jd, 1e-6) << jd;
    }
}

TEST(JulianDayOfDate, AgreesWithSwissEphemerisInTheAutomaticCalendar) {
    for (int year = -5000; year <= 5000; year += 7) {
        for (int month = 1; month <= 12; ++month) {
            const bool gregorian = IsGregorianDate(year, month, 1.0);
            EXPECT_DOUBLE_EQ(JulianDayOfDate(1, month, year),
                             swe_julday(year, month, 1, 0.0, gregorian ? SE_GREG_CAL : SE_JUL_CAL))
                << year << "-" << month;
        }
    }
}

TEST(IsValidCalendarDate, AgreesWithSwissEphemerisInBothCalendars) {
    for (int year = -5000; year <= 5000; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 27; day <= 32; ++day) {
                for (const bool gregorian : {false, true}) {
                    double jd = 0.0;
                    const bool valid = swe_date_conversion(year, month, day, 0.0,
                                                           gregorian ? 'g' : 'j', &jd) == OK;
                    ASSERT_EQ(IsValidCalendarDate(
                                  day, month, year,
                                  gregorian ? CalendarMode::kGregorian : CalendarMode::kJulian),
                              valid)
                        << year << "-" << month << "-" << day << " gregorian " << gregorian;
                }
            }
        }
    }
}

TEST(IsValidCalendarDate, AutomaticCalendar) {
    struct Row {
        int day, month, year;
        bool valid;
    };
    constexpr Row kRows[] = {
        {29, 2, 1900, false},  {29, 2, 1600, true},  {29, 2, 2000, true},  {29, 2, 1500, true},
        {29, 2, 1700, false},  {4, 10, 1582, true},  {5, 10, 1582, false}, {10, 10, 1582, false},
        {14, 10, 1582, false}, {15, 10, 1582, true}, {31, 4, 2000, false}, {0, 1, 2000, false},
        {1, 0, 2000, false},   {1, 13, 2000, false}, {29, 2, -4, true},    {29, 2, -3, false},
        {29, 2, 0, true},
    };
    for (const auto& row : kRows) {
        EXPECT_EQ(IsValidCalendarDate(row.day, row.month, row.year, CalendarMode::kAutomatic),
                  row.valid)
            << row.year << "-" << row.month << "-" << row.day;
    }
    // The reform gap exists when a calendar is stated.
    EXPECT_TRUE(IsValidCalendarDate(10, 10, 1582, CalendarMode::kGregorian));
    EXPECT_TRUE(IsValidCalendarDate(10, 10, 1582, CalendarMode::kJulian));
}

TEST(DaysInMonth, OutsideTheYearIsZero) {
    EXPECT_EQ(DaysInMonth(0, 2000, true), 0);
    EXPECT_EQ(DaysInMonth(13, 2000, false), 0);
}

}  // namespace
}  // namespace meridia::textformats
