// meridia-cli speculum: the primary-direction quantities (speculum) of every selected point of
// one chart, as JSON or as the speculum listing.
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "charts/chart_entry.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "directions/mundane_table.h"
#include "startup/name_tables.h"

namespace meridia::cli {

namespace {

struct SpeculumOptions {
    charts::ChartEntry entry;
    std::string points;
};

// A value that is not a number (no ascensional difference, no pole) is written as null.
nlohmann::json Number(double value) {
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(nullptr);
}

void WriteJson(std::ostream& out, const directions::SpeculumTable& table) {
    nlohmann::json list = nlohmann::json::array();
    for (const directions::SpeculumRow& row : table.rows) {
        const directions::Speculum& s = row.speculum;
        list.push_back({{"number", row.number},
                        {"right_ascension", s.RightAscension()},
                        {"declination", s.Declination()},
                        {"crosses_horizon", s.CrossesHorizon()},
                        {"ascensional_difference", Number(s.AscensionalDifference())},
                        {"oblique_ascension", Number(s.ObliqueAscension())},
                        {"oblique_descension", Number(s.ObliqueDescension())},
                        {"day_semi_arc", Number(s.DaySemiArc())},
                        {"night_semi_arc", Number(s.NightSemiArc())},
                        {"upper_meridian_distance", Number(s.UpperMeridianDistance())},
                        {"meridian_distance", Number(s.MeridianDistance())},
                        {"placidus_mundane_position", Number(s.PlacidusMundanePosition())},
                        {"zenith_distance", Number(s.ZenithDistance())},
                        {"pole", Number(s.Pole())},
                        {"regio_mundane_position", Number(s.RegioMundanePosition())}});
    }
    nlohmann::json doc;
    doc["name"] = table.chart_name;
    doc["points"] = list;
    out << doc.dump() << '\n';
}

void WriteListing(std::ostream& out, const directions::SpeculumTable& table) {
    out << "*** Speculum: " << table.chart_name << " ***\n"
        << directions::SpeculumListingHeading() << '\n';
    for (const directions::SpeculumRow& row : table.rows) {
        out << directions::SpeculumListingLine(startup::Names().PointName(row.number, 0),
                                               row.speculum)
            << '\n';
    }
}

int RunSpeculum(CliContext& ctx, const SpeculumOptions& options) {
    const auto table = directions::CalculateSpeculumTable(options.entry, options.points);
    if (!table.ok()) {
        return ExitForJob(table.status());
    }
    if (ctx.json) {
        WriteJson(*ctx.out, *table);
    } else {
        WriteListing(*ctx.out, *table);
    }
    return kExitOk;
}

}  // namespace

void AddSpeculumCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand(
        "speculum", "Primary-direction quantities (speculum) of every point of one chart");
    auto options = std::make_shared<SpeculumOptions>();
    AddChartOptions(*cmd, options->entry, "--");
    cmd->add_option("--points", options->points,
                    "Points listed: a selection name or path, or a list of point numbers and "
                    "ranges such as 1-12,22,23 (default: every point with a position)");
    cmd->callback(
        [&ctx, options] { ctx.action = [&ctx, options] { return RunSpeculum(ctx, *options); }; });
}

}  // namespace meridia::cli
