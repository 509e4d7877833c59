#include "returns/lunar_phases.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/time_scales.h"
#include "returns/longitude_solver.h"

namespace meridia::returns {

namespace {

constexpr double kSynodicMonth = 29.530588853;  // days
constexpr double kMeanElongationRate = 360.0 / kSynodicMonth;
constexpr double kNewtonTolerance = 1.0e-8;  // days
constexpr int kNewtonSteps = 30;

struct Elongation {
    double moon = 0.0;
    double sun = 0.0;
    double value = 0.0;  // Moon minus Sun, [0, 360)
    double speed = 0.0;  // degrees per day
};

std::optional<Elongation> ElongationAt(double jd_ut) {
    const ZodiacFrame tropical;
    const double jd_et = jd_ut + astro::DeltaT(jd_ut);
    const auto moon = PlaceOf(astro::kMoon, jd_et, tropical);
    const auto sun = PlaceOf(astro::kSun, jd_et, tropical);
    if (!moon || !sun) {
        return std::nullopt;
    }
    return Elongation{moon->longitude, sun->longitude,
                      astro::Norm360(moon->longitude - sun->longitude), moon->speed - sun->speed};
}

startup::Status NoPosition() {
    return {startup::StatusCode::kOutOfRange, astro::kOutOfRangeText, astro::kOutOfRangeTitle};
}

// Newton steps on the elongation from an estimate to the instant at which it equals target
// (degrees); the phase of the event is left as it is.
startup::StatusOr<LunarPhaseEvent> RefineElongation(double estimate, double target) {
    double jd = estimate;
    for (int step = 0; step < kNewtonSteps; ++step) {
        const auto e = ElongationAt(jd);
        if (!e || e->speed <= 0.0) {
            return NoPosition();
        }
        const double correction = astro::Norm180(target - e->value) / e->speed;
        jd += correction;
        if (std::fabs(correction) < kNewtonTolerance) {
            const auto final_place = ElongationAt(jd);
            if (!final_place) {
                return NoPosition();
            }
            return LunarPhaseEvent{LunarPhase::kNew, jd, final_place->moon, final_place->sun};
        }
    }
    return startup::Status(startup::StatusCode::kNotConverged, kNonConvergenceText,
                           kCannotFindReturnTitle);
}

// The phase `octant` (0..7) refined from an estimate, with its octant and quarter set.
startup::StatusOr<LunarPhaseEvent> RefineOctant(double estimate, int octant) {
    auto event = RefineElongation(estimate, 45.0 * octant);
    if (event.ok()) {
        event->octant = octant;
        event->phase = static_cast<LunarPhase>(octant / 2);
    }
    return event;
}

int WrapOctant(int octant) { return ((octant % 8) + 8) % 8; }

constexpr double kOctantDays = kSynodicMonth / 8.0;
// Two refinements closer than this found the same phase (phases are at least 3 days apart).
constexpr double kSamePhaseDays = 1.0;

startup::StatusOr<LunarPhaseEvent> RefinePhase(double estimate, LunarPhase phase) {
    auto event = RefineElongation(estimate, 90.0 * static_cast<int>(phase));
    if (event.ok()) {
        event->phase = phase;
    }
    return event;
}

}  // namespace

std::string_view LunarPhaseKey(LunarPhase phase) {
    switch (phase) {
        case LunarPhase::kNew:
            return "new";
        case LunarPhase::kFirstQuarter:
            return "first quarter";
        case LunarPhase::kFull:
            return "full";
        case LunarPhase::kLastQuarter:
            return "last quarter";
    }
    return "new";
}

std::string_view LunarPhaseTitle(LunarPhase phase) {
    switch (phase) {
        case LunarPhase::kNew:
            return "New Moon";
        case LunarPhase::kFirstQuarter:
            return "First Quarter";
        case LunarPhase::kFull:
            return "Full Moon";
        case LunarPhase::kLastQuarter:
            return "Last Quarter";
    }
    return "New Moon";
}

startup::StatusOr<LunarPhaseEvent> NextLunarPhase(double jd_ut, LunarPhase phase) {
    const auto e = ElongationAt(jd_ut);
    if (!e) {
        return NoPosition();
    }
    const double target = 90.0 * static_cast<int>(phase);
    double ahead = astro::Norm360(target - e->value);
    for (int tries = 0; tries < 2; ++tries) {
        auto event = RefinePhase(jd_ut + ahead / kMeanElongationRate, phase);
        if (!event.ok() || event->jd_ut > jd_ut) {
            return event;
        }
        ahead += 360.0;  // the estimate fell on the phase at (or just before) the start
    }
    return startup::Status(startup::StatusCode::kNotConverged, kNonConvergenceText,
                           kCannotFindReturnTitle);
}

startup::StatusOr<std::vector<LunarPhaseEvent>> FindLunarPhases(double from_jd_ut,
                                                                double to_jd_ut) {
    std::vector<LunarPhaseEvent> events;
    const auto e = ElongationAt(from_jd_ut);
    if (!e) {
        return NoPosition();
    }
    // The first phase to look for: the quarter the elongation reaches next, or one that the
    // start falls on.
    int quarter = static_cast<int>(std::floor(e->value / 90.0));
    double estimate = from_jd_ut - (e->value - 90.0 * quarter) / kMeanElongationRate;
    while (true) {
        auto event = RefinePhase(estimate, static_cast<LunarPhase>(quarter % 4));
        if (!event.ok()) {
            return event.status();
        }
        if (event->jd_ut > to_jd_ut) {
            break;
        }
        if (event->jd_ut >= from_jd_ut &&
            (events.empty() || event->jd_ut > events.back().jd_ut + 1.0)) {
            events.push_back(*event);
        }
        estimate = event->jd_ut + kSynodicMonth / 4.0;
        quarter = (quarter + 1) % 4;
    }
    return events;
}

startup::StatusOr<std::vector<LunarPhaseEvent>> FindPhaseReturns(double jd_ut, double elongation,
                                                                 int count) {
    std::vector<LunarPhaseEvent> events;
    const auto e = ElongationAt(jd_ut);
    if (!e) {
        return NoPosition();
    }
    const double target = astro::Norm360(elongation);
    double estimate = jd_ut + astro::Norm360(target - e->value) / kMeanElongationRate;
    while (static_cast<int>(events.size()) < count) {
        auto event = RefineElongation(estimate, target);
        if (!event.ok()) {
            return event.status();
        }
        // An estimate that fell on the return at (or just before) the start moves a cycle on.
        if (event->jd_ut > jd_ut && (events.empty() || event->jd_ut > events.back().jd_ut + 1.0)) {
            event->phase = static_cast<LunarPhase>(static_cast<int>(std::floor(target / 90.0)) % 4);
            events.push_back(*event);
        }
        estimate = event->jd_ut + kSynodicMonth;
    }
    return events;
}

std::string_view OctantPhaseTitle(int octant) {
    static constexpr std::array<std::string_view, 8> kTitles = {
        "New Moon",  "Crescent",      "First Quarter", "Gibbous",
        "Full Moon", "Disseminating", "Last Quarter",  "Balsamic"};
    return kTitles[static_cast<std::size_t>(WrapOctant(octant))];
}

startup::StatusOr<std::vector<LunarPhaseEvent>> OctantPhasesFrom(double jd_ut, int count) {
    std::vector<LunarPhaseEvent> events;
    if (count < 1) {
        return events;
    }
    const auto e = ElongationAt(jd_ut);
    if (!e) {
        return NoPosition();
    }
    // The phase the elongation reaches next; one that the estimate puts just before the start
    // (the start falls on it or a hair after) is passed over for the following one.
    int octant = static_cast<int>(std::ceil(e->value / 45.0));
    double estimate = jd_ut + (45.0 * octant - e->value) / kMeanElongationRate;
    while (static_cast<int>(events.size()) < count) {
        auto event = RefineOctant(estimate, WrapOctant(octant));
        if (!event.ok()) {
            return event.status();
        }
        if (event->jd_ut >= jd_ut &&
            (events.empty() || event->jd_ut > events.back().jd_ut + kSamePhaseDays)) {
            events.push_back(*event);
        }
        estimate = event->jd_ut + kOctantDays;
        ++octant;
    }
    return events;
}

startup::StatusOr<std::vector<LunarPhaseEvent>> OctantPhasesBefore(double jd_ut, int count) {
    std::vector<LunarPhaseEvent> events;
    if (count < 1) {
        return events;
    }
    const auto e = ElongationAt(jd_ut);
    if (!e) {
        return NoPosition();
    }
    int octant = static_cast<int>(std::floor(e->value / 45.0));
    double estimate = jd_ut - (e->value - 45.0 * octant) / kMeanElongationRate;
    while (static_cast<int>(events.size()) < count) {
        auto event = RefineOctant(estimate, WrapOctant(octant));
        if (!event.ok()) {
            return event.status();
        }
        if (event->jd_ut < jd_ut &&
            (events.empty() || event->jd_ut < events.back().jd_ut - kSamePhaseDays)) {
            events.push_back(*event);
        }
        estimate = event->jd_ut - kOctantDays;
        --octant;
    }
    std::reverse(events.begin(), events.end());
    return events;
}

startup::StatusOr<std::vector<LunarPhaseEvent>> OctantPhasesAround(double jd_ut, int count) {
    auto before = OctantPhasesBefore(jd_ut, count / 2);
    if (!before.ok()) {
        return before.status();
    }
    auto after = OctantPhasesFrom(jd_ut, count - count / 2);
    if (!after.ok()) {
        return after.status();
    }
    before->insert(before->end(), after->begin(), after->end());
    return before;
}

startup::StatusOr<std::vector<LunarPhaseEvent>> PhaseFamily(double jd_ut, bool in_progress) {
    const auto e = ElongationAt(jd_ut);
    if (!e) {
        return NoPosition();
    }
    // The New Moon that opens the cycle: the last at or before the moment, or the first at or
    // after it.
    double estimate = in_progress ? jd_ut - e->value / kMeanElongationRate
                                  : jd_ut + astro::Norm360(-e->value) / kMeanElongationRate;
    for (int tries = 0; tries < 3; ++tries) {
        const auto start = RefineOctant(estimate, 0);
        if (!start.ok()) {
            return start.status();
        }
        if (in_progress ? start->jd_ut <= jd_ut : start->jd_ut >= jd_ut) {
            // From a second before, so that the New Moon itself is the first phase found.
            return OctantPhasesFrom(start->jd_ut - 1.0 / 86400.0, 8);
        }
        estimate = start->jd_ut + (in_progress ? -kSynodicMonth : kSynodicMonth);
    }
    return startup::Status(startup::StatusCode::kNotConverged, kNonConvergenceText,
                           kCannotFindReturnTitle);
}

astro::ChartRecord LunarPhaseChartRecord(const LunarPhaseEvent& event,
                                         const astro::ChartRecord& place) {
    astro::ChartRecord record = place;
    record.chart_class = astro::kClassLunarPhase;
    // Kinds 70..77 are the eight phases 45 degrees apart; the four quarters are every other.
    const int octant =
        event.octant >= 0 ? WrapOctant(event.octant) : 2 * static_cast<int>(event.phase);
    record.chart_kind = static_cast<std::uint8_t>(astro::kKindFirstLunarPhase + octant);
    record.event_type = 3;
    record.base = place.data;
    record.data.calendar = 0;
    record.data.date_time = astro::LocalDateTime(event.jd_ut, place.data.zone.hours);
    record.data.name = std::string(kLunarPhaseNamePrefix) + std::string(OctantPhaseTitle(octant));
    return record;
}

}  // namespace meridia::returns
