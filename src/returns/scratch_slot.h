// A scratch slot of the chart table held for the lifetime of a scope: taken on construction,
// given back on destruction, so every return path of a search releases it.
#pragma once

#include "astro/chart_table.h"

namespace meridia::returns {

class ScratchSlot {
public:
    ScratchSlot() : number_(astro::AllocScratchChart()) { astro::Slot(number_).record.coords = 1; }
    ~ScratchSlot() { astro::FreeScratchChart(number_); }
    ScratchSlot(const ScratchSlot&) = delete;
    ScratchSlot& operator=(const ScratchSlot&) = delete;

    int number() const { return number_; }
    astro::ChartSlot& slot() const { return astro::Slot(number_); }

private:
    int number_;
};

}  // namespace meridia::returns
