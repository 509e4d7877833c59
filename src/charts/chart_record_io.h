// The chart record on disk: the 292-byte record and its parts (7-byte date and time, 9-byte
// zone, 48-byte place, 115-byte chart data), the older record layouts (115-byte version 0,
// 110-byte version 1) and the 384-byte chart of the foreign block format, each encoded and
// decoded field by field. Angles in degrees (longitude west positive, latitude north
// positive); zones in hours added to local clock time to get universal time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "astro/chart_record.h"

namespace meridia::charts {

// Largest chart or comment file read into memory (a chart file of this size would hold
// hundreds of thousands of charts).
inline constexpr std::size_t kMaxChartFileBytes = std::size_t{256} * 1024U * 1024U;

inline constexpr std::size_t kCompactDateTimeSize = 7;
inline constexpr std::size_t kZoneBlockSize = 9;
inline constexpr std::size_t kPlaceBlockSize = 48;
inline constexpr std::size_t kChartDataSize = 115;
inline constexpr std::size_t kChartRecordSize = 292;
inline constexpr std::size_t kVersion0RecordSize = 115;
inline constexpr std::size_t kVersion1RecordSize = 110;
inline constexpr std::size_t kTesselBlockSize = 128;
inline constexpr std::size_t kTesselChartSize = 3 * kTesselBlockSize;

inline constexpr std::size_t kChartNameWidth = 50;
inline constexpr std::size_t kPlaceWidth = 20;
inline constexpr std::size_t kMnemonicWidth = 5;
inline constexpr std::size_t kRatingWidth = 2;
inline constexpr std::size_t kSourceWidth = 30;
inline constexpr std::size_t kDescriptionWidth = 80;

// Ranges of the record's codes: house systems 1..32, zodiac codes 0..17 (0 = the default).
inline constexpr int kFirstHouseSystem = 1;
inline constexpr int kLastHouseSystem = 32;
inline constexpr int kLastZodiacCode = 17;

// Byte offsets inside the 292-byte record that other modules compare.
inline constexpr std::size_t kReservedByteOffset = 150;
inline constexpr std::size_t kCommentLinkOffset = 158;
inline constexpr std::size_t kReservedShortOffset = 277;
inline constexpr std::size_t kDerivedParamsOffset = 280;
inline constexpr std::size_t kReservedTailOffset = 284;

// The reserved fields of a stored record (the byte at 150, the 16-bit value at 277 and the
// eight bytes at 284). New records get zeros there, but the values are kept as read because
// merging compares them.
struct ReservedFields {
    std::uint8_t byte_150 = 0;
    std::int16_t short_277 = 0;
    std::array<std::uint8_t, 8> tail_284{};
    bool operator==(const ReservedFields&) const = default;
};

// The reserved fields of a 292-byte record (zeros for a shorter view).
ReservedFields DecodeReservedFields(std::string_view bytes);

std::string EncodeChartData(const astro::ChartData& data);
// `bytes` must hold kChartDataSize bytes; a shorter view decodes what is there.
astro::ChartData DecodeChartData(std::string_view bytes);

// The 292-byte form. The second chart data is written as zeros and blanks when it is unset.
std::string EncodeChartRecord(const astro::ChartRecord& record);
// Decodes a 292-byte record and clamps its class and kind.
astro::ChartRecord DecodeChartRecord(std::string_view bytes);

// Class into 1..18, kind into 1..80.
void ClampChartType(astro::ChartRecord& record);

// Version-0 record (115 bytes) to a chart record; `user_svp` is the current setting.
astro::ChartRecord DecodeVersion0Record(std::string_view bytes, float user_svp);
// Version-1 record (110 bytes) to a chart record and back.
astro::ChartRecord DecodeVersion1Record(std::string_view bytes);
std::string EncodeVersion1Record(const astro::ChartRecord& record);

// One chart of the foreign block format (three 128-byte blocks) and back.
astro::ChartRecord DecodeTesselChart(std::string_view bytes);
std::string EncodeTesselChart(const astro::ChartRecord& record);

// True when every value of the chart data lies in its range: latitude within +-90 degrees,
// longitude within +-180, zone within +-24 hours, month 1..12, day 1..31, hour 0..23, minute
// and second 0..59. Blank chart data (IsBlankChartData) is in range.
bool IsChartDataInRange(const astro::ChartData& data);
// The same for a decoded record: its chart data and its base chart's data, house system
// 1..32 and zodiac code 0..17. A reader refuses a record that is not, rather than pass on
// values no chart can have.
bool IsChartRecordInRange(const astro::ChartRecord& record);

// True when the chart data holds nothing (a chart that is not derived from another).
bool IsBlankChartData(const astro::ChartData& data);

}  // namespace meridia::charts
