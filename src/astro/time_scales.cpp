#include "astro/time_scales.h"

#include <swephexp.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

#include "astro/angles.h"
#include "astro/ephemeris.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::astro {

namespace tf = meridia::textformats;

double CenturiesSince1900(double jd) { return (jd - kJulianDay1900) / kDaysPerCentury; }

double SiderealTimeAt0h(double jd0_ut) {
    const double t0 = CenturiesSince1900(jd0_ut);
    const double st0 = 6.6460656 + 2400.051262 * t0 + 0.00002581 * t0 * t0;
    return st0 - 24.0 * std::floor(st0 / 24.0);
}

double SiderealTime(double st0_hours, double ut_hours) {
    return ModFloor(ut_hours * kSiderealRate + st0_hours, 24.0);
}

double DeltaT(double jd_ut) {
    EnsureEphemeris();
    char serr[AS_MAXCH] = {0};
    return swe_deltat_ex(jd_ut, EphemerisModeFlags(), serr);
}

double JulianDayOfDateTime(const CompactDateTime& date_time, std::uint8_t calendar,
                           double zone_hours) {
    const double fraction =
        (date_time.hour + (date_time.second / 60.0 + date_time.minute) / 60.0 + zone_hours) / 24.0;
    const bool swap = tf::CalendarSwap(static_cast<tf::CalendarMode>(calendar), date_time.year,
                                       date_time.month, date_time.day);
    return tf::JulianDayWithCalendar(date_time.day + fraction, date_time.month, date_time.year,
                                     swap);
}

ChartTimes ChartTimesOf(int day, int month, int year, double ut_hours, std::uint8_t calendar) {
    ChartTimes times;
    times.ut_hours = ut_hours;
    const bool swap = tf::CalendarSwap(static_cast<tf::CalendarMode>(calendar), year, month, day);
    double jd0_ut = 0.0;
    if (swap) {
        jd0_ut = tf::JulianDayWithCalendar(day, month, year, true);
        times.jd_ut = jd0_ut + ut_hours / 24.0;
    } else {
        jd0_ut = tf::JulianDayOfDate(day, month, year);
        times.jd_ut = tf::JulianDay(day, month, year, ut_hours);
    }
    times.delta_t_hours = DeltaT(times.jd_ut) * 24.0;
    times.jd_et = times.jd_ut + times.delta_t_hours / 24.0;
    times.sidereal_time = SiderealTime(SiderealTimeAt0h(jd0_ut), ut_hours);
    times.t = CenturiesSince1900(times.jd_et);
    return times;
}

namespace {

constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value); }

// Reads "H:MM" or "H:MM:SS" (numbers only); empty when the text is anything else.
std::optional<std::array<int, 3>> ReadClock(const std::string& text) {
    std::array<int, 3> parts{0, 0, 0};
    int count = 0;
    int value = -1;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 99) {
                return std::nullopt;
            }
        } else if (c == ':' && value >= 0 && count < 2) {
            parts[static_cast<std::size_t>(count++)] = value;
            value = -1;
        } else {
            return std::nullopt;
        }
    }
    if (value < 0 || count < 1) {
        return std::nullopt;
    }
    parts[static_cast<std::size_t>(count)] = value;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
        return std::nullopt;
    }
    return parts;
}

// Reads the uniform form "Y-M-D" (year may be negative only through the caller).
std::optional<std::array<int, 3>> ReadUniformDate(const std::string& text) {
    int year = 0;
    int month = 0;
    int day = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c", &year, &month, &day, &tail) != 3) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    return std::array<int, 3>{year, month, day};
}

std::optional<std::array<int, 3>> ReadDate(const std::string& text) {
    if (auto uniform = ReadUniformDate(text)) {
        return uniform;
    }
    const auto parsed = tf::ParseDate(text, false);
    if (!parsed) {
        return std::nullopt;
    }
    return std::array<int, 3>{parsed->year, parsed->month, parsed->day};
}

}  // namespace

std::string AXDateTimeClass::LocalDateString() const {
    return tf::FormatDate(day_, month_, year_, tf::CalendarMode::kAutomatic);
}

