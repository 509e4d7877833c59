// Progressed, directed, transit and lunar-phase charts: a base chart moved to another moment,
// or its points moved by a direction arc.
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "astro/derived_internal.h"
#include "astro/houses.h"
#include "astro/time_scales.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "startup/status.h"

namespace meridia::astro {

namespace {

constexpr int kFagan = 2;  // any sidereal zodiac measures precession the same way
constexpr double kHalfLunarMonth = 13.66;
constexpr double kSynodicMonthDays = 29.530588853;
constexpr int kMaxNewtonSteps = 40;
// A return or a phase is found when the Newton correction is below a millisecond: far finer than a
// chart's second, and coarse enough for a Julian day's double (resolution near 5e-10 day).
constexpr double kReturnTolerance = 1e-8;  // days
constexpr const char* kNoLunarPhaseText = "The lunar phase could not be found for this date.";

// Change of the sidereal zodiac offset from jd_a to jd_b: the precession in longitude between
// the two moments, negative when jd_b is later.
double PrecessionBetween(double jd_a, double jd_b) {
    return ZodiacOffset(kFagan, jd_b, true, 0.0) - ZodiacOffset(kFagan, jd_a, true, 0.0);
}

startup::Status OutOfRange() {
    return {startup::StatusCode::kOutOfRange, kOutOfRangeText, kOutOfRangeTitle};
}

// The moment (Julian day, UT) near `guess` at which the Moon's longitude equals natal_moon
// (tropical), or in the sidereal mode the natal longitude moved by the precession since the
// base moment. Newton steps on the Moon's longitude and speed until the correction is below
// the tolerance; a search that does not get there within the step limit fails with kNotConverged.
startup::StatusOr<double> LunarReturnNear(double guess, double natal_moon, double jd_base,
                                          bool sidereal) {
    double jd = guess;
    for (int step = 0; step < kMaxNewtonSteps; ++step) {
        derived::BodyMotion moon;
        if (!derived::MoonAt(jd, moon) || moon.speed <= 0.0) {
            return OutOfRange();
        }
        const double target = sidereal ? natal_moon - PrecessionBetween(jd_base, jd) : natal_moon;
        const double d = SignedMod(target - moon.longitude, 360.0);
        const double correction = d / moon.speed;
        jd += correction;
        if (std::fabs(correction) < kReturnTolerance) {
            return jd;
        }
    }
    return startup::Status(startup::StatusCode::kNotConverged, kNoLunarReturnText,
                           kOutOfRangeTitle);
}

// True tertiary progression: one day of motion per month of life counted between the real
// returns of the Moon to its natal place. Returns the progressed offset in days.
startup::StatusOr<double> TrueTertiaryOffset(double jd_base, double elapsed, int day_mode) {
    const auto month = TrueTertiaryMonthOf(jd_base, elapsed, day_mode);
    if (!month.ok()) {
        return month.status();
    }
    const double f = (jd_base + elapsed - month->start) / (month->next - month->start);
    return (month->n + f) * month->day_factor;
}

void ClearDerivedFields(ChartSlot& slot, int point) {
    slot.latitude_speed[point] = 0.0;
    slot.declination[point] = 0.0;
    slot.right_ascension[point] = 0.0;
    slot.house[point] = 0;
}

// Right ascension of the ecliptic point of tropical longitude lambda (latitude 0).
double RightAscensionOf(double lambda, double obliquity) {
    return Norm360(ArcTan2(SinD(lambda) * CosD(obliquity), CosD(lambda)));
}

// Recalculates the angles and derived points of the slot from a new RAMC with the base
// chart's latitude and obliquity, then its houses.
void SetAnglesFromRamc(ChartSlot& slot, const ChartSlot& base, double ramc) {
    const double own_obliquity = slot.obliquity;
    slot.ramc = Norm360(ramc);
    slot.obliquity = base.obliquity;
    slot.observer_latitude = base.observer_latitude;
    CalcAnglesAndPoints(slot, CalcOptionsFromSettings());
    slot.obliquity = own_obliquity;
    derived::FinishTransformedChart(slot, base.obliquity);
}

// The RAMC that moves the base chart's angles by a longitude arc in the chosen variant.
double RamcForLongitudeArc(const ChartSlot& base, double arc, AngleVariant variant) {
    if (variant == AngleVariant::kRamcPlusArc) {
        return base.ramc + arc;
    }
    const double midheaven = base.longitude[kMidheaven] - base.zodiac_offset + arc;
    return RightAscensionOf(midheaven, base.obliquity);
}

bool IsTropical(int zodiac) {
    if (zodiac == 0) {
        const int default_zodiac = startup::CurrentSession().settings().GetInt("Ayanamsa");
        return default_zodiac == kTropicalZodiac || default_zodiac == 0;
    }
    return zodiac == kTropicalZodiac;
}

// Moves every longitude of the slot into the frame of the base moment's equinox.
void ApplyPrecessionCorrection(ChartSlot& slot, double delta) {
    slot.zodiac_offset += delta;
    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        if (slot.longitude[p] >= 0.0) {
            slot.longitude[p] = Norm360(slot.longitude[p] + delta);
        }
    }
    CalcAnglesAndPoints(slot, CalcOptionsFromSettings());
    derived::FinishTransformedChart(slot);
}

// Computes the moment, calculates the chart for it at the base chart's place and fills the
// record. Used by the progressions, the directed charts and the lunar-phase chart.
SubsidiaryStatus CalcAtMoment(const SubsidiaryRequest& request, int target_slot, double jd_ut) {
    const ChartSlot& base = Slot(request.base_slot);
    ChartRecord record = derived::DerivedRecord(request, base.record);
    derived::SetRecordMoment(record, jd_ut, base.record.data.zone.hours,
                             base.record.data.zone.mnemonic);
    return derived::FromCalcStatus(derived::CalcRecordAt(record, jd_ut, target_slot));
}

double TargetJulianDay(const SubsidiaryRequest& request) {
    const ChartData& data = request.record.data;
    return JulianDayOfDateTime(data.date_time, data.calendar, static_cast<double>(data.zone.hours));
}

}  // namespace

