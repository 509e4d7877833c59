// The essential dignity tables and the almuten weightings: the rulership schemes
// ("rulers2.fil"), the triplicity rulers ("tripdig2.fil"), the term and face rulers of every
// degree ("degdig2.fil") and the weighting records (".alm"), decoded field by field from their
// fixed-length records; and the rules built on them: day or night chart, the almuten of a
// degree and the dignities a planet holds at a longitude. Longitudes in degrees of the
// chart's zodiac, [0, 360). Point codes are the chart's point numbers (0 = none).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "startup/status.h"

namespace meridia::reports {

inline constexpr std::size_t kRulershipRecordBytes = 163;
inline constexpr std::size_t kTriplicityRecordBytes = 9;
inline constexpr std::size_t kDegreeRecordBytes = 5;
inline constexpr std::size_t kWeightingRecordBytes = 579;
inline constexpr int kTriplicitySchemes = 3;
inline constexpr int kTermSystems = 3;

inline constexpr std::string_view kDignityFolder = "Almutens & Dignities";
inline constexpr std::string_view kRulersFile = "rulers2.fil";
inline constexpr std::string_view kTriplicityFile = "tripdig2.fil";
inline constexpr std::string_view kDegreeFile = "degdig2.fil";
inline constexpr std::string_view kGeneralWeighting = "general.alm";
inline constexpr std::string_view kEssentialWeighting = "essdig.alm";
inline constexpr std::string_view kHouseWeighting = "house.alm";
inline constexpr std::string_view kHylegWeighting = "hyleg.alm";

// The rulers of one sign under one scheme.
struct SignRulers {
    std::uint8_t ruler = 0;
    std::uint8_t co_ruler = 0;  // a second ruler (0 none)
    std::uint8_t exaltation = 0;
    std::uint8_t exaltation_degree = 0;  // 1..30, 0 when the sign exalts no planet
};

// One record of "rulers2.fil": name (30 bytes text), scheme number (1 byte), then per sign
// ruler, co-ruler, exaltation ruler and exaltation degree (4 bytes each, Aries first), the rest
// of the 163 bytes reserved (zero).
struct RulershipScheme {
    std::string name;
    int number = 0;
    std::array<SignRulers, 13> signs{};  // signs[1..12]
};

// "tripdig2.fil": per element (fire, earth, air, water) and per scheme the day ruler, the
// night ruler and the participating ruler.
struct TriplicityRulers {
    std::uint8_t day = 0;
    std::uint8_t night = 0;
    std::uint8_t participating = 0;
};
using TriplicityTable = std::array<std::array<TriplicityRulers, kTriplicitySchemes>, 4>;

// "degdig2.fil": per degree (0 = 0..1 Aries) the term rulers of the three term systems, the
// face ruler and a spare byte.
struct DegreeRulers {
    std::array<std::uint8_t, kTermSystems> terms{};
    std::uint8_t face = 0;
    std::uint8_t spare = 0;
};
using DegreeTable = std::array<DegreeRulers, 360>;

// A weighting record (".alm"): offsets in bytes.
//   0  nine int16 weights of the chart's special points
//  18  five int16 dignity weights: ruler, exaltation, triplicity, term, face
//  28  uint8 triplicity scheme (0..2), uint8 term system (0..2)
//  30  five int16 flags, one per dignity (non-zero: the dignity is scored)
//  40  int16 flag: leave out the first 50 points without a position
//  42  int16 rulership scheme (record number in "rulers2.fil", 1-based)
//  44  int16 degree offset (0 or 1)
//  46  int16 final option (the hyleg method: 0 Ptolemy)
//  48  60 bytes text: the weighting's name; the rest of the 579 bytes reserved (zero)
struct AlmutenWeighting {
    std::array<int, 9> special{};
    int ruler = 5;
    int exaltation = 4;
    int triplicity = 3;
    int term = 2;
    int face = 1;
    int triplicity_scheme = 0;
    int term_system = 0;
    std::array<bool, 5> scored{true, true, true, true, true};
    bool skip_unpositioned = true;
    int rulership_scheme = 1;
    int degree_offset = 0;
    int final_option = 0;
    std::string name;
};

std::string EncodeRulershipScheme(const RulershipScheme& scheme);
std::string EncodeTriplicities(const TriplicityTable& table);
std::string EncodeDegrees(const DegreeTable& table);
std::string EncodeWeighting(const AlmutenWeighting& weighting);

// Decoders of whole files. A size that is not a whole number of records, an empty file, a
// point code above 100 or a value out of its range is kDamaged with the message
// "<file> is damaged." and the path.
startup::StatusOr<std::vector<RulershipScheme>> DecodeRulerships(std::string_view bytes,
                                                                 const std::string& file);
startup::StatusOr<TriplicityTable> DecodeTriplicities(std::string_view bytes,
                                                      const std::string& file);
startup::StatusOr<DegreeTable> DecodeDegrees(std::string_view bytes, const std::string& file);
// The first record of a weighting file (its length divided by 579 gives the count).
startup::StatusOr<AlmutenWeighting> DecodeWeighting(std::string_view bytes,
                                                    const std::string& file);

// The three tables, read from the user's "Almutens & Dignities" folder on first use and kept.
struct DignityTables {
    std::vector<RulershipScheme> rulerships;
    TriplicityTable triplicities{};
    DegreeTable degrees{};

    // The rulership scheme of a weighting (the first when the number is out of range).
    const RulershipScheme& Scheme(int number) const;
};
std::filesystem::path DignityFilePath(std::string_view name);
// The session's tables; the status of the file that could not be read.
startup::StatusOr<const DignityTables*> LoadDignityTables();
startup::StatusOr<AlmutenWeighting> LoadWeighting(std::string_view name);

// A chart is diurnal when (Sun - Ascendant) mod 360 > 180 (the Sun above the horizon);
// exactly 180 is night.
bool IsDayChart(double sun_longitude, double ascendant_longitude);

// What a planet earns at a longitude: each dignity's weight (0 none), detriment and fall as
// negative weights (minus the ruler and exaltation weights).
struct DignityScore {
    int ruler = 0;
    int exaltation = 0;
    int triplicity = 0;
    int term = 0;
    int face = 0;
    int detriment = 0;
    int fall = 0;
    int Total() const { return ruler + exaltation + triplicity + term + face + detriment + fall; }
};
DignityScore ScoreDignities(int planet, double longitude, bool day_chart,
                            const DignityTables& tables, const AlmutenWeighting& weighting);

struct AlmutenCandidate {
    int planet = 0;
    int total = 0;
};
// The almutens of a degree: every candidate with the highest total (ties kept), in planet
// order; `all` receives every candidate's total from the highest down when given.
std::vector<AlmutenCandidate> AlmutenOfDegree(double longitude, bool day_chart,
                                              const DignityTables& tables,
                                              const AlmutenWeighting& weighting,
                                              std::vector<AlmutenCandidate>* all = nullptr);

// The seven planets of the traditional dignities, in Chaldean order is not required: Sun,
// Moon, Mercury, Venus, Mars, Jupiter, Saturn as point numbers.
inline constexpr std::array<int, 7> kTraditionalPlanets = {3, 1, 5, 6, 7, 8, 9};

}  // namespace meridia::reports
