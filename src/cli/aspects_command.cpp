// meridia-cli aspects: the aspects (parallels included) among the aspected points of one
// chart, or between the points of two charts, with the aspect set in force or a given one.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "aspects/aspect_find.h"
#include "aspects/aspect_manager.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "charts/point_selection.h"
#include "cli/chart_options.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "startup/name_tables.h"
#include "startup/session.h"

namespace meridia::cli {

namespace {

constexpr int kFirstSlot = 1;
constexpr int kSecondSlot = 2;

struct AspectsOptions {
    ChartOptions first;
    ChartOptions second;
    bool with = false;
    std::string aspect_set;
    std::string points;
    int orb_kind = aspects::kOrbNatal;
};

struct FoundAspect {
    int point_a = 0;
    int point_b = 0;
    aspects::AspectResult result;
};

// The values of one point of a calculated slot, with the declination rate worked out from
// the ecliptic speeds (the slot keeps no declination speed).
aspects::AspectPoint PointOf(const astro::ChartSlot& slot, int slot_number, int p) {
    const auto i = static_cast<std::size_t>(p);
    aspects::AspectPoint point;
    point.chart = slot_number;
    point.point = p;
    point.longitude = slot.longitude[i];
    point.latitude = slot.latitude[i];
    point.speed = slot.speed[i];
    point.latitude_speed = slot.latitude_speed[i];
    point.declination = slot.declination[i];
    point.declination_speed =
        aspects::DeclinationSpeed(slot.longitude[i] - slot.zodiac_offset, slot.latitude[i],
                                  slot.speed[i], slot.latitude_speed[i], slot.obliquity);
    return point;
}

// Calculates a chart into a slot; the exit status when it fails.
std::optional<int> Calculate(const ChartOptions& options, int slot) {
    const auto record = BuildChartRecord(options, DefaultChartLoader());
    if (!record) {
        return kExitRefused;
    }
    const astro::CalcStatus status = astro::CalcChart(*record, slot, 0, 0, true, true);
    if (status == astro::CalcStatus::kOutOfRange) {
        astro::ReportOutOfRange();
        return kExitRefused;
    }
    if (status != astro::CalcStatus::kOk) {
        return kExitFailure;
    }
    return std::nullopt;
}

// The aspected points of a chart: the selection's geocentric or heliocentric column.
std::vector<int> SelectedPoints(const charts::PointSelection& selection, int coords) {
    std::vector<int> points;
    for (int p = 1; p <= astro::PointsInUse(); ++p) {
        const auto i = static_cast<std::size_t>(p);
        if (coords == 2 ? selection.heliocentric[i] : selection.geocentric[i]) {
            points.push_back(p);
        }
    }
    return points;
}

void AddPair(const aspects::AspectSet& set, const aspects::AspectPoint& a,
             const aspects::AspectPoint& b, int orb_kind, bool same_chart,
             const aspects::PartileRule& partile, std::vector<FoundAspect>& found) {
    const aspects::AspectResult r = aspects::FindAspect(set, a, b, orb_kind, same_chart, partile);
    if (r.found()) {
        found.push_back({a.point, b.point, r});
    }
    if (a.longitude < 0.0 || b.longitude < 0.0) {
        return;
    }
    const aspects::AspectResult p = aspects::FindParallel(
        set, a, b, aspects::ParallelBasis::kDeclination, orb_kind, same_chart);
    if (p.found()) {
        found.push_back({a.point, b.point, p});
    }
}

std::string DegreesText(double value) {
    const long total = std::lround(std::fabs(value) * 60.0);
    char text[32];
    std::snprintf(text, sizeof text, "%c%ld%s%02ld'", value < 0.0 ? '-' : '+', total / 60,
                  "\xC2\xB0", total % 60);
    return text;
}

int RunAspects(CliContext& ctx, AspectsOptions& options) {
    aspects::AspectManager& manager = aspects::Aspects();
    manager.ReadIni();
    if (!options.aspect_set.empty() && manager.SetTempAspects(options.aspect_set) != 0) {
        // An empty, wrong-version or damaged file has had its message from the loader; a file
        // that cannot be opened at all has not.
        const std::filesystem::path path = aspects::AspectFilePath(options.aspect_set);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec) || !std::ifstream(path, std::ios::binary)) {
            *ctx.err << "Aspect file " << path.string() << " could not be loaded.\n";
        }
        return kExitRefused;
    }
    const aspects::AspectSet& set = manager.ChartSet();
    if (options.orb_kind < aspects::kOrbNatal || options.orb_kind > aspects::kOrbTransit) {
        return kExitRefused;
    }

    const bool two_charts = options.with || options.second.Given();
    if (auto status = Calculate(options.first, kFirstSlot)) {
        return *status;
    }
    if (two_charts) {
        if (auto status = Calculate(options.second, kSecondSlot)) {
            return *status;
        }
    }