startup::StatusOr<TrueTertiaryMonth> TrueTertiaryMonthOf(double jd_base_ut, double elapsed,
                                                         int day_mode) {
    const bool sidereal = day_mode == 1;
    const double month = sidereal ? kSiderealMonthDays : kTropicalMonthDays;
    derived::BodyMotion natal;
    if (!derived::MoonAt(jd_base_ut, natal)) {
        return OutOfRange();
    }
    const double target = jd_base_ut + elapsed;
    double n = std::floor((elapsed + kHalfLunarMonth) / month);
    const auto return_number = [&](double k) -> startup::StatusOr<double> {
        if (k == 0.0) {
            return jd_base_ut;
        }
        return LunarReturnNear(jd_base_ut + k * month, natal.longitude, jd_base_ut, sidereal);
    };
    auto start = return_number(n);
    if (start.ok() && target < *start) {
        n -= 1.0;
        start = return_number(n);
    }
    if (!start.ok()) {
        return start.status();
    }
    const auto next = return_number(n + 1.0);
    if (!next.ok()) {
        return next.status();
    }
    if (*next <= *start) {
        return startup::Status(startup::StatusCode::kNotConverged, kNoLunarReturnText,
                               kOutOfRangeTitle);
    }
    TrueTertiaryMonth result;
    result.start = *start;
    result.next = *next;
    result.n = n;
    result.day_factor = sidereal ? kSiderealDayFactor : 1.0;
    return result;
}

startup::Status ProgressedJulianDay(int chart_class, double jd_base_ut, double jd_target_ut,
                                    int day_mode, bool converse, double& progressed_jd_ut,
                                    double& rate) {
    double elapsed = jd_target_ut - jd_base_ut;
    if (converse) {
        elapsed = -elapsed;
    }
    if (chart_class == kClassTransits) {
        rate = 1.0;
        progressed_jd_ut = jd_base_ut + elapsed;
        return startup::Status::Ok();
    }
    if (chart_class == kClassTrueTertiary) {
        const auto offset = TrueTertiaryOffset(jd_base_ut, elapsed, day_mode);
        if (!offset.ok()) {
            return offset.status();
        }
        rate = elapsed != 0.0 ? *offset / elapsed : ProgressionRate(kRateTertiary, day_mode);
        progressed_jd_ut = jd_base_ut + *offset;
        return startup::Status::Ok();
    }
    rate = ProgressionRate(chart_class - 9, day_mode);
    progressed_jd_ut = jd_base_ut + elapsed * rate;
    return startup::Status::Ok();
}

