// Support for the libFuzzer targets: every input runs in a fresh session with a recording
// message sink, inside one temporary folder made once per process (its user-files folder is
// emptied before each input, so inputs never see each other's files), and a few helpers to
// turn the input into files and texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "startup/messages.h"

namespace meridia::fuzz {

// The marker between the files of a target that reads several files at once
// ("Country.INI" and "State.INI", the three zone-table files...).
inline constexpr std::string_view kPartMarker = "\n#~PART~#\n";

// Installs a fresh session for one input and removes it at destruction. The program folder is
// empty (no factory files), the user-files and configuration folders are emptied first.
class FuzzSession {
public:
    FuzzSession();
    ~FuzzSession();
    FuzzSession(const FuzzSession&) = delete;
    FuzzSession& operator=(const FuzzSession&) = delete;

    const std::filesystem::path& user_files() const { return user_files_; }
    const startup::RecordingMessageSink& sink() const { return sink_; }

private:
    std::filesystem::path user_files_;
    startup::RecordingMessageSink sink_;
};

// The input as bytes.
std::string_view AsBytes(const std::uint8_t* data, std::size_t size);

// The input cut at each kPartMarker into exactly `count` parts: missing parts are empty, and
// the last part keeps any further markers.
std::vector<std::string_view> SplitParts(std::string_view input, std::size_t count);

// Aborts with the message when a property every reader must keep does not hold, so the
// fuzzer records the input as a crash.
void Require(bool holds, std::string_view what);

}  // namespace meridia::fuzz
