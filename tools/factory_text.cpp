#include "factory_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "astro/arabic_parts.h"
#include "astro/extra_points.h"
#include "startup/file_io.h"
#include "startup/name_tables.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::tools {

namespace fs = std::filesystem;
using startup::Status;
using startup::StatusCode;
using startup::StatusOr;

namespace {

// Sources are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxSourceBytes = std::size_t{1024} * 1024U;
constexpr int kMaxAspects = 32767;
// The upper bound of a number that has none but what a single-precision field holds.
constexpr double kUnbounded = std::numeric_limits<float>::max();

// A fault in a source, with the 1-based line it concerns. Thrown inside this file only and
// turned into a status at the public functions.
struct SourceError {
    int line;
    std::string what;
};

struct Field {
    std::string key;
    std::string value;
    int line = 0;
    bool used = false;
};

struct Section {
    std::string kind;  // "" for the header (the fields before the first section)
    int number = 0;    // N of "[kind N]"; 0 when the heading has no number
    int line = 0;
    std::vector<Field> fields;
};

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::optional<long> WholeNumber(std::string_view text, int base = 10) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

template <class Real>
std::optional<Real> RealNumber(std::string_view text) {
    Real value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Splits a source into its header and sections.
std::vector<Section> SplitSections(std::string_view text) {
    std::vector<Section> sections(1);
    int line_number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line_number;
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                throw SourceError{line_number, "a section heading ends with \"]\""};
            }
            const std::string_view heading = Trim(line.substr(1, line.size() - 2));
            Section section;
            section.line = line_number;
            const auto space = heading.find(' ');
            section.kind = std::string(heading.substr(0, space));
            if (space != std::string_view::npos) {
                const auto number = WholeNumber(Trim(heading.substr(space + 1)));
                if (!number || *number < 1 || *number > kMaxAspects) {
                    throw SourceError{line_number, "bad section number in " + Quoted(line)};
                }
                section.number = static_cast<int>(*number);
            }
            if (section.kind.empty()) {
                throw SourceError{line_number, "a section heading names its kind"};
            }
            sections.push_back(std::move(section));
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            throw SourceError{line_number, "expected \"field = value\", found " + Quoted(line)};
        }
        Field field;
        field.key = std::string(Trim(line.substr(0, equals)));
        field.value = std::string(Trim(line.substr(equals + 1)));
        field.line = line_number;
        if (field.key.empty()) {
            throw SourceError{line_number, "a field line starts with the field's name"};
        }
        for (const Field& other : sections.back().fields) {
            if (other.key == field.key) {
                throw SourceError{line_number, "field " + Quoted(field.key) +
                                                   " given twice (first on line " +
                                                   std::to_string(other.line) + ")"};
            }
        }
        sections.back().fields.push_back(std::move(field));
    }
    return sections;
}

// Typed access to the fields of one section; every field must be taken once.
class SectionReader {
public:
    explicit SectionReader(Section& section) : section_(section) {
        label_ = section.kind.empty() ? std::string("the header")
                 : section.number == 0
                     ? "[" + section.kind + "]"
                     : "[" + section.kind + " " + std::to_string(section.number) + "]";
    }

    const Field* Find(std::string_view key) {
        for (Field& field : section_.fields) {
            if (field.key == key) {
                field.used = true;
                return &field;
            }
        }
        return nullptr;
    }

    const Field& Take(std::string_view key) {
        const Field* field = Find(key);
        if (field == nullptr) {
            throw SourceError{section_.line == 0 ? 1 : section_.line,
                              label_ + " has no field " + Quoted(key)};
        }
        return *field;
    }

    // Text stored in a fixed field of `width` Windows-1252 characters.
    std::string Text(std::string_view key, std::size_t width) {
        const Field& field = Take(key);
        if (startup::Utf8ToWindows1252(field.value).size() > width) {
            throw SourceError{field.line, Quoted(key) + " is longer than " + std::to_string(width) +
                                              " characters"};
        }
        return field.value;
    }

    long Integer(std::string_view key, long min, long max) {
        const Field& field = Take(key);
        return CheckInteger(field, WholeNumber(field.value), min, max);
    }

