#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "chart_bytes.h"
#include "charts/chart_files.h"
#include "charts/chart_record_io.h"
#include "support/chart_records.h"
#include "support/test_session.h"
#include "support/write_failure.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;
using meridia::testing::ReadFile;
using meridia::testing::WriteFile;
using test::EntryBytes;
using test::HeaderBytes;
using test::Le16;
using test::Le32;
using test::Padded;
using test::RecordBytes;
using test::RecordFields;

class ChartFileTest : public meridia::testing::SessionTest {
protected:
    static astro::ChartRecord Record(const std::string& name, int day = 1) {
        return testing::MakeRecord({.name = name,
                                    .year = 1980,
                                    .month = 5,
                                    .day = day,
                                    .hour = 10,
                                    .minute = 20,
                                    .second = 30,
                                    .latitude = 51.5F,
                                    .longitude = 0.1F,
                                    .place = "London",
                                    .country = "England",
                                    .zone_mnemonic = "GMT",
                                    .rating = "A",
                                    .source = "Memory"});
    }
};

// The settings name the current chart file; it counts only when it exists.
TEST_F(ChartFileTest, TheCurrentChartFileIsTheSettingsOne) {
    session().settings().SetString("ChartFileName", "Family");
    session().settings().SetString("ChartFileExt", ".MDcht");
    fs::create_directories(ChartsFolder());
    EXPECT_FALSE(CurrentChartFile().has_value());
    const fs::path family = ChartsFolder() / "Family.MDcht";
    ASSERT_TRUE(CreateChartFile(family, kVersionCurrent, "Family"));
    ASSERT_TRUE(CurrentChartFile().has_value());
    EXPECT_EQ(*CurrentChartFile(), family);
    session().settings().SetString("ChartFileExt", ".cht");
    EXPECT_FALSE(CurrentChartFile().has_value());
}

TEST_F(ChartFileTest, ANewCurrentFormatFileIsExactly86Bytes) {
    const fs::path path = temp() / "new.MDcht";
    ASSERT_TRUE(CreateChartFile(path, kVersionCurrent, "My charts"));
    EXPECT_EQ(ReadFile(path), HeaderBytes("My charts", 0));
}

TEST_F(ChartFileTest, CreatedOlderFilesHoldTheVersionAndDescription) {
    struct Case {
        int version;
        std::string expected;
    };
    const Case cases[] = {
        {kVersion1, Le16(1) + Padded("Old", 80)},
        {kVersion2, Le16(2) + Padded("Old", 80)},
        {kVersionTessel, Padded("Old", 128)},
        {kVersion0, ""},
    };
    for (const Case& c : cases) {
        const fs::path path = temp() / ("f" + std::to_string(c.version + 1) + ".cht");
        ASSERT_TRUE(CreateChartFile(path, c.version, "Old"));
        EXPECT_EQ(ReadFile(path), c.expected) << c.version;
    }
}

TEST_F(ChartFileTest, AChartWithoutEventsOrCommentTakes300Bytes) {
    const fs::path path = temp() / "one.MDcht";
    ASSERT_TRUE(CreateChartFile(path, kVersionCurrent, "One"));
    const OpenedChartFile file = OpenChartFile(path);
    ASSERT_GE(file.handle, 1);
    ASSERT_TRUE(WriteChartRecord(file.version, file.handle, 1, Record("A")));
    ASSERT_TRUE(CloseChartFile(file.version, file.handle));
    EXPECT_EQ(ReadFile(path).size(), 86U + 300U);
}

TEST_F(ChartFileTest, ReadsACurrentFormatFileBuiltByteByByte) {
    RecordFields a;
    a.data.name = "First";
    RecordFields b;
    b.data.name = "Second";
    b.chart_class = 0;
    b.chart_kind = 200;
    test::DataFields event;
    event.name = "Wedding";
    const std::string bytes = HeaderBytes("Family", 2) + EntryBytes(a, "Hello") + RecordBytes(b) +
                              Le32(1) + test::ChartDataBytes(event) + Le32(3) + "Yes" + Le32(0);
    const fs::path path = temp() / "family.MDcht";
    WriteFile(path, bytes);
    const OpenedChartFile file = OpenChartFile(path);
    ASSERT_GE(file.handle, 1);
    EXPECT_EQ(file.version, kVersionCurrent);
    EXPECT_EQ(file.count, 2);
    EXPECT_EQ(GetChartFileDescription(file.version, file.handle), "Family");
    EXPECT_EQ(ReadChartRecord(file.version, file.handle, 1)->data.name, "First");
    EXPECT_EQ(ReadChartComments(file.version, file.handle, 1), "Hello");
    const auto second = ReadChartRecord(file.version, file.handle, 2);
    EXPECT_EQ(second->chart_class, 1);
    EXPECT_EQ(second->chart_kind, 80);
    EXPECT_EQ(second->comment_link, 2);
    const auto events = ReadChartEvents(file.version, file.handle, 2);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].data.name, "Wedding");
    EXPECT_EQ(events[0].comment, "Yes");
    EXPECT_FALSE(ReadChartRecord(file.version, file.handle, 3).has_value());
    EXPECT_EQ(ReadChartComments(file.version, file.handle, 0), "");
    // Closing an unchanged file leaves it as it was.
    ASSERT_TRUE(CloseChartFile(file.version, file.handle));
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_FALSE(fs::exists(temp() / "family.MDcht.bak"));
}

