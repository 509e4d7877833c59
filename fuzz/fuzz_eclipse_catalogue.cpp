// Fuzz target: the eclipse catalogue readers ("SEclipse.bin", 27-byte blocks, and
// "LEclipse.bin", 26-byte blocks, each after a 12-byte header in block 0), as the eclipse
// search, the nearest-eclipse lookup and the next and previous eclipse read them.
// Input: the solar file, kPartMarker, the lunar file.
// Properties: reading never crashes, leaks or runs away; no more eclipses are listed than the
// header counts and the file holds; every eclipse listed has a date, time and type that can be,
// and its block encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_session.h"
#include "returns/eclipse_record.h"
#include "returns/eclipses.h"
#include "support/test_session.h"

using namespace meridia;

namespace {

// The span the search covers: every date a catalogue can hold.
constexpr double kFirstDay = -10000000.0;
constexpr double kLastDay = 10000000.0;

void CheckEntry(const returns::EclipseEntry& entry, std::string_view file) {
    const returns::EclipseKind kind = entry.kind();
    const std::size_t size = returns::BlockSize(kind);
    const returns::EclipseRecord& r = entry.data;
    fuzz::Require(r.month >= 1 && r.month <= 12 && r.day >= 1 && r.day <= 31 && r.hour <= 23 &&
                      r.minute <= 59 && r.second <= 59 && r.type >= 0 &&
                      r.type <= (kind == returns::EclipseKind::kSolar ? 3 : 2),
                  "an eclipse was listed with a field that cannot be");
    fuzz::Require(entry.record >= 1, "an eclipse was listed from block 0");
    const auto offset = static_cast<std::size_t>(entry.record) * size;
    fuzz::Require(offset + size <= file.size(), "an eclipse was listed from beyond the file");
    // The solar block's last byte is reserved: the encoder writes 0 there.
    const std::size_t compared = kind == returns::EclipseKind::kSolar ? size - 1 : size;
    fuzz::Require(
        returns::EncodeEclipseRecord(r, kind).substr(0, compared) == file.substr(offset, compared),
        "a block does not encode back to its bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const auto parts = fuzz::SplitParts(fuzz::AsBytes(data, size), 2);
    const std::filesystem::path folder = session.user_files() / "catalogues";
    const std::filesystem::path solar_path = folder / returns::kSolarCatalogueName;
    const std::filesystem::path lunar_path = folder / returns::kLunarCatalogueName;
    meridia::testing::WriteFile(solar_path, parts[0]);
    meridia::testing::WriteFile(lunar_path, parts[1]);

    returns::EclipseSearch search;
    search.from_jd_ut = kFirstDay;
    search.to_jd_ut = kLastDay;
    search.folder = folder;
    std::size_t limit = 0;
    for (const returns::EclipseKind kind :
         {returns::EclipseKind::kSolar, returns::EclipseKind::kLunar}) {
        const std::string_view file = kind == returns::EclipseKind::kSolar ? parts[0] : parts[1];
        const auto header = returns::DecodeCatalogueHeader(file);
        if (header && header->count > 0) {
            limit += static_cast<std::size_t>(header->count);
        }
        const auto catalogue = returns::EclipseCatalogueClass::Open(
            kind == returns::EclipseKind::kSolar ? solar_path : lunar_path, kind);
        if (catalogue.ok()) {
            catalogue->FirstAtOrAfter(2451545.0);
            for (const auto& entry : catalogue->ReadMany(1, 64)) {
                CheckEntry(entry, file);
            }
        }
        const auto nearest = returns::NearestEclipseIn(
            kind == returns::EclipseKind::kSolar ? solar_path : lunar_path, kind, 2451545.0,
            2451545.0 + 400.0);
        fuzz::Require(
            !nearest.found || (nearest.jd_ut >= 2451545.0 && nearest.jd_ut <= 2451545.0 + 400.0),
            "the nearest eclipse lies outside the range asked for");
    }
    const auto found = returns::SearchEclipses(search);
    fuzz::Require(found.size() <= limit, "more eclipses were listed than the headers count");
    for (const returns::EclipseEntry& entry : found) {
        CheckEntry(entry, entry.kind() == returns::EclipseKind::kSolar ? parts[0] : parts[1]);
    }
    return 0;
}
