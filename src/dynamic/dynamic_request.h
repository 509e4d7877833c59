// The dynamic request and its run data: the three request slots, the dynamic methods with the
// progression kinds and direction types they use, the point sets (moving points and target
// points, chart points, midpoints and fixed user points) and the chart-independent data the
// search engine works from (rates, arc multiplier, base Julian day, report location).
// Angles in degrees (longitude west positive, latitude north positive); Julian days in UT;
// rates in ephemeris days per day of real time; zone in hours added to local time for UT.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace meridia::dynamic {

// Dynamic methods (`DynMethod`).
inline constexpr int kMethodProgressions = 2;
inline constexpr int kMethodDirections = 3;
inline constexpr int kMethodTransits = 17;
inline constexpr int kMethodTransitsToProgressions = 19;
inline constexpr int kMethodTransitsToDirections = 20;

// Progression and direction kind codes as the dialogs list them.
inline constexpr int kKindSecondary = 1;
inline constexpr int kKindMeanTertiary = 2;
inline constexpr int kKindMinor = 3;
inline constexpr int kKindUser = 4;
inline constexpr int kKindTrueTertiary = 5;
inline constexpr int kKindSolarArc = 6;
inline constexpr int kKindAscendantArc = 7;
inline constexpr int kKindVertexArc = 8;
inline constexpr int kKindUserRate = 9;
inline constexpr int kKindUserArc = 10;
inline constexpr int kKindProfections = 11;
inline constexpr int kKindTransits = 12;
inline constexpr int kKindAgeHarmonic = 13;
inline constexpr int kKindAgePlusOneHarmonic = 14;
inline constexpr int kKindVanDam = 15;

// Direction types, numbered from 1.
inline constexpr int kDirectionSolarArc = 1;
inline constexpr int kDirectionAscArc = 2;
inline constexpr int kDirectionVertexArc = 3;
inline constexpr int kDirectionUserArc = 4;
inline constexpr int kDirectionPrimaryMundane = 5;
inline constexpr int kDirectionProfections = 6;
inline constexpr int kDirectionPrimaryVanDam = 7;
inline constexpr int kDirectionPrimaryZodiacal = 8;
inline constexpr int kDirectionTypeCount = 8;

// Days of the tropical year: the time measure of progressions and directions.
inline constexpr double kDynamicYearDays = 365.24219907;

// "Secondary Progressions" ... for the kind codes 1..15; "" for any other code.
std::string_view ProgressionKindName(int code);
// "Solar Arc" ... "Primary Zodiacal" for the direction types 1..8; "" otherwise.
std::string_view DirectionTypeName(int type);
// True for the types searched by a primary-direction source (5, 7, 8).
bool IsPrimaryDirectionType(int type);
// The arc multipliers of the dialog's Multiplier menu, in menu order, with their names
// ("x1 (Normal)" ...).
struct ArcMultiplier {
    double value;
    std::string_view name;
};
inline constexpr std::array<ArcMultiplier, 6> kArcMultipliers{
    {{1.0, "x1 (Normal)"},
     {2.0, "x2 (Double Arc)"},
     {0.5, "x0.5 (Half Arc)"},
     {-1.0, "x-1 (Negative Arc)"},
     {-2.0, "x-2 (Negative Double Arc)"},
     {-0.5, "x-0.5 (Negative Half Arc)"}}};
// A stored multiplier: 0 reads as -1 when `negative_flag` is set and as +1 otherwise.
double ZodiacMultFromStored(double stored, bool negative_flag);

// The position of a moving point at one instant. Speeds are per day of real time (a progressed
// point's ephemeris speed times the progression rate and multiplier).
struct DynamicPosition {
    double longitude = 0.0;  // [0, 360); -1 when it could not be calculated
    double speed = 0.0;
    double latitude = 0.0;
    double right_ascension = 0.0;
    double declination = 0.0;
    double latitude_speed = 0.0;
    double declination_speed = 0.0;
};

// Point types of a DynamicPoint.
inline constexpr int kPointChart = 0;
inline constexpr int kPointMidpoint = 1;
// User points with fixed coordinates (2 and up); 4 counts as using an angle.
inline constexpr int kPointUser = 2;
inline constexpr int kPointUserAngle = 4;
// The chart points numbered 22..26 (Ascendant, Midheaven, Vertex, Equatorial Ascendant, Part
// of Fortune) move with the angles.
inline constexpr int kFirstAnglePoint = 22;
inline constexpr int kLastAnglePoint = 26;
// One past the last chart point: what a user point reports as its lowest and highest point.
inline constexpr int kPastLastChartPoint = 51;

// Suffixes of extra user points added to a point set.
inline constexpr char kSuffixAsteroid = 'a';
inline constexpr char kSuffixHouseCusp = 'H';
inline constexpr char kSuffixArabicPart = 'p';
inline constexpr char kSuffixFixedStar = 's';
inline constexpr char kSuffixOther = 'e';

