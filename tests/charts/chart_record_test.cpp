#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart_bytes.h"
#include "charts/chart_record_io.h"

namespace meridia::charts {
namespace {

using test::RecordBytes;
using test::RecordFields;

TEST(ChartRecordIo, DecodesARecordBuiltFromTheLayout) {
    RecordFields f;
    f.chart_class = 8;
    f.chart_kind = 20;
    f.event_type = 3;
    f.house_system = 7;
    f.zodiac = 2;
    f.user_svp = 5.5F;
    f.coords = 2;
    f.link = 12;
    f.params[2] = 9;
    f.data.calendar = 2;
    const std::string bytes = RecordBytes(f);
    ASSERT_EQ(bytes.size(), kChartRecordSize);
    const astro::ChartRecord r = DecodeChartRecord(bytes);
    EXPECT_EQ(r.chart_class, 8);
    EXPECT_EQ(r.chart_kind, 20);
    EXPECT_EQ(r.data.name, "Test Person");
    EXPECT_EQ(r.data.place.place_name, "Ulm");
    EXPECT_EQ(r.data.place.country, "Germany");
    EXPECT_EQ(r.data.place.longitude, -10.0F);
    EXPECT_EQ(r.data.place.latitude, 48.4F);
    EXPECT_EQ(r.data.date_time.year, 1879);
    EXPECT_EQ(r.data.date_time.month, 3);
    EXPECT_EQ(r.data.date_time.day, 14);
    EXPECT_EQ(r.data.date_time.hour, 11);
    EXPECT_EQ(r.data.date_time.minute, 30);
    EXPECT_EQ(r.data.zone.hours, -0.6666667F);
    EXPECT_EQ(r.data.zone.mnemonic, "LMT");
    EXPECT_EQ(r.data.calendar, 2);
    EXPECT_EQ(r.event_type, 3);
    EXPECT_EQ(r.rating, "AA");
    EXPECT_EQ(r.source, "Birth certificate");
    EXPECT_EQ(r.house_system, 7);
    EXPECT_EQ(r.zodiac, 2);
    EXPECT_EQ(r.user_svp, 5.5F);
    EXPECT_EQ(r.coords, 2);
    EXPECT_EQ(r.comment_link, 12);
    EXPECT_EQ(r.derived_params[2], 9);
    EXPECT_TRUE(r.base.name.empty());
    // Encoding gives the same bytes back.
    EXPECT_EQ(EncodeChartRecord(r), bytes);
}

TEST(ChartRecordIo, ANewRecordWritesTheSecondChartDataAsZerosAndBlanks) {
    astro::ChartRecord record;
    record.data.name = "New";
    const std::string bytes = EncodeChartRecord(record);
    ASSERT_EQ(bytes.size(), kChartRecordSize);
    EXPECT_EQ(bytes.substr(162, 50), std::string(50, ' '));
    EXPECT_EQ(bytes.substr(162 + 90, 19), std::string(19, '\0'));
    EXPECT_EQ(bytes.substr(277, 3), std::string(3, '\0'));
    EXPECT_EQ(bytes.substr(284, 8), std::string(8, '\0'));
    EXPECT_EQ(bytes[150], '\0');
}

TEST(ChartRecordIo, ClampsClassAndKindOnEveryRead) {
    struct Case {
        int stored_class, stored_kind, read_class, read_kind;
    };
    const Case cases[] = {
        {0, 0, 1, 1}, {18, 80, 18, 80}, {19, 200, 18, 80}, {255, 81, 18, 80}, {5, 14, 5, 14}};
    for (const Case& c : cases) {
        RecordFields f;
        f.chart_class = c.stored_class;
        f.chart_kind = c.stored_kind;
        const astro::ChartRecord r = DecodeChartRecord(RecordBytes(f));
        EXPECT_EQ(r.chart_class, c.read_class) << c.stored_class;
        EXPECT_EQ(r.chart_kind, c.read_kind) << c.stored_kind;
    }
}

// A hostile file may hold NaN or infinite floats; they read as 0 so that no calculation gets
// them (the ephemeris library crashes on a NaN Julian day).
TEST(ChartRecordIo, NonFiniteFloatsReadAsZero) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    RecordFields f;
    f.data.zone = nan;
    f.data.longitude = inf;
    f.data.latitude = -inf;
    f.user_svp = nan;
    const astro::ChartRecord r = DecodeChartRecord(RecordBytes(f));
    EXPECT_EQ(r.data.zone.hours, 0.0F);
    EXPECT_EQ(r.data.place.longitude, 0.0F);
    EXPECT_EQ(r.data.place.latitude, 0.0F);
    EXPECT_EQ(r.user_svp, 0.0F);
    // Finite values are untouched.
    EXPECT_EQ(DecodeChartRecord(RecordBytes(RecordFields{})).data.zone.hours, -0.6666667F);
}

TEST(ChartRecordIo, TextIsWindows1252OnDisk) {
    astro::ChartRecord record;
    record.data.name = "Andr\xC3\xA9 \xCE\xA9";  // e acute, Greek omega
    const std::string bytes = EncodeChartRecord(record);
    EXPECT_EQ(bytes.substr(2, 8), std::string("Andr\xE9 ?  ", 8));
    EXPECT_EQ(DecodeChartRecord(bytes).data.name, "Andr\xC3\xA9 ?");
}

// Version-0 record: name 30, class, kind, place 20, country 20, zone, mnemonic 5, sixteen
// 16-bit integers.
std::string Version0Bytes(int lon_deg, int lon_min, int lon_sign, int lat_deg, int lat_min,
                          int lat_sign, int seconds_flag) {
    using namespace test;
    std::string out = Padded("Old Chart", 30) + Le16(1) + Le16(1) + Padded("Paris", 20) +
                      Padded("France", 20) + LeFloat(-1.0F) + Padded("CET", 5);
    for (const int v : {24, 12, 1950, 18, 5, 7, lon_deg, lon_min, lon_sign, lat_deg, lat_min,
                        lat_sign, 6, 0, 0, seconds_flag}) {
        out += Le16(v);
    }
    return out;
}

TEST(ChartRecordIo, ConvertsVersion0Records) {
    struct Case {
        int lon_deg, lon_min, lon_sign, lat_deg, lat_min, lat_sign, seconds_flag;
        double longitude, latitude;
        int coords;
    };
    const Case cases[] = {
        // Plain minutes; a non-zero longitude flag means east (negative).
        {2, 20, 1, 48, 52, -1, 0, -(2 + 20 / 60.0), 48 + 52 / 60.0, 1},
        // Minutes * 100 + seconds with the seconds flag; a latitude flag other than -1 is south.
        {73, 5930, 0, 33, 5115, 0, 1, 73 + (59 + 30 / 60.0) / 60.0, -(33 + (51 + 15 / 60.0) / 60.0),
         1},
        {0, 3000, 0, 10, 0, -1, 2, 0.5, 10.0, 2},
    };
    for (const Case& c : cases) {
        const std::string bytes = Version0Bytes(c.lon_deg, c.lon_min, c.lon_sign, c.lat_deg,
                                                c.lat_min, c.lat_sign, c.seconds_flag);
        ASSERT_EQ(bytes.size(), kVersion0RecordSize);
        const astro::ChartRecord r = DecodeVersion0Record(bytes, 1.25F);
        EXPECT_NEAR(r.data.place.longitude, c.longitude, 1e-5);
        EXPECT_NEAR(r.data.place.latitude, c.latitude, 1e-5);
        EXPECT_EQ(r.coords, c.coords);
        EXPECT_EQ(r.data.name, "Old Chart");
        EXPECT_EQ(r.data.date_time.year, 1950);
        EXPECT_EQ(r.data.date_time.month, 12);
        EXPECT_EQ(r.data.date_time.day, 24);
        EXPECT_EQ(r.data.date_time.hour, 18);
        EXPECT_EQ(r.data.date_time.minute, 5);
        EXPECT_EQ(r.data.date_time.second, 7);
        EXPECT_EQ(r.house_system, 6);
        EXPECT_EQ(r.user_svp, 1.25F);
        EXPECT_EQ(r.event_type, 0);
        EXPECT_EQ(r.comment_link, 0);
        EXPECT_EQ(r.data.zone.mnemonic, "CET");
    }
}

// Version-1 record as laid out in the file (110 bytes).
std::string Version1Bytes(int lon_sign, int lat_sign, std::int32_t link) {
    using namespace test;
    return Byte(8) + Byte(17) + Byte(7) + Byte(7) + Byte(7) + Padded("Version One", 30) +
           Padded("Sydney", 20) + Padded("Australia", 20) + LeFloat(-10.0F) + Padded("AEST", 5) +
           Byte(9) + Byte(4) + Le16(1977) + Byte(6) + Byte(45) + Byte(30) + Byte(lon_sign) +
           Byte(151) + Byte(12) + Byte(36) + Byte(lat_sign) + Byte(33) + Byte(52) + Byte(12) +
           Byte(10) + Byte(3) + LeFloat(24.5F) + Byte(1) + Le32(link);
}

TEST(ChartRecordIo, ConvertsVersion1Records) {
    const std::string bytes = Version1Bytes(0, 0, 5);
    ASSERT_EQ(bytes.size(), kVersion1RecordSize);
    const astro::ChartRecord r = DecodeVersion1Record(bytes);
    EXPECT_EQ(r.chart_class, 8);
    EXPECT_EQ(r.chart_kind, 17);
    EXPECT_EQ(r.data.name, "Version One");
    EXPECT_EQ(r.data.place.place_name, "Sydney");
    EXPECT_NEAR(r.data.place.longitude, -(151 + (12 + 36 / 60.0) / 60.0), 1e-5);
    EXPECT_NEAR(r.data.place.latitude, -(33 + (52 + 12 / 60.0) / 60.0), 1e-5);
    EXPECT_EQ(r.data.date_time.day, 9);
    EXPECT_EQ(r.data.date_time.month, 4);
    EXPECT_EQ(r.data.date_time.year, 1977);
    EXPECT_EQ(r.data.date_time.second, 30);
    EXPECT_EQ(r.data.zone.hours, -10.0F);
    EXPECT_EQ(r.house_system, 10);
    EXPECT_EQ(r.zodiac, 3);
    EXPECT_EQ(r.user_svp, 24.5F);
    EXPECT_EQ(r.coords, 1);
    EXPECT_EQ(r.comment_link, 5);
    // A sign code other than 0 keeps the coordinate positive.
    const astro::ChartRecord north_west = DecodeVersion1Record(Version1Bytes(1, 1, 0));
    EXPECT_GT(north_west.data.place.longitude, 0.0F);
    EXPECT_GT(north_west.data.place.latitude, 0.0F);
    // Writing the converted record gives the file's bytes back, except the three codes that
    // are not carried over.
    std::string expected = bytes;
    expected.replace(2, 3, std::string(3, '\0'));
    EXPECT_EQ(EncodeVersion1Record(r), expected);
}

TEST(ChartRecordIo, TesselChartsRoundTripEveryFieldThatFits) {
    astro::ChartRecord r;
    r.chart_class = 4;
    r.chart_kind = 33;
    r.data.name = std::string(50, 'N');
    r.data.place = {"Buenos Aires", "Argentina", 58.3816F, -34.6037F};
    r.data.date_time = {-44, 3, 15, 12, 1, 59};
    r.data.zone = {3.0F, "ART"};
    r.data.calendar = 2;
    r.event_type = 4;
    r.rating = "DD";
    r.source = "A source text of thirty chars.";
    r.house_system = 32;
    r.zodiac = 17;
    r.user_svp = 24.123456F;
    r.coords = 2;
    r.derived_params = {1, 2, 3, 250};
    r.base.name = "Base chart";
    r.base.place.longitude = -2.5F;
    r.base.place.latitude = 51.25F;
    r.base.date_time = {1990, 6, 1, 8, 0, 0};
    r.base.zone = {-1.0F, "BST"};
    const std::string bytes = EncodeTesselChart(r);
    ASSERT_EQ(bytes.size(), kTesselChartSize);
    const astro::ChartRecord back = DecodeTesselChart(bytes);
    EXPECT_EQ(EncodeChartRecord(back), EncodeChartRecord(r));
}

TEST(ChartRecordIo, TesselFieldsSitAtTheirDocumentedOffsets) {
    astro::ChartRecord r;
    r.chart_class = 8;
    r.chart_kind = 21;
    r.data.name = "Block chart";
    r.data.place = {"Oslo", "Norway", -10.75F, 59.9F};
    r.data.date_time = {1905, 11, 18, 6, 7, 8};
    r.data.zone = {-1.0F, "CET"};
    r.house_system = 12;
    r.coords = 2;
    const std::string bytes = EncodeTesselChart(r);
    EXPECT_EQ(bytes.substr(0, 50), test::Padded("Block chart", 50));
    EXPECT_EQ(bytes.substr(50, 24), test::Padded("Oslo", 24));
    EXPECT_EQ(bytes.substr(74, 24), test::Padded("Norway", 24));
    EXPECT_EQ(bytes.substr(98, 12), test::Le16(1905) + test::Le16(11) + test::Le16(18) +
                                        test::Le16(6) + test::Le16(7) + test::Le16(8));
    EXPECT_EQ(bytes.substr(111, 24), test::Padded("-10.75", 24));
    EXPECT_EQ(bytes.substr(135, 24), test::Padded("59.9", 24));
    EXPECT_EQ(bytes.substr(159, 24), test::Padded("-1", 24));
    EXPECT_EQ(bytes.substr(183, 6), test::Padded("CET", 6));
    EXPECT_EQ(bytes.substr(189, 4), test::Le16(8) + test::Le16(21));
    EXPECT_EQ(bytes.substr(226, 2), test::Le16(12));
    EXPECT_EQ(bytes[254], '2');
    EXPECT_EQ(bytes.substr(378), std::string(6, ' '));
}

}  // namespace
}  // namespace meridia::charts
