#include "aspects/chart_aspects.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "aspects/aspect_manager.h"
#include "astro/extra_points.h"
#include "charts/point_list.h"
#include "startup/session.h"

namespace meridia::aspects {

namespace {

using startup::Status;
using startup::StatusCode;

void AddPair(const AspectSet& chart_set, const ChartAspectsRequest& request, const AspectPoint& a,
             const AspectPoint& b, bool same_chart, std::vector<ChartAspect>& found) {
    const PairSet pair = SetForPair(chart_set, request, a.point, b.point);
    const AspectSet& set = *pair.set;
    const AspectResult r = FindAspect(set, a, b, request.orb_kind, same_chart, request.partile);
    if (r.found()) {
        found.push_back({a.point, b.point, r, set.Aspect(r.aspect).name, pair.type});
    }
    if (a.longitude < 0.0 || b.longitude < 0.0) {
        return;
    }
    const AspectResult p =
        FindParallel(set, a, b, ParallelBasis::kDeclination, request.orb_kind, same_chart);
    if (p.found()) {
        found.push_back({a.point, b.point, p, set.Aspect(p.aspect).name, pair.type});
    }
}

bool IsKind(int point, astro::ExtraKind kind) {
    const astro::ExtraPointDefinition* def = astro::ExtraPointOf(point);
    return def != nullptr && def->kind == kind;
}

// Every point in use, in both columns.
charts::PointSelection EveryPoint(int points_in_use) {
    charts::PointSelection selection;
    for (int p = 1; p <= points_in_use; ++p) {
        selection.geocentric[static_cast<std::size_t>(p)] = true;
        selection.heliocentric[static_cast<std::size_t>(p)] = true;
    }
    return selection;
}

// Puts the named set in force in place of the chart set. The loader's status is returned as
// it is, nothing shown: the caller shows it.
Status UseAspectSet(AspectManager& manager, const std::string& name) {
    if (name.empty()) {
        return {};
    }
    return manager.SetTempAspects(name, false);
}

}  // namespace

AspectPoint AspectPointOf(const astro::ChartSlot& slot, int slot_number, int point) {
    const auto i = static_cast<std::size_t>(point);
    AspectPoint p;
    p.chart = slot_number;
    p.point = point;
    p.longitude = slot.longitude[i];
    p.latitude = slot.latitude[i];
    p.speed = slot.speed[i];
    p.latitude_speed = slot.latitude_speed[i];
    p.declination = slot.declination[i];
    p.declination_speed = DeclinationSpeed(slot.longitude[i] - slot.zodiac_offset, slot.latitude[i],
                                           slot.speed[i], slot.latitude_speed[i], slot.obliquity);
    return p;
}

startup::StatusOr<charts::PointSelection> AspectedSelection(const std::string& points,
                                                            int points_in_use) {
    if (!points.empty()) {
        return charts::ReadPointsOption(points, charts::SelectionKind::kAspected, points_in_use);
    }
    charts::PointSelection selection;
    const std::string name = startup::CurrentSession().settings().GetString("AspPntFileName");
    if (charts::LoadPointSelection(name, charts::SelectionKind::kAspected, selection, points_in_use)
            .loaded) {
        return selection;
    }
    return EveryPoint(points_in_use);
}

std::vector<int> SelectedPoints(const charts::PointSelection& selection, int coords,
                                int points_in_use) {
    std::vector<int> points;
    for (int p = 1; p <= points_in_use; ++p) {
        const auto i = static_cast<std::size_t>(p);
        if (coords == 2 ? selection.heliocentric[i] : selection.geocentric[i]) {
            points.push_back(p);
        }
    }
    return points;
}

PairSet SetForPair(const AspectSet& chart_set, const ChartAspectsRequest& request, int point_a,
                   int point_b) {
    if (point_a <= astro::kFixedPointCount && point_b <= astro::kFixedPointCount) {
        return {&chart_set, static_cast<int>(AspectFileType::kChart)};
    }
    const auto either = [point_a, point_b](astro::ExtraKind kind) {
        return IsKind(point_a, kind) || IsKind(point_b, kind);
    };
    if (request.star_set != nullptr && either(astro::ExtraKind::kStar)) {
        return {request.star_set, static_cast<int>(AspectFileType::kStar)};
    }
    if (request.part_set != nullptr && either(astro::ExtraKind::kPart)) {
        return {request.part_set, static_cast<int>(AspectFileType::kPart)};
    }
    if (request.asteroid_set != nullptr && either(astro::ExtraKind::kAsteroid)) {
        return {request.asteroid_set, static_cast<int>(AspectFileType::kAsteroid)};
    }
    return {&chart_set, static_cast<int>(AspectFileType::kChart)};
}

std::vector<ChartAspect> FindChartAspects(const AspectSet& set,
                                          const ChartAspectsRequest& request) {
    const int in_use = astro::PointsInUse();
    const charts::PointSelection selection =
        request.selection ? *request.selection : EveryPoint(in_use);
    const astro::ChartSlot& slot_a = astro::Slot(request.slot_a);
    const std::vector<int> points_a = SelectedPoints(selection, slot_a.record.coords, in_use);
    std::vector<ChartAspect> found;
    if (request.slot_b != 0) {
        const astro::ChartSlot& slot_b = astro::Slot(request.slot_b);
        const std::vector<int> points_b = SelectedPoints(selection, slot_b.record.coords, in_use);
        for (const int pa : points_a) {
            const AspectPoint a = AspectPointOf(slot_a, request.slot_a, pa);
            for (const int pb : points_b) {
                AddPair(set, request, a, AspectPointOf(slot_b, request.slot_b, pb), false, found);
            }
        }
        return found;
    }
    for (std::size_t i = 0; i < points_a.size(); ++i) {
        const AspectPoint a = AspectPointOf(slot_a, request.slot_a, points_a[i]);
        for (std::size_t j = i + 1; j < points_a.size(); ++j) {
            AddPair(set, request, a, AspectPointOf(slot_a, request.slot_a, points_a[j]), true,
                    found);
        }
    }
    return found;
}

startup::StatusOr<AspectGrid> CalculateAspectGrid(const AspectGridJob& job) {
    AspectManager& manager = Aspects();
    manager.ReadIni();
    if (Status status = UseAspectSet(manager, job.aspect_set); !status.ok()) {
        return status;
    }
    if (job.orb_kind < kOrbNatal || job.orb_kind > kOrbTransit) {
        return Status(StatusCode::kRefused, "");
    }
    if (Status status = charts::CalculateChartEntry(job.first, kGridSlotA); !status.ok()) {
        return status;
    }
    if (job.second) {
        if (Status status = charts::CalculateChartEntry(*job.second, kGridSlotB); !status.ok()) {
            return status;
        }
    }
    auto selection = AspectedSelection(job.points, astro::PointsInUse());
    if (!selection.ok()) {
        return selection.status();
    }
    if (!job.first.extra.empty() && job.points.empty()) {
        // The extra points asked for take part besides the selection in force.
        for (int p = astro::kFixedPointCount + 1; p <= astro::PointsInUse(); ++p) {
            selection->geocentric[static_cast<std::size_t>(p)] = true;
            selection->heliocentric[static_cast<std::size_t>(p)] = true;
        }
    }

    ChartAspectsRequest request;
    request.slot_a = kGridSlotA;
    request.slot_b = job.second ? kGridSlotB : 0;
    request.selection = *selection;
    request.orb_kind = job.orb_kind;
    request.partile = PartileRuleFromSettings();
    request.star_set = &manager.Set(AspectFileType::kStar);
    request.asteroid_set = &manager.Set(AspectFileType::kAsteroid);
    request.part_set = &manager.Set(AspectFileType::kPart);

    const AspectSet& set = manager.ChartSet();
    AspectGrid grid;
    grid.set_file = manager.AspectFile();
    grid.set_description = set.header.description;
    grid.name_a = astro::Slot(kGridSlotA).record.data.name;
    if (job.second) {
        grid.name_b = astro::Slot(kGridSlotB).record.data.name;
    }
    grid.aspects = FindChartAspects(set, request);
    return grid;
}

}  // namespace meridia::aspects
