#include "textformats/time_text.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "startup/messages.h"
#include "startup/session.h"
#include "startup/text_tools.h"
#include "startup/zone_mnemonics.h"
#include "textformats/text_scan.h"

namespace meridia::textformats {

namespace {

using detail::Padded;

constexpr std::string_view kTimeTitle = "Error in Time";
constexpr std::string_view kTimeFormatLine = "The format of the time is not recognised.";
constexpr std::string_view kZoneTitle = "Error in Time Zone";
constexpr long kMaxZoneHours = 13;

void ShowTimeError(std::string_view detail_line, std::string_view example_line = {}) {
    const std::string text = example_line.empty()
                                 ? startup::JoinLines({kTimeFormatLine, detail_line})
                                 : startup::JoinLines({kTimeFormatLine, detail_line, example_line});
    startup::ShowMessage(text, startup::kCritical, kTimeTitle);
}

enum class HalfDay { kNone, kMorning, kAfternoon };

// Removes a trailing AM/PM mark ("AM", "A", "PM", "P", with or without full stops).
HalfDay TakeHalfDay(std::string& text) {
    struct Suffix {
        std::string_view text;
        HalfDay half;
    };
    static constexpr Suffix kSuffixes[] = {
        {"A.M.", HalfDay::kMorning}, {"A.M", HalfDay::kMorning},    {"AM", HalfDay::kMorning},
        {"A", HalfDay::kMorning},    {"P.M.", HalfDay::kAfternoon}, {"P.M", HalfDay::kAfternoon},
        {"PM", HalfDay::kAfternoon}, {"P", HalfDay::kAfternoon}};
    for (const Suffix& suffix : kSuffixes) {
        if (text.size() >= suffix.text.size() &&
            text.compare(text.size() - suffix.text.size(), suffix.text.size(), suffix.text) == 0) {
            text.resize(text.size() - suffix.text.size());
            return suffix.half;
        }
    }
    return HalfDay::kNone;
}

// Hours of a zone value text: optional sign, then hours, minutes and seconds separated by
// colons (hours 0-13, minutes and seconds 0-59).
std::optional<double> ZoneHoursOfText(std::string_view text) {
    text = startup::Trim(text);
    double sign = 1.0;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1.0 : 1.0;
        text.remove_prefix(1);
    }
    long fields[3] = {0, 0, 0};
    std::size_t count = 0;
    while (true) {
        const std::size_t colon = text.find(':');
        const auto value = detail::DigitsValue(text.substr(0, colon));
        if (!value || count == 3) {
            return std::nullopt;
        }
        fields[count++] = *value;
        if (colon == std::string_view::npos) {
            break;
        }
        text.remove_prefix(colon + 1);
    }
    if (fields[0] > kMaxZoneHours || fields[1] > 59 || fields[2] > 59) {
        return std::nullopt;
    }
    return sign * (static_cast<double>(fields[0]) + static_cast<double>(fields[1]) / 60.0 +
                   static_cast<double>(fields[2]) / 3600.0);
}

}  // namespace

double DecimalHours(const ClockTime& time) {
    return time.hour + time.minute / 60.0 + time.second / 3600.0;
}

std::optional<ClockTime> ParseTime(std::string_view text) {
    std::string work = startup::UpperAscii(startup::Trim(text));
    if (work == "NOON" || work == "MIDDAY") {
        work = "12 PM";
    } else if (work == "MIDNIGHT") {
        work = "0 AM";
    }
    const HalfDay half = TakeHalfDay(work);

    std::vector<std::string> numbers;
    std::string current;
    bool letters = false;
    bool foreign = false;
    for (char c : work) {
        if (detail::IsDigit(c)) {
            current += c;
            continue;
        }
        if (detail::IsLetter(c)) {
            letters = true;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            foreign = true;
        }
        if (!current.empty()) {
            numbers.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) {
        numbers.push_back(current);
    }
    if (letters) {
        ShowTimeError("Specify AM for morning, PM for afternoon, or neither for the 24 hour clock.",
                      "Please use a valid format e.g. 11:59:59 AM");
        return std::nullopt;
    }
    if (foreign || numbers.empty() || numbers.size() > 3) {
        ShowTimeError("Please use numbers separated by colons e.g. 11:45 PM");
        return std::nullopt;
    }

    // Digit runs too long for a number read as out of range.
    long fields[3] = {0, 0, 0};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        fields[i] = detail::DigitsValue(numbers[i]).value_or(1000);
    }

    long hour = fields[0];
    switch (half) {
        case HalfDay::kMorning:
            if (hour > 12) {
                ShowTimeError("Hours must be in the range 0 to 12 if AM is specified.",
                              "Please use a valid format e.g. 11:59:59 AM");
                return std::nullopt;
            }
            hour %= 12;
            break;
        case HalfDay::kAfternoon:
            // 12 PM is noon: the hour is taken modulo 12 before 12 is added.
            if (hour > 12) {
                ShowTimeError("Hours must be in the range 0 to 12 if PM is specified.",
                              "Please use a valid format e.g. 11:59:59 PM");
                return std::nullopt;
            }
            hour = hour % 12 + 12;
            break;
        case HalfDay::kNone:
            if (hour > 23) {
                ShowTimeError("Hours must be in the range 0 to 23.",
                              "Please use a valid format e.g. 23:59:59");
                return std::nullopt;
            }
            break;
    }
    if (fields[1] > 59) {
        ShowTimeError("Minutes must be in the range 0 to 59.",
                      "Please use a valid format e.g. 10:45 PM");
        return std::nullopt;
    }
    if (fields[2] > 59) {
        ShowTimeError("Seconds must be in the range 0 to 59.",
                      "Please use a valid format e.g. 10:45 PM");
        return std::nullopt;
    }
    return ClockTime{static_cast<int>(hour), static_cast<int>(fields[1]),
                     static_cast<int>(fields[2])};
}

