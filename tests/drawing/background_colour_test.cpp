// The background colour of a picture as typed: "#RRGGBB" only.
#include <gtest/gtest.h>

#include <string>

#include "drawing/wheel_picture.h"

namespace meridia::drawing {
namespace {

TEST(ReadBackgroundColour, TakesHashAndSixHexDigits) {
    const auto white = ReadBackgroundColour("#FFFFFF");
    ASSERT_TRUE(white.ok());
    EXPECT_EQ(white->rgb(), QColor(255, 255, 255).rgb());
    const auto teal = ReadBackgroundColour("#008080");
    ASSERT_TRUE(teal.ok());
    EXPECT_EQ(teal->red(), 0);
    EXPECT_EQ(teal->green(), 128);
    EXPECT_EQ(teal->blue(), 128);
}

TEST(ReadBackgroundColour, RefusesEverythingElse) {
    for (const std::string text : {"white", "#FFF", "FFFFFF", "#GGGGGG", "#FFFFFF00", ""}) {
        const auto colour = ReadBackgroundColour(text);
        ASSERT_FALSE(colour.ok()) << text;
        EXPECT_EQ(colour.status().code(), startup::StatusCode::kRefused);
        EXPECT_EQ(colour.status().message(),
                  "Invalid background colour: " + text + " (use #RRGGBB)");
        EXPECT_EQ(colour.status().title(), "Error");
    }
}

}  // namespace
}  // namespace meridia::drawing
