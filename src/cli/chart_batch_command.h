// meridia-cli chart --file PATH --all: every chart of a chart file calculated in one process
// and listed one after another (readable text, or one JSON document per line).
#pragma once

#include <string>

#include "cli/cli_context.h"

namespace meridia::cli {

// Lists every chart of the file; returns the exit status: 2 when the file cannot be read or
// one of its charts could not be calculated (each such chart having said why), else 0.
int RunChartBatch(CliContext& ctx, const std::string& file);

}  // namespace meridia::cli
