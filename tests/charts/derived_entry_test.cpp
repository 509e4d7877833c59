// The typed derived-chart and rise/set jobs: their refusals, the horizon words, the default kind
// of a progressed chart and the name a derived chart is given.
#include "charts/derived_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "astro/chart_table.h"
#include "support/chart_table_fill.h"
#include "support/test_session.h"
#include "typed_entry.h"

namespace meridia::charts {
namespace {

class DerivedEntryTest : public testing::SessionTest {
protected:
    static ChartEntry Typed() { return TypedUlmEntry("Anna"); }
};

TEST_F(DerivedEntryTest, HorizonWords) {
    session().settings().SetString("RiseSetHorizon", "True");
    struct Row {
        const char* text;
        astro::HorizonMode mode;
    };
    const Row rows[] = {
        {"visual", astro::HorizonMode::kVisual}, {"Visual", astro::HorizonMode::kVisual},
        {"true", astro::HorizonMode::kTrue},     {"True", astro::HorizonMode::kTrue},
        {"", astro::HorizonMode::kTrue},  // the setting
    };
    for (const Row& row : rows) {
        const auto mode = ReadHorizon(row.text, "T");
        ASSERT_TRUE(mode.ok()) << row.text;
        EXPECT_EQ(*mode, row.mode) << row.text;
    }
    const auto refused = ReadHorizon("apparent", "Rise/Set");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.status().code(), startup::StatusCode::kRefused);
    EXPECT_EQ(refused.status().message(), "--horizon is visual or true.");
    EXPECT_EQ(refused.status().title(), "Rise/Set");
}

TEST_F(DerivedEntryTest, ProgressedKindFollowsTheAngleSetting) {
    session().settings().SetInt("ProgAngles", 3);
    EXPECT_EQ(DefaultProgressedKind(), 3);
    session().settings().SetInt("ProgAngles", 0);
    EXPECT_EQ(DefaultProgressedKind(), 1);
}

TEST_F(DerivedEntryTest, NamesCarryTheBaseChartAndTheClass) {
    EXPECT_EQ(DerivedChartName("Anna", astro::kClassSecondary, 1), "Anna - Sec.Prog.");
    // Kind 2 of a combined chart: the midpoint composite.
    EXPECT_EQ(DerivedChartName("Anna", astro::kClassCombined, 2), "Anna - Combined (- Midpoints)");
    EXPECT_EQ(DerivedChartName("Anna", astro::kClassCombined, 0), "Anna - Combined");
}

TEST_F(DerivedEntryTest, RefusedRequestsSayWhyBeforeAnyChartOpens) {
    const int free = astro::FreeSlotCount();
    struct Row {
        int chart_class;
        int kind;
        const char* horizon;
        const char* message;
    };
    const Row rows[] = {
        {19, 1, "", "--class is 1 to 18 and --kind 1 to 80."},
        {2, 0, "", "--class is 1 to 18 and --kind 1 to 80."},
        {0, 1, "sideways", "--class is 1 to 18 and --kind 1 to 80."},
        {9, 1, "sideways", "--horizon is visual or true."},
    };
    for (const Row& row : rows) {
        DerivedChartJob job;
        job.base = Typed();
        job.request.record.chart_class = static_cast<std::uint8_t>(row.chart_class);
        job.request.record.chart_kind = static_cast<std::uint8_t>(row.kind);
        job.horizon = row.horizon;
        const auto derived = OpenDerivedChart(job);
        ASSERT_FALSE(derived.ok()) << row.message;
        EXPECT_EQ(derived.status().code(), startup::StatusCode::kRefused);
        EXPECT_EQ(derived.status().message(), row.message);
        EXPECT_EQ(derived.status().title(), "meridia-cli");
    }
    EXPECT_EQ(astro::FreeSlotCount(), free);
}

TEST_F(DerivedEntryTest, RiseSetRefusalsSayWhy) {
    struct Row {
        int point;
        std::optional<int> pick;
        const char* horizon;
        const char* message;
    };
    const Row rows[] = {
        {0, std::nullopt, "", "--point is a point number 1 to 50."},
        {51, 1, "", "--point is a point number 1 to 50."},
        {3, 5, "", "--pick is 1 to 4."},
        {3, 0, "true", "--pick is 1 to 4."},
        {3, 1, "setting", "--horizon is visual or true."},
    };
    for (const Row& row : rows) {
        RiseSetJob job;
        job.chart = Typed();
        job.chart.refusal_title = "Rise/Set";
        job.point = row.point;
        job.pick = row.pick;
        job.horizon = row.horizon;
        const auto choice = FindRiseSetChoice(job);
        ASSERT_FALSE(choice.ok()) << row.message;
        EXPECT_EQ(choice.status().message(), row.message);
        EXPECT_EQ(choice.status().title(), "Rise/Set");
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(DerivedEntryTest, AFullTableIsSaid) {
    testing::TakeSlotsLeaving(0);
    RiseSetJob job;
    job.chart = Typed();
    job.point = 3;
    job.pick = 1;
    const auto choice = FindRiseSetChoice(job);
    ASSERT_FALSE(choice.ok());
    EXPECT_EQ(choice.status().code(), startup::StatusCode::kFailed);
    EXPECT_EQ(choice.status().message(), "There is no free chart slot.");
}

TEST_F(DerivedEntryTest, TransitsAreCastAtTheRadixPlaceInTheClocksZone) {
    astro::ChartRecord radix;
    radix.data.name = "Anna";
    radix.data.place.place_name = "Ulm";
    radix.data.place.latitude = 48.4F;
    radix.data.place.longitude = -10.0F;
    radix.data.zone.hours = -1.0F;
    radix.data.zone.mnemonic = "CET";
    radix.data.calendar = 2;
    radix.house_system = 7;
    radix.zodiac = 3;
    radix.chart_class = 2;
    radix.chart_kind = 4;
    const astro::CompactDateTime now = {2026, 12, 6, 14, 5, 0};
    const astro::ChartRecord transits = TransitsRecord(radix, now, -2.0F);
    EXPECT_EQ(transits.data.name, "Transits");
    EXPECT_EQ(transits.chart_class, 1);
    EXPECT_EQ(transits.chart_kind, 1);
    EXPECT_EQ(transits.data.calendar, 0);
    EXPECT_EQ(transits.data.date_time.year, 2026);
    EXPECT_EQ(transits.data.date_time.hour, 14);
    EXPECT_EQ(transits.data.date_time.minute, 5);
    EXPECT_FLOAT_EQ(transits.data.zone.hours, -2.0F);
    EXPECT_EQ(transits.data.zone.mnemonic, "");
    EXPECT_EQ(transits.data.place.place_name, "Ulm");
    EXPECT_FLOAT_EQ(transits.data.place.latitude, 48.4F);
    EXPECT_EQ(transits.house_system, 7);
    EXPECT_EQ(transits.zodiac, 3);
}
}  // namespace
}  // namespace meridia::charts
