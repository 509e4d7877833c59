// Direction events: every conjunction whose arc falls in the period is found (against a plain
// scan that turns the sky in small steps and watches the promissor pass the significator's
// mundane position), dated by the worked Naibod rate, with entering, leaving and already-in-orb
// events, converse directions, and sign and house ingresses of directed points; van Dam places.
#include "directions/direction_events.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "directions/van_dam.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::directions {
namespace {

using astro::Norm180;
using astro::Norm360;

constexpr double kMinute = 1.0 / 1440.0;
constexpr double kYear = 365.24219907;

class DirectionEventsTest : public testing::SessionTest {
protected:
    void SetUp() override {
        const auto record = testing::MakeRecord({.year = 1879,
                                                 .month = 3,
                                                 .day = 14,
                                                 .hour = 11,
                                                 .minute = 30,
                                                 .zone = -0.6667F,
                                                 .latitude = 48.4F,
                                                 .longitude = -10.0F,
                                                 .house_system = 5});
        ASSERT_EQ(astro::CalcChart(record, 1, 0, 0, true, true), astro::CalcStatus::kOk);
        directions_.Chart(1);
        directions_.PrimaryRateKey(kKeyNaibod);
        natal_ = astro::Slot(1).julian_day_ut;
        request_.promissors = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12};
        request_.significators = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23};
        request_.aspects = {{1, 0.0, 2.0, 1.5}};
        request_.jd_start_ut = natal_ + 0.5 * kYear;
        request_.jd_end_ut = natal_ + 90.0 * kYear;
    }

    // Naibod's worked rate: years = arc x 365.24219907 / 360.
    double NaibodDate(double arc) const { return natal_ + arc * kYear / 360.0 * kYear; }
    double NaibodArc(double jd) const { return (jd - natal_) / kYear * 360.0 / kYear; }

    // The promissor's Placidus mundane position with the sky turned by the rotation, less the
    // significator's radix position, in [-180, 180).
    double Separation(int p, int s, double rotation) {
        const Speculum& prom = directions_.SpeculumOf(p);
        Speculum turned;
        turned.Init(prom.Declination(), prom.Latitude(), prom.RightAscension(),
                    Norm360(prom.RAMC() + rotation));
        return Norm180(turned.PlacidusMundanePosition() -
                       directions_.SpeculumOf(s).PlacidusMundanePosition());
    }

    PrimaryDirectionsClass directions_;
    DirectionsRequest request_;
    double natal_ = 0.0;
};

TEST_F(DirectionEventsTest, EveryConjunctionInThePeriodIsFoundAndDated) {
    const auto events = GetDirectionsToRadix(directions_, request_);
    std::map<std::pair<int, int>, std::vector<const DirectionEvent*>> found;
    for (const DirectionEvent& e : events) {
        ASSERT_EQ(e.symbol, 'X');
        EXPECT_EQ(e.aspect, 1);
        EXPECT_NEAR(e.jd_ut, NaibodDate(e.arc), kMinute);
        EXPECT_NEAR(Separation(e.moving_point, e.target_point, e.arc), 0.0, 1e-9);
        found[{e.moving_point, e.target_point}].push_back(&e);
    }
    // The scan: turn the sky in steps of a tenth of a degree over the period's arcs and count
    // the passes of each promissor over each significator's mundane position.
    const double arc_lo = NaibodArc(request_.jd_start_ut);
    const double arc_hi = NaibodArc(request_.jd_end_ut);
    int passes = 0;
    for (const int p : request_.promissors) {
        for (const int s : request_.significators) {
            if (p == s) {
                continue;
            }
            int count = 0;
            double before = Separation(p, s, arc_lo);
            for (double r = arc_lo + 0.1; r <= arc_hi + 1e-9; r += 0.1) {
                const double after = Separation(p, s, std::min(r, arc_hi));
                // A pass changes the sign of the separation without a jump across 180.
                if (std::signbit(before) != std::signbit(after) &&
                    std::fabs(after - before) < 90.0) {
                    ++count;
                }
                before = after;
            }
            passes += count;
            EXPECT_EQ(static_cast<int>(found[{p, s}].size()), count) << p << " to " << s;
        }
    }
    EXPECT_GT(passes, 20);
    EXPECT_EQ(static_cast<int>(events.size()), passes);
}

