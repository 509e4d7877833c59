// The dynamic search against an independent search done with the ephemeris library directly:
// every contact is bracketed on a fine grid of its own and solved by bisection on the library's
// positions; the search must report each one once, none more, each at the true instant plus one
// second to within half a second.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "aspects/aspect_set.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "dynamic/dynamic_engine.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::dynamic {
namespace {

constexpr double kSecond = 1.0 / 86400.0;
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

// The library's speed is noisy near a station (about 1e-8 degrees a day, seconds of time for
// the slow planets); its longitude is smooth. The station is the vertex of the least-squares
// parabola through 41 longitudes over half an hour around the zero of the speed.
double StationByLeastSquares(int body, double near) {
    constexpr int kSamples = 41;
    constexpr double kSpan = 0.01;  // days on each side
    double s0 = 0.0;
    double s1 = 0.0;
    double s2 = 0.0;
    double s3 = 0.0;
    double s4 = 0.0;
    double y0 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
    const double reference = Library(near, body)[0];
    for (int i = 0; i < kSamples; ++i) {
        const double x = -kSpan + 2.0 * kSpan * i / (kSamples - 1);
        const double y = astro::Norm180(Library(near + x, body)[0] - reference) * 1e6;
        s0 += 1.0;
        s1 += x;
        s2 += x * x;
        s3 += x * x * x;
        s4 += x * x * x * x;
        y0 += y;
        y1 += x * y;
        y2 += x * x * y;
    }
    // Normal equations of y = c0 + c1 x + c2 x^2 by Cramer's rule.
    const auto det3 = [](double a, double b, double c, double d, double e, double f, double g,
                         double h, double k) {
        return a * (e * k - f * h) - b * (d * k - f * g) + c * (d * h - e * g);
    };
    const double det = det3(s0, s1, s2, s1, s2, s3, s2, s3, s4);
    const double c1 = det3(s0, y0, s2, s1, y1, s3, s2, y2, s4) / det;
    const double c2 = det3(s0, s1, y0, s1, s2, y1, s2, s3, y2) / det;
    return near - c1 / (2.0 * c2);
}

class DynamicExactnessTest : public testing::SessionTest {
protected:
    void SetUp() override {
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
        set_ = aspects::StandardAspectSet();
    }

    const astro::ChartSlot& Radix() const { return astro::Slot(kRadixSlot); }

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

