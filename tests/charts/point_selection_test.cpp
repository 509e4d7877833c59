#include "charts/point_selection.h"

#include <gtest/gtest.h>

#include "chart_bytes.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;
using test::Le16;
using test::Padded;

class PointSelectionTest : public meridia::testing::SessionTest {
protected:
    // A selection file built record by record: 20-character name, 16-bit flag.
    fs::path WriteSelection(const std::string& name, const std::vector<int>& selected,
                            int records = 50, int other_flag = 0) {
        std::string bytes;
        for (int point = 1; point <= records; ++point) {
            const bool on = std::find(selected.begin(), selected.end(), point) != selected.end();
            bytes += Padded("P" + std::to_string(point), 20) + Le16(on ? -1 : other_flag);
        }
        const fs::path path = session().folders().user_files / "Points & Colors" / name;
        testing::WriteFile(path, bytes);
        return path;
    }
    static std::vector<int> Selected(const std::array<bool, kSelectionPoints + 1>& column) {
        std::vector<int> points;
        for (int p = 1; p <= kSelectionPoints; ++p) {
            if (column[static_cast<std::size_t>(p)]) {
                points.push_back(p);
            }
        }
        return points;
    }
};

TEST_F(PointSelectionTest, AppliesTheHeliocentricRule) {
    struct Case {
        std::vector<int> selected;
        std::vector<int> geo;
        std::vector<int> helio;
    };
    const Case cases[] = {
        {{3}, {3}, {2}},
        {{1, 20}, {1, 20}, {}},
        {{1, 20, 21, 26, 36, 48}, {1, 20, 21, 26, 36, 48}, {}},
        {{2, 3, 5}, {2, 3, 5}, {2, 5}},
        {{5, 12, 22, 50}, {5, 12, 22, 50}, {5, 12, 22, 50}},
    };
    for (const Case& c : cases) {
        WriteSelection("test.pts", c.selected, 50, 1);  // flags other than -1 are not selected
        PointSelection table;
        const SelectionLoadResult result =
            LoadPointSelection("test", SelectionKind::kDisplayed, table, 50);
        ASSERT_TRUE(result.loaded);
        EXPECT_EQ(Selected(table.geocentric), c.geo);
        EXPECT_EQ(Selected(table.heliocentric), c.helio);
        EXPECT_EQ(result.geocentric_count, static_cast<int>(c.geo.size()));
        EXPECT_EQ(result.heliocentric_count, static_cast<int>(c.helio.size()));
    }
}

