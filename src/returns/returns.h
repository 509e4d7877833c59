// Return charts: the instants at which a point of a base chart comes back to its natal
// longitude (or to a typed position or ingress), or to any multiple of 360 / h degrees from
// it, found by the longitude solver, each calculated as a chart (class Return).
// Julian days in universal time (jd_ut) unless named jd_et; longitudes in degrees in the base
// chart's zodiac. Uses the chart table; not thread-safe.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "startup/status.h"

namespace meridia::returns {

enum class WhichReturn { kCurrent, kNext, kNearest };

struct ReturnRequest {
    int base_slot = 1;
    int point = 3;  // the returning point (1..50, a point with an ephemeris body)
    double harmonic = 1.0;
    bool user_position = false;  // false: the point's natal longitude
    double position = 0.0;       // the typed position or ingress, degrees
    WhichReturn which = WhichReturn::kNext;
    int count = 1;
    bool converse = false;
    bool precession_correction = false;  // tropical base charts only
    double start_jd_ut = 0.0;
    // Tolerance of the search in arc seconds (below 0.1 it is 0.1).
    double accuracy_arcsec = 100.0;
    // 0: the search alone; 1: the search, then Newton steps to 0.000001 degree; 2: the search
    // to 0.1 arc second.
    int calc_flag = 1;
};

struct FoundReturn {
    int number = 0;  // 1..N
    bool found = false;
    double jd_ut = 0.0;
    double target = 0.0;  // the target longitude, degrees
};

// "Calculating Return n of N".
std::string ReturnProgressText(int n, int total);
// Called before each return with n and N; returning false cancels the search, which then ends
// with the returns found so far.
using ReturnProgress = std::function<bool(int n, int total)>;

inline constexpr int kMaxReturnCount = 1000;

// The N returns of the request. A request that cannot be met (no base chart, a point without
// an ephemeris body, harmonic below 1, a count outside 1..1000) is kRefused with its reason.
// A return that is not found shows "Unable to find return due to non-convergence of
// iteration." (title "Cannot Find Return") and the search goes on with the next one.
startup::StatusOr<std::vector<FoundReturn>> FindReturns(const ReturnRequest& request,
                                                        const ReturnProgress& progress = {});

// Calculates a found return as a chart in a free slot: the base chart's place, zone, house
// system and zodiac at the return instant, class Return. Returns the slot.
startup::StatusOr<int> OpenReturnChart(const ReturnRequest& request, const FoundReturn& found);

}  // namespace meridia::returns
