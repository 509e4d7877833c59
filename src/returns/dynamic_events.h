// The dynamic report's extra events from this library: exact lunar phases and eclipses
// (symbol "O") and the void-of-course periods of the Moon (symbol "V"), listed for a period
// and handed to the dynamic search through its extra-event hook.
// Julian days in universal time; longitudes in degrees (the radix chart's zodiac for the
// void-of-course Moon, tropical for phases and eclipses).
#pragma once

#include <functional>
#include <vector>

#include "startup/status.h"

namespace meridia::returns {

enum class ExtraEventKind { kLunarPhase, kEclipse, kVoidOfCourse };

// One extra event at its instant: for a phase the Moon (point 1) and the phase's aspect to the
// Sun (1 new Moon, 2 full Moon, 4 the quarters); for an eclipse the Sun (3, solar) or the Moon
// (1, lunar); for a void period the Moon, the aspect and the planet of its last aspect, the
// instant the period begins and the one it ends.
struct ExtraEvent {
    ExtraEventKind kind = ExtraEventKind::kLunarPhase;
    char symbol = 'O';
    int point = 1;
    int aspect = -1;
    int target_point = 0;
    double longitude = 0.0;
    double target_longitude = -999.0;
    double jd_ut = 0.0;
    double ends_jd_ut = 0.0;  // void of course only
};

struct ExtraEventFamilies {
    bool lunar_phases = false;
    bool eclipses = false;
    bool void_of_course = false;
};

// The events of the selected families with jd_start_ut <= instant <= jd_end_ut, phases, then
// eclipses, then void periods, each in date order. The void-of-course type is the setting's.
startup::StatusOr<std::vector<ExtraEvent>> ExtraEventsOf(const ExtraEventFamilies& families,
                                                         double jd_start_ut, double jd_end_ut,
                                                         int zodiac);

// The events of a progressed chart's report: the events of the selected families in the
// progressed span progressed(jd_start_ut)..progressed(jd_end_ut), each moved to the real
// instant at which the progressed chart reaches it (jd_ut and ends_jd_ut). `progressed` maps a
// real UT instant to the progressed one and must be linear (a constant rate, forward or
// converse); a rate of zero gives no events.
startup::StatusOr<std::vector<ExtraEvent>> ProgressedExtraEventsOf(
    const ExtraEventFamilies& families, double jd_start_ut, double jd_end_ut, int zodiac,
    const std::function<double(double)>& progressed);

// Registers this library's source of extra events with the dynamic search (once per process;
// later calls change nothing).
void RegisterDynamicExtraEvents();

}  // namespace meridia::returns
