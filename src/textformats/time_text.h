// Typed clock times and time zones: the parsers of the entry fields and their formatters.
// A clock time is local hour 0-23, minute and second; a zone is decimal hours to add to
// local clock time to get Universal Time (east of Greenwich negative: "-10:30" is -10.5).
// The 12-hour clock setting (Clock12Hour) and the zone mnemonics come from the session.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace meridia::textformats {

struct ClockTime {
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;

    friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

// Decimal hours of a clock time.
double DecimalHours(const ClockTime& time);

// Parses "23:59:59", "9:05 pm", "9:05P", "12 AM" (0:00), "12 PM" (12:00), "NOON",
// "MIDDAY", "MIDNIGHT". On failure shows the "Error in Time" message and returns no value.
std::optional<ClockTime> ParseTime(std::string_view text);

struct TimeFormatOptions {
    bool with_seconds = false;                       // seconds shown even when zero
    bool two_digit_hour = false;                     // "09:05" rather than "9:05"
    bool short_suffix = false;                       // " a" / " p" rather than " am" / " pm"
    std::optional<bool> twelve_hour = std::nullopt;  // empty: the Clock12Hour setting
};

// "21:05", "9:05 pm", "9:05:30 pm", "0:30 am" (hour 0 stays 0 on the 12-hour clock).
// Fields are clamped to 0-23, 0-59, 0-59.
std::string FormatTime(int hour, int minute, int second, const TimeFormatOptions& options = {});
std::string FormatTime(const ClockTime& time, const TimeFormatOptions& options = {});

// Parses a zone mnemonic of the session's table ("GMT") or a signed time "-10:30",
// "+5", "-0:40:30" (hours -13..13). On failure shows the "Error in Time Zone" message and
// returns no value.
std::optional<double> ParseTimeZone(std::string_view text);

// "-10:30", "+0:00", "+5:45:30" (seconds only when not zero, rounded to the second).
std::string FormatTimeZone(double zone_hours);

}  // namespace meridia::textformats
