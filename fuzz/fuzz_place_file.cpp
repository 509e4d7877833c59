// Fuzz target: place files (".plc", 73-byte records: place, country, zone text, latitude and
// longitude texts, zone table number) as the place window and the place lookup read them.
// Input: the file.
// Properties: reading never crashes, leaks or runs away; every record the lookup accepts has
// finite coordinates and zone.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "fuzz_session.h"
#include "places/place_files.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::filesystem::path file = session.user_files() / "Places" / "fuzz.plc";
    meridia::testing::WriteFile(file, fuzz::AsBytes(data, size));

    const auto records = places::ReadPlaceFile(file);
    fuzz::Require(records.has_value(), "a readable place file was refused");
    places::LoadPlaceList(file);
    for (const places::PlaceFileRecord& record : *records) {
        if (const auto place = places::PlaceFromFileRecord(record)) {
            fuzz::Require(std::isfinite(place->latitude) && std::isfinite(place->longitude) &&
                              std::isfinite(place->zone_hours),
                          "a place with a non-finite coordinate or zone");
        }
    }
    return 0;
}
