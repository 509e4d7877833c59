#include "aspects/aspect_patterns.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "startup/file_io.h"
#include "startup/ini_file.h"
#include "startup/settings.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::aspects {

namespace {

constexpr int kMaxElements = 64;
constexpr int kMaxOtherNames = 32;
constexpr std::size_t kMaxPatternFileBytes = 1U << 20;
// Bounds of one pattern's search, so a chart of many points with wide orbs stays quick.
constexpr std::size_t kMaxFoundPerPattern = 10000;
constexpr long kMaxSearchSteps = 5'000'000;

// Section names in file order (the INI module answers per section only).
std::vector<std::string> SectionNames(std::string_view bytes) {
    std::vector<std::string> names;
    for (const std::string_view raw : startup::SplitLines(bytes)) {
        const std::string_view line = startup::Trim(raw);
        if (line.size() >= 2 && line.front() == '[') {
            const auto close = line.find(']');
            if (close != std::string_view::npos) {
                names.push_back(
                    startup::Windows1252ToUtf8(startup::Trim(line.substr(1, close - 1))));
            }
        }
    }
    return names;
}

// A numbered key written either as "Key1" or as "Key_1".
std::optional<std::string> Numbered(const startup::IniFile& ini, const std::string& section,
                                    std::string_view key, int n) {
    const std::string suffix = std::to_string(n);
    if (auto v = ini.Value(section, std::string(key) + suffix)) {
        return v;
    }
    return ini.Value(section, std::string(key) + "_" + suffix);
}

int IntOf(const std::optional<std::string>& text, int fallback) {
    if (!text || text->empty()) {
        return fallback;
    }
    const double v = startup::NumericValueOf(*text);
    if (!std::isfinite(v) || std::fabs(v) > 1e6) {
        return fallback;
    }
    return static_cast<int>(v);
}

bool BoolOf(const std::optional<std::string>& text, bool fallback) {
    if (!text || text->empty()) {
        return fallback;
    }
    const std::string v = startup::LowerAscii(*text);
    if (v == "true" || v == "yes") {
        return true;
    }
    if (v == "false" || v == "no") {
        return false;
    }
    return IntOf(text, 0) != 0;
}

// "P1,P2,AspectID" of an extra element.
std::optional<PatternElement> ParseExtraElement(const std::string& text) {
    PatternElement e;
    int* fields[] = {&e.p1, &e.p2, &e.aspect_id};
    std::size_t pos = 0;
    for (int* field : fields) {
        if (pos > text.size()) {
            return std::nullopt;
        }
        auto comma = text.find(',', pos);
        if (comma == std::string::npos) {
            comma = text.size();
        }
        *field =
            IntOf(std::string(startup::Trim(std::string_view(text).substr(pos, comma - pos))), 0);
        pos = comma + 1;
    }
    if (e.p1 < 1 || e.p2 < 1 || e.p1 == e.p2) {
        return std::nullopt;
    }
    return e;
}

std::optional<PatternDefinition> ReadDefinition(const startup::IniFile& ini,
                                                const std::string& section) {
    PatternDefinition def;
    def.name = section;
    def.id = IntOf(ini.Value(section, "ID"), 0);
    if (def.id <= 0) {
        return std::nullopt;
    }
    def.enabled = BoolOf(ini.Value(section, "Enabled"), true);
    def.abbreviation = ini.Read(section, "Abbr", "");
    for (int n = 1; n <= kMaxOtherNames; ++n) {
        auto name = Numbered(ini, section, "OtherName", n);
        if (!name) {
            break;
        }
        def.other_names.push_back(*name);
    }
    def.is_closed = BoolOf(ini.Value(section, "IsClosed"), false);
    def.report_as_sub_figure = BoolOf(ini.Value(section, "ReportAsSubFigure"), false);
    def.extendable = BoolOf(ini.Value(section, "Extendable"), false);
    const int count = std::clamp(IntOf(ini.Value(section, "NumElements"), 0), 0, kMaxElements);
    for (int n = 1; n <= count; ++n) {
        PatternElement e;
        e.p1 = IntOf(Numbered(ini, section, "P1", n), 0);
        e.p2 = IntOf(Numbered(ini, section, "P2", n), 0);
        e.aspect_id = IntOf(Numbered(ini, section, "AspectID", n), 0);
        e.p2_behind = BoolOf(Numbered(ini, section, "P2Behind", n), false);
        if (e.p1 < 1 || e.p2 < 1 || e.p1 == e.p2 || e.p1 > kMaxElements || e.p2 > kMaxElements) {
            return std::nullopt;
        }
        def.elements.push_back(e);
    }
    if (def.elements.empty()) {
        return std::nullopt;
    }
    const int extras =
        std::clamp(IntOf(ini.Value(section, "NumExtraElements"), 0), 0, kMaxElements);
    for (int n = 1; n <= extras; ++n) {
        if (auto text = Numbered(ini, section, "ExtraElement", n)) {
            if (auto e = ParseExtraElement(*text)) {
                def.extra_elements.push_back(*e);
            }
        }
    }
    return def;
}

// True when the point at `second` comes first in the zodiac: the shorter way from it to
// `first` runs forwards.
bool IsBehind(double first, double second) {
    double d = std::fmod(first - second, 360.0);
    if (d < 0.0) {
        d += 360.0;
    }
    return d > 0.0 && d <= 180.0;
}

bool Holds(const PatternGrid& grid, const PatternElement& e, int i, int j) {
    if (grid.Aspect(i, j) != e.aspect_id) {
        return false;
    }
    return !e.p2_behind || IsBehind(grid.Longitude(i), grid.Longitude(j));
}

class PatternSearch {
public:
    PatternSearch(const PatternDefinition& def, const PatternGrid& grid)
        : def_(def),
          grid_(grid),
          positions_(def.PositionCount()),
          assign_(static_cast<std::size_t>(positions_ + 1), -1),
          used_(static_cast<std::size_t>(grid.Size()), false) {}

