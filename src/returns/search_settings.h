// The choices of the eclipse search and of the return dialog as "Meridia9.ini" keeps them
// between runs. Section "Eclipse Search": the span as typed, the selected eclipse types, the
// Saros filter and the aspect filter (a fixed position as typed, or a radix chart with an
// aspect set and a point set by name); the type lists are comma lists of type codes (solar 0
// partial, 1 annular, 2 total, 3 hybrid; lunar 0 appulse, 1 partial, 2 total). Section
// "Returns": the returning point, the target (natal, or the typed position `UserPos`), the
// harmonic, which return, how many, and the special options. Booleans are stored -1 / 0.
// Not thread-safe (the settings files are the session's).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "returns/eclipses.h"
#include "returns/returns.h"
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

inline constexpr std::string_view kReturnsSection = "Returns";

struct ReturnSettings {
    int point = 3;               // `Planet`: the returning point
    bool user_position = false;  // `UsePosition`: return to `UserPos`, not natal
    std::string user_pos = std::string(kDefaultFixedPosition);  // `UserPos`, as typed
    double harmonic = 1.0;                                      // `Harmonic`, 1 or more
    WhichReturn which = WhichReturn::kNext;  // `Which`: 0 current, 1 next, 2 nearest
    int count = 1;                           // `NumReturns`, 1..kMaxReturnCount
    bool precessed = false;                  // `Precessed`
    bool converse = false;                   // `Converse`
};

// Reads the section; a missing key, or a value out of its range, gives that key's default.
ReturnSettings LoadReturnSettings();
// Writes every key of the section (the rest of the file is kept).
startup::Status SaveReturnSettings(const ReturnSettings& settings);

}  // namespace meridia::returns
