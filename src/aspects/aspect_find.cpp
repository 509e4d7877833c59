#include "aspects/aspect_find.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace meridia::aspects {

namespace {

constexpr int kMoonPoint = 1;
constexpr int kSunPoint = 3;
constexpr double kRad = std::numbers::pi / 180.0;

// Aspect numbers by the sign distance 0..6: the two-digit entries of "01080504030902".
constexpr std::array<int, 7> kAspectBySignDistance = {1, 8, 5, 4, 3, 9, 2};

// Groups of points that always stand in a fixed relation within one chart; any two points of
// one group are never aspected to each other. The co-ascendant, polar ascendant and their
// descendants are one axis (the polar ascendant is the co-ascendant plus 180 degrees); the
// Vernal Point stands at the chart's zodiac offset from the Aries Point.
constexpr std::array<std::array<int, 4>, 8> kFixedGroups = {{
    {2, 3, 0, 0},      // Earth, Sun
    {20, 21, 0, 0},    // North Node, South Node
    {22, 39, 0, 0},    // Ascendant, Descendant
    {23, 40, 0, 0},    // Midheaven, Imum Coeli
    {24, 41, 0, 0},    // Vertex, Anti-Vertex
    {25, 42, 0, 0},    // Equatorial Ascendant, Equatorial Descendant
    {37, 38, 43, 44},  // Co-Ascendant, Polar Ascendant, Co-Descendant, Polar Descendant
    {45, 46, 47, 0},   // Aries Point, Libra Point, Vernal Point
}};

bool IsLuminary(int point) { return point == kMoonPoint || point == kSunPoint; }

// Sign of a value as -1, 0 or 1: a zero relative speed or a zero deviation has a sign of its
// own, so an exact aspect with moving points counts as applying.
int Sign(double value) { return (value > 0.0) - (value < 0.0); }

// A point above 100 (or below 1) has no ratio: it counts as an ordinary point, ratio 1.
double RatioOf(const AspectSet& set, int point) {
    if (point < 1 || point > kMaxRatioPoints) {
        return 1.0;
    }
    return static_cast<double>(set.ratios[static_cast<std::size_t>(point)]);
}

int BaseMethod(int orb_method) {
    switch (orb_method) {
        case 1:
        case 5:
            return kOrbPlanetRatios;
        case 2:
            return kOrbBySign;
        default:
            return kOrbLuminaryOther;
    }
}

struct OrbChoice {
    double factor = 1.0;
    bool luminary = false;
};

// Orb factor and group. For parallels the unidirectional rule looks at point A instead of B.
OrbChoice ChooseOrb(const AspectSet& set, int point_a, int point_b, bool parallel) {
    OrbChoice choice;
    const AspectSetHeader& h = set.header;
    if (BaseMethod(h.orb_method) == kOrbPlanetRatios) {
        const double ratio_a = RatioOf(set, point_a);
        const double ratio_b = RatioOf(set, point_b);
        if (h.moieties) {
            choice.factor = (ratio_a + ratio_b) / 2.0;
        } else if (h.unidirectional) {
            choice.factor = point_a <= point_b ? ratio_b : ratio_a;
        } else {
            choice.factor = std::max(ratio_a, ratio_b);
        }
        choice.luminary = true;
        return choice;
    }
    if (h.unidirectional) {
        choice.luminary = IsLuminary(parallel ? point_a : point_b);
    } else {
        choice.luminary = IsLuminary(point_a) || IsLuminary(point_b);
    }
    return choice;
}

double ApplyingOrb(const AspectRecord& aspect, const OrbChoice& choice, int orb_kind) {
    return choice.factor *
           aspect.Orb(choice.luminary ? OrbGroup::kLuminaryApplying : OrbGroup::kOtherApplying,
                      orb_kind);
}

double SeparatingOrb(const AspectRecord& aspect, const OrbChoice& choice, int orb_kind) {
    return choice.factor *
           aspect.Orb(choice.luminary ? OrbGroup::kLuminarySeparating : OrbGroup::kOtherSeparating,
                      orb_kind);
}

struct Separation {
    double degrees = 0.0;   // 0..180
    bool reversed = false;  // B - A, reduced to 0..360, exceeds 180
};

Separation SeparationOf(const AspectSet& set, const AspectPoint& a, const AspectPoint& b) {
    Separation s;
    double raw = std::fmod(b.longitude - a.longitude, 360.0);
    if (raw < 0.0) {
        raw += 360.0;
    }
    s.reversed = raw > 180.0;
    if (set.header.three_d) {
        s.degrees = TrueSeparation(a.longitude, a.latitude, b.longitude, b.latitude);
    } else {
        s.degrees = s.reversed ? 360.0 - raw : raw;
    }
    return s;
}

// Applying test: in 3-D mode from the separation one hour later, otherwise from the sign of
// the relative speed against the sign of the deviation (sign rule applied).
bool IsApplying(const AspectSet& set, const AspectPoint& a, const AspectPoint& b, double angle,
                double raw_deviation, double signed_deviation) {
    if (set.header.three_d) {
        const double later =
            TrueSeparation(a.longitude + a.speed / 24.0, a.latitude + a.latitude_speed / 24.0,
                           b.longitude + b.speed / 24.0, b.latitude + b.latitude_speed / 24.0);
        return std::fabs(later - angle) < std::fabs(raw_deviation);
    }
    return Sign(b.speed - a.speed) != Sign(signed_deviation);
}

bool IsPartile(const AspectPoint& a, const AspectPoint& b, double deviation,
               const PartileRule& rule) {
    if (rule.mode == PartileRule::Mode::kWithinOrb) {
        return std::fabs(deviation) <= rule.orb;
    }
    return std::floor(std::fmod(a.longitude, 30.0)) == std::floor(std::fmod(b.longitude, 30.0));
}

bool ExcludedPair(const AspectPoint& a, const AspectPoint& b, bool same_chart) {
    if (a.point == 0 || b.point == 0) {
        return true;
    }
    return same_chart && IsFixedRelationPair(a.point, b.point);
}

int SignIndex(double longitude) {
    return std::clamp(static_cast<int>(std::floor(longitude / 30.0)), 0, 11);
}

AspectResult FindAspectBySign(const AspectSet& set, const AspectPoint& a, const AspectPoint& b,
                              const Separation& s, const PartileRule& partile) {
    int d = std::abs(SignIndex(b.longitude) - SignIndex(a.longitude));
    if (d > 6) {
        d = 12 - d;
    }
    const int k = kAspectBySignDistance[static_cast<std::size_t>(d)];
    if (k > set.LongitudeCount() || !set.Aspect(k).enabled) {
        return {};
    }
    const double angle = set.Aspect(k).angle;
    const double raw_deviation = s.degrees - angle;
    AspectResult result;
    result.aspect = k;
    result.deviation = s.reversed ? -raw_deviation : raw_deviation;
    result.orb = 30.0;
    result.applying = IsApplying(set, a, b, angle, raw_deviation, result.deviation);
    result.partile = IsPartile(a, b, result.deviation, partile);
    return result;
}

}  // namespace