std::string FormatTime(int hour, int minute, int second, const TimeFormatOptions& options) {
    hour = std::clamp(hour, 0, 23);
    minute = std::clamp(minute, 0, 59);
    second = std::clamp(second, 0, 59);
    const bool twelve_hour =
        options.twelve_hour.value_or(startup::CurrentSession().settings().GetBool("Clock12Hour"));

    std::string suffix;
    if (twelve_hour) {
        const bool morning = hour < 12;
        if (options.short_suffix) {
            suffix = morning ? " a" : " p";
        } else {
            suffix = morning ? " am" : " pm";
        }
        if (hour > 12) {
            hour -= 12;
        }
    }
    std::string out = Padded(hour, options.two_digit_hour ? 2 : 1);
    out += ':';
    out += Padded(minute, 2);
    if (second >= 1 || options.with_seconds) {
        out += ':';
        out += Padded(second, 2);
    }
    return out + suffix;
}

std::string FormatTime(const ClockTime& time, const TimeFormatOptions& options) {
    return FormatTime(time.hour, time.minute, time.second, options);
}

std::optional<double> ParseTimeZone(std::string_view text) {
    const std::string key = startup::UpperAscii(startup::Trim(text));
    for (const auto& entry : startup::ZoneMnemonics().entries) {
        if (!key.empty() && startup::UpperAscii(startup::Trim(entry.mnemonic)) == key) {
            if (const auto hours = ZoneHoursOfText(entry.value)) {
                return hours;
            }
            startup::ShowMessage(
                startup::JoinLines(
                    {"The format of the Time Zone mnemonic has been recognised as valid,",
                     "but the corresponding time value is not valid: " + entry.value,
                     "You must edit the time zone file after exiting from this program.",
                     "Ensure that you use hours, minutes and seconds separated by colons e.g. "
                     "-10:30"}),
                startup::kCritical, kZoneTitle);
            return std::nullopt;
        }
    }
    if (const auto hours = ZoneHoursOfText(key)) {
        return hours;
    }
    startup::ShowMessage(
        startup::JoinLines({"The format of the Time Zone is not recognised.",
                            "Please use a valid mnemonic (e.g. GMT) or a time.",
                            "This may be selected from a list by clicking on the Zone button.",
                            "If entering time, please use hours minutes and seconds separated by "
                            "colons e.g. -10:30"}),
        startup::kCritical, kZoneTitle);
    return std::nullopt;
}

std::string FormatTimeZone(double zone_hours) {
    if (!std::isfinite(zone_hours)) {
        zone_hours = 0.0;
    }
    const char sign = zone_hours >= 0.0 ? '+' : '-';
    // Adding 0.00014 hour (about half a second) rounds to the nearest second.
    const double magnitude = std::fmin(std::fabs(zone_hours), 1.0e6) + 0.00014;
    const double hours = std::floor(magnitude);
    const double minutes_exact = (magnitude - hours) * 60.0;
    const double minutes = std::floor(minutes_exact);
    const double seconds = std::floor((minutes_exact - minutes) * 60.0);

    std::string out(1, sign);
    out += std::to_string(static_cast<long>(hours));
    out += ':';
    out += Padded(static_cast<long>(minutes), 2);
    if (seconds != 0.0) {
        out += ':';
        out += Padded(static_cast<long>(seconds), 2);
    }
    return out;
}

}  // namespace meridia::textformats
