// The text reports on calculated charts: the analysis report's time figures against the
// ephemeris library, the aspects list against the aspect grid, the planetary day and hour,
// the lunar phase number, and every kind on ordinary, polar, heliocentric, sidereal, derived
// and synastry charts ending with the closing line.
#include "reports/reports.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <variant>

#include "aspects/aspect_set.h"
#include "aspects/chart_aspects.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "reports/planetary_hours.h"
#include "returns/void_of_course.h"
#include "support/test_session.h"
#include "textformats/calendar.h"

namespace meridia::reports {
namespace {

astro::ChartRecord Record(int year, int month, int day, int hour, int minute, float zone,
                          float latitude, float longitude_west, int zodiac = 1, int coords = 1) {
    astro::ChartRecord r;
    r.data.name = "Test";
    r.data.date_time = {static_cast<std::int16_t>(year),   static_cast<std::uint8_t>(month),
                        static_cast<std::uint8_t>(day),    static_cast<std::uint8_t>(hour),
                        static_cast<std::uint8_t>(minute), 0};
    r.data.zone.hours = zone;
    r.data.place.latitude = latitude;
    r.data.place.longitude = longitude_west;
    r.house_system = 4;
    r.zodiac = static_cast<std::uint8_t>(zodiac);
    r.coords = static_cast<std::uint8_t>(coords);
    return r;
}

class ReportsTest : public testing::SessionTest {
protected:
    ReportsTest() {
        const auto& user = session().folders().user_files;
        for (const char* folder : {"Almutens & Dignities", "Aspects"}) {
            std::filesystem::create_directories(user / folder);
            std::filesystem::copy(testing::FactoryDir() / folder, user / folder,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
        }
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
        return writer;
    }

    static double Number(const ReportWriter& w, const std::string& name) {
        const auto it = w.Values().find(name);
        EXPECT_NE(it, w.Values().end()) << name;
        return it == w.Values().end() ? 0.0 : std::get<double>(it->second);
    }

    static bool HasLine(const ReportWriter& w, const std::string& text) {
        for (const ReportLine& line : w.Lines()) {
            if (line.text == text) {
                return true;
            }
        }
        return false;
    }

    aspects::AspectSet set_;
};

TEST_F(ReportsTest, AnalysisTimeFiguresAgreeWithTheEphemerisLibrary) {
    struct Row {
        int year, month, day, hour;
        float zone, latitude, longitude;
    };
    const Row rows[] = {{1879, 3, 14, 11, -0.6667F, 48.4F, -10.0F},
                        {1990, 12, 21, 12, 0.0F, 48.4F, -10.0F},
                        {2024, 7, 4, 18, 4.0F, 40.7F, 74.0F},
                        {1650, 1, 1, 0, 0.0F, -33.9F, -18.4F}};
    for (const Row& row : rows) {
        const int slot = Open(Record(row.year, row.month, row.day, row.hour, 0, row.zone,
                                     row.latitude, row.longitude));
        const astro::ChartSlot& s = astro::Slot(slot);
        const ReportWriter w = Run("analysis", slot);
        char error[AS_MAXCH] = "";
        const double jd_ut = swe_julday(row.year, row.month, row.day,
                                        row.hour + static_cast<double>(row.zone), SE_GREG_CAL);
        const double delta_t = swe_deltat_ex(jd_ut, SEFLG_SWIEPH, error);
        // The zone is kept in single precision: a tenth of a second.
        EXPECT_NEAR(Number(w, "julian_day_ut"), jd_ut, 1e-6) << row.year;
        EXPECT_NEAR(Number(w, "delta_t_seconds"), delta_t * 86400.0, 0.01) << row.year;
        EXPECT_NEAR(Number(w, "jde"), Number(w, "julian_day_ut") + delta_t, 1e-9) << row.year;
        // The mean obliquity of date (the library's nutation entry gives it as its second
        // value), and the equation of time as the library gives it.
        std::array<double, 6> nut{};
        swe_calc(jd_ut + delta_t, SE_ECL_NUT, 0, nut.data(), error);
        EXPECT_NEAR(Number(w, "obliquity"), nut[1], 1e-6) << row.year;
        double eot = 0.0;
        swe_time_equ(jd_ut, &eot, error);
        EXPECT_NEAR(Number(w, "equation_of_time_minutes"), eot * 1440.0, 1e-6) << row.year;
        // ST(0°) is the chart's Greenwich sidereal time; LST that minus the west longitude.
        EXPECT_DOUBLE_EQ(Number(w, "sidereal_time_hours"), s.sidereal_time);
        EXPECT_NEAR(
            std::fmod(Number(w, "local_sidereal_time_hours") + row.longitude / 15.0 + 48.0, 24.0),
            s.sidereal_time, 1e-9);
        // The library's mean sidereal time agrees to well under a second.
        EXPECT_NEAR(std::remainder(s.sidereal_time - swe_sidtime0(jd_ut, nut[1], 0.0), 24.0), 0.0,
                    1.0 / 3600.0)
            << row.year;
    }
}

TEST_F(ReportsTest, LunarPhaseNumberCountsFortyFiveDegreeSectors) {
    const int slot = Open(Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F));
    const astro::ChartSlot& s = astro::Slot(slot);
    const ReportWriter w = Run("analysis", slot);
    const double elongation = std::fmod(s.longitude[1] - s.longitude[3] + 360.0, 360.0);
    EXPECT_NEAR(Number(w, "lunar_phase_angle"), elongation, 1e-9);
    EXPECT_EQ(Number(w, "lunar_phase"), std::floor(elongation / 45.0) + 1.0);
}

TEST_F(ReportsTest, AspectsListHoldsExactlyTheAspectsOfTheGrid) {
    const int slot = Open(Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F));
    const ReportWriter w = Run("aspects", slot);
    aspects::ChartAspectsRequest request;
    request.slot_a = slot;
    const auto grid = aspects::FindChartAspects(set_, request);
    ASSERT_FALSE(grid.empty());
    EXPECT_EQ(Number(w, "aspect_count"), static_cast<double>(grid.size()));
    const auto& listed = std::get<std::vector<std::string>>(w.Values().at("aspects"));
    ASSERT_EQ(listed.size(), grid.size());
    for (const aspects::ChartAspect& a : grid) {
        const std::string key = std::to_string(a.point_a) + "," + std::to_string(a.point_b) + "," +
                                std::to_string(a.result.aspect);
        EXPECT_NE(std::find(listed.begin(), listed.end(), key), listed.end()) << key;
    }
    EXPECT_TRUE(HasLine(w, "Sorted by Orb - Maximum Aspect Orb 9°00'"));
}

TEST(HourRuler, FollowsTheChaldeanOrderFromTheDayRuler) {
    struct Row {
        int weekday, count, ruler;
    };
    // Sunday: Sun, Venus, Mercury, Moon ...; the 25th hour would be Monday's first, the Moon.
    // Saturday's first hour is Saturn's; Tuesday's second hour is the Sun's.
    const Row rows[] = {{0, 0, 3}, {0, 1, 6}, {0, 2, 5}, {0, 3, 1}, {0, 23, 5}, {1, 0, 1},
                        {2, 0, 7}, {2, 1, 3}, {3, 0, 5}, {4, 0, 8}, {5, 0, 6},  {6, 0, 9}};
    for (const Row& row : rows) {
        EXPECT_EQ(HourRuler(row.weekday, row.count), row.ruler) << row.weekday << " " << row.count;
    }
    // The day after Sunday's 24 hours starts with the Moon, Monday's ruler.
    EXPECT_EQ(HourRuler(0, 24), kWeekdayRulers[1]);
}

TEST(PlanetaryHourAt, DividesDayAndNightIntoTwelve) {
    // 2000 January 2 (a Sunday) at zone 0: sunrise 6h, sunset 18h, next sunrise 6h.
    const double day0 = 2451545.5;  // 0h UT of 2000 January 2
    const double rise = day0 + 0.25;
    const double set = day0 + 0.75;
    const double next = day0 + 1.25;
    PlanetaryHour h = PlanetaryHourAt(rise + 0.01, 0.0, rise, set, next);
    ASSERT_TRUE(h.found);
    EXPECT_EQ(h.weekday, 0);
    EXPECT_EQ(h.day_ruler, 3);
    EXPECT_EQ(h.number, 1);
    EXPECT_FALSE(h.night);
    EXPECT_EQ(h.hour_ruler, 3);
    // 19:30: the second night hour, count 13.
    h = PlanetaryHourAt(day0 + 19.5 / 24.0, 0.0, rise, set, next);
    EXPECT_TRUE(h.night);
    EXPECT_EQ(h.count, 13);
    EXPECT_EQ(h.number, 2);
    EXPECT_EQ(h.hour_ruler, HourRuler(0, 13));
    // Monday 3 January 03:10, before Monday's sunrise: the chart's own weekday, Monday (the
    // Moon's day), with the tenth hour of the night that began at Sunday's sunset (9h10m in,
    // count 21). Monday's first hour is the Moon's, the fourth of the Chaldean order, so
    // count 21 comes round to the Moon again.
    h = PlanetaryHourAt(day0 + 1.0 + (3.0 + 10.0 / 60.0) / 24.0, 0.0, rise, set, next);
    ASSERT_TRUE(h.found);
    EXPECT_EQ(h.weekday, 1);
    EXPECT_EQ(h.day_ruler, 1);
    EXPECT_TRUE(h.night);
    EXPECT_EQ(h.count, 21);
    EXPECT_EQ(h.number, 10);
    EXPECT_EQ(h.hour_ruler, 1);
    // Outside the span: nothing.
    EXPECT_FALSE(PlanetaryHourAt(rise - 0.01, 0.0, rise, set, next).found);
}

TEST_F(ReportsTest, PolarNightHasNoPlanetaryDayOrHour) {
    const int slot = Open(Record(1990, 12, 21, 12, 0, 0.0F, 78.2F, -15.6F));
    const ReportWriter w = Run("planetary-hours", slot);
    EXPECT_TRUE(HasLine(w, "No Planetary Day or Hour (Sun does not cross horizon)"));
    EXPECT_EQ(w.Values().count("planetary_hour"), 0U);
}

TEST_F(ReportsTest, PlanetaryDayOfAFridayNoonIsVenus) {
    // 21 December 1990 was a Friday.
    const int slot = Open(Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F));
    const ReportWriter w = Run("dignities", slot);
    EXPECT_EQ(std::get<std::string>(w.Values().at("planetary_day")), "Venus");
    const auto& almutens = std::get<std::vector<std::string>>(w.Values().at("almutens"));
    EXPECT_EQ(almutens.size(), 12U);
}

