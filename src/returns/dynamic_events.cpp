#include "returns/dynamic_events.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string_view>

#include "astro/chart_table.h"
#include "astro/time_scales.h"
#include "dynamic/dynamic_hooks.h"
#include "returns/eclipses.h"
#include "returns/longitude_solver.h"
#include "returns/lunar_phases.h"
#include "returns/void_of_course.h"

namespace meridia::returns {

namespace {

constexpr int kConjunctionAspect = 1;
constexpr int kOppositionAspect = 2;
constexpr int kSquareAspect = 4;
constexpr int kTransitNoTarget = 8;      // event family: a transiting point without a target
constexpr double kPastIngress = 0.0001;  // days

int PhaseAspect(LunarPhase phase) {
    switch (phase) {
        case LunarPhase::kNew:
            return kConjunctionAspect;
        case LunarPhase::kFull:
            return kOppositionAspect;
        default:
            return kSquareAspect;
    }
}

class ReturnsEventSource : public dynamic::ExtraEventSource {
public:
    std::string_view Name() const override { return "Eclipses, lunar phases, void of course"; }

    startup::Status AddEvents(const dynamic::DynamicRunContext& context,
                              dynamic::DynamicReportClass& table) override {
        const dynamic::EventFamilies& f = context.request.families;
        ExtraEventFamilies families;
        families.lunar_phases = f.lunar_phases;
        families.eclipses = f.eclipses;
        families.void_of_course = f.void_of_course;
        if (!families.lunar_phases && !families.eclipses && !families.void_of_course) {
            return {};
        }
        const int radix = context.request.radix_slot;
        const int zodiac = astro::IsValidSlot(radix) ? astro::Slot(radix).record.zodiac : 0;
        // A progression report meets the events in progressed time: an eclipse appears when
        // the progressed chart reaches its instant.
        const auto events =
            context.data.DynMethod() == dynamic::kMethodProgressions
                ? ProgressedExtraEventsOf(
                      families, table.JulDayStart(), table.JulDayEnd(), zodiac,
                      [&context](double jd_ut) { return context.ProgressedJulianDay(jd_ut); })
                : ExtraEventsOf(families, table.JulDayStart(), table.JulDayEnd(), zodiac);
        if (!events.ok()) {
            return events.status();
        }
        for (const ExtraEvent& e : *events) {
            dynamic::DynamicEvent event;
            event.tran_point = e.point;
            event.symbol = e.symbol;
            event.aspect = e.aspect;
            event.ra_point = e.target_point;
            event.tran_pos = e.longitude;
            event.ra_pos = e.target_longitude;
            event.jd_ut = e.jd_ut;
            event.jul_day = table.ReportTime(e.jd_ut);
            event.type = kTransitNoTarget;
            if (!table.AddEvent(event)) {
                return {};  // the table is full: the engine reports the truncation
            }
        }
        return {};
    }
};

}  // namespace

startup::StatusOr<std::vector<ExtraEvent>> ExtraEventsOf(const ExtraEventFamilies& families,
                                                         double jd_start_ut, double jd_end_ut,
                                                         int zodiac) {
    std::vector<ExtraEvent> events;
    if (families.lunar_phases) {
        const auto phases = FindLunarPhases(jd_start_ut, jd_end_ut);
        if (!phases.ok()) {
            return phases.status();
        }
        for (const LunarPhaseEvent& p : *phases) {
            ExtraEvent e;
            e.kind = ExtraEventKind::kLunarPhase;
            e.point = astro::kMoon;
            e.aspect = PhaseAspect(p.phase);
            e.target_point = astro::kSun;
            e.longitude = p.moon_longitude;
            e.target_longitude = p.sun_longitude;
            e.jd_ut = p.jd_ut;
            events.push_back(e);
        }
    }
    if (families.eclipses) {
        EclipseSearch search;
        search.from_jd_ut = jd_start_ut;
        search.to_jd_ut = jd_end_ut;
        for (const EclipseEntry& entry : SearchEclipses(search)) {
            ExtraEvent e;
            e.kind = ExtraEventKind::kEclipse;
            e.point = entry.kind() == EclipseKind::kSolar ? astro::kSun : astro::kMoon;
            e.longitude = entry.position;
            e.jd_ut = entry.ec_jd;
            events.push_back(e);
        }
    }
    if (families.void_of_course) {
        const int type = VoidOfCourseTypeFromSettings();
        const ZodiacFrame frame = FrameFromSettings(zodiac);
        double start = jd_start_ut;
        while (start <= jd_end_ut) {
            const auto period = NextVoidOfCourse(start, zodiac, type);
            if (!period.ok()) {
                return period.status();
            }
            if (period->begins_jd_ut > jd_end_ut) {
                break;
            }
            if (period->planet != 0 && period->begins_jd_ut >= jd_start_ut) {
                ExtraEvent e;
                e.kind = ExtraEventKind::kVoidOfCourse;
                e.symbol = 'V';
                e.point = astro::kMoon;
                e.aspect = period->aspect;
                e.target_point = period->planet;
                e.target_longitude = period->planet_longitude;
                const double jd_et = period->begins_jd_ut + astro::DeltaT(period->begins_jd_ut);
                const auto moon = PlaceOf(astro::kMoon, jd_et, frame);
                e.longitude = moon ? moon->longitude : period->planet_longitude;
                e.jd_ut = period->begins_jd_ut;
                e.ends_jd_ut = period->ends_jd_ut;
                events.push_back(e);
            }
            start = period->ends_jd_ut + kPastIngress;
        }
    }
    return events;
}

startup::StatusOr<std::vector<ExtraEvent>> ProgressedExtraEventsOf(
    const ExtraEventFamilies& families, double jd_start_ut, double jd_end_ut, int zodiac,
    const std::function<double(double)>& progressed) {
    const double start = progressed(jd_start_ut);
    const double end = progressed(jd_end_ut);
    const double rate = (end - start) / (jd_end_ut - jd_start_ut);
    if (!(std::fabs(rate) > 0.0) || !std::isfinite(rate)) {
        return std::vector<ExtraEvent>();
    }
    auto events = ExtraEventsOf(families, std::min(start, end), std::max(start, end), zodiac);
    if (!events.ok()) {
        return events.status();
    }
    const auto real = [&](double jd_progressed) {
        return jd_start_ut + (jd_progressed - start) / rate;
    };
    for (ExtraEvent& e : *events) {
        e.jd_ut = std::clamp(real(e.jd_ut), jd_start_ut, jd_end_ut);
        if (e.kind == ExtraEventKind::kVoidOfCourse) {
            e.ends_jd_ut = real(e.ends_jd_ut);
        }
    }
    return events;
}

void RegisterDynamicExtraEvents() {
    static const auto kSource = std::make_shared<ReturnsEventSource>();
    dynamic::RegisterExtraEventSource(kSource);
}

}  // namespace meridia::returns
