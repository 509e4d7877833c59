#include "directions/van_dam.h"

#include <cmath>
#include <vector>

#include "astro/angles.h"

namespace meridia::directions {

namespace {

// Half the interval over which the speed of a directed place is taken, days.
constexpr double kSpeedHalfSpan = 0.5;

}  // namespace

double GetProportionalAscensionFactor(double right_ascension, double reference,
                                      double ascensional_difference) {
    return astro::Norm180(right_ascension - reference) / (90.0 + ascensional_difference);
}

void PrimaryVanDamClass::PD_InitializeRadix(int chart, int key, double multiplier) {
    directions_.Chart(chart);
    directions_.PrimaryRateKey(key);
    directions_.PrimaryDirectionType(kTypeMundane);
    directions_.PrimaryDirectionMethod(kMethodPlacidus);
    directions_.Converse(false);
    multiplier_ = multiplier;
}

double PrimaryVanDamClass::RadixFactor(int point) {
    const Speculum& s = directions_.SpeculumOf(point);
    const double umd = s.UpperMeridianDistance();
    if (std::fabs(umd) < s.DaySemiArc()) {
        // Above the horizon: from the MC over the day semi-arc.
        return GetProportionalAscensionFactor(s.RightAscension(), s.RAMC(), s.DaySemiArc() - 90.0);
    }
    // Below: from the IC over the night semi-arc.
    return GetProportionalAscensionFactor(s.RightAscension(), astro::Norm360(s.RAMC() + 180.0),
                                          s.NightSemiArc() - 90.0);
}

double PrimaryVanDamClass::PlaceAt(int point, double jd_ut) {
    if (!directions_.HasChart()) {
        return -1.0;
    }
    const double natal = astro::Slot(directions_.Chart()).julian_day_ut;
    const double arc =
        directions_.YearsToDirectedDegree((jd_ut - natal) * multiplier_ / kDaysPerYear);
    // The Placidus mundane position is 270 + 90 x the factor above the horizon and 90 + 90 x
    // the factor below it: keeping the position under the turned meridian keeps the factor.
    return directions_.ArcToLongitude(point, arc);
}

VanDamPosition PrimaryVanDamClass::Position(int point, double jd_ut) {
    VanDamPosition position;
    position.longitude = PlaceAt(point, jd_ut);
    const double before = PlaceAt(point, jd_ut - kSpeedHalfSpan);
    const double after = PlaceAt(point, jd_ut + kSpeedHalfSpan);
    position.speed = astro::Norm180(after - before) / (2.0 * kSpeedHalfSpan);
    return position;
}

std::vector<VanDamPosition> PrimaryVanDamClass::PD_CalcDynamicStep(const std::vector<int>& points,
                                                                   double jd_ut) {
    std::vector<VanDamPosition> positions;
    positions.reserve(points.size());
    for (const int p : points) {
        positions.push_back(Position(p, jd_ut));
    }
    return positions;
}

double PrimaryVanDamClass::YearsToDirectedDegree(double /*years*/, int /*key*/) const {
    return 0.0;
}

double PrimaryVanDamClass::DirectedDegreeToDate(double /*arc*/, int /*key*/) const { return 0.0; }

}  // namespace meridia::directions
