// meridia-cli return, voc, eclipses and lunar-phases: the returns of a point of a chart, the
// void-of-course Moon, the eclipses of a span from the catalogues and the exact lunar phases.
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "charts/chart_listing.h"
#include "cli/chart_options.h"
#include "cli/chart_output.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "returns/returns_jobs.h"
#include "returns/void_of_course.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "textformats/zodiac_text.h"

namespace meridia::cli {

namespace {

using returns::EclipseKind;

nlohmann::json DateJson(const astro::CompactDateTime& dt) {
    return {{"year", dt.year},     {"month", dt.month},   {"day", dt.day}, {"hour", dt.hour},
            {"minute", dt.minute}, {"second", dt.second}, {"calendar", 0}};
}

// "2024-04-08 18:17:20" style moment of a Julian day in a zone.
std::string MomentText(double jd_ut, float zone_hours) {
    const astro::CompactDateTime dt = astro::LocalDateTime(jd_ut, zone_hours);
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month, dt.day,
                  dt.hour, dt.minute, dt.second);
    return text;
}

// The created charts, each as the chart listing, after a blank line.
void WriteChartListings(CliContext& ctx, const std::vector<int>& slots) {
    for (const int slot : slots) {
        *ctx.out << '\n';
        charts::WriteChartListing(*ctx.out, astro::Slot(slot));
    }
}

// The numbers the created charts were given in the chart file they were saved to.
void WriteSaved(CliContext& ctx, const std::vector<int>& numbers, const std::string& path) {
    for (const int n : numbers) {
        *ctx.out << "Saved as chart " << n << " of " << path << '\n';
    }
}

nlohmann::json ChartsJson(const std::vector<int>& slots) {
    nlohmann::json charts = nlohmann::json::array();
    for (const int slot : slots) {
        charts.push_back(ChartJson(astro::Slot(slot)));
    }
    return charts;
}

void AddSpanOptions(CLI::App& cmd, returns::SpanText& span) {
    cmd.add_option("--from", span.from, "Start date")->required();
    cmd.add_option("--from-time", span.from_time, "Start time (midnight by default)");
    cmd.add_option("--to", span.to, "End date (the span ends at the end of that day)");
    cmd.add_option("--period", span.period, "Length of the span instead of --to");
    cmd.add_option("--unit", span.unit, "Unit of --period: days, months or years");
}

// ---- return ----

int RunReturn(CliContext& ctx, const returns::ReturnJob& job) {
    const auto result = returns::RunReturnJob(job);
    if (!result.ok()) {
        return ExitFor(result.status());
    }
    const float zone = astro::Slot(result->request.base_slot).record.data.zone.hours;
    if (ctx.json) {
        nlohmann::json list = nlohmann::json::array();
        for (std::size_t i = 0; i < result->returns.size(); ++i) {
            const returns::FoundReturn& r = result->returns[i];
            nlohmann::json item = {
                {"number", r.number}, {"found", r.found}, {"target_longitude", r.target}};
            if (r.found) {
                item["julian_day_ut"] = r.jd_ut;
                item["date"] = DateJson(astro::LocalDateTime(r.jd_ut, zone));
                item["chart"] = ChartJson(astro::Slot(result->slots[i]));
            } else {
                item["julian_day_ut"] = nullptr;
                item["date"] = nullptr;
                item["chart"] = nullptr;
            }
            list.push_back(item);
        }
        *ctx.out << nlohmann::json{{"returns", list}}.dump() << '\n';
        return kExitOk;
    }
    *ctx.out << "Return Selection\n";
    for (std::size_t i = 0; i < result->returns.size(); ++i) {
        const returns::FoundReturn& r = result->returns[i];
        *ctx.out << "Return " << r.number << ": "
                 << (r.found ? MomentText(r.jd_ut, zone) : std::string("not found")) << "   "
                 << textformats::FormatZodiacPosition(r.target) << '\n';
    }
    for (std::size_t i = 0; i < result->returns.size(); ++i) {
        if (result->slots[i] > 0) {
            *ctx.out << '\n';
            charts::WriteChartListing(*ctx.out, astro::Slot(result->slots[i]));
        }
    }
    return kExitOk;
}

// ---- voc ----

int RunVoid(CliContext& ctx, const returns::VoidJob& job) {
    const auto result = returns::RunVoidJob(job);
    if (!result.ok()) {
        return ExitFor(result.status());
    }
    const float zone = astro::Slot(result->slot).record.data.zone.hours;
    if (ctx.json) {
        nlohmann::json periods = nlohmann::json::array();
        for (const returns::VoidOfCoursePeriod& p : result->periods) {
            periods.push_back({{"planet", p.planet},
                               {"aspect", p.aspect},
                               {"begins_julian_day_ut", p.begins_jd_ut},
                               {"ends_julian_day_ut", p.ends_jd_ut},
                               {"planet_longitude", p.planet_longitude},
                               {"moon_longitude", p.moon_longitude}});
        }
        *ctx.out << nlohmann::json{{"is_void", result->is_void}, {"periods", periods}}.dump()
                 << '\n';
        return kExitOk;
    }
    *ctx.out << "Moon" << (result->is_void ? " void of course" : " not void of course")
             << " at the chart's moment\n";
    const auto moment = [zone](double jd_ut) { return MomentText(jd_ut, zone); };
    for (const returns::VoidOfCoursePeriod& p : result->periods) {
        *ctx.out << returns::VoidPeriodLine(p, moment) << '\n';
    }
    return kExitOk;
}

// ---- eclipses ----

nlohmann::json EclipseJson(const returns::EclipseEntry& e) {
    const bool solar = e.kind() == EclipseKind::kSolar;
    astro::CompactDateTime dt;
    dt.year = static_cast<std::int16_t>(e.data.year);
    dt.month = static_cast<std::uint8_t>(e.data.month);
    dt.day = static_cast<std::uint8_t>(e.data.day);
    dt.hour = static_cast<std::uint8_t>(e.data.hour);
    dt.minute = static_cast<std::uint8_t>(e.data.minute);
    dt.second = static_cast<std::uint8_t>(e.data.second);
    nlohmann::json item = {
        {"kind", solar ? "solar" : "lunar"},
        {"type", returns::EclipseTypeText(e.kind(), e.data.type)},
        {"julian_day_ut", e.ec_jd},
        {"date", DateJson(dt)},
        {"longitude", e.position},
        {"saros_vdb", e.data.saros_vdb},
        {"saros_jb", e.data.saros_jb},
        {"gamma", e.data.gamma},
        {"magnitude", e.data.magnitude},
        {"penumbral_magnitude",
         solar ? nlohmann::json(nullptr) : nlohmann::json(e.data.penumbral_magnitude)},
        {"duration_seconds",
         solar ? nlohmann::json(e.data.duration_seconds) : nlohmann::json(nullptr)},
        {"semi_duration_total_minutes",
         solar ? nlohmann::json(nullptr) : nlohmann::json(e.data.semi_duration_total_minutes)},
        {"semi_duration_partial_minutes",
         solar ? nlohmann::json(nullptr) : nlohmann::json(e.data.semi_duration_partial_minutes)},
        {"aspect", nullptr}};
    if (e.aspect != 0) {
        item["aspect"] = {{"aspect", e.aspect}, {"point", e.aspect_point}, {"orb", e.aspect_orb}};
    }
    return item;
}

int RunEclipses(CliContext& ctx, const returns::EclipseJob& job) {
    const auto result = returns::RunEclipseJob(job);
    if (!result.ok()) {
        return ExitFor(result.status());
    }
    if (job.nearest) {
        const returns::NearestEclipse& n = result->nearest;
        if (ctx.json) {
            nlohmann::json doc = {{"found", n.found}};
            doc["kind"] = n.found ? nlohmann::json(n.kind == 1 ? "solar" : "lunar") : nullptr;
            doc["julian_day_ut"] = n.found ? nlohmann::json(n.jd_ut) : nullptr;
            *ctx.out << doc.dump() << '\n';
            return kExitOk;
        }
        if (!n.found) {
            startup::ShowMessage(returns::kNoEclipsesText, startup::kInformation, "");
            return kExitOk;
        }
        *ctx.out << (n.kind == 1 ? "Solar" : "Lunar") << " eclipse at " << MomentText(n.jd_ut, 0.0F)
                 << " (UT)\n";
        return kExitOk;
    }
    if (ctx.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const returns::EclipseEntry& e : result->eclipses) {
            list.push_back(EclipseJson(e));
        }
        nlohmann::json doc = {{"eclipses", list}};
        if (!job.create_charts.empty()) {
            doc["charts"] = ChartsJson(result->chart_slots);
        }
        if (!job.save_to.empty()) {
            doc["saved"] = result->saved_numbers;
        }
        *ctx.out << doc.dump() << '\n';
        return kExitOk;
    }
    if (result->eclipses.empty()) {
        startup::ShowMessage(returns::kNoEclipsesText, startup::kInformation, "");
        return kExitOk;
    }
    if (!result->columns_status.ok()) {
        result->columns_status.Show(startup::kExclamation);
    }
    for (const std::string& line :
         returns::EclipseReportLines(result->header, result->columns, result->eclipses)) {
        *ctx.out << line << '\n';
    }
    WriteChartListings(ctx, result->chart_slots);
    WriteSaved(ctx, result->saved_numbers, job.save_to);
    return kExitOk;
}

