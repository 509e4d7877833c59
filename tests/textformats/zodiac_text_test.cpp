#include "textformats/zodiac_text.h"

#include <gtest/gtest.h>
#include <swephexp.h>

#include <string>

#include "support/test_session.h"

namespace meridia::textformats {
namespace {

class ZodiacTextTest : public meridia::testing::SessionTest {};

// The split agrees with the ephemeris library's own zodiacal split rounded to the second.
TEST_F(ZodiacTextTest, SplitAgreesWithTheLibrary) {
    for (double longitude = 0.3; longitude < 360.0; longitude += 7.123456789) {
        SCOPED_TRACE(longitude);
        int deg = 0;
        int min = 0;
        int sec = 0;
        int sign = 0;
        double fraction = 0.0;
        swe_split_deg(longitude, SE_SPLIT_DEG_ROUND_SEC | SE_SPLIT_DEG_ZODIACAL, &deg, &min, &sec,
                      &fraction, &sign);
        const ZodiacPosition p = SplitZodiacPosition(longitude);
        EXPECT_EQ(p.sign, sign + 1);
        EXPECT_EQ(p.degrees, deg);
        EXPECT_EQ(p.minutes, min);
        EXPECT_EQ(p.seconds, sec);
    }
}

TEST_F(ZodiacTextTest, FormatsSignDegreesMinutesAndSeconds) {
    struct Row {
        double longitude;
        const char* text;
    };
    const Row rows[] = {
        {0.0, " 0 Ar 00'00\""},
        {264.0 + 30.0 / 60.0 + 12.0 / 3600.0, "24 Sg 30'12\""},
        {29.0 + 59.0 / 60.0 + 59.6 / 3600.0, " 0 Ta 00'00\""},  // rounds into the next sign
        {359.99999, " 0 Ar 00'00\""},                           // rounds to 360 = 0 Aries
        {345.5, "15 Pi 30'00\""},
        {-1.0, "  (not available)"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatZodiacPosition(row.longitude), row.text) << row.longitude;
    }
}

TEST_F(ZodiacTextTest, FormatsSignedArcsToTheMinute) {
    struct Row {
        double degrees;
        const char* text;
    };
    const Row rows[] = {
        {0.0,
         "+0\xC2\xB0"
         "00'"},
        {3.0 + 7.0 / 60.0,
         "+3\xC2\xB0"
         "07'"},
        {-0.75,
         "-0\xC2\xB0"
         "45'"},
        {-8.9999,
         "-9\xC2\xB0"
         "00'"},
        {125.5,
         "+125\xC2\xB0"
         "30'"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatSignedDegreesMinutes(row.degrees), row.text) << row.degrees;
    }
}

}  // namespace
}  // namespace meridia::textformats
