// Combined charts: the Davison relationship chart (the mean moment at the mean place) and
// the midpoint composite (each point at the midpoint of the base charts' points).
#include <algorithm>
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "astro/derived_internal.h"

namespace meridia::astro {

namespace {

constexpr int kKindDerivedAscendant = 3;
constexpr int kKindDerivedAscendantGroup = 14;
constexpr int kKindCoalescent = 37;
constexpr std::size_t kMaxNameLength = 50;

std::vector<int> BaseSlots(const SubsidiaryRequest& request) {
    std::vector<int> slots{request.base_slot};
    slots.insert(slots.end(), request.other_slots.begin(), request.other_slots.end());
    return slots;
}

double Mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (const double v : values) {
        sum += v;
    }
    return sum / static_cast<double>(values.size());
}

// "A & B" (and further names), cut to the record's name length.
std::string CombinedName(const std::vector<int>& slots) {
    std::string name;
    for (const int s : slots) {
        if (!name.empty()) {
            name += " & ";
        }
        name += Slot(s).record.data.name;
    }
    if (name.size() > kMaxNameLength) {
        name.resize(kMaxNameLength);
    }
    return name;
}

// The mean place: mean latitude, and the midpoint of the occupied arc of the longitudes in
// (-180, 180] (the nearer midpoint for two charts).
void MeanPlace(const std::vector<int>& slots, double& latitude, double& longitude) {
    std::vector<double> latitudes;
    std::vector<double> longitudes;
    for (const int s : slots) {
        latitudes.push_back(static_cast<double>(Slot(s).record.data.place.latitude));
        longitudes.push_back(static_cast<double>(Slot(s).record.data.place.longitude));
    }
    latitude = Mean(latitudes);
    if (longitudes.size() == 2) {
        longitude = DavisonLongitude(longitudes[0], longitudes[1]);
        return;
    }
    for (double& l : longitudes) {
        l = Norm360(l);
    }
    longitude = CompositeLongitude(longitudes);
    if (longitude > 180.0) {
        longitude -= 360.0;
    }
}

double MeanJulianDay(const std::vector<int>& slots) {
    std::vector<double> days;
    days.reserve(slots.size());
    for (const int s : slots) {
        days.push_back(Slot(s).julian_day_ut);
    }
    return Mean(days);
}

SubsidiaryStatus CalcDavison(const SubsidiaryRequest& request, int target_slot) {
    const std::vector<int> slots = BaseSlots(request);
    const double jd = MeanJulianDay(slots);
    double latitude = 0.0;
    double longitude = 0.0;
    MeanPlace(slots, latitude, longitude);

    ChartRecord record = derived::DerivedRecord(request, Slot(request.base_slot).record);
    if (request.record.data.name.empty()) {
        record.data.name = CombinedName(slots);
    }
    record.data.place.place_name = "Midpoint";
    record.data.place.country = "in Space";
    record.data.place.latitude = static_cast<float>(latitude);
    record.data.place.longitude = static_cast<float>(longitude);
    derived::SetRecordMoment(record, jd, 0.0F, "GMT");
    return derived::FromCalcStatus(derived::CalcRecordAt(record, jd, target_slot));
}

int ChooseStartCusp(const SubsidiaryRequest& request, const ChartSlot& a, const ChartSlot& b) {
    if (request.composite_start_cusp == 1 || request.composite_start_cusp == 10) {
        return request.composite_start_cusp;
    }
    // Start from the pair of angles that lie closer together: their midpoint is the surer one.
    const double ascendants = std::fabs(Norm180(a.longitude[kAscendant] - b.longitude[kAscendant]));
    const double midheavens = std::fabs(Norm180(a.longitude[kMidheaven] - b.longitude[kMidheaven]));
    return midheavens < ascendants ? 10 : 1;
}

// Cusps of a group: each cusp by the composite rule, turned like the two-chart cusps.
std::array<double, 13> GroupCusps(const std::vector<int>& slots, int start_cusp) {
    std::array<double, 13> cusps{};
    double previous = 0.0;
    for (int k = 0; k < 12; ++k) {
        const int h = (start_cusp - 1 + k) % 12 + 1;
        std::vector<double> values;
        values.reserve(slots.size());
        for (const int s : slots) {
            values.push_back(Slot(s).cusps[static_cast<std::size_t>(h)]);
        }
        double cusp = CompositeLongitude(values);
        if (k > 0 && Norm360(cusp - previous) >= 180.0) {
            cusp = Norm360(cusp + 180.0);
        }
        cusps[static_cast<std::size_t>(h)] = cusp;
        previous = cusp;
    }
    return cusps;
}

SubsidiaryStatus CalcComposite(const SubsidiaryRequest& request, int target_slot) {
    const std::vector<int> slots = BaseSlots(request);
    const ChartSlot first = Slot(slots[0]);
    ChartSlot& slot = Slot(target_slot);
    slot = first;

    ChartRecord record = derived::DerivedRecord(request, first.record);
    if (request.record.data.name.empty()) {
        record.data.name = CombinedName(slots);
    }
    double latitude = 0.0;
    double longitude = 0.0;
    MeanPlace(slots, latitude, longitude);
    record.data.place.place_name = "Composite";
    record.data.place.country.clear();
    record.data.place.latitude = static_cast<float>(latitude);
    record.data.place.longitude = static_cast<float>(longitude);
    const double jd = MeanJulianDay(slots);
    derived::SetRecordMoment(record, jd, 0.0F, "GMT");
    slot.record = record;

    const auto mean_of = [&slots](const PointDoubles ChartSlot::*field, int p) {
        std::vector<double> values;
        values.reserve(slots.size());
        for (const int s : slots) {
            values.push_back((Slot(s).*field)[static_cast<std::size_t>(p)]);
        }
        return Mean(values);
    };
    const auto composite_of = [&slots](const PointDoubles ChartSlot::*field, int p) {
        std::vector<double> values;
        values.reserve(slots.size());
        for (const int s : slots) {
            values.push_back((Slot(s).*field)[static_cast<std::size_t>(p)]);
        }
        return CompositeLongitude(values);
    };
    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        const bool failed = std::any_of(slots.begin(), slots.end(),
                                        [p](int s) { return Slot(s).longitude[p] < 0.0; });
        slot.house[p] = 0;
        if (failed) {
            slot.longitude[p] = -1.0;
            continue;
        }
        slot.longitude[p] = composite_of(&ChartSlot::longitude, p);
        slot.right_ascension[p] = composite_of(&ChartSlot::right_ascension, p);
        slot.latitude[p] = mean_of(&ChartSlot::latitude, p);
        slot.declination[p] = mean_of(&ChartSlot::declination, p);
        slot.speed[p] = mean_of(&ChartSlot::speed, p);
        slot.latitude_speed[p] = mean_of(&ChartSlot::latitude_speed, p);
        slot.distance[p] = mean_of(&ChartSlot::distance, p);
        slot.distance_speed[p] = mean_of(&ChartSlot::distance_speed, p);
        slot.retrograde[p] = slot.speed[p] < 0.0 ? std::int16_t{-1} : std::int16_t{0};
    }

