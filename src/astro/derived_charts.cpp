#include "astro/derived_charts.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>

#include "astro/angles.h"
#include "astro/derived_internal.h"
#include "astro/ephemeris.h"
#include "astro/houses.h"
#include "astro/rise_set.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "textformats/calendar.h"

namespace meridia::astro {

namespace {

constexpr const char* kBaseChartMessageStart =
    "The subsidiary chart cannot be calculated because the base chart is ";

struct DerivedInfoTable {
    std::array<DerivedSlotInfo, kSlotCount + 1> slots{};
};

bool IsNatalType(const ChartRecord& record) {
    // Natal and event charts (class 1) and the types entered directly with them (class 8).
    return record.chart_class == kClassNatal || record.chart_class == kClassPreNatal;
}

bool IsVedicKind(int kind) { return kind >= kKindFirstDivisional && kind <= kKindLastDivisional; }

SubsidiaryStatus CalcNatalChart(const SubsidiaryRequest& request, int target_slot) {
    const CalcStatus status = CalcChart(request.record, target_slot, 0, 0, true, true);
    return derived::FromCalcStatus(status);
}

ReturnChartCalculator& ReturnCalculator() {
    static ReturnChartCalculator calculator = nullptr;
    return calculator;
}

SubsidiaryStatus Route(const SubsidiaryRequest& request, int target_slot) {
    const int chart_class = request.record.chart_class;
    const int kind = request.record.chart_kind;
    switch (chart_class) {
        case kClassNatal:
            return IsVedicKind(kind) ? derived::CalcVedicChart(request, target_slot)
                                     : CalcNatalChart(request, target_slot);
        case kClassSecondary:
        case kClassTertiary:
        case kClassMinor:
        case kClassUserProgression:
        case kClassTrueTertiary:
        case kClassTransits:
            return derived::CalcProgressedChart(request, target_slot);
        case kClassDirected:
            return derived::CalcDirectedChart(request, target_slot);
        case kClassCombined:
            return CalcCombinedChart(request, target_slot);
        case kClassHarmonic:
        case kClassAntiscia:
            return derived::CalcTransformedChart(request, target_slot);
        case kClassRiseSet:
            return CalcRiseSetChart(request, target_slot);
        case kClassLunarPhase:
            return derived::CalcLunarPhaseChart(request, target_slot);
        case kClassLocality:
            return derived::CalcLocalityChart(request, target_slot);
        case kClassVedic:
            return derived::CalcVedicChart(request, target_slot);
        case kClassReturn:
            return ReturnCalculator() != nullptr ? ReturnCalculator()(request, target_slot)
                                                 : SubsidiaryStatus::kNotAvailable;
        default:
            // Pre-natal epochs and van Dam charts are calculated by their own parts.
            return SubsidiaryStatus::kNotAvailable;
    }
}

// The slots a request reads as base charts.
std::vector<int> BaseSlotsOf(const SubsidiaryRequest& request) {
    std::vector<int> slots;
    const int chart_class = request.record.chart_class;
    if (chart_class == kClassNatal || chart_class == kClassRiseSet) {
        return slots;
    }
    slots.push_back(request.base_slot);
    if (chart_class == kClassCombined) {
        slots.insert(slots.end(), request.other_slots.begin(), request.other_slots.end());
    }
    return slots;
}

}  // namespace

void SetReturnChartCalculator(ReturnChartCalculator calculator) { ReturnCalculator() = calculator; }

DerivedSlotInfo& DerivedInfo(int slot) {
    auto& table = startup::CurrentSession().Get<DerivedInfoTable>();
    const int index = IsValidSlot(slot) ? slot : 0;
    return table.slots[static_cast<std::size_t>(index)];
}

bool CheckBaseChart(int base_slot, int chart_class, int chart_kind, std::string& message) {
    (void)chart_kind;
    if (!IsValidSlot(base_slot)) {
        return false;
    }
    const ChartRecord& base = Slot(base_slot).record;
    std::string reason;
    switch (chart_class) {
        case kClassSecondary:
        case kClassReturn:
        case kClassVedic:
            if (!IsNatalType(base)) {
                reason = "not of a natal type.";
            }
            break;
        case kClassCombined:
        case kClassHarmonic:
        case kClassAntiscia:
            if (base.chart_class == chart_class) {
                reason = "not of the correct type.";
            }
            break;
        case kClassPreNatal:
        case kClassLocality:
            if (base.coords != 1) {
                reason = "not " +
                         startup::Names().Form(startup::kCoordSystemNamesBase + base.coords, 0) +
                         ".";
            }
            break;
        default:
            break;
    }
    if (reason.empty()) {
        return true;
    }
    if (message.empty()) {
        message = kBaseChartMessageStart;
    }
    message += reason;
    return false;
}

double ProgressionRate(int rate_kind, int day_mode) {
    const bool sidereal = day_mode == 1;
    const double x = sidereal ? kSiderealDayFactor : 1.0;
    switch (rate_kind) {
        case kRateTertiary:
            return x / (sidereal ? kSiderealMonthDays : kTropicalMonthDays);
        case kRateMinor:
            return kTropicalMonthDays / kTropicalYearDays;
        case kRateUser: {
            const double user = startup::CurrentSession().settings().GetDouble("UserProgRate");
            return user > 0.0 ? user : kDefaultUserRate;
        }
        case kRateRealTime:
            return 1.0;
        default:
            return x / (sidereal ? kSiderealYearDays : kTropicalYearDays);
    }
}

SubsidiaryStatus CalcSubsidiaryChart(const SubsidiaryRequest& request, int target_slot) {
    if (!IsValidSlot(target_slot)) {
        return SubsidiaryStatus::kBadSlot;
    }
    const std::vector<int> bases = BaseSlotsOf(request);
    for (const int base : bases) {
        if (!IsValidSlot(base) || base == target_slot || Slot(base).chart_serial == 0) {
            return SubsidiaryStatus::kBadSlot;
        }
    }
    if (request.record.chart_class == kClassCombined && bases.size() < 2) {
        return SubsidiaryStatus::kBadSlot;
    }
    for (const int base : bases) {
        std::string message;
        if (!CheckBaseChart(base, request.record.chart_class, request.record.chart_kind, message)) {
            startup::ShowMessage(message, startup::kExclamation, "");
            return SubsidiaryStatus::kRefused;
        }
    }

    // A failed calculation leaves the target slot as it was.
    const ChartSlot saved_slot = Slot(target_slot);
    const DerivedSlotInfo saved_info = DerivedInfo(target_slot);
    DerivedSlotInfo& info = DerivedInfo(target_slot);
    info = DerivedSlotInfo{};
    info.derived = request.record.chart_class != kClassNatal;
    info.chart_class = request.record.chart_class;
    info.chart_kind = request.record.chart_kind;
    info.day_mode = request.day_mode;
    info.converse = request.converse;
    info.base_slot = request.base_slot;

    const SubsidiaryStatus status = Route(request, target_slot);
    if (status != SubsidiaryStatus::kOk) {
        Slot(target_slot) = saved_slot;
        DerivedInfo(target_slot) = saved_info;
        return status;
    }
    ChartSlot& slot = Slot(target_slot);
    slot.chart_serial = saved_slot.chart_serial;
    slot.scratch_in_use = saved_slot.scratch_in_use;
    if (slot.chart_serial == 0 &&
        (target_slot < kFirstScratchSlot || target_slot > kLastScratchSlot)) {
        slot.chart_serial = NextChartSerial();
    }
    slot.file_path.clear();
    slot.record_number = 0;
    return status;
}

CompactDateTime LocalDateTime(double jd_ut, float zone_hours) {
    ChartRecord record;
    derived::SetRecordMoment(record, jd_ut, zone_hours, "");
    return record.data.date_time;
}

namespace derived {

void SetRecordMoment(ChartRecord& record, double jd_ut, float zone_hours,
                     const std::string& zone_mnemonic) {
    // Local time rounded to the second: the whole seconds from the Julian epoch.
    const double local = jd_ut - static_cast<double>(zone_hours) / 24.0;
    const double seconds = std::round((local + 0.5) * 86400.0);
    const double whole_days = std::floor(seconds / 86400.0);
    const double rounded_jd = whole_days - 0.5;
    const textformats::DateWithFraction date = textformats::DateFromJulianDay(rounded_jd, false);
    const long in_day = std::lround(seconds - whole_days * 86400.0);
    record.data.date_time.year = static_cast<std::int16_t>(date.year);
    record.data.date_time.month = static_cast<std::uint8_t>(date.month);
    record.data.date_time.day = static_cast<std::uint8_t>(std::floor(date.day + 1e-9));
    record.data.date_time.hour = static_cast<std::uint8_t>(in_day / 3600);
    record.data.date_time.minute = static_cast<std::uint8_t>((in_day % 3600) / 60);
    record.data.date_time.second = static_cast<std::uint8_t>(in_day % 60);
    record.data.zone.hours = zone_hours;
    record.data.zone.mnemonic = zone_mnemonic;
    record.data.calendar = 0;
}

CalcStatus CalcRecordAt(const ChartRecord& record, double jd_ut, int slot) {
    if (!IsValidSlot(slot)) {
        return CalcStatus::kBadSlot;
    }
    const textformats::DateWithFraction date = textformats::DateFromJulianDay(jd_ut, false);
    const double day = std::floor(date.day);
    ChartValues values;
    values.day = static_cast<int>(day);
    values.month = date.month;
    values.year = date.year;
    // Hours from 0h of that date, taken from the Julian day itself so nothing is lost to the
    // calendar arithmetic.
    values.ut_hours =
        (jd_ut - textformats::JulianDayOfDate(values.day, values.month, values.year)) * 24.0;
    values.calendar = 0;
    values.latitude = static_cast<double>(record.data.place.latitude);
    values.longitude = static_cast<double>(record.data.place.longitude);
    values.house_system = record.house_system;
    values.zodiac = record.zodiac;
    values.coords = record.coords;
    Slot(slot).record = record;
    return CalcChartFromValues(values, slot, 0, 0, true, true);
}

void FinishTransformedChart(ChartSlot& slot) { FinishTransformedChart(slot, slot.obliquity); }

void FinishTransformedChart(ChartSlot& slot, double house_obliquity) {
    CalcEquatorial(slot, slot.obliquity, slot.zodiac_offset, 0);
    CalcHouses(slot, slot.ramc, house_obliquity, slot.observer_latitude, slot.record.house_system,
               slot.zodiac_offset);
    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        slot.house[p] = slot.longitude[p] < 0.0
                            ? std::int16_t{0}
                            : static_cast<std::int16_t>(HouseOf(slot.longitude[p], slot.cusps));
    }
    SortPoints(slot);
}

namespace {

bool BodyAt(double jd_ut, int body, BodyMotion& motion) {
    EnsureEphemeris();
    std::array<double, 6> xx{};
    std::array<char, 256> error{};
    const int flags = EphemerisModeFlags() | SEFLG_SPEED;
    if (swe_calc_ut(jd_ut, body, flags, xx.data(), error.data()) < 0) {
        return false;
    }
    motion.longitude = xx[0];
    motion.speed = xx[3];
    return true;
}

}  // namespace

bool MoonAt(double jd_ut, BodyMotion& moon) { return BodyAt(jd_ut, SE_MOON, moon); }

bool ElongationAt(double jd_ut, BodyMotion& elongation) {
    BodyMotion moon;
    BodyMotion sun;
    if (!BodyAt(jd_ut, SE_MOON, moon) || !BodyAt(jd_ut, SE_SUN, sun)) {
        return false;
    }
    elongation.longitude = Norm360(moon.longitude - sun.longitude);
    elongation.speed = moon.speed - sun.speed;
    return true;
}

SubsidiaryStatus FromCalcStatus(CalcStatus status) {
    switch (status) {
        case CalcStatus::kOk:
            return SubsidiaryStatus::kOk;
        case CalcStatus::kBadSlot:
            return SubsidiaryStatus::kBadSlot;
        case CalcStatus::kOutOfRange:
            ReportOutOfRange();
            return SubsidiaryStatus::kFailed;
        case CalcStatus::kFilesMissing:
        case CalcStatus::kHousesFailed:
            return SubsidiaryStatus::kFailed;
    }
    return SubsidiaryStatus::kFailed;
}

ChartRecord DerivedRecord(const SubsidiaryRequest& request, const ChartRecord& base) {
    ChartRecord record = base;
    record.chart_class = request.record.chart_class;
    record.chart_kind = request.record.chart_kind;
    record.data.name = request.record.data.name.empty() ? base.data.name : request.record.data.name;
    record.base = base.data;
    record.comment_link = 0;
    // The four parameter bytes: day mode, converse flag, harmonic number (or rise/set event,
    // or composite start cusp), and option bits (1 Midheaven-plus-arc angles, 2 precession
    // correction, 4 "True" horizon).
    int third = 0;
    switch (request.record.chart_class) {
        case kClassHarmonic:
            third = static_cast<int>(std::lround(std::clamp(request.harmonic, 0.0, 255.0)));
            break;
        case kClassRiseSet:
            third = request.rise_set_event;
            break;
        case kClassCombined:
            third = request.composite_start_cusp;
            break;
        default:
            break;
    }
    int bits = 0;
    if (request.angle_variant == AngleVariant::kMidheavenPlusArc) {
        bits |= 1;
    }
    if (request.precession_correction) {
        bits |= 2;
    }
    if (request.horizon == HorizonMode::kTrue) {
        bits |= 4;
    }
    record.derived_params = {static_cast<std::uint8_t>(request.day_mode == 1 ? 1 : 0),
                             static_cast<std::uint8_t>(request.converse ? 1 : 0),
                             static_cast<std::uint8_t>(std::clamp(third, 0, 255)),
                             static_cast<std::uint8_t>(bits)};
    return record;
}

}  // namespace derived

}  // namespace meridia::astro
