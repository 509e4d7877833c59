#include "cli/cli_context.h"

namespace meridia::cli {

void AddAspectsCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("aspects", "Not available yet");
    cmd->callback([&ctx] { ctx.action = [] { return 1; }; });
}

}  // namespace meridia::cli
