#include "returns/void_of_course.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

#include "aspects/aspect_set.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/ephemeris.h"
#include "astro/time_scales.h"
#include "returns/longitude_solver.h"
#include "returns/scratch_slot.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "textformats/zodiac_text.h"

namespace meridia::returns {

namespace {

constexpr double kMoonMeanMotion = 13.176358;  // degrees per day
constexpr double kTropicalMonth = 27.321582;   // days
constexpr double kBisectionWidth = 0.00001;    // days
constexpr double kRestartStep = 0.0001;        // days past the ingress
constexpr int kMaxRestarts = 4;
constexpr std::array<int, 9> kAllPlanets = {astro::kSun,    astro::kMercury, astro::kVenus,
                                            astro::kMars,   astro::kJupiter, astro::kSaturn,
                                            astro::kUranus, astro::kNeptune, astro::kPluto};

std::size_t PlanetCount(int type) { return type == kVoidAllPlanets ? 9 : 6; }

// Signs in which the Moon is never void with type 2: Taurus, Cancer, Sagittarius, Pisces.
bool NeverVoidSign(int sign) { return sign == 2 || sign == 4 || sign == 9 || sign == 12; }

struct Candidate {
    int planet = 0;
    int aspect = 0;
    double angle = 0.0;  // a(p): the aspect point is the planet's longitude plus this angle
};

// The aspect of the multiple k of 30 degrees nearest to a separation: 0 conjunction,
// 2 sextile, 3 square, 4 trine, 6 opposition; 0 (none) for 1, 5 and more than 6.
int AspectOfMultiple(int k) {
    switch (k) {
        case 0:
            return kConjunction;
        case 2:
            return kSextile;
        case 3:
            return kSquare;
        case 4:
            return kTrine;
        case 6:
            return kOpposition;
        default:
            return 0;
    }
}

// The candidate aspect of one planet for the Moon moving from moon0 to the sign end, the
// planet moving from planet0 to planet1 meanwhile; nothing when the Moon does not cross the
// aspect point inside the sign.
std::optional<Candidate> CandidateOf(int planet, double moon0, double sign_end, double planet0,
                                     double planet1) {
    const double moon_middle = (sign_end + moon0) / 2.0;
    const double planet_middle = astro::ArcMidpoint(planet0, planet1);
    const double x = astro::Norm180(planet_middle - moon_middle);
    const int k = static_cast<int>(std::floor((std::fabs(x) + 15.0) / 30.0));
    const int aspect = AspectOfMultiple(k);
    if (aspect == 0) {
        return std::nullopt;
    }
    // The aspect point lies between the Moon and the planet: behind a planet ahead of the
    // Moon (x > 0), ahead of a planet behind it. Taking the sign the other way round would put
    // the sextile, square and trine points on the far side of the planet, where the Moon never
    // meets them, and leave only conjunctions and oppositions.
    const double angle = x > 0.0 ? -30.0 * k : 30.0 * k;
    const double d0 = astro::Norm180(moon0 - (planet0 + angle));
    const double d1 = astro::Norm180(sign_end - (planet1 + angle));
    if (d0 < 0.0 && d1 > 0.0) {
        return Candidate{planet, aspect, angle};
    }
    return std::nullopt;
}

// The planets' longitudes of a slot, in the order of kAllPlanets.
using PlanetLongitudes = std::array<double, 9>;

startup::Status NoPosition() {
    return {startup::StatusCode::kOutOfRange, astro::kOutOfRangeText, astro::kOutOfRangeTitle};
}

// Calculates the Moon (when asked) and the planets of the type into a slot at jd_et.
bool CalcMoonAndPlanets(astro::ChartSlot& slot, double jd_et, double offset, int type,
                        bool with_moon, const ZodiacFrame& frame) {
    astro::PositionOptions options;
    options.true_node = frame.true_node;
    if (with_moon && (astro::CalcPositions(slot, astro::kMoon, astro::kMoon, jd_et, offset,
                                           options) != astro::PositionStatus::kOk ||
                      slot.longitude[astro::kMoon] < 0.0)) {
        return false;
    }
    for (std::size_t i = 0; i < PlanetCount(type); ++i) {
        const int planet = kAllPlanets[i];
        if (astro::CalcPositions(slot, planet, planet, jd_et, offset, options) !=
                astro::PositionStatus::kOk ||
            slot.longitude[static_cast<std::size_t>(planet)] < 0.0) {
            return false;
        }
    }
    return true;
}

PlanetLongitudes LongitudesOf(const astro::ChartSlot& slot) {
    PlanetLongitudes result{};
    for (std::size_t i = 0; i < kAllPlanets.size(); ++i) {
        result[i] = slot.longitude[static_cast<std::size_t>(kAllPlanets[i])];
    }
    return result;
}

// The instant (jd_et) at which the Moon reaches the end of its sign, starting from jd0_et.
startup::StatusOr<double> IngressOf(double jd0_et, double sign_end, const ZodiacFrame& frame) {
    SolverRequest request;
    request.point = astro::kMoon;
    request.target = astro::Norm360(sign_end);
    request.jd_et_estimate = jd0_et;
    request.speed = kMoonMeanMotion;
    request.period = kTropicalMonth;
    request.accuracy_arcsec = 0.1;
    request.fine_refinement = true;
    request.frame = frame;
    return SolveLongitude(request);
}

std::vector<Candidate> CandidatesOf(double moon0, double sign_end, const PlanetLongitudes& at0,
                                    const PlanetLongitudes& at1, int type) {
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < PlanetCount(type); ++i) {
        if (auto c = CandidateOf(kAllPlanets[i], moon0, sign_end, at0[i], at1[i])) {
            candidates.push_back(*c);
        }
    }
    return candidates;
}

}  // namespace

