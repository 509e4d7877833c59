// meridia-cli place and zone: the place lookup, the zone-table lookup and the zone-table dump.
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "places/place_lookup.h"
#include "places/zone_tables.h"
#include "textformats/angle_text.h"
#include "textformats/time_text.h"

namespace meridia::cli {

namespace {

struct PlaceFindOptions {
    std::string name;
    std::string country;
    std::string date;
    std::string time;
};

struct ZoneLookupOptions {
    int table = 0;
    std::string date;
    std::string time;
    std::string longitude;
};

int RunPlaceFind(const CliContext& ctx, const PlaceFindOptions& options) {
    const auto result =
        places::FindPlaceAt(options.name, options.country, options.date, options.time);
    if (!result.ok()) {
        return ExitFor(result.status());
    }
    const places::PlaceRecord& place = result->place;
    if (ctx.json) {
        nlohmann::json doc;
        doc["found"] = result->found;
        doc["place"] = place.placename;
        doc["country"] = place.country;
        doc["longitude"] = place.longitude;
        doc["latitude"] = place.latitude;
        doc["zone_hours"] = place.zone_hours;
        doc["zone_mnemonic"] = place.zone_mnemonic;
        doc["zone_type"] = static_cast<int>(place.zone_type);
        doc["table"] = place.table_number;
        doc["uncertain"] = result->uncertain;
        *ctx.out << doc.dump() << '\n';
    } else if (result->found) {
        *ctx.out << place.placename << ", " << place.country << '\n'
                 << "Latitude:  " << textformats::FormatLatitude(place.latitude) << '\n'
                 << "Longitude: " << textformats::FormatLongitude(place.longitude) << '\n'
                 << "Zone:      " << textformats::FormatTimeZone(place.zone_hours) << ' '
                 << place.zone_mnemonic << (result->uncertain ? " (uncertain)" : "") << '\n';
        if (place.zone_type == places::ZoneType::kTable) {
            *ctx.out << "Uses Table #" << place.table_number << '\n';
        }
    } else {
        *ctx.out << "Not found: " << options.name << ", " << options.country << '\n';
    }
    return kExitOk;
}

int RunZoneLookup(const CliContext& ctx, const ZoneLookupOptions& options) {
    const auto result =
        places::LookupZoneAt(options.table, options.date, options.time, options.longitude);
    if (!result.ok()) {
        return ExitFor(result.status());
    }
    const places::ZoneResult& zone = result->zone;
    if (ctx.json) {
        nlohmann::json doc;
        doc["found"] = result->found;
        doc["zone_hours"] = zone.hours;
        doc["zone_mnemonic"] = zone.mnemonic;
        doc["uncertain"] = zone.uncertain;
        *ctx.out << doc.dump() << '\n';
    } else if (result->found) {
        *ctx.out << textformats::FormatTimeZone(zone.hours) << ' ' << zone.mnemonic
                 << (zone.uncertain ? " (uncertain)" : "") << '\n';
    } else {
        *ctx.out << "Not found: zone table " << options.table << '\n';
    }
    return kExitOk;
}

int RunZoneDump(const CliContext& ctx) {
    const auto path = places::DumpZoneTables(places::PlacesFolder());
    if (!path) {
        return kExitFailure;
    }
    *ctx.out << path->string() << '\n';
    return kExitOk;
}

}  // namespace

void AddPlaceCommands(CLI::App& app, CliContext& ctx) {
    auto* place =
        app.add_subcommand("place", "Places: look a place up in the place files or atlas");
    place->require_subcommand(1);
    auto find_options = std::make_shared<PlaceFindOptions>();
    auto* find = place->add_subcommand("find", "Find a place and its zone at a local moment");
    find->add_option("name", find_options->name, "Place name")->required();
    find->add_option("country", find_options->country, "Country or state")->required();
    find->add_option("--date", find_options->date, "Local date (default: today)");
    find->add_option("--time", find_options->time, "Local clock time (default: now)");
    find->callback([&ctx, find_options] {
        ctx.action = [&ctx, find_options] { return RunPlaceFind(ctx, *find_options); };
    });

    auto* zone = app.add_subcommand("zone", "Time-zone tables");
    zone->require_subcommand(1);
    auto lookup_options = std::make_shared<ZoneLookupOptions>();
    auto* lookup = zone->add_subcommand("lookup", "The zone of a table at a local moment");
    lookup->add_option("--table", lookup_options->table, "Zone table number")->required();
    lookup->add_option("--date", lookup_options->date, "Local date")->required();
    lookup->add_option("--time", lookup_options->time, "Local clock time")->required();
    lookup->add_option("--lon", lookup_options->longitude, "Longitude (for Local Mean Time)")
        ->required();
    lookup->callback([&ctx, lookup_options] {
        ctx.action = [&ctx, lookup_options] { return RunZoneLookup(ctx, *lookup_options); };
    });
    auto* dump = zone->add_subcommand("dump", "Write the text dump of all zone tables");
    dump->callback([&ctx] { ctx.action = [&ctx] { return RunZoneDump(ctx); }; });
}

}  // namespace meridia::cli
