#include "cli/chart_options.h"

#include <cctype>
#include <utility>

#include "charts/chart_files.h"
#include "places/place_files.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "textformats/angle_text.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::cli {

namespace {

namespace tf = meridia::textformats;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A message about the command line itself (no parser covers it).
void Refuse(const std::string& text) {
    startup::ShowMessage(text, startup::kExclamation, "meridia-cli");
}

}  // namespace

bool ChartOptions::Given() const {
    return !date.empty() || !time.empty() || !zone.empty() || !lat.empty() || !lon.empty() ||
           !place.empty() || !file.empty() || chart.has_value();
}

void AddChartOptions(CLI::App& command, ChartOptions& options, const std::string& prefix) {
    options.prefix = prefix;
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

ChartLoader DefaultChartLoader() {
    return [](const std::string& path, int n) -> std::optional<astro::ChartRecord> {
        auto stored = charts::LoadChartByNumber(path, n);
        if (!stored) {
            return std::nullopt;
        }
        return stored->record;
    };
}

std::optional<astro::ChartRecord> BuildChartRecord(const ChartOptions& options,
                                                   const ChartLoader& loader) {
    const std::string& p = options.prefix;
    if (!options.file.empty() || options.chart.has_value()) {
        if (options.file.empty() || !options.chart.has_value()) {
            Refuse(p + "file and " + p + "chart go together.");
            return std::nullopt;
        }
        if (!loader) {
            Refuse("Chart files cannot be read here.");
            return std::nullopt;
        }
        const long shown_before = startup::CurrentSession().messages_shown();
        auto loaded = loader(options.file, *options.chart);
        if (!loaded) {
            if (startup::CurrentSession().messages_shown() != shown_before) {
                return std::nullopt;  // the chart-file layer has said why
            }
            Refuse("Chart " + std::to_string(*options.chart) + " of " + options.file +
                   " cannot be read.");
            return std::nullopt;
        }
        return loaded;
    }

    if (Trimmed(options.date).empty()) {
        Refuse("A chart needs " + p + "date (or " + p + "file and " + p + "chart).");
        return std::nullopt;
    }
    const bool have_coordinates = !Trimmed(options.lat).empty() && !Trimmed(options.lon).empty();
    if (!have_coordinates && Trimmed(options.place).empty()) {
        Refuse("A chart needs " + p + "lat and " + p + "lon, or " + p + "place.");
        return std::nullopt;
    }

    const auto& settings = startup::CurrentSession().settings();
    astro::ChartRecord record;
    record.data.name = options.name;
    record.house_system =
        static_cast<std::uint8_t>(options.house.value_or(settings.GetInt("HouseSystem")));
    record.zodiac = static_cast<std::uint8_t>(options.zodiac.value_or(settings.GetInt("Ayanamsa")));
    record.coords = static_cast<std::uint8_t>(options.coords.value_or(1));
    record.event_type = static_cast<std::uint8_t>(options.event_type.value_or(0));
    record.rating = options.rating;
    record.source = options.source;

    const auto date = tf::ParseDate(options.date, true);
    if (!date) {
        return std::nullopt;
    }
    if (date->year < -32768 || date->year > 32767) {
        Refuse("The year is outside the range of a chart.");
        return std::nullopt;
    }
    tf::ClockTime clock;
    if (!Trimmed(options.time).empty()) {
        const auto parsed = tf::ParseTime(options.time);
        if (!parsed) {
            return std::nullopt;
        }
        clock = *parsed;
    }
    const int calendar = options.calendar.value_or(static_cast<int>(date->calendar));
    record.data.calendar = static_cast<std::uint8_t>(calendar);
    auto& dt = record.data.date_time;
    dt.year = static_cast<std::int16_t>(date->year);
    dt.month = static_cast<std::uint8_t>(date->month);
    dt.day = static_cast<std::uint8_t>(date->day);
    dt.hour = static_cast<std::uint8_t>(clock.hour);
    dt.minute = static_cast<std::uint8_t>(clock.minute);
    dt.second = static_cast<std::uint8_t>(clock.second);

    std::optional<double> zone;
    std::string mnemonic;
    const std::string zone_text = Trimmed(options.zone);
    if (!zone_text.empty()) {
        zone = tf::ParseTimeZone(zone_text);
        if (!zone) {
            return std::nullopt;
        }
        if (std::isalpha(static_cast<unsigned char>(zone_text.front())) != 0) {
            for (char c : zone_text) {
                mnemonic.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
            }
        }
    }
    std::optional<double> latitude;
    std::optional<double> longitude;
    if (!Trimmed(options.lat).empty()) {
        latitude = tf::ParseLatitude(options.lat);
        if (!latitude) {
            return std::nullopt;
        }
    }
    if (!Trimmed(options.lon).empty()) {
        longitude = tf::ParseLongitude(options.lon);
        if (!longitude) {
            return std::nullopt;
        }
    }

    record.data.place.place_name = options.place;
    record.data.place.country = options.country;
    if (!Trimmed(options.place).empty() && (!latitude || !longitude || !zone)) {
        places::LocalMoment moment;
        moment.year = dt.year;
        moment.month = dt.month;
        moment.day = dt.day;
        moment.hour = dt.hour;
        moment.minute = dt.minute;
        const auto found = places::FindPlaceForMoment(options.place, options.country, moment);
        if (!found || !found->found) {
            return std::nullopt;
        }
        if (!latitude) {
            latitude = found->place.latitude;
        }
        if (!longitude) {
            longitude = found->place.longitude;
        }
        if (!zone) {
            zone = found->place.zone_hours;
            mnemonic = found->place.zone_mnemonic;
        }
        if (options.country.empty()) {
            record.data.place.country = found->place.country;
        }
    }
    if (!latitude || !longitude) {
        Refuse("A chart needs " + p + "lat and " + p + "lon, or " + p + "place.");
        return std::nullopt;
    }
    record.data.place.latitude = static_cast<float>(*latitude);
    record.data.place.longitude = static_cast<float>(*longitude);
    record.data.zone.hours = static_cast<float>(zone.value_or(0.0));
    record.data.zone.mnemonic = mnemonic;
    if (!tf::IsValidCalendarDate(dt.day, dt.month, dt.year,
                                 static_cast<tf::CalendarMode>(record.data.calendar))) {
        Refuse("The date does not exist in the calendar chosen.");
        return std::nullopt;
    }
    return record;
}

}  // namespace meridia::cli