    bool YesNo(std::string_view key) {
        const Field& field = Take(key);
        if (field.value == "yes") {
            return true;
        }
        if (field.value == "no") {
            return false;
        }
        throw SourceError{field.line, Quoted(key) + " is yes or no, not " + Quoted(field.value)};
    }

    // A Windows colour value written 0xBBGGRR.
    std::int32_t Colour(std::string_view key) {
        const Field& field = Take(key);
        const std::string_view value = field.value;
        const bool hex = value.size() > 2 && (value.substr(0, 2) == "0x");
        const auto number = hex ? WholeNumber(value.substr(2), 16) : std::nullopt;
        if (!number) {
            throw SourceError{field.line,
                              Quoted(key) + " is written 0xBBGGRR, not " + Quoted(value)};
        }
        return static_cast<std::int32_t>(CheckInteger(field, number, 0, 0xFFFFFF));
    }

    template <class Real>
    Real Number(const Field& field, std::string_view text, double min, double max) {
        const auto value = RealNumber<Real>(text);
        if (!value || *value < min || *value > max) {
            const std::string range = max >= kUnbounded
                                          ? " of " + Plain(min) + " or more"
                                          : " from " + Plain(min) + " to " + Plain(max);
            throw SourceError{field.line,
                              Quoted(field.key) + ": " + Quoted(text) + " is not a number" + range};
        }
        return *value;
    }

    template <class Real>
    Real Number(std::string_view key, double min, double max) {
        const Field& field = Take(key);
        return Number<Real>(field, field.value, min, max);
    }

    // "natal X, progressed Y, transits Z".
    std::array<double, 3> Orbs(std::string_view key) {
        const Field& field = Take(key);
        static constexpr std::string_view kKinds[] = {"natal", "progressed", "transits"};
        std::array<double, 3> orbs{};
        std::string_view rest = field.value;
        for (std::size_t i = 0; i < orbs.size(); ++i) {
            const auto comma = rest.find(',');
            const std::string_view part = Trim(rest.substr(0, comma));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            const auto space = part.find(' ');
            if (space == std::string_view::npos || part.substr(0, space) != kKinds[i] ||
                !RealNumber<double>(Trim(part.substr(space + 1))) ||
                (i + 1 < orbs.size()) == (comma == std::string_view::npos)) {
                throw SourceError{
                    field.line, Quoted(key) + " is written \"natal X, progressed Y, transits Z\""};
            }
            orbs[i] = Number<double>(field, Trim(part.substr(space + 1)), 0.0, 360.0);
        }
        return orbs;
    }

    // Refuses the fields nobody took.
    void Finish() const {
        for (const Field& field : section_.fields) {
            if (!field.used) {
                throw SourceError{field.line,
                                  "unknown field " + Quoted(field.key) + " in " + label_};
            }
        }
    }

    const std::string& label() const { return label_; }

private:
    static std::string Plain(double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
        return text;
    }

    long CheckInteger(const Field& field, std::optional<long> value, long min, long max) const {
        if (!value || *value < min || *value > max) {
            throw SourceError{field.line, Quoted(field.key) + ": " + Quoted(field.value) +
                                              " is not a whole number from " + std::to_string(min) +
                                              " to " + std::to_string(max)};
        }
        return *value;
    }

    Section& section_;
    std::string label_;
};

// Checks that the sections are "[kind 1]", "[kind 2]"... in order.
void CheckNumbering(const Section& section, std::string_view kind, int expected) {
    if (section.kind != kind || section.number != expected) {
        throw SourceError{section.line, "expected [" + std::string(kind) + " " +
                                            std::to_string(expected) + "] here"};
    }
}

Status ErrorStatus(const fs::path& source, const SourceError& error) {
    return {StatusCode::kDamaged,
            source.string() + ":" + std::to_string(error.line) + ": " + error.what,
            {},
            source};
}

constexpr long kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr long kInt16Max = std::numeric_limits<std::int16_t>::max();

