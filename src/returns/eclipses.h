// Eclipses from the two catalogue files of the program folder ("SEclipse.bin",
// "LEclipse.bin"): the nearest-eclipse lookup of the dynamic report, the next and previous
// eclipse of each kind, and the eclipse search over a span of dates with its type, Saros and
// aspect filters, the report header lines and the charts of chosen eclipses.
// Julian days in universal time (jd_ut); longitudes tropical degrees unless stated. A file
// that is missing, short or damaged gives no eclipse and no message. Not thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aspects/aspect_set.h"
#include "astro/chart_record.h"
#include "returns/eclipse_record.h"
#include "startup/status.h"

namespace meridia::returns {

inline constexpr const char* kNoEclipsesText = "No Eclipses";
inline constexpr const char* kNoEclipseDataText = "No Eclipse Data to Copy";
inline constexpr const char* kEclipseReportTitle = "Eclipse Report";
inline constexpr const char* kMaximumNote = "Times reported are Eclipse Maximum";
inline constexpr const char* kLunarPhaseNote =
    "Times reported are exact Lunar Phase (full or new moon)";
inline constexpr const char* kPrintEclipsesQuestion = "Send the Eclipse Report to the Printer?";
inline constexpr const char* kPrintEclipsesTitle = "Print Eclipse Search Results";
inline constexpr const char* kPrinterUnavailableText =
    "Your printer is unavailable.  Please choose another.";
inline constexpr const char* kPrinterUnavailableTitle = "Printer Unavailable";
// Appended to the times of the list and the report.
inline constexpr const char* kUniversalTimeMark = " (UT)";
// Appended to the names of eclipse charts.
inline constexpr const char* kSolarChartMark = " (NM)";
inline constexpr const char* kLunarChartMark = " (FM)";
// The Julian day that marks an exhausted file in the merge of the two files.
inline constexpr double kNoMoreEclipses = 999999999999.0;

// "Partial", "Annular", "Total", "Hybrid" (solar); "Appulse", "Partial", "Total" (lunar);
// empty for a code that has no name.
std::string EclipseTypeText(EclipseKind kind, int type);

// One eclipse as the program lists it.
struct EclipseEntry {
    int ec_type = 1;  // 1 solar, 2 lunar
    int record = 0;   // block number in its file (1-based)
    double ec_jd = 0.0;
    EclipseRecord data;     // date, time, type, Saros numbers and figures
    double position = 0.0;  // ecliptic longitude (tropical, or the radix chart's zodiac)
    bool show = true;
    int aspect_count = 0;
    int aspect = 0;        // aspect number in the set; 0 none
    int aspect_point = 0;  // the radix point (0 for a fixed position)
    double aspect_orb = 0.0;

    EclipseKind kind() const { return ec_type == 2 ? EclipseKind::kLunar : EclipseKind::kSolar; }
};

// The Julian day (UT) of a catalogue record's date and time (the calendar of its period).
double EclipseJulianDay(const EclipseRecord& record);

// An open catalogue file. Reads one block at a time; never trusts the header's count beyond
// the file's size.
class EclipseCatalogueClass {
public:
    // The catalogue of a kind in the program folder.
    static std::filesystem::path DefaultPath(EclipseKind kind);
    // Opens and checks the header; kNotFound or kDamaged when it cannot be used.
    static startup::StatusOr<EclipseCatalogueClass> Open(const std::filesystem::path& path,
                                                         EclipseKind kind);

    EclipseKind kind() const { return kind_; }
    const CatalogueHeader& header() const { return header_; }
    int count() const { return header_.count; }
    // Eclipse n (1..count); nothing when the block cannot be read or decoded.
    std::optional<EclipseEntry> Read(int n) const;
    // Up to `count` eclipses from block `first` on, read at once; the list ends before the
    // first block that cannot be decoded.
    std::vector<EclipseEntry> ReadMany(int first, int count) const;
    // The first eclipse n at or after jd_ut (count + 1 when there is none).
    int FirstAtOrAfter(double jd_ut) const;

private:
    std::optional<EclipseEntry> Decode(std::string_view block, int n) const;

