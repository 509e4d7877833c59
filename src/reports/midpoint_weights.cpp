#include "reports/midpoint_weights.h"

#include <fmt/format.h>

#include <cmath>
#include <sstream>

#include "reports/dignity_tables.h"
#include "startup/file_io.h"
#include "startup/text_tools.h"

namespace meridia::reports {

namespace {

using startup::Status;
using startup::StatusCode;

Status Damaged(const std::string& file) {
    return {StatusCode::kDamaged, file + " is damaged.", "Error", file};
}

bool IsHeader(std::string_view line) {
    const std::string upper = startup::UpperAscii(line);
    return upper.rfind("HARM", 0) == 0 && upper.find("WEIGHT") != std::string::npos &&
           upper.find("ORB") != std::string::npos;
}

}  // namespace

startup::StatusOr<std::vector<HarmonicWeight>> ParseMidpointWeights(std::string_view text,
                                                                    const std::string& file) {
    if (text.size() > kMaxMidpointWeightsBytes) {
        return Damaged(file);
    }
    std::vector<HarmonicWeight> table;
    bool header = false;
    for (const std::string_view raw : startup::SplitLines(text)) {
        const std::string line(startup::Trim(raw));
        if (!header) {
            header = IsHeader(line);
            continue;
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        std::istringstream in(line);
        HarmonicWeight h;
        std::string rest;
        if (!(in >> h.harmonic >> h.weight >> h.orb) || (in >> rest) || h.harmonic < 1 ||
            h.harmonic > 360 || !std::isfinite(h.weight) || !(h.orb > 0.0 && h.orb < 90.0) ||
            table.size() == kMaxHarmonicWeights) {
            return Damaged(file);
        }
        table.push_back(h);
    }
    if (table.empty()) {
        return Damaged(file);
    }
    return table;
}

std::string FormatMidpointWeights(const std::vector<HarmonicWeight>& table) {
    std::string text =
        "[Midpoint Weighting]\n"
        "; Munkasey midpoint weighting analysis: a point on a midpoint's axis in harmonic H\n"
        "; (its distance from the midpoint modulo 180 / H) within the orb scores the weight.\n"
        "Harmonic  Weight  Orb\n";
    for (const HarmonicWeight& h : table) {
        text += fmt::format("{:<9} {:<7} {}\n", h.harmonic, h.weight, h.orb);
    }
    return text;
}

startup::StatusOr<std::vector<HarmonicWeight>> LoadMidpointWeights() {
    const std::string file(kMidpointWeightsFile);
    const std::filesystem::path path = DignityFilePath(kMidpointWeightsFile);
    auto bytes = startup::ReadFileLimited(path, kMaxMidpointWeightsBytes);
    if (!bytes.ok()) {
        if (bytes.status().code() == StatusCode::kNotFound) {
            return Status(StatusCode::kNotFound, "Unable to open " + file + ".", "Error", path);
        }
        return Damaged(file);
    }
    auto table = ParseMidpointWeights(*bytes, file);
    if (!table.ok()) {
        return Status(table.status().code(), table.status().message(), "Error", path);
    }
    return table;
}

}  // namespace meridia::reports
