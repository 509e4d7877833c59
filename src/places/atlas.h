// The atlas bridge: the world atlas behind the atlas calls of the program, made of the city
// list of libgeonames and the zone rules of the system's IANA database. The two zone keys of a
// place name its IANA zone (they mean nothing outside the atlas). Latitudes are degrees north
// positive, longitudes degrees west positive, zones hours to add to local time for UT.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "places/zone_tables.h"

namespace meridia::places {

struct AtlasZoneKeys {
    std::int16_t key1 = 0;
    std::int16_t key2 = 0;
    bool operator==(const AtlasZoneKeys&) const = default;
};

struct AtlasCity {
    std::string name;
    std::string state;    // county, state or province
    std::string country;  // the atlas's country name (at most 20 characters)
    double latitude = 0.0;
    double longitude = 0.0;
    AtlasZoneKeys keys;
    std::string zone_id;  // IANA zone name
    unsigned population = 0;
};

// Prepares the atlas once per run; true when it holds cities.
bool AtlasSetup();

// Cities named `place` (case-insensitive; an exact name first, then names that begin with the
// text) whose country, country code or state matches `country` (any country when empty). The
// most populous come first.
std::vector<AtlasCity> AtlasFindCity(std::string_view place, std::string_view country);

// Every city of the atlas, in the atlas's order.
std::vector<AtlasCity> AtlasAllCities();

// The atlas's country names, sorted.
std::vector<std::string> AtlasCountries();

// The country name the atlas and the factory place files use for a country of the city list
// (long official names shortened to fit the 20-character country field).
std::string AtlasCountryName(std::string_view list_country);

// Keys of an IANA zone, and the zone of keys ("" when the keys name no known zone).
AtlasZoneKeys AtlasKeysForZone(std::string_view zone_id);
std::string AtlasZoneForKeys(AtlasZoneKeys keys);

enum class AtlasZoneStatus { kOk, kUnknownZone };

struct AtlasZone {
    double hours = 0.0;
    std::string mnemonic;  // at most 5 characters; "LMT" before the first change
    AtlasZoneStatus status = AtlasZoneStatus::kOk;
};

// The zone in force at a local clock moment at a place with the given keys and longitude.
AtlasZone AtlasZoneAt(AtlasZoneKeys keys, double longitude, const LocalMoment& moment);

// The changes of a zone, each from its local start (the first local minute of the new
// offset); before the first change the place keeps Local Mean Time.
struct AtlasZoneChange {
    LocalMoment start;
    double hours = 0.0;
    std::string mnemonic;
    bool daylight = false;
};
std::vector<AtlasZoneChange> AtlasZoneChanges(AtlasZoneKeys keys);

}  // namespace meridia::places
