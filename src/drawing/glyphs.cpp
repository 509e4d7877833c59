#include "drawing/glyphs.h"

#include <algorithm>
#include <cmath>

#include "astro/extra_points.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/settings.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::drawing {

namespace {

// Characters of the points 1..50 in the symbol font (0: written as the abbreviation). The
// Ascendant, Midheaven and the other house angles are written as text, as astrologers write
// them ("AC", "MC").
constexpr std::array<std::uint8_t, 51> kPointChars = {
    0,                                                 // unused
    'A', 'B', 'C', 0,   'E', 'F', 'G', 'H', 'I', 'J',  // Moon .. Uranus
    'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R', 'S', 'T',  // Neptune .. North Node
    'U', 0,   0,   0,   0,   'Z', 'a', 'b', 'c', 'd',  // South Node .. Kronos
    'e', 'f', 'g', 'h', 'i', 'j', 0,   0,   0,   0,    // Apollon .. Descendant
    0,   0,   0,   0,   220, 134, 0,   'k', 'l', 'm',  // Imum Coeli .. Eris
};

// Alternatives: Uranus, Neptune, Pluto and Eris in their second forms.
constexpr std::uint8_t kUranusAltChar = 'n';
constexpr std::uint8_t kNeptuneAltChar = 'o';
constexpr std::uint8_t kPlutoAltChar = 'q';
constexpr std::uint8_t kErisAltChar = 'r';
constexpr std::uint8_t kSpiritChar = 's';
constexpr std::uint8_t kSpiritAltChar = 't';

// Aspect characters of the symbol font, by the usual angle of each aspect.
struct AngleGlyph {
    double angle;
    std::uint8_t code;
};
constexpr std::array<AngleGlyph, 11> kAngleGlyphs = {{{0, 'v'},
                                                      {180, 'w'},
                                                      {120, 'x'},
                                                      {90, 'y'},
                                                      {60, 'z'},
                                                      {45, '{'},
                                                      {135, '|'},
                                                      {30, '}'},
                                                      {150, '~'},
                                                      {72, 'Y'},
                                                      {144, 'X'}}};

const std::vector<SymbolEntry> kSymbols = {
    {128, U'\u2648', "Aries (old code)"},
    {129, U'\u2649', "Taurus (old code)"},
    {kAriesChar, U'\u2648', "Aries"},
    {kTaurusChar, U'\u2649', "Taurus"},
    {130, U'\u264A', "Gemini"},
    {131, U'\u264B', "Cancer"},
    {132, U'\u264C', "Leo"},
    {133, U'\u264D', "Virgo"},
    {134, U'\u264E', "Libra"},
    {135, U'\u264F', "Scorpio"},
    {136, U'\u2650', "Sagittarius"},
    {kCapricornChar, U'\u2651', "Capricorn"},
    {kCapricornAltChar, U'\u2651', "Capricorn (second form)"},
    {138, U'\u2652', "Aquarius"},
    {139, U'\u2653', "Pisces"},
    {'A', U'\u263D', "Moon"},
    {'B', U'\u2641', "Earth"},
    {'C', U'\u2609', "Sun"},
    {'E', U'\u263F', "Mercury"},
    {'F', U'\u2640', "Venus"},
    {'G', U'\u2642', "Mars"},
    {'H', U'\u2643', "Jupiter"},
    {'I', U'\u2644', "Saturn"},
    {'J', U'\u2645', "Uranus"},
    {'K', U'\u2646', "Neptune"},
    {'L', U'\u2647', "Pluto"},
    {'M', U'\u26B7', "Chiron"},
    {'N', U'\u26B6', "Vesta"},
    {'O', U'\u26B4', "Pallas"},
    {'P', U'\u26B5', "Juno"},
    {'Q', U'\u26B3', "Ceres"},
    {'R', U'\u2BDA', "Hygiea"},
    {'S', U'\u2BD9', "Astraea"},
    {'T', U'\u260A', "North Node"},
    {'U', U'\u260B', "South Node"},
    {'Z', U'\u2297', "Part of Fortune"},
    {'a', U'\u2BE0', "Cupido"},
    {'b', U'\u2BE1', "Hades"},
    {'c', U'\u2BE2', "Zeus"},
    {'d', U'\u2BE3', "Kronos"},
    {'e', U'\u2BE4', "Apollon"},
    {'f', U'\u2BE5', "Admetos"},
    {'g', U'\u2BE6', "Vulcanus"},
    {'h', U'\u2BE7', "Poseidon"},
    {'i', U'\u2BD7', "Transpluto"},
    {'j', U'\u26B8', "Black Moon"},
    {'k', U'\u2BDD', "Selena"},
    {'l', U'\u2BF2', "Sedna"},
    {'m', U'\u2BF0', "Eris"},
    {kUranusAltChar, U'\u26E2', "Uranus (second form)"},
    {kNeptuneAltChar, U'\u2BC9', "Neptune (second form)"},
    {kPlutoAltChar, U'\u2BD3', "Pluto (second form)"},
    {kErisAltChar, U'\u2BF1', "Eris (second form)"},
    {kSpiritChar, U'\u2295', "Part of Spirit"},
    {kSpiritAltChar, U'\u2299', "Part of Spirit (second form)"},
    {'v', U'\u260C', "Conjunction"},
    {'w', U'\u260D', "Opposition"},
    {'x', U'\u25B3', "Trine"},
    {'y', U'\u25A1', "Square"},
    {'z', U'\u26B9', "Sextile"},
    {'{', U'\u2220', "Semisquare"},
    {'|', U'\u26BC', "Sesquisquare"},
    {'}', U'\u26BA', "Semisextile"},
    {'~', U'\u26BB', "Quincunx"},
    {'Y', U'Q', "Quintile"},
    {'X', U'b', "Biquintile"},
    {92, U'\u2225', "Parallel"},
    {94, U'\u22D5', "ContraParallel"},
    {176, U'\u00B0', "degree"},
    {39, U'\u2032', "minute"},
    {34, U'\u2033', "second"},
    {'D', U'D', "direct"},
    {174, U'\u211E', "retrograde"},
    {'W', U'S', "station"},
    {240, U'd', "marker d"},
    {241, U'n', "marker n"},
    {242, U'r', "marker r"},
    {243, U'p', "marker p"},
    {244, U't', "marker t"},
    {175, U'\u25CF', "solar eclipse"},
    {177, U'\u25D0', "lunar eclipse"},
    {178, U'\u2B52', "quindecile"},
};

}  // namespace

