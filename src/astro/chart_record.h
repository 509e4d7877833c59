// The chart record in memory: the chart as entered (name, place, local date and time, zone,
// chart type, house system, zodiac, coordinates). Its 292-byte file form is read and written
// field by field by the chart-file layer; text here is UTF-8.
// Angles in degrees: longitude positive west, latitude positive north. Zone in hours added to
// local clock time to get universal time (east of Greenwich negative).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace meridia::astro {

// Local clock date and time at the place; years in astronomical numbering (0 = 1 BC).
struct CompactDateTime {
    std::int16_t year = 2000;
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

struct ZoneBlock {
    float hours = 0.0F;    // hours to add to local time to get UT
    std::string mnemonic;  // at most 5 characters; empty when typed as a number
};

struct PlaceBlock {
    std::string place_name;  // at most 20 characters
    std::string country;     // at most 20 characters (country, or state)
    float longitude = 0.0F;  // degrees, west positive
    float latitude = 0.0F;   // degrees, north positive
};

struct ChartData {
    std::string name;  // at most 50 characters
    PlaceBlock place;
    CompactDateTime date_time;
    ZoneBlock zone;
    std::uint8_t calendar = 0;  // 0 decided by the date, 1 Gregorian, 2 Julian
};

struct ChartRecord {
    std::uint8_t chart_class = 1;  // 1..18
    std::uint8_t chart_kind = 1;   // 1..80
    ChartData data;
    std::uint8_t event_type = 0;    // 0 Unspecified, 1 Male, 2 Female, 3 Event, 4 Horary
    std::string rating;             // at most 2 characters
    std::string source;             // at most 30 characters
    std::uint8_t house_system = 4;  // 1..32
    std::uint8_t zodiac = 1;        // 0..17
    float user_svp = 0.0F;          // degrees
    std::uint8_t coords = 1;        // 1 geocentric, 2 heliocentric
    std::int32_t comment_link = 0;
    ChartData base;  // a derived chart's base chart; blank otherwise
    std::array<std::uint8_t, 4> derived_params{};
};

}  // namespace meridia::astro
