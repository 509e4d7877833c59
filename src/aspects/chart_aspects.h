// The aspect grid of calculated charts: the aspects and parallels among the selected points of
// one chart, or between the selected points of two, as the grid, the listings and the aspects
// report show them. A point without a position (longitude -1) takes part in no parallel.
// Longitudes, declinations, deviations and orbs in degrees; speeds in degrees per day.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "aspects/aspect_find.h"
#include "aspects/aspect_set.h"
#include "astro/chart_table.h"
#include "charts/chart_entry.h"
#include "charts/point_selection.h"
#include "startup/status.h"

namespace meridia::aspects {

// One entry of the grid: point_a of the first chart, point_b of the first chart (one chart) or
// of the second; the aspect found and its name in the set.
struct ChartAspect {
    int point_a = 0;
    int point_b = 0;
    AspectResult result;
    std::string name;
    // The set the aspect was found with (0 chart points, 1 fixed stars, 2 asteroids, 3 Arabic
    // parts: AspectFileType).
    int set = 0;
};

// The values of a point of a calculated slot, with the daily rate of its declination worked
// out from the ecliptic speeds (the slot keeps no declination speed).
AspectPoint AspectPointOf(const astro::ChartSlot& slot, int slot_number, int point);

// The points of a selection that a chart takes part with: the heliocentric column for a
// heliocentric chart (coords 2), else the geocentric one; points 1..points_in_use.
std::vector<int> SelectedPoints(const charts::PointSelection& selection, int coords,
                                int points_in_use);

// The aspected points of a job: its point-list option, else the aspected-points selection of
// the settings, else every point in use.
startup::StatusOr<charts::PointSelection> AspectedSelection(const std::string& points,
                                                            int points_in_use);

struct ChartAspectsRequest {
    int slot_a = 1;
    int slot_b = 0;  // 0: the aspects within chart A
    // The aspected points; none means every point in use.
    std::optional<charts::PointSelection> selection;
    int orb_kind = kOrbNatal;
    PartileRule partile;
    // The sets in force for pairs with a fixed star, an Arabic part or an asteroid among the
    // extra points (in that order of precedence); a pair without one, or a set not given, takes
    // the chart set.
    const AspectSet* star_set = nullptr;
    const AspectSet* asteroid_set = nullptr;
    const AspectSet* part_set = nullptr;
};

// The set a pair of points is tested with: the fixed-star set when either is a fixed star,
// else the Arabic-part set when either is a part, else the asteroid set when either is an
// asteroid, else the chart set; and its AspectFileType number.
struct PairSet {
    const AspectSet* set;
    int type;
};
PairSet SetForPair(const AspectSet& chart_set, const ChartAspectsRequest& request, int point_a,
                   int point_b);

// Every aspect of the set (longitude aspects, then the parallel or contraparallel of
// declination) for each pair of selected points: within chart A each pair once, in point
// order; between two charts every point of A against every point of B.
std::vector<ChartAspect> FindChartAspects(const AspectSet& set, const ChartAspectsRequest& request);

// The aspect grid of charts given as typed entries: what `meridia-cli aspects` lists.
struct AspectGridJob {
    charts::ChartEntry first;
    std::optional<charts::ChartEntry> second;
    std::string aspect_set;  // name or path of a set used in place of the chart set; "" none
    // A point-list option (charts/point_list.h); "" takes the aspected-points selection of the
    // settings, and every point when that cannot be loaded.
    std::string points;
    int orb_kind = kOrbNatal;
};

struct AspectGrid {
    std::string set_file;         // the aspect file in force
    std::string set_description;  // its header's description
    std::string name_a;           // the charts' names
    std::string name_b;           // "" for one chart
    std::vector<ChartAspect> aspects;
};

// Slots of the chart table the job calculates its charts into.
inline constexpr int kGridSlotA = 1;
inline constexpr int kGridSlotB = 2;

// Reads the aspect sets of the settings, puts the job's set in force, calculates the charts
// into kGridSlotA and kGridSlotB and finds their aspects with the settings' partile rule.
startup::StatusOr<AspectGrid> CalculateAspectGrid(const AspectGridJob& job);

}  // namespace meridia::aspects
