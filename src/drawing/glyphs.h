// Glyphs: the characters of the program's symbol font that stand for points, signs and
// aspects, the user's choice among alternative glyphs, the extra-point glyphs of
// "AstGlyphs2.dat", and the one table that maps every symbol-font character to the Unicode
// code point (or the short text) it is drawn with. Not thread-safe: one session, one thread.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "startup/status.h"

namespace meridia::startup {
class SettingsClass;
}

namespace meridia::drawing {

// Sign characters of the symbol font: Aries 220, Taurus 221, Gemini..Pisces 130..139 (Aries
// and Taurus were 128 and 129 before; both codes still read as those signs).
inline constexpr std::uint8_t kAriesChar = 220;
inline constexpr std::uint8_t kTaurusChar = 221;
inline constexpr std::uint8_t kCapricornChar = 137;
inline constexpr std::uint8_t kCapricornAltChar = 250;

// One entry of the symbol table: a character of the symbol font, its Unicode code point, and
// what it stands for.
struct SymbolEntry {
    std::uint8_t code = 0;
    char32_t unicode = 0;
    std::string_view meaning;
};

// Every symbol-font character the program draws, with its code point.
const std::vector<SymbolEntry>& SymbolTable();
// The UTF-8 text a symbol-font character is drawn with ("" when the table has none).
std::string SymbolText(std::uint8_t code);
// UTF-8 of one code point.
std::string Utf8Of(char32_t code_point);

// A glyph with alternative characters, chosen by a settings key holding a character code.
class GlyphOptions {
public:
    // Sets the key name and the characters of options 1..n; option 1 becomes current.
    void Initialize(std::string_view name, std::vector<std::uint8_t> characters);
    // Sets the character of option n (1-based; the list grows as needed).
    void SetOption(std::uint8_t character, int option);
    // Reads the key (default: option 1's code as text): the option with that character becomes
    // current; a number that matches no option keeps option 1.
    void ReadFromIni(const startup::SettingsClass& settings);
    std::uint8_t Glyph() const;  // the current character
    // True when an option other than the first is current.
    bool Alternate() const { return current_ > 0; }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::vector<std::uint8_t> characters_;
    std::size_t current_ = 0;
};

// The file of the extra-point glyphs, in the program's data folder.
inline constexpr const char* kExtraGlyphsFile = "AstGlyphs2.dat";

// An extra-point glyph of "AstGlyphs2.dat".
struct ExtraGlyph {
    std::string abbreviation;
    std::uint8_t character = 0;
    int index = 0;  // 1-based order in the file
};

class GlyphSet {
public:
    GlyphSet();

    // Sets every table to the program's own characters and reads the alternative glyphs from
    // the settings.
    void InitAll(const startup::SettingsClass& settings);

    // Character of point 1..100 (0: none, the point is written as its abbreviation).
    std::uint8_t PointChar(int point) const;
    // Text drawn for a point: its symbol, else its abbreviation from the name tables.
    // An extra point (51 and up) shows the glyph of its definition, else the character that
    // "AstGlyphs2.dat" gives its abbreviation, else the abbreviation itself.
    std::string Point(int point) const;
    // The character of an extra point in use (0: none).
    std::uint8_t ExtraPointChar(int point) const;
    // Character and text of sign 1..12 (Capricorn as chosen).
    std::uint8_t SignChar(int sign) const;
    std::string Sign(int sign) const;
    // Glyph of an aspect: its record's character when it has one, else the usual symbol of its
    // angle (0 when there is none).
    std::uint8_t AspectChar(std::uint8_t record_glyph, double angle) const;
    std::string Aspect(std::uint8_t record_glyph, double angle) const;
    // Midpoint text "p1/p2"; a point or another point "p1|p2" (for lists).
    std::string Midpoint(int point_a, int point_b) const;
    std::string PointOrPoint(int point_a, int point_b) const;
    void SetPoint(int point, std::uint8_t character);
    void SetSign(int sign, std::uint8_t character);
    // The two-letter text of a sign character (128/220 Aries, 129/221 Taurus, 130..139
    // Gemini..Pisces, the Capricorn alternative); "" for any other character.
    std::string GlyphToText(std::uint8_t character) const;
    void SetSymbolToText(std::uint8_t character, std::string text);

    // Reads "AstGlyphs2.dat": "abbreviation|code[|substituted code]" per line. A missing file
    // shows "Error - file not found" and the path, and leaves the extra tables empty.
    startup::Status LoadExtraGlyphs(const std::filesystem::path& path);
    int NumExtraPoints() const { return static_cast<int>(extra_.size()); }
    const std::vector<ExtraGlyph>& ExtraPoints() const { return extra_; }
    std::string ExtraAbbr(int n) const;           // 1-based
    std::uint8_t ExtraChar(int n) const;          // 1-based
    int ExtraIndex(std::string_view abbr) const;  // 1-based, 0 when unknown
    // The substitution of a character 128..255 (the character itself when none).
    std::uint8_t Substitute(std::uint8_t character) const;

    // Single characters of marks.
    std::uint8_t Degree() const { return 176; }
    std::uint8_t Minute() const { return 39; }
    std::uint8_t Second() const { return 34; }
    std::uint8_t Direct() const { return 'D'; }
    std::uint8_t Retrograde() const { return 174; }
    std::uint8_t LittleD() const { return 240; }
    std::uint8_t LittleN() const { return 241; }
    std::uint8_t LittleR() const { return 242; }
    std::uint8_t LittleP() const { return 243; }
    std::uint8_t LittleT() const { return 244; }
    std::uint8_t Station() const { return 'W'; }
    std::uint8_t SolarEclipse() const { return 175; }
    std::uint8_t LunarEclipse() const { return 177; }
    std::uint8_t SpiritGlyph() const { return spirit_.Glyph(); }
    std::uint8_t QuindecileGlyph() const { return 178; }
    // Parallel and contraparallel of declination.
    std::uint8_t ParallelChar() const { return 92; }
    std::uint8_t ContraParallelChar() const { return 94; }
    bool ForceTrueTypeForGlyph = false;  // NOLINT(readability-identifier-naming)

    GlyphOptions& PlutoOptions() { return pluto_; }
    GlyphOptions& UranusOptions() { return uranus_; }
    GlyphOptions& NeptuneOptions() { return neptune_; }
    GlyphOptions& CapricornOptions() { return capricorn_; }
    GlyphOptions& ErisOptions() { return eris_; }
    GlyphOptions& SpiritOptions() { return spirit_; }

private:
    std::array<std::uint8_t, 101> points_{};
    std::array<std::uint8_t, 13> signs_{};
    std::array<std::string, 256> symbol_text_;
    std::array<std::uint8_t, 128> substitution_{};
    std::vector<ExtraGlyph> extra_;
    GlyphOptions pluto_, uranus_, neptune_, capricorn_, eris_, spirit_;
};

// The session's glyph set (initialised on first use from the session's settings).
GlyphSet& Glyphs();

}  // namespace meridia::drawing
