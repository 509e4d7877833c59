// Extra chart points 51 and up: one definition per point (its kind, its parameters, its
// abbreviation, name and glyph) and one calculation step, run at the end of every chart
// calculation, that fills the slot's point arrays for them as for the fixed points: longitude
// in the chart's zodiac ([0, 360), -1 when the point cannot be calculated), latitude, speeds,
// distance, declination, right ascension, retrograde flag and house.
//
// Kinds, and the item text that defines each (the `--extra` list of the command line and the
// lines of the definition files use the same words):
//   star:NAME          a star of the library's catalogue, by name or nomenclature; its place
//                      (ecliptic and equatorial) is the library's star function's
//   midpoint:P1/P2     the midpoint of the shorter arc between two points (fixed points or
//                      earlier extra points, by number, abbreviation or name); latitude and
//                      speeds the means of the two
//   position:POS       a fixed position of the chart's zodiac, typed like an angle ("15Ar30");
//                      latitude and speed 0
//   cusp:N             house cusp N (1..12), with its daily motion as the sky turns
//   asteroid:NUMBER    a numbered asteroid from the library's asteroid files; -1, silently,
//                      when its file is not in the ephemeris folders
//   part:NAME          a lot of the parts file in force (setting PartsFileName), by name or
//                      abbreviation (astro/arabic_parts.h)
//   prenatal-lunation  the Moon's place at the last new or full Moon before the chart; speed 0
//   prenatal-eclipse   the place of the last eclipse before the chart, from the finder the
//                      eclipse catalogues install (SetPriorEclipseFinder); -1 without one
// Angles in degrees, speeds in degrees per day; Julian days as named (jd_ut, jd_et).
// Single-threaded, like the chart table.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/arabic_parts.h"
#include "astro/chart_table.h"
#include "startup/status.h"

