// Fuzz target: the INI reader with the profile semantics (sections and keys without case,
// values trimmed and cut to 255 characters), as every settings and index file is read.
// Input: the file.
// Properties: parsing never crashes, leaks or runs away; a value written reads back; the
// file written reads with the meaning it had.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_session.h"
#include "startup/ini_file.h"
#include "support/test_session.h"

using namespace meridia;

namespace {

// The section names the input seems to name (the text between '[' and ']' of its lines),
// so the lookups reach the sections the fuzzer made.
std::vector<std::string> SectionNames(std::string_view input) {
    std::vector<std::string> names = {"Meridia", "Status", "Alternates", ""};
    while (!input.empty() && names.size() < 16) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        const std::size_t open = line.find('[');
        const std::size_t close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos && open < close) {
            names.emplace_back(line.substr(open + 1, close - open - 1));
        }
        if (end == std::string_view::npos) {
            break;
        }
        input.remove_prefix(end + 1);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::string_view input = fuzz::AsBytes(data, size);
    const std::filesystem::path file = session.user_files() / "Settings" / "fuzz.ini";
    meridia::testing::WriteFile(file, input);

    startup::IniFile ini;
    fuzz::Require(ini.Load(file), "a small file could not be loaded");
    for (const std::string& section : SectionNames(input)) {
        ini.HasSection(section);
        // Each lookup scans the section, so only the first keys are looked up again.
        const auto entries = ini.Entries(section);
        for (std::size_t i = 0; i < entries.size() && i < 16; ++i) {
            fuzz::Require(ini.Value(section, entries[i].first).has_value(),
                          "a listed key has no value");
        }
        ini.Read(section, "Files", "0");
    }

    // The bytes written read with the same meaning (a line's trailing carriage returns may
    // go, as blanks they never count).
    startup::IniFile reparsed;
    reparsed.Parse(ini.Serialize());
    for (const std::string& section : SectionNames(input)) {
        fuzz::Require(reparsed.Entries(section) == ini.Entries(section),
                      "a written file does not read as written");
    }

    ini.Write("Fuzz Section", "FuzzKey", "written value");
    ini.Write("Meridia", "FuzzKey", "another value");
    fuzz::Require(ini.Read("fuzz section", "fuzzkey", "") == "written value" &&
                      ini.Read("MERIDIA", "FUZZKEY", "") == "another value",
                  "a written value does not read back");
    ini.Remove("Meridia", "FuzzKey");
    fuzz::Require(ini.Save(file).ok(), "the file could not be saved");
    startup::ReadProfileString(file, "Fuzz Section", "FuzzKey", "");
    startup::WriteProfileString(file, "Status", "NumFiles", "2");
    return 0;
}
