// Typed angles, latitudes and longitudes: the parsers the entry fields use and the
// formatters that show coordinates. Values are decimal degrees; latitude north positive,
// longitude west positive (east negative). A parser that fails shows its message box
// (critical icon) and returns no value, so the caller keeps its previous value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace meridia::textformats {

// The degree, minute and second marks used in coordinate texts (UTF-8; each may be empty).
// The session holds the current marks; the glyph set replaces them when it is loaded.
struct AngleMarks {
    std::string degree = "\xC2\xB0";  // U+00B0 DEGREE SIGN
    std::string minute = "'";
    std::string second = "\"";
};

// The current session's marks (the defaults until someone sets them).
AngleMarks& CurrentAngleMarks();

// Angle in degrees: "10 11'59\"", "-10 30", "16Ar25" (16°25' of Aries = 16.4167),
// "27 PISCES" (357). Degrees unlimited; minutes and seconds below 60.
std::optional<double> ParseAngle(std::string_view text);

// Latitude in degrees, north positive: "35S55" (-35.9167), "45" (decimal degrees),
// "35°S55'10\"". At most 90 degrees.
std::optional<double> ParseLatitude(std::string_view text);

// Longitude in degrees, west positive: "138E34" (-138.5667), "-122.5" (decimal degrees),
// "1E5" (1°05' east, never 100000). At most 180 degrees.
std::optional<double> ParseLongitude(std::string_view text);

// "35°S55'" / "35°N55'10\"": degrees as two digits, the hemisphere, minutes as two digits,
// seconds only when not zero (rounded down after adding 0.0001 degree).
std::string FormatLatitude(double latitude, const AngleMarks& marks);
std::string FormatLatitude(double latitude);  // with the current marks

// "138°E34'" / "001°W05'": as FormatLatitude with degrees as three digits, E for negative
// values and W otherwise.
std::string FormatLongitude(double longitude, const AngleMarks& marks);
std::string FormatLongitude(double longitude);  // with the current marks

}  // namespace meridia::textformats
