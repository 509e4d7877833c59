#include "startup/command_line.h"

#include <charconv>

#include "startup/text_tools.h"

namespace meridia::startup {

namespace {

// The positive number a word holds, or 0.
int ChartNumberOf(std::string_view word) {
    int value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value < 1) {
        return 0;
    }
    return value;
}

}  // namespace

std::vector<std::string> SplitCommandWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool have_word = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            have_word = true;
        } else if (!quoted && (c == ' ' || c == ',' || c == '\t')) {
            if (have_word) {
                words.push_back(word);
                word.clear();
                have_word = false;
            }
        } else {
            word += c;
            have_word = true;
        }
    }
    if (have_word) {
        words.push_back(word);
    }
    return words;
}

CommandLine ParseCommandWords(const std::vector<std::string>& words) {
    CommandLine command;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string upper = UpperAscii(words[i]);
        if (upper == "LOAD") {
            if (i + 1 < words.size() && !words[i + 1].empty()) {
                command.load_file = words[i + 1];
                command.chart_number = 1;
                ++i;
                if (i + 1 < words.size()) {
                    if (const int number = ChartNumberOf(words[i + 1]); number > 0) {
                        command.chart_number = number;
                        ++i;
                    }
                }
            }
        } else if (upper == "LIST") {
            command.list_mode = true;
        } else if (upper.find("/V") != std::string::npos) {
            command.verbose = true;
        }
    }
    return command;
}

CommandLine ParseCommandLine(std::string_view text) {
    return ParseCommandWords(SplitCommandWords(text));
}

}  // namespace meridia::startup
