// The eclipse catalogue files, "SEclipse.bin" (solar, 27-byte blocks) and "LEclipse.bin"
// (lunar, 26-byte blocks): block 0 begins with a 12-byte header of three 32-bit integers (the
// number of eclipses, the Julian day numbers of the first and of the last eclipse) and is
// padded with zeros; eclipse n (1-based, in date order) is block n. Fields are little-endian,
// decoded one by one. This file depends on nothing but the byte helpers, so that the catalogue
// generator of tools/ shares it.
//
// Block layout (offsets in bytes):
//   0  int16  year (astronomical: 1 BC = 0; Julian calendar before 1582 October 15)
//   2  uint8  month, 3 day, 4 hour, 5 minute, 6 second: greatest eclipse, universal time
//   7  uint8  type: solar 0 partial, 1 annular, 2 total, 3 hybrid; lunar 0 appulse
//             (penumbral), 1 partial, 2 total
//   8  int16  Saros series as the modern canons number it (van den Bergh)
//  10  int16  the eclipse's member number inside its series (1 = the series' first
//             eclipse): the catalogue's second Saros column ("Jansky/Brady")
//  12  int16  gamma x 10000 (Earth radii; positive north)
//  14  int32  ecliptic longitude x 1e6 (degrees, tropical, of date): the Sun for a solar, the
//             Moon for a lunar eclipse
//  18  int16  magnitude x 10000 (solar: the eclipse magnitude at greatest eclipse; lunar: the
//             umbral magnitude, negative for a penumbral eclipse)
// solar, 27 bytes:
//  20  uint16 duration of totality or annularity at greatest eclipse, tenths of a second
//  22  int16  geographic latitude of greatest eclipse x 100 (north positive)
//  24  int16  geographic longitude of greatest eclipse x 100 (east positive)
//  26  uint8  0 (reserved)
// lunar, 26 bytes:
//  20  uint16 penumbral magnitude x 10000
//  22  uint16 semi-duration of totality, seconds
//  24  uint16 semi-duration of the partial phase, seconds
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace meridia::returns {

inline constexpr std::size_t kSolarBlockSize = 27;
inline constexpr std::size_t kLunarBlockSize = 26;
inline constexpr std::size_t kCatalogueHeaderSize = 12;
inline constexpr const char* kSolarCatalogueName = "SEclipse.bin";
inline constexpr const char* kLunarCatalogueName = "LEclipse.bin";

enum class EclipseKind { kSolar = 1, kLunar = 2 };

// One catalogue block, decoded.
struct EclipseRecord {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int type = 0;
    int saros_vdb = 0;
    int saros_jb = 0;
    double gamma = 0.0;
    double longitude = 0.0;  // degrees
    double magnitude = 0.0;
    double penumbral_magnitude = 0.0;            // lunar
    double duration_seconds = 0.0;               // solar
    double semi_duration_total_minutes = 0.0;    // lunar
    double semi_duration_partial_minutes = 0.0;  // lunar
    double latitude_of_greatest = 0.0;           // solar, degrees north
    double longitude_of_greatest = 0.0;          // solar, degrees east
};

struct CatalogueHeader {
    std::int32_t count = 0;
    std::int32_t first_day = 0;  // Julian day number (the integer part of the Julian day)
    std::int32_t last_day = 0;
};

std::size_t BlockSize(EclipseKind kind);

// Block 0: the header padded with zeros to the block size.
std::string EncodeCatalogueHeader(const CatalogueHeader& header, EclipseKind kind);
// The header from the first 12 bytes; nothing when fewer are given.
std::optional<CatalogueHeader> DecodeCatalogueHeader(std::string_view bytes);

// One block of the kind's size. Values are rounded to the field's unit and clamped to its
// range.
std::string EncodeEclipseRecord(const EclipseRecord& record, EclipseKind kind);
// Nothing when the block is short or holds a date, time or type that cannot be.
std::optional<EclipseRecord> DecodeEclipseRecord(std::string_view block, EclipseKind kind);

}  // namespace meridia::returns
