// The typed chart fields of the command line (name, date, time, zone, coordinates, place,
// calendar, house system, zodiac, coordinate system, event type, rating, source, or a chart
// of a chart file), registered under a prefix ("--" for the first chart, "--b-" for a second
// one) and read with the same parsers as the chart entry form.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>

#include "astro/chart_record.h"

namespace meridia::cli {

struct ChartOptions {
    std::string name = "Untitled";
    std::string date;
    std::string time;
    std::string zone;
    std::string lat;
    std::string lon;
    std::string place;
    std::string country;
    std::optional<int> calendar;
    std::optional<int> house;
    std::optional<int> zodiac;
    std::optional<int> coords;
    std::optional<int> event_type;
    std::string rating;
    std::string source;
    std::string file;
    std::optional<int> chart;
    std::string prefix = "--";

    // True when any field of this chart was given.
    bool Given() const;
};

// Registers the chart fields on a command with the prefix ("--" or "--b-"). The options
// object must outlive the parse.
void AddChartOptions(CLI::App& command, ChartOptions& options, const std::string& prefix);

// Loads chart n (1-based) of a chart file; nothing (message shown) when it cannot be read.
using ChartLoader =
    std::function<std::optional<astro::ChartRecord>(const std::string& path, int n)>;
// The loader of the chart-file layer (any format the program reads).
ChartLoader DefaultChartLoader();

// The chart record the fields describe, read with the entry form's parsers (their messages
// go through ShowMessage); a place name fills the coordinates and zone that were not typed.
// Nothing when a field was refused: the caller exits with status 2.
std::optional<astro::ChartRecord> BuildChartRecord(const ChartOptions& options,
                                                   const ChartLoader& loader);

}  // namespace meridia::cli
