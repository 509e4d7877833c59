#include "astro/fixed_stars.h"

#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <system_error>
#include <unordered_map>
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

namespace {

// The apparent place of a star from the library's star function, one call a star.
std::optional<StarPosition> LibraryStarPos(const std::string& key, double jd_et,
                                           bool heliocentric) {
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
    return place;
}

// A chart with many stars asks the library's star function for each one, and that function
// recalculates the Earth and the Sun, precession and nutation for every star. The same
// apparent place comes from the star's straight-line space motion, the Earth and the Sun of
// the date, the Sun's light deflection, the annual aberration and one rotation from the
// equator of the international frame to the true ecliptic of date shared by every star of the
// date. Each ingredient is the library's own: the space motion is read from it once per star
// and session, the Earth and the Sun are its barycentric positions, and the rotation is found
// from the Sun and the Moon as it gives them in both frames.

using Vec3 = std::array<double, 3>;

constexpr double kJ2000 = 2451545.0;
constexpr double kAuMetres = 1.49597870700e11;
constexpr double kLightMetresPerSecond = 299792458.0;
constexpr double kSunGravity = 1.32712440017987e20;  // GM of the Sun, m^3 s^-2
// The Sun's angular radius at 1 AU (959.63"), radians: inside the disc the Sun is no longer a
// point mass for the deflection, and the star function is asked instead.
constexpr double kSunRadius = 959.63 / 3600.0 * 3.14159265358979323846 / 180.0;
// The step of the finite difference that gives the speeds, days.
constexpr double kSpeedStep = 0.001;

double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec3 Unit(const Vec3& a) {
    const double length = std::sqrt(Dot(a, a));
    return {a[0] / length, a[1] / length, a[2] / length};
}

// Barycentric position (AU) and velocity (AU a day) of a star at J2000, in the international
// frame; it moves in a straight line.
struct StarMotion {
    Vec3 position{};
    Vec3 velocity{};
};

// What every star of one date shares.
struct FrameEpoch {
    double jd_et = 0.0;
    Vec3 earth{};           // barycentric Earth, AU
    Vec3 earth_velocity{};  // AU a day
    Vec3 sun{};             // barycentric Sun, AU
    // Rows of the rotation from the equator of the international frame to the true ecliptic
    // of date.
    std::array<Vec3, 3> to_ecliptic{};
};

struct StarFrame {
    FrameEpoch now;
    FrameEpoch before;  // kSpeedStep earlier, for the speeds
};

struct StarReductionCache {
    int generation = -1;
    std::unordered_map<std::string, std::optional<StarMotion>> motions;
    std::optional<StarFrame> frame;
    // The date of the last star asked alone: the frame of a date costs as much as a few stars,
    // so it is worked out when a second star is asked at the same date.
    std::optional<double> single_date;
};

StarReductionCache& ReductionCache() {
    StarReductionCache& cache = startup::CurrentSession().Get<StarReductionCache>();
    if (cache.generation != Ephemeris().generation) {
        cache = StarReductionCache{};
        cache.generation = Ephemeris().generation;
    }
    return cache;
}

constexpr int kInternationalEquator = SEFLG_J2000 | SEFLG_ICRS | SEFLG_EQUATORIAL | SEFLG_XYZ;

std::optional<StarMotion> MotionOf(const std::string& key) {
    std::array<char, SE_MAX_STNAME * 2 + 2> star{};
    if (key.empty() || key.size() >= star.size()) {
        return std::nullopt;
    }
    key.copy(star.data(), key.size());
    const int flags = EphemerisModeFlags() | kInternationalEquator | SEFLG_BARYCTR | SEFLG_TRUEPOS |
                      SEFLG_NOABERR | SEFLG_NOGDEFL | SEFLG_SPEED;
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    if (swe_fixstar2(star.data(), kJ2000, flags, x.data(), serr) < 0) {
        return std::nullopt;
    }
    return StarMotion{{x[0], x[1], x[2]}, {x[3], x[4], x[5]}};
}

bool Body(double jd_et, int body, int flags, std::array<double, 6>& x) {
    char serr[AS_MAXCH] = {0};
    return swe_calc(jd_et, body, EphemerisModeFlags() | flags, x.data(), serr) >= 0;
}

// An orthonormal triad from two directions that are not parallel.
std::array<Vec3, 3> Triad(const Vec3& a, const Vec3& b) {
    const Vec3 first = Unit(a);
    const Vec3 second = Unit(Cross(a, b));
    return {first, second, Cross(first, second)};
}

std::optional<FrameEpoch> FrameAt(double jd_et) {
    FrameEpoch frame;
    frame.jd_et = jd_et;
    std::array<double, 6> earth{};
    std::array<double, 6> sun{};
    std::array<double, 6> sun_equator{};
    std::array<double, 6> sun_ecliptic{};
    std::array<double, 6> moon_equator{};
    std::array<double, 6> moon_ecliptic{};
    const int barycentric = kInternationalEquator | SEFLG_BARYCTR | SEFLG_TRUEPOS;
    // The chart has asked for the Sun and the Moon with speeds: the library keeps them.
    if (!Body(jd_et, SE_EARTH, barycentric | SEFLG_SPEED, earth) ||
        !Body(jd_et, SE_SUN, barycentric, sun) ||
        !Body(jd_et, SE_SUN, kInternationalEquator, sun_equator) ||
        !Body(jd_et, SE_SUN, SEFLG_SPEED | SEFLG_XYZ, sun_ecliptic) ||
        !Body(jd_et, SE_MOON, kInternationalEquator, moon_equator) ||
        !Body(jd_et, SE_MOON, SEFLG_SPEED | SEFLG_XYZ, moon_ecliptic)) {
        return std::nullopt;
    }
    frame.earth = {earth[0], earth[1], earth[2]};
    frame.earth_velocity = {earth[3], earth[4], earth[5]};
    frame.sun = {sun[0], sun[1], sun[2]};
    const auto from = Triad({sun_equator[0], sun_equator[1], sun_equator[2]},
                            {moon_equator[0], moon_equator[1], moon_equator[2]});
    const auto to = Triad({sun_ecliptic[0], sun_ecliptic[1], sun_ecliptic[2]},
                          {moon_ecliptic[0], moon_ecliptic[1], moon_ecliptic[2]});
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t column = 0; column < 3; ++column) {
            frame.to_ecliptic[row][column] = to[0][row] * from[0][column] +
                                             to[1][row] * from[1][column] +
                                             to[2][row] * from[2][column];
        }
    }
    return frame;
}

