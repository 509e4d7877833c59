// Fonts of the drawings: the text font and the symbol fonts (free fonts of the system that hold
// every astrological symbol the program draws), chosen by the settings "ScreenFontStrategy"
// ("Classic", "TrueType Glyphs", "TrueType Everywhere"), "ScreenFont", "PrinterFont",
// "PreventFontSmoothing" and "AxForceTrueType". Sizes in points; a device's resolution turns
// them into pixels. Not thread-safe: one session, one thread.
#pragma once

#include <QFont>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>

namespace meridia::startup {
class SettingsClass;
}

namespace meridia::drawing {

// A font as the drawings ask for it.
struct FontRecord {
    std::string Name;                 // NOLINT(readability-identifier-naming)
    float FSize = 10.0F;              // NOLINT(readability-identifier-naming) points
    bool Bold = false;                // NOLINT(readability-identifier-naming)
    bool PreventContraction = false;  // NOLINT(readability-identifier-naming)
};

class FontManager {
public:
    // The program's own font family names of the older symbol fonts; none is installed here,
    // and a request for one is served by the symbol fonts.
    static constexpr std::string_view kStdScreenFont = "AX Sans Serif 3";
    static constexpr std::string_view kStdAstFont = "AX Symbol 3";
    static constexpr std::string_view kStdTTFont = "DejaVu Sans";
    static constexpr float kStdFontSize = 10.0F;

    // Reads the font settings.
    void ReadINISettings(const startup::SettingsClass& settings);
    void InitAll(const startup::SettingsClass& settings) { ReadINISettings(settings); }

    const std::string& FontStrategy() const { return strategy_; }
    bool ClassicFonts() const { return strategy_ == "Classic"; }
    bool ForceTruetype() const { return force_truetype_; }
    const std::string& ScreenFont() const { return screen_font_; }
    const std::string& PrinterFont() const { return printer_font_; }
    bool PreventFontSmoothing() const { return prevent_smoothing_; }

    // True for the program's own font family names.
    static bool IsQuorvaneFont(std::string_view family);
    // The family that stands in for a requested one.
    std::string GetActualFontName(std::string_view family) const;

    // The text font at `points` for a device of `dpi` dots per inch (pixel size set, so that a
    // drawing looks the same on every device).
    QFont TextFont(double points, bool bold, double dpi) const;
    // The symbol font (with the text font behind it for letters and digits).
    QFont SymbolFont(double points, bool bold, double dpi) const;
    // Colour of a point's glyph (0x00BBGGRR).
    static std::uint32_t GetPointColor(int point);
    // Colour of a sign by its element (fire, earth, air, water), strong for glyphs or light
    // for fills (0x00BBGGRR).
    static std::uint32_t SignColor(int sign, bool fill);
    // The symbol font families in the order they are asked for a character.
    static QStringList SymbolFamilies();

private:
    std::string strategy_ = "TrueType Everywhere";
    std::string screen_font_;
    std::string printer_font_;
    bool prevent_smoothing_ = false;
    bool force_truetype_ = false;
};

// The session's font manager (settings read on first use).
FontManager& Fonts();

}  // namespace meridia::drawing
