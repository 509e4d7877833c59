// Place files (".plc", 73-byte records in the places folder), their country index
// "Country.INI", the alternate country names of "State.INI", the personal atlas list
// "axpa.dat", and the place lookup that turns a typed place and country into coordinates and
// the zone in force at a local moment. Latitude degrees north positive, longitude degrees west
// positive, zone hours to add to local clock time for UT (east negative). Single-threaded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "places/atlas.h"
#include "places/zone_tables.h"
#include "startup/status.h"

namespace meridia::places {

inline constexpr std::size_t kPlaceRecordSize = 73;
inline constexpr std::size_t kPlaceNameWidth = 20;
inline constexpr std::size_t kCountryWidth = 20;
inline constexpr std::size_t kZoneEntryWidth = 14;
inline constexpr std::size_t kLatitudeWidth = 8;
inline constexpr std::size_t kLongitudeWidth = 9;
// Place files have no count to bound them; a file larger than this (some 900,000 places,
// dozens of times the world atlas) is taken as damaged rather than read.
inline constexpr std::size_t kMaxPlaceFileBytes = 64U << 20;

// One record of a place file, its fields as stored (texts trimmed).
struct PlaceFileRecord {
    std::string placename;
    std::string country;            // country, or state / province
    std::string timezone_entry;     // "ACST -9:30"
    std::string latitude;           // "34S56"
    std::string longitude;          // "138E36"
    std::int16_t table_number = 0;  // zone table, 0 = none
};

enum class ZoneType : std::uint8_t { kFixed = 0, kTable = 1, kAtlas = 2 };

// A place as lookups return it.
struct PlaceRecord {
    std::string placename;
    std::string country;
    double longitude = 0.0;
    double latitude = 0.0;
    double zone_hours = 0.0;
    std::string zone_mnemonic;
    ZoneType zone_type = ZoneType::kFixed;
    AtlasZoneKeys atlas_keys;
    std::int32_t table_number = 0;
};

// The place object of callers that want one.
class AXPlaceClass {
public:
    void Initialize(std::string placename, std::string country, double longitude, double latitude);
    const std::string& Placename() const { return placename_; }
    void SetPlacename(std::string value) { placename_ = std::move(value); }
    const std::string& Country() const { return country_; }
    void SetCountry(std::string value) { country_ = std::move(value); }
    double Longi() const { return longi_; }
    void SetLongi(double value) { longi_ = value; }
    double Lati() const { return lati_; }
    void SetLati(double value) { lati_ = value; }

private:
    std::string placename_;
    std::string country_;
    double longi_ = 0.0;
    double lati_ = 0.0;
};

// All records of a place file (a partial record at the end is ignored). Fails (nothing shown)
// with kNotFound or kUnreadable ("The place file could not be read.") or kDamaged for a file
// larger than kMaxPlaceFileBytes ("The place file is damaged."), the path on the next line.
startup::StatusOr<std::vector<PlaceFileRecord>> ReadPlaceFile(const std::filesystem::path& path);
// Encodes records as a place file's bytes.
std::string EncodePlaceRecords(const std::vector<PlaceFileRecord>& records);
// Writes record `record_number` (1-based; 0 or beyond the end: a new record after the last).
// Returns the record's number, or nothing on failure (the old file is kept).
std::optional<int> SavePlaceRecord(const std::filesystem::path& path, int record_number,
                                   const PlaceFileRecord& record);

// The place texts of a file ("name<TAB>country"), sorted case-insensitively.
struct PlaceListItem {
    std::string text;
    int record_number = 0;
};
std::vector<PlaceListItem> LoadPlaceList(const std::filesystem::path& path);

// "Australia" for an Australian state code ("WA" only with the flag), else the text.
std::string NormaliseCountry(std::string_view country, bool western_australia);

// Rewrites "Country.INI" in the places folder when the set of place files changed or
// ForceRefresh is set. Returns true when the index is current afterwards.
bool RebuildCountryIndex(const std::filesystem::path& folder);

// The place file of the place window (default: the setting PlaceFileName in the places
// folder); its sorted list is searched first.
void SetLoadedPlaceFile(const std::filesystem::path& path);

struct FindPlaceResult {
    bool found = false;
    PlaceRecord place;
    bool uncertain = false;  // the zone table did not reach the date
};

// Looks a place up by name and country (or state) and gives its coordinates and the zone in
// force at the local moment: through the atlas when ACSEmbedded is on, else (or when the atlas
// does not know the place) through the place files, then the alternates of "State.INI".
// Shows "Place Not Found" when nothing matches, and the zone warnings of GetZoneForPlace.
FindPlaceResult FindPlace(std::string_view place, std::string_view country,
                          const LocalMoment& moment);
// The same in a given places folder, with the atlas on or off.
FindPlaceResult FindPlace(const std::filesystem::path& folder, std::string_view place,
                          std::string_view country, const LocalMoment& moment, bool use_atlas);

// A place record built from a stored record (zone type 1, its table number); nothing when its
// coordinate or zone texts cannot be read.
std::optional<PlaceRecord> PlaceFromFileRecord(const PlaceFileRecord& record);

// The zone of a place at a local moment by its zone type; `error` with `error_text` when it
// could not be found. Shows the "Time Zone Uncertain" warnings.
struct PlaceZone {
    double hours = 0.0;
    std::string mnemonic;
    bool uncertain = false;
    bool error = false;
    std::string error_text;
};
PlaceZone GetZoneForPlace(const PlaceRecord& place, const LocalMoment& moment);
PlaceZone GetZoneForPlace(const std::filesystem::path& folder, const PlaceRecord& place,
                          const LocalMoment& moment);

// The no-table warning switch of this session (on at start; Cancel on the warning turns it
// off).
bool NoTableWarningOn();
void SetNoTableWarning(bool on);

// The personal atlas list "axpa.dat" of the places folder.
std::vector<PlaceRecord> LoadPersonalList(const std::filesystem::path& folder);
bool SavePersonalList(const std::filesystem::path& folder, const std::vector<PlaceRecord>& list);

// A place found by name and country for a chart moment; nothing (message shown) when not
// found. This is what chart entry calls when coordinates were not typed.
std::optional<FindPlaceResult> FindPlaceForMoment(std::string_view place, std::string_view country,
                                                  const LocalMoment& moment);

}  // namespace meridia::places