TEST_F(PointSelectionTest, ReadsInlineSelections) {
    PointSelection table;
    const SelectionLoadResult result =
        LoadPointSelection("page object~|0305", SelectionKind::kDisplayed, table, 50);
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(Selected(table.geocentric), (std::vector<int>{3, 5}));
    EXPECT_EQ(Selected(table.heliocentric), (std::vector<int>{2, 5}));
    LoadPointSelection("~|010305", SelectionKind::kDisplayed, table, 50);
    EXPECT_EQ(Selected(table.geocentric), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(table.heliocentric_count, 2);
}

TEST_F(PointSelectionTest, EmptyAndMissingFilesKeepThePreviousSelection) {
    PointSelection table;
    LoadPointSelection("~|05", SelectionKind::kDisplayed, table, 50);
    const fs::path empty = session().folders().user_files / "Points & Colors" / "empty.adp";
    testing::WriteFile(empty, "");
    const SelectionLoadResult result =
        LoadPointSelection("empty", SelectionKind::kAspected, table, 50);
    EXPECT_TRUE(result.empty_file);
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(LastMessage().text,
              "Point file empty is empty. Your previous point selection will remain in effect "
              "until you edit this file or select another file which is not empty.");
    EXPECT_EQ(LastMessage().title, "Empty File");
    EXPECT_EQ(Selected(table.geocentric), (std::vector<int>{5}));
    sink().Clear();
    EXPECT_FALSE(LoadPointSelection("nowhere", SelectionKind::kAspected, table, 50).loaded);
    EXPECT_TRUE(sink().messages().empty());
    EXPECT_EQ(Selected(table.geocentric), (std::vector<int>{5}));
}

// A selection file has at most one record per point: bytes beyond the hundredth record are
// never read, and the status says why a file was not loaded.
TEST_F(PointSelectionTest, NeverReadsBeyondTheLastPointAndReportsWhy) {
    PointSelection table;
    const fs::path path = WriteSelection("long.pts", {3, 100}, 100);
    std::string bytes = testing::ReadFile(path);
    ASSERT_EQ(bytes.size(), kMaxSelectionFileBytes);
    bytes += std::string(1 << 20, '\xFF');  // a megabyte of selected flags after the last point
    testing::WriteFile(path, bytes);
    const SelectionLoadResult loaded =
        LoadPointSelection("long", SelectionKind::kDisplayed, table, kSelectionPoints);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_TRUE(loaded.status.ok());
    EXPECT_EQ(loaded.geocentric_count, 2);

    const PointSelection before = table;
    const SelectionLoadResult missing =
        LoadPointSelection("nowhere", SelectionKind::kDisplayed, table, kSelectionPoints);
    EXPECT_FALSE(missing.loaded);
    EXPECT_EQ(missing.status.code(), startup::StatusCode::kNotFound);
    EXPECT_EQ(missing.status.path(), SelectionPath("nowhere", SelectionKind::kDisplayed));
    EXPECT_TRUE(sink().messages().empty());
    WriteSelection("empty.pts", {}, 0);
    const SelectionLoadResult empty =
        LoadPointSelection("empty", SelectionKind::kDisplayed, table, kSelectionPoints);
    EXPECT_EQ(empty.status.code(), startup::StatusCode::kDamaged);
    EXPECT_EQ(empty.status.title(), "Empty File");
    ASSERT_EQ(sink().messages().size(), 1U);
    EXPECT_EQ(LastMessage().text, empty.status.message());
    EXPECT_EQ(table.geocentric, before.geocentric);
    EXPECT_EQ(table.heliocentric, before.heliocentric);
}

TEST_F(PointSelectionTest, AShortFileSelectsOnlyWhatItHolds) {
    WriteSelection("short.trp", {3, 7, 40}, 10);
    PointSelection table;
    LoadPointSelection("short", SelectionKind::kTransiting, table, 60);
    EXPECT_EQ(Selected(table.geocentric), (std::vector<int>{3, 7}));
}

TEST_F(PointSelectionTest, SavedFilesHoldOneRecordPerPoint) {
    PointSelection table;
    LoadPointSelection("~|0312", SelectionKind::kDisplayed, table, 55);
    const fs::path path = temp() / "saved.pts";
    ASSERT_TRUE(SavePointSelection(path, table, 55));
    const std::string bytes = testing::ReadFile(path);
    ASSERT_EQ(bytes.size(), 55U * 22U);
    EXPECT_EQ(bytes.substr(2 * 22 + 20, 2), Le16(-1));
    EXPECT_EQ(bytes.substr(11 * 22 + 20, 2), Le16(-1));
    EXPECT_EQ(bytes.substr(0 * 22 + 20, 2), Le16(0));
    PointSelection back;
    LoadPointSelection(path.string(), SelectionKind::kDisplayed, back, 55);
    EXPECT_EQ(Selected(back.geocentric), (std::vector<int>{3, 12}));
}

TEST_F(PointSelectionTest, NamesResolveToTheKindsExtensionInThePointsFolder) {
    const fs::path folder = session().folders().user_files / "Points & Colors";
    EXPECT_EQ(SelectionPath("plan&ch", SelectionKind::kDisplayed), folder / "plan&ch.pts");
    EXPECT_EQ(SelectionPath("all", SelectionKind::kAspected), folder / "all.adp");
    EXPECT_EQ(SelectionPath("x", SelectionKind::kExtraRadix), folder / "x.erp");
    EXPECT_EQ(SelectionPath("/tmp/y.prp", SelectionKind::kDisplayed), fs::path("/tmp/y.prp"));
}

TEST_F(PointSelectionTest, LoadsTheStandardSelectionsFromTheSettings) {
    WriteSelection("mine.pts", {3, 5});
    WriteSelection("asp.adp", {1});
    WriteSelection("tr.trp", {9, 10});
    session().settings().SetString("PointFileName", "mine");
    session().settings().SetString("AspPntFileName", "asp");
    session().settings().SetString("WheelTransitFileName", "tr");
    LoadStandardSelections(50);
    EXPECT_EQ(Selected(CurrentSelections().displayed.geocentric), (std::vector<int>{3, 5}));
    EXPECT_EQ(Selected(CurrentSelections().aspected.geocentric), (std::vector<int>{1}));
    EXPECT_EQ(Selected(CurrentSelections().transiting.geocentric), (std::vector<int>{9, 10}));
}

}  // namespace
}  // namespace meridia::charts
