// The dynamic request and run data, the event table and the saved selections files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dynamic/dynamic_engine.h"
#include "dynamic/dynamic_report.h"
#include "dynamic/dynamic_request.h"
#include "dynamic/dynamic_setup.h"
#include "startup/messages.h"
#include "support/test_session.h"

namespace meridia::dynamic {
namespace {

TEST(DynamicDataClass, SetMethodDerivesWhatIsMoving) {
    struct Row {
        int method;
        bool progs;
        bool transits;
    };
    const Row rows[] = {
        {2, true, false}, {3, true, false}, {17, false, true}, {19, true, true}, {20, true, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.method);
        DynamicDataClass data;
        data.SetMethod(row.method);
        EXPECT_EQ(data.DynMethod(), row.method);
        EXPECT_EQ(data.ProgsUsed(), row.progs);
        EXPECT_EQ(data.TransitsUsed(), row.transits);
        EXPECT_FALSE(data.PrimaryVanDamDirections());
    }
    DynamicDataClass data;
    data.SetMethod(kMethodDirections, kDirectionPrimaryVanDam);
    EXPECT_TRUE(data.PrimaryVanDamDirections());
}

TEST(DynamicDataClass, ProgressedTimeAndAge) {
    DynamicDataClass data;
    data.SetJulDayBase(2400000.0);
    data.SetProgressionKind(kKindSecondary, 1.0 / 365.24219907);
    data.SetZodiacMult(-1.0);
    // One tropical year of life is one day of ephemeris motion, backwards.
    EXPECT_NEAR(data.ProgressedJulianDay(2400000.0 + 365.24219907), 2400000.0 - 1.0, 1e-9);
    EXPECT_NEAR(data.AgeInYears(2400000.0 + 2.0 * 365.24219907), -2.0, 1e-12);
}

TEST(DynamicRequestClass, OptDmySplitsUnitAndNatalFlag) {
    RequestSlot(0).opt_dmy = 17;
    const DynamicRequestClass request(0);
    EXPECT_EQ(request.DMY(), 1);
    EXPECT_TRUE(request.UseNatal());
    RequestSlot(0).opt_dmy = 2;
    EXPECT_EQ(request.DMY(), 2);
    EXPECT_FALSE(request.UseNatal());
    RequestSlot(0).zone_type = 4;
    EXPECT_TRUE(request.AutoDST());
}

TEST(DynamicNames, KindsTypesAndMultipliers) {
    EXPECT_EQ(ProgressionKindName(1), "Secondary Progressions");
    EXPECT_EQ(ProgressionKindName(12), "Transits");
    EXPECT_EQ(ProgressionKindName(15), "van Dam Primaries");
    EXPECT_EQ(ProgressionKindName(16), "");
    EXPECT_EQ(DirectionTypeName(1), "Solar Arc");
    EXPECT_EQ(DirectionTypeName(8), "Primary Zodiacal");
    EXPECT_EQ(kArcMultipliers[4].name, "x-2 (Negative Double Arc)");
    EXPECT_EQ(ZodiacMultFromStored(0.0, true), -1.0);
    EXPECT_EQ(ZodiacMultFromStored(0.0, false), 1.0);
    EXPECT_EQ(ZodiacMultFromStored(0.5, true), 0.5);
}

TEST(DynamicNames, EventTypeCodes) {
    DynamicSearchRequest r;
    r.progression_kind = 13;
    EXPECT_EQ(EventTypeText(r, kTypeProgressedRadix), "AH-Pr");
    r.progression_kind = 5;
    EXPECT_EQ(EventTypeText(r, kTypeTransitProgressed), "Tr-05");
    r.direction_type = 7;
    EXPECT_EQ(EventTypeText(r, kTypeDirectedRadix), "Pv-Pr");
    EXPECT_EQ(EventTypeText(r, kTypeTransitTransit), "Tr-Tr");
}

TEST(DynamicPoint, RangesOfPointKinds) {
    DynamicPoint mid;
    mid.p_type = kPointMidpoint;
    mid.p1 = 12;
    mid.p2 = 3;
    EXPECT_EQ(mid.MinDynPoint(), 3);
    EXPECT_EQ(mid.MaxDynPoint(), 12);
    EXPECT_FALSE(mid.UsesAngle());
    mid.p2 = 23;
    EXPECT_TRUE(mid.UsesAngle());
    DynamicPoint user;
    user.p_type = kPointUserAngle;
    EXPECT_TRUE(user.UsesAngle());
    EXPECT_EQ(user.MaxDynPoint(), kPastLastChartPoint);

    DynamicPointSet set;
    set.AddDynamicPoint(mid);
    DynamicPoint sun;
    sun.p1 = 3;
    set.AddDynamicPoint(sun);
    DynamicDataClass data;
    data.ComputeFirstAndLastChartPoints(set, true);
    EXPECT_EQ(data.FPointT(), 3);
    EXPECT_EQ(data.LPointT(), 23);
    DynamicPoint cusp;
    cusp.p_type = kPointUser;
    cusp.abbr = "10";
    cusp.full_name = "Tenth";
    set.AddDynamicUserPoint(cusp, kSuffixHouseCusp);
    EXPECT_EQ(set.DynP().back().abbr, "10H");
    EXPECT_EQ(set.DynP().back().full_name, "Tenth House Cusp");
    EXPECT_EQ(set.DynPointCount(), 3);
}

TEST(DynamicReportClass, HoldsAtMost30001Events) {
    DynamicReportClass table;
    for (int i = 0; i < kMaxDynamicEvents; ++i) {
        ASSERT_TRUE(table.AddEvent(3, 1, 1, 'X', 10.0, false, true, 10.0, false, true, 1, 1,
                                   2460000.0 + i, kTypeTransitRadix));
    }
    EXPECT_FALSE(table.AddEvent(3, 1, 1, 'X', 10.0, false, true, 10.0, false, true, 1, 1, 2470000.0,
                                kTypeTransitRadix));
    EXPECT_EQ(table.TranEvents(), 30001);
    EXPECT_TRUE(table.Truncated());
    EXPECT_EQ(table.Event(30001).index, 30001);
}

TEST(DynamicReportClass, WeightOfAnEvent) {
    DynamicReportClass table;
    // Aspect 4 weighs 7; point ranks by number.
    std::vector<double> weights(27, 0.0);
    weights[4] = 7.0;
    table.SetWeighting({}, weights);
    table.AddEvent(5, 4, 1, 'X', 0.0, false, true, 0.0, false, true, 1, 1, 2460000.0, 1);
    EXPECT_FLOAT_EQ(table.Event(1).weight,
                    static_cast<float>(1.0 / (std::pow(7.07, 0.01) + 1100.0 * 5 - 1)));
    table.AddEvent(5, -1, 0, 'R', 0.0, true, true, -999.0, false, true, 1, 0, 2460000.0, 8);
    EXPECT_EQ(table.Event(2).weight, 1.0F);
}

TEST(DynamicReportClass, ReportTimeIsUtMinusTheZone) {
    DynamicReportClass table;
    table.SetFixedZone(-2.0);  // two hours east
    EXPECT_NEAR(table.ReportTime(2460000.0), 2460000.0 + 2.0 / 24.0, 1e-12);
    table.SetZoneLookup([](double jd) { return jd < 2460000.5 ? 0.0 : -1.0; });
    EXPECT_NEAR(table.ReportTime(2460000.0), 2460000.0, 1e-12);
    EXPECT_NEAR(table.ReportTime(2460001.0), 2460001.0 + 1.0 / 24.0, 1e-12);
}

TEST(DynamicReportClass, SortsByKeyThenDate) {
    DynamicReportClass table;
    table.AddEvent(5, 1, 1, 'X', 0.0, false, true, 0.0, false, true, 1, 1, 3.0, 1);
    table.AddEvent(3, 1, 1, 'E', 0.0, false, true, 0.0, false, true, 1, 1, 2.0, 1);
    table.AddEvent(3, 1, 1, 'X', 0.0, false, true, 0.0, false, true, 1, 1, 1.0, 1);
    table.Sort(DynamicSortKey::kPoint1);
    EXPECT_EQ(table.Event(1).index, 3);
    EXPECT_EQ(table.Event(2).index, 2);
    EXPECT_EQ(table.Event(3).index, 1);
    table.Sort(DynamicSortKey::kDate);
    EXPECT_EQ(table.Event(1).index, 3);
    DynamicSortKey key = DynamicSortKey::kDate;
    EXPECT_TRUE(SortKeyFromWord("position2", key));
    EXPECT_EQ(key, DynamicSortKey::kPosition2);
    EXPECT_EQ(SortKeyName(key), "Position 2");
    EXPECT_FALSE(SortKeyFromWord("colour", key));
}

TEST(EventFamilies, ParsedFromTheCommandLineList) {
    EventFamilies f;
    std::string bad;
    ASSERT_TRUE(ParseFamilies("transits-radix, stations,lunar-phases", f, bad));
    EXPECT_TRUE(f.transits_radix);
    EXPECT_TRUE(f.stations);
    EXPECT_TRUE(f.lunar_phases);
    EXPECT_FALSE(f.sign_ingress);
    EXPECT_FALSE(ParseFamilies("stations,comets", f, bad));
    EXPECT_EQ(bad, "comets");
    EXPECT_TRUE(DefaultFamilies(kMethodProgressions).progressions_radix);
    EXPECT_TRUE(DefaultFamilies(kMethodTransitsToDirections).transits_directions);
}

class SetupFileTest : public testing::SessionTest {
protected:
    std::filesystem::path Path() const { return temp() / "dynsetup.fil"; }
};

TEST_F(SetupFileTest, SaveListOverwriteAndDelete) {
    DynamicSelections a;
    a.method = kMethodProgressions;
    a.moving = {1, 3, 5};
    a.targets = {22, 23};
    a.aspect_set = "Major.asp";
    a.families.progressions_radix = true;
    a.families.stations = true;
    a.multiplier = -0.5;
    DynamicSelections b = a;
    b.method = kMethodTransits;
    ASSERT_TRUE(SaveSetup(Path(), "First", a).ok());
    ASSERT_TRUE(SaveSetup(Path(), "Second", b).ok());
    EXPECT_EQ(std::filesystem::file_size(Path()), 2 * kSetupRecordBytes);
    auto list = LoadSetupList(Path());
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list->size(), 2U);
    EXPECT_EQ((*list)[0].description, "First");
    EXPECT_EQ((*list)[0].record, 1);
    EXPECT_EQ((*list)[0].selections, a);
    EXPECT_EQ((*list)[1].selections, b);

