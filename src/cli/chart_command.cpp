// meridia-cli chart: calculates one chart and lists it (readable text or JSON).
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "astro/chart_table.h"
#include "charts/chart_entry.h"
#include "cli/chart_batch_command.h"
#include "cli/chart_options.h"
#include "cli/chart_output.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"

namespace meridia::cli {

namespace {

constexpr int kChartSlot = 1;

int RunChart(CliContext& ctx, const charts::ChartEntry& entry) {
    const startup::Status status = charts::CalculateChartEntry(entry, kChartSlot);
    if (!status.ok()) {
        return ExitFor(status);
    }
    const astro::ChartSlot& slot = astro::Slot(kChartSlot);
    if (ctx.json) {
        *ctx.out << ChartJson(slot).dump() << '\n';
    } else {
        charts::WriteChartListing(*ctx.out, slot);
    }
    return kExitOk;
}

}  // namespace

void AddChartCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("chart", "Calculate and list one chart");
    auto entry = std::make_shared<charts::ChartEntry>();
    AddChartOptions(*cmd, *entry, "--");
    AddExtraOption(*cmd, *entry);
    auto all = std::make_shared<bool>(false);
    cmd->add_flag("--all", *all,
                  "With --file: calculate every chart of the file in one run, in file order "
                  "(with --json one JSON document per line; a chart that cannot be calculated "
                  "gives {\"chart\": N, \"error\": \"...\"} and exit status 2)")
        ->needs("--file")
        ->excludes("--chart");
    cmd->callback([&ctx, entry, all] {
        ctx.action = [&ctx, entry, all] {
            return *all ? RunChartBatch(ctx, entry->file) : RunChart(ctx, *entry);
        };
    });
}

}  // namespace meridia::cli
