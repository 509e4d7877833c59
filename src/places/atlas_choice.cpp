#include "places/atlas_choice.h"

#include <utility>

#include "startup/session.h"
#include "startup/text_tools.h"
#include "textformats/angle_text.h"

namespace meridia::places {

std::vector<AtlasCity> AtlasCitiesNamed(std::string_view place, std::string_view country) {
    std::vector<AtlasCity> exact;
    if (!startup::CurrentSession().settings().GetBool("ACSEmbedded") || !AtlasSetup()) {
        return exact;
    }
    const std::string wanted = startup::UpperText(place);
    for (AtlasCity& city : AtlasFindCity(place, country)) {
        if (startup::UpperText(city.name) == wanted) {
            exact.push_back(std::move(city));
        }
    }
    return exact;
}

std::string AtlasCityChoiceText(const AtlasCity& city) {
    std::string text = city.name;
    if (!city.state.empty()) {
        text += ", " + city.state;
    }
    return text + ", " + city.country + "  " + textformats::FormatLatitude(city.latitude) + " " +
           textformats::FormatLongitude(city.longitude);
}

std::optional<AtlasPlace> PlaceOfAtlasCity(const AtlasCity& city, const LocalMoment& moment) {
    AtlasPlace result;
    PlaceRecord& record = result.place;
    record.placename = city.name;
    record.country = city.country;
    record.latitude = city.latitude;
    record.longitude = city.longitude;
    record.zone_type = ZoneType::kAtlas;
    record.atlas_keys = city.keys;
    const PlaceZone zone = GetZoneForPlace(record, moment);
    if (zone.error) {
        return std::nullopt;
    }
    record.zone_hours = zone.hours;
    record.zone_mnemonic = zone.mnemonic;
    result.uncertain = zone.uncertain;
    return result;
}

}  // namespace meridia::places
