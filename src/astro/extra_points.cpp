#include "astro/extra_points.h"

#include <cmath>
#include <memory>
#include <system_error>
#include <utility>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/ephemeris.h"
#include "astro/fixed_stars.h"
#include "astro/houses.h"
#include "startup/file_io.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/text_tools.h"
#include "textformats/angle_text.h"

namespace meridia::astro {

namespace {

using startup::Status;
using startup::StatusCode;
using startup::StatusOr;

constexpr int kMaxGlyph = 0xFFFF;
constexpr int kMaxAsteroidNumber = 999999;
// Cusps are differenced over this step of RAMC (degrees) for their daily motion.
constexpr double kCuspSpeedStep = 0.25;
// The Moon's mean elongation rate, degrees per day: the first guess of the search.
constexpr double kMeanElongationRate = 12.190749;
constexpr int kLunationIterations = 30;
constexpr double kLunationTolerance = 1e-10;  // degrees of elongation

struct ExtraPointState {
    std::vector<ExtraPointDefinition> points;
    PriorEclipseFinder eclipse_finder;
    // The parts file in force and the setting it was read for.
    std::string parts_setting;
    std::shared_ptr<const PartsFile> parts;
};

ExtraPointState& State() { return startup::CurrentSession().Get<ExtraPointState>(); }

Status Refused(std::string_view item, std::string_view why) {
    return Status(StatusCode::kRefused,
                  "Extra point \"" + std::string(item) + "\": " + std::string(why), "Extra Points");
}

std::string Ordinal(int n) {
    const int last_two = n % 100;
    const char* suffix = "th";
    if (last_two < 11 || last_two > 13) {
        switch (n % 10) {
            case 1:
                suffix = "st";
                break;
            case 2:
                suffix = "nd";
                break;
            case 3:
                suffix = "rd";
                break;
            default:
                break;
        }
    }
    return std::to_string(n) + suffix;
}

// The point a midpoint operand names: a fixed point, or an extra point before this one (its
// number, abbreviation or name).
int MidpointOperand(std::string_view text, const std::vector<ExtraPointDefinition>& earlier) {
    text = startup::Trim(text);
    if (const int fixed = FixedPointByName(text); fixed > 0) {
        return fixed;
    }
    if (const auto number = startup::ParseInteger(text)) {
        const long long last = kFixedPointCount + static_cast<long long>(earlier.size());
        return (*number > kFixedPointCount && *number <= last) ? static_cast<int>(*number) : 0;
    }
    for (std::size_t i = 0; i < earlier.size(); ++i) {
        if (startup::EqualNoCase(earlier[i].abbreviation, text) ||
            startup::EqualNoCase(earlier[i].name, text)) {
            return kFixedPointCount + 1 + static_cast<int>(i);
        }
    }
    return 0;
}

std::string PointAbbreviation(int point, const std::vector<ExtraPointDefinition>& earlier) {
    if (point > kFixedPointCount) {
        return earlier[static_cast<std::size_t>(point - kFixedPointCount - 1)].abbreviation;
    }
    return startup::Names().PointName(point, 0);
}

std::string PointDisplayName(int point, const std::vector<ExtraPointDefinition>& earlier) {
    if (point > kFixedPointCount) {
        return earlier[static_cast<std::size_t>(point - kFixedPointCount - 1)].name;
    }
    return startup::Names().PointName(point, 1);
}

std::string Shortened(std::string_view text, std::size_t width) {
    return std::string(text.substr(0, std::min(width, text.size())));
}

// "15Ar30"-like text read by the entry form's angle parser (which says why it refuses).
StatusOr<double> ReadPosition(std::string_view item, std::string_view text) {
    if (text.empty()) {
        return Refused(item, "no position given");
    }
    const auto angle = textformats::ParseAngle(text);
    if (!angle || !std::isfinite(*angle)) {
        return Refused(item, "the position cannot be read");
    }
    return Norm360(*angle);
}

StatusOr<ExtraPointDefinition> ParseStar(std::string_view item, std::string_view name) {
    const StatusOr<StarCatalogue>& catalogue = CurrentStarCatalogue();
    if (!catalogue.ok()) {
        return catalogue.status();
    }
    const StarEntry* star = FindStar(*catalogue, name);
    if (star == nullptr) {
        return Refused(item, "no star of that name or nomenclature in " + catalogue->path.string());
    }
    ExtraPointDefinition def;
    def.kind = ExtraKind::kStar;
    def.star_key = StarKey(*star);
    def.star_name = star->name;
    def.star_nomenclature = star->nomenclature;
    def.magnitude = star->magnitude;
    def.name = star->name.empty() ? star->nomenclature : star->name;
    def.abbreviation = Shortened(def.name, 4);
    return def;
}

}  // namespace

std::string_view ExtraKindName(ExtraKind kind) {
    switch (kind) {
        case ExtraKind::kStar:
            return "star";
        case ExtraKind::kMidpoint:
            return "midpoint";
        case ExtraKind::kPosition:
            return "position";
        case ExtraKind::kCusp:
            return "cusp";
        case ExtraKind::kAsteroid:
            return "asteroid";
        case ExtraKind::kPart:
            return "part";
        case ExtraKind::kLunation:
            return "lunation";
        case ExtraKind::kEclipse:
            return "eclipse";
    }
    return "position";
}

std::filesystem::path ExtraFilePath(std::string_view name, std::string_view extension) {
    std::filesystem::path path{std::string(name)};
    if (path.has_parent_path()) {
        return path;
    }
    if (!path.has_extension()) {
        path += std::string(extension);
    }
    const std::string folder = startup::EqualNoCase(path.filename().string(), kExtraPointsInUseFile)
                                   ? "Settings"
                                   : "Points & Colors";
    const auto& folders = startup::CurrentSession().folders();
    std::filesystem::path user = folders.user_files / folder / path;
    std::error_code ec;
    if (std::filesystem::exists(user, ec) || folders.program.empty()) {
        return user;
    }
    const std::filesystem::path factory = folders.program / folder / path;
    return std::filesystem::exists(factory, ec) ? factory : user;
}

StatusOr<std::shared_ptr<const PartsFile>> PartsFileInForce() {
    ExtraPointState& state = State();
    const std::string setting = startup::CurrentSession().settings().GetString("PartsFileName");
    if (state.parts && state.parts_setting == setting) {
        return state.parts;
    }
    StatusOr<PartsFile> parts = ReadPartsFile(ExtraFilePath(setting, kPartsExtension));
    if (!parts.ok()) {
        return parts.status();
    }
    state.parts = std::make_shared<const PartsFile>(std::move(*parts));
    state.parts_setting = setting;
    return state.parts;
}

StatusOr<ExtraPointDefinition> ParseExtraItem(std::string_view item,
                                              const std::vector<ExtraPointDefinition>& earlier) {
    const std::string_view text = startup::Trim(item);
    const std::size_t colon = text.find(':');
    const std::string_view word = startup::Trim(text.substr(0, colon));
    const std::string_view value = colon == std::string_view::npos
                                       ? std::string_view{}
                                       : startup::Trim(text.substr(colon + 1));

    StatusOr<ExtraPointDefinition> result = Refused(text, "not an extra point");
    if (colon == std::string_view::npos) {
        // The items without a parameter.
        ExtraPointDefinition def;
        if (startup::EqualNoCase(word, "prenatal-lunation")) {
            def.kind = ExtraKind::kLunation;
            def.abbreviation = "PLun";
            def.name = "Prenatal Lunation";
        } else if (startup::EqualNoCase(word, "prenatal-eclipse")) {
            def.kind = ExtraKind::kEclipse;
            def.abbreviation = "PEcl";
            def.name = "Prenatal Eclipse";
        } else {
            return result;
        }
        result = def;
    } else if (startup::EqualNoCase(word, "star")) {
        result = ParseStar(text, value);
    } else if (startup::EqualNoCase(word, "midpoint")) {
        const std::size_t slash = value.find('/');
        if (slash == std::string_view::npos) {
            return Refused(text, "a midpoint is written P1/P2");
        }
        ExtraPointDefinition def;
        def.kind = ExtraKind::kMidpoint;
        def.point_a = MidpointOperand(value.substr(0, slash), earlier);
        def.point_b = MidpointOperand(value.substr(slash + 1), earlier);
        if (def.point_a == 0 || def.point_b == 0) {
            return Refused(text, "no such point");
        }
        def.abbreviation = Shortened(
            PointAbbreviation(def.point_a, earlier) + "/" + PointAbbreviation(def.point_b, earlier),
            kMaxExtraAbbreviationLength);
        def.name = Shortened(PointDisplayName(def.point_a, earlier) + "/" +
                                 PointDisplayName(def.point_b, earlier) + " Midpoint",
                             kMaxExtraNameLength);
        result = def;
    } else if (startup::EqualNoCase(word, "position")) {
        StatusOr<double> position = ReadPosition(text, value);
        if (!position.ok()) {
            return position.status();
        }
        ExtraPointDefinition def;
        def.kind = ExtraKind::kPosition;
        def.position = *position;
        def.abbreviation = Shortened(value, kMaxExtraAbbreviationLength);
        def.name = Shortened("Position " + std::string(value), kMaxExtraNameLength);
        result = def;
    } else if (startup::EqualNoCase(word, "cusp")) {
        const auto cusp = startup::ParseInteger(value);
        if (!cusp || *cusp < 1 || *cusp > 12) {
            return Refused(text, "a cusp is 1 to 12");
        }
        ExtraPointDefinition def;
        def.kind = ExtraKind::kCusp;
        def.cusp = static_cast<int>(*cusp);
        def.abbreviation = "H" + std::to_string(def.cusp);
        def.name = Ordinal(def.cusp) + " House Cusp";
        result = def;
    } else if (startup::EqualNoCase(word, "asteroid")) {
        const auto number = startup::ParseInteger(value);
        if (!number || *number < 1 || *number > kMaxAsteroidNumber) {
            return Refused(text, "an asteroid is given by its number");
        }
        ExtraPointDefinition def;
        def.kind = ExtraKind::kAsteroid;
        def.asteroid = static_cast<int>(*number);
        EnsureEphemeris();
        std::string name = AsteroidName(def.asteroid);
        if (name.empty() || name.find("not found") != std::string::npos) {
            name = "Asteroid " + std::to_string(def.asteroid);
        }
        def.name = Shortened(name, kMaxExtraNameLength);
        def.abbreviation = Shortened(name, 4);
        result = def;
    } else if (startup::EqualNoCase(word, "part")) {
        StatusOr<std::shared_ptr<const PartsFile>> parts = PartsFileInForce();
        if (!parts.ok()) {
            return parts.status();
        }
        const int lot = FindLot(**parts, value);
        if (lot < 0) {
            return Refused(text, "no lot of that name in " + (*parts)->path.string());
        }
        ExtraPointDefinition def;
        def.kind = ExtraKind::kPart;
        def.parts = *parts;
        def.lot = lot;
        const LotDefinition& definition = (*parts)->lots[static_cast<std::size_t>(lot)];
        def.abbreviation = definition.abbreviation;
        def.name = definition.name;
        def.glyph = definition.glyph;
        result = def;
    } else {
        return result;
    }
    if (result.ok()) {
        result->definition = std::string(text);
    }
    return result;
}

StatusOr<std::vector<ExtraPointDefinition>> ParseExtraPointFile(
    std::string_view text, const std::filesystem::path& path,
    const std::vector<ExtraPointDefinition>& earlier) {
    const auto damaged = [&path](int line, std::string_view what) {
        return Status(StatusCode::kDamaged,
                      "The extra point file " + path.string() + " cannot be used (line " +
                          std::to_string(line) + ": " + std::string(what) + ").",
                      "File Error", path);
    };
    const bool stars_only = startup::EndsWithNoCase(path.string(), kStarListExtension);
    const bool asteroids_only = startup::EndsWithNoCase(path.string(), kAsteroidListExtension);
    std::vector<ExtraPointDefinition> all = earlier;
    std::vector<ExtraPointDefinition> read;
    int number = 0;
    for (const std::string_view raw : startup::SplitLines(text)) {
        ++number;
        const std::string_view line = startup::Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (static_cast<int>(all.size()) >= kMaxExtraPoints) {
            return damaged(number, "more than " + std::to_string(kMaxExtraPoints) + " points");
        }
        std::vector<std::string_view> fields;
        std::size_t start = 0;
        while (fields.size() <= 4) {
            const std::size_t bar = line.find('|', start);
            fields.push_back(startup::Trim(line.substr(start, bar - start)));
            if (bar == std::string_view::npos) {
                break;
            }
            start = bar + 1;
        }
        if (fields.size() > 4) {
            return damaged(number, "a point has one to four fields");
        }
        StatusOr<ExtraPointDefinition> def = ParseExtraItem(fields[0], all);
        if (!def.ok()) {
            return damaged(number, def.status().message());
        }
        if ((stars_only && def->kind != ExtraKind::kStar) ||
            (asteroids_only && def->kind != ExtraKind::kAsteroid)) {
            return damaged(number, "a point of another kind");
        }
        if (fields.size() > 1 && !fields[1].empty()) {
            if (fields[1].size() > kMaxExtraAbbreviationLength) {
                return damaged(number, "the abbreviation is too long");
            }
            def->abbreviation = std::string(fields[1]);
        }
        if (fields.size() > 2 && !fields[2].empty()) {
            if (fields[2].size() > kMaxExtraNameLength) {
                return damaged(number, "the name is too long");
            }
            def->name = std::string(fields[2]);
        }
        if (fields.size() > 3 && !fields[3].empty()) {
            const auto glyph = startup::ParseInteger(fields[3]);
            if (!glyph || *glyph < 0 || *glyph > kMaxGlyph) {
                return damaged(number, "the glyph is not a character code");
            }
            def->glyph = static_cast<int>(*glyph);
        }
        all.push_back(*def);
        read.push_back(std::move(*def));
    }
    return read;
}

StatusOr<std::vector<ExtraPointDefinition>> ReadExtraPointFile(
    const std::filesystem::path& path, const std::vector<ExtraPointDefinition>& earlier) {
    StatusOr<std::string> bytes = startup::ReadFileLimited(path, kMaxExtraPointFileBytes);
    if (!bytes.ok()) {
        const StatusCode code = bytes.status().code();
        return Status(code,
                      code == StatusCode::kNotFound
                          ? "The extra point file " + path.string() + " was not found."
                          : "The extra point file " + path.string() + " cannot be read.",
                      "File Error", path);
    }
    return ParseExtraPointFile(*bytes, path, earlier);
}

std::string FormatExtraPointFile(const std::vector<ExtraPointDefinition>& points) {
    std::string text = "# Extra points: ITEM | ABBREVIATION | NAME | GLYPH\n";
    for (const ExtraPointDefinition& def : points) {
        text += def.definition + " | " + def.abbreviation + " | " + def.name + " | " +
                std::to_string(def.glyph) + "\n";
    }
    return text;
}

Status WriteExtraPointFile(const std::filesystem::path& path,
                           const std::vector<ExtraPointDefinition>& points) {
    return startup::WriteFileSafely(path, FormatExtraPointFile(points));
}

StatusOr<std::vector<ExtraPointDefinition>> ParseExtraList(
    std::string_view list, const std::vector<ExtraPointDefinition>& earlier) {
    std::vector<ExtraPointDefinition> all = earlier;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::string_view item = startup::Trim(list.substr(start, comma - start));
        start = comma == std::string_view::npos ? list.size() + 1 : comma + 1;
        if (item.empty()) {
            return Refused(list, "an empty item");
        }
        const bool is_file = item.find(':') == std::string_view::npos &&
                             !startup::EqualNoCase(item, "prenatal-lunation") &&
                             !startup::EqualNoCase(item, "prenatal-eclipse");
        if (!is_file) {
            StatusOr<ExtraPointDefinition> def = ParseExtraItem(item, all);
            if (!def.ok()) {
                return def.status();
            }
            all.push_back(std::move(*def));
        } else if (startup::EndsWithNoCase(item, kPartsExtension)) {
            StatusOr<PartsFile> parts = ReadPartsFile(std::filesystem::path(std::string(item)));
            if (!parts.ok()) {
                return parts.status();
            }
            auto shared = std::make_shared<const PartsFile>(std::move(*parts));
            for (std::size_t i = 0; i < shared->lots.size(); ++i) {
                ExtraPointDefinition def;
                def.kind = ExtraKind::kPart;
                def.parts = shared;
                def.lot = static_cast<int>(i);
                def.abbreviation = shared->lots[i].abbreviation;
                def.name = shared->lots[i].name;
                def.glyph = shared->lots[i].glyph;
                def.definition = "part:" + shared->lots[i].name;
                all.push_back(std::move(def));
            }
        } else {
            StatusOr<std::vector<ExtraPointDefinition>> read =
                ReadExtraPointFile(std::filesystem::path(std::string(item)), all);
            if (!read.ok()) {
                return read.status();
            }
            for (ExtraPointDefinition& def : *read) {
                all.push_back(std::move(def));
            }
        }
        if (static_cast<int>(all.size()) > kMaxExtraPoints) {
            return Refused(list, "more than " + std::to_string(kMaxExtraPoints) + " extra points");
        }
    }
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(earlier.size()));
    return all;
}

