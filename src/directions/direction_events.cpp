#include "directions/direction_events.h"

#include <cmath>
#include <utility>
#include <vector>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/houses.h"

namespace meridia::directions {

namespace {

constexpr double kIngressStep = 1.0;        // degrees of arc between ingress samples
constexpr double kIngressTolerance = 1e-8;  // degrees of arc
constexpr int kMaxIngressHalvings = 60;

// The arcs at the start and at the end of the period (in period order, not sorted).
std::pair<double, double> PeriodArcs(PrimaryDirectionsClass& directions,
                                     const DirectionsRequest& request) {
    const double natal = astro::Slot(directions.Chart()).julian_day_ut;
    const auto arc_at = [&](double jd) {
        return directions.YearsToDirectedDegree((jd - natal) * request.multiplier / kDaysPerYear);
    };
    return {arc_at(request.jd_start_ut), arc_at(request.jd_end_ut)};
}

// The rotation of the sky that an arc of the report stands for.
double RotationOf(const PrimaryDirectionsClass& directions, double arc) {
    return directions.Converse() ? -arc : arc;
}

double ContactArc(PrimaryDirectionsClass& directions, int promissor, int significator,
                  double offset) {
    if (!directions.Converse()) {
        return directions.ComputeArc(promissor, significator, offset);
    }
    if (directions.ConverseMethod() == kConverseModern) {
        return -directions.ComputeArc(promissor, significator, offset);
    }
    return directions.ComputeArc(significator, promissor, offset);
}

bool Between(double x, double a, double b) {
    return (a <= b) ? (x >= a && x <= b) : (x >= b && x <= a);
}

}  // namespace

double ArcToJulianDay(PrimaryDirectionsClass& directions, double arc, double multiplier) {
    if (!directions.HasChart() || multiplier == 0.0) {
        return 0.0;
    }
    const double natal = astro::Slot(directions.Chart()).julian_day_ut;
    return natal + directions.DirectedDegreeToYears(arc) * kDaysPerYear / multiplier;
}

std::vector<DirectionEvent> GetDirectionsToRadix(PrimaryDirectionsClass& directions,
                                                 const DirectionsRequest& request) {
    std::vector<DirectionEvent> events;
    if (!directions.HasChart()) {
        return events;
    }
    const astro::ChartSlot& radix = astro::Slot(directions.Chart());
    const auto [arc_start, arc_end] = PeriodArcs(directions, request);
    // +1 when the arcs grow through the period, -1 when they shrink.
    const double motion = arc_end >= arc_start ? 1.0 : -1.0;
    for (const int p : request.promissors) {
        for (const int s : request.significators) {
            if (p == s || radix.longitude[static_cast<std::size_t>(p)] < 0.0 ||
                radix.longitude[static_cast<std::size_t>(s)] < 0.0) {
                continue;
            }
            for (const DirectionAspect& aspect : request.aspects) {
                std::vector<double> offsets = {aspect.angle};
                if (aspect.angle != 0.0 && aspect.angle != 180.0) {
                    offsets.push_back(-aspect.angle);
                }
                for (const double offset : offsets) {
                    const double arc = ContactArc(directions, p, s, offset);
                    if (std::isnan(arc)) {
                        continue;  // a circumpolar promissor has no ascensional difference
                    }
                    const double entering = arc - motion * aspect.entering_orb;
                    const double leaving = arc + motion * aspect.leaving_orb;
                    const auto add = [&](char symbol, double event_arc, double jd_ut) {
                        DirectionEvent e;
                        e.moving_point = p;
                        e.aspect = aspect.number;
                        e.target_point = s;
                        e.symbol = symbol;
                        e.arc = event_arc;
                        e.jd_ut = jd_ut;
                        e.moving_longitude =
                            directions.ArcToLongitude(p, RotationOf(directions, event_arc));
                        e.target_longitude = radix.longitude[static_cast<std::size_t>(s)];
                        e.moving_house = astro::HouseOf(e.moving_longitude, radix.cusps);
                        e.target_house = radix.house[static_cast<std::size_t>(s)];
                        events.push_back(e);
                    };
                    if (Between(arc, arc_start, arc_end)) {
                        add('X', arc, ArcToJulianDay(directions, arc, request.multiplier));
                    }
                    if (!request.enter_leave) {
                        continue;
                    }
                    if (Between(entering, arc_start, arc_end) && entering != arc_start) {
                        add('E', entering,
                            ArcToJulianDay(directions, entering, request.multiplier));
                    }
                    if (Between(leaving, arc_start, arc_end)) {
                        add('L', leaving, ArcToJulianDay(directions, leaving, request.multiplier));
                    }
                    // Within orb as the period begins: entered before its start, not yet left.
                    if (Between(arc_start, entering, leaving) && arc_start != entering &&
                        arc_start != leaving) {
                        add('B', arc_start, request.jd_start_ut);
                    }
                }
            }
        }
    }
    return events;
}

std::vector<DirectionEvent> GetIngresses(PrimaryDirectionsClass& directions,
                                         const DirectionsRequest& request) {
    std::vector<DirectionEvent> events;
    if (!directions.HasChart() || (!request.sign_ingresses && !request.house_ingresses)) {
        return events;
    }
    const astro::ChartSlot& radix = astro::Slot(directions.Chart());
    auto [arc_lo, arc_hi] = PeriodArcs(directions, request);
    if (arc_lo > arc_hi) {
        std::swap(arc_lo, arc_hi);
    }
    const auto steps = static_cast<int>(std::ceil((arc_hi - arc_lo) / kIngressStep));
    for (const int p : request.promissors) {
        if (radix.longitude[static_cast<std::size_t>(p)] < 0.0) {
            continue;
        }
        const auto place = [&](double arc) {
            return directions.ArcToLongitude(p, RotationOf(directions, arc));
        };
        // kind 0: sign, 1: house.
        const auto region = [&](int kind, double longitude) {
            return kind == 0 ? astro::SignOf(longitude) : astro::HouseOf(longitude, radix.cusps);
        };
        for (int kind = 0; kind < 2; ++kind) {
            if ((kind == 0 && !request.sign_ingresses) || (kind == 1 && !request.house_ingresses)) {
                continue;
            }
            double a0 = arc_lo;
            int r0 = region(kind, place(a0));
            for (int i = 1; i <= steps; ++i) {
                const double a1 = i == steps ? arc_hi : arc_lo + i * kIngressStep;
                const int r1 = region(kind, place(a1));
                if (r1 != r0) {
                    // Halve the step until the arc of the crossing is known to the tolerance.
                    double lo = a0;
                    double hi = a1;
                    for (int n = 0; n < kMaxIngressHalvings && hi - lo > kIngressTolerance; ++n) {
                        const double mid = (lo + hi) / 2.0;
                        if (region(kind, place(mid)) == r0) {
                            lo = mid;
                        } else {
                            hi = mid;
                        }
                    }
                    DirectionEvent e;
                    e.moving_point = p;
                    e.symbol = kind == 0 ? 'S' : 'H';
                    e.arc = hi;
                    e.jd_ut = ArcToJulianDay(directions, hi, request.multiplier);
                    e.moving_longitude = place(hi);
                    e.moving_house = astro::HouseOf(e.moving_longitude, radix.cusps);
                    events.push_back(e);
                }
                a0 = a1;
                r0 = r1;
            }
        }
    }
    return events;
}

}  // namespace meridia::directions
