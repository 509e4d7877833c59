#include "cli/chart_options.h"

namespace meridia::cli {

void AddChartOptions(CLI::App& command, charts::ChartEntry& options, const std::string& prefix) {
    options.field_prefix = prefix;
    const auto name = [&prefix](const char* field) { return prefix + field; };
    command.add_option(name("name"), options.name, "Chart name (default \"Untitled\")");
    command.add_option(name("date"), options.date, "Date, as typed in the chart entry form");
    command.add_option(name("time"), options.time, "Local clock time");
    command.add_option(name("zone"), options.zone,
                       "Zone: hours added to local time for UT (east negative) or a mnemonic");
    command.add_option(name("lat"), options.lat, "Latitude, e.g. 48N24");
    command.add_option(name("lon"), options.lon, "Longitude, e.g. 10E00");
    command.add_option(name("place"), options.place, "Place name (looked up when needed)");
    command.add_option(name("country"), options.country, "Country or state of the place");
    command.add_option(name("calendar"), options.calendar, "0 by date, 1 Gregorian, 2 Julian")
        ->check(CLI::Range(0, 2));
    command.add_option(name("house"), options.house, "House system code 1-32")
        ->check(CLI::Range(0, 255));
    command.add_option(name("zodiac"), options.zodiac, "Zodiac code 0-17")
        ->check(CLI::Range(0, 17));
    command.add_option(name("coords"), options.coords, "1 geocentric, 2 heliocentric")
        ->check(CLI::Range(1, 2));
    command.add_option(name("event-type"), options.event_type, "Event type 0-4")
        ->check(CLI::Range(0, 4));
    command.add_option(name("rating"), options.rating, "Source rating");
    command.add_option(name("source"), options.source, "Source text");
    command.add_option(name("file"), options.file, "Chart file to take the chart from");
    command.add_option(name("chart"), options.chart, "Chart number in the chart file")
        ->check(CLI::PositiveNumber);
}

}  // namespace meridia::cli
