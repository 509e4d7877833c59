#include "directions/mundane_table.h"

#include <string>

#include "astro/chart_table.h"
#include "charts/point_list.h"

namespace meridia::directions {

startup::StatusOr<SpeculumTable> CalculateSpeculumTable(const charts::ChartEntry& entry,
                                                        const std::string& points) {
    const startup::Status status = charts::CalculateChartEntry(entry, kSpeculumSlot);
    if (!status.ok()) {
        return status;
    }
    const astro::ChartSlot& chart = astro::Slot(kSpeculumSlot);
    const int in_use = astro::PointsInUse();
    charts::PointSelection selection;
    if (points.empty()) {
        for (int p = 1; p <= in_use; ++p) {
            charts::SelectPoint(selection, p);
        }
    } else {
        auto read = charts::ReadPointsOption(points, charts::SelectionKind::kDisplayed, in_use);
        if (!read.ok()) {
            return read.status();
        }
        selection = *read;
    }
    const auto& column = chart.record.coords == 2 ? selection.heliocentric : selection.geocentric;
    SpeculumTable table;
    table.chart_name = chart.record.data.name;
    for (int p = 1; p <= in_use && p <= astro::kMaxPoints; ++p) {
        if (!column[static_cast<std::size_t>(p)] ||
            chart.longitude[static_cast<std::size_t>(p)] < 0.0) {
            continue;
        }
        SpeculumRow row;
        row.number = p;
        row.speculum.InitToChart(chart, p);
        table.rows.push_back(row);
    }
    return table;
}

}  // namespace meridia::directions
