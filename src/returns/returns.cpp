#include "returns/returns.h"

#include <algorithm>
#include <cmath>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "astro/time_scales.h"
#include "charts/chart_entry.h"
#include "returns/longitude_solver.h"
#include "startup/messages.h"

namespace meridia::returns {

namespace {

// A return closer than this to the start instant is not the next one but the start itself.
constexpr double kSkipDegrees = 0.1;
constexpr const char* kReturnTitle = "Returns";

startup::Status Refused(const std::string& text) {
    return {startup::StatusCode::kRefused, text, kReturnTitle};
}

}  // namespace

std::string ReturnProgressText(int n, int total) {
    return "Calculating Return " + std::to_string(n) + " of " + std::to_string(total);
}

startup::StatusOr<std::vector<FoundReturn>> FindReturns(const ReturnRequest& request,
                                                        const ReturnProgress& progress) {
    if (!astro::IsValidSlot(request.base_slot) ||
        astro::Slot(request.base_slot).chart_serial == 0) {
        return Refused("There is no base chart for the return.");
    }
    if (!HasPlace(request.point) || MeanDailyMotion(request.point) == 0.0) {
        return Refused("This point cannot be used for a return.");
    }
    if (!(request.harmonic >= 1.0) || request.harmonic > 360.0) {
        return Refused("The harmonic of a return must be from 1 to 360.");
    }
    if (request.count < 1 || request.count > kMaxReturnCount) {
        return Refused("The number of returns must be from 1 to 1000.");
    }
    const astro::ChartSlot& base = astro::Slot(request.base_slot);
    const std::size_t index = static_cast<std::size_t>(request.point);
    if (!request.user_position && base.longitude[index] < 0.0) {
        return Refused("The returning point has no position in the base chart.");
    }

    ZodiacFrame frame = FrameFromSettings(base.record.zodiac);
    frame.precession_corrected = request.precession_correction;
    frame.base_jd_et = base.julian_day;
    const double mean_speed = MeanDailyMotion(request.point);
    const double direction = mean_speed < 0.0 ? -1.0 : 1.0;
    const double speed = std::fabs(mean_speed);
    const double interval = 360.0 / request.harmonic;
    const double start_et = request.start_jd_ut + astro::DeltaT(request.start_jd_ut);
    const auto start_place = PlaceOf(request.point, start_et, frame);
    if (!start_place) {
        return startup::Status(startup::StatusCode::kOutOfRange, astro::kOutOfRangeText,
                               astro::kOutOfRangeTitle);
    }
    const double natal = request.user_position ? request.position : base.longitude[index];
    // The angle still to go, in the point's direction of motion, to the next target: 0..I.
    double d = astro::ModFloor(direction * (natal - start_place->longitude), interval);
    double first = 0.0;
    switch (request.which) {
        case WhichReturn::kNearest:
            first = d >= interval / 2.0 ? d - interval : d;
            break;
        case WhichReturn::kCurrent:
            if (request.converse) {
                first = d < kSkipDegrees ? d + interval : d;
            } else {
                first = d - interval;
            }
            break;
        case WhichReturn::kNext:
            if (request.converse) {
                first = d - interval;
            } else {
                first = d < kSkipDegrees ? d + interval : d;
            }
            break;
    }
    const double step = request.converse ? -interval : interval;

    SolverRequest solver;
    solver.point = request.point;
    solver.speed = mean_speed;
    solver.period = 360.0 / mean_speed;
    solver.accuracy_arcsec = request.calc_flag == 2 ? 0.0 : request.accuracy_arcsec;
    solver.fine_refinement = request.calc_flag == 1;
    solver.frame = frame;

    std::vector<FoundReturn> found;
    for (int n = 1; n <= request.count; ++n) {
        if (progress && !progress(n, request.count)) {
            break;
        }
        const double offset = first + (n - 1) * step;
        FoundReturn result;
        result.number = n;
        result.target = astro::Norm360(start_place->longitude + direction * offset);
        solver.target = result.target;
        solver.jd_et_estimate = start_et + offset / speed;
        const auto jd_et = SolveLongitude(solver);
        if (jd_et.ok()) {
            result.found = true;
            result.jd_ut = *jd_et - astro::DeltaT(*jd_et);
        } else {
            startup::ShowMessage(kNonConvergenceText, startup::kExclamation,
                                 kCannotFindReturnTitle);
        }
        found.push_back(result);
    }
    return found;
}

namespace {

// The chart record of a found return: the base chart at the return instant, class Return.
astro::ChartRecord ReturnRecord(const ReturnRequest& request, const FoundReturn& found) {
    const astro::ChartRecord& base = astro::Slot(request.base_slot).record;
    astro::ChartRecord record = base;
    record.chart_class = static_cast<std::uint8_t>(astro::kClassReturn);
    record.chart_kind = static_cast<std::uint8_t>(request.point);
    record.base = base.data;
    record.comment_link = 0;
    record.data.calendar = 0;
    record.data.date_time = astro::LocalDateTime(found.jd_ut, base.data.zone.hours);
    record.derived_params = {
        0, static_cast<std::uint8_t>(request.converse ? 1 : 0),
        static_cast<std::uint8_t>(std::clamp(std::lround(request.harmonic), 1L, 255L)),
        static_cast<std::uint8_t>(request.precession_correction ? 2 : 0)};
    return record;
}

astro::SubsidiaryStatus CalcReturnChart(const astro::SubsidiaryRequest& subsidiary,
                                        int target_slot) {
    ReturnRequest request;
    request.base_slot = subsidiary.base_slot;
    request.point = subsidiary.record.chart_kind;
    request.harmonic = subsidiary.harmonic;
    request.converse = subsidiary.converse;
    request.precession_correction = subsidiary.precession_correction;
    const astro::ChartData& data = subsidiary.record.data;
    request.start_jd_ut = astro::JulianDayOfDateTime(data.date_time, data.calendar,
                                                     static_cast<double>(data.zone.hours));
    const auto found = FindReturns(request);
    if (!found.ok()) {
        found.status().Show(startup::kExclamation);
        return found.status().code() == startup::StatusCode::kRefused
                   ? astro::SubsidiaryStatus::kRefused
                   : astro::SubsidiaryStatus::kFailed;
    }
    if (found->empty() || !found->front().found) {
        return astro::SubsidiaryStatus::kFailed;  // the message has been shown
    }
    astro::ChartRecord record = ReturnRecord(request, found->front());
    if (!subsidiary.record.data.name.empty()) {
        record.data.name = subsidiary.record.data.name;
    }
    if (astro::CalcChart(record, target_slot, 0, 0, true, true) != astro::CalcStatus::kOk) {
        return astro::SubsidiaryStatus::kFailed;
    }
    astro::DerivedSlotInfo& info = astro::DerivedInfo(target_slot);
    info = astro::DerivedSlotInfo{};
    info.derived = true;
    info.chart_class = astro::kClassReturn;
    info.chart_kind = request.point;
    info.converse = request.converse;
    info.harmonic = request.harmonic;
    info.base_slot = request.base_slot;
    return astro::SubsidiaryStatus::kOk;
}

}  // namespace

startup::StatusOr<int> OpenReturnChart(const ReturnRequest& request, const FoundReturn& found) {
    if (!found.found || !astro::IsValidSlot(request.base_slot)) {
        return startup::Status(startup::StatusCode::kNotConverged, kNonConvergenceText,
                               kCannotFindReturnTitle);
    }
    return charts::OpenChartRecord(ReturnRecord(request, found), "", 0, kReturnTitle);
}

void RegisterReturnCharts() { astro::SetReturnChartCalculator(CalcReturnChart); }

}  // namespace meridia::returns