std::string VoidAspectName(int aspect) {
    if (aspect < kConjunction || aspect > kSextile) {
        return "";
    }
    return aspects::StandardAspectSet().Aspect(aspect).name;
}

std::string VoidPeriodLine(const VoidOfCoursePeriod& period,
                           const std::function<std::string(double)>& moment) {
    const std::string aspect = VoidAspectName(period.aspect);
    if (period.planet == 0 || aspect.empty()) {
        return "No void period before the ingress at " + moment(period.ends_jd_ut);
    }
    return "Void of Course Moon from " + moment(period.begins_jd_ut) + " to " +
           moment(period.ends_jd_ut) + "   last aspect: " + aspect + " " +
           startup::Names().PointName(period.planet, 1) + " (" +
           textformats::FormatZodiacPosition(period.planet_longitude) + "), ingress " +
           textformats::FormatZodiacPosition(period.moon_longitude);
}

int VoidOfCourseTypeFromSettings() {
    const long type = startup::CurrentSession().settings().GetLong("VoidOfCourseType");
    return type >= 0 && type <= 2 ? static_cast<int>(type) : 0;
}

bool IsMoonVoid(int slot_number, int type) {
    if (!astro::IsValidSlot(slot_number)) {
        return false;
    }
    const astro::ChartSlot& chart = astro::Slot(slot_number);
    const double moon0 = chart.longitude[astro::kMoon];
    if (moon0 < 0.0) {
        return false;
    }
    const int sign = static_cast<int>(std::floor(moon0 / 30.0)) + 1;
    if (type == kVoidTraditionalWithSigns && NeverVoidSign(sign)) {
        return false;
    }
    const double sign_end = 30.0 * sign;
    const ZodiacFrame frame = FrameFromSettings(chart.record.zodiac);
    const auto ingress = IngressOf(chart.julian_day, sign_end, frame);
    if (!ingress.ok()) {
        return false;
    }
    const ScratchSlot at_ingress;
    if (!CalcMoonAndPlanets(at_ingress.slot(), *ingress, FrameOffset(frame, *ingress), type, false,
                            frame)) {
        return false;
    }
    return CandidatesOf(moon0, sign_end, LongitudesOf(chart), LongitudesOf(at_ingress.slot()), type)
        .empty();
}