const std::vector<SymbolEntry>& SymbolTable() { return kSymbols; }

std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string SymbolText(std::uint8_t code) {
    // The marks share codes with letters of other entries only where they stand for the same
    // thing; the first entry of a code is the one drawn.
    for (const SymbolEntry& e : kSymbols) {
        if (e.code == code) {
            return Utf8Of(e.unicode);
        }
    }
    return {};
}

void GlyphOptions::Initialize(std::string_view name, std::vector<std::uint8_t> characters) {
    name_ = std::string(name);
    characters_ = std::move(characters);
    current_ = 0;
}

void GlyphOptions::SetOption(std::uint8_t character, int option) {
    if (option < 1) {
        return;
    }
    const auto i = static_cast<std::size_t>(option - 1);
    if (characters_.size() <= i) {
        characters_.resize(i + 1, 0);
    }
    characters_[i] = character;
}

void GlyphOptions::ReadFromIni(const startup::SettingsClass& settings) {
    current_ = 0;
    if (characters_.empty()) {
        return;
    }
    const std::string fallback = std::to_string(characters_[0]);
    std::string text = settings.Has(name_) ? settings.GetString(name_) : fallback;
    const auto value = startup::ParseLeadingInteger(text);
    if (!value) {
        return;
    }
    for (std::size_t i = 0; i < characters_.size(); ++i) {
        if (characters_[i] == *value) {
            current_ = i;
            return;
        }
    }
}

