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
#include "charts/derived_entry.h"
#include "cli/chart_options.h"
#include "cli/chart_output.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "startup/name_tables.h"

namespace meridia::cli {

namespace {

struct DeriveOptions {
    int chart_class = 0;
    int chart_kind = 1;
    charts::ChartEntry base;
    charts::ChartEntry second;
    charts::ChartEntry target;
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
    charts::ChartEntry chart;
    int point = 0;
    std::optional<int> pick;
    std::string horizon;
};

nlohmann::json DateJson(const astro::CompactDateTime& dt, int calendar) {
    return {{"year", dt.year},     {"month", dt.month},   {"day", dt.day},       {"hour", dt.hour},
            {"minute", dt.minute}, {"second", dt.second}, {"calendar", calendar}};
}

int RunDerive(CliContext& ctx, DeriveOptions& options) {
    charts::DerivedChartJob job;
    job.base = options.base;
    if (options.with || options.second.Given()) {
        job.second = options.second;
    }
    if (options.target.Given()) {
        job.target = options.target;
    }
    astro::SubsidiaryRequest& request = job.request;
    request.record.chart_class = static_cast<std::uint8_t>(options.chart_class);
    request.record.chart_kind = static_cast<std::uint8_t>(options.chart_kind);
    request.converse = options.converse;
    request.day_mode = options.day_mode == 1 ? 1 : 0;
    request.angle_variant = options.angles == "mc" ? astro::AngleVariant::kMidheavenPlusArc
                                                   : astro::AngleVariant::kRamcPlusArc;
    request.composite_start_cusp = options.start_cusp;
    request.precession_correction = options.precession;
    job.horizon = options.horizon;
    request.rise_set_event = options.event;
    if (options.harmonic) {
        request.harmonic = *options.harmonic;
    }
    const auto derived = charts::OpenDerivedChart(job);
    if (!derived.ok()) {
        return ExitFor(derived.status());
    }
    const int target_slot = derived->slot;
    const astro::ChartSlot& slot = astro::Slot(target_slot);
    const astro::DerivedSlotInfo& info = astro::DerivedInfo(target_slot);
    const auto& names = startup::Names();
    if (ctx.json) {
        nlohmann::json doc = ChartJson(slot);
        doc["chart_class"] = options.chart_class;
        doc["chart_kind"] = options.chart_kind;
        doc["class_name"] = names.ChartClassName(options.chart_class);
        doc["kind_name"] = names.ChartKindName(options.chart_kind);
        if (derived->progression) {
            doc["progression_rate"] = info.rate;
            doc["progressed_offset_days"] = info.progressed_offset;
        }
        if (derived->arc) {
            doc["arc"] = info.arc;
        }
        if (derived->harmonic) {
            doc["harmonic"] = info.harmonic;
        }
        *ctx.out << doc.dump() << '\n';
        return kExitOk;
    }
    *ctx.out << "Class: " << names.ChartClassName(options.chart_class)
             << "   Kind: " << names.ChartKindName(options.chart_kind) << '\n';
    if (derived->progression) {
        char line[96];
        std::snprintf(line, sizeof line, "Progression rate: %.12f\n", info.rate);
        *ctx.out << line;
    }
    charts::WriteChartListing(*ctx.out, slot);
    return kExitOk;
}

int RunRiseSet(CliContext& ctx, const RiseSetOptions& options) {
    charts::RiseSetJob job;
    job.chart = options.chart;
    job.point = options.point;
    job.pick = options.pick;
    job.horizon = options.horizon;
    const auto choice = charts::FindRiseSetChoice(job);
    if (!choice.ok()) {
        return ExitFor(choice.status());
    }
    const astro::RiseSetTimes& times = choice->times;
    const int chart_slot = choice->chart_slot;
    const float zone_hours = choice->record.data.zone.hours;
    if (ctx.json) {
        nlohmann::json doc;
        doc["point"] = options.point;
        doc["horizon"] = astro::HorizonModeName(choice->horizon);
        doc["h0"] = times.h0;
        nlohmann::json events = nlohmann::json::array();
        for (int e = 1; e <= astro::kRiseSetEventCount; ++e) {
            const auto& event = times.events[static_cast<std::size_t>(e - 1)];
            nlohmann::json item = {{"event", e},
                                   {"name", astro::RiseSetEventText(e).substr(1)},
                                   {"valid", event.valid}};
            if (event.valid) {
                item["julian_day_ut"] = event.jd_ut;
                const astro::CompactDateTime when = astro::LocalDateTime(event.jd_ut, zone_hours);
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
    for (const std::string& line : choice->lines) {
        *ctx.out << line << '\n';
    }
    if (chart_slot > 0) {
        *ctx.out << '\n';
        charts::WriteChartListing(*ctx.out, astro::Slot(chart_slot));
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
