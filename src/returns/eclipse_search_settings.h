// The eclipse search's choices as the settings section "Eclipse Search" of "Meridia9.ini"
// keeps them between runs: the span as typed, the selected eclipse types, the Saros filter and
// the aspect filter (a fixed position as typed, or a radix chart with an aspect set and a
// point set by name). Booleans are stored -1 / 0; the type lists as comma lists of type codes
// (solar 0 partial, 1 annular, 2 total, 3 hybrid; lunar 0 appulse, 1 partial, 2 total).
// Not thread-safe (the settings files are the session's).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "returns/eclipses.h"
#include "startup/status.h"

namespace meridia::returns {

inline constexpr std::string_view kEclipseSearchSection = "Eclipse Search";
inline constexpr std::string_view kDefaultSaros = "100";
inline constexpr std::string_view kDefaultFixedPosition = "00°Ar00'00''";

struct EclipseSearchSettings {
    std::string date_from;        // `DateFrom`, as typed
    std::string date_to;          // `DateTo`
    std::array<bool, 4> solar{};  // `Solar`: the selected solar types
    std::array<bool, 3> lunar{};  // `Lunar`
    bool all_solar = true;        // `AllSolar`
    bool all_lunar = true;        // `AllLunar`
    bool all_saros = true;        // `AllSaros`
    int saros = 100;              // `Saros`
    bool use_fixed = false;       // `UseFixed`
    std::string fixed_position = std::string(kDefaultFixedPosition);  // `FixedPos`
    bool use_radix = false;                                           // `UseRadix`
    std::string aspects;  // `Aspects`: the aspect set's name
    std::string points;   // `Points`: the point set's name
};

// Reads the section; a missing key, or a value that cannot be read (a type code out of range,
// a Saros number that is not a whole number), gives that key's default.
EclipseSearchSettings LoadEclipseSearchSettings();
// Writes every key of the section (the rest of the file is kept). kWriteFailed, with the old
// file as it was, when it cannot be written.
startup::Status SaveEclipseSearchSettings(const EclipseSearchSettings& settings);

// The type and Saros filters of the settings put into a search.
void ApplyEclipseSearchSettings(const EclipseSearchSettings& settings, EclipseSearch& search);

}  // namespace meridia::returns
