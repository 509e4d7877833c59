#include "charts/chart_record_io.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "startup/byte_io.h"
#include "startup/text_tools.h"

namespace meridia::charts {

using startup::ByteReader;
using startup::ByteWriter;

namespace {

std::uint8_t ToByte(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

void WriteDateTime(ByteWriter& w, const astro::CompactDateTime& dt) {
    w.I16(dt.year);
    w.U8(dt.month);
    w.U8(dt.day);
    w.U8(dt.hour);
    w.U8(dt.minute);
    w.U8(dt.second);
}

astro::CompactDateTime ReadDateTime(ByteReader& r) {
    astro::CompactDateTime dt;
    dt.year = r.I16();
    dt.month = r.U8();
    dt.day = r.U8();
    dt.hour = r.U8();
    dt.minute = r.U8();
    dt.second = r.U8();
    return dt;
}

bool IsDefaultOrZeroDate(const astro::CompactDateTime& dt) {
    const astro::CompactDateTime def;
    const bool is_default = dt.year == def.year && dt.month == def.month && dt.day == def.day;
    const bool is_zero = dt.year == 0 && dt.month == 0 && dt.day == 0;
    return (is_default || is_zero) && dt.hour == 0 && dt.minute == 0 && dt.second == 0;
}

// Degrees, minutes and seconds (seconds rounded) of the absolute value of an angle.
struct Dms {
    int degrees = 0;
    int minutes = 0;
    int seconds = 0;
};

Dms ToDms(float angle) {
    const long total = std::lround(std::fabs(static_cast<double>(angle)) * 3600.0);
    return {static_cast<int>(total / 3600), static_cast<int>((total % 3600) / 60),
            static_cast<int>(total % 60)};
}

float FromDms(int degrees, double minutes, double seconds) {
    return static_cast<float>(degrees + (minutes + seconds / 60.0) / 60.0);
}

// Decimal text of a float that reads back to the same float.
std::string FloatText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

float ParseFloatText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    float value = 0.0F;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return 0.0F;
    }
    return value;
}

char DigitOf(int value) { return value >= 0 && value <= 9 ? static_cast<char>('0' + value) : '0'; }

std::uint8_t ValueOfDigit(std::string_view field) {
    if (field.size() == 1 && field[0] >= '0' && field[0] <= '9') {
        return static_cast<std::uint8_t>(field[0] - '0');
    }
    return 0;
}

}  // namespace

bool IsBlankChartData(const astro::ChartData& data) {
    return data.name.empty() && data.place.place_name.empty() && data.place.country.empty() &&
           data.place.longitude == 0.0F && data.place.latitude == 0.0F && data.zone.hours == 0.0F &&
           data.zone.mnemonic.empty() && data.calendar == 0 && IsDefaultOrZeroDate(data.date_time);
}

bool IsChartDataInRange(const astro::ChartData& data) {
    if (IsBlankChartData(data)) {
        return true;
    }
    const auto within = [](float value, float limit) { return std::fabs(value) <= limit; };
    const astro::CompactDateTime& dt = data.date_time;
    return within(data.place.latitude, 90.0F) && within(data.place.longitude, 180.0F) &&
           within(data.zone.hours, 24.0F) && dt.month >= 1 && dt.month <= 12 && dt.day >= 1 &&
           dt.day <= 31 && dt.hour <= 23 && dt.minute <= 59 && dt.second <= 59;
}

bool IsChartRecordInRange(const astro::ChartRecord& record) {
    return IsChartDataInRange(record.data) && IsChartDataInRange(record.base) &&
           record.house_system >= kFirstHouseSystem && record.house_system <= kLastHouseSystem &&
           record.zodiac <= kLastZodiacCode;
}

