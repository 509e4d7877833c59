// Zodiac positions as the listings show them: a longitude split into its sign and the degrees,
// minutes and seconds within the sign ("14 Sg 30'12\""), and signed arcs in degrees and minutes
// ("+3°07'", the deviation of an aspect). Longitudes in degrees of the chart's zodiac, [0, 360);
// a negative longitude marks a point without a position.
#pragma once

#include <string>

namespace meridia::textformats {

// A longitude rounded to the whole second of arc: sign 1..12 (1 = Aries), degrees 0..29,
// minutes and seconds 0..59. A longitude that rounds to 360 is 0 Aries.
struct ZodiacPosition {
    int sign = 1;
    int degrees = 0;
    int minutes = 0;
    int seconds = 0;
};
ZodiacPosition SplitZodiacPosition(double longitude);

// "14 Sg 30'12\"": degrees within the sign (width 2), the sign's abbreviation from the name
// tables, minutes and seconds (two digits each). "  (not available)" for a negative longitude.
std::string FormatZodiacPosition(double longitude);

// "+3°07'" / "-0°45'": sign, whole degrees and minutes of an arc rounded to the minute.
std::string FormatSignedDegreesMinutes(double degrees);

}  // namespace meridia::textformats
