#include "astro/ephemeris.h"

#include <swephexp.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "astro/angles.h"
#include "startup/messages.h"
#include "startup/session.h"

namespace meridia::astro {

namespace {

constexpr int kSpeedFlag = SEFLG_SPEED;
constexpr int kHeliocentricFlag = SEFLG_HELCTR;

// A folder holds the main data when it has a planet file ("sepl...se1") and a Moon file
// ("semo...se1"); asteroid files alone do not make a folder usable.
bool HasMainEphemerisFiles(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) {
        return false;
    }
    bool planets = false;
    bool moon = false;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 8 || name.compare(name.size() - 4, 4, ".se1") != 0) {
            continue;
        }
        planets = planets || name.compare(0, 4, "sepl") == 0;
        moon = moon || name.compare(0, 4, "semo") == 0;
    }
    return planets && moon;
}

// The folders of a search path as the library reads it: separated by ':' or ';', empty
// entries left out.
std::vector<std::string> SplitSearchPath(const std::string& list) {
    std::vector<std::string> folders;
    std::string folder;
    for (const char c : list) {
        if (c == ':' || c == ';') {
            if (!folder.empty()) {
                folders.push_back(folder);
            }
            folder.clear();
        } else {
            folder.push_back(c);
        }
    }
    if (!folder.empty()) {
        folders.push_back(folder);
    }
    return folders;
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

// Bodies whose data come from the planet and Moon files; a warning about them means the
// installation is broken.
bool UsesMainFiles(int body) {
    return (body >= SE_SUN && body <= SE_OSCU_APOG) || body == SE_EARTH;
}

struct BodyResult {
    bool ok = false;
    bool files_missing = false;
    std::array<double, 6> values{};
};

BodyResult CalcBody(double jd_et, int body, int flags) {
    BodyResult result;
    // A numbered asteroid whose file is not installed fails at every date: the library would
    // look for its two file names again on every call, so the session remembers it.
    std::vector<int>& without_file = Ephemeris().bodies_without_file;
    const bool numbered_asteroid = body > SE_AST_OFFSET;
    if (numbered_asteroid &&
        std::find(without_file.begin(), without_file.end(), body) != without_file.end()) {
        return result;
    }
    char serr[AS_MAXCH] = {0};
    const int ret = swe_calc(jd_et, body, flags, result.values.data(), serr);
    if (ret < 0) {
        if (numbered_asteroid && std::strstr(serr, "not found") != nullptr) {
            without_file.push_back(body);
        }
        return result;
    }
    const bool asked_files = (flags & SEFLG_MOSEPH) == 0;
    if (asked_files && serr[0] != '\0' && (ret & SEFLG_SWIEPH) == 0 && UsesMainFiles(body)) {
        result.files_missing = true;
        return result;
    }
    result.ok = true;
    return result;
}

void MarkFailed(ChartSlot& slot, int point) {
    slot.longitude[point] = -1.0;
    slot.latitude[point] = 0.0;
    slot.speed[point] = 0.0;
    slot.latitude_speed[point] = 0.0;
    slot.distance[point] = 0.0;
    slot.distance_speed[point] = 0.0;
    slot.retrograde[point] = 0;
}

void Store(ChartSlot& slot, int point, const std::array<double, 6>& x, double zodiac_offset) {
    slot.longitude[point] = ModFloor(x[0] + zodiac_offset, 360.0);
    slot.latitude[point] = x[1];
    slot.distance[point] = x[2];
    slot.speed[point] = x[3];
    slot.latitude_speed[point] = x[4];
    slot.distance_speed[point] = x[5];
    slot.retrograde[point] = x[3] < 0.0 ? std::int16_t{-1} : std::int16_t{0};
}

bool Covers(int first, int last, int point) { return first <= point && point <= last; }

}  // namespace

EphemerisState& Ephemeris() { return startup::CurrentSession().Get<EphemerisState>(); }

