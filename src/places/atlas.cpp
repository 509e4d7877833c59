#include "places/atlas.h"

#include <dlfcn.h>
#include <geonames/geonames.h>

#include <QByteArray>
#include <QList>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "places/iana_zones.h"
#include "places/place_files.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/session.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::places {

namespace {

constexpr int kFirstChangeYear = 1800;
constexpr int kMinimumEndYear = 2100;

struct CityEntry {
    AtlasCity city;
    std::string upper_name;
    std::string upper_country;
    std::string upper_list_country;
    std::string upper_code;
    std::string upper_state;
};

// The calls of the city-list library. The library (and the GLib libraries it pulls in) is
// opened on the first atlas call rather than linked, so that a run that looks up no place
// does not pay for loading it.
struct GeonamesCalls {
    decltype(&geonames_get_n_cities) get_n_cities = nullptr;
    decltype(&geonames_get_city) get_city = nullptr;
    decltype(&geonames_city_free) city_free = nullptr;
    decltype(&geonames_city_get_name) get_name = nullptr;
    decltype(&geonames_city_get_state) get_state = nullptr;
    decltype(&geonames_city_get_country) get_country = nullptr;
    decltype(&geonames_city_get_country_code) get_country_code = nullptr;
    decltype(&geonames_city_get_timezone) get_timezone = nullptr;
    decltype(&geonames_city_get_latitude) get_latitude = nullptr;
    decltype(&geonames_city_get_longitude) get_longitude = nullptr;
    decltype(&geonames_city_get_population) get_population = nullptr;
};

template <class F>
bool Resolve(void* library, const char* name, F& call) {
    call = reinterpret_cast<F>(dlsym(library, name));
    return call != nullptr;
}

// The library's calls, or nullptr when it cannot be opened (the atlas is then empty).
const GeonamesCalls* Geonames() {
    static const GeonamesCalls* calls = []() -> const GeonamesCalls* {
        void* library = dlopen(MERIDIA_GEONAMES_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            return nullptr;
        }
        static GeonamesCalls resolved;
        GeonamesCalls& c = resolved;
        const bool ok = Resolve(library, "geonames_get_n_cities", c.get_n_cities) &&
                        Resolve(library, "geonames_get_city", c.get_city) &&
                        Resolve(library, "geonames_city_free", c.city_free) &&
                        Resolve(library, "geonames_city_get_name", c.get_name) &&
                        Resolve(library, "geonames_city_get_state", c.get_state) &&
                        Resolve(library, "geonames_city_get_country", c.get_country) &&
                        Resolve(library, "geonames_city_get_country_code", c.get_country_code) &&
                        Resolve(library, "geonames_city_get_timezone", c.get_timezone) &&
                        Resolve(library, "geonames_city_get_latitude", c.get_latitude) &&
                        Resolve(library, "geonames_city_get_longitude", c.get_longitude) &&
                        Resolve(library, "geonames_city_get_population", c.get_population);
        return ok ? &resolved : nullptr;
    }();
    return calls;
}

// The city list is fixed library data: read once per process.
const std::vector<CityEntry>& Cities() {
    static const std::vector<CityEntry> kCities = [] {
        std::vector<CityEntry> list;
        const GeonamesCalls* calls = Geonames();
        if (calls == nullptr) {
            return list;
        }
        const GeonamesCalls& gn = *calls;
        const gint count = gn.get_n_cities();
        list.reserve(static_cast<std::size_t>(std::max(count, 0)));
        for (gint i = 0; i < count; ++i) {
            GeonamesCity* raw = gn.get_city(i);
            if (raw == nullptr) {
                continue;
            }
            const auto text = [](const gchar* value) {
                return value == nullptr ? std::string() : std::string(value);
            };
            CityEntry entry;
            entry.city.name = text(gn.get_name(raw));
            entry.city.state = text(gn.get_state(raw));
            const std::string list_country = text(gn.get_country(raw));
            entry.city.country = AtlasCountryName(list_country);
            entry.city.latitude = gn.get_latitude(raw);
            // The city list counts longitude east positive; the program west positive.
            entry.city.longitude = -gn.get_longitude(raw);
            entry.city.zone_id = text(gn.get_timezone(raw));
            entry.city.keys = AtlasKeysForZone(entry.city.zone_id);
            entry.city.population = gn.get_population(raw);
            entry.upper_code = startup::UpperText(text(gn.get_country_code(raw)));
            gn.city_free(raw);
            entry.upper_name = startup::UpperText(entry.city.name);
            entry.upper_country = startup::UpperText(entry.city.country);
            entry.upper_list_country = startup::UpperText(list_country);
            entry.upper_state = startup::UpperText(entry.city.state);
            list.push_back(std::move(entry));
        }
        return list;
    }();
    return kCities;
}

// The cities' upper-cased names in sorted order, with their places in the city list.
const std::vector<std::pair<std::string, std::size_t>>& NameIndex() {
    static const auto kIndex = [] {
        std::vector<std::pair<std::string, std::size_t>> names;
        const auto& cities = Cities();
        names.reserve(cities.size());
        for (std::size_t i = 0; i < cities.size(); ++i) {
            names.emplace_back(cities[i].upper_name, i);
        }
        std::sort(names.begin(), names.end());
        return names;
    }();
    return kIndex;
}

// The zones the keys can name: every zone the system knows and every zone of the city list.
const std::map<std::pair<std::int16_t, std::int16_t>, std::string>& ZonesByKeys() {
    static const auto kZones = [] {
        std::map<std::pair<std::int16_t, std::int16_t>, std::string> map;
        const auto add = [&map](const std::string& id) {
            const AtlasZoneKeys keys = AtlasKeysForZone(id);
            map.emplace(std::make_pair(keys.key1, keys.key2), id);
        };
        for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
            add(id.toStdString());
        }
        for (const CityEntry& entry : Cities()) {
            add(entry.city.zone_id);
        }
        return map;
    }();
    return kZones;
}

