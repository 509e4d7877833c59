// Fixed stars: the ephemeris library's star catalogue ("sefstars.txt", found in the folders of
// the ephemeris search path) read for the names, nomenclatures and magnitudes of its stars, and
// star positions equal to the library's own star function's. Time argument: Julian day in ephemeris
// time (jd_et). Longitudes and latitudes ecliptic of date, right ascension and declination
// equatorial of date (apparent places, as the library gives them), degrees; speeds in degrees
// per day. The library keeps global state: one thread at a time.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/chart_table.h"
#include "startup/status.h"

namespace meridia::astro {

inline constexpr const char* kStarCatalogueFile = "sefstars.txt";
// The largest catalogue read (the library's own file holds about 140 kB).
inline constexpr std::size_t kMaxStarCatalogueBytes = std::size_t{8} * 1024U * 1024U;

struct StarEntry {
    std::string name;          // traditional name ("Aldebaran"); may be empty
    std::string nomenclature;  // Bayer or catalogue designation ("alTau")
    double magnitude = 0.0;    // visual magnitude
};

struct StarCatalogue {
    std::filesystem::path path;
    std::vector<StarEntry> stars;  // in file order
};

// Reads a catalogue: one star a line, comma-separated fields (name, nomenclature, equinox,
// right ascension h m s, declination d m s, proper motions, radial velocity, parallax,
// magnitude...); lines starting with "#" and blank lines are skipped, and so is a line that
// repeats the name and nomenclature of an earlier one. A line with fewer than 14
// fields, without a nomenclature or with a magnitude that is not a number refuses the file with
// a message naming it and the line.
startup::StatusOr<StarCatalogue> ParseStarCatalogue(std::string_view text,
                                                    const std::filesystem::path& path);

// The catalogue of the ephemeris folders: the first folder of the search path that holds
// "sefstars.txt". Read once per session; the status says why there is none.
const startup::StatusOr<StarCatalogue>& CurrentStarCatalogue();

// The star of the catalogue whose name or nomenclature equals the text (ASCII case ignored,
// blanks around it dropped); the first such star in file order.
const StarEntry* FindStar(const StarCatalogue& catalogue, std::string_view name);

// The text the library's star function is asked with: the traditional name when the star has
// one, else "," and the nomenclature.
std::string StarKey(const StarEntry& star);

// A star's place at jd_et: tropical ecliptic longitude, latitude, distance (AU) and their daily
// speeds, and the equatorial right ascension and declination of date. Heliocentric when asked.
struct StarPosition {
    double longitude = 0.0;
    double latitude = 0.0;
    double distance = 0.0;
    double speed = 0.0;
    double latitude_speed = 0.0;
    double distance_speed = 0.0;
    double right_ascension = 0.0;
    double declination = 0.0;
};
// Nothing when the library cannot calculate the star (no catalogue, unknown key). The
// equatorial place is the ecliptic one turned by the true obliquity of the date
// (true_obliquity), which is how the library derives one from the other.
std::optional<StarPosition> CalcStarPos(const std::string& key, double jd_et, bool heliocentric,
                                        double true_obliquity);

// Every star of the catalogue (or those whose name or nomenclature equals `name`, when it is
// not empty) at the moment of a calculated slot: longitude and latitude in the chart's zodiac,
// right ascension and declination of date. A name that no star has gives kRefused; a missing
// or damaged catalogue its status.
struct StarListing {
    std::string name;
    std::string nomenclature;
    double magnitude = 0.0;
    double longitude = -1.0;  // -1 when the library cannot calculate the star
    double latitude = 0.0;
    double right_ascension = 0.0;
    double declination = 0.0;
};

startup::StatusOr<std::vector<StarListing>> ListStars(const ChartSlot& slot, std::string_view name);

}  // namespace meridia::astro