std::string ProgramEphemerisFolder() {
    const std::filesystem::path& program = startup::CurrentSession().folders().program;
    if (program.empty()) {
        return {};
    }
    return (program / kProgramEphemerisSubfolder).string() + "/";
}

bool FindSwissEphemerisPath() {
    EphemerisState& state = Ephemeris();
    state.initialised = true;
    // SE_EPHE_PATH first; then the setting, or the system's data folder when it is empty. Each
    // may be a list of folders; the first folder of a list that holds the planet and Moon
    // files decides that the files are present.
    std::vector<std::string> candidates;
    const char* env = std::getenv("SE_EPHE_PATH");
    const bool env_given = env != nullptr && *env != '\0';
    if (env_given) {
        candidates.emplace_back(env);
    }
    const std::string setting = startup::CurrentSession().settings().GetString("SwissEphemPath");
    candidates.push_back(setting.empty() ? std::string(kSystemEphemerisFolder) : setting);
    for (const std::string& candidate : candidates) {
        const std::vector<std::string> folders = SplitSearchPath(candidate);
        const auto main = std::find_if(folders.begin(), folders.end(), HasMainEphemerisFiles);
        if (main == folders.end()) {
            continue;
        }
        state.path = WithSlash(*main);
        state.swiss_mode = true;
        state.missing_files = false;
        // The library searches the folders in order: the main folder first, the rest of the
        // list after it, and the program's own asteroid files last.
        std::vector<std::string> search{state.path};
        for (const std::string& folder : folders) {
            search.push_back(WithSlash(folder));
        }
        search.push_back(ProgramEphemerisFolder());
        state.search_path.clear();
        std::vector<std::string> seen;
        for (const std::string& folder : search) {
            if (folder.empty() || std::find(seen.begin(), seen.end(), folder) != seen.end()) {
                continue;
            }
            const std::size_t extra = (state.search_path.empty() ? 0 : 1) + folder.size();
            if (state.search_path.size() + extra > kMaxSearchPathLength) {
                break;  // the library keeps a bounded path; the main folder always fits first
            }
            seen.push_back(folder);
            if (!state.search_path.empty()) {
                state.search_path.push_back(':');
            }
            state.search_path += folder;
        }
        if (env_given) {
            // The library prefers SE_EPHE_PATH to the path it is given; give it the same list.
            setenv("SE_EPHE_PATH", state.search_path.c_str(), 1);
        }
        SetSwissEphemerisPath(state.search_path);
        return true;
    }
    state.path.clear();
    state.search_path.clear();
    state.swiss_mode = false;
    state.missing_files = true;
    return false;
}

void EnsureEphemeris() {
    if (!Ephemeris().initialised) {
        FindSwissEphemerisPath();
    }
}

void SetSwissEphemerisPath(const std::string& path) {
    Ephemeris().bodies_without_file.clear();
    ++Ephemeris().generation;
    std::string copy = path;
    swe_set_ephe_path(copy.data());
}

void CloseEphemeris() {
    ++Ephemeris().generation;
    swe_close();
}

int EphemerisModeFlags() { return Ephemeris().swiss_mode ? SEFLG_SWIEPH : SEFLG_MOSEPH; }

int SwissBodyOf(int point, bool true_node, bool true_black_moon) {
    switch (point) {
        case kMoon:
            return SE_MOON;
        case kSun:
            return SE_SUN;
        case kVulcan:
            return SE_VULCAN;
        case kChiron:
            return SE_CHIRON;
        case kVesta:
            return SE_VESTA;
        case kPallas:
            return SE_PALLAS;
        case kJuno:
            return SE_JUNO;
        case kCeres:
            return SE_CERES;
        case kHygeia:
            return SE_AST_OFFSET + 10;
        case kAstraea:
            return SE_AST_OFFSET + 5;
        case kNorthNode:
            return true_node ? SE_TRUE_NODE : SE_MEAN_NODE;
        case kTranspluto:
            return SE_ISIS;
        case kBlackMoon:
            return true_black_moon ? SE_OSCU_APOG : SE_MEAN_APOG;
        case kSelena:
            return SE_WHITE_MOON;
        case kSedna:
            return SE_AST_OFFSET + 90377;
        case kEris:
            return SE_AST_OFFSET + 136199;
        default:
            break;
    }
    if (point >= kMercury && point <= kPluto) {
        return point - 3;
    }
    if (point >= kCupido && point <= kPoseidon) {
        return point + 13;
    }
    return -1;
}

