#include "charts/chart_entry.h"

#include <gtest/gtest.h>

#include "startup/zone_mnemonics.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

class ChartEntryTest : public testing::SessionTest {
protected:
    static ChartEntry Typed() {
        ChartEntry entry;
        entry.name = "Typed";
        entry.date = "14 Mar 1879";
        entry.time = "11:30";
        entry.lat = "48N24";
        entry.lon = "10E00";
        return entry;
    }
};

TEST_F(ChartEntryTest, DefaultsComeFromTheSettings) {
    session().settings().SetInt("HouseSystem", 7);
    session().settings().SetInt("Ayanamsa", 3);
    const auto record = BuildChartRecord(Typed());
    ASSERT_TRUE(record.ok());
    EXPECT_EQ(record->house_system, 7);
    EXPECT_EQ(record->zodiac, 3);
    EXPECT_EQ(record->coords, 1);
    EXPECT_EQ(record->data.name, "Typed");
    EXPECT_EQ(record->data.date_time.hour, 11);
    EXPECT_FLOAT_EQ(record->data.place.latitude, 48.4F);
    EXPECT_FLOAT_EQ(record->data.place.longitude, -10.0F);

    ChartEntry entry = Typed();
    entry.house = 2;
    entry.zodiac = 1;
    entry.coords = 2;
    const auto typed = BuildChartRecord(entry);
    ASSERT_TRUE(typed.ok());
    EXPECT_EQ(typed->house_system, 2);
    EXPECT_EQ(typed->zodiac, 1);
    EXPECT_EQ(typed->coords, 2);
}

TEST_F(ChartEntryTest, ZoneMnemonicIsUpperCasedAndANumberHasNone) {
    startup::ZoneMnemonics().entries = {{"EST", "Eastern Standard Time", "5:00"}};
    ChartEntry entry = Typed();
    entry.zone = "est";
    auto record = BuildChartRecord(entry);
    ASSERT_TRUE(record.ok());
    EXPECT_EQ(record->data.zone.mnemonic, "EST");
    EXPECT_FLOAT_EQ(record->data.zone.hours, 5.0F);

    entry.zone = "-0:40";
    record = BuildChartRecord(entry);
    ASSERT_TRUE(record.ok());
    EXPECT_EQ(record->data.zone.mnemonic, "");
    EXPECT_NEAR(record->data.zone.hours, -2.0 / 3.0, 1e-6);
}

// The entry's own refusals name the fields with its prefix and are returned, not shown.
TEST_F(ChartEntryTest, RefusalsNameTheFields) {
    struct Row {
        void (*change)(ChartEntry&);
        const char* message;
    };
    const Row rows[] = {
        {[](ChartEntry& e) { e.date.clear(); },
         "A chart needs --b-date (or --b-file and --b-chart)."},
        {[](ChartEntry& e) { e.lat.clear(); }, "A chart needs --b-lat and --b-lon, or --b-place."},
        {[](ChartEntry& e) { e.chart = 1; }, "--b-file and --b-chart go together."},
        {[](ChartEntry& e) {
             e.date = "29 Feb 1500";
             e.calendar = 1;
         },
         "The date does not exist in the calendar chosen."},
    };
    for (const Row& row : rows) {
        ChartEntry entry = Typed();
        entry.field_prefix = "--b-";
        row.change(entry);
        const auto record = BuildChartRecord(entry);
        ASSERT_FALSE(record.ok()) << row.message;
        EXPECT_EQ(record.status().code(), startup::StatusCode::kRefused);
        EXPECT_EQ(record.status().message(), row.message);
        EXPECT_EQ(record.status().title(), "meridia-cli");
    }
    EXPECT_TRUE(sink().messages().empty());
}

// A field its parser refuses has had the parser's message; the status carries none.
TEST_F(ChartEntryTest, ParserRefusalsAreShownOnce) {
    ChartEntry entry = Typed();
    entry.lat = "95N00";
    const auto record = BuildChartRecord(entry);
    ASSERT_FALSE(record.ok());
    EXPECT_EQ(record.status().message(), "");
    EXPECT_EQ(sink().messages().size(), 1U);
}

TEST_F(ChartEntryTest, CalculationOutsideTheEphemerisIsReported) {
    ChartEntry entry = Typed();
    entry.date = "1 Jan 20000";
    const startup::Status status = CalculateChartEntry(entry, 1);
    EXPECT_EQ(status.code(), startup::StatusCode::kOutOfRange);
    EXPECT_EQ(status.message(), "Date for calculation is outside the range of the ephemeris.");
    EXPECT_EQ(status.title(), "Cannot Calculate");
    EXPECT_TRUE(CalculateChartEntry(Typed(), 1).ok());
}

}  // namespace
}  // namespace meridia::charts
