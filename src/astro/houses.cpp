// House systems: cusps of the 32 systems, the cusp flags, the polar fallback to Equal houses
// and its once-only message.
#include "astro/houses.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "astro/angles.h"
#include "startup/messages.h"
#include "startup/session.h"

namespace meridia::astro {
namespace {

// Systems that cannot be drawn at polar latitudes and switch to Equal there.
constexpr double kPolarLimit = 89.99;

// The Placidus semi-arc equation is solved to this accuracy (degrees of right ascension).
constexpr double kPlacidusTolerance = 1e-10;
constexpr int kPlacidusMaxIterations = 60;

constexpr const char* kPolarMessage =
    "Switching to the Equal house system (latitude above the Arctic Circle), though the "
    "selected house system will continue to be displayed on the chart.";

// Whether the polar-fallback message has been shown since the last calculation that did not
// fall back.
struct HouseMessageState {
    bool polar_warned = false;
};

// The nearer of the two midpoints of a and b (degrees).
double NearerMidpoint(double a, double b) {
    double m = Norm360((a + b) / 2.0);
    return Norm360(std::fabs(a - m)) <= 90.0 ? m : Norm360(m + 180.0);
}

bool NeedsPolarFallback(int system) {
    switch (system) {
        case kCampanus:
        case kKoch:
        case kMeridian:
        case kPlacidus:
        case kPorphyry:
        case kRegiomontanus:
        case kTopocentric:
        case kHinduBhava:
        case kAlcabitius:
            return true;
        default:
            return false;
    }
}

// The obliquity and latitude terms shared by the quadrant systems, with the angles of the
// chart in tropical longitude.
struct Sphere {
    double ramc = 0.0;  // degrees
    double sin_eps = 0.0;
    double cos_eps = 0.0;
    double tan_eps = 0.0;
    double tan_phi = 0.0;
    double asc = 0.0;  // tropical, degrees
    double mc = 0.0;   // tropical, degrees
};

Sphere MakeSphere(const HouseInput& in) {
    Sphere s;
    s.ramc = Norm360(in.ramc);
    s.sin_eps = std::sin(in.obliquity * kDegToRad);
    s.cos_eps = std::cos(in.obliquity * kDegToRad);
    s.tan_eps = std::tan(in.obliquity * kDegToRad);
    s.tan_phi = std::tan(in.latitude * kDegToRad);
    s.asc = Norm360(in.longitude[kAscendant] - in.zodiac_offset);
    s.mc = Norm360(in.longitude[kMidheaven] - in.zodiac_offset);
    return s;
}

// Ecliptic longitude where the circle of position of pole tan_pole (the tangent of its pole
// height) meets the ecliptic, given the oblique ascension oa of the circle (degrees). With
// pole 0 this is the longitude whose right ascension is oa; with the birth latitude's pole and
// oa = RAMC + 90 it is the Ascendant.
double LongitudeOnPole(const Sphere& s, double oa, double tan_pole) {
    double r = oa * kDegToRad;
    return Norm360(std::atan2(std::sin(r), std::cos(r) * s.cos_eps - tan_pole * s.sin_eps) *
                   kRadToDeg);
}

// Ecliptic longitude of the ecliptic point projected onto the equator at right ascension ra
// along a circle of ecliptic longitude (Morinus).
double LongitudeByEclipticMeridian(const Sphere& s, double ra) {
    double r = ra * kDegToRad;
    return Norm360(std::atan2(std::sin(r) * s.cos_eps, std::cos(r)) * kRadToDeg);
}

// Fills cusps 4..9 as the opposites of 10..12 and 1..3.
void FillOpposites(std::array<double, 13>& c) {
    c[4] = Norm360(c[10] + 180.0);
    c[5] = Norm360(c[11] + 180.0);
    c[6] = Norm360(c[12] + 180.0);
    c[7] = Norm360(c[1] + 180.0);
    c[8] = Norm360(c[2] + 180.0);
    c[9] = Norm360(c[3] + 180.0);
}

// Placidus: the ecliptic point whose right ascension alpha satisfies
// alpha = RAMC + base + k x DSA(alpha), DSA being the diurnal semi-arc of the point's
// declination (tan delta = tan eps sin alpha). Cusp 11 has (0, 1/3), cusp 12 (0, 2/3),
// cusp 2 (60, 2/3) and cusp 3 (120, 1/3): the cusps below the horizon lie a fraction of the
// nocturnal semi-arc (180 - DSA) east of the lower meridian. With K = tan phi tan eps,
// DSA = 90 + arcsin(K sin alpha), whose derivative never exceeds 1 in size while |K| < 1, so
// the equation has one root, bracketed by DSA = 0 and DSA = 180; Newton's method with a
// bisection guard finds it in a few steps.
double PlacidusCusp(const Sphere& s, double base, double k) {
    double kk = s.tan_phi * s.tan_eps;
    double target = (s.ramc + base + 90.0 * k) * kDegToRad;  // root when K = 0
    double half_span = 90.0 * k * kDegToRad;
    double lo = target - half_span;
    double hi = target + half_span;
    double alpha = target;
    for (int i = 0; i < kPlacidusMaxIterations; ++i) {
        double sin_a = std::sin(alpha);
        double x = std::clamp(kk * sin_a, -1.0, 1.0);
        double g = alpha - target - k * std::asin(x);
        if (g < 0.0) {
            lo = alpha;
        } else {
            hi = alpha;
        }
        double root = std::sqrt(std::max(1.0 - x * x, 0.0));
        double slope = root > 0.0 ? 1.0 - k * kk * std::cos(alpha) / root : 1.0 - k;
        double next = alpha - g / slope;
        if (std::fabs(next - alpha) < kPlacidusTolerance * kDegToRad) {
            alpha = next;
            break;
        }
        alpha = next > lo && next < hi ? next : 0.5 * (lo + hi);
    }
    return LongitudeOnPole(s, alpha * kRadToDeg, 0.0);
}

void Placidus(const Sphere& s, std::array<double, 13>& c) {
    c[1] = s.asc;
    c[10] = s.mc;
    c[11] = PlacidusCusp(s, 0.0, 1.0 / 3.0);
    c[12] = PlacidusCusp(s, 0.0, 2.0 / 3.0);
    c[2] = PlacidusCusp(s, 60.0, 2.0 / 3.0);
    c[3] = PlacidusCusp(s, 120.0, 1.0 / 3.0);
    FillOpposites(c);
}

// Koch: the Ascendants of the oblique ascensions that divide the Midheaven's diurnal
// semi-arc, counted from the Midheaven's own oblique ascension, into thirds.
void Koch(const Sphere& s, std::array<double, 13>& c) {
    double tan_decl_mc = s.tan_eps * std::sin(s.ramc * kDegToRad);
    double ad = std::asin(std::clamp(s.tan_phi * tan_decl_mc, -1.0, 1.0)) * kRadToDeg;
    double third = ad / 3.0;
    c[1] = s.asc;
    c[10] = s.mc;
    c[11] = LongitudeOnPole(s, s.ramc + 30.0 - 2.0 * third, s.tan_phi);
    c[12] = LongitudeOnPole(s, s.ramc + 60.0 - third, s.tan_phi);
    c[2] = LongitudeOnPole(s, s.ramc + 120.0 + third, s.tan_phi);
    c[3] = LongitudeOnPole(s, s.ramc + 150.0 + 2.0 * third, s.tan_phi);
    FillOpposites(c);
}

// Campanus: the prime vertical divided into twelve; house circle h meets the prime vertical
// at A = 30h + 60, crosses the equator at RAMC + B (tan B = tan A cos phi) and has the pole
// tan f = tan phi sin B. The two-argument arctangent keeps B in the half-plane of A, so the
// division points are used exactly, without nudging A off the poles of the tangent.
void Campanus(const Sphere& s, double latitude, std::array<double, 13>& c) {
    double cos_phi = std::cos(latitude * kDegToRad);
    for (int h : {11, 12, 1, 2, 3}) {
        double a = (30.0 * h + 60.0) * kDegToRad;
        double b = std::atan2(std::sin(a) * cos_phi, std::cos(a));
        c[h] = LongitudeOnPole(s, s.ramc + b * kRadToDeg, s.tan_phi * std::sin(b));
    }
    c[10] = s.mc;
    FillOpposites(c);
}

// Meridian, Regiomontanus and Morinus divide the equator into twelve from RAMC: house circle
// h crosses it at R = RAMC + 30h + 60.
enum class EquatorSystem { kMeridian, kRegiomontanus, kMorinus };

void EquatorDivision(const Sphere& s, EquatorSystem kind, std::array<double, 13>& c) {
    for (int h : {10, 11, 12, 1, 2, 3}) {
        double offset = 30.0 * h + 60.0;
        double r = s.ramc + offset;
        switch (kind) {
            case EquatorSystem::kMeridian:
                c[h] = LongitudeOnPole(s, r, 0.0);
                break;
            case EquatorSystem::kRegiomontanus:
                c[h] = LongitudeOnPole(s, r, s.tan_phi * std::sin(offset * kDegToRad));
                break;
            case EquatorSystem::kMorinus:
                c[h] = LongitudeByEclipticMeridian(s, r);
                break;
        }
    }
    FillOpposites(c);
}

// Porphyry: each quadrant between the angles trisected in longitude.
void Porphyry(const Sphere& s, std::array<double, 13>& c) {
    double ic = Norm360(s.mc + 180.0);
    double q1 = Norm360(s.asc - s.mc) / 3.0;
    double q2 = Norm360(ic - s.asc) / 3.0;
    c[1] = s.asc;
    c[2] = Norm360(s.asc + q2);
    c[3] = Norm360(s.asc + 2.0 * q2);
    c[10] = s.mc;
    c[11] = Norm360(s.mc + q1);
    c[12] = Norm360(s.mc + 2.0 * q1);
    FillOpposites(c);
}

// Hindu Bhava: the Porphyry cusps are the middles of the houses; each new cusp lies halfway
// between two Porphyry cusps.
void HinduBhava(const Sphere& s, std::array<double, 13>& c) {
    std::array<double, 13> p{};
    Porphyry(s, p);
    for (int h = 1; h <= 6; ++h) {
        c[h] = NearerMidpoint(p[h], p[h == 1 ? 12 : h - 1]);
        c[h + 6] = Norm360(c[h] + 180.0);
    }
}

// Topocentric: circles of position with pole heights arctan(tan phi / 3) and
// arctan(2 tan phi / 3) at oblique ascensions 30 degrees apart. Returns the cusp 10 flag.
bool Topocentric(const Sphere& s, std::array<double, 13>& c) {
    double pole1 = s.tan_phi / 3.0;
    double pole2 = 2.0 * s.tan_phi / 3.0;
    bool mc_flag = SignedMod(s.asc - s.mc, 360.0) >= 0.0;
    c[1] = s.asc;
    c[10] = mc_flag ? s.mc : Norm360(s.mc + 180.0);
    c[11] = LongitudeOnPole(s, s.ramc + 30.0, pole1);
    c[12] = LongitudeOnPole(s, s.ramc + 60.0, pole2);
    c[2] = LongitudeOnPole(s, s.ramc + 120.0, pole2);
    c[3] = LongitudeOnPole(s, s.ramc + 150.0, pole1);
    FillOpposites(c);
    return mc_flag;
}

// Alcabitius: the Ascendant's diurnal and nocturnal semi-arcs trisected in right ascension
// from RAMC and projected onto the ecliptic along hour circles. False when the Ascendant's
// degree has no rising semi-arc.
bool Alcabitius(const Sphere& s, std::array<double, 13>& c) {
    double sin_decl = std::clamp(s.sin_eps * std::sin(s.asc * kDegToRad), -1.0, 1.0);
    double decl = std::asin(sin_decl);
    double x = std::tan(decl) * s.tan_phi;
    if (std::fabs(x) > 1.0) {
        return false;
    }
    double sda = std::acos(-x) * kRadToDeg;
    double sna = 180.0 - sda;
    c[1] = s.asc;
    c[10] = s.mc;
    c[11] = LongitudeOnPole(s, s.ramc + sda / 3.0, 0.0);
    c[12] = LongitudeOnPole(s, s.ramc + 2.0 * sda / 3.0, 0.0);
    c[2] = LongitudeOnPole(s, s.ramc + 180.0 - 2.0 * sna / 3.0, 0.0);
    c[3] = LongitudeOnPole(s, s.ramc + 180.0 - sna / 3.0, 0.0);
    FillOpposites(c);
    return true;
}

// Start of an equal-division system in the chart's zodiac; NaN when its point failed.
double EqualStart(int system, const HouseInput& in) {
    const auto& lon = in.longitude;
    auto sign_start = [](double x) { return 30.0 * (SignOf(x) - 1); };
    auto point = [&lon](int p) {
        return lon[p] < 0.0 ? std::numeric_limits<double>::quiet_NaN() : lon[p];
    };
    static constexpr std::array<int, 10> kBodyOnFirst = {
        kSun, kMoon, kMercury, kVenus, kMars, kJupiter, kSaturn, kUranus, kNeptune, kPluto};
    if (system >= kSunOnFirst && system <= kPlutoOnFirst) {
        return point(kBodyOnFirst[static_cast<std::size_t>(system - kSunOnFirst)]);
    }
    switch (system) {
        case kEqual:
            return point(kAscendant);
        case kZeroAries:
            return 0.0;
        case kSolarSign:
            return sign_start(point(kSun));
        case kNorthNodeOnFirst:
            return point(kNorthNode);
        case kVertexOnSeventh:
            return Norm360(point(kVertex) + 180.0);
        case kEquatorialAscendantOnFirst:
            return point(kEquatorialAscendant);
        case kMidheavenOnTenth:
            return Norm360(point(kMidheaven) + 90.0);
        case kWholeSigns:
            return sign_start(point(kAscendant));
        case kFortuneOnFirst:
            return point(kPartOfFortune);
        case kAscendantInFirst:
            return Norm360(point(kAscendant) - 15.0);
        case kWholeSignsFortune:
            return sign_start(point(kPartOfFortune));
        case kSouthNodeOnFirst:
            return Norm360(point(kNorthNode) + 180.0);
        default:
            return 0.0;
    }
}

void EqualDivision(double start, std::array<double, 13>& c) {
    for (int h = 1; h <= 12; ++h) {
        c[static_cast<std::size_t>(h)] = Norm360(start + 30.0 * (h - 1));
    }
}

// The systems that start half a circle from their point put that point on cusp 7; it is
// placed there exactly, since start + 180 may come back a rounding error short of it (which
// would put the point in house 6).
void PlaceSeventhCuspPoint(int system, const HouseInput& in, std::array<double, 13>& c) {
    int point = 0;
    if (system == kVertexOnSeventh) {
        point = kVertex;
    } else if (system == kSouthNodeOnFirst) {
        point = kNorthNode;
    }
    if (point != 0 && in.longitude[static_cast<std::size_t>(point)] >= 0.0) {
        c[7] = in.longitude[static_cast<std::size_t>(point)];
    }
}

// The Meridian system's first cusp is the ecliptic point of right ascension RAMC + 90, the
// chart's Equatorial Ascendant: when the two agree (they differ by rounding only) the cusps
// take the chart's own point and its opposite, so that the Equatorial Ascendant and
// Descendant fall in houses 1 and 7.
void MeetEquatorialAscendant(const HouseInput& in, std::array<double, 13>& c) {
    constexpr double kSameLongitude = 1e-9;  // degrees
    const double ea = in.longitude[kEquatorialAscendant];
    if (ea >= 0.0 && std::fabs(Norm180(c[1] - ea)) < kSameLongitude) {
        c[1] = ea;
        c[7] = Norm360(ea + 180.0);
    }
}

// The cusp flags of each system, before the Topocentric and fallback adjustments.
bool FirstCuspFlag(int system) {
    switch (system) {
        case kCampanus:
        case kKoch:
        case kPlacidus:
        case kPorphyry:
        case kRegiomontanus:
        case kTopocentric:
        case kEqual:
        case kAlcabitius:
            return true;
        default:
            return false;
    }
}

bool TenthCuspFlag(int system) {
    switch (system) {
        case kCampanus:
        case kKoch:
        case kMeridian:
        case kPlacidus:
        case kPorphyry:
        case kRegiomontanus:
        case kMidheavenOnTenth:
        case kAlcabitius:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool IsEqualHouseSystem(int house_system) {
    return (house_system >= kEqual && house_system <= kWholeSigns) ||
           (house_system >= kFortuneOnFirst && house_system <= kSouthNodeOnFirst);
}

int SignOf(double longitude) {
    int sign = static_cast<int>(std::floor(Norm360(longitude) / 30.0)) + 1;
    return std::clamp(sign, 1, 12);
}

std::optional<HouseCusps> CalcHouseCusps(int house_system, const HouseInput& input) {
    if (house_system < kFirstHouseSystem || house_system > kLastHouseSystem) {
        return std::nullopt;
    }
    HouseCusps out;
    int system = house_system;
    if (NeedsPolarFallback(system) &&
        std::fabs(input.latitude) + std::fabs(input.obliquity) >= kPolarLimit) {
        out.polar_fallback = true;
        system = kEqual;
    }

    auto& c = out.cusps;
    bool tenth_flag = TenthCuspFlag(system);
    bool quadrant = !IsEqualHouseSystem(system);
    if (quadrant) {
        Sphere s = MakeSphere(input);
        switch (system) {
            case kCampanus:
                Campanus(s, input.latitude, c);
                break;
            case kKoch:
                Koch(s, c);
                break;
            case kMeridian:
                EquatorDivision(s, EquatorSystem::kMeridian, c);
                break;
            case kMorinus:
                EquatorDivision(s, EquatorSystem::kMorinus, c);
                break;
            case kPlacidus:
                Placidus(s, c);
                break;
            case kPorphyry:
                Porphyry(s, c);
                break;
            case kRegiomontanus:
                EquatorDivision(s, EquatorSystem::kRegiomontanus, c);
                break;
            case kTopocentric:
                tenth_flag = Topocentric(s, c);
                break;
            case kHinduBhava:
                HinduBhava(s, c);
                break;
            case kAlcabitius:
                if (!Alcabitius(s, c)) {
                    system = kEqual;
                    tenth_flag = false;
                    quadrant = false;
                }
                break;
            default:
                break;
        }
    }
    if (quadrant) {
        for (int h = 1; h <= 12; ++h) {
            c[static_cast<std::size_t>(h)] =
                Norm360(c[static_cast<std::size_t>(h)] + input.zodiac_offset);
        }
        if (system == kMeridian) {
            MeetEquatorialAscendant(input, c);
        }
    } else {
        EqualDivision(EqualStart(system, input), c);
        PlaceSeventhCuspPoint(system, input, c);
    }

    out.system_used = system;
    out.first_cusp_is_ascendant = FirstCuspFlag(system);
    out.tenth_cusp_is_midheaven = tenth_flag;
    // The opposite cusps follow the replaced ones, reduced as the Descendant and Imum Coeli
    // are, so that those points lie exactly on cusps 7 and 4 rather than a rounding error
    // short of them (which would put them in houses 6 and 3).
    if (out.first_cusp_is_ascendant) {
        c[1] = input.longitude[kAscendant];
        c[7] = Norm360(c[1] + 180.0);
    }
    if (out.tenth_cusp_is_midheaven) {
        c[10] = input.longitude[kMidheaven];
        c[4] = Norm360(c[10] + 180.0);
    }
    return out;
}

bool CalcHouses(ChartSlot& slot) {
    return CalcHouses(slot, slot.ramc, slot.obliquity, slot.observer_latitude,
                      slot.record.house_system, slot.zodiac_offset);
}

bool CalcHouses(ChartSlot& slot, double ramc, double obliquity, double latitude, int house_system,
                double zodiac_offset) {
    HouseInput input;
    input.ramc = ramc;
    input.obliquity = obliquity;
    input.latitude = latitude;
    input.zodiac_offset = zodiac_offset;
    input.longitude = slot.longitude;

    std::optional<HouseCusps> result = CalcHouseCusps(house_system, input);
    if (!result) {
        startup::ShowMessage("Unrecognised house system", startup::kCritical, "Sub CalcHouses");
        return false;
    }

    auto& state = startup::CurrentSession().Get<HouseMessageState>();
    if (result->polar_fallback) {
        if (!state.polar_warned) {
            startup::ShowMessage(kPolarMessage, startup::kInformation, "");
            state.polar_warned = true;
        }
    } else {
        state.polar_warned = false;
    }

    // A cusp that could not be calculated (a failed starting point) keeps its previous value.
    for (std::size_t h = 1; h <= 12; ++h) {
        if (std::isfinite(result->cusps[h])) {
            slot.cusps[h] = result->cusps[h];
        }
    }
    slot.first_cusp_is_ascendant = result->first_cusp_is_ascendant ? -1 : 0;
    slot.tenth_cusp_is_midheaven = result->tenth_cusp_is_midheaven ? -1 : 0;
    return true;
}

}  // namespace meridia::astro