std::string EncodeChartData(const astro::ChartData& data) {
    ByteWriter w;
    w.Text(data.name, kChartNameWidth);
    w.Text(data.place.place_name, kPlaceWidth);
    w.Text(data.place.country, kPlaceWidth);
    w.F32(data.place.longitude);
    w.F32(data.place.latitude);
    if (IsBlankChartData(data)) {
        w.Zeros(kCompactDateTimeSize);
    } else {
        WriteDateTime(w, data.date_time);
    }
    w.F32(data.zone.hours);
    w.Text(data.zone.mnemonic, kMnemonicWidth);
    w.U8(data.calendar);
    return w.Take();
}

astro::ChartData DecodeChartData(std::string_view bytes) {
    ByteReader r(bytes);
    astro::ChartData data;
    data.name = r.Text(kChartNameWidth);
    data.place.place_name = r.Text(kPlaceWidth);
    data.place.country = r.Text(kPlaceWidth);
    data.place.longitude = r.F32();
    data.place.latitude = r.F32();
    data.date_time = ReadDateTime(r);
    data.zone.hours = r.F32();
    data.zone.mnemonic = r.Text(kMnemonicWidth);
    data.calendar = r.U8();
    return data;
}

void ClampChartType(astro::ChartRecord& record) {
    record.chart_class = std::clamp<std::uint8_t>(record.chart_class, 1, 18);
    record.chart_kind = std::clamp<std::uint8_t>(record.chart_kind, 1, 80);
}

// Layout of the 292-byte record: class, kind, chart data, event type, rating (2), source
// (30), reserved byte, house system, zodiac, user SVP (float), coordinate system, comment link
// (32-bit), second chart data, reserved 16-bit, reserved byte, four derived-chart parameter
// bytes, eight reserved bytes. The reserved fields are always written as zero.
std::string EncodeChartRecord(const astro::ChartRecord& record) {
    ByteWriter w;
    w.U8(record.chart_class);
    w.U8(record.chart_kind);
    w.Raw(EncodeChartData(record.data));
    w.U8(record.event_type);
    w.Text(record.rating, kRatingWidth);
    w.Text(record.source, kSourceWidth);
    w.U8(0);
    w.U8(record.house_system);
    w.U8(record.zodiac);
    w.F32(record.user_svp);
    w.U8(record.coords);
    w.I32(record.comment_link);
    w.Raw(EncodeChartData(record.base));
    w.I16(0);
    w.U8(0);
    for (const std::uint8_t p : record.derived_params) {
        w.U8(p);
    }
    w.Zeros(8);
    return w.Take();
}

astro::ChartRecord DecodeChartRecord(std::string_view bytes) {
    ByteReader r(bytes);
    astro::ChartRecord record;
    record.chart_class = r.U8();
    record.chart_kind = r.U8();
    record.data = DecodeChartData(r.Raw(kChartDataSize));
    record.event_type = r.U8();
    record.rating = r.Text(kRatingWidth);
    record.source = r.Text(kSourceWidth);
    r.Skip(1);
    record.house_system = r.U8();
    record.zodiac = r.U8();
    record.user_svp = r.F32();
    record.coords = r.U8();
    record.comment_link = r.I32();
    record.base = DecodeChartData(r.Raw(kChartDataSize));
    r.Skip(3);
    for (std::uint8_t& p : record.derived_params) {
        p = r.U8();
    }
    ClampChartType(record);
    return record;
}

ReservedFields DecodeReservedFields(std::string_view bytes) {
    ReservedFields reserved;
    if (bytes.size() < kChartRecordSize) {
        return reserved;
    }
    ByteReader r(bytes);
    r.Skip(kReservedByteOffset);
    reserved.byte_150 = r.U8();
    r.Skip(kReservedShortOffset - kReservedByteOffset - 1);
    reserved.short_277 = r.I16();
    r.Skip(kReservedTailOffset - kReservedShortOffset - 2);
    for (std::uint8_t& b : reserved.tail_284) {
        b = r.U8();
    }
    return reserved;
}

