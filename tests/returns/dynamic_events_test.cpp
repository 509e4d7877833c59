// The dynamic report's extra events: one "O" event per exact lunar phase and per eclipse of the
// period, one "V" event per void-of-course period beginning in it, at the instants the phase,
// eclipse and void-of-course searches give.
#include "returns/dynamic_events.h"

#include <gtest/gtest.h>

#include "library_places.h"
#include "returns/eclipses.h"
#include "returns/lunar_phases.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::returns {
namespace {

class DynamicEventsTest : public meridia::testing::SessionTest {};

TEST_F(DynamicEventsTest, OneEventPerPhaseEclipseAndVoidPeriod) {
    const double from = textformats::JulianDay(1, 1, 2024, 0.0);
    const double to = textformats::JulianDay(1, 7, 2024, 0.0);
    const auto events = ExtraEventsOf({true, true, true}, from, to, 1);
    ASSERT_TRUE(events.ok());
    const auto phases = FindLunarPhases(from, to);
    ASSERT_TRUE(phases.ok());
    EclipseSearch search;
    search.from_jd_ut = from;
    search.to_jd_ut = to;
    const auto eclipses = SearchEclipses(search);
    ASSERT_EQ(eclipses.size(), 2U);  // 2024 March 25 (lunar) and April 8 (solar)
    std::size_t o = 0;
    std::size_t v = 0;
    double previous_end = from;
    for (const ExtraEvent& e : *events) {
        EXPECT_GE(e.jd_ut, from);
        EXPECT_LE(e.jd_ut, to);
        if (e.symbol == 'O') {
            ++o;
        } else {
            ASSERT_EQ(e.symbol, 'V');
            ++v;
            EXPECT_EQ(e.point, 1);
            EXPECT_GT(e.target_point, 0);
            EXPECT_GT(e.ends_jd_ut, e.jd_ut);
            EXPECT_GT(e.jd_ut, previous_end - 3.0);
            previous_end = e.ends_jd_ut;
            // The Moon stands at the exact aspect to the planet when the period begins.
            const double separation = astro::Norm360(
                testing::LibraryLongitude(e.jd_ut, SE_MOON) -
                testing::LibraryLongitude(e.jd_ut, testing::BodyOfPlanet(e.target_point)));
            const double to_aspect = std::fmod(separation + 0.5, 30.0) - 0.5;
            EXPECT_LT(std::fabs(to_aspect), 0.001);
        }
    }
    EXPECT_EQ(o, phases->size() + eclipses.size());
    // About 13.4 signs a month: one period per sign.
    EXPECT_NEAR(static_cast<double>(v), 182.0 / 27.32 * 12.0, 4.0);
}

TEST_F(DynamicEventsTest, NothingWhenNoFamilyIsSelected) {
    const auto events = ExtraEventsOf({}, textformats::JulianDay(1, 1, 2024, 0.0),
                                      textformats::JulianDay(1, 2, 2024, 0.0), 1);
    ASSERT_TRUE(events.ok());
    EXPECT_TRUE(events->empty());
}

}  // namespace
}  // namespace meridia::returns
