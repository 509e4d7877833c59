// Chart records for tests: the fields a test cares about, the rest at the record's own defaults
// (a natal chart at 0 N 0 E, tropical zodiac, house system 4, geocentric). Degrees with longitude
// west positive; zone in hours added to local time to get UT.
#pragma once

#include <cstdint>
#include <string>

#include "astro/chart_record.h"

namespace meridia::testing {

struct RecordFields {
    std::string name = "Test";
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 12;
    int minute = 0;
    int second = 0;
    float zone = 0.0F;
    float latitude = 0.0F;
    float longitude = 0.0F;
    int house_system = 4;
    int zodiac = 1;
    int coords = 1;
    int chart_class = 1;
    std::string place = "";
    std::string country = "";
    std::string zone_mnemonic = "";
    std::string rating = "";
    std::string source = "";
};

inline astro::ChartRecord MakeRecord(const RecordFields& f) {
    astro::ChartRecord record;
    record.data.name = f.name;
    record.data.date_time = {
        static_cast<std::int16_t>(f.year),   static_cast<std::uint8_t>(f.month),
        static_cast<std::uint8_t>(f.day),    static_cast<std::uint8_t>(f.hour),
        static_cast<std::uint8_t>(f.minute), static_cast<std::uint8_t>(f.second)};
    record.data.zone.hours = f.zone;
    record.data.zone.mnemonic = f.zone_mnemonic;
    record.data.place.place_name = f.place;
    record.data.place.country = f.country;
    record.data.place.latitude = f.latitude;
    record.data.place.longitude = f.longitude;
    record.house_system = static_cast<std::uint8_t>(f.house_system);
    record.zodiac = static_cast<std::uint8_t>(f.zodiac);
    record.coords = static_cast<std::uint8_t>(f.coords);
    record.chart_class = static_cast<std::uint8_t>(f.chart_class);
    record.rating = f.rating;
    record.source = f.source;
    return record;
}

}  // namespace meridia::testing
