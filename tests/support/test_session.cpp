#include "test_session.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace meridia::testing {

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("meridia-test-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path FactoryDir() {
    if (const char* dir = std::getenv("MERIDIA_FACTORY_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    return std::filesystem::path(MERIDIA_TEST_FACTORY_DIR);
}

SessionTest::SessionTest() {
    auto fresh = std::make_unique<startup::Session>();
    fresh->SetMessageSink(&sink_);
    fresh->folders().program = FactoryDir();
    fresh->folders().user_files = temp_.path() / "Meridia User Files";
    fresh->folders().config = temp_.path() / "config";
    startup::InstallSession(std::move(fresh));
}

SessionTest::~SessionTest() { startup::InstallSession(nullptr); }

startup::Message SessionTest::LastMessage() const {
    if (sink_.messages().empty()) {
        return {};
    }
    return sink_.messages().back();
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace meridia::testing
