// meridia-cli dynamic: transits, progressions and directions of a radix chart over a span of
// time, as the dynamic report lists them (header and one line per event) or as JSON.
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "astro/derived_charts.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "dynamic/dynamic_job.h"
#include "dynamic/event_text.h"
#include "textformats/time_text.h"

namespace meridia::cli {

namespace {

nlohmann::json DateJson(double jd_report) {
    const astro::CompactDateTime d = astro::LocalDateTime(jd_report, 0.0F);
    return {{"year", d.year},     {"month", d.month},   {"day", d.day}, {"hour", d.hour},
            {"minute", d.minute}, {"second", d.second}, {"calendar", 0}};
}

void WriteJson(std::ostream& out, const dynamic::DynamicJobResult& result) {
    const dynamic::DynamicReportClass& table = result.run.table;
    nlohmann::json events = nlohmann::json::array();
    int i = 0;
    for (const dynamic::DynamicEvent& e : table.Events()) {
        if (e.filtered) {
            continue;
        }
        events.push_back({{"index", ++i},
                          {"symbol", std::string(1, e.symbol)},
                          {"moving_point", e.tran_point},
                          {"aspect", e.aspect},
                          {"target_point", e.ra_point},
                          {"moving_longitude", e.tran_pos},
                          {"moving_retrograde", e.tran_retro},
                          {"target_longitude", e.ra_pos},
                          {"julian_day", e.jul_day},
                          {"julian_day_ut", e.jd_ut},
                          {"date", DateJson(e.jul_day)},
                          {"moving_house", e.tran_house},
                          {"target_house", e.ra_house},
                          {"family", e.type},
                          {"event_type", dynamic::EventTypeText(result.request, e.type)},
                          {"weight", e.weight},
                          {"converged", e.converged}});
    }
    nlohmann::json doc;
    doc["method"] = result.request.method;
    doc["step_days"] = result.run.step_days;
    doc["julian_day_start"] = result.request.jd_start_ut;
    doc["julian_day_end"] = result.request.jd_end_ut;
    doc["zone_hours"] = result.request.zone_hours;
    doc["truncated"] = result.run.truncated;
    doc["stopped_at"] = nullptr;
    if (result.run.stopped_at_jd_ut) {
        doc["stopped_at"] = *result.run.stopped_at_jd_ut;
    }
    doc["ephemeris_calls"] = result.run.ephemeris_calls;
    doc["events"] = events;
    out << doc.dump() << '\n';
}

void WriteListing(std::ostream& out, const dynamic::DynamicJobResult& result) {
    out << "*** Dynamic Report: " << result.radix_name << " ***\n";
    for (const std::string& line : result.header) {
        out << line << '\n';
    }
    out << '\n';
    int count = 0;
    for (const dynamic::DynamicEvent& e : result.run.table.Events()) {
        if (e.filtered) {
            continue;
        }
        ++count;
        out << dynamic::EventListingLine(dynamic::EventRowCells(result.request, e)) << '\n';
    }
    if (!result.run.stopped_text.empty()) {
        out << result.run.stopped_text << '\n';
    }
    out << count << " events\n";
}

int RunDynamic(CliContext& ctx, dynamic::DynamicJob& job) {
    const auto result = dynamic::RunDynamicJob(job);
    if (!result.ok()) {
        return ExitForJob(result.status());
    }
    if (ctx.json) {
        WriteJson(*ctx.out, *result);
    } else {
        WriteListing(*ctx.out, *result);
    }
    return kExitOk;
}

}  // namespace

void AddDynamicCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand(
        "dynamic", "Transits, progressions and directions of a radix chart over a span of time");
    auto job = std::make_shared<dynamic::DynamicJob>();
    AddChartOptions(*cmd, job->radix, "--");
    AddExtraOption(*cmd, job->radix);
    cmd->add_option("--from", job->from_date, "First day of the period (read like --date)")
        ->required();
    cmd->add_option("--from-time", job->from_time, "Clock time the period starts (midnight)");
    cmd->add_option("--to", job->to_date, "Last day of the period (the period ends at its end)");
    cmd->add_option("--period", job->period, "Length of the period in --unit");
    cmd->add_option("--unit", job->unit, "days, months or years (default years)");
    cmd->add_option("--method", job->method,
                    "transits (default), progressions, directions, transits-to-progressions, "
                    "transits-to-directions");
    cmd->add_option("--progression-kind", job->progression_kind,
                    "1 secondary (default), 2 mean tertiary, 3 minor, 4 user (setting "
                    "UserProgRate), 5 true tertiary, 13 age harmonic, 14 age+1 harmonic, 15 van "
                    "Dam primaries; progressed angles follow the setting ProgAngles");
    cmd->add_option("--direction-type", job->direction_type,
                    "1 solar arc (default), 2 Ascendant arc, 3 Vertex arc, 4 user arc (--rate), "
                    "6 profections; 5, 7, 8 the primary directions");
    cmd->add_option("--rate", job->rate, "Arc rate of user directions, degrees per year");
    cmd->add_option("--multiplier", job->multiplier,
                    "Arc multiplier: 1, 2, 0.5, -1, -2, -0.5 (default 1)");
    cmd->add_option("--moving", job->moving,
                    "Moving points: selection name or path, or a list such as 1,3,5-12 "
                    "(default Moon, Sun, Mercury to Pluto)");
    cmd->add_option("--targets", job->targets,
                    "Target (radix) points: selection or list (default the moving points "
                    "with Ascendant and Midheaven)");
    cmd->add_option("--aspect-set", job->aspect_set, "Aspect set name or path");
    cmd->add_option("--events", job->events,
                    "Comma list: transits-radix, transits-transits, transits-progressions, "
                    "transits-directions, progressions-radix, progressions-progressions, "
                    "directions-radix, sign-ingress, house-ingress, stations, "
                    "parallels-declination, parallels-latitude, eclipses, lunar-phases, "
                    "void-of-course");
    cmd->add_flag("--enter-leave", job->enter_leave,
                  "Also the instants of entering and leaving orb");
    cmd->add_option("--report-zone", job->report_zone,
                    "Zone of the report, typed like --zone (default the radix chart's zone)");
    cmd->add_flag("--auto-dst", job->auto_dst,
                  "Look the zone up for each event (needs the radix --place or "
                  "--relocate-place)");
    cmd->add_flag("--relocate", job->relocate,
                  "Report location other than the natal place: --relocate-place, "
                  "--relocate-country, --relocate-lat, --relocate-lon");
    cmd->add_option("--relocate-place", job->relocate_place, "Relocation place name");
    cmd->add_option("--relocate-country", job->relocate_country, "Relocation country or state");
    cmd->add_option("--relocate-lat", job->relocate_lat, "Relocation latitude, e.g. 51N30");
    cmd->add_option("--relocate-lon", job->relocate_lon, "Relocation longitude, e.g. 0W10");
    cmd->add_flag("--quick", job->quick,
                  "The calendar's quick refinement (full accuracy off): faster, a few seconds "
                  "less exact");
    cmd->add_option("--sort", job->sort,
                    "date (default), event, point1, point2, weight, type, aspect, position1, "
                    "position2");
    cmd->add_option("--key", job->primary.key, "Primary directions: rate key 1-7")
        ->check(CLI::Range(1, 7));
    cmd->add_option("--pd-method", job->pd_method,
                    "Primary directions: placidus (default) or regiomontanus");
    cmd->add_flag("--converse", job->primary.converse, "Primary directions: converse");
    cmd->add_flag("--makransky", job->primary.makransky, "Primary directions: Makransky");
    cmd->callback([&ctx, job] { ctx.action = [&ctx, job] { return RunDynamic(ctx, *job); }; });
}

}  // namespace meridia::cli