aspects::AspectSet ReadAspectSet(std::vector<Section>& sections) {
    aspects::AspectSet set;
    SectionReader header(sections.front());
    if (const Field& version = header.Take("version"); version.value != "1") {
        throw SourceError{version.line, "\"version\" is 1, the layout the program writes"};
    }
    set.header.version = 1;
    set.header.description = header.Text("description", 80);
    const Field& method = header.Take("orb_method");
    const auto orb_method = WholeNumber(method.value);
    if (!orb_method || *orb_method < 0 || *orb_method > 5 || *orb_method == 3) {
        throw SourceError{method.line, "\"orb_method\" is 0, 1, 2, 4 or 5"};
    }
    set.header.orb_method = static_cast<int>(*orb_method);
    set.header.moieties = header.YesNo("moieties");
    set.header.three_d = header.YesNo("three_d");
    set.header.unidirectional = header.YesNo("unidirectional");
    header.Finish();

    std::size_t index = 1;
    for (; index < sections.size() && sections[index].kind != "ratios"; ++index) {
        Section& section = sections[index];
        CheckNumbering(section, "aspect", static_cast<int>(index));
        SectionReader fields(section);
        aspects::AspectRecord aspect;
        aspect.number = section.number;
        aspect.name = fields.Text("name", 20);
        aspect.abbreviation = fields.Text("abbreviation", 4);
        aspect.glyph = static_cast<std::uint8_t>(fields.Integer("glyph", 0, 255));
        aspect.angle = fields.Number<double>("angle", 0.0, 180.0);
        aspect.weight = static_cast<int>(fields.Integer("weight", kInt16Min, kInt16Max));
        aspect.harmonic = fields.Number<float>("harmonic", 0.0, kUnbounded);
        aspect.enabled = fields.YesNo("enabled");
        aspect.colour = fields.Colour("colour");
        aspect.line_style = static_cast<int>(fields.Integer("line_style", kInt16Min, kInt16Max));
        static constexpr std::string_view kGroups[] = {"luminary_applying", "other_applying",
                                                       "luminary_separating", "other_separating"};
        for (std::size_t group = 0; group < aspect.orbs.size(); ++group) {
            aspect.orbs[group] = fields.Orbs(kGroups[group]);
        }
        fields.Finish();
        set.aspects.push_back(std::move(aspect));
    }
    const int last_line = sections.size() > 1 ? sections[index - 1].line : 1;
    if (set.aspects.size() < 2) {
        throw SourceError{last_line,
                          "an aspect set ends with the parallel and the contraparallel, so it "
                          "holds at least two aspects"};
    }
    if (index + 1 != sections.size()) {
        throw SourceError{index < sections.size() ? sections[index].line : last_line,
                          "the aspects are followed by one [ratios] section, the last"};
    }
    Section& ratios_section = sections[index];
    if (ratios_section.number != 0) {
        throw SourceError{ratios_section.line, "the heading is [ratios]"};
    }
    SectionReader ratios(ratios_section);
    set.ratios.fill(ratios.Number<float>("default", 0.0, kUnbounded));
    set.ratios[0] = 0.0F;
    for (int point = 1; point <= aspects::kMaxRatioPoints; ++point) {
        if (const Field* field = ratios.Find("point " + std::to_string(point))) {
            set.ratios[static_cast<std::size_t>(point)] =
                ratios.Number<float>(*field, field->value, 0.0, kUnbounded);
        }
    }
    ratios.Finish();
    aspects::BuildActiveAspects(set);
    return set;
}

PointSelectionSource ReadPointSelection(std::vector<Section>& sections) {
    SectionReader(sections.front()).Finish();
    PointSelectionSource source;
    for (std::size_t index = 1; index < sections.size(); ++index) {
        Section& section = sections[index];
        CheckNumbering(section, "point", static_cast<int>(index));
        if (section.number > charts::kSelectionPoints) {
            throw SourceError{
                section.line,
                "a selection has at most " + std::to_string(charts::kSelectionPoints) + " points"};
        }
        SectionReader fields(section);
        const Field& name = fields.Take("name");
        const std::string expected = startup::Names().PointName(section.number, 1);
        if (name.value != expected) {
            throw SourceError{name.line, "point " + std::to_string(section.number) + " is named " +
                                             Quoted(expected) + ", not " + Quoted(name.value)};
        }
        if (fields.YesNo("selected")) {
            source.table.geocentric[static_cast<std::size_t>(section.number)] = true;
            ++source.table.geocentric_count;
        }
        fields.Finish();
        source.points = section.number;
    }
    if (source.points == 0) {
        throw SourceError{1, "a point selection lists its points as [point 1], [point 2]..."};
    }
    return source;
}