bool IsFixedRelationPair(int point_a, int point_b) {
    if (point_a == point_b) {
        return true;
    }
    for (const auto& group : kFixedGroups) {
        const bool has_a = std::find(group.begin(), group.end(), point_a) != group.end();
        const bool has_b = std::find(group.begin(), group.end(), point_b) != group.end();
        if (has_a && has_b) {
            return true;
        }
    }
    return false;
}

double TrueSeparation(double lon_a, double lat_a, double lon_b, double lat_b) {
    // Great-circle distance in the numerically stable arctangent form (Vincenty's special
    // case of the spherical distance; Meeus, Astronomical Algorithms, ch. 17, gives the
    // cosine form of the same formula).
    const double dl = (lon_b - lon_a) * kRad;
    const double b1 = lat_a * kRad;
    const double b2 = lat_b * kRad;
    const double x = std::cos(b2) * std::sin(dl);
    const double y = std::cos(b1) * std::sin(b2) - std::sin(b1) * std::cos(b2) * std::cos(dl);
    const double z = std::sin(b1) * std::sin(b2) + std::cos(b1) * std::cos(b2) * std::cos(dl);
    return std::atan2(std::hypot(x, y), z) / kRad;
}

double DeclinationSpeed(double longitude, double latitude, double speed, double latitude_speed,
                        double obliquity) {
    // sin(decl) = sin(lat) cos(eps) + cos(lat) sin(eps) sin(lon) (Meeus, ch. 13, eq. 13.4),
    // differentiated in time; the rates keep their unit on both sides.
    const double l = longitude * kRad;
    const double b = latitude * kRad;
    const double e = obliquity * kRad;
    const double sin_decl = std::sin(b) * std::cos(e) + std::cos(b) * std::sin(e) * std::sin(l);
    const double cos_decl = std::sqrt(std::max(0.0, 1.0 - sin_decl * sin_decl));
    if (cos_decl < 1e-12) {
        return 0.0;
    }
    const double rate =
        (std::cos(b) * std::cos(e) - std::sin(b) * std::sin(e) * std::sin(l)) * latitude_speed +
        std::cos(b) * std::sin(e) * std::cos(l) * speed;
    return rate / cos_decl;
}

