#include "cli/cli_context.h"

namespace meridia::cli {

void AddFilesCommand(CLI::App& app, CliContext& ctx) {
    auto* cmd = app.add_subcommand("files", "Not available yet");
    cmd->callback([&ctx] { ctx.action = [] { return 1; }; });
}

}  // namespace meridia::cli
