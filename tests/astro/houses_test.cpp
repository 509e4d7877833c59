// House systems: the cusps of the systems the Swiss Ephemeris also computes are checked against
// its own house function fed the same RAMC, latitude and obliquity; the equal systems against
// their closed forms; flags, polar fallback, messages and signs against the rules of the
// system.
#include "astro/houses.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/test_session.h"

namespace meridia::astro {
namespace {

constexpr double kArcsec = 1.0 / 3600.0;

// Smallest angular distance between two longitudes, degrees.
double AngularDistance(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

struct Oracle {
    std::array<double, 13> cusps{};
    double asc = 0.0;
    double mc = 0.0;
};

Oracle SwissHouses(double ramc, double latitude, double obliquity, int letter) {
    Oracle o;
    double ascmc[10] = {};
    swe_houses_armc(ramc, latitude, obliquity, letter, o.cusps.data(), ascmc);
    o.asc = ascmc[0];
    o.mc = ascmc[1];
    return o;
}

// Input for the quadrant systems: the angles from the library, shifted into the zodiac.
HouseInput QuadrantInput(double ramc, double latitude, double obliquity, double offset,
                         const Oracle& o) {
    HouseInput in;
    in.ramc = ramc;
    in.latitude = latitude;
    in.obliquity = obliquity;
    in.zodiac_offset = offset;
    in.longitude[kAscendant] = std::fmod(o.asc + offset + 360.0, 360.0);
    in.longitude[kMidheaven] = std::fmod(o.mc + offset + 360.0, 360.0);
    return in;
}

struct SharedSystem {
    int code;
    int letter;  // the library's house-system letter
    const char* name;
};

constexpr SharedSystem kSharedSystems[] = {
    {kCampanus, 'C', "Campanus"},     {kKoch, 'K', "Koch"},
    {kMeridian, 'X', "Meridian"},     {kMorinus, 'M', "Morinus"},
    {kPlacidus, 'P', "Placidus"},     {kPorphyry, 'O', "Porphyry"},
    {kRegiomontanus, 'R', "Regio"},   {kTopocentric, 'T', "Topocentric"},
    {kAlcabitius, 'B', "Alcabitius"}, {kEqual, 'E', "Equal"},
    {kWholeSigns, 'W', "WholeSigns"},
};

class SwissAgreement : public ::testing::TestWithParam<SharedSystem> {};

// Every RAMC on a 7.3-degree grid, latitudes from pole to pole within the polar limit, three
// obliquities: 0.01" up to 60 degrees of latitude, 0.1" beyond.
TEST_P(SwissAgreement, CuspsMatchLibraryOverGrid) {
    SharedSystem sys = GetParam();
    double worst = 0.0;
    for (double obliquity : {23.4393, 22.1, 24.5}) {
        for (int i = 0; i <= 105; ++i) {
            double latitude = -89.9 + 1.7 * i;
            if (std::fabs(latitude) + obliquity >= 89.99) {
                continue;
            }
            double tolerance = (std::fabs(latitude) <= 60.0 ? 0.01 : 0.1) * kArcsec;
            for (int j = 0; j * 7.3 < 360.0; ++j) {
                double ramc = 7.3 * j;
                Oracle o = SwissHouses(ramc, latitude, obliquity, sys.letter);
                auto got = CalcHouseCusps(sys.code, QuadrantInput(ramc, latitude, obliquity, 0, o));
                ASSERT_TRUE(got.has_value());
                for (std::size_t h = 1; h <= 12; ++h) {
                    double d = AngularDistance(got->cusps[h], o.cusps[h]);
                    worst = std::max(worst, d);
                    ASSERT_LE(d, tolerance) << sys.name << " cusp " << h << " ramc " << ramc
                                            << " lat " << latitude << " eps " << obliquity;
                }
            }
        }
    }
    RecordProperty("worst_arcsec", std::to_string(worst * 3600.0));
}

// Close to the polar limit, where the semi-arc systems are hardest to converge.
TEST_P(SwissAgreement, CuspsMatchLibraryNearPolarLimit) {
    SharedSystem sys = GetParam();
    double obliquity = 23.4393;
    for (double margin : {0.001, 0.02, 0.3}) {
        for (double sign : {-1.0, 1.0}) {
            double latitude = sign * (89.99 - obliquity - margin);
            for (int j = 0; j < 117; ++j) {
                double ramc = 0.05 + 3.1 * j;
                Oracle o = SwissHouses(ramc, latitude, obliquity, sys.letter);
                auto got = CalcHouseCusps(sys.code, QuadrantInput(ramc, latitude, obliquity, 0, o));
                ASSERT_TRUE(got.has_value());
                for (std::size_t h = 1; h <= 12; ++h) {
                    ASSERT_LE(AngularDistance(got->cusps[h], o.cusps[h]), 0.1 * kArcsec)
                        << sys.name << " cusp " << h << " ramc " << ramc << " lat " << latitude;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(HouseSystems, SwissAgreement, ::testing::ValuesIn(kSharedSystems),
                         [](const auto& test_info) { return std::string(test_info.param.name); });

// In a sidereal zodiac every cusp of a quadrant system, and of Equal, moves by the zodiac
// offset (whole signs do not: they start at the sidereal sign).
TEST(SiderealHouses, CuspsAreShiftedByOffset) {
    double offset = -24.1234;
    for (const SharedSystem& sys : kSharedSystems) {
        if (sys.code == kWholeSigns) {
            continue;
        }
        for (double ramc : {3.0, 95.5, 181.0, 300.25}) {
            Oracle o = SwissHouses(ramc, 51.5, 23.44, sys.letter);
            auto got = CalcHouseCusps(sys.code, QuadrantInput(ramc, 51.5, 23.44, offset, o));
            ASSERT_TRUE(got.has_value());
            for (std::size_t h = 1; h <= 12; ++h) {
                EXPECT_LE(AngularDistance(got->cusps[h], o.cusps[h] + offset), 0.01 * kArcsec)
                    << sys.name << " cusp " << h;
                EXPECT_GE(got->cusps[h], 0.0);
                EXPECT_LT(got->cusps[h], 360.0);
            }
        }
    }
}

// Chart points for the equal systems, in the chart's zodiac.
HouseInput EqualInput() {
    HouseInput in;
    in.ramc = 40.0;
    in.latitude = 48.0;
    in.obliquity = 23.44;
    in.zodiac_offset = -24.0;
    auto& lon = in.longitude;
    lon[kMoon] = 12.3;
    lon[kSun] = 203.7;
    lon[kMercury] = 220.1;
    lon[kVenus] = 250.4;
    lon[kMars] = 5.5;
    lon[kJupiter] = 77.7;
    lon[kSaturn] = 301.2;
    lon[kUranus] = 33.3;
    lon[kNeptune] = 344.4;
    lon[kPluto] = 281.9;
    lon[kNorthNode] = 355.5;
    lon[kAscendant] = 137.0;  // 17 Leo
    lon[kMidheaven] = 48.25;
    lon[kVertex] = 290.2;
    lon[kEquatorialAscendant] = 140.8;
    lon[kPartOfFortune] = 5.9;
    return in;
}

struct EqualCase {
    int code;
    double first_cusp;  // expected cusp 1 for EqualInput()
};

constexpr EqualCase kEqualCases[] = {
    {kEqual, 137.0},
    {kZeroAries, 0.0},
    {kSolarSign, 180.0},  // Sun 23 Libra
    {12, 203.7},          // Sun on 1st
    {13, 12.3},           // Moon
    {14, 220.1},          // Mercury
    {15, 250.4},          // Venus
    {16, 5.5},            // Mars
    {17, 77.7},           // Jupiter
    {18, 301.2},          // Saturn
    {19, 33.3},           // Uranus
    {20, 344.4},          // Neptune
    {21, 281.9},          // Pluto
    {kNorthNodeOnFirst, 355.5},
    {kVertexOnSeventh, 110.2},  // cusp 7 on the Vertex
    {kEquatorialAscendantOnFirst, 140.8},
    {kMidheavenOnTenth, 138.25},  // cusp 10 on the Midheaven
    {kWholeSigns, 120.0},         // Ascendant in Leo
    {kFortuneOnFirst, 5.9},
    {kAscendantInFirst, 122.0},  // Ascendant 15 degrees into house 1
    {kWholeSignsFortune, 0.0},   // Fortune in Aries
    {kSouthNodeOnFirst, 175.5},
};

TEST(EqualHouseSystems, CuspsAreThirtyDegreesFromTheirStart) {
    HouseInput in = EqualInput();
    for (const EqualCase& c : kEqualCases) {
        auto got = CalcHouseCusps(c.code, in);
        ASSERT_TRUE(got.has_value()) << c.code;
        for (int h = 1; h <= 12; ++h) {
            double expected = std::fmod(c.first_cusp + 30.0 * (h - 1), 360.0);
            EXPECT_NEAR(got->cusps[static_cast<std::size_t>(h)], expected, 1e-9)
                << "system " << c.code << " cusp " << h;
        }
    }
}

TEST(EqualHouseSystems, NamedAnchorsLandOnTheirCusps) {
    HouseInput in = EqualInput();
    EXPECT_NEAR(CalcHouseCusps(kVertexOnSeventh, in)->cusps[7], 290.2, 1e-9);
    EXPECT_DOUBLE_EQ(CalcHouseCusps(kMidheavenOnTenth, in)->cusps[10], 48.25);
    EXPECT_NEAR(CalcHouseCusps(kSouthNodeOnFirst, in)->cusps[7], 355.5, 1e-9);
}

TEST(EqualHouseSystems, WholeSignsWithAscendantAt17LeoStartsAt120Exactly) {
    HouseInput in = EqualInput();
    in.longitude[kAscendant] = 137.0;
    EXPECT_EQ(CalcHouseCusps(kWholeSigns, in)->cusps[1], 120.0);
}

TEST(EqualHouseSystems, AscendantInFirstWithAscendantAt10Gives355) {
    HouseInput in = EqualInput();
    in.longitude[kAscendant] = 10.0;
    EXPECT_EQ(CalcHouseCusps(kAscendantInFirst, in)->cusps[1], 355.0);
}

struct FlagCase {
    int code;
    bool first;
    bool tenth;
};

// Cusp flags of every system at a mid latitude, where the Ascendant is 90 degrees or so ahead
// of the Midheaven.
constexpr FlagCase kFlagCases[] = {
    {1, true, true},    {2, true, true},    {3, false, true},   {4, false, false},
    {5, true, true},    {6, true, true},    {7, true, true},    {8, true, true},
    {9, true, false},   {10, false, false}, {11, false, false}, {12, false, false},
    {13, false, false}, {14, false, false}, {15, false, false}, {16, false, false},
    {17, false, false}, {18, false, false}, {19, false, false}, {20, false, false},
    {21, false, false}, {22, false, false}, {23, false, false}, {24, false, false},
    {25, false, true},  {26, false, false}, {27, false, false}, {28, true, true},
    {29, false, false}, {30, false, false}, {31, false, false}, {32, false, false},
};

TEST(HouseFlags, EverySystemSetsItsFlags) {
    Oracle o = SwissHouses(40.0, 48.0, 23.44, 'P');
    HouseInput in = QuadrantInput(40.0, 48.0, 23.44, 0.0, o);
    for (const FlagCase& c : kFlagCases) {
        auto got = CalcHouseCusps(c.code, in);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(got->first_cusp_is_ascendant, c.first) << "system " << c.code;
        EXPECT_EQ(got->tenth_cusp_is_midheaven, c.tenth) << "system " << c.code;
        EXPECT_EQ(got->system_used, c.code);
        EXPECT_FALSE(got->polar_fallback);
    }
}

// The flagged cusps are overwritten with the chart's own angles, whatever the system's
// projection gives.
TEST(HouseFlags, FlaggedCuspsTakeTheChartAnglesExactly) {
    Oracle o = SwissHouses(200.0, 35.0, 23.44, 'P');
    HouseInput in = QuadrantInput(200.0, 35.0, 23.44, 0.0, o);
    in.longitude[kAscendant] = o.asc + 0.001;
    in.longitude[kMidheaven] = o.mc - 0.002;
    for (const FlagCase& c : kFlagCases) {
        auto got = CalcHouseCusps(c.code, in);
        if (c.first) {
            EXPECT_EQ(got->cusps[1], in.longitude[kAscendant]) << "system " << c.code;
        }
        if (c.tenth) {
            EXPECT_EQ(got->cusps[10], in.longitude[kMidheaven]) << "system " << c.code;
        }
    }
}

TEST(Topocentric, AscendantBehindMidheavenUsesMidheavenAsFourthCusp) {
    HouseInput in;
    in.ramc = 10.0;
    in.latitude = 30.0;
    in.obliquity = 23.44;
    in.longitude[kMidheaven] = 100.0;
    in.longitude[kAscendant] = 40.0;  // 60 degrees behind the Midheaven
    auto got = CalcHouseCusps(kTopocentric, in);
    ASSERT_TRUE(got.has_value());
    EXPECT_FALSE(got->tenth_cusp_is_midheaven);
    EXPECT_TRUE(got->first_cusp_is_ascendant);
    EXPECT_NEAR(got->cusps[4], 100.0, 1e-9);
    EXPECT_NEAR(got->cusps[10], 280.0, 1e-9);
    EXPECT_EQ(got->cusps[1], 40.0);
}

TEST(HinduBhava, CuspsLieHalfwayBetweenPorphyryCusps) {
    for (double ramc : {12.0, 100.0, 250.0, 359.0}) {
        Oracle porphyry = SwissHouses(ramc, 40.0, 23.44, 'O');
        auto got = CalcHouseCusps(kHinduBhava, QuadrantInput(ramc, 40.0, 23.44, 0.0, porphyry));
        ASSERT_TRUE(got.has_value());
        EXPECT_FALSE(got->first_cusp_is_ascendant);
        EXPECT_FALSE(got->tenth_cusp_is_midheaven);
        for (std::size_t h = 1; h <= 12; ++h) {
            double before = porphyry.cusps[h == 1 ? 12 : h - 1];
            double after = porphyry.cusps[h];
            // Equally far from both neighbours and inside the arc between them.
            double to_before = AngularDistance(got->cusps[h], before);
            double to_after = AngularDistance(got->cusps[h], after);
            EXPECT_NEAR(to_before, to_after, 1e-9) << "cusp " << h;
            EXPECT_NEAR(to_before + to_after, AngularDistance(before, after), 1e-9) << "cusp " << h;
        }
    }
}

TEST(Morinus, NeverSwitchesToEqual) {
    for (double latitude : {70.0, -80.0, 89.5}) {
        Oracle o = SwissHouses(123.4, latitude, 23.44, 'M');
        auto got = CalcHouseCusps(kMorinus, QuadrantInput(123.4, latitude, 23.44, 0.0, o));
        ASSERT_TRUE(got.has_value());
        EXPECT_FALSE(got->polar_fallback);
        EXPECT_EQ(got->system_used, kMorinus);
        for (std::size_t h = 1; h <= 12; ++h) {
            EXPECT_LE(AngularDistance(got->cusps[h], o.cusps[h]), 0.01 * kArcsec);
        }
    }
}

TEST(PolarFallback, SwitchesEveryQuadrantSystemButMorinus) {
    Oracle o = SwissHouses(77.0, 66.56, 23.44, 'E');
    HouseInput in = QuadrantInput(77.0, 66.56, 23.44, 0.0, o);
    for (int code : {1, 2, 3, 5, 6, 7, 8, 27, 28}) {
        auto got = CalcHouseCusps(code, in);
        ASSERT_TRUE(got.has_value());
        EXPECT_TRUE(got->polar_fallback) << code;
        EXPECT_EQ(got->system_used, kEqual);
        EXPECT_TRUE(got->first_cusp_is_ascendant);
        EXPECT_FALSE(got->tenth_cusp_is_midheaven);
        for (std::size_t h = 1; h <= 12; ++h) {
            EXPECT_LE(AngularDistance(got->cusps[h], o.cusps[h]), 1e-9) << code;
        }
    }
}

class CalcHousesTest : public testing::SessionTest {
protected:
    // A slot whose angles come from the library for the given place.
    static ChartSlot MakeSlot(int system, double latitude, double ramc = 77.0) {
        ChartSlot slot;
        slot.record.house_system = static_cast<std::uint8_t>(system);
        slot.ramc = ramc;
        slot.observer_latitude = latitude;
        slot.obliquity = 23.44;
        Oracle o = SwissHouses(ramc, latitude, 23.44, 'E');
        slot.longitude[kAscendant] = o.asc;
        slot.longitude[kMidheaven] = o.mc;
        return slot;
    }

    int PolarMessages() {
        int n = 0;
        for (const auto& m : sink().messages()) {
            n += m.text == kPolarText ? 1 : 0;
        }
        return n;
    }

    static constexpr const char* kPolarText =
        "Switching to the Equal house system (latitude above the Arctic Circle), though the "
        "selected house system will continue to be displayed on the chart.";
};

TEST_F(CalcHousesTest, PlacidusAt66Point5IsStillCalculated) {
    ChartSlot slot = MakeSlot(kPlacidus, 66.5);
    ASSERT_TRUE(CalcHouses(slot));
    Oracle o = SwissHouses(77.0, 66.5, 23.44, 'P');
    for (std::size_t h = 1; h <= 12; ++h) {
        EXPECT_LE(AngularDistance(slot.cusps[h], o.cusps[h]), 0.1 * kArcsec) << h;
    }
    EXPECT_EQ(slot.first_cusp_is_ascendant, -1);
    EXPECT_EQ(slot.tenth_cusp_is_midheaven, -1);
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(CalcHousesTest, PolarPlacidusSwitchesToEqualAndSaysSoOnce) {
    ChartSlot slot = MakeSlot(kPlacidus, 66.56);
    ASSERT_TRUE(CalcHouses(slot));
    ASSERT_EQ(sink().messages().size(), 1U);
    EXPECT_EQ(LastMessage().text, kPolarText);
    EXPECT_EQ(LastMessage().style, startup::kInformation);
    EXPECT_EQ(LastMessage().title, "");
    EXPECT_EQ(slot.record.house_system, kPlacidus);  // the chart keeps its own system
    EXPECT_EQ(slot.first_cusp_is_ascendant, -1);
    EXPECT_EQ(slot.tenth_cusp_is_midheaven, 0);
    for (int h = 1; h <= 12; ++h) {
        double expected = std::fmod(slot.longitude[kAscendant] + 30.0 * (h - 1), 360.0);
        EXPECT_NEAR(slot.cusps[static_cast<std::size_t>(h)], expected, 1e-9) << h;
    }

    ChartSlot second = MakeSlot(kKoch, -75.0);
    ASSERT_TRUE(CalcHouses(second));
    EXPECT_EQ(PolarMessages(), 1);
}

TEST_F(CalcHousesTest, NonPolarChartReArmsTheMessage) {
    ChartSlot polar = MakeSlot(kCampanus, 70.0);
    ChartSlot fine = MakeSlot(kCampanus, 50.0);
    ASSERT_TRUE(CalcHouses(polar));
    ASSERT_TRUE(CalcHouses(fine));
    ASSERT_TRUE(CalcHouses(polar));
    EXPECT_EQ(PolarMessages(), 2);
}

TEST_F(CalcHousesTest, OtherSystemReArmsTheMessage) {
    ChartSlot polar = MakeSlot(kRegiomontanus, 80.0);
    ChartSlot morinus = MakeSlot(kMorinus, 80.0);
    ChartSlot whole = MakeSlot(kWholeSigns, 80.0);
    ASSERT_TRUE(CalcHouses(polar));
    ASSERT_TRUE(CalcHouses(morinus));  // Morinus is drawn at the pole: re-arms
    ASSERT_TRUE(CalcHouses(polar));
    ASSERT_TRUE(CalcHouses(polar));
    ASSERT_TRUE(CalcHouses(whole));
    ASSERT_TRUE(CalcHouses(polar));
    EXPECT_EQ(PolarMessages(), 3);
}

TEST_F(CalcHousesTest, UnrecognisedSystemLeavesCuspsAndFlags) {
    for (int code : {0, 33}) {
        sink().Clear();
        ChartSlot slot = MakeSlot(kPlacidus, 40.0);
        for (std::size_t h = 1; h <= 12; ++h) {
            slot.cusps[h] = 1.5 * static_cast<double>(h);
        }
        slot.first_cusp_is_ascendant = -1;
        slot.tenth_cusp_is_midheaven = 0;
        ChartSlot before = slot;
        EXPECT_FALSE(CalcHouses(slot, slot.ramc, slot.obliquity, slot.observer_latitude, code,
                                slot.zodiac_offset));
        EXPECT_EQ(slot.cusps, before.cusps);
        EXPECT_EQ(slot.first_cusp_is_ascendant, -1);
        EXPECT_EQ(slot.tenth_cusp_is_midheaven, 0);
        ASSERT_EQ(sink().messages().size(), 1U);
        EXPECT_EQ(LastMessage().text, "Unrecognised house system");
        EXPECT_EQ(LastMessage().style, startup::kCritical);
        EXPECT_EQ(LastMessage().title, "Sub CalcHouses");
        EXPECT_FALSE(CalcHouseCusps(code, HouseInput{}).has_value());
    }
}

TEST_F(CalcHousesTest, ReadsItsInputsFromTheSlot) {
    ChartSlot slot = MakeSlot(kKoch, -33.9, 271.5);
    slot.zodiac_offset = -23.9;
    slot.longitude[kAscendant] = std::fmod(slot.longitude[kAscendant] - 23.9 + 360.0, 360.0);
    slot.longitude[kMidheaven] = std::fmod(slot.longitude[kMidheaven] - 23.9 + 360.0, 360.0);
    ASSERT_TRUE(CalcHouses(slot));
    Oracle o = SwissHouses(271.5, -33.9, 23.44, 'K');
    for (std::size_t h = 1; h <= 12; ++h) {
        EXPECT_LE(AngularDistance(slot.cusps[h], o.cusps[h] - 23.9), 0.01 * kArcsec) << h;
    }
}

TEST_F(CalcHousesTest, FailedStartingPointKeepsPreviousCusps) {
    ChartSlot slot = MakeSlot(13, 40.0);  // Moon on 1st
    slot.longitude[kMoon] = -1.0;
    slot.cusps[1] = 11.0;
    slot.cusps[12] = 22.0;
    ASSERT_TRUE(CalcHouses(slot));
    EXPECT_EQ(slot.cusps[1], 11.0);
    EXPECT_EQ(slot.cusps[12], 22.0);
}

TEST(IsEqualHouseSystem, CoversNineTo26And29To32) {
    std::vector<int> equal;
    for (int code = -1; code <= 34; ++code) {
        if (IsEqualHouseSystem(code)) {
            equal.push_back(code);
        }
    }
    std::vector<int> expected = {9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                 20, 21, 22, 23, 24, 25, 26, 29, 30, 31, 32};
    EXPECT_EQ(equal, expected);
}

TEST(SignOf, GivesSignNumbers) {
    struct Case {
        double longitude;
        int sign;
    };
    static constexpr Case kCases[] = {{0.0, 1},   {29.999999, 1}, {30.0, 2},
                                      {137.0, 5}, {180.0, 7},     {359.9999, 12},
                                      {360.0, 1}, {-0.5, 12},     {725.0, 1}};
    for (const Case& c : kCases) {
        EXPECT_EQ(SignOf(c.longitude), c.sign) << c.longitude;
    }
}

}  // namespace
}  // namespace meridia::astro
