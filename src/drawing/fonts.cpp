#include "drawing/fonts.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "startup/session.h"
#include "startup/settings.h"
#include "startup/text_tools.h"

namespace meridia::drawing {

void FontManager::ReadINISettings(const startup::SettingsClass& settings) {
    std::string strategy(startup::Trim(settings.GetString("ScreenFontStrategy")));
    if (strategy != "Classic" && strategy != "TrueType Glyphs" &&
        strategy != "TrueType Everywhere") {
        strategy = "TrueType Everywhere";
    }
    strategy_ = strategy;
    screen_font_ = std::string(startup::Trim(settings.GetString("ScreenFont")));
    printer_font_ = std::string(startup::Trim(settings.GetString("PrinterFont")));
    prevent_smoothing_ = settings.GetBool("PreventFontSmoothing");
    force_truetype_ = settings.GetBool("AxForceTrueType");
}

bool FontManager::IsQuorvaneFont(std::string_view family) {
    return startup::EqualNoCase(family, "AX Sans Serif 3") ||
           startup::EqualNoCase(family, "AX Symbol 3") ||
           startup::EqualNoCase(family, "AX Asteroid 1a") ||
           startup::EqualNoCase(family, "AX Sans Serif") ||
           startup::EqualNoCase(family, "AX Symbol");
}

std::string FontManager::GetActualFontName(std::string_view family) const {
    if (family.empty() || IsQuorvaneFont(family)) {
        return std::string(kStdTTFont);
    }
    return std::string(family);
}

QStringList FontManager::SymbolFamilies() {
    return {QStringLiteral("Noto Sans Symbols"), QStringLiteral("Noto Sans Symbols2"),
            QStringLiteral("DejaVu Sans")};
}

namespace {

constexpr std::uint32_t Bgr(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFFU) | (rgb & 0xFF00U) | ((rgb & 0xFFU) << 16);
}

}  // namespace

std::uint32_t FontManager::GetPointColor(int point) {
    switch (point) {
        case 1:
            return Bgr(0x1F6FB2);  // Moon
        case 3:
            return Bgr(0xD35400);  // Sun
        case 5:
            return Bgr(0x8E6B00);  // Mercury
        case 6:
            return Bgr(0x1E8449);  // Venus
        case 7:
            return Bgr(0xC0392B);  // Mars
        case 8:
            return Bgr(0x7D3C98);  // Jupiter
        case 9:
            return Bgr(0x5D4037);  // Saturn
        case 10:
            return Bgr(0x117A65);  // Uranus
        case 11:
            return Bgr(0x1F4E99);  // Neptune
        case 12:
            return Bgr(0x7B241C);  // Pluto
        case 13:
            return Bgr(0x7E5109);  // Chiron
        case 20:
        case 21:
            return Bgr(0x34495E);  // nodes
        case 22:
        case 23:
        case 39:
        case 40:
            return Bgr(0x111111);  // angles
        default:
            return Bgr(0x3C4A5A);
    }
}

std::uint32_t FontManager::SignColor(int sign, bool fill) {
    static constexpr std::array<std::uint32_t, 4> kStrong = {Bgr(0xC62828), Bgr(0x2E7D32),
                                                             Bgr(0xA67C00), Bgr(0x1565C0)};
    static constexpr std::array<std::uint32_t, 4> kLight = {Bgr(0xFCE9E7), Bgr(0xE8F3E8),
                                                            Bgr(0xFBF4DC), Bgr(0xE6EEFA)};
    const auto element = static_cast<std::size_t>(((sign - 1) % 4 + 4) % 4);
    return fill ? kLight[element] : kStrong[element];
}

namespace {

void SetSize(QFont& font, double points, double dpi) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * dpi / 72.0))));
}

}  // namespace

QFont FontManager::TextFont(double points, bool bold, double dpi) const {
    QFont font;
    const std::string family = GetActualFontName(screen_font_);
    font.setFamilies({QString::fromStdString(family), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Noto Sans Symbols"), QStringLiteral("Noto Sans Symbols2")});
    SetSize(font, points, dpi);
    font.setBold(bold);
    font.setStyleStrategy(prevent_smoothing_ ? QFont::NoAntialias : QFont::PreferAntialias);
    return font;
}

QFont FontManager::SymbolFont(double points, bool bold, double dpi) const {
    QFont font;
    font.setFamilies(SymbolFamilies());
    SetSize(font, points, dpi);
    font.setBold(bold);
    font.setStyleStrategy(prevent_smoothing_ ? QFont::NoAntialias : QFont::PreferAntialias);
    return font;
}

namespace {
struct FontState {
    FontManager fonts;
    bool initialised = false;
};
}  // namespace

FontManager& Fonts() {
    auto& state = startup::CurrentSession().Get<FontState>();
    if (!state.initialised) {
        state.fonts.ReadINISettings(startup::CurrentSession().settings());
        state.initialised = true;
    }
    return state.fonts;
}

}  // namespace meridia::drawing
