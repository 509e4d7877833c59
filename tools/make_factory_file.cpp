// Writes one binary factory file from its text source:
//   meridia_make_factory_file SOURCE OUTPUT
// The output's extension chooses the kind: ".asp" an aspect set, ".pts", ".trp", ".adp",
// ".prp", ".etp", ".epp" or ".erp" a point selection. A fault in the source is reported as
// "SOURCE:LINE: what" and no file is written.
#include <cstdio>

#include "factory_text.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: meridia_make_factory_file SOURCE OUTPUT\n");
        return 2;
    }
    const meridia::startup::Status status = meridia::tools::MakeFactoryFile(argv[1], argv[2]);
    if (!status.ok()) {
        std::fprintf(stderr, "%s\n", status.message().c_str());
        return 1;
    }
    return 0;
}
