// Time scales of a chart: universal time, Julian day, delta T, ephemeris time, Greenwich
// sidereal time and Julian centuries since 1900 January 0.5; and AXDateTimeClass, the small
// date-time value used by dialogs, searches and reports.
// Julian days are named jd_ut (universal time) or jd_et (ephemeris time); sidereal time and
// delta T in hours unless stated; DeltaT itself returns days.
#pragma once

#include <cstdint>
#include <string>

#include "astro/chart_record.h"

namespace meridia::astro {

// Julian day of 1900 January 0.5, the epoch of T.
inline constexpr double kJulianDay1900 = 2415020.0;
inline constexpr double kDaysPerCentury = 36525.0;
// Sidereal hours per hour of universal time.
inline constexpr double kSiderealRate = 1.002737908;

// (jd - 2415020.0) / 36525.0.
double CenturiesSince1900(double jd);
// Greenwich mean sidereal time at 0h UT of the day whose 0h is jd0_ut, hours in [0, 24):
// 6.6460656 + 2400.051262 T0 + 0.00002581 T0^2, T0 centuries from 1900 January 0.5.
double SiderealTimeAt0h(double jd0_ut);
// (ut_hours x 1.002737908 + st0_hours) reduced with the floor modulo to [0, 24).
double SiderealTime(double st0_hours, double ut_hours);
// Delta T (ET - UT) in days at jd_ut, as the ephemeris library gives it.
double DeltaT(double jd_ut);

// Julian day (UT) of a record's date and time: the day fraction
// (hour + (second/60 + minute)/60 + zone)/24 added to the day, in the calendar chosen by
// `calendar` (0 automatic, 1 Gregorian, 2 Julian).
double JulianDayOfDateTime(const CompactDateTime& date_time, std::uint8_t calendar,
                           double zone_hours);

// The time values a chart keeps.
struct ChartTimes {
    double ut_hours = 0.0;  // hours since 0h of the record's date (may exceed 0..24)
    double jd_ut = 0.0;
    double delta_t_hours = 0.0;  // ET - UT, hours
    double jd_et = 0.0;
    double sidereal_time = 0.0;  // Greenwich sidereal time, hours
    double t = 0.0;              // centuries of ET since 1900 January 0.5
};

// The chart's times from its calendar date and universal-time hours since 0h of that date.
ChartTimes ChartTimesOf(int day, int month, int year, double ut_hours, std::uint8_t calendar);

// A date and time value: fields without validation, strings through the text formatters.
class AXDateTimeClass {
public:
    std::int16_t Year() const { return year_; }
    void Year(std::int16_t value) { year_ = value; }
    std::uint8_t Month() const { return month_; }
    void Month(std::uint8_t value) { month_ = value; }
    std::uint8_t Day() const { return day_; }
    void Day(std::uint8_t value) { day_ = value; }
    std::uint8_t Hour() const { return hour_; }
    void Hour(std::uint8_t value) { hour_ = value; }
    std::uint8_t Minute() const { return minute_; }
    void Minute(std::uint8_t value) { minute_ = value; }
    std::uint8_t Second() const { return second_; }
    void Second(std::uint8_t value) { second_ = value; }

    // The date in the user's date format.
    std::string LocalDateString() const;
    // The time in the user's time format, with or without seconds.
    std::string LocalTimeString(bool with_seconds) const;
    // " 7:05" style: hour right-aligned in two places, minute (and second) two digits.
    std::string TimeString24(bool with_seconds) const;
    std::string LocalDateTimeString(bool with_seconds) const;
    // Full weekday name (0 = Sunday from the program's day-of-week routine).
    std::string WeekdayString() const;
    // "2024-3-05 07:05:09".
    std::string UniformDateTimeString() const;
    // "2024-3-05": year, month without leading zero, day as two digits.
    std::string UniformDateString() const;

    void InitTo(int year, int month, int day, int hour, int minute, int second);
    void SetDate(int year, int month, int day);
    void SetTime(int hour, int minute, int second);
    // Empty: the current system date and time; "-..." a date whose year is negated;
    // otherwise a date and time. Returns false (fields unchanged) when the text is not read.
    bool SetDateTime(const std::string& value);
    void SetMidnight();
    // -1 when other is later, 1 when other is earlier, 0 when equal.
    int Compare(const AXDateTimeClass& other) const;
    // True when every argument equals its field or is negative (a wildcard).
    bool Matches(int year, int month, int day, int hour, int minute, int second) const;
    // Field by field from year to second, skipping negative arguments: true when this value
    // is later at the first differing field, or when all compared fields are equal.
    bool IsOnOrAfter(int year, int month, int day, int hour, int minute, int second) const;

private:
    std::int16_t year_ = 2000;
    std::uint8_t month_ = 1;
    std::uint8_t day_ = 1;
    std::uint8_t hour_ = 0;
    std::uint8_t minute_ = 0;
    std::uint8_t second_ = 0;
};

}  // namespace meridia::astro
