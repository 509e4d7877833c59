#include "places/place_lookup.h"

#include <chrono>
#include <ctime>
#include <string>

#include "startup/messages.h"
#include "textformats/angle_text.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::places {

namespace {

using startup::Status;
using startup::StatusCode;

// A refusal whose message the parser has shown.
Status Shown() { return {StatusCode::kRefused, ""}; }

}  // namespace

startup::StatusOr<LocalMoment> ParseLocalMoment(std::string_view date_text,
                                                std::string_view time_text) {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    LocalMoment moment{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min};
    if (!date_text.empty()) {
        const auto date = textformats::ParseDate(date_text, true);
        if (!date) {
            return Shown();
        }
        moment.year = date->year;
        moment.month = date->month;
        moment.day = date->day;
    }
    if (!time_text.empty()) {
        const auto time = textformats::ParseTime(time_text);
        if (!time) {
            return Shown();
        }
        moment.hour = time->hour;
        moment.minute = time->minute;
    }
    return moment;
}

startup::StatusOr<FindPlaceResult> FindPlaceAt(std::string_view place, std::string_view country,
                                               std::string_view date_text,
                                               std::string_view time_text) {
    const auto moment = ParseLocalMoment(date_text, time_text);
    if (!moment.ok()) {
        return moment.status();
    }
    return FindPlace(place, country, *moment);
}

startup::StatusOr<ZoneLookupResult> LookupZoneAt(int table_number, std::string_view date_text,
                                                 std::string_view time_text,
                                                 std::string_view longitude_text) {
    const auto moment = ParseLocalMoment(date_text, time_text);
    if (!moment.ok()) {
        return moment.status();
    }
    const auto longitude = textformats::ParseLongitude(longitude_text);
    if (!longitude) {
        return Shown();
    }
    ZoneLookupResult result;
    switch (LookupZone(table_number, *moment, *longitude, result.zone)) {
        case ZoneLookupStatus::kNotInIndex:
            startup::ShowMessage("Zone table " + std::to_string(table_number) +
                                     " (or a table it continues with) is not in the index.",
                                 startup::kExclamation, "");
            return result;
        case ZoneLookupStatus::kReadError:
            return Status(StatusCode::kDamaged, "");  // the reader has said why
        default:
            result.found = true;
            return result;
    }
}

}  // namespace meridia::places
