// Primary directions in the dynamic search: the source of the direction types 5 "Primary
// Mundane", 7 "Primary van Dam" and 8 "Primary Zodiacal". Types 5 and 8 store their contacts
// and the ingresses of directed points in the run's event table in one pass over the period;
// type 7 moves the points for the engine's walk (van Dam places).
// Julian days in UT (the table's report time for TrJulDay); angles in degrees.
#pragma once

#include "directions/direction_events.h"
#include "dynamic/dynamic_hooks.h"

namespace meridia::directions {

// What a dynamic request asks of primary directions, as the events module takes it: the moving
// points (the targets when none are given), the enabled longitude aspects of the run's set with
// their progressed orbs (entering: the applying orb, leaving: the separating orb, of the "other
// points" group), the period, the arc multiplier and the families.
DirectionsRequest DirectionsRequestOf(const dynamic::DynamicRunContext& context,
                                      const dynamic::DynamicReportClass& table);

// Sets the class from a dynamic request: radix chart, key, method, converse, Makransky's
// option, and the type (5 mundane, 8 zodiacal).
void ConfigureDirections(PrimaryDirectionsClass& directions,
                         const dynamic::DynamicSearchRequest& request);

// Stores the events in the table (family 7 for contacts, 9 for ingresses). Stops without an
// error when the table is full (the engine reports the truncation).
void StoreDirectionEvents(const std::vector<DirectionEvent>& events,
                          dynamic::DynamicReportClass& table);

// Registers the source with the dynamic search; later calls do nothing.
void RegisterPrimaryDirections();

}  // namespace meridia::directions
