// The dynamic search against an independent search done with the ephemeris library directly:
// every contact is bracketed on a fine grid of its own and solved by bisection on the library's
// positions; the search must report each one once, none more, each at the true instant plus one
// second to within half a second.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "aspects/aspect_set.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/extra_points.h"
#include "astro/time_scales.h"
#include "dynamic/dynamic_engine.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::dynamic {
namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kYear = 365.24219907;  // days of the tropical year
constexpr int kRadixSlot = 1;

struct Expected {
    int point = 0;
    char symbol = 'X';
    int aspect = -1;
    int target = 0;
    double root = 0.0;  // UT
};

std::string Describe(const Expected& e) {
    return std::to_string(e.point) + " " + e.symbol + " aspect " + std::to_string(e.aspect) +
           " to " + std::to_string(e.target) + " at " + std::to_string(e.root);
}

int BodyOf(int point) {
    switch (point) {
        case astro::kMoon:
            return SE_MOON;
        case astro::kSun:
            return SE_SUN;
        default:
            return SE_MERCURY + (point - astro::kMercury);  // Mercury .. Pluto
    }
}

// The library's geocentric ecliptic position (longitude, latitude, distance and speeds) at a
// UT instant, or the declination with the mean obliquity of date (the chart calculation's
// default) when `equatorial` is set.
std::array<double, 6> Library(double jd_ut, int body) {
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(jd_ut, body, SEFLG_SPEED, x.data(), serr);
    return x;
}

