// The lunar-phase and eclipse chart kinds: the phases against an independent bisection of the
// ephemeris library's Sun-Moon elongation, the progressed phases against the library's
// elongation at the progressed moment of each real date, the eclipses against the library's own
// eclipse functions, the counts from the settings and the exact chart names.
#include "returns/lunar_phase_charts.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/ephemeris.h"
#include "charts/chart_entry.h"
#include "library_places.h"
#include "returns/returns_jobs.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::returns {
namespace {

using testing::LibraryLongitude;

constexpr double kTwoSeconds = 2.0 / 86400.0;
constexpr double kSynodicMonth = 29.530588853;

// The eight phases' names, in order from the New Moon.
constexpr std::array<const char*, 8> kTitles = {"New Moon",     "Crescent",  "First Quarter",
                                                "Gibbous",      "Full Moon", "Disseminating",
                                                "Last Quarter", "Balsamic"};

double LibraryElongation(double jd_ut) {
    return astro::Norm360(LibraryLongitude(jd_ut, SE_MOON) - LibraryLongitude(jd_ut, SE_SUN));
}

// The instant in [lo, hi] at which the library's elongation crosses target (lo before, hi
// after), by plain bisection to a hundredth of a second.
double LibraryPhase(double lo, double hi, double target) {
    while (hi - lo > 0.01 / 86400.0) {
        const double mid = 0.5 * (lo + hi);
        const double e = astro::Norm180(LibraryElongation(mid) - target);
        (e < 0.0 ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

class LunarPhaseChartsTest : public meridia::testing::SessionTest {
protected:
    // The base chart: 15 Jul 1980 14:30 UT at 0N00 0E00.
    int OpenBase() {
        charts::ChartEntry entry;
        entry.date = "15 Jul 1980";
        entry.time = "14:30";
        entry.zone = "0";
        entry.lat = "0N00";
        entry.lon = "0E00";
        const auto slot = charts::OpenChartEntry(entry);
        EXPECT_TRUE(slot.ok());
        return slot.ok() ? *slot : 0;
    }
    LunarPhaseChartRequest Request(LunarPhaseChartKind kind, double around) {
        LunarPhaseChartRequest request;
        request.kind = kind;
        request.base_slot = OpenBase();
        request.around_jd_ut = around;
        return request;
    }
    static int UsedSlots() {
        int used = 0;
        for (int n = 1; n <= astro::kSlotCount; ++n) {
            used += astro::Slot(n).chart_serial != 0 ? 1 : 0;
        }
        return used;
    }
};

// Each phase chart: class 10, kind 70 + octant, cast for its moment, the library's elongation
// crossing its octant within two seconds.
void ExpectPhaseChart(const LunarPhaseChart& chart) {
    ASSERT_GE(chart.octant, 0);
    ASSERT_LE(chart.octant, 7);
    EXPECT_EQ(chart.record.chart_class, astro::kClassLunarPhase);
    EXPECT_EQ(chart.record.chart_kind, astro::kKindFirstLunarPhase + chart.octant);
    const double target = 45.0 * chart.octant;
    EXPECT_NEAR(chart.chart_jd_ut,
                LibraryPhase(chart.chart_jd_ut - 0.5, chart.chart_jd_ut + 0.5, target),
                kTwoSeconds);
}

struct AroundCase {
    int day;
    int month;
    int year;
    double hours;
};

class TransitingPhasesTest : public LunarPhaseChartsTest,
                             public ::testing::WithParamInterface<AroundCase> {};

TEST_P(TransitingPhasesTest, FivePhasesCentredOnTheDate) {
    const AroundCase& c = GetParam();
    const double around = textformats::JulianDay(c.day, c.month, c.year, c.hours);
    const auto charts = LunarPhaseCharts(Request(LunarPhaseChartKind::kTransiting, around));
    ASSERT_TRUE(charts.ok()) << charts.status().message();
    // TranPhaseReturnsToFind is 5: two phases before the date, three at or after it.
    ASSERT_EQ(charts->size(), 5U);
    EXPECT_LT((*charts)[1].jd_ut, around);
    EXPECT_GE((*charts)[2].jd_ut, around);
    for (std::size_t i = 0; i < charts->size(); ++i) {
        const LunarPhaseChart& chart = (*charts)[i];
        ExpectPhaseChart(chart);
        EXPECT_EQ(chart.record.data.name,
                  std::string("Lunar Phases - ") + kTitles[static_cast<std::size_t>(chart.octant)]);
        if (i > 0) {
            EXPECT_EQ(chart.octant, ((*charts)[i - 1].octant + 1) % 8);
            EXPECT_GT(chart.jd_ut - (*charts)[i - 1].jd_ut, 2.5);
            EXPECT_LT(chart.jd_ut - (*charts)[i - 1].jd_ut, 5.0);
        }
    }
    // No phase is left out between the date and the nearest ones found: the library's
    // elongation at the date lies between the two phases around it.
    const double e = LibraryElongation(around);
    EXPECT_LE(astro::Norm360(e - 45.0 * (*charts)[1].octant), 45.0);
    EXPECT_LE(astro::Norm360(45.0 * (*charts)[2].octant - e), 45.0);
}

INSTANTIATE_TEST_SUITE_P(Dates, TransitingPhasesTest,
                         ::testing::Values(AroundCase{1, 1, 2000, 12.0},
                                           AroundCase{8, 4, 2024, 18.3},
                                           AroundCase{14, 3, 2025, 6.98},
                                           AroundCase{29, 2, 1960, 0.0}));

TEST_F(LunarPhaseChartsTest, ProgressedPhasesMeetTheProgressedElongation) {
    const double around = textformats::JulianDay(1, 1, 2025, 0.0);
    const LunarPhaseChartRequest request = Request(LunarPhaseChartKind::kProgressed, around);
    const double jd_base = astro::Slot(request.base_slot).julian_day_ut;
    const auto charts = LunarPhaseCharts(request);
    ASSERT_TRUE(charts.ok()) << charts.status().message();
    // ProgPhaseReturnsToFind is 5: two before the date of life, three at or after it.
    ASSERT_EQ(charts->size(), 5U);
    EXPECT_LT((*charts)[1].jd_ut, around);
    EXPECT_GE((*charts)[2].jd_ut, around);
    for (std::size_t i = 0; i < charts->size(); ++i) {
        const LunarPhaseChart& chart = (*charts)[i];
        // A day of ephemeris per tropical year of life.
        const double progressed = jd_base + (chart.jd_ut - jd_base) / 365.24219907;
        EXPECT_NEAR(chart.chart_jd_ut, progressed, 1e-6);
        const double gap = astro::Norm180(LibraryElongation(progressed) - 45.0 * chart.octant);
        EXPECT_LT(std::fabs(gap), 1e-4) << i;
        ExpectPhaseChart(chart);
        EXPECT_EQ(
            chart.record.data.name.rfind(std::string("Lunar Phases - Progressed ") +
                                             kTitles[static_cast<std::size_t>(chart.octant)] + " ",
                                         0),
            0U)
            << chart.record.data.name;
        if (i > 0) {
            EXPECT_EQ(chart.octant, ((*charts)[i - 1].octant + 1) % 8);
            // About 3.7 years of life between progressed phases.
            EXPECT_GT(chart.jd_ut - (*charts)[i - 1].jd_ut, 2.0 * 365.0);
            EXPECT_LT(chart.jd_ut - (*charts)[i - 1].jd_ut, 5.5 * 365.0);
        }
    }
}

TEST_F(LunarPhaseChartsTest, ProgressedPhasesInTheSiderealDayMode) {
    session().settings().SetInt("ProgDay", 1);
    const double around = textformats::JulianDay(1, 1, 2025, 0.0);
    const LunarPhaseChartRequest request = Request(LunarPhaseChartKind::kProgressed, around);
    const double jd_base = astro::Slot(request.base_slot).julian_day_ut;
    const auto charts = LunarPhaseCharts(request);
    ASSERT_TRUE(charts.ok()) << charts.status().message();
    ASSERT_EQ(charts->size(), 5U);
    for (const LunarPhaseChart& chart : *charts) {
        // A sidereal day of ephemeris per sidereal year of life.
        const double progressed = jd_base + (chart.jd_ut - jd_base) * 0.99726956633 / 365.25636042;
        const double gap = astro::Norm180(LibraryElongation(progressed) - 45.0 * chart.octant);
        EXPECT_LT(std::fabs(gap), 1e-4);
    }
}

TEST_F(LunarPhaseChartsTest, ProgressedPhaseNameCarriesTheDateOfLife) {
    const double around = textformats::JulianDay(1, 1, 2025, 0.0);
    LunarPhaseChartRequest request = Request(LunarPhaseChartKind::kProgressed, around);
    request.count = 1;
    const auto charts = LunarPhaseCharts(request);
    ASSERT_TRUE(charts.ok());
    ASSERT_EQ(charts->size(), 1U);
    const auto date = textformats::DateFromJulianDay((*charts)[0].jd_ut, false);
    const std::string name = (*charts)[0].record.data.name;
    EXPECT_NE(name.find(" " + std::to_string(date.year)), std::string::npos) << name;
    EXPECT_GE(date.year, 2025);
}

class PhaseFamilyTest : public LunarPhaseChartsTest,
                        public ::testing::WithParamInterface<AroundCase> {};

TEST_P(PhaseFamilyTest, EightPhasesOfOneLunationInOrder) {
    const AroundCase& c = GetParam();
    const double around = textformats::JulianDay(c.day, c.month, c.year, c.hours);
    for (const bool in_progress : {false, true}) {
        const auto charts = LunarPhaseCharts(Request(
            in_progress ? LunarPhaseChartKind::kFamilyInProgress : LunarPhaseChartKind::kFamilyNew,
            around));
        ASSERT_TRUE(charts.ok());
        ASSERT_EQ(charts->size(), 8U);
        const double new_moon = (*charts)[0].jd_ut;
        if (in_progress) {
            EXPECT_LE(new_moon, around);
            EXPECT_LT(around - new_moon, kSynodicMonth + 0.5);
        } else {
            EXPECT_GE(new_moon, around);
            EXPECT_LT(new_moon - around, kSynodicMonth + 0.5);
        }
        EXPECT_LT((*charts)[7].jd_ut - new_moon, kSynodicMonth);
        for (std::size_t i = 0; i < 8; ++i) {
            const LunarPhaseChart& chart = (*charts)[i];
            EXPECT_EQ(chart.octant, static_cast<int>(i));
            ExpectPhaseChart(chart);
            EXPECT_EQ(chart.record.data.name, std::string("Lunar Phase Family - ") + kTitles[i]);
            if (i > 0) {
                EXPECT_GT(chart.jd_ut, (*charts)[i - 1].jd_ut);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dates, PhaseFamilyTest,
                         ::testing::Values(AroundCase{1, 1, 2000, 12.0},
                                           AroundCase{8, 4, 2024, 18.0},
                                           AroundCase{20, 6, 1850, 3.0}));

TEST_F(LunarPhaseChartsTest, PhaseReturnsOfTheBaseChart) {
    session().settings().SetInt("PhaseReturnsToFind", 3);
    const double around = textformats::JulianDay(1, 1, 2025, 0.0);
    const LunarPhaseChartRequest request = Request(LunarPhaseChartKind::kPhaseReturns, around);
    const double base_elongation = LibraryElongation(astro::Slot(request.base_slot).julian_day_ut);
    const auto charts = LunarPhaseCharts(request);
    ASSERT_TRUE(charts.ok());
    ASSERT_EQ(charts->size(), 3U);
    for (std::size_t i = 0; i < charts->size(); ++i) {
        const LunarPhaseChart& chart = (*charts)[i];
        EXPECT_EQ(chart.record.data.name, "Lunar Phase Returns " + std::to_string(i + 1));
        EXPECT_EQ(chart.record.chart_kind,
                  astro::kKindFirstLunarPhase + static_cast<int>(base_elongation / 45.0));
        EXPECT_NEAR(chart.jd_ut,
                    LibraryPhase(chart.jd_ut - 0.5, chart.jd_ut + 0.5, base_elongation),
                    kTwoSeconds);
        EXPECT_GT(chart.jd_ut, around);
    }
}

TEST_F(LunarPhaseChartsTest, CountsComeFromTheSettings) {
    session().settings().SetInt("TranPhaseReturnsToFind", 3);
    session().settings().SetInt("ProgPhaseReturnsToFind", 4);
    session().settings().SetInt("EclipsesToFind", 2);
    const double around = textformats::JulianDay(1, 1, 2025, 0.0);
    const auto transiting = LunarPhaseCharts(Request(LunarPhaseChartKind::kTransiting, around));
    ASSERT_TRUE(transiting.ok());
    ASSERT_EQ(transiting->size(), 3U);
    EXPECT_LT((*transiting)[0].jd_ut, around);
    EXPECT_GE((*transiting)[1].jd_ut, around);
    const auto progressed = LunarPhaseCharts(Request(LunarPhaseChartKind::kProgressed, around));
    ASSERT_TRUE(progressed.ok());
    ASSERT_EQ(progressed->size(), 4U);
    EXPECT_LT((*progressed)[1].jd_ut, around);
    EXPECT_GE((*progressed)[2].jd_ut, around);
    const auto eclipses = LunarPhaseCharts(Request(LunarPhaseChartKind::kEclipseList, around));
    ASSERT_TRUE(eclipses.ok());
    EXPECT_EQ(eclipses->size(), 2U);
}

// The library's eclipses of a kind from a moment on (backward: before it), `count` of them.
struct LibraryEclipse {
    double jd_ut = 0.0;
    bool solar = true;
    int type = 0;
};

std::vector<LibraryEclipse> LibraryEclipses(bool solar, double jd, int count, bool backward) {
    astro::EnsureEphemeris();
    std::vector<LibraryEclipse> list;
    std::array<double, 10> tret{};
    char serr[AS_MAXCH] = {0};
    for (int i = 0; i < count; ++i) {
        LibraryEclipse e;
        e.solar = solar;
        if (solar) {
            const int found =
                swe_sol_eclipse_when_glob(jd, SEFLG_SWIEPH, 0, tret.data(), backward ? 1 : 0, serr);
            e.type = (found & SE_ECL_ANNULAR_TOTAL) ? 3
                     : (found & SE_ECL_TOTAL)       ? 2
                     : (found & SE_ECL_ANNULAR)     ? 1
                                                    : 0;
        } else {
            const int found =
                swe_lun_eclipse_when(jd, SEFLG_SWIEPH, 0, tret.data(), backward ? 1 : 0, serr);
            e.type = (found & SE_ECL_TOTAL) ? 2 : (found & SE_ECL_PARTIAL) ? 1 : 0;
        }
        e.jd_ut = tret[0];
        list.push_back(e);
        jd = tret[0] + (backward ? -1.0 : 1.0);
    }
    return list;
}

std::string LibraryTitle(const LibraryEclipse& e) {
    static constexpr std::array<const char*, 4> kSolar = {"Partial", "Annular", "Total", "Hybrid"};
    static constexpr std::array<const char*, 3> kLunar = {"Appulse", "Partial", "Total"};
    return e.solar ? std::string(kSolar[static_cast<std::size_t>(e.type)]) + " Solar Eclipse"
                   : std::string(kLunar[static_cast<std::size_t>(e.type)]) + " Lunar Eclipse";
}

TEST_F(LunarPhaseChartsTest, EclipseListIsTheNextEclipsesOfTheLibrary) {
    const double around = textformats::JulianDay(1, 1, 2024, 0.0);
    const auto charts = LunarPhaseCharts(Request(LunarPhaseChartKind::kEclipseList, around));
    ASSERT_TRUE(charts.ok()) << charts.status().message();
    std::vector<LibraryEclipse> expected = LibraryEclipses(true, around, 5, false);
    const auto lunar = LibraryEclipses(false, around, 5, false);
    expected.insert(expected.end(), lunar.begin(), lunar.end());
    std::sort(expected.begin(), expected.end(),
              [](const LibraryEclipse& a, const LibraryEclipse& b) { return a.jd_ut < b.jd_ut; });
    ASSERT_EQ(charts->size(), 5U);  // EclipsesToFind
    for (std::size_t i = 0; i < charts->size(); ++i) {
        const LunarPhaseChart& chart = (*charts)[i];
        EXPECT_NEAR(chart.jd_ut, expected[i].jd_ut, kTwoSeconds) << i;
        EXPECT_EQ(chart.record.data.name, "Eclipses - " + LibraryTitle(expected[i]));
        EXPECT_EQ(chart.record.chart_class, astro::kClassLunarPhase);
        EXPECT_EQ(chart.record.chart_kind, expected[i].solar ? 70 : 74);
        ASSERT_TRUE(chart.eclipse.has_value());
    }
    // 2024: the appulse of March 25, the total solar eclipse of April 8 ...
    EXPECT_EQ((*charts)[0].record.data.name, "Eclipses - Appulse Lunar Eclipse");
    EXPECT_EQ((*charts)[1].record.data.name, "Eclipses - Total Solar Eclipse");
}

struct NearestCase {
    LunarPhaseChartKind kind;
    int day;
    int month;
    int year;
    const char* name;
};

class NearestEclipseTest : public LunarPhaseChartsTest,
                           public ::testing::WithParamInterface<NearestCase> {};

TEST_P(NearestEclipseTest, TheLibrarysNearestEclipseOfTheKind) {
    const NearestCase& c = GetParam();
    const double around = textformats::JulianDay(c.day, c.month, c.year, 0.0);
    const auto charts = LunarPhaseCharts(Request(c.kind, around));
    ASSERT_TRUE(charts.ok()) << charts.status().message();
    ASSERT_EQ(charts->size(), 1U);
    std::vector<LibraryEclipse> candidates;
    for (const bool solar : {true, false}) {
        if ((solar && c.kind == LunarPhaseChartKind::kEclipseLunar) ||
            (!solar && c.kind == LunarPhaseChartKind::kEclipseSolar)) {
            continue;
        }
        for (const bool backward : {false, true}) {
            const auto e = LibraryEclipses(solar, around, 1, backward);
            candidates.insert(candidates.end(), e.begin(), e.end());
        }
    }
    const auto nearest =
        *std::min_element(candidates.begin(), candidates.end(),
                          [&](const LibraryEclipse& a, const LibraryEclipse& b) {
                              return std::fabs(a.jd_ut - around) < std::fabs(b.jd_ut - around);
                          });
    EXPECT_NEAR((*charts)[0].jd_ut, nearest.jd_ut, kTwoSeconds);
    EXPECT_EQ((*charts)[0].record.data.name, LibraryTitle(nearest));
    EXPECT_EQ((*charts)[0].record.data.name, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NearestEclipseTest,
    ::testing::Values(
        // 1 Apr 2024: the appulse of March 25 is nearer than the solar eclipse of April 8.
        NearestCase{LunarPhaseChartKind::kEclipseAny, 1, 4, 2024, "Appulse Lunar Eclipse"},
        NearestCase{LunarPhaseChartKind::kEclipseSolar, 1, 4, 2024, "Total Solar Eclipse"},
        NearestCase{LunarPhaseChartKind::kEclipseLunar, 1, 4, 2024, "Appulse Lunar Eclipse"},
        // 1 Mar 2025: the total lunar eclipse of March 14 comes before the partial solar
        // eclipse of March 29.
        NearestCase{LunarPhaseChartKind::kEclipseAny, 1, 3, 2025, "Total Lunar Eclipse"},
        NearestCase{LunarPhaseChartKind::kEclipseSolar, 1, 3, 2025, "Partial Solar Eclipse"},
        // 1 Jan 2026: the annular eclipse of February 17 2026 is nearer than September 2025's.
        NearestCase{LunarPhaseChartKind::kEclipseSolar, 1, 1, 2026, "Annular Solar Eclipse"}));

class MissingCatalogueTest : public LunarPhaseChartsTest,
                             public ::testing::WithParamInterface<LunarPhaseChartKind> {};

TEST_P(MissingCatalogueTest, NoEclipsesAndNoCharts) {
    LunarPhaseJob job;
    job.chart_kind = GetParam();
    job.place.date = "15 Jul 1980";
    job.place.time = "14:30";
    job.place.zone = "0";
    job.place.lat = "0N00";
    job.place.lon = "0E00";
    job.around = "1 Jan 2024";
    job.catalogue_folder = temp() / "no catalogues";
    const int before = UsedSlots();
    const auto result = RunLunarPhaseJob(job);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.status().message(), "No Eclipses");
    // Not even the base chart stays open.
    EXPECT_EQ(UsedSlots(), before);
}

INSTANTIATE_TEST_SUITE_P(EclipseKinds, MissingCatalogueTest,
                         ::testing::Values(LunarPhaseChartKind::kEclipseList,
                                           LunarPhaseChartKind::kEclipseAny,
                                           LunarPhaseChartKind::kEclipseSolar,
                                           LunarPhaseChartKind::kEclipseLunar));

TEST_F(LunarPhaseChartsTest, JobOpensEveryChartOfTheList) {
    LunarPhaseJob job;
    job.chart_kind = LunarPhaseChartKind::kFamilyNew;
    job.place.date = "15 Jul 1980";
    job.place.time = "14:30";
    job.place.zone = "0";
    job.place.lat = "0N00";
    job.place.lon = "0E00";
    job.around = "1 Jan 2024";
    const auto result = RunLunarPhaseJob(job);
    ASSERT_TRUE(result.ok()) << result.status().message();
    ASSERT_EQ(result->chart_slots.size(), 8U);
    for (std::size_t i = 0; i < 8; ++i) {
        const astro::ChartSlot& slot = astro::Slot(result->chart_slots[i]);
        EXPECT_EQ(slot.record.data.name, std::string("Lunar Phase Family - ") + kTitles[i]);
        // The opened chart's Moon and Sun stand at the phase (the moment is kept to the second).
        const double gap = astro::Norm180(slot.longitude[astro::kMoon] -
                                          slot.longitude[astro::kSun] - 45.0 * static_cast<int>(i));
        EXPECT_LT(std::fabs(gap), 0.01);
    }
}

TEST_F(LunarPhaseChartsTest, WithoutRoomForEveryChartNoneIsOpened) {
    LunarPhaseJob job;
    job.chart_kind = LunarPhaseChartKind::kFamilyInProgress;
    job.place.date = "15 Jul 1980";
    job.place.time = "14:30";
    job.place.zone = "0";
    job.place.lat = "0N00";
    job.place.lon = "0E00";
    job.around = "1 Jan 2024";
    // Room for the base chart and four of the eight phases.
    std::vector<int> taken;
    for (int free = astro::FindFreeSlot(); free >= 0; free = astro::FindFreeSlot()) {
        astro::Slot(free).chart_serial = 1;
        taken.push_back(free);
    }
    for (std::size_t i = 0; i < 5; ++i) {
        astro::Slot(taken[taken.size() - 1 - i]).chart_serial = 0;
    }
    const int before = UsedSlots();
    const auto result = RunLunarPhaseJob(job);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.status().message(), "There is no free chart slot.");
    EXPECT_EQ(UsedSlots(), before);
}

TEST(LunarPhaseChartKinds, NamesAndNumbers) {
    EXPECT_EQ(LunarPhaseChartKindOf("Progressed Lunar Phases"), LunarPhaseChartKind::kProgressed);
    EXPECT_EQ(LunarPhaseChartKindOf("phase family (new)"), LunarPhaseChartKind::kFamilyNew);
    EXPECT_EQ(LunarPhaseChartKindOf("Phase Family (In Progress)"),
              LunarPhaseChartKind::kFamilyInProgress);
    EXPECT_EQ(LunarPhaseChartKindOf("6"), LunarPhaseChartKind::kEclipseList);
    EXPECT_EQ(LunarPhaseChartKindOf("9"), LunarPhaseChartKind::kEclipseLunar);
    EXPECT_FALSE(LunarPhaseChartKindOf("10").has_value());
    EXPECT_FALSE(LunarPhaseChartKindOf("").has_value());
    EXPECT_EQ(LunarPhaseChartKindName(LunarPhaseChartKind::kEclipseSolar), "Eclipse (Solar only)");
}

TEST(OctantPhases, TitlesOfTheEight) {
    for (int octant = 0; octant < 8; ++octant) {
        EXPECT_EQ(OctantPhaseTitle(octant), kTitles[static_cast<std::size_t>(octant)]);
    }
}

}  // namespace
}  // namespace meridia::returns
