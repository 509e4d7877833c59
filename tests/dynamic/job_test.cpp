// Reading a typed dynamic job into a search request: the period in the report zone, the point
// lists with extra points, and the messages of refused options; nothing is searched.
#include <gtest/gtest.h>

#include <string>

#include "astro/chart_table.h"
#include "dynamic/dynamic_job.h"
#include "support/test_session.h"

namespace meridia::dynamic {
namespace {

class DynamicJobTest : public testing::SessionTest {
protected:
    static DynamicJob Job() {
        DynamicJob job;
        job.radix.name = "Radix";
        job.radix.date = "14 Mar 1879";
        job.radix.time = "11:30";
        job.radix.zone = "-0:40";
        job.radix.lat = "48N24";
        job.radix.lon = "10E00";
        job.from_date = "1 Jan 2024";
        job.period = 1;
        job.unit = "months";
        return job;
    }
};

TEST_F(DynamicJobTest, PeriodIsReadInTheReportZone) {
    DynamicJob job = Job();
    job.report_zone = "5";
    const auto read = ReadDynamicJob(job);
    ASSERT_TRUE(read.ok()) << read.status().message();
    // 1 January 2024 0:00 at UT-5 is 5:00 UT (JD 2460310.5 + 5/24); one month later, the same
    // clock time on 1 February.
    EXPECT_NEAR(read->request.jd_start_ut, 2460310.5 + 5.0 / 24.0, 1e-9);
    EXPECT_NEAR(read->request.jd_end_ut, 2460341.5 + 5.0 / 24.0, 1e-9);
    EXPECT_EQ(read->request.method, kMethodTransits);
    EXPECT_EQ(read->request.moving, DefaultMovingPoints());
    EXPECT_EQ(read->request.targets, DefaultTargetPoints());
    EXPECT_TRUE(read->request.families.transits_radix);
    EXPECT_EQ(read->sort, DynamicSortKey::kDate);
    EXPECT_EQ(read->run.table.TranEvents(), 0);  // nothing searched
}

TEST_F(DynamicJobTest, ExtraPointsJoinTheRadixChartAndThePointLists) {
    DynamicJob job = Job();
    job.radix.extra = "star:Aldebaran,midpoint:Su/Mo";
    job.targets = "3,51,52";
    job.sort = "weight";
    const auto read = ReadDynamicJob(job);
    ASSERT_TRUE(read.ok()) << read.status().message();
    EXPECT_EQ(read->request.targets, (std::vector<int>{3, 51, 52}));
    EXPECT_GE(astro::Slot(kDynamicRadixSlot).longitude[51], 0.0);
    EXPECT_EQ(read->sort, DynamicSortKey::kWeight);
    EXPECT_EQ(read->header[1], "Radix Points: Su Aldes Su/Moe");
}

TEST_F(DynamicJobTest, RefusedOptionsSayWhy) {
    struct Case {
        void (*change)(DynamicJob&);
        std::string message;
    };
    const Case cases[] = {
        {[](DynamicJob& j) { j.method = "sideways"; },
         "Unknown --method sideways: transits, progressions, directions, "
         "transits-to-progressions or transits-to-directions."},
        {[](DynamicJob& j) { j.multiplier = 0.0; }, "--multiplier must be a number other than 0."},
        {[](DynamicJob& j) { j.events = "comets"; },
         "Unknown event family in --events: \"comets\"."},
        {[](DynamicJob& j) { j.sort = "colour"; },
         "Unknown --sort colour: date, event, point1, point2, weight, type, aspect, position1 or "
         "position2."},
        {[](DynamicJob& j) { j.unit = "weeks"; }, "--unit is days, months or years."},
        {[](DynamicJob& j) { j.pd_method = "campanus"; },
         "--pd-method is placidus or regiomontanus."},
    };
    for (const Case& c : cases) {
        DynamicJob job = Job();
        c.change(job);
        const auto read = ReadDynamicJob(job);
        ASSERT_FALSE(read.ok()) << c.message;
        EXPECT_EQ(read.status().code(), startup::StatusCode::kRefused);
        EXPECT_EQ(read.status().message(), c.message);
    }
}

// A job typed into a form of the windowed program refuses under the form's title; the command
// line's keep its own.
TEST_F(DynamicJobTest, RefusalsCarryTheTitleOfTheForm) {
    DynamicJob job = Job();
    job.unit = "weeks";
    auto read = ReadDynamicJob(job);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.status().title(), "meridia-cli");
    job.radix.refusal_title = "Dynamic Report";
    read = ReadDynamicJob(job);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.status().message(), "--unit is days, months or years.");
    EXPECT_EQ(read.status().title(), "Dynamic Report");
    EXPECT_EQ(RunDynamicJob(job).status().title(), "Dynamic Report");
}
}  // namespace
}  // namespace meridia::dynamic
