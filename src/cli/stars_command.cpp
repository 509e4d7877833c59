// meridia-cli stars: the stars of the library's catalogue at a chart's moment, in its zodiac;
// and the --extra option that adds extra points 51 and up to the charts of a command.
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "charts/chart_entry.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "textformats/zodiac_text.h"

namespace meridia::cli {

namespace {

constexpr int kStarsSlot = 1;

struct StarsOptions {
    charts::ChartEntry entry;
    std::string name;
};

void WriteListing(std::ostream& out, const std::vector<astro::StarListing>& stars) {
    char line[512];
    std::snprintf(line, sizeof line, "%-24s %-12s %6s  %-14s %10s %10s %10s\n", "Star",
                  "Nomenclature", "Mag", "Longitude", "Latitude", "RA", "Decl");
    out << line;
    for (const astro::StarListing& star : stars) {
        std::snprintf(line, sizeof line, "%-24s %-12s %6.2f  %-14s %+10.4f %10.4f %+10.4f\n",
                      star.name.c_str(), star.nomenclature.c_str(), star.magnitude,
                      textformats::FormatZodiacPosition(star.longitude).c_str(), star.latitude,
                      star.right_ascension, star.declination);
        out << line;
    }
}

int RunStars(CliContext& ctx, const StarsOptions& options) {
    const auto stars = charts::CalculateStarList(options.entry, options.name, kStarsSlot);
    if (!stars.ok()) {
        return ExitFor(stars.status());
    }
    if (ctx.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const astro::StarListing& star : *stars) {
            nlohmann::json& item = list.emplace_back(nlohmann::json::object());
            item["name"] = star.name;
            item["nomenclature"] = star.nomenclature;
            item["magnitude"] = star.magnitude;
            item["longitude"] = star.longitude;
            item["latitude"] = star.latitude;
            item["right_ascension"] = star.right_ascension;
            item["declination"] = star.declination;
        }
        nlohmann::json doc;
        doc["stars"] = std::move(list);
        *ctx.out << doc.dump() << '\n';
    } else {
        WriteListing(*ctx.out, *stars);
    }
    return kExitOk;
}

}  // namespace

void AddExtraOption(CLI::App& command, charts::ChartEntry& entry) {
    command.add_option(
        "--extra", entry.extra,
        "Extra points 51 and up, in order: a comma list of star:NAME (a star of the catalogue "
        "sefstars.txt by name or nomenclature), midpoint:P1/P2 (points by number, abbreviation "
        "or name), position:LONGITUDE (e.g. 15Ar30, in the chart's zodiac), cusp:N, "
        "asteroid:NUMBER (-1 when its ephemeris file is missing), part:NAME (a lot of the "
        "parts file in force, setting PartsFileName), prenatal-lunation, prenatal-eclipse, or "
        "the path of a definition file (.ptu, .pte, .fst, .ast; a parts file .arp adds all "
        "its lots). At most 50.");
}

void AddStarsCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand(
        "stars", "Fixed stars of the catalogue at a chart's moment, in the chart's zodiac");
    auto options = std::make_shared<StarsOptions>();
    AddChartOptions(*cmd, options->entry, "--");
    // Here --name names the star; the chart's name plays no part in a star list.
    cmd->remove_option(cmd->get_option("--name"));
    cmd->add_option("--name", options->name,
                    "Only the star of this name or nomenclature (e.g. Aldebaran, alTau)");
    cmd->callback(
        [&ctx, options] { ctx.action = [&ctx, options] { return RunStars(ctx, *options); }; });
}

}  // namespace meridia::cli
