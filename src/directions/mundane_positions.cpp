#include "directions/mundane_positions.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "astro/angles.h"

namespace meridia::directions {

namespace {

using astro::CosD;
using astro::Norm180;
using astro::Norm360;
using astro::SinD;
using astro::TanD;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// asin in degrees that yields not a number beyond +-1 (no clamping: a circumpolar point has no
// ascensional difference).
double AsinOrNaN(double x) { return std::asin(x) * astro::kRadToDeg; }
double AtanD(double x) { return std::atan(x) * astro::kRadToDeg; }

double Sign(double x) {
    if (x > 0.0) {
        return 1.0;
    }
    return x < 0.0 ? -1.0 : 0.0;
}

// A value in the pattern "##0.##": at least one integer digit, at most two decimals, no
// trailing zeros (a whole value prints without the decimal point).
std::string PatternText(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0') {
        text.pop_back();
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

std::string Column(const std::string& text, std::size_t width) {
    std::string padded = text;
    padded += ' ';
    while (padded.size() < width) {
        padded += ' ';
    }
    return padded;
}

}  // namespace

Equatorial EclipticToEquatorial(double longitude, double latitude, double obliquity) {
    const double sin_eps = SinD(obliquity);
    const double cos_eps = CosD(obliquity);
    const double sin_l = SinD(longitude);
    Equatorial e;
    e.declination = AsinOrNaN(SinD(latitude) * cos_eps + CosD(latitude) * sin_eps * sin_l);
    e.right_ascension =
        Norm360(astro::ArcTan2(sin_l * cos_eps - TanD(latitude) * sin_eps, CosD(longitude)));
    return e;
}

void Speculum::Clear() {
    ascensional_difference_ = kNotComputed;
    upper_meridian_distance_ = kNotComputed;
    placidus_position_ = kNotComputed;
    zenith_distance_ = kNotComputed;
    pole_ = kNotComputed;
    oblique_ascension_under_pole_ = kNotComputed;
}

void Speculum::Init(double declination, double latitude, double right_ascension, double ramc) {
    declination_ = declination;
    latitude_ = latitude;
    right_ascension_ = right_ascension;
    ramc_ = ramc;
    Clear();
}

void Speculum::InitToZodiacPt(double longitude, const astro::ChartSlot& chart) {
    const double lambda = longitude - chart.zodiac_offset;
    const double sin_l = SinD(lambda);
    const double eps = chart.obliquity;
    const double alpha = Norm360(astro::ArcTan2(CosD(eps) * sin_l, CosD(lambda)));
    const double delta = AsinOrNaN(SinD(eps) * sin_l);
    Init(delta, chart.observer_latitude, alpha, chart.ramc);
}

void Speculum::InitToChart(const astro::ChartSlot& chart, int point) {
    const auto p = static_cast<std::size_t>(point);
    Init(chart.declination[p], chart.observer_latitude, chart.right_ascension[p], chart.ramc);
}

bool Speculum::CrossesHorizon() const {
    return std::fabs(TanD(latitude_) * TanD(declination_)) <= 1.0;
}

double Speculum::AscensionalDifference() const {
    if (ascensional_difference_ == kNotComputed) {
        ascensional_difference_ =
            CrossesHorizon() ? AsinOrNaN(TanD(latitude_) * TanD(declination_)) : kNaN;
    }
    return ascensional_difference_;
}

double Speculum::ObliqueAscension() const {
    if (!CrossesHorizon()) {
        return right_ascension_;
    }
    return Norm360(right_ascension_ - AscensionalDifference());
}

double Speculum::ObliqueDescension() const {
    if (!CrossesHorizon()) {
        return right_ascension_;
    }
    return Norm360(right_ascension_ + AscensionalDifference());
}

double Speculum::DaySemiArc() const {
    if (!CrossesHorizon()) {
        return TanD(latitude_) * TanD(declination_) > 0.0 ? 180.0 : 0.0;
    }
    return 90.0 + AscensionalDifference();
}

double Speculum::NightSemiArc() const {
    if (!CrossesHorizon()) {
        return TanD(latitude_) * TanD(declination_) > 0.0 ? 0.0 : 180.0;
    }
    return 90.0 - AscensionalDifference();
}

double Speculum::UpperMeridianDistance() const {
    if (upper_meridian_distance_ == kNotComputed) {
        upper_meridian_distance_ = Norm180(right_ascension_ - ramc_);
    }
    return upper_meridian_distance_;
}

double Speculum::LowerMeridianDistance() const { return Norm180(UpperMeridianDistance() + 180.0); }

double Speculum::MeridianDistance() const {
    const double umd = std::fabs(UpperMeridianDistance());
    return umd < 90.0 ? umd : 180.0 - umd;
}

double Speculum::PlacidusMundanePosition() const {
    if (placidus_position_ == kNotComputed) {
        const double umd = UpperMeridianDistance();
        const double dsa = DaySemiArc();
        const double nsa = NightSemiArc();
        // A point that never sets has no night semi-arc: at the lower meridian it is still
        // above the horizon, on the western end of its day arc.
        if (std::fabs(umd) < dsa || nsa == 0.0) {
            placidus_position_ = 270.0 + 90.0 * umd / dsa;
        } else {
            placidus_position_ = 90.0 + 90.0 * LowerMeridianDistance() / nsa;
        }
    }
    return placidus_position_;
}

double Speculum::ZenithDistance() const {
    if (zenith_distance_ == kNotComputed) {
        const double md = MeridianDistance();
        const double phi = latitude_;
        // On the horizon's east-west line (MD exactly 90) tan MD is infinite: A is its limit, 90.
        const double a = md >= 90.0 ? 90.0 : AtanD(CosD(phi) * TanD(md));
        const double b = AtanD(TanD(std::fabs(phi)) * CosD(md));
        const double c = std::fabs(declination_) * Sign(declination_ * phi);
        const double d = std::fabs(UpperMeridianDistance()) >= 90.0 ? b + c : b - c;
        const double e = AtanD(SinD(std::fabs(phi)) * SinD(md) * TanD(d));
        zenith_distance_ = e + a;
    }
    return zenith_distance_;
}

double Speculum::Pole() const {
    if (pole_ == kNotComputed) {
        pole_ = AsinOrNaN(SinD(latitude_) * SinD(ZenithDistance()));
    }
    return pole_;
}

double Speculum::AscensionalDifferenceUnderPole() const {
    return AsinOrNaN(TanD(declination_) * TanD(Pole()));
}

double Speculum::ObliqueAscensionUnderPole() const {
    if (oblique_ascension_under_pole_ == kNotComputed) {
        const double adp = AscensionalDifferenceUnderPole();
        oblique_ascension_under_pole_ =
            UpperMeridianDistance() <= 0.0 ? right_ascension_ + adp : right_ascension_ - adp;
    }
    return oblique_ascension_under_pole_;
}

std::string SpeculumListingHeading() {
    std::string heading;
    for (const char* column : {" PointName ", "AscDiff  ", "RA       ", "Declin   ", "DaySemAr ",
                               "UMerDist ", "ObAsc    ", "PropArc  "}) {
        heading += column;
    }
    return heading;
}

std::string SpeculumListingLine(const std::string& point_name, const Speculum& speculum) {
    std::string line = Column(point_name, 11);
    for (const double value :
         {speculum.AscensionalDifference(), speculum.RightAscension(), speculum.Declination(),
          speculum.DaySemiArc(), speculum.UpperMeridianDistance(), speculum.ObliqueAscension(),
          speculum.PlacidusMundanePosition()}) {
        line += Column(PatternText(value), 9);
    }
    return line;
}

}  // namespace meridia::directions
