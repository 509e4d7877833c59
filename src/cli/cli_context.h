// What every subcommand shares: the common options and the output streams.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "charts/chart_entry.h"
#include "startup/status.h"

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

// Shows a core status through the message sink (nothing for success or a message shown
// already) and gives the exit status: 0 success, 2 for refused input and dates outside the
// ephemeris, 1 for any other failure.
int ExitFor(const startup::Status& status);
// The same for a job whose only failure is kFailed: every other status is refused input (2).
int ExitForJob(const startup::Status& status);

// The --extra option of the commands that calculate charts, read into the chart entry
// (stars_command.cpp).
void AddExtraOption(CLI::App& command, charts::ChartEntry& entry);

// Each subcommand registers itself on the app and sets ctx.action from its callback.
void AddChartCommand(CLI::App& app, CliContext& ctx);     // chart_command.cpp
void AddFilesCommand(CLI::App& app, CliContext& ctx);     // files_command.cpp
void AddAspectsCommand(CLI::App& app, CliContext& ctx);   // aspects_command.cpp
void AddPlaceCommands(CLI::App& app, CliContext& ctx);    // place_command.cpp (place, zone)
void AddDeriveCommands(CLI::App& app, CliContext& ctx);   // derive_command.cpp (derive, riseset)
void AddWheelCommands(CLI::App& app, CliContext& ctx);    // wheel_command.cpp (wheel, style)
void AddDynamicCommand(CLI::App& app, CliContext& ctx);   // dynamic_command.cpp
void AddSpeculumCommand(CLI::App& app, CliContext& ctx);  // mundane_positions_command.cpp
// returns_command.cpp: return and voc; eclipses and lunar-phases.
void AddReturnCommands(CLI::App& app, CliContext& ctx);
void AddEclipseCommands(CLI::App& app, CliContext& ctx);
void AddReportCommand(CLI::App& app, CliContext& ctx);  // report_command.cpp
void AddStarsCommand(CLI::App& app, CliContext& ctx);   // stars_command.cpp

}  // namespace meridia::cli