    // The same description: overwritten after Yes, kept after No.
    sink().QueueAnswer(startup::kAnswerNo);
    EXPECT_EQ(SaveSetup(Path(), "First", b).code(), startup::StatusCode::kCancelled);
    EXPECT_EQ(LastMessage().text, kConfirmOverwriteText);
    EXPECT_EQ(LastMessage().title, kConfirmOverwriteTitle);
    sink().QueueAnswer(startup::kAnswerYes);
    ASSERT_TRUE(SaveSetup(Path(), "First", b).ok());
    list = LoadSetupList(Path());
    ASSERT_EQ(list->size(), 2U);
    EXPECT_EQ((*list)[0].selections, b);

    sink().QueueAnswer(startup::kAnswerYes);
    ASSERT_TRUE(DeleteSetup(Path(), 1).ok());
    EXPECT_EQ(LastMessage().text, kConfirmDeletionText);
    list = LoadSetupList(Path());
    ASSERT_EQ(list->size(), 1U);
    EXPECT_EQ((*list)[0].description, "Second");
    EXPECT_FALSE(std::filesystem::exists(temp() / "xdynsetup.fi"));
    // Deleting the only record leaves an empty file.
    sink().QueueAnswer(startup::kAnswerYes);
    ASSERT_TRUE(DeleteSetup(Path(), 1).ok());
    EXPECT_EQ(std::filesystem::file_size(Path()), 0U);
    EXPECT_EQ(DeleteSetup(Path(), 1).code(), startup::StatusCode::kRefused);
}

TEST_F(SetupFileTest, ListsWholeRecordsOnly) {
    // One record built byte by byte, then half a record.
    std::string bytes(kSetupRecordBytes, '\0');
    bytes[0] = 1;
    const std::string description = "Built by hand";
    bytes.replace(2, 40, description + std::string(40 - description.size(), ' '));
    bytes += std::string(kSetupRecordBytes / 2, 'z');
    testing::WriteFile(Path(), bytes);
    const auto list = LoadSetupList(Path());
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list->size(), 1U);
    EXPECT_EQ((*list)[0].description, "Built by hand");
    EXPECT_FALSE(LoadSetupList(temp() / "missing.fil").ok());
}

}  // namespace
}  // namespace meridia::dynamic