TEST_F(ChartFileTest, EventsOfAFileWrittenOutOfOrderAreReadInTimeOrder) {
    // Local time + zone hours = UT: 1 Jun 1990 10:00 at -1 is 09:00 UT; 1 Jun 1985 10:00 at -2
    // and 11:00 at -3 are both 08:00 UT, a tie that keeps the file order.
    struct Event {
        const char* name;
        int year;
        int hour;
        float zone;
    };
    const Event in_file[] = {
        {"Wedding", 1990, 10, -1.0F}, {"Graduation", 1985, 10, -2.0F}, {"Tie", 1985, 11, -3.0F}};
    std::string events = Le32(3);
    for (const Event& e : in_file) {
        test::DataFields f;
        f.name = e.name;
        f.year = e.year;
        f.month = 6;
        f.day = 1;
        f.hour = e.hour;
        f.minute = 0;
        f.zone = e.zone;
        events += test::ChartDataBytes(f) + Le32(0);
    }
    const fs::path path = temp() / "events.MDcht";
    WriteFile(path, HeaderBytes("Events", 1) + RecordBytes(RecordFields{}) + events + Le32(0));
    const OpenedChartFile file = OpenChartFile(path);
    ASSERT_GE(file.handle, 1);
    std::vector<std::string> names;
    for (const ChartEvent& e : ReadChartEvents(file.version, file.handle, 1)) {
        names.push_back(e.data.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Graduation", "Tie", "Wedding"}));
    ASSERT_TRUE(CloseChartFile(file.version, file.handle));
}

TEST_F(ChartFileTest, DetectsTheVersionFromTheFirstTwoBytes) {
    struct Case {
        std::string bytes;
        std::string name;
        int version;
        int count;
    };
    const Case cases[] = {
        {Le16(1) + Padded("d", 108), "v1.cht", 1, 0},
        {Le16(2) + std::string(3 * 292 - 2, '\0'), "v2.cht", 2, 2},
        {std::string(2 * 115, '\0'), "v0.cht", 0, 2},
        // Name, class, kind, place, country, zone and mnemonic (83 bytes), then 1 Jan 1950.
        {Le16(7) + std::string(81, ' ') + Le16(1) + Le16(1) + Le16(1950) + std::string(26, '\0'),
         "v0b.cht", 0, 1},
        {std::string(128 * 4, ' '), "import.TSL", -1, 1},
        {HeaderBytes("Renamed", 0), "current.cht", 3, 0},
        {std::string(128 * 3, ' '), "short.tsl", -1, 0},
    };
    for (const Case& c : cases) {
        const fs::path path = temp() / c.name;
        WriteFile(path, c.bytes);
        const OpenedChartFile file = OpenChartFile(path);
        ASSERT_GE(file.handle, 1) << c.name;
        EXPECT_EQ(file.version, c.version) << c.name;
        EXPECT_EQ(file.count, c.count) << c.name;
        CloseChartFile(file.version, file.handle);
    }
    EXPECT_LT(OpenChartFile(temp() / "missing.MDcht").handle, 1);
}

TEST_F(ChartFileTest, Version2FilesAreWrittenInPlaceWithTheirComments) {
    const fs::path path = temp() / "v2.cht";
    ASSERT_TRUE(CreateChartFile(path, kVersion2, "Five"));
    OpenedChartFile file = OpenChartFile(path);
    ASSERT_EQ(file.version, kVersion2);
    ASSERT_TRUE(WriteChartRecord(file.version, file.handle, 1, Record("One")));
    ASSERT_TRUE(WriteChartRecord(file.version, file.handle, 2, Record("Two")));
    EXPECT_EQ(ChartCount(file.version, file.handle), 2);
    EXPECT_FALSE(WriteChartRecord(file.version, file.handle, 4, Record("Gap")));
    ASSERT_TRUE(WriteChartComments(file.version, file.handle, 2, "A comment"));
    EXPECT_EQ(ReadChartComments(file.version, file.handle, 2), "A comment");
    ASSERT_TRUE(SetChartFileDescription(file.version, file.handle, "Renamed"));
    CloseChartFile(file.version, file.handle);

    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 3U * 292U);
    EXPECT_EQ(bytes.substr(0, 82), Le16(2) + Padded("Renamed", 80));
    // Chart 2 is record 3; its comment link points at block 2 of the comment file.
    EXPECT_EQ(bytes.substr(2 * 292 + 158, 4), Le32(2));
    EXPECT_EQ(bytes.substr(2 * 292 + 2, 3), "Two");
    EXPECT_EQ(ReadFile(temp() / "v2.chm"),
              Le32(0) + Padded("", 28) + Le32(0) + Padded("A comment", 28));
    file = OpenChartFile(path);
    EXPECT_EQ(GetChartFileDescription(file.version, file.handle), "Renamed");
    EXPECT_EQ(ReadChartEvents(file.version, file.handle, 1).size(), 0U);
    CloseChartFile(file.version, file.handle);
}

TEST_F(ChartFileTest, EveryWritableFormatRoundTripsItsCharts) {
    struct Case {
        int version;
        std::string name;
    };
    const Case cases[] = {{kVersionCurrent, "rt.MDcht"},
                          {kVersion2, "rt2.cht"},
                          {kVersion1, "rt1.cht"},
                          {kVersionTessel, "rt.tsl"}};
    for (const Case& c : cases) {
        const fs::path path = temp() / c.name;
        ASSERT_TRUE(CreateChartFile(path, c.version, "Round trip"));
        OpenedChartFile file = OpenChartFile(path);
        ASSERT_EQ(file.version, c.version);
        astro::ChartRecord first = Record("First person");
        first.data.place = {"Ulm", "Germany", -10.0F, 48.4F};  // whole seconds for version 1
        astro::ChartRecord second = Record("Second person", 9);
        for (int n = 1; n <= 2; ++n) {
            ASSERT_TRUE(WriteChartRecord(file.version, file.handle, n, n == 1 ? first : second));
        }
        ASSERT_TRUE(CloseChartFile(file.version, file.handle));
        file = OpenChartFile(path);
        ASSERT_EQ(file.count, 2) << c.name;
        EXPECT_EQ(GetChartFileDescription(file.version, file.handle), "Round trip");
        const auto back = ReadChartRecord(file.version, file.handle, 1);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->data.name, "First person") << c.name;
        EXPECT_NEAR(back->data.place.longitude, -10.0, 1e-5);
        EXPECT_NEAR(back->data.place.latitude, 48.4, 1e-5);
        EXPECT_EQ(back->data.date_time.minute, 20);
        EXPECT_EQ(back->data.date_time.second, 30);
        EXPECT_EQ(ReadChartRecord(file.version, file.handle, 2)->data.date_time.day, 9);
        CloseChartFile(file.version, file.handle);
    }
}

