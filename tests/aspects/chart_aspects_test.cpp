#include "aspects/chart_aspects.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "astro/chart_calc.h"
#include "support/chart_records.h"
#include "support/test_session.h"

namespace meridia::aspects {
namespace {

class ChartAspectsTest : public testing::SessionTest {
protected:
    void SetUp() override {
        ASSERT_EQ(astro::CalcChart(testing::MakeRecord({.year = 1879,
                                                        .month = 3,
                                                        .day = 14,
                                                        .hour = 11,
                                                        .minute = 30,
                                                        .zone = -0.6667F,
                                                        .latitude = 48.4F,
                                                        .longitude = -10.0F}),
                                   1, 0, 0, true, true),
                  astro::CalcStatus::kOk);
        ASSERT_EQ(astro::CalcChart(testing::MakeRecord({.year = 1749,
                                                        .month = 8,
                                                        .day = 28,
                                                        .zone = -1.0F,
                                                        .latitude = 50.1F,
                                                        .longitude = -8.7F}),
                                   2, 0, 0, true, true),
                  astro::CalcStatus::kOk);
    }
    static std::set<std::pair<int, int>> Pairs(const std::vector<ChartAspect>& aspects) {
        std::set<std::pair<int, int>> pairs;
        for (const ChartAspect& a : aspects) {
            pairs.insert({a.point_a, a.point_b});
        }
        return pairs;
    }
    const AspectSet set_ = StandardAspectSet();
};

TEST_F(ChartAspectsTest, NoSelectionMeansEveryPoint) {
    ChartAspectsRequest request;
    const auto every = FindChartAspects(set_, request);
    charts::PointSelection all;
    for (int p = 1; p <= astro::PointsInUse(); ++p) {
        all.geocentric[static_cast<std::size_t>(p)] = true;
    }
    request.selection = all;
    const auto selected = FindChartAspects(set_, request);
    ASSERT_EQ(every.size(), selected.size());
    EXPECT_FALSE(every.empty());
    for (std::size_t i = 0; i < every.size(); ++i) {
        EXPECT_EQ(every[i].point_a, selected[i].point_a);
        EXPECT_EQ(every[i].point_b, selected[i].point_b);
        EXPECT_EQ(every[i].result.aspect, selected[i].result.aspect);
        EXPECT_EQ(every[i].name, set_.Aspect(every[i].result.aspect).name);
    }
}

// Within one chart each pair comes once, the lower point first, and only selected points
// take part; the grid of two charts pairs every selected point of A with every one of B.
TEST_F(ChartAspectsTest, OneChartPairsOnceTwoChartsPairEveryPoint) {
    ChartAspectsRequest request;
    charts::PointSelection selection;
    for (const int p : {1, 3, 5, 6, 7}) {
        selection.geocentric[static_cast<std::size_t>(p)] = true;
    }
    request.selection = selection;
    for (const ChartAspect& a : FindChartAspects(set_, request)) {
        EXPECT_LT(a.point_a, a.point_b);
        EXPECT_TRUE(selection.geocentric[static_cast<std::size_t>(a.point_a)]);
        EXPECT_TRUE(selection.geocentric[static_cast<std::size_t>(a.point_b)]);
    }
    request.slot_b = 2;
    const auto grid = FindChartAspects(set_, request);
    for (const ChartAspect& a : grid) {
        EXPECT_TRUE(selection.geocentric[static_cast<std::size_t>(a.point_a)]);
        EXPECT_TRUE(selection.geocentric[static_cast<std::size_t>(a.point_b)]);
    }
    // Between two charts a point meets its own namesake too (Sun of A against Sun of B).
    bool same_point = false;
    for (const ChartAspect& a : grid) {
        same_point = same_point || a.point_a == a.point_b;
    }
    const auto pairs = Pairs(grid);
    EXPECT_TRUE(same_point || pairs.size() < 25U);
}

// A heliocentric chart takes its points from the selection's heliocentric column.
TEST_F(ChartAspectsTest, HeliocentricChartUsesTheHeliocentricColumn) {
    astro::Slot(1).record.coords = 2;
    charts::PointSelection selection;
    selection.geocentric[1] = true;  // never used for a heliocentric chart
    selection.heliocentric[5] = true;
    selection.heliocentric[6] = true;
    selection.heliocentric[7] = true;
    ChartAspectsRequest request;
    request.selection = selection;
    for (const ChartAspect& a : FindChartAspects(set_, request)) {
        EXPECT_NE(a.point_a, 1);
        EXPECT_GE(a.point_a, 5);
        EXPECT_LE(a.point_b, 7);
    }
    EXPECT_EQ(SelectedPoints(selection, 2, 50), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(SelectedPoints(selection, 1, 50), (std::vector<int>{1}));
}

// A point without a position takes part in no parallel (its declination means nothing).
TEST_F(ChartAspectsTest, PointWithoutPositionGetsNoParallel) {
    astro::ChartSlot& slot = astro::Slot(1);
    slot.declination[5] = slot.declination[3];  // would be an exact parallel with the Sun
    slot.longitude[5] = -1.0;
    charts::PointSelection selection;
    selection.geocentric[3] = true;
    selection.geocentric[5] = true;
    ChartAspectsRequest request;
    request.selection = selection;
    for (const ChartAspect& a : FindChartAspects(set_, request)) {
        EXPECT_NE(a.result.aspect, set_.ParallelNumber());
        EXPECT_NE(a.result.aspect, set_.ContraParallelNumber());
    }
    slot.longitude[5] = 10.0;
    const auto found = FindChartAspects(set_, request);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.back().result.aspect, set_.ParallelNumber());
}

}  // namespace
}  // namespace meridia::aspects
