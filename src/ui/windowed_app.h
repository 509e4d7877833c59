// meridia, the windowed program: reads its own options (--user-dir, --screenshot, --sample,
// --help) and the program's command line words ("LOAD file n", "LIST", "/V"), starts the
// session through the same start-up code as the command line, and opens the main window.
#pragma once

#include <string>
#include <vector>

#include "charts/chart_entry.h"

namespace meridia::ui {

struct WindowOptions {
    std::string user_dir;
    std::string screenshot;  // render the main window into this PNG and exit
    bool sample = false;     // open the sample chart
    bool help = false;
    std::string command_line;  // the remaining words
    std::string error;         // an option without its value
};

// Reads the arguments after the program name.
WindowOptions ParseWindowOptions(const std::vector<std::string>& args);

// The sample chart of the README: Ulm, 14 March 1879, 11:30 local mean time.
charts::ChartEntry SampleEntry();

// The usage text of --help.
std::string WindowUsage();

int RunWindowedProgram(int argc, char** argv);

}  // namespace meridia::ui
