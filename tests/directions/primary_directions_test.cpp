// Primary directions: the rate keys' worked values and round trips, the solar rates and the
// true solar arc against the ephemeris library's Sun, the names and the key order, the arcs
// checked by turning the sky (the promissor then stands where the significator stood), the
// directional place and the directed Ascendant against the library's house routine.
#include "directions/primary_directions.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <string>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::directions {
namespace {

using astro::Norm180;
using astro::Norm360;

double Gap(double a, double b) { return std::fabs(Norm180(a - b)); }

class PrimaryDirectionsTest : public testing::SessionTest {
protected:
    // A chart at 48.4 N (Ulm, 14 March 1879, 11:30 local mean time) in slot 1.
    PrimaryDirectionsClass& Directions(float latitude = 48.4F) {
        const auto record = testing::MakeRecord({.year = 1879,
                                                 .month = 3,
                                                 .day = 14,
                                                 .hour = 11,
                                                 .minute = 30,
                                                 .zone = -0.6667F,
                                                 .latitude = latitude,
                                                 .longitude = -10.0F,
                                                 .house_system = 5});
        EXPECT_EQ(astro::CalcChart(record, 1, 0, 0, true, true), astro::CalcStatus::kOk);
        directions_.Chart(1);
        return directions_;
    }
    const astro::ChartSlot& Radix() const { return astro::Slot(1); }

    // The Sun's right ascension at a UT Julian day from the library's ecliptic position turned
    // by the library's mean obliquity (the program's charts use the mean obliquity by default).
    static double LibrarySunRA(double jd_ut) {
        std::array<double, 6> x{};
        std::array<double, 6> nutation{};
        char serr[AS_MAXCH] = {0};
        swe_calc_ut(jd_ut, SE_SUN, 0, x.data(), serr);
        swe_calc_ut(jd_ut, SE_ECL_NUT, 0, nutation.data(), serr);
        std::array<double, 3> ecliptic = {x[0], x[1], 1.0};
        std::array<double, 3> equatorial{};
        swe_cotrans(ecliptic.data(), equatorial.data(), -nutation[1]);
        return equatorial[0];
    }

