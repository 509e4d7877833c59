#include "textformats/number_text.h"

namespace meridia::textformats {

std::string_view OrdinalSuffix(long number) {
    const long magnitude = number < 0 ? -(number % 100) : number % 100;
    if (magnitude >= 11 && magnitude <= 13) {
        return "th";
    }
    switch (magnitude % 10) {
        case 1:
            return "st";
        case 2:
            return "nd";
        case 3:
            return "rd";
        default:
            return "th";
    }
}

std::string Ordinal(long number) {
    return std::to_string(number) + std::string(OrdinalSuffix(number));
}

std::string_view DurationSuffix(DurationUnit unit) {
    switch (unit) {
        case DurationUnit::kSeconds:
            return " secs)";
        case DurationUnit::kMinutes:
            return " mins)";
        case DurationUnit::kHours:
            return " hrs)";
    }
    return " secs)";
}

}  // namespace meridia::textformats
