// Takes slots of the session's calculated-chart table for tests of what a full table does:
// every slot outside the scratch slots but `left` of them (the highest numbers stay free).
#pragma once

#include "astro/chart_table.h"

namespace meridia::testing {

inline void TakeSlotsLeaving(int left) {
    int free = astro::FreeSlotCount();
    for (int n = 1; n <= astro::kSlotCount && free > left; ++n) {
        const bool scratch = n >= astro::kFirstScratchSlot && n <= astro::kLastScratchSlot;
        if (!scratch && astro::Slot(n).chart_serial == 0) {
            astro::Slot(n).chart_serial = 1;
            --free;
        }
    }
}

}  // namespace meridia::testing
