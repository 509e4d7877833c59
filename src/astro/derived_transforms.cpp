// Charts made by transforming a base chart's longitudes (harmonic, arc transform, antiscia,
// longitude equivalents of declination, divisional charts) and the recasts of a base chart
// in another zodiac (Vedic) or at another place (locality).
#include <array>
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/derived_charts.h"
#include "astro/derived_internal.h"
#include "astro/houses.h"
#include "astro/time_scales.h"
#include "startup/session.h"

namespace meridia::astro {

namespace {

constexpr int kDefaultSiderealZodiac = 3;  // Lahiri

struct Division {
    int kind;
    int parts;
};
constexpr std::array<Division, 20> kDivisions = {
    {{50, 2},  {51, 3},  {52, 4},  {53, 5},  {54, 6},  {55, 7},  {56, 8},
     {57, 9},  {58, 10}, {59, 11}, {60, 11}, {61, 12}, {62, 16}, {63, 20},
     {64, 24}, {65, 27}, {66, 30}, {67, 40}, {68, 45}, {69, 60}}};
constexpr int kKindIyersD11 = 60;

// The sign (0 Aries .. 11 Pisces) of the k-th part (from 0) of sign s in an equal division,
// by the classical rules (Brihat Parashara Hora Shastra, ch. 6-7). Odd signs are Aries, Gemini
// ...: index s even. Movable signs: s % 3 == 0, fixed 1, dual 2.
int EqualDivisionSign(int parts, int kind, int s, int k) {
    const bool odd = s % 2 == 0;
    const int quality = s % 3;
    switch (parts) {
        case 3:  // Drekkana: the sign, its 5th and its 9th
            return s + 4 * k;
        case 4:  // Chaturthamsha: the sign and its kendras
            return s + 3 * k;
        case 5: {  // Panchamsha: the signs of Mars, Saturn, Jupiter, Mercury, Venus
            constexpr std::array<int, 5> kOdd = {0, 10, 8, 2, 6};
            constexpr std::array<int, 5> kEven = {1, 5, 11, 9, 7};
            return odd ? kOdd[static_cast<std::size_t>(k)] : kEven[static_cast<std::size_t>(k)];
        }
        case 6:   // Shashthamsha: odd signs from Aries, even from Libra
        case 40:  // Khavedamsha: likewise
            return (odd ? 0 : 6) + k;
        case 7:  // Saptamsha: odd signs from the sign, even from its 7th
            return (odd ? s : s + 6) + k;
        case 8:   // Ashtamsha: movable from Aries, fixed from Sagittarius, dual from Leo
        case 20:  // Vimshamsha: likewise
            return std::array<int, 3>{0, 8, 4}[static_cast<std::size_t>(quality)] + k;
        case 10:  // Dashamsha: odd signs from the sign, even from its 9th
            return (odd ? s : s + 8) + k;
        case 11:
            if (kind == kKindIyersD11) {
                // Iyer's reading: odd signs counted forward from the sign, even ones backward.
                return odd ? s + k : s - k + 12;
            }
            return s * 11 + k;  // the cyclic division of the whole zodiac
        case 16:  // Shodashamsha: movable from Aries, fixed from Leo, dual from Sagittarius
        case 45:  // Akshavedamsha: likewise
            return std::array<int, 3>{0, 4, 8}[static_cast<std::size_t>(quality)] + k;
        case 24:  // Chaturvimshamsha: odd signs from Leo, even from Cancer
            return (odd ? 4 : 3) + k;
        case 27:  // Bhamsha: fiery from Aries, earthy from Cancer, airy from Libra, watery
                  // from Capricorn
            return 3 * (s % 4) + k;
        case 9:  // Navamsha: the cyclic division
            return s * 9 + k;
        default:  // Dwadashamsha (12) and Shashtiamsha (60): from the sign itself
            return s + k;
    }
}

// Trimshamsha: unequal parts ruled by Mars, Saturn, Jupiter, Mercury and Venus.
double TrimshamshaLongitude(int s, double d) {
    struct Part {
        double end;
        int sign;
    };
    constexpr std::array<Part, 5> kOdd = {{{5, 0}, {10, 10}, {18, 8}, {25, 2}, {30, 6}}};
    constexpr std::array<Part, 5> kEven = {{{5, 1}, {12, 5}, {20, 11}, {25, 9}, {30, 7}}};
    const auto& parts = s % 2 == 0 ? kOdd : kEven;
    double start = 0.0;
    for (const Part& part : parts) {
        if (d < part.end || part.end == 30.0) {
            const double fraction = (d - start) / (part.end - start);
            return part.sign * 30.0 + fraction * 30.0;
        }
        start = part.end;
    }
    return 0.0;
}

// The Hora: in odd signs the Sun's half (Leo) first, in even signs the Moon's (Cancer).
double HoraLongitude(int s, double d) {
    const bool first_half = d < 15.0;
    const bool odd = s % 2 == 0;
    const int sign = (odd == first_half) ? 4 : 3;
    const double fraction = (first_half ? d : d - 15.0) / 15.0;
    return sign * 30.0 + fraction * 30.0;
}

double TargetJulianDay(const SubsidiaryRequest& request) {
    const ChartData& data = request.record.data;
    return JulianDayOfDateTime(data.date_time, data.calendar, static_cast<double>(data.zone.hours));
}

// The longitude whose ecliptic point has the given declination, on the side nearer to the
// point's own (tropical) longitude.
double LongitudeEquivalent(double tropical, double declination, double obliquity) {
    const double first = ArcSin(SinD(declination) / SinD(obliquity));
    const double second = 180.0 - first;
    const double a = Norm360(first);
    const double b = Norm360(second);
    return std::fabs(Norm180(a - tropical)) <= std::fabs(Norm180(b - tropical)) ? a : b;
}

int SiderealZodiac() {
    const int zodiac = startup::CurrentSession().settings().GetInt("SidAyanamsa");
    if (zodiac < 2 || zodiac > kLastZodiac || zodiac == kDraconicZodiac) {
        return kDefaultSiderealZodiac;
    }
    return zodiac;
}

}  // namespace

double AntisciaLongitude(double longitude, int kind) {
    return kind == kKindZeroAries ? Norm360(360.0 - longitude) : Norm360(540.0 - longitude);
}

int DivisionOf(int kind) {
    for (const Division& d : kDivisions) {
        if (d.kind == kind) {
            return d.parts;
        }
    }
    return 0;
}

double DivisionalLongitude(double sidereal_longitude, int kind) {
    const int parts = DivisionOf(kind);
    if (parts == 0) {
        return Norm360(sidereal_longitude);
    }
    const double longitude = Norm360(sidereal_longitude);
    const int s = std::min(static_cast<int>(std::floor(longitude / 30.0)), 11);
    const double d = longitude - 30.0 * s;
    if (parts == 2) {
        return HoraLongitude(s, d);
    }
    if (parts == 30) {
        return TrimshamshaLongitude(s, d);
    }
    const double size = 30.0 / parts;
    const int k = std::min(static_cast<int>(std::floor(d / size)), parts - 1);
    const double fraction = (d - k * size) / size;
    const int sign = ((EqualDivisionSign(parts, kind, s, k) % 12) + 12) % 12;
    return Norm360(sign * 30.0 + fraction * 30.0);
}

namespace derived {

SubsidiaryStatus CalcTransformedChart(const SubsidiaryRequest& request, int target_slot) {
    const ChartSlot base = Slot(request.base_slot);
    ChartSlot& slot = Slot(target_slot);
    slot = base;
    slot.record = DerivedRecord(request, base.record);

    const int chart_class = request.record.chart_class;
    const int kind = request.record.chart_kind;
    double h = request.harmonic;
    if (chart_class == kClassHarmonic) {
        if (kind == kKindArcTransform) {
            h = request.harmonic != 0.0 ? 360.0 / request.harmonic : 1.0;
        } else if (kind == kKindAgeHarmonic || kind == kKindAgePlusOneHarmonic) {
            h = (TargetJulianDay(request) - base.julian_day_ut) / kTropicalYearDays;
            if (kind == kKindAgePlusOneHarmonic) {
                h += 1.0;
            }
        }
    }
    DerivedInfo(target_slot).harmonic = h;

    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        const double longitude = base.longitude[p];
        if (longitude < 0.0) {
            continue;
        }
        double result = 0.0;
        if (kind == kKindLongitudeEquivalent) {
            result = LongitudeEquivalent(longitude - base.zodiac_offset, base.declination[p],
                                         base.obliquity) +
                     base.zodiac_offset;
        } else if (chart_class == kClassAntiscia) {
            result = AntisciaLongitude(
                longitude, kind == kKindZeroAries ? kKindZeroAries : kKindZeroCapricorn);
        } else {
            result = h * longitude;
        }
        slot.longitude[p] = Norm360(result);
    }
    if (!IsEqualHouseSystem(slot.record.house_system)) {
        slot.record.house_system = kEqual;
    }
    FinishTransformedChart(slot);
    return SubsidiaryStatus::kOk;
}

SubsidiaryStatus CalcVedicChart(const SubsidiaryRequest& request, int target_slot) {
    const bool has_base =
        IsValidSlot(request.base_slot) && Slot(request.base_slot).chart_serial != 0;
    ChartRecord base_record = has_base ? Slot(request.base_slot).record : request.record;
    const double jd_ut =
        has_base ? Slot(request.base_slot).julian_day_ut
                 : JulianDayOfDateTime(base_record.data.date_time, base_record.data.calendar,
                                       static_cast<double>(base_record.data.zone.hours));
    ChartRecord record = DerivedRecord(request, base_record);
    record.zodiac = static_cast<std::uint8_t>(SiderealZodiac());
    const SubsidiaryStatus status = FromCalcStatus(CalcRecordAt(record, jd_ut, target_slot));
    if (status != SubsidiaryStatus::kOk) {
        return status;
    }
    const int kind = request.record.chart_kind;
    if (DivisionOf(kind) == 0) {
        return SubsidiaryStatus::kOk;
    }
    ChartSlot& slot = Slot(target_slot);
    for (int p = 1; p <= PointsInUse() && p <= kMaxPoints; ++p) {
        if (slot.longitude[p] >= 0.0) {
            slot.longitude[p] = DivisionalLongitude(slot.longitude[p], kind);
        }
    }
    // Divisional charts are read in whole signs from their own Ascendant.
    slot.record.house_system = kWholeSigns;
    FinishTransformedChart(slot);
    return SubsidiaryStatus::kOk;
}

SubsidiaryStatus CalcLocalityChart(const SubsidiaryRequest& request, int target_slot) {
    const ChartSlot& base = Slot(request.base_slot);
    const double jd_ut = base.julian_day_ut;
    ChartRecord record = DerivedRecord(request, base.record);
    record.data.place = request.record.data.place;
    SetRecordMoment(record, jd_ut, request.record.data.zone.hours,
                    request.record.data.zone.mnemonic);
    return FromCalcStatus(CalcRecordAt(record, jd_ut, target_slot));
}

}  // namespace derived

}  // namespace meridia::astro