TEST_F(ChartFileTest, EventsAreSortedByTheirUniversalTimeKeepingTies) {
    const fs::path path = temp() / "events.MDcht";
    ASSERT_TRUE(CreateChartFile(path, kVersionCurrent, "Events"));
    OpenedChartFile file = OpenChartFile(path);
    ASSERT_TRUE(WriteChartRecord(file.version, file.handle, 1, Record("A")));
    auto event = [](const std::string& name, int year, int hour, float zone) {
        ChartEvent e;
        e.data.name = name;
        e.data.date_time = {static_cast<std::int16_t>(year), 1, 1,
                            static_cast<std::uint8_t>(hour), 0, 0};
        e.data.zone.hours = zone;
        return e;
    };
    // 10:00 at zone +5 is 15:00 UT, after 12:00 at zone 0 (12:00 UT) and 14:00 at -2.
    ASSERT_TRUE(WriteChartEvents(file.version, file.handle, 1,
                                 {event("late", 2001, 0, 0.0F), event("west", 2000, 10, 5.0F),
                                  event("tie-a", 2000, 12, 0.0F), event("tie-b", 2000, 14, -2.0F),
                                  event("early", 1999, 0, 0.0F)}));
    CloseChartFile(file.version, file.handle);
    file = OpenChartFile(path);
    std::vector<std::string> order;
    for (const ChartEvent& e : ReadChartEvents(file.version, file.handle, 1)) {
        order.push_back(e.data.name);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"early", "tie-a", "tie-b", "west", "late"}));
    CloseChartFile(file.version, file.handle);
}