    charts::PointSelection selection;
    const int in_use = astro::PointsInUse();
    std::string selection_name = options.points;
    if (selection_name.empty()) {
        selection_name = startup::CurrentSession().settings().GetString("AspPntFileName");
    }
    const auto loaded = charts::LoadPointSelection(selection_name, charts::SelectionKind::kAspected,
                                                   selection, in_use);
    if (!loaded.loaded) {
        if (!options.points.empty()) {
            if (!loaded.empty_file) {
                *ctx.err << "Point file "
                         << charts::SelectionPath(options.points, charts::SelectionKind::kAspected)
                                .string()
                         << " could not be loaded.\n";
            }
            return kExitRefused;
        }
        // No aspected-points file in force: every point in use takes part.
        for (int p = 1; p <= in_use; ++p) {
            selection.geocentric[static_cast<std::size_t>(p)] = true;
            selection.heliocentric[static_cast<std::size_t>(p)] = true;
        }
    }

    const aspects::PartileRule partile = aspects::PartileRuleFromSettings();
    const astro::ChartSlot& slot_a = astro::Slot(kFirstSlot);
    const std::vector<int> points_a = SelectedPoints(selection, slot_a.record.coords);
    std::vector<FoundAspect> found;
    if (two_charts) {
        const astro::ChartSlot& slot_b = astro::Slot(kSecondSlot);
        const std::vector<int> points_b = SelectedPoints(selection, slot_b.record.coords);
        for (const int pa : points_a) {
            const auto a = PointOf(slot_a, kFirstSlot, pa);
            for (const int pb : points_b) {
                AddPair(set, a, PointOf(slot_b, kSecondSlot, pb), options.orb_kind, false, partile,
                        found);
            }
        }
    } else {
        for (std::size_t i = 0; i < points_a.size(); ++i) {
            const auto a = PointOf(slot_a, kFirstSlot, points_a[i]);
            for (std::size_t j = i + 1; j < points_a.size(); ++j) {
                AddPair(set, a, PointOf(slot_a, kFirstSlot, points_a[j]), options.orb_kind, true,
                        partile, found);
            }
        }
    }

    if (ctx.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const FoundAspect& f : found) {
            list.push_back({{"point_a", f.point_a},
                            {"point_b", f.point_b},
                            {"aspect", f.result.aspect},
                            {"name", set.Aspect(f.result.aspect).name},
                            {"deviation", f.result.deviation},
                            {"orb", f.result.orb},
                            {"applying", f.result.applying},
                            {"partile", f.result.partile}});
        }
        nlohmann::json doc;
        doc["aspect_set"] = manager.AspectFile();
        doc["aspects"] = list;
        *ctx.out << doc.dump() << '\n';
        return kExitOk;
    }
    const auto& names = startup::Names();
    *ctx.out << "*** Aspects: " << slot_a.record.data.name;
    if (two_charts) {
        *ctx.out << " / " << astro::Slot(kSecondSlot).record.data.name;
    }
    *ctx.out << " ***\nAspect set: " << manager.AspectFile() << " (" << set.header.description
             << ")\n\n";
    // Room for the widest line: names of up to 20 characters of three UTF-8 bytes, and an
    // orb of a damaged file that prints as hundreds of digits.
    char line[1024];
    for (const FoundAspect& f : found) {
        std::snprintf(
            line, sizeof line, "%-21s %-20s %-21s %9s  orb %5.2f  %s%s\n",
            names.PointName(f.point_a, 1).c_str(), set.Aspect(f.result.aspect).name.c_str(),
            names.PointName(f.point_b, 1).c_str(), DegreesText(f.result.deviation).c_str(),
            f.result.orb, f.result.applying ? "applying" : "separating",
            f.result.partile ? ", partile" : "");
        *ctx.out << line;
    }
    *ctx.out << found.size() << " aspects\n";
    return kExitOk;
}

}  // namespace

void AddAspectsCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("aspects", "Aspects of one chart or between two");
    auto options = std::make_shared<AspectsOptions>();
    AddChartOptions(*cmd, options->first, "--");
    AddChartOptions(*cmd, options->second, "--b-");
    cmd->add_flag("--with", options->with, "Aspects between the chart and a second one (--b-)");
    cmd->add_option("--aspect-set", options->aspect_set, "Aspect set name or path");
    cmd->add_option("--points", options->points, "Aspected-points selection name or path");
    cmd->add_option("--orb-kind", options->orb_kind, "1 natal, 2 progressed, 3 transits")
        ->check(CLI::Range(1, 3));
    cmd->callback(
        [&ctx, options] { ctx.action = [&ctx, options] { return RunAspects(ctx, *options); }; });
}

}  // namespace meridia::cli
