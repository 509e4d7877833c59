#include "startup/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "support/test_session.h"
#include "support/write_failure.h"

namespace meridia::startup {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(WriteFileSafely, WritesTheBytesAndLeavesNothingElse) {
    TempDir dir;
    const fs::path path = dir.path() / "a.ini";
    const std::string bytes("one\r\ntwo\0three", 14);
    ASSERT_TRUE(WriteFileSafely(path, bytes).ok());
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"a.ini"});
}

TEST(WriteFileSafely, ReplacesTheOldFileAndKeepsItsPermissions) {
    TempDir dir;
    const fs::path path = dir.path() / "a.dat";
    WriteFile(path, "old contents");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileSafely(path, "new").ok());
    EXPECT_EQ(ReadFile(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640U);
    EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"a.dat"});
}

TEST(WriteFileSafely, KeepsTheOldFileAsBakWhenAsked) {
    TempDir dir;
    const fs::path path = dir.path() / "c.MDcht";
    ASSERT_TRUE(WriteFileSafely(path, "first", WriteOptions::KeepingBackup()).ok());
    // No old file: no backup.
    EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"c.MDcht"});
    ASSERT_TRUE(WriteFileSafely(path, "second", WriteOptions::KeepingBackup()).ok());
    ASSERT_TRUE(WriteFileSafely(path, "third", WriteOptions::KeepingBackup()).ok());
    EXPECT_EQ(ReadFile(path), "third");
    EXPECT_EQ(ReadFile(dir.path() / "c.MDcht.bak"), "second");
    EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"c.MDcht", "c.MDcht.bak"}));
}

TEST(WriteFileSafely, CreatesMissingFoldersOnlyWhenAsked) {
    TempDir dir;
    const fs::path path = dir.path() / "Settings" / "deep" / "x.ini";
    const Status refused = WriteFileSafely(path, "x");
    EXPECT_EQ(refused.code(), StatusCode::kWriteFailed);
    EXPECT_TRUE(NamesIn(dir.path()).empty());
    ASSERT_TRUE(WriteFileSafely(path, "x", WriteOptions::CreatingFolders()).ok());
    EXPECT_EQ(ReadFile(path), "x");
}

// Each way a write can fail leaves the old file exactly as it was, reports the file, and
// leaves no temporary file behind.
TEST(WriteFileSafely, AFailedWriteLeavesTheOldFileAsItWas) {
    struct Case {
        const char* what;
        WriteOptions options;
        bool size_limited;  // no file may grow beyond 1 KiB, as on a full disk
        std::function<void(const fs::path& folder)> obstruct;
    };
    const std::string old_bytes = "the old file, which must survive";
    const std::string new_bytes(4096, 'n');
    const Case cases[] = {
        {"disk full", {}, true, [](const fs::path&) {}},
        {"folder in the place of the backup", WriteOptions::KeepingBackup(), false,
         [](const fs::path& folder) { fs::create_directories(folder / "t.dat.bak" / "busy"); }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const fs::path path = dir.path() / "t.dat";
        WriteFile(path, old_bytes);
        c.obstruct(dir.path());
        const auto names = NamesIn(dir.path());
        Status status;
        if (c.size_limited) {
            const testing::FileSizeLimit limit(1024);
            status = WriteFileSafely(path, new_bytes, c.options);
        } else {
            status = WriteFileSafely(path, new_bytes, c.options);
        }
        EXPECT_EQ(status.code(), StatusCode::kWriteFailed) << c.what;
        EXPECT_EQ(status.path(), path) << c.what;
        EXPECT_EQ(status.message(), "Error during file write:\n" + path.string()) << c.what;
        EXPECT_EQ(status.title(), "Error") << c.what;
        EXPECT_EQ(ReadFile(path), old_bytes) << c.what;
        EXPECT_EQ(NamesIn(dir.path()), names) << c.what;
    }
}

TEST(WriteFileSafely, AFolderInThePlaceOfTheTargetStaysAsItWas) {
    TempDir dir;
    const fs::path path = dir.path() / "busy.ini";
    fs::create_directories(path / "inside");
    const Status status = WriteFileSafely(path, "bytes");
    EXPECT_EQ(status.code(), StatusCode::kWriteFailed);
    EXPECT_TRUE(fs::is_directory(path / "inside"));
    EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"busy.ini"});
}

TEST(PendingFile, NothingChangesUntilCommitAndAnUncommittedFileGoes) {
    TempDir dir;
    const fs::path a = dir.path() / "tztable.bin";
    const fs::path b = dir.path() / "tztable.ndx";
    WriteFile(a, "old tables");
    WriteFile(b, "old index");
    {
        auto tables = PendingFile::Prepare(a, "new tables");
        auto index = PendingFile::Prepare(b, "new index");
        ASSERT_TRUE(tables.ok());
        ASSERT_TRUE(index.ok());
        EXPECT_EQ(ReadFile(a), "old tables");
        EXPECT_EQ(ReadFile(b), "old index");
        ASSERT_TRUE(tables->Commit().ok());
        EXPECT_EQ(ReadFile(a), "new tables");
        // `index` is dropped without a commit.
    }
    EXPECT_EQ(ReadFile(b), "old index");
    EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"tztable.bin", "tztable.ndx"}));
}

TEST(CopyFileSafely, CopiesTheBytesAndCanKeepTheSourceTime) {
    TempDir dir;
    const fs::path from = dir.path() / "factory.ini";
    std::string bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes += static_cast<char>(i * 7 % 251);
    }
    WriteFile(from, bytes);
    const auto time = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(from, time);
    WriteOptions options = WriteOptions::CreatingFolders();
    options.modified = time;
    const fs::path to = dir.path() / "Settings" / "factory.ini";
    ASSERT_TRUE(CopyFileSafely(from, to, options).ok());
    EXPECT_EQ(ReadFile(to), bytes);
    EXPECT_EQ(fs::last_write_time(to), time);
    EXPECT_EQ(CopyFileSafely(dir.path() / "missing", to).code(), StatusCode::kWriteFailed);
    EXPECT_EQ(ReadFile(to), bytes);
}

TEST(ReadFileRange, ReadsInsideTheFileOnly) {
    TempDir dir;
    const fs::path path = dir.path() / "r.bin";
    WriteFile(path, "0123456789");
    EXPECT_EQ(ReadFileRange(path, 2, 3), "234");
    EXPECT_EQ(ReadFileRange(path, 10, 0), "");
    EXPECT_FALSE(ReadFileRange(path, 8, 3).has_value());
    EXPECT_FALSE(ReadFileRange(path, 11, 0).has_value());
    EXPECT_FALSE(ReadFileRange(dir.path() / "none", 0, 1).has_value());
}

TEST(ReadFileBytes, RefusesAFileLargerThanTheLimit) {
    TempDir dir;
    const fs::path path = dir.path() / "big.bin";
    WriteFile(path, std::string(100, 'x'));
    EXPECT_EQ(ReadFileBytes(path, 100)->size(), 100U);
    EXPECT_FALSE(ReadFileBytes(path, 99).has_value());
    EXPECT_FALSE(ReadFileBytes(dir.path(), 1000).has_value());
}

TEST(HasExtension, ComparesWithoutCase) {
    EXPECT_TRUE(HasExtension("a/b.MDcht", ".mdcht"));
    EXPECT_TRUE(HasExtension("b.TSL", ".tsl"));
    EXPECT_FALSE(HasExtension("b.tsl2", ".tsl"));
    EXPECT_FALSE(HasExtension("tsl", ".tsl"));
}

}  // namespace
}  // namespace meridia::startup
