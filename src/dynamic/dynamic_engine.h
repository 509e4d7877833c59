// The dynamic search: walks a report period in fixed steps, hands every step to the event
// detectors (aspects of moving points to target points and to each other, parallels, sign and
// house ingresses, stations, entering and leaving orb), refines each contact to its instant and
// stores it in the event table, then sorts the table. Extra events (eclipses, lunar phases,
// void-of-course Moon) and primary directions come from sources registered in dynamic_hooks.h.
// Julian days in UT unless named report time; angles in degrees; step lengths in days.
// Single-threaded: the ephemeris library keeps global state.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aspects/aspect_set.h"
#include "dynamic/dynamic_report.h"
#include "dynamic/dynamic_request.h"
#include "startup/status.h"

namespace meridia::dynamic {

// The event families a request selects.
struct EventFamilies {
    bool transits_radix = false;
    bool transits_transits = false;
    bool transits_progressions = false;
    bool transits_directions = false;
    bool progressions_radix = false;
    bool progressions_progressions = false;
    bool directions_radix = false;
    bool sign_ingress = false;
    bool house_ingress = false;
    bool stations = false;
    bool parallels_declination = false;
    bool parallels_latitude = false;
    bool eclipses = false;
    bool lunar_phases = false;
    bool void_of_course = false;
    bool operator==(const EventFamilies&) const = default;
};
// The families a method implies with the radix as target.
EventFamilies DefaultFamilies(int method);
// The families in their order of selection, each with its word in a family list.
struct EventFamilyWord {
    std::string_view word;
    bool EventFamilies::*member;
};
inline constexpr std::array<EventFamilyWord, 15> kEventFamilyWords = {{
    {"transits-radix", &EventFamilies::transits_radix},
    {"transits-transits", &EventFamilies::transits_transits},
    {"transits-progressions", &EventFamilies::transits_progressions},
    {"transits-directions", &EventFamilies::transits_directions},
    {"progressions-radix", &EventFamilies::progressions_radix},
    {"progressions-progressions", &EventFamilies::progressions_progressions},
    {"directions-radix", &EventFamilies::directions_radix},
    {"sign-ingress", &EventFamilies::sign_ingress},
    {"house-ingress", &EventFamilies::house_ingress},
    {"stations", &EventFamilies::stations},
    {"parallels-declination", &EventFamilies::parallels_declination},
    {"parallels-latitude", &EventFamilies::parallels_latitude},
    {"eclipses", &EventFamilies::eclipses},
    {"lunar-phases", &EventFamilies::lunar_phases},
    {"void-of-course", &EventFamilies::void_of_course},
}};
// Reads a command-line list ("transits-radix,stations,..."); false with the unknown word in
// `bad` when an item is not a family name.
bool ParseFamilies(std::string_view list, EventFamilies& families, std::string& bad);
// The list ParseFamilies reads back into the same families ("" when none is selected).
std::string FamilyListText(const EventFamilies& families);

// Options of the primary-direction types (5, 7, 8), passed through to their source.
struct PrimaryDirectionOptions {
    int key = 1;                 // rate key 1..7
    bool regiomontanus = false;  // false: Placidus semi-arcs
    bool converse = false;
    bool makransky = false;
};

// Progress of a run: a text ("Initialising", "Calculating for ...", "Sorting report by
// date...", "Finished") and the percentage done (-1 when the text stands alone). Returning
// false stops the run.
using DynamicProgress = std::function<bool(std::string_view text, int percent)>;

// Everything a run needs besides the calculated radix chart.
struct DynamicSearchRequest {
    int radix_slot = 1;  // slot of the calculated radix chart (the targets, houses, base)
    double jd_start_ut = 0.0;
    double jd_end_ut = 0.0;
    int method = kMethodTransits;
    int progression_kind = kKindSecondary;
    int direction_type = kDirectionSolarArc;
    // Arc rate of user directions, degrees per year (0: the kind's default); progression rate
    // override in ephemeris days per day (0: the kind's rate).
    double user_arc_rate = 0.0;
    double multiplier = 1.0;   // ZodiacMult
    std::vector<int> moving;   // moving chart points
    std::vector<int> targets;  // target (radix) chart points
    aspects::AspectSet aspect_set;
    EventFamilies families;
    bool enter_leave = false;
    bool quick = false;  // the calendar's quick refinement (full accuracy off)
    // Report zone: fixed hours, or an Auto DST lookup of the hours at each jd_ut.
    double zone_hours = 0.0;
    std::function<double(double)> zone_lookup;
    std::string zone_text;  // as the header shows it
    // Report location (transiting angles): west-positive longitude, latitude.
    bool relocated = false;
    double longitude = 0.0;
    double latitude = 0.0;
    std::string place_text;
    bool parallax = false;
    PrimaryDirectionOptions primary;
    std::string selection_text;  // saved-selection description for the header
    // Stop the walk at this UT instant when set (`SetEarlyExitDate`).
    std::optional<double> early_exit_jd_ut;
    DynamicProgress progress;
};

// What a run produced.
struct DynamicRunResult {
    DynamicReportClass table;
    double step_days = 0.0;
    bool truncated = false;
    // When the user stopped the run: the UT instant reached and the report's line
    // "Report was stopped at " + that date.
    std::optional<double> stopped_at_jd_ut;
    std::string stopped_text;
    // Ephemeris calls the run made (walk and refinement).
    std::int64_t ephemeris_calls = 0;
};

// The step length of a request (the method's rule).
double StepDays(const DynamicSearchRequest& request);

// Runs the search. Refuses (kRefused, with the message) an empty or reversed period, a
// period outside the ephemeris (kOutOfRange), a moving or target point outside 1..50 or
// without a position in the radix chart, and a request without any event family. A run that
// hits the event limit ends with `truncated` and the events found so far.
startup::StatusOr<DynamicRunResult> RunDynamicSearch(const DynamicSearchRequest& request);

// The report header lines (selection, points, aspects, events, progression or direction type,
// period, zone with " (Fixed)" or " (Auto DST)", location, extra events).
std::vector<std::string> DynamicReportHeader(const DynamicSearchRequest& request);

// The event-type text of an event family ("Tr-Tr", "Sp-Pr", "Sa-Pr" ...).
std::string EventTypeText(const DynamicSearchRequest& request, int type);

}  // namespace meridia::dynamic
