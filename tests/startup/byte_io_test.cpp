// The little-endian field reader and writer: bytes laid out by hand, round trips, reads past
// the end and hostile floats.
#include "startup/byte_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace meridia::startup {
namespace {

TEST(ByteIo, FieldsAreLittleEndianByteForByte) {
    ByteWriter writer;
    writer.U8(0xAB);
    writer.I16(-2);
    writer.I32(0x01020304);
    writer.F32(1.0F);
    writer.F64(-2.0);
    writer.Text("Zürich", 8);
    const std::string expected(
        "\xAB\xFE\xFF\x04\x03\x02\x01\x00\x00\x80\x3F"
        "\x00\x00\x00\x00\x00\x00\x00\xC0"
        "Z\xFCrich  ",
        27);
    EXPECT_EQ(writer.bytes(), expected);

    ByteReader reader(expected);
    EXPECT_EQ(reader.U8(), 0xAB);
    EXPECT_EQ(reader.I16(), -2);
    EXPECT_EQ(reader.I32(), 0x01020304);
    EXPECT_EQ(reader.F32(), 1.0F);
    EXPECT_EQ(reader.F64(), -2.0);
    EXPECT_EQ(reader.Text(8), "Zürich");
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(reader.remaining(), 0U);
}

TEST(ByteIo, ReadingPastTheEndFailsAndYieldsZero) {
    const std::string three("\x01\x02\x03", 3);
    ByteReader reader(three);
    EXPECT_EQ(reader.I16(), 0x0201);
    EXPECT_EQ(reader.I32(), 0);
    EXPECT_FALSE(reader.ok());
    EXPECT_EQ(reader.U8(), 0);
    EXPECT_EQ(reader.remaining(), 0U);

    const std::string four(4, '\0');
    ByteReader seeker(four);
    EXPECT_TRUE(seeker.Seek(4));
    EXPECT_FALSE(seeker.Has(1));
    EXPECT_FALSE(seeker.Seek(5));
    EXPECT_FALSE(seeker.ok());
}

TEST(ByteIo, NonFiniteFloatsReadAsZero) {
    ByteWriter writer;
    writer.F32(std::numeric_limits<float>::quiet_NaN());
    writer.F64(std::numeric_limits<double>::infinity());
    ByteReader reader(writer.bytes());
    EXPECT_EQ(reader.F32(), 0.0F);
    EXPECT_EQ(reader.F64(), 0.0);
    EXPECT_TRUE(reader.ok());
}

}  // namespace
}  // namespace meridia::startup
