// Van Dam primaries ("Primary van Dam", direction type 7): directed points that move through
// the zodiac step by step as the sky turns by the arc of the age. A point keeps its
// proportional ascension factor, its place as a fraction of its semi-arc from the meridian,
// while the meridian moves by the arc; its directed place is the radix longitude that holds the
// same factor. The dynamic search moves the points with these places and finds their aspects,
// ingresses and stations like those of any other moving chart.
// Angles in degrees; Julian days in UT; ages in years of 365.24219907 days.
#pragma once

#include <vector>

#include "directions/primary_directions.h"

namespace meridia::directions {

// A point's right-ascension distance from a reference (normalised to [-180, 180)) divided by
// its semi-arc (90 plus the ascensional difference given).
double GetProportionalAscensionFactor(double right_ascension, double reference,
                                      double ascensional_difference);

struct VanDamPosition {
    double longitude = 0.0;  // [0, 360)
    double speed = 0.0;      // degrees per day of real time
};

class PrimaryVanDamClass {
public:
    // The radix chart (a slot of the chart table), the rate key that turns the age into an arc
    // and the arc multiplier of the run. Keeps each point's factor from the radix.
    // NOLINTNEXTLINE(readability-identifier-naming): the name the directions use
    void PD_InitializeRadix(int chart, int key, double multiplier);
    // The directed places of the points at a real instant.
    // NOLINTNEXTLINE(readability-identifier-naming): the name the directions use
    std::vector<VanDamPosition> PD_CalcDynamicStep(const std::vector<int>& points, double jd_ut);
    // The directed place of one point.
    VanDamPosition Position(int point, double jd_ut);
    // The factor a radix point had at birth (MC as reference, day or night semi-arc by its
    // side of the horizon).
    double RadixFactor(int point);

    // Van Dam primaries keep no years/arc conversion of their own.
    double YearsToDirectedDegree(double years, int key = 0) const;
    double DirectedDegreeToDate(double arc, int key = 0) const;

private:
    double PlaceAt(int point, double jd_ut);

    PrimaryDirectionsClass directions_;
    double multiplier_ = 1.0;
};

}  // namespace meridia::directions
