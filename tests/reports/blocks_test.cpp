// Page text blocks: the rays of the signs, the Chinese lunar mansions from their determinative
// stars (against the ephemeris library's own star places) and the astrodynes (the manual's
// rules for power and harmony, and the roll-ups adding up).
#include <gtest/gtest.h>
#include <swephexp.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "reports/reports.h"
#include "support/test_session.h"

namespace meridia::reports {
namespace {

class BlocksTest : public testing::SessionTest {
protected:
    int Open(int year, int month, int day, int hour, int minute) {
        astro::ChartRecord r;
        r.data.name = "Block";
        r.data.date_time = {static_cast<std::int16_t>(year),   static_cast<std::uint8_t>(month),
                            static_cast<std::uint8_t>(day),    static_cast<std::uint8_t>(hour),
                            static_cast<std::uint8_t>(minute), 0};
        r.data.place.latitude = 48.4F;
        r.data.place.longitude = -10.0F;
        r.data.zone.hours = 0.0F;
        const int slot = astro::OpenChartIntoSlot(r, "", 0);
        EXPECT_GT(slot, 0);
        return slot;
    }

    static ReportWriter Run(std::string_view kind, int slot) {
        ReportRequest request;
        request.slot_a = slot;
        ReportWriter w;
        EXPECT_TRUE(RunReport(kind, request, w).ok());
        return w;
    }

    static std::vector<std::string> Texts(const ReportWriter& w) {
        std::vector<std::string> lines;
        for (const ReportLine& line : w.Lines()) {
            lines.push_back(line.text);
        }
        return lines;
    }
};

// The Sun in Pisces (14 March) transmits rays 2 and 6 (Bailey's table) and no others.
TEST_F(BlocksTest, RaysOfTheSunsSign) {
    const int slot = Open(1990, 3, 14, 12, 0);
    ASSERT_EQ(static_cast<int>(astro::Slot(slot).longitude[astro::kSun] / 30.0), 11);
    const ReportWriter w = Run("rays", slot);
    EXPECT_EQ(w.Lines().front().text, "RAYS");
    int ray = 0;
    for (const std::string& line : Texts(w)) {
        if (line.empty() || line[0] < '1' || line[0] > '7') {
            continue;
        }
        ++ray;
        std::istringstream in(line);
        std::string word;
        bool sun = false;
        while (in >> word) {
            sun = sun || word == "Su";
        }
        EXPECT_EQ(sun, ray == 2 || ray == 6) << line;
    }
    EXPECT_EQ(ray, 7);
}

// 25 October 2000: the Sun's right ascension lies between Spica's (Jiao begins there) and
// kappa Virginis' (Kang begins there), by the library's own places of the three.
TEST_F(BlocksTest, ChineseMansionBeginsAtItsDeterminativeStar) {
    const int slot = Open(2000, 10, 25, 12, 0);
    const double jd_ut = swe_julday(2000, 10, 25, 12.0, SE_GREG_CAL);
    char error[AS_MAXCH] = "";
    auto right_ascension = [&](const char* star) {
        std::array<char, SE_MAX_STNAME * 2 + 2> name{};
        std::snprintf(name.data(), name.size(), "%s", star);
        std::array<double, 6> x{};
        swe_fixstar_ut(name.data(), jd_ut, SEFLG_SWIEPH | SEFLG_EQUATORIAL, x.data(), error);
        return x[0];
    };
    std::array<double, 6> sun{};
    swe_calc_ut(jd_ut, SE_SUN, SEFLG_SWIEPH | SEFLG_EQUATORIAL, sun.data(), error);
    const double spica = right_ascension(",alVir");
    const double kang = right_ascension(",kaVir");
    ASSERT_GT(sun[0], spica);
    ASSERT_LT(sun[0], kang);
    const ReportWriter w = Run("chinese-lunar-mansions", slot);
    bool found = false;
    for (const std::string& line : Texts(w)) {
        if (line.rfind("Sun ", 0) == 0) {
            found = true;
            EXPECT_NE(line.find(" 1 Jiao (Horn)"), std::string::npos) << line;
            // How far into the mansion, in degrees of right ascension (the last figure).
            const std::size_t end = line.rfind("°");
            ASSERT_NE(end, std::string::npos) << line;
            const std::size_t begin = line.rfind(' ', end) + 1;
            EXPECT_NEAR(std::stod(line.substr(begin, end - begin)), sun[0] - spica, 0.02) << line;
        }
    }
    EXPECT_TRUE(found);
}

// Power and harmony of a conjunction with Saturn: 14 March 1879, Mercury and Saturn in
// Aries. The power falls in proportion to the distance from exact, to nothing at the 10° orb,
// from the conjunction's 8; the conjunction is neutral and Saturn adds discord of half the
// power.
TEST_F(BlocksTest, AstrodynesOfAConjunctionWithSaturn) {
    const int slot = Open(1879, 3, 14, 11, 0);
    const astro::ChartSlot& s = astro::Slot(slot);
    const double gap = std::fabs(
        std::remainder(s.longitude[astro::kMercury] - s.longitude[astro::kSaturn], 360.0));
    ASSERT_LT(gap, 10.0);
    const double power = 8.0 * (1.0 - gap / 10.0);
    std::ostringstream expected;
    expected.precision(2);
    expected << std::fixed << power << "    -" << power / 2.0;
    const ReportWriter w = Run("astrodynes", slot);
    bool found = false;
    for (const std::string& line : Texts(w)) {
        if (line.rfind("Me Con Sa", 0) == 0) {
            found = true;
            EXPECT_NE(line.find(expected.str()), std::string::npos) << line << " " << power;
        }
    }
    EXPECT_TRUE(found);
}

// Houses, signs, house types, elements and qualities each share out the planets' power.
TEST_F(BlocksTest, AstrodyneRollUpsAddUpToThePlanets) {
    const int slot = Open(1990, 12, 21, 12, 0);
    const ReportWriter w = Run("astrodynes", slot);
    std::vector<double> sums;
    double sum = 0.0;
    bool in_table = false;
    for (const std::string& line : Texts(w)) {
        if (line.rfind("Astrodynes - ", 0) == 0) {
            if (in_table) {
                sums.push_back(sum);
            }
            in_table = line.find("Aspects") == std::string::npos;
            sum = 0.0;
            continue;
        }
        std::istringstream in(line);
        std::string label;
        double power = 0.0;
        if (!in_table || !(in >> label >> power)) {
            continue;
        }
        sum += power;
    }
    // Planets, houses, signs, house types, and sign types (elements and qualities together).
    ASSERT_EQ(sums.size(), 5U);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_NEAR(sums[i], sums[0], 0.03) << i;
    }
    EXPECT_NEAR(sums[4], 2.0 * sums[0], 0.05);
}

}  // namespace
}  // namespace meridia::reports
