// Arbitrary typed text: every parser either returns a value inside its range without a
// message, or refuses with exactly one message.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "support/test_session.h"
#include "textformats/textformats.h"

namespace meridia::textformats {
namespace {

class HostileTextTest : public meridia::testing::SessionTest {
protected:
    HostileTextTest() { FixCurrentYear(2024); }

    // A string of up to 24 characters drawn mostly from the characters the parsers treat
    // specially, with some arbitrary bytes.
    std::string RandomText() {
        static constexpr std::string_view kAlphabet =
            "0123456789 :/.,;'\"-+`ABCDEFGHIJKLMNOPQRSTUVWXYZabcnsew\xC2\xB0\xE2\x80\x99";
        std::uniform_int_distribution<int> length(0, 24);
        std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_int_distribution<int> percent(0, 99);
        std::string text;
        const int n = length(random_);
        for (int i = 0; i < n; ++i) {
            text +=
                percent(random_) < 5 ? static_cast<char>(byte(random_)) : kAlphabet[pick(random_)];
        }
        return text;
    }

    // Checks the message count for one call and clears the sink.
    void ExpectMessages(bool parsed, const std::string& text) {
        EXPECT_EQ(sink().messages().size(), parsed ? 0u : 1u) << text;
        sink().Clear();
    }

    std::mt19937 random_{20261205};
};

TEST_F(HostileTextTest, ParsersStayInRangeOrRefuseWithOneMessage) {
    for (int i = 0; i < 4000; ++i) {
        const std::string text = RandomText();

        const auto angle = ParseAngle(text);
        ExpectMessages(angle.has_value(), text);
        if (angle) {
            EXPECT_TRUE(std::isfinite(*angle)) << text;
        }

        const auto latitude = ParseLatitude(text);
        ExpectMessages(latitude.has_value(), text);
        if (latitude) {
            EXPECT_LE(std::fabs(*latitude), 90.0) << text;
        }

        const auto longitude = ParseLongitude(text);
        ExpectMessages(longitude.has_value(), text);
        if (longitude) {
            EXPECT_LE(std::fabs(*longitude), 180.0) << text;
        }

        const auto date = ParseDate(text);
        ExpectMessages(date.has_value(), text);
        if (date) {
            EXPECT_TRUE(IsValidCalendarDate(date->day, date->month, date->year, date->calendar))
                << text;
        }

        const auto time = ParseTime(text);
        ExpectMessages(time.has_value(), text);
        if (time) {
            EXPECT_TRUE(time->hour >= 0 && time->hour <= 23 && time->minute >= 0 &&
                        time->minute <= 59 && time->second >= 0 && time->second <= 59)
                << text;
        }

        const auto zone = ParseTimeZone(text);
        ExpectMessages(zone.has_value(), text);
        if (zone) {
            EXPECT_LT(std::fabs(*zone), 14.0) << text;
        }
    }
}

}  // namespace
}  // namespace meridia::textformats
