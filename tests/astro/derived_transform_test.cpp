// Transformed and recast charts: harmonics and arc transforms of the base longitudes,
// antiscia closed forms, divisional longitudes against the classical tables worked by hand,
// the Vedic recast against the library's own ayanamsa, locality charts, the base-chart checks
// with their exact messages, and the class and kind names.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "astro/houses.h"
#include "startup/name_tables.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::astro {
namespace {

ChartRecord Record(int chart_class, int coords) {
    return testing::MakeRecord({.name = "Base",
                                .year = 1984,
                                .month = 7,
                                .day = 14,
                                .hour = 15,
                                .minute = 20,
                                .zone = -2.0F,
                                .latitude = 48.85F,
                                .longitude = -2.35F,
                                .house_system = 5,
                                .coords = coords,
                                .chart_class = chart_class});
}

SubsidiaryRequest Request(int chart_class, int kind, int base) {
    SubsidiaryRequest request;
    request.record.chart_class = static_cast<std::uint8_t>(chart_class);
    request.record.chart_kind = static_cast<std::uint8_t>(kind);
    request.base_slot = base;
    return request;
}

constexpr int kBodies[] = {kMoon,   kSun,     kMercury, kVenus,     kMars,      kJupiter,  kSaturn,
                           kUranus, kNeptune, kPluto,   kNorthNode, kAscendant, kMidheaven};

class DerivedTransformTest : public testing::SessionTest {
protected:
    static constexpr int kTarget = 50;
};

TEST_F(DerivedTransformTest, HarmonicMultipliesEveryLongitude) {
    const int base = OpenChartIntoSlot(Record(1, 1), "", 0);
    ASSERT_GT(base, 0);
    SubsidiaryRequest request = Request(kClassHarmonic, kKindNatal, base);
    request.harmonic = 5.0;
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const ChartSlot& natal = Slot(base);
    const ChartSlot& slot = Slot(kTarget);
    for (const int p : kBodies) {
        EXPECT_NEAR(slot.longitude[p], std::fmod(5.0 * natal.longitude[p], 360.0), 1e-9)
            << "point " << p;
    }
    // Placidus is not an equal-division system: the harmonic chart has equal houses from the
    // harmonic Ascendant.
    EXPECT_EQ(slot.record.house_system, 9);
    EXPECT_NEAR(slot.cusps[1], slot.longitude[kAscendant], 1e-9);
    for (int h = 2; h <= 12; ++h) {
        EXPECT_NEAR(Norm360(slot.cusps[static_cast<std::size_t>(h)] -
                            slot.cusps[static_cast<std::size_t>(h - 1)]),
                    30.0, 1e-9);
    }
    EXPECT_DOUBLE_EQ(DerivedInfo(kTarget).harmonic, 5.0);
    EXPECT_EQ(slot.record.derived_params[2], 5);

    // An arc transform by 72 degrees is the fifth harmonic.
    SubsidiaryRequest arc = Request(kClassHarmonic, kKindArcTransform, base);
    arc.harmonic = 72.0;
    ASSERT_EQ(CalcSubsidiaryChart(arc, kTarget + 1), SubsidiaryStatus::kOk);
    for (const int p : kBodies) {
        EXPECT_NEAR(Norm180(Slot(kTarget + 1).longitude[p] - slot.longitude[p]), 0.0, 1e-9);
    }
}

TEST_F(DerivedTransformTest, AntisciaClosedForms) {
    const struct {
        double longitude;
        int kind;
        double expected;
    } rows[] = {{10.0, kKindZeroCapricorn, 170.0},  {100.0, kKindZeroCapricorn, 80.0},
                {270.0, kKindZeroCapricorn, 270.0}, {0.0, kKindZeroCapricorn, 180.0},
                {10.0, kKindZeroAries, 350.0},      {0.0, kKindZeroAries, 0.0},
                {180.0, kKindZeroAries, 180.0},     {275.5, kKindZeroAries, 84.5}};
    for (const auto& row : rows) {
        EXPECT_NEAR(AntisciaLongitude(row.longitude, row.kind), row.expected, 1e-12);
    }
    const int base = OpenChartIntoSlot(Record(1, 1), "", 0);
    for (const int kind : {kKindZeroCapricorn, kKindZeroAries}) {
        ASSERT_EQ(CalcSubsidiaryChart(Request(kClassAntiscia, kind, base), kTarget),
                  SubsidiaryStatus::kOk);
        // Points reflected across the solstitial axis (0 Cancer, 90) sum to 180 degrees,
        // across the equinoctial axis (0 Aries) to 0.
        const double sum = kind == kKindZeroCapricorn ? 180.0 : 0.0;
        for (const int p : kBodies) {
            EXPECT_NEAR(Norm180(Slot(kTarget).longitude[p] + Slot(base).longitude[p] - sum), 0.0,
                        1e-9);
        }
    }
}

TEST_F(DerivedTransformTest, DivisionalLongitudesFromTheClassicalTables) {
    // kind: 50 D2, 51 D3, 55 D7, 57 D9, 58 D10, 61 D12, 62 D16, 65 D27, 66 D30, 69 D60.
    const struct {
        double longitude;
        int kind;
        double expected;
    } rows[] = {
        {10.0, 50, 140.0},   // 10 Aries: Sun's hora (Leo), 2/3 through
        {20.0, 50, 100.0},   // 20 Aries: Moon's hora (Cancer)
        {40.0, 50, 110.0},   // 10 Taurus: an even sign starts with Cancer
        {25.0, 51, 255.0},   // 25 Aries: third drekkana, Sagittarius, halfway
        {35.0, 55, 245.0},   // 5 Taurus: even signs from the 7th (Scorpio), 2nd part
        {0.0, 57, 0.0},      // 0 Aries: Aries navamsha
        {45.0, 57, 45.0},    // 15 Taurus: 5th navamsha from Capricorn = Taurus, half
        {100.0, 57, 180.0},  // 10 Cancer: 4th navamsha from Cancer = Libra
        {35.0, 58, 320.0},   // 5 Taurus: even signs from the 9th (Capricorn), 2nd part
        {359.0, 61, 318.0},  // 29 Pisces: 12th part from Pisces = Aquarius, 0.6 through
        {120.0, 62, 120.0},  // 0 Leo: fixed signs start from Leo
        {35.0, 65, 225.0},   // 5 Taurus: earthy signs from Cancer; part 5 (Scorpio), half
        {3.0, 66, 18.0},     // 3 Aries: Mars's part (Aries), 0.6 through
        {37.0, 66, 150.0 + 60.0 / 7.0},  // 7 Taurus: Mercury's part (Virgo), 2/7 through
        {0.75, 69, 45.0},                // 0 45' Aries: second sixtieth, Taurus, halfway
    };
    for (const auto& row : rows) {
        EXPECT_NEAR(DivisionalLongitude(row.longitude, row.kind), row.expected, 1e-9)
            << row.longitude << " kind " << row.kind;
    }
    EXPECT_EQ(DivisionOf(50), 2);
    EXPECT_EQ(DivisionOf(57), 9);
    EXPECT_EQ(DivisionOf(60), 11);
    EXPECT_EQ(DivisionOf(69), 60);
    EXPECT_EQ(DivisionOf(1), 0);
}

TEST_F(DerivedTransformTest, VedicRecastAndNavamshaChart) {
    const int base = OpenChartIntoSlot(Record(1, 1), "", 0);
    ASSERT_EQ(CalcSubsidiaryChart(Request(kClassVedic, kKindNatal, base), kTarget),
              SubsidiaryStatus::kOk);
    const ChartSlot& vedic = Slot(kTarget);
    EXPECT_EQ(vedic.record.zodiac, 3);  // the default sidereal zodiac, Lahiri
    EXPECT_NEAR(vedic.julian_day_ut, Slot(base).julian_day_ut, 1e-9);
    swe_set_sid_mode(SE_SIDM_LAHIRI, 0, 0);
    const double ayanamsa = swe_get_ayanamsa_ut(Slot(base).julian_day_ut);
    for (const int p : kBodies) {
        EXPECT_NEAR(Norm180(vedic.longitude[p] - (Slot(base).longitude[p] - ayanamsa)), 0.0, 0.02)
            << "point " << p;
    }
    // The navamsha of a sidereal longitude is nine times it, reduced (the cyclic division).
    ASSERT_EQ(CalcSubsidiaryChart(Request(kClassVedic, 57, base), kTarget + 1),
              SubsidiaryStatus::kOk);
    const ChartSlot& navamsha = Slot(kTarget + 1);
    for (const int p : kBodies) {
        EXPECT_NEAR(Norm180(navamsha.longitude[p] - 9.0 * vedic.longitude[p]), 0.0, 1e-8);
    }
    EXPECT_EQ(navamsha.record.house_system, kWholeSigns);
    EXPECT_NEAR(navamsha.cusps[1], 30.0 * std::floor(navamsha.longitude[kAscendant] / 30.0), 1e-9);
}

TEST_F(DerivedTransformTest, LocalityChartKeepsTheMomentAtTheNewPlace) {
    const int base = OpenChartIntoSlot(Record(1, 1), "", 0);
    SubsidiaryRequest request = Request(kClassLocality, kKindRelocated, base);
    request.record.data.place.place_name = "Tokyo";
    request.record.data.place.country = "Japan";
    request.record.data.place.latitude = 35.68F;
    request.record.data.place.longitude = -139.69F;
    request.record.data.zone.hours = -9.0F;
    ASSERT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kOk);
    const ChartSlot& slot = Slot(kTarget);
    EXPECT_NEAR(slot.julian_day_ut, Slot(base).julian_day_ut, 1e-9);
    EXPECT_NEAR(slot.longitude[kSun], Slot(base).longitude[kSun], 1e-9);
    // West-positive longitudes: moving 137.34 degrees east adds that much to the RAMC.
    EXPECT_NEAR(Norm180(slot.ramc - Slot(base).ramc - (139.69 - 2.35)), 0.0, 1e-4);
    EXPECT_EQ(slot.record.data.place.place_name, "Tokyo");
    // 13:20 UT is 22:20 at zone -9.
    EXPECT_EQ(slot.record.data.date_time.hour, 22);
    EXPECT_EQ(slot.record.data.date_time.minute, 20);
}

