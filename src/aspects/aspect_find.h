// The aspect test: whether two chart points (of one chart or of two) form an aspect of a set,
// which one, how far from exact, under which orb, applying or separating, and partile; the
// parallels of declination or latitude; the next aspect angle for searches.
// Longitudes, latitudes, declinations, orbs and deviations in degrees; speeds in degrees per day.
#pragma once

#include "aspects/aspect_set.h"

namespace meridia::aspects {

// One side of an aspect test: the chart (slot number, or any tag that tells charts apart),
// the point number (0 = no point) and its values.
struct AspectPoint {
    int chart = 0;
    int point = 0;
    double longitude = 0.0;
    double latitude = 0.0;
    double speed = 0.0;           // longitude, degrees per day
    double latitude_speed = 0.0;  // degrees per day (3-D mode and latitude parallels)
    double declination = 0.0;
    double declination_speed = 0.0;  // degrees per day (declination parallels)
};

// How the partile flag is decided: kSameDegree, both points in the same whole degree of their
// signs; kWithinOrb, the deviation within `orb`.
struct PartileRule {
    enum class Mode { kSameDegree = 0, kWithinOrb = 1 };
    Mode mode = Mode::kSameDegree;
    double orb = 1.0;
};

struct AspectResult {
    int aspect = 0;          // aspect number in the set, 0 = none
    double deviation = 0.0;  // separation minus aspect angle, sign rule applied
    double orb = 0.0;        // orb that applied
    bool applying = false;
    bool partile = false;

    bool found() const { return aspect != 0; }
};

// True for pairs of one chart that are never aspected: a point with itself and pairs always in
// a fixed relation (an angle and its opposite angle, the nodes, the Sun and the Earth...).
bool IsFixedRelationPair(int point_a, int point_b);

// Longitude aspect (3-D when the set says so) between a and b; orb_kind 1 natal,
// 2 progressed, 3 transits; same_chart when both points belong to one chart.
AspectResult FindAspect(const AspectSet& set, const AspectPoint& a, const AspectPoint& b,
                        int orb_kind, bool same_chart, const PartileRule& partile = {});

enum class ParallelBasis { kDeclination, kLatitude };

// Parallel (aspect N - 1) or contraparallel (N) by declination or latitude.
AspectResult FindParallel(const AspectSet& set, const AspectPoint& a, const AspectPoint& b,
                          ParallelBasis basis, int orb_kind, bool same_chart = false);

struct NextAspect {
    int aspect = 0;      // 0 when the set has no enabled longitude aspect
    double angle = 0.0;  // 0..360
};

// The first enabled aspect angle at or beyond `angle` (0..360) when the enabled angles a are
// laid out over the whole circle as a, then 360 - a from the largest down.
NextAspect NextAspectAngle(const AspectSet& set, double angle);

// Separation of two points of the sphere (longitude, latitude), 0..180.
double TrueSeparation(double lon_a, double lat_a, double lon_b, double lat_b);

// Daily rate of the declination of a point from its ecliptic position and speeds; obliquity
// in degrees.
double DeclinationSpeed(double longitude, double latitude, double speed, double latitude_speed,
                        double obliquity);

}  // namespace meridia::aspects
