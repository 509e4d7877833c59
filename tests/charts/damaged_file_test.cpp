#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "chart_bytes.h"
#include "charts/chart_files.h"
#include "charts/comment_store.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;
using meridia::testing::ReadFile;
using meridia::testing::WriteFile;
using test::EntryBytes;
using test::HeaderBytes;
using test::Le16;
using test::Le32;
using test::RecordBytes;
using test::RecordFields;

class DamagedFileTest : public meridia::testing::SessionTest {};

std::string GoodFile() {
    RecordFields f;
    return HeaderBytes("Good", 1) + EntryBytes(f, "Comment");
}

TEST_F(DamagedFileTest, EveryCorruptionGivesTheReadErrorAndLosesNothing) {
    RecordFields f;
    const std::string record = RecordBytes(f);
    test::DataFields event;
    const std::string event_data = test::ChartDataBytes(event);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"only the version", Le16(3)},
        {"truncated header", HeaderBytes("Bad", 0).substr(0, 50)},
        {"negative chart count", HeaderBytes("Bad", -1)},
        {"huge chart count", HeaderBytes("Bad", 0x7FFFFFFF)},
        {"count larger than the charts", HeaderBytes("Bad", 2) + EntryBytes(f, "")},
        {"truncated record", HeaderBytes("Bad", 1) + record.substr(0, 200)},
        {"negative event count", HeaderBytes("Bad", 1) + record + Le32(-3) + Le32(0)},
        {"huge event count", HeaderBytes("Bad", 1) + record + Le32(0x10000000) + Le32(0)},
        {"negative event comment length",
         HeaderBytes("Bad", 1) + record + Le32(1) + event_data + Le32(-1) + Le32(0)},
        {"huge event comment length",
         HeaderBytes("Bad", 1) + record + Le32(1) + event_data + Le32(0x7FFFFFFF) + Le32(0)},
        {"negative comment length", HeaderBytes("Bad", 1) + record + Le32(0) + Le32(-100)},
        {"huge comment length", HeaderBytes("Bad", 1) + record + Le32(0) + Le32(0x7FFFFFF0)},
        {"comment beyond the end", HeaderBytes("Bad", 1) + record + Le32(0) + Le32(10) + "short"},
        {"missing comment length", HeaderBytes("Bad", 1) + record + Le32(0)},
    };
    // A file already open stays open and unchanged through every failure.
    const fs::path good = temp() / "good.MDcht";
    WriteFile(good, GoodFile());
    const OpenedChartFile kept = OpenChartFile(good);
    ASSERT_EQ(kept.count, 1);
    for (const Case& c : cases) {
        const fs::path path = temp() / "bad.MDcht";
        WriteFile(path, c.bytes);
        sink().Clear();
        const OpenedChartFile file = OpenChartFile(path);
        EXPECT_LT(file.handle, 1) << c.what;
        ASSERT_EQ(sink().messages().size(), 1U) << c.what;
        EXPECT_EQ(LastMessage().text,
                  "Error whilst attempting to read chart file: " + path.string())
            << c.what;
        EXPECT_EQ(LastMessage().title, "Meridia");
        EXPECT_EQ(ReadFile(path), c.bytes) << c.what;
        EXPECT_FALSE(LoadChartByNumber(path, 1).has_value()) << c.what;
        EXPECT_EQ(ReadFile(path), c.bytes) << c.what;
    }
    EXPECT_EQ(ChartCount(kept.version, kept.handle), 1);
    EXPECT_EQ(ReadChartComments(kept.version, kept.handle, 1), "Comment");
    int open_entries = 0;
    for (const ChartFileCacheEntry& entry : Cache().entries) {
        open_entries += entry.in_use ? 1 : 0;
    }
    EXPECT_EQ(open_entries, 1);
    EXPECT_TRUE(CloseChartFile(kept.version, kept.handle));
    EXPECT_EQ(ReadFile(good), GoodFile());
}