TEST_F(DerivedTransformTest, LongitudeEquivalentOfDeclination) {
    const int base = OpenChartIntoSlot(Record(1, 1), "", 0);
    ASSERT_EQ(CalcSubsidiaryChart(Request(kClassHarmonic, kKindLongitudeEquivalent, base), kTarget),
              SubsidiaryStatus::kOk);
    const ChartSlot& natal = Slot(base);
    for (const int p : {kSun, kMoon, kMars, kSaturn}) {
        const double lambda = Slot(kTarget).longitude[p] * kDegToRad;
        // The ecliptic point of that longitude has the point's declination.
        EXPECT_NEAR(std::asin(std::sin(lambda) * std::sin(natal.obliquity * kDegToRad)) * kRadToDeg,
                    natal.declination[p], 1e-9);
    }
}

TEST_F(DerivedTransformTest, BaseChartChecksAndTheirMessages) {
    const int natal = OpenChartIntoSlot(Record(1, 1), "", 0);
    const int combined = OpenChartIntoSlot(Record(kClassCombined, 1), "", 0);
    const int harmonic = OpenChartIntoSlot(Record(kClassHarmonic, 1), "", 0);
    const int helio = OpenChartIntoSlot(Record(1, 2), "", 0);
    const std::string start =
        "The subsidiary chart cannot be calculated because the base chart is ";
    const struct {
        int base;
        int chart_class;
        bool ok;
        const char* reason;
    } rows[] = {
        {natal, kClassSecondary, true, ""},
        {combined, kClassSecondary, false, "not of a natal type."},
        {combined, kClassReturn, false, "not of a natal type."},
        {combined, kClassVedic, false, "not of a natal type."},
        {harmonic, kClassHarmonic, false, "not of the correct type."},
        {combined, kClassCombined, false, "not of the correct type."},
        {harmonic, kClassAntiscia, true, ""},
        {helio, kClassLocality, false, "not Heliocentric."},
        {helio, kClassPreNatal, false, "not Heliocentric."},
        {natal, kClassLocality, true, ""},
        {combined, kClassDirected, true, ""},
        {helio, kClassTransits, true, ""},
    };
    for (const auto& row : rows) {
        std::string message;
        EXPECT_EQ(CheckBaseChart(row.base, row.chart_class, 1, message), row.ok)
            << "class " << row.chart_class;
        EXPECT_EQ(message, row.ok ? std::string() : start + row.reason);
    }
    std::string other = "Subsidiary chart cannot be calculated because the base chart is ";
    EXPECT_FALSE(CheckBaseChart(harmonic, kClassHarmonic, 1, other));
    EXPECT_EQ(other,
              "Subsidiary chart cannot be calculated because the base chart is not of the "
              "correct type.");

    // A refused request shows the message and leaves the target slot as it was.
    const ChartSlot before = Slot(kTarget);
    SubsidiaryRequest request = Request(kClassHarmonic, kKindNatal, harmonic);
    request.harmonic = 3.0;
    EXPECT_EQ(CalcSubsidiaryChart(request, kTarget), SubsidiaryStatus::kRefused);
    EXPECT_EQ(LastMessage().text, start + "not of the correct type.");
    EXPECT_EQ(Slot(kTarget).chart_serial, before.chart_serial);
    EXPECT_EQ(Slot(kTarget).longitude, before.longitude);
}

TEST_F(DerivedTransformTest, ClassAndKindNames) {
    const auto& names = startup::Names();
    EXPECT_EQ(names.Entry(470), "18");
    EXPECT_EQ(names.Entry(490), "80");
    EXPECT_EQ(names.ChartClassName(2), "Sec.Prog.");
    EXPECT_EQ(names.ChartClassName(9), "Rise/Set");
    EXPECT_EQ(names.ChartClassName(15), "Tert.Prog. (True)");
    EXPECT_EQ(names.ChartKindName(2), "- Midpoints");
    EXPECT_EQ(names.ChartKindName(12), "- 0° Cap");
    EXPECT_EQ(names.ChartKindName(15), "- Davison");
    EXPECT_EQ(names.ChartKindName(38), "Arc Transform");
    EXPECT_EQ(names.ChartKindName(50), "D2 Hora");
    EXPECT_EQ(names.ChartKindName(60), "D11 Iyers");
    EXPECT_EQ(names.ChartKindName(69), "D60 Shashtiamsha");
    for (int k = 1; k <= 80; ++k) {
        EXPECT_FALSE(names.ChartKindName(k).empty()) << "kind " << k;
    }
}

}  // namespace
}  // namespace meridia::astro