// ---- lunar-phases ----

// The charts of a lunar-phase chart kind: one line each (name, moment, Moon), then the charts.
int WriteLunarPhaseCharts(CliContext& ctx, const returns::LunarPhaseJob& job,
                          const returns::LunarPhaseJobResult& result) {
    const float zone = astro::Slot(result.base_slot).record.data.zone.hours;
    if (ctx.json) {
        nlohmann::json list = nlohmann::json::array();
        for (std::size_t i = 0; i < result.charts.size(); ++i) {
            const returns::LunarPhaseChart& c = result.charts[i];
            nlohmann::json item = ChartJson(astro::Slot(result.chart_slots[i]));
            item["julian_day_ut"] = c.jd_ut;
            item["chart_julian_day_ut"] = c.chart_jd_ut;
            item["octant"] = c.octant;
            list.push_back(item);
        }
        nlohmann::json doc = {
            {"kind", std::string(returns::LunarPhaseChartKindName(*job.chart_kind))},
            {"charts", list}};
        if (!job.save_to.empty()) {
            doc["saved"] = result.saved_numbers;
        }
        *ctx.out << doc.dump() << '\n';
        return kExitOk;
    }
    *ctx.out << returns::LunarPhaseChartKindName(*job.chart_kind) << '\n';
    for (const returns::LunarPhaseChart& c : result.charts) {
        *ctx.out << returns::LunarPhaseChartLine(c, MomentText(c.jd_ut, zone)) << '\n';
    }
    WriteChartListings(ctx, result.chart_slots);
    WriteSaved(ctx, result.saved_numbers, job.save_to);
    return kExitOk;
}