    std::vector<double> ramcs;
    std::vector<double> obliquities;
    std::vector<double> observer_latitudes;
    for (const int s : slots) {
        ramcs.push_back(Slot(s).ramc);
        obliquities.push_back(Slot(s).obliquity);
        observer_latitudes.push_back(Slot(s).observer_latitude);
    }
    slot.ramc = CompositeLongitude(ramcs);
    slot.obliquity = Mean(obliquities);
    slot.observer_latitude = Mean(observer_latitudes);
    slot.julian_day_ut = jd;
    slot.julian_day = jd + slot.delta_t / 24.0;
    slot.first_cusp_is_ascendant = 0;
    slot.tenth_cusp_is_midheaven = 0;

    const int kind = request.record.chart_kind;
    if (kind == kKindDerivedAscendant || kind == kKindDerivedAscendantGroup ||
        kind == kKindCoalescent) {
        // The angles derived from the composite Midheaven at the mean latitude.
        slot.record.data.place.place_name = "Anywhere";
        slot.ramc = Norm360(
            ArcTan2(SinD(slot.longitude[kMidheaven] - slot.zodiac_offset) * CosD(slot.obliquity),
                    CosD(slot.longitude[kMidheaven] - slot.zodiac_offset)));
        CalcAnglesAndPoints(slot, CalcOptionsFromSettings());
        derived::FinishTransformedChart(slot);
        return SubsidiaryStatus::kOk;
    }

    if (slots.size() == 2) {
        slot.cusps = CompositeCusps(first.cusps, Slot(slots[1]).cusps,
                                    ChooseStartCusp(request, first, Slot(slots[1])));
    } else {
        slot.cusps = GroupCusps(slots, ChooseStartCusp(request, first, Slot(slots[1])));
    }
    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        if (slot.longitude[p] >= 0.0) {
            slot.house[p] = static_cast<std::int16_t>(HouseOf(slot.longitude[p], slot.cusps));
        }
    }
    SortPoints(slot);
    return SubsidiaryStatus::kOk;
}

}  // namespace

double CompositeLongitude(const std::vector<double>& longitudes) {
    if (longitudes.empty()) {
        return 0.0;
    }
    std::vector<double> sorted = longitudes;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    double largest = -1.0;
    std::size_t follower = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t next = (i + 1) % n;
        const double gap = ModFloor(sorted[next] - sorted[i], 360.0);
        if (gap >= largest) {  // on equal gaps the later one found
            largest = gap;
            follower = next;
        }
    }
    const double start = sorted[follower];
    double sum = 0.0;
    for (const double l : longitudes) {
        sum += ModFloor(l - start, 360.0);
    }
    return Norm360(start + sum / static_cast<double>(n));
}

std::array<double, 13> CompositeCusps(const std::array<double, 13>& a,
                                      const std::array<double, 13>& b, int start_cusp) {
    std::array<double, 13> cusps{};
    const int start = start_cusp == 10 ? 10 : 1;
    double previous = 0.0;
    for (int k = 0; k < 12; ++k) {
        const auto h = static_cast<std::size_t>((start - 1 + k) % 12 + 1);
        double cusp = ArcMidpoint(a[h], b[h]);
        if (k > 0 && Norm360(cusp - previous) >= 180.0) {
            cusp = Norm360(cusp + 180.0);
        }
        cusps[h] = cusp;
        previous = cusp;
    }
    return cusps;
}

double DavisonLongitude(double longitude_a, double longitude_b) {
    double midpoint = ArcMidpoint(Norm360(longitude_a), Norm360(longitude_b));
    if (midpoint > 180.0) {
        midpoint -= 360.0;
    }
    return midpoint;
}

SubsidiaryStatus CalcCombinedChart(const SubsidiaryRequest& request, int target_slot) {
    if (request.other_slots.empty()) {
        return SubsidiaryStatus::kBadSlot;
    }
    if (request.record.chart_kind == kKindDavison) {
        return CalcDavison(request, target_slot);
    }
    return CalcComposite(request, target_slot);
}

}  // namespace meridia::astro
