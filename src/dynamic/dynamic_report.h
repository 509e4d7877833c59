// The dynamic event table (`DynamicReportClass`): the events a dynamic search found, each with
// its moving point, aspect, target point, positions, houses, family and weight, in report time;
// adding, the 30001-event limit, sorting by the nine report keys and filtering.
// Longitudes in degrees; Julian days: `TrJulDay` in report time (the report zone's clock, UT
// minus the zone value / 24, east negative), `jd_ut` in universal time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace meridia::dynamic {

// The most events a table holds.
inline constexpr int kMaxDynamicEvents = 30001;
inline constexpr const char* kTruncatedText =
    "Error encountered during report generation. Report will be truncated.";
inline constexpr double kNoTargetPosition = -999.0;

// Event symbols.
inline constexpr char kSymExact = 'X';
inline constexpr char kSymEntering = 'E';
inline constexpr char kSymLeaving = 'L';
inline constexpr char kSymAlreadyInOrb = 'B';
inline constexpr char kSymRetrograde = 'R';
inline constexpr char kSymDirect = 'D';
inline constexpr char kSymSignIngress = 'S';
inline constexpr char kSymHouseIngress = 'H';
inline constexpr char kSymVoidOfCourse = 'V';
inline constexpr char kSymOther = 'O';  // eclipse or exact lunar phase

// Event families (`TrType`).
inline constexpr int kTypeTransitRadix = 1;
inline constexpr int kTypeTransitTransit = 2;
inline constexpr int kTypeTransitProgressed = 3;
inline constexpr int kTypeTransitDirected = 4;
inline constexpr int kTypeProgressedRadix = 5;
inline constexpr int kTypeProgressedProgressed = 6;
inline constexpr int kTypeDirectedRadix = 7;
inline constexpr int kTypeTransitNone = 8;
inline constexpr int kTypeProgressedNone = 9;

// One event.
struct DynamicEvent {
    int tran_point = 0;       // `TranPoint`: the moving point's number
    char symbol = kSymExact;  // `TrEventSym`
    int aspect = -1;          // `TrAspect`: aspect number, -1 none (25/26 of a 26-aspect set:
                              // parallel / contraparallel)
    int ra_point = 0;         // `TrRaPoint`: target point, 0 none
    double tran_pos = 0.0;    // `TranPos`
    bool tran_retro = false;
    bool tran_show_sign = true;
    double ra_pos = kNoTargetPosition;  // `TrRaPos`
    bool ra_retro = false;
    bool radix_show_sign = true;
    double jul_day = 0.0;  // `TrJulDay`: report time
    int tran_house = 0;
    int ra_house = 0;
    int type = kTypeTransitRadix;  // `TrType`
    bool time = true;              // `TrTime`
    int index = 0;                 // `TrIndex`: number at adding, 1-based
    int settings_id = 0;           // `TrDynRepSettingsID`
    bool deleted = false;
    bool filtered = false;
    float weight = 0.0F;  // `TrWeight`
    int hit_no = 0;       // `TrHitNo`
    // Not shown in the report: the instant in UT and whether its refinement converged.
    double jd_ut = 0.0;
    bool converged = true;
};

// Sort keys of the report (the positions of the sort list).
enum class DynamicSortKey {
    kDate = 0,
    kEvent = 1,
    kPoint1 = 2,
    kPoint2 = 3,
    kWeight = 4,
    kType = 5,
    kAspect = 6,
    kPosition1 = 7,
    kPosition2 = 8,
};
// "Date/Time", "E/X/L Event", "Point 1", "Point 2", "Weighting", "Event Type", "Aspect",
// "Position 1", "Position 2".
std::string_view SortKeyName(DynamicSortKey key);
// The key of a command-line word ("date", "event", "point1", ..., "position2"); false when
// the word is none of them.
bool SortKeyFromWord(std::string_view word, DynamicSortKey& key);

class DynamicReportClass {
public:
    // Events 1..TranEvents (0-based vector underneath).
    int TranEvents() const { return static_cast<int>(events_.size()); }
    const DynamicEvent& Event(int n) const { return events_[static_cast<std::size_t>(n - 1)]; }
    DynamicEvent& Event(int n) { return events_[static_cast<std::size_t>(n - 1)]; }
    const std::vector<DynamicEvent>& Events() const { return events_; }

