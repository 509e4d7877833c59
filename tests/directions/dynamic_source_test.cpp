// Primary directions through the dynamic search: the registered source stores the conjunctions
// of types 5 and 8 in the run's table with their report times, family 7 and the radix points'
// places; type 7 moves van Dam places through the engine's walk.
#include "directions/dynamic_source.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "aspects/aspect_set.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "dynamic/dynamic_engine.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::directions {
namespace {

constexpr double kYear = 365.24219907;

class DynamicSourceTest : public testing::SessionTest {
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
        RegisterPrimaryDirections();
        natal_ = astro::Slot(1).julian_day_ut;
        request_.radix_slot = 1;
        request_.method = dynamic::kMethodDirections;
        request_.direction_type = dynamic::kDirectionPrimaryMundane;
        request_.jd_start_ut = natal_ + kYear;
        request_.jd_end_ut = natal_ + 60.0 * kYear;
        request_.moving = {3, 5, 6, 7, 8, 9};
        request_.targets = {1, 3, 5, 6, 7, 8, 9, 22, 23};
        request_.aspect_set = aspects::StandardAspectSet();
        request_.families = dynamic::DefaultFamilies(dynamic::kMethodDirections);
        request_.zone_hours = -1.0;
        request_.primary.key = kKeyNaibod;
    }

    double natal_ = 0.0;
    dynamic::DynamicSearchRequest request_;
};

TEST_F(DynamicSourceTest, MundaneConjunctionsReachTheTable) {
    for (const bool regio : {false, true}) {
        request_.primary.regiomontanus = regio;
        const auto run = dynamic::RunDynamicSearch(request_);
        ASSERT_TRUE(run.ok()) << run.status().message();
        // The same conjunctions as the events module gives for the same settings.
        PrimaryDirectionsClass directions;
        ConfigureDirections(directions, request_);
        DirectionsRequest plain;
        plain.promissors = request_.moving;
        plain.significators = request_.targets;
        plain.aspects = {{1, 0.0, 0.0, 0.0}};
        plain.jd_start_ut = request_.jd_start_ut;
        plain.jd_end_ut = request_.jd_end_ut;
        const auto expected = GetDirectionsToRadix(directions, plain);
        ASSERT_FALSE(expected.empty());
        for (const DirectionEvent& e : expected) {
            bool found = false;
            for (const dynamic::DynamicEvent& t : run->table.Events()) {
                if (t.aspect == 1 && t.tran_point == e.moving_point &&
                    t.ra_point == e.target_point && std::fabs(t.jd_ut - e.jd_ut) < 1e-9) {
                    found = true;
                    EXPECT_EQ(t.symbol, 'X');
                    EXPECT_EQ(t.type, dynamic::kTypeDirectedRadix);
                    // Report time: UT minus the zone / 24 (zone -1: an hour later).
                    EXPECT_NEAR(t.jul_day, e.jd_ut + 1.0 / 24.0, 1e-9);
                    EXPECT_DOUBLE_EQ(
                        t.ra_pos,
                        astro::Slot(1).longitude[static_cast<std::size_t>(e.target_point)]);
                }
            }
            EXPECT_TRUE(found) << e.moving_point << " to " << e.target_point;
        }
    }
}

TEST_F(DynamicSourceTest, ZodiacalAndVanDamRun) {
    request_.direction_type = dynamic::kDirectionPrimaryZodiacal;
    const auto zodiacal = dynamic::RunDynamicSearch(request_);
    ASSERT_TRUE(zodiacal.ok()) << zodiacal.status().message();
    EXPECT_GT(zodiacal->table.TranEvents(), 0);

    request_.direction_type = dynamic::kDirectionPrimaryVanDam;
    request_.primary.key = kKeyPtolemy;
    const auto van_dam = dynamic::RunDynamicSearch(request_);
    ASSERT_TRUE(van_dam.ok()) << van_dam.status().message();
    ASSERT_GT(van_dam->table.TranEvents(), 0);
    // Each contact of a van Dam place with a radix point: the moving place is at the aspect.
    for (const dynamic::DynamicEvent& t : van_dam->table.Events()) {
        if (t.symbol != 'X' || t.aspect != 1) {
            continue;
        }
        EXPECT_LT(std::fabs(astro::Norm180(t.tran_pos - t.ra_pos)), 0.01);
    }
}

TEST_F(DynamicSourceTest, IngressesOfDirectedPoints) {
    request_.families.sign_ingress = true;
    request_.families.house_ingress = true;
    const auto run = dynamic::RunDynamicSearch(request_);
    ASSERT_TRUE(run.ok()) << run.status().message();
    int signs = 0;
    int houses = 0;
    for (const dynamic::DynamicEvent& t : run->table.Events()) {
        signs += t.symbol == 'S' ? 1 : 0;
        houses += t.symbol == 'H' ? 1 : 0;
        if (t.symbol == 'S' || t.symbol == 'H') {
            EXPECT_EQ(t.aspect, -1);
            EXPECT_EQ(t.ra_point, 0);
        }
    }
    EXPECT_GT(signs, 0);
    EXPECT_GT(houses, 0);
}

}  // namespace
}  // namespace meridia::directions
