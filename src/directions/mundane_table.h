// The speculum of a chart typed on the command line or in a dialog: the primary-direction
// quantities of every selected point, as `meridia-cli speculum` lists them.
#pragma once

#include <string>
#include <vector>

#include "charts/chart_entry.h"
#include "directions/mundane_positions.h"
#include "startup/status.h"

namespace meridia::directions {

// Slot of the chart table the speculum's chart is calculated into.
inline constexpr int kSpeculumSlot = 1;

struct SpeculumRow {
    int number = 0;
    Speculum speculum;
};

struct SpeculumTable {
    std::string chart_name;
    std::vector<SpeculumRow> rows;
};

// Calculates the entry's chart and the speculum of each point of the point-list option
// (charts/point_list.h; "" takes every point in use), leaving out points without a position.
// A chart or a point list that cannot be used gives the entry's or the list's status.
startup::StatusOr<SpeculumTable> CalculateSpeculumTable(const charts::ChartEntry& entry,
                                                        const std::string& points);

}  // namespace meridia::directions