std::string AXDateTimeClass::LocalTimeString(bool with_seconds) const {
    tf::TimeFormatOptions options;
    options.with_seconds = with_seconds;
    return tf::FormatTime(hour_, minute_, with_seconds ? second_ : 0, options);
}

std::string AXDateTimeClass::TimeString24(bool with_seconds) const {
    char text[32];
    if (with_seconds) {
        std::snprintf(text, sizeof text, "%2d:%02d:%02d", hour_, minute_, second_);
    } else {
        std::snprintf(text, sizeof text, "%2d:%02d", hour_, minute_);
    }
    return text;
}

std::string AXDateTimeClass::LocalDateTimeString(bool with_seconds) const {
    return LocalDateString() + " " + LocalTimeString(with_seconds);
}

std::string AXDateTimeClass::WeekdayString() const {
    const int weekday = tf::DayOfWeekOfDate(day_, month_, year_, tf::CalendarMode::kAutomatic);
    return kWeekdays[static_cast<std::size_t>(ModFloor(weekday, 7.0))];
}

std::string AXDateTimeClass::UniformDateString() const {
    char text[48];
    std::snprintf(text, sizeof text, "%d-%d-%02d", year_, month_, day_);
    return text;
}

std::string AXDateTimeClass::UniformDateTimeString() const {
    char text[32];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d", hour_, minute_, second_);
    return UniformDateString() + text;
}

void AXDateTimeClass::InitTo(int year, int month, int day, int hour, int minute, int second) {
    SetDate(year, month, day);
    SetTime(hour, minute, second);
}

void AXDateTimeClass::SetDate(int year, int month, int day) {
    year_ = static_cast<std::int16_t>(year);
    month_ = Byte(month);
    day_ = Byte(day);
}

void AXDateTimeClass::SetTime(int hour, int minute, int second) {
    hour_ = Byte(hour);
    minute_ = Byte(minute);
    second_ = Byte(second);
}

void AXDateTimeClass::SetMidnight() { SetTime(0, 0, 0); }

bool AXDateTimeClass::SetDateTime(const std::string& value) {
    if (value.empty()) {
        const std::time_t now =
            std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
        std::tm local{};
        localtime_r(&now, &local);
        InitTo(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
               local.tm_sec);
        return true;
    }
    if (value.front() == '-') {
        const auto date = ReadDate(value.substr(1));
        if (!date) {
            return false;
        }
        InitTo(-(*date)[0], (*date)[1], (*date)[2], 0, 0, 0);
        return true;
    }
    std::string date_text = value;
    std::array<int, 3> clock{0, 0, 0};
    if (const auto space = value.find_last_of(' '); space != std::string::npos) {
        if (const auto read = ReadClock(value.substr(space + 1))) {
            clock = *read;
            date_text = value.substr(0, space);
        }
    }
    const auto date = ReadDate(date_text);
    if (!date) {
        return false;
    }
    InitTo((*date)[0], (*date)[1], (*date)[2], clock[0], clock[1], clock[2]);
    return true;
}

int AXDateTimeClass::Compare(const AXDateTimeClass& other) const {
    const std::array<int, 6> mine = {year_, month_, day_, hour_, minute_, second_};
    const std::array<int, 6> theirs = {other.year_, other.month_,  other.day_,
                                       other.hour_, other.minute_, other.second_};
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (theirs[i] > mine[i]) {
            return -1;
        }
        if (theirs[i] < mine[i]) {
            return 1;
        }
    }
    return 0;
}

bool AXDateTimeClass::Matches(int year, int month, int day, int hour, int minute,
                              int second) const {
    const std::array<int, 6> mine = {year_, month_, day_, hour_, minute_, second_};
    const std::array<int, 6> wanted = {year, month, day, hour, minute, second};
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (wanted[i] >= 0 && wanted[i] != mine[i]) {
            return false;
        }
    }
    return true;
}

bool AXDateTimeClass::IsOnOrAfter(int year, int month, int day, int hour, int minute,
                                  int second) const {
    const std::array<int, 6> mine = {year_, month_, day_, hour_, minute_, second_};
    const std::array<int, 6> wanted = {year, month, day, hour, minute, second};
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (wanted[i] < 0 || wanted[i] == mine[i]) {
            continue;
        }
        return mine[i] > wanted[i];
    }
    return true;
}

}  // namespace meridia::astro
