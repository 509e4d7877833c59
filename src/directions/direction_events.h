// Primary-direction events over a report period: the contacts of directed promissors with the
// radix significators (exact, entering and leaving orb, already in orb at the start) and the
// sign and house ingresses of directed points, each dated by the rate key of the arc at which
// it happens. Arcs and orbs in degrees; Julian days in UT.
//
// Rules this module chooses where the directions themselves leave a choice:
// - Mundane aspects: each aspect of the list at angle a is taken on both sides of the
//   significator (offsets +a and -a; once for 0 and 180). Under Placidus the aspect point is
//   the significator's mundane position minus the offset (a quadrant holds 90 degrees of
//   mundane position); under Regiomontanus the offset is taken in oblique ascension under the
//   pole of the aspect point. Zodiacal directions put the offset on the promissor's longitude.
// - Converse directions: "Classical Converse" carries the significator to the promissor's
//   place with the diurnal motion (the roles of the two points swapped); "Modern Converse"
//   turns the sky against the diurnal motion (the direct arc negated). Events name the
//   promissor as the moving point in both.
// - Orbs are arcs of direction: a contact is entered orb degrees of arc before the exact arc
//   and left orb degrees after it.
#pragma once

#include <vector>

#include "directions/primary_directions.h"

namespace meridia::directions {

struct DirectionAspect {
    int number = 1;  // aspect number in the set
    double angle = 0.0;
    double entering_orb = 0.0;
    double leaving_orb = 0.0;
};

struct DirectionsRequest {
    std::vector<int> promissors;     // the moving (directed) points
    std::vector<int> significators;  // the radix points
    std::vector<DirectionAspect> aspects;
    double jd_start_ut = 0.0;
    double jd_end_ut = 0.0;
    // Arc multiplier: the age is (JD - natal JD) x multiplier / 365.24219907.
    double multiplier = 1.0;
    bool enter_leave = false;
    bool sign_ingresses = false;
    bool house_ingresses = false;
};

// One event, in the fields the dynamic event table keeps.
struct DirectionEvent {
    int moving_point = 0;
    int aspect = -1;                // aspect number, -1 for ingresses
    int target_point = 0;           // 0 for ingresses
    char symbol = 'X';              // "X", "E", "L", "B", "S", "H"
    double moving_longitude = 0.0;  // the directed place of the moving point
    double target_longitude = -999.0;
    int moving_house = 0;
    int target_house = 0;
    double arc = 0.0;    // arc of direction of the event
    double jd_ut = 0.0;  // its date
};

// The age (years) at which an arc is reached and the Julian day of an arc, for the multiplier.
double ArcToJulianDay(PrimaryDirectionsClass& directions, double arc, double multiplier);

// Contacts of every promissor with every other significator whose arc lies between the arcs of
// the period ends (both included), in promissor, significator, aspect order.
std::vector<DirectionEvent> GetDirectionsToRadix(PrimaryDirectionsClass& directions,
                                                 const DirectionsRequest& request);
// Sign ("S") and house ("H") ingresses of the directed promissors within the period.
std::vector<DirectionEvent> GetIngresses(PrimaryDirectionsClass& directions,
                                         const DirectionsRequest& request);

}  // namespace meridia::directions