std::uint8_t GlyphOptions::Glyph() const { return characters_.empty() ? 0 : characters_[current_]; }

GlyphSet::GlyphSet() {
    capricorn_.Initialize("CapricornGlyph", {kCapricornChar, kCapricornAltChar});
    pluto_.Initialize("PlutoGlyph", {'L', kPlutoAltChar});
    uranus_.Initialize("UranusGlyph", {'J', kUranusAltChar});
    neptune_.Initialize("NeptuneGlyph", {'K', kNeptuneAltChar});
    eris_.Initialize("ErisGlyph", {'m', kErisAltChar});
    spirit_.Initialize("SpiritGlyph", {kSpiritChar, kSpiritAltChar});
    std::copy(kPointChars.begin(), kPointChars.end(), points_.begin());
    signs_[1] = kAriesChar;
    signs_[2] = kTaurusChar;
    for (int s = 3; s <= 12; ++s) {
        signs_[static_cast<std::size_t>(s)] = static_cast<std::uint8_t>(127 + s);
    }
    const auto& names = startup::Names();
    for (int s = 1; s <= 12; ++s) {
        symbol_text_[signs_[static_cast<std::size_t>(s)]] = names.SignName(s, true);
    }
    symbol_text_[128] = names.SignName(1, true);
    symbol_text_[129] = names.SignName(2, true);
    symbol_text_[kCapricornAltChar] = names.SignName(10, true);
}

void GlyphSet::InitAll(const startup::SettingsClass& settings) {
    for (GlyphOptions* o : {&capricorn_, &pluto_, &uranus_, &neptune_, &eris_, &spirit_}) {
        o->ReadFromIni(settings);
    }
    signs_[10] = capricorn_.Glyph();
    points_[12] = pluto_.Glyph();
    points_[10] = uranus_.Glyph();
    points_[11] = neptune_.Glyph();
    points_[50] = eris_.Glyph();
}

std::uint8_t GlyphSet::PointChar(int point) const {
    return point >= 1 && point <= 100 ? points_[static_cast<std::size_t>(point)] : 0;
}

std::uint8_t GlyphSet::ExtraPointChar(int point) const {
    const astro::ExtraPointDefinition* def = astro::ExtraPointOf(point);
    if (def == nullptr) {
        return 0;
    }
    if (def->glyph > 0 && def->glyph <= 255) {
        return static_cast<std::uint8_t>(def->glyph);
    }
    return ExtraChar(ExtraIndex(def->abbreviation));
}

std::string GlyphSet::Point(int point) const {
    std::uint8_t c = PointChar(point);
    if (c == 0 && point > astro::kFixedPointCount) {
        c = ExtraPointChar(point);
    }
    if (c != 0) {
        std::string text = SymbolText(Substitute(c));
        if (!text.empty()) {
            return text;
        }
    }
    return startup::Names().PointName(point, 0);
}

std::uint8_t GlyphSet::SignChar(int sign) const {
    return sign >= 1 && sign <= 12 ? signs_[static_cast<std::size_t>(sign)] : 0;
}

std::string GlyphSet::Sign(int sign) const { return SymbolText(SignChar(sign)); }

std::uint8_t GlyphSet::AspectChar(std::uint8_t record_glyph, double angle) const {
    if (record_glyph != 0 && !SymbolText(record_glyph).empty()) {
        return record_glyph;
    }
    for (const AngleGlyph& g : kAngleGlyphs) {
        if (std::fabs(g.angle - angle) < 1e-6) {
            return g.code;
        }
    }
    return 0;
}

std::string GlyphSet::Aspect(std::uint8_t record_glyph, double angle) const {
    return SymbolText(AspectChar(record_glyph, angle));
}

std::string GlyphSet::Midpoint(int point_a, int point_b) const {
    return Point(point_a) + "/" + Point(point_b);
}

std::string GlyphSet::PointOrPoint(int point_a, int point_b) const {
    return Point(point_a) + "|" + Point(point_b);
}

