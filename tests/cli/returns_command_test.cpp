// meridia-cli return, voc, eclipses and lunar-phases run in-process: the JSON documents against
// the ephemeris library's own positions and eclipse functions, the refusals with status 2 and
// their messages, and the empty eclipse list.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::cli {
namespace {

class ReturnsCommandTest : public testing::CliTest {
protected:
    static std::vector<std::string> Natal() {
        return {"--date", "15 Jul 1980", "--time", "14:30", "--zone",
                "0",      "--lat",       "0N00",   "--lon", "0E00"};
    }
    static double LibraryLongitude(double jd_ut, int body) {
        std::array<double, 6> x{};
        char serr[AS_MAXCH] = {0};
        swe_calc_ut(jd_ut, body, SEFLG_SWIEPH, x.data(), serr);
        return x[0];
    }
};

TEST_F(ReturnsCommandTest, SolarReturnJson) {
    std::vector<std::string> args = {"--json", "return",     "--point", "3",
                                     "--from", "1 Mar 2024", "--count", "2"};
    const auto natal = Natal();
    args.insert(args.end(), natal.begin(), natal.end());
    ASSERT_EQ(Run(args), kExitOk) << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["returns"].size(), 2U);
    for (const auto& r : doc["returns"]) {
        EXPECT_TRUE(r["found"].get<bool>());
        const double jd = r["julian_day_ut"].get<double>();
        const double gap = std::remainder(
            LibraryLongitude(jd, SE_SUN) - r["target_longitude"].get<double>(), 360.0);
        EXPECT_LT(std::fabs(gap), 0.1 / 3600.0);
        EXPECT_EQ(r["chart"]["points"].size(), 50U);
    }
    EXPECT_EQ(doc["returns"][0]["date"]["year"], 2024);
    EXPECT_EQ(doc["returns"][1]["date"]["year"], 2025);
}

TEST_F(ReturnsCommandTest, ImpossibleReturnIsRefused) {
    std::vector<std::string> args = {"return", "--point", "22", "--from", "1 Mar 2024"};
    const auto natal = Natal();
    args.insert(args.end(), natal.begin(), natal.end());
    EXPECT_EQ(Run(args), kExitRefused);
    EXPECT_NE(Err().find("This point cannot be used for a return."), std::string::npos) << Err();
}

