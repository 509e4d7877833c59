#include "dynamic/dynamic_request.h"

#include <algorithm>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "dynamic/dynamic_report.h"
#include "startup/name_tables.h"

namespace meridia::dynamic {

namespace {

constexpr std::array<std::string_view, 16> kKindNames = {"",
                                                         "Secondary Progressions",
                                                         "Mean Tertiary Progressions",
                                                         "Minor Progressions",
                                                         "User Progressions",
                                                         "True Tertiary Progressions",
                                                         "Solar Arc Directions",
                                                         "Ascendant Arc Directions",
                                                         "Vertex Arc Directions",
                                                         "User Rate Directions",
                                                         "User Arc Directed",
                                                         "Annual Profections",
                                                         "Transits",
                                                         "Age Harmonic",
                                                         "Age+1 Harmonic",
                                                         "van Dam Primaries"};

constexpr std::array<std::string_view, 9> kDirectionNames = {"",
                                                             "Solar Arc",
                                                             "Asc Arc",
                                                             "Vtx Arc",
                                                             "User Arc",
                                                             "Primary Mundane",
                                                             "Profections (Annual)",
                                                             "Primary van Dam",
                                                             "Primary Zodiacal"};

bool IsAnglePoint(int p) { return p >= kFirstAnglePoint && p <= kLastAnglePoint; }

std::array<DynamicRequestSlot, kRequestSlotCount>& Slots() {
    static std::array<DynamicRequestSlot, kRequestSlotCount> slots;
    return slots;
}

std::array<DynamicReportClass, kRequestSlotCount>& Tables() {
    static std::array<DynamicReportClass, kRequestSlotCount> tables;
    return tables;
}

}  // namespace

std::string_view ProgressionKindName(int code) {
    return code >= 1 && code <= 15 ? kKindNames[static_cast<std::size_t>(code)] : "";
}

std::string_view DirectionTypeName(int type) {
    return type >= 1 && type <= kDirectionTypeCount
               ? kDirectionNames[static_cast<std::size_t>(type)]
               : "";
}

bool IsPrimaryDirectionType(int type) {
    return type == kDirectionPrimaryMundane || type == kDirectionPrimaryVanDam ||
           type == kDirectionPrimaryZodiacal;
}

double ZodiacMultFromStored(double stored, bool negative_flag) {
    if (stored == 0.0) {
        return negative_flag ? -1.0 : 1.0;
    }
    return stored;
}

int DynamicPoint::MaxDynPoint() const {
    switch (p_type) {
        case kPointChart:
            return p1;
        case kPointMidpoint:
            return std::max(p1, p2);
        default:
            return kPastLastChartPoint;
    }
}

int DynamicPoint::MinDynPoint() const {
    switch (p_type) {
        case kPointChart:
            return p1;
        case kPointMidpoint:
            return std::min(p1, p2);
        default:
            return kPastLastChartPoint;
    }
}

bool DynamicPoint::UsesAngle() const {
    if (p_type == kPointUserAngle) {
        return true;
    }
    if (p_type == kPointChart) {
        return IsAnglePoint(p1);
    }
    if (p_type == kPointMidpoint) {
        return IsAnglePoint(p1) || IsAnglePoint(p2);
    }
    return false;
}

DynamicPoint ChartPoint(int number) {
    DynamicPoint point;
    point.p_type = kPointChart;
    point.p1 = number;
    const auto& names = startup::Names();
    point.full_name = names.PointName(number, 1);
    point.abbr = names.PointName(number, 0);
    return point;
}

void DynamicPointSet::AddDynamicPoint(const DynamicPoint& point) {
    dyn_p_.push_back(point);
    for (auto& slot : pos_) {
        slot.resize(dyn_p_.size());
    }
}

void DynamicPointSet::AddRadixUserPoint(DynamicPoint point, char suffix) {
    point.abbr += suffix;
    if (suffix == kSuffixHouseCusp) {
        point.full_name += " House Cusp";
    }
    rp_.push_back(point);
}

void DynamicPointSet::AddDynamicUserPoint(DynamicPoint point, char suffix) {
    point.abbr += suffix;
    if (suffix == kSuffixHouseCusp) {
        point.full_name += " House Cusp";
    }
    AddDynamicPoint(point);
}

void DynamicPointSet::AddUserPoint(const DynamicPoint& point, char suffix) {
    AddRadixUserPoint(point, suffix);
    AddDynamicUserPoint(point, suffix);
}

void DynamicPointSet::ClearDynamic() {
    dyn_p_.clear();
    ClearPos();
}

void DynamicPointSet::ClearPos() {
    for (auto& slot : pos_) {
        slot.assign(dyn_p_.size(), DynamicPosition{});
    }
}

void DynamicPointSet::Clear() {
    ClearRadix();
    ClearDynamic();
}

DynamicPosition& DynamicPointSet::DynPos(int slot, int i) {
    return pos_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(i)];
}

