// The aspect patterns of one chart as report lines ("Grand Trine: Sun, Mars, Jupiter") from the
// pattern definitions of the user's "Aspects" folder.
#pragma once

#include <string>
#include <vector>

#include "aspects/aspect_set.h"
#include "astro/chart_table.h"

namespace meridia::reports::detail {

std::vector<std::string> PatternLines(const astro::ChartSlot& slot, int slot_number,
                                      const std::vector<int>& points, const aspects::AspectSet& set,
                                      int orb_kind);

}  // namespace meridia::reports::detail