int RunLunarPhases(CliContext& ctx, const returns::LunarPhaseJob& job) {
    const auto result = returns::RunLunarPhaseJob(job);
    if (!result.ok()) {
        return ExitFor(result.status());
    }
    if (job.chart_kind) {
        return WriteLunarPhaseCharts(ctx, job, *result);
    }
    if (ctx.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const returns::LunarPhaseEvent& p : result->phases) {
            list.push_back({{"phase", std::string(returns::LunarPhaseKey(p.phase))},
                            {"julian_day_ut", p.jd_ut},
                            {"date", DateJson(astro::LocalDateTime(p.jd_ut, 0.0F))},
                            {"longitude", p.moon_longitude}});
        }
        nlohmann::json doc = {{"phases", list}};
        if (job.phase_returns) {
            doc["elongation"] = result->base_elongation;
        }
        if (!job.create_charts.empty()) {
            doc["charts"] = ChartsJson(result->chart_slots);
        }
        if (!job.save_to.empty()) {
            doc["saved"] = result->saved_numbers;
        }
        *ctx.out << doc.dump() << '\n';
        return kExitOk;
    }
    if (job.phase_returns) {
        char line[128];
        std::snprintf(line, sizeof line, "%s: elongation %.4f\n",
                      std::string(returns::kLunarPhaseReturnsName).c_str(),
                      result->base_elongation);
        *ctx.out << line;
    }
    int number = 0;
    for (const returns::LunarPhaseEvent& p : result->phases) {
        char line[128];
        const std::string label = job.phase_returns
                                      ? "Return " + std::to_string(++number)
                                      : std::string(returns::LunarPhaseTitle(p.phase));
        std::snprintf(line, sizeof line, "%-14s %s%s  %s\n", label.c_str(),
                      MomentText(p.jd_ut, 0.0F).c_str(), returns::kUniversalTimeMark,
                      textformats::FormatZodiacPosition(p.moon_longitude).c_str());
        *ctx.out << line;
    }
    WriteChartListings(ctx, result->chart_slots);
    WriteSaved(ctx, result->saved_numbers, job.save_to);
    return kExitOk;
}

}  // namespace

