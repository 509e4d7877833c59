#include <gtest/gtest.h>

#include <filesystem>

#include "charts/point_selection.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

namespace fs = std::filesystem;

class FactorySelectionTest : public meridia::testing::SessionTest {};

// The factory selections named by the settings' defaults, read from the program folder.
TEST_F(FactorySelectionTest, FactoryFilesHoldTheirPoints) {
    const fs::path folder = meridia::testing::FactoryDir() / "Points & Colors";
    const std::vector<int> planets_and_angles = {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 20, 22, 23};
    std::vector<int> all_points;
    for (int p = 1; p <= 50; ++p) {
        all_points.push_back(p);
    }
    struct Case {
        const char* file;
        SelectionKind kind;
        std::vector<int> selected;
    };
    const Case cases[] = {
        {"plan&ch.pts", SelectionKind::kDisplayed, planets_and_angles},
        {"allpoint.pts", SelectionKind::kDisplayed, all_points},
        {"all.adp", SelectionKind::kAspected, all_points},
        {"plan&ch.adp", SelectionKind::kAspected, planets_and_angles},
        {"allpoint.trp", SelectionKind::kTransiting, all_points},
        {"plan&ch.trp", SelectionKind::kTransiting, planets_and_angles},
        {"allpoint.prp", SelectionKind::kProgressing, all_points},
        {"plan&ch.prp", SelectionKind::kProgressing, planets_and_angles},
        {"none.etp", SelectionKind::kExtraTransiting, {}},
        {"none.epp", SelectionKind::kExtraProgressing, {}},
        {"none.erp", SelectionKind::kExtraRadix, {}},
    };
    for (const Case& c : cases) {
        // The build writes every one of them; a missing one is a fault of the build.
        ASSERT_TRUE(fs::is_regular_file(folder / c.file)) << folder / c.file;
        EXPECT_EQ(fs::file_size(folder / c.file), 50U * kSelectionRecordSize) << c.file;
        PointSelection table;
        ASSERT_TRUE(LoadPointSelection((folder / c.file).string(), c.kind, table, 50).loaded)
            << c.file;
        std::vector<int> selected;
        for (int p = 1; p <= 50; ++p) {
            if (table.geocentric[static_cast<std::size_t>(p)]) {
                selected.push_back(p);
            }
        }
        EXPECT_EQ(selected, c.selected) << c.file;
    }
}

}  // namespace
}  // namespace meridia::charts
