// Fuzz target: the dignity tables "rulers2.fil", "tripdig2.fil", "degdig2.fil" and an almuten
// weighting (".alm"), the four files of the input cut at kPartMarker in that order, read from
// the user's "Almutens & Dignities" folder; then the almuten of every degree and the dignity
// scores of the seven planets under the tables and weighting that were read.
// Properties: reading never crashes, leaks or runs away; a file that is read encodes and
// decodes again to the same values; the almutens of a degree all hold the highest total.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_session.h"
#include "reports/dignity_tables.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const auto parts = fuzz::SplitParts(fuzz::AsBytes(data, size), 4);
    const std::filesystem::path folder = session.user_files() / reports::kDignityFolder;
    meridia::testing::WriteFile(folder / reports::kRulersFile, parts[0]);
    meridia::testing::WriteFile(folder / reports::kTriplicityFile, parts[1]);
    meridia::testing::WriteFile(folder / reports::kDegreeFile, parts[2]);
    meridia::testing::WriteFile(folder / reports::kGeneralWeighting, parts[3]);

    const auto weighting = reports::LoadWeighting(reports::kGeneralWeighting);
    if (weighting.ok()) {
        const auto again =
            reports::DecodeWeighting(reports::EncodeWeighting(*weighting), "general.alm");
        fuzz::Require(again.ok() && again->ruler == weighting->ruler &&
                          again->face == weighting->face &&
                          again->rulership_scheme == weighting->rulership_scheme &&
                          again->degree_offset == weighting->degree_offset &&
                          again->term_system == weighting->term_system,
                      "a weighting does not read back");
    }
    const auto schemes = reports::DecodeRulerships(parts[0], "rulers2.fil");
    if (schemes.ok()) {
        for (const reports::RulershipScheme& scheme : *schemes) {
            const auto back =
                reports::DecodeRulerships(reports::EncodeRulershipScheme(scheme), "rulers2.fil");
            fuzz::Require(back.ok() && back->size() == 1 && back->front().number == scheme.number,
                          "a rulership scheme does not read back");
        }
    }
    const auto tables = reports::LoadDignityTables();
    if (!tables.ok() || !weighting.ok()) {
        return 0;
    }
    for (int degree = 0; degree < 360; ++degree) {
        for (const bool day : {true, false}) {
            std::vector<reports::AlmutenCandidate> all;
            const auto almutens =
                reports::AlmutenOfDegree(degree + 0.5, day, **tables, *weighting, &all);
            for (const reports::AlmutenCandidate& a : almutens) {
                fuzz::Require(!all.empty() && a.total == all.front().total,
                              "an almuten without the highest total");
            }
        }
    }
    for (const int planet : reports::kTraditionalPlanets) {
        const reports::DignityScore score =
            reports::ScoreDignities(planet, 123.4, true, **tables, *weighting);
        static_cast<void>(score.Total());
    }
    return 0;
}
