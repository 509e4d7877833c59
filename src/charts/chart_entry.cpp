#include "charts/chart_entry.h"

#include <cstdint>
#include <string>
#include <utility>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/extra_points.h"
#include "astro/houses.h"
#include "charts/chart_files.h"
#include "charts/entry_defaults.h"
#include "places/place_files.h"
#include "startup/name_tables.h"
#include "startup/text_tools.h"
#include "textformats/angle_text.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::charts {

namespace {

namespace tf = meridia::textformats;
using startup::Status;
using startup::StatusCode;

// A refusal of the entry's own, worded with the entry's field names.
Status Refuse(const ChartEntry& entry, std::string text) {
    return {StatusCode::kRefused, std::move(text), entry.refusal_title};
}

// A refusal whose message a parser or a lookup has shown already.
Status Shown() { return {StatusCode::kRefused, ""}; }

Status NeedsPlace(const ChartEntry& entry) {
    const std::string& p = entry.field_prefix;
    return Refuse(entry, "A chart needs " + p + "lat and " + p + "lon, or " + p + "place.");
}

startup::StatusOr<astro::ChartRecord> LoadEntryChart(const ChartEntry& entry) {
    const std::string& p = entry.field_prefix;
    if (entry.file.empty() || !entry.chart.has_value()) {
        return Refuse(entry, p + "file and " + p + "chart go together.");
    }
    auto loaded = LoadChartByNumber(entry.file, *entry.chart);
    if (!loaded) {
        const StatusCode code = loaded.status().code();
        if (code != StatusCode::kNotFound && code != StatusCode::kUnreadable) {
            return Shown();  // the chart-file layer has said why
        }
        return Refuse(entry, "Chart " + std::to_string(*entry.chart) + " of " + entry.file +
                                 " cannot be read.");
    }
    return std::move(loaded->record);
}

// The mnemonic a zone text stands for: the text upper-cased when it starts with a letter,
// else none (a typed number).
std::string ZoneMnemonic(const std::string& zone_text) {
    const char first = zone_text.front();
    const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    return letter ? startup::UpperAscii(zone_text) : std::string();
}

// The entry's date, time and calendar into the data.
Status ReadMoment(const ChartEntry& entry, astro::ChartData& data) {
    const auto date = tf::ParseDate(entry.date, true);
    if (!date) {
        return Shown();
    }
    if (date->year < -32768 || date->year > 32767) {
        return Refuse(entry, "The year is outside the range of a chart.");
    }
    tf::ClockTime clock;
    if (!startup::Trim(entry.time).empty()) {
        const auto parsed = tf::ParseTime(entry.time);
        if (!parsed) {
            return Shown();
        }
        clock = *parsed;
    }
    data.calendar =
        static_cast<std::uint8_t>(entry.calendar.value_or(static_cast<int>(date->calendar)));
    auto& dt = data.date_time;
    dt.year = static_cast<std::int16_t>(date->year);
    dt.month = static_cast<std::uint8_t>(date->month);
    dt.day = static_cast<std::uint8_t>(date->day);
    dt.hour = static_cast<std::uint8_t>(clock.hour);
    dt.minute = static_cast<std::uint8_t>(clock.minute);
    dt.second = static_cast<std::uint8_t>(clock.second);
    return Status::Ok();
}

}  // namespace

bool ChartEntry::Given() const {
    return !date.empty() || !time.empty() || !zone.empty() || !lat.empty() || !lon.empty() ||
           !place.empty() || !file.empty() || chart.has_value() || record.has_value();
}