// Version-0 layout: name (30), class and kind (16-bit), place (20), country (20), zone
// (float), mnemonic (5), then sixteen 16-bit integers: day, month, year, hour, minute,
// second, longitude degrees, minutes and sign flag, latitude degrees, minutes and sign flag,
// house system, zodiac, an unused value and the seconds flag.
astro::ChartRecord DecodeVersion0Record(std::string_view bytes, float user_svp) {
    ByteReader r(bytes);
    astro::ChartRecord record;
    record.data.name = r.Text(30);
    const int chart_class = r.I16();
    const int chart_kind = r.I16();
    record.chart_class = ToByte(std::clamp(chart_class, 1, 18));
    record.chart_kind = ToByte(std::clamp(chart_kind, 1, 80));
    record.data.place.place_name = r.Text(kPlaceWidth);
    record.data.place.country = r.Text(kPlaceWidth);
    record.data.zone.hours = r.F32();
    record.data.zone.mnemonic = r.Text(kMnemonicWidth);
    std::int16_t v[16];
    for (std::int16_t& value : v) {
        value = r.I16();
    }
    record.data.date_time.day = ToByte(v[0]);
    record.data.date_time.month = ToByte(v[1]);
    record.data.date_time.year = v[2];
    record.data.date_time.hour = ToByte(v[3]);
    record.data.date_time.minute = ToByte(v[4]);
    record.data.date_time.second = ToByte(v[5]);
    const int seconds_flag = v[15];
    // With the seconds flag the minutes fields hold minutes * 100 + seconds.
    auto coordinate = [seconds_flag](int degrees, int minutes) {
        if (seconds_flag >= 1) {
            const int whole_minutes = minutes / 100;
            return FromDms(degrees, whole_minutes, minutes % 100);
        }
        return FromDms(degrees, minutes, 0.0);
    };
    float longitude = coordinate(v[6], v[7]);
    if (v[8] != 0) {
        longitude = -longitude;
    }
    float latitude = coordinate(v[9], v[10]);
    if (v[11] != -1) {
        latitude = -latitude;
    }
    record.data.place.longitude = longitude;
    record.data.place.latitude = latitude;
    record.house_system = ToByte(v[12]);
    record.zodiac = ToByte(v[13]);
    record.coords = seconds_flag >= 1 ? ToByte(seconds_flag) : std::uint8_t{1};
    record.event_type = 0;
    record.user_svp = user_svp;
    record.comment_link = 0;
    record.data.calendar = 0;
    record.base = DecodeChartData(std::string(kChartDataSize, '\0'));
    return record;
}

// Version-1 layout: class and kind (one-byte codes), three codes not carried over, name (30),
// place (20), country (20), zone (float), mnemonic (5), day and month codes, year (16-bit),
// hour, minute and second codes, longitude sign code (0 = east, negative) and its degrees,
// minutes and seconds codes, the same four for the latitude (0 = south), house system and
// zodiac codes, user SVP (float), coordinate-system code, comment link (32-bit).
astro::ChartRecord DecodeVersion1Record(std::string_view bytes) {
    ByteReader r(bytes);
    astro::ChartRecord record;
    record.chart_class = r.U8();
    record.chart_kind = r.U8();
    r.Skip(3);
    record.data.name = r.Text(30);
    record.data.place.place_name = r.Text(kPlaceWidth);
    record.data.place.country = r.Text(kPlaceWidth);
    record.data.zone.hours = r.F32();
    record.data.zone.mnemonic = r.Text(kMnemonicWidth);
    record.data.date_time.day = r.U8();
    record.data.date_time.month = r.U8();
    record.data.date_time.year = r.I16();
    record.data.date_time.hour = r.U8();
    record.data.date_time.minute = r.U8();
    record.data.date_time.second = r.U8();
    for (float* coordinate : {&record.data.place.longitude, &record.data.place.latitude}) {
        const std::uint8_t sign = r.U8();
        const int degrees = r.U8();
        const int minutes = r.U8();
        const int seconds = r.U8();
        *coordinate = FromDms(degrees, minutes, seconds);
        if (sign == 0) {
            *coordinate = -*coordinate;
        }
    }
    record.house_system = r.U8();
    record.zodiac = r.U8();
    record.user_svp = r.F32();
    record.coords = r.U8();
    record.comment_link = r.I32();
    record.event_type = 0;
    record.data.calendar = 0;
    record.base = DecodeChartData(std::string(kChartDataSize, '\0'));
    ClampChartType(record);
    return record;
}

