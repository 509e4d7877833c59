// Chart entry's choice among atlas cities of one name: the cities to offer, and the place
// record of the city chosen, with the zone in force at the chart's moment.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "places/atlas.h"
#include "places/place_files.h"
#include "places/zone_tables.h"

namespace meridia::places {

// The atlas cities whose name is exactly `place` (case-insensitive) in `country`, when the
// atlas is in use (setting ACSEmbedded) and holds cities; empty otherwise. Chart entry offers
// a choice when there are two or more.
std::vector<AtlasCity> AtlasCitiesNamed(std::string_view place, std::string_view country);

// How the choice lists a city: name, state (left out when the atlas has none) and country, then
// two spaces and the latitude and longitude as the entry form writes them
// ("Neustadt, Hesse, Germany  50°N51' 009°E07'").
std::string AtlasCityChoiceText(const AtlasCity& city);

struct AtlasPlace {
    PlaceRecord place;
    bool uncertain = false;  // the zone tables mark the zone at that moment uncertain
};

// The place record of an atlas city with the zone in force at `moment`; nothing when its zone
// cannot be found (the zone lookup has shown why).
std::optional<AtlasPlace> PlaceOfAtlasCity(const AtlasCity& city, const LocalMoment& moment);

}  // namespace meridia::places
