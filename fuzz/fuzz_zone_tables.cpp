// Fuzz target: the time-zone tables of the places folder, the zone list ("tztable.lst"), the
// index ("tztable.ndx") and the tables ("tztable.bin"), through the lookups, the table list,
// the text dump and the table editor's save. Input: the list, kPartMarker, the index,
// kPartMarker, the tables.
// Properties: no lookup crashes, leaks or runs away, whatever positions, counts and chains
// the files hold; a zone found is finite; a table that was read can be saved again and reads
// back with its entries.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_session.h"
#include "places/zone_tables.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const auto parts = fuzz::SplitParts(fuzz::AsBytes(data, size), 3);
    const std::filesystem::path folder = session.user_files() / "Places";
    meridia::testing::WriteFile(places::ZoneTablePath(folder, ".lst"), parts[0]);
    meridia::testing::WriteFile(places::ZoneTablePath(folder, ".ndx"), parts[1]);
    meridia::testing::WriteFile(places::ZoneTablePath(folder, ".bin"), parts[2]);

    places::ReadZoneList(folder);
    const auto listed = places::ListZoneTables(folder);
    const std::vector<places::ZoneTableListItem> items =
        listed.ok() ? *listed : std::vector<places::ZoneTableListItem>{};
    static constexpr places::LocalMoment kMoments[] = {
        {1700, 1, 1, 0, 0}, {1946, 4, 14, 2, 30}, {1990, 6, 15, 12, 0}, {2200, 12, 31, 23, 59}};
    std::size_t looked_up = 0;
    for (const places::ZoneTableListItem& item : items) {
        if (++looked_up > 8) {
            break;
        }
        places::ReadZoneTable(folder, item.table_number);
        for (const places::LocalMoment& moment : kMoments) {
            places::ZoneResult zone;
            if (places::LookupZone(folder, item.table_number, moment, -138.6, zone) ==
                places::ZoneLookupStatus::kFound) {
                fuzz::Require(std::isfinite(zone.hours), "a zone found is not finite");
            }
        }
    }
    places::DumpZoneTables(folder);

    if (!items.empty()) {
        if (const auto table = places::ReadZoneTable(folder, items.front().table_number);
            table.ok()) {
            const auto saved = places::SaveZoneTable(folder, *table);
            if (saved && *saved > 0) {
                const auto again = places::ReadZoneTable(folder, *saved);
                fuzz::Require(again.ok() && again->entries.size() == table->entries.size(),
                              "a saved table does not read back");
            }
        }
    }
    return 0;
}