double Declination(double jd_ut, int body) {
    const std::array<double, 6> x = Library(jd_ut, body);
    std::array<double, 6> nut{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(jd_ut, SE_ECL_NUT, 0, nut.data(), serr);
    std::array<double, 3> ecl{x[0], x[1], 1.0};
    std::array<double, 3> equ{};
    swe_cotrans(ecl.data(), equ.data(), -nut[1]);
    return equ[1];
}

// Roots of f over [a, b]: sign changes between samples h apart (both values within 90 of 0,
// so that a wrap of an angle is no root), each solved by bisection to 1e-8 day.
std::vector<double> Roots(const std::function<double(double)>& f, double a, double b, double h) {
    std::vector<double> roots;
    double t0 = a;
    double f0 = f(t0);
    while (t0 < b) {
        const double t1 = std::min(t0 + h, b);
        const double f1 = f(t1);
        if (((f0 < 0.0 && f1 >= 0.0) || (f0 > 0.0 && f1 <= 0.0)) && std::fabs(f0) < 90.0 &&
            std::fabs(f1) < 90.0) {
            double lo = t0;
            double hi = t1;
            const bool rising = f1 > f0;
            while (hi - lo > 1e-8) {
                const double mid = 0.5 * (lo + hi);
                ((f(mid) >= 0.0) == rising ? hi : lo) = mid;
            }
            roots.push_back(0.5 * (lo + hi));
        }
        t0 = t1;
        f0 = f1;
    }
    return roots;
}

// The library's speed scatters by about 1e-8 degrees a day from one instant to the next, which
// near a station of the slow planets moves its changes of sign by seconds. The zero of the
// least-squares parabola through 101 speeds over 4.8 hours around `near` is where the speed
// passes 0.
double SpeedZeroByLeastSquares(int body, double near) {
    constexpr int kSamples = 101;
    constexpr double kSpan = 0.1;  // days on each side
    std::array<double, 5> s{};     // sums of x^0 .. x^4
    std::array<double, 3> t{};     // sums of y x^0 .. y x^2
    for (int i = 0; i < kSamples; ++i) {
        const double x = -kSpan + 2.0 * kSpan * i / (kSamples - 1);
        const double y = Library(near + x, body)[3];
        const std::array<double, 5> powers{1.0, x, x * x, x * x * x, x * x * x * x};
        for (std::size_t k = 0; k < 5; ++k) {
            s[k] += powers[k];
            if (k < 3) {
                t[k] += powers[k] * y;
            }
        }
    }
    const auto det3 = [](double a, double b, double c, double d, double e, double f, double g,
                         double h, double k) {
        return a * (e * k - f * h) - b * (d * k - f * g) + c * (d * h - e * g);
    };
    const double det = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
    const double c0 = det3(t[0], s[1], s[2], t[1], s[2], s[3], t[2], s[3], s[4]) / det;
    const double c1 = det3(s[0], t[0], s[2], s[1], t[1], s[3], s[2], t[2], s[4]) / det;
    const double c2 = det3(s[0], s[1], t[0], s[1], s[2], t[1], s[2], s[3], t[2]) / det;
    // The root of c0 + c1 x + c2 x^2 near 0 by the quadratic formula.
    const double disc = std::sqrt(c1 * c1 - 4.0 * c2 * c0);
    const double x = c1 >= 0.0 ? (-2.0 * c0) / (c1 + disc) : (2.0 * c0) / (disc - c1);
    return near + x;
}

// The mean sidereal time of the chart calculation (Newcomb: ST0 = 6.6460656 + 2400.051262 T
// + 0.00002581 T^2 hours at 0h UT, T in Julian centuries from 1900 January 0.5, advancing
// 1.002737908 hours an hour) as the RAMC over a longitude (degrees, west positive).
double NewcombRamc(double jd_ut, double west_longitude) {
    const double jd0 = std::floor(jd_ut - 0.5) + 0.5;
    const double t = (jd0 - 2415020.0) / 36525.0;
    const double st0 = 6.6460656 + 2400.051262 * t + 0.00002581 * t * t;
    const double st = st0 + (jd_ut - jd0) * 24.0 * 1.002737908;
    return astro::Norm360(st * 15.0 - west_longitude);
}

// The library's mean obliquity at a UT instant.
double MeanObliquity(double jd_ut) {
    std::array<double, 6> nut{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(jd_ut, SE_ECL_NUT, 0, nut.data(), serr);
    return nut[1];
}

// The library's Ascendant (22), Midheaven (23) or Vertex (24) of a RAMC.
double AngleOfArmc(int point, double armc, double latitude, double obliquity) {
    std::array<double, 13> cusps{};
    std::array<double, 10> ascmc{};
    swe_houses_armc(astro::Norm360(armc), latitude, obliquity, 'E', cusps.data(), ascmc.data());
    switch (point) {
        case astro::kAscendant:
            return ascmc[SE_ASC];
        case astro::kMidheaven:
            return ascmc[SE_MC];
        default:
            return ascmc[SE_VERTEX];
    }
}

bool IsAngle(int point) { return point == astro::kAscendant || point == astro::kMidheaven; }

// A moving longitude at a real UT instant, as an independent model computes it from the radix
// chart's data (its moment, place, RAMC, obliquity and positions) and the library.
using Model = std::function<double(int point, double jd_ut)>;
using ModelFactory = std::function<Model(const astro::ChartSlot& radix, double end)>;

// Transits: the bodies of the library; the angles of the sky over the radix place.
Model TransitModel(const astro::ChartSlot& radix, double) {
    return [&radix](int p, double t) {
        if (IsAngle(p)) {
            return AngleOfArmc(p, NewcombRamc(t, radix.record.data.place.longitude),
                               radix.observer_latitude, MeanObliquity(t));
        }
        return Library(t, BodyOf(p))[0];
    };
}

// Progressions at a rate (one day a year for secondary progressions); the angles moved by
// the progressed-angle method: 1 the solar arc added to the radix RAMC, 3 Naibod's arc
// (0.985417 degrees a progressed day) added to it, 5 the angles of the progressed moment.
ModelFactory ProgressedModel(int angle_method) {
    return [angle_method](const astro::ChartSlot& radix, double) -> Model {
        return [&radix, angle_method](int p, double t) {
            const double base = radix.julian_day_ut;
            const double progressed = base + (t - base) / kYear;
            if (!IsAngle(p)) {
                return Library(progressed, BodyOf(p))[0];
            }
            if (angle_method == 5) {
                return AngleOfArmc(p, NewcombRamc(progressed, radix.record.data.place.longitude),
                                   radix.observer_latitude, MeanObliquity(progressed));
            }
            const double arc =
                angle_method == 3
                    ? (progressed - base) * 0.985417
                    : astro::Norm360(Library(progressed, SE_SUN)[0] - radix.longitude[astro::kSun]);
            return AngleOfArmc(p, radix.ramc + arc, radix.observer_latitude, radix.obliquity);
        };
    };
}

// True tertiary progressions: the n-th month of life runs between the n-th and the next return
// of the Moon to its natal place (the birth itself opens month 0), one progressed day a month,
// linear inside the month. The returns are found by bisection on the library's Moon.
Model TrueTertiaryModel(const astro::ChartSlot& radix, double end) {
    const double base = radix.julian_day_ut;
    const double natal = Library(base, SE_MOON)[0];
    auto returns = std::make_shared<std::vector<double>>(1, base);
    for (const double r :
         Roots([natal](double t) { return astro::Norm180(Library(t, SE_MOON)[0] - natal); },
               base + 1.0, end + 60.0, 1.0)) {
        returns->push_back(r);
    }
    return [returns, base](int p, double t) {
        const auto next = std::upper_bound(returns->begin(), returns->end(), t);
        const auto n = static_cast<double>(next - returns->begin() - 1);
        const double start = *(next - 1);
        const double progressed = base + n + (t - start) / (*next - start);
        return Library(progressed, BodyOf(p))[0];
    };
}

// Age-harmonic progressions: the radix longitude times the age in years (plus one).
ModelFactory HarmonicModel(double add) {
    return [add](const astro::ChartSlot& radix, double) -> Model {
        return [&radix, add](int p, double t) {
            const double age = (t - radix.julian_day_ut) / kYear;
            return astro::Norm360((age + add) * radix.longitude[static_cast<std::size_t>(p)]);
        };
    };
}

// Directions: every radix point moved by the arc. Solar arc: the progressed Sun's advance;
// Ascendant (Vertex) arc: the advance of the Ascendant (Vertex) of the radix RAMC moved by
// the solar arc.
ModelFactory DirectedModel(int type) {
    return [type](const astro::ChartSlot& radix, double) -> Model {
        return [&radix, type](int p, double t) {
            const double base = radix.julian_day_ut;
            const double sun = Library(base + (t - base) / kYear, SE_SUN)[0];
            const double solar_arc = astro::Norm360(sun - radix.longitude[astro::kSun]);
            double arc = solar_arc;
            if (type != kDirectionSolarArc) {
                const int angle = type == kDirectionAscArc ? astro::kAscendant : astro::kVertex;
                arc = AngleOfArmc(angle, radix.ramc + solar_arc, radix.observer_latitude,
                                  radix.obliquity) -
                      radix.longitude[static_cast<std::size_t>(angle)];
            }
            return radix.longitude[static_cast<std::size_t>(p)] + arc;
        };
    };
}

// One search of moving points against the radix points, with the model of its moving chart.
struct RadixCase {
    std::string name;
    int method = kMethodTransits;
    int kind = kKindSecondary;  // progression kind
    int direction = kDirectionSolarArc;
    int angle_method = 0;  // setting ProgAngles; 0 leaves the factory value
    std::vector<int> moving;
    std::vector<int> targets;
    double start = 0.0;
    double days = 0.0;
    double grid = 0.0;  // days between the samples of the independent search
    std::size_t at_least = 0;
    double step = 0.0;  // the step the search must take
    ModelFactory model;
};

const std::vector<int> kAllTargets{1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23};
constexpr double kJan2000 = 2451544.5;
constexpr double kJan2024 = 2460310.5;

std::vector<RadixCase> RadixCases() {
    const ModelFactory transits = TransitModel;
    const std::vector<int> planets{1, 3, 5, 6, 7, 8, 9, 10, 11, 12};
    return {
        {.name = "TransitsIncludingTheMoon",
         .moving = planets,
         .targets = kAllTargets,
         .start = kJan2024,
         .days = 31.0,
         .grid = 0.05,
         .at_least = 150,
         .step = 0.5,
         .model = transits},
        {.name = "TransitingAnglesInQuarterHourSteps",
         .moving = {22, 23},
         .targets = {1, 3, 5, 7, 22, 23},
         .start = kJan2024,
         .days = 2.0,
         .grid = 0.004,
         .at_least = 40,
         .step = 1.0 / 96.0,
         .model = transits},
        {.name = "SecondaryProgressions",
         .method = kMethodProgressions,
         .moving = {1, 3, 5, 6, 7},
         .targets = kAllTargets,
         .start = kJan2000,
         .days = 3652.5,
         .grid = 5.0,
         .at_least = 20,
         .step = 60.0,
         .model = ProgressedModel(1)},
        {.name = "ProgressedAnglesBySolarArc",
         .method = kMethodProgressions,
         .angle_method = 1,
         .moving = {22, 23},
         .targets = kAllTargets,
         .start = kJan2000,
         .days = 3652.5,
         .grid = 5.0,
         .at_least = 8,
         .step = 60.0,
         .model = ProgressedModel(1)},
        {.name = "ProgressedAnglesByNaibod",
         .method = kMethodProgressions,
         .angle_method = 3,
         .moving = {22, 23},
         .targets = kAllTargets,
         .start = kJan2000,
         .days = 3652.5,
         .grid = 5.0,
         .at_least = 8,
         .step = 60.0,
         .model = ProgressedModel(3)},
        {.name = "ProgressedAnglesOfTheProgressedMoment",
         .method = kMethodProgressions,
         .angle_method = 5,
         .moving = {22, 23},
         .targets = kAllTargets,
         .start = kJan2000,
         .days = 730.0,
         .grid = 0.5,
         .at_least = 40,
         .step = 10.0,
         .model = ProgressedModel(5)},
        {.name = "TrueTertiaryProgressions",
         .method = kMethodProgressions,
         .kind = kKindTrueTertiary,
         .moving = {1, 3, 5, 6},
         .targets = kAllTargets,
         .start = 2407900.5,
         .days = 1096.0,
         .grid = 1.0,
         .at_least = 40,
         .step = 4.0,
         .model = TrueTertiaryModel},
        {.name = "AgeHarmonic",
         .method = kMethodProgressions,
         .kind = kKindAgeHarmonic,
         .moving = {1, 3, 6, 22},
         .targets = kAllTargets,
         .start = kJan2024,
         .days = 120.0,
         .grid = 0.25,
         .at_least = 60,
         .step = 5.0,
         .model = HarmonicModel(0.0)},
        {.name = "AgePlusOneHarmonic",
         .method = kMethodProgressions,
         .kind = kKindAgePlusOneHarmonic,
         .moving = {3, 9, 23},
         .targets = kAllTargets,
         .start = kJan2024,
         .days = 120.0,
         .grid = 0.25,
         .at_least = 60,
         .step = 5.0,
         .model = HarmonicModel(1.0)},
        {.name = "SolarArcDirections",
         .method = kMethodDirections,
         .moving = {1, 3, 10, 23},
         .targets = kAllTargets,
         .start = kJan2000,
         .days = 7305.0,
         .grid = 20.0,
         .at_least = 20,
         .step = 30.0,
         .model = DirectedModel(kDirectionSolarArc)},
        {.name = "AscendantArcDirections",
         .method = kMethodDirections,
         .direction = kDirectionAscArc,
         .moving = {1, 3, 10, 23},
         .targets = kAllTargets,
         .start = kJan2000,
         .days = 7305.0,
         .grid = 20.0,
         .at_least = 20,
         .step = 30.0,
         .model = DirectedModel(kDirectionAscArc)},
        {.name = "VertexArcDirections",
         .method = kMethodDirections,
         .direction = kDirectionVertexArc,
         .moving = {1, 3, 10, 22},
         .targets = kAllTargets,
         .start = kJan2000,
         .days = 7305.0,
         .grid = 20.0,
         .at_least = 20,
         .step = 30.0,
         .model = DirectedModel(kDirectionVertexArc)},
    };
}

class DynamicExactnessTest : public testing::SessionTest {
protected:
    void SetUp() override {
        CalcRadix();
        set_ = aspects::StandardAspectSet();
    }

    static const astro::ChartSlot& Radix() { return astro::Slot(kRadixSlot); }

    // The radix chart: 14 March 1879, 11:30 at zone -0:40, 48N24 10E00, equal houses, with the
    // extra points in use.
    static void CalcRadix() {
        const astro::ChartRecord record = testing::MakeRecord({.year = 1879,
                                                               .month = 3,
                                                               .day = 14,
                                                               .hour = 11,
                                                               .minute = 30,
                                                               .zone = -0.6667F,
                                                               .latitude = 48.4F,
                                                               .longitude = -10.0F,
                                                               .house_system = 9});
        ASSERT_EQ(astro::CalcChart(record, kRadixSlot, 0, 0, true, true), astro::CalcStatus::kOk);
        ASSERT_EQ(Radix().zodiac_offset, 0.0);
    }

    DynamicSearchRequest Request(double start, double end) const {
        DynamicSearchRequest r;
        r.radix_slot = kRadixSlot;
        r.jd_start_ut = start;
        r.jd_end_ut = end;
        r.aspect_set = set_;
        return r;
    }

    // The enabled longitude aspects: number and angle.
    std::vector<std::pair<int, double>> Aspects() const {
        std::vector<std::pair<int, double>> list;
        for (int k = 1; k <= set_.LongitudeCount(); ++k) {
            if (set_.Aspect(k).enabled) {
                list.emplace_back(k, set_.Aspect(k).angle);
            }
        }
        return list;
    }

    // The longitudes at which an aspect of the angle is exact from a point at `from`.
    static std::vector<double> AspectPoints(double from, double angle) {
        std::vector<double> values{from + angle};
        if (angle > 0.0 && angle < 180.0) {
            values.push_back(from - angle);
        }
        return values;
    }

    // Roots of f within the period (as reported: root plus one second).
    static std::vector<double> RootsInPeriod(const std::function<double(double)>& f, double start,
                                             double end, double grid) {
        std::vector<double> inside;
        for (const double root : Roots(f, start - 1.0, end + 1.0, grid)) {
            if (root + kSecond >= start && root + kSecond <= end) {
                inside.push_back(root);
            }
        }
        return inside;
    }

    // Aspects of moving points to the radix: `position(point, t)` is the moving longitude at
    // the real instant t.
    std::vector<Expected> RadixAspects(const std::vector<int>& moving,
                                       const std::vector<int>& targets, double start, double end,
                                       const Model& position, double grid) const {
        std::vector<Expected> expected;
        for (const int p : moving) {
            for (const int r : targets) {
                const double radix = Radix().longitude[static_cast<std::size_t>(r)];
                for (const auto& [k, angle] : Aspects()) {
                    for (const double v : AspectPoints(radix, angle)) {
                        const auto f = [&](double t) { return astro::Norm180(position(p, t) - v); };
                        for (const double root : RootsInPeriod(f, start, end, grid)) {
                            expected.push_back({p, 'X', k, r, root});
                        }
                    }
                }
            }
        }
        return expected;
    }

    // Aspects between two moving points (a from `moving`, b from `others`, every pair once
    // when the lists are the same): the separation a - b at each aspect angle.
    std::vector<Expected> PairAspects(const std::vector<int>& moving,
                                      const std::vector<int>& others, double start, double end,
                                      const Model& position_a, const Model& position_b) const {
        std::vector<Expected> expected;
        for (std::size_t i = 0; i < moving.size(); ++i) {
            for (std::size_t j = moving == others ? i + 1 : 0; j < others.size(); ++j) {
                const int a = moving[i];
                const int b = others[j];
                for (const auto& [k, angle] : Aspects()) {
                    for (const double v : AspectPoints(0.0, angle)) {
                        const auto f = [&](double t) {
                            return astro::Norm180(position_a(a, t) - position_b(b, t) - v);
                        };
                        for (const double root : RootsInPeriod(f, start, end, 0.25)) {
                            expected.push_back({a, 'X', k, b, root});
                        }
                    }
                }
            }
        }
        return expected;
    }

    // The aspect set with only the parallel and the contraparallel enabled.
    void ParallelsOnly(DynamicSearchRequest& r) const {
        for (int k = 1; k <= r.aspect_set.LongitudeCount(); ++k) {
            r.aspect_set.aspects[static_cast<std::size_t>(k - 1)].enabled = false;
        }
        aspects::BuildActiveAspects(r.aspect_set);
        for (const int k : {r.aspect_set.ParallelNumber(), r.aspect_set.ContraParallelNumber()}) {
            r.aspect_set.aspects[static_cast<std::size_t>(k - 1)].enabled = true;
        }
    }

    // Parallels and contraparallels of the Moon to the radix points: `value(t)` is the Moon's
    // declination or latitude, `radix(point)` the target's.
    std::vector<Expected> MoonParallels(const DynamicSearchRequest& r,
                                        const std::function<double(double)>& value,
                                        const std::function<double(int)>& radix) const {
        std::vector<Expected> expected;
        for (const int target : r.targets) {
            for (const int k :
                 {r.aspect_set.ParallelNumber(), r.aspect_set.ContraParallelNumber()}) {
                const double at =
                    k == r.aspect_set.ParallelNumber() ? radix(target) : -radix(target);
                const auto f = [&](double t) { return value(t) - at; };
                for (const double root : RootsInPeriod(f, r.jd_start_ut, r.jd_end_ut, 0.02)) {
                    expected.push_back({astro::kMoon, 'X', k, target, root});
                }
            }
        }
        return expected;
    }

    // Matches every expected contact with one event and checks that no event is left over.
    static void ExpectSame(const std::vector<Expected>& expected, const DynamicReportClass& table) {
        std::vector<bool> used(static_cast<std::size_t>(table.TranEvents()), false);
        double worst = 0.0;
        for (const Expected& e : expected) {
            bool matched = false;
            for (int n = 1; n <= table.TranEvents(); ++n) {
                const DynamicEvent& ev = table.Event(n);
                if (used[static_cast<std::size_t>(n - 1)] || ev.tran_point != e.point ||
                    ev.symbol != e.symbol || ev.aspect != e.aspect || ev.ra_point != e.target) {
                    continue;
                }
                const double error = std::fabs(ev.jd_ut - (e.root + kSecond));
                if (error < 0.5 * kSecond) {
                    used[static_cast<std::size_t>(n - 1)] = true;
                    matched = true;
                    worst = std::max(worst, error);
                    break;
                }
            }
            EXPECT_TRUE(matched) << "missing: " << Describe(e);
        }
        for (int n = 1; n <= table.TranEvents(); ++n) {
            const DynamicEvent& ev = table.Event(n);
            EXPECT_TRUE(used[static_cast<std::size_t>(n - 1)])
                << "invented: " << ev.tran_point << " " << ev.symbol << " aspect " << ev.aspect
                << " to " << ev.ra_point << " at " << ev.jd_ut;
        }
        EXPECT_EQ(static_cast<std::size_t>(table.TranEvents()), expected.size());
        EXPECT_LT(worst, 0.5 * kSecond);
    }

    aspects::AspectSet set_;
};

class DynamicRadixExactnessTest : public DynamicExactnessTest,
                                  public ::testing::WithParamInterface<RadixCase> {};

TEST_P(DynamicRadixExactnessTest, EveryContactOnceAtItsInstant) {
    const RadixCase& c = GetParam();
    if (c.angle_method != 0) {
        session().settings().SetInt("ProgAngles", c.angle_method);
    }
    DynamicSearchRequest r = Request(c.start, c.start + c.days);
    r.method = c.method;
    r.progression_kind = c.kind;
    r.direction_type = c.direction;
    r.moving = c.moving;
    r.targets = c.targets;
    r.families = DefaultFamilies(c.method);
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    EXPECT_DOUBLE_EQ(result->step_days, c.step);
    const auto expected = RadixAspects(r.moving, r.targets, r.jd_start_ut, r.jd_end_ut,
                                       c.model(Radix(), r.jd_end_ut), c.grid);
    EXPECT_GE(expected.size(), c.at_least);
    ExpectSame(expected, result->table);
    const int family = c.method == kMethodTransits       ? kTypeTransitRadix
                       : c.method == kMethodProgressions ? kTypeProgressedRadix
                                                         : kTypeDirectedRadix;
    for (const DynamicEvent& e : result->table.Events()) {
        EXPECT_EQ(e.type, family);
        if (c.method == kMethodDirections) {
            EXPECT_FALSE(e.tran_retro);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, DynamicRadixExactnessTest, ::testing::ValuesIn(RadixCases()),
                         [](const ::testing::TestParamInfo<RadixCase>& param) {
                             return param.param.name;
                         });

TEST_F(DynamicExactnessTest, StationsAndSignAndHouseIngressesOfAYear) {
    const double start = kJan2024;
    const double end = start + 366.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransits;
    r.moving = {3, 5, 6, 7, 8, 9, 10, 11, 12};
    r.targets = {3};
    r.families.stations = true;
    r.families.sign_ingress = true;
    r.families.house_ingress = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    std::vector<Expected> expected;
    for (const int p : r.moving) {
        // A station is the instant at which the library's longitude speed is 0: the zero of
        // the speed's least-squares line around its change of sign.
        const auto speed = [p](double t) { return Library(t, BodyOf(p))[3]; };
        for (double root : RootsInPeriod(speed, start - 0.5, end + 0.5, 0.25)) {
            root = SpeedZeroByLeastSquares(BodyOf(p), root);
            if (root + kSecond < start || root + kSecond > end) {
                continue;
            }
            expected.push_back(
                {p, Library(root + 1.0, BodyOf(p))[3] < 0.0 ? 'R' : 'D', -1, 0, root});
        }
        std::vector<std::pair<double, char>> cusps;
        for (int s = 0; s < 12; ++s) {
            cusps.emplace_back(30.0 * s, 'S');
        }
        for (int h = 1; h <= 12; ++h) {
            cusps.emplace_back(Radix().cusps[static_cast<std::size_t>(h)], 'H');
        }
        for (const auto& [cusp, symbol] : cusps) {
            const auto f = [p, cusp = cusp](double t) {
                return astro::Norm180(Library(t, BodyOf(p))[0] - cusp);
            };
            for (const double root : RootsInPeriod(f, start, end, 0.25)) {
                expected.push_back({p, symbol, -1, 0, root});
            }
        }
    }
    EXPECT_GT(expected.size(), 30U);
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, ParallelsOfDeclinationOfTheMoon) {
    DynamicSearchRequest r = Request(kJan2024, kJan2024 + 30.0);
    r.method = kMethodTransits;
    r.moving = {1};
    r.targets = {3, 7, 9};
    r.families.parallels_declination = true;
    r.families.transits_radix = true;
    ParallelsOnly(r);
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const auto expected = MoonParallels(
        r, [](double t) { return Declination(t, SE_MOON); },
        [](int p) { return Radix().declination[static_cast<std::size_t>(p)]; });
    EXPECT_GT(expected.size(), 6U);
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, ParallelsOfLatitudeOfTheMoon) {
    DynamicSearchRequest r = Request(kJan2024, kJan2024 + 30.0);
    r.method = kMethodTransits;
    r.moving = {1};
    r.targets = {1, 7};
    r.families.parallels_latitude = true;
    r.families.transits_radix = true;
    ParallelsOnly(r);
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const auto expected = MoonParallels(
        r, [](double t) { return Library(t, SE_MOON)[1]; },
        [](int p) { return Radix().latitude[static_cast<std::size_t>(p)]; });
    EXPECT_GT(expected.size(), 4U);
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, TransitsToTransits) {
    DynamicSearchRequest r = Request(kJan2024, kJan2024 + 120.0);
    r.method = kMethodTransits;
    r.moving = {3, 5, 6, 7};
    r.families.transits_transits = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const Model transits = TransitModel(Radix(), r.jd_end_ut);
    const auto expected =
        PairAspects(r.moving, r.moving, r.jd_start_ut, r.jd_end_ut, transits, transits);
    EXPECT_GT(expected.size(), 10U);
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, TransitsToProgressions) {
    DynamicSearchRequest r = Request(kJan2000, kJan2000 + 365.0);
    r.method = kMethodTransitsToProgressions;
    r.moving = {3, 7};
    r.targets = {1, 3};
    r.families.transits_progressions = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const auto expected =
        PairAspects(r.moving, r.targets, r.jd_start_ut, r.jd_end_ut,
                    TransitModel(Radix(), r.jd_end_ut), ProgressedModel(1)(Radix(), r.jd_end_ut));
    EXPECT_GT(expected.size(), 20U);
    ExpectSame(expected, result->table);
    for (const DynamicEvent& e : result->table.Events()) {
        EXPECT_EQ(e.type, kTypeTransitProgressed);
    }
}

// Extra points 51 and up as targets (a fixed star, a midpoint of two radix points) and as a
// moving point (the midpoint of the transiting Sun and Mars): their places come from the
// library's star function and its planets.
TEST_F(DynamicExactnessTest, ExtraPointsAsTargetsAndMovingPoints) {
    ASSERT_TRUE(astro::UseExtraPoints("star:Aldebaran,midpoint:3/5,midpoint:3/7").ok());
    CalcRadix();
    const double base = Radix().julian_day_ut;
    // The arc midpoint: half-way along the shorter arc from a to b.
    const auto midpoint = [](double a, double b) {
        return astro::Norm360(a + astro::Norm180(b - a) / 2.0);
    };
    std::array<double, 6> star{};
    char star_name[SE_MAX_STNAME] = "Aldebaran";
    char serr[AS_MAXCH] = {0};
    ASSERT_GE(swe_fixstar2_ut(star_name, base, SEFLG_SPEED, star.data(), serr), 0) << serr;
    const std::array<double, 3> target_places{
        star[0], midpoint(Library(base, SE_SUN)[0], Library(base, SE_MERCURY)[0]), 0.0};
    for (int k = 0; k < 2; ++k) {
        EXPECT_NEAR(Radix().longitude[static_cast<std::size_t>(51 + k)],
                    target_places[static_cast<std::size_t>(k)], 1e-7);
    }

    DynamicSearchRequest r = Request(kJan2024, kJan2024 + 60.0);
    r.method = kMethodTransits;
    r.moving = {1, 3, 5, 53};
    r.targets = {3, 51, 52};
    r.families.transits_radix = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const Model transits = TransitModel(Radix(), r.jd_end_ut);
    const Model model = [&](int p, double t) {
        return p == 53 ? midpoint(Library(t, SE_SUN)[0], Library(t, SE_MARS)[0]) : transits(p, t);
    };
    const auto expected =
        RadixAspects(r.moving, r.targets, r.jd_start_ut, r.jd_end_ut, model, 0.05);
    EXPECT_GT(expected.size(), 40U);
    ExpectSame(expected, result->table);
    // Extra points carry their kind's suffix: "s" for a star, "e" for other extra points.
    EXPECT_EQ(DynamicReportHeader(r)[1], "Radix Points: Su Aldes Su/Mee");
}

TEST_F(DynamicExactnessTest, EnteringLeavingAndAlreadyInOrb) {
    const double start = 2460310.5;
    const double end = start + 366.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransits;
    r.moving = {3, 7};
    r.targets = {3, 8};
    r.families.transits_radix = true;
    r.enter_leave = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    std::vector<Expected> expected =
        RadixAspects(r.moving, r.targets, start, end, TransitModel(Radix(), end), 0.25);
    for (const int p : r.moving) {
        for (const int target : r.targets) {
            const bool luminary = p == astro::kSun || target == astro::kSun;
            const double radix = Radix().longitude[static_cast<std::size_t>(target)];
            for (const auto& [k, angle] : Aspects()) {
                const aspects::AspectRecord& asp = set_.Aspect(k);
                const double enter = asp.Orb(luminary ? aspects::OrbGroup::kLuminaryApplying
                                                      : aspects::OrbGroup::kOtherApplying,
                                             aspects::kOrbTransit);
                const double leave = asp.Orb(luminary ? aspects::OrbGroup::kLuminarySeparating
                                                      : aspects::OrbGroup::kOtherSeparating,
                                             aspects::kOrbTransit);
                std::vector<double> centres{radix + angle};
                if (angle > 0.0 && angle < 180.0) {
                    centres.push_back(radix - angle);
                }
                for (const double c : centres) {
                    // Entering: the orb's edge crossed towards the exact point; leaving: away
                    // from it.
                    const std::pair<double, char> edges[] = {
                        {c - enter, 'E'}, {c + enter, 'E'}, {c + leave, 'L'}, {c - leave, 'L'}};
                    for (const auto& [edge, symbol] : edges) {
                        const auto f = [p, edge](double t) {
                            return astro::Norm180(Library(t, BodyOf(p))[0] - edge);
                        };
                        for (const double root : Roots(f, start - 1.0, end + 1.0, 0.25)) {
                            const double speed = Library(root, BodyOf(p))[3];
                            const double towards = astro::Norm180(c - edge) * speed;
                            if ((symbol == 'E') != (towards > 0.0)) {
                                continue;
                            }
                            if (root + kSecond >= start && root + kSecond <= end) {
                                expected.push_back({p, symbol, k, target, root});
                            }
                        }
                    }
                    const std::array<double, 6> now = Library(start, BodyOf(p));
                    const double d = astro::Norm180(now[0] - c);
                    const double orb = d * now[3] < 0.0 ? enter : leave;
                    if (std::fabs(d) <= orb) {
                        expected.push_back({p, 'B', k, target, start - kSecond});
                    }
                }
            }
        }
    }
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, QuickRefinementWithinSeconds) {
    const double start = 2460310.5;
    const double end = start + 31.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransits;
    r.moving = {1, 3};
    r.targets = {3, 7, 22};
    r.families.transits_radix = true;
    const auto exact = RunDynamicSearch(r);
    r.quick = true;
    const auto quick = RunDynamicSearch(r);
    ASSERT_TRUE(exact.ok());
    ASSERT_TRUE(quick.ok());
    ASSERT_EQ(exact->table.TranEvents(), quick->table.TranEvents());
    for (int n = 1; n <= exact->table.TranEvents(); ++n) {
        EXPECT_NEAR(exact->table.Event(n).jd_ut, quick->table.Event(n).jd_ut, 10.0 * kSecond);
    }
}

TEST_F(DynamicExactnessTest, ProgressAndStop) {
    DynamicSearchRequest r = Request(2460310.5, 2460310.5 + 366.0);
    r.moving = {3};
    r.targets = {3};
    r.families.transits_radix = true;
    std::vector<std::string> texts;
    r.progress = [&texts](std::string_view text, int percent) {
        if (!text.empty()) {
            texts.emplace_back(text);
        }
        return percent < 50;
    };
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok());
    ASSERT_TRUE(result->stopped_at_jd_ut.has_value());
    EXPECT_NEAR(*result->stopped_at_jd_ut, 2460310.5 + 183.0, 6.0);
    EXPECT_EQ(result->stopped_text.rfind("Report was stopped at ", 0), 0U);
    ASSERT_GE(texts.size(), 3U);
    EXPECT_EQ(texts[0], "Initialising");
    EXPECT_EQ(texts[1], "Calculating for Test");
    EXPECT_EQ(texts[2], "Sorting report by date...");
}

}  // namespace
}  // namespace meridia::dynamic