namespace derived {

SubsidiaryStatus CalcProgressedChart(const SubsidiaryRequest& request, int target_slot) {
    const int chart_class = request.record.chart_class;
    const ChartSlot base = Slot(request.base_slot);
    double progressed_jd = 0.0;
    double rate = 0.0;
    if (const startup::Status status =
            ProgressedJulianDay(chart_class, base.julian_day_ut, TargetJulianDay(request),
                                request.day_mode, request.converse, progressed_jd, rate);
        !status.ok()) {
        status.Show(startup::kExclamation);
        return SubsidiaryStatus::kFailed;
    }
    const SubsidiaryStatus status = CalcAtMoment(request, target_slot, progressed_jd);
    if (status != SubsidiaryStatus::kOk) {
        return status;
    }
    ChartSlot& slot = Slot(target_slot);
    DerivedSlotInfo& info = DerivedInfo(target_slot);
    info.rate = rate;
    info.progressed_offset = progressed_jd - base.julian_day_ut;
    info.angle_variant = request.angle_variant;

    if (request.precession_correction && IsTropical(base.record.zodiac)) {
        ApplyPrecessionCorrection(slot, PrecessionBetween(base.julian_day, slot.julian_day));
    }
    if (chart_class == kClassTransits) {
        return SubsidiaryStatus::kOk;
    }
    const int method = request.record.chart_kind;
    double arc = 0.0;
    double ramc = 0.0;
    switch (method) {
        case kAnglesSolarArcLongitude:
            arc = ModFloor(slot.longitude[kSun] - base.longitude[kSun], 360.0);
            ramc = RamcForLongitudeArc(base, arc, request.angle_variant);
            break;
        case kAnglesSolarArcRightAscension:
            arc = ModFloor(slot.right_ascension[kSun] - base.right_ascension[kSun], 360.0);
            ramc = base.ramc + arc;
            break;
        case kAnglesNaibodLongitude:
            arc = info.progressed_offset * kNaibodArcPerDay;
            ramc = RamcForLongitudeArc(base, arc, request.angle_variant);
            break;
        case kAnglesNaibodRightAscension:
            arc = info.progressed_offset * kNaibodArcPerDay;
            ramc = base.ramc + arc;
            break;
        default:
            return SubsidiaryStatus::kOk;
    }
    info.angle_method = method;
    info.arc = arc;
    SetAnglesFromRamc(slot, base, ramc);
    return SubsidiaryStatus::kOk;
}

SubsidiaryStatus CalcDirectedChart(const SubsidiaryRequest& request, int target_slot) {
    const ChartSlot base = Slot(request.base_slot);
    const double jd_target = TargetJulianDay(request);
    double progressed_jd = 0.0;
    double rate = 0.0;
    ProgressedJulianDay(kClassSecondary, base.julian_day_ut, jd_target, request.day_mode,
                        request.converse, progressed_jd, rate);
    const SubsidiaryStatus status = CalcAtMoment(request, target_slot, progressed_jd);
    if (status != SubsidiaryStatus::kOk) {
        return status;
    }
    ChartSlot& slot = Slot(target_slot);
    const double solar_arc = ModFloor(slot.longitude[kSun] - base.longitude[kSun], 360.0);
    double age = (jd_target - base.julian_day_ut) / kTropicalYearDays;
    if (request.converse) {
        age = -age;
    }
    const int kind = request.record.chart_kind;
    const bool antiscia = kind == kKindZeroCapricorn || kind == kKindZeroAries;
    double arc = solar_arc;
    switch (kind) {
        case kKindAscArc:
        case kKindVertexArc: {
            // The arc of the progressed angle, the angles moved by the solar arc.
            const double ramc = RamcForLongitudeArc(base, solar_arc, request.angle_variant);
            const AngleSet angles =
                CalcAngles(Norm360(ramc), base.obliquity, base.observer_latitude,
                           CalcOptionsFromSettings().mc_always_above);
            const int point = kind == kKindAscArc ? kAscendant : kVertex;
            const double progressed =
                (kind == kKindAscArc ? angles.ascendant : angles.vertex) + slot.zodiac_offset;
            arc = ModFloor(progressed - base.longitude[point], 360.0);
            break;
        }
        case kKindUserArc:
            arc = startup::CurrentSession().settings().GetDouble("UserDirRate") * age;
            break;
        case kKindProfection:
            arc = 30.0 * age;  // one sign a year
            break;
        default:
            break;
    }

    // Every point is the base chart's point moved by the arc (its antiscion first for the
    // 0° Cap and 0° Ari kinds); the angles follow from the directed RAMC.
    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        const bool angle_point =
            (p >= kAscendant && p <= kPartOfFortune) || (p >= kCoAscendant && p <= kVernalPoint);
        if (angle_point && !antiscia) {
            continue;
        }
        if (base.longitude[p] < 0.0) {
            slot.longitude[p] = -1.0;
            continue;
        }
        const double from =
            antiscia ? AntisciaLongitude(base.longitude[p], kind) : base.longitude[p];
        slot.longitude[p] = Norm360(from + arc);
        slot.latitude[p] = base.latitude[p];
        slot.speed[p] = base.speed[p];
        slot.distance[p] = base.distance[p];
        slot.distance_speed[p] = base.distance_speed[p];
        slot.retrograde[p] = base.retrograde[p];
        ClearDerivedFields(slot, p);
    }
    DerivedInfo(target_slot).rate = rate;
    DerivedInfo(target_slot).progressed_offset = progressed_jd - base.julian_day_ut;
    DerivedInfo(target_slot).arc = arc;
    DerivedInfo(target_slot).angle_method = kAnglesSolarArcLongitude;
    DerivedInfo(target_slot).angle_variant = request.angle_variant;
    if (antiscia) {
        // Reflected angles: the houses are equal houses from the reflected Ascendant.
        slot.ramc = Norm360(base.ramc + arc);
        slot.obliquity = base.obliquity;
        slot.observer_latitude = base.observer_latitude;
        if (!IsEqualHouseSystem(slot.record.house_system)) {
            slot.record.house_system = kEqual;
        }
        FinishTransformedChart(slot);
        return SubsidiaryStatus::kOk;
    }
    SetAnglesFromRamc(slot, base, RamcForLongitudeArc(base, arc, request.angle_variant));
    return SubsidiaryStatus::kOk;
}