AspectResult FindAspect(const AspectSet& set, const AspectPoint& a, const AspectPoint& b,
                        int orb_kind, bool same_chart, const PartileRule& partile) {
    // A longitude of -1 marks a point whose calculation failed.
    if (ExcludedPair(a, b, same_chart) || a.longitude < 0.0 || b.longitude < 0.0 ||
        set.LongitudeCount() < 1) {
        return {};
    }
    const Separation s = SeparationOf(set, a, b);
    if (BaseMethod(set.header.orb_method) == kOrbBySign) {
        return FindAspectBySign(set, a, b, s, partile);
    }
    const OrbChoice choice = ChooseOrb(set, a.point, b.point, false);
    for (int i = 0; i < set.active.enabled_count; ++i) {
        const int k = set.active.sorted[static_cast<std::size_t>(i)];
        const AspectRecord& aspect = set.Aspect(k);
        const double raw_deviation = s.degrees - aspect.angle;
        const double size = std::fabs(raw_deviation);
        const double applying_orb = ApplyingOrb(aspect, choice, orb_kind);
        const double separating_orb = SeparatingOrb(aspect, choice, orb_kind);
        if (!(size <= applying_orb || size < separating_orb)) {
            continue;
        }
        AspectResult result;
        result.deviation = s.reversed ? -raw_deviation : raw_deviation;
        result.applying = IsApplying(set, a, b, aspect.angle, raw_deviation, result.deviation);
        result.orb = result.applying ? applying_orb : separating_orb;
        if (size > result.orb) {
            return {};
        }
        result.aspect = k;
        result.partile = IsPartile(a, b, result.deviation, partile);
        return result;
    }
    return {};
}

AspectResult FindParallel(const AspectSet& set, const AspectPoint& a, const AspectPoint& b,
                          ParallelBasis basis, int orb_kind, bool same_chart) {
    if (ExcludedPair(a, b, same_chart) || set.Count() < 2) {
        return {};
    }
    const bool by_latitude = basis == ParallelBasis::kLatitude;
    const double value_a = by_latitude ? a.latitude : a.declination;
    const double value_b = by_latitude ? b.latitude : b.declination;
    const double rate_a = by_latitude ? a.latitude_speed : a.declination_speed;
    const double rate_b = by_latitude ? b.latitude_speed : b.declination_speed;

    const double deviation = std::fabs(std::fabs(value_a) - std::fabs(value_b));
    const int k =
        (value_a < 0.0) != (value_b < 0.0) ? set.ContraParallelNumber() : set.ParallelNumber();
    const AspectRecord& aspect = set.Aspect(k);
    if (!aspect.enabled) {
        return {};
    }
    // Applying when the difference of the sizes is shrinking now (its rate has the opposite
    // sign). A step of an hour would overshoot for the fast angles, whose declinations move
    // tens of degrees a day, and call an aspect minutes from exact separating.
    const double difference = std::fabs(value_a) - std::fabs(value_b);
    const double difference_rate =
        (value_a < 0.0 ? -rate_a : rate_a) - (value_b < 0.0 ? -rate_b : rate_b);
    const OrbChoice choice = ChooseOrb(set, a.point, b.point, true);
    AspectResult result;
    result.applying = difference * difference_rate < 0.0;
    result.orb = result.applying ? ApplyingOrb(aspect, choice, orb_kind)
                                 : SeparatingOrb(aspect, choice, orb_kind);
    if (deviation > result.orb) {
        return {};
    }
    result.aspect = k;
    result.deviation = deviation;
    return result;
}

NextAspect NextAspectAngle(const AspectSet& set, double angle) {
    const int n = set.active.enabled_count;
    if (n == 0) {
        return {};
    }
    double x = std::fmod(angle, 360.0);
    if (x < 0.0) {
        x += 360.0;
    }
    auto number_at = [&set](int i) { return set.active.sorted[static_cast<std::size_t>(i)]; };
    for (int i = 0; i < n; ++i) {
        const double a = set.Aspect(number_at(i)).angle;
        if (a >= x) {
            return {number_at(i), a};
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        const double a = 360.0 - set.Aspect(number_at(i)).angle;
        if (a >= x) {
            return {number_at(i), a};
        }
    }
    return {number_at(0), set.Aspect(number_at(0)).angle};
}

}  // namespace meridia::aspects