TEST_F(DamagedFileTest, OlderFormatsNeverReadPastTheirRecords) {
    RecordFields f;
    f.link = 0x7FFFFFFF;  // a comment link far beyond the comment file
    const std::string v2 = Le16(2) + std::string(290, ' ') + RecordBytes(f) + "partial record";
    const fs::path path = temp() / "odd.cht";
    WriteFile(path, v2);
    WriteFile(temp() / "odd.chm", Le32(0) + std::string(28, ' ') + "xx");
    const OpenedChartFile file = OpenChartFile(path);
    ASSERT_EQ(file.version, kVersion2);
    EXPECT_EQ(file.count, 1);
    EXPECT_TRUE(ReadChartRecord(file.version, file.handle, 1).has_value());
    EXPECT_FALSE(ReadChartRecord(file.version, file.handle, 2).has_value());
    EXPECT_FALSE(ReadChartRecord(file.version, file.handle, -5).has_value());
    EXPECT_EQ(ReadChartComments(file.version, file.handle, 1), "");
    EXPECT_FALSE(WriteChartRecord(kVersion0, file.handle, 1, astro::ChartRecord{}));
    CloseChartFile(file.version, file.handle);
    // Handles that were never given out are refused.
    EXPECT_FALSE(ReadChartRecord(kVersionCurrent, 99, 1).has_value());
    EXPECT_FALSE(WriteChartRecord(kVersionCurrent, 0, 1, astro::ChartRecord{}));
    EXPECT_EQ(ReadChartComments(kVersion1, 42, 1), "");
}

}  // namespace
}  // namespace meridia::charts

namespace meridia::charts {
namespace {

// Random damage (flipped bytes, cut files) never crashes a reader: each damaged file either
// reads or gives the read-error status (shown by nobody here), and the file on disk is left as
// it was.
TEST_F(DamagedFileTest, RandomDamageIsAlwaysCaught) {
    RecordFields f;
    test::DataFields event;
    const std::string good = HeaderBytes("Fuzz", 2) + EntryBytes(f, "First comment") +
                             RecordBytes(f) + Le32(2) + test::ChartDataBytes(event) + Le32(4) +
                             "note" + test::ChartDataBytes(event) + Le32(0) + Le32(5) + "tail.";
    std::mt19937 random(20240601U);
    const fs::path path = temp() / "fuzz.MDcht";
    for (int round = 0; round < 400; ++round) {
        std::string bytes = good;
        const int flips = static_cast<int>(random() % 6) + 1;
        for (int k = 0; k < flips; ++k) {
            bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
        }
        if (random() % 3 == 0) {
            bytes.resize(random() % bytes.size());
        }
        WriteFile(path, bytes);
        sink().Clear();
        const auto image = LoadChartFileImage(path);
        EXPECT_TRUE(sink().messages().empty()) << "round " << round;
        if (image.ok()) {
            EXPECT_LE(image->charts.size(), bytes.size() / 300U);
        } else {
            EXPECT_EQ(image.status().message(),
                      "Error whilst attempting to read chart file: " + path.string())
                << "round " << round;
        }
        const auto chart = LoadChartByNumber(path, 2);
        (void)chart;
        EXPECT_EQ(ReadFile(path), bytes) << "round " << round;
    }
}

TEST_F(DamagedFileTest, RandomCommentFilesNeverRunAway) {
    std::mt19937 random(7U);
    for (int round = 0; round < 300; ++round) {
        std::string chm(32U * (random() % 40 + 1), '\0');
        for (char& c : chm) {
            c = static_cast<char>(random() % 8 == 0 ? random() & 0xFF : random() % 6);
        }
        const auto first = static_cast<std::int32_t>(random() % 45);
        const std::string text = ReadCommentChain(chm, first);
        EXPECT_LE(text.size(), 2U * kMaxCommentBlocks * kCommentTextWidth);
        std::int32_t link = first;
        FreeCommentChain(chm, link);
        EXPECT_EQ(link, 0);
        StoreCommentChain(chm, link, std::string(100, 'k'));
        EXPECT_EQ(ReadCommentChain(chm, link), std::string(100, 'k')) << "round " << round;
    }
}

}  // namespace
}  // namespace meridia::charts