TEST_F(DirectionEventsTest, RegiomontanusConjunctionsToTheAnglesMatchPlacidus) {
    request_.significators = {22, 23};
    const auto placidus = GetDirectionsToRadix(directions_, request_);
    directions_.PrimaryDirectionMethod(kMethodRegiomontanus);
    const auto regio = GetDirectionsToRadix(directions_, request_);
    ASSERT_EQ(placidus.size(), regio.size());
    ASSERT_FALSE(placidus.empty());
    for (std::size_t i = 0; i < regio.size(); ++i) {
        EXPECT_EQ(regio[i].moving_point, placidus[i].moving_point);
        EXPECT_EQ(regio[i].target_point, placidus[i].target_point);
        EXPECT_NEAR(regio[i].jd_ut, placidus[i].jd_ut, kMinute);
    }
}

// A promissor that reaches an angle stands on the meridian or the horizon: its directed place is
// the angle's own degree, by both methods and by either turn of the sky.
TEST_F(DirectionEventsTest, DirectedPlaceOnAnAngleIsTheAngle) {
    request_.significators = {22, 23};
    for (const int method : {kMethodPlacidus, kMethodRegiomontanus}) {
        directions_.PrimaryDirectionMethod(method);
        for (const bool converse : {false, true}) {
            directions_.Converse(converse);
            directions_.ConverseMethod(kConverseModern);
            const auto events = GetDirectionsToRadix(directions_, request_);
            ASSERT_FALSE(events.empty());
            for (const DirectionEvent& e : events) {
                EXPECT_LT(std::fabs(Norm180(e.moving_longitude - e.target_longitude)), 0.002)
                    << method << " " << converse << " " << e.moving_point << " to "
                    << e.target_point;
            }
        }
    }
}

TEST_F(DirectionEventsTest, EnteringLeavingAndAlreadyInOrb) {
    request_.enter_leave = true;
    const auto events = GetDirectionsToRadix(directions_, request_);
    const double arc_start = NaibodArc(request_.jd_start_ut);
    int exact = 0;
    for (const DirectionEvent& e : events) {
        if (e.symbol != 'X') {
            continue;
        }
        ++exact;
        const auto has = [&](char symbol, double arc) {
            for (const DirectionEvent& o : events) {
                if (o.symbol == symbol && o.moving_point == e.moving_point &&
                    o.target_point == e.target_point && std::fabs(o.arc - arc) < 1e-9) {
                    return true;
                }
            }
            return false;
        };
        if (e.arc - 2.0 > arc_start) {
            EXPECT_TRUE(has('E', e.arc - 2.0));
        } else {
            EXPECT_TRUE(has('B', arc_start));
        }
        if (e.arc + 1.5 < NaibodArc(request_.jd_end_ut)) {
            EXPECT_TRUE(has('L', e.arc + 1.5));
        }
    }
    EXPECT_GT(exact, 0);
    for (const DirectionEvent& e : events) {
        if (e.symbol == 'B') {
            EXPECT_EQ(e.jd_ut, request_.jd_start_ut);
        }
    }
}

// Modern converse turns the sky backwards: the promissor reaches the significator when the sky
// is turned by minus the event's arc.
TEST_F(DirectionEventsTest, ModernConverseTurnsTheSkyBackwards) {
    directions_.Converse(true);
    directions_.ConverseMethod(kConverseModern);
    const auto events = GetDirectionsToRadix(directions_, request_);
    ASSERT_FALSE(events.empty());
    for (const DirectionEvent& e : events) {
        EXPECT_GT(e.arc, 0.0);
        EXPECT_NEAR(Separation(e.moving_point, e.target_point, -e.arc), 0.0, 1e-9);
    }
    // Classical converse carries the significator to the promissor.
    directions_.ConverseMethod(kConverseClassical);
    for (const DirectionEvent& e : GetDirectionsToRadix(directions_, request_)) {
        EXPECT_NEAR(Separation(e.target_point, e.moving_point, e.arc), 0.0, 1e-9);
    }
}