Status SetExtraPoints(std::vector<ExtraPointDefinition> points) {
    if (static_cast<int>(points.size()) > kMaxExtraPoints) {
        return Status(StatusCode::kRefused,
                      "At most " + std::to_string(kMaxExtraPoints) + " extra points can be used.",
                      "Extra Points");
    }
    ClearExtraPoints();
    auto& names = startup::Names();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ExtraPointDefinition& def = points[i];
        names.SetEntry(startup::kPointNamesBase + kFixedPointCount + 1 + static_cast<int>(i),
                       def.abbreviation + "|" + def.name + "|" + def.name);
    }
    SetExtraPointCount(static_cast<int>(points.size()));
    State().points = std::move(points);
    return {};
}

void ClearExtraPoints() {
    ExtraPointState& state = State();
    auto& names = startup::Names();
    for (std::size_t i = 0; i < state.points.size(); ++i) {
        names.SetEntry(startup::kPointNamesBase + kFixedPointCount + 1 + static_cast<int>(i), "");
    }
    state.points.clear();
    SetExtraPointCount(0);
}

const std::vector<ExtraPointDefinition>& ExtraPoints() { return State().points; }

const ExtraPointDefinition* ExtraPointOf(int point) {
    const std::vector<ExtraPointDefinition>& points = State().points;
    const int index = point - kFixedPointCount - 1;
    if (index < 0 || index >= static_cast<int>(points.size())) {
        return nullptr;
    }
    return &points[static_cast<std::size_t>(index)];
}

