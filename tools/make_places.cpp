// Writes the factory place files and zone tables into a folder:
//   meridia_make_places OUTPUT_FOLDER ALTERNATES_FILE
// The places come from the atlas's city list, the zone tables from the system's IANA
// time-zone database.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "places/factory_places.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: meridia_make_places OUTPUT_FOLDER ALTERNATES_FILE\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "meridia_make_places: cannot read %s\n", argv[2]);
        return 1;
    }
    std::ostringstream alternates;
    alternates << in.rdbuf();
    const auto start = std::chrono::steady_clock::now();
    const auto summary = meridia::places::GenerateFactoryPlaces(argv[1], alternates.str());
    if (!summary.ok) {
        std::fprintf(stderr, "meridia_make_places: cannot write the files in %s\n", argv[1]);
        return 1;
    }
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    std::printf("%d places, %d zone tables, %d zone-list entries (%.1f s)\n", summary.places,
                summary.tables, summary.zone_list_entries, elapsed.count());
    return 0;
}