    std::filesystem::path path_;
    EclipseKind kind_ = EclipseKind::kSolar;
    CatalogueHeader header_;
};

// The nearest-eclipse lookup over [jd1, jd2] in both files.
struct NearestEclipse {
    bool found = false;
    int kind = 0;  // 1 solar, 2 lunar
    double jd_ut = 0.0;
};
// The lookup in one file: the eclipse nearest the middle of the range, reached by jumps of
// whole mean spacings while it is two spacings away or more, then one eclipse at a time;
// found when its day lies within the range.
NearestEclipse NearestEclipseIn(const std::filesystem::path& path, EclipseKind kind, double jd1,
                                double jd2);
// Both files, solar first; the eclipse nearer the middle of the range wins.
NearestEclipse FindNearestEclipse(double jd1, double jd2);

// The first eclipse of the kind after jd_ut, or the last one before it.
std::optional<EclipseEntry> NextEclipse(EclipseKind kind, double jd_ut);
std::optional<EclipseEntry> PreviousEclipse(EclipseKind kind, double jd_ut);
// The later of the previous solar and the previous lunar eclipse before jd_ut.
std::optional<EclipseEntry> PriorEclipse(double jd_ut);
// Installs PriorEclipse as the finder of the "prenatal-eclipse" extra chart point (its Julian
// day and the eclipse's tropical longitude).
void InstallPriorEclipseFinder();

enum class EclipseAspectMode { kNone, kFixedPosition, kRadixChart };

// The eclipse search of the "Eclipse Search" settings section.
struct EclipseSearch {
    double from_jd_ut = 0.0;
    double to_jd_ut = 0.0;
    bool all_solar = true;
    std::array<bool, 4> solar_types{};  // partial, annular, total, hybrid
    bool all_lunar = true;
    std::array<bool, 3> lunar_types{};  // appulse, partial, total
    bool all_saros = true;
    int saros = 100;
    EclipseAspectMode aspect_mode = EclipseAspectMode::kNone;
    double fixed_position = 0.0;  // degrees
    int radix_slot = 0;
    aspects::AspectSet aspect_set;
    std::vector<int> points;  // the radix points aspected (the point set)
    // The folder of the catalogues; empty for the program folder.
    std::filesystem::path folder;
};

// Every eclipse of the span that passes the filters, in date order (solar first on equal
// days). Missing files give no eclipses of their kind.
std::vector<EclipseEntry> SearchEclipses(const EclipseSearch& search);

// What the times of a list are: eclipse maxima, or exact lunar phases (the eclipses listed as
// the full and new Moons they fall on).
enum class EclipseTimeNote { kMaximum, kLunarPhase };

// The report's header lines: the span, the types, the Saros number, the aspect filter and the
// note on the times. Dates as the caller formats them; names of the radix chart, aspect set and
// point set as given.
std::vector<std::string> EclipseReportHeader(
    const EclipseSearch& search, const std::string& from_text, const std::string& to_text,
    const std::string& position_text, const std::string& radix_name,
    const std::string& aspect_set_name, const std::string& point_set_name,
    EclipseTimeNote note = EclipseTimeNote::kMaximum);

// The found eclipses of the search window, each with its selected and hidden flags. Indexes
// are 0-based; an index out of range reads as not selected and not hidden and is ignored by
// the setters.
class EclipseSet {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    const EclipseEntry& Eclipse(int index) const { return entries_.at(Index(index)); }
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    void ClearSelection();
    int NumberSelected() const;
    // True when exactly one eclipse is selected.
    bool SingleSelection() const { return NumberSelected() == 1; }
    // The first selected eclipse's index; -1 when none is.
    int SelectedEclipse() const;
    void ClearHide();
    bool Hide(int index) const;
    void SetHide(int index, bool hide);
    void Clear();
    std::vector<EclipseEntry> GetSelectedEclipses() const;
    void AddSolarEclipse(const EclipseEntry& entry);
    void AddLunarEclipse(const EclipseEntry& entry);
    // Sorts by a column type (EclSortKey); the flags move with their eclipses.
    void SortBy(int sort_key);

private:
    std::size_t Index(int index) const { return static_cast<std::size_t>(index); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }

    std::vector<EclipseEntry> entries_;  // an entry's `show` is false when it is hidden
    std::vector<bool> selected_;
};

// Sort keys (the setting `EclSort`): 0 date order (as the catalogues list them), or a column
// type 1..13 (1 kind, solar first; 2 type code; 3 and 4 date; 5 position; 6 and 7 Saros
// numbers; 8 gamma; 9 magnitude; 10 penumbral magnitude; 11 duration; 12 and 13
// semi-durations). Equal keys keep date order.
inline constexpr int kLastEclipseSortKey = 13;
void SortEclipses(std::vector<EclipseEntry>& entries, int sort_key);
// The setting `EclSort`, held to 0..13 (0 for any other value).
int EclipseSortFromSettings();

// The chart record of an eclipse at a place (the place's record supplies name, coordinates,
// zone, house system and zodiac): the eclipse's date and time in the place's zone, named
// with " (NM)" for a solar and " (FM)" for a lunar eclipse.
astro::ChartRecord EclipseChartRecord(const EclipseEntry& entry, const astro::ChartRecord& place);

}  // namespace meridia::returns