// Change lists computed in this session, by zone.
struct AtlasState {
    bool set_up = false;
    bool ready = false;
    std::map<std::string, std::pair<int, IanaZoneChanges>> changes;  // zone -> (end year, list)
};

const IanaZoneChanges& ChangesOf(const std::string& zone_id, int end_year) {
    auto& state = startup::CurrentSession().Get<AtlasState>();
    auto it = state.changes.find(zone_id);
    if (it == state.changes.end() || it->second.first < end_year) {
        state.changes[zone_id] = {end_year,
                                  ListIanaZoneChanges(zone_id, kFirstChangeYear, end_year)};
        it = state.changes.find(zone_id);
    }
    return it->second.second;
}

bool NotAfter(const LocalMoment& a, const LocalMoment& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute) <=
           std::tie(b.year, b.month, b.day, b.hour, b.minute);
}

std::string Mnemonic(const std::string& abbreviation) {
    return abbreviation.substr(0, kZoneMnemonicWidth);
}

}  // namespace

bool AtlasSetup() {
    auto& state = startup::CurrentSession().Get<AtlasState>();
    if (!state.set_up) {
        state.set_up = true;
        state.ready = !Cities().empty();
    }
    return state.ready;
}

std::string AtlasCountryName(std::string_view list_country) {
    static const std::map<std::string_view, std::string_view> kShortNames = {
        {"Bosnia and Herzegovina", "Bosnia-Herzegovina"},
        {"Caribbean Netherlands", "Caribbean Nethrlnds"},
        {"Central African Republic", "Central African Rep"},
        {"French Southern Territories", "French Southern Terr"},
        {"Hashemite Kingdom of Jordan", "Jordan"},
        {"Northern Mariana Islands", "Northern Marianas"},
        {"Principality of Monaco", "Monaco"},
        {"Republic of Lithuania", "Lithuania"},
        {"Saint Pierre and Miquelon", "St Pierre & Miquelon"},
        {"St Vincent and Grenadines", "St Vincent"},
        {"Svalbard and Jan Mayen", "Svalbard"},
        {"São Tomé and Príncipe", "São Tomé & Príncipe"},
        {"United States of America", "United States"},
    };
    const auto it = kShortNames.find(list_country);
    return std::string(it == kShortNames.end() ? list_country : it->second);
}

