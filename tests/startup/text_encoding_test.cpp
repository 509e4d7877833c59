#include "startup/text_encoding.h"

#include <gtest/gtest.h>

namespace meridia::startup {
namespace {

TEST(TextEncoding, EveryWindows1252ByteRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST(TextEncoding, CodePageSpecials) {
    // Code points from the Windows-1252 table of the Unicode Consortium (cp1252.txt).
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Windows1252ToUtf8("\x92"), "\u2019");
    EXPECT_EQ(Windows1252ToUtf8("\xB0"), "\u00B0");
    EXPECT_EQ(Utf8ToWindows1252("\u2122"), "\x99");
    EXPECT_EQ(Utf8ToWindows1252("\u0100"), "?");
    EXPECT_EQ(Utf8ToWindows1252("\xC3"), "?");  // truncated sequence
}

TEST(TextEncoding, ConvertsTheCodePageBothWays) {
    struct Case {
        std::string utf8;
        std::string ansi;
    };
    const Case cases[] = {
        {"Zurich", "Zurich"},
        {"Z\xC3\xBCrich", "Z\xFCrich"},  // u with diaeresis
        {"\xE2\x82\xAC"
         "5",
         "\x80"
         "5"},  // euro sign
        {"\xC5\xA0"
         "ibenik",
         "\x8A"
         "ibenik"},  // S with caron
        {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.ansi) << c.utf8;
        EXPECT_EQ(Windows1252ToUtf8(c.ansi), c.utf8) << c.utf8;
    }
}

TEST(TextEncoding, UnmappableAndInvalidInputBecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToWindows1252("\xCE\xA9mega"), "?mega");  // Greek capital omega
    EXPECT_EQ(Utf8ToWindows1252("a\xFF"
                                "b"),
              "a?b");
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x82"), "??");  // truncated sequence
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80"), "?");
}

}  // namespace
}  // namespace meridia::startup