    // Adds an event with the fields in the order of the table. Returns false (nothing added)
    // when the table already holds kMaxDynamicEvents: the search stops and reports
    // kTruncatedText. jd_ut is TrJulDay minus JulDayTrOffSet.
    bool AddEvent(int tran_point, int aspect, int ra_point, char symbol, double tran_pos,
                  bool tran_retro, bool tran_show_sign, double ra_pos, bool ra_retro,
                  bool radix_show_sign, int tran_house, int ra_house, double jul_day, int type);
    // Adds an event built by the caller (its jd_ut and converged kept; index, settings id,
    // deleted, filtered, time and weight set here).
    bool AddEvent(DynamicEvent event);
    bool Truncated() const { return truncated_; }

    // Report time of a UT instant: jd_ut - zone/24, the zone being the fixed report zone or,
    // with Auto DST, the zone the lookup gives for that instant.
    double ReportTime(double jd_ut) const;
    // A fixed report zone (hours added to local time for UT).
    void SetFixedZone(double zone_hours);
    // Auto DST: the zone hours of each instant come from `lookup` (given jd_ut).
    void SetZoneLookup(std::function<double(double)> lookup);
    double ZoneHours() const { return zone_hours_; }
    bool AutoDst() const { return static_cast<bool>(zone_lookup_); }
    // The fixed offset added to a UT instant (−zone/24), in days.
    double JulDayTrOffSet() const { return -zone_hours_ / 24.0; }

    // Period, UT.
    double JulDayStart() const { return jul_day_start_; }
    double JulDayEnd() const { return jul_day_end_; }
    void SetPeriod(double jd_start_ut, double jd_end_ut);
    bool EnterLeave() const { return enter_leave_; }
    void SetEnterLeave(bool on) { enter_leave_ = on; }
    bool WriteTime() const { return write_time_; }
    void SetWriteTime(bool on) { write_time_ = on; }
    void PushWriteTime() { pushed_write_time_ = write_time_; }
    void PopWriteTime() { write_time_ = pushed_write_time_; }
    int SettingsId() const { return settings_id_; }
    void SetSettingsId(int id) { settings_id_ = id; }
    int RadixDynChart() const { return radix_dyn_chart_; }
    int RadixPosChart() const { return radix_pos_chart_; }
    void SetCharts(int radix_dyn_chart, int radix_pos_chart);

    // Weighting: the rank of each point number in the point order (index = point number; a
    // point without a rank ranks by its number) and the weight value of each aspect number
    // (index = aspect number).
    void SetWeighting(std::vector<double> point_ranks, std::vector<double> aspect_weights);
    // Weight of an event as AddEvent computes it.
    float WeightOf(const DynamicEvent& event) const;

    // Points that produced events.
    void InitTranUsed(int count) { tran_used_.assign(static_cast<std::size_t>(count) + 1, false); }
    void SetTranUsed(int point);
    void ClearTranUsed() { tran_used_.clear(); }
    bool TranUsed(int point) const;

    // Sorts by the key (ties by date, then by index); stable.
    void Sort(DynamicSortKey key);
    // Marks filtered events: those outside JulDayStart..JulDayEnd (in UT) and deleted ones.
    void FilterDynamicRep();
    void DeleteLine(int n);
    void Clear();
    // One line per event with every field, then the TranUsed marks.
    std::string DebugPrintReport() const;

private:
    std::vector<DynamicEvent> events_;
    bool truncated_ = false;
    double zone_hours_ = 0.0;
    std::function<double(double)> zone_lookup_;
    double jul_day_start_ = 0.0;
    double jul_day_end_ = 0.0;
    bool enter_leave_ = false;
    bool write_time_ = true;
    bool pushed_write_time_ = true;
    int settings_id_ = 0;
    int radix_dyn_chart_ = 0;
    int radix_pos_chart_ = 0;
    std::vector<double> point_ranks_;
    std::vector<double> aspect_weights_;
    std::vector<bool> tran_used_;
};

}  // namespace meridia::dynamic
