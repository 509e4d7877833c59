#include <gtest/gtest.h>

#include <cmath>

#include "chart_bytes.h"
#include "charts/chart_files.h"
#include "charts/chart_merge.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;

astro::ChartRecord Base() {
    astro::ChartRecord r;
    r.data.name = "Same Name";
    r.data.place = {"Paris", "France", -2.35F, 48.85F};
    r.data.date_time = {1970, 6, 15, 12, 0, 0};
    r.data.zone = {-1.0F, "CET"};
    r.source = "Certificate";
    r.rating = "AA";
    r.event_type = 2;
    return r;
}

TEST(ChartSimilarity, ScoresTheTabledCases) {
    struct Case {
        const char* what;
        void (*change)(astro::ChartRecord&);
        int score;
    };
    const Case cases[] = {
        {"identical", [](astro::ChartRecord&) {}, 100},
        // 25 e^-1 = 9.20 -> 9; 9 + 25 + 44 + 6.
        {"one day apart", [](astro::ChartRecord& r) { r.data.date_time.day = 16; }, 84},
        // 25 e^-(1/64) = 24.61 -> 25.
        {"three hours apart", [](astro::ChartRecord& r) { r.data.date_time.hour = 15; }, 100},
        // 25 e^-(1/36) = 24.31 -> 24.
        {"four hours apart", [](astro::ChartRecord& r) { r.data.date_time.hour = 16; }, 99},
        // Same moment in UT: local time and zone both one hour later.
        {"same instant, other zone",
         [](astro::ChartRecord& r) {
             r.data.date_time.hour = 13;
             r.data.zone.hours = -2.0F;
         },
         100},
        // One degree of longitude: 25 e^-1 -> 9.
        {"one degree west", [](astro::ChartRecord& r) { r.data.place.longitude += 1.0F; }, 84},
        // Longitudes 359.5 apart are half a degree apart: 25 e^-0.25 = 19.47 -> 19.
        {"across the date line",
         [](astro::ChartRecord& r) { r.data.place.longitude = -2.35F + 359.5F; }, 94},
        {"other house system", [](astro::ChartRecord& r) { r.house_system = 1; }, 96},
        {"other source text", [](astro::ChartRecord& r) { r.source = "Memory"; }, 93},
        {"other user SVP", [](astro::ChartRecord& r) { r.user_svp = 1.0F; }, 97},
        {"other class and kind",
         [](astro::ChartRecord& r) {
             r.chart_class = 8;
             r.chart_kind = 20;
         },
         92},
        {"other derived parameter 3", [](astro::ChartRecord& r) { r.derived_params[2] = 5; }, 96},
        {"other derived parameter 1 (not compared)",
         [](astro::ChartRecord& r) { r.derived_params[0] = 5; }, 100},
        {"other rating (not compared)", [](astro::ChartRecord& r) { r.rating = "C"; }, 100},
    };
    for (const Case& c : cases) {
        astro::ChartRecord other = Base();
        c.change(other);
        EXPECT_EQ(ChartSimilarity(Base(), other), c.score) << c.what;
        EXPECT_EQ(ChartSimilarity(other, Base()), c.score) << c.what;
    }
}

TEST(ChartSimilarity, ComparesTheReservedFieldsOfTheStoredRecords) {
    ReservedFields byte_150;
    byte_150.byte_150 = 7;
    ReservedFields short_277;
    short_277.short_277 = 300;
    ReservedFields tail_284;
    tail_284.tail_284[7] = 1;
    for (const ReservedFields& other : {byte_150, short_277, tail_284}) {
        EXPECT_EQ(ChartSimilarity(Base(), Base(), {}, other), 96);
        EXPECT_EQ(ChartSimilarity(Base(), Base(), other, other), 100);
    }
}

class MergeTest : public meridia::testing::SessionTest {
protected:
    void MakeFile(const fs::path& path, const std::vector<astro::ChartRecord>& records,
                  const std::string& comment = "") {
        ASSERT_TRUE(CreateChartFile(path, kVersionCurrent, "Merge"));
        const OpenedChartFile file = OpenChartFile(path);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const int n = static_cast<int>(i + 1);
            ASSERT_TRUE(WriteChartRecord(file.version, file.handle, n, records[i]));
            ChartEvent event;
            event.data.name = "Event of " + records[i].data.name;
            WriteChartEvents(file.version, file.handle, n, {event});
            WriteChartComments(file.version, file.handle, n, comment);
        }
        ASSERT_TRUE(CloseChartFile(file.version, file.handle));
    }
    std::vector<std::string> Names(const fs::path& path) {
        std::vector<std::string> names;
        if (const auto image = ReadChartFileImage(path)) {
            for (const StoredChart& chart : image->charts) {
                names.push_back(chart.record.data.name);
            }
        }
        return names;
    }
};

