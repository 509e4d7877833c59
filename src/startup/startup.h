// Process start: locates the program folder and the user-files folder, creates the
// user-files subfolders, refreshes factory files, loads the settings, the name tables and
// the zone mnemonics into the current session, and reads the command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace meridia::startup {

struct StartupOptions {
    // The program folder of factory files; empty: found from the executable (../share/meridia).
    std::filesystem::path program_dir;
    // A user-files folder forced for this run (the CLI's --user-dir); empty: located as usual.
    std::filesystem::path user_dir;
    // The executable's path, used to find the program folder.
    std::filesystem::path executable;
};

// Runs the start-up sequence on the current session. Returns false when the start must stop
// (the message has been shown).
bool StartSession(const StartupOptions& options);

// The version text of the program.
std::string ProgramVersion();

}  // namespace meridia::startup