startup::StatusOr<astro::ChartRecord> BuildChartRecord(const ChartEntry& entry) {
    const std::string& p = entry.field_prefix;
    if (entry.record) {
        return *entry.record;
    }
    if (!entry.file.empty() || entry.chart.has_value()) {
        return LoadEntryChart(entry);
    }

    if (startup::Trim(entry.date).empty()) {
        return Refuse(entry, "A chart needs " + p + "date (or " + p + "file and " + p + "chart).");
    }
    const bool have_coordinates =
        !startup::Trim(entry.lat).empty() && !startup::Trim(entry.lon).empty();
    if (!have_coordinates && startup::Trim(entry.place).empty()) {
        return NeedsPlace(entry);
    }

    astro::ChartRecord record;
    record.data.name = entry.name;
    record.house_system = static_cast<std::uint8_t>(entry.house.value_or(DefaultHouseSystem()));
    record.zodiac = static_cast<std::uint8_t>(entry.zodiac.value_or(DefaultZodiac()));
    record.coords = static_cast<std::uint8_t>(entry.coords.value_or(1));
    record.event_type = static_cast<std::uint8_t>(entry.event_type.value_or(0));
    record.rating = entry.rating;
    record.source = entry.source;

    if (Status status = ReadMoment(entry, record.data); !status.ok()) {
        return status;
    }
    const auto& dt = record.data.date_time;

    std::optional<double> zone;
    std::string mnemonic;
    const std::string zone_text(startup::Trim(entry.zone));
    if (!zone_text.empty()) {
        zone = tf::ParseTimeZone(zone_text);
        if (!zone) {
            return Shown();
        }
        mnemonic = ZoneMnemonic(zone_text);
    }
    std::optional<double> latitude;
    std::optional<double> longitude;
    if (!startup::Trim(entry.lat).empty()) {
        latitude = tf::ParseLatitude(entry.lat);
        if (!latitude) {
            return Shown();
        }
    }
    if (!startup::Trim(entry.lon).empty()) {
        longitude = tf::ParseLongitude(entry.lon);
        if (!longitude) {
            return Shown();
        }
    }

    record.data.place.place_name = entry.place;
    record.data.place.country = entry.country;
    if (!startup::Trim(entry.place).empty() && (!latitude || !longitude || !zone)) {
        places::LocalMoment moment;
        moment.year = dt.year;
        moment.month = dt.month;
        moment.day = dt.day;
        moment.hour = dt.hour;
        moment.minute = dt.minute;
        const auto found = places::FindPlaceForMoment(entry.place, entry.country, moment);
        if (!found || !found->found) {
            return Shown();
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
        if (entry.country.empty()) {
            record.data.place.country = found->place.country;
        }
    }
    if (!latitude || !longitude) {
        return NeedsPlace(entry);
    }
    record.data.place.latitude = static_cast<float>(*latitude);
    record.data.place.longitude = static_cast<float>(*longitude);
    record.data.zone.hours = static_cast<float>(zone.value_or(0.0));
    record.data.zone.mnemonic = mnemonic;
    if (!tf::IsValidCalendarDate(dt.day, dt.month, dt.year,
                                 static_cast<tf::CalendarMode>(record.data.calendar))) {
        return Refuse(entry, "The date does not exist in the calendar chosen.");
    }
    return record;
}

startup::StatusOr<astro::ChartData> BuildEventData(const astro::ChartData& chart,
                                                   const ChartEntry& event) {
    astro::ChartData data = chart;
    data.name = event.name;
    if (Status status = ReadMoment(event, data); !status.ok()) {
        return status;
    }
    const auto& dt = data.date_time;
    if (!tf::IsValidCalendarDate(dt.day, dt.month, dt.year,
                                 static_cast<tf::CalendarMode>(data.calendar))) {
        return Refuse(event, "The date does not exist in the calendar chosen.");
    }
    return data;
}

startup::Status CalculateChartEntry(const ChartEntry& entry, int slot) {
    const auto record = BuildChartRecord(entry);
    if (!record.ok()) {
        return record.status();
    }
    if (!entry.extra.empty()) {
        if (Status status = astro::UseExtraPoints(entry.extra); !status.ok()) {
            return status;
        }
    }
    return CalculateChartRecord(*record, slot);
}

startup::StatusOr<std::vector<astro::StarListing>> CalculateStarList(const ChartEntry& entry,
                                                                     std::string_view name,
                                                                     int slot) {
    if (Status status = CalculateChartEntry(entry, slot); !status.ok()) {
        return status;
    }
    return astro::ListStars(astro::Slot(slot), name);
}

startup::Status CalculateChartRecord(const astro::ChartRecord& record, int slot) {
    switch (astro::CalcChart(record, slot, 0, 0, true, true)) {
        case astro::CalcStatus::kOk:
            break;
        case astro::CalcStatus::kOutOfRange:
            return {StatusCode::kOutOfRange, astro::kOutOfRangeText, astro::kOutOfRangeTitle};
        case astro::CalcStatus::kHousesFailed:
            return Shown();  // the house calculation has said why
        case astro::CalcStatus::kBadSlot:
        case astro::CalcStatus::kFilesMissing:
            return {StatusCode::kFailed, ""};
    }
    return {};
}

startup::StatusOr<int> OpenChartEntry(const ChartEntry& entry) {
    const auto record = BuildChartRecord(entry);
    if (!record.ok()) {
        return record.status();
    }
    if (!entry.extra.empty()) {
        if (Status status = astro::UseExtraPoints(entry.extra); !status.ok()) {
            return status;
        }
    }
    return OpenChartRecord(*record, "", 0, entry.refusal_title);
}

std::vector<EntryChartType> EntryChartTypes() {
    const auto& names = startup::Names();
    std::vector<EntryChartType> types = {
        {astro::kClassNatal, 1, names.ChartKindName(1)},
        {astro::kClassNatal, 43, names.ChartKindName(43)},
    };
    for (int kind = 16; kind <= 36; ++kind) {
        types.push_back({astro::kClassPreNatal, kind, names.ChartKindName(kind)});
    }
    return types;
}

Status UnderEntryTitle(Status status, const ChartEntry& entry) {
    if (status.title() != kCommandLineTitle || entry.refusal_title == kCommandLineTitle) {
        return status;
    }
    return {status.code(), status.message(), entry.refusal_title, status.path()};
}

Status CheckFreeSlots(int wanted, const std::string& title) {
    const int free = astro::FreeSlotCount();
    if (wanted <= free) {
        return {};
    }
    if (free == 0) {
        return {StatusCode::kFailed, kNoFreeSlotText, title};
    }
    return {StatusCode::kFailed,
            std::to_string(wanted) + " charts need as many free chart slots; only " +
                std::to_string(free) + " are free. Close some charts and try again.",
            title};
}

startup::StatusOr<int> OpenChartRecord(const astro::ChartRecord& record,
                                       const std::string& file_path, std::int32_t record_number,
                                       const std::string& title) {
    const int slot = astro::FindFreeSlot();
    if (slot < 0) {
        return Status(StatusCode::kFailed, kNoFreeSlotText, title);
    }
    astro::ChartSlot& chart = astro::Slot(slot);
    chart.chart_serial = astro::NextChartSerial();
    chart.file_path = file_path;
    chart.record_number = record_number;
    if (Status status = CalculateChartRecord(record, slot); !status.ok()) {
        chart.chart_serial = 0;
        return status;
    }
    return slot;
}

}  // namespace meridia::charts
