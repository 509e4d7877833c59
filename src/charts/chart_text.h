// Display texts of the chart record's fields: the zone ("-10:00 AEST"), the source ratings
// (their names are in the name tables) and the chart's type.
// Zone hours are added to local clock time to get universal time (east negative).
#pragma once

#include <string>
#include <string_view>

#include "astro/chart_record.h"

namespace meridia::charts {

// How the chart file list names a chart's type: "Natal/Event" for kind 1 of the natal class,
// else the kind's name, else (a kind without one) the class's name.
std::string ChartTypeName(const astro::ChartRecord& record);

// The formatted zone value, a blank and the trimmed mnemonic, left-trimmed.
std::string ZoneText(const astro::ZoneBlock& zone);
// The trimmed mnemonic, or the formatted value when the mnemonic is blank.
std::string ZoneMnemonicText(const astro::ZoneBlock& zone);

// A rating list line: code, " - ", text.
std::string SourceRatingLine(std::string_view entry);
// The two characters a record keeps of a chosen or typed rating text.
std::string RatingCode(std::string_view text);

}  // namespace meridia::charts
