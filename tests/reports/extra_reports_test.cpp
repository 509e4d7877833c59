// The extra-point reports: the Arabic parts report's title, file line, lots and rulers; star
// aspects against the library's Sun and star places; parans against the library's own
// rise-and-transit function; the asteroid list against the library's asteroid positions; the
// extra ring points and user-defined points blocks.
#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "aspects/aspect_manager.h"
#include "aspects/aspect_set.h"
#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/ephemeris.h"
#include "astro/extra_points.h"
#include "reports/reports.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::reports {
namespace {

astro::ChartRecord Record(int year, int month, int day, int hour, float latitude,
                          float longitude_west) {
    astro::ChartRecord r;
    r.data.name = "Extra";
    r.data.date_time = {static_cast<std::int16_t>(year),
                        static_cast<std::uint8_t>(month),
                        static_cast<std::uint8_t>(day),
                        static_cast<std::uint8_t>(hour),
                        0,
                        0};
    r.data.zone.hours = 0.0F;
    r.data.place.latitude = latitude;
    r.data.place.longitude = longitude_west;
    r.house_system = 4;
    r.zodiac = 1;
    r.coords = 1;
    return r;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> fields;
    std::stringstream in(text);
    std::string field;
    while (std::getline(in, field, ',')) {
        fields.push_back(field);
    }
    return fields;
}

class ExtraReportsTest : public testing::SessionTest {
protected:
    ExtraReportsTest() {
        const auto& user = session().folders().user_files;
        std::filesystem::create_directories(user / "Aspects");
        std::filesystem::copy(testing::FactoryDir() / "Aspects", user / "Aspects",
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        aspects::Aspects().ReadIni();
        set_ = aspects::StandardAspectSet();
    }

    int Open(const astro::ChartRecord& record) {
        const int slot = astro::OpenChartIntoSlot(record, "", 0);
        EXPECT_GT(slot, 0);
        return slot;
    }

    ReportWriter Run(std::string_view kind, int slot_a, int slot_b = 0) {
        ReportRequest request;
        request.slot_a = slot_a;
        request.slot_b = slot_b;
        request.aspect_set = &set_;
        ReportWriter writer;
        EXPECT_TRUE(RunReport(kind, request, writer).ok()) << kind;
        EXPECT_EQ(writer.Lines().back().text, kEndReport);
        return writer;
    }

    static std::vector<std::string> List(const ReportWriter& w, const std::string& name) {
        const auto it = w.Values().find(name);
        EXPECT_NE(it, w.Values().end()) << name;
        return it == w.Values().end() ? std::vector<std::string>{}
                                      : std::get<std::vector<std::string>>(it->second);
    }

    static bool HasLineStarting(const ReportWriter& w, const std::string& start) {
        for (const ReportLine& line : w.Lines()) {
            if (line.text.rfind(start, 0) == 0) {
                return true;
            }
        }
        return false;
    }

    void WriteUserFile(const std::string& name, const std::string& text) {
        testing::WriteFile(session().folders().user_files / "Points & Colors" / name, text);
    }

    aspects::AspectSet set_;
};

std::array<double, 6> Library(double jd_ut, int body) {
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    EXPECT_GE(swe_calc_ut(jd_ut, body, SEFLG_SWIEPH | SEFLG_SPEED, x.data(), serr), 0) << serr;
    return x;
}

TEST_F(ExtraReportsTest, ArabicPartsTitleFileLineAndFortuneByDay) {
    // Noon at the summer solstice in London: the Sun is above the horizon.
    const int slot = Open(Record(2024, 6, 21, 12, 51.5F, 0.1F));
    const ReportWriter w = Run("arabic-parts", slot);
    EXPECT_EQ(w.Title(), "*** ARABIC PARTS - TRADITIONAL RULERSHIPS ***");
    EXPECT_TRUE(HasLineStarting(w, "Arabic Parts File: allparts.arp"));
    EXPECT_TRUE(HasLineStarting(w, "Day chart."));
    // Fortune by day: Asc + Moon - Sun, from the library's Moon and Sun and the chart's
    // Ascendant.
    const astro::ChartSlot& s = astro::Slot(slot);
    const double jd_ut = s.julian_day_ut;
    const double expected = astro::Norm360(s.longitude[astro::kAscendant] +
                                           Library(jd_ut, SE_MOON)[0] - Library(jd_ut, SE_SUN)[0]);
    bool found = false;
    for (const std::string& figure : List(w, "arabic_parts")) {
        const std::vector<std::string> f = Split(figure);
        if (f.size() == 2 && f[0] == "Fortune") {
            found = true;
            EXPECT_NEAR(astro::Norm180(std::stod(f[1]) - expected), 0.0, 1e-6);
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(ExtraReportsTest, ArabicPartsOfAModernFileNameModernRulers) {
    WriteUserFile("modern.arp",
                  "rulerships = modern\nScorpio Lot | SLot | 15Sc00 | no\nPisces Lot | PLot | "
                  "Asc - Asc + 10Pi00 | no\n");
    session().settings().SetString("PartsFileName", "modern");
    const int slot_a = Open(Record(2024, 6, 21, 12, 51.5F, 0.1F));
    const int slot_b = Open(Record(1990, 12, 21, 3, 40.7F, 74.0F));
    const ReportWriter w = Run("arabic-parts", slot_a, slot_b);
    EXPECT_EQ(w.Title(), "*** SYNASTRY ARABIC PARTS - MODERN RULERSHIPS ***");
    EXPECT_TRUE(HasLineStarting(w, "Arabic Parts File: modern.arp"));
    int scorpio_rows = 0;
    for (const ReportLine& line : w.Lines()) {
        if (line.text.rfind("Scorpio Lot", 0) == 0) {
            ++scorpio_rows;
            EXPECT_NE(line.text.find("15 Sc 00'"), std::string::npos) << line.text;
            EXPECT_NE(line.text.find("Pluto"), std::string::npos) << line.text;
        }
        if (line.text.rfind("Pisces Lot", 0) == 0) {
            EXPECT_NE(line.text.find("Neptune"), std::string::npos) << line.text;
        }
    }
    EXPECT_EQ(scorpio_rows, 2);  // one per chart
    EXPECT_EQ(List(w, "arabic_parts_b").size(), 2U);
}

TEST_F(ExtraReportsTest, StarAspectsAgreeWithTheLibrarysSunAndStar) {
    // Late August 2024: the Sun passes Regulus.
    const int slot = Open(Record(2024, 8, 22, 12, 51.5F, 0.1F));
    const ReportWriter w = Run("fixed-stars", slot);
    EXPECT_EQ(w.Title(), "*** Aspects TO FIXED STARS ***");
    EXPECT_TRUE(HasLineStarting(w, "Star File: brady.fst"));
    const double jd_ut = astro::Slot(slot).julian_day_ut;
    char serr[AS_MAXCH] = {0};
    const double jd_et = jd_ut + swe_deltat_ex(jd_ut, SEFLG_SWIEPH, serr);
    std::array<double, 6> regulus{};
    std::array<char, 64> key{"Regulus"};
    ASSERT_GE(swe_fixstar2(key.data(), jd_et, SEFLG_SWIEPH, regulus.data(), serr), 0) << serr;
    const double separation = std::fabs(astro::Norm180(Library(jd_ut, SE_SUN)[0] - regulus[0]));
    ASSERT_LT(separation, 1.0);
    const aspects::AspectSet& stars = aspects::Aspects().Set(aspects::AspectFileType::kStar);
    bool found = false;
    for (const std::string& figure : List(w, "star_aspects")) {
        const std::vector<std::string> f = Split(figure);
        ASSERT_EQ(f.size(), 4U);
        if (f[0] == "Regulus" && f[1] == "3") {
            found = true;
            EXPECT_EQ(stars.Aspect(std::stoi(f[2])).angle, 0.0);
            EXPECT_NEAR(std::fabs(std::stod(f[3])), separation, 1e-6);
        }
    }
    EXPECT_TRUE(found);
}

// The library's own rise, set and transit times (true horizon, centre of the disc), or -1
// when the body has no such event within the day after jd0.
double LibraryEvent(double jd0, int body, const char* star, int event, double lat,
                    double lon_east) {
    static constexpr std::array<int, 4> kFlags = {SE_CALC_MTRANSIT, SE_CALC_ITRANSIT, SE_CALC_RISE,
                                                  SE_CALC_SET};
    std::array<double, 3> geo = {lon_east, lat, 0.0};
    std::array<char, 64> name{};
    if (star != nullptr) {
        std::snprintf(name.data(), name.size(), "%s", star);
    }
    double t = 0.0;
    char serr[AS_MAXCH] = {0};
    const int flags =
        kFlags[static_cast<std::size_t>(event - 1)] | SE_BIT_DISC_CENTER | SE_BIT_NO_REFRACTION;
    if (swe_rise_trans(jd0, body, star == nullptr ? nullptr : name.data(), SEFLG_SWIEPH, flags,
                       geo.data(), 0.0, 0.0, &t, serr) != 0 ||
        t >= jd0 + 1.0) {
        return -1.0;
    }
    return t;
}

TEST_F(ExtraReportsTest, ParansAgreeWithTheLibrarysRiseAndTransitTimes) {
    session().settings().SetString("RiseSetHorizon", "True");
    const double lat = 48.4;
    const double lon_west = -10.0;
    const int slot =
        Open(Record(1990, 12, 21, 12, static_cast<float>(lat), static_cast<float>(lon_west)));
    const ReportWriter w = Run("fixed-star-parans", slot);
    EXPECT_EQ(w.Title(), "*** Parans TO FIXED STARS ***");
    const double jd0 = swe_julday(1990, 12, 21, 0.0, SE_GREG_CAL);
    constexpr double kSecond = 1.0 / 86400.0;
    constexpr double kOrb = 4.0 / 1440.0;
    const std::vector<std::string> parans = List(w, "parans");
    ASSERT_FALSE(parans.empty());
    // Every paran listed: both events at the library's times, within the orb of each other.
    for (const std::string& figure : parans) {
        const std::vector<std::string> f = Split(figure);
        ASSERT_EQ(f.size(), 6U);
        // The library's next event from half a day before the one listed.
        const double star_time =
            LibraryEvent(std::stod(f[4]) - 0.5, 0, f[0].c_str(), std::stoi(f[1]), lat, -lon_west);
        EXPECT_NEAR(std::stod(f[4]), star_time, 5 * kSecond) << figure;
        const int point = std::stoi(f[2]);
        if (point >= astro::kSun && point <= astro::kPluto && point != 4) {
            const double point_time =
                LibraryEvent(std::stod(f[5]) - 0.5, astro::SwissBodyOf(point, true, false), nullptr,
                             std::stoi(f[3]), lat, -lon_west);
            EXPECT_NEAR(std::stod(f[5]), point_time, 5 * kSecond) << figure;
        }
        EXPECT_LE(std::fabs(std::stod(f[4]) - std::stod(f[5])), kOrb);
    }
    // Every pair the library puts well within the orb inside the day is listed.
    const std::vector<std::string> stars = {"Aldebaran", "Regulus",   "Spica", "Antares",
                                            "Sirius",    "Fomalhaut", "Vega",  "Capella",
                                            "Algol",     "Procyon"};
    int expected = 0;
    for (const std::string& star : stars) {
        for (int se = 1; se <= 4; ++se) {
            const double ts = LibraryEvent(jd0, 0, star.c_str(), se, lat, -lon_west);
            if (ts < jd0 + 0.01 || ts > jd0 + 0.99) {
                continue;
            }
            for (int point = astro::kSun; point <= astro::kSaturn; ++point) {
                if (point == 4) {
                    continue;  // Vulcan
                }
                for (int pe = 1; pe <= 4; ++pe) {
                    const double tp = LibraryEvent(jd0, astro::SwissBodyOf(point, true, false),
                                                   nullptr, pe, lat, -lon_west);
                    if (tp < jd0 + 0.01 || tp > jd0 + 0.99 ||
                        std::fabs(tp - ts) > kOrb - 10 * kSecond) {
                        continue;
                    }
                    ++expected;
                    const std::string prefix = star + "," + std::to_string(se) + "," +
                                               std::to_string(point) + "," + std::to_string(pe) +
                                               ",";
                    bool listed = false;
                    for (const std::string& figure : parans) {
                        listed = listed || figure.rfind(prefix, 0) == 0;
                    }
                    EXPECT_TRUE(listed) << prefix;
                }
            }
        }
    }
    EXPECT_GT(expected, 0);  // the day has parans the library finds too
}

TEST_F(ExtraReportsTest, AsteroidsAgreeWithTheLibraryOrAreNotAvailable) {
    const int slot = Open(Record(2000, 1, 1, 12, 51.5F, 0.1F));
    const ReportWriter w = Run("asteroids", slot);
    EXPECT_EQ(w.Title(), "*** ASTEROIDS ***");
    EXPECT_TRUE(HasLineStarting(w, "Asteroid File: standard.ast"));
    const double jd_et = astro::Slot(slot).julian_day;
    const std::vector<std::string> figures = List(w, "asteroids");
    ASSERT_FALSE(figures.empty());
    for (const std::string& figure : figures) {
        const std::vector<std::string> f = Split(figure);
        ASSERT_EQ(f.size(), 2U);
        std::array<double, 6> x{};
        char serr[AS_MAXCH] = {0};
        const int body = SE_AST_OFFSET + std::stoi(f[0]);
        if (swe_calc(jd_et, body, SEFLG_SWIEPH | SEFLG_SPEED, x.data(), serr) >= 0) {
            EXPECT_NEAR(astro::Norm180(std::stod(f[1]) - x[0]), 0.0, 1e-9) << figure;
        } else {
            EXPECT_EQ(std::stod(f[1]), -1.0) << figure;
        }
    }
}

TEST_F(ExtraReportsTest, ExtraRingPointsListThePointsInUse) {
    ASSERT_TRUE(astro::UseExtraPoints("position:15Ar30,cusp:10").ok());
    const int slot = Open(Record(2000, 1, 1, 12, 51.5F, 0.1F));
    const ReportWriter none = Run("extra-points", slot);
    EXPECT_EQ(none.Title(), "*** EXTRA RING POINTS ***");
    EXPECT_TRUE(HasLineStarting(none, "51  Position 15Ar30"));
    EXPECT_TRUE(HasLineStarting(none, "52  10th House Cusp"));
    const ReportWriter block = Run("extra-chart-ring-points", slot);
    EXPECT_EQ(block.Title(), "EXTRA CHART RING POINTS");
    EXPECT_TRUE(HasLineStarting(block, "15Ar30   15 Ar 30'"));
    EXPECT_EQ(block.Lines()[2].text.substr(0, 9), "H10      ");
    astro::ClearExtraPoints();
    const ReportWriter empty = Run("extra-chart-ring-points", slot);
    EXPECT_EQ(empty.Lines()[1].text, "None");
}

TEST_F(ExtraReportsTest, UserDefinedPointsBlockCalculatesTheFileInForce) {
    WriteUserFile("mine.ptu", "position:15Ar30 | P15\nmidpoint:Sun/Moon | SuMo\n");
    session().settings().SetString("UDPFileName", "mine");
    const int slot = Open(Record(2000, 1, 1, 12, 51.5F, 0.1F));
    const ReportWriter w = Run("user-defined-points", slot);
    EXPECT_EQ(w.Title(), "USER-DEFINED POINTS");
    EXPECT_TRUE(HasLineStarting(w, "P15      15 Ar 30'"));
    EXPECT_TRUE(HasLineStarting(w, "SuMo     "));
    // The points of the file are not put in use.
    EXPECT_EQ(astro::PointsInUse(), astro::kFixedPointCount);
}

TEST_F(ExtraReportsTest, ExtraBodiesListTheBodiesBeyondThePlanets) {
    const int slot = Open(Record(2000, 1, 1, 12, 51.5F, 0.1F));
    const ReportWriter w = Run("extra-bodies", slot);
    EXPECT_EQ(w.Title(), "*** EXTRA BODIES ***");
    EXPECT_TRUE(HasLineStarting(w, "Chiron"));
    EXPECT_TRUE(HasLineStarting(w, "Eris"));
}

}  // namespace
}  // namespace meridia::reports
