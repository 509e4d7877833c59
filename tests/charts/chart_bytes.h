// Byte builders for the chart tests: files are assembled here byte by byte from the
// documented layouts, independently of the encoders under test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace meridia::charts::test {

inline std::string Le16(int value) {
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

inline std::string Le32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    return out;
}

inline std::string LeFloat(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Le32(static_cast<std::int32_t>(bits));
}

inline std::string Byte(int value) { return std::string(1, static_cast<char>(value)); }

// ASCII/ANSI text padded with blanks to the width.
inline std::string Padded(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

struct DataFields {
    std::string name = "Test Person";
    std::string place = "Ulm";
    std::string country = "Germany";
    float longitude = -10.0F;
    float latitude = 48.4F;
    int year = 1879;
    int month = 3;
    int day = 14;
    int hour = 11;
    int minute = 30;
    int second = 0;
    float zone = -0.6666667F;
    std::string mnemonic = "LMT";
    int calendar = 0;
};

// The 115-byte chart data.
inline std::string ChartDataBytes(const DataFields& f) {
    return Padded(f.name, 50) + Padded(f.place, 20) + Padded(f.country, 20) + LeFloat(f.longitude) +
           LeFloat(f.latitude) + Le16(f.year) + Byte(f.month) + Byte(f.day) + Byte(f.hour) +
           Byte(f.minute) + Byte(f.second) + LeFloat(f.zone) + Padded(f.mnemonic, 5) +
           Byte(f.calendar);
}

struct RecordFields {
    int chart_class = 1;
    int chart_kind = 1;
    DataFields data;
    int event_type = 1;
    std::string rating = "AA";
    std::string source = "Birth certificate";
    int house_system = 4;
    int zodiac = 1;
    float user_svp = 0.0F;
    int coords = 1;
    std::int32_t link = 0;
    int params[4] = {0, 0, 0, 0};
};

// The 292-byte record with a blank (zero) second chart data.
inline std::string RecordBytes(const RecordFields& f) {
    std::string base = Padded("", 50) + Padded("", 20) + Padded("", 20) + std::string(19, '\0') +
                       Padded("", 5) + Byte(0);
    return Byte(f.chart_class) + Byte(f.chart_kind) + ChartDataBytes(f.data) + Byte(f.event_type) +
           Padded(f.rating, 2) + Padded(f.source, 30) + Byte(0) + Byte(f.house_system) +
           Byte(f.zodiac) + LeFloat(f.user_svp) + Byte(f.coords) + Le32(f.link) + base + Le16(0) +
           Byte(0) + Byte(f.params[0]) + Byte(f.params[1]) + Byte(f.params[2]) + Byte(f.params[3]) +
           std::string(8, '\0');
}

// The 86-byte header of a current-format file.
inline std::string HeaderBytes(std::string_view description, std::int32_t count) {
    return Le16(3) + Padded(description, 80) + Le32(count);
}

// One chart entry of a current-format file without events.
inline std::string EntryBytes(const RecordFields& f, std::string_view comment) {
    return RecordBytes(f) + Le32(0) + Le32(static_cast<std::int32_t>(comment.size())) +
           std::string(comment);
}

}  // namespace meridia::charts::test