PositionStatus CalcPositions(ChartSlot& slot, int first, int last, double jd_et,
                             double zodiac_offset, const PositionOptions& options) {
    EnsureEphemeris();
    first = first <= 0 ? 1 : first;
    last = last <= 0 ? PointsInUse() : last;
    if (last > kFixedPointCount) {
        last = kFixedPointCount;
    }
    const int mode = EphemerisModeFlags();
    const int geocentric = kSpeedFlag | mode;
    const int flags = slot.record.coords == 2 ? (geocentric | kHeliocentricFlag) : geocentric;
    const bool vulcan_rule =
        options.vulcan_calc == 2 && Covers(first, last, kVulcan) && Covers(first, last, kMercury);

    const auto files_missing = [] {
        startup::ShowMessage(kFilesMissingText, startup::kCritical, "Meridia");
        return PositionStatus::kFilesMissing;
    };

    if (Covers(first, last, kMoon)) {
        const BodyResult moon = CalcBody(jd_et, SE_MOON, geocentric);
        if (moon.files_missing) {
            return files_missing();
        }
        if (!moon.ok) {
            MarkFailed(slot, kMoon);
            return PositionStatus::kOutOfRange;
        }
        Store(slot, kMoon, moon.values, zodiac_offset);
    }
    if (Covers(first, last, kEarth) || Covers(first, last, kSun) || vulcan_rule) {
        const BodyResult sun = CalcBody(jd_et, SE_SUN, geocentric);
        if (sun.files_missing) {
            return files_missing();
        }
        if (!sun.ok) {
            MarkFailed(slot, kSun);
            MarkFailed(slot, kEarth);
            return PositionStatus::kOutOfRange;
        }
        Store(slot, kSun, sun.values, zodiac_offset);
        if (Covers(first, last, kEarth)) {
            StoreOpposite(slot, kEarth, kSun);
            // The Earth seen from the Sun is the Sun's opposite, and its latitude moves the
            // other way: unlike the opposite angles (whose latitude stays 0), its latitude
            // speed is the Sun's negated.
            slot.latitude_speed[kEarth] = -slot.latitude_speed[kSun];
        }
    }

    int start = first < 4 ? 4 : first;
    if (start == kSouthNode) {
        start = kNorthNode;
    }
    for (int point = start; point <= last; ++point) {
        if (point == kSouthNode) {
            StoreOpposite(slot, kSouthNode, kNorthNode);
            continue;
        }
        if (point == kVulcan && vulcan_rule) {
            continue;  // placed from Mercury below
        }
        const int body = SwissBodyOf(point, options.true_node, options.true_black_moon);
        if (body < 0) {
            continue;
        }
        const BodyResult result = CalcBody(jd_et, body, flags);
        if (result.files_missing) {
            return files_missing();
        }
        if (!result.ok) {
            MarkFailed(slot, point);
            continue;
        }
        Store(slot, point, result.values, zodiac_offset);
    }

    if (vulcan_rule) {
        const double mercury = slot.longitude[kMercury];
        if (mercury < 0.0) {
            MarkFailed(slot, kVulcan);
        } else {
            if (slot.record.coords == 2) {
                slot.longitude[kVulcan] = mercury;
                slot.latitude[kVulcan] = slot.latitude[kMercury];
            } else {
                const double sun = slot.longitude[kSun];
                const double e = ModFloor(mercury - sun + 180.0, 360.0) - 180.0;
                if (e >= 3.0 || e <= -3.0) {
                    const double sign = e > 0.0 ? 1.0 : -1.0;
                    slot.longitude[kVulcan] = ModFloor(mercury - 3.0 * sign, 360.0);
                    slot.latitude[kVulcan] = slot.latitude[kMercury];
                } else {
                    slot.longitude[kVulcan] = sun;
                    slot.latitude[kVulcan] = slot.latitude[kSun];
                }
            }
            slot.speed[kVulcan] = slot.speed[kMercury];
            slot.latitude_speed[kVulcan] = slot.latitude_speed[kMercury];
            slot.distance[kVulcan] = slot.distance[kMercury];
            slot.distance_speed[kVulcan] = slot.distance_speed[kMercury];
            slot.retrograde[kVulcan] = slot.retrograde[kMercury];
        }
    }
    return PositionStatus::kOk;
}

