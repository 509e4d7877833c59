#include "charts/chart_backup.h"

#include <gtest/gtest.h>

#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;
using meridia::testing::ReadFile;
using meridia::testing::WriteFile;

class ChartBackupTest : public meridia::testing::SessionTest {};

TEST_F(ChartBackupTest, BacksUpChartAndCommentFiles) {
    const fs::path charts = temp() / "charts";
    const fs::path target = temp() / "backup";
    WriteFile(charts / "a.MDcht", "current");
    WriteFile(charts / "b.cht", "old");
    WriteFile(charts / "b.chm", "comments");
    WriteFile(charts / "notes.txt", "other");
    sink().QueueAnswer(startup::kAnswerYes);
    EXPECT_EQ(BackupChartFiles(charts, target), 3);
    EXPECT_EQ(sink().messages().front().text, "3 files in:\n" + charts.string() +
                                                  "\nwill be copied to:\n" + target.string() +
                                                  "\n\nDo you wish to proceed?");
    EXPECT_EQ(LastMessage().text, "Files were successfully backed up.");
    EXPECT_EQ(ReadFile(target / "b.chm"), "comments");
    EXPECT_EQ(ReadFile(target / "a.MDcht"), "current");
    EXPECT_FALSE(fs::exists(target / "notes.txt"));
    sink().QueueAnswer(startup::kAnswerNo);
    EXPECT_EQ(BackupChartFiles(charts, temp() / "declined"), -1);
    EXPECT_FALSE(fs::exists(temp() / "declined"));
}

TEST_F(ChartBackupTest, RestoreAsksBeforeOverwriting) {
    const fs::path backup = temp() / "backup";
    const fs::path charts = temp() / "charts";
    WriteFile(backup / "a.MDcht", "new a");
    WriteFile(backup / "b.cht", "new b");
    WriteFile(backup / "b.chm", "new b comments");
    WriteFile(backup / "c.MDcht", "new c");
    WriteFile(charts / "a.MDcht", "old a");
    WriteFile(charts / "c.MDcht", "old c");
    sink().QueueAnswer(startup::kAnswerYes);  // proceed
    sink().QueueAnswer(startup::kAnswerNo);   // a.MDcht: skip
    sink().QueueAnswer(startup::kAnswerYes);  // c.MDcht: overwrite
    EXPECT_EQ(RestoreChartFiles(backup, charts), 2);
    const auto& messages = sink().messages();
    ASSERT_EQ(messages.size(), 4U);
    EXPECT_EQ(messages[0].text,
              "3 chart files will be copied from " + backup.string() + " to " + charts.string() +
                  "\n\nWARNING - If you have any existing chart files of the same name as those "
                  "being restored, they will be overwritten.\n\nDo you wish to proceed?");
    EXPECT_EQ(messages[1].title, "Overwrite Existing Chart File?");
    EXPECT_EQ(messages[1].text,
              "Do you wish to overwrite the existing file\n" + (charts / "a.MDcht").string() +
                  "\nwith the following file from your backup location\n" +
                  (backup / "a.MDcht").string() +
                  "\n\nChoose YES to overwrite it.\nChoose NO to skip this file.\nChoose CANCEL "
                  "to quit the copying process altogether.");
    EXPECT_EQ(messages[3].text, "2 chart files were restored.");
    EXPECT_EQ(ReadFile(charts / "a.MDcht"), "old a");
    EXPECT_EQ(ReadFile(charts / "b.cht"), "new b");
    EXPECT_EQ(ReadFile(charts / "b.chm"), "new b comments");
    EXPECT_EQ(ReadFile(charts / "c.MDcht"), "new c");
}

TEST_F(ChartBackupTest, CancelStopsTheRestore) {
    const fs::path backup = temp() / "backup";
    const fs::path charts = temp() / "charts";
    WriteFile(backup / "a.MDcht", "new a");
    WriteFile(backup / "b.MDcht", "new b");
    WriteFile(charts / "a.MDcht", "old a");
    sink().QueueAnswer(startup::kAnswerYes);
    sink().QueueAnswer(startup::kAnswerCancel);
    EXPECT_EQ(RestoreChartFiles(backup, charts), 0);
    EXPECT_EQ(ReadFile(charts / "a.MDcht"), "old a");
    EXPECT_FALSE(fs::exists(charts / "b.MDcht"));
    EXPECT_EQ(LastMessage().text, "0 chart files were restored.");
}

}  // namespace
}  // namespace meridia::charts
