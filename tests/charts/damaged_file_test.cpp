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
