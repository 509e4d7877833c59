#include "fuzz_session.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "startup/session.h"
#include "support/test_session.h"

namespace meridia::fuzz {

namespace {

// The process's temporary folder, removed at exit.
const std::filesystem::path& Root() {
    static const testing::TempDir kRoot;
    return kRoot.path();
}

}  // namespace

FuzzSession::FuzzSession() : user_files_(Root() / "Meridia User Files") {
    std::error_code ec;
    std::filesystem::remove_all(user_files_, ec);
    std::filesystem::remove_all(Root() / "config", ec);
    std::filesystem::create_directories(user_files_, ec);
    std::filesystem::create_directories(Root() / "program", ec);
    auto fresh = std::make_unique<startup::Session>();
    fresh->SetMessageSink(&sink_);
    fresh->folders().program = Root() / "program";
    fresh->folders().user_files = user_files_;
    fresh->folders().config = Root() / "config";
    startup::InstallSession(std::move(fresh));
}

FuzzSession::~FuzzSession() { startup::InstallSession(nullptr); }

std::string_view AsBytes(const std::uint8_t* data, std::size_t size) {
    return size == 0 ? std::string_view()
                     : std::string_view(reinterpret_cast<const char*>(data), size);
}

std::vector<std::string_view> SplitParts(std::string_view input, std::size_t count) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const std::size_t at = input.find(kPartMarker);
        if (at == std::string_view::npos) {
            break;
        }
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + kPartMarker.size());
    }
    parts.push_back(input);
    parts.resize(count);
    return parts;
}

void Require(bool holds, std::string_view what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz property failed: %.*s\n", static_cast<int>(what.size()),
                     what.data());
        std::abort();
    }
}

}  // namespace meridia::fuzz