std::vector<AtlasCity> AtlasFindCity(std::string_view place, std::string_view country) {
    const std::string name = startup::UpperText(startup::Trim(place));
    const std::string wanted = startup::UpperText(NormaliseCountry(startup::Trim(country), false));
    std::vector<std::pair<int, const CityEntry*>> hits;
    if (name.empty()) {
        return {};
    }
    const auto& index = NameIndex();
    auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(name, std::size_t{0}));
    for (; it != index.end() && it->first.compare(0, name.size(), name) == 0; ++it) {
        const CityEntry& entry = Cities()[it->second];
        const int rank = entry.upper_name == name ? 0 : 1;
        if (!wanted.empty() && wanted != entry.upper_country &&
            wanted != entry.upper_list_country && wanted != entry.upper_code &&
            wanted != entry.upper_state) {
            continue;
        }
        hits.emplace_back(rank, &entry);
    }
    std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) {
        return std::make_tuple(a.first, -static_cast<long>(a.second->city.population)) <
               std::make_tuple(b.first, -static_cast<long>(b.second->city.population));
    });
    std::vector<AtlasCity> result;
    result.reserve(hits.size());
    for (const auto& hit : hits) {
        result.push_back(hit.second->city);
    }
    return result;
}

std::vector<AtlasCity> AtlasAllCities() {
    std::vector<AtlasCity> result;
    result.reserve(Cities().size());
    for (const CityEntry& entry : Cities()) {
        result.push_back(entry.city);
    }
    return result;
}

std::vector<std::string> AtlasCountries() {
    std::vector<std::string> names;
    for (const CityEntry& entry : Cities()) {
        names.push_back(entry.city.country);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

AtlasZoneKeys AtlasKeysForZone(std::string_view zone_id) {
    // FNV-1a, 32 bits, split into the two 16-bit keys; a zero half is moved to 1 so that a
    // place with atlas keys always has two non-zero keys.
    std::uint32_t hash = 2166136261u;
    for (const char ch : zone_id) {
        hash ^= static_cast<unsigned char>(ch);
        hash *= 16777619u;
    }
    auto high = static_cast<std::uint16_t>(hash >> 16);
    auto low = static_cast<std::uint16_t>(hash & 0xFFFFu);
    if (high == 0) {
        high = 1;
    }
    if (low == 0) {
        low = 1;
    }
    return {static_cast<std::int16_t>(high), static_cast<std::int16_t>(low)};
}

std::string AtlasZoneForKeys(AtlasZoneKeys keys) {
    const auto& zones = ZonesByKeys();
    const auto it = zones.find({keys.key1, keys.key2});
    return it == zones.end() ? std::string() : it->second;
}

AtlasZone AtlasZoneAt(AtlasZoneKeys keys, double longitude, const LocalMoment& moment) {
    AtlasZone zone;
    const std::string zone_id = AtlasZoneForKeys(keys);
    if (zone_id.empty()) {
        zone.status = AtlasZoneStatus::kUnknownZone;
        return zone;
    }
    const IanaZoneChanges& list = ChangesOf(zone_id, std::max(kMinimumEndYear, moment.year + 2));
    const auto after = std::find_if(
        list.changes.begin(), list.changes.end(),
        [&moment](const IanaZoneChange& change) { return !NotAfter(change.local_start, moment); });
    if (after == list.changes.begin()) {
        zone.hours = std::round(longitude * 60.0) / kZoneUnitsPerHour;
        zone.mnemonic = "LMT";
        return zone;
    }
    const IanaZoneChange& change = *std::prev(after);
    zone.hours =
        static_cast<double>(ZoneUnitsFromOffset(change.offset_seconds)) / kZoneUnitsPerHour;
    zone.mnemonic = Mnemonic(change.abbreviation);
    return zone;
}

std::vector<AtlasZoneChange> AtlasZoneChanges(AtlasZoneKeys keys) {
    std::vector<AtlasZoneChange> result;
    const std::string zone_id = AtlasZoneForKeys(keys);
    if (zone_id.empty()) {
        return result;
    }
    for (const IanaZoneChange& change : ChangesOf(zone_id, kMinimumEndYear).changes) {
        result.push_back(
            {change.local_start,
             static_cast<double>(ZoneUnitsFromOffset(change.offset_seconds)) / kZoneUnitsPerHour,
             Mnemonic(change.abbreviation), change.daylight});
    }
    return result;
}

}  // namespace meridia::places
