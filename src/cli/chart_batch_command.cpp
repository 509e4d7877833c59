#include "cli/chart_batch_command.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "charts/chart_batch.h"
#include "cli/chart_output.h"
#include "cli/cli_app.h"
#include "startup/messages.h"

namespace meridia::cli {

namespace {

constexpr int kBatchSlot = 1;

}  // namespace

int RunChartBatch(CliContext& ctx, const std::string& file) {
    std::ostream& out = *ctx.out;
    bool all_calculated = true;
    const startup::Status status =
        charts::CalculateChartFile(file, kBatchSlot, [&](const charts::BatchChart& chart) {
            if (chart.slot == nullptr) {
                all_calculated = false;
                if (ctx.json) {
                    const nlohmann::json line = {{"chart", chart.number},
                                                 {"error", chart.status.message()}};
                    out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                        << '\n';
                } else {
                    chart.status.Show();
                }
                return true;
            }
            if (ctx.json) {
                out << ChartJson(*chart.slot)
                           .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                    << '\n';
            } else {
                if (chart.number > 1) {
                    out << '\n';
                }
                charts::WriteChartListing(out, *chart.slot);
            }
            return true;
        });
    out.flush();
    if (!status.ok()) {
        // Refused like a chart of the file asked for alone.
        status.Show(startup::kExclamation);
        return kExitRefused;
    }
    return all_calculated ? kExitOk : kExitRefused;
}

}  // namespace meridia::cli
