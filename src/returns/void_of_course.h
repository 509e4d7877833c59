// The void-of-course Moon: whether the Moon of a calculated chart makes no further major
// aspect to the planets before it leaves its sign, and the next void-of-course period after a
// moment (from the Moon's last major aspect in a sign to its ingress into the next sign).
// Julian days as named (jd_ut universal time, jd_et ephemeris time); longitudes in degrees in
// the zodiac asked for. Uses scratch slots of the chart table, always given back; not
// thread-safe.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "startup/status.h"

namespace meridia::returns {

// The planets that count (setting `VoidOfCourseType`): 0 the Sun and Mercury to Pluto; 1 the
// Sun and Mercury to Saturn; 2 as 1, and the Moon is never void in Taurus, Cancer,
// Sagittarius or Pisces.
inline constexpr int kVoidAllPlanets = 0;
inline constexpr int kVoidTraditionalPlanets = 1;
inline constexpr int kVoidTraditionalWithSigns = 2;

// The five major aspects, numbered as in the standard aspect set.
inline constexpr int kConjunction = 1;
inline constexpr int kOpposition = 2;
inline constexpr int kTrine = 3;
inline constexpr int kSquare = 4;
inline constexpr int kSextile = 5;

// The name of a void-of-course aspect (kConjunction..kSextile) as the standard aspect set
// names it; "" for any other number.
std::string VoidAspectName(int aspect);

// The setting `VoidOfCourseType`, 0..2 (any other value reads as 0).
int VoidOfCourseTypeFromSettings();

// True when the Moon of the calculated chart in `slot` makes none of the five major aspects to
// the planets of `type` before it leaves its sign. Type 2 with the Moon in sign 2, 4, 9 or 12
// gives false at once. A slot without a Moon (or outside the table) gives false.
bool IsMoonVoid(int slot, int type);

struct VoidOfCoursePeriod {
    int planet = 0;                 // point number of the last aspect; 0 when none
    int aspect = 0;                 // 1..5 (kConjunction..kSextile); 0 when none
    double begins_jd_ut = 0.0;      // the last aspect: the void period begins
    double ends_jd_ut = 0.0;        // the Moon's ingress into the next sign
    double planet_longitude = 0.0;  // the planet at the last aspect
    double moon_longitude = 0.0;    // the Moon at the ingress (a sign boundary)
};

// One period as a line of the void-of-course listings (no line break): "Void of Course Moon
// from <begins> to <ends>   last aspect: <aspect> <planet> (<its position>), ingress <Moon's
// position>", or "No void period before the ingress at <ends>" for a period without an aspect.
// `moment` writes a Julian day (UT) as the listing shows its times.
std::string VoidPeriodLine(const VoidOfCoursePeriod& period,
                           const std::function<std::string(double)>& moment);

// The next void-of-course period after jd_ut in a zodiac (code 0: the default zodiac). When
// the Moon is void already at the start, the period of the next sign is given. With type 2 a
// sign in which the Moon is never void gives a period with planet 0 (begins = ends = the
// ingress). Fails with the ephemeris' status when a position cannot be calculated.
startup::StatusOr<VoidOfCoursePeriod> NextVoidOfCourse(double jd_ut, int zodiac, int type);
// The same with the type of the setting `VoidOfCourseType`.
startup::StatusOr<VoidOfCoursePeriod> NextVoidOfCourse(double jd_ut, int zodiac);

// `count` successive periods from jd_ut: each search starts at the previous period's end.
startup::StatusOr<std::vector<VoidOfCoursePeriod>> VoidOfCoursePeriods(double jd_ut, int zodiac,
                                                                       int type, int count);

}  // namespace meridia::returns