void AddReturnCommands(CLI::App& app, CliContext& ctx) {
    auto ret = std::make_shared<returns::ReturnJob>();
    auto* cmd = app.add_subcommand("return", "Solar, lunar and planetary returns of a chart");
    AddChartOptions(*cmd, ret->base, "--");
    cmd->add_option("--point", ret->point, "The returning point (3 Sun, 1 Moon, ...)")->required();
    cmd->add_option("--harmonic", ret->harmonic, "Harmonic h: returns every 360/h degrees");
    cmd->add_option("--position", ret->position,
                    "Return to this position or ingress (e.g. 0Ar00) instead of the natal one");
    cmd->add_option("--which", ret->which, "current, next (default) or nearest");
    cmd->add_option("--count", ret->count, "Number of successive returns (default 1)");
    cmd->add_flag("--converse", ret->converse, "Search backwards");
    cmd->add_flag("--precessed", ret->precessed, "Precession correction (tropical charts)");
    cmd->add_option("--from", ret->from, "Return search start date")->required();
    cmd->add_option("--from-time", ret->from_time, "Start time in the chart's zone");
    cmd->add_option("--accuracy", ret->accuracy_arcsec,
                    "Tolerance of the search in arc seconds (default 100; every return is "
                    "then refined to 0.000001 degree)");
    cmd->callback([&ctx, ret] { ctx.action = [&ctx, ret] { return RunReturn(ctx, *ret); }; });

    auto voc = std::make_shared<returns::VoidJob>();
    auto* v = app.add_subcommand("voc", "The void-of-course Moon of a chart and the next periods");
    AddChartOptions(*v, voc->chart, "--");
    v->add_option("--type", voc->type,
                  "0 Sun to Pluto, 1 Sun to Saturn, 2 as 1 and never void in Ta, Cn, Sg, Pi "
                  "(default: the setting VoidOfCourseType)");
    v->add_option("--count", voc->count, "Number of successive periods (default 1)");
    v->callback([&ctx, voc] { ctx.action = [&ctx, voc] { return RunVoid(ctx, *voc); }; });
}