TEST_F(ReportsTest, DignityScoresAddUpAcrossTheRow) {
    const int slot = Open(Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F));
    const ReportWriter w = Run("dignities", slot);
    bool in_table = false;
    int rows = 0;
    for (const ReportLine& line : w.Lines()) {
        if (line.text.rfind("Pnt", 0) == 0) {
            in_table = true;
            continue;
        }
        if (!in_table || line.text.empty()) {
            if (in_table) {
                break;
            }
            continue;
        }
        std::istringstream in(line.text);
        std::string name;
        in >> name;
        int sum = 0;
        std::string cell;
        for (int c = 0; c < 7; ++c) {
            in >> cell;
            if (cell != "--") {
                sum += std::stoi(cell);
            }
        }
        int score = 0;
        in >> score;
        EXPECT_EQ(sum, score) << line.text;
        ++rows;
    }
    EXPECT_EQ(rows, 7);
}

TEST_F(ReportsTest, UnknownKindIsRefused) {
    ReportWriter w;
    const startup::Status status = RunReport("no-such-kind", {}, w);
    EXPECT_EQ(status.code(), startup::StatusCode::kRefused);
    EXPECT_EQ(status.message(), "Unknown report kind: no-such-kind");
}

// Every kind on every kind of chart: the report is written whole and closed.
TEST_F(ReportsTest, EveryKindEndsWithTheClosingLineOnEveryChartType) {
    struct Chart {
        const char* what;
        astro::ChartRecord record;
    };
    const Chart charts[] = {
        {"ordinary", Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F)},
        {"polar", Record(1990, 12, 21, 12, 0, 0.0F, 78.2F, -15.6F)},
        {"antarctic", Record(2001, 6, 21, 3, 0, 0.0F, -77.8F, -166.7F)},
        {"heliocentric", Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F, 1, 2)},
        {"sidereal", Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F, 3)},
        {"draconic", Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F, 9)},
    };
    std::vector<std::pair<std::string, int>> slots;
    for (const Chart& c : charts) {
        slots.emplace_back(c.what, Open(c.record));
    }
    // A secondary progression of the ordinary chart.
    astro::SubsidiaryRequest request;
    request.record = Record(2020, 1, 1, 12, 0, 0.0F, 48.4F, -10.0F);
    request.record.chart_class = astro::kClassSecondary;
    request.record.chart_kind = 1;
    request.base_slot = slots[0].second;
    constexpr int kDerivedSlot = 60;
    ASSERT_EQ(astro::CalcSubsidiaryChart(request, kDerivedSlot), astro::SubsidiaryStatus::kOk);
    slots.emplace_back("progressed", kDerivedSlot);

    for (const ReportKind& kind : ReportKinds()) {
        for (const auto& [what, slot] : slots) {
            const ReportWriter w = Run(kind.name, slot);
            ASSERT_FALSE(w.Lines().empty()) << kind.name << " " << what;
            EXPECT_EQ(w.Lines().back().text, kEndReport) << kind.name << " " << what;
            EXPECT_EQ(w.Lines().front().text.rfind(kind.title, 0), 0U) << kind.name << " " << what;
        }
        const ReportWriter synastry = Run(kind.name, slots[0].second, slots[3].second);
        EXPECT_EQ(synastry.Lines().back().text, kEndReport) << kind.name << " synastry";
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(ReportsTest, DerivedChartAnalysisShowsTheProgressedDate) {
    const int base = Open(Record(1990, 1, 1, 12, 0, 0.0F, 52.5F, -13.4F));
    astro::SubsidiaryRequest request;
    request.record = Record(2020, 1, 1, 12, 0, 0.0F, 52.5F, -13.4F);
    request.record.chart_class = astro::kClassSecondary;
    request.record.chart_kind = 1;
    request.base_slot = base;
    ASSERT_EQ(astro::CalcSubsidiaryChart(request, 60), astro::SubsidiaryStatus::kOk);
    const ReportWriter w = Run("analysis", 60);
    bool progression = false;
    bool acd = false;
    for (const ReportLine& line : w.Lines()) {
        progression = progression || line.text.rfind("Derived Progression Date = ", 0) == 0;
        acd = acd || line.text.rfind("ACD(0h) = ", 0) == 0;
    }
    EXPECT_TRUE(progression);
    EXPECT_TRUE(acd);
}

TEST_F(ReportsTest, MidpointListingHasEveryPairOnce) {
    const int slot = Open(Record(1990, 12, 21, 12, 0, 0.0F, 48.4F, -10.0F));
    ReportRequest request;
    request.slot_a = slot;
    request.aspect_set = &set_;
    charts::PointSelection selection;
    for (int p : {1, 3, 5, 6, 7}) {
        charts::SelectPoint(selection, p);
    }
    request.selection = selection;
    ReportWriter w;
    ASSERT_TRUE(RunReport("midpoints", request, w).ok());
    EXPECT_EQ(Number(w, "midpoint_count"), 10.0);
    EXPECT_TRUE(HasLine(w, "In Planetary Sequence - Modulus 360"));
}

TEST_F(ReportsTest, ConsiderationsNameTheVoidMoonInsideAVoidPeriod) {
    // The first void period after 1 January 2000 by the void-of-course search; a chart in its
    // middle has a void Moon, one just before it does not.
    const auto period = returns::NextVoidOfCourse(2451545.0, 1, returns::kVoidAllPlanets);
    ASSERT_TRUE(period.ok());
    ASSERT_GT(period->ends_jd_ut - period->begins_jd_ut, 0.02);
    session().settings().SetString("VoidOfCourseType", "0");
    auto chart_at = [this](double jd_ut) {
        const textformats::DateWithFraction d = textformats::DateFromJulianDay(jd_ut, false);
        const double day = std::floor(d.day);
        const double hours = (d.day - day) * 24.0;
        const int hour = static_cast<int>(hours);
        const int minute = static_cast<int>((hours - hour) * 60.0);
        return Open(
            Record(d.year, d.month, static_cast<int>(day), hour, minute, 0.0F, 48.4F, -10.0F));
    };
    auto void_listed = [this](int slot) {
        const ReportWriter w = Run("considerations", slot);
        return HasLine(w, "Moon void of course");
    };
    EXPECT_TRUE(void_listed(chart_at(0.5 * (period->begins_jd_ut + period->ends_jd_ut))));
    EXPECT_FALSE(void_listed(chart_at(period->begins_jd_ut - 0.05)));
}

}  // namespace
}  // namespace meridia::reports
