// The point-to-longitude solver shared by returns, the void-of-course Moon and lunar phases:
// the instant at which a chart point reaches a given longitude, by steps from an estimated
// instant, with three attempts and a fine Newton refinement; and the frames (zodiac offsets)
// in which the point is measured.
// Julian days in ephemeris time (jd_et); longitudes in degrees; speeds in degrees per day.
// Uses one scratch slot of the chart table while it runs; not thread-safe.
#pragma once

#include <optional>

#include "startup/status.h"

namespace meridia::returns {

// 0.1 arc second, the finest tolerance the solver takes, in degrees.
inline constexpr double kFinestTolerance = 0.1 / 3600.0;
// Tolerance of the fine refinement, degrees.
inline constexpr double kFineTolerance = 0.000001;
inline constexpr int kSolverIterations = 20;

inline constexpr const char* kCannotFindReturnTitle = "Cannot Find Return";
inline constexpr const char* kNonConvergenceText =
    "Unable to find return due to non-convergence of iteration.";

// Where longitudes are measured: a zodiac code (1 tropical, 2..17 sidereal and the others, 0
// the default zodiac of the settings), and optionally the precession correction of a tropical
// chart, which keeps the longitudes in the equinox of `base_jd_et`.
struct ZodiacFrame {
    int zodiac = 1;
    bool precession_corrected = false;
    double base_jd_et = 0.0;
    bool true_node = true;
    double user_svp = 0.0;
};

// The frame of a zodiac code with the node and SVP settings of the session.
ZodiacFrame FrameFromSettings(int zodiac);
// Degrees added to a tropical longitude at jd_et in this frame.
double FrameOffset(const ZodiacFrame& frame, double jd_et);

// A point's place at one instant.
struct PointPlace {
    double longitude = 0.0;  // frame's zodiac, [0, 360)
    double speed = 0.0;      // degrees per day
};

// The geocentric place of a fixed point (1..50) that has a body or is the opposite of one
// (the Earth, the South Node); nothing when the ephemeris has no position (the files-missing
// message is shown by the ephemeris).
std::optional<PointPlace> PlaceOf(int point, double jd_et, const ZodiacFrame& frame);

// True for the points whose place PlaceOf can calculate.
bool HasPlace(int point);
// The point's mean geocentric daily motion, degrees per day (negative for the regressing
// nodes); 0 for a point without a known mean motion.
double MeanDailyMotion(int point);

struct SolverRequest {
    int point = 3;
    double target = 0.0;  // degrees
    double jd_et_estimate = 0.0;
    double speed = 0.0;   // the point's mean daily motion, degrees per day
    double period = 0.0;  // days of one full cycle
    double accuracy_arcsec = 100.0;
    bool fine_refinement = false;  // Newton steps to 0.000001 degree after the search
    ZodiacFrame frame;
};

// The instant (jd_et) at which the point's longitude equals the target within the tolerance:
// up to three attempts of 20 steps (the estimates as given, halved, doubled); a step is
// d / speed while the distance d is within 20 degrees, else 0.9 x period x d / 360. Fails with
// kNotConverged ("Unable to find return due to non-convergence of iteration.") when no
// attempt converges, and with kOutOfRange when the point has no position at an instant.
startup::StatusOr<double> SolveLongitude(const SolverRequest& request);

// Root of f between lo and hi by bisection, for an f that is negative before the root and
// positive (or 0) after it: the bracket is halved until it is narrower than `width`, and the
// middle of the final bracket is returned. An exact 0 ends the search at once.
template <class F>
double BisectRoot(F&& f, double lo, double hi, double width) {
    while (hi - lo >= width) {
        const double mid = 0.5 * (lo + hi);
        const double value = f(mid);
        if (value == 0.0) {
            return mid;
        }
        if (value < 0.0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return 0.5 * (lo + hi);
}

}  // namespace meridia::returns
