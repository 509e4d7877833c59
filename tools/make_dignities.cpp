// Writes the factory dignity tables ("rulers2.fil", "tripdig2.fil", "degdig2.fil") and the
// almuten weightings (".alm") into a folder from their text source (data/dignities).
// Usage: meridia_make_dignities SOURCE.txt OUTPUT_FOLDER
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "reports/dignity_tables.h"
#include "startup/file_io.h"

namespace {

using meridia::reports::AlmutenWeighting;
using meridia::reports::DegreeTable;
using meridia::reports::RulershipScheme;
using meridia::reports::TriplicityTable;

const std::map<std::string, int> kCodes = {{"-", 0},   {"Mo", 1},  {"Su", 3}, {"Me", 5},
                                           {"Ve", 6},  {"Ma", 7},  {"Ju", 8}, {"Sa", 9},
                                           {"Ur", 10}, {"Ne", 11}, {"Pl", 12}};
const std::map<std::string, int> kElements = {{"fire", 0}, {"earth", 1}, {"air", 2}, {"water", 3}};

std::uint8_t Code(const std::string& text) {
    const auto it = kCodes.find(text);
    if (it == kCodes.end()) {
        throw std::runtime_error("unknown planet code " + text);
    }
    return static_cast<std::uint8_t>(it->second);
}

int Number(const std::string& text, int low, int high) {
    const int v = std::stoi(text);
    if (v < low || v > high) {
        throw std::runtime_error("number out of range: " + text);
    }
    return v;
}

std::string Rest(std::istringstream& in) {
    std::string rest;
    std::getline(in >> std::ws, rest);
    return rest;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    const meridia::startup::Status status = meridia::startup::WriteFileSafely(path, bytes);
    if (!status.ok()) {
        throw std::runtime_error(status.message());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: meridia_make_dignities SOURCE.txt OUTPUT_FOLDER\n";
        return 2;
    }
    try {
        std::ifstream source(argv[1]);
        if (!source) {
            throw std::runtime_error(std::string("cannot read ") + argv[1]);
        }
        std::vector<RulershipScheme> schemes;
        TriplicityTable triplicities{};
        DegreeTable degrees{};
        std::vector<std::pair<std::string, AlmutenWeighting>> weightings;
        std::string line;
        while (std::getline(source, line)) {
            std::istringstream in(line);
            std::string word;
            if (!(in >> word) || word[0] == '#') {
                continue;
            }
            if (word == "scheme") {
                std::string number;
                in >> number;
                RulershipScheme scheme;
                scheme.number = Number(number, 1, 255);
                scheme.name = Rest(in);
                schemes.push_back(scheme);
            } else if (word == "sign") {
                std::string n, name, ruler, co_ruler, exaltation, degree;
                in >> n >> name >> ruler >> co_ruler >> exaltation >> degree;
                if (schemes.empty()) {
                    throw std::runtime_error("sign before scheme");
                }
                auto& s = schemes.back().signs[static_cast<std::size_t>(Number(n, 1, 12))];
                s = {Code(ruler), Code(co_ruler), Code(exaltation),
                     static_cast<std::uint8_t>(Number(degree, 0, 30))};
            } else if (word == "triplicity") {
                std::string element, scheme, day, night, part;
                in >> element >> scheme >> day >> night >> part;
                triplicities.at(static_cast<std::size_t>(kElements.at(element)))
                    .at(static_cast<std::size_t>(Number(scheme, 0, 2))) = {Code(day), Code(night),
                                                                           Code(part)};
            } else if (word == "terms") {
                std::string system, sign;
                in >> system >> sign;
                const auto t = static_cast<std::size_t>(Number(system, 0, 2));
                const int first = (Number(sign, 1, 12) - 1) * 30;
                int from = 0;
                for (int k = 0; k < 5; ++k) {
                    std::string ruler, end;
                    in >> ruler >> end;
                    const int to = Number(end, from + 1, 30);
                    for (int d = from; d < to; ++d) {
                        degrees[static_cast<std::size_t>(first) + static_cast<std::size_t>(d)]
                            .terms[t] = Code(ruler);
                    }
                    from = to;
                }
                if (from != 30) {
                    throw std::runtime_error("terms do not reach 30: " + line);
                }
            } else if (word == "faces") {
                std::vector<std::uint8_t> order;
                while (in >> word) {
                    order.push_back(Code(word));
                }
                if (order.size() != 7) {
                    throw std::runtime_error("faces needs seven planets");
                }
                for (int d = 0; d < 360; ++d) {
                    degrees[static_cast<std::size_t>(d)].face =
                        order[static_cast<std::size_t>(d / 10 % 7)];
                }
            } else if (word == "weighting") {
                std::string file;
                std::array<std::string, 9> v;
                in >> file;
                for (std::string& x : v) {
                    in >> x;
                }
                AlmutenWeighting w;
                w.ruler = Number(v[0], -99, 99);
                w.exaltation = Number(v[1], -99, 99);
                w.triplicity = Number(v[2], -99, 99);
                w.term = Number(v[3], -99, 99);
                w.face = Number(v[4], -99, 99);
                w.triplicity_scheme = Number(v[5], 0, 2);
                w.term_system = Number(v[6], 0, 2);
                w.rulership_scheme = Number(v[7], 1, 255);
                w.degree_offset = Number(v[8], 0, 1);
                w.name = Rest(in);
                weightings.emplace_back(file, w);
            } else {
                throw std::runtime_error("unknown line: " + line);
            }
        }
        const std::filesystem::path out = argv[2];
        std::filesystem::create_directories(out);
        std::string rulers;
        for (const RulershipScheme& s : schemes) {
            rulers += meridia::reports::EncodeRulershipScheme(s);
        }
        Write(out / meridia::reports::kRulersFile, rulers);
        Write(out / meridia::reports::kTriplicityFile,
              meridia::reports::EncodeTriplicities(triplicities));
        Write(out / meridia::reports::kDegreeFile, meridia::reports::EncodeDegrees(degrees));
        for (const auto& [file, w] : weightings) {
            Write(out / file, meridia::reports::EncodeWeighting(w));
        }
    } catch (const std::exception& e) {
        std::cerr << "meridia_make_dignities: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
