#include "charts/point_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;

std::vector<int> Selected(const std::array<bool, kSelectionPoints + 1>& column) {
    std::vector<int> points;
    for (int p = 1; p <= kSelectionPoints; ++p) {
        if (column[static_cast<std::size_t>(p)]) {
            points.push_back(p);
        }
    }
    return points;
}

class PointListTest : public meridia::testing::SessionTest {};

TEST_F(PointListTest, ReadsNumbersAndRanges) {
    struct Row {
        const char* text;
        std::vector<int> geocentric;
    };
    const Row rows[] = {
        {"3", {3}},
        {"3,5-12,22,23", {3, 5, 6, 7, 8, 9, 10, 11, 12, 22, 23}},
        {" 1 , 2 - 4 ,50", {1, 2, 3, 4, 50}},
        {"7-7", {7}},
        {"12,3,3,12", {3, 12}},
        {"048", {48}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto list = ParsePointList(row.text, 50);
        ASSERT_TRUE(list.ok()) << list.status().message();
        EXPECT_EQ(Selected(list->geocentric), row.geocentric);
        EXPECT_EQ(list->geocentric_count, static_cast<int>(row.geocentric.size()));
    }
    EXPECT_TRUE(sink().messages().empty());
}

// The heliocentric column follows the inline-selection rule: the Earth for the Sun, and none
// of the Moon, the nodes, Fortune, Black Moon and Selena.
TEST_F(PointListTest, SelectsTheHeliocentricColumnLikeAnInlineSelection) {
    const auto list = ParsePointList("1-3,20,21,26,36,48,5", 50);
    ASSERT_TRUE(list.ok());
    PointSelection inline_selection;
    ASSERT_TRUE(
        LoadPointSelection("x~|010203202126364805", SelectionKind::kAspected, inline_selection, 50)
            .loaded);
    EXPECT_EQ(Selected(list->heliocentric), Selected(inline_selection.heliocentric));
    EXPECT_EQ(Selected(list->heliocentric), (std::vector<int>{2, 5}));
}

TEST_F(PointListTest, RefusesBadListsNamingTheItem) {
    struct Row {
        const char* text;
        const char* item;
    };
    const Row rows[] = {
        {"0", "0"},         {"51", "51"},     {"3,,5", ""},     {"3,", ""},
        {",3", ""},         {"12-5", "12-5"}, {"5-", "5-"},     {"-5", "-5"},
        {"1-2-3", "1-2-3"}, {"1000", "1000"}, {"3,4 5", "4 5"}, {"2,x", "x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto list = ParsePointList(row.text, 50);
        ASSERT_FALSE(list.ok());
        EXPECT_EQ(list.status().code(), startup::StatusCode::kRefused);
        EXPECT_EQ(list.status().message(), std::string("The point list \"") + row.text +
                                               "\" is not valid: \"" + row.item +
                                               "\" is not a point number from 1 to 50 or a "
                                               "range of them such as 5-12.");
        EXPECT_EQ(list.status().title(), "Point List");
    }
    // Nothing is shown: the caller decides.
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(PointListTest, TellsListsFromSelectionNames) {
    EXPECT_TRUE(IsPointList("3,5-12"));
    EXPECT_TRUE(IsPointList(" 7 "));
    EXPECT_FALSE(IsPointList("Aspected"));
    EXPECT_FALSE(IsPointList("/tmp/3.adp"));
    EXPECT_FALSE(IsPointList("x~|0103"));
    EXPECT_FALSE(IsPointList(""));
    EXPECT_FALSE(IsPointList(",-"));
}

TEST_F(PointListTest, OptionTakesAListOrASelection) {
    const auto list = ReadPointsOption("1,3", SelectionKind::kAspected, 50);
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(Selected(list->geocentric), (std::vector<int>{1, 3}));

    const auto inline_selection = ReadPointsOption("x~|0509", SelectionKind::kAspected, 50);
    ASSERT_TRUE(inline_selection.ok());
    EXPECT_EQ(Selected(inline_selection->geocentric), (std::vector<int>{5, 9}));

    const auto missing = ReadPointsOption("NoSuchFile", SelectionKind::kAspected, 50);
    ASSERT_FALSE(missing.ok());
    const fs::path path = session().folders().user_files / "Points & Colors" / "NoSuchFile.adp";
    EXPECT_EQ(missing.status().code(), startup::StatusCode::kNotFound);
    EXPECT_EQ(missing.status().message(), "Point file " + path.string() + " could not be loaded.");
    EXPECT_EQ(missing.status().path(), path);

    testing::WriteFile(session().folders().user_files / "Points & Colors" / "Empty.adp", "");
    const auto empty = ReadPointsOption("Empty", SelectionKind::kAspected, 50);
    ASSERT_FALSE(empty.ok());
    EXPECT_EQ(empty.status().message(), "");  // the loader has shown its "is empty" message
    EXPECT_EQ(LastMessage().title, "Empty File");
}

}  // namespace
}  // namespace meridia::charts
