// The harmonic weighting table of the Munkasey midpoint weighting analysis, "MWA.INI" in the
// "Almutens & Dignities" folder: a text file whose table starts at a header line naming the
// columns ("Harm" or "Harmonic", "Weight", "Orb") and holds one line per harmonic. Orbs in
// degrees.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "startup/status.h"

namespace meridia::reports {

inline constexpr std::string_view kMidpointWeightsFile = "MWA.INI";
// Bounds of the table: no file is larger, no table longer.
inline constexpr std::size_t kMaxMidpointWeightsBytes = std::size_t{64} * 1024U;
inline constexpr std::size_t kMaxHarmonicWeights = 64;

struct HarmonicWeight {
    int harmonic = 1;     // 1..360: a point on the midpoint's axis modulo 180 / harmonic
    double weight = 1.0;  // what a hit counts, finite
    double orb = 1.0;     // (0, 90) degrees
};

// Reads the table. Lines before the header (an INI section, comments) are skipped; after it,
// blank lines and lines starting with ";" or "#" are skipped and every other line must hold
// exactly a harmonic, a weight and an orb in their ranges. No header, no row, a line that
// cannot be read or more than kMaxHarmonicWeights rows: kDamaged, "MWA.INI is damaged."
// (title "Error", the file named).
startup::StatusOr<std::vector<HarmonicWeight>> ParseMidpointWeights(std::string_view text,
                                                                    const std::string& file);
// The text of a table that reads back to the same rows.
std::string FormatMidpointWeights(const std::vector<HarmonicWeight>& table);
// The user's table ("Unable to open MWA.INI." when it is missing).
startup::StatusOr<std::vector<HarmonicWeight>> LoadMidpointWeights();

}  // namespace meridia::reports
