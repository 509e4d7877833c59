// Fuzz target: the country index of the place files ("Country.INI": which files hold each
// country) and the alternate country names ("State.INI"), as the place lookup reads them over
// a folder of two small place files. Input: "Country.INI", kPartMarker, "State.INI".
// Properties: the lookups never crash, leak or run away, whatever files and counts the index
// names; a place that is found has finite coordinates.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_session.h"
#include "places/place_files.h"
#include "support/test_session.h"

using namespace meridia;

namespace {

places::PlaceFileRecord Record(std::string_view name, std::string_view country,
                               std::string_view zone, std::string_view latitude,
                               std::string_view longitude) {
    places::PlaceFileRecord record;
    record.placename = name;
    record.country = country;
    record.timezone_entry = zone;
    record.latitude = latitude;
    record.longitude = longitude;
    return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const auto parts = fuzz::SplitParts(fuzz::AsBytes(data, size), 2);
    const std::filesystem::path folder = session.user_files() / "Places";
    meridia::testing::WriteFile(
        folder / "a.plc",
        places::EncodePlaceRecords({Record("Adelaide", "SA", "ACST -9:30", "34S56", "138E36"),
                                    Record("Paris", "France", "CET -1:00", "48N52", "2E20")}));
    meridia::testing::WriteFile(
        folder / "b.plc",
        places::EncodePlaceRecords({Record("Lyon", "France", "CET -1:00", "45N45", "4E51"),
                                    Record("Berlin", "Germany", "CET -1:00", "52N31", "13E24")}));
    meridia::testing::WriteFile(folder / "Country.INI", parts[0]);
    meridia::testing::WriteFile(folder / "State.INI", parts[1]);
    // No place-window file: every search goes through the index.
    places::SetLoadedPlaceFile(folder / "none.plc");

    const places::LocalMoment moment{1990, 6, 15, 12, 0};
    static constexpr std::string_view kQueries[][2] = {
        {"Lyon", "France"}, {"Berlin", "Deutschland"}, {"Adelaide", "SA"}, {"Nowhere", "France"}};
    for (const auto& query : kQueries) {
        const auto found = places::FindPlace(folder, query[0], query[1], moment, false);
        if (found.found) {
            fuzz::Require(
                std::isfinite(found.place.latitude) && std::isfinite(found.place.longitude),
                "a place found with non-finite coordinates");
        }
    }
    return 0;
}
