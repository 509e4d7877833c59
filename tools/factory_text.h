// Readable text sources of the binary factory files, and their translation into the records
// that the core's own writers save: aspect sets (".asp") and point selections (".pts", ".trp",
// ".adp", ".prp", ".etp", ".epp", ".erp").
//
// A source is UTF-8 text, one item per line: blank lines and lines starting with "#" are
// ignored; "[aspect N]", "[point N]" and "[ratios]" start a section; every other line is
// "field = value" and names its field (a field before the first section belongs to the file
// header). Every field of a record must be given once; unknown fields are refused. Errors name
// the source file and the line ("standard.asp.txt:12: ..."). Numbers are read independently of
// the locale. Angles and orbs in degrees.
#pragma once

#include <filesystem>
#include <string_view>

#include "aspects/aspect_set.h"
#include "charts/point_selection.h"
#include "startup/status.h"

namespace meridia::tools {

// An aspect set source: header fields "version" (1), "description", "orb_method",
// "moieties", "three_d", "unidirectional"; then "[aspect 1]", "[aspect 2]"... in order, each
// with "name", "abbreviation", "glyph", "angle", "weight", "harmonic", "enabled", "colour"
// (0xBBGGRR), "line_style" and the four orb groups "luminary_applying", "other_applying",
// "luminary_separating", "other_separating", each "natal X, progressed Y, transits Z"; then
// "[ratios]" with "default" (the planet orb ratio of every point) and optional "point N"
// fields for the points 1..100 whose ratio differs.
startup::StatusOr<aspects::AspectSet> ParseAspectSetSource(std::string_view text,
                                                           const std::filesystem::path& source);

// A point selection source: "[point 1]", "[point 2]"... in order, one per record of the
// file, each with "name" (the point's name, as the program names point N) and "selected"
// (yes or no).
struct PointSelectionSource {
    charts::PointSelection table;
    int points = 0;  // records in the file
};
startup::StatusOr<PointSelectionSource> ParsePointSelectionSource(
    std::string_view text, const std::filesystem::path& source);

// Reads `source` and writes the factory file `output` through the core's writer, choosing
// the kind by the output's extension: also Arabic parts files (".arp") and extra-point
// definition files (".ptu", ".pte", ".fst", ".ast", "planparm.fil"), whose sources are in
// their own readable format (astro/arabic_parts.h, astro/extra_points.h) and are checked by
// the core's readers before the canonical text is written.
startup::Status MakeFactoryFile(const std::filesystem::path& source,
                                const std::filesystem::path& output);

}  // namespace meridia::tools
