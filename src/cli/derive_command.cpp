// meridia-cli derive and riseset: the derived chart of a request built from typed charts, and
// the rise/set events of a point with the chart of a chosen event.
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/rise_set.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "startup/messages.h"
#include "startup/name_tables.h"

namespace meridia::cli {

namespace {

struct DeriveOptions {
    int chart_class = 0;
    int chart_kind = 1;
    ChartOptions base;
    ChartOptions second;
    ChartOptions target;
    bool with = false;
    std::optional<double> harmonic;
    bool converse = false;
    int day_mode = 0;
    std::string angles = "ramc";
    int start_cusp = 0;
    bool precession = false;
    std::string horizon;
    int event = 1;
};

struct RiseSetOptions {
    ChartOptions chart;
    int point = 0;
    std::optional<int> pick;
    std::string horizon;
};

void Refuse(const std::string& text) {
    startup::ShowMessage(text, startup::kExclamation, "meridia-cli");
}

bool IsProgression(int chart_class) {
    return chart_class == astro::kClassSecondary || chart_class == astro::kClassDirected ||
           chart_class == astro::kClassTertiary || chart_class == astro::kClassMinor ||
           chart_class == astro::kClassUserProgression ||
           chart_class == astro::kClassTrueTertiary || chart_class == astro::kClassTransits;
}

// A free slot of the chart table outside the scratch slots, or -1.
int FreeSlot() {
    for (int n = 1; n <= astro::kSlotCount; ++n) {
        if (n >= astro::kFirstScratchSlot && n <= astro::kLastScratchSlot) {
            continue;
        }
        if (astro::Slot(n).chart_serial == 0) {
            return n;
        }
    }
    return -1;
}

std::optional<astro::HorizonMode> HorizonOf(const std::string& text) {
    if (text.empty()) {
        return astro::HorizonModeFromSettings();
    }
    if (text == "visual" || text == "Visual") {
        return astro::HorizonMode::kVisual;
    }
    if (text == "true" || text == "True") {
        return astro::HorizonMode::kTrue;
    }
    Refuse("--horizon is visual or true.");
    return std::nullopt;
}

nlohmann::json DateJson(const astro::CompactDateTime& dt, int calendar) {
    return {{"year", dt.year},     {"month", dt.month},   {"day", dt.day},       {"hour", dt.hour},
            {"minute", dt.minute}, {"second", dt.second}, {"calendar", calendar}};
}

// The chart in the shape of `meridia-cli chart --json`.
nlohmann::json ChartJson(const astro::ChartSlot& slot) {
    const astro::ChartRecord& record = slot.record;
    nlohmann::json doc;
    doc["name"] = record.data.name;
    doc["place"] = record.data.place.place_name;
    doc["country"] = record.data.place.country;
    doc["date"] = DateJson(record.data.date_time, record.data.calendar);
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
    for (std::size_t h = 1; h <= 12; ++h) {
        cusps.push_back(slot.cusps[h]);
    }
    doc["cusps"] = cusps;
    doc["cusp1_is_ascendant"] = slot.first_cusp_is_ascendant != 0;
    doc["cusp10_is_midheaven"] = slot.tenth_cusp_is_midheaven != 0;
    nlohmann::json points = nlohmann::json::array();
    const auto& names = startup::Names();
    for (int p = 1; p <= astro::PointsInUse(); ++p) {
        const auto i = static_cast<std::size_t>(p);
        points.push_back({{"number", p},
                          {"abbr", names.PointName(p, 0)},
                          {"name", names.PointName(p, 1)},
                          {"longitude", slot.longitude[i]},
                          {"latitude", slot.latitude[i]},
                          {"speed", slot.speed[i]},
                          {"latitude_speed", slot.latitude_speed[i]},
                          {"distance", slot.distance[i]},
                          {"distance_speed", slot.distance_speed[i]},
                          {"declination", slot.declination[i]},
                          {"right_ascension", slot.right_ascension[i]},
                          {"house", slot.house[i]},
                          {"retrograde", slot.retrograde[i] != 0}});
    }
    doc["points"] = points;
    return doc;
}

// A short readable listing: the chart's moment, place, angles and points.
void WriteChart(std::ostream& out, const astro::ChartSlot& slot) {
    const astro::ChartRecord& record = slot.record;
    const auto& dt = record.data.date_time;
    const auto& names = startup::Names();
    char line[160];
    std::snprintf(line, sizeof line, "%d-%02d-%02d %02d:%02d:%02d  zone %+.4f h  JD %.6f UT\n",
                  dt.year, dt.month, dt.day, dt.hour, dt.minute, dt.second,
                  static_cast<double>(record.data.zone.hours), slot.julian_day_ut);
    out << "*** " << record.data.name << " ***\n" << line;
    std::snprintf(line, sizeof line, "%s %s  lat %.4f  lon %.4f  RAMC %.6f\n",
                  record.data.place.place_name.c_str(), record.data.place.country.c_str(),
                  static_cast<double>(record.data.place.latitude),
                  static_cast<double>(record.data.place.longitude), slot.ramc);
    out << line;
    for (int p = 1; p <= astro::PointsInUse(); ++p) {
        const auto i = static_cast<std::size_t>(p);
        std::snprintf(line, sizeof line, "%-22s %11.6f  %+10.6f  house %2d\n",
                      names.PointName(p, 1).c_str(), slot.longitude[i], slot.latitude[i],
                      slot.house[i]);
        out << line;
    }
    for (std::size_t h = 1; h <= 12; ++h) {
        std::snprintf(line, sizeof line, "Cusp %2zu  %11.6f\n", h, slot.cusps[h]);
        out << line;
    }
}

// Builds and opens a typed chart; -1 (message shown) when it is refused or cannot be
// calculated.
int OpenTypedChart(const ChartOptions& options) {
    const auto record = BuildChartRecord(options, DefaultChartLoader());
    if (!record) {
        return -1;
    }
    const int slot = astro::OpenChartIntoSlot(*record, "", 0);
    if (slot < 0) {
        astro::ReportOutOfRange();
    }
    return slot;
}

int StatusToExit(astro::SubsidiaryStatus status) {
    switch (status) {
        case astro::SubsidiaryStatus::kOk:
            return kExitOk;
        case astro::SubsidiaryStatus::kRefused:
        case astro::SubsidiaryStatus::kFailed:
            return kExitRefused;
        case astro::SubsidiaryStatus::kBadSlot:
            Refuse("The base charts of this chart class are missing.");
            return kExitRefused;
        case astro::SubsidiaryStatus::kNotAvailable:
            Refuse("This chart class is not calculated by derive.");
            return kExitFailure;
    }
    return kExitFailure;
}

int RunDerive(CliContext& ctx, DeriveOptions& options) {
    if (options.chart_class < 1 || options.chart_class > 18 || options.chart_kind < 1 ||
        options.chart_kind > 80) {
        Refuse("--class is 1 to 18 and --kind 1 to 80.");
        return kExitRefused;
    }
    const auto horizon = HorizonOf(options.horizon);
    if (!horizon) {
        return kExitRefused;
    }
    const int base = OpenTypedChart(options.base);
    if (base < 0) {
        return kExitRefused;
    }
    astro::SubsidiaryRequest request;
    request.base_slot = base;
    request.record = astro::Slot(base).record;
    if (options.chart_class != astro::kClassRiseSet) {
        // Derived charts are named after their base charts.
        request.record.data.name.clear();
    }
    if (options.with || options.second.Given()) {
        const int second = OpenTypedChart(options.second);
        if (second < 0) {
            return kExitRefused;
        }
        request.other_slots.push_back(second);
    }
    if (options.target.Given()) {
        ChartOptions target = options.target;
        const bool has_place =
            !target.place.empty() || (!target.lat.empty() && !target.lon.empty());
        if (!has_place) {
            // A target moment without a place: the place is the base chart's.
            target.lat = "0N00";
            target.lon = "0E00";
        }
        if (target.date.empty()) {
            Refuse("A target needs --target-date.");
            return kExitRefused;
        }
        const auto record = BuildChartRecord(target, DefaultChartLoader());
        if (!record) {
            return kExitRefused;
        }
        const std::string name = request.record.data.name;
        request.record.data = record->data;
        request.record.data.name = name;
        if (!has_place) {
            request.record.data.place = astro::Slot(base).record.data.place;
        }
        if (target.zone.empty() && target.place.empty()) {
            request.record.data.zone = astro::Slot(base).record.data.zone;
        }
    }
    request.record.chart_class = static_cast<std::uint8_t>(options.chart_class);
    request.record.chart_kind = static_cast<std::uint8_t>(options.chart_kind);
    request.converse = options.converse;
    request.day_mode = options.day_mode == 1 ? 1 : 0;
    request.angle_variant = options.angles == "mc" ? astro::AngleVariant::kMidheavenPlusArc
                                                   : astro::AngleVariant::kRamcPlusArc;
    request.composite_start_cusp = options.start_cusp;
    request.precession_correction = options.precession;
    request.horizon = *horizon;
    request.rise_set_event = options.event;
    if (options.harmonic) {
        request.harmonic = *options.harmonic;
    }

    const int target_slot = FreeSlot();
    if (target_slot < 0) {
        return kExitFailure;
    }
    const astro::SubsidiaryStatus status = astro::CalcSubsidiaryChart(request, target_slot);
    if (status != astro::SubsidiaryStatus::kOk) {
        return StatusToExit(status);
    }
    const astro::ChartSlot& slot = astro::Slot(target_slot);
    const astro::DerivedSlotInfo& info = astro::DerivedInfo(target_slot);
    const auto& names = startup::Names();
    if (ctx.json) {
        nlohmann::json doc = ChartJson(slot);
        doc["chart_class"] = options.chart_class;
        doc["chart_kind"] = options.chart_kind;
        doc["class_name"] = names.ChartClassName(options.chart_class);
        doc["kind_name"] = names.ChartKindName(options.chart_kind);
        if (IsProgression(options.chart_class)) {
            doc["progression_rate"] = info.rate;
            doc["progressed_offset_days"] = info.progressed_offset;
        }
        if (info.angle_method != 0 || options.chart_class == astro::kClassDirected) {
            doc["arc"] = info.arc;
        }
        if (options.chart_class == astro::kClassHarmonic) {
            doc["harmonic"] = info.harmonic;
        }
        *ctx.out << doc.dump() << '\n';
        return kExitOk;
    }
    *ctx.out << "Class: " << names.ChartClassName(options.chart_class)
             << "   Kind: " << names.ChartKindName(options.chart_kind) << '\n';
    if (IsProgression(options.chart_class)) {
        char line[96];
        std::snprintf(line, sizeof line, "Progression rate: %.12f\n", info.rate);
        *ctx.out << line;
    }
    WriteChart(*ctx.out, slot);
    return kExitOk;
}

int RunRiseSet(CliContext& ctx, const RiseSetOptions& options) {
    if (options.point < 1 || options.point > astro::kFixedPointCount) {
        Refuse("--point is a point number 1 to 50.");
        return kExitRefused;
    }
    if (options.pick && (*options.pick < 1 || *options.pick > astro::kRiseSetEventCount)) {
        Refuse("--pick is 1 to 4.");
        return kExitRefused;
    }
    const auto horizon = HorizonOf(options.horizon);
    if (!horizon) {
        return kExitRefused;
    }
    const auto record = BuildChartRecord(options.chart, DefaultChartLoader());
    if (!record) {
        return kExitRefused;
    }
    const auto& dt = record->data.date_time;
    const astro::RiseSetTimes times =
        astro::FindRiseSetTimes(options.point, dt.day, dt.month, dt.year, record->data.calendar,
                                static_cast<double>(record->data.place.latitude),
                                static_cast<double>(record->data.place.longitude), *horizon);
    if (!times.ok) {
        return kExitRefused;
    }
    int chart_slot = -1;
    if (options.pick) {
        astro::SubsidiaryRequest request;
        request.record = *record;
        request.record.chart_class = astro::kClassRiseSet;
        request.record.chart_kind = static_cast<std::uint8_t>(options.point);
        request.horizon = *horizon;
        request.rise_set_event = *options.pick;
        chart_slot = FreeSlot();
        const astro::SubsidiaryStatus status = astro::CalcSubsidiaryChart(request, chart_slot);
        if (status != astro::SubsidiaryStatus::kOk) {
            return StatusToExit(status);
        }
    }
    const std::vector<std::string> lines =
        astro::RiseSetSelectionList(times, record->data.zone.hours);
    if (ctx.json) {
        nlohmann::json doc;
        doc["point"] = options.point;
        doc["horizon"] = astro::HorizonModeName(*horizon);
        doc["h0"] = times.h0;
        nlohmann::json events = nlohmann::json::array();
        for (int e = 1; e <= astro::kRiseSetEventCount; ++e) {
            const auto& event = times.events[static_cast<std::size_t>(e - 1)];
            nlohmann::json item = {{"event", e},
                                   {"name", astro::RiseSetEventText(e).substr(1)},
                                   {"valid", event.valid}};
            if (event.valid) {
                item["julian_day_ut"] = event.jd_ut;
                const astro::CompactDateTime when =
                    astro::LocalDateTime(event.jd_ut, record->data.zone.hours);
                item["date"] = DateJson(when, 0);
            }
            events.push_back(item);
        }
        doc["events"] = events;
        if (chart_slot > 0) {
            doc["chart"] = ChartJson(astro::Slot(chart_slot));
        }
        *ctx.out << doc.dump() << '\n';
        return kExitOk;
    }
    *ctx.out << "Chart Selection\n";
    for (const std::string& line : lines) {
        *ctx.out << line << '\n';
    }
    if (chart_slot > 0) {
        *ctx.out << '\n';
        WriteChart(*ctx.out, astro::Slot(chart_slot));
    }
    return kExitOk;
}

}  // namespace

void AddDeriveCommands(CLI::App& app, CliContext& ctx) {
    auto derive = std::make_shared<DeriveOptions>();
    auto* cmd = app.add_subcommand("derive", "Calculate a derived chart from base charts");
    cmd->add_option("--class", derive->chart_class, "Chart class 1..18")->required();
    cmd->add_option("--kind", derive->chart_kind, "Chart kind 1..80")->required();
    AddChartOptions(*cmd, derive->base, "--");
    AddChartOptions(*cmd, derive->second, "--b-");
    AddChartOptions(*cmd, derive->target, "--target-");
    cmd->add_flag("--with", derive->with, "A second base chart follows (--b- options)");
    cmd->add_option("--harmonic", derive->harmonic, "Harmonic number, or the arc of a transform");
    cmd->add_flag("--converse", derive->converse, "Elapsed time taken backwards from the birth");
    cmd->add_option("--day-mode", derive->day_mode, "0 solar day, 1 sidereal day");
    cmd->add_option("--angles", derive->angles, "ramc (RAMC plus arc) or mc (Midheaven plus arc)");
    cmd->add_option("--start-cusp", derive->start_cusp, "Composite cusps from cusp 1 or 10");
    cmd->add_flag("--precession", derive->precession, "Precession correction (tropical charts)");
    cmd->add_option("--horizon", derive->horizon, "visual or true (rise/set)");
    cmd->add_option("--event", derive->event, "Rise/set event 1..4");
    cmd->callback(
        [&ctx, derive] { ctx.action = [&ctx, derive] { return RunDerive(ctx, *derive); }; });

    auto riseset = std::make_shared<RiseSetOptions>();
    auto* rs = app.add_subcommand("riseset", "Rising, setting and transit times of a point");
    AddChartOptions(*rs, riseset->chart, "--");
    rs->add_option("--point", riseset->point, "Point number")->required();
    rs->add_option("--pick", riseset->pick, "Calculate the chart of event 1..4");
    rs->add_option("--horizon", riseset->horizon, "visual or true");
    rs->callback(
        [&ctx, riseset] { ctx.action = [&ctx, riseset] { return RunRiseSet(ctx, *riseset); }; });
}

}  // namespace meridia::cli
