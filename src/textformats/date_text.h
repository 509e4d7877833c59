// Typed calendar dates: the date parser of the entry fields and the date formatter. Years
// use astronomical numbering (1 BC = year 0). The date order (DateOrderMDY: month first or
// day first), the two-digit-year pivot (DefCentury), the calendar-mark window
// (CalendarMarkFrom..CalendarMarkTo) and ShowStatedCalendar come from the session settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "textformats/calendar.h"

namespace meridia::textformats {

// A date as typed: day, month and year as written, and the calendar it was stated in
// (kAutomatic when the text carried no OS/NS mark).
struct DateValue {
    int day = 1;
    int month = 1;
    int year = 2000;
    CalendarMode calendar = CalendarMode::kAutomatic;

    friend bool operator==(const DateValue&, const DateValue&) = default;
};

// Parses "31 Dec 1992", "31st December 1992", "31/12/1992", "31Dec1992" (day first) or
// "Dec 31 1992", "12/31/1992" (month first), "1992" (1 January), "44 BC" forms, "OS"/"NS"
// calendar marks and two-digit years placed by the DefCentury pivot; a date without a year
// takes the current year. On failure shows the "Error in Date" message when `show_errors`
// is set, and returns no value.
std::optional<DateValue> ParseDate(std::string_view text, bool show_errors = true);

// The year that a date typed without a year takes: the fixed year when one was set for the
// session (reproducible runs and tests), else the system clock's local year.
int CurrentYear();
// Fixes (or with std::nullopt releases) the current session's year for CurrentYear.
void FixCurrentYear(std::optional<int> year);

// "Dec 31 1992" (month first) or "31 Dec 1992" (day first); years below 1 as "44 BC"; years
// inside the calendar-mark window followed by " NS" or " OS".
std::string FormatDate(int day, int month, int year, CalendarMode calendar);
std::string FormatDate(const DateValue& date);

}  // namespace meridia::textformats
