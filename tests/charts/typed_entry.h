// A chart typed as a user types it into the chart entry form: Ulm, 14 March 1879, 11:30, for
// the tests of the typed jobs of this library.
#pragma once

#include <string>
#include <utility>

#include "charts/chart_entry.h"

namespace meridia::charts {

inline ChartEntry TypedUlmEntry(std::string name) {
    ChartEntry entry;
    entry.name = std::move(name);
    entry.date = "14 Mar 1879";
    entry.time = "11:30";
    entry.lat = "48N24";
    entry.lon = "10E00";
    return entry;
}

}  // namespace meridia::charts