    PrimaryDirectionsClass directions_;
};

TEST_F(PrimaryDirectionsTest, RateKeysWorkedValues) {
    PrimaryDirectionsClass& d = Directions();
    EXPECT_DOUBLE_EQ(d.DirectedDegreeToYears(10.0, kKeyPtolemy), 10.0);
    EXPECT_DOUBLE_EQ(d.DirectedDegreeToYears(10.0, kKeyNaibod), 10.0 * 365.24219907 / 360.0);
    EXPECT_DOUBLE_EQ(d.DirectedDegreeToYears(59.2 / 60.0, kKeyCardan), 1.0);
    EXPECT_DOUBLE_EQ(d.YearsToDirectedDegree(1.0, kKeyCardan), 59.2 / 60.0);
    // Key 8 (and the current key 0 at its default) read as key 1.
    EXPECT_DOUBLE_EQ(d.DirectedDegreeToYears(10.0, 8), 10.0);
    EXPECT_DOUBLE_EQ(d.YearsToDirectedDegree(12.5, 0), 12.5);
    // The user rate comes from the UserDirRate setting (degrees per year).
    EXPECT_DOUBLE_EQ(d.UserDirRate(), 1.0);
    d.UserDirRate(0.5);
    EXPECT_DOUBLE_EQ(d.DirectedDegreeToYears(10.0, kKeyUser), 20.0);
    // Dates: the natal Julian day plus years of 365.24219907 days.
    EXPECT_DOUBLE_EQ(d.DirectedDegreeToDate(10.0, kKeyPtolemy),
                     Radix().julian_day_ut + 10.0 * 365.24219907);
}

TEST_F(PrimaryDirectionsTest, EveryKeyRoundTrips) {
    PrimaryDirectionsClass& d = Directions();
    for (int key = 1; key <= 8; ++key) {
        for (const double years : {-3.0, 0.5, 17.25, 63.0, 90.0}) {
            const double arc = d.YearsToDirectedDegree(years, key);
            EXPECT_NEAR(d.DirectedDegreeToYears(arc, key), years, 1e-8) << key << " " << years;
        }
    }
}

TEST_F(PrimaryDirectionsTest, SolarRatesAndTrueSolarArcFromTheLibrarySun) {
    PrimaryDirectionsClass& d = Directions();
    const double jd = Radix().julian_day_ut;
    EXPECT_NEAR(d.SolarRateRA(), Norm360(LibrarySunRA(jd + 0.5) - LibrarySunRA(jd - 0.5)), 1e-6);
    std::array<double, 6> before{};
    std::array<double, 6> after{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(jd - 0.5, SE_SUN, 0, before.data(), serr);
    swe_calc_ut(jd + 0.5, SE_SUN, 0, after.data(), serr);
    EXPECT_NEAR(d.SolarRateLongitude(), Norm360(after[0] - before[0]), 1e-6);
    EXPECT_NEAR(d.YearsToDirectedDegree(2.0, kKeyKepler), 2.0 * d.SolarRateRA(), 1e-12);
    EXPECT_NEAR(d.YearsToDirectedDegree(2.0, kKeySolarLong), 2.0 * d.SolarRateLongitude(), 1e-12);
    // Key 4: the secondary-progressed Sun (a day per year) against the natal Sun, in RA.
    for (const double years : {1.0, 30.5, 80.0}) {
        const double expected = Norm360(LibrarySunRA(jd + years) - LibrarySunRA(jd));
        EXPECT_NEAR(d.YearsToDirectedDegree(years, kKeyPlacidus), expected, 1e-6);
        EXPECT_NEAR(d.YearsToDirectedDegree(-years, kKeyPlacidus), -expected, 1e-6);
        // The inversion reaches the arc to 1e-9 degree.
        const double back = d.DirectedDegreeToYears(expected, kKeyPlacidus);
        EXPECT_NEAR(d.YearsToDirectedDegree(back, kKeyPlacidus), expected, 1e-9);
    }
}

TEST_F(PrimaryDirectionsTest, NoChartGivesZero) {
    PrimaryDirectionsClass d;
    EXPECT_EQ(d.DirectedDegreeToDate(10.0), 0.0);
    EXPECT_EQ(d.YearsToDirectedDegree(10.0), 0.0);
    d.Chart(200);
    EXPECT_EQ(d.DirectedDegreeToDate(10.0), 0.0);
}

TEST_F(PrimaryDirectionsTest, NamesAndKeyOrder) {
    PrimaryDirectionsClass d;
    const int order[] = {1, 2, 5, 3, 7, 4, 6};
    for (int position = 1; position <= 7; ++position) {
        EXPECT_EQ(PrimaryDirectionsClass::PrimaryRateKeyOrder(position), order[position - 1]);
        EXPECT_EQ(PrimaryDirectionsClass::LookupKeyOrderIndex(order[position - 1]), position);
    }
    EXPECT_EQ(d.PrimaryRateName(1), "Ptolemy (1 Year per Degree)");
    EXPECT_EQ(d.PrimaryRateName(2), "Naibod (1 Year per 59'08.33'')");
    EXPECT_EQ(d.PrimaryRateName(3), "Kepler - Natal Solar Rate in RA");
    EXPECT_EQ(d.PrimaryRateName(4), "Placidus - True Solar Arc in RA");
    EXPECT_EQ(d.PrimaryRateName(5), "Cardan (1 year per 59'12\")");
    EXPECT_EQ(d.PrimaryRateName(6), "Rate for User Directions");
    EXPECT_EQ(d.PrimaryRateName(7), "Natal Solar Rate in Longitude");
    d.PrimaryRateKey(5);
    EXPECT_EQ(d.PrimaryRateName(0), "Cardan (1 year per 59'12\")");
    EXPECT_EQ(PrimaryDirectionsClass::PrimaryDirectionTypeName(1), "Mundane");
    EXPECT_EQ(PrimaryDirectionsClass::PrimaryDirectionTypeName(2), "Zodiacal");
    EXPECT_EQ(PrimaryDirectionsClass::PrimaryDirectionMethodName(1), "Placidus");
    EXPECT_EQ(PrimaryDirectionsClass::PrimaryDirectionMethodName(2), "Regiomontanus");
    EXPECT_EQ(PrimaryDirectionsClass::ConverseMethodName(1), "Classical Converse");
    EXPECT_EQ(PrimaryDirectionsClass::ConverseMethodName(2), "Modern Converse");
    EXPECT_EQ(d.NumRateMethods(), 7);
    EXPECT_EQ(d.NumDirectionTypes(), 2);
    EXPECT_EQ(d.NumConverseMethods(), 2);
    EXPECT_EQ(d.PrimaryDirectionType(), kTypeMundane);
    EXPECT_EQ(d.PrimaryDirectionMethod(), kMethodPlacidus);
    EXPECT_EQ(d.ConverseMethod(), kConverseClassical);
    EXPECT_FALSE(d.Converse());
    EXPECT_FALSE(d.MakranskyZodiacal());
}

// A point on the MC has mundane position 270 and no arc to the MC, by both methods.
TEST_F(PrimaryDirectionsTest, PointOnTheMidheavenHasZeroArc) {
    const astro::ChartSlot& chart = astro::Slot(1);
    Directions();
    Speculum on_mc;
    on_mc.Init(chart.declination[astro::kMidheaven], chart.observer_latitude, chart.ramc,
               chart.ramc);
    EXPECT_EQ(on_mc.PlacidusMundanePosition(), 270.0);
    EXPECT_EQ(PlacidusArc(on_mc, 270.0), 0.0);
    Speculum mc;
    mc.InitToChart(chart, astro::kMidheaven);
    EXPECT_NEAR(RegiomontanusArc(on_mc, mc, 0.0), 0.0, 1e-12);
}

// Turning the sky by the arc brings the promissor to the significator's place: its Placidus
// mundane position becomes the significator's, and under Regiomontanus it comes onto the
// significator's house circle (same pole, same distance of oblique ascension from the RAMC).
TEST_F(PrimaryDirectionsTest, ArcsBringThePromissorToTheSignificator) {
    for (const float latitude : {48.4F, -33.9F, 5.0F}) {
        PrimaryDirectionsClass& d = Directions(latitude);
        const astro::ChartSlot& chart = Radix();
        for (const int method : {kMethodPlacidus, kMethodRegiomontanus}) {
            d.PrimaryDirectionMethod(method);
            for (int p = astro::kSun; p <= astro::kSaturn; ++p) {
                for (const int s : {astro::kMoon, astro::kMars, astro::kAscendant,
                                    astro::kMidheaven, astro::kJupiter}) {
                    if (p == s) {
                        continue;
                    }
                    const double arc = d.ComputeArc(p, s, 0.0);
                    const Speculum& prom = d.SpeculumOf(p);
                    const Speculum& sig = d.SpeculumOf(s);
                    Speculum turned;
                    turned.Init(prom.Declination(), prom.Latitude(), prom.RightAscension(),
                                Norm360(chart.ramc + arc));
                    SCOPED_TRACE(std::to_string(method) + " " + std::to_string(p) + " " +
                                 std::to_string(s));
                    if (method == kMethodPlacidus) {
                        EXPECT_LT(
                            Gap(turned.PlacidusMundanePosition(), sig.PlacidusMundanePosition()),
                            1e-9);
                    } else {
                        EXPECT_NEAR(turned.Pole(), sig.Pole(), 1e-7);
                        EXPECT_LT(Gap(turned.RegioMundanePosition() - turned.RAMC(),
                                      sig.RegioMundanePosition() - sig.RAMC()),
                                  1e-7);
                    }
                }
            }
        }
    }
}

// Both methods agree on conjunctions with the four angles: the angles' house circles are the
// meridian and the horizon in both systems.
TEST_F(PrimaryDirectionsTest, MethodsAgreeOnTheAngles) {
    PrimaryDirectionsClass& d = Directions();
    for (int p = astro::kMoon; p <= astro::kPluto; ++p) {
        for (const int angle : {astro::kAscendant, astro::kMidheaven}) {
            d.PrimaryDirectionMethod(kMethodPlacidus);
            const double placidus = d.ComputeArc(p, angle, 0.0);
            d.PrimaryDirectionMethod(kMethodRegiomontanus);
            const double regio = d.ComputeArc(p, angle, 0.0);
            EXPECT_NEAR(placidus, regio, 1e-7) << p << " " << angle;
        }
    }
}

// The directional place of a mundane position is the ecliptic degree at it: 270 the MC and 360
// the Ascendant of the chart; the directed Ascendant is the library's Ascendant of the turned
// RAMC.
TEST_F(PrimaryDirectionsTest, DirectionalPlaceAndDirectedAscendant) {
    PrimaryDirectionsClass& d = Directions();
    const astro::ChartSlot& chart = Radix();
    for (const int method : {kMethodPlacidus, kMethodRegiomontanus}) {
        d.PrimaryDirectionMethod(method);
        const double mc_value = d.LongitudeToArc(chart.longitude[astro::kMidheaven], chart.ramc);
        EXPECT_LT(Gap(d.ComputeDirectionalPlace(23, mc_value, 100.0, 0.0, chart.ramc).longitude,
                      chart.longitude[astro::kMidheaven]),
                  0.001);
    }
    d.PrimaryDirectionMethod(kMethodPlacidus);
    EXPECT_LT(Gap(d.MundanePositionToLongitude(270.0), chart.longitude[astro::kMidheaven]), 0.001);
    EXPECT_LT(Gap(d.MundanePositionToLongitude(360.0), chart.longitude[astro::kAscendant]), 0.001);
    for (const double arc : {-20.0, 10.0, 45.0}) {
        std::array<double, 13> cusps{};
        std::array<double, 10> ascmc{};
        swe_houses_armc(Norm360(chart.ramc + arc), chart.observer_latitude, chart.obliquity, 'P',
                        cusps.data(), ascmc.data());
        EXPECT_NEAR(Gap(d.DirectAscendant(arc), ascmc[0]), 0.0, 1e-7) << arc;
    }
    // A point directed by 0 stays where it is.
    EXPECT_LT(Gap(d.ArcToLongitude(astro::kSun, 0.0), chart.longitude[astro::kSun]), 0.01);
}

TEST_F(PrimaryDirectionsTest, DirectionalPlaceThatDoesNotConvergeSaysSo) {
    PrimaryDirectionsClass& d = Directions(80.0F);
    const astro::ChartSlot& chart = Radix();
    // At 80 degrees of latitude the Regiomontanus value of ecliptic degrees near the horizon
    // races far ahead of the longitude: the plain iteration overshoots.
    d.PrimaryDirectionMethod(kMethodRegiomontanus);
    bool found = false;
    for (double target = 0.0; target < 360.0 && !found; target += 7.0) {
        const DirectionalPlace place = d.ComputeDirectionalPlace(5, target, 0.0, 0.0, chart.ramc);
        if (!place.diagnostic.empty()) {
            found = true;
            EXPECT_FALSE(place.converged);
            EXPECT_EQ(place.diagnostic.rfind("ComputeDirectionalPlace not converging: Sig = 5; "
                                             "Longitude = ",
                                             0),
                      0U)
                << place.diagnostic;
            EXPECT_NE(place.diagnostic.find('.'), std::string::npos);
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(PrimaryDirectionsTest, SettingTheChartClearsTheCaches) {
    PrimaryDirectionsClass& d = Directions();
    const double ra_before = d.SpeculumOf(astro::kSun).RightAscension();
    const double rate_before = d.SolarRateRA();
    const auto record =
        testing::MakeRecord({.year = 1950, .month = 9, .day = 1, .hour = 3, .latitude = 10.0F});
    ASSERT_EQ(astro::CalcChart(record, 2, 0, 0, true, true), astro::CalcStatus::kOk);
    d.Chart(2);
    EXPECT_NE(d.SpeculumOf(astro::kSun).RightAscension(), ra_before);
    EXPECT_NEAR(d.SpeculumOf(astro::kSun).RightAscension(),
                astro::Slot(2).right_ascension[astro::kSun], 0.0);
    EXPECT_NE(d.SolarRateRA(), rate_before);
}

}  // namespace
}  // namespace meridia::directions
