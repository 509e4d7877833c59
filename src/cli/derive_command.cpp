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
#include "cli/chart_output.h"
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
    if (options.chart_class != astro::kClassRiseSet && options.chart_class != astro::kClassNatal) {
        // Derived charts are named after their base charts; a natal request and a rise/set
        // request are calculated from the record itself and keep its name.
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
    WriteChartListing(*ctx.out, slot);
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
        WriteChartListing(*ctx.out, astro::Slot(chart_slot));
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
