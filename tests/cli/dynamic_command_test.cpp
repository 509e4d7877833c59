// meridia-cli dynamic run in-process: the JSON fields, the report time of the events in the
// report zone, the readable listing's header, and refused input (exit 2, nothing written).
#include <gtest/gtest.h>
#include <swephexp.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/test_session.h"

namespace meridia::dynamic {
namespace {

const std::vector<std::string> kRadix = {"--name", "Radix", "--date", "14 Mar 1879",
                                         "--time", "11:30", "--zone", "-0:40",
                                         "--lat",  "48N24", "--lon",  "10E00"};

class DynamicCommandTest : public testing::CliTest {
protected:
    int RunDynamic(std::vector<std::string> extra, bool json = true) {
        std::vector<std::string> args = {"dynamic"};
        if (json) {
            args.insert(args.begin(), "--json");
        }
        args.insert(args.end(), kRadix.begin(), kRadix.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }
};

TEST_F(DynamicCommandTest, SunIngressIntoAriesInReportTime) {
    // The Sun's ingress into Aries in March 2024, reported in a zone 5 hours west.
    ASSERT_EQ(RunDynamic({"--from", "1 Mar 2024", "--to", "31 Mar 2024", "--moving", "3",
                          "--targets", "3", "--events", "sign-ingress", "--report-zone", "5"}),
              0)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    EXPECT_EQ(doc["method"], 17);
    EXPECT_EQ(doc["step_days"], 5.0);
    EXPECT_EQ(doc["zone_hours"], 5.0);
    ASSERT_EQ(doc["events"].size(), 1U);
    const auto& e = doc["events"][0];
    EXPECT_EQ(e["symbol"], "S");
    EXPECT_EQ(e["moving_point"], 3);
    EXPECT_EQ(e["aspect"], -1);
    EXPECT_EQ(e["target_point"], 0);
    EXPECT_EQ(e["target_longitude"], -999.0);
    EXPECT_EQ(e["family"], 8);
    EXPECT_EQ(e["event_type"], "Tr");
    // The library's own crossing of 0 Aries.
    double jd = e["julian_day_ut"].get<double>() - 1.0 / 86400.0;
    double x[6];
    char serr[AS_MAXCH];
    swe_calc_ut(jd - 0.5 / 86400.0, SE_SUN, SEFLG_SPEED, x, serr);
    const double before = x[0];
    swe_calc_ut(jd + 0.5 / 86400.0, SE_SUN, SEFLG_SPEED, x, serr);
    EXPECT_GT(before, 359.0);
    EXPECT_LT(x[0], 1.0);
    EXPECT_NEAR(e["julian_day"].get<double>(), e["julian_day_ut"].get<double>() - 5.0 / 24.0, 1e-9);
    EXPECT_EQ(e["date"]["year"], 2024);
    EXPECT_EQ(e["date"]["month"], 3);
    EXPECT_EQ(e["date"]["day"], 19);  // 20 March 03:06 UT is 19 March 22:06 at UT-5
}

TEST_F(DynamicCommandTest, ListingShowsTheHeaderAndOneLinePerEvent) {
    ASSERT_EQ(RunDynamic({"--from", "1 Jan 2024", "--period", "2", "--unit", "months", "--moving",
                          "3,5", "--events", "transits-radix,stations"},
                         false),
              0)
        << Err();
    const std::string out = Out();
    EXPECT_NE(out.find("Radix Points: "), std::string::npos);
    EXPECT_NE(out.find("Transiting Points: Su Me"), std::string::npos);
    EXPECT_NE(out.find("Selected Events: Transits to Radix, Stationary Points"), std::string::npos);
    EXPECT_NE(out.find("Report Period: 1 Jan 2024 to 29 Feb 2024, Time Zone -0:40 (Fixed)"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("(D) Me"), std::string::npos);  // Mercury turns direct on 2 January
    EXPECT_NE(out.find("Report Location:  48°N24' 010°E00'"), std::string::npos);
    EXPECT_NE(out.find(" events\n"), std::string::npos);
}

TEST_F(DynamicCommandTest, RefusesBadInput) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--from", "1 Jan 2024", "--to", "1 Dec 2023"}, "The report period is empty"},
        {{"--from", "1 Jan 2024", "--period", "1", "--moving", "77"}, "77"},
        {{"--from", "1 Jan 2024", "--period", "1", "--events", "comets"}, "comets"},
        {{"--from", "1 Jan 2024", "--period", "1", "--aspect-set", "/nonexistent/x.asp"},
         "could not be loaded"},
        {{"--from", "1 Jan 9999", "--period", "1"}, "outside the range of the ephemeris"},
        {{"--from", "1 Jan 2024", "--period", "1", "--method", "sideways"}, "sideways"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(RunDynamic(c.args), 2);
        EXPECT_NE(Err().find(c.message), std::string::npos) << Err();
        EXPECT_EQ(Out(), "");
    }
}

TEST_F(DynamicCommandTest, AutoDstLooksTheZoneUpForEachEvent) {
    // Ulm keeps Central European Time, with summer time from 31 March 2024.
    ASSERT_EQ(
        Run({"--json",    "dynamic",    "--name",   "Radix",        "--date",    "14 Mar 1879",
             "--time",    "11:30",      "--place",  "Ulm",          "--country", "Germany",
             "--from",    "1 Mar 2024", "--to",     "30 Apr 2024",  "--moving",  "3",
             "--targets", "3",          "--events", "sign-ingress", "--auto-dst"}),
        0)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    ASSERT_EQ(doc["events"].size(), 2U);
    const auto offset = [&](int i) {
        const auto& e = doc["events"][static_cast<std::size_t>(i)];
        return (e["julian_day"].get<double>() - e["julian_day_ut"].get<double>()) * 24.0;
    };
    EXPECT_NEAR(offset(0), 1.0, 1e-6);  // 20 March: UT + 1
    EXPECT_NEAR(offset(1), 2.0, 1e-6);  // 19 April: UT + 2
    EXPECT_EQ(RunDynamic({"--from", "1 Mar 2024", "--period", "1", "--auto-dst"}), 2);
    EXPECT_NE(Err().find("--auto-dst needs a place"), std::string::npos) << Err();
}

TEST_F(DynamicCommandTest, ExtraPointsAreTargetsAndMovingPoints) {
    // Aldebaran (point 51) as a target of the Moon, and the Sun/Moon midpoint (52) moving.
    ASSERT_EQ(RunDynamic({"--from", "1 Jan 2024", "--period", "10", "--unit", "days", "--moving",
                          "1,52", "--targets", "3,51", "--extra", "star:Aldebaran,midpoint:Su/Mo"}),
              0)
        << Err();
    const auto doc = nlohmann::json::parse(Out());
    double radix_jd = 0.0;
    bool star_hit = false;
    bool midpoint_moved = false;
    for (const auto& e : doc["events"]) {
        star_hit = star_hit || e["target_point"] == 51;
        midpoint_moved = midpoint_moved || e["moving_point"] == 52;
        if (e["target_point"] == 51) {
            // The star's place at the radix moment (14 Mar 1879 11:30 at -0:40), from the
            // library's star function.
            radix_jd = swe_julday(1879, 3, 14, 11.5 - 40.0 / 60.0, SE_GREG_CAL);
            char star[SE_MAX_STNAME] = "Aldebaran";
            double x[6];
            char serr[AS_MAXCH];
            ASSERT_GE(swe_fixstar2_ut(star, radix_jd, SEFLG_SPEED, x, serr), 0);
            EXPECT_NEAR(e["target_longitude"].get<double>(), x[0], 1e-6);
        }
    }
    EXPECT_TRUE(star_hit);
    EXPECT_TRUE(midpoint_moved);
    EXPECT_GT(radix_jd, 0.0);
}

}  // namespace
}  // namespace meridia::dynamic