    // Sorted point numbers -> the figure's points by position (the smallest tuple wins).
    std::map<std::vector<int>, std::vector<int>> Run() {
        if (positions_ <= grid_.Size()) {
            Place(1);
        }
        return found_;
    }

private:
    int At(int position) const { return assign_[static_cast<std::size_t>(position)]; }

    void Place(int p) {
        if (++steps_ > kMaxSearchSteps || found_.size() >= kMaxFoundPerPattern) {
            return;
        }
        if (p > positions_) {
            Record();
            return;
        }
        int anchor = -1;
        int anchor_aspect = 0;
        for (const PatternElement& e : def_.elements) {
            if (e.p1 == p && e.p2 < p) {
                anchor = At(e.p2);
                anchor_aspect = e.aspect_id;
                break;
            }
            if (e.p2 == p && e.p1 < p) {
                anchor = At(e.p1);
                anchor_aspect = e.aspect_id;
                break;
            }
        }
        for (int c = 0; c < grid_.Size(); ++c) {
            if (used_[static_cast<std::size_t>(c)] ||
                (anchor >= 0 && grid_.Aspect(anchor, c) != anchor_aspect)) {
                continue;
            }
            assign_[static_cast<std::size_t>(p)] = c;
            if (!ClosesAt(p)) {
                continue;
            }
            used_[static_cast<std::size_t>(c)] = true;
            Place(p + 1);
            used_[static_cast<std::size_t>(c)] = false;
        }
        assign_[static_cast<std::size_t>(p)] = -1;
    }

    // Every element whose later position is p holds.
    bool ClosesAt(int p) const {
        for (const PatternElement& e : def_.elements) {
            if (std::max(e.p1, e.p2) == p && !Holds(grid_, e, At(e.p1), At(e.p2))) {
                return false;
            }
        }
        return true;
    }

    void Record() {
        std::vector<int> members(assign_.begin() + 1, assign_.end());
        if (def_.extendable) {
            Extend(members);
        }
        std::vector<int> by_position;
        by_position.reserve(members.size());
        for (const int i : members) {
            by_position.push_back(grid_.Point(i));
        }
        std::vector<int> key = by_position;
        std::sort(key.begin(), key.end());
        if (def_.extendable) {
            by_position = key;
        }
        auto it = found_.find(key);
        if (it == found_.end()) {
            found_.emplace(std::move(key), std::move(by_position));
        } else if (by_position < it->second) {
            it->second = std::move(by_position);
        }
    }

    // Adds every further point that forms the figure's one aspect with all members.
    void Extend(std::vector<int>& members) const {
        const int aspect = def_.elements.front().aspect_id;
        for (int c = 0; c < grid_.Size(); ++c) {
            if (std::find(members.begin(), members.end(), c) != members.end()) {
                continue;
            }
            const bool joins = std::all_of(members.begin(), members.end(),
                                           [&](int m) { return grid_.Aspect(m, c) == aspect; });
            if (joins) {
                members.push_back(c);
            }
        }
    }

    const PatternDefinition& def_;
    const PatternGrid& grid_;
    int positions_;
    std::vector<int> assign_;  // assign_[position] = grid index
    std::vector<bool> used_;
    std::map<std::vector<int>, std::vector<int>> found_;
    long steps_ = 0;
};

bool IsStrictSubset(const std::vector<int>& small, const std::vector<int>& large) {
    return small.size() < large.size() &&
           std::includes(large.begin(), large.end(), small.begin(), small.end());
}

}  // namespace

