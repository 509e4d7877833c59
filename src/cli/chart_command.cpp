// meridia-cli chart: calculates one chart and lists it (readable text or JSON).
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "astro/angles.h"
#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/houses.h"
#include "cli/chart_options.h"
#include "cli/chart_output.h"
#include "cli/cli_app.h"
#include "cli/cli_context.h"
#include "startup/name_tables.h"
#include "textformats/angle_text.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"

namespace meridia::cli {

namespace {

constexpr int kChartSlot = 1;

int RunChart(CliContext& ctx, const ChartOptions& options) {
    const auto record = BuildChartRecord(options, DefaultChartLoader());
    if (!record) {
        return kExitRefused;
    }
    const astro::CalcStatus status = astro::CalcChart(*record, kChartSlot, 0, 0, true, true);
    if (status == astro::CalcStatus::kOutOfRange) {
        astro::ReportOutOfRange();
        return kExitRefused;
    }
    if (status != astro::CalcStatus::kOk) {
        return kExitFailure;
    }
    if (record->house_system < astro::kFirstHouseSystem ||
        record->house_system > astro::kLastHouseSystem) {
        return kExitRefused;  // the house calculation has said why
    }
    const astro::ChartSlot& slot = astro::Slot(kChartSlot);
    if (ctx.json) {
        *ctx.out << ChartJson(slot).dump() << '\n';
    } else {
        WriteChartListing(*ctx.out, slot);
    }
    return kExitOk;
}

}  // namespace

void AddChartCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("chart", "Calculate and list one chart");
    auto options = std::make_shared<ChartOptions>();
    AddChartOptions(*cmd, *options, "--");
    cmd->callback(
        [&ctx, options] { ctx.action = [&ctx, options] { return RunChart(ctx, *options); }; });
}

}  // namespace meridia::cli