Status UseExtraPoints(std::string_view list) {
    StatusOr<std::vector<ExtraPointDefinition>> points = ParseExtraList(list);
    if (!points.ok()) {
        return points.status();
    }
    return SetExtraPoints(std::move(*points));
}

Status LoadExtraPointsInUse() {
    StatusOr<std::vector<ExtraPointDefinition>> points =
        ReadExtraPointFile(ExtraFilePath(kExtraPointsInUseFile, ""));
    if (!points.ok()) {
        return points.status();
    }
    return SetExtraPoints(std::move(*points));
}

void SetPriorEclipseFinder(PriorEclipseFinder finder) {
    State().eclipse_finder = std::move(finder);
}

std::optional<Lunation> PriorLunation(double jd_et) {
    const auto elongation_at = [](double jd, double& rate) -> std::optional<double> {
        const auto moon = BodyPosition(jd, 1, false);
        const auto sun = BodyPosition(jd, 0, false);
        if (!moon || !sun) {
            return std::nullopt;
        }
        rate = (*moon)[3] - (*sun)[3];
        return Norm360((*moon)[0] - (*sun)[0]);
    };
    double rate = kMeanElongationRate;
    const auto start = elongation_at(jd_et, rate);
    if (!start) {
        return std::nullopt;
    }
    Lunation lunation;
    lunation.full = *start >= 180.0;
    const double target = lunation.full ? 180.0 : 0.0;
    double jd = jd_et - (*start - target) / kMeanElongationRate;
    // Newton's method on the elongation; the Moon outruns the Sun by 10 to 15 degrees a day, so
    // a few steps from the mean-rate guess reach the tolerance.
    for (int i = 0; i < kLunationIterations; ++i) {
        const auto e = elongation_at(jd, rate);
        if (!e || rate <= 0.0) {
            return std::nullopt;
        }
        const double off = Norm180(*e - target);
        jd -= off / rate;
        if (std::fabs(off) < kLunationTolerance) {
            break;
        }
    }
    if (jd > jd_et) {
        // Within rounding of the chart moment: the lunation is the chart's own.
        jd = jd_et;
    }
    const auto moon = BodyPosition(jd, 1, false);
    if (!moon) {
        return std::nullopt;
    }
    lunation.jd_et = jd;
    lunation.longitude = (*moon)[0];
    return lunation;
}

