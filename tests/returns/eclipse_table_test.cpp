// The eclipse table around the search: the column layout file "EclCols.ini" (written, read back,
// and damaged files built as text), the table text, the sort orders and the eclipse set's
// flags, the charts created for eclipses and lunar phases, and the prior eclipse of the extra
// chart point against the ephemeris library's own eclipse search.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/extra_points.h"
#include "charts/chart_entry.h"
#include "library_places.h"
#include "returns/eclipse_columns.h"
#include "returns/eclipses.h"
#include "returns/lunar_phases.h"
#include "returns/returns_jobs.h"
#include "support/chart_table_fill.h"
#include "support/test_session.h"
#include "textformats/calendar.h"
#include "textformats/date_text.h"

namespace meridia::returns {
namespace {

using testing::Gap;
using testing::LibraryLongitude;

class EclipseTableTest : public meridia::testing::SessionTest {
protected:
    static double Jd(int year, int month, int day) {
        return textformats::JulianDay(day, month, year, 0.0);
    }
    std::filesystem::path LayoutPath() const { return temp() / "EclCols.ini"; }
    // The eclipses of 2024 and 2025: four solar and four lunar.
    static std::vector<EclipseEntry> TwoYears() {
        EclipseSearch search;
        search.from_jd_ut = Jd(2024, 1, 1);
        search.to_jd_ut = Jd(2026, 1, 1);
        return SearchEclipses(search);
    }
};

std::vector<int> TypesOf(const EclipseColumnSet& set) {
    std::vector<int> types;
    for (const EclipseColumn& c : set.columns) {
        types.push_back(c.column_type);
    }
    return types;
}

TEST_F(EclipseTableTest, TheStandardSetIsThirteenColumnsInTypeOrder) {
    EclipseColumnSet set;
    set.InitializeStandardSet();
    EXPECT_EQ(TypesOf(set), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(set.Find(6)->long_description, "Saros No (van den Bergh)");
    EXPECT_EQ(set.Find(6)->short_description1, "vdB");
    EXPECT_EQ(set.Find(6)->short_description2, "Saros #");
    EXPECT_TRUE(set.Find(10)->lunar_only);
    EXPECT_TRUE(set.Find(11)->solar_only);
    EXPECT_EQ(set.Find(13)->long_description, "SemiDuration Partial (Hours:Minutes)");
    EXPECT_EQ(set.Find(14), nullptr);
}

TEST_F(EclipseTableTest, AMissingLayoutFileGivesTheStandardSet) {
    EclipseColumnSet set;
    EXPECT_TRUE(ReadEclipseColumns(LayoutPath(), set).ok());
    EXPECT_EQ(set.columns.size(), 13U);
    EXPECT_EQ(set.view_width, kDefaultEclipseViewWidth);
}

TEST_F(EclipseTableTest, ALayoutWrittenIsReadBack) {
    EclipseColumnSet set;
    set.InitializeStandardSet();
    std::swap(set.columns[0], set.columns[5]);  // Saros first, kind sixth
    set.columns[2].show = false;
    set.columns[3].column_width = 321;
    set.view_width = 1024;
    set.view_height = 600;
    ASSERT_TRUE(WriteEclipseColumns(LayoutPath(), set).ok());
    const std::string text = meridia::testing::ReadFile(LayoutPath());
    EXPECT_NE(text.find("[EclCols]"), std::string::npos);
    EXPECT_NE(text.find("Columns=6,2,3,4,5,1,7,8,9,10,11,12,13"), std::string::npos);
    EXPECT_NE(text.find("ColShow=-1,-1,0,-1"), std::string::npos);

    EclipseColumnSet read;
    ASSERT_TRUE(ReadEclipseColumns(LayoutPath(), read).ok());
    EXPECT_EQ(TypesOf(read), TypesOf(set));
    EXPECT_FALSE(read.columns[2].show);
    EXPECT_EQ(read.columns[3].column_width, 321);
    EXPECT_EQ(read.view_width, 1024);
    EXPECT_EQ(read.view_height, 600);
}

TEST_F(EclipseTableTest, ColumnsLeftOutOfTheListFollowInStandardOrder) {
    meridia::testing::WriteFile(LayoutPath(),
                                "[eclcols]\r\ncolumns=9, 3\r\ncolshow=0,-1\r\ncolwidth=40,90\r\n");
    EclipseColumnSet set;
    ASSERT_TRUE(ReadEclipseColumns(LayoutPath(), set).ok());
    EXPECT_EQ(TypesOf(set), (std::vector<int>{9, 3, 1, 2, 4, 5, 6, 7, 8, 10, 11, 12, 13}));
    EXPECT_FALSE(set.columns[0].show);
    EXPECT_EQ(set.columns[1].column_width, 90);
    EXPECT_TRUE(set.columns[2].show);
}

struct DamagedLayout {
    const char* name;
    const char* text;
};

class DamagedLayoutTest : public EclipseTableTest,
                          public ::testing::WithParamInterface<DamagedLayout> {};

TEST_P(DamagedLayoutTest, GivesTheStandardSetAndSaysSo) {
    const std::string bytes = GetParam().text;
    meridia::testing::WriteFile(LayoutPath(), bytes);
    EclipseColumnSet set;
    const startup::Status status = ReadEclipseColumns(LayoutPath(), set);
    EXPECT_EQ(status.code(), startup::StatusCode::kDamaged);
    EXPECT_EQ(status.message(),
              "The eclipse column layout is damaged; the standard columns are used.");
    EXPECT_EQ(TypesOf(set), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(meridia::testing::ReadFile(LayoutPath()), bytes);  // the file is left alone
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedLayoutTest,
    ::testing::Values(
        DamagedLayout{"UnknownType", "[EclCols]\nColumns=1,14\nColShow=-1,-1\nColWidth=5,5\n"},
        DamagedLayout{"RepeatedType", "[EclCols]\nColumns=2,2\nColShow=-1,-1\nColWidth=5,5\n"},
        DamagedLayout{"ShortShowList", "[EclCols]\nColumns=1,2\nColShow=-1\nColWidth=5,5\n"},
        DamagedLayout{"MissingWidths", "[EclCols]\nColumns=1,2\nColShow=-1,0\n"},
        DamagedLayout{"NotANumber", "[EclCols]\nColumns=1,x\nColShow=-1,0\nColWidth=5,5\n"},
        DamagedLayout{"HugeWidth", "[EclCols]\nColumns=1\nColShow=-1\nColWidth=99999999\n"},
        DamagedLayout{"NegativeWidth", "[EclCols]\nColumns=1\nColShow=0\nColWidth=-4\n"},
        DamagedLayout{"EmptyItem", "[EclCols]\nColumns=1,,2\nColShow=0,0,0\nColWidth=1,1,1\n"},
        DamagedLayout{"Binary", "[EclCols]\nColumns=\x01\xff\x02\nColShow=\xfe\nColWidth=\x80\n"}),
    [](const ::testing::TestParamInfo<DamagedLayout>& param_info) {
        return param_info.param.name;
    });

TEST_F(EclipseTableTest, ABadViewSizeFallsBackAlone) {
    meridia::testing::WriteFile(LayoutPath(), "[EclCols]\nEclViewWidth=wide\nEclViewHeight=512\n");
    EclipseColumnSet set;
    EXPECT_TRUE(ReadEclipseColumns(LayoutPath(), set).ok());
    EXPECT_EQ(set.view_width, kDefaultEclipseViewWidth);
    EXPECT_EQ(set.view_height, 512);
}

TEST_F(EclipseTableTest, TheTableShowsTheShownColumnsInOrder) {
    const auto eclipses = TwoYears();
    ASSERT_EQ(eclipses.size(), 8U);
    EclipseColumnSet set;
    set.InitializeStandardSet();
    for (EclipseColumn& c : set.columns) {
        c.show = c.column_type == 1 || c.column_type == 6 || c.column_type == 11;
    }
    const auto lines = EclipseTableLines(set, eclipses);
    ASSERT_EQ(lines.size(), 10U);
    EXPECT_EQ(lines[0], "S/L        vdB   Min:Sec");
    EXPECT_EQ(lines[1], "       Saros #  Duration");
    // 2024 March 25 (penumbral, Saros 113), then 2024 April 8 (total solar, 4 min 28 s).
    EXPECT_EQ(lines[2], "Lunar      113");
    EXPECT_EQ(lines[3], "Solar      139      4:28");
}

TEST_F(EclipseTableTest, SortOrdersKeepDateOrderOnEqualKeys) {
    auto eclipses = TwoYears();
    SortEclipses(eclipses, 1);  // solar first, each kind in date order
    for (std::size_t i = 0; i < eclipses.size(); ++i) {
        EXPECT_EQ(eclipses[i].ec_type, i < 4 ? 1 : 2) << i;
        if (i > 0 && eclipses[i].ec_type == eclipses[i - 1].ec_type) {
            EXPECT_LT(eclipses[i - 1].ec_jd, eclipses[i].ec_jd) << i;
        }
    }
    SortEclipses(eclipses, 6);  // by Saros series
    for (std::size_t i = 1; i < eclipses.size(); ++i) {
        EXPECT_LE(eclipses[i - 1].data.saros_vdb, eclipses[i].data.saros_vdb) << i;
    }
    SortEclipses(eclipses, 0);
    for (std::size_t i = 1; i < eclipses.size(); ++i) {
        EXPECT_LT(eclipses[i - 1].ec_jd, eclipses[i].ec_jd) << i;
    }
}

TEST_F(EclipseTableTest, TheSortSettingIsHeldToTheColumnTypes) {
    EXPECT_EQ(EclipseSortFromSettings(), 0);
    session().settings().SetForRun("EclSort", "9");
    EXPECT_EQ(EclipseSortFromSettings(), 9);
    session().settings().SetForRun("EclSort", "14");
    EXPECT_EQ(EclipseSortFromSettings(), 0);
}

TEST_F(EclipseTableTest, TheSetKeepsFlagsWithTheirEclipsesThroughASort) {
    const auto eclipses = TwoYears();
    EclipseSet set;
    for (const EclipseEntry& e : eclipses) {
        if (e.kind() == EclipseKind::kSolar) {
            set.AddSolarEclipse(e);
        } else {
            set.AddLunarEclipse(e);
        }
    }
    ASSERT_EQ(set.Count(), 8);
    EXPECT_EQ(set.SelectedEclipse(), -1);
    set.SetSelected(1, true);  // 2024 April 8, solar
    EXPECT_TRUE(set.SingleSelection());
    set.SetHide(0, true);  // 2024 March 25, lunar
    set.SetSelected(99, true);
    EXPECT_EQ(set.NumberSelected(), 1);
    set.SortBy(1);  // solar first
    EXPECT_EQ(set.SelectedEclipse(), 0);
    EXPECT_EQ(set.Eclipse(0).data.saros_vdb, 139);
    EXPECT_TRUE(set.Hide(4));  // the first lunar eclipse
    EXPECT_EQ(set.Eclipse(4).data.saros_vdb, 113);
    set.SetSelected(4, true);
    const auto chosen = set.GetSelectedEclipses();
    ASSERT_EQ(chosen.size(), 2U);
    EXPECT_EQ(chosen[1].data.saros_vdb, 113);
    set.ClearHide();
    EXPECT_FALSE(set.Hide(4));
    set.ClearSelection();
    EXPECT_EQ(set.NumberSelected(), 0);
    set.Clear();
    EXPECT_EQ(set.Count(), 0);
}

TEST_F(EclipseTableTest, CopyTextOfTheShownAndSelectedEclipses) {
    EclipseColumnSet columns;
    columns.InitializeStandardSet();
    for (EclipseColumn& c : columns.columns) {
        c.show = c.column_type == 2 || c.column_type == 6;
    }
    EclipseSet set;
    const auto copied_empty = EclipseCopyText(set, columns);
    EXPECT_EQ(copied_empty.status().message(), "No Eclipse Data to Copy");
    for (const EclipseEntry& e : TwoYears()) {
        set.AddSolarEclipse(e);
    }
    set.AddLunarEclipse(TwoYears()[0]);
    for (int i = 0; i < set.Count(); ++i) {
        set.SetHide(i, true);
    }
    EXPECT_EQ(EclipseCopyText(set, columns).status().code(), startup::StatusCode::kNotFound);
    set.ClearHide();
    set.SetSelected(1, true);  // 2024 April 8
    const auto one = EclipseCopyText(set, columns);
    ASSERT_TRUE(one.ok());
    EXPECT_EQ(*one, "Type\tSaros No (van den Bergh)\r\nTotal\t139\r\n");
    set.ClearSelection();
    set.SetHide(1, true);
    const auto all = EclipseCopyText(set, columns);
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(std::count(all->begin(), all->end(), '\n'), 9);  // headings and 8 of the 9
    EXPECT_EQ(all->find("\t139\r\n"), std::string::npos);
}

TEST_F(EclipseTableTest, TheReportHasItsTitleHeaderTableAndTimeNote) {
    EclipseColumnSet columns;
    columns.InitializeStandardSet();
    const auto lines = EclipseReportLines({"Search Date Range: From A To B"}, columns, TwoYears());
    ASSERT_EQ(lines.size(), 1U + 1U + 1U + 2U + 8U + 1U);
    EXPECT_EQ(lines[0], "Eclipse Report");
    EXPECT_EQ(lines[1], "Search Date Range: From A To B");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines.back(), "Times are shown (UT)");
}

TEST_F(EclipseTableTest, TheReportNoteForLunarPhaseTimes) {
    EclipseSearch search;
    const auto lines = EclipseReportHeader(search, "1 Jan 2024", "31 Dec 2024", "", "", "", "",
                                           EclipseTimeNote::kLunarPhase);
    EXPECT_EQ(lines.back(), "Times reported are exact Lunar Phase (full or new moon)");
}

// The eclipses of 2025, the first two to be cast as charts at New York (zone 5).
EclipseJob NewYork2025Job() {
    EclipseJob job;
    job.span.from = "1 Jan 2025";
    job.span.to = "31 Dec 2025";
    job.create_charts = {1, 2};
    job.place.lat = "40N45";
    job.place.lon = "73W59";
    job.place.zone = "5";
    return job;
}

TEST_F(EclipseTableTest, ChartsOfEclipsesAndPhasesAreCastAtTheirInstants) {
    EclipseJob job = NewYork2025Job();
    const auto result = RunEclipseJob(job);
    ASSERT_TRUE(result.ok()) << result.status().message();
    ASSERT_EQ(result->chart_slots.size(), 2U);
    const astro::ChartSlot& lunar = astro::Slot(result->chart_slots[0]);
    EXPECT_EQ(lunar.record.data.name, "Total Lunar Eclipse (FM)");
    EXPECT_NEAR(lunar.julian_day_ut, result->eclipses[0].ec_jd, 1.0 / 86400.0);
    EXPECT_FLOAT_EQ(lunar.record.data.zone.hours, 5.0F);
    // The Moon of a lunar eclipse stands opposite the Sun.
    EXPECT_LT(Gap(lunar.longitude[astro::kMoon], lunar.longitude[astro::kSun] + 180.0), 0.6);
    const astro::ChartSlot& solar = astro::Slot(result->chart_slots[1]);
    EXPECT_EQ(solar.record.data.name, "Partial Solar Eclipse (NM)");
    EXPECT_LT(Gap(solar.longitude[astro::kMoon], solar.longitude[astro::kSun]), 1.5);

    EclipseJob beyond = job;
    beyond.create_charts = {9};
    const auto refused = RunEclipseJob(beyond);
    EXPECT_EQ(refused.status().code(), startup::StatusCode::kRefused);
    EXPECT_EQ(refused.status().message(), "There is no eclipse 9 in the list (4 listed).");

    LunarPhaseJob phases;
    phases.span.from = "1 Mar 2025";
    phases.span.to = "31 Mar 2025";
    phases.create_charts = {2};
    const auto found = RunLunarPhaseJob(phases);
    ASSERT_TRUE(found.ok());
    ASSERT_EQ(found->chart_slots.size(), 1U);
    const LunarPhaseEvent& phase = found->phases[1];
    const astro::ChartSlot& chart = astro::Slot(found->chart_slots[0]);
    EXPECT_EQ(chart.record.data.name,
              std::string("Lunar Phase: ") + std::string(LunarPhaseTitle(phase.phase)));
    EXPECT_EQ(chart.record.chart_class, astro::kClassLunarPhase);
    EXPECT_EQ(chart.record.chart_kind,
              astro::kKindFirstLunarPhase + 2 * static_cast<int>(phase.phase));
    EXPECT_NEAR(chart.julian_day_ut, phase.jd_ut, 1.0 / 86400.0);
    EXPECT_LT(Gap(chart.longitude[astro::kMoon] - chart.longitude[astro::kSun],
                  90.0 * static_cast<int>(phase.phase)),
              0.01);
}

// A job asked for more charts than the chart table has free slots opens none of them and says
// so under the title of the form it was typed into.
TEST_F(EclipseTableTest, ChartsThatWouldNotAllFitAreNotStarted) {
    meridia::testing::TakeSlotsLeaving(1);
    EclipseJob job = NewYork2025Job();
    job.place.refusal_title = "Eclipse Search";
    const auto refused = RunEclipseJob(job);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.status().code(), startup::StatusCode::kFailed);
    EXPECT_EQ(refused.status().message(),
              "2 charts need as many free chart slots; only 1 are free. Close some charts and "
              "try again.");
    EXPECT_EQ(refused.status().title(), "Eclipse Search");
    EXPECT_EQ(astro::FreeSlotCount(), 1);

    job.create_charts = {1};
    const auto one = RunEclipseJob(job);
    ASSERT_TRUE(one.ok()) << one.status().message();
    EXPECT_EQ(astro::FreeSlotCount(), 0);
    const auto none = RunEclipseJob(job);
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.status().message(), "There is no free chart slot.");
}

// The last eclipse before a moment by the library's own backward searches: the Julian day
// (UT) and the longitude of the Sun (solar) or the Moon (lunar) then.
std::pair<double, double> LibraryPriorEclipse(double jd_ut) {
    astro::EnsureEphemeris();
    std::array<double, 10> solar{};
    std::array<double, 10> lunar{};
    char serr[AS_MAXCH] = {0};
    swe_sol_eclipse_when_glob(jd_ut, SEFLG_SWIEPH, 0, solar.data(), 1, serr);
    swe_lun_eclipse_when(jd_ut, SEFLG_SWIEPH, 0, lunar.data(), 1, serr);
    if (solar[0] > lunar[0]) {
        return {solar[0], LibraryLongitude(solar[0], SE_SUN)};
    }
    return {lunar[0], LibraryLongitude(lunar[0], SE_MOON)};
}

struct PriorCase {
    int year;
    int month;
    int day;
};

class PriorEclipseTest : public EclipseTableTest, public ::testing::WithParamInterface<PriorCase> {
protected:
    ~PriorEclipseTest() override {
        astro::SetPriorEclipseFinder(nullptr);
        astro::ClearExtraPoints();
    }
};

TEST_P(PriorEclipseTest, ThePointIsTheLastEclipseTheLibraryFinds) {
    InstallPriorEclipseFinder();
    charts::ChartEntry entry;
    entry.date = textformats::FormatDate(GetParam().day, GetParam().month, GetParam().year,
                                         textformats::CalendarMode::kAutomatic);
    entry.time = "12:00";
    entry.zone = "0";
    entry.lat = "51N30";
    entry.lon = "0W10";
    entry.extra = "prenatal-eclipse";
    const auto slot = charts::OpenChartEntry(entry);
    ASSERT_TRUE(slot.ok()) << slot.status().message();
    const astro::ChartSlot& chart = astro::Slot(*slot);
    const auto [jd, longitude] = LibraryPriorEclipse(chart.julian_day_ut);
    const auto prior = PriorEclipse(chart.julian_day_ut);
    ASSERT_TRUE(prior.has_value());
    EXPECT_NEAR(prior->ec_jd, jd, 2.0 / 86400.0);
    EXPECT_LT(Gap(chart.longitude[51], longitude + chart.zodiac_offset), 0.01);
}

INSTANTIATE_TEST_SUITE_P(Dates, PriorEclipseTest,
                         ::testing::Values(PriorCase{1990, 7, 15}, PriorCase{2024, 4, 9},
                                           PriorCase{1879, 3, 14}, PriorCase{1200, 6, 1}));

}  // namespace
}  // namespace meridia::returns
