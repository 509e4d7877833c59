#include "places/factory_places.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <map>
#include <system_error>
#include <tuple>

#include "places/atlas.h"
#include "places/iana_zones.h"
#include "places/place_files.h"
#include "places/place_text.h"
#include "places/zone_tables.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::places {

namespace {

constexpr std::string_view kAustraliaFile = "australi";
constexpr std::string_view kOtherFile = "other";

// The place file of a zone-name region ("Europe/Paris" -> "europe").
std::string RegionFile(std::string_view zone_id) {
    static const std::map<std::string_view, std::string_view> kRegions = {
        {"Africa", "africa"},     {"America", "americas"},  {"Asia", "asia"},
        {"Atlantic", "atlantic"}, {"Australia", "pacific"}, {"Europe", "europe"},
        {"Indian", "indian"},     {"Pacific", "pacific"}};
    const auto slash = zone_id.find('/');
    const auto it = kRegions.find(zone_id.substr(0, slash));
    return std::string(it == kRegions.end() ? kOtherFile : it->second);
}

// Seconds since 1970 of a UT calendar date.
std::int64_t UtcSeconds(int year, int month, int day) {
    // Days from civil (H. Hinnant, "chrono-Compatible Low-Level Date Algorithms").
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return (static_cast<std::int64_t>(era) * 146097 + doe - 719468) * 86400;
}

// The zone text of a place record: the zone's standard time of today's rules, as
// "AEST -10:00", or the value alone when the zone has no alphabetic abbreviation; empty for a
// zone more than 13 hours from Greenwich.
std::string StandardZoneText(const std::string& zone_id) {
    IanaOffset offset = IanaOffsetAt(zone_id, UtcSeconds(2025, 1, 15));
    const IanaOffset july = IanaOffsetAt(zone_id, UtcSeconds(2025, 7, 15));
    // Standard time is the smaller offset east of the two seasons.
    if (july.offset_seconds < offset.offset_seconds) {
        offset = july;
    }
    const double hours =
        ZoneUnitsFromOffset(offset.offset_seconds) / static_cast<double>(kZoneUnitsPerHour);
    if (std::fabs(hours) > 13.0) {
        // Beyond the range a typed zone may have: the table alone gives the zone.
        return {};
    }
    std::string text = ZoneValueText(hours);
    const bool alphabetic =
        !offset.abbreviation.empty() &&
        std::all_of(offset.abbreviation.begin(), offset.abbreviation.end(),
                    [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
    if (alphabetic && offset.abbreviation.size() <= kZoneMnemonicWidth) {
        text = offset.abbreviation + ' ' + text;
    }
    return text;
}

struct ZoneListBuilder {
    std::vector<ZoneListEntry> list;
    std::map<std::pair<std::int16_t, std::string>, std::int32_t> codes;

    // The code of a zone value and abbreviation: its 1-based position in the list.
    std::int32_t CodeOf(std::int16_t units, const std::string& abbreviation) {
        std::string mnemonic = abbreviation.substr(0, kZoneMnemonicWidth);
        const auto key = std::make_pair(units, mnemonic);
        const auto it = codes.find(key);
        if (it != codes.end()) {
            return it->second;
        }
        const auto code = static_cast<std::int32_t>(list.size() + 1);
        list.push_back({code, units, mnemonic});
        codes.emplace(key, code);
        return code;
    }
};

ZoneTable MakeTable(int number, const std::string& zone_id, ZoneListBuilder& zone_list) {
    ZoneTable table;
    table.header.table_number = number;
    table.header.name = zone_id.substr(0, kZoneTableNameWidth);
    const IanaZoneChanges changes =
        ListIanaZoneChanges(zone_id, kFactoryFirstYear, kFactoryEndYear);
    for (const IanaZoneChange& change : changes.changes) {
        ZoneTableEntry entry;
        entry.zone_code =
            zone_list.CodeOf(ZoneUnitsFromOffset(change.offset_seconds), change.abbreviation);
        entry.year = static_cast<std::int16_t>(change.local_start.year);
        entry.month_day =
            static_cast<std::int16_t>(change.local_start.month * 100 + change.local_start.day);
        entry.hour_minute =
            static_cast<std::int16_t>(change.local_start.hour * 100 + change.local_start.minute);
        table.entries.push_back(entry);
    }
    if (table.entries.empty()) {
        // A zone without recorded changes keeps today's offset from the first year on.
        const IanaOffset offset = IanaOffsetAt(zone_id, UtcSeconds(2025, 1, 15));
        table.entries.push_back(
            {zone_list.CodeOf(ZoneUnitsFromOffset(offset.offset_seconds), offset.abbreviation),
             static_cast<std::int16_t>(kFactoryFirstYear), 101, 0});
    }
    table.header.next_table = changes.continues ? kTableContinues : kTableEnd;
    return table;
}

std::string StateIniText(std::string_view alternates) {
    std::string text = "[Alternates]\r\n";
    for (const std::string_view raw : startup::SplitLines(alternates)) {
        const std::string_view line = startup::Trim(raw);
        if (!line.empty() && line.front() != '#' && line.find('=') != std::string_view::npos) {
            text.append(line);
            text += "\r\n";
        }
    }
    return startup::Utf8ToWindows1252(text);
}

}  // namespace

const std::vector<std::string>& FactoryPlaceFileNames() {
    static const std::vector<std::string> kNames = {std::string(kAustraliaFile),
                                                    "africa",
                                                    "americas",
                                                    "asia",
                                                    "atlantic",
                                                    "europe",
                                                    "indian",
                                                    "pacific",
                                                    std::string(kOtherFile)};
    return kNames;
}

FactoryPlacesSummary GenerateFactoryPlaces(const std::filesystem::path& folder,
                                           std::string_view alternates) {
    FactoryPlacesSummary summary;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    // Every city of the atlas whose zone the system database knows.
    std::vector<AtlasCity> cities = AtlasAllCities();
    std::vector<std::string> zones;
    zones.reserve(cities.size());
    for (const AtlasCity& city : cities) {
        zones.push_back(city.zone_id);
    }
    std::sort(zones.begin(), zones.end());
    zones.erase(std::unique(zones.begin(), zones.end()), zones.end());
    zones.erase(std::remove_if(zones.begin(), zones.end(),
                               [](const std::string& id) { return !IanaZoneKnown(id); }),
                zones.end());

    ZoneListBuilder zone_list;
    std::vector<ZoneTable> tables;
    std::map<std::string, int> table_of_zone;
    std::map<std::string, std::string> zone_text;
    for (const std::string& zone_id : zones) {
        const int number = static_cast<int>(tables.size() + 1);
        tables.push_back(MakeTable(number, zone_id, zone_list));
        table_of_zone[zone_id] = number;
        zone_text[zone_id] = StandardZoneText(zone_id);
    }
    if (!WriteZoneTableFiles(folder, zone_list.list, tables)) {
        return summary;
    }

    // Each country goes to the file of the region most of its cities' zones lie in.
    std::map<std::string, std::map<std::string, int>> region_votes;
    for (const AtlasCity& city : cities) {
        ++region_votes[city.country][RegionFile(city.zone_id)];
    }
    std::map<std::string, std::string> file_of_country;
    for (const auto& [country, votes] : region_votes) {
        const auto best = std::max_element(votes.begin(), votes.end(),
                                           [](auto& a, auto& b) { return a.second < b.second; });
        file_of_country[country] = best->first;
    }
    file_of_country["Australia"] = std::string(kAustraliaFile);

    // Within a file: by country, then name; of places with the same name the most populous
    // comes first, so that a search by name and country finds it.
    std::vector<std::pair<std::tuple<std::string, std::string, long>, const AtlasCity*>> order;
    order.reserve(cities.size());
    for (const AtlasCity& city : cities) {
        order.push_back(
            {{city.country, startup::UpperText(city.name), -static_cast<long>(city.population)},
             &city});
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::map<std::string, std::vector<PlaceFileRecord>> files;
    for (const std::string& name : FactoryPlaceFileNames()) {
        files[name];
    }
    for (const auto& [key, city_pointer] : order) {
        const AtlasCity& city = *city_pointer;
        const auto table = table_of_zone.find(city.zone_id);
        if (table == table_of_zone.end()) {
            continue;
        }
        PlaceFileRecord record;
        record.placename = city.name;
        record.country = city.country;
        record.timezone_entry = zone_text[city.zone_id];
        record.latitude = LatitudeText(city.latitude);
        record.longitude = LongitudeText(city.longitude);
        record.table_number = static_cast<std::int16_t>(table->second);
        files[file_of_country[city.country]].push_back(std::move(record));
        ++summary.places;
    }
    for (const auto& [name, records] : files) {
        if (!startup::WriteFileSafely(folder / (name + ".plc"), EncodePlaceRecords(records),
                                      startup::WriteOptions::CreatingFolders())
                 .ok()) {
            return summary;
        }
    }
    if (!startup::WriteFileSafely(folder / "State.INI", StateIniText(alternates),
                                  startup::WriteOptions::CreatingFolders())
             .ok()) {
        return summary;
    }
    std::filesystem::remove(folder / "Country.INI", ec);
    if (!RebuildCountryIndex(folder)) {
        return summary;
    }
    summary.ok = true;
    summary.tables = static_cast<int>(tables.size());
    summary.zone_list_entries = static_cast<int>(zone_list.list.size());
    return summary;
}

}  // namespace meridia::places
