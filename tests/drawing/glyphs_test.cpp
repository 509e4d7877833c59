// Glyphs: the sign characters and their texts, the alternative glyphs read from the settings,
// "AstGlyphs2.dat", and the fonts holding every symbol the program draws.
#include "drawing/glyphs.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QRawFont>
#include <string>

#include "drawing/fonts.h"
#include "support/test_session.h"

namespace meridia::drawing {
namespace {

using testing::SessionTest;

class GlyphsTest : public SessionTest {};

TEST_F(GlyphsTest, SignCharacters) {
    GlyphSet g;
    g.InitAll(session().settings());
    EXPECT_EQ(g.SignChar(1), 220);
    EXPECT_EQ(g.SignChar(2), 221);
    for (int sign = 3; sign <= 12; ++sign) {
        EXPECT_EQ(g.SignChar(sign), 127 + sign) << sign;
    }
    EXPECT_EQ(g.GlyphToText(220), "Ar");
    EXPECT_EQ(g.GlyphToText(128), "Ar");
    EXPECT_EQ(g.GlyphToText(221), "Ta");
    EXPECT_EQ(g.GlyphToText(129), "Ta");
    EXPECT_EQ(g.GlyphToText(139), "Pi");
    EXPECT_EQ(g.GlyphToText(65), "");
    // U+2648 ARIES, U+2653 PISCES.
    EXPECT_EQ(g.Sign(1), "\xE2\x99\x88");
    EXPECT_EQ(g.Sign(12), "\xE2\x99\x93");
}

struct CapricornCase {
    const char* stored;
    int expected;
};

class CapricornGlyph : public GlyphsTest, public ::testing::WithParamInterface<CapricornCase> {};

TEST_P(CapricornGlyph, StoredCodeChoosesTheOption) {
    if (GetParam().stored != nullptr) {
        session().settings().SetString("CapricornGlyph", GetParam().stored);
    }
    GlyphSet g;
    g.InitAll(session().settings());
    EXPECT_EQ(g.SignChar(10), GetParam().expected);
    EXPECT_EQ(g.CapricornOptions().Alternate(), GetParam().expected == 250);
}

INSTANTIATE_TEST_SUITE_P(Values, CapricornGlyph,
                         ::testing::Values(CapricornCase{nullptr, 137}, CapricornCase{"250", 250},
                                           CapricornCase{"137", 137}, CapricornCase{"99", 137},
                                           CapricornCase{"abc", 137}));

TEST_F(GlyphsTest, PointsWithoutASymbolAreWrittenAsText) {
    GlyphSet g;
    g.InitAll(session().settings());
    EXPECT_EQ(g.Point(3), "\xE2\x98\x89");  // U+2609 SUN
    EXPECT_EQ(g.Point(23), "MC");
}

TEST_F(GlyphsTest, ExtraGlyphFileIsRead) {
    const auto path = temp() / "AstGlyphs2.dat";
    testing::WriteFile(path,
                       "# extra points\n"
                       "Ph|200\n"
                       "x\n"
                       "NoCode\n"
                       "Ne|201|150\n"
                       "Bad|300\n");
    GlyphSet g;
    ASSERT_TRUE(g.LoadExtraGlyphs(path).ok());
    ASSERT_EQ(g.NumExtraPoints(), 2);
    EXPECT_EQ(g.ExtraAbbr(1), "Ph");
    EXPECT_EQ(g.ExtraChar(2), 201);
    EXPECT_EQ(g.ExtraIndex("ne"), 2);
    EXPECT_EQ(g.Substitute(150), 201);
    EXPECT_EQ(g.Substitute(151), 151);
}

TEST_F(GlyphsTest, MissingExtraGlyphFileSaysSo) {
    const auto path = temp() / "none" / "AstGlyphs2.dat";
    GlyphSet g;
    EXPECT_FALSE(g.LoadExtraGlyphs(path).ok());
    EXPECT_EQ(LastMessage().text, "Error - file not found\n" + path.string());
    EXPECT_EQ(g.NumExtraPoints(), 0);
}

TEST_F(GlyphsTest, FactoryExtraGlyphFileLoads) {
    GlyphSet g;
    EXPECT_TRUE(g.LoadExtraGlyphs(testing::FactoryDir() / "AstGlyphs2.dat").ok());
    EXPECT_GT(g.NumExtraPoints(), 0);
}

// Every symbol the program draws is in one of the symbol fonts: none comes out as a box.
TEST(SymbolFonts, HoldEveryCodePointOfTheTable) {
    std::vector<QRawFont> fonts;
    for (const QString& family : FontManager::SymbolFamilies()) {
        QFont font(family);
        font.setPixelSize(20);
        const QRawFont raw = QRawFont::fromFont(font);
        ASSERT_TRUE(raw.isValid()) << family.toStdString();
        // The family asked for is installed, not a substitute.
        EXPECT_EQ(raw.familyName(), family) << family.toStdString();
        fonts.push_back(raw);
    }
    for (const SymbolEntry& e : SymbolTable()) {
        bool held = false;
        for (const QRawFont& raw : fonts) {
            held = held || raw.supportsCharacter(static_cast<uint>(e.unicode));
        }
        EXPECT_TRUE(held) << std::string(e.meaning) << " U+" << std::hex
                          << static_cast<unsigned>(e.unicode);
    }
}

}  // namespace
}  // namespace meridia::drawing
