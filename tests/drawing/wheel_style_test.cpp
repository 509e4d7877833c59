// Wheel style files: record sizes, round trips, range forcing, the version-1 conversion, the
// file-name rules and the refusal of records of other versions, with files built byte by byte.
#include "drawing/wheel_style.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "startup/byte_io.h"
#include "support/test_session.h"

namespace meridia::drawing {
namespace {

using testing::SessionTest;

// Byte offsets of the version-2 record: the header (version, ring count, chart count), the
// 80-byte description, then 20 rings of 20 bytes (radius, visible, pen style, pen width, pen
// colour, filled, fill colour), 10 cusp-line elements of 32 bytes, then the cusp-text
// elements (two ring numbers, format, angles-only flag, position, offset, direction, degree
// size ...).
constexpr std::size_t kRing1PenWidth = 6 + 80 + 4 + 2 + 2;
constexpr std::size_t kCuspText1DegreeSize = 6 + 80 + 400 + 320 + 2 + 2 + 2 + 2 + 4 + 4 + 2;

void PutI16(std::string& bytes, std::size_t at, std::int16_t v) {
    startup::ByteWriter w;
    w.I16(v);
    bytes.replace(at, 2, w.bytes());
}

void PutF32(std::string& bytes, std::size_t at, float v) {
    startup::ByteWriter w;
    w.F32(v);
    bytes.replace(at, 4, w.bytes());
}

WheelStyle SampleStyle() {
    WheelStyle s;
    s.ring_count = 3;
    s.chart_count = 2;
    s.description = "Sample";
    s.rings[0] = {1.0F, kOn, 0, 2, 0x112233, kOff, 0xFFFFFF};
    s.rings[1] = {0.8F, kOn, 1, 1, 0x445566, kOn, 0xF0F0F0};
    s.rings[2] = {0.4F, kOff, 5, 3, 0, kOff, 0};
    s.cusp_lines[0].ring_a = 3;
    s.cusp_lines[0].ring_b = 1;
    s.cusp_texts[0].ring_a = 2;
    s.scales[5].ring_a = 1;
    s.scales[5].ring_b = 2;
    s.scales[5].content = 12;
    s.point_rings[1][1].ring_a = 2;
    s.point_rings[1][1].glyph_size = 11.25F;
    s.aspect_area[1] = {3, 2, -0.25F, 4};
    s.modulus = 90.0F;
    s.dial_pointer = kOn;
    return s;
}

TEST(WheelStyleRecord, HasTheFixedSizes) {
    EXPECT_EQ(EncodeWheelStyle(SampleStyle()).size(), kStyleRecordBytes);
    EXPECT_EQ(EncodeWheelStyleV1(SampleStyle()).size(), kStyleRecordBytesV1);
    EXPECT_EQ(kStyleRecordBytes, 3478U);
    EXPECT_EQ(kStyleRecordBytesV1, 1248U);
}

TEST(WheelStyleRecord, RoundTripsFieldByField) {
    const std::string bytes = EncodeWheelStyle(SampleStyle());
    // Little-endian header.
    EXPECT_EQ(bytes.substr(0, 6), std::string("\x02\x00\x03\x00\x02\x00", 6));
    auto decoded = DecodeWheelStyle(bytes);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(EncodeWheelStyle(*decoded), bytes);
    EXPECT_EQ(decoded->description, "Sample");
    EXPECT_EQ(decoded->aspect_area[1].radius_adjust, -0.25F);
    EXPECT_EQ(decoded->point_rings[1][1].glyph_size, 11.25F);
}

TEST(WheelStyleRecord, ForcesFieldsIntoTheirRanges) {
    std::string bytes = EncodeWheelStyle(SampleStyle());
    PutI16(bytes, kRing1PenWidth, 9);
    PutF32(bytes, kCuspText1DegreeSize, 2.0F);
    auto decoded = DecodeWheelStyle(bytes);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->rings[0].pen_width, 5);
    EXPECT_EQ(decoded->cusp_texts[0].degree_size, 3.75F);
}

TEST(WheelStyleRecord, RingAndChartNumbersAreBoundedByTheCounts) {
    WheelStyle s = SampleStyle();
    s.cusp_lines[0].ring_b = 17;        // only 3 rings
    s.aspect_area[0].chart = 5;         // only 2 charts
    s.scales[0].number_interval = 400;  // 1..360
    s.scales[0].subdivisions = 1;       // 2..10
    s.ring_count = 30;
    ForceStyleRanges(s);
    EXPECT_EQ(s.ring_count, 20);
    s.ring_count = 3;
    ForceStyleRanges(s);
    EXPECT_EQ(s.cusp_lines[0].ring_b, 3);
    EXPECT_EQ(s.aspect_area[0].chart, 2);
    EXPECT_EQ(s.scales[0].number_interval, 360);
    EXPECT_EQ(s.scales[0].subdivisions, 2);
}

TEST(WheelStyleRecord, NotANumberTakesTheLowerBoundAndTheDescriptionIsOneLine) {
    WheelStyle s = SampleStyle();
    s.rings[1].radius = std::numeric_limits<float>::quiet_NaN();
    s.point_rings[0][0].glyph_size = std::numeric_limits<float>::quiet_NaN();
    s.description = std::string("  Two\nlines\x01  ");
    ForceStyleRanges(s);
    EXPECT_EQ(s.rings[1].radius, 0.0F);
    EXPECT_EQ(s.point_rings[0][0].glyph_size, 3.75F);
    EXPECT_EQ(s.description, "Two lines");
}

TEST(WheelStyleText, DescriptionIsCutToTheCharactersTheRecordHolds) {
    // 80 characters of the record, each of three bytes in UTF-8.
    std::string euros;
    for (int i = 0; i < 90; ++i) {
        euros += "\xE2\x82\xAC";
    }
    std::string text = StyleToText(SampleStyle());
    const std::size_t start = text.find("description:");
    const std::size_t end = text.find('\n', start);
    text.replace(start, end - start, "description: " + euros);
    const auto style = StyleFromText(text);
    ASSERT_TRUE(style.ok()) << style.status().message();
    EXPECT_EQ(style->description, euros.substr(0, 80 * 3));
    const auto again = DecodeWheelStyle(EncodeWheelStyle(*style));
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->description, style->description);
}

