#include "returns/eclipse_search_settings.h"

#include <limits>

#include "startup/ini_file.h"
#include "startup/settings_store.h"
#include "startup/text_tools.h"

namespace meridia::returns {

namespace {

std::string Read(const startup::IniFile& ini, std::string_view key, std::string_view fallback) {
    return ini.Read(kEclipseSearchSection, key, fallback);
}

bool ReadBool(const startup::IniFile& ini, std::string_view key, bool fallback) {
    const auto value = startup::ParseDouble(Read(ini, key, ""));
    return value ? *value != 0.0 : fallback;
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
    s.date_from = Read(ini, "DateFrom", "");
    s.date_to = Read(ini, "DateTo", "");
    s.solar = ReadTypes<4>(Read(ini, "Solar", ""));
    s.lunar = ReadTypes<3>(Read(ini, "Lunar", ""));
    s.all_solar = ReadBool(ini, "AllSolar", true);
    s.all_lunar = ReadBool(ini, "AllLunar", true);
    s.all_saros = ReadBool(ini, "AllSaros", true);
    const auto saros = startup::ParseInteger(Read(ini, "Saros", kDefaultSaros));
    if (saros && *saros >= std::numeric_limits<short>::min() &&
        *saros <= std::numeric_limits<short>::max()) {
        s.saros = static_cast<int>(*saros);
    }
    s.use_fixed = ReadBool(ini, "UseFixed", false);
    s.fixed_position = Read(ini, "FixedPos", kDefaultFixedPosition);
    s.use_radix = ReadBool(ini, "UseRadix", false);
    s.aspects = Read(ini, "Aspects", "");
    s.points = Read(ini, "Points", "");
    return s;
}

startup::Status SaveEclipseSearchSettings(const EclipseSearchSettings& s) {
    const std::filesystem::path path = startup::SettingsFilePath({});
    startup::IniFile ini;
    if (!ini.Load(path)) {
        return {startup::StatusCode::kWriteFailed, "The settings file cannot be read.", "", path};
    }
    const auto write = [&](std::string_view key, const std::string& value) {
        ini.Write(kEclipseSearchSection, key, value);
    };
    write("DateFrom", s.date_from);
    write("DateTo", s.date_to);
    write("Solar", TypesText(s.solar));
    write("Lunar", TypesText(s.lunar));
    write("AllSolar", BoolText(s.all_solar));
    write("AllLunar", BoolText(s.all_lunar));
    write("AllSaros", BoolText(s.all_saros));
    write("Saros", std::to_string(s.saros));
    write("UseFixed", BoolText(s.use_fixed));
    write("FixedPos", s.fixed_position);
    write("UseRadix", BoolText(s.use_radix));
    write("Aspects", s.aspects);
    write("Points", s.points);
    return ini.Save(path);
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
