#include "charts/derived_entry.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "astro/chart_table.h"
#include "startup/name_tables.h"
#include "startup/session.h"

namespace meridia::charts {

namespace {

using startup::Status;
using startup::StatusCode;

Status StatusOfSubsidiary(astro::SubsidiaryStatus status, const std::string& title) {
    switch (status) {
        case astro::SubsidiaryStatus::kOk:
            return {};
        case astro::SubsidiaryStatus::kRefused:
        case astro::SubsidiaryStatus::kFailed:
            return {StatusCode::kRefused, ""};  // the calculation has said why
        case astro::SubsidiaryStatus::kBadSlot:
            return {StatusCode::kRefused, "The base charts of this chart class are missing.",
                    title};
        case astro::SubsidiaryStatus::kNotAvailable:
            return {StatusCode::kFailed, "This chart class is not calculated by derive.", title};
    }
    return {StatusCode::kFailed, ""};
}

// A base chart or target that cannot be used is refused input, whatever kept it from opening.
Status AsRefusal(const Status& status) {
    return {StatusCode::kRefused, status.message(), status.title(), status.path()};
}

// Puts the target moment into the request's record. A target typed without a place keeps the
// base chart's place, and without zone and place the base chart's zone.
Status ApplyTarget(const ChartEntry& typed, int base_slot, astro::SubsidiaryRequest& request) {
    ChartEntry target = typed;
    const bool has_place = !target.place.empty() || (!target.lat.empty() && !target.lon.empty());
    if (!has_place) {
        // Any valid coordinates do: the base chart's place replaces them below.
        target.lat = "0N00";
        target.lon = "0E00";
    }
    if (target.date.empty()) {
        return {StatusCode::kRefused, "A target needs " + target.field_prefix + "date.",
                target.refusal_title};
    }
    const auto record = BuildChartRecord(target);
    if (!record.ok()) {
        return record.status();
    }
    const astro::ChartRecord& base = astro::Slot(base_slot).record;
    const std::string name = request.record.data.name;
    request.record.data = record->data;
    request.record.data.name = name;
    if (!has_place) {
        request.record.data.place = base.data.place;
    }
    if (target.zone.empty() && target.place.empty()) {
        request.record.data.zone = base.data.zone;
    }
    return {};
}

}  // namespace

astro::ChartRecord TransitsRecord(const astro::ChartRecord& radix,
                                  const astro::CompactDateTime& local_time, float zone_hours) {
    astro::ChartRecord transit = radix;
    transit.chart_class = static_cast<std::uint8_t>(astro::kClassNatal);
    transit.chart_kind = 1;
    transit.data.name = "Transits";
    transit.data.calendar = 0;
    transit.data.date_time = local_time;
    transit.data.zone.hours = zone_hours;
    transit.data.zone.mnemonic.clear();
    return transit;
}

startup::StatusOr<astro::HorizonMode> ReadHorizon(const std::string& text,
                                                  const std::string& title) {
    if (text.empty()) {
        return astro::HorizonModeFromSettings();
    }
    if (text == "visual" || text == "Visual") {
        return astro::HorizonMode::kVisual;
    }
    if (text == "true" || text == "True") {
        return astro::HorizonMode::kTrue;
    }
    return Status(StatusCode::kRefused, "--horizon is visual or true.", title);
}

int DefaultProgressedKind() {
    return std::max(1, startup::CurrentSession().settings().GetInt("ProgAngles"));
}

std::string DerivedChartName(const std::string& base_name, int chart_class, int chart_kind) {
    const auto& names = startup::Names();
    const std::string kind_name = names.ChartKindName(chart_kind);
    std::string name = base_name + " - " + names.ChartClassName(chart_class);
    if (chart_class == astro::kClassCombined && !kind_name.empty()) {
        name += " (" + kind_name + ")";
    }
    return name;
}

bool IsProgressionClass(int chart_class) {
    return chart_class == astro::kClassSecondary || chart_class == astro::kClassDirected ||
           chart_class == astro::kClassTertiary || chart_class == astro::kClassMinor ||
           chart_class == astro::kClassUserProgression ||
           chart_class == astro::kClassTrueTertiary || chart_class == astro::kClassTransits;
}

startup::StatusOr<DerivedChart> OpenDerivedChart(const DerivedChartJob& job) {
    const int chart_class = job.request.record.chart_class;
    const int chart_kind = job.request.record.chart_kind;
    if (chart_class < 1 || chart_class > 18 || chart_kind < 1 || chart_kind > 80) {
        return Status(StatusCode::kRefused, "--class is 1 to 18 and --kind 1 to 80.",
                      job.base.refusal_title);
    }
    const auto horizon = ReadHorizon(job.horizon, job.base.refusal_title);
    if (!horizon.ok()) {
        return horizon.status();
    }
    const auto base = OpenChartEntry(job.base);
    if (!base.ok()) {
        return AsRefusal(base.status());
    }
    astro::SubsidiaryRequest request = job.request;
    request.horizon = *horizon;
    request.base_slot = *base;
    request.other_slots.clear();
    if (job.second) {
        const auto second = OpenChartEntry(*job.second);
        if (!second.ok()) {
            return AsRefusal(second.status());
        }
        request.other_slots.push_back(*second);
    }
    return OpenDerivedChartOfSlots(request, job.target, job.base.refusal_title);
}

startup::StatusOr<DerivedChart> OpenDerivedChartOfSlots(const astro::SubsidiaryRequest& job,
                                                        const std::optional<ChartEntry>& target,
                                                        const std::string& title) {
    const int chart_class = job.record.chart_class;
    astro::SubsidiaryRequest request = job;
    request.record = astro::Slot(job.base_slot).record;
    request.record.chart_class = job.record.chart_class;
    request.record.chart_kind = job.record.chart_kind;
    if (chart_class != astro::kClassRiseSet && chart_class != astro::kClassNatal) {
        // Derived charts are named after their base charts; a natal request and a rise/set
        // request are calculated from the record itself and keep its name.
        request.record.data.name.clear();
    }
    if (target) {
        if (Status status = ApplyTarget(*target, job.base_slot, request); !status.ok()) {
            return AsRefusal(status);
        }
    }

    const int target_slot = astro::FindFreeSlot();
    if (target_slot < 0) {
        return Status(StatusCode::kFailed, kNoFreeSlotText, title);
    }
    const Status status =
        StatusOfSubsidiary(astro::CalcSubsidiaryChart(request, target_slot), title);
    if (!status.ok()) {
        return status;
    }
    DerivedChart chart;
    chart.slot = target_slot;
    chart.progression = IsProgressionClass(chart_class);
    chart.arc =
        astro::DerivedInfo(target_slot).angle_method != 0 || chart_class == astro::kClassDirected;
    chart.harmonic = chart_class == astro::kClassHarmonic;
    return chart;
}

startup::StatusOr<RiseSetChoice> FindRiseSetChoice(const RiseSetJob& job) {
    const std::string& title = job.chart.refusal_title;
    if (job.point < 1 || job.point > astro::kFixedPointCount) {
        return Status(StatusCode::kRefused, "--point is a point number 1 to 50.", title);
    }
    if (job.pick && (*job.pick < 1 || *job.pick > astro::kRiseSetEventCount)) {
        return Status(StatusCode::kRefused, "--pick is 1 to 4.", title);
    }
    const auto horizon = ReadHorizon(job.horizon, title);
    if (!horizon.ok()) {
        return horizon.status();
    }
    const auto record = BuildChartRecord(job.chart);
    if (!record.ok()) {
        return record.status();
    }
    RiseSetChoice choice;
    choice.horizon = *horizon;
    choice.record = *record;
    const auto& dt = record->data.date_time;
    choice.times =
        astro::FindRiseSetTimes(job.point, dt.day, dt.month, dt.year, record->data.calendar,
                                static_cast<double>(record->data.place.latitude),
                                static_cast<double>(record->data.place.longitude), *horizon);
    if (!choice.times.ok) {
        return Status(StatusCode::kRefused, "");  // the search has said why
    }
    if (job.pick) {
        astro::SubsidiaryRequest request;
        request.record = *record;
        request.record.chart_class = astro::kClassRiseSet;
        request.record.chart_kind = static_cast<std::uint8_t>(job.point);
        request.horizon = *horizon;
        request.rise_set_event = *job.pick;
        choice.chart_slot = astro::FindFreeSlot();
        if (choice.chart_slot < 0) {
            return Status(StatusCode::kFailed, kNoFreeSlotText, title);
        }
        const Status status = StatusOfSubsidiary(
            astro::CalcSubsidiaryChart(request, choice.chart_slot), job.chart.refusal_title);
        if (!status.ok()) {
            return status;
        }
    }
    choice.lines = astro::RiseSetSelectionList(choice.times, record->data.zone.hours);
    return choice;
}

}  // namespace meridia::charts
