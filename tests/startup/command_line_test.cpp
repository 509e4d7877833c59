#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace meridia::startup {
namespace {

struct Case {
    const char* text;
    const char* load_file;
    int chart_number;
    bool list_mode;
    bool verbose;
};

TEST(ParseCommandLine, ReadsLoadListAndVerbose) {
    const Case cases[] = {
        {"", "", 0, false, false},
        {"LOAD /home/ann/charts/family.MDcht 3", "/home/ann/charts/family.MDcht", 3, false, false},
        {"load,family.MDcht,12", "family.MDcht", 12, false, false},
        {"LOAD family.MDcht", "family.MDcht", 1, false, false},
        {"LOAD family.MDcht LIST", "family.MDcht", 1, true, false},
        {"LOAD \"My Charts/family.MDcht\" 2 /V", "My Charts/family.MDcht", 2, false, true},
        {"LIST", "", 0, true, false},
        {"list /v", "", 0, true, true},
        {"-x/Verbose", "", 0, false, true},
        {"LOAD", "", 0, false, false},
        {"LOAD f.MDcht 0", "f.MDcht", 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CommandLine command = ParseCommandLine(c.text);
        EXPECT_EQ(command.load_file, c.load_file);
        EXPECT_EQ(command.chart_number, c.chart_number);
        EXPECT_EQ(command.list_mode, c.list_mode);
        EXPECT_EQ(command.verbose, c.verbose);
    }
}

TEST(SplitCommandWords, BlanksAndCommasSeparateQuotesGroup) {
    EXPECT_EQ(SplitCommandWords("  a, b ,,c \"d e\""),
              (std::vector<std::string>{"a", "b", "c", "d e"}));
}

}  // namespace
}  // namespace meridia::startup
