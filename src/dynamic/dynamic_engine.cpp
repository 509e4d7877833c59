#include "dynamic/dynamic_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "aspects/aspect_find.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/ephemeris.h"
#include "astro/extra_points.h"
#include "astro/time_scales.h"
#include "dynamic/dynamic_hooks.h"
#include "dynamic/refine.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "textformats/calendar.h"

namespace meridia::dynamic {

namespace {

using astro::Norm180;
using astro::Norm360;
using startup::Status;
using startup::StatusCode;

// Precision of the true instant of a contact before the bisection reports it: far below the
// half-second tolerance, so that the reported instant is the one a bisection on the
// ephemeris itself gives.
constexpr double kRootTolerance = 1e-7;  // days (8.6 ms)
constexpr int kRootEvaluations = 30;
constexpr double kQuickStepLimit = 0.99;  // days

enum class ChartKind { kTransit, kProgressed, kDirected, kPrimary };

// Ephemeris access for the moving charts of one run.
class Positions {
public:
    Positions(const DynamicSearchRequest& request, const DynamicDataClass& data,
              bool with_equatorial)
        : request_(request),
          data_(data),
          radix_(astro::Slot(request.radix_slot)),
          scratch_(std::make_unique<astro::ChartSlot>()),
          with_equatorial_(with_equatorial) {
        options_ = astro::CalcOptionsFromSettings();
        position_options_.true_node = options_.true_node;
        position_options_.true_black_moon = options_.true_black_moon;
        position_options_.vulcan_calc = options_.vulcan_calc;
        scratch_->record.coords = radix_.record.coords;
        zodiac_ =
            radix_.record.zodiac == 0
                ? (options_.default_zodiac == 0 ? astro::kTropicalZodiac : options_.default_zodiac)
                : radix_.record.zodiac;
        observer_latitude_ = data.ObserverLatitude();
        angle_method_ = startup::CurrentSession().settings().GetInt("ProgAngles");
        day_mode_ = startup::CurrentSession().settings().GetInt("ProgDay");
    }

    std::int64_t Calls() const { return calls_; }
    void SetPrimary(PrimaryDirectionSource* source, const DynamicRunContext* context) {
        primary_ = source;
        context_ = context;
    }

    // The position of a chart point of a moving chart at a real UT instant.
    std::optional<DynamicPosition> At(ChartKind kind, int point, double jd_ut) {
        switch (kind) {
            case ChartKind::kTransit:
                return Ephemeris(point, jd_ut, 1.0, false);
            case ChartKind::kProgressed:
                return Progressed(point, jd_ut);
            case ChartKind::kDirected:
                return Directed(point, jd_ut);
            case ChartKind::kPrimary:
                ++calls_;
                return primary_ != nullptr && context_ != nullptr
                           ? primary_->Position(*context_, point, jd_ut)
                           : std::nullopt;
        }
        return std::nullopt;
    }

    // The status of the last failed true-tertiary month (a return of the Moon not found).
    const Status& MonthStatus() const { return month_status_; }

    static bool IsMovingAngle(int point) {
        return point == astro::kAscendant || point == astro::kMidheaven ||
               point == astro::kDescendant || point == astro::kImumCoeli;
    }

private:
    double ZodiacOffsetAt(double jd_et) const {
        if (zodiac_ == astro::kTropicalZodiac) {
            return 0.0;
        }
        return astro::ZodiacOffset(zodiac_, jd_et, options_.true_node, options_.user_svp);
    }

    double ObliquityAt(double jd_et) {
        // The mean obliquity moves 0.47" a year: one value per day is exact to far below a
        // second of any contact. The true obliquity is taken at the instant itself.
        if (options_.true_obliquity || std::fabs(jd_et - obliquity_jd_) > 1.0) {
            obliquity_ = astro::Obliquity(jd_et, options_.true_obliquity);
            obliquity_jd_ = jd_et;
        }
        return obliquity_;
    }

    void AddEquatorial(DynamicPosition& p, double zodiac_offset, double obliquity) const {
        const double lambda = p.longitude - zodiac_offset;
        const double beta = p.latitude;
        const double sin_dec = astro::SinD(beta) * astro::CosD(obliquity) +
                               astro::CosD(beta) * astro::SinD(obliquity) * astro::SinD(lambda);
        p.declination = astro::ArcSin(sin_dec);
        p.right_ascension = Norm360(astro::ArcTan2(astro::SinD(lambda) * astro::CosD(obliquity) -
                                                       astro::TanD(beta) * astro::SinD(obliquity),
                                                   astro::CosD(lambda)));
        p.declination_speed =
            aspects::DeclinationSpeed(lambda, beta, p.speed, p.latitude_speed, obliquity);
    }

    // The RAMC of the sky at a UT instant over a geographic longitude (west positive).
    static double RamcAt(double jd_ut, double longitude) {
        const double jd0 = std::floor(jd_ut - 0.5) + 0.5;
        const double st = astro::SiderealTime(astro::SiderealTimeAt0h(jd0), (jd_ut - jd0) * 24.0);
        return Norm360(st * 15.0 - longitude);
    }

    // Ascendant, Midheaven, Descendant or Imum Coeli of a RAMC moving at ramc_rate degrees a
    // day (tropical angles plus the zodiac offset).
    void AngleOf(int point, double ramc, double ramc_rate, double obliquity, double latitude,
                 double offset, DynamicPosition& p) const {
        const astro::AngleSet a =
            astro::CalcAngles(Norm360(ramc), obliquity, latitude, options_.mc_always_above);
        const bool asc = point == astro::kAscendant || point == astro::kDescendant;
        const bool opposite = point == astro::kDescendant || point == astro::kImumCoeli;
        p.longitude =
            Norm360((asc ? a.ascendant : a.midheaven) + offset + (opposite ? 180.0 : 0.0));
        p.speed = (asc ? a.ascendant_speed : a.midheaven_speed) / astro::kSiderealDegreesPerDay *
                  ramc_rate;
    }

    // `natal_place`: the angles of a progressed chart stand at the radix place; a transiting
    // chart's at the report location.
    std::optional<DynamicPosition> Ephemeris(int point, double jd_ut, double speed_factor,
                                             bool natal_place) {
        ++calls_;
        const double jd_et = jd_ut + astro::DeltaT(jd_ut);
        const double offset = ZodiacOffsetAt(jd_et);
        DynamicPosition p;
        if (IsMovingAngle(point)) {
            AngleOf(
                point,
                RamcAt(jd_ut, natal_place ? static_cast<double>(radix_.record.data.place.longitude)
                                          : data_.Longitude()),
                astro::kSiderealDegreesPerDay, ObliquityAt(jd_et),
                natal_place ? radix_.observer_latitude : observer_latitude_, offset, p);
        } else if (point > astro::kFixedPointCount) {
            if (!ExtraPoint(point, jd_ut, jd_et, offset, natal_place, p)) {
                return std::nullopt;
            }
        } else {
            astro::ChartSlot& slot = *scratch_;
            const auto i = static_cast<std::size_t>(point);
            slot.longitude[i] = -1.0;
            if (astro::CalcPositions(slot, point, point, jd_et, offset, position_options_) !=
                    astro::PositionStatus::kOk ||
                slot.longitude[i] < 0.0) {
                return std::nullopt;
            }
            if (point == astro::kMoon && request_.parallax) {
                astro::TopocentricMoon(slot, jd_et, offset, observer_latitude_, data_.Longitude());
            }
            p.longitude = slot.longitude[i];
            p.speed = slot.speed[i];
            p.latitude = slot.latitude[i];
            p.latitude_speed = slot.latitude_speed[i];
        }
        if (with_equatorial_) {
            AddEquatorial(p, offset, ObliquityAt(jd_et));
        }
        p.speed *= speed_factor;
        p.latitude_speed *= speed_factor;
        p.declination_speed *= speed_factor;
        return p;
    }

    // A moving extra point (MovableExtraPoint) at an instant of its chart: the points a
    // midpoint joins first, then the extra-point calculation of the chart.
    bool ExtraPoint(int point, double jd_ut, double jd_et, double offset, bool natal_place,
                    DynamicPosition& p) {
        const astro::ExtraPointDefinition* def = astro::ExtraPointOf(point);
        if (def == nullptr) {
            return false;
        }
        astro::ChartSlot& slot = *scratch_;
        if (def->kind == astro::ExtraKind::kMidpoint) {
            for (const int q : {def->point_a, def->point_b}) {
                const auto at = Ephemeris(q, jd_ut, 1.0, natal_place);
                if (!at) {
                    return false;
                }
                const auto k = static_cast<std::size_t>(q);
                slot.longitude[k] = at->longitude;
                slot.speed[k] = at->speed;
                slot.latitude[k] = at->latitude;
                slot.latitude_speed[k] = at->latitude_speed;
            }
        }
        slot.julian_day = jd_et;
        slot.zodiac_offset = offset;
        astro::CalcExtraPoints(slot, point, point, false, false, false);
        const auto i = static_cast<std::size_t>(point);
        if (slot.longitude[i] < 0.0) {
            return false;
        }
        p.longitude = slot.longitude[i];
        p.speed = slot.speed[i];
        p.latitude = slot.latitude[i];
        p.latitude_speed = slot.latitude_speed[i];
        return true;
    }

