// The texts of a dynamic report's events: the date and time of an event, and the cells of its
// row, which the report window's columns and the listing's lines both show.
#pragma once

#include <array>
#include <string>

#include "dynamic/dynamic_engine.h"

namespace meridia::dynamic {

// " 5 Dec  2026 14:03:07": the event's instant in report time (the report zone's clock), the
// day, short month name, year, and time to the second.
std::string EventDateTimeText(double jd_report);

// The cells of an event's row, indexed by the sort key of their column (DynamicSortKey): the
// date and time, the event symbol in brackets ("(X)"; eclipses and exact lunar phases show X
// too), the moving point's abbreviation (" R" added when retrograde), the target point's
// ("House N" for a house ingress), the weight to one decimal, the event type, the aspect's name in
// the request's set, and the moving and target positions (the target's empty when it has none).
using EventCells = std::array<std::string, 9>;
EventCells EventRowCells(const DynamicSearchRequest& request, const DynamicEvent& event);

// One line of the report's listing (without its line break): date, symbol, moving point and its
// position, aspect, target point and its position, event type, in padded columns.
std::string EventListingLine(const EventCells& cells);

}  // namespace meridia::dynamic
