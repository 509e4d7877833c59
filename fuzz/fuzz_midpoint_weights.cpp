// Fuzz target: the harmonic weighting table "MWA.INI" of the midpoint weighting analysis,
// read from the user's "Almutens & Dignities" folder. Input: the file.
// Properties: reading never crashes, leaks or runs away; a table that is read keeps its bounds
// and formats to a text that reads back to the same rows.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "fuzz_session.h"
#include "reports/dignity_tables.h"
#include "reports/midpoint_weights.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    meridia::testing::WriteFile(
        session.user_files() / reports::kDignityFolder / reports::kMidpointWeightsFile,
        fuzz::AsBytes(data, size));
    const auto table = reports::LoadMidpointWeights();
    if (!table.ok()) {
        return 0;
    }
    fuzz::Require(!table->empty() && table->size() <= reports::kMaxHarmonicWeights,
                  "a table out of its bounds");
    for (const reports::HarmonicWeight& h : *table) {
        fuzz::Require(h.harmonic >= 1 && h.harmonic <= 360 && h.orb > 0.0 && h.orb < 90.0 &&
                          std::isfinite(h.weight),
                      "a row out of its range");
    }
    const auto again =
        reports::ParseMidpointWeights(reports::FormatMidpointWeights(*table), "MWA.INI");
    fuzz::Require(again.ok() && again->size() == table->size(), "a table does not read back");
    return 0;
}
