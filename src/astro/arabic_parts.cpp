#include "astro/arabic_parts.h"

#include <cctype>

#include "astro/angles.h"
#include "astro/houses.h"
#include "startup/file_io.h"
#include "startup/name_tables.h"
#include "startup/text_tools.h"
#include "textformats/angle_text.h"

namespace meridia::astro {

namespace {

using startup::Status;
using startup::StatusCode;
using startup::StatusOr;

constexpr int kMaxTerms = 16;
constexpr int kMaxGlyph = 0xFFFF;

// Sign 1..12 to ruling point, traditional and modern.
constexpr std::array<int, 13> kTraditionalRulers = {0,       kMars,    kVenus,  kMercury, kMoon,
                                                    kSun,    kMercury, kVenus,  kMars,    kJupiter,
                                                    kSaturn, kSaturn,  kJupiter};
constexpr std::array<int, 13> kModernRulers = {0,       kMars,    kVenus,  kMercury, kMoon,
                                               kSun,    kMercury, kVenus,  kPluto,   kJupiter,
                                               kSaturn, kUranus,  kNeptune};

Status Damaged(const std::filesystem::path& path, int line, std::string_view what) {
    return Status(StatusCode::kDamaged,
                  "The Arabic parts file " + path.string() + " cannot be used (line " +
                      std::to_string(line) + ": " + std::string(what) + ").",
                  "File Error", path);
}

std::vector<std::string_view> SplitBars(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (fields.size() <= 8) {
        const std::size_t bar = line.find('|', start);
        fields.push_back(startup::Trim(line.substr(start, bar - start)));
        if (bar == std::string_view::npos) {
            break;
        }
        start = bar + 1;
    }
    return fields;
}

std::optional<int> SmallNumber(std::string_view text, int low, int high) {
    const auto value = startup::ParseInteger(text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

// "H8" or "Cusp 8": the cusp number.
std::optional<int> CuspOperand(std::string_view text) {
    if (text.size() >= 2 && (text[0] == 'H' || text[0] == 'h')) {
        if (auto n = SmallNumber(text.substr(1), 1, 12)) {
            return n;
        }
    }
    if (text.size() > 5 && startup::EqualNoCase(text.substr(0, 5), "cusp ")) {
        return SmallNumber(startup::Trim(text.substr(5)), 1, 12);
    }
    return std::nullopt;
}

// "15Ar30", "0Ar": degrees, a two-letter sign abbreviation, minutes. Only texts of that shape
// reach the angle parser, so a name is never taken for a position.
std::optional<double> PositionOperand(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    if (i == 0 || i > 2 || i + 2 > text.size() ||
        std::isalpha(static_cast<unsigned char>(text[i])) == 0 ||
        std::isalpha(static_cast<unsigned char>(text[i + 1])) == 0) {
        return std::nullopt;
    }
    for (std::size_t j = i + 2; j < text.size(); ++j) {
        if (std::isdigit(static_cast<unsigned char>(text[j])) == 0 || j >= i + 4) {
            return std::nullopt;
        }
    }
    const std::string sign(text.substr(i, 2));
    bool known = false;
    for (int s = 1; s <= 12; ++s) {
        known = known || startup::EqualNoCase(startup::Names().SignName(s, true), sign);
    }
    if (!known) {
        return std::nullopt;
    }
    return textformats::ParseAngle(text);
}

// Reads one term; the error text when it names nothing.
std::optional<std::string> ReadTerm(std::string_view text, const PartsFile& parts, LotTerm& term) {
    term.text = std::string(text);
    if (auto cusp = CuspOperand(text)) {
        term.type = LotOperandType::kCusp;
        term.value = *cusp;
        return std::nullopt;
    }
    if (text.size() > 6 && startup::EqualNoCase(text.substr(0, 6), "ruler ")) {
        const std::string_view of = startup::Trim(text.substr(6));
        if (auto cusp = CuspOperand(of)) {
            term.type = LotOperandType::kRulerOfCusp;
            term.value = *cusp;
            return std::nullopt;
        }
        if (const int point = FixedPointByName(of); point > 0) {
            term.type = LotOperandType::kRulerOfPoint;
            term.value = point;
            return std::nullopt;
        }
        return "no cusp or point \"" + std::string(of) + "\"";
    }
    for (const std::string_view prefix : {"lot ", "part "}) {
        if (text.size() > prefix.size() &&
            startup::EqualNoCase(text.substr(0, prefix.size()), prefix)) {
            const std::string_view name = startup::Trim(text.substr(prefix.size()));
            const int lot = FindLot(parts, name);
            if (lot < 0) {
                return "no earlier lot \"" + std::string(name) + "\"";
            }
            term.type = LotOperandType::kLot;
            term.value = lot;
            return std::nullopt;
        }
    }
    if (const int point = FixedPointByName(text); point > 0) {
        term.type = LotOperandType::kPoint;
        term.value = point;
        return std::nullopt;
    }
    if (auto position = PositionOperand(text)) {
        term.type = LotOperandType::kPosition;
        term.position = Norm360(*position);
        return std::nullopt;
    }
    return "no point, cusp, ruler, position or lot \"" + std::string(text) + "\"";
}

std::optional<std::string> ReadFormula(std::string_view formula, const PartsFile& parts,
                                       LotDefinition& lot) {
    int sign = 1;
    std::string_view rest = formula;
    while (true) {
        // The next operator with blanks on both sides.
        std::size_t at = std::string_view::npos;
        int next_sign = 1;
        for (std::size_t i = 1; i + 1 < rest.size(); ++i) {
            if ((rest[i] == '+' || rest[i] == '-') && rest[i - 1] == ' ' && rest[i + 1] == ' ') {
                at = i;
                next_sign = rest[i] == '+' ? 1 : -1;
                break;
            }
        }
        const std::string_view text = startup::Trim(rest.substr(0, at));
        if (text.empty()) {
            return std::string("an empty term");
        }
        if (static_cast<int>(lot.terms.size()) >= kMaxTerms) {
            return "more than " + std::to_string(kMaxTerms) + " terms";
        }
        LotTerm term;
        term.sign = sign;
        if (auto error = ReadTerm(text, parts, term)) {
            return error;
        }
        lot.terms.push_back(std::move(term));
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        sign = next_sign;
        rest = rest.substr(at + 1);
    }
}

struct OperandValue {
    double longitude = -1.0;
    double speed = 0.0;
};

OperandValue PointValue(const ChartSlot& slot, int point) {
    const auto i = static_cast<std::size_t>(point);
    return {slot.longitude[i], slot.speed[i]};
}

OperandValue TermValue(const PartsFile& parts, const LotTerm& term, const ChartSlot& slot,
                       const std::array<double, 13>& cusp_speeds, bool reverse_allowed) {
    switch (term.type) {
        case LotOperandType::kPoint:
            return PointValue(slot, term.value);
        case LotOperandType::kCusp: {
            const auto c = static_cast<std::size_t>(term.value);
            return {slot.cusps[c], cusp_speeds[c]};
        }
        case LotOperandType::kRulerOfCusp:
            return PointValue(slot,
                              RulerOfSign(SignOf(slot.cusps[static_cast<std::size_t>(term.value)]),
                                          parts.modern_rulers));
        case LotOperandType::kRulerOfPoint: {
            const double longitude = slot.longitude[static_cast<std::size_t>(term.value)];
            if (longitude < 0.0) {
                return {};
            }
            return PointValue(slot, RulerOfSign(SignOf(longitude), parts.modern_rulers));
        }
        case LotOperandType::kPosition:
            return {term.position, 0.0};
        case LotOperandType::kLot: {
            // Only earlier lots are operands, so the recursion ends.
            const LotValue value =
                EvaluateLot(parts, term.value, slot, cusp_speeds, reverse_allowed);
            return {value.longitude, value.speed};
        }
    }
    return {};
}

}  // namespace

int FixedPointByName(std::string_view text) {
    text = startup::Trim(text);
    if (text.empty()) {
        return 0;
    }
    if (auto number = SmallNumber(text, 1, kFixedPointCount)) {
        return *number;
    }
    const auto& names = startup::Names();
    for (int p = 1; p <= kFixedPointCount; ++p) {
        if (startup::EqualNoCase(names.PointName(p, 0), text) ||
            startup::EqualNoCase(names.PointName(p, 1), text)) {
            return p;
        }
    }
    return 0;
}

int RulerOfSign(int sign, bool modern) {
    if (sign < 1 || sign > 12) {
        return 0;
    }
    const auto s = static_cast<std::size_t>(sign);
    return modern ? kModernRulers[s] : kTraditionalRulers[s];
}

bool IsNightChart(const ChartSlot& slot) {
    return Norm360(slot.longitude[kSun] - slot.longitude[kAscendant]) <= 180.0;
}

int FindLot(const PartsFile& parts, std::string_view name) {
    name = startup::Trim(name);
    for (std::size_t i = 0; i < parts.lots.size(); ++i) {
        if (startup::EqualNoCase(parts.lots[i].name, name) ||
            startup::EqualNoCase(parts.lots[i].abbreviation, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

StatusOr<PartsFile> ParsePartsFile(std::string_view text, const std::filesystem::path& path) {
    PartsFile parts;
    parts.path = path;
    int number = 0;
    bool rulers_given = false;
    for (const std::string_view raw : startup::SplitLines(text)) {
        ++number;
        const std::string_view line = startup::Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.find('|') == std::string_view::npos) {
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos ||
                !startup::EqualNoCase(startup::Trim(line.substr(0, eq)), "rulerships") ||
                rulers_given) {
                return Damaged(path, number, "not a lot");
            }
            const std::string_view value = startup::Trim(line.substr(eq + 1));
            if (startup::EqualNoCase(value, "modern")) {
                parts.modern_rulers = true;
            } else if (!startup::EqualNoCase(value, "traditional")) {
                return Damaged(path, number, "rulerships are traditional or modern");
            }
            rulers_given = true;
            continue;
        }
        if (static_cast<int>(parts.lots.size()) >= kMaxLots) {
            return Damaged(path, number, "more than " + std::to_string(kMaxLots) + " lots");
        }
        const std::vector<std::string_view> fields = SplitBars(line);
        if (fields.size() < 3 || fields.size() > 5) {
            return Damaged(path, number, "a lot has three to five fields");
        }
        LotDefinition lot;
        lot.name = std::string(fields[0]);
        lot.abbreviation = std::string(fields[1]);
        lot.formula = std::string(fields[2]);
        if (lot.name.empty() || lot.name.size() > kMaxLotNameLength) {
            return Damaged(path, number, "the name is empty or too long");
        }
        if (lot.abbreviation.empty() || lot.abbreviation.size() > kMaxLotAbbreviationLength) {
            return Damaged(path, number, "the abbreviation is empty or too long");
        }
        if (FindLot(parts, lot.name) >= 0 || FindLot(parts, lot.abbreviation) >= 0) {
            return Damaged(path, number, "the name or abbreviation is taken");
        }
        if (fields.size() >= 4 && !fields[3].empty()) {
            if (startup::EqualNoCase(fields[3], "reverse")) {
                lot.reverse_by_night = true;
            } else if (!startup::EqualNoCase(fields[3], "no")) {
                return Damaged(path, number, "the fourth field is reverse or no");
            }
        }
        if (fields.size() == 5 && !fields[4].empty()) {
            const auto glyph = SmallNumber(fields[4], 0, kMaxGlyph);
            if (!glyph) {
                return Damaged(path, number, "the glyph is not a character code");
            }
            lot.glyph = *glyph;
        }
        if (auto error = ReadFormula(lot.formula, parts, lot)) {
            return Damaged(path, number, *error);
        }
        parts.lots.push_back(std::move(lot));
    }
    return parts;
}

StatusOr<PartsFile> ReadPartsFile(const std::filesystem::path& path) {
    StatusOr<std::string> bytes = startup::ReadFileLimited(path, kMaxPartsFileBytes);
    if (!bytes.ok()) {
        const StatusCode code = bytes.status().code();
        return Status(code,
                      code == StatusCode::kNotFound
                          ? "The Arabic parts file " + path.string() + " was not found."
                          : "The Arabic parts file " + path.string() + " cannot be read.",
                      "File Error", path);
    }
    return ParsePartsFile(*bytes, path);
}

std::string FormatPartsFile(const PartsFile& parts) {
    std::string text = "# Arabic parts: NAME | ABBREVIATION | FORMULA | reverse or no | GLYPH\n";
    text += parts.modern_rulers ? "rulerships = modern\n" : "rulerships = traditional\n";
    for (const LotDefinition& lot : parts.lots) {
        text += lot.name + " | " + lot.abbreviation + " | " + lot.formula + " | " +
                (lot.reverse_by_night ? "reverse" : "no") + " | " + std::to_string(lot.glyph) +
                "\n";
    }
    return text;
}

Status WritePartsFile(const std::filesystem::path& path, const PartsFile& parts) {
    return startup::WriteFileSafely(path, FormatPartsFile(parts));
}

LotValue EvaluateLot(const PartsFile& parts, int index, const ChartSlot& slot,
                     const std::array<double, 13>& cusp_speeds, bool reverse_allowed) {
    if (index < 0 || index >= static_cast<int>(parts.lots.size())) {
        return {};
    }
    const LotDefinition& lot = parts.lots[static_cast<std::size_t>(index)];
    const bool reverse = reverse_allowed && lot.reverse_by_night && slot.longitude[kSun] >= 0.0 &&
                         slot.longitude[kAscendant] >= 0.0 && IsNightChart(slot);
    double sum = 0.0;
    double speed = 0.0;
    for (std::size_t i = 0; i < lot.terms.size(); ++i) {
        const LotTerm& term = lot.terms[i];
        const OperandValue value = TermValue(parts, term, slot, cusp_speeds, reverse_allowed);
        if (value.longitude < 0.0) {
            return {};
        }
        const double sign = (reverse && i > 0) ? -term.sign : term.sign;
        sum += sign * value.longitude;
        speed += sign * value.speed;
    }
    return {Norm360(sum), speed};
}

}  // namespace meridia::astro