struct DynamicPoint {
    int p_type = kPointChart;
    int p1 = 0;  // chart point number (Part numbering 1..50, 51+ extra points)
    int p2 = 0;  // second chart point of a midpoint
    // Fixed coordinates of a user point.
    double longitude = 0.0;
    double latitude = 0.0;
    double ra = 0.0;
    double decl = 0.0;
    std::string full_name;
    std::string abbr;
    std::string sym_chars;

    // The highest and lowest chart point the point depends on (one past the last chart point
    // for a user point).
    int MaxDynPoint() const;
    int MinDynPoint() const;
    bool UsesAngle() const;
    // The number this point is reported under: p1 for chart points, a midpoint's first point,
    // and the user point's own number (51 and up) otherwise.
    int Number() const { return p1; }
};

// A chart point (1..50 or an extra point number) as a DynamicPoint.
DynamicPoint ChartPoint(int number);

// The point sets of a run: the targets (`RP`, radix points) and the moving points (`DynP`),
// with the moving points' positions in three slots (start of the step, end of the step, trial
// instant of a refinement).
class DynamicPointSet {
public:
    static constexpr int kPositionSlots = 3;

    int RadixPointCount() const { return static_cast<int>(rp_.size()); }
    int DynPointCount() const { return static_cast<int>(dyn_p_.size()); }
    const std::vector<DynamicPoint>& RP() const { return rp_; }
    const std::vector<DynamicPoint>& DynP() const { return dyn_p_; }
    void AddRadixPoint(const DynamicPoint& point) { rp_.push_back(point); }
    void AddDynamicPoint(const DynamicPoint& point);
    // A user point with fixed coordinates: its abbreviation gets the suffix (kSuffix...); a
    // house cusp's full name gets " House Cusp".
    void AddRadixUserPoint(DynamicPoint point, char suffix);
    void AddDynamicUserPoint(DynamicPoint point, char suffix);
    // Both sets.
    void AddUserPoint(const DynamicPoint& point, char suffix);
    void ClearRadix() { rp_.clear(); }
    void ClearDynamic();
    void ClearPos();
    void Clear();
    // Position of moving point i (0-based) in slot 0..2.
    DynamicPosition& DynPos(int slot, int i);
    const DynamicPosition& DynPos(int slot, int i) const;
    DynamicPosition& DynPos2(int i) { return DynPos(2, i); }
    // "Mo Su Me ..." : the moving points' abbreviations, as the report header lists them.
    std::string DynPntHdrTxt() const;

private:
    std::vector<DynamicPoint> rp_;
    std::vector<DynamicPoint> dyn_p_;
    std::array<std::vector<DynamicPosition>, kPositionSlots> pos_;
};

// Unit of a request period (`DMY`).
inline constexpr int kPeriodDays = 0;
inline constexpr int kPeriodMonths = 1;
inline constexpr int kPeriodYears = 2;

// One request slot: what the dynamic selection dialog (or the command line) asked for.
struct DynamicRequestSlot {
    std::int16_t start_year = 2000;
    std::uint8_t start_month = 1;
    std::uint8_t start_day = 1;
    std::int16_t period = 1;
    std::uint8_t opt_dmy = kPeriodYears;  // low four bits DMY; 16 and above: UseNatal
    float time_zone = 0.0F;               // hours added to local time for UT
    std::string time_zone_mnemonic;       // at most 5 characters
    std::uint8_t zone_type = 0;           // 4 and above: Auto DST
    float mod_ang = 0.0F;
    std::string place_name;  // at most 20 characters
    std::string country;     // at most 20 characters
    float longitude = 0.0F;  // degrees, west positive
    float latitude = 0.0F;   // degrees, north positive
    std::string settings_desc;
};

// The three request slots of the session: 0 the dynamic report, 1 and 2 the other dynamic
// outputs.
inline constexpr int kRequestSlotCount = 3;
DynamicRequestSlot& RequestSlot(int type);

class DynamicReportClass;

// A read-only view of the request slot chosen by DynamicRequestType.
class DynamicRequestClass {
public:
    explicit DynamicRequestClass(int type = 0) : type_(type) {}
    int DynamicRequestType() const { return type_; }
    void DynamicRequestType(int type) { type_ = type; }
    // The event table of the slot.
    DynamicReportClass& DRC() const;
    int StartYear() const { return Slot().start_year; }
    int StartMonth() const { return Slot().start_month; }
    int StartDay() const { return Slot().start_day; }
    int Period() const { return Slot().period; }
    int OptDMY() const { return Slot().opt_dmy; }
    int DMY() const { return Slot().opt_dmy & 15; }
    bool UseNatal() const { return Slot().opt_dmy > 15; }
    double TimeZone() const { return Slot().time_zone; }
    std::string TimeZoneMnemonic() const;
    bool AutoDST() const { return Slot().zone_type >= 4; }
    double ModAng() const { return Slot().mod_ang; }
    const DynamicRequestSlot& Slot() const { return RequestSlot(type_); }
    const std::string& SettingsDesc() const { return Slot().settings_desc; }

private:
    int type_ = 0;
};