const StarFrame* FrameFor(StarReductionCache& cache, double jd_et) {
    if (cache.frame && cache.frame->now.jd_et == jd_et) {
        return &*cache.frame;
    }
    if (cache.single_date != jd_et) {
        cache.single_date = jd_et;
        return nullptr;
    }
    cache.frame.reset();
    auto before = FrameAt(jd_et - kSpeedStep);
    auto now = FrameAt(jd_et);
    if (!before || !now) {
        return nullptr;
    }
    cache.frame = StarFrame{*now, *before};
    return &*cache.frame;
}

// Longitude, latitude (radians) and distance of the apparent place on the true ecliptic of the
// frame's date; nothing when the star stands within the Sun's disc.
std::optional<Vec3> ApparentEcliptic(const StarMotion& star, const FrameEpoch& frame) {
    const double days = frame.jd_et - kJ2000;
    Vec3 barycentric{};
    Vec3 geocentric{};
    for (std::size_t i = 0; i < 3; ++i) {
        barycentric[i] = star.position[i] + days * star.velocity[i];
        geocentric[i] = barycentric[i] - frame.earth[i];
    }
    // Deflection of the light by the Sun.
    const double distance = std::sqrt(Dot(geocentric, geocentric));
    const Vec3 u = Unit(geocentric);
    const Vec3 q = Unit({barycentric[0] - frame.sun[0], barycentric[1] - frame.sun[1],
                         barycentric[2] - frame.sun[2]});
    const Vec3 earth_from_sun{frame.earth[0] - frame.sun[0], frame.earth[1] - frame.sun[1],
                              frame.earth[2] - frame.sun[2]};
    const double sun_distance = std::sqrt(Dot(earth_from_sun, earth_from_sun));
    const Vec3 e = Unit(earth_from_sun);
    const double uq = Dot(u, q);
    const double ue = Dot(u, e);
    const double qe = Dot(q, e);
    if (std::sqrt(std::max(0.0, 1.0 - ue * ue)) < 2.0 * kSunRadius / sun_distance) {
        return std::nullopt;
    }
    const double g1 = 2.0 * kSunGravity / kLightMetresPerSecond / kLightMetresPerSecond /
                      kAuMetres / sun_distance;
    const double g2 = 1.0 + qe;
    Vec3 deflected{};
    for (std::size_t i = 0; i < 3; ++i) {
        deflected[i] = distance * (u[i] + g1 / g2 * (uq * e[i] - ue * q[i]));
    }
    // Annual aberration, relativistic, from the Earth's barycentric velocity.
    Vec3 v{};
    for (std::size_t i = 0; i < 3; ++i) {
        v[i] = frame.earth_velocity[i] / 24.0 / 3600.0 / kLightMetresPerSecond * kAuMetres;
    }
    const double ru = std::sqrt(Dot(deflected, deflected));
    const double b1 = std::sqrt(1.0 - Dot(v, v));
    const double f1 = Dot(deflected, v) / ru;
    const double f2 = 1.0 + f1 / (1.0 + b1);
    Vec3 apparent{};
    for (std::size_t i = 0; i < 3; ++i) {
        apparent[i] = (b1 * deflected[i] + f2 * ru * v[i]) / (1.0 + f1);
    }
    Vec3 ecliptic{};
    for (std::size_t i = 0; i < 3; ++i) {
        ecliptic[i] = Dot(frame.to_ecliptic[i], apparent);
    }
    const double across = std::hypot(ecliptic[0], ecliptic[1]);
    return Vec3{std::atan2(ecliptic[1], ecliptic[0]), std::atan2(ecliptic[2], across),
                std::sqrt(Dot(ecliptic, ecliptic))};
}

