// FindAspect against a second, deliberately plain working of the longitude rules on many
// random pairs and random orb settings. Longitudes, orbs and ratios are multiples of 0.25, so
// deviations often land exactly on an orb and the "<=" and "<" edges are exercised.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "aspects/aspect_find.h"

namespace meridia::aspects {
namespace {

struct Reference {
    int aspect = 0;
    double deviation = 0.0;
    double orb = 0.0;
    bool applying = false;
};

int Sgn(double x) {
    if (x > 0) {
        return 1;
    }
    return x < 0 ? -1 : 0;
}

// The rules written out directly: separation from B - A; factor and group by the orb method;
// the first enabled aspect in ascending angle (ties by number) whose applying orb holds the
// deviation, or whose separating orb holds it strictly; applying when the signs of the
// relative speed and of the reported deviation differ; kept when its own orb holds it.
Reference Plain(const AspectSet& set, const AspectPoint& a, const AspectPoint& b, int kind) {
    const double raw = std::fmod(b.longitude - a.longitude + 720.0, 360.0);
    const bool reversed = raw > 180.0;
    const double separation = reversed ? 360.0 - raw : raw;
    double factor = 1.0;
    bool luminary = false;
    const int method = set.header.orb_method;
    if (method == 1 || method == 5) {
        const double ra = set.ratios[static_cast<std::size_t>(a.point)];
        const double rb = set.ratios[static_cast<std::size_t>(b.point)];
        if (set.header.moieties) {
            factor = (ra + rb) / 2;
        } else if (set.header.unidirectional) {
            factor = a.point <= b.point ? rb : ra;
        } else {
            factor = ra > rb ? ra : rb;
        }
        luminary = true;
    } else if (set.header.unidirectional) {
        luminary = b.point == 1 || b.point == 3;
    } else {
        luminary = a.point == 1 || a.point == 3 || b.point == 1 || b.point == 3;
    }
    std::vector<int> order;
    for (int k = 1; k <= set.Count() - 2; ++k) {
        if (set.Aspect(k).enabled) {
            order.push_back(k);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int x, int y) { return set.Aspect(x).angle < set.Aspect(y).angle; });
    for (const int k : order) {
        const AspectRecord& r = set.Aspect(k);
        const double d = separation - r.angle;
        const double app = factor * r.orbs[luminary ? 0 : 1][static_cast<std::size_t>(kind - 1)];
        const double sep = factor * r.orbs[luminary ? 2 : 3][static_cast<std::size_t>(kind - 1)];
        if (std::fabs(d) <= app || std::fabs(d) < sep) {
            Reference out;
            out.deviation = reversed ? -d : d;
            out.applying = Sgn(b.speed - a.speed) != Sgn(out.deviation);
            out.orb = out.applying ? app : sep;
            if (std::fabs(d) <= out.orb) {
                out.aspect = k;
            }
            return out.aspect != 0 ? out : Reference{};
        }
    }
    return {};
}

TEST(FindAspectRandom, AgreesWithThePlainRulesOnRandomPairsAndSets) {
    std::mt19937 rng(20261205U);
    auto quarter = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo * 4, hi * 4)(rng) / 4.0;
    };
    auto coin = [&rng] { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; };
    int found = 0;
    for (int round = 0; round < 200; ++round) {
        AspectSet set = StandardAspectSet();
        const int methods[] = {0, 1, 4, 5};
        set.header.orb_method = methods[std::uniform_int_distribution<int>(0, 3)(rng)];
        set.header.moieties = coin();
        set.header.unidirectional = coin();
        for (auto& aspect : set.aspects) {
            aspect.enabled = coin() || aspect.number <= 4;
            for (auto& group : aspect.orbs) {
                for (double& orb : group) {
                    orb = quarter(0, 10);
                }
            }
        }
        for (int p = 1; p <= 12; ++p) {
            set.ratios[static_cast<std::size_t>(p)] = static_cast<float>(quarter(0, 2));
        }
        BuildActiveAspects(set);
        for (int pair = 0; pair < 200; ++pair) {
            AspectPoint a;
            AspectPoint b;
            a.point = std::uniform_int_distribution<int>(1, 12)(rng);
            b.point = std::uniform_int_distribution<int>(1, 12)(rng);
            a.longitude = std::fmod(quarter(0, 360), 360.0);
            b.longitude = std::fmod(quarter(0, 360), 360.0);
            a.speed = quarter(-1, 2);
            b.speed = quarter(-1, 2);
            const int kind = std::uniform_int_distribution<int>(1, 3)(rng);
            const Reference want = Plain(set, a, b, kind);
            const AspectResult got = FindAspect(set, a, b, kind, false);
            SCOPED_TRACE(::testing::Message() << "round " << round << " pair " << pair);
            ASSERT_EQ(got.aspect, want.aspect)
                << a.point << "@" << a.longitude << " " << b.point << "@" << b.longitude;
            if (want.aspect != 0) {
                ++found;
                EXPECT_DOUBLE_EQ(got.deviation, want.deviation);
                EXPECT_DOUBLE_EQ(got.orb, want.orb);
                EXPECT_EQ(got.applying, want.applying);
            }
        }
    }
    EXPECT_GT(found, 2000);  // the sample really exercises found aspects
}

}  // namespace
}  // namespace meridia::aspects
