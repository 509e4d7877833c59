#include "cli/cli_context.h"

namespace meridia::cli {

void AddChartCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("chart", "Calculate and list one chart");
    cmd->callback([&ctx] { ctx.action = [] { return 1; }; });
}

}  // namespace meridia::cli
