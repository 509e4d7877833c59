#include "dynamic/dynamic_job.h"

#include <algorithm>
#include <cmath>

#include "aspects/aspect_manager.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "charts/point_list.h"
#include "places/place_files.h"
#include "startup/messages.h"
#include "startup/text_tools.h"
#include "textformats/angle_text.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::dynamic {

namespace {

using startup::Status;
using startup::StatusCode;
namespace tf = textformats;

Status Refused(std::string text) {
    return Status(StatusCode::kRefused, std::move(text), charts::kCommandLineTitle);
}
// A refusal whose parser has shown its message already.
Status Shown() { return Status(StatusCode::kRefused, ""); }

bool MethodOf(const std::string& word, int& method) {
    for (const auto& [name, value] : kDynamicMethodWords) {
        if (word == name) {
            method = value;
            return true;
        }
    }
    return false;
}

startup::StatusOr<std::vector<int>> PointsOf(const std::string& text, charts::SelectionKind kind,
                                             std::vector<int> fallback) {
    if (startup::Trim(text).empty()) {
        return fallback;
    }
    auto selection = charts::ReadPointsOption(text, kind, astro::PointsInUse());
    if (!selection.ok()) {
        return selection.status();
    }
    return aspects::SelectedPoints(*selection, 1, astro::PointsInUse());
}

// The Julian day (UT) of a typed date and time read in a zone.
startup::StatusOr<double> MomentOf(const std::string& date_text, const std::string& time_text,
                                   double zone_hours, tf::DateValue* date_out) {
    const auto date = tf::ParseDate(date_text);
    if (!date) {
        return Shown();
    }
    double hours = 0.0;
    if (!startup::Trim(time_text).empty()) {
        const auto time = tf::ParseTime(time_text);
        if (!time) {
            return Shown();
        }
        hours = tf::DecimalHours(*time);
    }
    if (!tf::IsValidCalendarDate(date->day, date->month, date->year, date->calendar)) {
        return Refused("The date " + date_text + " does not exist.");
    }
    if (date_out != nullptr) {
        *date_out = *date;
    }
    const bool swap = tf::CalendarSwap(date->calendar, date->year, date->month, date->day);
    return tf::JulianDayWithCalendar(date->day + (hours + zone_hours) / 24.0, date->month,
                                     date->year, swap);
}

}  // namespace

std::string_view DynamicMethodWordOf(int method) {
    for (const auto& [word, value] : kDynamicMethodWords) {
        if (value == method) {
            return word;
        }
    }
    return kDynamicMethodWords[0].word;
}

std::vector<int> DefaultMovingPoints() { return {1, 3, 5, 6, 7, 8, 9, 10, 11, 12}; }

std::vector<int> DefaultTargetPoints() { return {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23}; }

