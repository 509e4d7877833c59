// The chart entry form's rules, shared by the windowed form and the command line: typed
// fields (or a chart of a chart file) turned into a chart record, and that record calculated
// into a slot of the chart table. Typed fields are read by the entry form's parsers, which
// show their own messages. Zones in hours added to local time to get UT (east negative);
// coordinates in degrees, longitude west positive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/chart_record.h"
#include "astro/fixed_stars.h"
#include "startup/status.h"

namespace meridia::charts {

// The fields of one chart as typed. A field left empty takes its default: the house system
// and zodiac of the settings, geocentric coordinates, event type 0, no time (midnight), and
// the coordinates and zone of the place looked up for the chart's moment.
// The title of the command line's messages: the default of the entries typed there.
inline constexpr const char* kCommandLineTitle = "meridia-cli";

struct ChartEntry {
    std::string name = "Untitled";
    std::string date;
    std::string time;
    std::string zone;
    std::string lat;
    std::string lon;
    std::string place;
    std::string country;
    std::optional<int> calendar;
    std::optional<int> house;
    std::optional<int> zodiac;
    std::optional<int> coords;
    std::optional<int> event_type;
    std::string rating;
    std::string source;
    // Instead of the fields: chart `chart` (1..N) of the chart file `file`.
    std::string file;
    std::optional<int> chart;
    // Instead of the fields and the file: a record already built (the chart a window shows),
    // taken as it stands.
    std::optional<astro::ChartRecord> record;
    // The extra points (51 and up) the chart is calculated with: an extra-point list
    // (astro/extra_points.h). Extra points are the session's: they stay in use for the charts
    // calculated after it. Empty keeps the extra points in use.
    std::string extra;
    // How the refusals below name the fields ("--" or "--b-" on the command line) and the
    // title they carry.
    std::string field_prefix = "--";
    std::string refusal_title = kCommandLineTitle;

    // True when any field that describes a chart was given.
    bool Given() const;
};

// A chart type the entry form offers: its class and kind, and the kind's name.
struct EntryChartType {
    int chart_class = 1;
    int chart_kind = 1;
    std::string name;
};
// The types in the form's order: the natal or event chart, the chart of kind 43 of the natal
// class, and the pre-natal epoch kinds 16 to 36.
std::vector<EntryChartType> EntryChartTypes();

// The record the entry describes. The zone mnemonic is upper-cased; a place name fills the
// coordinates and zone that were not typed; the year must lie in -32768..32767 and the date
// must exist in the calendar chosen. A refused field gives kRefused: with the message when the
// refusal is the entry's own, with an empty message when a parser or the place lookup has
// shown its own.
startup::StatusOr<astro::ChartRecord> BuildChartRecord(const ChartEntry& entry);

// A life event of a chart: the event entry's name (the description), date, time and
// calendar, read as the chart's are, at the chart's place and in its zone.
startup::StatusOr<astro::ChartData> BuildEventData(const astro::ChartData& chart,
                                                   const ChartEntry& event);

// Builds the entry's record and calculates it fully into the slot: the calculation that chart
// listings, aspect grids and derived charts start from. kOutOfRange carries "Date for
// calculation is outside the range of the ephemeris."; an unknown house system is kRefused and
// missing ephemeris files kFailed, their messages shown already.
startup::Status CalculateChartEntry(const ChartEntry& entry, int slot);
// The calculation part of CalculateChartEntry, for a record that is already built (a chart of
// a chart file), with the same statuses.
startup::Status CalculateChartRecord(const astro::ChartRecord& record, int slot);

// A job's own refusals are worded under kCommandLineTitle; when the job was typed into a form
// of the windowed program, they take the title of the entry's form instead. Any other status
// is returned as it is.
startup::Status UnderEntryTitle(startup::Status status, const ChartEntry& entry);

// What opening a chart says when every slot of the chart table holds a chart.
inline constexpr const char* kNoFreeSlotText = "There is no free chart slot.";

// Checked before a job opens `wanted` charts, so that it never stops halfway with some of them
// open: ok when that many slots are free; else kFailed under `title`, with kNoFreeSlotText when
// none is free, or "N charts need as many free chart slots; only M are free. Close some charts
// and try again."
startup::Status CheckFreeSlots(int wanted, const std::string& title);

// Opens a built record into a free slot with the next chart serial, the chart file and record
// number it came from, and calculates it fully; the slot number. No free slot is kFailed with
// kNoFreeSlotText under `title`; a calculation that fails has the statuses of
// CalculateChartRecord, and the slot is free again.
startup::StatusOr<int> OpenChartRecord(const astro::ChartRecord& record,
                                       const std::string& file_path, std::int32_t record_number,
                                       const std::string& title);

// Builds the entry's record and opens it into a free slot (OpenChartRecord, under the entry's
// refusal title); the slot number.
startup::StatusOr<int> OpenChartEntry(const ChartEntry& entry);

// The stars of the catalogue (every one, or those named `name`) at the moment and in the
// zodiac of the chart the entry describes, calculated into the slot: what `meridia-cli stars`
// lists.
startup::StatusOr<std::vector<astro::StarListing>> CalculateStarList(const ChartEntry& entry,
                                                                     std::string_view name,
                                                                     int slot);

}  // namespace meridia::charts
