#include "aspects/aspect_find.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace meridia::aspects {
namespace {

constexpr int kMoon = 1;
constexpr int kSun = 3;
constexpr int kMercury = 5;
constexpr int kVenus = 6;
constexpr int kMars = 7;
constexpr int kJupiter = 8;
constexpr int kSaturn = 9;

AspectPoint Pt(int point, double longitude, double speed = 0.0, int chart = 1) {
    AspectPoint p;
    p.chart = chart;
    p.point = point;
    p.longitude = longitude;
    p.speed = speed;
    return p;
}

// Sets every natal orb of aspect k: applying groups to `applying`, separating to `separating`.
void SetNatalOrbs(AspectSet& set, int k, double applying, double separating) {
    auto& orbs = set.aspects[static_cast<std::size_t>(k - 1)].orbs;
    orbs[0][0] = applying;
    orbs[1][0] = applying;
    orbs[2][0] = separating;
    orbs[3][0] = separating;
}

struct Case {
    const char* label;
    AspectPoint a;
    AspectPoint b;
    int aspect;
    double deviation;
    double orb;
    bool applying;
};

void Check(const AspectSet& set, const Case& c, bool same_chart = false) {
    SCOPED_TRACE(c.label);
    const AspectResult r = FindAspect(set, c.a, c.b, kOrbNatal, same_chart);
    EXPECT_EQ(r.aspect, c.aspect);
    if (c.aspect != 0) {
        EXPECT_NEAR(r.deviation, c.deviation, 1e-9);
        EXPECT_NEAR(r.orb, c.orb, 1e-9);
        EXPECT_EQ(r.applying, c.applying);
    }
}

TEST(FindAspect, LuminaryOtherOrbsWithTheStandardSet) {
    const AspectSet set = StandardAspectSet();
    const Case cases[] = {
        // Sun 10 Aries, Mars 19 Aries: B - A = 9, conjunction 0, deviation +9, within the
        // luminary natal orb 9. Relative speed 0.5 - 1 < 0 against deviation > 0: applying.
        {"Sun-Mars conjunction", Pt(kSun, 10, 1.0), Pt(kMars, 19, 0.5), 1, 9, 9, true},
        // Mars 181, Venus 0: B - A = -181 -> 179, not above 180, so separation 179 and the
        // opposition's deviation is 179 - 180 = -1. Relative speed 1.2 - 0.5 > 0 against
        // deviation < 0: applying.
        {"181 apart, later point first", Pt(kMars, 181, 0.5), Pt(kVenus, 0, 1.2), 2, -1, 9, true},
        // The same pair the other way round: B - A = 181 > 180, separation 360 - 181 = 179,
        // deviation -1 reversed to +1; relative speed 0.5 - 1.2 < 0: applying.
        {"181 apart, earlier point first", Pt(kVenus, 0, 1.2), Pt(kMars, 181, 0.5), 2, 1, 9, true},
        // 52 apart, minor aspects disabled: sextile 60 needs 8 <= 4, semisquare 45 needs
        // 7 <= 2: nothing (the septile 51.4286 is disabled).
        {"52 with the septile disabled", Pt(kVenus, 0), Pt(kMars, 52), 0, 0, 0, false},
        // Venus 100, Jupiter 157: 57, sextile deviation -3 within the other orb 4; both
        // still: relative speed 0 against deviation -3 differ in sign: applying.
        {"sextile, still points", Pt(kVenus, 100), Pt(kJupiter, 157), 5, -3, 4, true},
        // Across 0 Aries: Mercury 350, Mars 25: B - A = -325 -> 35, semisquare 45 needs
        // 10 <= 2, semisextile 30 gives deviation +5 > 1.5: nothing.
        {"across Aries 0, outside", Pt(kMercury, 350), Pt(kMars, 25), 0, 0, 0, false},
        // Mercury 350, Mars 21: 31 apart, semisextile deviation +1 within 1.5; relative
        // speed 0.6 - 1.5 < 0: applying.
        {"across Aries 0, semisextile", Pt(kMercury, 350, 1.5), Pt(kMars, 21, 0.6), 8, 1, 1.5,
         true},
        // Moon 200, Saturn 79.5: B - A = -120.5 -> 239.5 > 180, separation 120.5, trine
        // deviation +0.5 reversed to -0.5. Relative speed 0.1 - 13 < 0, same sign as -0.5:
        // separating, orb 9 (luminary).
        {"trine, separating", Pt(kMoon, 200, 13.0), Pt(kSaturn, 79.5, 0.1), 3, -0.5, 9, false},
    };
    for (const Case& c : cases) {
        Check(set, c);
    }
}

TEST(FindAspect, EnabledSeptileIsFoundAtItsStoredAngle) {
    AspectSet set = StandardAspectSet();
    set.aspects[13].enabled = true;  // Septile, stored angle 51.4286
    BuildActiveAspects(set);
    // 52 - 51.4286 = 0.5714 within 1.5.
    Check(set, {"septile", Pt(kVenus, 0), Pt(kMars, 52), 14, 0.5714, 1.5, true});
}

TEST(FindAspect, LuminaryAndOtherGroupsAndTheUnidirectionalRule) {
    AspectSet set = StandardAspectSet();
    auto& orbs = set.aspects[0].orbs;  // conjunction: luminary groups 10, other groups 5
    orbs[0][0] = orbs[2][0] = 10;
    orbs[1][0] = orbs[3][0] = 5;
    BuildActiveAspects(set);
    // 8 apart: within the luminary orb 10 but not the other orb 5.
    Check(set, {"Sun first", Pt(kSun, 0), Pt(kMars, 8), 1, 8, 10, true});
    Check(set, {"Sun second", Pt(kMars, 0), Pt(kSun, 8), 1, 8, 10, true});
    Check(set, {"no luminary", Pt(kVenus, 0), Pt(kMars, 8), 0, 0, 0, false});
    set.header.unidirectional = true;
    // Only point B decides the group.
    Check(set, {"unidirectional, Sun is A", Pt(kSun, 0), Pt(kMars, 8), 0, 0, 0, false});
    Check(set, {"unidirectional, Sun is B", Pt(kMars, 0), Pt(kSun, 8), 1, 8, 10, true});
    // Orb method 4 behaves as method 0.
    set.header.orb_method = 4;
    Check(set, {"method 4", Pt(kMars, 0), Pt(kSun, 8), 1, 8, 10, true});
}

TEST(FindAspect, PlanetOrbRatiosMoietiesAndUnidirectional) {
    AspectSet set = StandardAspectSet();
    set.header.orb_method = kOrbPlanetRatios;
    set.ratios[kSun] = 1.0F;
    set.ratios[kMars] = 0.5F;
    set.ratios[kMoon] = 0.75F;
    set.ratios[kSaturn] = 0.5F;
    set.header.moieties = true;
    BuildActiveAspects(set);
    // Moieties: (1.0 + 0.5) / 2 = 0.75; conjunction 9 x 0.75 = 6.75.
    Check(set, {"moieties inside", Pt(kSun, 10), Pt(kMars, 16.7), 1, 6.7, 6.75, true});
    Check(set, {"moieties outside", Pt(kSun, 10), Pt(kMars, 16.8), 0, 0, 0, false});

    set.header.moieties = false;
    // Larger ratio: max(0.75, 0.5) = 0.75, orb 6.75; 6 apart is inside either way round.
    Check(set, {"larger ratio", Pt(kMoon, 0), Pt(kSaturn, 6), 1, 6, 6.75, true});
    Check(set, {"larger ratio, swapped", Pt(kSaturn, 0), Pt(kMoon, 6), 1, 6, 6.75, true});
    set.header.unidirectional = true;
    // Unidirectional: A = Moon (1) is not greater than B = Saturn (9): B's ratio 0.5, orb
    // 4.5, and 6 apart is outside. A = Saturn, B = Moon: A's number is greater: A's ratio
    // 0.5 again.
    Check(set, {"unidirectional", Pt(kMoon, 0), Pt(kSaturn, 6), 0, 0, 0, false});
    Check(set, {"unidirectional, swapped", Pt(kSaturn, 0), Pt(kMoon, 6), 0, 0, 0, false});
    Check(set, {"unidirectional, inside", Pt(kMoon, 0), Pt(kSaturn, 4.4), 1, 4.4, 4.5, true});
    // A point above 100 has no ratio and counts with ratio 1: max is not used here; A = 120
    // is greater than B = 9, so A's ratio 1 gives orb 9.
    Check(set, {"no ratio", Pt(120, 0), Pt(kSaturn, 8), 1, 8, 9, true});
}

TEST(FindAspect, ApplyingAndSeparatingOrbs) {
    AspectSet set = StandardAspectSet();
    SetNatalOrbs(set, 1, 8, 3);
    BuildActiveAspects(set);
    // Venus 0 (1.2/day), Mars 5 (0.5/day): deviation +5, relative speed -0.7: applying,
    // 5 <= 8.
    Check(set, {"applying", Pt(kVenus, 0, 1.2), Pt(kMars, 5, 0.5), 1, 5, 8, true});
    // Speeds swapped: relative speed +0.7 with deviation +5: separating, 5 > 3: none.
    Check(set, {"separating too wide", Pt(kVenus, 0, 0.5), Pt(kMars, 5, 1.2), 0, 0, 0, false});
    Check(set, {"separating", Pt(kVenus, 0, 0.5), Pt(kMars, 2.5, 1.2), 1, 2.5, 3, false});
    // Venus 10 (1.2/day) ahead of Mars 5 (0.5/day): B - A = -5 -> 355, separation 5,
    // deviation reversed to -5; relative speed -0.7 has the deviation's sign: separating.
    Check(set, {"separating, reversed", Pt(kVenus, 10, 1.2), Pt(kMars, 5, 0.5), 0, 0, 0, false});
    Check(set,
          {"separating, reversed, inside", Pt(kVenus, 7, 1.2), Pt(kMars, 5, 0.5), 1, -2, 3, false});
}

TEST(FindAspect, AspectsBySign) {
    // All points stand still here: a zero relative speed has a sign (0) of its own, so
    // every aspect with a non-zero deviation counts as applying.
    AspectSet set = StandardAspectSet();
    set.header.orb_method = kOrbBySign;
    BuildActiveAspects(set);
    const Case cases[] = {
        // 29 Aries (sign 0) and 1 Gemini (61, sign 2): d = 2 -> "05", sextile, although
        // 32 apart; deviation 32 - 60 = -28; orb 30.
        {"sextile by sign", Pt(kVenus, 29), Pt(kMars, 61), 5, -28, 30, true},
        // The other way round: B - A = -32 -> 328 > 180: deviation reversed to +28.
        {"sextile by sign, reversed", Pt(kMars, 61), Pt(kVenus, 29), 5, 28, 30, true},
        // 5 Aries (0) and 10 Pisces (340, sign 11): d = 11 -> 12 - 11 = 1 -> "08",
        // semisextile; B - A = 335 > 180, separation 25, deviation 25 - 30 = -5 reversed
        // to +5.
        {"semisextile across Aries 0", Pt(kVenus, 5), Pt(kMars, 340), 8, 5, 30, true},
        {"conjunction, same sign", Pt(kVenus, 1), Pt(kMars, 29), 1, 28, 30, true},
        // 10 Aries and 20 Libra (200, sign 6): d = 6 -> "02" opposition, 190 -> 170,
        // deviation -10 reversed to +10.
        {"opposition", Pt(kVenus, 10), Pt(kMars, 200), 2, 10, 30, true},
        // 0 Aries and 5 Virgo (155, sign 5): d = 5 -> "09" quincunx, deviation +5.
        {"quincunx", Pt(kVenus, 0), Pt(kMars, 155), 9, 5, 30, true},
        // Signs 0 and 4 (125): "03" trine, deviation +5; signs 0 and 3 (95): "04" square.
        {"trine", Pt(kVenus, 0), Pt(kMars, 125), 3, 5, 30, true},
        {"square", Pt(kVenus, 0), Pt(kMars, 95), 4, 5, 30, true},
    };
    for (const Case& c : cases) {
        Check(set, c);
    }
    set.aspects[8].enabled = false;  // quincunx disabled: dropped
    BuildActiveAspects(set);
    Check(set, {"disabled quincunx", Pt(kVenus, 0), Pt(kMars, 155), 0, 0, 0, false});
}

TEST(FindAspect, ThreeDimensionalSeparation) {
    AspectSet set = StandardAspectSet();
    set.header.three_d = true;
    BuildActiveAspects(set);
    AspectPoint a = Pt(kVenus, 100);
    AspectPoint b = Pt(kMars, 103);
    b.latitude = 4.0;
    // Spherical law of cosines: cos d = cos(3) cos(4) with both on one meridian frame.
    const double rad = std::numbers::pi / 180.0;
    const double d = std::acos(std::cos(3 * rad) * std::cos(4 * rad)) / rad;
    AspectResult r = FindAspect(set, a, b, kOrbNatal, false);
    EXPECT_EQ(r.aspect, 1);
    EXPECT_NEAR(r.deviation, d, 1e-9);
    EXPECT_FALSE(r.applying);  // both still: the separation an hour later is the same

    // Same longitude, latitudes 0 and 5: 5 apart (0 in longitude only). Mars' latitude falls
    // by 1 a day: an hour later 4.9583 apart: applying.
    b = Pt(kMars, 100);
    b.latitude = 5.0;
    b.latitude_speed = -1.0;
    r = FindAspect(set, a, b, kOrbNatal, false);
    EXPECT_EQ(r.aspect, 1);
    EXPECT_NEAR(r.deviation, 5.0, 1e-9);
    EXPECT_TRUE(r.applying);
    EXPECT_DOUBLE_EQ(TrueSeparation(10, 0, 250, 0), 120.0);
    EXPECT_DOUBLE_EQ(TrueSeparation(0, 90, 123, -90), 180.0);
}

TEST(FindAspect, PartileModes) {
    const AspectSet set = StandardAspectSet();
    const PartileRule same_degree{PartileRule::Mode::kSameDegree, 1.0};
    const PartileRule within_orb{PartileRule::Mode::kWithinOrb, 0.5};
    // 10.5 Aries and 10.2 Leo (130.2): trine, both in degree 10 of their signs.
    EXPECT_TRUE(FindAspect(set, Pt(kVenus, 10.5), Pt(kMars, 130.2), 1, false, same_degree).partile);
    // 10.9 and 11.1: 0.2 apart but in degrees 10 and 11.
    EXPECT_FALSE(FindAspect(set, Pt(kVenus, 10.9), Pt(kMars, 11.1), 1, false, same_degree).partile);
    EXPECT_TRUE(FindAspect(set, Pt(kVenus, 10.9), Pt(kMars, 11.1), 1, false, within_orb).partile);
    // 0.6 apart: outside the partile orb 0.5.
    EXPECT_FALSE(FindAspect(set, Pt(kVenus, 10.1), Pt(kMars, 10.7), 1, false, within_orb).partile);
}

TEST(FindAspect, PairsOfOneChartThatAreNeverAspected) {
    const AspectSet set = StandardAspectSet();
    struct Pair {
        int a;
        int b;
        double lon_a;
        double lon_b;
    };
    const Pair never[] = {
        {22, 39, 15, 195},   // Ascendant, Descendant
        {23, 40, 280, 100},  // Midheaven, Imum Coeli
        {24, 41, 33, 213},   // Vertex, Anti-Vertex
        {25, 42, 5, 185},    // Equatorial Ascendant and Descendant
        {20, 21, 70, 250},   // the nodes
        {37, 38, 12, 192},   // Co-Ascendant, Polar Ascendant
        {38, 44, 192, 12},   // Polar Ascendant, Polar Descendant
        {45, 46, 0, 180},    // Aries and Libra points
        {45, 47, 0, 29},     // Aries Point, Vernal Point (sidereal offset)
        {2, 3, 100, 280},    // Earth and Sun
        {kVenus, kVenus, 50, 50},
    };
    for (const Pair& p : never) {
        SCOPED_TRACE(p.a);
        EXPECT_EQ(FindAspect(set, Pt(p.a, p.lon_a), Pt(p.b, p.lon_b), 1, true).aspect, 0);
        EXPECT_EQ(FindAspect(set, Pt(p.b, p.lon_b), Pt(p.a, p.lon_a), 1, true).aspect, 0);
        // Between two charts they are ordinary points.
        EXPECT_NE(FindAspect(set, Pt(p.a, p.lon_a), Pt(p.b, p.lon_b, 0, 2), 1, false).aspect, 0);
    }
    // Point 0 is never aspected, and the Ascendant and the Midheaven are.
    EXPECT_EQ(FindAspect(set, Pt(0, 10), Pt(kMars, 10), 1, false).aspect, 0);
    EXPECT_EQ(FindAspect(set, Pt(22, 10), Pt(23, 100), 1, true).aspect, 4);
    // A point whose calculation failed (-1) has no aspects.
    EXPECT_EQ(FindAspect(set, Pt(kVenus, -1), Pt(kMars, 0), 1, false).aspect, 0);
}

AspectPoint Decl(int point, double declination, double rate = 0.0) {
    AspectPoint p = Pt(point, 0);
    p.declination = declination;
    p.declination_speed = rate;
    return p;
}

TEST(FindParallel, ParallelAndContraParallel) {
    AspectSet set = StandardAspectSet();
    // +20 and -20.5: signs differ, | 20 - 20.5 | = 0.5 within orb 1: contraparallel (26).
    AspectResult r = FindParallel(set, Decl(kVenus, 20), Decl(kMars, -20.5),
                                  ParallelBasis::kDeclination, kOrbNatal);
    EXPECT_EQ(r.aspect, 26);
    EXPECT_NEAR(r.deviation, 0.5, 1e-12);
    EXPECT_EQ(r.orb, 1.0);
    // +20 and +20.4: parallel (25), deviation 0.4.
    r = FindParallel(set, Decl(kVenus, 20), Decl(kMars, 20.4), ParallelBasis::kDeclination, 1);
    EXPECT_EQ(r.aspect, 25);
    EXPECT_NEAR(r.deviation, 0.4, 1e-12);
    // +20 and +21.5: 1.5 is outside 1.
    EXPECT_EQ(FindParallel(set, Decl(kVenus, 20), Decl(kMars, 21.5), ParallelBasis::kDeclination, 1)
                  .aspect,
              0);
    // By latitude: latitudes -2 and -2.3 form a parallel whatever the declinations.
    AspectPoint a = Decl(kVenus, 5);
    AspectPoint b = Decl(kMars, -15);
    a.latitude = -2.0;
    b.latitude = -2.3;
    r = FindParallel(set, a, b, ParallelBasis::kLatitude, 1);
    EXPECT_EQ(r.aspect, 25);
    EXPECT_NEAR(r.deviation, 0.3, 1e-12);
    // Disabled contraparallel: nothing.
    set.aspects[25].enabled = false;
    EXPECT_EQ(
        FindParallel(set, Decl(kVenus, 20), Decl(kMars, -20.5), ParallelBasis::kDeclination, 1)
            .aspect,
        0);
}

TEST(FindParallel, ApplyingAndUnidirectionalGroup) {
    AspectSet set = StandardAspectSet();
    // Mars' declination 20.5 falls by 0.5 a day towards Venus' 20: the difference shrinks,
    // applying.
    AspectResult r = FindParallel(set, Decl(kVenus, 20), Decl(kMars, 20.5, -0.5),
                                  ParallelBasis::kDeclination, 1);
    EXPECT_TRUE(r.applying);
    r = FindParallel(set, Decl(kVenus, 20), Decl(kMars, 20.5, 0.5), ParallelBasis::kDeclination, 1);
    EXPECT_FALSE(r.applying);

    auto& orbs = set.aspects[24].orbs;  // parallel: luminary 2, other 1
    orbs[0][0] = orbs[2][0] = 2;
    orbs[1][0] = orbs[3][0] = 1;
    // 1.5 apart: within the luminary orb only.
    EXPECT_EQ(
        FindParallel(set, Decl(kSun, 10), Decl(kMars, 11.5), ParallelBasis::kDeclination, 1).aspect,
        25);
    EXPECT_EQ(
        FindParallel(set, Decl(kMars, 10), Decl(kSun, 11.5), ParallelBasis::kDeclination, 1).aspect,
        25);
    set.header.unidirectional = true;  // only point A decides the group for parallels
    EXPECT_EQ(
        FindParallel(set, Decl(kSun, 10), Decl(kMars, 11.5), ParallelBasis::kDeclination, 1).aspect,
        25);
    EXPECT_EQ(
        FindParallel(set, Decl(kMars, 10), Decl(kSun, 11.5), ParallelBasis::kDeclination, 1).aspect,
        0);
}

TEST(FindParallel, FastAnglesMinutesFromExactAreApplying) {
    // The angles' declinations move tens of degrees a day. A difference of a few hundredths of
    // a degree closing at that rate is exact within a minute: applying, even though an hour
    // later the angle has long gone past.
    const AspectSet set = StandardAspectSet();
    struct Closing {
        int point_a;
        double decl_a, rate_a;
        int point_b;
        double decl_b, rate_b;
        bool applying;
    };
    const Closing cases[] = {
        // |Asc| grows by 39.88 a day towards |Jupiter| 0.015 away.
        {22, -22.4083, -39.88, kJupiter, -22.4233, -0.008, true},
        // Anti-Vertex falls by 69.34 a day towards Uranus 0.058 below it.
        {10, 17.9494, -0.0001, 41, 18.0075, -69.34, true},
        {10, 17.9494, -0.0001, 41, 18.0075, 69.34, false},
        // A contraparallel: |-8.3666| grows by 143.8 a day towards 8.4958.
        {27, 8.4958, -0.01, 23, -8.3666, -143.8, true},
    };
    for (const Closing& c : cases) {
        SCOPED_TRACE(c.point_b);
        const AspectResult r =
            FindParallel(set, Decl(c.point_a, c.decl_a, c.rate_a),
                         Decl(c.point_b, c.decl_b, c.rate_b), ParallelBasis::kDeclination, 1);
        ASSERT_NE(r.aspect, 0);
        EXPECT_EQ(r.applying, c.applying);
    }
}

TEST(DeclinationSpeed, MatchesAFiniteDifferenceOfTheConversion) {
    // sin(decl) = sin(lat) cos(eps) + cos(lat) sin(eps) sin(lon): the rate is checked against
    // a central difference of that conversion over one minute.
    const double rad = std::numbers::pi / 180.0;
    const double eps = 23.44;
    auto decl = [&](double lon, double lat) {
        return std::asin(std::sin(lat * rad) * std::cos(eps * rad) +
                         std::cos(lat * rad) * std::sin(eps * rad) * std::sin(lon * rad)) /
               rad;
    };
    const double lon = 40, lat = 1.5, speed = 1.1, lat_speed = -0.05;
    const double h = 1.0 / 1440.0;
    const double expected =
        (decl(lon + speed * h, lat + lat_speed * h) - decl(lon - speed * h, lat - lat_speed * h)) /
        (2 * h);
    EXPECT_NEAR(DeclinationSpeed(lon, lat, speed, lat_speed, eps), expected, 1e-6);
}

TEST(NextAspectAngle, WalksTheEnabledAnglesRoundTheCircle) {
    const AspectSet set = StandardAspectSet();
    // Enabled angles 0 30 45 60 90 120 135 150 180, then 360 minus each: 210 225 240 270
    // 300 315 330 360.
    struct Step {
        double from;
        int aspect;
        double angle;
    };
    const Step steps[] = {{0, 1, 0},     {0.1, 8, 30},    {50, 5, 60},   {60, 5, 60},
                          {179, 2, 180}, {180, 2, 180},   {181, 9, 210}, {226, 3, 240},
                          {331, 1, 360}, {359.9, 1, 360}, {-10, 1, 360}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.from);
        const NextAspect next = NextAspectAngle(set, s.from);
        EXPECT_EQ(next.aspect, s.aspect);
        EXPECT_DOUBLE_EQ(next.angle, s.angle);
    }
    AspectSet none = StandardAspectSet();
    for (auto& a : none.aspects) {
        a.enabled = false;
    }
    BuildActiveAspects(none);
    EXPECT_EQ(NextAspectAngle(none, 10).aspect, 0);
}

}  // namespace
}  // namespace meridia::aspects
