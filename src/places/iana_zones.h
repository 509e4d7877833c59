// The system's IANA time-zone database as a list of zone changes, the common ground of the
// factory zone tables and the atlas bridge. Offsets here are seconds east of Greenwich, as the
// database counts them; callers convert to the program's hours (west positive).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "places/zone_tables.h"

namespace meridia::places {

struct IanaZoneChange {
    std::int64_t utc_seconds = 0;  // instant of the change, seconds since 1970-01-01 UT
    int offset_seconds = 0;        // offset from UT in force from the change, east positive
    std::string abbreviation;      // "AEST", "BST", "+0530"...
    bool daylight = false;
    // The first whole local minute that belongs to the new offset, read on the later of the
    // clocks before and after the change. Earlier local times (including a skipped or
    // repeated hour) keep the offset before the change.
    LocalMoment local_start;
};

struct IanaZoneChanges {
    std::vector<IanaZoneChange> changes;  // ascending; each differs from the one before
    bool continues = false;               // the zone has further changes after the end of the list
};

// True when the system database knows the zone.
bool IanaZoneKnown(std::string_view zone_id);

// The changes of a zone from 1 January of `first_year` up to (not including) 1 January of
// `end_year`, UT. Before the first change the zone keeps Local Mean Time; a zone already on
// another time at the start gets a first change at 0:00 local on 1 January of `first_year`.
IanaZoneChanges ListIanaZoneChanges(std::string_view zone_id, int first_year, int end_year);

// The zone's offset in seconds (east positive) and abbreviation at a UT instant.
struct IanaOffset {
    int offset_seconds = 0;
    std::string abbreviation;
};
IanaOffset IanaOffsetAt(std::string_view zone_id, std::int64_t utc_seconds);

// The zone-table units (4 seconds, west positive) of an offset in seconds east, rounded to
// the nearest unit.
std::int16_t ZoneUnitsFromOffset(int offset_seconds);

}  // namespace meridia::places