TEST_F(ChartFileTest, SavingKeepsTheOldFileAsBak) {
    const fs::path path = temp() / "bak.MDcht";
    ASSERT_TRUE(CreateChartFile(path, kVersionCurrent, "Bak"));
    const std::string before = ReadFile(path);
    auto names = testing::NamesIn(temp());
    OpenedChartFile file = OpenChartFile(path);
    ASSERT_TRUE(WriteChartRecord(file.version, file.handle, 1, Record("A")));
    ASSERT_TRUE(CloseChartFile(file.version, file.handle));
    EXPECT_EQ(ReadFile(temp() / "bak.MDcht.bak"), before);
    // Nothing else is left behind.
    names.insert("bak.MDcht.bak");
    EXPECT_EQ(testing::NamesIn(temp()), names);
}

TEST_F(ChartFileTest, AFailedWriteBackKeepsTheEntryModified) {
    const fs::path folder = temp() / "locked";
    fs::create_directories(folder);
    const fs::path path = folder / "x.MDcht";
    ASSERT_TRUE(CreateChartFile(path, kVersionCurrent, "X"));
    OpenedChartFile file = OpenChartFile(path);
    ASSERT_TRUE(WriteChartRecord(file.version, file.handle, 1, Record("A")));
    // A folder in the place of the backup: the old file cannot be kept, so it is not replaced.
    fs::create_directories(folder / "x.MDcht.bak" / "block");
    const auto names = testing::NamesIn(folder);
    EXPECT_FALSE(CloseChartFile(file.version, file.handle));
    EXPECT_EQ(ChartCount(file.version, file.handle), 1);
    EXPECT_EQ(ReadFile(path), HeaderBytes("X", 0));
    EXPECT_EQ(testing::NamesIn(folder), names);
    fs::remove_all(folder / "x.MDcht.bak");
    EXPECT_TRUE(CloseChartFile(file.version, file.handle));
    EXPECT_EQ(ReadFile(path).size(), 386U);
}

TEST_F(ChartFileTest, DeletingChartsMovesLaterOnesUp) {
    for (const auto& [version, name] :
         std::vector<std::pair<int, std::string>>{{kVersionCurrent, "d.MDcht"}, {2, "d2.cht"}}) {
        const fs::path path = temp() / name;
        ASSERT_TRUE(CreateChartFile(path, version, "Del"));
        OpenedChartFile file = OpenChartFile(path);
        for (int n = 1; n <= 4; ++n) {
            ASSERT_TRUE(
                WriteChartRecord(file.version, file.handle, n, Record("C" + std::to_string(n))));
            ASSERT_TRUE(
                WriteChartComments(file.version, file.handle, n, "comment " + std::to_string(n)));
        }
        ASSERT_TRUE(CloseChartFile(file.version, file.handle));
        ASSERT_TRUE(DeleteCharts(path, {1, 3}));
        const auto image = ReadChartFileImage(path);
        ASSERT_TRUE(image.has_value());
        ASSERT_EQ(image->charts.size(), 2U) << name;
        EXPECT_EQ(image->charts[0].record.data.name, "C2");
        EXPECT_EQ(image->charts[0].comment, "comment 2");
        EXPECT_EQ(image->charts[1].record.data.name, "C4");
        EXPECT_EQ(image->charts[1].comment, "comment 4");
    }
}

