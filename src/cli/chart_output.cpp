#include "cli/chart_output.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/extra_points.h"
#include "startup/name_tables.h"
#include "textformats/angle_text.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"
#include "textformats/zodiac_text.h"

namespace meridia::cli {

namespace {

// Whole seconds of arc of an angle, rounded, split into degrees, minutes and seconds.
struct Dms {
    long degrees;
    int minutes;
    int seconds;
};

Dms ToDms(double angle) {
    const long total = std::lround(std::fabs(angle) * 3600.0);
    return {total / 3600, static_cast<int>((total / 60) % 60), static_cast<int>(total % 60)};
}

std::string SignedDms(double angle) {
    const Dms d = ToDms(angle);
    char text[48];
    std::snprintf(text, sizeof text, "%c%3ld %02d'%02d\"", angle < 0.0 ? '-' : '+', d.degrees,
                  d.minutes, d.seconds);
    return text;
}

std::string HoursText(double hours) {
    const Dms d = ToDms(hours);
    char text[48];
    std::snprintf(text, sizeof text, "%ldh%02dm%02ds", d.degrees, d.minutes, d.seconds);
    return text;
}

}  // namespace

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

void WriteChartListing(std::ostream& out, const astro::ChartSlot& slot) {
    const astro::ChartRecord& record = slot.record;
    const auto& dt = record.data.date_time;
    const auto& names = startup::Names();
    const auto calendar = static_cast<textformats::CalendarMode>(record.data.calendar);
    out << "*** " << record.data.name << " ***\n";
    out << "Date:          " << textformats::FormatDate(dt.day, dt.month, dt.year, calendar) << "  "
        << textformats::FormatTime(dt.hour, dt.minute, dt.second, {true}) << "  Zone "
        << textformats::FormatTimeZone(record.data.zone.hours);
    if (!record.data.zone.mnemonic.empty()) {
        out << " (" << record.data.zone.mnemonic << ")";
    }
    out << '\n';
    out << "Place:         ";
    if (!record.data.place.place_name.empty()) {
        out << record.data.place.place_name;
        if (!record.data.place.country.empty()) {
            out << ", " << record.data.place.country;
        }
        out << "  ";
    }
    out << textformats::FormatLatitude(record.data.place.latitude) << "  "
        << textformats::FormatLongitude(record.data.place.longitude) << '\n';
    out << "House system:  " << names.Form(startup::kHouseSystemNamesBase + record.house_system, 0)
        << "\nZodiac:        " << names.Form(startup::kZodiacNamesBase + record.zodiac, 0)
        << "\nCoordinates:   " << names.Form(startup::kCoordSystemNamesBase + record.coords, 0)
        << '\n';
    char line[160];
    std::snprintf(line, sizeof line, "Julian day:    %.6f UT, %.6f ET (delta T %.2f s)\n",
                  slot.julian_day_ut, slot.julian_day, slot.delta_t * 3600.0);
    out << line;
    out << "Sidereal time: " << HoursText(slot.sidereal_time) << "   RAMC " << SignedDms(slot.ramc)
        << "   Obliquity " << SignedDms(slot.obliquity) << '\n';
    if (slot.zodiac_offset != 0.0) {
        out << "Zodiac offset: " << SignedDms(slot.zodiac_offset) << '\n';
    }
    out << "\nPoint                  Longitude          Latitude       Speed   Declination  "
           "House\n";
    for (int p = 1; p <= astro::PointsInUse(); ++p) {
        const auto i = static_cast<std::size_t>(p);
        if (slot.longitude[i] < 0.0) {
            std::snprintf(line, sizeof line, "%-22s %s\n", names.PointName(p, 1).c_str(),
                          textformats::FormatZodiacPosition(-1.0).c_str());
            out << line;
            continue;
        }
        std::snprintf(line, sizeof line, "%-22s %s %s  %s  %+9.4f  %s  %3d\n",
                      names.PointName(p, 1).c_str(),
                      textformats::FormatZodiacPosition(slot.longitude[i]).c_str(),
                      slot.retrograde[i] != 0 ? "R" : " ", SignedDms(slot.latitude[i]).c_str(),
                      slot.speed[i], SignedDms(slot.declination[i]).c_str(), slot.house[i]);
        out << line;
    }
    out << "\nHouse cusps\n";
    for (int h = 1; h <= 12; ++h) {
        std::snprintf(
            line, sizeof line, "%2d  %s\n", h,
            textformats::FormatZodiacPosition(slot.cusps[static_cast<std::size_t>(h)]).c_str());
        out << line;
    }
}

}  // namespace meridia::cli