namespace meridia::charts {
namespace {

using meridia::testing::ReadFile;
using meridia::testing::WriteFile;
using startup::StatusCode;
using test::ChartDataBytes;
using test::DataFields;
using test::EntryBytes;
using test::HeaderBytes;
using test::Le16;
using test::Le32;
using test::Padded;
using test::RecordBytes;
using test::RecordFields;

class RefusedFileTest : public meridia::testing::SessionTest {
protected:
    // Opens `bytes` saved as `name` while another file is open, and checks that the refusal
    // is the read-error message with the expected code, that the file on disk and the open
    // file stay as they were, and that the version in force does not change.
    void ExpectRefused(const std::string& name, const std::string& bytes, StatusCode code) {
        SCOPED_TRACE(name);
        const fs::path kept_path = temp() / "kept.MDcht";
        WriteFile(kept_path, HeaderBytes("Kept", 1) + EntryBytes(RecordFields{}, "Kept comment"));
        const OpenedChartFile kept = OpenChartFile(kept_path);
        ASSERT_GE(kept.handle, 1);
        const int version_before = Cache().current_version;
        const fs::path path = temp() / name;
        WriteFile(path, bytes);
        sink().Clear();
        const OpenedChartFile file = OpenChartFile(path);
        const std::string text = "Error whilst attempting to read chart file: " + path.string();
        EXPECT_LT(file.handle, 1);
        EXPECT_EQ(file.status.code(), code);
        EXPECT_EQ(file.status.message(), text);
        EXPECT_EQ(file.status.title(), "Meridia");
        EXPECT_EQ(file.status.path(), path);
        ASSERT_EQ(sink().messages().size(), 1U);
        EXPECT_EQ(LastMessage().text, text);
        EXPECT_EQ(LastMessage().title, "Meridia");
        EXPECT_EQ(ReadFile(path), bytes);
        EXPECT_EQ(Cache().current_version, version_before);
        EXPECT_EQ(ReadChartComments(kept.version, kept.handle, 1), "Kept comment");
        EXPECT_TRUE(CloseChartFile(kept.version, kept.handle));
    }
};

// A file too short for what its first bytes announce is not a chart file.
TEST_F(RefusedFileTest, FilesTooShortForTheirHeaderAreDamaged) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"v1.cht", Le16(1) + Padded("Description cut short", 40)},
        {"v2.cht", Le16(2) + Padded("", 79)},  // one byte short of version + description
        {"block.tsl", std::string(79, ' ')},
        {"only-version.MDcht", Le16(3)},
        {"no-count.MDcht", Le16(3) + Padded("Header", 80) + Le16(0)},
        // Any other first bytes mean the headerless oldest format: a text file is not a whole
        // number of its records, and a record of 0xFF bytes holds no chart.
        {"notes.cht", "These are my notes, not a chart file.\n"},
        {"garbage.cht", std::string(2 * 115, '\xFF')},
    };
    for (const Case& c : cases) {
        ExpectRefused(c.name, c.bytes, StatusCode::kDamaged);
    }
}

// Values no chart can have are refused instead of being passed on to a calculation; the
// limits themselves are accepted.
TEST_F(RefusedFileTest, ValuesOutsideTheirRangesAreRefused) {
    struct Case {
        const char* what;
        void (*change)(RecordFields&);
    };
    const Case refused[] = {
        {"latitude 90.01", [](RecordFields& f) { f.data.latitude = 90.01F; }},
        {"latitude -91", [](RecordFields& f) { f.data.latitude = -91.0F; }},
        {"longitude 180.5", [](RecordFields& f) { f.data.longitude = 180.5F; }},
        {"longitude -1000", [](RecordFields& f) { f.data.longitude = -1000.0F; }},
        {"zone 24.5 hours", [](RecordFields& f) { f.data.zone = 24.5F; }},
        {"zone -25 hours", [](RecordFields& f) { f.data.zone = -25.0F; }},
        {"house system 0", [](RecordFields& f) { f.house_system = 0; }},
        {"house system 33", [](RecordFields& f) { f.house_system = 33; }},
        {"zodiac 18", [](RecordFields& f) { f.zodiac = 18; }},
        {"month 13", [](RecordFields& f) { f.data.month = 13; }},
        {"day 0", [](RecordFields& f) { f.data.day = 0; }},
        {"hour 24", [](RecordFields& f) { f.data.hour = 24; }},
        {"minute 60", [](RecordFields& f) { f.data.minute = 60; }},
    };
    for (const Case& c : refused) {
        RecordFields f;
        c.change(f);
        ExpectRefused(std::string(c.what) + ".MDcht", HeaderBytes("Bad", 1) + EntryBytes(f, ""),
                      StatusCode::kOutOfRange);
    }
    // An event is checked like the chart.
    DataFields event;
    event.latitude = 95.0F;
    ExpectRefused("event.MDcht",
                  HeaderBytes("Bad", 1) + RecordBytes(RecordFields{}) + Le32(1) +
                      ChartDataBytes(event) + Le32(0) + Le32(0),
                  StatusCode::kOutOfRange);

    RecordFields limits;
    limits.data.latitude = -90.0F;
    limits.data.longitude = 180.0F;
    limits.data.zone = -24.0F;
    limits.house_system = 32;
    limits.zodiac = 17;
    limits.data.month = 12;
    limits.data.day = 31;
    limits.data.hour = 23;
    limits.data.minute = 59;
    limits.data.second = 59;
    const fs::path path = temp() / "limits.MDcht";
    WriteFile(path, HeaderBytes("Limits", 1) + EntryBytes(limits, ""));
    const auto image = LoadChartFileImage(path);
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image->charts.at(0).record.data.place.latitude, -90.0F);
}

