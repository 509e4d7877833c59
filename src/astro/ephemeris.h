// Ephemeris access: body positions with speeds, obliquity, node longitude, topocentric Moon,
// asteroid names and nodes/apsides from the Swiss Ephemeris library, in file mode when its
// data files are found and in its analytical mode otherwise.
// Time argument: Julian day in ephemeris time (jd_et). Angles in degrees, speeds in degrees
// per day, distances in AU. The library keeps global state: one thread at a time.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "astro/chart_table.h"

namespace meridia::astro {

// Per-session ephemeris state, set by FindSwissEphemerisPath.
struct EphemerisState {
    bool initialised = false;
    bool swiss_mode = false;     // data files found: positions from the files
    bool missing_files = false;  // no usable folder: the analytical mode is used
    std::string path;            // folder of the planet and Moon ".se1" files, ending in "/"
    std::string search_path;     // the folders given to the library, separated by ':'
    // Numbered asteroids whose file the library did not find in the folders (longitude -1 at
    // every date); forgotten when the folders are set again.
    std::vector<int> bodies_without_file;
    // Counts the times the library's folders were set or its files closed: what was derived
    // from its data before (the stars' space motions) is derived again.
    int generation = 0;
};

inline constexpr const char* kSystemEphemerisFolder = "/usr/share/libswe/ephe";
// Subfolder of the program folder with the asteroid files the program ships.
inline constexpr const char* kProgramEphemerisSubfolder = "ephe";
// The longest search path the library keeps (its buffer holds 256 characters).
inline constexpr std::size_t kMaxSearchPathLength = 255;
inline constexpr const char* kFilesMissingText =
    "Swiss Ephemeris file/s missing or incorrectly installed.";

EphemerisState& Ephemeris();

// Looks for the folder of the planet and Moon files ("sepl*.se1", "semo*.se1"): SE_EPHE_PATH,
// then the setting "SwissEphemPath" (the system's data folder when the setting is empty);
// each may be a list of folders separated by ':' or ';', and the first folder of a list that
// holds the files decides. On success the library searches that folder, the rest of its list,
// then the program's "ephe" folder (the shipped asteroid files), and Swiss mode is set;
// otherwise the missing-files flag, and positions come from the library's analytical mode.
// Returns the Swiss mode flag.
bool FindSwissEphemerisPath();
// Runs FindSwissEphemerisPath once per session.
void EnsureEphemeris();
void SetSwissEphemerisPath(const std::string& path);
void CloseEphemeris();

// The library flag bits that select the current mode (files or analytical).
int EphemerisModeFlags();

// Swiss Ephemeris body number of a fixed point, or -1 for points without a body (Earth,
// South Node, angles and derived points).
int SwissBodyOf(int point, bool true_node, bool true_black_moon);

struct PositionOptions {
    bool true_node = true;
    bool true_black_moon = false;
    int vulcan_calc = 1;  // 2: Vulcan placed by the Mercury rule
};

enum class PositionStatus {
    kOk,
    kFilesMissing,  // the planet or Moon files are missing; the message has been shown
    kOutOfRange,    // the Sun or the Moon could not be calculated at this date
};

// Fills longitude (zodiac offset added, [0, 360)), latitude, speeds, distance, distance speed
// and retrograde flag of the fixed points first..last of the slot (0 = 1 and 0 = all in use).
// A body that cannot be calculated gets longitude -1; the rest is still calculated.
PositionStatus CalcPositions(ChartSlot& slot, int first, int last, double jd_et,
                             double zodiac_offset, const PositionOptions& options);

// Longitude (zodiac offset added, [0, 360)) and latitude of the geocentric Moon at jd_et,
// calculated in a scratch slot; nothing when it cannot be calculated.
struct MoonPlace {
    double longitude = 0.0;
    double latitude = 0.0;
};
std::optional<MoonPlace> MoonPosition(double jd_et, double zodiac_offset);

// Replaces the Moon of the slot by its topocentric position for the place (latitude north
// positive, longitude west positive, degrees). Returns false when it failed (longitude -1).
bool TopocentricMoon(ChartSlot& slot, double jd_et, double zodiac_offset, double latitude,
                     double longitude_west);

// One body of the library (its own body number; a numbered asteroid is its number + 10000) at
// jd_et, geocentric or heliocentric, with speeds: tropical longitude, latitude, distance and
// their daily speeds. Nothing when it cannot be calculated (an asteroid whose file is missing
// is remembered, as for the fixed points).
std::optional<std::array<double, 6>> BodyPosition(double jd_et, int body, bool heliocentric);
// The library's body number of asteroid n.
int AsteroidBody(int number);

// True or mean obliquity of the ecliptic, degrees.
double Obliquity(double jd_et, bool true_obliquity);
// Longitude of the Moon's true or mean node, degrees; -1 when it cannot be calculated.
double NodeLongitude(double jd_et, bool true_node);
// The library's name of asteroid number n.
std::string AsteroidName(int number);

struct NodesApsides {
    std::array<double, 6> ascending{};
    std::array<double, 6> descending{};
    std::array<double, 6> perihelion{};
    std::array<double, 6> aphelion{};
};
// Nodes and apsides of a body (method as the library defines it, 5 for osculating with
// focal points). Returns false when the library reports an error.
bool NodesAndApsides(double jd_et, int body, int flags, int method, NodesApsides& result);

}  // namespace meridia::astro