    // The progressed (ephemeris-motion) UT instant of a real instant, and the days of ephemeris
    // motion per real day there. True tertiary progressions count months between the returns
    // of the Moon to its natal place (the month in progress is kept); the other kinds are
    // linear in time.
    bool ProgressedMoment(double jd_ut, double& jd_progressed, double& factor) {
        if (data_.ProgressionKind() != kKindTrueTertiary || request_.method == kMethodDirections ||
            request_.method == kMethodTransitsToDirections) {
            jd_progressed = data_.ProgressedJulianDay(jd_ut);
            factor = data_.ZodiacMult() * data_.Rate();
            return true;
        }
        const double base = data_.JulDayBase();
        const double moment = base + (jd_ut - base) * data_.ZodiacMult();
        if (!month_ || moment < month_->start || moment >= month_->next) {
            auto month = astro::TrueTertiaryMonthOf(base, moment - base, day_mode_);
            if (!month.ok()) {
                month_status_ = month.status();
                return false;
            }
            month_ = *month;
        }
        const double length = month_->next - month_->start;
        jd_progressed = base + (month_->n + (moment - month_->start) / length) * month_->day_factor;
        factor = data_.ZodiacMult() * month_->day_factor / length;
        return true;
    }

    // A point of the progressed chart: the bodies at the progressed moment; the angles moved by
    // the progressed-angle method (setting ProgAngles: 1 solar arc in longitude, 2 solar arc in
    // right ascension, 3 Naibod in longitude, 4 Naibod in right ascension, added to the radix
    // RAMC; any other method: the angles of the progressed moment at the radix place); the
    // age-harmonic kinds: every radix point times the age in years (plus one for kind 14).
    std::optional<DynamicPosition> Progressed(int point, double jd_ut) {
        const int kind = data_.ProgressionKind();
        if (kind == kKindAgeHarmonic || kind == kKindAgePlusOneHarmonic) {
            return Harmonic(point, jd_ut, kind == kKindAgePlusOneHarmonic ? 1.0 : 0.0);
        }
        double jd_progressed = 0.0;
        double factor = 0.0;
        if (!ProgressedMoment(jd_ut, jd_progressed, factor)) {
            return std::nullopt;
        }
        if (!IsMovingAngle(point) || angle_method_ < astro::kAnglesSolarArcLongitude ||
            angle_method_ > astro::kAnglesNaibodRightAscension) {
            return Ephemeris(point, jd_progressed, factor, true);
        }
        double arc = 0.0;
        double arc_rate = 0.0;
        if (angle_method_ == astro::kAnglesSolarArcLongitude ||
            angle_method_ == astro::kAnglesSolarArcRightAscension) {
            const bool ra = angle_method_ == astro::kAnglesSolarArcRightAscension;
            const bool saved = with_equatorial_;
            with_equatorial_ = with_equatorial_ || ra;
            const auto sun = Ephemeris(astro::kSun, jd_progressed, factor, true);
            with_equatorial_ = saved;
            if (!sun) {
                return std::nullopt;
            }
            arc = ra ? sun->right_ascension - radix_.right_ascension[astro::kSun]
                     : sun->longitude - radix_.longitude[astro::kSun];
            // The rate only guides the root solver: the Sun's motion in longitude serves for
            // its motion in right ascension too.
            arc_rate = sun->speed;
        } else {
            arc = (jd_progressed - data_.JulDayBase()) * astro::kNaibodArcPerDay;
            arc_rate = astro::kNaibodArcPerDay * factor;
        }
        ++calls_;
        const double jd_et = jd_progressed + astro::DeltaT(jd_progressed);
        const double offset = ZodiacOffsetAt(jd_et);
        DynamicPosition p;
        AngleOf(point, radix_.ramc + astro::ModFloor(arc, 360.0), arc_rate, radix_.obliquity,
                radix_.observer_latitude, offset, p);
        if (with_equatorial_) {
            AddEquatorial(p, offset, ObliquityAt(jd_et));
        }
        return p;
    }

    // Age-harmonic progressions: the radix point's longitude times the age in years (plus
    // `add`), moving at longitude / 365.24219907 degrees a day.
    std::optional<DynamicPosition> Harmonic(int point, double jd_ut, double add) {
        const auto i = static_cast<std::size_t>(point);
        if (radix_.longitude[i] < 0.0) {
            return std::nullopt;
        }
        ++calls_;
        DynamicPosition p;
        p.longitude = Norm360((data_.AgeInYears(jd_ut) + add) * radix_.longitude[i]);
        p.speed = radix_.longitude[i] * data_.ZodiacMult() / kDynamicYearDays;
        p.latitude = radix_.latitude[i];
        if (with_equatorial_) {
            AddEquatorial(p, radix_.zodiac_offset, radix_.obliquity);
        }
        return p;
    }

    // The arc of a non-primary direction at a real instant and its rate per real day.
    bool DirectionArc(double jd_ut, double& arc, double& rate) {
        const double age = data_.AgeInYears(jd_ut);
        switch (request_.direction_type) {
            case kDirectionSolarArc: {
                const auto sun = Ephemeris(astro::kSun, data_.ProgressedJulianDay(jd_ut),
                                           data_.ZodiacMult() * data_.Rate(), true);
                if (!sun) {
                    return false;
                }
                arc = Norm180(sun->longitude - radix_.longitude[astro::kSun]);
                // Beyond half a circle the arc keeps growing (an age of about 180 years).
                if (arc < 0.0 && age > 90.0) {
                    arc += 360.0;
                }
                rate = sun->speed;
                return true;
            }
            case kDirectionAscArc:
            case kDirectionVertexArc: {
                // The arc of the Ascendant (or Vertex) of the radix RAMC moved by the solar arc.
                const double jd_progressed = data_.ProgressedJulianDay(jd_ut);
                const auto sun =
                    Ephemeris(astro::kSun, jd_progressed, data_.ZodiacMult() * data_.Rate(), true);
                if (!sun) {
                    return false;
                }
                const double solar_arc =
                    astro::ModFloor(sun->longitude - radix_.longitude[astro::kSun], 360.0);
                const astro::AngleSet a =
                    astro::CalcAngles(Norm360(radix_.ramc + solar_arc), radix_.obliquity,
                                      radix_.observer_latitude, options_.mc_always_above);
                const bool asc = request_.direction_type == kDirectionAscArc;
                const double offset = ZodiacOffsetAt(jd_progressed + astro::DeltaT(jd_progressed));
                const double directed = (asc ? a.ascendant : a.vertex) + offset;
                arc = astro::ModFloor(
                    directed - radix_.longitude[asc ? astro::kAscendant : astro::kVertex], 360.0);
                rate = (asc ? a.ascendant_speed : a.vertex_speed) / astro::kSiderealDegreesPerDay *
                       sun->speed;
                return true;
            }
            case kDirectionUserArc:
                arc = age * data_.UserArcRate();
                rate = data_.ZodiacMult() * data_.UserArcRate() / kDynamicYearDays;
                return true;
            case kDirectionProfections:
                arc = age * 30.0;
                rate = data_.ZodiacMult() * 30.0 / kDynamicYearDays;
                return true;
            default:
                return false;
        }
    }

    std::optional<DynamicPosition> Directed(int point, double jd_ut) {
        double arc = 0.0;
        double rate = 0.0;
        if (!DirectionArc(jd_ut, arc, rate)) {
            return std::nullopt;
        }
        const auto i = static_cast<std::size_t>(point);
        DynamicPosition p;
        p.longitude = Norm360(radix_.longitude[i] + arc);
        p.speed = rate;
        p.latitude = radix_.latitude[i];
        if (with_equatorial_) {
            AddEquatorial(p, radix_.zodiac_offset, radix_.obliquity);
        }
        return p;
    }