std::array<double, 13> CuspSpeeds(const ChartSlot& slot) {
    std::array<double, 13> speeds{};
    const bool mc_always_above = CalcOptionsFromSettings().mc_always_above;
    // The cusps with the sky turned a little either way: the angles (and the Part of Fortune,
    // which moves with the Ascendant) turned with it, the bodies where they are.
    const auto cusps_at = [&slot, mc_always_above](double ramc) {
        HouseInput input;
        input.ramc = Norm360(ramc);
        input.obliquity = slot.obliquity;
        input.latitude = slot.observer_latitude;
        input.zodiac_offset = slot.zodiac_offset;
        input.longitude = slot.longitude;
        const AngleSet a =
            CalcAngles(input.ramc, slot.obliquity, slot.observer_latitude, mc_always_above);
        const double z = slot.zodiac_offset;
        input.longitude[kMidheaven] = Norm360(a.midheaven + z);
        input.longitude[kAscendant] = Norm360(a.ascendant + z);
        input.longitude[kVertex] = Norm360(a.vertex + z);
        input.longitude[kEquatorialAscendant] = Norm360(a.equatorial_ascendant + z);
        if (slot.longitude[kPartOfFortune] >= 0.0) {
            input.longitude[kPartOfFortune] =
                Norm360(slot.longitude[kPartOfFortune] + input.longitude[kAscendant] -
                        slot.longitude[kAscendant]);
        }
        return CalcHouseCusps(slot.record.house_system, input);
    };
    const auto ahead = cusps_at(slot.ramc + kCuspSpeedStep);
    const auto behind = cusps_at(slot.ramc - kCuspSpeedStep);
    if (!ahead || !behind) {
        return speeds;
    }
    for (std::size_t c = 1; c <= 12; ++c) {
        speeds[c] = Norm180(ahead->cusps[c] - behind->cusps[c]) / (2.0 * kCuspSpeedStep) *
                    kSiderealDegreesPerDay;
    }
    return speeds;
}