void AddEclipseCommands(CLI::App& app, CliContext& ctx) {
    struct EclipseOptions {
        returns::EclipseJob job;
        charts::ChartEntry radix;
        bool use_radix = false;
    };
    auto ecl = std::make_shared<EclipseOptions>();
    auto* cmd = app.add_subcommand("eclipses", "Solar and lunar eclipses of a span");
    AddSpanOptions(*cmd, ecl->job.span);
    cmd->add_option("--solar", ecl->job.solar,
                    "all, none, or a comma list of partial, annular, total, hybrid");
    cmd->add_option("--lunar", ecl->job.lunar,
                    "all, none, or a comma list of appulse, partial, total");
    cmd->add_option("--saros", ecl->job.saros, "Only this Saros series (van den Bergh numbers)");
    cmd->add_option("--fixed", ecl->job.fixed,
                    "Only eclipses aspecting this position (e.g. 0Ar00)");
    cmd->add_flag("--radix", ecl->use_radix,
                  "Only eclipses aspecting the points of the chart given by the chart fields");
    AddChartOptions(*cmd, ecl->radix, "--");
    cmd->add_option("--aspect-set", ecl->job.aspect_set, "Aspect set name or path");
    cmd->add_option("--points", ecl->job.points,
                    "Radix points: a selection name or path, or a list of point numbers");
    cmd->add_flag("--nearest", ecl->job.nearest, "The nearest-eclipse lookup of the span");
    cmd->add_option("--sort", ecl->job.sort,
                    "Sort by column 0-13: 0 date, 1 solar/lunar, 2 type, 5 position, 6 Saros "
                    "(vdB), 7 Saros (J/B), 8 gamma, 9 magnitude, 10 penumbral magnitude, 11 "
                    "duration, 12-13 semi-durations (default: the setting EclSort)");
    cmd->add_option("--create-chart", ecl->job.create_charts,
                    "Create the chart of eclipse N of the list (repeatable), named with (NM) "
                    "or (FM), cast for the radix chart's place, else the place fields, else "
                    "0N00 0E00 in UT");
    cmd->add_option("--save", ecl->job.save_to,
                    "Append the charts of --create-chart to this chart file (it must exist)");
    cmd->callback([&ctx, ecl] {
        ctx.action = [&ctx, ecl] {
            if (ecl->use_radix) {
                ecl->job.radix = ecl->radix;
            } else {
                ecl->job.place = ecl->radix;
            }
            return RunEclipses(ctx, ecl->job);
        };
    });

    auto phases = std::make_shared<returns::LunarPhaseJob>();
    auto kind = std::make_shared<std::string>();
    auto* lp = app.add_subcommand("lunar-phases", "New Moons, quarters and full Moons of a span");
    AddSpanOptions(*lp, phases->span);
    lp->get_option("--from")->required(false)->description("Start date (required without --kind)");
    lp->add_option("--kind", *kind,
                   "Create the charts of one kind around --around for the chart given by the chart "
                   "fields: 1 \"Progressed Lunar Phases\", 2 \"Transiting Lunar Phases\", 3 "
                   "\"Phase Returns\", 4 \"Phase Family (New)\", 5 \"Phase Family (In "
                   "Progress)\", 6 \"Eclipses (List)\", 7 \"Eclipse (Solar or Lunar)\", 8 "
                   "\"Eclipse (Solar only)\", 9 \"Eclipse (Lunar only)\" (name or number). Lists "
                   "of phases (1, 2) are centred: count/2 phases before the date, the rest at or "
                   "after it; eclipse lists start at the date; one eclipse is the one nearest it");
    lp->add_option("--around", phases->around, "--kind: the date to search for phases around");
    lp->add_option("--around-time", phases->around_time,
                   "--kind: the time of --around in the chart's zone (midnight by default)");
    lp->add_flag("--phase-returns", phases->phase_returns,
                 "Phase returns of the chart given by the chart fields: the moments after --from "
                 "at which the Sun-Moon elongation comes back to the chart's (no --to needed)");
    lp->add_option("--count", phases->count,
                   "Number of phase returns, or of the charts of a --kind list (default: the "
                   "setting PhaseReturnsToFind, ProgPhaseReturnsToFind, TranPhaseReturnsToFind "
                   "or EclipsesToFind)");
    lp->add_option("--create-chart", phases->create_charts,
                   "Create the lunar-phase chart of phase N of the list (repeatable), cast for "
                   "the place fields, else 0N00 0E00 in UT");
    lp->add_option("--save", phases->save_to,
                   "Append the charts of --create-chart or --kind to this chart file (it must "
                   "exist)");
    AddChartOptions(*lp, phases->place, "--");
    lp->callback([&ctx, phases, kind] {
        ctx.action = [&ctx, phases, kind] {
            if (!kind->empty()) {
                phases->chart_kind = returns::LunarPhaseChartKindOf(*kind);
                if (!phases->chart_kind) {
                    return ExitFor(startup::Status(
                        startup::StatusCode::kRefused,
                        "--kind is a number 1 to 9 or the name of a kind (\"Phase Family (New)\").",
                        "meridia-cli"));
                }
            } else if (phases->span.from.empty()) {
                return ExitFor(startup::Status(startup::StatusCode::kRefused,
                                               "--from is required without --kind.",
                                               "meridia-cli"));
            }
            return RunLunarPhases(ctx, *phases);
        };
    });
}

}  // namespace meridia::cli
