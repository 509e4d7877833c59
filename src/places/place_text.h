// The coordinate and zone texts stored in place records: latitude ("35S55", "35S55:12"),
// longitude ("138E34"), and the zone text ("ACST -9:30", "-9:30" or a mnemonic alone).
// Latitude is degrees north positive, longitude degrees west positive, zones hours west
// positive. The readers use the typed-text parsers, which show their message on bad text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace meridia::places {

std::optional<double> ReadLatitudeText(std::string_view text);
std::optional<double> ReadLongitudeText(std::string_view text);

struct ZoneText {
    double hours = 0.0;
    std::string mnemonic;
};
// A zone value ("-9:30"), a mnemonic of the zone-mnemonic table, or a mnemonic followed by a
// value; an empty text gives zone 0 with no mnemonic. Nothing when no value can be found.
std::optional<ZoneText> ReadZoneText(std::string_view text);

// The compact stored forms that fit the record's fields: "35S55:12" (8 characters at most)
// and "138E34:56" (9), seconds left out when zero; and a zone value such as "-9:30".
std::string LatitudeText(double latitude);
std::string LongitudeText(double longitude);
std::string ZoneValueText(double hours);

}  // namespace meridia::places
