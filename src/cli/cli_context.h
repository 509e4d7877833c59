// What every subcommand shares: the common options and the output streams.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace meridia::cli {

struct CliContext {
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    bool json = false;
    std::string user_dir;
    std::vector<std::string> settings;  // KEY=VALUE
    std::string executable;
    // The subcommand chosen, run after the session has started. Returns the exit status.
    std::function<int()> action;
};

// Each subcommand registers itself on the app and sets ctx.action from its callback.
void AddChartCommand(CLI::App& app, CliContext& ctx);

}  // namespace meridia::cli