TEST_F(ReturnsCommandTest, EclipsesJsonAndSarosFilter) {
    ASSERT_EQ(Run({"--json", "eclipses", "--from", "1 Jan 2024", "--to", "31 Dec 2025", "--saros",
                   "139"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["eclipses"].size(), 1U);
    const auto& e = doc["eclipses"][0];
    EXPECT_EQ(e["kind"], "solar");
    EXPECT_EQ(e["type"], "Total");
    EXPECT_EQ(e["saros_vdb"], 139);
    EXPECT_TRUE(e["penumbral_magnitude"].is_null());
    EXPECT_TRUE(e["aspect"].is_null());
    std::array<double, 10> tret{};
    char serr[AS_MAXCH] = {0};
    swe_sol_eclipse_when_glob(swe_julday(2024, 1, 1, 0.0, SE_GREG_CAL), SEFLG_SWIEPH, 0,
                              tret.data(), 0, serr);
    EXPECT_NEAR(e["julian_day_ut"].get<double>(), tret[0], 2.0 / 86400.0);
}

TEST_F(ReturnsCommandTest, LunarEclipseOf2025March14IsSaros123) {
    ASSERT_EQ(Run({"--json", "eclipses", "--from", "1 Mar 2025", "--to", "31 Mar 2025", "--solar",
                   "none", "--lunar", "total"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["eclipses"].size(), 1U);
    EXPECT_EQ(doc["eclipses"][0]["saros_vdb"], 123);
    EXPECT_TRUE(doc["eclipses"][0]["duration_seconds"].is_null());
}

TEST_F(ReturnsCommandTest, NoEclipsesBeyondTheCatalogue) {
    EXPECT_EQ(Run({"eclipses", "--from", "1 Jan 3100", "--to", "1 Jan 3101"}), kExitOk);
    EXPECT_NE(Err().find("No Eclipses"), std::string::npos) << Err();
    EXPECT_EQ(Run({"eclipses", "--from", "1 Jan 2024", "--to", "1 Feb 2024", "--solar", "bogus"}),
              kExitRefused);
}

TEST_F(ReturnsCommandTest, FixedPositionFilterFindsTheConjunction) {
    ASSERT_EQ(Run({"--json", "eclipses", "--from", "1 Jan 2024", "--to", "31 Dec 2024", "--fixed",
                   "19Ar24"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_GE(doc["eclipses"].size(), 1U);
    EXPECT_EQ(doc["eclipses"][0]["date"]["month"], 4);
    EXPECT_EQ(doc["eclipses"][0]["aspect"]["aspect"], 1);
}

TEST_F(ReturnsCommandTest, NearestLookup) {
    ASSERT_EQ(
        Run({"--json", "eclipses", "--nearest", "--from", "1 Apr 2024", "--to", "15 Apr 2024"}),
        kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    EXPECT_TRUE(doc["found"].get<bool>());
    EXPECT_EQ(doc["kind"], "solar");
}

TEST_F(ReturnsCommandTest, LunarPhasesJson) {
    ASSERT_EQ(Run({"--json", "lunar-phases", "--from", "1 Mar 2025", "--to", "31 Mar 2025"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["phases"].size(), 4U);
    EXPECT_EQ(doc["phases"][1]["phase"], "full");
    const double jd = doc["phases"][1]["julian_day_ut"].get<double>();
    const double elongation =
        std::remainder(LibraryLongitude(jd, SE_MOON) - LibraryLongitude(jd, SE_SUN) - 180.0, 360.0);
    EXPECT_LT(std::fabs(elongation), 2.0 * 12.2 / 86400.0);  // within 2 s of motion
}

TEST_F(ReturnsCommandTest, LunarPhaseChartKindJson) {
    std::vector<std::string> args = {"--json", "lunar-phases", "--kind",
                                     "4",      "--around",     "1 Apr 2024"};
    const auto natal = Natal();
    args.insert(args.end(), natal.begin(), natal.end());
    ASSERT_EQ(Run(args), kExitOk) << Err();
    const auto doc = nlohmann::json::parse(Out());
    EXPECT_EQ(doc["kind"], "Phase Family (New)");
    ASSERT_EQ(doc["charts"].size(), 8U);
    EXPECT_EQ(doc["charts"][0]["name"], "Lunar Phase Family - New Moon");
    EXPECT_EQ(doc["charts"][4]["name"], "Lunar Phase Family - Full Moon");
    for (std::size_t i = 0; i < 8; ++i) {
        const double jd = doc["charts"][i]["julian_day_ut"].get<double>();
        const double elongation =
            std::remainder(LibraryLongitude(jd, SE_MOON) - LibraryLongitude(jd, SE_SUN) -
                               45.0 * static_cast<double>(i),
                           360.0);
        EXPECT_LT(std::fabs(elongation), 2.0 * 15.0 / 86400.0) << i;  // within 2 s of motion
    }
    ASSERT_EQ(Run({"lunar-phases", "--kind", "Phase Family (Old)", "--around", "1 Apr 2024"}),
              kExitRefused);
    EXPECT_NE(Err().find("--kind is a number 1 to 9"), std::string::npos) << Err();
}

TEST_F(ReturnsCommandTest, EclipseReportSortedWithACreatedChart) {
    ASSERT_EQ(Run({"eclipses", "--from", "1 Jan 2024", "--to", "31 Dec 2025", "--sort", "6",
                   "--create-chart", "5", "--lat", "40N45", "--lon", "73W59", "--zone", "5"}),
              kExitOk)
        << Err();
    const std::string out = Out();
    EXPECT_EQ(out.rfind("Eclipse Report\nSearch Date Range: From 1 Jan 2024 To 31 Dec 2025\n", 0),
              0U)
        << out;
    EXPECT_NE(out.find("Times reported are Eclipse Maximum\n"), std::string::npos);
    // By Saros series: the four lunar eclipses (113 ... 128), then 2024 April 8 (139).
    const std::size_t lunar = out.find("Lunar  Appulse  25 Mar 2024");
    const std::size_t solar = out.find("Solar  Total     8 Apr 2024  18:17:20");
    ASSERT_NE(lunar, std::string::npos) << out;
    ASSERT_NE(solar, std::string::npos) << out;
    EXPECT_LT(lunar, solar);
    EXPECT_NE(out.find("Times are shown (UT)\n"), std::string::npos);
    // The fifth of the sorted list is the solar eclipse of 2024 April 8, cast in New York's zone.
    EXPECT_NE(out.find("*** Total Solar Eclipse (NM) ***"), std::string::npos) << out;
    EXPECT_NE(out.find("8 Apr 2024  13:17:20"), std::string::npos) << out;

    EXPECT_EQ(Run({"eclipses", "--from", "1 Jan 2024", "--to", "31 Dec 2024", "--sort", "14"}),
              kExitRefused);
    EXPECT_EQ(
        Run({"eclipses", "--from", "1 Jan 2024", "--to", "31 Dec 2024", "--create-chart", "0"}),
        kExitRefused);
    EXPECT_NE(Err().find("There is no eclipse 0 in the list (4 listed)."), std::string::npos)
        << Err();
}

TEST_F(ReturnsCommandTest, CreatedChartsAreSavedIntoAChartFile) {
    const std::string path = (temp() / "eclipses.MDcht").string();
    ASSERT_EQ(Run({"files", "create", path, "--description", "Eclipses"}), kExitOk) << Err();
    ASSERT_EQ(Run({"--json", "eclipses", "--from", "1 Jan 2025", "--to", "31 Dec 2025",
                   "--create-chart", "1", "--create-chart", "2", "--save", path}),
              kExitOk)
        << Err();
    EXPECT_EQ(nlohmann::json::parse(Out())["saved"], nlohmann::json::array({1, 2}));
    ASSERT_EQ(Run({"lunar-phases", "--from", "1 Mar 2025", "--to", "31 Mar 2025", "--create-chart",
                   "2", "--save", path}),
              kExitOk)
        << Err();
    EXPECT_NE(Out().find("Saved as chart 3 of " + path), std::string::npos) << Out();
    ASSERT_EQ(Run({"--json", "files", "list", path}), kExitOk) << Err();
    const auto list = nlohmann::json::parse(Out());
    ASSERT_EQ(list["charts"].size(), 3U);
    EXPECT_EQ(list["charts"][0]["name"], "Total Lunar Eclipse (FM)");
    EXPECT_EQ(list["charts"][1]["name"], "Partial Solar Eclipse (NM)");
    EXPECT_EQ(list["charts"][2]["name"], "Lunar Phase: Full Moon");
    // A file that does not exist is not created.
    EXPECT_NE(Run({"eclipses", "--from", "1 Jan 2025", "--to", "31 Dec 2025", "--create-chart", "1",
                   "--save", (temp() / "missing.MDcht").string()}),
              kExitOk);
    EXPECT_FALSE(std::filesystem::exists(temp() / "missing.MDcht"));
}

TEST_F(ReturnsCommandTest, ADamagedColumnLayoutIsReportedAndTheStandardColumnsUsed) {
    testing::WriteFile(UserDir() / "Settings" / "EclCols.ini",
                       "[EclCols]\nColumns=1,1\nColShow=-1,-1\nColWidth=9,9\n");
    ASSERT_EQ(Run({"eclipses", "--from", "1 Jan 2024", "--to", "31 Dec 2024"}), kExitOk) << Err();
    EXPECT_NE(Err().find("The eclipse column layout is damaged; the standard columns are used."),
              std::string::npos)
        << Err();
    EXPECT_NE(Out().find("Solar  Total     8 Apr 2024"), std::string::npos) << Out();
}

TEST_F(ReturnsCommandTest, PhaseReturnsJsonWithTheirCharts) {
    std::vector<std::string> args = {"--json", "lunar-phases",   "--phase-returns",
                                     "--from", "1 Jan 2025",     "--count",
                                     "3",      "--create-chart", "3"};
    const auto natal = Natal();
    args.insert(args.end(), natal.begin(), natal.end());
    ASSERT_EQ(Run(args), kExitOk) << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["phases"].size(), 3U);
    ASSERT_EQ(doc["charts"].size(), 1U);
    EXPECT_EQ(doc["charts"][0]["name"], "Lunar Phase Returns 3");
    // The natal elongation, from the library's own positions at the natal moment.
    const double natal_jd = 2444436.1041666665;  // 1980 July 15 14:30 UT
    const double natal_elongation =
        LibraryLongitude(natal_jd, SE_MOON) - LibraryLongitude(natal_jd, SE_SUN);
    EXPECT_LT(std::fabs(std::remainder(doc["elongation"].get<double>() - natal_elongation, 360.0)),
              0.001);
    for (const auto& p : doc["phases"]) {
        const double jd = p["julian_day_ut"].get<double>();
        const double gap = std::remainder(
            LibraryLongitude(jd, SE_MOON) - LibraryLongitude(jd, SE_SUN) - natal_elongation, 360.0);
        EXPECT_LT(std::fabs(gap), 2.0 * 12.2 / 86400.0);
    }
    EXPECT_EQ(Run({"lunar-phases", "--phase-returns", "--from", "1 Jan 2025"}), kExitRefused);
}

TEST_F(ReturnsCommandTest, ThePrenatalEclipsePointComesFromTheCatalogues) {
    std::vector<std::string> args = {"--json", "chart", "--extra", "prenatal-eclipse"};
    const std::vector<std::string> chart = {"--date", "9 Apr 2024", "--time", "12:00", "--zone",
                                            "0",      "--lat",      "0N00",   "--lon", "0E00"};
    args.insert(args.end(), chart.begin(), chart.end());
    ASSERT_EQ(Run(args), kExitOk) << Err();
    const auto doc = nlohmann::json::parse(Out());
    const auto& point = doc["points"].back();
    EXPECT_EQ(point["number"], 51);
    EXPECT_EQ(point["kind"], "eclipse");
    // The Sun at the greatest eclipse of 2024 April 8, 18:17:20 UT (the library's instant).
    EXPECT_NEAR(point["longitude"].get<double>(), LibraryLongitude(2460409.2620370, SE_SUN), 0.01);
}

TEST_F(ReturnsCommandTest, VoidOfCourseJson) {
    std::vector<std::string> args = {"--json", "voc", "--count", "3", "--type", "1"};
    const std::vector<std::string> chart = {"--date", "10 Feb 2024", "--time", "0:00",  "--zone",
                                            "0",      "--lat",       "0N00",   "--lon", "0E00"};
    args.insert(args.end(), chart.begin(), chart.end());
    ASSERT_EQ(Run(args), kExitOk) << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["periods"].size(), 3U);
    double previous_end = 0.0;
    for (const auto& p : doc["periods"]) {
        const int planet = p["planet"].get<int>();
        EXPECT_TRUE(planet == 3 || (planet >= 5 && planet <= 9)) << planet;
        EXPECT_LT(p["begins_julian_day_ut"].get<double>(), p["ends_julian_day_ut"].get<double>());
        EXPECT_GT(p["ends_julian_day_ut"].get<double>(), previous_end);
        previous_end = p["ends_julian_day_ut"].get<double>();
        EXPECT_EQ(std::fmod(p["moon_longitude"].get<double>(), 30.0), 0.0);
    }
    EXPECT_TRUE(doc["is_void"].is_boolean());
    EXPECT_EQ(Run({"voc", "--type", "5", "--date", "10 Feb 2024"}), kExitRefused);
}

}  // namespace
}  // namespace meridia::cli

namespace meridia::cli {
namespace {

class DynamicExtraEventsTest : public testing::CliTest {};

TEST_F(DynamicExtraEventsTest, EclipsesPhasesAndVoidPeriodsInTheDynamicReport) {
    ASSERT_EQ(Run({"--json", "dynamic", "--date", "15 Jul 1980", "--time", "14:30", "--zone", "0",
                   "--lat", "0N00", "--lon", "0E00", "--from", "1 Mar 2024", "--to", "30 Apr 2024",
                   "--events", "eclipses,lunar-phases,void-of-course"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    int o = 0;
    int v = 0;
    bool eclipse = false;
    for (const auto& e : doc["events"]) {
        const std::string symbol = e["symbol"];
        o += symbol == "O" ? 1 : 0;
        v += symbol == "V" ? 1 : 0;
        // The total solar eclipse at its maximum, 2024 April 8 18:17 UT.
        if (symbol == "O" && e["moving_point"] == 3 &&
            std::fabs(e["julian_day_ut"].get<double>() - 2460409.262) < 0.01) {
            eclipse = true;
        }
    }
    EXPECT_TRUE(eclipse);
    EXPECT_EQ(o, 8 + 2);  // eight phases and two eclipses
    EXPECT_GT(v, 20);
}

}  // namespace
}  // namespace meridia::cli

namespace meridia::cli {
namespace {

class DeriveReturnTest : public testing::CliTest {};

TEST_F(DeriveReturnTest, ReturnClassIsCalculatedByTheReturnSearch) {
    ASSERT_EQ(Run({"--json",        "derive",     "--class",       "4",
                   "--kind",        "3",          "--date",        "15 Jul 1980",
                   "--time",        "14:30",      "--zone",        "0",
                   "--lat",         "0N00",       "--lon",         "0E00",
                   "--target-date", "1 Mar 2024", "--target-time", "0:00",
                   "--target-zone", "0"}),
              kExitOk)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    EXPECT_EQ(doc["chart_class"], 4);
    EXPECT_EQ(doc["date"]["year"], 2024);
    EXPECT_EQ(doc["date"]["month"], 7);
    double sun = -1.0;
    for (const auto& p : doc["points"]) {
        if (p["number"] == 3) {
            sun = p["longitude"].get<double>();
        }
    }
    // The natal Sun of 1980 July 15, 14:30 UT, from the library.
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    swe_calc_ut(swe_julday(1980, 7, 15, 14.5, SE_GREG_CAL), SE_SUN, SEFLG_SWIEPH, x.data(), serr);
    // The chart is cast at the return instant rounded to the second (the Sun moves 0.04").
    EXPECT_NEAR(sun, x[0], 0.05 / 3600.0);
}

}  // namespace
}  // namespace meridia::cli