// Chart-independent data of one run.
class DynamicDataClass {
public:
    // Sets DynMethod with ProgsUsed and TransitsUsed (methods 2, 3, 17, 19, 20; any other
    // method is taken as transits) and PrimaryVanDamDirections (method 3 with type 7).
    void SetMethod(int method, int direction_type = 0);
    int DynMethod() const { return method_; }
    bool ProgsUsed() const { return progs_used_; }
    bool TransitsUsed() const { return transits_used_; }
    bool PrimaryVanDamDirections() const { return van_dam_; }
    int DirectionType() const { return direction_type_; }

    // Progression kind (codes above) and its rate R (ephemeris days per real day).
    int ProgressionKind() const { return progression_kind_; }
    void SetProgressionKind(int kind, double rate);
    double Rate() const { return rate_; }
    // Direction arc rate in degrees per year for user-rate directions.
    double UserArcRate() const { return user_arc_rate_; }
    void SetUserArcRate(double degrees_per_year) { user_arc_rate_ = degrees_per_year; }

    double ZodiacMult() const { return zodiac_mult_; }
    void SetZodiacMult(double mult) { zodiac_mult_ = mult; }
    double JulDayBase() const { return jul_day_base_; }
    void SetJulDayBase(double jd_ut) { jul_day_base_ = jd_ut; }
    // (JD - JulDayBase) x ZodiacMult x rate: the progressed offset in days.
    double ProgressedOffset(double jd_ut) const;
    // JulDayBase + ProgressedOffset.
    double ProgressedJulianDay(double jd_ut) const;
    // (JD - JulDayBase) x ZodiacMult / 365.24219907.
    double AgeInYears(double jd_ut) const;

    // Report location.
    double Longitude() const { return longitude_; }
    double Latitude() const { return latitude_; }
    void SetLocation(double longitude, double latitude);
    bool CorrectGeocentricLatitude() const { return correct_geocentric_; }
    void SetCorrectGeocentricLatitude(bool on) { correct_geocentric_ = on; }
    // The latitude used for the angles: the geocentric latitude when the correction is on.
    double ObserverLatitude() const;
    double RadixLong() const { return radix_long_; }
    double RadixLat() const { return radix_lat_; }
    void SetRadixLat(double latitude) { radix_lat_ = latitude; }
    double LongDif() const { return long_dif_; }
    double ProgLongDif() const { return prog_long_dif_; }
    // Takes the radix longitude and latitude of a calculated chart (slot 1..114); LongDif is
    // the radix longitude minus the report longitude, ProgLongDif the same, or 0 when
    // `zero_prog` is set. False for a slot outside the table.
    bool InitializeRadixPosition(int slot, bool zero_prog);

    bool DoPllDec() const { return do_pll_dec_; }
    bool DoPllLat() const { return do_pll_lat_; }
    bool DoParallels() const { return do_pll_dec_ || do_pll_lat_; }
    void SetParallels(bool declination, bool latitude);
    bool Precessed() const { return precessed_; }
    void SetPrecessed(bool on) { precessed_ = on; }
    bool Converse() const { return converse_; }
    void SetConverse(bool on) { converse_ = on; }

    // First and last chart points of the progressed and transiting charts.
    int FromPP() const { return from_pp_; }
    int ToPP() const { return to_pp_; }
    int FromTP() const { return from_tp_; }
    int ToTP() const { return to_tp_; }
    void SetPointRanges(int from_pp, int to_pp, int from_tp, int to_tp);
    // The lowest and highest chart points the moving points need (FPointP..LPointP for the
    // progressed set, FPointT..LPointT for the transiting set).
    int FPointP() const { return f_point_p_; }
    int LPointP() const { return l_point_p_; }
    int FPointT() const { return f_point_t_; }
    int LPointT() const { return l_point_t_; }
    // Scans the moving points for the lowest MinDynPoint and highest MaxDynPoint; sets the
    // transiting range when `transiting`, else the progressed range.
    void ComputeFirstAndLastChartPoints(const DynamicPointSet& set, bool transiting);

private:
    int method_ = kMethodTransits;
    int direction_type_ = 0;
    bool progs_used_ = false;
    bool transits_used_ = true;
    bool van_dam_ = false;
    int progression_kind_ = kKindSecondary;
    double rate_ = 1.0 / kDynamicYearDays;
    double user_arc_rate_ = 1.0;
    double zodiac_mult_ = 1.0;
    double jul_day_base_ = 0.0;
    double longitude_ = 0.0;
    double latitude_ = 0.0;
    bool correct_geocentric_ = false;
    double radix_long_ = 0.0;
    double radix_lat_ = 0.0;
    double long_dif_ = 0.0;
    double prog_long_dif_ = 0.0;
    bool do_pll_dec_ = false;
    bool do_pll_lat_ = false;
    bool precessed_ = false;
    bool converse_ = false;
    int from_pp_ = 1;
    int to_pp_ = 50;
    int from_tp_ = 1;
    int to_tp_ = 50;
    int f_point_p_ = 1;
    int l_point_p_ = 0;
    int f_point_t_ = 1;
    int l_point_t_ = 0;
};

}  // namespace meridia::dynamic