int PatternDefinition::PositionCount() const {
    int count = 0;
    for (const PatternElement& e : elements) {
        count = std::max({count, e.p1, e.p2});
    }
    return count;
}

std::vector<PatternDefinition> ParsePatternDefinitions(std::string_view bytes) {
    startup::IniFile ini;
    ini.Parse(bytes);
    std::vector<PatternDefinition> definitions;
    std::set<std::string> seen;
    for (const std::string& section : SectionNames(bytes)) {
        if (!seen.insert(startup::LowerAscii(section)).second) {
            continue;
        }
        if (auto def = ReadDefinition(ini, section)) {
            definitions.push_back(std::move(*def));
        }
    }
    return definitions;
}

std::optional<std::vector<PatternDefinition>> LoadPatternDefinitions(
    const std::filesystem::path& path) {
    const auto bytes = startup::ReadFileBytes(path, kMaxPatternFileBytes);
    if (!bytes) {
        return std::nullopt;
    }
    return ParsePatternDefinitions(*bytes);
}

std::string PatternName(const std::vector<PatternDefinition>& definitions, int id) {
    for (const PatternDefinition& def : definitions) {
        if (def.id == id) {
            return def.name;
        }
    }
    return "Unknown Pattern (ID=" + std::to_string(id) + ")";
}

PatternGrid::PatternGrid(const AspectSet& set, const std::vector<AspectPoint>& points,
                         int orb_kind) {
    const std::size_t n = points.size();
    aspects_.assign(n * n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        points_.push_back(points[i].point);
        longitudes_.push_back(points[i].longitude);
        for (std::size_t j = i + 1; j < n; ++j) {
            const int k = FindAspect(set, points[i], points[j], orb_kind, true).aspect;
            aspects_[i * n + j] = k;
            aspects_[j * n + i] = k;
        }
    }
}

PatternGrid::PatternGrid(std::vector<int> point_numbers, std::vector<double> longitudes,
                         std::vector<int> aspects_row_major)
    : points_(std::move(point_numbers)),
      longitudes_(std::move(longitudes)),
      aspects_(std::move(aspects_row_major)) {
    const std::size_t n = points_.size();
    longitudes_.resize(n, 0.0);
    aspects_.resize(n * n, 0);
}

std::vector<FoundPattern> FindPatterns(const std::vector<PatternDefinition>& definitions,
                                       const PatternGrid& grid) {
    struct Candidate {
        const PatternDefinition* def;
        std::vector<int> key;  // sorted point numbers
        std::vector<int> points;
    };
    std::vector<Candidate> candidates;
    for (const PatternDefinition& def : definitions) {
        if (!def.enabled || def.elements.empty()) {
            continue;
        }
        for (auto& [key, points] : PatternSearch(def, grid).Run()) {
            candidates.push_back({&def, key, points});
        }
    }
    std::map<int, int> index_of_point;
    for (int i = 0; i < grid.Size(); ++i) {
        index_of_point.emplace(grid.Point(i), i);
    }
    std::vector<FoundPattern> result;
    for (const Candidate& c : candidates) {
        if (!c.def->report_as_sub_figure) {
            const bool inside = std::any_of(
                candidates.begin(), candidates.end(),
                [&c](const Candidate& other) { return IsStrictSubset(c.key, other.key); });
            if (inside) {
                continue;
            }
        }
        FoundPattern found;
        found.id = c.def->id;
        found.points = c.points;
        for (std::size_t n = 0; n < c.def->extra_elements.size(); ++n) {
            const PatternElement& e = c.def->extra_elements[n];
            if (e.p1 > static_cast<int>(c.points.size()) ||
                e.p2 > static_cast<int>(c.points.size())) {
                continue;
            }
            const int i = index_of_point.at(c.points[static_cast<std::size_t>(e.p1 - 1)]);
            const int j = index_of_point.at(c.points[static_cast<std::size_t>(e.p2 - 1)]);
            if (Holds(grid, e, i, j)) {
                found.extra_found.push_back(static_cast<int>(n + 1));
            }
        }
        result.push_back(std::move(found));
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const FoundPattern& a, const FoundPattern& b) {
                         if (a.id != b.id) {
                             return a.id < b.id;
                         }
                         std::vector<int> ka = a.points;
                         std::vector<int> kb = b.points;
                         std::sort(ka.begin(), ka.end());
                         std::sort(kb.begin(), kb.end());
                         return ka < kb;
                     });
    return result;
}

}  // namespace meridia::aspects
