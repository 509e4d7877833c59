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

}  // namespace
}  // namespace meridia::startup
