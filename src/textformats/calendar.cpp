#include "textformats/calendar.h"

#include <cmath>

namespace meridia::textformats {

namespace {

// The key year + month/100 + day/10000 scaled by 10000, so that whole-day dates compare
// exactly with the first Gregorian date 1582 October 15.
constexpr double kGregorianKeyScaled = 15821015.0;

double Floor(double x) { return std::floor(x); }

}  // namespace

bool IsGregorianDate(int year, int month, double day) {
    const double key =
        static_cast<double>(year) * 10000.0 + static_cast<double>(month) * 100.0 + day;
    return key >= kGregorianKeyScaled;
}

bool CalendarSwap(CalendarMode mode, int year, int month, double day) {
    switch (mode) {
        case CalendarMode::kGregorian:
            return !IsGregorianDate(year, month, day);
        case CalendarMode::kJulian:
            return IsGregorianDate(year, month, day);
        case CalendarMode::kAutomatic:
            break;
    }
    return false;
}

double JulianDayWithCalendar(double day, int month, int year, bool swap) {
    // Meeus, Astronomical Algorithms, ch. 7, with floor in place of truncation so that the
    // formula holds for years before 1 (Int(-0.25) = -1).
    double y = year;
    double m = month;
    if (month < 3) {
        y -= 1.0;
        m += 12.0;
    }
    double jd = Floor(365.25 * y) + Floor(30.6001 * (m + 1.0)) + day + 1720994.5;
    const bool gregorian = IsGregorianDate(year, month, day) != swap;
    if (gregorian) {
        const double a = Floor(y / 100.0);
        jd += 2.0 - a + Floor(a / 4.0);
    }
    return jd;
}

double JulianDayOfDate(int day, int month, int year) {
    return JulianDayWithCalendar(static_cast<double>(day), month, year, false);
}

double JulianDay(int day, int month, int year, double hours) {
    return JulianDayOfDate(day, month, year) + hours / 24.0;
}

DateWithFraction DateFromJulianDay(double jd, bool swap) {
    // Meeus, Astronomical Algorithms, ch. 7, with floor arithmetic throughout.
    const double z = Floor(jd + 0.5);
    const double f = jd + 0.5 - z;
    double a = z;
    if ((z >= kFirstGregorianDayNumber) != swap) {
        const double alpha = Floor((z - 1867216.25) / 36524.25);
        a = z + 1.0 + alpha - Floor(alpha / 4.0);
    }
    const double b = a + 1524.0;
    const double c = Floor((b - 122.1) / 365.25);
    const double d = Floor(365.25 * c);
    const double e = Floor((b - d) / 30.6001);

    DateWithFraction date;
    date.day = b - d - Floor(30.6001 * e) + f;
    date.month = static_cast<int>(e < 13.5 ? e - 1.0 : e - 13.0);
    date.year = static_cast<int>(date.month > 2 ? c - 4716.0 : c - 4715.0);
    return date;
}

int DayOfWeek(double jd) {
    // Meeus, Astronomical Algorithms, ch. 7: (JD + 1.5) modulo 7, 0 being Sunday.
    const double n = Floor(jd + 1.5);
    return static_cast<int>(n - 7.0 * Floor(n / 7.0));
}

int DayOfWeekOfDate(int day, int month, int year, CalendarMode mode) {
    const double d = day;
    return DayOfWeek(JulianDayWithCalendar(d, month, year, CalendarSwap(mode, year, month, d)));
}

bool IsLeapYear(int year, bool gregorian) {
    // Floor modulo, so that the rule holds for negative years too.
    auto divisible = [year](int n) { return ((year % n) + n) % n == 0; };
    if (!gregorian) {
        return divisible(4);
    }
    return divisible(4) && (!divisible(100) || divisible(400));
}

int DaysInMonth(int month, int year, bool gregorian) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    if (month == 2 && IsLeapYear(year, gregorian)) {
        return 29;
    }
    return kDays[month - 1];
}

bool IsValidCalendarDate(int day, int month, int year, CalendarMode mode) {
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    bool gregorian = mode == CalendarMode::kGregorian;
    if (mode == CalendarMode::kAutomatic) {
        gregorian = IsGregorianDate(year, month, day);
        // The ten days dropped by the calendar reform.
        if (year == 1582 && month == 10 && day >= 5 && day <= 14) {
            return false;
        }
    }
    return day <= DaysInMonth(month, year, gregorian);
}

}  // namespace meridia::textformats
