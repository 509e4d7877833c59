// Extra chart points in the aspect grid: an extra point standing where a fixed point stands has
// that point's house and aspects, and pairs with a fixed star, an Arabic part or an asteroid
// are tested with the set in force for that kind.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "aspects/aspect_manager.h"
#include "aspects/aspect_set.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_calc.h"
#include "astro/extra_points.h"
#include "astro/houses.h"
#include "support/extra_point_fixture.h"
#include "support/test_session.h"

namespace meridia::aspects {
namespace {

using namespace meridia::astro;

using ExtraPointAspectsTest = testing::ExtraPointTest;

// A midpoint of a point with itself stands where the point stands, with its latitude and
// speeds: its house and its aspects must be the point's own.
TEST_F(ExtraPointAspectsTest, HouseAndAspectsAreThoseOfAFixedPointAtTheSamePlace) {
    Use("midpoint:Mars/Mars,midpoint:Moon/Moon,cusp:1,cusp:10");
    AspectSet set = StandardAspectSet();
    for (int day = 1; day <= 28; day += 3) {
        const ChartSlot& slot =
            Calc(testing::ChartValuesOf(2001, 9, day, 13.0, 35.0, -139.0, 1, 5));
        EXPECT_EQ(slot.house[51], slot.house[kMars]);
        EXPECT_EQ(slot.house[52], slot.house[kMoon]);
        EXPECT_EQ(slot.longitude[53], slot.cusps[1]);
        EXPECT_EQ(slot.longitude[54], slot.cusps[10]);
        EXPECT_EQ(slot.house[53], HouseOf(slot.cusps[1], slot.cusps));
        for (const auto& [extra, fixed] : {std::pair{51, kMars}, std::pair{52, kMoon}}) {
            EXPECT_DOUBLE_EQ(slot.declination[static_cast<std::size_t>(extra)],
                             slot.declination[static_cast<std::size_t>(fixed)]);
            const AspectPoint e = AspectPointOf(slot, 1, extra);
            const AspectPoint f = AspectPointOf(slot, 1, fixed);
            for (int other = 1; other <= kFixedPointCount; ++other) {
                if (other == fixed || IsFixedRelationPair(fixed, other)) {
                    continue;
                }
                const AspectPoint o = AspectPointOf(slot, 1, other);
                const AspectResult re = FindAspect(set, e, o, 1, true);
                const AspectResult rf = FindAspect(set, f, o, 1, true);
                EXPECT_EQ(re.aspect, rf.aspect) << other;
                EXPECT_DOUBLE_EQ(re.deviation, rf.deviation);
                EXPECT_EQ(re.applying, rf.applying);
                const AspectResult pe =
                    FindParallel(set, e, o, ParallelBasis::kDeclination, 1, true);
                const AspectResult pf =
                    FindParallel(set, f, o, ParallelBasis::kDeclination, 1, true);
                EXPECT_EQ(pe.aspect, pf.aspect) << other;
            }
        }
    }
}

TEST_F(ExtraPointAspectsTest, PairsWithStarsPartsAndAsteroidsUseTheirSetsInForce) {
    Use("star:Regulus,part:Spirit,asteroid:10,midpoint:Sun/Moon");
    AspectManager& manager = Aspects();
    manager.ReadIni(false);
    const AspectSet& chart = manager.ChartSet();
    ChartAspectsRequest request;
    request.star_set = &manager.Set(AspectFileType::kStar);
    request.asteroid_set = &manager.Set(AspectFileType::kAsteroid);
    request.part_set = &manager.Set(AspectFileType::kPart);
    EXPECT_EQ(SetForPair(chart, request, kSun, kMoon).set, &chart);
    EXPECT_EQ(SetForPair(chart, request, kSun, 51).set, request.star_set);
    EXPECT_EQ(SetForPair(chart, request, 52, kMars).set, request.part_set);
    EXPECT_EQ(SetForPair(chart, request, 53, kMars).set, request.asteroid_set);
    EXPECT_EQ(SetForPair(chart, request, 54, kMars).set, &chart);
    EXPECT_EQ(SetForPair(chart, request, 52, 51).type, static_cast<int>(AspectFileType::kStar));
    EXPECT_EQ(SetForPair(chart, request, 53, 52).type, static_cast<int>(AspectFileType::kPart));
    // The factory star set is not the chart set: its conjunction orb is 1.5 degrees.
    EXPECT_EQ(request.star_set->header.description, "Fixed Star Aspect Set");

    Calc(testing::ChartValuesOf(1988, 8, 8, 8.0, 40.0, 3.0, 1, 5));
    request.slot_a = 1;
    request.orb_kind = kOrbNatal;
    for (const ChartAspect& found : FindChartAspects(chart, request)) {
        const PairSet pair = SetForPair(chart, request, found.point_a, found.point_b);
        EXPECT_EQ(found.set, pair.type);
        EXPECT_EQ(found.name, pair.set->Aspect(found.result.aspect).name);
    }
}

}  // namespace
}  // namespace meridia::aspects