TEST(WheelStyleRecord, VersionOneIsConverted) {
    const WheelStyle old = SampleStyle();
    std::string bytes = EncodeWheelStyleV1(old);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\x01\x00", 2));
    auto decoded = DecodeWheelStyle(bytes);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->version, 2);
    EXPECT_EQ(decoded->rings[1].radius, 0.8F);
    EXPECT_EQ(decoded->rings[1].fill_colour, 0xF0F0F0U);
    // Cusp, cusp-text and house-number elements and the first point-ring array are off.
    EXPECT_EQ(decoded->cusp_lines[0].ring_a, 0);
    EXPECT_EQ(decoded->cusp_texts[0].ring_a, 0);
    EXPECT_EQ(decoded->point_rings[0][1].ring_a, 0);
    // The old point rings become the second array; aspect area, modulus and flags carry over.
    EXPECT_EQ(decoded->point_rings[1][1].ring_a, 2);
    EXPECT_EQ(decoded->point_rings[1][1].glyph_size, 11.25F);
    EXPECT_EQ(decoded->aspect_area[1].pen_width, 4);
    EXPECT_EQ(decoded->modulus, 90.0F);
    EXPECT_EQ(decoded->dial_pointer, kOn);
}

TEST(WheelStyleRecord, OtherVersionsAndShortRecordsAreRefused) {
    std::string bytes = EncodeWheelStyle(SampleStyle());
    PutI16(bytes, 0, 3);
    EXPECT_FALSE(DecodeWheelStyle(bytes).ok());
    EXPECT_FALSE(DecodeWheelStyle(EncodeWheelStyle(SampleStyle()).substr(0, 3000)).ok());
    EXPECT_FALSE(DecodeWheelStyle("").ok());
}

class WheelStyleFiles : public SessionTest {
protected:
    std::filesystem::path Wheels() { return session().folders().user_files / "Wheels & Dials"; }
};

TEST_F(WheelStyleFiles, NamesFollowTheKindAndTheDefaults) {
    EXPECT_EQ(StyleFilePath("", 1, false), Wheels() / "uni2.wh1");
    EXPECT_EQ(StyleFilePath("", 6, false), Wheels() / "uni2.wh1");
    EXPECT_EQ(StyleFilePath("", 7, false), Wheels() / "uni2.wh1");
    EXPECT_EQ(StyleFilePath("", 5, false), Wheels() / "quin1.wh5");
    EXPECT_EQ(StyleFilePath("", 1, true), Wheels() / "dial90b.di1");
    EXPECT_EQ(StyleFilePath("", 3, true), Wheels() / "dial90.di3");
    EXPECT_EQ(StyleFilePath(" mine ", 2, false), Wheels() / "mine.wh2");
    EXPECT_EQ(StyleFilePath("/tmp/x/mine", 4, true), "/tmp/x/mine.di4");
}

TEST_F(WheelStyleFiles, InvalidVersionShowsTheMessageAndKeepsTheRecord) {
    std::string bytes = EncodeWheelStyle(SampleStyle());
    PutI16(bytes, 0, 7);
    const auto path = Wheels() / "bad.wh1";
    testing::WriteFile(path, bytes);
    WheelStyle style;
    style.description = "untouched";
    const startup::Status s = LoadWheelStyle("bad", 1, false, style);
    EXPECT_EQ(s.code(), startup::StatusCode::kWrongVersion);
    EXPECT_EQ(style.description, "untouched");
    EXPECT_EQ(LastMessage().text, "Invalid Wheel File Version: " + path.string());
    EXPECT_EQ(LastMessage().title, "Error");
}

