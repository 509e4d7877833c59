#include "directions/primary_directions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/ephemeris.h"
#include "astro/time_scales.h"
#include "startup/name_tables.h"
#include "startup/session.h"

namespace meridia::directions {

namespace {

using astro::Norm180;
using astro::Norm360;

// List position -> key, in the order the rate keys are offered.
constexpr std::array<int, kRateKeyCount> kKeyOrder = {
    kKeyPtolemy, kKeyNaibod, kKeyCardan, kKeyKepler, kKeySolarLong, kKeyPlacidus, kKeyUser};

constexpr int kMaxPlaceSteps = 20;
constexpr double kPlaceTolerance = 0.001;
constexpr double kPlaceDiagnosticLimit = 1.0;
constexpr int kMaxSolarArcSteps = 60;

double Sign(double x) {
    if (x > 0.0) {
        return 1.0;
    }
    return x < 0.0 ? -1.0 : 0.0;
}

double AsinOrNaN(double x) { return std::asin(x) * astro::kRadToDeg; }

// A number in the pattern "#####.000": three decimals, no integer digit before the point when
// the whole part is 0.
std::string ThreeDecimals(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    if (text.rfind("0.", 0) == 0) {
        text.erase(0, 1);
    } else if (text.rfind("-0.", 0) == 0) {
        text.erase(1, 1);
    }
    return text;
}

}  // namespace

double PlacidusArc(const Speculum& promissor, double position) {
    // Above the horizon the semi-arc is the day semi-arc measured from the MC, below it the
    // night semi-arc measured from the IC; (s + 2 - P/90) is the fraction of that semi-arc
    // between the meridian and P.
    const bool above = position >= 180.0;
    const double s = above ? 1.0 : -1.0;
    const double reference = above ? promissor.RAMC() : Norm360(promissor.RAMC() + 180.0);
    const double semi_arc = above ? promissor.DaySemiArc() : promissor.NightSemiArc();
    return Norm180((promissor.RightAscension() - reference) +
                   semi_arc * (s + 2.0 - position / 90.0));
}

double RegiomontanusArc(const Speculum& promissor, const Speculum& significator, double offset) {
    const double target = Norm360(significator.RegioMundanePosition() - offset);
    double s = 0.0;
    double adp = 0.0;
    if (offset == 0.0) {
        s = Sign(significator.UpperMeridianDistance());
        adp = AsinOrNaN(astro::TanD(promissor.Declination()) * astro::TanD(significator.Pole()));
    } else {
        // An aspect point has its own pole: that of the house circle through its place.
        double x = Norm180(target - significator.RAMC());
        if (std::fabs(x) >= 90.0) {
            x = Norm180(x - 180.0);
        }
        s = Sign(x);
        adp = AsinOrNaN(astro::TanD(significator.Latitude()) *
                        astro::TanD(promissor.Declination()) * astro::SinD(std::fabs(x)));
    }
    const double oblique_ascension = promissor.RightAscension() - s * adp;
    return Norm180(oblique_ascension - target);
}

PrimaryDirectionsClass::PrimaryDirectionsClass() {
    const auto& settings = startup::CurrentSession().settings();
    user_rate_ = settings.GetDouble("UserDirRate");
    true_obliquity_ = astro::CalcOptionsFromSettings().true_obliquity;
}

int PrimaryDirectionsClass::PrimaryRateKeyOrder(int position) {
    if (position < 1 || position > kRateKeyCount) {
        return 0;
    }
    return kKeyOrder[static_cast<std::size_t>(position - 1)];
}

int PrimaryDirectionsClass::LookupKeyOrderIndex(int key) {
    for (int position = 1; position <= kRateKeyCount; ++position) {
        if (PrimaryRateKeyOrder(position) == key) {
            return position;
        }
    }
    return 0;
}

std::string PrimaryDirectionsClass::PrimaryRateName(int key) const {
    const int k = key == 0 ? rate_key_ : key;
    if (k < 1 || k > kRateKeyCount) {
        return {};
    }
    return startup::Names().Entry(startup::kPrimaryRateKeyNamesBase + k);
}

std::string PrimaryDirectionsClass::PrimaryDirectionTypeName(int type) {
    if (type < 1 || type > 2) {
        return {};
    }
    return startup::Names().Entry(startup::kPrimaryDirectionTypeNamesBase + type);
}

std::string PrimaryDirectionsClass::PrimaryDirectionMethodName(int method) {
    if (method < 1 || method > 2) {
        return {};
    }
    return startup::Names().Entry(startup::kPrimaryDirectionMethodNamesBase + method);
}

std::string PrimaryDirectionsClass::ConverseMethodName(int method) {
    if (method < 1 || method > 2) {
        return {};
    }
    return startup::Names().Entry(startup::kConverseMethodNamesBase + method);
}

void PrimaryDirectionsClass::Chart(int slot) {
    chart_ = slot;
    solar_rate_ra_.reset();
    solar_rate_longitude_.reset();
    natal_sun_ra_.reset();
    ClearSpecula();
}

bool PrimaryDirectionsClass::HasChart() const { return astro::IsValidSlot(chart_); }

const astro::ChartSlot& PrimaryDirectionsClass::Radix() const { return astro::Slot(chart_); }

void PrimaryDirectionsClass::ClearSpecula() {
    for (auto& speculum : specula_) {
        speculum.reset();
    }
}

const Speculum& PrimaryDirectionsClass::SpeculumOf(int point) {
    const auto p = static_cast<std::size_t>(point >= 0 && point <= astro::kMaxPoints ? point : 0);
    if (!specula_[p]) {
        specula_[p].emplace();
        if (HasChart() && p > 0) {
            specula_[p]->InitToChart(Radix(), point);
        }
    }
    return *specula_[p];
}

void PrimaryDirectionsClass::ComputeSolarRates() {
    solar_rate_ra_ = 0.0;
    solar_rate_longitude_ = 0.0;
    if (!HasChart()) {
        return;
    }
    const astro::ChartSlot& radix = Radix();
    int scratch = astro::AllocScratchChart();
    double ra[2] = {0.0, 0.0};
    double longitude[2] = {0.0, 0.0};
    const astro::ChartRecord& record = radix.record;
    for (int i = 0; i < 2; ++i) {
        astro::ChartSlot& temporary = astro::Slot(scratch);
        temporary.record = record;
        temporary.record.data.name = "PrimDir";
        astro::ChartValues values;
        values.day = record.data.date_time.day;
        values.month = record.data.date_time.month;
        values.year = record.data.date_time.year;
        values.ut_hours = astro::UniversalHoursOf(record) + (i == 0 ? -12.0 : 12.0);
        values.calendar = record.data.calendar;
        values.latitude = record.data.place.latitude;
        values.longitude = record.data.place.longitude;
        values.house_system = record.house_system;
        values.zodiac = record.zodiac;
        values.coords = 1;
        astro::CalcChartFromValues(values, scratch, astro::kSun, astro::kSun, true, false);
        ra[i] = temporary.right_ascension[astro::kSun];
        longitude[i] = temporary.longitude[astro::kSun];
    }
    astro::FreeScratchChart(scratch);
    solar_rate_ra_ = Norm360(ra[1] - ra[0]);
    solar_rate_longitude_ = Norm360(longitude[1] - longitude[0]);
}

double PrimaryDirectionsClass::SolarRateRA() {
    if (!solar_rate_ra_) {
        ComputeSolarRates();
    }
    return *solar_rate_ra_;
}

double PrimaryDirectionsClass::SolarRateLongitude() {
    if (!solar_rate_longitude_) {
        ComputeSolarRates();
    }
    return *solar_rate_longitude_;
}

PrimaryDirectionsClass::SunRA PrimaryDirectionsClass::SunRightAscensionAt(double jd_ut) {
    if (!sun_slot_) {
        sun_slot_ = std::make_unique<astro::ChartSlot>();
    }
    astro::ChartSlot& sun = *sun_slot_;
    const double jd_et = jd_ut + astro::DeltaT(jd_ut);
    astro::CalcPositions(sun, astro::kSun, astro::kSun, jd_et, 0.0, astro::PositionOptions{});
    const double obliquity = astro::Obliquity(jd_et, true_obliquity_);
    const Equatorial e =
        EclipticToEquatorial(sun.longitude[astro::kSun], sun.latitude[astro::kSun], obliquity);
    // d(alpha)/d(lambda) = cos(eps) / cos^2(delta) on the ecliptic.
    const double cos_delta = astro::CosD(e.declination);
    return {e.right_ascension,
            sun.speed[astro::kSun] * astro::CosD(obliquity) / (cos_delta * cos_delta)};
}

double PrimaryDirectionsClass::TrueSolarArc(double years) {
    if (!natal_sun_ra_) {
        natal_sun_ra_ = SunRightAscensionAt(Radix().julian_day_ut).ra;
    }
    const double progressed = SunRightAscensionAt(Radix().julian_day_ut + std::fabs(years)).ra;
    return Sign(years) * Norm360(progressed - *natal_sun_ra_);
}

double PrimaryDirectionsClass::TrueSolarArcYears(double arc) {
    // Newton's method on the progressed Sun's right ascension (a day per year), from the
    // natal solar rate's estimate; the key is odd, so the search runs on |arc|.
    const double target = std::fabs(arc);
    if (target == 0.0) {
        return 0.0;
    }
    if (!natal_sun_ra_) {
        natal_sun_ra_ = SunRightAscensionAt(Radix().julian_day_ut).ra;
    }
    const double rate = SolarRateRA();
    double years = rate > 0.0 ? target / rate : target;
    for (int step = 0; step < kMaxSolarArcSteps; ++step) {
        const SunRA sun = SunRightAscensionAt(Radix().julian_day_ut + years);
        const double error = Norm180(Norm360(sun.ra - *natal_sun_ra_) - target);
        if (std::fabs(error) < kSolarArcTolerance || sun.speed <= 0.0) {
            break;
        }
        years = std::max(years - error / sun.speed, 0.0);
    }
    return Sign(arc) * years;
}

namespace {

int EffectiveKey(int key, int current) {
    const int k = key == 0 ? current : key;
    return k >= 1 && k <= kRateKeyCount ? k : kKeyPtolemy;  // 8 and unknown keys: Ptolemy
}

}  // namespace

double PrimaryDirectionsClass::YearsToDirectedDegree(double years, int key) {
    if (!HasChart()) {
        return 0.0;
    }
    switch (EffectiveKey(key, rate_key_)) {
        case kKeyNaibod:
            return years * 360.0 / kDaysPerYear;
        case kKeyKepler:
            return SolarRateRA() * years;
        case kKeyPlacidus:
            return TrueSolarArc(years);
        case kKeyCardan:
            return years * 59.2 / 60.0;
        case kKeyUser:
            return user_rate_ * years;
        case kKeySolarLong:
            return SolarRateLongitude() * years;
        default:
            return years;
    }
}

double PrimaryDirectionsClass::DirectedDegreeToYears(double arc, int key) {
    if (!HasChart()) {
        return 0.0;
    }
    const auto divide = [arc](double rate) { return rate == 0.0 ? 0.0 : arc / rate; };
    switch (EffectiveKey(key, rate_key_)) {
        case kKeyNaibod:
            return arc * kDaysPerYear / 360.0;
        case kKeyKepler:
            return divide(SolarRateRA());
        case kKeyPlacidus:
            return TrueSolarArcYears(arc);
        case kKeyCardan:
            return arc * 60.0 / 59.2;
        case kKeyUser:
            return divide(user_rate_);
        case kKeySolarLong:
            return divide(SolarRateLongitude());
        default:
            return arc;
    }
}

double PrimaryDirectionsClass::DirectedDegreeToDate(double arc, int key) {
    if (!HasChart()) {
        return 0.0;
    }
    return Radix().julian_day_ut + DirectedDegreeToYears(arc, key) * kDaysPerYear;
}

std::pair<double, double> PrimaryDirectionsClass::PeriodToArcs(double jd_start_ut,
                                                               double jd_end_ut) {
    if (!HasChart()) {
        return {0.0, 0.0};
    }
    const double natal = Radix().julian_day_ut;
    double a = YearsToDirectedDegree((jd_start_ut - natal) / kDaysPerYear);
    double b = YearsToDirectedDegree((jd_end_ut - natal) / kDaysPerYear);
    if (a > b) {
        std::swap(a, b);
    }
    return {a, b};
}

double PrimaryDirectionsClass::LongitudeToLongitudeArc(double longitude, double latitude,
                                                       double ramc) const {
    const astro::ChartSlot& radix = Radix();
    const Equatorial e =
        EclipticToEquatorial(longitude - radix.zodiac_offset, latitude, radix.obliquity);
    Speculum speculum;
    speculum.Init(e.declination, radix.observer_latitude, e.right_ascension, ramc);
    return method_ == kMethodRegiomontanus ? speculum.RegioMundanePosition()
                                           : speculum.PlacidusMundanePosition();
}

double PrimaryDirectionsClass::LongitudeToArc(double longitude, double ramc) const {
    return LongitudeToLongitudeArc(longitude, 0.0, ramc);
}

DirectionalPlace PrimaryDirectionsClass::ComputeDirectionalPlace(int significator, double target,
                                                                 double longitude, double latitude,
                                                                 double ramc) const {
    DirectionalPlace place;
    const bool with_latitude = direction_type_ == kTypeZodiacal && !makransky_;
    double d = 0.0;
    for (int step = 0; step < kMaxPlaceSteps; ++step) {
        const double value = with_latitude ? LongitudeToLongitudeArc(longitude, latitude, ramc)
                                           : LongitudeToArc(longitude, ramc);
        d = Norm180(value - target);
        longitude -= d;
        if (!(std::fabs(d) >= kPlaceTolerance)) {
            break;
        }
    }
    place.longitude = Norm360(longitude);
    place.converged = std::fabs(d) < kPlaceTolerance;
    if (!(std::fabs(d) < kPlaceDiagnosticLimit)) {
        place.diagnostic =
            "ComputeDirectionalPlace not converging: Sig = " + std::to_string(significator) +
            "; Longitude = " + ThreeDecimals(place.longitude);
    }
    return place;
}

double PrimaryDirectionsClass::MundanePositionToLongitude(double position) {
    if (!HasChart()) {
        return 0.0;
    }
    const astro::ChartSlot& radix = Radix();
    // Start from the ecliptic degree on the meridian nearest the position's quadrant.
    const double start = Norm360(radix.longitude[astro::kMidheaven] + (position - 270.0));
    return ComputeDirectionalPlace(0, position, start, 0.0, radix.ramc).longitude;
}

double PrimaryDirectionsClass::ZodiacalArc(double longitude, double latitude, int significator,
                                           double offset) {
    const astro::ChartSlot& radix = Radix();
    const Equatorial e = EclipticToEquatorial(longitude - radix.zodiac_offset,
                                              makransky_ ? 0.0 : latitude, radix.obliquity);
    Speculum promissor;
    promissor.Init(e.declination, radix.observer_latitude, e.right_ascension, radix.ramc);
    const Speculum& sig = SpeculumOf(significator);
    if (method_ == kMethodRegiomontanus) {
        return RegiomontanusArc(promissor, sig, offset);
    }
    return PlacidusArc(promissor, Norm360(sig.PlacidusMundanePosition() - offset));
}

double PrimaryDirectionsClass::ComputeArc(int promissor, int significator, double offset) {
    if (!HasChart()) {
        return 0.0;
    }
    if (direction_type_ == kTypeZodiacal) {
        const astro::ChartSlot& radix = Radix();
        const auto p = static_cast<std::size_t>(promissor);
        return ZodiacalArc(Norm360(radix.longitude[p] + offset), radix.latitude[p], significator,
                           0.0);
    }
    const Speculum& prom = SpeculumOf(promissor);
    const Speculum& sig = SpeculumOf(significator);
    if (method_ == kMethodRegiomontanus) {
        return RegiomontanusArc(prom, sig, offset);
    }
    return PlacidusArc(prom, Norm360(sig.PlacidusMundanePosition() - offset));
}

double PrimaryDirectionsClass::ArcToLongitude(int point, double rotation, std::string* diagnostic) {
    if (!HasChart()) {
        return 0.0;
    }
    const astro::ChartSlot& radix = Radix();
    const auto p = static_cast<std::size_t>(point);
    // The point keeps its place in the sky while the sky turns by the arc: its mundane value
    // under the turned RAMC is the place in the radix it has been carried to.
    const double moved_ramc = Norm360(radix.ramc + rotation);
    double target = 0.0;
    if (direction_type_ == kTypeZodiacal) {
        target = LongitudeToLongitudeArc(radix.longitude[p], makransky_ ? 0.0 : radix.latitude[p],
                                         moved_ramc);
    } else {
        const Speculum& own = SpeculumOf(point);
        Speculum moved;
        moved.Init(own.Declination(), own.Latitude(), own.RightAscension(), moved_ramc);
        target = method_ == kMethodRegiomontanus ? moved.RegioMundanePosition()
                                                 : moved.PlacidusMundanePosition();
    }
    // A Regiomontanus value is an oblique ascension, counted from the equinox: the place on
    // the same house circle under the radix RAMC lies the rotation earlier. (A Placidus
    // position is already counted from the meridian.)
    if (method_ == kMethodRegiomontanus) {
        target -= rotation;
    }
    const double start = Norm360(radix.longitude[p] - rotation);
    DirectionalPlace place =
        ComputeDirectionalPlace(point, target, start, radix.latitude[p], radix.ramc);
    if (diagnostic != nullptr && !place.diagnostic.empty()) {
        *diagnostic = std::move(place.diagnostic);
    }
    return place.longitude;
}

double PrimaryDirectionsClass::DirectAscendant(double rotation) {
    if (!HasChart()) {
        return 0.0;
    }
    const astro::ChartSlot& radix = Radix();
    const astro::AngleSet angles = astro::CalcAngles(
        Norm360(radix.ramc + rotation), radix.obliquity, radix.observer_latitude, true);
    return Norm360(angles.ascendant + radix.zodiac_offset);
}

}  // namespace meridia::directions
