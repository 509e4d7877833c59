#include "charts/chart_entry.h"

#include <gtest/gtest.h>

#include <vector>

#include "astro/chart_table.h"
#include "charts/entry_defaults.h"
#include "startup/zone_mnemonics.h"
#include "support/chart_table_fill.h"
#include "support/test_session.h"
#include "typed_entry.h"

namespace meridia::charts {
namespace {

class ChartEntryTest : public testing::SessionTest {
protected:
    static ChartEntry Typed() { return TypedUlmEntry("Typed"); }
};

TEST_F(ChartEntryTest, DefaultsComeFromTheSettings) {
    session().settings().SetInt("HouseSystem", 7);
    session().settings().SetInt("Ayanamsa", 3);
    EXPECT_EQ(DefaultHouseSystem(), 7);
    EXPECT_EQ(DefaultZodiac(), 3);
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

using testing::TakeSlotsLeaving;

TEST_F(ChartEntryTest, FreeSlotsAreCountedOutsideTheScratchSlots) {
    // 114 slots, of which 102..108 are scratch slots.
    EXPECT_EQ(astro::FreeSlotCount(), 107);
    astro::Slot(astro::kFirstScratchSlot).chart_serial = 1;
    astro::Slot(5).chart_serial = 1;
    EXPECT_EQ(astro::FreeSlotCount(), 106);
}

TEST_F(ChartEntryTest, AJobThatWouldFillTheTableIsRefusedBeforeItStarts) {
    TakeSlotsLeaving(2);
    EXPECT_TRUE(CheckFreeSlots(2, "Eclipse Search").ok());
    const startup::Status short_of_slots = CheckFreeSlots(3, "Eclipse Search");
    EXPECT_EQ(short_of_slots.code(), startup::StatusCode::kFailed);
    EXPECT_EQ(short_of_slots.message(),
              "3 charts need as many free chart slots; only 2 are free. Close some charts and "
              "try again.");
    EXPECT_EQ(short_of_slots.title(), "Eclipse Search");
    TakeSlotsLeaving(0);
    const startup::Status full = CheckFreeSlots(1, "Returns");
    EXPECT_EQ(full.message(), "There is no free chart slot.");
    EXPECT_EQ(full.title(), "Returns");
    EXPECT_TRUE(CheckFreeSlots(0, "Returns").ok());
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ChartEntryTest, OpeningIntoAFullTableSaysSo) {
    const auto record = BuildChartRecord(Typed());
    ASSERT_TRUE(record.ok());
    TakeSlotsLeaving(1);
    const auto opened = OpenChartRecord(*record, "/charts/a.MDcht", 4, "");
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(*opened, astro::kSlotCount);
    EXPECT_NE(astro::Slot(*opened).chart_serial, 0);
    EXPECT_EQ(astro::Slot(*opened).file_path, "/charts/a.MDcht");
    EXPECT_EQ(astro::Slot(*opened).record_number, 4);
    EXPECT_EQ(astro::Slot(*opened).record.data.name, "Typed");

    const auto full = OpenChartRecord(*record, "", 0, "Synastry");
    ASSERT_FALSE(full.ok());
    EXPECT_EQ(full.status().code(), startup::StatusCode::kFailed);
    EXPECT_EQ(full.status().message(), "There is no free chart slot.");
    EXPECT_EQ(full.status().title(), "Synastry");

    ChartEntry entry = Typed();
    entry.refusal_title = "Dynamic Report";
    const auto typed = OpenChartEntry(entry);
    ASSERT_FALSE(typed.ok());
    EXPECT_EQ(typed.status().message(), "There is no free chart slot.");
    EXPECT_EQ(typed.status().title(), "Dynamic Report");
}

TEST_F(ChartEntryTest, AChartThatCannotBeCalculatedGivesItsSlotBack) {
    ChartEntry entry = Typed();
    entry.date = "1 Jan 20000";
    const auto record = BuildChartRecord(entry);
    ASSERT_TRUE(record.ok());
    const int free = astro::FreeSlotCount();
    const auto opened = OpenChartRecord(*record, "", 0, "");
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.status().code(), startup::StatusCode::kOutOfRange);
    EXPECT_EQ(opened.status().message(),
              "Date for calculation is outside the range of the ephemeris.");
    EXPECT_EQ(astro::FreeSlotCount(), free);
}

TEST_F(ChartEntryTest, CommandLineRefusalsTakeTheFormsTitle) {
    ChartEntry form;
    form.refusal_title = "Void of Course Moon";
    const startup::Status job_refusal(startup::StatusCode::kRefused, "--count is 1 to 1000.",
                                      kCommandLineTitle);
    const startup::Status retitled = UnderEntryTitle(job_refusal, form);
    EXPECT_EQ(retitled.code(), startup::StatusCode::kRefused);
    EXPECT_EQ(retitled.message(), "--count is 1 to 1000.");
    EXPECT_EQ(retitled.title(), "Void of Course Moon");

    // The command line keeps its own title; a status with a title of its own keeps it.
    EXPECT_EQ(UnderEntryTitle(job_refusal, ChartEntry{}).title(), "meridia-cli");
    const startup::Status range(startup::StatusCode::kOutOfRange, "out", "Cannot Calculate");
    EXPECT_EQ(UnderEntryTitle(range, form).title(), "Cannot Calculate");
    EXPECT_TRUE(UnderEntryTitle(startup::Status{}, form).ok());
}

// The form offers the natal or event chart, the horary chart and the pre-natal epoch kinds.
TEST_F(ChartEntryTest, TheFormsChartTypes) {
    const std::vector<EntryChartType> types = EntryChartTypes();
    ASSERT_EQ(types.size(), 23U);
    EXPECT_EQ(types[0].chart_class, 1);
    EXPECT_EQ(types[0].chart_kind, 1);
    EXPECT_EQ(types[0].name, "Natal/Event");
    EXPECT_EQ(types[1].chart_class, 1);
    EXPECT_EQ(types[1].chart_kind, 43);
    EXPECT_EQ(types[1].name, "Horary");
    EXPECT_EQ(types[2].chart_class, 8);
    EXPECT_EQ(types[2].chart_kind, 16);
    EXPECT_EQ(types[2].name, "Epoch (Bailey)");
    EXPECT_EQ(types.back().chart_class, 8);
    EXPECT_EQ(types.back().chart_kind, 36);
    EXPECT_EQ(types.back().name, "Quickening");
}
}  // namespace
}  // namespace meridia::charts
