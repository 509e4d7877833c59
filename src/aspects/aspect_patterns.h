// Aspect patterns: figures such as the Grand Trine or the Yod, defined in an INI file (one
// section per pattern), and their search among the aspects of one chart. Every figure is
// reported once whatever the order of its points; a figure lying inside a larger figure found
// in the same chart is reported only when its definition asks for it (ReportAsSubFigure).
// Longitudes in degrees.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aspects/aspect_find.h"

namespace meridia::aspects {

// Name of the factory pattern definition file in the "Aspects" folder.
inline constexpr std::string_view kPatternFileName = "AspectPatterns.ini";

// One required aspect of a pattern: the points at positions p1 and p2 (1-based) must form
// aspect `aspect_id`; with p2_behind the point at p2 must come first in the zodiac (the
// shorter way from it to the point at p1 runs forwards).
struct PatternElement {
    int p1 = 0;
    int p2 = 0;
    int aspect_id = 0;
    bool p2_behind = false;

    bool operator==(const PatternElement&) const = default;
};

// A pattern definition. Keys of its section: ID, Enabled, Abbr, OtherName1.., IsClosed,
// NumElements, per element n P1_n, P2_n, AspectID_n, P2Behind_n, NumExtraElements and
// ExtraElement1.. ("P1,P2,AspectID": an aspect reported with the figure when present, not
// required for it), and our ReportAsSubFigure and Extendable flags. Extendable figures (all
// elements of one aspect between every pair of positions, as a stellium) grow with every
// further point that forms that aspect with all of their points.
struct PatternDefinition {
    std::string name;  // the section name
    int id = 0;
    bool enabled = true;
    std::string abbreviation;
    std::vector<std::string> other_names;
    bool is_closed = false;
    std::vector<PatternElement> elements;
    std::vector<PatternElement> extra_elements;
    bool report_as_sub_figure = false;
    bool extendable = false;

    // Number of positions: the largest position any element names.
    int PositionCount() const;
};

// Reads the definitions of an INI text (Windows-1252 bytes). Sections without a valid ID or
// with an element naming a position below 1 are left out.
std::vector<PatternDefinition> ParsePatternDefinitions(std::string_view bytes);
// Reads a definition file; std::nullopt when it is missing or unreadable.
std::optional<std::vector<PatternDefinition>> LoadPatternDefinitions(
    const std::filesystem::path& path);

// The name shown for a pattern number: its section name, or "Unknown Pattern (ID=" n ")".
std::string PatternName(const std::vector<PatternDefinition>& definitions, int id);

// The aspects among the points of one chart: aspect(i, j) is the aspect number between
// points[i] and points[j] (0 = none), symmetric.
class PatternGrid {
public:
    PatternGrid() = default;
    // Runs FindAspect for every pair of one chart.
    PatternGrid(const AspectSet& set, const std::vector<AspectPoint>& points, int orb_kind);
    // A grid given directly (tests, callers with their own aspect test).
    PatternGrid(std::vector<int> point_numbers, std::vector<double> longitudes,
                std::vector<int> aspects_row_major);

    int Size() const { return static_cast<int>(points_.size()); }
    int Point(int i) const { return points_[static_cast<std::size_t>(i)]; }
    double Longitude(int i) const { return longitudes_[static_cast<std::size_t>(i)]; }
    int Aspect(int i, int j) const {
        return aspects_[static_cast<std::size_t>(i) * points_.size() + static_cast<std::size_t>(j)];
    }

private:
    std::vector<int> points_;
    std::vector<double> longitudes_;
    std::vector<int> aspects_;
};

struct FoundPattern {
    int id = 0;
    std::vector<int> points;       // point numbers by position (extended figures: all members)
    std::vector<int> extra_found;  // 1-based numbers of the extra elements present

    bool operator==(const FoundPattern&) const = default;
};

// Finds the enabled patterns in the grid, sorted by pattern id then by point numbers.
std::vector<FoundPattern> FindPatterns(const std::vector<PatternDefinition>& definitions,
                                       const PatternGrid& grid);

}  // namespace meridia::aspects