    const DynamicSearchRequest& request_;
    const DynamicDataClass& data_;
    const astro::ChartSlot& radix_;
    std::unique_ptr<astro::ChartSlot> scratch_;
    bool with_equatorial_ = false;
    astro::CalcOptions options_;
    astro::PositionOptions position_options_;
    int zodiac_ = astro::kTropicalZodiac;
    int angle_method_ = astro::kAnglesSolarArcLongitude;
    int day_mode_ = 0;
    std::optional<astro::TrueTertiaryMonth> month_;
    Status month_status_;
    double observer_latitude_ = 0.0;
    double obliquity_ = 0.0;
    double obliquity_jd_ = -1e12;
    std::int64_t calls_ = 0;
    PrimaryDirectionSource* primary_ = nullptr;
    const DynamicRunContext* context_ = nullptr;
};

// A moving point of one moving chart, with its positions at the two ends of the step.
struct Body {
    ChartKind chart = ChartKind::kTransit;
    int point = 0;
    DynamicPosition start;
    DynamicPosition end;
    bool ok = false;
};

// The quantities whose crossings the detectors look for.
enum class Quantity {
    kLongitude,       // of body a (circular)
    kSeparation,      // longitude a - longitude b (circular)
    kDeclination,     // of body a
    kLatitude,        // of body a
    kDeclinationSum,  // declination a + declination b
    kDeclinationDiff,
    kLatitudeSum,
    kLatitudeDiff,
};

// The family of an event from a moving chart to the radix.
// Primary directions moving the points of a progression (kind 15) count as progressions.
int RadixType(ChartKind kind, int method) {
    switch (kind) {
        case ChartKind::kTransit:
            return kTypeTransitRadix;
        case ChartKind::kProgressed:
            return kTypeProgressedRadix;
        default:
            return method == kMethodProgressions ? kTypeProgressedRadix : kTypeDirectedRadix;
    }
}

bool IsCircular(Quantity q) { return q == Quantity::kLongitude || q == Quantity::kSeparation; }

// A quantity and its rate per day: a value of each body (its longitude, declination or
// latitude with their speeds), combined as the quantity says.
struct QuantityValue {
    double value = 0.0;
    double rate = 0.0;
};

QuantityValue Evaluate(Quantity q, const DynamicPosition& a, const DynamicPosition& b) {
    const auto pick = [q](const DynamicPosition& p) -> QuantityValue {
        switch (q) {
            case Quantity::kLongitude:
            case Quantity::kSeparation:
                return {p.longitude, p.speed};
            case Quantity::kDeclination:
            case Quantity::kDeclinationSum:
            case Quantity::kDeclinationDiff:
                return {p.declination, p.declination_speed};
            default:
                return {p.latitude, p.latitude_speed};
        }
    };
    const QuantityValue x = pick(a);
    const QuantityValue y = pick(b);
    switch (q) {
        case Quantity::kLongitude:
        case Quantity::kDeclination:
        case Quantity::kLatitude:
            return x;
        case Quantity::kSeparation:
            return {Norm360(x.value - y.value), x.rate - y.rate};
        case Quantity::kDeclinationSum:
        case Quantity::kLatitudeSum:
            return {x.value + y.value, x.rate + y.rate};
        default:
            return {x.value - y.value, x.rate - y.rate};
    }
}

double ValueOf(Quantity q, const DynamicPosition& a, const DynamicPosition& b) {
    return Evaluate(q, a, b).value;
}

double RateOf(Quantity q, const DynamicPosition& a, const DynamicPosition& b) {
    return Evaluate(q, a, b).rate;
}

// The difference of a quantity from a target: normalised to -180..180 for angles.
double Difference(Quantity q, double value, double target) {
    return IsCircular(q) ? Norm180(value - target) : value - target;
}

// Which crossings of a target make an event: any direction, or only while the quantity
// increases (+1) or decreases (-1).
struct Target {
    double value = 0.0;
    int direction = 0;
    char symbol = kSymExact;
    int aspect = -1;
    int ra_point = 0;  // radix point, 0 none
    double ra_pos = kNoTargetPosition;
    int ra_house = 0;
    bool ra_retro = false;
    // Orbs of an aspect to a radix point: entering (applying) and leaving (separating).
    double orb_enter = 0.0;
    double orb_leave = 0.0;
};

// A crossing found in a step.
struct Crossing {
    const Target* target = nullptr;
    double root = 0.0;  // the true instant, UT
    DynamicPosition a;  // positions at the root
    DynamicPosition b;
};

class Engine {
public:
    Engine(const DynamicSearchRequest& request, DynamicDataClass& data, DynamicPointSet& points,
           DynamicRunResult& result)
        : request_(request),
          points_(points),
          result_(result),
          table_(result.table),
          radix_(astro::Slot(request.radix_slot)),
          positions_(request, data, NeedsEquatorial(request)) {}

    static bool NeedsEquatorial(const DynamicSearchRequest& r) {
        return r.families.parallels_declination;
    }

    Positions& positions() { return positions_; }

    Status Run(double step, const DynamicRunContext& context, ChartKind directed_kind);

private:
    std::optional<DynamicPosition> Eval(const Body& body, double t) {
        return positions_.At(body.chart, body.point, t);
    }

    int HouseOfLongitude(double longitude) const {
        return longitude < 0.0 ? 0 : astro::HouseOf(longitude, radix_.cusps);
    }

    int TypeOf(ChartKind moving, std::optional<ChartKind> target) const {
        const bool transit = moving == ChartKind::kTransit;
        const bool directed = moving == ChartKind::kDirected || moving == ChartKind::kPrimary;
        if (!target) {
            return transit ? kTypeTransitNone : kTypeProgressedNone;
        }
        if (*target == ChartKind::kTransit) {
            return kTypeTransitTransit;
        }
        if (transit) {
            return *target == ChartKind::kProgressed ? kTypeTransitProgressed
                                                     : kTypeTransitDirected;
        }
        if (directed) {
            return kTypeDirectedRadix;
        }
        return kTypeProgressedProgressed;
    }

    bool Store(DynamicEvent e) {
        if (e.jd_ut < table_.JulDayStart() || e.jd_ut > table_.JulDayEnd()) {
            return true;  // outside the period: dropped
        }
        e.jul_day = table_.ReportTime(e.jd_ut);
        if (!table_.AddEvent(e)) {
            full_ = true;
            return false;
        }
        return true;
    }

    // The reported instant of a root inside the step [t0, t1]: the bisection of the step
    // whose test compares each trial instant with the root.
    BisectResult Report(double t0, double t1, double root) const {
        return Bisect(t0, t1, [root](double t) { return t >= root; });
    }

    // Finds the crossings of the targets by the quantity over [t0, t1] (bodies a and b at the
    // ends), splitting the step where the quantity turns.
    void Scan(Quantity q, const Body& a, const Body* b, double t0, double t1,
              const std::vector<Target>& targets, std::vector<Crossing>& found);
    void ScanSegment(Quantity q, const Body& a, const Body* b, double ta, const DynamicPosition& a0,
                     const DynamicPosition& b0, double tb, const DynamicPosition& a1,
                     const DynamicPosition& b1, const std::vector<Target>& targets,
                     std::vector<Crossing>& found);
    // The instant in (t0, t1) where the rate of the quantity is 0 (rates of opposite signs
    // at the ends), with the positions there.
    bool FindTurn(Quantity q, const Body& a, const Body* b, double t0, double r0, double t1,
                  double r1, double& turn, DynamicPosition& pa, DynamicPosition& pb);

    void RadixTargets(int aspect_orb_kind, int moving_point, std::vector<Target>& targets) const;
    void ParallelTargets(bool declination, int orb_kind, int moving_point,
                         std::vector<Target>& targets) const;
    void SeparationTargets(int orb_kind, int point_a, int point_b,
                           std::vector<Target>& targets) const;
    void AddOrbBoundaries(Target exact, double orb_enter, double orb_leave, bool circular,
                          std::vector<Target>& targets) const;
    // The orb edges of an aspect: its applying and separating orbs of the orb column, those of
    // the luminaries when a luminary takes part.
    void AddOrbEdges(const Target& exact, const aspects::AspectRecord& aspect, bool luminary,
                     int orb_kind, bool circular, std::vector<Target>& targets) const {
        AddOrbBoundaries(exact,
                         aspect.Orb(luminary ? aspects::OrbGroup::kLuminaryApplying
                                             : aspects::OrbGroup::kOtherApplying,
                                    orb_kind),
                         aspect.Orb(luminary ? aspects::OrbGroup::kLuminarySeparating
                                             : aspects::OrbGroup::kOtherSeparating,
                                    orb_kind),
                         circular, targets);
    }

    // The longitude targets of a moving point (aspects to the radix points first, then sign
    // and house cusps), built once per run.
    struct LongitudeTargets {
        bool built = false;
        std::vector<Target> targets;
        std::size_t aspect_count = 0;
    };
    const LongitudeTargets& LongitudeTargetsOf(std::size_t index, int orb_kind, bool to_radix);

    bool DetectStep(double t0, double t1);
    // "B": contacts to the radix points already within orb when the period begins.
    bool AlreadyInOrb(int orb_kind);
    bool EmitCrossings(const Body& a, const Body* b, double t0, double t1, int type,
                       const std::vector<Crossing>& found);
    double QuickRoot(const Body& a, double t0, double t1, double target);
    // The instant in [t0, t1] at which the longitude speed of `a` is 0, with the position.
    bool FindStation(const Body& a, double t0, double t1, double& station, DynamicPosition& at);

