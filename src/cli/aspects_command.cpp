// meridia-cli aspects: the aspects (parallels included) among the aspected points of one
// chart, or between the points of two charts, with the aspect set in force or a given one.
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "aspects/chart_aspects.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "startup/name_tables.h"
#include "textformats/zodiac_text.h"

namespace meridia::cli {

namespace {

struct AspectsOptions {
    charts::ChartEntry first;
    charts::ChartEntry second;
    bool with = false;
    aspects::AspectGridJob job;
};

void WriteJson(std::ostream& out, const aspects::AspectGrid& grid) {
    nlohmann::json list = nlohmann::json::array();
    for (const aspects::ChartAspect& f : grid.aspects) {
        list.push_back({{"point_a", f.point_a},
                        {"point_b", f.point_b},
                        {"aspect", f.result.aspect},
                        {"name", f.name},
                        {"deviation", f.result.deviation},
                        {"orb", f.result.orb},
                        {"applying", f.result.applying},
                        {"partile", f.result.partile}});
    }
    nlohmann::json doc;
    doc["aspect_set"] = grid.set_file;
    doc["aspects"] = list;
    out << doc.dump() << '\n';
}

void WriteListing(std::ostream& out, const aspects::AspectGrid& grid) {
    const auto& names = startup::Names();
    out << "*** Aspects: " << grid.name_a;
    if (!grid.name_b.empty()) {
        out << " / " << grid.name_b;
    }
    out << " ***\nAspect set: " << grid.set_file << " (" << grid.set_description << ")\n\n";
    // Room for the widest line: names of up to 20 characters of three UTF-8 bytes, and an
    // orb of a damaged file that prints as hundreds of digits.
    char line[1024];
    for (const aspects::ChartAspect& f : grid.aspects) {
        std::snprintf(line, sizeof line, "%-21s %-20s %-21s %9s  orb %5.2f  %s%s\n",
                      names.PointName(f.point_a, 1).c_str(), f.name.c_str(),
                      names.PointName(f.point_b, 1).c_str(),
                      textformats::FormatSignedDegreesMinutes(f.result.deviation).c_str(),
                      f.result.orb, f.result.applying ? "applying" : "separating",
                      f.result.partile ? ", partile" : "");
        out << line;
    }
    out << grid.aspects.size() << " aspects\n";
}

int RunAspects(CliContext& ctx, AspectsOptions& options) {
    options.job.first = options.first;
    if (options.with || options.second.Given()) {
        options.job.second = options.second;
    }
    const auto grid = aspects::CalculateAspectGrid(options.job);
    if (!grid.ok()) {
        // A set or a point list that cannot be used is refused input.
        return ExitForJob(grid.status());
    }
    if (ctx.json) {
        WriteJson(*ctx.out, *grid);
    } else {
        WriteListing(*ctx.out, *grid);
    }
    return kExitOk;
}

}  // namespace

void AddAspectsCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("aspects", "Aspects of one chart or between two");
    auto options = std::make_shared<AspectsOptions>();
    AddChartOptions(*cmd, options->first, "--");
    AddChartOptions(*cmd, options->second, "--b-");
    AddExtraOption(*cmd, options->first);
    cmd->add_flag("--with", options->with, "Aspects between the chart and a second one (--b-)");
    cmd->add_option("--aspect-set", options->job.aspect_set, "Aspect set name or path");
    cmd->add_option("--points", options->job.points,
                    "Aspected points: a selection name or path, or a list of point numbers "
                    "and ranges such as 3,5-12,22,23");
    cmd->add_option("--orb-kind", options->job.orb_kind, "1 natal, 2 progressed, 3 transits")
        ->check(CLI::Range(1, 3));
    cmd->callback(
        [&ctx, options] { ctx.action = [&ctx, options] { return RunAspects(ctx, *options); }; });
}

}  // namespace meridia::cli