class IngressTest : public DirectionEventsTest, public ::testing::WithParamInterface<int> {};

TEST_P(IngressTest, SignAndHouseIngressesOfDirectedPoints) {
    directions_.PrimaryDirectionMethod(GetParam());
    request_.sign_ingresses = true;
    request_.house_ingresses = true;
    const auto events = GetIngresses(directions_, request_);
    const astro::ChartSlot& radix = astro::Slot(1);
    int signs = 0;
    int houses = 0;
    for (const DirectionEvent& e : events) {
        EXPECT_EQ(e.aspect, -1);
        EXPECT_EQ(e.target_point, 0);
        EXPECT_NEAR(e.jd_ut, NaibodDate(e.arc), kMinute);
        if (e.symbol == 'S') {
            ++signs;
            const double to_cusp = std::fabs(
                Norm180(e.moving_longitude - 30.0 * std::round(e.moving_longitude / 30.0)));
            EXPECT_LT(to_cusp, 1e-5) << e.moving_longitude;
        } else {
            ASSERT_EQ(e.symbol, 'H');
            ++houses;
            double nearest = 360.0;
            for (int c = 1; c <= 12; ++c) {
                nearest =
                    std::min(nearest, std::fabs(Norm180(e.moving_longitude -
                                                        radix.cusps[static_cast<std::size_t>(c)])));
            }
            EXPECT_LT(nearest, 1e-5) << e.moving_longitude;
        }
    }
    // 90 years of Naibod arc carry every point through two to four signs and houses.
    EXPECT_GE(signs, 20);
    EXPECT_GE(houses, 20);
}
INSTANTIATE_TEST_SUITE_P(BothMethods, IngressTest,
                         ::testing::Values(kMethodPlacidus, kMethodRegiomontanus));

TEST(VanDam, ProportionalAscensionFactor) {
    // 30 degrees of right ascension east of the reference on a day semi-arc of 120: a quarter.
    EXPECT_DOUBLE_EQ(GetProportionalAscensionFactor(40.0, 10.0, 30.0), 0.25);
    // Measured the short way round: 350 is 20 degrees west of 10.
    EXPECT_DOUBLE_EQ(GetProportionalAscensionFactor(350.0, 10.0, 0.0), -20.0 / 90.0);
    PrimaryVanDamClass van_dam;
    EXPECT_EQ(van_dam.YearsToDirectedDegree(10.0), 0.0);
    EXPECT_EQ(van_dam.DirectedDegreeToDate(10.0), 0.0);
}

TEST_F(DirectionEventsTest, VanDamPlacesKeepTheFactor) {
    PrimaryVanDamClass van_dam;
    van_dam.PD_InitializeRadix(1, kKeyPtolemy, 1.0);
    const astro::ChartSlot& radix = astro::Slot(1);
    const auto at_birth = van_dam.PD_CalcDynamicStep({3, 7, 23}, natal_);
    ASSERT_EQ(at_birth.size(), 3U);
    EXPECT_LT(std::fabs(Norm180(at_birth[0].longitude - radix.longitude[3])), 0.01);
    EXPECT_LT(std::fabs(Norm180(at_birth[2].longitude - radix.longitude[23])), 0.01);
    // Twenty years later (20 degrees by Ptolemy) the directed place of a point is the radix
    // degree whose factor under the radix meridian equals the point's factor under the meridian
    // turned by 20 degrees.
    const VanDamPosition later = van_dam.Position(3, natal_ + 20.0 * kYear);
    const Speculum& sun = directions_.SpeculumOf(3);
    Speculum turned;
    turned.Init(sun.Declination(), sun.Latitude(), sun.RightAscension(),
                Norm360(radix.ramc + 20.0));
    Speculum place;
    place.InitToZodiacPt(later.longitude, radix);
    EXPECT_NEAR(Norm180(place.PlacidusMundanePosition() - turned.PlacidusMundanePosition()), 0.0,
                0.001);
    EXPECT_LT(later.speed, 0.0);  // carried westward, back through the zodiac
}

}  // namespace
}  // namespace meridia::directions