TEST_F(MergeTest, MergesFoldersAndReports) {
    const fs::path source = temp() / "source";
    const fs::path dest = temp() / "dest";
    fs::create_directories(source);
    fs::create_directories(dest);
    astro::ChartRecord next_day = Base();
    next_day.data.date_time.day = 16;
    astro::ChartRecord stranger = Base();
    stranger.data.name = "Stranger";
    astro::ChartRecord four_hours = Base();
    four_hours.data.date_time.hour = 16;
    astro::ChartRecord three_hours = Base();
    three_hours.data.date_time.hour = 15;
    MakeFile(dest / "family.MDcht", {Base()});
    MakeFile(source / "family.MDcht", {Base(), next_day, stranger, three_hours, four_hours},
             "from source");
    MakeFile(source / "friends.MDcht", {stranger});
    testing::WriteFile(source / "notes.txt", "not a chart file");

    FileMerger merger;
    const MergeTotals totals = merger.MergeChartFiles(source, dest);
    EXPECT_EQ(totals.files, 2);
    EXPECT_EQ(totals.charts, 3);
    EXPECT_EQ(LastMessage().text, "Merge finished.\n2 files were merged into " + dest.string() +
                                      ", bringing in 3 merged charts.");
    EXPECT_EQ(LastMessage().title, "Meridia");
    EXPECT_EQ(Names(dest / "family.MDcht"),
              (std::vector<std::string>{"Same Name", "Same Name", "Stranger", "Same Name"}));
    // The copied file is the source file byte for byte.
    EXPECT_EQ(testing::ReadFile(dest / "friends.MDcht"),
              testing::ReadFile(source / "friends.MDcht"));
    EXPECT_FALSE(fs::exists(dest / "notes.txt"));
    // Appended charts bring their events and comments.
    const auto added = LoadChartByNumber(dest / "family.MDcht", 2);
    ASSERT_TRUE(added.has_value());
    EXPECT_EQ(added->record.data.date_time.day, 16);
    ASSERT_EQ(added->events.size(), 1U);
    EXPECT_EQ(added->events[0].data.name, "Event of Same Name");
    EXPECT_EQ(added->comment, "from source");
    // Merging again brings nothing new.
    const MergeTotals again = merger.MergeChartFiles(source, dest);
    EXPECT_EQ(again.charts, 0);
}

// Source files built byte by byte: a chart equal to the destination's but for one reserved
// field scores 96 and is added; the reserved byte at 279 and the derived-chart parameter at
// 280 are not compared, so such a chart scores 100 and is skipped.
TEST_F(MergeTest, ReservedFieldsOfStoredRecordsTakePartInTheScore) {
    struct Case {
        const char* what;
        std::size_t offset;
        std::string bytes;
        std::size_t charts_after;
    };
    const Case cases[] = {
        {"byte 150", 150, test::Byte(7), 2},
        {"16-bit value 277", 277, test::Le16(300), 2},
        {"byte 291 of the tail", 291, test::Byte(1), 2},
        {"byte 279 (not compared)", 279, test::Byte(9), 1},
        {"parameter byte 280 (not compared)", 280, test::Byte(9), 1},
        {"unchanged", 150, test::Byte(0), 1},
    };
    test::RecordFields fields;
    fields.data.name = "Same Name";
    const std::string record = test::RecordBytes(fields);
    for (const Case& c : cases) {
        const fs::path source = temp() / "source";
        const fs::path dest = temp() / "dest";
        fs::remove_all(source);
        fs::remove_all(dest);
        fs::create_directories(source);
        fs::create_directories(dest);
        std::string incoming = record;
        incoming.replace(c.offset, c.bytes.size(), c.bytes);
        testing::WriteFile(dest / "a.MDcht",
                           test::HeaderBytes("D", 1) + test::EntryBytes(fields, ""));
        testing::WriteFile(source / "a.MDcht",
                           test::HeaderBytes("S", 1) + incoming + test::Le32(0) + test::Le32(0));
        FileMerger merger;
        merger.MergeChartFiles(source, dest);
        EXPECT_EQ(Names(dest / "a.MDcht").size(), c.charts_after) << c.what;
    }
}

}  // namespace
}  // namespace meridia::charts