namespace {

// The point (first..p - 1) already calculated for the same star as point p; 0 when none.
int EarlierSameStar(const std::vector<ExtraPointDefinition>& points, int first, int p) {
    const ExtraPointDefinition& star = points[static_cast<std::size_t>(p - kFixedPointCount - 1)];
    for (int q = first; q < p; ++q) {
        const ExtraPointDefinition& other =
            points[static_cast<std::size_t>(q - kFixedPointCount - 1)];
        if (other.kind == ExtraKind::kStar && other.star_key == star.star_key) {
            return q;
        }
    }
    return 0;
}

void CopyPoint(ChartSlot& slot, std::size_t from, std::size_t to) {
    slot.longitude[to] = slot.longitude[from];
    slot.latitude[to] = slot.latitude[from];
    slot.distance[to] = slot.distance[from];
    slot.speed[to] = slot.speed[from];
    slot.latitude_speed[to] = slot.latitude_speed[from];
    slot.distance_speed[to] = slot.distance_speed[from];
    slot.right_ascension[to] = slot.right_ascension[from];
    slot.declination[to] = slot.declination[from];
}

// The points 51 + index of `points` from first to last (clamped to the list) into the slot.
void CalcExtraPointsOf(ChartSlot& slot, const std::vector<ExtraPointDefinition>& points, int first,
                       int last, bool with_equatorial, bool with_houses, bool reverse_lots) {
    const int in_use = kFixedPointCount + static_cast<int>(points.size());
    first = std::max(first, kFixedPointCount + 1);
    last = std::min(last, in_use);
    if (first > last) {
        return;
    }
    const bool heliocentric = slot.record.coords == 2;
    std::optional<double> true_obliquity;
    std::optional<std::array<double, 13>> cusp_speeds;
    const auto cusp_speed_table = [&]() -> const std::array<double, 13>& {
        if (!cusp_speeds) {
            cusp_speeds = CuspSpeeds(slot);
        }
        return *cusp_speeds;
    };

    for (int p = first; p <= last; ++p) {
        const auto i = static_cast<std::size_t>(p);
        slot.longitude[i] = -1.0;
        slot.latitude[i] = 0.0;
        slot.speed[i] = 0.0;
        slot.latitude_speed[i] = 0.0;
        slot.distance[i] = 0.0;
        slot.distance_speed[i] = 0.0;
        slot.declination[i] = 0.0;
        slot.right_ascension[i] = 0.0;
        slot.retrograde[i] = 0;
        slot.house[i] = 0;
        const std::size_t index = i - kFixedPointCount - 1;
        if (index >= points.size()) {
            continue;
        }
        const ExtraPointDefinition& def = points[index];
        bool equatorial_done = false;
        switch (def.kind) {
            case ExtraKind::kStar: {
                // A star asked for twice (a star list and a star item, say) is calculated once:
                // each call of the library's star function costs as much as a planet.
                if (const int same = EarlierSameStar(points, first, p); same > 0) {
                    CopyPoint(slot, static_cast<std::size_t>(same), i);
                    equatorial_done = true;
                    break;
                }
                if (!true_obliquity) {
                    true_obliquity = Obliquity(slot.julian_day, true);
                }
                const auto star =
                    CalcStarPos(def.star_key, slot.julian_day, heliocentric, *true_obliquity);
                if (!star) {
                    break;
                }
                slot.longitude[i] = ModFloor(star->longitude + slot.zodiac_offset, 360.0);
                slot.latitude[i] = star->latitude;
                slot.distance[i] = star->distance;
                slot.speed[i] = star->speed;
                slot.latitude_speed[i] = star->latitude_speed;
                slot.distance_speed[i] = star->distance_speed;
                slot.right_ascension[i] = star->right_ascension;
                slot.declination[i] = star->declination;
                equatorial_done = true;
                break;
            }
            case ExtraKind::kMidpoint: {
                const auto a = static_cast<std::size_t>(def.point_a);
                const auto b = static_cast<std::size_t>(def.point_b);
                if (def.point_a >= p || def.point_b >= p || slot.longitude[a] < 0.0 ||
                    slot.longitude[b] < 0.0) {
                    break;
                }
                slot.longitude[i] = ArcMidpoint(slot.longitude[a], slot.longitude[b]);
                slot.latitude[i] = (slot.latitude[a] + slot.latitude[b]) / 2.0;
                slot.speed[i] = (slot.speed[a] + slot.speed[b]) / 2.0;
                slot.latitude_speed[i] = (slot.latitude_speed[a] + slot.latitude_speed[b]) / 2.0;
                break;
            }
            case ExtraKind::kPosition:
                slot.longitude[i] = def.position;
                break;
            case ExtraKind::kCusp:
                if (with_houses) {
                    slot.longitude[i] = slot.cusps[static_cast<std::size_t>(def.cusp)];
                    slot.speed[i] = cusp_speed_table()[static_cast<std::size_t>(def.cusp)];
                }
                break;
            case ExtraKind::kAsteroid: {
                const auto x =
                    BodyPosition(slot.julian_day, AsteroidBody(def.asteroid), heliocentric);
                if (!x) {
                    break;
                }
                slot.longitude[i] = ModFloor((*x)[0] + slot.zodiac_offset, 360.0);
                slot.latitude[i] = (*x)[1];
                slot.distance[i] = (*x)[2];
                slot.speed[i] = (*x)[3];
                slot.latitude_speed[i] = (*x)[4];
                slot.distance_speed[i] = (*x)[5];
                break;
            }
            case ExtraKind::kPart: {
                if (!def.parts || !with_houses) {
                    break;
                }
                const LotValue value =
                    EvaluateLot(*def.parts, def.lot, slot, cusp_speed_table(), reverse_lots);
                slot.longitude[i] = value.longitude;
                slot.speed[i] = value.longitude < 0.0 ? 0.0 : value.speed;
                break;
            }
            case ExtraKind::kLunation: {
                const auto lunation = PriorLunation(slot.julian_day);
                if (lunation) {
                    slot.longitude[i] = ModFloor(lunation->longitude + slot.zodiac_offset, 360.0);
                }
                break;
            }
            case ExtraKind::kEclipse: {
                const PriorEclipseFinder& finder = State().eclipse_finder;
                if (!finder) {
                    break;
                }
                if (const auto eclipse = finder(slot.julian_day_ut)) {
                    slot.longitude[i] = ModFloor(eclipse->longitude + slot.zodiac_offset, 360.0);
                }
                break;
            }
        }
        if (slot.longitude[i] < 0.0) {
            continue;
        }
        slot.retrograde[i] = slot.speed[i] < 0.0 ? std::int16_t{-1} : std::int16_t{0};
        if (with_equatorial && !equatorial_done) {
            CalcEquatorial(slot, slot.obliquity, slot.zodiac_offset, p);
        }
        if (with_houses) {
            slot.house[i] = static_cast<std::int16_t>(HouseOf(slot.longitude[i], slot.cusps));
        }
    }
}

}  // namespace