std::string EncodeVersion1Record(const astro::ChartRecord& record) {
    ByteWriter w;
    w.U8(record.chart_class);
    w.U8(record.chart_kind);
    w.Zeros(3);
    w.Text(record.data.name, 30);
    w.Text(record.data.place.place_name, kPlaceWidth);
    w.Text(record.data.place.country, kPlaceWidth);
    w.F32(record.data.zone.hours);
    w.Text(record.data.zone.mnemonic, kMnemonicWidth);
    w.U8(record.data.date_time.day);
    w.U8(record.data.date_time.month);
    w.I16(record.data.date_time.year);
    w.U8(record.data.date_time.hour);
    w.U8(record.data.date_time.minute);
    w.U8(record.data.date_time.second);
    for (const float coordinate : {record.data.place.longitude, record.data.place.latitude}) {
        const Dms dms = ToDms(coordinate);
        w.U8(coordinate < 0.0F ? 0 : 1);
        w.U8(ToByte(dms.degrees));
        w.U8(ToByte(dms.minutes));
        w.U8(ToByte(dms.seconds));
    }
    w.U8(record.house_system);
    w.U8(record.zodiac);
    w.F32(record.user_svp);
    w.U8(record.coords);
    w.I32(record.comment_link);
    return w.Take();
}

// The foreign block format keeps each chart in three 128-byte blocks made of one-, two-,
// three-, six- and 24-character text fields (Windows-1252, blank-padded) and 16-bit numbers.
// Layout of one chart (byte offsets from its first block):
//     0  name, 50 characters as fields of 24 + 24 + 2
//    50  place (24)                      74  country (24)
//    98  year, month, day, hour, minute, second (six 16-bit numbers)
//   110  calendar flag (1, a digit)
//   111  longitude (24, decimal degrees, west positive)
//   135  latitude (24, decimal degrees, north positive)
//   159  zone hours (24, decimal)       183  zone mnemonic (6)
//   189  chart class (16-bit)           191  chart kind (16-bit)
//   193  event type (1, a digit)        194  source rating (2)
//   196  source text, 30 characters as fields of 24 + 6
//   226  house system (16-bit)         228  zodiac (16-bit)
//   230  user SVP (24, decimal degrees) 254  coordinate system (1, a digit)
//   255  four derived-chart parameters (16-bit each)
//   263  base chart of a derived chart: name (24, its first 24 characters), year, month,
//        day, hour, minute, second (16-bit each) at 287, calendar flag (1) at 299,
//        longitude (24) at 300, latitude (24) at 324, zone hours (24) at 348, zone
//        mnemonic (6) at 372
//   378  six blanks
// The decimal fields hold the shortest text that reads back to the same single float. The
// base chart's place and country and the comment link do not fit and are not kept.
std::string EncodeTesselChart(const astro::ChartRecord& record) {
    ByteWriter w;
    const std::string name = startup::EncodeFixedText(record.data.name, kChartNameWidth);
    w.Raw(name);
    w.Text(record.data.place.place_name, 24);
    w.Text(record.data.place.country, 24);
    const auto& dt = record.data.date_time;
    for (const int v :
         {int{dt.year}, int{dt.month}, int{dt.day}, int{dt.hour}, int{dt.minute}, int{dt.second}}) {
        w.I16(static_cast<std::int16_t>(v));
    }
    w.U8(static_cast<std::uint8_t>(DigitOf(record.data.calendar)));
    w.Text(FloatText(record.data.place.longitude), 24);
    w.Text(FloatText(record.data.place.latitude), 24);
    w.Text(FloatText(record.data.zone.hours), 24);
    w.Text(record.data.zone.mnemonic, 6);
    w.I16(record.chart_class);
    w.I16(record.chart_kind);
    w.U8(static_cast<std::uint8_t>(DigitOf(record.event_type)));
    w.Text(record.rating, kRatingWidth);
    w.Text(record.source, kSourceWidth);
    w.I16(record.house_system);
    w.I16(record.zodiac);
    w.Text(FloatText(record.user_svp), 24);
    w.U8(static_cast<std::uint8_t>(DigitOf(record.coords)));
    for (const std::uint8_t p : record.derived_params) {
        w.I16(p);
    }
    const astro::ChartData& base = record.base;
    const bool blank = IsBlankChartData(base);
    w.Text(base.name, 24);
    const auto& bdt = base.date_time;
    for (const int v : {int{bdt.year}, int{bdt.month}, int{bdt.day}, int{bdt.hour}, int{bdt.minute},
                        int{bdt.second}}) {
        w.I16(static_cast<std::int16_t>(blank ? 0 : v));
    }
    w.U8(static_cast<std::uint8_t>(DigitOf(base.calendar)));
    w.Text(FloatText(base.place.longitude), 24);
    w.Text(FloatText(base.place.latitude), 24);
    w.Text(FloatText(base.zone.hours), 24);
    w.Text(base.zone.mnemonic, 6);
    w.Text("", kTesselChartSize - w.size());
    return w.Take();
}

