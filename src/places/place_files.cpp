#include "places/place_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <system_error>

#include "places/place_text.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/ini_file.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::places {

namespace {

constexpr std::string_view kZoneError =
    "Unable to find required timezone table data entry. You may need to check the timezone.";
constexpr std::string_view kVerifyZone =
    "Please verify that the timezone is correct before proceeding!";

// A place file as the searches use it, kept while the file is unchanged.
struct CachedPlaceFile {
    std::filesystem::file_time_type time;
    std::uintmax_t size = 0;
    std::vector<PlaceFileRecord> records;
    std::vector<std::string> upper_names;
    std::vector<std::string> upper_countries;
    std::vector<std::pair<std::string, int>> sorted;  // upper-cased list text, record number
};

// An INI file as last read, kept while the file is unchanged.
struct CachedIni {
    std::filesystem::file_time_type time;
    std::uintmax_t size = 0;
    startup::IniFile ini;
};

// What the place lookups keep between calls in one session.
struct PlacesState {
    bool no_table_warning = true;
    std::filesystem::path loaded_file;  // the place window's file, when one was set
    std::map<std::filesystem::path, CachedPlaceFile> files;
    std::map<std::filesystem::path, CachedIni> inis;
};

PlacesState& State() { return startup::CurrentSession().Get<PlacesState>(); }

PlaceFileRecord DecodeRecord(startup::ByteReader& reader) {
    PlaceFileRecord record;
    record.placename = startup::Trim(reader.Text(kPlaceNameWidth));
    record.country = startup::Trim(reader.Text(kCountryWidth));
    record.timezone_entry = startup::Trim(reader.Text(kZoneEntryWidth));
    record.latitude = startup::Trim(reader.Text(kLatitudeWidth));
    record.longitude = startup::Trim(reader.Text(kLongitudeWidth));
    record.table_number = reader.I16();
    return record;
}

void EncodeRecord(startup::ByteWriter& out, const PlaceFileRecord& record) {
    out.Text(record.placename, kPlaceNameWidth);
    out.Text(record.country, kCountryWidth);
    out.Text(record.timezone_entry, kZoneEntryWidth);
    out.Text(record.latitude, kLatitudeWidth);
    out.Text(record.longitude, kLongitudeWidth);
    out.I16(record.table_number);
}

std::vector<PlaceListItem> SortedList(const std::vector<PlaceFileRecord>& records) {
    std::vector<std::pair<std::string, PlaceListItem>> keyed;
    keyed.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string text = records[i].placename + '\t' + records[i].country;
        std::string key = startup::UpperText(text);
        keyed.emplace_back(std::move(key), PlaceListItem{std::move(text), static_cast<int>(i + 1)});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PlaceListItem> list;
    list.reserve(keyed.size());
    for (auto& item : keyed) {
        list.push_back(std::move(item.second));
    }
    return list;
}

bool SameText(std::string_view a, std::string_view b) {
    return startup::UpperText(startup::Trim(a)) == startup::UpperText(startup::Trim(b));
}

bool IsPlaceFileName(const std::filesystem::path& path) {
    return startup::UpperText(path.extension().string()) == ".PLC" &&
           startup::UpperText(path.filename().string()) != "MAPS.PLC";
}

// An INI file's contents (empty when missing), read again when the file changed.
const startup::IniFile& IniOf(const std::filesystem::path& path) {
    PlacesState& state = State();
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(path, ec);
    const auto size = ec ? 0 : std::filesystem::file_size(path, ec);
    if (ec) {
        state.inis.erase(path);
        static const startup::IniFile kEmpty;
        return kEmpty;
    }
    auto it = state.inis.find(path);
    if (it == state.inis.end() || it->second.time != time || it->second.size != size) {
        CachedIni cached;
        cached.time = time;
        cached.size = size;
        cached.ini.Load(path);
        it = state.inis.insert_or_assign(path, std::move(cached)).first;
    }
    return it->second.ini;
}

// A place file's records, read again when the file changed; nothing when it cannot be read.
const CachedPlaceFile* CachedFile(const std::filesystem::path& path) {
    PlacesState& state = State();
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(path, ec);
    const auto size = ec ? 0 : std::filesystem::file_size(path, ec);
    if (ec) {
        state.files.erase(path);
        return nullptr;
    }
    auto it = state.files.find(path);
    if (it != state.files.end() && it->second.time == time && it->second.size == size) {
        return &it->second;
    }
    auto records = ReadPlaceFile(path);
    if (!records) {
        state.files.erase(path);
        return nullptr;
    }
    CachedPlaceFile file;
    file.time = time;
    file.size = size;
    file.records = std::move(*records);
    for (std::size_t i = 0; i < file.records.size(); ++i) {
        file.upper_names.push_back(startup::UpperText(file.records[i].placename));
        file.upper_countries.push_back(startup::UpperText(file.records[i].country));
        file.sorted.emplace_back(file.upper_names.back() + '\t' + file.upper_countries.back(),
                                 static_cast<int>(i + 1));
    }
    std::stable_sort(file.sorted.begin(), file.sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return &(state.files[path] = std::move(file));
}

// The place window's file: the one set, else the setting PlaceFileName in the folder.
std::filesystem::path LoadedFilePath(const std::filesystem::path& folder) {
    const PlacesState& state = State();
    if (!state.loaded_file.empty()) {
        return state.loaded_file;
    }
    return folder / (startup::CurrentSession().settings().GetString("PlaceFileName") + ".plc");
}

// Step one of the search: the sorted list of the loaded file. Places of the same name are
// told apart by the country typed.
std::optional<PlaceFileRecord> SearchLoadedFile(const std::filesystem::path& folder,
                                                const std::string& upper_name,
                                                const std::string& upper_country) {
    const CachedPlaceFile* file = CachedFile(LoadedFilePath(folder));
    if (file == nullptr) {
        return std::nullopt;
    }
    const std::string key = upper_name + '\t';
    auto it = std::lower_bound(
        file->sorted.begin(), file->sorted.end(), key,
        [](const auto& item, const std::string& wanted) { return item.first < wanted; });
    for (; it != file->sorted.end() && it->first.compare(0, key.size(), key) == 0; ++it) {
        const auto index = static_cast<std::size_t>(it->second - 1);
        const PlaceFileRecord& record = file->records[index];
        if (upper_country.empty() || file->upper_countries[index] == upper_country ||
            startup::UpperText(NormaliseCountry(record.country, true)) == upper_country) {
            return record;
        }
    }
    return std::nullopt;
}

// Step two: the files "Country.INI" lists for a country, each searched record by record.
std::optional<PlaceFileRecord> SearchCountryFiles(const std::filesystem::path& folder,
                                                  const startup::IniFile& index,
                                                  const std::string& upper_name,
                                                  const std::string& country,
                                                  const std::filesystem::path& skip) {
    const long long count =
        startup::ParseLeadingInteger(index.Read(country, "Files", "0")).value_or(0);
    for (long long i = 1; i <= count && i <= 10000; ++i) {
        const std::string file = index.Read(country, "File" + std::to_string(i), "");
        if (file.empty()) {
            continue;
        }
        const std::filesystem::path path = folder / file;
        if (!skip.empty() && SameText(path.filename().string(), skip.filename().string())) {
            continue;
        }
        const CachedPlaceFile* cached = CachedFile(path);
        if (cached == nullptr) {
            continue;
        }
        const std::string upper_country = startup::UpperText(country);
        for (std::size_t r = 0; r < cached->records.size(); ++r) {
            if (cached->upper_names[r] == upper_name &&
                cached->upper_countries[r] == upper_country) {
                return cached->records[r];
            }
        }
    }
    return std::nullopt;
}

std::vector<std::string> SplitAlternates(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string name(startup::Trim(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (!name.empty()) {
            names.push_back(name);
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return names;
}

// The place files in their search order; nothing when the name is in none of them.
std::optional<PlaceFileRecord> SearchPlaceFiles(const std::filesystem::path& folder,
                                                std::string_view place, std::string_view country) {
    // The index is checked before every search, so a place file dropped into the folder is
    // searched at once.
    RebuildCountryIndex(folder);
    const std::string upper_name = startup::UpperText(startup::Trim(place));
    const std::string wanted = NormaliseCountry(startup::Trim(country), false);
    if (auto hit = SearchLoadedFile(folder, upper_name, startup::UpperText(wanted))) {
        return hit;
    }
    const startup::IniFile& index = IniOf(folder / "Country.INI");
    const std::filesystem::path skip = LoadedFilePath(folder);
    if (auto hit = SearchCountryFiles(folder, index, upper_name, wanted, skip)) {
        return hit;
    }
    const startup::IniFile& states = IniOf(folder / "State.INI");
    for (const std::string& alternate : SplitAlternates(states.Read("Alternates", wanted, ""))) {
        if (auto hit = SearchCountryFiles(folder, index, upper_name, alternate, skip)) {
            return hit;
        }
    }
    return std::nullopt;
}

void ApplyUnitedKingdomRule(const std::string& country, std::string& mnemonic) {
    if (SameText(country, "United Kingdom") && mnemonic == "UT") {
        mnemonic = "GMT";
    }
}

}  // namespace

void AXPlaceClass::Initialize(std::string placename, std::string country, double longitude,
                              double latitude) {
    placename_ = std::move(placename);
    country_ = std::move(country);
    longi_ = longitude;
    lati_ = latitude;
}

startup::StatusOr<std::vector<PlaceFileRecord>> ReadPlaceFile(const std::filesystem::path& path) {
    const auto bytes = startup::ReadFileLimited(path, kMaxPlaceFileBytes);
    if (!bytes.ok()) {
        const bool damaged = bytes.status().code() == startup::StatusCode::kDamaged;
        return startup::Status(bytes.status().code(),
                               startup::JoinLines({damaged ? "The place file is damaged."
                                                           : "The place file could not be read.",
                                                   path.string()}),
                               "Error", path);
    }
    startup::ByteReader reader(*bytes);
    std::vector<PlaceFileRecord> records;
    records.reserve(bytes->size() / kPlaceRecordSize);
    while (reader.Has(kPlaceRecordSize)) {
        records.push_back(DecodeRecord(reader));
    }
    return records;
}

std::string EncodePlaceRecords(const std::vector<PlaceFileRecord>& records) {
    startup::ByteWriter bytes;
    for (const PlaceFileRecord& record : records) {
        EncodeRecord(bytes, record);
    }
    return bytes.Take();
}

std::optional<int> SavePlaceRecord(const std::filesystem::path& path, int record_number,
                                   const PlaceFileRecord& record) {
    std::vector<PlaceFileRecord> records;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        auto existing = ReadPlaceFile(path);
        if (!existing) {
            return std::nullopt;
        }
        records = std::move(*existing);
    }
    int number = record_number;
    if (number < 1 || static_cast<std::size_t>(number) > records.size()) {
        records.push_back(record);
        number = static_cast<int>(records.size());
    } else {
        records[static_cast<std::size_t>(number - 1)] = record;
    }
    if (!startup::WriteFileSafely(path, EncodePlaceRecords(records),
                                  startup::WriteOptions::CreatingFolders())
             .ok()) {
        return std::nullopt;
    }
    return number;
}

std::vector<PlaceListItem> LoadPlaceList(const std::filesystem::path& path) {
    auto records = ReadPlaceFile(path);
    return SortedList(records.ok() ? std::move(*records) : std::vector<PlaceFileRecord>{});
}

std::string NormaliseCountry(std::string_view country, bool western_australia) {
    static constexpr std::string_view kStates[] = {"ACT", "QLD", "NSW", "NT", "SA", "TAS", "VIC"};
    for (const std::string_view code : kStates) {
        if (country == code) {
            return "Australia";
        }
    }
    if (western_australia && country == "WA") {
        return "Australia";
    }
    return std::string(country);
}

bool RebuildCountryIndex(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->is_regular_file(ec) && IsPlaceFileName(it->path())) {
            files.push_back(it->path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    const std::filesystem::path ini_path = folder / "Country.INI";
    const startup::IniFile& old_index = IniOf(ini_path);
    const auto number = [&old_index](std::string_view key, std::string_view fallback) {
        return startup::ParseLeadingInteger(old_index.Read("Status", key, fallback)).value_or(0);
    };
    bool same = number("ForceRefresh", "0") == 0 &&
                number("NumFiles", "-1") == static_cast<long long>(files.size());
    for (std::size_t i = 0; same && i < files.size(); ++i) {
        same = SameText(old_index.Read("Status", "File" + std::to_string(i + 1), ""), files[i]);
    }
    if (same) {
        return true;
    }
    startup::IniFile index;
    index.Write("Status", "NumFiles", std::to_string(files.size()));
    for (std::size_t i = 0; i < files.size(); ++i) {
        index.Write("Status", "File" + std::to_string(i + 1), files[i]);
    }
    // Countries in first-seen order, each with the files that hold it.
    std::vector<std::pair<std::string, std::vector<std::string>>> countries;
    std::map<std::string, std::size_t> position;
    for (const std::string& file : files) {
        const auto records = ReadPlaceFile(folder / file);
        if (!records) {
            continue;
        }
        for (const PlaceFileRecord& record : *records) {
            if (record.country.empty()) {
                continue;
            }
            const std::string key = startup::UpperText(record.country);
            auto [it, added] = position.emplace(key, countries.size());
            if (added) {
                countries.push_back({record.country, {}});
            }
            auto& holders = countries[it->second].second;
            if (holders.empty() || holders.back() != file) {
                holders.push_back(file);
            }
        }
    }
    for (const auto& [country, holders] : countries) {
        index.Write(country, "Files", std::to_string(holders.size()));
        for (std::size_t i = 0; i < holders.size(); ++i) {
            index.Write(country, "File" + std::to_string(i + 1), holders[i]);
        }
    }
    std::filesystem::remove(ini_path, ec);
    return index.Save(ini_path).ok();
}

void SetLoadedPlaceFile(const std::filesystem::path& path) { State().loaded_file = path; }

std::optional<PlaceRecord> PlaceFromFileRecord(const PlaceFileRecord& record) {
    const auto latitude = ReadLatitudeText(record.latitude);
    const auto longitude = ReadLongitudeText(record.longitude);
    const auto zone = ReadZoneText(record.timezone_entry);
    if (!latitude || !longitude || !zone) {
        return std::nullopt;
    }
    PlaceRecord place;
    place.placename = record.placename;
    place.country = record.country;
    place.latitude = *latitude;
    place.longitude = *longitude;
    place.zone_hours = zone->hours;
    place.zone_mnemonic = zone->mnemonic;
    place.zone_type = ZoneType::kTable;
    place.table_number = record.table_number;
    return place;
}

bool NoTableWarningOn() { return State().no_table_warning; }

void SetNoTableWarning(bool on) { State().no_table_warning = on; }

PlaceZone GetZoneForPlace(const PlaceRecord& place, const LocalMoment& moment) {
    return GetZoneForPlace(PlacesFolder(), place, moment);
}

PlaceZone GetZoneForPlace(const std::filesystem::path& folder, const PlaceRecord& place,
                          const LocalMoment& moment) {
    PlaceZone zone;
    zone.hours = place.zone_hours;
    zone.mnemonic = place.zone_mnemonic;
    const auto set_error = [&zone] {
        zone.error = true;
        zone.error_text = std::string(kZoneError);
    };
    switch (place.zone_type) {
        case ZoneType::kFixed:
            return zone;
        case ZoneType::kAtlas: {
            const AtlasZone atlas = AtlasZoneAt(place.atlas_keys, place.longitude, moment);
            if (atlas.status != AtlasZoneStatus::kOk) {
                set_error();
                return zone;
            }
            zone.hours = atlas.hours;
            zone.mnemonic = atlas.mnemonic;
            ApplyUnitedKingdomRule(place.country, zone.mnemonic);
            return zone;
        }
        case ZoneType::kTable:
            break;
    }
    std::int32_t table = place.table_number;
    if (table == 0) {
        if (auto record = SearchPlaceFiles(folder, place.placename, place.country)) {
            table = record->table_number;
        }
    }
    if (table < 1) {
        if (NoTableWarningOn()) {
            const int answer = startup::ShowMessage(
                startup::JoinLines({"There is no timezone lookup table for this location.",
                                    kVerifyZone,
                                    "Click OK if you wish to see this message again, or CANCEL "
                                    "to prevent it from appearing again."}),
                startup::kOkCancel + startup::kExclamation, "Time Zone Uncertain");
            if (answer == startup::kAnswerCancel) {
                SetNoTableWarning(false);
            }
        }
        return zone;
    }
    ZoneResult result{zone.hours, zone.mnemonic, false};
    const ZoneLookupStatus status = LookupZone(folder, table, moment, place.longitude, result);
    zone.hours = result.hours;
    zone.mnemonic = result.mnemonic;
    zone.uncertain = result.uncertain;
    if (status == ZoneLookupStatus::kReadError || status == ZoneLookupStatus::kNotInIndex ||
        status == ZoneLookupStatus::kUnknownCode) {
        set_error();
    }
    if (result.uncertain) {
        startup::ShowMessage(
            startup::JoinLines({"The timezone lookup table does not extend to this date, so "
                                "daylight savings may or may not be in effect for this date.",
                                kVerifyZone}),
            startup::kOkOnly + startup::kExclamation, "Time Zone Uncertain");
    }
    return zone;
}

FindPlaceResult FindPlace(std::string_view place, std::string_view country,
                          const LocalMoment& moment) {
    const bool use_atlas = startup::CurrentSession().settings().GetBool("ACSEmbedded");
    return FindPlace(PlacesFolder(), place, country, moment, use_atlas);
}

FindPlaceResult FindPlace(const std::filesystem::path& folder, std::string_view place,
                          std::string_view country, const LocalMoment& moment, bool use_atlas) {
    FindPlaceResult result;
    const std::string name(startup::Trim(place));
    if (use_atlas && !name.empty() && AtlasSetup()) {
        auto cities = AtlasFindCity(name, country);
        if (cities.empty() || startup::UpperText(cities.front().name) != startup::UpperText(name)) {
            // The alternate names of the country in "State.INI", as for the place files.
            const startup::IniFile& states = IniOf(folder / "State.INI");
            const std::string wanted = NormaliseCountry(startup::Trim(country), false);
            for (const std::string& alternate :
                 SplitAlternates(states.Read("Alternates", wanted, ""))) {
                cities = AtlasFindCity(name, alternate);
                if (!cities.empty() &&
                    startup::UpperText(cities.front().name) == startup::UpperText(name)) {
                    break;
                }
            }
        }
        if (!cities.empty() &&
            startup::UpperText(cities.front().name) == startup::UpperText(name)) {
            const AtlasCity& city = cities.front();
            PlaceRecord& record = result.place;
            record.placename = city.name;
            record.country = city.country;
            record.latitude = city.latitude;
            record.longitude = city.longitude;
            record.zone_type = ZoneType::kAtlas;
            record.atlas_keys = city.keys;
            const PlaceZone zone = GetZoneForPlace(folder, record, moment);
            record.zone_hours = zone.hours;
            record.zone_mnemonic = zone.mnemonic;
            result.found = !zone.error;
            if (result.found) {
                return result;
            }
        }
    }
    std::optional<PlaceRecord> record;
    if (!name.empty()) {
        if (auto stored = SearchPlaceFiles(folder, name, country)) {
            record = PlaceFromFileRecord(*stored);
        }
    }
    if (!record) {
        startup::ShowMessage(
            "The place name '" + startup::UpperText(name) + "' was not found in any place file.",
            startup::kExclamation, "Place Not Found");
        return FindPlaceResult{};
    }
    result.place = *record;
    const PlaceZone zone = GetZoneForPlace(folder, result.place, moment);
    result.place.zone_hours = zone.hours;
    result.place.zone_mnemonic = zone.mnemonic;
    result.uncertain = zone.uncertain;
    result.found = true;
    return result;
}

std::optional<FindPlaceResult> FindPlaceForMoment(std::string_view place, std::string_view country,
                                                  const LocalMoment& moment) {
    FindPlaceResult result = FindPlace(place, country, moment);
    if (!result.found) {
        return std::nullopt;
    }
    return result;
}

std::vector<PlaceRecord> LoadPersonalList(const std::filesystem::path& folder) {
    std::vector<PlaceRecord> list;
    const std::filesystem::path path = folder / "axpa.dat";
    const auto bytes = startup::ReadFileBytes(path, 16u << 20);
    if (!bytes) {
        return list;
    }
    const std::string text = startup::Windows1252ToUtf8(*bytes);
    const std::vector<std::string_view> lines = startup::SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty() && i + 1 == lines.size()) {
            break;
        }
        std::vector<std::string_view> fields;
        std::size_t field_start = 0;
        while (true) {
            const std::size_t tab = line.find('\t', field_start);
            fields.push_back(line.substr(field_start, tab == std::string_view::npos
                                                          ? std::string_view::npos
                                                          : tab - field_start));
            if (tab == std::string_view::npos) {
                break;
            }
            field_start = tab + 1;
        }
        PlaceRecord place;
        bool valid = fields.size() == 6;
        if (valid) {
            // Coordinates are read without the locale; "nan" and "inf" are not coordinates.
            const auto latitude = startup::ParseLeadingDouble(fields[2]);
            const auto longitude = startup::ParseLeadingDouble(fields[3]);
            place.placename = startup::Trim(fields[0]);
            place.country = startup::Trim(fields[1]);
            place.latitude = latitude.value_or(0.0);
            place.longitude = longitude.value_or(0.0);
            valid = latitude && longitude;
        }
        if (!valid) {
            startup::ShowMessage("Error during file read:\n" + path.filename().string(),
                                 startup::kCritical, "Error");
            break;
        }
        place.atlas_keys.key1 =
            static_cast<std::int16_t>(startup::ParseLeadingInteger(fields[4]).value_or(0));
        place.atlas_keys.key2 =
            static_cast<std::int16_t>(startup::ParseLeadingInteger(fields[5]).value_or(0));
        place.zone_type = place.atlas_keys.key1 != 0 && place.atlas_keys.key2 != 0
                              ? ZoneType::kAtlas
                              : ZoneType::kFixed;
        list.push_back(std::move(place));
    }
    return list;
}

bool SavePersonalList(const std::filesystem::path& folder, const std::vector<PlaceRecord>& list) {
    std::string text;
    for (const PlaceRecord& place : list) {
        text += place.placename + '\t' + place.country + '\t' +
                startup::FormatFixed(place.latitude, 6) + '\t' +
                startup::FormatFixed(place.longitude, 6) + '\t' +
                std::to_string(place.atlas_keys.key1) + '\t' +
                std::to_string(place.atlas_keys.key2) + "\r\n";
    }
    const std::filesystem::path path = folder / "axpa.dat";
    if (!startup::WriteFileSafely(path, startup::Utf8ToWindows1252(text),
                                  startup::WriteOptions::CreatingFolders())
             .ok()) {
        startup::ShowMessage("Error during file write:\n" + path.filename().string(),
                             startup::kCritical, "Error");
        return false;
    }
    return true;
}

}  // namespace meridia::places