// The place from the shared frame of the date; nothing when the star function should answer
// (the first star of a date, an unknown star, a star within the Sun's disc).
std::optional<StarPosition> ReducedStarPos(const std::string& key, double jd_et) {
    StarReductionCache& cache = ReductionCache();
    auto found = cache.motions.find(key);
    if (found == cache.motions.end()) {
        found = cache.motions.emplace(key, MotionOf(key)).first;
    }
    if (!found->second) {
        return std::nullopt;
    }
    const StarFrame* frame = FrameFor(cache, jd_et);
    if (frame == nullptr) {
        return std::nullopt;
    }
    const auto now = ApparentEcliptic(*found->second, frame->now);
    const auto before = ApparentEcliptic(*found->second, frame->before);
    if (!now || !before) {
        return std::nullopt;
    }
    constexpr double kDegrees = 180.0 / 3.14159265358979323846;
    StarPosition place;
    place.longitude = ModFloor((*now)[0] * kDegrees, 360.0);
    place.latitude = (*now)[1] * kDegrees;
    place.distance = (*now)[2];
    double moved = ((*now)[0] - (*before)[0]) * kDegrees;
    moved -= 360.0 * std::round(moved / 360.0);
    place.speed = moved / kSpeedStep;
    place.latitude_speed = ((*now)[1] - (*before)[1]) * kDegrees / kSpeedStep;
    place.distance_speed = ((*now)[2] - (*before)[2]) / kSpeedStep;
    return place;
}

}  // namespace

std::optional<StarPosition> CalcStarPos(const std::string& key, double jd_et, bool heliocentric,
                                        double true_obliquity) {
    EnsureEphemeris();
    std::optional<StarPosition> place;
    if (!heliocentric && Ephemeris().swiss_mode) {
        place = ReducedStarPos(key, jd_et);
    }
    if (!place) {
        place = LibraryStarPos(key, jd_et, heliocentric);
    }
    if (!place) {
        return std::nullopt;
    }
    // Ecliptic of date to equator of date: a rotation by the true obliquity (negative angle).
    std::array<double, 6> ecliptic{place->longitude, place->latitude,       1.0,
                                   place->speed,     place->latitude_speed, 0.0};
    std::array<double, 6> equatorial{};
    swe_cotrans_sp(ecliptic.data(), equatorial.data(), -true_obliquity);
    place->right_ascension = equatorial[0];
    place->declination = equatorial[1];
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
