// Extension points of the dynamic search for libraries built on it: extra-event sources
// (eclipses, exact lunar phases, void-of-course Moon) and the source of the primary-direction
// types (5 "Primary Mundane", 7 "Primary van Dam", 8 "Primary Zodiacal"). A library registers
// its source once at start-up; the search calls every registered source, so this library never
// depends on them. Julian days in UT unless named report time; angles in degrees.
// Registration and runs happen on one thread.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "aspects/aspect_set.h"
#include "dynamic/dynamic_engine.h"
#include "dynamic/dynamic_report.h"
#include "dynamic/dynamic_request.h"
#include "startup/status.h"

namespace meridia::dynamic {

// What a source sees of a run.
struct DynamicRunContext {
    const DynamicSearchRequest& request;
    const DynamicDataClass& data;
    const DynamicPointSet& points;
    const aspects::AspectSet& aspect_set;  // the run's aspect set
    double step_days = 0.0;
    // Maps a real UT instant to the progressed (ephemeris-motion) UT instant of the run's
    // progressed chart: JulDayBase + (jd - JulDayBase) x ZodiacMult x rate.
    double ProgressedJulianDay(double jd_ut) const { return data.ProgressedJulianDay(jd_ut); }
};

// Adds events of the families it serves (request.families.eclipses, .lunar_phases,
// .void_of_course) for the whole period JulDayStart..JulDayEnd of the table. Events are
// stored with table.AddEvent, their TrJulDay from table.ReportTime(jd_ut) and their jd_ut set;
// symbols "O" (eclipse, exact lunar phase) and "V" (void of course). AddEvent returning false
// (the table is full) must end the source's work with an ok status: the engine reports the
// truncation.
class ExtraEventSource {
public:
    virtual ~ExtraEventSource() = default;
    // A short name for messages and the header (" Void of Course Moon" ...).
    virtual std::string_view Name() const = 0;
    // The header line the source adds when its families are selected ("" none).
    virtual std::string HeaderLine(const DynamicSearchRequest& request) const {
        (void)request;
        return {};
    }
    virtual startup::Status AddEvents(const DynamicRunContext& context,
                                      DynamicReportClass& table) = 0;
};

// The primary-direction types. A source either searches a whole period itself
// (AddDirections: events of family 7, directed to radix, and directed sign and house
// ingresses, symbols "X", "E", "L", "B", "S", "H") or moves the points step by step
// (MovesPoints true for a type: the engine walks the period in 30-day steps, asks Position for
// every moving point and runs its own detectors). InitializeRadix is called once per run
// before either.
class PrimaryDirectionSource {
public:
    virtual ~PrimaryDirectionSource() = default;
    // True for the direction types (5, 7, 8) this source serves.
    virtual bool Serves(int direction_type) const = 0;
    virtual startup::Status InitializeRadix(const DynamicRunContext& context) {
        (void)context;
        return {};
    }
    virtual bool MovesPoints(int direction_type) const {
        (void)direction_type;
        return false;
    }
    // The directed position of a chart point at a real UT instant (MovesPoints types).
    virtual std::optional<DynamicPosition> Position(const DynamicRunContext& context, int point,
                                                    double jd_ut) {
        (void)context;
        (void)point;
        (void)jd_ut;
        return std::nullopt;
    }
    virtual startup::Status AddDirections(const DynamicRunContext& context,
                                          DynamicReportClass& table) {
        (void)context;
        (void)table;
        return {};
    }
};

// Registers a source for the life of the process (a second registration of the same object is
// ignored). Sources run in registration order.
void RegisterExtraEventSource(std::shared_ptr<ExtraEventSource> source);
void RegisterPrimaryDirectionSource(std::shared_ptr<PrimaryDirectionSource> source);
const std::vector<std::shared_ptr<ExtraEventSource>>& ExtraEventSources();
// The source that serves a direction type, or nullptr.
PrimaryDirectionSource* PrimaryDirectionSourceFor(int direction_type);
// Forgets every registration (tests).
void ClearDynamicSources();

}  // namespace meridia::dynamic
