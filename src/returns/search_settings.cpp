#include "returns/search_settings.h"

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "astro/chart_table.h"
#include "startup/ini_file.h"
#include "startup/settings_store.h"
#include "startup/text_tools.h"

namespace meridia::returns {

namespace {

// The largest harmonic the dialog offers.
constexpr double kMaxHarmonic = 1000.0;

// A key of a section of the settings file held in memory.
struct SectionReader {
    const startup::IniFile& ini;
    std::string_view section;

    std::string Text(std::string_view key, std::string_view fallback) const {
        return ini.Read(section, key, fallback);
    }
    bool Bool(std::string_view key, bool fallback) const {
        const auto value = startup::ParseDouble(Text(key, ""));
        return value ? *value != 0.0 : fallback;
    }
    // A whole number within [low, high], else the fallback.
    long long Integer(std::string_view key, long long low, long long high,
                      long long fallback) const {
        const auto value = startup::ParseInteger(Text(key, ""));
        return value && *value >= low && *value <= high ? *value : fallback;
    }
};

// Writes the key-value pairs into a section of the settings file, the rest of it kept.
startup::Status WriteSection(std::string_view section,
                             const std::vector<std::pair<std::string_view, std::string>>& values) {
    const std::filesystem::path path = startup::SettingsFilePath({});
    startup::IniFile ini;
    if (!ini.Load(path)) {
        return {startup::StatusCode::kWriteFailed, "The settings file cannot be read.", "", path};
    }
    for (const auto& [key, value] : values) {
        ini.Write(section, key, value);
    }
    return ini.Save(path);
}

// The flags of a comma list of type codes; nothing set when an item is not a code of the kind.
template <std::size_t N>
std::array<bool, N> ReadTypes(const std::string& text) {
    std::array<bool, N> types{};
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto code = startup::ParseInteger(
            startup::Trim(std::string_view(text).substr(start, comma - start)));
        if (!code || *code < 0 || *code >= static_cast<long long>(N)) {
            return {};
        }
        types[static_cast<std::size_t>(*code)] = true;
        start = comma + 1;
    }
    return types;
}

template <std::size_t N>
std::string TypesText(const std::array<bool, N>& types) {
    std::string text;
    for (std::size_t t = 0; t < N; ++t) {
        if (types[t]) {
            text += (text.empty() ? "" : ",") + std::to_string(t);
        }
    }
    return text;
}

std::string BoolText(bool value) { return value ? "-1" : "0"; }

}  // namespace

EclipseSearchSettings LoadEclipseSearchSettings() {
    EclipseSearchSettings s;
    startup::IniFile ini;
    if (!ini.Load(startup::SettingsFilePath({}))) {
        return s;
    }
    const SectionReader r{ini, kEclipseSearchSection};
    s.date_from = r.Text("DateFrom", "");
    s.date_to = r.Text("DateTo", "");
    s.solar = ReadTypes<4>(r.Text("Solar", ""));
    s.lunar = ReadTypes<3>(r.Text("Lunar", ""));
    s.all_solar = r.Bool("AllSolar", true);
    s.all_lunar = r.Bool("AllLunar", true);
    s.all_saros = r.Bool("AllSaros", true);
    s.saros = static_cast<int>(r.Integer("Saros", std::numeric_limits<std::int16_t>::min(),
                                         std::numeric_limits<std::int16_t>::max(), s.saros));
    s.use_fixed = r.Bool("UseFixed", false);
    s.fixed_position = r.Text("FixedPos", kDefaultFixedPosition);
    s.use_radix = r.Bool("UseRadix", false);
    s.aspects = r.Text("Aspects", "");
    s.points = r.Text("Points", "");
    return s;
}

startup::Status SaveEclipseSearchSettings(const EclipseSearchSettings& s) {
    return WriteSection(kEclipseSearchSection, {{"DateFrom", s.date_from},
                                                {"DateTo", s.date_to},
                                                {"Solar", TypesText(s.solar)},
                                                {"Lunar", TypesText(s.lunar)},
                                                {"AllSolar", BoolText(s.all_solar)},
                                                {"AllLunar", BoolText(s.all_lunar)},
                                                {"AllSaros", BoolText(s.all_saros)},
                                                {"Saros", std::to_string(s.saros)},
                                                {"UseFixed", BoolText(s.use_fixed)},
                                                {"FixedPos", s.fixed_position},
                                                {"UseRadix", BoolText(s.use_radix)},
                                                {"Aspects", s.aspects},
                                                {"Points", s.points}});
}

ReturnSettings LoadReturnSettings() {
    ReturnSettings s;
    startup::IniFile ini;
    if (!ini.Load(startup::SettingsFilePath({}))) {
        return s;
    }
    const SectionReader r{ini, kReturnsSection};
    s.point = static_cast<int>(r.Integer("Planet", 1, astro::kFixedPointCount, s.point));
    s.user_position = r.Bool("UsePosition", false);
    s.user_pos = r.Text("UserPos", kDefaultFixedPosition);
    const auto harmonic = startup::ParseDouble(r.Text("Harmonic", ""));
    if (harmonic && *harmonic >= 1.0 && *harmonic <= kMaxHarmonic) {
        s.harmonic = *harmonic;
    }
    s.which = static_cast<WhichReturn>(r.Integer("Which", 0, 2, 1));
    s.count = static_cast<int>(r.Integer("NumReturns", 1, kMaxReturnCount, s.count));
    s.precessed = r.Bool("Precessed", false);
    s.converse = r.Bool("Converse", false);
    return s;
}

startup::Status SaveReturnSettings(const ReturnSettings& s) {
    return WriteSection(kReturnsSection, {{"Planet", std::to_string(s.point)},
                                          {"UsePosition", BoolText(s.user_position)},
                                          {"UserPos", s.user_pos},
                                          {"Harmonic", startup::FormatDouble(s.harmonic)},
                                          {"Which", std::to_string(static_cast<int>(s.which))},
                                          {"NumReturns", std::to_string(s.count)},
                                          {"Precessed", BoolText(s.precessed)},
                                          {"Converse", BoolText(s.converse)}});
}

void ApplyEclipseSearchSettings(const EclipseSearchSettings& settings, EclipseSearch& search) {
    search.all_solar = settings.all_solar;
    search.solar_types = settings.solar;
    search.all_lunar = settings.all_lunar;
    search.lunar_types = settings.lunar;
    search.all_saros = settings.all_saros;
    search.saros = settings.saros;
}

}  // namespace meridia::returns