startup::StatusOr<VoidOfCoursePeriod> NextVoidOfCourse(double jd_ut, int zodiac, int type) {
    const ZodiacFrame frame = FrameFromSettings(zodiac);
    double start = jd_ut;
    for (int restart = 0; restart <= kMaxRestarts; ++restart) {
        const double jd0 = start + astro::DeltaT(start);
        std::vector<Candidate> candidates;
        double moon0 = 0.0;
        double sign_end = 0.0;
        double jdi = 0.0;
        {
            const ScratchSlot slot_a;
            const ScratchSlot slot_b;
            if (!CalcMoonAndPlanets(slot_a.slot(), jd0, FrameOffset(frame, jd0), type, true,
                                    frame)) {
                return NoPosition();
            }
            moon0 = slot_a.slot().longitude[astro::kMoon];
            const int sign = static_cast<int>(std::floor(moon0 / 30.0)) + 1;
            sign_end = 30.0 * sign;
            const auto ingress = IngressOf(jd0, sign_end, frame);
            if (!ingress.ok()) {
                return ingress.status();
            }
            jdi = *ingress;
            if (!CalcMoonAndPlanets(slot_b.slot(), jdi, FrameOffset(frame, jdi), type, false,
                                    frame)) {
                return NoPosition();
            }
            candidates = CandidatesOf(moon0, sign_end, LongitudesOf(slot_a.slot()),
                                      LongitudesOf(slot_b.slot()), type);
            if (candidates.empty()) {
                if (type == kVoidTraditionalWithSigns && NeverVoidSign(sign)) {
                    VoidOfCoursePeriod none;
                    none.begins_jd_ut = jdi - astro::DeltaT(jdi);
                    none.ends_jd_ut = none.begins_jd_ut;
                    none.moon_longitude = astro::Norm360(sign_end);
                    return none;
                }
                // Void already: the next period begins after this ingress. The new start is
                // the ingress instant itself (ephemeris time) a little later.
                start = jdi + kRestartStep;
                continue;
            }
        }
        VoidOfCoursePeriod period;
        double latest = -1.0e300;
        double latest_moon = 0.0;
        bool failed = false;
        for (const Candidate& c : candidates) {
            double moon_at = 0.0;
            const double t = BisectRoot(
                [&](double jd) {
                    const auto moon = PlaceOf(astro::kMoon, jd, frame);
                    const auto planet = PlaceOf(c.planet, jd, frame);
                    if (!moon || !planet) {
                        failed = true;
                        return 0.0;
                    }
                    moon_at = moon->longitude;
                    return astro::Norm180(moon->longitude - planet->longitude - c.angle);
                },
                jd0, jdi, kBisectionWidth);
            if (failed) {
                return NoPosition();
            }
            if (t >= latest) {
                latest = t;
                period.planet = c.planet;
                period.aspect = c.aspect;
                latest_moon =
                    PlaceOf(astro::kMoon, t, frame).value_or(PointPlace{moon_at, 0.0}).longitude;
                period.planet_longitude = astro::Norm360(latest_moon - c.angle);
            }
        }
        period.begins_jd_ut = latest - astro::DeltaT(latest);
        period.ends_jd_ut = jdi - astro::DeltaT(jdi);
        period.moon_longitude = astro::Norm360(sign_end);
        return period;
    }
    return startup::Status(startup::StatusCode::kNotConverged, kNonConvergenceText,
                           kCannotFindReturnTitle);
}

startup::StatusOr<VoidOfCoursePeriod> NextVoidOfCourse(double jd_ut, int zodiac) {
    return NextVoidOfCourse(jd_ut, zodiac, VoidOfCourseTypeFromSettings());
}

startup::StatusOr<std::vector<VoidOfCoursePeriod>> VoidOfCoursePeriods(double jd_ut, int zodiac,
                                                                       int type, int count) {
    std::vector<VoidOfCoursePeriod> periods;
    double start = jd_ut;
    for (int i = 0; i < count; ++i) {
        auto period = NextVoidOfCourse(start, zodiac, type);
        if (!period.ok()) {
            return period.status();
        }
        periods.push_back(*period);
        // The next search starts just inside the next sign.
        start = period->ends_jd_ut + kRestartStep;
    }
    return periods;
}

}  // namespace meridia::returns