SubsidiaryStatus CalcLunarPhaseChart(const SubsidiaryRequest& request, int target_slot) {
    const int kind = request.record.chart_kind;
    const double phase = kind >= kKindFirstLunarPhase && kind <= kKindLastLunarPhase
                             ? 45.0 * (kind - kKindFirstLunarPhase)
                             : 0.0;
    // The last exact phase at or before the target moment.
    const double target = TargetJulianDay(request);
    BodyMotion elongation;
    if (!ElongationAt(target, elongation)) {
        ReportOutOfRange();
        return SubsidiaryStatus::kFailed;
    }
    double jd = target - Norm360(elongation.longitude - phase) * kSynodicMonthDays / 360.0;
    for (int pass = 0; pass < 2; ++pass) {
        bool converged = false;
        for (int step = 0; step < kMaxNewtonSteps && !converged; ++step) {
            if (!ElongationAt(jd, elongation) || elongation.speed <= 0.0) {
                ReportOutOfRange();
                return SubsidiaryStatus::kFailed;
            }
            const double correction =
                SignedMod(phase - elongation.longitude, 360.0) / elongation.speed;
            jd += correction;
            converged = std::fabs(correction) < kReturnTolerance;
        }
        if (!converged) {
            startup::ShowMessage(kNoLunarPhaseText, startup::kExclamation, kOutOfRangeTitle);
            return SubsidiaryStatus::kFailed;
        }
        if (jd <= target) {
            break;
        }
        jd -= kSynodicMonthDays;
    }
    return CalcAtMoment(request, target_slot, jd);
}

}  // namespace derived

}  // namespace meridia::astro