TEST_F(ChartFileTest, ConvertsOlderFilesWithBackupsInOldChart) {
    // A version-1 file with one chart and its comment file; a version-0 file with one chart.
    const std::string v1_record =
        test::Byte(1) + test::Byte(1) + std::string(3, '\0') + Padded("Converted", 30) +
        Padded("Rome", 20) + Padded("Italy", 20) + test::LeFloat(-1.0F) + Padded("CET", 5) +
        test::Byte(2) + test::Byte(6) + Le16(1946) + test::Byte(12) + test::Byte(0) +
        test::Byte(0) + test::Byte(0) + test::Byte(12) + test::Byte(30) + test::Byte(0) +
        test::Byte(1) + test::Byte(41) + test::Byte(54) + test::Byte(0) + test::Byte(4) +
        test::Byte(1) + test::LeFloat(0.0F) + test::Byte(1) + Le32(2);
    const std::string v1_file = Le16(1) + Padded("Old file", 108) + v1_record;
    const std::string chm = Le32(0) + Padded("", 28) + Le32(0) + Padded("Kept comment", 28);
    const fs::path charts = ChartsFolder();
    WriteFile(charts / "old.cht", v1_file);
    WriteFile(charts / "old.chm", chm);
    const ConvertResult result = ConvertChartFile(charts / "old.cht", kVersion1, kVersionCurrent);
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.new_name, charts / "old.MDcht");
    EXPECT_FALSE(fs::exists(charts / "old.cht"));
    EXPECT_FALSE(fs::exists(charts / "old.chm"));
    EXPECT_FALSE(fs::exists(charts / "old.ch6"));
    EXPECT_EQ(ReadFile(charts / "OldChart" / "old.ch4"), v1_file);
    EXPECT_EQ(ReadFile(charts / "OldChart" / "old.chm"), chm);
    const auto chart = LoadChartByNumber(result.new_name, 1);
    ASSERT_TRUE(chart.has_value());
    EXPECT_EQ(chart->record.data.name, "Converted");
    EXPECT_NEAR(chart->record.data.place.longitude, -12.5, 1e-5);  // sign code 0: east
    EXPECT_NEAR(chart->record.data.place.latitude, 41.9, 1e-5);
    EXPECT_EQ(chart->record.comment_link, 1);
    EXPECT_EQ(chart->comment, "Kept comment");
    const std::string converted = ReadFile(result.new_name);
    EXPECT_EQ(converted.substr(0, 86), HeaderBytes("Old file", 1));

    std::string v0 = Padded("Zero", 30) + Le16(1) + Le16(1) + Padded("", 40) + test::LeFloat(0.0F) +
                     Padded("", 5);
    for (int v = 0; v < 16; ++v) {
        v0 += Le16(v == 2 ? 1900 : 1);
    }
    WriteFile(charts / "zero.cht", v0);
    const ConvertResult zero = ConvertChartFile(charts / "zero.cht", kVersion0, kVersionCurrent);
    ASSERT_EQ(zero.status, 0);
    EXPECT_EQ(ReadFile(charts / "OldChart" / "zero.ch2"), v0);
    EXPECT_EQ(ReadFile(zero.new_name).substr(0, 86), HeaderBytes("MDv1/2", 1));
}

TEST_F(ChartFileTest, AConversionThatWouldOverwriteACurrentFileFails) {
    const fs::path charts = ChartsFolder();
    WriteFile(charts / "both.cht", Le16(2) + std::string(290, ' '));
    ASSERT_TRUE(CreateChartFile(charts / "both.MDcht", kVersionCurrent, "Keep me"));
    EXPECT_NE(ConvertChartFile(charts / "both.cht", kVersion2, kVersionCurrent).status, 0);
    EXPECT_TRUE(fs::exists(charts / "both.cht"));
    EXPECT_EQ(ReadFile(charts / "both.MDcht"), HeaderBytes("Keep me", 0));
}

TEST_F(ChartFileTest, OfferingAConversionAsksFirst) {
    const fs::path path = ChartsFolder() / "ask.cht";
    WriteFile(path, Le16(2) + std::string(290, ' '));
    sink().QueueAnswer(startup::kAnswerNo);
    EXPECT_FALSE(OfferChartFileConversion(path, kVersion2).has_value());
    EXPECT_EQ(LastMessage().title, "Old Chart File Format");
    EXPECT_EQ(LastMessage().text, "The selected file is not a v6/v7/v8 chart file:\n" +
                                      path.string() +
                                      "\nDo you wish to convert it to v6/v7/v8 format?");
    EXPECT_TRUE(fs::exists(path));
    sink().QueueAnswer(startup::kAnswerYes);
    EXPECT_EQ(OfferChartFileConversion(path, kVersion2), ChartsFolder() / "ask.MDcht");
}

TEST(ChartFileFormatName, NamesEveryVersion) {
    EXPECT_EQ(ChartFileFormatName(-1), "Tessel");
    EXPECT_EQ(ChartFileFormatName(0), "MDv1/2");
    EXPECT_EQ(ChartFileFormatName(1), "MDv3/4");
    EXPECT_EQ(ChartFileFormatName(2), "MDv5");
    EXPECT_EQ(ChartFileFormatName(3), "MDv6/7");
    EXPECT_EQ(ChartFileFormatName(4), "Unknown");
}

}  // namespace
}  // namespace meridia::charts
