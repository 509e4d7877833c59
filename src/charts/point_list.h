// Point-list options: the points that take part in a listing, a grid or a search, given as a
// point selection (its name or path, or an inline "~|" text) or typed as a comma list of point
// numbers and ranges ("3,5-12,22,23"). A typed list selects its points in both columns by the
// rule of inline selections.
#pragma once

#include <string_view>

#include "charts/point_selection.h"
#include "startup/status.h"

namespace meridia::charts {

// True when the text has the shape of a typed list: digits, commas, hyphens and blanks only,
// with at least one digit. Anything else names a selection.
bool IsPointList(std::string_view text);

// Reads a typed list of points 1..points_in_use. A list with an empty item, a number outside
// that range, a reversed range or a character other than digits, commas, hyphens and blanks
// is refused with a message that names the item.
startup::StatusOr<PointSelection> ParsePointList(std::string_view text, int points_in_use);

// A point-list option: a typed list, or else the selection of that name or path of the given
// kind. A selection that cannot be loaded is refused with a message (an empty selection file
// has shown its own).
startup::StatusOr<PointSelection> ReadPointsOption(std::string_view text, SelectionKind kind,
                                                   int points_in_use);

}  // namespace meridia::charts
