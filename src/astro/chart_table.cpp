#include "astro/chart_table.h"

#include <memory>

#include "astro/angles.h"
#include "startup/session.h"

namespace meridia::astro {

namespace {

// The table itself, kept by the session (slot 0 is never used). A slot is made on its first
// use: a run that calculates one chart does not clear the memory of all of them.
struct ChartTableState {
    std::array<std::unique_ptr<ChartSlot>, kSlotCount + 1> slots;
    ChartSlot spare;
    int extra_points = 0;
    std::int16_t last_serial = 0;
};

ChartTableState& Table() { return startup::CurrentSession().Get<ChartTableState>(); }

void ReleaseScratch(ChartSlot& slot) {
    slot.chart_serial = 0;
    slot.scratch_in_use = false;
}

}  // namespace

bool IsValidSlot(int n) { return n >= 1 && n <= kSlotCount; }

ChartSlot& Slot(int n) {
    ChartTableState& table = Table();
    if (!IsValidSlot(n)) {
        table.spare = ChartSlot{};
        return table.spare;
    }
    std::unique_ptr<ChartSlot>& slot = table.slots[static_cast<std::size_t>(n)];
    if (!slot) {
        slot = std::make_unique<ChartSlot>();
    }
    return *slot;
}

void StoreOpposite(ChartSlot& slot, int point, int from) {
    const auto i = static_cast<std::size_t>(point);
    const auto f = static_cast<std::size_t>(from);
    if (slot.longitude[f] < 0.0) {
        slot.longitude[i] = -1.0;
        slot.latitude[i] = 0.0;
        slot.speed[i] = 0.0;
        slot.latitude_speed[i] = 0.0;
        slot.distance[i] = 0.0;
        slot.distance_speed[i] = 0.0;
        slot.declination[i] = 0.0;
        slot.right_ascension[i] = 0.0;
        slot.retrograde[i] = 0;
        slot.house[i] = 0;
        return;
    }
    slot.longitude[i] = Norm360(slot.longitude[f] + 180.0);
    slot.latitude[i] = -slot.latitude[f];
    slot.speed[i] = slot.speed[f];
    slot.latitude_speed[i] = slot.latitude_speed[f];
    slot.distance[i] = slot.distance[f];
    slot.distance_speed[i] = slot.distance_speed[f];
    slot.retrograde[i] = slot.retrograde[f];
}

int FindFreeSlot() {
    for (int n = 1; n <= kSlotCount; ++n) {
        if (n >= kFirstScratchSlot && n <= kLastScratchSlot) {
            continue;
        }
        if (Slot(n).chart_serial == 0) {
            return n;
        }
    }
    return -1;
}

int FreeSlotCount() {
    int count = 0;
    for (int n = 1; n <= kSlotCount; ++n) {
        const bool scratch = n >= kFirstScratchSlot && n <= kLastScratchSlot;
        if (!scratch && Slot(n).chart_serial == 0) {
            ++count;
        }
    }
    return count;
}

int AllocScratchChart() {
    for (int n = kFirstScratchSlot; n <= kLastScratchSlot; ++n) {
        ChartSlot& slot = Slot(n);
        if (!slot.scratch_in_use) {
            slot.scratch_in_use = true;
            return n;
        }
    }
    // All seven in use: callers that forgot to free theirs lose 102..106.
    for (int n = kFirstScratchSlot; n <= kFirstScratchSlot + 4; ++n) {
        ReleaseScratch(Slot(n));
    }
    Slot(kFirstScratchSlot).scratch_in_use = true;
    return kFirstScratchSlot;
}

void FreeScratchChart(int& slot) {
    if (slot < kFirstScratchSlot || slot > kLastScratchSlot) {
        return;
    }
    ReleaseScratch(Slot(slot));
    slot = -1;
}

void SetExtraPointCount(int n) {
    if (n < 0) {
        n = 0;
    }
    if (n > kMaxExtraPoints) {
        n = kMaxExtraPoints;
    }
    Table().extra_points = n;
}

int PointsInUse() { return kFixedPointCount + Table().extra_points; }

std::int16_t NextChartSerial() {
    ChartTableState& table = Table();
    table.last_serial = table.last_serial >= 32767
                            ? std::int16_t{1}
                            : static_cast<std::int16_t>(table.last_serial + 1);
    return table.last_serial;
}

}  // namespace meridia::astro
