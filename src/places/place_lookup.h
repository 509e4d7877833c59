// The lookups of the place window and the command line with typed input: a place by name and
// country, and the zone of a zone table, each at a typed local date and time. A lookup that
// finds nothing is an answer (found false), not a failure; typed text that cannot be read is
// refused (its parser has shown why). Zones in hours added to local time to get UT (east
// negative); longitudes in degrees, west positive.
#pragma once

#include <string_view>

#include "places/place_files.h"
#include "places/zone_tables.h"
#include "startup/status.h"

namespace meridia::places {

// The local moment of typed date and time texts (the date-order setting applies); an empty
// text stands for the current local date or time of the machine.
startup::StatusOr<LocalMoment> ParseLocalMoment(std::string_view date_text,
                                                std::string_view time_text);

// FindPlace at the typed moment ("Place Not Found" shown when nothing matches).
startup::StatusOr<FindPlaceResult> FindPlaceAt(std::string_view place, std::string_view country,
                                               std::string_view date_text,
                                               std::string_view time_text);

struct ZoneLookupResult {
    bool found = false;  // false: the table, or one it continues with, is not in the index
    ZoneResult zone;
};

// The zone of a table at the typed moment and longitude. A table missing from the index is
// not found, with "Zone table N (or a table it continues with) is not in the index." shown; a
// damaged tables file is kDamaged (its message shown).
startup::StatusOr<ZoneLookupResult> LookupZoneAt(int table_number, std::string_view date_text,
                                                 std::string_view time_text,
                                                 std::string_view longitude_text);

}  // namespace meridia::places
