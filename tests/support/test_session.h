// Test fixture support: each test gets a fresh session with a recording message sink and its
// own temporary user-files folder, so tests never share state or depend on their order.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "startup/messages.h"
#include "startup/session.h"

namespace meridia::testing {

// A temporary folder removed at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The factory-files folder of the build tree (share/meridia).
std::filesystem::path FactoryDir();

// Installs a fresh session whose messages are recorded, whose program folder is the build's
// factory folder and whose user-files and configuration folders are inside a temporary
// folder.
class SessionTest : public ::testing::Test {
protected:
    SessionTest();
    ~SessionTest() override;

    startup::Session& session() { return startup::CurrentSession(); }
    startup::RecordingMessageSink& sink() { return sink_; }
    const std::filesystem::path& temp() const { return temp_.path(); }
    // The last message shown, or an empty one.
    startup::Message LastMessage() const;

private:
    TempDir temp_;
    startup::RecordingMessageSink sink_;
};

// Writes a file with the given bytes, creating its folder.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
// Reads a whole file into a string ("" when missing).
std::string ReadFile(const std::filesystem::path& path);

}  // namespace meridia::testing
