// What a typed chart takes for the fields its entry leaves out: the house system and the zodiac
// of the settings. The entry form preselects the same values.
#pragma once

namespace meridia::charts {

// The setting HouseSystem (a house system code 1..32).
int DefaultHouseSystem();
// The setting Ayanamsa (a zodiac code 0..17).
int DefaultZodiac();

}  // namespace meridia::charts
