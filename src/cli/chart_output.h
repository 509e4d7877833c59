// The output of a calculated chart shared by the chart, derive and riseset commands: the JSON
// document of `meridia-cli chart --json` (the readable listing is the core's,
// charts/chart_listing.h).
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>

#include "astro/chart_table.h"
#include "charts/chart_listing.h"

namespace meridia::cli {

// The chart in a slot as the chart command's JSON document (angles in degrees, times as
// Julian days UT and ET, delta T and sidereal time in hours).
nlohmann::json ChartJson(const astro::ChartSlot& slot);

}  // namespace meridia::cli