TEST_F(WheelStyleFiles, MissingFileFallsBackToTheDefaultOfTheKind) {
    testing::WriteFile(Wheels() / "bi2.wh2", EncodeWheelStyle(SampleStyle()));
    WheelStyle style;
    std::filesystem::path loaded;
    ASSERT_TRUE(LoadWheelStyle("nosuch", 2, false, style, &loaded).ok());
    EXPECT_EQ(loaded, Wheels() / "bi2.wh2");
    EXPECT_EQ(style.description, "Sample");
}

TEST_F(WheelStyleFiles, UnopenableFileGivesNoMessage) {
    std::filesystem::remove_all(Wheels());
    WheelStyle style;
    EXPECT_FALSE(LoadWheelStyle("", 1, false, style).ok());
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(WheelStyleFiles, FactoryStylesLoad) {
    for (const char* name :
         {"uni2.wh1", "bi2.wh2", "tri2.wh3", "quad1.wh4", "quin1.wh5", "dial90b.di1", "dial90.di2",
          "dial90.di3", "dial90.di4", "dial90.di5"}) {
        const auto bytes = testing::ReadFile(testing::FactoryDir() / "Wheels & Dials" / name);
        ASSERT_EQ(bytes.size(), kStyleRecordBytes) << name;
        auto style = DecodeWheelStyle(bytes);
        ASSERT_TRUE(style.ok()) << name;
        // Nothing of a factory style is out of range: forcing changes no byte.
        EXPECT_EQ(EncodeWheelStyle(*style), bytes) << name;
        EXPECT_EQ(style->IsDial(), name[0] == 'd') << name;
    }
}

TEST_F(WheelStyleFiles, AStyleFileIsReadAsItStandsForItsText) {
    const auto path = temp() / "mine.wh2";
    testing::WriteFile(path, EncodeWheelStyle(SampleStyle()));
    const auto read = ReadWheelStyleFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->description, "Sample");

    // No fallback to the default style: a missing file is refused, as is an unknown version.
    const auto missing = ReadWheelStyleFile(temp() / "none.wh1");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.status().code(), startup::StatusCode::kRefused);
    EXPECT_EQ(missing.status().message(), "File not found: " + (temp() / "none.wh1").string());
    EXPECT_EQ(missing.status().title(), "Error");
    std::string bytes = EncodeWheelStyle(SampleStyle());
    PutI16(bytes, 0, 7);
    testing::WriteFile(path, bytes);
    const auto other = ReadWheelStyleFile(path);
    ASSERT_FALSE(other.ok());
    EXPECT_EQ(other.status().message(), "Invalid Wheel File Version: " + path.string());
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(WheelStyleFiles, ATextDescriptionIsWrittenAsAStyleFile) {
    const auto source = temp() / "mine.txt";
    const auto out = temp() / "mine.wh2";
    testing::WriteFile(source, StyleToText(SampleStyle()));
    ASSERT_TRUE(ImportWheelStyleText(source, out).ok());
    EXPECT_EQ(testing::ReadFile(out), EncodeWheelStyle(SampleStyle()));

    const startup::Status missing = ImportWheelStyleText(temp() / "none.txt", out);
    EXPECT_EQ(missing.code(), startup::StatusCode::kRefused);
    EXPECT_EQ(missing.message(), "File not found: " + (temp() / "none.txt").string());
    testing::WriteFile(source, "ring 1: colour=#000000\n");
    const startup::Status refused = ImportWheelStyleText(source, temp() / "other.wh2");
    EXPECT_EQ(refused.code(), startup::StatusCode::kRefused);
    EXPECT_EQ(refused.message().rfind(source.string() + ": ", 0), 0U) << refused.message();
    EXPECT_EQ(refused.title(), "Error");
    EXPECT_FALSE(std::filesystem::exists(temp() / "other.wh2"));
}

TEST(WheelStyleText, RoundTripsEveryField) {
    const WheelStyle s = SampleStyle();
    auto back = StyleFromText(StyleToText(s));
    ASSERT_TRUE(back.ok()) << back.status().message();
    EXPECT_EQ(EncodeWheelStyle(*back), EncodeWheelStyle(s));
}

TEST(WheelStyleText, RefusesMissingUnknownAndBadFields) {
    const std::string text = StyleToText(SampleStyle());
    std::string missing = text;
    missing.replace(missing.find(" pen_width=2"), 12, "");
    auto r = StyleFromText(missing);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.status().message(), "Missing field \"pen_width\" in \"ring 1\"");

    std::string unknown = text + "ring 2: colour=#000000\n";
    r = StyleFromText(unknown);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.status().message().find("unknown field \"colour\" in \"ring 2\""),
              std::string::npos);

    std::string bad = text;
    bad.replace(bad.find("radius=1 "), 9, "radius=big ");
    r = StyleFromText(bad);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.status().message().find("\"big\" is not a value for radius"), std::string::npos);
}

}  // namespace
}  // namespace meridia::drawing
