#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    return meridia::cli::RunCli(args, std::cout, std::cerr);
}