std::optional<MoonPlace> MoonPosition(double jd_et, double zodiac_offset) {
    int scratch = AllocScratchChart();
    ChartSlot& slot = Slot(scratch);
    slot.record.coords = 1;
    std::optional<MoonPlace> place;
    if (CalcPositions(slot, kMoon, kMoon, jd_et, zodiac_offset, PositionOptions{}) ==
            PositionStatus::kOk &&
        slot.longitude[kMoon] >= 0.0) {
        place = MoonPlace{slot.longitude[kMoon], slot.latitude[kMoon]};
    }
    FreeScratchChart(scratch);
    return place;
}

bool TopocentricMoon(ChartSlot& slot, double jd_et, double zodiac_offset, double latitude,
                     double longitude_west) {
    EnsureEphemeris();
    swe_set_topo(-longitude_west, latitude, 0.0);
    const BodyResult moon =
        CalcBody(jd_et, SE_MOON, SEFLG_TOPOCTR | kSpeedFlag | EphemerisModeFlags());
    if (!moon.ok) {
        MarkFailed(slot, kMoon);
        return false;
    }
    Store(slot, kMoon, moon.values, zodiac_offset);
    return true;
}

std::optional<std::array<double, 6>> BodyPosition(double jd_et, int body, bool heliocentric) {
    EnsureEphemeris();
    int flags = kSpeedFlag | EphemerisModeFlags();
    if (heliocentric) {
        flags |= kHeliocentricFlag;
    }
    const BodyResult result = CalcBody(jd_et, body, flags);
    if (!result.ok) {
        return std::nullopt;
    }
    return result.values;
}

int AsteroidBody(int number) { return number + SE_AST_OFFSET; }

double Obliquity(double jd_et, bool true_obliquity) {
    EnsureEphemeris();
    std::array<double, 6> x{};
    char serr[AS_MAXCH] = {0};
    swe_calc(jd_et, SE_ECL_NUT, EphemerisModeFlags(), x.data(), serr);
    return true_obliquity ? x[0] : x[1];
}

double NodeLongitude(double jd_et, bool true_node) {
    EnsureEphemeris();
    const BodyResult node =
        CalcBody(jd_et, true_node ? SE_TRUE_NODE : SE_MEAN_NODE, kSpeedFlag | EphemerisModeFlags());
    return node.ok ? node.values[0] : -1.0;
}

std::string AsteroidName(int number) {
    char name[AS_MAXCH] = {0};
    swe_get_planet_name(number + SE_AST_OFFSET, name);
    return name;
}

bool NodesAndApsides(double jd_et, int body, int flags, int method, NodesApsides& result) {
    EnsureEphemeris();
    char serr[AS_MAXCH] = {0};
    const int ret =
        swe_nod_aps(jd_et, body, flags, method, result.ascending.data(), result.descending.data(),
                    result.perihelion.data(), result.aphelion.data(), serr);
    return ret >= 0;
}

}  // namespace meridia::astro