namespace meridia::astro {

enum class ExtraKind { kStar, kMidpoint, kPosition, kCusp, kAsteroid, kPart, kLunation, kEclipse };

// "star", "midpoint", "position", "cusp", "asteroid", "part", "lunation", "eclipse".
std::string_view ExtraKindName(ExtraKind kind);

struct ExtraPointDefinition {
    ExtraKind kind = ExtraKind::kPosition;
    std::string definition;    // the item as given ("star:Aldebaran")
    std::string abbreviation;  // display abbreviation (at most 8 characters)
    std::string name;          // display name
    int glyph = 0;             // character code of the program's symbol font; 0 = none
    // Parameters of the kind.
    std::string star_key;   // kStar: what the library's star function is asked with
    std::string star_name;  // kStar: the catalogue's name and nomenclature
    std::string star_nomenclature;
    double magnitude = 0.0;  // kStar
    int point_a = 0;         // kMidpoint: point numbers (an extra point only an earlier one)
    int point_b = 0;
    double position = 0.0;                   // kPosition: degrees of the chart's zodiac, [0, 360)
    int cusp = 0;                            // kCusp: 1..12
    int asteroid = 0;                        // kAsteroid: the asteroid's number
    std::shared_ptr<const PartsFile> parts;  // kPart: the parts file and the lot in it
    int lot = -1;
};

inline constexpr std::size_t kMaxExtraAbbreviationLength = 8;
inline constexpr std::size_t kMaxExtraNameLength = 40;
// Definition files hold text; none is larger than this.
inline constexpr std::size_t kMaxExtraPointFileBytes = std::size_t{64} * 1024U;
// The file kinds of extra-point definitions: user-defined points, extra ring points, fixed
// stars, asteroids (all in "Points & Colors"), and the extra points in use ("Settings").
inline constexpr const char* kUserPointsExtension = ".ptu";
inline constexpr const char* kRingPointsExtension = ".pte";
inline constexpr const char* kStarListExtension = ".fst";
inline constexpr const char* kAsteroidListExtension = ".ast";
inline constexpr const char* kExtraPointsInUseFile = "planparm.fil";

// Reads one item of an extra-point list (the kinds above). `earlier` are the extra points
// before it (numbers 51...), which midpoints may name. A refused item gives kRefused with a
// message that names it; a file the item needs (star catalogue, parts file) that cannot be
// read gives that file's status.
startup::StatusOr<ExtraPointDefinition> ParseExtraItem(
    std::string_view item, const std::vector<ExtraPointDefinition>& earlier);

// Reads a comma list of items and definition-file paths (a path stands for every definition
// of the file; a parts file ".arp" for every lot in it), in order, after the `earlier` points.
// More than 50 extra points in all are refused.
startup::StatusOr<std::vector<ExtraPointDefinition>> ParseExtraList(
    std::string_view list, const std::vector<ExtraPointDefinition>& earlier = {});

// A definition file: UTF-8 text, one point a line, "ITEM [| ABBREVIATION [| NAME [| GLYPH]]]"
// (ITEM as above; empty fields keep the item's own), lines starting with "#" and blank lines
// skipped. The file holds no count: at most 50 points are read. A star list (".fst") may hold
// only stars, an asteroid list (".ast") only asteroids. Any line that cannot be read refuses
// the whole file with a message that names the file and the line.
startup::StatusOr<std::vector<ExtraPointDefinition>> ParseExtraPointFile(
    std::string_view text, const std::filesystem::path& path,
    const std::vector<ExtraPointDefinition>& earlier = {});
startup::StatusOr<std::vector<ExtraPointDefinition>> ReadExtraPointFile(
    const std::filesystem::path& path, const std::vector<ExtraPointDefinition>& earlier = {});
// The text of a definition file that reads back to the same points.
std::string FormatExtraPointFile(const std::vector<ExtraPointDefinition>& points);
startup::Status WriteExtraPointFile(const std::filesystem::path& path,
                                    const std::vector<ExtraPointDefinition>& points);

// The file a name stands for: a name with a folder as it stands; otherwise, with the
// extension added when it has none, the file of "Points & Colors" ("Settings" for
// "planparm.fil") of the user-files folder, else the factory copy of the program folder.
std::filesystem::path ExtraFilePath(std::string_view name, std::string_view extension);
// The parts file in force: setting PartsFileName (factory "allparts"), read once per session
// and again when the setting changes.
startup::StatusOr<std::shared_ptr<const PartsFile>> PartsFileInForce();

// The extra points in use. Setting them sets the number of points in use (SetExtraPointCount)
// and the display names of points 51 and up in the name tables (abbreviation|name|name);
// more than 50 are refused and nothing changes.
startup::Status SetExtraPoints(std::vector<ExtraPointDefinition> points);
void ClearExtraPoints();
const std::vector<ExtraPointDefinition>& ExtraPoints();
// The definition of point 51 and up; nullptr for a fixed point or a point without one.
const ExtraPointDefinition* ExtraPointOf(int point);
// Reads an extra-point list (ParseExtraList) and sets its points in use; a list that is
// refused changes nothing.
startup::Status UseExtraPoints(std::string_view list);
// Reads "planparm.fil" (the extra points in use kept between runs) and sets them.
startup::Status LoadExtraPointsInUse();

// The prior eclipse: given jd_ut, the Julian day (UT) and tropical longitude of the last
// eclipse before it. Installed by the eclipse catalogues; none by default.
struct PriorEclipse {
    double jd_ut = 0.0;
    double longitude = 0.0;  // tropical, degrees
};
using PriorEclipseFinder = std::function<std::optional<PriorEclipse>(double jd_ut)>;
void SetPriorEclipseFinder(PriorEclipseFinder finder);

// The Julian day (ET) of the last new or full Moon at or before jd_et, and the Moon's tropical
// longitude then. Nothing when the Sun or the Moon cannot be calculated.
struct Lunation {
    double jd_et = 0.0;
    double longitude = 0.0;
    bool full = false;
};
std::optional<Lunation> PriorLunation(double jd_et);

// The calculation step: the extra points first..last (clamped to 51..points in use) of a slot
// whose fixed points, angles and (when with_houses) cusps are calculated. Reversal of lots by
// night only when `reverse_lots`.
void CalcExtraPoints(ChartSlot& slot, int first, int last, bool with_equatorial, bool with_houses,
                     bool reverse_lots);

// The values of extra-point definitions that need not be in use (a star list, an asteroid
// list, a user-defined points file) at the moment of a calculated slot, in list order: each as
// it would be as point 51 + its index. The slot is left as it is. Nothing for more than 50.
struct ExtraPointValue {
    double longitude = -1.0;  // chart's zodiac; -1 when the point cannot be calculated
    double latitude = 0.0;
    double speed = 0.0;
    double declination = 0.0;
    double right_ascension = 0.0;
    int house = 0;  // 0 when the chart has no houses
};
std::vector<ExtraPointValue> CalcExtraPointValues(const ChartSlot& slot,
                                                  const std::vector<ExtraPointDefinition>& points);

// The daily motion of the slot's cusps 1..12 as the sky turns (RAMC at the sidereal rate).
std::array<double, 13> CuspSpeeds(const ChartSlot& slot);

}  // namespace meridia::astro
