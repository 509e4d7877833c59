// Aspect sets: which angular relationships between two chart points count as aspects, their
// orbs per point kind, chart kind and applying state, and how they are drawn. Reads and writes
// the ".asp" files and builds the active tables (enabled aspects sorted by angle, largest orbs).
// All angles and orbs in degrees.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "startup/status.h"

namespace meridia::aspects {

inline constexpr int kMaxRatioPoints = 100;
inline constexpr int kHeaderBytes = 92;
inline constexpr int kAspectRecordBytes = 145;
inline constexpr int kOldRecordBytes = 50;
inline constexpr int kStandardAspectCount = 26;
// The largest aspect set file: the header, the most aspects a 16-bit count allows, and the
// point ratios. A longer file is not an aspect set.
inline constexpr std::size_t kMaxAspectFileBytes =
    kHeaderBytes + 32767 * static_cast<std::size_t>(kAspectRecordBytes) +
    std::size_t{4} * kMaxRatioPoints;

// Orb methods of the header.
inline constexpr int kOrbLuminaryOther = 0;
inline constexpr int kOrbPlanetRatios = 1;
inline constexpr int kOrbBySign = 2;

// Orb kinds (the chart kind an orb is meant for), 1-based as callers pass them.
inline constexpr int kOrbNatal = 1;
inline constexpr int kOrbProgressed = 2;
inline constexpr int kOrbTransit = 3;

// Orb groups in file order.
enum class OrbGroup {
    kLuminaryApplying = 0,
    kOtherApplying,
    kLuminarySeparating,
    kOtherSeparating
};

struct AspectRecord {
    int number = 0;            // 1-based position in the set
    std::string name;          // at most 20 characters
    std::string abbreviation;  // at most 4 characters
    std::uint8_t glyph = 0;    // glyph character code of the symbol font
    double angle = 0.0;        // 0..180
    int weight = 0;
    float harmonic = 0.0F;
    bool enabled = false;
    std::int32_t colour = 0;  // 0x00BBGGRR
    int line_style = 0;
    // orbs[group][kind - 1]: group order luminary applying, other applying, luminary
    // separating, other separating; kinds natal, progressed, transits.
    std::array<std::array<double, 3>, 4> orbs{};

    double Orb(OrbGroup group, int orb_kind) const;

    bool operator==(const AspectRecord&) const = default;
};

struct AspectSetHeader {
    int version = 1;
    std::string description;  // at most 80 characters
    int orb_method = kOrbLuminaryOther;
    bool moieties = false;
    bool three_d = false;
    bool unidirectional = false;

    bool operator==(const AspectSetHeader&) const = default;
};

// Tables rebuilt from a set whenever it is loaded or changed.
struct ActiveAspects {
    // Numbers of the longitude aspects (all but the last two), enabled ones first in
    // ascending angle, then the disabled ones; `enabled_count` of them are enabled.
    std::vector<int> sorted;
    int enabled_count = 0;
    // Largest orb of any enabled aspect over the four groups, per orb kind (index kind - 1).
    std::array<double, 3> max_orb{};
    // True when applying and separating orbs are equal for every enabled aspect.
    bool equal_orbs = true;

    bool operator==(const ActiveAspects&) const = default;
};

struct AspectSet {
    AspectSetHeader header;
    std::vector<AspectRecord> aspects;  // aspects[i] has number i + 1
    // Planet orb ratio of each point, ratios[1..100] (index 0 unused).
    std::array<float, kMaxRatioPoints + 1> ratios{};
    ActiveAspects active;

    int Count() const { return static_cast<int>(aspects.size()); }
    // Aspect number k (1-based); k must lie in 1..Count().
    const AspectRecord& Aspect(int k) const { return aspects[static_cast<std::size_t>(k - 1)]; }
    int ParallelNumber() const { return Count() - 1; }
    int ContraParallelNumber() const { return Count(); }
    int LongitudeCount() const { return Count() - 2; }
};

// The standard set: 26 aspects, orb method 0, every point ratio 1, active tables built.
AspectSet StandardAspectSet();

// Rebuilds set.active from the set's aspects.
void BuildActiveAspects(AspectSet& set);

// Loads an ".asp" file over `set` (an empty path: the file named by the AspectFileName setting
// in the aspects folder). When it is not loaded `set` is left as it was and the status says
// why: kNotFound or kUnreadable ("Aspect file <path> could not be loaded.", never shown here),
// kDamaged for an empty file ("Empty File"), kWrongVersion ("Wrong Version"), or kDamaged for
// a file too short for its own aspect count or longer than any aspect set ("Damaged File").
// With show_messages the last three are shown through ShowMessage as well.
startup::Status LoadAspectSet(const std::filesystem::path& file_name, bool show_messages,
                              AspectSet& set);

// Writes the set in the version-1 layout (header, records, 100 point ratios) through a
// temporary file. Returns false when the file could not be written.
bool SaveAspectSet(const std::filesystem::path& path, const AspectSet& set);

// Encodes and decodes the version-1 layout in memory (the file functions use these).
std::string EncodeAspectSet(const AspectSet& set);

}  // namespace meridia::aspects
