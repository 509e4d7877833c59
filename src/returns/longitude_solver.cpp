#include "returns/longitude_solver.h"

#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/ephemeris.h"
#include "returns/scratch_slot.h"
#include "startup/session.h"

namespace meridia::returns {

namespace {

// Any sidereal zodiac measures the precession the same way; Fagan-Bradley serves.
constexpr int kFaganBradley = 2;
constexpr double kStepLimitDegrees = 20.0;
constexpr double kLongStepFactor = 0.9;
// Below this requested accuracy the second and third attempts use the finest tolerance.
constexpr double kFineAttemptArcsec = 9.9;

startup::Status NonConvergence() {
    return {startup::StatusCode::kNotConverged, kNonConvergenceText, kCannotFindReturnTitle};
}

startup::Status NoPosition() {
    return {startup::StatusCode::kOutOfRange, astro::kOutOfRangeText, astro::kOutOfRangeTitle};
}

}  // namespace

ZodiacFrame FrameFromSettings(int zodiac) {
    const astro::CalcOptions options = astro::CalcOptionsFromSettings();
    ZodiacFrame frame;
    frame.zodiac = zodiac == 0 ? options.default_zodiac : zodiac;
    frame.true_node = options.true_node;
    frame.user_svp = options.user_svp;
    return frame;
}

double FrameOffset(const ZodiacFrame& frame, double jd_et) {
    const int zodiac = frame.zodiac == 0 ? 1 : frame.zodiac;
    if (frame.precession_corrected && zodiac == astro::kTropicalZodiac) {
        // The change of a sidereal offset since the base moment: the precession, negative
        // when jd_et is later, which brings the longitude back to the base moment's equinox.
        return astro::ZodiacOffset(kFaganBradley, jd_et, true, 0.0) -
               astro::ZodiacOffset(kFaganBradley, frame.base_jd_et, true, 0.0);
    }
    return astro::ZodiacOffset(zodiac, jd_et, frame.true_node, frame.user_svp);
}

bool HasPlace(int point) {
    if (point == astro::kEarth || point == astro::kSouthNode) {
        return true;
    }
    return point >= 1 && point <= astro::kFixedPointCount &&
           astro::SwissBodyOf(point, true, false) >= 0;
}

double MeanDailyMotion(int point) {
    // Mean geocentric motions: 360 degrees over the sidereal period of the body (the Sun's
    // for Mercury and Venus, which keep company with it), the tropical month for the Moon.
    switch (point) {
        case astro::kMoon:
            return 13.176358;
        case astro::kEarth:
        case astro::kSun:
        case astro::kVulcan:
        case astro::kMercury:
        case astro::kVenus:
            return 0.985647;
        case astro::kMars:
            return 0.524033;
        case astro::kJupiter:
            return 0.083091;
        case astro::kSaturn:
            return 0.033460;
        case astro::kUranus:
            return 0.011733;
        case astro::kNeptune:
            return 0.005981;
        case astro::kPluto:
            return 0.003979;
        case astro::kChiron:
            return 0.019457;
        case astro::kVesta:
            return 0.271553;
        case astro::kPallas:
            return 0.213429;
        case astro::kJuno:
            return 0.225823;
        case astro::kCeres:
            return 0.214121;
        case astro::kHygeia:
            return 0.177000;
        case astro::kAstraea:
            return 0.238500;
        case astro::kNorthNode:
        case astro::kSouthNode:
            return -0.052954;
        case astro::kBlackMoon:
            return 0.111404;
        case astro::kSelena:
            return 0.140800;
        case astro::kSedna:
            return 0.0000865;
        case astro::kEris:
            return 0.001767;
        default:
            break;
    }
    if (point >= astro::kCupido && point <= astro::kTranspluto) {
        // The hypothetical bodies move less than a degree a year.
        return 0.002;
    }
    return 0.0;
}

std::optional<PointPlace> PlaceOf(int point, double jd_et, const ZodiacFrame& frame) {
    const ScratchSlot scratch;
    astro::ChartSlot& slot = scratch.slot();
    astro::PositionOptions options;
    options.true_node = frame.true_node;
    const int body = point == astro::kEarth       ? astro::kSun
                     : point == astro::kSouthNode ? astro::kNorthNode
                                                  : point;
    if (astro::CalcPositions(slot, body, body, jd_et, FrameOffset(frame, jd_et), options) !=
            astro::PositionStatus::kOk ||
        slot.longitude[static_cast<std::size_t>(body)] < 0.0) {
        return std::nullopt;
    }
    PointPlace place{slot.longitude[static_cast<std::size_t>(body)],
                     slot.speed[static_cast<std::size_t>(body)]};
    if (body != point) {
        place.longitude = astro::Norm360(place.longitude + 180.0);
    }
    return place;
}

startup::StatusOr<double> SolveLongitude(const SolverRequest& request) {
    const double requested = request.accuracy_arcsec < 0.1 ? 0.1 : request.accuracy_arcsec;
    const double first_tolerance = requested / 3600.0;
    const double later_tolerance =
        requested < kFineAttemptArcsec ? kFinestTolerance : first_tolerance;
    static constexpr double kScale[3] = {1.0, 0.5, 2.0};
    for (int attempt = 0; attempt < 3; ++attempt) {
        const double tolerance = attempt == 0 ? first_tolerance : later_tolerance;
        double speed = request.speed * kScale[attempt];
        const double period = request.period * kScale[attempt];
        double jd = request.jd_et_estimate;
        auto place = PlaceOf(request.point, jd, request.frame);
        if (!place) {
            return NoPosition();
        }
        bool found = false;
        for (int iteration = 0; iteration < kSolverIterations; ++iteration) {
            const double d = astro::Norm180(request.target - place->longitude);
            if (std::fabs(d) <= tolerance) {
                found = true;
                break;
            }
            const double step = std::fabs(d) <= kStepLimitDegrees || period == 0.0
                                    ? d / speed
                                    : kLongStepFactor * period * d / 360.0;
            if (!std::isfinite(step)) {
                break;
            }
            jd += step;
            place = PlaceOf(request.point, jd, request.frame);
            if (!place) {
                return NoPosition();
            }
            speed = place->speed;
        }
        if (!found) {
            continue;
        }
        if (request.fine_refinement) {
            for (int iteration = 0; iteration < kSolverIterations; ++iteration) {
                const double d = astro::Norm180(request.target - place->longitude);
                if (std::fabs(d) <= kFineTolerance || place->speed == 0.0) {
                    break;
                }
                jd += d / place->speed;
                place = PlaceOf(request.point, jd, request.frame);
                if (!place) {
                    return NoPosition();
                }
            }
        }
        return jd;
    }
    return NonConvergence();
}

}  // namespace meridia::returns
