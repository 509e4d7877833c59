#include "textformats/angle_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/test_session.h"

namespace meridia::textformats {
namespace {

using startup::kCritical;

class AngleTextTest : public meridia::testing::SessionTest {
protected:
    // Expects exactly one critical message with this text and title.
    void ExpectOneMessage(const std::string& text, const std::string& title) {
        ASSERT_EQ(sink().messages().size(), 1u);
        EXPECT_EQ(LastMessage().text, text);
        EXPECT_EQ(LastMessage().title, title);
        EXPECT_EQ(LastMessage().style, kCritical);
        sink().Clear();
    }
};

constexpr double kMinute = 1.0 / 60.0;
constexpr double kSecond = 1.0 / 3600.0;

struct ValueRow {
    const char* text;
    double value;
};

const std::string kAngleMessage =
    "The format of the angle is not recognised.\n"
    "Examples of valid angles are 10 11'59\"; 16Ar25; 27 PISCES; etc... Please re-enter the "
    "angle.";

TEST_F(AngleTextTest, ParseAngleAcceptsDegreesMinutesSecondsAndSigns) {
    const ValueRow rows[] = {
        {"16Ar25", 16 + 25 * kMinute},
        {"27 PISCES", 357.0},
        {"-10 30", -10.5},
        {"10 11'59\"", 10 + 11 * kMinute + 59 * kSecond},
        {"0", 0.0},
        {"  45  ", 45.0},
        {"16 ar 25", 16 + 25 * kMinute},
        {"5 Pis 10", 335 + 10 * kMinute},
        {"3 Cap", 273.0},
        {"3 Cp", 273.0},
        {"12 Sag 30", 252.5},
        {"10 Ta", 40.0},
        {"-5Sg", -245.0},
        {"12\xC2\xB0"
         "30'",
         12.5},  // degree sign
        {"12\xE2\x80\x99"
         "30\xE2\x80\x99"
         "15",
         12 + 30 * kMinute + 15 * kSecond},
        {"12`30\xC2\xB4", 12.5},                     // back quote, acute accent
        {"400", 400.0},                              // degrees are not limited
        {"1 2 3 4", 1 + 2 * kMinute + 3 * kSecond},  // further numbers ignored
        {"10.5", 10.5},
        {"359 59 59", 359 + 59 * kMinute + 59 * kSecond},
        {"Le", 120.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto value = ParseAngle(row.text);
        ASSERT_TRUE(value.has_value());
        EXPECT_NEAR(*value, row.value, 1e-9);
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(AngleTextTest, ParseAngleRefusesWithTheAngleMessage) {
    const char* rows[] = {
        "10 60",     // minutes
        "10 30 60",  // seconds
        "A10",       // one letter is no sign
        "16XX25",    // no such sign
        "abc",
        "16Ar 25Ta",  // the letters must form one sign
        "PISCESX",   "", "10,5", "10 x5",
    };
    for (const char* text : rows) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseAngle(text).has_value());
        ExpectOneMessage(kAngleMessage, "Error in Angle");
    }
}

TEST_F(AngleTextTest, ParseLatitude) {
    const ValueRow rows[] = {
        {"35S55", -(35 + 55 * kMinute)},
        {"45", 45.0},
        {"-33.5", -33.5},
        {"+12.25", 12.25},
        {"35\xC2\xB0S55'10\"", -(35 + 55 * kMinute + 10 * kSecond)},
        {"51n30", 51.5},
        {"0N0", 0.0},
        {"90N", 90.0},
        {"90S00", -90.0},
        {"90", 90.0},
        {"-90", -90.0},
        {"12:30:15N", 12 + 30 * kMinute + 15 * kSecond},
        {"48 N 24", 48.4},
        {"48N24.30", 48 + 24 * kMinute + 30 * kSecond},
        {"48-N-24", 48.4},
        {"  48N24  ", 48.4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto value = ParseLatitude(row.text);
        ASSERT_TRUE(value.has_value());
        EXPECT_NEAR(*value, row.value, 1e-9);
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(AngleTextTest, ParseLatitudeMessages) {
    struct Row {
        const char* text;
        bool range;
    };
    const Row rows[] = {
        {"90N30", true}, {"91N", true},     {"95", true},       {"-90.5", true},
        {"35S60", true}, {"35S5 60", true}, {"35X55", false},   {"35N55S", false},
        {"", false},     {"35S5A", false},  {"1N2 3 4", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_FALSE(ParseLatitude(row.text).has_value());
        const std::string first =
            std::string("The format of the latitude is not recognised: ") + row.text;
        if (row.range) {
            ExpectOneMessage(first +
                                 "\nDegrees must be in the range 0 to 90."
                                 "\nMinutes or seconds must be in the range 0 to 59."
                                 "\nPlease use a valid format e.g. 35S55",
                             "Error in Latitude");
        } else {
            ExpectOneMessage(first +
                                 "\nSpecify N for northern hemisphere latitudes"
                                 "\nor S for southern hemisphere latitudes."
                                 "\nPlease use a valid format e.g. 35S55",
                             "Error in Latitude");
        }
    }
}

TEST_F(AngleTextTest, ParseLongitude) {
    const ValueRow rows[] = {
        {"138E34", -(138 + 34 * kMinute)},
        {"1E5", -(1 + 5 * kMinute)},  // hemisphere rule, never 1e5
        {"122W25", 122 + 25 * kMinute},
        {"-122.5", -122.5},
        {"180W", 180.0},
        {"180", 180.0},
        {"10E00", -10.0},
        {"0W0", 0.0},
        {"73\xC2\xB0W59'", 73 + 59 * kMinute},
        {"10e5", -(10 + 5 * kMinute)},
        {"2E20'30\"", -(2 + 20 * kMinute + 30 * kSecond)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto value = ParseLongitude(row.text);
        ASSERT_TRUE(value.has_value());
        EXPECT_NEAR(*value, row.value, 1e-9);
    }
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(AngleTextTest, ParseLongitudeMessages) {
    struct Row {
        const char* text;
        bool range;
    };
    const Row rows[] = {
        {"180E01", true}, {"181W", true},  {"190", true},  {"10W60", true},
        {"10E5W", false}, {"10N5", false}, {"abc", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_FALSE(ParseLongitude(row.text).has_value());
        const std::string first =
            std::string("The format of the longitude is not recognised: ") + row.text;
        if (row.range) {
            ExpectOneMessage(first +
                                 "\nDegrees must be in the range 0 to 180."
                                 "\nMinutes or seconds must be in the range 0 to 59."
                                 "\nPlease use a valid format e.g. 138E34",
                             "Error in Longitude");
        } else {
            ExpectOneMessage(first +
                                 "\nSpecify E for eastern hemisphere longitudes"
                                 "\nor W for western hemisphere longitudes."
                                 "\nPlease use a valid format e.g. 138E34",
                             "Error in Longitude");
        }
    }
}

TEST_F(AngleTextTest, FormatLatitudeAndLongitude) {
    struct Row {
        double value;
        const char* latitude;
        const char* longitude;
    };
    const Row rows[] = {
        {-(35 + 55 * kMinute), "35\xC2\xB0S55'",
         "035\xC2\xB0"
         "E55'"},
        {51.5, "51\xC2\xB0N30'", "051\xC2\xB0W30'"},
        {0.0, "00\xC2\xB0N00'", "000\xC2\xB0W00'"},
        {12 + 30 * kMinute + 15 * kSecond, "12\xC2\xB0N30'15\"", "012\xC2\xB0W30'15\""},
        {-0.5, "00\xC2\xB0S30'",
         "000\xC2\xB0"
         "E30'"},
        {-(1 + 5 * kMinute), "01\xC2\xB0S05'",
         "001\xC2\xB0"
         "E05'"},
        {90.0, "90\xC2\xB0N00'", "090\xC2\xB0W00'"},
        {-(89 + 59 * kMinute + 59 * kSecond), "89\xC2\xB0S59'59\"",
         "089\xC2\xB0"
         "E59'59\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatLatitude(row.value), row.latitude) << row.value;
        EXPECT_EQ(FormatLongitude(row.value), row.longitude) << row.value;
    }
    EXPECT_EQ(FormatLongitude(-138.5667),
              "138\xC2\xB0"
              "E34'");
    EXPECT_EQ(FormatLongitude(180.0), "180\xC2\xB0W00'");
}

TEST_F(AngleTextTest, FormatUsesTheMarksItIsGiven) {
    EXPECT_EQ(FormatLatitude(-(35 + 55 * kMinute), AngleMarks{"", "", ""}), "35S55");
    CurrentAngleMarks() = AngleMarks{"d", "m", "s"};
    EXPECT_EQ(FormatLatitude(12 + 30 * kMinute + 15 * kSecond), "12dN30m15s");
}

// Coordinates that are whole seconds come back exactly, in both hemispheres.
TEST_F(AngleTextTest, WholeSecondCoordinatesRoundTrip) {
    const int minutes[] = {0, 1, 17, 30, 59};
    const int seconds[] = {0, 1, 29, 59};
    for (const bool custom_marks : {false, true}) {
        if (custom_marks) {
            // Prime marks, as a symbol font might show them.
            CurrentAngleMarks() = AngleMarks{"\xC2\xBA", "\xE2\x80\xB2", "\xE2\x80\xB3"};
        }
        for (int degrees = 0; degrees <= 180; ++degrees) {
            for (int minute : minutes) {
                for (int second : seconds) {
                    for (const double sign : {1.0, -1.0}) {
                        const double value = sign * (degrees + minute * kMinute + second * kSecond);
                        if (std::fabs(value) <= 90.0) {
                            const auto back = ParseLatitude(FormatLatitude(value));
                            ASSERT_TRUE(back.has_value()) << FormatLatitude(value);
                            EXPECT_NEAR(*back, value, 1e-9) << FormatLatitude(value);
                        }
                        if (std::fabs(value) <= 180.0) {
                            const auto back = ParseLongitude(FormatLongitude(value));
                            ASSERT_TRUE(back.has_value()) << FormatLongitude(value);
                            EXPECT_NEAR(*back, value, 1e-9) << FormatLongitude(value);
                        }
                    }
                }
            }
        }
    }
    EXPECT_TRUE(sink().messages().empty());
}

// Any coordinate comes back to within the second the text shows.
TEST_F(AngleTextTest, AnyCoordinateRoundTripsToTheShownSecond) {
    for (double value = -180.0; value <= 180.0; value += 0.0123457) {
        const auto longitude = ParseLongitude(FormatLongitude(value));
        ASSERT_TRUE(longitude.has_value());
        EXPECT_LT(std::fabs(*longitude - value), kSecond) << FormatLongitude(value);
        EXPECT_EQ(*longitude < 0.0, value < -0.0001) << value;
        if (std::fabs(value) <= 90.0) {
            const auto latitude = ParseLatitude(FormatLatitude(value));
            ASSERT_TRUE(latitude.has_value());
            EXPECT_LT(std::fabs(*latitude - value), kSecond) << FormatLatitude(value);
        }
    }
}

}  // namespace
}  // namespace meridia::textformats
