// Writes the factory harmonic weighting table "MWA.INI" of the midpoint weighting analysis
// from its text source (data/dignities/mwa.txt), checked by the program's own reader.
// Usage: meridia_make_midpoint_weights SOURCE.txt OUTPUT_FILE
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "reports/midpoint_weights.h"
#include "startup/file_io.h"

int main(int argc, char** argv) {
    using meridia::reports::HarmonicWeight;
    if (argc != 3) {
        std::cerr << "usage: meridia_make_midpoint_weights SOURCE.txt OUTPUT_FILE\n";
        return 2;
    }
    std::ifstream source(argv[1]);
    if (!source) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }
    std::vector<HarmonicWeight> table;
    std::string line;
    int number = 0;
    while (std::getline(source, line)) {
        ++number;
        std::istringstream in(line);
        std::string word;
        if (!(in >> word) || word[0] == '#') {
            continue;
        }
        HarmonicWeight h;
        std::string rest;
        if (word != "harmonic" || !(in >> h.harmonic >> h.weight >> h.orb) || (in >> rest)) {
            std::cerr << argv[1] << ":" << number << ": expected \"harmonic H WEIGHT ORB\"\n";
            return 1;
        }
        table.push_back(h);
    }
    const std::string text = meridia::reports::FormatMidpointWeights(table);
    const auto read_back = meridia::reports::ParseMidpointWeights(text, argv[2]);
    if (!read_back.ok() || read_back->size() != table.size()) {
        std::cerr << argv[1] << ": the table is refused by the program's reader\n";
        return 1;
    }
    const meridia::startup::Status written = meridia::startup::WriteFileSafely(argv[2], text);
    if (!written.ok()) {
        std::cerr << written.message() << "\n";
        return 1;
    }
    return 0;
}
