#include "cli/cli_context.h"

namespace meridia::cli {

void AddPlaceCommands(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("place", "Not available yet");
    cmd->callback([&ctx] { ctx.action = [] { return 1; }; });
}

}  // namespace meridia::cli
