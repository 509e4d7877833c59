// Time-zone tables: the dated lists of zones (standard and daylight time) in force at a place,
// kept in the places folder as "tztable.lst" (zone list), "tztable.ndx" (index), "tztable.bin"
// (tables) and "tztable.asc" (text dump). Zones are hours to add to local clock time to get
// Universal Time (east negative); inside the files they are counted in 4-second units, 900 to
// the hour. Dates and times in table entries are local clock time. Single-threaded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "startup/status.h"

namespace meridia::places {

// Largest zone-table file (list, index or tables) read into memory.
inline constexpr std::size_t kMaxZoneTableFileBytes = 256U << 20;
inline constexpr int kZoneUnitsPerHour = 900;
// A negative zone code is a fixed zone: units = code + kFixedZoneBias.
inline constexpr int kFixedZoneBias = 21600;
inline constexpr std::size_t kZoneListEntrySize = 11;
inline constexpr std::size_t kZoneIndexEntrySize = 8;
inline constexpr std::size_t kZoneTableHeaderSize = 52;
inline constexpr std::size_t kZoneTableEntrySize = 10;
inline constexpr std::size_t kZoneTableNameWidth = 40;
inline constexpr std::size_t kZoneMnemonicWidth = 5;

// Next-table values of a table header.
inline constexpr int kTableEnd = 0;         // the last entry holds for all later dates
inline constexpr int kTableContinues = -1;  // the rules go on but are not in the table

struct ZoneListEntry {
    std::int32_t code = 0;
    std::int16_t units = 0;  // 4-second units, west positive
    std::string mnemonic;    // at most 5 characters
};

struct ZoneTableEntry {
    std::int32_t zone_code = 0;
    std::int16_t year = 0;
    std::int16_t month_day = 0;    // month * 100 + day
    std::int16_t hour_minute = 0;  // hour * 100 + minute, local clock time
};

struct ZoneTableHeader {
    std::int32_t table_number = 0;
    std::int32_t next_table = kTableEnd;
    std::string name;  // at most 40 characters
};

struct ZoneTable {
    ZoneTableHeader header;
    std::vector<ZoneTableEntry> entries;  // ascending order of start
};

// A local clock moment as the lookups take it.
struct LocalMoment {
    int year = 0;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
};

// A zone in hours with its mnemonic; `uncertain` when a table did not reach the date or a
// lookup failed.
struct ZoneResult {
    double hours = 0.0;
    std::string mnemonic;
    bool uncertain = false;
};

enum class ZoneLookupStatus {
    kFound,        // the zone was set from the table (or Local Mean Time before it)
    kNoFiles,      // the tables file is missing: uncertain set, zone unchanged
    kNotInIndex,   // the table, or one its chain leads to, is not in the index: zone unchanged
    kUnknownCode,  // the entry's code is not in the zone list: zone unchanged
    kReadError,    // a damaged file: message shown, uncertain set
};

// The places folder of the current session's user files ("Places").
std::filesystem::path PlacesFolder();
// "tztable" + extension (".lst", ".ndx", ".bin", ".asc") in a places folder.
std::filesystem::path ZoneTablePath(const std::filesystem::path& folder, std::string_view ext);

// Looks the zone in force at a local moment up in table `table_number`, following chains;
// `longitude` (degrees, west positive) gives Local Mean Time before the first entry. Updates
// `zone` as described by the status. A damaged file shows its reason, the file's path and
// "Error encountered during time zone lookup." titled "Error" (kReadError).
ZoneLookupStatus LookupZone(const std::filesystem::path& folder, int table_number,
                            const LocalMoment& moment, double longitude, ZoneResult& zone);
ZoneLookupStatus LookupZone(int table_number, const LocalMoment& moment, double longitude,
                            ZoneResult& zone);

// One line of the table list: "name - #number", with the table number as item data.
struct ZoneTableListItem {
    std::string text;
    int table_number = 0;
};
// Every table of the index in index order. Fails (nothing shown) with kNotFound when the index
// or the tables file is missing, kDamaged when either is damaged; the message names the file.
startup::StatusOr<std::vector<ZoneTableListItem>> ListZoneTables(
    const std::filesystem::path& folder);

// The table with its entries. Fails (nothing shown) with kNotFound when the files are missing or
// the table is not in the index, kDamaged ("The time zone index file is damaged." or "The time
// zone tables file is damaged." and the file's path on the next line) when the index, the table
// or one of its entries cannot be what the format allows (a count beyond the file, a fixed zone
// beyond 24 hours).
startup::StatusOr<ZoneTable> ReadZoneTable(const std::filesystem::path& folder, int table_number);
// The zone list. Fails as ReadZoneTable does ("The time zone list file is damaged.", also for a
// zone beyond 24 hours).
startup::StatusOr<std::vector<ZoneListEntry>> ReadZoneList(const std::filesystem::path& folder);

// Rewrites index and tables with the edited table (number < 1: a new table, numbered after the
// last one). A table with no entries is removed. Returns the number the table was saved under
// (0 when it was removed); nothing, with the message shown, on failure (old files kept).
std::optional<int> SaveZoneTable(const std::filesystem::path& folder, const ZoneTable& table);

// Writes a complete set of zone list, index and tables files (used for the factory tables).
// Tables are written in ascending number order. False on failure.
bool WriteZoneTableFiles(const std::filesystem::path& folder,
                         const std::vector<ZoneListEntry>& zone_list,
                         const std::vector<ZoneTable>& tables);

// Asks for confirmation and writes "tztable.asc". Returns its path, or nothing when the user
// declined or the files could not be read or written.
std::optional<std::filesystem::path> DumpZoneTables(const std::filesystem::path& folder);

}  // namespace meridia::places