bool IsSelectionExtension(const std::string& extension) {
    for (const auto kind :
         {charts::SelectionKind::kDisplayed, charts::SelectionKind::kTransiting,
          charts::SelectionKind::kAspected, charts::SelectionKind::kProgressing,
          charts::SelectionKind::kExtraTransiting, charts::SelectionKind::kExtraProgressing,
          charts::SelectionKind::kExtraRadix}) {
        if (extension == charts::SelectionExtension(kind)) {
            return true;
        }
    }
    return false;
}

}  // namespace

StatusOr<aspects::AspectSet> ParseAspectSetSource(std::string_view text, const fs::path& source) {
    try {
        std::vector<Section> sections = SplitSections(text);
        return ReadAspectSet(sections);
    } catch (const SourceError& error) {
        return ErrorStatus(source, error);
    }
}

StatusOr<PointSelectionSource> ParsePointSelectionSource(std::string_view text,
                                                         const fs::path& source) {
    try {
        std::vector<Section> sections = SplitSections(text);
        return ReadPointSelection(sections);
    } catch (const SourceError& error) {
        return ErrorStatus(source, error);
    }
}

namespace {

// Extra-point definition files: user-defined points, ring points, star and asteroid lists, and
// the extra points in use.
bool IsExtraPointExtension(const fs::path& output) {
    const std::string name = output.filename().string();
    for (const char* extension : {astro::kUserPointsExtension, astro::kRingPointsExtension,
                                  astro::kStarListExtension, astro::kAsteroidListExtension}) {
        if (startup::EndsWithNoCase(name, extension)) {
            return true;
        }
    }
    return startup::EqualNoCase(name, astro::kExtraPointsInUseFile);
}

}  // namespace

Status MakeFactoryFile(const fs::path& source, const fs::path& output) {
    const std::optional<std::string> text = startup::ReadFileBytes(source, kMaxSourceBytes);
    if (!text) {
        return {StatusCode::kUnreadable, source.string() + ": cannot read the source", {}, source};
    }
    const Status write_failed(StatusCode::kWriteFailed, output.string() + ": cannot write the file",
                              {}, output);
    const std::string extension = output.extension().string();
    if (extension == ".asp") {
        const auto set = ParseAspectSetSource(*text, source);
        if (!set.ok()) {
            return set.status();
        }
        return aspects::SaveAspectSet(output, *set) ? Status::Ok() : write_failed;
    }
    if (IsSelectionExtension(extension)) {
        const auto selection = ParsePointSelectionSource(*text, source);
        if (!selection.ok()) {
            return selection.status();
        }
        return charts::SavePointSelection(output, selection->table, selection->points)
                   ? Status::Ok()
                   : write_failed;
    }
    if (extension == astro::kPartsExtension) {
        const auto parts = astro::ParsePartsFile(*text, source);
        if (!parts.ok()) {
            return {StatusCode::kDamaged, parts.status().message(), {}, source};
        }
        return astro::WritePartsFile(output, *parts).ok() ? Status::Ok() : write_failed;
    }
    if (IsExtraPointExtension(output)) {
        const auto points = astro::ParseExtraPointFile(*text, source);
        if (!points.ok()) {
            return {StatusCode::kDamaged, points.status().message(), {}, source};
        }
        return astro::WriteExtraPointFile(output, *points).ok() ? Status::Ok() : write_failed;
    }
    return {StatusCode::kRefused,
            output.string() + ": no factory file kind has this extension",
            {},
            output};
}

}  // namespace meridia::tools
