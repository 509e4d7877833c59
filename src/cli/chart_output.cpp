#include "cli/chart_output.h"

#include <string>

#include "astro/extra_points.h"
#include "startup/name_tables.h"

namespace meridia::cli {

nlohmann::json ChartJson(const astro::ChartSlot& slot) {
    const astro::ChartRecord& record = slot.record;
    const auto& dt = record.data.date_time;
    nlohmann::json doc;
    doc["name"] = record.data.name;
    doc["place"] = record.data.place.place_name;
    doc["country"] = record.data.place.country;
    doc["date"] = {{"year", dt.year},
                   {"month", dt.month},
                   {"day", dt.day},
                   {"hour", dt.hour},
                   {"minute", dt.minute},
                   {"second", dt.second},
                   {"calendar", record.data.calendar}};
    doc["zone_hours"] = static_cast<double>(record.data.zone.hours);
    doc["zone_mnemonic"] = record.data.zone.mnemonic;
    doc["longitude"] = static_cast<double>(record.data.place.longitude);
    doc["latitude"] = static_cast<double>(record.data.place.latitude);
    doc["julian_day_ut"] = slot.julian_day_ut;
    doc["julian_day"] = slot.julian_day;
    doc["delta_t_hours"] = slot.delta_t;
    doc["sidereal_time_hours"] = slot.sidereal_time;
    doc["ramc"] = slot.ramc;
    doc["obliquity"] = slot.obliquity;
    doc["zodiac_offset"] = slot.zodiac_offset;
    doc["observer_latitude"] = slot.observer_latitude;
    doc["house_system"] = record.house_system;
    doc["zodiac"] = record.zodiac;
    doc["coords"] = record.coords;
    nlohmann::json cusps = nlohmann::json::array();
    for (int h = 1; h <= 12; ++h) {
        cusps.push_back(slot.cusps[static_cast<std::size_t>(h)]);
    }
    doc["cusps"] = cusps;
    doc["cusp1_is_ascendant"] = slot.first_cusp_is_ascendant != 0;
    doc["cusp10_is_midheaven"] = slot.tenth_cusp_is_midheaven != 0;
    // Built member by member: an initializer list would copy every value once more, which
    // counts when a batch lists thousands of charts.
    nlohmann::json& points = doc["points"] = nlohmann::json::array();
    const auto& names = startup::Names();
    for (int p = 1; p <= astro::PointsInUse(); ++p) {
        const auto i = static_cast<std::size_t>(p);
        nlohmann::json& point = points.emplace_back(nlohmann::json::object());
        point["number"] = p;
        point["abbr"] = names.PointName(p, 0);
        point["name"] = names.PointName(p, 1);
        point["longitude"] = slot.longitude[i];
        point["latitude"] = slot.latitude[i];
        point["speed"] = slot.speed[i];
        point["latitude_speed"] = slot.latitude_speed[i];
        point["distance"] = slot.distance[i];
        point["distance_speed"] = slot.distance_speed[i];
        point["declination"] = slot.declination[i];
        point["right_ascension"] = slot.right_ascension[i];
        point["house"] = slot.house[i];
        point["retrograde"] = slot.retrograde[i] != 0;
        if (const astro::ExtraPointDefinition* extra = astro::ExtraPointOf(p)) {
            point["kind"] = astro::ExtraKindName(extra->kind);
            point["definition"] = extra->definition;
        }
    }
    return doc;
}

}  // namespace meridia::cli
