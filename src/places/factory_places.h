// The factory place files and zone tables, made from the atlas's city list and the system's
// IANA time-zone database: one zone table per zone the cities use (each entry a change of the
// zone in force, the standard and daylight abbreviations in the zone list), one place file per
// region ("australi" for Australia) with every city and its table, "Country.INI" and
// "State.INI". Run at build time by the factory-file generator.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace meridia::places {

// Years the factory tables cover: changes from 1 January kFactoryFirstYear up to 1 January
// kFactoryEndYear (UT); a zone that keeps changing after that is marked as continuing.
inline constexpr int kFactoryFirstYear = 1800;
inline constexpr int kFactoryEndYear = 2100;

// The place files the generator writes, without extension.
const std::vector<std::string>& FactoryPlaceFileNames();

struct FactoryPlacesSummary {
    bool ok = false;
    int tables = 0;
    int zone_list_entries = 0;
    int places = 0;
};

// Writes every file into `folder` (created when missing). `alternates` is the text of the
// alternate country names, one "NAME=OTHER,OTHER" line each, written to "State.INI".
FactoryPlacesSummary GenerateFactoryPlaces(const std::filesystem::path& folder,
                                           std::string_view alternates);

}  // namespace meridia::places
