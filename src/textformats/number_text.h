// Small number texts shared by reports and lists: ordinals ("1st", "22nd") and the unit
// suffixes that close a duration shown in brackets ("(5 mins)").
#pragma once

#include <string>
#include <string_view>

namespace meridia::textformats {

// "st", "nd", "rd" or "th" for a whole number (11, 12 and 13 take "th").
std::string_view OrdinalSuffix(long number);
// The number followed by its ordinal suffix: "1st", "12th", "103rd".
std::string Ordinal(long number);

enum class DurationUnit { kSeconds, kMinutes, kHours };

// " secs)", " mins)" or " hrs)".
std::string_view DurationSuffix(DurationUnit unit);

}  // namespace meridia::textformats