void GlyphSet::SetPoint(int point, std::uint8_t character) {
    if (point >= 1 && point <= 100) {
        points_[static_cast<std::size_t>(point)] = character;
    }
}

void GlyphSet::SetSign(int sign, std::uint8_t character) {
    if (sign >= 1 && sign <= 12) {
        signs_[static_cast<std::size_t>(sign)] = character;
    }
}

std::string GlyphSet::GlyphToText(std::uint8_t character) const { return symbol_text_[character]; }

void GlyphSet::SetSymbolToText(std::uint8_t character, std::string text) {
    symbol_text_[character] = std::move(text);
}

startup::Status GlyphSet::LoadExtraGlyphs(const std::filesystem::path& path) {
    extra_.clear();
    substitution_.fill(0);
    // A definition file is a short list; anything beyond a megabyte is not one.
    auto bytes = startup::ReadFileLimited(path, std::size_t{1} << 20);
    if (!bytes.ok()) {
        const std::string text = "Error - file not found\n" + path.string();
        startup::ShowMessage(text, startup::kOkOnly, "");
        return startup::Status(startup::StatusCode::kNotFound, text, "", path);
    }
    const std::string text = startup::Windows1252ToUtf8(*bytes);
    for (std::string_view line : startup::SplitLines(text)) {
        if (line.size() < 2 || line.front() == '#') {
            continue;
        }
        std::vector<std::string_view> fields;
        std::size_t start = 0;
        while (true) {
            const std::size_t bar = line.find('|', start);
            fields.push_back(startup::Trim(line.substr(start, bar - start)));
            if (bar == std::string_view::npos) {
                break;
            }
            start = bar + 1;
        }
        if (fields.size() < 2) {
            continue;
        }
        const auto code = startup::ParseInteger(fields[1]);
        if (!code || *code < 0 || *code > 255) {
            continue;
        }
        ExtraGlyph g;
        g.abbreviation = std::string(fields[0]);
        g.character = static_cast<std::uint8_t>(*code);
        g.index = NumExtraPoints() + 1;
        extra_.push_back(g);
        if (fields.size() >= 3) {
            const auto third = startup::ParseInteger(fields[2]);
            if (third && *third >= 128 && *third <= 255) {
                substitution_[static_cast<std::size_t>(*third - 128)] = g.character;
            }
        }
    }
    return startup::Status::Ok();
}

std::string GlyphSet::ExtraAbbr(int n) const {
    return n >= 1 && n <= NumExtraPoints() ? extra_[static_cast<std::size_t>(n - 1)].abbreviation
                                           : std::string();
}

std::uint8_t GlyphSet::ExtraChar(int n) const {
    return n >= 1 && n <= NumExtraPoints() ? extra_[static_cast<std::size_t>(n - 1)].character : 0;
}

int GlyphSet::ExtraIndex(std::string_view abbr) const {
    for (const ExtraGlyph& g : extra_) {
        if (startup::EqualNoCase(g.abbreviation, abbr)) {
            return g.index;
        }
    }
    return 0;
}

std::uint8_t GlyphSet::Substitute(std::uint8_t character) const {
    if (character >= 128) {
        const std::uint8_t s = substitution_[static_cast<std::size_t>(character - 128)];
        return s != 0 ? s : character;
    }
    return character;
}

namespace {
struct GlyphState {
    GlyphSet glyphs;
    bool initialised = false;
};
}  // namespace

GlyphSet& Glyphs() {
    auto& state = startup::CurrentSession().Get<GlyphState>();
    if (!state.initialised) {
        state.initialised = true;
        state.glyphs.InitAll(startup::CurrentSession().settings());
        // The glyphs of the extra points, from the program's data folder (a missing file is
        // reported by the loader; the extra points then show their abbreviations).
        const std::filesystem::path& program = startup::CurrentSession().folders().program;
        if (!program.empty()) {
            (void)state.glyphs.LoadExtraGlyphs(program / kExtraGlyphsFile);
        }
    }
    return state.glyphs;
}

}  // namespace meridia::drawing