    const DynamicSearchRequest& request_;
    DynamicPointSet& points_;
    DynamicRunResult& result_;
    DynamicReportClass& table_;
    const astro::ChartSlot& radix_;
    Positions positions_;
    std::vector<Body> moving_;   // the method's moving chart
    std::vector<Body> targets_;  // moving targets (transits to progressions or directions)
    bool full_ = false;
    std::vector<LongitudeTargets> longitude_targets_;
    std::map<std::pair<int, int>, std::vector<Target>> separation_targets_;
};

const Engine::LongitudeTargets& Engine::LongitudeTargetsOf(std::size_t index, int orb_kind,
                                                           bool to_radix) {
    if (longitude_targets_.size() < moving_.size()) {
        longitude_targets_.resize(moving_.size());
    }
    LongitudeTargets& cache = longitude_targets_[index];
    if (cache.built) {
        return cache;
    }
    cache.built = true;
    if (to_radix) {
        RadixTargets(orb_kind, moving_[index].point, cache.targets);
    }
    cache.aspect_count = cache.targets.size();  // before the cusps are added
    if (request_.families.sign_ingress) {
        for (int s = 0; s < 12; ++s) {
            Target t;
            t.value = s * 30.0;
            t.symbol = kSymSignIngress;
            cache.targets.push_back(t);
        }
    }
    if (request_.families.house_ingress) {
        for (int h = 1; h <= 12; ++h) {
            Target t;
            t.value = radix_.cusps[static_cast<std::size_t>(h)];
            t.symbol = kSymHouseIngress;
            t.ra_pos = t.value;
            cache.targets.push_back(t);
        }
    }
    for (Target& t : cache.targets) {
        t.value = Norm360(t.value);
    }
    std::stable_sort(cache.targets.begin(), cache.targets.end(),
                     [](const Target& x, const Target& y) { return x.value < y.value; });
    return cache;
}

bool Engine::FindTurn(Quantity q, const Body& a, const Body* b, double t0, double r0, double t1,
                      double r1, double& turn, DynamicPosition& pa, DynamicPosition& pb) {
    bool ok = true;
    const auto f = [&](double t) {
        RootSample s;
        const auto ea = Eval(a, t);
        const auto eb =
            b != nullptr ? Eval(*b, t) : std::optional<DynamicPosition>(DynamicPosition{});
        if (!ea || !eb) {
            ok = false;
            return s;
        }
        s.value = RateOf(q, *ea, *eb);
        return s;
    };
    RootSample s0;
    s0.value = r0;
    RootSample s1;
    s1.value = r1;
    turn = SolveRoot(t0, s0, t1, s1, f, kRootTolerance, kRootEvaluations);
    const auto ea = Eval(a, turn);
    const auto eb =
        b != nullptr ? Eval(*b, turn) : std::optional<DynamicPosition>(DynamicPosition{});
    if (!ok || !ea || !eb) {
        return false;
    }
    pa = *ea;
    pb = *eb;
    return true;
}

void Engine::Scan(Quantity q, const Body& a, const Body* b, double t0, double t1,
                  const std::vector<Target>& targets, std::vector<Crossing>& found) {
    const DynamicPosition empty;
    const DynamicPosition& b0 = b != nullptr ? b->start : empty;
    const DynamicPosition& b1 = b != nullptr ? b->end : empty;
    const double r0 = RateOf(q, a.start, b0);
    const double r1 = RateOf(q, a.end, b1);
    if (r0 * r1 < 0.0) {
        double turn = 0.0;
        DynamicPosition pa;
        DynamicPosition pb;
        if (FindTurn(q, a, b, t0, r0, t1, r1, turn, pa, pb)) {
            ScanSegment(q, a, b, t0, a.start, b0, turn, pa, pb, targets, found);
            ScanSegment(q, a, b, turn, pa, pb, t1, a.end, b1, targets, found);
            return;
        }
    }
    ScanSegment(q, a, b, t0, a.start, b0, t1, a.end, b1, targets, found);
}

void Engine::ScanSegment(Quantity q, const Body& a, const Body* b, double ta,
                         const DynamicPosition& a0, const DynamicPosition& b0, double tb,
                         const DynamicPosition& a1, const DynamicPosition& b1,
                         const std::vector<Target>& targets, std::vector<Crossing>& found) {
    const double v0 = ValueOf(q, a0, b0);
    const double v1 = ValueOf(q, a1, b1);
    const double travel = IsCircular(q) ? Norm180(v1 - v0) : v1 - v0;
    if (travel == 0.0) {
        return;
    }
    // A pair whose separation jumps by 90 degrees or more in a step gives no events.
    if (IsCircular(q) && std::fabs(travel) >= 90.0) {
        return;
    }
    const int direction = travel > 0.0 ? 1 : -1;
    const auto check = [&](const Target& target) {
        if (target.direction != 0 && target.direction != direction) {
            return;
        }
        const double d0 = Difference(q, v0, target.value);
        const double d1 = Difference(q, v1, target.value);
        // A crossing counts in the step where the quantity reaches the target; a quantity
        // that starts on it was counted in the step before.
        const bool crossed = direction > 0 ? (d0 < 0.0 && d1 >= 0.0) : (d0 > 0.0 && d1 <= 0.0);
        if (!crossed) {
            return;
        }
        DynamicPosition last_a = a0;
        DynamicPosition last_b = b0;
        double last_t = ta;
        bool ok = true;
        const auto f = [&](double t) {
            RootSample s;
            const auto ea = Eval(a, t);
            const auto eb =
                b != nullptr ? Eval(*b, t) : std::optional<DynamicPosition>(DynamicPosition{});
            if (!ea || !eb) {
                ok = false;
                return s;
            }
            last_a = *ea;
            last_b = *eb;
            last_t = t;
            s.value = Difference(q, ValueOf(q, *ea, *eb), target.value);
            s.rate = RateOf(q, *ea, *eb);
            s.has_rate = true;
            return s;
        };
        RootSample s0{d0, RateOf(q, a0, b0), true};
        RootSample s1{d1, RateOf(q, a1, b1), true};
        const double root = SolveRoot(ta, s0, tb, s1, f, kRootTolerance, kRootEvaluations);
        if (!ok) {
            return;
        }
        Crossing c;
        c.target = &target;
        c.root = root;
        // Positions at the root, carried from the nearest sample by their speeds.
        const double dt = root - last_t;
        c.a = last_a;
        c.a.longitude = Norm360(last_a.longitude + last_a.speed * dt);
        c.a.declination += last_a.declination_speed * dt;
        c.a.latitude += last_a.latitude_speed * dt;
        c.b = last_b;
        c.b.longitude = Norm360(last_b.longitude + last_b.speed * dt);
        found.push_back(c);
    };
    if (!IsCircular(q)) {
        for (const Target& target : targets) {
            check(target);
        }
        return;
    }
    // Angle targets are sorted by value in [0, 360): only those on the arc travelled can be
    // crossed (with a margin far below any contact's precision for the exact tests below).
    constexpr double kMargin = 1e-9;
    const double from = Norm360(direction > 0 ? v0 : v0 + travel) - kMargin;
    const double to = from + std::fabs(travel) + 2.0 * kMargin;
    const auto by_value = [](const Target& t, double v) { return t.value < v; };
    for (auto it = std::lower_bound(targets.begin(), targets.end(), from, by_value);
         it != targets.end() && it->value <= to; ++it) {
        check(*it);
    }
    if (from < 0.0) {
        for (auto it = std::lower_bound(targets.begin(), targets.end(), from + 360.0, by_value);
             it != targets.end(); ++it) {
            check(*it);
        }
    }
    if (to >= 360.0) {
        for (auto it = targets.begin(); it != targets.end() && it->value <= to - 360.0; ++it) {
            check(*it);
        }
    }
}

void Engine::AddOrbBoundaries(Target exact, double orb_enter, double orb_leave, bool circular,
                              std::vector<Target>& targets) const {
    const double centre = exact.value;
    const auto add = [&](double value, int direction, char symbol) {
        Target t = exact;
        t.value = circular ? Norm360(value) : value;
        t.direction = direction;
        t.symbol = symbol;
        targets.push_back(t);
    };
    if (orb_enter > 0.0) {
        add(centre - orb_enter, 1, kSymEntering);
        add(centre + orb_enter, -1, kSymEntering);
    }
    if (orb_leave > 0.0) {
        add(centre + orb_leave, 1, kSymLeaving);
        add(centre - orb_leave, -1, kSymLeaving);
    }
}

void Engine::RadixTargets(int orb_kind, int moving_point, std::vector<Target>& targets) const {
    const aspects::AspectSet& set = request_.aspect_set;
    for (const DynamicPoint& rp : points_.RP()) {
        const int r = rp.p1;
        const auto i = static_cast<std::size_t>(r);
        if (rp.p_type != kPointChart || radix_.longitude[i] < 0.0) {
            continue;
        }
        const bool luminary = moving_point == astro::kSun || moving_point == astro::kMoon ||
                              r == astro::kSun || r == astro::kMoon;
        for (int n = 0; n < set.active.enabled_count; ++n) {
            const int k = set.active.sorted[static_cast<std::size_t>(n)];
            const aspects::AspectRecord& asp = set.Aspect(k);
            const double angle = asp.angle;
            std::vector<double> values{Norm360(radix_.longitude[i] + angle)};
            if (angle > 0.0 && angle < 180.0) {
                values.push_back(Norm360(radix_.longitude[i] - angle));
            }
            for (const double v : values) {
                Target t;
                t.value = v;
                t.aspect = k;
                t.ra_point = r;
                t.ra_pos = radix_.longitude[i];
                t.ra_house = radix_.house[i];
                t.ra_retro = radix_.speed[i] < 0.0;
                t.orb_enter = asp.Orb(luminary ? aspects::OrbGroup::kLuminaryApplying
                                               : aspects::OrbGroup::kOtherApplying,
                                      orb_kind);
                t.orb_leave = asp.Orb(luminary ? aspects::OrbGroup::kLuminarySeparating
                                               : aspects::OrbGroup::kOtherSeparating,
                                      orb_kind);
                targets.push_back(t);
                if (request_.enter_leave) {
                    AddOrbBoundaries(t, t.orb_enter, t.orb_leave, true, targets);
                }
            }
        }
    }
}

void Engine::ParallelTargets(bool declination, int orb_kind, int moving_point,
                             std::vector<Target>& targets) const {
    const aspects::AspectSet& set = request_.aspect_set;
    if (set.Count() < 2) {
        return;
    }
    for (const DynamicPoint& rp : points_.RP()) {
        const int r = rp.p1;
        const auto i = static_cast<std::size_t>(r);
        if (rp.p_type != kPointChart || radix_.longitude[i] < 0.0) {
            continue;
        }
        const double value = declination ? radix_.declination[i] : radix_.latitude[i];
        const bool luminary = moving_point == astro::kSun || moving_point == astro::kMoon ||
                              r == astro::kSun || r == astro::kMoon;
        for (const int k : {set.ParallelNumber(), set.ContraParallelNumber()}) {
            const aspects::AspectRecord& asp = set.Aspect(k);
            if (!asp.enabled) {
                continue;
            }
            Target t;
            t.value = k == set.ParallelNumber() ? value : -value;
            t.aspect = k;
            t.ra_point = r;
            t.ra_pos = radix_.longitude[i];
            t.ra_house = radix_.house[i];
            t.ra_retro = radix_.speed[i] < 0.0;
            targets.push_back(t);
            if (request_.enter_leave) {
                AddOrbEdges(t, asp, luminary, orb_kind, false, targets);
            }
        }
    }
}

void Engine::SeparationTargets(int orb_kind, int point_a, int point_b,
                               std::vector<Target>& targets) const {
    const aspects::AspectSet& set = request_.aspect_set;
    const bool luminary = point_a == astro::kSun || point_a == astro::kMoon ||
                          point_b == astro::kSun || point_b == astro::kMoon;
    for (int n = 0; n < set.active.enabled_count; ++n) {
        const int k = set.active.sorted[static_cast<std::size_t>(n)];
        const aspects::AspectRecord& asp = set.Aspect(k);
        std::vector<double> values{Norm360(asp.angle)};
        if (asp.angle > 0.0 && asp.angle < 180.0) {
            values.push_back(Norm360(360.0 - asp.angle));
        }
        for (const double v : values) {
            Target t;
            t.value = v;
            t.aspect = k;
            t.ra_point = point_b;
            targets.push_back(t);
            if (request_.enter_leave) {
                AddOrbEdges(t, asp, luminary, orb_kind, true, targets);
            }
        }
    }
    std::stable_sort(targets.begin(), targets.end(),
                     [](const Target& x, const Target& y) { return x.value < y.value; });
}

bool Engine::FindStation(const Body& a, double t0, double t1, double& station,
                         DynamicPosition& at) {
    // The library's speed scatters by about 1e-8 degrees a day from one instant to the next;
    // near a station of the slow planets its sign changes back and forth over a few seconds.
    // The station is the zero of the parabola fitted by least squares to 41 speeds over 2.4
    // hours around the first sign change found by halving the step.
    constexpr double kSignTolerance = 1e-6;  // days
    constexpr double kHalfWindow = 0.05;     // days on each side of the sign change
    constexpr int kSamplesEachSide = 20;
    double lo = t0;
    double hi = t1;
    const bool rising = a.start.speed < 0.0;
    while (hi - lo > kSignTolerance) {
        const double mid = 0.5 * (lo + hi);
        const auto p = Eval(a, mid);
        if (!p) {
            return false;
        }
        ((p->speed >= 0.0) == rising ? hi : lo) = mid;
    }
    const double centre = 0.5 * (lo + hi);
    std::vector<double> xs;
    std::vector<double> speeds;
    for (int i = -kSamplesEachSide; i <= kSamplesEachSide; ++i) {
        const double x = kHalfWindow * i / kSamplesEachSide;
        const auto p = Eval(a, centre + x);
        if (!p) {
            return false;
        }
        xs.push_back(x);
        speeds.push_back(p->speed);
    }
    station = centre;
    if (const auto root = LeastSquaresParabolaRoot(xs, speeds, kHalfWindow)) {
        station = std::clamp(centre + *root, t0, t1);
    }
    const auto p = Eval(a, station);
    if (!p) {
        return false;
    }
    at = *p;
    return true;
}

double Engine::QuickRoot(const Body& a, double t0, double t1, double target) {
    const auto diff = [&](double t, bool& ok) {
        const auto p = Eval(a, t);
        ok = ok && p.has_value();
        return p ? Norm180(p->longitude - target) : 0.0;
    };
    bool ok = true;
    const double mid = 0.5 * (t0 + t1);
    const double y_minus = Norm180(a.start.longitude - target);
    const double y_plus = Norm180(a.end.longitude - target);
    const double y0 = diff(mid, ok);
    double estimate = mid + QuickInterpolate(y_minus, y0, y_plus) * (t1 - t0) / 2.0;
    if (ok && t1 - t0 >= kQuickStepLimit) {
        const double h = 0.05 * (t1 - t0);
        const double ym = diff(estimate - h, ok);
        const double yc = diff(estimate, ok);
        const double yp = diff(estimate + h, ok);
        estimate += QuickInterpolate(ym, yc, yp) * h;
    }
    return estimate;
}

bool Engine::EmitCrossings(const Body& a, const Body* b, double t0, double t1, int type,
                           const std::vector<Crossing>& found) {
    for (const Crossing& c : found) {
        const Target& target = *c.target;
        DynamicEvent e;
        double instant = 0.0;
        bool converged = true;
        if (request_.quick && b == nullptr && target.symbol == kSymExact &&
            target.aspect != request_.aspect_set.ParallelNumber() &&
            target.aspect != request_.aspect_set.ContraParallelNumber() && target.ra_point != 0) {
            instant = QuickRoot(a, t0, t1, target.value);
        } else {
            const BisectResult r = Report(t0, t1, c.root);
            instant = r.instant;
            converged = r.converged;
        }
        const double dt = instant - c.root;
        e.tran_point = a.point;
        e.symbol = target.symbol;
        e.aspect = target.aspect;
        e.tran_pos = Norm360(c.a.longitude + c.a.speed * dt);
        const bool directed = a.chart == ChartKind::kDirected || a.chart == ChartKind::kPrimary;
        e.tran_retro = !directed && c.a.speed < 0.0;
        e.tran_show_sign = true;
        e.tran_house = HouseOfLongitude(e.tran_pos);
        if (b != nullptr) {
            e.ra_point = b->point;
            e.ra_pos = Norm360(c.b.longitude + c.b.speed * dt);
            e.ra_retro = b->chart == ChartKind::kTransit && c.b.speed < 0.0;
            e.ra_house = HouseOfLongitude(e.ra_pos);
        } else {
            e.ra_point = target.ra_point;
            e.ra_pos = target.ra_pos;
            e.ra_retro = target.ra_retro;
            e.ra_house = target.ra_house;
        }
        e.radix_show_sign = true;
        e.type = type;
        e.jd_ut = instant;
        e.converged = converged;
        if (!Store(e)) {
            return false;
        }
    }
    return true;
}

bool Engine::DetectStep(double t0, double t1) {
    const EventFamilies& fam = request_.families;
    const bool moving_is_transit = !moving_.empty() && moving_.front().chart == ChartKind::kTransit;
    const int orb_kind = moving_is_transit ? aspects::kOrbTransit : aspects::kOrbProgressed;
    const bool to_radix = fam.transits_radix || fam.progressions_radix || fam.directions_radix;
    std::vector<Target> targets;
    std::vector<Crossing> found;
    for (std::size_t index = 0; index < moving_.size(); ++index) {
        const Body& a = moving_[index];
        if (!a.ok) {
            continue;
        }
        // Stations: the longitude speed changes sign inside the step.
        if (fam.stations && a.chart != ChartKind::kDirected && a.chart != ChartKind::kPrimary &&
            a.start.speed != 0.0 && a.start.speed * a.end.speed <= 0.0) {
            double turn = 0.0;
            DynamicPosition pa;
            if (FindStation(a, t0, t1, turn, pa)) {
                const BisectResult r = Report(t0, t1, turn);
                DynamicEvent e;
                e.tran_point = a.point;
                e.symbol = a.end.speed < 0.0 ? kSymRetrograde : kSymDirect;
                e.aspect = -1;
                e.ra_point = 0;
                e.tran_pos = pa.longitude;
                e.tran_retro = a.end.speed < 0.0;
                e.tran_show_sign = true;
                e.ra_pos = kNoTargetPosition;
                e.radix_show_sign = true;
                e.tran_house = HouseOfLongitude(pa.longitude);
                e.ra_house = 0;
                e.type = TypeOf(a.chart, std::nullopt);
                e.jd_ut = r.instant;
                e.converged = r.converged;
                if (!Store(e)) {
                    return false;
                }
            }
        }
        // Aspects to the radix points, sign and house ingresses: crossings of longitudes.
        const LongitudeTargets& cached = LongitudeTargetsOf(index, orb_kind, to_radix);
        const std::vector<Target>& longitude_targets = cached.targets;
        if (!longitude_targets.empty()) {
            found.clear();
            Scan(Quantity::kLongitude, a, nullptr, t0, t1, longitude_targets, found);
            std::vector<Crossing> aspects_found;
            std::vector<Crossing> ingresses;
            for (const Crossing& c : found) {
                (c.target->symbol != kSymSignIngress && c.target->symbol != kSymHouseIngress
                     ? aspects_found
                     : ingresses)
                    .push_back(c);
            }
            if (!EmitCrossings(a, nullptr, t0, t1, RadixType(a.chart, request_.method),
                               aspects_found)) {
                return false;
            }
            for (Crossing& c : ingresses) {
                const BisectResult r = Report(t0, t1, c.root);
                DynamicEvent e;
                e.tran_point = a.point;
                e.symbol = c.target->symbol;
                e.aspect = -1;
                e.ra_point = 0;
                e.tran_pos = Norm360(c.a.longitude + c.a.speed * (r.instant - c.root));
                e.tran_retro = a.chart != ChartKind::kDirected && a.chart != ChartKind::kPrimary &&
                               c.a.speed < 0.0;
                e.tran_show_sign = true;
                e.ra_pos =
                    c.target->symbol == kSymHouseIngress ? c.target->value : kNoTargetPosition;
                e.radix_show_sign = true;
                e.tran_house = HouseOfLongitude(e.tran_pos);
                e.type = TypeOf(a.chart, std::nullopt);
                e.jd_ut = r.instant;
                e.converged = r.converged;
                if (!Store(e)) {
                    return false;
                }
            }
        }
        // Parallels to the radix points.
        if (to_radix && (fam.parallels_declination || fam.parallels_latitude)) {
            for (const bool declination : {true, false}) {
                if (declination ? !fam.parallels_declination : !fam.parallels_latitude) {
                    continue;
                }
                targets.clear();
                ParallelTargets(declination, orb_kind, a.point, targets);
                found.clear();
                Scan(declination ? Quantity::kDeclination : Quantity::kLatitude, a, nullptr, t0, t1,
                     targets, found);
                if (!EmitCrossings(a, nullptr, t0, t1, RadixType(a.chart, request_.method),
                                   found)) {
                    return false;
                }
            }
        }
    }
    // Aspects between moving points: within the moving chart, and to the moving targets.
    const bool within = fam.transits_transits || fam.progressions_progressions;
    const auto pair = [&](const Body& a, const Body& b) {
        if (!a.ok || !b.ok) {
            return true;
        }
        const int type = TypeOf(a.chart, b.chart);
        // The separation targets of a pair, built once per run.
        std::vector<Target>& pair_targets =
            separation_targets_[{a.point + 1000 * static_cast<int>(a.chart), b.point}];
        if (pair_targets.empty()) {
            SeparationTargets(orb_kind, a.point, b.point, pair_targets);
        }
        found.clear();
        Scan(Quantity::kSeparation, a, &b, t0, t1, pair_targets, found);
        if (!EmitCrossings(a, &b, t0, t1, type, found)) {
            return false;
        }
        for (const bool declination : {true, false}) {
            if (declination ? !fam.parallels_declination : !fam.parallels_latitude) {
                continue;
            }
            const aspects::AspectSet& set = request_.aspect_set;
            for (const int k : {set.ParallelNumber(), set.ContraParallelNumber()}) {
                if (!set.Aspect(k).enabled) {
                    continue;
                }
                Target t;
                t.value = 0.0;
                t.aspect = k;
                t.ra_point = b.point;
                std::vector<Target> one{t};
                if (request_.enter_leave) {
                    const bool lum = a.point <= astro::kSun || b.point <= astro::kSun;
                    AddOrbEdges(t, set.Aspect(k), lum, orb_kind, false, one);
                }
                const bool parallel = k == set.ParallelNumber();
                const Quantity q =
                    declination
                        ? (parallel ? Quantity::kDeclinationDiff : Quantity::kDeclinationSum)
                        : (parallel ? Quantity::kLatitudeDiff : Quantity::kLatitudeSum);
                found.clear();
                Scan(q, a, &b, t0, t1, one, found);
                if (!EmitCrossings(a, &b, t0, t1, type, found)) {
                    return false;
                }
            }
        }
        return true;
    };
    if (within) {
        for (std::size_t i = 0; i < moving_.size(); ++i) {
            for (std::size_t j = i + 1; j < moving_.size(); ++j) {
                if (aspects::IsFixedRelationPair(moving_[i].point, moving_[j].point)) {
                    continue;
                }
                if (!pair(moving_[i], moving_[j])) {
                    return false;
                }
            }
        }
    }
    for (const Body& a : moving_) {
        for (const Body& b : targets_) {
            if (!pair(a, b)) {
                return false;
            }
        }
    }
    return true;
}

bool Engine::AlreadyInOrb(int orb_kind) {
    const double start = table_.JulDayStart();
    for (std::size_t index = 0; index < moving_.size(); ++index) {
        const Body& a = moving_[index];
        const auto p = Eval(a, start);
        if (!p) {
            continue;
        }
        for (const Target& t : LongitudeTargetsOf(index, orb_kind, true).targets) {
            if (t.symbol != kSymExact || t.ra_point == 0) {
                continue;
            }
            const double d = Norm180(p->longitude - t.value);
            const bool applying = d * p->speed < 0.0;
            if (d == 0.0 || std::fabs(d) > (applying ? t.orb_enter : t.orb_leave)) {
                continue;
            }
            DynamicEvent e;
            e.tran_point = a.point;
            e.symbol = kSymAlreadyInOrb;
            e.aspect = t.aspect;
            e.ra_point = t.ra_point;
            e.ra_pos = t.ra_pos;
            e.ra_retro = t.ra_retro;
            e.ra_house = t.ra_house;
            e.tran_pos = p->longitude;
            e.tran_retro =
                a.chart != ChartKind::kDirected && a.chart != ChartKind::kPrimary && p->speed < 0.0;
            e.tran_house = HouseOfLongitude(p->longitude);
            e.type = RadixType(a.chart, request_.method);
            e.jd_ut = start;
            if (!Store(e)) {
                return false;
            }
        }
    }
    return true;
}

Status Engine::Run(double step, const DynamicRunContext& context, ChartKind directed_kind) {
    (void)context;
    const EventFamilies& fam = request_.families;
    ChartKind moving_kind = ChartKind::kTransit;
    switch (request_.method) {
        case kMethodProgressions:
            moving_kind =
                directed_kind == ChartKind::kPrimary ? ChartKind::kPrimary : ChartKind::kProgressed;
            break;
        case kMethodDirections:
            moving_kind = directed_kind;
            break;
        default:
            break;
    }
    for (const DynamicPoint& p : points_.DynP()) {
        Body b;
        b.chart = moving_kind;
        b.point = p.p1;
        moving_.push_back(b);
    }
    if (request_.method == kMethodTransitsToProgressions && fam.transits_progressions) {
        for (const int p : request_.targets) {
            targets_.push_back(Body{ChartKind::kProgressed, p, {}, {}, false});
        }
    }
    if (request_.method == kMethodTransitsToDirections && fam.transits_directions) {
        for (const int p : request_.targets) {
            targets_.push_back(Body{directed_kind, p, {}, {}, false});
        }
    }

    const double start = table_.JulDayStart();
    const double end = table_.JulDayEnd();
    // The walk starts one step early, so that a contact at the very start of the period lies
    // inside a step.
    const double walk_start = start - step;
    const auto steps = static_cast<std::int64_t>(std::ceil((end - walk_start) / step));
    const auto evaluate = [&](std::vector<Body>& bodies, double t, bool at_end) {
        for (Body& b : bodies) {
            const auto p = positions_.At(b.chart, b.point, t);
            if (at_end) {
                b.start = b.end;
                b.ok = b.ok && p.has_value();
                if (p) {
                    b.end = *p;
                }
            } else {
                b.ok = p.has_value();
                if (p) {
                    b.end = *p;
                }
            }
        }
    };
    evaluate(moving_, walk_start, false);
    evaluate(targets_, walk_start, false);
    const bool to_radix = fam.transits_radix || fam.progressions_radix || fam.directions_radix;
    if (request_.enter_leave && to_radix) {
        const int orb_kind =
            moving_kind == ChartKind::kTransit ? aspects::kOrbTransit : aspects::kOrbProgressed;
        if (!AlreadyInOrb(orb_kind)) {
            result_.truncated = true;
            return {};
        }
    }
    int last_percent = -1;
    for (std::int64_t k = 1; k <= steps; ++k) {
        const double t0 = walk_start + static_cast<double>(k - 1) * step;
        const double t1 = walk_start + static_cast<double>(k) * step;
        if (request_.early_exit_jd_ut && t0 > *request_.early_exit_jd_ut) {
            break;
        }
        if (request_.progress) {
            const int percent =
                static_cast<int>(std::clamp((t0 - start) / (end - start) * 100.0, 0.0, 100.0));
            if (percent != last_percent) {
                last_percent = percent;
                if (!request_.progress("", percent)) {
                    result_.stopped_at_jd_ut = std::max(t0, start);
                    break;
                }
            }
        }
        evaluate(moving_, t1, true);
        evaluate(targets_, t1, true);
        for (Body& b : moving_) {
            if (!b.ok) {
                // A point that could not be calculated: try again from the next step.
                const auto p = positions_.At(b.chart, b.point, t1);
                b.ok = p.has_value();
                if (p) {
                    b.end = *p;
                }
            }
        }
        if (!DetectStep(t0, t1)) {
            break;
        }
    }
    result_.truncated = full_ || table_.Truncated();
    return {};
}

// The rate of a progression kind, ephemeris days per day of real time.
bool RateOfKind(int kind, double& rate) {
    const int day_mode = startup::CurrentSession().settings().GetInt("ProgDay");
    switch (kind) {
        case kKindSecondary:
            rate = astro::ProgressionRate(astro::kRateSecondary, day_mode);
            return true;
        case kKindMeanTertiary:
            rate = astro::ProgressionRate(astro::kRateTertiary, day_mode);
            return true;
        case kKindMinor:
            rate = astro::ProgressionRate(astro::kRateMinor, day_mode);
            return true;
        case kKindUser:
            rate = astro::ProgressionRate(astro::kRateUser, day_mode);
            return true;
        case kKindTrueTertiary:
            // The mean rate of a lunar month: the step; the walk itself counts the months
            // between the returns of the Moon.
            rate = astro::ProgressionRate(astro::kRateTertiary, day_mode);
            return true;
        case kKindAgeHarmonic:
        case kKindAgePlusOneHarmonic:
        case kKindVanDam:
            // Their points move by the age; time is measured as in secondary progressions.
            rate = astro::ProgressionRate(astro::kRateSecondary, day_mode);
            return true;
        default:
            return false;
    }
}

// Points the ephemeris moves: the bodies, the angles of the sky, and the extra points that
// follow them (stars, asteroids, fixed positions, and midpoints of movable points).
bool IsMovablePoint(int p) {
    if (p > astro::kFixedPointCount) {
        const astro::ExtraPointDefinition* def = astro::ExtraPointOf(p);
        if (def == nullptr) {
            return false;
        }
        switch (def->kind) {
            case astro::ExtraKind::kStar:
            case astro::ExtraKind::kAsteroid:
            case astro::ExtraKind::kPosition:
                return true;
            case astro::ExtraKind::kMidpoint:
                return def->point_a < p && def->point_b < p && IsMovablePoint(def->point_a) &&
                       IsMovablePoint(def->point_b);
            default:
                return false;
        }
    }
    return astro::SwissBodyOf(p, true, false) >= 0 || p == astro::kEarth ||
           p == astro::kSouthNode || p == astro::kAscendant || p == astro::kMidheaven ||
           p == astro::kDescendant || p == astro::kImumCoeli;
}

// The suffix an extra point carries in a point set: asteroids "a", house cusps "H", Arabic
// parts "p", fixed stars "s", any other extra point "e".
char ExtraSuffix(int p) {
    const astro::ExtraPointDefinition* def = astro::ExtraPointOf(p);
    if (def == nullptr) {
        return kSuffixOther;
    }
    switch (def->kind) {
        case astro::ExtraKind::kAsteroid:
            return kSuffixAsteroid;
        case astro::ExtraKind::kCusp:
            return kSuffixHouseCusp;
        case astro::ExtraKind::kPart:
            return kSuffixArabicPart;
        case astro::ExtraKind::kStar:
            return kSuffixFixedStar;
        default:
            return kSuffixOther;
    }
}

bool IsHarmonicKind(int kind) {
    return kind == kKindAgeHarmonic || kind == kKindAgePlusOneHarmonic;
}

bool UsesTransits(int method) {
    return method == kMethodTransits || method == kMethodTransitsToProgressions ||
           method == kMethodTransitsToDirections;
}

bool AnyFamily(const EventFamilies& f) {
    return f.transits_radix || f.transits_transits || f.transits_progressions ||
           f.transits_directions || f.progressions_radix || f.progressions_progressions ||
           f.directions_radix || f.sign_ingress || f.house_ingress || f.stations ||
           f.parallels_declination || f.parallels_latitude || f.eclipses || f.lunar_phases ||
           f.void_of_course;
}

// The date of a UT instant in the report zone, as the stop line shows it.
std::string ReportDateText(double jd_report) {
    const astro::CompactDateTime d = astro::LocalDateTime(jd_report, 0.0F);
    const auto& names = startup::Names();
    return std::to_string(d.day) + " " + names.MonthName(d.month, true) + " " +
           std::to_string(d.year);
}

}  // namespace

EventFamilies DefaultFamilies(int method) {
    EventFamilies f;
    switch (method) {
        case kMethodProgressions:
            f.progressions_radix = true;
            break;
        case kMethodDirections:
            f.directions_radix = true;
            break;
        case kMethodTransitsToProgressions:
            f.transits_progressions = true;
            break;
        case kMethodTransitsToDirections:
            f.transits_directions = true;
            break;
        default:
            f.transits_radix = true;
            break;
    }
    return f;
}

bool ParseFamilies(std::string_view list, EventFamilies& families, std::string& bad) {
    EventFamilies f;
    std::size_t pos = 0;
    while (pos <= list.size()) {
        const std::size_t comma = std::min(list.find(',', pos), list.size());
        std::string_view item = list.substr(pos, comma - pos);
        while (!item.empty() && item.front() == ' ') {
            item.remove_prefix(1);
        }
        while (!item.empty() && item.back() == ' ') {
            item.remove_suffix(1);
        }
        bool known = false;
        for (const auto& [name, member] : kEventFamilyWords) {
            if (item == name) {
                f.*member = true;
                known = true;
            }
        }
        if (!known) {
            bad = std::string(item);
            return false;
        }
        pos = comma + 1;
    }
    families = f;
    return true;
}

std::string FamilyListText(const EventFamilies& families) {
    std::string list;
    for (const auto& [word, member] : kEventFamilyWords) {
        if (families.*member) {
            list += (list.empty() ? "" : ",") + std::string(word);
        }
    }
    return list;
}

double StepDays(const DynamicSearchRequest& request) {
    if (request.method == kMethodDirections) {
        return 30.0;
    }
    if (UsesTransits(request.method)) {
        double step = request.families.transits_transits ? 1.0 : 5.0;
        const auto has = [&](int p) {
            return std::find(request.moving.begin(), request.moving.end(), p) !=
                   request.moving.end();
        };
        if (has(astro::kMoon) || has(astro::kBlackMoon)) {
            step = request.parallax ? 1.0 / 12.0 : 0.5;
        }
        for (const int p : request.moving) {
            if ((p >= 22 && p <= 26) || (p >= 37 && p <= 44) || p == 53) {
                step = 1.0 / 96.0;
            }
        }
        return step;
    }
    if (IsHarmonicKind(request.progression_kind)) {
        return request.families.transits_transits ? 1.0 : 5.0;
    }
    if (request.progression_kind == kKindVanDam) {
        return 30.0;  // primary directions, walked as directions are
    }
    double rate = 1.0 / kDynamicYearDays;
    if (request.user_arc_rate > 0.0) {
        rate = request.user_arc_rate;
    } else {
        RateOfKind(request.progression_kind, rate);
    }
    rate *= std::fabs(request.multiplier);
    double step = (60.0 / kDynamicYearDays) / rate;
    if (step > 2.0) {
        step = std::floor(step);
    }
    if (startup::CurrentSession().settings().GetInt("ProgAngles") == 5) {
        step /= 6.0;
    }
    return step;
}

std::string EventTypeText(const DynamicSearchRequest& request, int type) {
    static constexpr std::string_view kProg = "SpTpMpUp0506070809101112AHA1";
    static constexpr std::string_view kDir = "SaAaVaUaPmPfPvPz";
    std::string progressed = "Sp";
    if (request.progression_kind >= 1 && request.progression_kind <= 14) {
        progressed = std::string(
            kProg.substr(static_cast<std::size_t>(request.progression_kind - 1) * 2, 2));
    } else if (request.progression_kind == kKindVanDam) {
        progressed = "Pv";  // the code of van Dam's primary directions
    }
    std::string directed = "Sa";
    if (request.direction_type >= 1 && request.direction_type <= kDirectionTypeCount) {
        directed =
            std::string(kDir.substr(static_cast<std::size_t>(request.direction_type - 1) * 2, 2));
    }
    switch (type) {
        case kTypeTransitRadix:
            return "Tr-Pr";
        case kTypeTransitTransit:
            return "Tr-Tr";
        case kTypeTransitProgressed:
            return "Tr-" + progressed;
        case kTypeTransitDirected:
            return "Tr-" + directed;
        case kTypeProgressedRadix:
            return progressed + "-Pr";
        case kTypeProgressedProgressed:
            return progressed + "-" + progressed;
        case kTypeDirectedRadix:
            return directed + "-Pr";
        case kTypeTransitNone:
            return "Tr";
        case kTypeProgressedNone:
            return request.method == kMethodDirections ? directed : progressed;
        default:
            return "";
    }
}

startup::StatusOr<DynamicRunResult> RunDynamicSearch(const DynamicSearchRequest& request) {
    const auto refuse = [](std::string text) {
        return Status(StatusCode::kRefused, std::move(text), "Dynamic Report");
    };
    if (!astro::IsValidSlot(request.radix_slot) ||
        astro::Slot(request.radix_slot).longitude[astro::kSun] < 0.0) {
        return refuse("The radix chart has not been calculated.");
    }
    if (!std::isfinite(request.jd_start_ut) || !std::isfinite(request.jd_end_ut) ||
        request.jd_end_ut <= request.jd_start_ut) {
        return refuse("The report period is empty: its end must come after its start.");
    }
    if (request.jd_end_ut - request.jd_start_ut > 366.0 * 1000.0) {
        return refuse("The report period is longer than 1000 years.");
    }
    if (!AnyFamily(request.families)) {
        return refuse("No events are selected for the dynamic report.");
    }
    const int method = request.method;
    if (method != kMethodProgressions && method != kMethodDirections && method != kMethodTransits &&
        method != kMethodTransitsToProgressions && method != kMethodTransitsToDirections) {
        return refuse("Unknown dynamic method " + std::to_string(method) + ".");
    }
    const bool directions = method == kMethodDirections || method == kMethodTransitsToDirections;
    PrimaryDirectionSource* primary = nullptr;
    if (directions) {
        if (request.direction_type < 1 || request.direction_type > kDirectionTypeCount) {
            return refuse("Unknown direction type " + std::to_string(request.direction_type) + ".");
        }
        if (IsPrimaryDirectionType(request.direction_type)) {
            primary = PrimaryDirectionSourceFor(request.direction_type);
            if (primary == nullptr) {
                return refuse("Primary directions are not available in this program.");
            }
        }
    }
    // Progressions by van Dam's primary directions: the points move as the primary source
    // directs them.
    const bool progressions =
        method == kMethodProgressions || method == kMethodTransitsToProgressions;
    const bool van_dam_progressions =
        method == kMethodProgressions && request.progression_kind == kKindVanDam;
    if (van_dam_progressions) {
        primary = PrimaryDirectionSourceFor(kDirectionPrimaryVanDam);
        if (primary == nullptr || !primary->MovesPoints(kDirectionPrimaryVanDam)) {
            return refuse("Primary directions are not available in this program.");
        }
    }
    // Points that move as the radix points do, by an arc or a factor: every point with a
    // radix position can move.
    const bool radix_moves = directions || van_dam_progressions ||
                             (progressions && IsHarmonicKind(request.progression_kind));
    if (request.moving.empty() && method != kMethodDirections) {
        return refuse("No moving points are selected.");
    }
    const astro::ChartSlot& radix = astro::Slot(request.radix_slot);
    const int in_use = astro::PointsInUse();
    for (const int p : request.moving) {
        if (p < 1 || p > std::min(in_use, astro::kMaxPoints)) {
            return refuse("Point " + std::to_string(p) + " is not a chart point.");
        }
        if (!radix_moves && !IsMovablePoint(p)) {
            return refuse("Point " + std::to_string(p) +
                          " cannot be a moving point of the dynamic report.");
        }
        if (radix_moves && radix.longitude[static_cast<std::size_t>(p)] < 0.0) {
            return refuse("Point " + std::to_string(p) + " has no position in the radix chart.");
        }
    }
    for (const int p : request.targets) {
        if (p < 1 || p > std::min(in_use, astro::kMaxPoints)) {
            return refuse("Point " + std::to_string(p) + " is not a chart point.");
        }
        if (radix.longitude[static_cast<std::size_t>(p)] < 0.0) {
            return refuse("Point " + std::to_string(p) + " has no position in the radix chart.");
        }
    }
    if (request.aspect_set.Count() < 2) {
        return refuse("The aspect set has no aspects.");
    }

    DynamicDataClass data;
    data.SetMethod(method, directions ? request.direction_type : 0);
    double rate = 0.0;
    int kind = request.progression_kind;
    if (directions) {
        kind = kKindSecondary;  // directions measure time by secondary progression
    }
    if (!RateOfKind(kind, rate)) {
        if (progressions) {
            return refuse("Unknown progression kind " + std::to_string(request.progression_kind) +
                          ".");
        }
        RateOfKind(kKindSecondary, rate);
    }
    data.SetProgressionKind(request.progression_kind, rate);
    data.SetZodiacMult(request.multiplier);
    data.SetUserArcRate(request.user_arc_rate > 0.0 ? request.user_arc_rate : 1.0);
    data.SetJulDayBase(radix.julian_day_ut);
    data.SetLocation(request.relocated ? request.longitude
                                       : static_cast<double>(radix.record.data.place.longitude),
                     request.relocated ? request.latitude
                                       : static_cast<double>(radix.record.data.place.latitude));
    data.SetCorrectGeocentricLatitude(astro::CalcOptionsFromSettings().geocentric);
    data.InitializeRadixPosition(request.radix_slot, false);
    data.SetParallels(request.families.parallels_declination, request.families.parallels_latitude);
    data.SetConverse(request.primary.converse);

    DynamicPointSet points;
    for (const int p : request.moving) {
        if (p > astro::kFixedPointCount) {
            points.AddDynamicUserPoint(ChartPoint(p), ExtraSuffix(p));
        } else {
            points.AddDynamicPoint(ChartPoint(p));
        }
    }
    for (const int p : request.targets) {
        if (p > astro::kFixedPointCount) {
            points.AddRadixUserPoint(ChartPoint(p), ExtraSuffix(p));
        } else {
            points.AddRadixPoint(ChartPoint(p));
        }
    }
    data.ComputeFirstAndLastChartPoints(points, UsesTransits(method));

    DynamicRunResult result;
    DynamicReportClass& table = result.table;
    table.SetCharts(request.radix_slot, request.radix_slot);
    table.SetPeriod(request.jd_start_ut, request.jd_end_ut);
    table.SetEnterLeave(request.enter_leave);
    if (request.zone_lookup) {
        table.SetFixedZone(request.zone_hours);
        table.SetZoneLookup(request.zone_lookup);
    } else {
        table.SetFixedZone(request.zone_hours);
    }
    std::vector<double> aspect_weights(static_cast<std::size_t>(request.aspect_set.Count()) + 1,
                                       0.0);
    for (int k = 1; k <= request.aspect_set.Count(); ++k) {
        aspect_weights[static_cast<std::size_t>(k)] = request.aspect_set.Aspect(k).weight;
    }
    table.SetWeighting({}, std::move(aspect_weights));
    table.InitTranUsed(astro::kMaxPoints);

    // The ephemeris must cover the period: the Sun at both ends.
    {
        astro::ChartSlot probe;
        for (const double jd : {request.jd_start_ut, request.jd_end_ut}) {
            const double jd_et = jd + astro::DeltaT(jd);
            if (astro::CalcPositions(probe, astro::kSun, astro::kSun, jd_et, 0.0, {}) !=
                    astro::PositionStatus::kOk ||
                probe.longitude[astro::kSun] < 0.0) {
                return Status(StatusCode::kOutOfRange, astro::kOutOfRangeText,
                              astro::kOutOfRangeTitle);
            }
        }
    }

    const double step = StepDays(request);
    result.step_days = step;
    if (request.progress) {
        request.progress("Initialising", -1);
        request.progress("Calculating for " + radix.record.data.name, -1);
    }

    // The primary source of a van Dam progression is configured as for direction type 7.
    DynamicSearchRequest source_request = request;
    if (van_dam_progressions) {
        source_request.direction_type = kDirectionPrimaryVanDam;
    }
    Engine engine(request, data, points, result);
    const DynamicRunContext context{source_request, data, points, request.aspect_set, step};
    ChartKind directed_kind = ChartKind::kDirected;
    if (primary != nullptr) {
        if (Status s = primary->InitializeRadix(context); !s.ok()) {
            return s;
        }
        if (primary->MovesPoints(source_request.direction_type)) {
            directed_kind = ChartKind::kPrimary;
            engine.positions().SetPrimary(primary, &context);
        } else if (method == kMethodDirections) {
            if (Status s = primary->AddDirections(context, table); !s.ok()) {
                return s;
            }
        }
    }
    const bool walk = primary == nullptr || directed_kind == ChartKind::kPrimary ||
                      method == kMethodTransitsToDirections || request.families.stations ||
                      request.families.sign_ingress || request.families.house_ingress;
    if (walk && !(primary != nullptr && directed_kind != ChartKind::kPrimary &&
                  method == kMethodDirections)) {
        if (Status s = engine.Run(step, context, directed_kind); !s.ok()) {
            return s;
        }
    }
    result.ephemeris_calls = engine.positions().Calls();
    if (!engine.positions().MonthStatus().ok()) {
        return engine.positions().MonthStatus();
    }

    if (!table.Truncated() && !result.stopped_at_jd_ut) {
        for (const auto& source : ExtraEventSources()) {
            if (Status s = source->AddEvents(context, table); !s.ok()) {
                return s;
            }
            if (table.Truncated()) {
                break;
            }
        }
    }
    result.truncated = table.Truncated();
    if (result.truncated) {
        startup::ShowMessage(kTruncatedText, startup::kExclamation, "Dynamic Report");
    }
    if (result.stopped_at_jd_ut) {
        result.stopped_text =
            "Report was stopped at " + ReportDateText(table.ReportTime(*result.stopped_at_jd_ut));
    }
    if (request.progress) {
        request.progress("Sorting report by date...", -1);
    }
    table.Sort(DynamicSortKey::kDate);
    table.FilterDynamicRep();
    if (request.progress) {
        request.progress("Finished", 100);
    }
    return result;
}

std::vector<std::string> DynamicReportHeader(const DynamicSearchRequest& request) {
    std::vector<std::string> lines;
    const auto& names = startup::Names();
    const auto point_list = [&](const std::vector<int>& list) {
        std::string text;
        for (const int p : list) {
            if (!text.empty()) {
                text += ' ';
            }
            text += names.PointName(p, 0);
            if (p > astro::kFixedPointCount) {
                text += ExtraSuffix(p);
            }
        }
        return text;
    };
    lines.push_back("Selection: " + request.selection_text);
    lines.push_back("Radix Points: " + point_list(request.targets));
    const bool transits = UsesTransits(request.method);
    lines.push_back(std::string(transits ? "Transiting Points: " : "Progressing Points: ") +
                    point_list(request.moving));
    lines.push_back(std::string(transits ? "Transiting Aspects: " : "Progressing Aspects: ") +
                    request.aspect_set.header.description);
    std::string events;
    const EventFamilies& f = request.families;
    const std::pair<bool, const char*> captions[] = {
        {f.transits_radix, "Transits to Radix"},
        {f.transits_transits, "Transits to Transits"},
        {f.transits_progressions, "Transits to Progs"},
        {f.transits_directions, "Transits to Directions"},
        {f.progressions_radix, "Progs to Radix"},
        {f.progressions_progressions, "Progs to Progs"},
        {f.directions_radix, "Directions to Radix"},
        {f.sign_ingress, "Sign Ingress"},
        {f.house_ingress, "House Ingress"},
        {f.stations, "Stationary Points"},
        {f.parallels_declination, "Parallels of Decl."},
        {f.parallels_latitude, "Parallels of Latitude"},
        {request.enter_leave, "Entering/Leaving"},
    };
    for (const auto& [on, caption] : captions) {
        if (on) {
            if (!events.empty()) {
                events += ", ";
            }
            events += caption;
        }
    }
    lines.push_back("Selected Events: " + events);
    if (request.method == kMethodDirections || request.method == kMethodTransitsToDirections) {
        std::string line =
            "Direction Type: " + std::string(DirectionTypeName(request.direction_type));
        if (request.direction_type == kDirectionUserArc) {
            char rate[32];
            std::snprintf(rate, sizeof rate, "%.4f/yr", request.user_arc_rate);
            line += std::string(", Rate = ") + rate;
        }
        lines.push_back(line);
    } else if (request.method == kMethodProgressions ||
               request.method == kMethodTransitsToProgressions) {
        lines.push_back(" Progression Type: " +
                        std::string(ProgressionKindName(request.progression_kind)));
    }
    const auto date_text = [&](double jd_ut) {
        const double zone = request.zone_lookup ? request.zone_lookup(jd_ut) : request.zone_hours;
        const astro::CompactDateTime d = astro::LocalDateTime(jd_ut, static_cast<float>(zone));
        return std::to_string(d.day) + " " + names.MonthName(d.month, true) + " " +
               std::to_string(d.year);
    };
    lines.push_back("Report Period: " + date_text(request.jd_start_ut) + " to " +
                    date_text(request.jd_end_ut - kSecondDays) + ", Time Zone " +
                    request.zone_text + (request.zone_lookup ? " (Auto DST)" : " (Fixed)"));
    lines.push_back("Report Location:  " + request.place_text);
    if (f.void_of_course) {
        lines.emplace_back(" Void of Course Moon");
    }
    if (f.lunar_phases) {
        lines.emplace_back("     (Exact Lunar Phase)");
    }
    if (f.eclipses) {
        lines.emplace_back("     (Maximum Eclipse Time)");
    }
    return lines;
}

}  // namespace meridia::dynamic
