// The aspects list and the aspects analysis: the aspects that the aspect grid finds (one chart,
// or chart B against chart A), sorted by orb under each point, and their patterns, unaspected
// points, orb tightness, distribution over the point groups and frequency against chance.
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "astro/angles.h"
#include "reports/pattern_lines.h"
#include "reports/report_support.h"

namespace meridia::reports::detail {

namespace {

bool Synastry(const ReportRequest& r) { return r.slot_b != 0; }

// The point groups of the analysis.
enum class Group { kInner = 0, kOuter = 1, kAngle = 2 };

Group GroupOf(int point) {
    switch (point) {
        case astro::kSun:
        case astro::kMoon:
        case astro::kMercury:
        case astro::kVenus:
        case astro::kMars:
            return Group::kInner;
        case astro::kAscendant:
        case astro::kMidheaven:
        case astro::kVertex:
        case astro::kEquatorialAscendant:
            return Group::kAngle;
        default:
            return point >= astro::kCoAscendant && point <= astro::kPolarDescendant ? Group::kAngle
                                                                                    : Group::kOuter;
    }
}

constexpr std::array<const char*, 3> kGroupNames = {"Inners", "Outers", "Angles"};

}  // namespace

void WriteAspectList(const ReportRequest& r, ReportWriter& w) {
    const aspects::AspectSet& set = SetOf(r);
    std::vector<aspects::ChartAspect> found = ReportAspects(r);
    w.NL();
    w.AddRadixChart(astro::Slot(r.slot_a), 0);
    if (Synastry(r)) {
        w.NL();
        w.AddRadixChart(astro::Slot(r.slot_b), 1);
    }
    w.NL();
    const double max_orb = set.active.max_orb[static_cast<std::size_t>(
        std::clamp(r.orb_kind, aspects::kOrbNatal, aspects::kOrbTransit) - 1)];
    w.Brief("Sorted by Orb - Maximum Aspect Orb " + FormatOrb(max_orb));
    std::vector<std::string> listed;
    if (found.empty()) {
        w.NL();
        w.Brief("No Aspects Found");
    }
    // Grouped under the first point (synastry: under the point of chart B), tightest first.
    std::map<int, std::vector<const aspects::ChartAspect*>> by_point;
    for (const aspects::ChartAspect& a : found) {
        by_point[Synastry(r) ? a.point_b : a.point_a].push_back(&a);
    }
    if (Synastry(r) && !found.empty()) {
        w.NL();
        w.Header("Aspects from Chart B to Chart A");
    }
    for (auto& [point, list] : by_point) {
        std::stable_sort(list.begin(), list.end(),
                         [](const aspects::ChartAspect* x, const aspects::ChartAspect* y) {
                             return std::fabs(x->result.deviation) < std::fabs(y->result.deviation);
                         });
        w.NL();
        w.Header(Synastry(r) ? "Aspects from Chart B " + PName(point)
                             : "Aspects of " + PName(point));
        for (const aspects::ChartAspect* a : list) {
            AspectRec rec;
            rec.point_a = Synastry(r) ? a->point_b : a->point_a;
            rec.point_b = Synastry(r) ? a->point_a : a->point_b;
            rec.aspect_name = a->name;
            rec.orb = a->result.deviation;
            rec.applying = a->result.applying;
            w.AddAspectRec(rec);
            listed.push_back(fmt::format("{},{},{}", a->point_a, a->point_b, a->result.aspect));
        }
    }
    w.SetValue("aspect_count", static_cast<double>(found.size()));
    w.SetValue("aspects", listed);
}

void WriteAspectAnalysis(const ReportRequest& r, ReportWriter& w) {
    const aspects::AspectSet& set = SetOf(r);
    const std::vector<aspects::ChartAspect> found = ReportAspects(r);
    const astro::ChartSlot& slot_a = astro::Slot(r.slot_a);
    w.NL();
    w.AddRadixChart(slot_a, 0);
    if (Synastry(r)) {
        w.NL();
        w.AddRadixChart(astro::Slot(r.slot_b), 1);
    }
    const int kind = std::clamp(r.orb_kind, aspects::kOrbNatal, aspects::kOrbTransit);

    w.NL();
    w.Header("ASPECTS USED");
    for (const int k : set.active.sorted) {
        const aspects::AspectRecord& a = set.Aspect(k);
        if (a.enabled) {
            w.Brief(fmt::format("{:<20} {:>7.2f}°  orb {}", a.name, a.angle,
                                FormatOrb(a.Orb(aspects::OrbGroup::kOtherApplying, kind))));
        }
    }

    w.NL();
    w.Header("ASPECT PATTERNS");
    int pattern_count = 0;
    const std::vector<int> points_a = ReportPoints(r, slot_a);
    if (!Synastry(r)) {
        for (const std::string& line : PatternLines(slot_a, r.slot_a, points_a, set, kind)) {
            w.Brief(line);
            ++pattern_count;
        }
    }
    if (pattern_count == 0) {
        w.Brief("None");
    }
    w.SetValue("pattern_count", static_cast<double>(pattern_count));

    w.NL();
    std::string unaspected;
    for (const int p : points_a) {
        const bool aspected = std::any_of(found.begin(), found.end(), [&](const auto& a) {
            return a.point_a == p || (!Synastry(r) && a.point_b == p);
        });
        if (!aspected) {
            unaspected += (unaspected.empty() ? "" : ", ") + PName(p);
        }
    }
    w.Brief("Unaspected Points: " + (unaspected.empty() ? std::string("None") : unaspected));

    double tightness = 0.0;
    for (const aspects::ChartAspect& a : found) {
        if (a.result.orb > 0.0) {
            tightness += 1.0 - std::min(1.0, std::fabs(a.result.deviation) / a.result.orb);
        }
    }
    const double tightness_percent =
        found.empty() ? 0.0 : tightness / static_cast<double>(found.size()) * 100.0;
    w.Brief(fmt::format("Orb Tightness = {:.0f}%", tightness_percent));
    w.SetValue("orb_tightness_percent", tightness_percent);

    w.NL();
    w.Header("POINTS USED");
    std::array<std::string, 3> groups;
    for (const int p : points_a) {
        std::string& g = groups[static_cast<std::size_t>(GroupOf(p))];
        g += (g.empty() ? "" : ", ") + PAbbr(p);
    }
    w.Brief("Inners: " + groups[0]);
    w.Brief("Outers: " + groups[1]);
    w.Brief("Angles: " + groups[2]);

    w.NL();
    w.Header("ASPECT DISTRIBUTION GRID");
    std::array<std::array<int, 3>, 3> grid{};
    for (const aspects::ChartAspect& a : found) {
        const auto ga = static_cast<std::size_t>(GroupOf(a.point_a));
        const auto gb = static_cast<std::size_t>(GroupOf(a.point_b));
        ++grid[ga][gb];
        if (ga != gb && !Synastry(r)) {
            ++grid[gb][ga];
        }
    }
    w.Brief(
        fmt::format("{:<8}{:>8}{:>8}{:>8}", "", kGroupNames[0], kGroupNames[1], kGroupNames[2]));
    for (std::size_t g = 0; g < 3; ++g) {
        w.Brief(fmt::format("{:<8}{:>8}{:>8}{:>8}", kGroupNames[g], grid[g][0], grid[g][1],
                            grid[g][2]));
    }

    w.NL();
    w.Header("ASPECT FREQUENCY ANALYSIS");
    w.Brief(fmt::format("{:<20}{:>7}{:>8}  {:<6}{:>6}{:>8}", "Aspect", "Actual", "Likely", "Type",
                        "Hits", "Dif"));
    // The chance of an aspect for one pair of points placed at random: the orb's share of the
    // half circle of separations (twice that for angles other than 0 and 180).
    const std::size_t n = points_a.size();
    const double pairs =
        Synastry(r) ? static_cast<double>(n * ReportPoints(r, astro::Slot(r.slot_b)).size())
                    : static_cast<double>(n) * static_cast<double>(n > 0 ? n - 1 : 0) / 2.0;
    int total_actual = 0;
    double total_likely = 0.0;
    for (const int k : set.active.sorted) {
        const aspects::AspectRecord& a = set.Aspect(k);
        if (!a.enabled) {
            continue;
        }
        const int actual = static_cast<int>(std::count_if(
            found.begin(), found.end(), [&](const auto& f) { return f.result.aspect == k; }));
        const double orb = a.Orb(aspects::OrbGroup::kOtherApplying, kind);
        const bool edge = a.angle < 1e-9 || std::fabs(a.angle - 180.0) < 1e-9;
        const double likely = pairs * std::min(1.0, (edge ? orb : 2.0 * orb) / 180.0);
        total_actual += actual;
        total_likely += likely;
        const double hits =
            found.empty() ? 0.0 : 100.0 * actual / static_cast<double>(found.size());
        const double dif = likely > 0.0 ? (actual - likely) / likely * 100.0 : 0.0;
        const long rounded = std::lround(dif);
        w.Brief(fmt::format(
            "{:<20}{:>7}{:>8.1f}  {:<6}{:>5.0f}%{:>8}", a.name, actual, likely,
            a.harmonic <= 4.0F ? "Major" : "Minor", hits,
            rounded >= 0 ? fmt::format("+{}%", rounded) : fmt::format("({}%)", rounded)));
    }
    w.Brief(fmt::format("{:<20}{:>7}{:>8.1f}", "Total", total_actual, total_likely));
    w.SetValue("aspect_count", static_cast<double>(found.size()));
}

}  // namespace meridia::reports::detail
