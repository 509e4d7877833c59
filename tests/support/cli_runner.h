// Runs meridia-cli in-process for the command tests: the arguments after the program name,
// stdout and stderr captured, the user-files folder inside the test's temporary folder.
// Header-only: only the test binaries that link the command line include it.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "support/test_session.h"

namespace meridia::testing {

class CliTest : public SessionTest {
protected:
    // meridia-cli --user-dir <temp>/user ARGS...; the exit status.
    int Run(const std::vector<std::string>& args) {
        std::vector<std::string> full = {"--user-dir", UserDir().string()};
        full.insert(full.end(), args.begin(), args.end());
        return RunBare(full);
    }
    // meridia-cli ARGS... without a user-files folder of its own.
    int RunBare(const std::vector<std::string>& args) {
        std::vector<std::string> full = {"meridia-cli"};
        full.insert(full.end(), args.begin(), args.end());
        out_.str("");
        err_.str("");
        return cli::RunCli(full, out_, err_);
    }
    std::filesystem::path UserDir() const { return temp() / "user"; }
    std::string Out() const { return out_.str(); }
    std::string Err() const { return err_.str(); }

    std::ostringstream out_;
    std::ostringstream err_;
};

}  // namespace meridia::testing
