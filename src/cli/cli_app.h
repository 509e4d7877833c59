// meridia-cli: the headless command line. RunCli parses the arguments, starts a session and
// runs one subcommand; it returns the process exit status (0 done, 2 input refused, 1 other
// failure). Output goes to the given streams so tests can run it in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace meridia::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitRefused = 2;

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace meridia::cli
