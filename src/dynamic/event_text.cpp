#include "dynamic/event_text.h"

#include <cstdio>

#include "astro/derived_charts.h"
#include "startup/name_tables.h"
#include "textformats/zodiac_text.h"

namespace meridia::dynamic {

std::string EventDateTimeText(double jd_report) {
    const astro::CompactDateTime d = astro::LocalDateTime(jd_report, 0.0F);
    char text[64];
    std::snprintf(text, sizeof text, "%2d %s %5d %2d:%02d:%02d", d.day,
                  startup::Names().MonthName(d.month, true).c_str(), d.year, d.hour, d.minute,
                  d.second);
    return text;
}

EventCells EventRowCells(const DynamicSearchRequest& request, const DynamicEvent& event) {
    const auto& names = startup::Names();
    const auto cell = [](DynamicSortKey key) { return static_cast<std::size_t>(key); };
    EventCells cells;
    cells[cell(DynamicSortKey::kDate)] = EventDateTimeText(event.jul_day);
    const char symbol = event.symbol == kSymOther ? kSymExact : event.symbol;
    cells[cell(DynamicSortKey::kEvent)] = std::string("(") + symbol + ")";
    cells[cell(DynamicSortKey::kPoint1)] =
        names.PointName(event.tran_point, 0) + (event.tran_retro ? " R" : "");
    if (event.ra_point > 0) {
        cells[cell(DynamicSortKey::kPoint2)] = names.PointName(event.ra_point, 0);
    } else if (event.symbol == kSymHouseIngress) {
        cells[cell(DynamicSortKey::kPoint2)] = "House " + std::to_string(event.tran_house);
    }
    char weight[32];
    std::snprintf(weight, sizeof weight, "%.1f", static_cast<double>(event.weight));
    cells[cell(DynamicSortKey::kWeight)] = weight;
    cells[cell(DynamicSortKey::kType)] = EventTypeText(request, event.type);
    const aspects::AspectSet& set = request.aspect_set;
    if (event.aspect >= 1 && event.aspect <= set.Count()) {
        cells[cell(DynamicSortKey::kAspect)] = set.Aspect(event.aspect).name;
    }
    cells[cell(DynamicSortKey::kPosition1)] = textformats::FormatZodiacPosition(event.tran_pos);
    if (event.ra_pos != kNoTargetPosition) {
        cells[cell(DynamicSortKey::kPosition2)] = textformats::FormatZodiacPosition(event.ra_pos);
    }
    return cells;
}

std::string EventListingLine(const EventCells& cells) {
    const auto cell = [&cells](DynamicSortKey key) {
        return cells[static_cast<std::size_t>(key)].c_str();
    };
    char line[512];
    std::snprintf(line, sizeof line, "%s  %s %-6s %-12s %-16s %-8s %-12s %s",
                  cell(DynamicSortKey::kDate), cell(DynamicSortKey::kEvent),
                  cell(DynamicSortKey::kPoint1), cell(DynamicSortKey::kPosition1),
                  cell(DynamicSortKey::kAspect), cell(DynamicSortKey::kPoint2),
                  cell(DynamicSortKey::kPosition2), cell(DynamicSortKey::kType));
    return line;
}

}  // namespace meridia::dynamic
