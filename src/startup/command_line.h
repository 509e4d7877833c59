// The program's command line: words separated by blanks or commas (a word in double quotes
// may hold blanks). "LOAD" followed by a chart file name and a chart number opens that file
// and selects that chart; "LIST" sets list mode; a word containing "/V" sets verbose mode.
// Keywords are matched without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace meridia::startup {

struct CommandLine {
    std::string load_file;  // chart file to open; empty when there is no LOAD
    int chart_number = 0;   // 1-based chart to select in it (1 when LOAD gives none)
    bool list_mode = false;
    bool verbose = false;
};

// Splits the text into words at blanks and commas; double quotes group a word.
std::vector<std::string> SplitCommandWords(std::string_view text);

// Reads the words. A LOAD without a file name is ignored; a chart number that is missing or
// not a positive number gives chart 1.
CommandLine ParseCommandWords(const std::vector<std::string>& words);

// SplitCommandWords then ParseCommandWords.
CommandLine ParseCommandLine(std::string_view text);

}  // namespace meridia::startup
