#include "dynamic/event_text.h"

#include <cstdio>

#include "astro/derived_charts.h"
#include "startup/name_tables.h"

namespace meridia::dynamic {

std::string EventDateTimeText(double jd_report) {
    const astro::CompactDateTime d = astro::LocalDateTime(jd_report, 0.0F);
    char text[64];
    std::snprintf(text, sizeof text, "%2d %s %5d %2d:%02d:%02d", d.day,
                  startup::Names().MonthName(d.month, true).c_str(), d.year, d.hour, d.minute,
                  d.second);
    return text;
}

}  // namespace meridia::dynamic