const DynamicPosition& DynamicPointSet::DynPos(int slot, int i) const {
    return pos_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(i)];
}

std::string DynamicPointSet::DynPntHdrTxt() const {
    std::string text;
    for (const DynamicPoint& p : dyn_p_) {
        if (!text.empty()) {
            text += ' ';
        }
        text += p.abbr;
    }
    return text;
}

DynamicRequestSlot& RequestSlot(int type) {
    return Slots()[static_cast<std::size_t>(std::clamp(type, 0, kRequestSlotCount - 1))];
}

DynamicReportClass& DynamicRequestClass::DRC() const {
    return Tables()[static_cast<std::size_t>(std::clamp(type_, 0, kRequestSlotCount - 1))];
}

std::string DynamicRequestClass::TimeZoneMnemonic() const {
    std::string text = Slot().time_zone_mnemonic.substr(0, 5);
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    while (!text.empty() && text.front() == ' ') {
        text.erase(text.begin());
    }
    return text;
}

void DynamicDataClass::SetMethod(int method, int direction_type) {
    method_ = method;
    direction_type_ = direction_type;
    switch (method) {
        case kMethodProgressions:
        case kMethodDirections:
            progs_used_ = true;
            transits_used_ = false;
            break;
        case kMethodTransitsToProgressions:
        case kMethodTransitsToDirections:
            progs_used_ = true;
            transits_used_ = true;
            break;
        default:
            progs_used_ = false;
            transits_used_ = true;
            break;
    }
    van_dam_ = method == kMethodDirections && direction_type == kDirectionPrimaryVanDam;
}

void DynamicDataClass::SetProgressionKind(int kind, double rate) {
    progression_kind_ = kind;
    rate_ = rate;
}

double DynamicDataClass::ProgressedOffset(double jd_ut) const {
    return (jd_ut - jul_day_base_) * zodiac_mult_ * rate_;
}

double DynamicDataClass::ProgressedJulianDay(double jd_ut) const {
    return jul_day_base_ + ProgressedOffset(jd_ut);
}

double DynamicDataClass::AgeInYears(double jd_ut) const {
    return (jd_ut - jul_day_base_) * zodiac_mult_ / kDynamicYearDays;
}

void DynamicDataClass::SetLocation(double longitude, double latitude) {
    longitude_ = longitude;
    latitude_ = latitude;
}

double DynamicDataClass::ObserverLatitude() const {
    return correct_geocentric_ ? astro::GeocentricLatitude(latitude_) : latitude_;
}

bool DynamicDataClass::InitializeRadixPosition(int slot, bool zero_prog) {
    if (!astro::IsValidSlot(slot)) {
        return false;
    }
    const astro::ChartSlot& chart = astro::Slot(slot);
    radix_long_ = chart.record.data.place.longitude;
    radix_lat_ = chart.record.data.place.latitude;
    long_dif_ = radix_long_ - longitude_;
    prog_long_dif_ = zero_prog ? 0.0 : long_dif_;
    return true;
}

void DynamicDataClass::SetParallels(bool declination, bool latitude) {
    do_pll_dec_ = declination;
    do_pll_lat_ = latitude;
}

void DynamicDataClass::SetPointRanges(int from_pp, int to_pp, int from_tp, int to_tp) {
    from_pp_ = from_pp;
    to_pp_ = to_pp;
    from_tp_ = from_tp;
    to_tp_ = to_tp;
}

void DynamicDataClass::ComputeFirstAndLastChartPoints(const DynamicPointSet& set, bool transiting) {
    int lowest = kPastLastChartPoint;
    int highest = 0;
    for (const DynamicPoint& p : set.DynP()) {
        if (p.p_type != kPointChart && p.p_type != kPointMidpoint) {
            continue;
        }
        lowest = std::min(lowest, p.MinDynPoint());
        highest = std::max(highest, p.MaxDynPoint());
    }
    if (highest == 0) {
        lowest = 1;
    }
    if (transiting) {
        f_point_t_ = lowest;
        l_point_t_ = highest;
    } else {
        f_point_p_ = lowest;
        l_point_p_ = highest;
    }
}

}  // namespace meridia::dynamic
