#include "startup/name_tables.h"

#include <gtest/gtest.h>

#include "support/test_session.h"

namespace meridia::startup {
namespace {

class NameTablesTest : public testing::SessionTest {};

TEST_F(NameTablesTest, PointNamesFollowThePointNumbering) {
    // Point numbering 1..50 of the calculated-chart table.
    const std::pair<int, const char*> points[] = {
        {1, "Moon"},
        {2, "Earth"},
        {3, "Sun"},
        {12, "Pluto"},
        {13, "Chiron"},
        {20, "North Node"},
        {22, "Ascendant"},
        {23, "Midheaven"},
        {26, "Part of Fortune"},
        {36, "Black Moon"},
        {38, "Polar Ascendant"},
        {45, "Aries Point"},
        {49, "Sedna"},
        {50, "Eris"},
    };
    for (const auto& [point, name] : points) {
        EXPECT_EQ(Names().PointName(point, 1), name) << point;
        EXPECT_EQ(Names().Entry(kPointNamesBase + point).find(name) != std::string::npos, true);
    }
    EXPECT_EQ(Names().Entry(760), "VP|Vernal Pt|");
    EXPECT_EQ(Names().PointName(0, 2), "Vernal Pt");
    EXPECT_EQ(Names().PointName(1, 0), "Mo");
    EXPECT_EQ(Names().PointName(3, 2), "The Sun");
    for (int point = 1; point <= kFixedPointCount; ++point) {
        EXPECT_FALSE(Names().PointName(point, 0).empty()) << point;
        EXPECT_FALSE(Names().PointName(point, 2).empty()) << point;
    }
}

TEST_F(NameTablesTest, SignsMonthsAndOtherRanges) {
    EXPECT_EQ(Names().SignName(1, true), "Ar");
    EXPECT_EQ(Names().SignName(12, false), "Pisces");
    EXPECT_EQ(Names().MonthName(9, false), "September");
    EXPECT_EQ(Names().Entry(630 + 5), "Placidus");
    EXPECT_EQ(Names().HouseSystemName(26), "Whole Signs");
    EXPECT_EQ(Names().HouseSystemName(32), "S Node on 1st");
    EXPECT_EQ(Names().HouseSystemName(33), "");
    EXPECT_EQ(Names().ZodiacName(1), "Tropical");
    EXPECT_EQ(Names().ZodiacName(17), "Shill Pond");
    EXPECT_EQ(Names().Entry(470), "18");
    EXPECT_EQ(Names().Entry(490), "80");
    EXPECT_EQ(Names().ChartClassName(2), "Sec.Prog.");
    EXPECT_EQ(Names().ChartClassName(18), "van Dam");
    EXPECT_EQ(Names().ChartClassName(19), "");
    EXPECT_EQ(Names().Entry(600 + 4), "Naibod in RA");
    EXPECT_EQ(Names().EventTypeName(4), "Horary");
    EXPECT_EQ(Names().Form(kSourceRatingNamesBase + 1, 0), "AA");
    EXPECT_EQ(Names().Form(kSourceRatingNamesBase + 7, 1), "Undetermined");
    EXPECT_EQ(Names().Entry(kPrimaryRateKeyNamesBase + 5), "Cardan (1 year per 59'12\")");
    EXPECT_EQ(Names().Entry(kCoordSystemNamesBase + 2), "Heliocentric");
}

}  // namespace
}  // namespace meridia::startup
