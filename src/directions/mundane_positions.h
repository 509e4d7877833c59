// The speculum of primary directions: the spherical quantities of one point in one chart
// (ascensional difference, oblique ascension and descension, semi-arcs, meridian distances,
// Placidus mundane position, zenith distance, Regiomontanus pole and mundane position).
// All angles in degrees. Right ascension and RAMC in [0, 360); declination and the chart's
// geographic latitude north positive. The upper meridian distance is right ascension minus
// RAMC, so a rising point has Placidus mundane position 360 (0), the MC 270, a setting point
// 180 and the IC 90. Values are computed on first request and kept until the inputs change.
#pragma once

#include <string>

#include "astro/chart_table.h"

namespace meridia::directions {

class Speculum {
public:
    // The four inputs directly: declination, geographic latitude, right ascension, RAMC.
    void Init(double declination, double latitude, double right_ascension, double ramc);
    // The ecliptic point at a longitude (the chart's zodiac, no latitude) in the chart: its
    // right ascension and declination with the chart's obliquity; latitude and RAMC of the chart.
    void InitToZodiacPt(double longitude, const astro::ChartSlot& chart);
    // A point of a calculated chart with its own latitude (its stored right ascension and
    // declination).
    void InitToChart(const astro::ChartSlot& chart, int point);

    double Declination() const { return declination_; }
    double Latitude() const { return latitude_; }
    double RightAscension() const { return right_ascension_; }
    double RAMC() const { return ramc_; }

    // |tan(latitude) tan(declination)| <= 1.
    bool CrossesHorizon() const;
    // asin(tan(latitude) tan(declination)); not a number for a point that never crosses.
    double AscensionalDifference() const;
    // Right ascension minus / plus the ascensional difference in [0, 360); the right ascension
    // itself for a point that never crosses the horizon.
    double ObliqueAscension() const;
    double ObliqueDescension() const;
    // 90 +- the ascensional difference; 180 and 0 (or 0 and 180) for a point that never sets
    // (never rises).
    double DaySemiArc() const;
    double NightSemiArc() const;
    // Right ascension minus RAMC in [-180, 180); the lower one measured from the IC.
    double UpperMeridianDistance() const;
    double LowerMeridianDistance() const;
    // Distance from the nearer meridian, 0..90.
    double MeridianDistance() const;
    // Position in the Placidus semi-arcs, [0, 360] as the header says.
    double PlacidusMundanePosition() const;
    double ZenithDistance() const;
    // Pole of the Regiomontanus circle through the point.
    double Pole() const;
    double AscensionalDifferenceUnderPole() const;
    double ObliqueAscensionUnderPole() const;
    double RegioMundanePosition() const { return ObliqueAscensionUnderPole(); }

private:
    // Marks a cached value that is not computed yet.
    static constexpr double kNotComputed = 1000.0;
    void Clear();

    double declination_ = 0.0;
    double latitude_ = 0.0;
    double right_ascension_ = 0.0;
    double ramc_ = 0.0;

    mutable double ascensional_difference_ = kNotComputed;
    mutable double upper_meridian_distance_ = kNotComputed;
    mutable double placidus_position_ = kNotComputed;
    mutable double zenith_distance_ = kNotComputed;
    mutable double pole_ = kNotComputed;
    mutable double oblique_ascension_under_pole_ = kNotComputed;
};

// Right ascension (in [0, 360)) and declination of an ecliptic point (tropical longitude and
// latitude) for an obliquity.
struct Equatorial {
    double right_ascension = 0.0;
    double declination = 0.0;
};
Equatorial EclipticToEquatorial(double longitude, double latitude, double obliquity);

// The debug listing of specula: the heading line, then one line per entry (point name and
// the values in the format "##0.##").
std::string SpeculumListingHeading();
std::string SpeculumListingLine(const std::string& point_name, const Speculum& speculum);

}  // namespace meridia::directions
