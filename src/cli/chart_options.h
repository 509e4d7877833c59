// The typed chart fields of the command line (name, date, time, zone, coordinates, place,
// calendar, house system, zodiac, coordinate system, event type, rating, source, or a chart
// of a chart file), registered under a prefix ("--" for the first chart, "--b-" for a second
// one) into the chart entry of the core.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "charts/chart_entry.h"

namespace meridia::cli {

// Registers the chart fields on a command with the prefix ("--" or "--b-"). The entry must
// outlive the parse.
void AddChartOptions(CLI::App& command, charts::ChartEntry& entry, const std::string& prefix);

}  // namespace meridia::cli
