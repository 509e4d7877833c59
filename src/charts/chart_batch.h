// Batch calculation of a chart file: every chart of a file of any format the program reads,
// calculated in turn into one slot of the chart table and handed to the caller in file order,
// so that a script can list thousands of charts in one process. Single-threaded, like the
// chart table it fills.
#pragma once

#include <filesystem>
#include <functional>

#include "astro/chart_table.h"
#include "startup/status.h"

namespace meridia::charts {

// One chart of the walk: its number in the file (1..N) and either the calculated chart or the
// status that says why it could not be calculated (the message as the program words it).
// Messages that do not stop the calculation (the polar-houses note) have been shown through
// ShowMessage as usual; those of a chart that failed are only in its status.
struct BatchChart {
    int number = 0;
    const astro::ChartSlot* slot = nullptr;  // valid until the callback returns
    startup::Status status;
};

// Called once per chart, in file order; returning false stops the walk.
using BatchChartCallback = std::function<bool(const BatchChart& chart)>;

// Reads each chart of the file and calculates it fully (points, equatorial coordinates,
// houses) into the given slot of the chart table. The status is that of the file: not ok when
// it cannot be opened (its message names the file), ok once every chart has been handed over,
// whatever the charts' own statuses.
startup::Status CalculateChartFile(const std::filesystem::path& file_name, int slot,
                                   const BatchChartCallback& each);

}  // namespace meridia::charts