astro::ChartRecord DecodeTesselChart(std::string_view bytes) {
    ByteReader r(bytes);
    astro::ChartRecord record;
    record.data.name = r.Text(kChartNameWidth);
    record.data.place.place_name = r.Text(24);
    record.data.place.country = r.Text(24);
    auto read_date = [&r](astro::CompactDateTime& dt) {
        dt.year = r.I16();
        dt.month = ToByte(r.I16());
        dt.day = ToByte(r.I16());
        dt.hour = ToByte(r.I16());
        dt.minute = ToByte(r.I16());
        dt.second = ToByte(r.I16());
    };
    read_date(record.data.date_time);
    record.data.calendar = ValueOfDigit(r.Raw(1));
    record.data.place.longitude = ParseFloatText(r.Text(24));
    record.data.place.latitude = ParseFloatText(r.Text(24));
    record.data.zone.hours = ParseFloatText(r.Text(24));
    record.data.zone.mnemonic = r.Text(6);
    record.chart_class = ToByte(std::clamp<int>(r.I16(), 1, 18));
    record.chart_kind = ToByte(std::clamp<int>(r.I16(), 1, 80));
    record.event_type = ValueOfDigit(r.Raw(1));
    record.rating = r.Text(kRatingWidth);
    record.source = r.Text(kSourceWidth);
    record.house_system = ToByte(r.I16());
    record.zodiac = ToByte(r.I16());
    record.user_svp = ParseFloatText(r.Text(24));
    record.coords = ValueOfDigit(r.Raw(1));
    for (std::uint8_t& p : record.derived_params) {
        p = ToByte(r.I16());
    }
    astro::ChartData& base = record.base;
    base.name = r.Text(24);
    read_date(base.date_time);
    base.calendar = ValueOfDigit(r.Raw(1));
    base.place.longitude = ParseFloatText(r.Text(24));
    base.place.latitude = ParseFloatText(r.Text(24));
    base.zone.hours = ParseFloatText(r.Text(24));
    base.zone.mnemonic = r.Text(6);
    record.comment_link = 0;
    ClampChartType(record);
    return record;
}

}  // namespace meridia::charts