TEST_F(RefusedFileTest, LoadingReportsTheReasonWithoutShowingIt) {
    struct Case {
        const char* name;
        std::string bytes;  // empty: no file
        StatusCode code;
    };
    RecordFields south_of_the_pole;
    south_of_the_pole.data.latitude = -95.0F;
    const Case cases[] = {
        {"missing.MDcht", "", StatusCode::kNotFound},
        {"older.MDcht", Le16(2) + Padded("Older", 80) + std::string(210, '\0'),
         StatusCode::kWrongVersion},
        {"short.MDcht", HeaderBytes("Short", 2) + EntryBytes(RecordFields{}, ""),
         StatusCode::kDamaged},
        {"pole.MDcht", HeaderBytes("Pole", 1) + EntryBytes(south_of_the_pole, ""),
         StatusCode::kOutOfRange},
    };
    for (const Case& c : cases) {
        const fs::path path = temp() / c.name;
        if (!c.bytes.empty()) {
            WriteFile(path, c.bytes);
        }
        sink().Clear();
        const auto image = LoadChartFileImage(path);
        EXPECT_FALSE(image.ok()) << c.name;
        EXPECT_EQ(image.status().code(), c.code) << c.name;
        EXPECT_EQ(image.status().message(),
                  "Error whilst attempting to read chart file: " + path.string());
        EXPECT_TRUE(sink().messages().empty()) << c.name;
    }
}

// A missing file is reported back with its own text and nothing is shown.
TEST_F(RefusedFileTest, MissingFileIsOnlyReportedBack) {
    const fs::path path = temp() / "nowhere.MDcht";
    const OpenedChartFile file = OpenChartFile(path);
    EXPECT_LT(file.handle, 1);
    EXPECT_EQ(file.status.code(), StatusCode::kNotFound);
    EXPECT_EQ(file.status.message(), "Cannot open chart file: " + path.string());
    EXPECT_TRUE(sink().messages().empty());
    const auto chart = LoadChartByNumber(path, 1);
    EXPECT_EQ(chart.status().code(), StatusCode::kNotFound);
}

// Older formats have no count to check; a record is checked when it is read, and a listing
// stops at the first bad one with the record message.
TEST_F(RefusedFileTest, OlderRecordsOutsideTheirRangesAreRefusedWhenRead) {
    RecordFields good;
    RecordFields bad;
    bad.data.zone = 30.0F;
    const fs::path path = temp() / "mixed.cht";
    const std::string bytes = Le16(2) + Padded("Mixed", 80) + std::string(210, '\0') +
                              RecordBytes(good) + RecordBytes(bad);
    WriteFile(path, bytes);
    const OpenedChartFile file = OpenChartFile(path);
    ASSERT_GE(file.handle, 1);
    ASSERT_EQ(file.count, 2);
    EXPECT_TRUE(ReadChartRecord(file.version, file.handle, 1).ok());
    const auto second = ReadChartRecord(file.version, file.handle, 2);
    EXPECT_EQ(second.status().code(), StatusCode::kOutOfRange);
    EXPECT_EQ(second.status().message(), "An error occurred whilst reading chart file record 2");
    EXPECT_EQ(second.status().title(), "Meridia");
    EXPECT_EQ(ReadChartRecord(file.version, file.handle, 3).status().code(), StatusCode::kNotFound);
    CloseChartFile(file.version, file.handle);

    sink().Clear();
    const auto image = ReadChartFileImage(path);
    EXPECT_EQ(image.status().code(), StatusCode::kOutOfRange);
    ASSERT_EQ(sink().messages().size(), 1U);
    EXPECT_EQ(LastMessage().text, "An error occurred whilst reading chart file record 2");
    EXPECT_EQ(ReadFile(path), bytes);
}

}  // namespace
}  // namespace meridia::charts
