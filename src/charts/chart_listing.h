// The readable listing of a calculated chart: its moment, place, house system, zodiac, time
// scales, every point in use (longitude, latitude, speed, declination, house) and the cusps, as
// the command line prints it and the windowed program's report view shows it. Angles in degrees,
// sidereal time in hours, delta T in seconds.
#pragma once

#include <iosfwd>
#include <string>

#include "astro/chart_table.h"

namespace meridia::charts {

void WriteChartListing(std::ostream& out, const astro::ChartSlot& slot);
std::string ChartListing(const astro::ChartSlot& slot);

}  // namespace meridia::charts