namespace {

startup::StatusOr<DynamicJobResult> ReadJob(const DynamicJob& job) {
    DynamicJobResult out;
    DynamicSearchRequest& r = out.request;
    if (!MethodOf(job.method, r.method)) {
        return Refused("Unknown --method " + job.method +
                       ": transits, progressions, directions, transits-to-progressions or "
                       "transits-to-directions.");
    }
    r.progression_kind = job.progression_kind;
    r.direction_type = job.direction_type;
    r.user_arc_rate = job.rate.value_or(0.0);
    r.multiplier = job.multiplier;
    if (job.multiplier == 0.0 || !std::isfinite(job.multiplier)) {
        return Refused("--multiplier must be a number other than 0.");
    }
    r.enter_leave = job.enter_leave;
    r.quick = job.quick;
    r.primary = job.primary;
    if (!job.pd_method.empty()) {
        if (job.pd_method != "placidus" && job.pd_method != "regiomontanus") {
            return Refused("--pd-method is placidus or regiomontanus.");
        }
        r.primary.regiomontanus = job.pd_method == "regiomontanus";
    }
    if (job.events.empty()) {
        r.families = DefaultFamilies(r.method);
    } else {
        std::string bad;
        if (!ParseFamilies(job.events, r.families, bad)) {
            return Refused("Unknown event family in --events: \"" + bad + "\".");
        }
    }

    aspects::AspectManager& manager = aspects::Aspects();
    manager.ReadIni(false);
    if (!job.aspect_set.empty()) {
        if (Status s = manager.SetTempAspects(job.aspect_set, false); !s.ok()) {
            return Status(StatusCode::kRefused, s.message(), s.title(), s.path());
        }
    }
    r.aspect_set = manager.ChartSet();
    if (r.aspect_set.header.three_d) {
        startup::ShowMessage(
            "This aspect set has the 3D aspects option switched on, but the dynamic report "
            "cannot use this option, so it will be ignored.",
            startup::kExclamation, "Dynamic Report");
        r.aspect_set.header.three_d = false;
    }
    if (!job.aspect_set.empty()) {
        manager.ResetAspectFile();
    }

    if (Status s = charts::CalculateChartEntry(job.radix, kDynamicRadixSlot); !s.ok()) {
        return s;
    }
    const astro::ChartSlot& radix = astro::Slot(kDynamicRadixSlot);
    r.radix_slot = kDynamicRadixSlot;
    out.radix_name = radix.record.data.name;

    auto moving = PointsOf(job.moving, charts::SelectionKind::kTransiting, DefaultMovingPoints());
    if (!moving.ok()) {
        return moving.status();
    }
    auto targets = PointsOf(job.targets, charts::SelectionKind::kAspected, DefaultTargetPoints());
    if (!targets.ok()) {
        return targets.status();
    }
    r.moving = *moving;
    r.targets = *targets;

    // Report zone.
    r.zone_hours = radix.record.data.zone.hours;
    r.zone_text = radix.record.data.zone.mnemonic.empty() ? tf::FormatTimeZone(r.zone_hours)
                                                          : radix.record.data.zone.mnemonic;
    if (!startup::Trim(job.report_zone).empty()) {
        const auto zone = tf::ParseTimeZone(job.report_zone);
        if (!zone) {
            return Shown();
        }
        r.zone_hours = *zone;
        r.zone_text = std::string(startup::Trim(job.report_zone));
    }

    // Report location: the natal place or the relocation.
    r.longitude = radix.record.data.place.longitude;
    r.latitude = radix.record.data.place.latitude;
    r.place_text = radix.record.data.place.place_name.empty()
                       ? tf::FormatLatitude(r.latitude) + " " + tf::FormatLongitude(r.longitude)
                       : radix.record.data.place.place_name;
    std::optional<places::PlaceRecord> zone_place;
    if (job.relocate) {
        std::optional<double> lat;
        std::optional<double> lon;
        if (!job.relocate_lat.empty()) {
            lat = tf::ParseLatitude(job.relocate_lat);
            if (!lat) {
                return Shown();
            }
        }
        if (!job.relocate_lon.empty()) {
            lon = tf::ParseLongitude(job.relocate_lon);
            if (!lon) {
                return Shown();
            }
        }
        if ((!lat || !lon) && !job.relocate_place.empty()) {
            places::LocalMoment moment;
            const astro::CompactDateTime& dt = radix.record.data.date_time;
            moment.year = dt.year;
            moment.month = dt.month;
            moment.day = dt.day;
            moment.hour = dt.hour;
            moment.minute = dt.minute;
            const auto found =
                places::FindPlaceForMoment(job.relocate_place, job.relocate_country, moment);
            if (!found || !found->found) {
                return Shown();
            }
            lat = lat ? lat : found->place.latitude;
            lon = lon ? lon : found->place.longitude;
            zone_place = found->place;
        }
        if (!lat || !lon) {
            return Refused(
                "--relocate needs --relocate-lat and --relocate-lon, or --relocate-place.");
        }
        r.relocated = true;
        r.latitude = *lat;
        r.longitude = *lon;
        r.place_text = job.relocate_place.empty()
                           ? tf::FormatLatitude(*lat) + " " + tf::FormatLongitude(*lon)
                           : job.relocate_place;
    } else if (job.auto_dst && !job.radix.place.empty()) {
        places::LocalMoment moment;
        const astro::CompactDateTime& dt = radix.record.data.date_time;
        moment.year = dt.year;
        moment.month = dt.month;
        moment.day = dt.day;
        const auto found = places::FindPlaceForMoment(job.radix.place, job.radix.country, moment);
        if (!found || !found->found) {
            return Shown();
        }
        zone_place = found->place;
    }
    if (job.auto_dst) {
        if (!zone_place || zone_place->zone_type == places::ZoneType::kFixed) {
            return Refused(
                "--auto-dst needs a place whose zone changes are known: the radix "
                "chart's --place, or --relocate-place.");
        }
        const places::PlaceRecord place = *zone_place;
        const double fixed = r.zone_hours;
        r.zone_lookup = [place, fixed](double jd_ut) {
            // The zone in force at the local moment of the instant: the local moment depends
            // on the zone, so the lookup is repeated once with the zone it gave.
            double zone = fixed;
            for (int pass = 0; pass < 2; ++pass) {
                const astro::CompactDateTime local =
                    astro::LocalDateTime(jd_ut, static_cast<float>(zone));
                places::LocalMoment m;
                m.year = local.year;
                m.month = local.month;
                m.day = local.day;
                m.hour = local.hour;
                m.minute = local.minute;
                const places::PlaceZone z = places::GetZoneForPlace(place, m);
                if (z.error) {
                    break;
                }
                zone = z.hours;
            }
            return zone;
        };
    }

    // Period, read in the report zone.
    tf::DateValue from;
    auto start = MomentOf(job.from_date, job.from_time, r.zone_hours, &from);
    if (!start.ok()) {
        return start.status();
    }
    double end = 0.0;
    if (!job.to_date.empty()) {
        tf::DateValue to;
        auto to_jd = MomentOf(job.to_date, "", r.zone_hours, &to);
        if (!to_jd.ok()) {
            return to_jd.status();
        }
        end = *to_jd + 1.0;
    } else if (job.period) {
        const int n = *job.period;
        if (n <= 0) {
            return Refused("--period must be a positive number.");
        }
        if (job.unit == "days") {
            end = *start + n;
        } else if (job.unit == "months" || job.unit == "years") {
            const int months = job.unit == "months" ? n : 12 * n;
            const int total = from.month - 1 + months;
            const int year = from.year + total / 12;
            const int month = total % 12 + 1;
            // The same clock time on the day as many months or years later.
            const bool swap_to = tf::CalendarSwap(from.calendar, year, month, from.day);
            const bool swap_from = tf::CalendarSwap(from.calendar, from.year, from.month, from.day);
            end = *start + tf::JulianDayWithCalendar(from.day, month, year, swap_to) -
                  tf::JulianDayWithCalendar(from.day, from.month, from.year, swap_from);
        } else {
            return Refused("--unit is days, months or years.");
        }
    } else {
        return Refused("The report period needs --to DATE or --period N.");
    }
    r.jd_start_ut = *start;
    r.jd_end_ut = end;
    r.progress = job.progress;

    if (!SortKeyFromWord(job.sort, out.sort)) {
        return Refused("Unknown --sort " + job.sort +
                       ": date, event, point1, point2, weight, type, aspect, position1 or "
                       "position2.");
    }
    out.header = DynamicReportHeader(r);
    return out;
}

}  // namespace

startup::StatusOr<DynamicJobResult> ReadDynamicJob(const DynamicJob& job) {
    auto out = ReadJob(job);
    if (!out.ok()) {
        return charts::UnderEntryTitle(out.status(), job.radix);
    }
    return out;
}

startup::StatusOr<DynamicJobResult> RunDynamicJob(const DynamicJob& job) {
    auto out = ReadDynamicJob(job);
    if (!out.ok()) {
        return out.status();
    }
    auto run = RunDynamicSearch(out->request);
    if (!run.ok()) {
        return run.status();
    }
    out->run = std::move(*run);
    if (out->sort != DynamicSortKey::kDate) {
        out->run.table.Sort(out->sort);
    }
    return out;
}

}  // namespace meridia::dynamic
