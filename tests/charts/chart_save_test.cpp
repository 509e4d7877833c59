#include "charts/chart_save.h"

#include <gtest/gtest.h>

#include "astro/chart_table.h"
#include "chart_bytes.h"
#include "charts/chart_files.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;

class ChartSaveTest : public meridia::testing::SessionTest {
protected:
    static astro::ChartRecord Chart(int chart_class, int chart_kind) {
        astro::ChartRecord r;
        r.chart_class = static_cast<std::uint8_t>(chart_class);
        r.chart_kind = static_cast<std::uint8_t>(chart_kind);
        r.data.name = "Saved";
        return r;
    }
    fs::path NewFile(const std::string& name, int version) {
        const fs::path path = temp() / name;
        EXPECT_TRUE(CreateChartFile(path, version, "Save"));
        return path;
    }
    int Count(const fs::path& path) {
        const auto image = ReadChartFileImage(path);
        return image ? static_cast<int>(image->charts.size()) : -1;
    }
};

TEST_F(ChartSaveTest, RefusesWhatAFileCannotTake) {
    struct Case {
        int version;
        int chart_class;
        int chart_kind;
        SaveStatus status;
        std::string message;
        std::string title;
    };
    const std::string unsavable = "The selected chart is not a savable chart.";
    const std::string invalid = "The selected file is not a valid chart file for saving.";
    const std::string subsidiary =
        "The selected file is not a valid chart file for saving subsidiary charts.";
    const Case cases[] = {
        {kVersionCurrent, 5, 14, SaveStatus::kRefused, unsavable, "Unsavable Chart"},
        {kVersionCurrent, 5, 3, SaveStatus::kRefused, unsavable, "Unsavable Chart"},
        {kVersion2, 5, 14, SaveStatus::kRefused, unsavable, "Unsavable Chart"},
        {kVersion1, 5, 14, SaveStatus::kRefused, unsavable, "Unsavable Chart"},
        {kVersion0, 5, 14, SaveStatus::kRefused, unsavable, "Unsavable Chart"},
        {kVersion0, 1, 1, SaveStatus::kRefused, invalid, "Invalid Chart File"},
        {kVersion1, 2, 1, SaveStatus::kRefused, subsidiary, "Invalid Chart File"},
        {kVersion1, 4, 44, SaveStatus::kRefused, subsidiary, "Invalid Chart File"},
        {kVersion1, 4, 45, SaveStatus::kRefused, subsidiary, "Invalid Chart File"},
        {kVersion1, 5, 16, SaveStatus::kRefused, subsidiary, "Invalid Chart File"},
        {kVersion1, 16, 2, SaveStatus::kRefused, subsidiary, "Invalid Chart File"},
        {kVersion1, 1, 1, SaveStatus::kSaved, "", ""},
        {kVersion1, 8, 30, SaveStatus::kSaved, "", ""},
        {kVersion1, 4, 43, SaveStatus::kSaved, "", ""},
        {kVersion1, 5, 15, SaveStatus::kSaved, "", ""},
        {kVersion1, 16, 1, SaveStatus::kSaved, "", ""},
        {kVersion2, 2, 1, SaveStatus::kSaved, "", ""},
        {kVersionCurrent, 5, 15, SaveStatus::kSaved, "", ""},
    };
    int i = 0;
    for (const Case& c : cases) {
        const fs::path path =
            NewFile("f" + std::to_string(i++) + (c.version == kVersionCurrent ? ".MDcht" : ".cht"),
                    c.version);
        if (c.version == kVersion0) {
            testing::WriteFile(path, std::string(115, '\0'));
        }
        const std::string before = testing::ReadFile(path);
        sink().Clear();
        SaveChartRequest request;
        request.file = path;
        const SaveChartResult result = SaveChartToFile(Chart(c.chart_class, c.chart_kind), request);
        EXPECT_EQ(result.status, c.status)
            << c.version << " " << c.chart_class << "/" << c.chart_kind;
        if (c.status == SaveStatus::kRefused) {
            EXPECT_EQ(LastMessage().text, c.message) << c.chart_class << "/" << c.chart_kind;
            EXPECT_EQ(LastMessage().title, c.title);
            EXPECT_EQ(testing::ReadFile(path), before);
        } else {
            EXPECT_EQ(result.number, 1);
            EXPECT_TRUE(sink().messages().empty());
        }
    }
}

TEST_F(ChartSaveTest, ReplacingKeepsTheChartCount) {
    const fs::path path = NewFile("twice.MDcht", kVersionCurrent);
    SaveChartRequest request;
    request.file = path;
    request.comment = "first";
    ASSERT_EQ(SaveChartToFile(Chart(1, 1), request).number, 1);
    request.replace = true;
    request.replace_number = 1;
    request.comment.reset();
    astro::ChartRecord changed = Chart(1, 1);
    changed.data.name = "Changed";
    ASSERT_EQ(SaveChartToFile(changed, request).status, SaveStatus::kSaved);
    EXPECT_EQ(Count(path), 1);
    const auto chart = LoadChartByNumber(path, 1);
    EXPECT_EQ(chart->record.data.name, "Changed");
    EXPECT_EQ(chart->comment, "first");
    request.replace_number = 2;
    EXPECT_EQ(SaveChartToFile(changed, request).status, SaveStatus::kRefused);
}

TEST_F(ChartSaveTest, ReplacingInAnOlderFileFreesTheOldComment) {
    const fs::path path = NewFile("old.cht", kVersion2);
    SaveChartRequest request;
    request.file = path;
    request.comment = std::string(57, 'a');
    ASSERT_EQ(SaveChartToFile(Chart(1, 1), request).status, SaveStatus::kSaved);
    const std::size_t chm_size = testing::ReadFile(temp() / "old.chm").size();
    EXPECT_EQ(chm_size, 4U * 32U);
    request.replace = true;
    request.replace_number = 1;
    request.comment = std::string(50, 'b');
    ASSERT_EQ(SaveChartToFile(Chart(1, 1), request).status, SaveStatus::kSaved);
    EXPECT_EQ(testing::ReadFile(temp() / "old.chm").size(), chm_size);
    EXPECT_EQ(LoadChartByNumber(path, 1)->comment, std::string(50, 'b'));
    EXPECT_EQ(Count(path), 1);
}

TEST_F(ChartSaveTest, ACalculatedChartAlreadySavedAsksBeforeAnotherCopy) {
    const fs::path path = NewFile("slot.MDcht", kVersionCurrent);
    astro::Slot(1).record = Chart(1, 1);
    astro::Slot(1).file_path.clear();
    astro::Slot(1).record_number = 0;
    SaveChartRequest request;
    request.file = path;
    ASSERT_EQ(SaveCalculatedChart(1, request).status, SaveStatus::kSaved);
    EXPECT_TRUE(sink().messages().empty());
    EXPECT_EQ(astro::Slot(1).file_path, path.string());
    EXPECT_EQ(astro::Slot(1).record_number, 1);
    sink().QueueAnswer(startup::kAnswerCancel);
    EXPECT_EQ(SaveCalculatedChart(1, request).status, SaveStatus::kCancelled);
    EXPECT_EQ(LastMessage().text, "This chart is already saved. Do you wish to save another copy?");
    EXPECT_EQ(LastMessage().title, "Save Chart To Disk");
    EXPECT_EQ(Count(path), 1);
    sink().QueueAnswer(startup::kAnswerOk);
    EXPECT_EQ(SaveCalculatedChart(1, request).number, 2);
    EXPECT_EQ(Count(path), 2);
}

}  // namespace
}  // namespace meridia::charts