void CalcExtraPoints(ChartSlot& slot, int first, int last, bool with_equatorial, bool with_houses,
                     bool reverse_lots) {
    const std::vector<ExtraPointDefinition>& points = State().points;
    const int in_use = PointsInUse();
    CalcExtraPointsOf(slot, points, first, last <= 0 ? in_use : std::min(last, in_use),
                      with_equatorial, with_houses, reverse_lots);
}

std::vector<ExtraPointValue> CalcExtraPointValues(const ChartSlot& slot,
                                                  const std::vector<ExtraPointDefinition>& points) {
    std::vector<ExtraPointValue> values;
    if (points.empty() || static_cast<int>(points.size()) > kMaxExtraPoints) {
        return values;
    }
    // A copy of the slot takes the definitions as its points 51 and up, so that a midpoint of
    // the list finds the earlier points of the same list under their numbers.
    auto copy = std::make_unique<ChartSlot>(slot);
    // Houses were calculated when any fixed point has a house number.
    bool with_houses = false;
    for (int p = 1; p <= kFixedPointCount && !with_houses; ++p) {
        with_houses = slot.house[static_cast<std::size_t>(p)] > 0;
    }
    CalcExtraPointsOf(*copy, points, kFixedPointCount + 1,
                      kFixedPointCount + static_cast<int>(points.size()), true, with_houses,
                      !CalcOptionsFromSettings().day_part_only);
    values.reserve(points.size());
    for (std::size_t k = 0; k < points.size(); ++k) {
        const std::size_t i = kFixedPointCount + 1 + k;
        ExtraPointValue v;
        v.longitude = copy->longitude[i];
        v.latitude = copy->latitude[i];
        v.speed = copy->speed[i];
        v.declination = copy->declination[i];
        v.right_ascension = copy->right_ascension[i];
        v.house = copy->house[i];
        values.push_back(v);
    }
    return values;
}

}  // namespace meridia::astro