    // Aspects of moving points to the radix: `position(point, t)` is the moving longitude at
    // the real instant t.
    std::vector<Expected> RadixAspects(const std::vector<int>& moving,
                                       const std::vector<int>& targets, double start, double end,
                                       const std::function<double(int, double)>& position,
                                       const std::function<double(int)>& grid) const {
        std::vector<Expected> expected;
        for (const int p : moving) {
            for (const int r : targets) {
                const double radix = Radix().longitude[static_cast<std::size_t>(r)];
                for (const auto& [k, angle] : Aspects()) {
                    std::vector<double> values{radix + angle};
                    if (angle > 0.0 && angle < 180.0) {
                        values.push_back(radix - angle);
                    }
                    for (const double v : values) {
                        const auto f = [&](double t) { return astro::Norm180(position(p, t) - v); };
                        for (const double root : Roots(f, start - 1.0, end + 1.0, grid(p))) {
                            if (root + kSecond >= start && root + kSecond <= end) {
                                expected.push_back({p, 'X', k, r, root});
                            }
                        }
                    }
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

TEST_F(DynamicExactnessTest, TransitsToRadixIncludingTheMoon) {
    const double start = 2460310.5;  // 1 January 2024, 0h UT
    const double end = start + 31.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransits;
    r.moving = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12};
    r.targets = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23};
    r.families.transits_radix = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const auto expected = RadixAspects(
        r.moving, r.targets, start, end, [](int p, double t) { return Library(t, BodyOf(p))[0]; },
        [](int p) { return p == astro::kMoon ? 0.02 : 0.1; });
    EXPECT_GT(expected.size(), 150U);
    ExpectSame(expected, result->table);
    EXPECT_EQ(result->step_days, 0.5);
}

TEST_F(DynamicExactnessTest, SecondaryProgressionsToRadixInRealTime) {
    const double start = 2451544.5;  // 1 January 2000
    const double end = start + 10.0 * 365.25;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodProgressions;
    r.progression_kind = kKindSecondary;
    r.moving = {1, 3, 5, 6, 7};
    r.targets = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23};
    r.families.progressions_radix = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const double base = Radix().julian_day_ut;
    const auto expected = RadixAspects(
        r.moving, r.targets, start, end,
        [base](int p, double t) { return Library(base + (t - base) / 365.24219907, BodyOf(p))[0]; },
        [](int) { return 5.0; });
    EXPECT_GT(expected.size(), 20U);
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, StationsAndSignAndHouseIngressesOfAYear) {
    const double start = 2460310.5;
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
        const auto speed = [p](double t) { return Library(t, BodyOf(p))[3]; };
        for (double root : Roots(speed, start - 1.0, end + 1.0, 0.25)) {
            root = StationByLeastSquares(BodyOf(p), root);
            if (root + kSecond >= start && root + kSecond <= end) {
                expected.push_back(
                    {p, Library(root + 1.0, BodyOf(p))[3] < 0.0 ? 'R' : 'D', -1, 0, root});
            }
        }
        for (int s = 0; s < 12; ++s) {
            const auto f = [p, s](double t) {
                return astro::Norm180(Library(t, BodyOf(p))[0] - 30.0 * s);
            };
            for (const double root : Roots(f, start - 1.0, end + 1.0, 0.25)) {
                if (root + kSecond >= start && root + kSecond <= end) {
                    expected.push_back({p, 'S', -1, 0, root});
                }
            }
        }
        for (int h = 1; h <= 12; ++h) {
            const double cusp = Radix().cusps[static_cast<std::size_t>(h)];
            const auto f = [p, cusp](double t) {
                return astro::Norm180(Library(t, BodyOf(p))[0] - cusp);
            };
            for (const double root : Roots(f, start - 1.0, end + 1.0, 0.25)) {
                if (root + kSecond >= start && root + kSecond <= end) {
                    expected.push_back({p, 'H', -1, 0, root});
                }
            }
        }
    }
    EXPECT_GT(expected.size(), 30U);
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, ParallelsOfDeclinationOfTheMoon) {
    const double start = 2460310.5;
    const double end = start + 30.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransits;
    r.moving = {1};
    r.targets = {3, 7, 9};
    r.families.parallels_declination = true;
    r.families.transits_radix = true;
    // Only parallels: no longitude aspect is enabled.
    for (int k = 1; k <= r.aspect_set.LongitudeCount(); ++k) {
        r.aspect_set.aspects[static_cast<std::size_t>(k - 1)].enabled = false;
    }
    aspects::BuildActiveAspects(r.aspect_set);
    r.aspect_set.aspects[static_cast<std::size_t>(r.aspect_set.ParallelNumber() - 1)].enabled =
        true;
    r.aspect_set.aspects[static_cast<std::size_t>(r.aspect_set.ContraParallelNumber() - 1)]
        .enabled = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    std::vector<Expected> expected;
    for (const int target : r.targets) {
        const double dec = Radix().declination[static_cast<std::size_t>(target)];
        for (const int k : {r.aspect_set.ParallelNumber(), r.aspect_set.ContraParallelNumber()}) {
            const double value = k == r.aspect_set.ParallelNumber() ? dec : -dec;
            const auto f = [value](double t) { return Declination(t, SE_MOON) - value; };
            for (const double root : Roots(f, start - 1.0, end + 1.0, 0.02)) {
                if (root + kSecond >= start && root + kSecond <= end) {
                    expected.push_back({1, 'X', k, target, root});
                }
            }
        }
    }
    EXPECT_GT(expected.size(), 6U);
    ExpectSame(expected, result->table);
}

TEST_F(DynamicExactnessTest, TransitsToTransits) {
    const double start = 2460310.5;
    const double end = start + 120.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransits;
    r.moving = {3, 5, 6, 7};
    r.families.transits_transits = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    std::vector<Expected> expected;
    for (std::size_t i = 0; i < r.moving.size(); ++i) {
        for (std::size_t j = i + 1; j < r.moving.size(); ++j) {
            const int a = r.moving[i];
            const int b = r.moving[j];
            for (const auto& [k, angle] : Aspects()) {
                std::vector<double> values{angle};
                if (angle > 0.0 && angle < 180.0) {
                    values.push_back(360.0 - angle);
                }
                for (const double v : values) {
                    const auto f = [a, b, v](double t) {
                        return astro::Norm180(Library(t, BodyOf(a))[0] - Library(t, BodyOf(b))[0] -
                                              v);
                    };
                    for (const double root : Roots(f, start - 1.0, end + 1.0, 0.25)) {
                        if (root + kSecond >= start && root + kSecond <= end) {
                            expected.push_back({a, 'X', k, b, root});
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(expected.size(), 10U);
    ExpectSame(expected, result->table);
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
    std::vector<Expected> expected = RadixAspects(
        r.moving, r.targets, start, end, [](int p, double t) { return Library(t, BodyOf(p))[0]; },
        [](int) { return 0.25; });
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

TEST_F(DynamicExactnessTest, SolarArcDirectionsToRadix) {
    const double start = 2451544.5;  // 1 January 2000
    const double end = start + 20.0 * 365.25;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodDirections;
    r.direction_type = kDirectionSolarArc;
    r.moving = {1, 3, 10, 23};
    r.targets = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23};
    r.families.directions_radix = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    EXPECT_EQ(result->step_days, 30.0);
    const double base = Radix().julian_day_ut;
    const double natal_sun = Radix().longitude[astro::kSun];
    const auto expected = RadixAspects(
        r.moving, r.targets, start, end,
        [&](int p, double t) {
            const double sun = Library(base + (t - base) / 365.24219907, SE_SUN)[0];
            return Radix().longitude[static_cast<std::size_t>(p)] + astro::Norm180(sun - natal_sun);
        },
        [](int) { return 20.0; });
    EXPECT_GT(expected.size(), 20U);
    ExpectSame(expected, result->table);
    for (const DynamicEvent& e : result->table.Events()) {
        EXPECT_EQ(e.type, kTypeDirectedRadix);
        EXPECT_FALSE(e.tran_retro);
    }
}

TEST_F(DynamicExactnessTest, TransitsToProgressions) {
    const double start = 2451544.5;
    const double end = start + 365.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransitsToProgressions;
    r.moving = {3, 7};
    r.targets = {1, 3};
    r.families.transits_progressions = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    const double base = Radix().julian_day_ut;
    std::vector<Expected> expected;
    for (const int a : r.moving) {
        for (const int b : r.targets) {
            for (const auto& [k, angle] : Aspects()) {
                std::vector<double> values{angle};
                if (angle > 0.0 && angle < 180.0) {
                    values.push_back(360.0 - angle);
                }
                for (const double v : values) {
                    const auto f = [a, b, v, base](double t) {
                        const double progressed =
                            Library(base + (t - base) / 365.24219907, BodyOf(b))[0];
                        return astro::Norm180(Library(t, BodyOf(a))[0] - progressed - v);
                    };
                    for (const double root : Roots(f, start - 1.0, end + 1.0, 0.25)) {
                        if (root + kSecond >= start && root + kSecond <= end) {
                            expected.push_back({a, 'X', k, b, root});
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(expected.size(), 20U);
    ExpectSame(expected, result->table);
    for (const DynamicEvent& e : result->table.Events()) {
        EXPECT_EQ(e.type, kTypeTransitProgressed);
    }
}

TEST_F(DynamicExactnessTest, ParallelsOfLatitudeOfTheMoon) {
    const double start = 2460310.5;
    const double end = start + 30.0;
    DynamicSearchRequest r = Request(start, end);
    r.method = kMethodTransits;
    r.moving = {1};
    r.targets = {1, 7};
    r.families.parallels_latitude = true;
    r.families.transits_radix = true;
    for (int k = 1; k <= r.aspect_set.LongitudeCount(); ++k) {
        r.aspect_set.aspects[static_cast<std::size_t>(k - 1)].enabled = false;
    }
    aspects::BuildActiveAspects(r.aspect_set);
    r.aspect_set.aspects[static_cast<std::size_t>(r.aspect_set.ParallelNumber() - 1)].enabled =
        true;
    r.aspect_set.aspects[static_cast<std::size_t>(r.aspect_set.ContraParallelNumber() - 1)]
        .enabled = true;
    const auto result = RunDynamicSearch(r);
    ASSERT_TRUE(result.ok()) << result.status().message();
    std::vector<Expected> expected;
    for (const int target : r.targets) {
        const double lat = Radix().latitude[static_cast<std::size_t>(target)];
        for (const int k : {r.aspect_set.ParallelNumber(), r.aspect_set.ContraParallelNumber()}) {
            const double value = k == r.aspect_set.ParallelNumber() ? lat : -lat;
            const auto f = [value](double t) { return Library(t, SE_MOON)[1] - value; };
            for (const double root : Roots(f, start - 1.0, end + 1.0, 0.02)) {
                if (root + kSecond >= start && root + kSecond <= end) {
                    expected.push_back({1, 'X', k, target, root});
                }
            }
        }
    }
    EXPECT_GT(expected.size(), 4U);
    ExpectSame(expected, result->table);
}

}  // namespace
}  // namespace meridia::dynamic
