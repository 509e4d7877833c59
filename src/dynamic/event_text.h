// The date and time of a dynamic report's event as its listing shows it.
#pragma once

#include <string>

namespace meridia::dynamic {

// " 5 Dec  2026 14:03:07": the event's instant in report time (the report zone's clock), the
// day, short month name, year, and time to the second.
std::string EventDateTimeText(double jd_report);

}  // namespace meridia::dynamic
