// The dynamic report's extra events: one "O" event per exact lunar phase and per eclipse of the
// period, one "V" event per void-of-course period beginning in it, at the instants the phase,
// eclipse and void-of-course searches give.
#include "returns/dynamic_events.h"

#include <gtest/gtest.h>

#include "astro/chart_table.h"
#include "dynamic/dynamic_hooks.h"
#include "dynamic/dynamic_job.h"
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

TEST_F(DynamicEventsTest, ProgressedEventsAreMappedBackToRealTime) {
    // Ten real years at a rate of one day a year: ten progressed days from 2024 January 1.
    const double base = textformats::JulianDay(1, 1, 2024, 0.0);
    const double from = base;
    const double to = base + 3652.5;
    constexpr double kRate = 1.0 / 365.25;
    const auto progressed = [&](double jd) { return base + (jd - base) * kRate; };
    const auto events = ProgressedExtraEventsOf({true, false, false}, from, to, 1, progressed);
    ASSERT_TRUE(events.ok());
    const auto phases = FindLunarPhases(progressed(from), progressed(to));
    ASSERT_TRUE(phases.ok());
    ASSERT_EQ(events->size(), phases->size());
    ASSERT_FALSE(events->empty());
    for (std::size_t i = 0; i < events->size(); ++i) {
        const double real = (*events)[i].jd_ut;
        EXPECT_GE(real, from);
        EXPECT_LE(real, to);
        EXPECT_NEAR(progressed(real), (*phases)[i].jd_ut, 1.0e-6) << i;
    }
    // A rate of zero meets no event.
    const auto none =
        ProgressedExtraEventsOf({true, true, true}, from, to, 1, [](double) { return 2460000.0; });
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());
}

TEST_F(DynamicEventsTest, AProgressionReportMeetsPhasesInProgressedTime) {
    dynamic::ClearDynamicSources();
    RegisterDynamicExtraEvents();
    dynamic::DynamicJob job;
    job.radix.date = "1 Jan 1990";
    job.radix.time = "12:00";
    job.radix.zone = "0";
    job.radix.lat = "51N30";
    job.radix.lon = "0W10";
    job.from_date = "1 Jan 2000";
    job.to_date = "31 Dec 2019";
    job.method = "progressions";
    job.events = "lunar-phases";
    const auto result = RunDynamicJob(job);
    dynamic::ClearDynamicSources();
    ASSERT_TRUE(result.ok()) << result.status().message();
    const double natal = textformats::JulianDay(1, 1, 1990, 12.0);
    int phases = 0;
    for (const dynamic::DynamicEvent& e : result->run.table.Events()) {
        if (e.symbol != 'O') {
            continue;
        }
        ++phases;
        // Secondary progressions: a day of the ephemeris for a tropical year of life.
        const double progressed = natal + (e.jd_ut - natal) / 365.24219907;
        const double elongation = astro::Norm360(testing::LibraryLongitude(progressed, SE_MOON) -
                                                 testing::LibraryLongitude(progressed, SE_SUN));
        const double to_phase = std::fmod(elongation + 45.0, 90.0) - 45.0;
        EXPECT_LT(std::fabs(to_phase), 0.01) << e.jd_ut;
    }
    // Twenty progressed days hold two or three phases.
    EXPECT_GE(phases, 2);
    EXPECT_LE(phases, 3);
}

}  // namespace
}  // namespace meridia::returns
