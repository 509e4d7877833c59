#include "reports/pattern_lines.h"

#include "aspects/aspect_patterns.h"
#include "aspects/chart_aspects.h"
#include "startup/name_tables.h"
#include "startup/session.h"

namespace meridia::reports::detail {

std::vector<std::string> PatternLines(const astro::ChartSlot& slot, int slot_number,
                                      const std::vector<int>& points, const aspects::AspectSet& set,
                                      int orb_kind) {
    std::vector<std::string> lines;
    const auto definitions =
        aspects::LoadPatternDefinitions(startup::CurrentSession().folders().user_files / "Aspects" /
                                        std::string(aspects::kPatternFileName));
    if (!definitions) {
        return lines;
    }
    std::vector<aspects::AspectPoint> values;
    values.reserve(points.size());
    for (const int p : points) {
        values.push_back(aspects::AspectPointOf(slot, slot_number, p));
    }
    const aspects::PatternGrid grid(set, values, orb_kind);
    for (const aspects::FoundPattern& f : aspects::FindPatterns(*definitions, grid)) {
        std::string members;
        for (const int p : f.points) {
            members += (members.empty() ? "" : ", ") + startup::Names().PointName(p, 1);
        }
        lines.push_back(aspects::PatternName(*definitions, f.id) + ": " + members);
    }
    return lines;
}

}  // namespace meridia::reports::detail
