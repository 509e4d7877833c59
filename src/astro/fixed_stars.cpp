#include "astro/fixed_stars.h"

#include <swephexp.h>

#include <array>
#include <system_error>
#include <unordered_set>

#include "astro/angles.h"
#include "astro/chart_table.h"
#include "astro/ephemeris.h"
#include "startup/file_io.h"
#include "startup/session.h"
#include "startup/text_tools.h"

namespace meridia::astro {

namespace {

using startup::Status;
using startup::StatusCode;
using startup::StatusOr;

constexpr std::size_t kMinStarFields = 14;
constexpr std::size_t kMagnitudeField = 13;

struct StarCatalogueState {
    bool read = false;
    StatusOr<StarCatalogue> catalogue{Status(StatusCode::kNotFound, "")};
};

Status Damaged(const std::filesystem::path& path, int line, std::string_view what) {
    return Status(StatusCode::kDamaged,
                  "The fixed star catalogue " + path.string() + " is damaged (line " +
                      std::to_string(line) + ": " + std::string(what) + ").",
                  "File Error", path);
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(startup::Trim(line.substr(start, comma - start)));
        if (comma == std::string_view::npos || fields.size() > 64) {
            break;
        }
        start = comma + 1;
    }
    return fields;
}

// The folders the library searches, in its order, the system folder when none is set.
std::vector<std::filesystem::path> EphemerisFolders() {
    EnsureEphemeris();
    std::vector<std::filesystem::path> folders;
    const std::string& list = Ephemeris().search_path;
    std::size_t start = 0;
    while (start <= list.size() && !list.empty()) {
        const std::size_t colon = list.find(':', start);
        const std::string folder = list.substr(start, colon - start);
        if (!folder.empty()) {
            folders.emplace_back(folder);
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    if (folders.empty()) {
        folders.emplace_back(kSystemEphemerisFolder);
    }
    return folders;
}

}  // namespace

StatusOr<StarCatalogue> ParseStarCatalogue(std::string_view text,
                                           const std::filesystem::path& path) {
    StarCatalogue catalogue;
    catalogue.path = path;
    std::unordered_set<std::string> seen;
    int number = 0;
    for (const std::string_view raw : startup::SplitLines(text)) {
        ++number;
        const std::string_view line = startup::Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() < kMinStarFields) {
            return Damaged(path, number, "too few fields");
        }
        if (fields[1].empty()) {
            return Damaged(path, number, "no nomenclature");
        }
        const auto magnitude = startup::ParseDouble(fields[kMagnitudeField]);
        if (!magnitude) {
            return Damaged(path, number, "the magnitude is not a number");
        }
        // The library's file repeats a few stars at its top for its own older lookup: a star
        // is listed once.
        if (!seen.insert(startup::UpperAscii(fields[0]) + "," + startup::UpperAscii(fields[1]))
                 .second) {
            continue;
        }
        catalogue.stars.push_back({std::string(fields[0]), std::string(fields[1]), *magnitude});
    }
    if (catalogue.stars.empty()) {
        return Damaged(path, number, "no star");
    }
    return catalogue;
}

const StatusOr<StarCatalogue>& CurrentStarCatalogue() {
    StarCatalogueState& state = startup::CurrentSession().Get<StarCatalogueState>();
    if (state.read) {
        return state.catalogue;
    }
    state.read = true;
    for (const std::filesystem::path& folder : EphemerisFolders()) {
        const std::filesystem::path path = folder / kStarCatalogueFile;
        StatusOr<std::string> bytes = startup::ReadFileLimited(path, kMaxStarCatalogueBytes);
        if (!bytes.ok()) {
            if (bytes.status().code() == StatusCode::kNotFound) {
                continue;
            }
            state.catalogue =
                Status(bytes.status().code(),
                       "The fixed star catalogue " + path.string() + " cannot be read.",
                       "File Error", path);
            return state.catalogue;
        }
        state.catalogue = ParseStarCatalogue(*bytes, path);
        return state.catalogue;
    }
    state.catalogue = Status(StatusCode::kNotFound,
                             std::string("The fixed star catalogue ") + kStarCatalogueFile +
                                 " is not in the ephemeris folder.",
                             "File Not Found");
    return state.catalogue;
}

const StarEntry* FindStar(const StarCatalogue& catalogue, std::string_view name) {
    const std::string_view wanted = startup::Trim(name);
    if (wanted.empty()) {
        return nullptr;
    }
    for (const StarEntry& star : catalogue.stars) {
        if (startup::EqualNoCase(star.name, wanted) ||
            startup::EqualNoCase(star.nomenclature, wanted)) {
            return &star;
        }
    }
    return nullptr;
}

std::string StarKey(const StarEntry& star) {
    return star.name.empty() ? "," + star.nomenclature : star.name;
}

std::optional<StarPosition> CalcStarPos(const std::string& key, double jd_et, bool heliocentric,
                                        double true_obliquity) {
    EnsureEphemeris();
    // The library writes the full name back into the buffer it is given.
    std::array<char, SE_MAX_STNAME * 2 + 2> star{};
    if (key.empty() || key.size() >= star.size()) {
        return std::nullopt;
    }
    key.copy(star.data(), key.size());
    int flags = SEFLG_SPEED | EphemerisModeFlags();
    if (heliocentric) {
        flags |= SEFLG_HELCTR;
    }
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    if (swe_fixstar2(star.data(), jd_et, flags, x.data(), serr) < 0) {
        return std::nullopt;
    }
    StarPosition place;
    place.longitude = x[0];
    place.latitude = x[1];
    place.distance = x[2];
    place.speed = x[3];
    place.latitude_speed = x[4];
    place.distance_speed = x[5];
    // Ecliptic of date to equator of date: a rotation by the true obliquity (negative angle).
    std::array<double, 6> ecliptic{x[0], x[1], 1.0, x[3], x[4], 0.0};
    std::array<double, 6> equatorial{};
    swe_cotrans_sp(ecliptic.data(), equatorial.data(), -true_obliquity);
    place.right_ascension = equatorial[0];
    place.declination = equatorial[1];
    return place;
}

StatusOr<std::vector<StarListing>> ListStars(const ChartSlot& slot, std::string_view name) {
    const StatusOr<StarCatalogue>& catalogue = CurrentStarCatalogue();
    if (!catalogue.ok()) {
        return catalogue.status();
    }
    const std::string_view wanted = startup::Trim(name);
    const double true_obliquity = Obliquity(slot.julian_day, true);
    std::vector<StarListing> list;
    for (const StarEntry& star : catalogue->stars) {
        if (!wanted.empty() && !startup::EqualNoCase(star.name, wanted) &&
            !startup::EqualNoCase(star.nomenclature, wanted)) {
            continue;
        }
        StarListing entry;
        entry.name = star.name;
        entry.nomenclature = star.nomenclature;
        entry.magnitude = star.magnitude;
        if (const auto place = CalcStarPos(StarKey(star), slot.julian_day, slot.record.coords == 2,
                                           true_obliquity)) {
            entry.longitude = ModFloor(place->longitude + slot.zodiac_offset, 360.0);
            entry.latitude = place->latitude;
            entry.right_ascension = place->right_ascension;
            entry.declination = place->declination;
        }
        list.push_back(std::move(entry));
    }
    if (list.empty()) {
        return Status(StatusCode::kRefused,
                      "No star of the catalogue is named \"" + std::string(wanted) + "\".",
                      "Fixed Stars");
    }
    return list;
}

}  // namespace meridia::astro
