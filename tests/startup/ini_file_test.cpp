#include "startup/ini_file.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/test_session.h"
#include "support/write_failure.h"

namespace meridia::startup {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::string_view kSample =
    "; comment line\r\n"
    "[Meridia]\r\n"
    "HouseSystem=5\r\n"
    "  ChartFileName  =   My Family   \r\n"
    "Quoted=\"  padded  \"\r\n"
    "Empty=\r\n"
    "NotNumber=abc\r\n"
    "\r\n"
    "[ Other Section ]\r\n"
    "HouseSystem=9\r\n";

struct ReadCase {
    const char* section;
    const char* key;
    const char* expected;
};

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCaseAndTrimsValues) {
    IniFile file;
    file.Parse(kSample);
    const ReadCase cases[] = {
        {"Meridia", "HouseSystem", "5"},
        {"MERIDIA", "housesystem", "5"},
        {"meridia", "CHARTFILENAME", "My Family"},
        {"Meridia", "Quoted", "  padded  "},
        {"Meridia", "Empty", ""},
        {"Meridia", "NotNumber", "abc"},
        {"other section", "HouseSystem", "9"},
        {"Other Section", "housesystem", "9"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        ASSERT_TRUE(file.Value(c.section, c.key).has_value());
        EXPECT_EQ(*file.Value(c.section, c.key), c.expected);
    }
}

TEST(IniFile, MissingKeysAndSectionsGiveTheDefaultText) {
    IniFile file;
    file.Parse(kSample);
    EXPECT_FALSE(file.Value("Meridia", "NoSuchKey").has_value());
    EXPECT_FALSE(file.Value("NoSection", "HouseSystem").has_value());
    EXPECT_EQ(file.Read("Meridia", "NoSuchKey", "fallback"), "fallback");
    EXPECT_EQ(file.Read("NoSection", "HouseSystem", "4"), "4");
    // A present but empty value is not missing.
    EXPECT_EQ(file.Read("Meridia", "Empty", "fallback"), "");
    // A comment line is never a key.
    EXPECT_FALSE(file.Value("Meridia", "; comment line").has_value());
}

TEST(IniFile, ValuesAreCutTo255Characters) {
    const std::string long_value = std::string(250, 'a') + std::string(50, 'b');
    IniFile file;
    file.Parse("[S]\nLong=" + long_value + "\nExact=" + std::string(255, 'x') + "\n");
    EXPECT_EQ(*file.Value("S", "Long"), std::string(250, 'a') + "bbbbb");
    EXPECT_EQ(file.Value("S", "Long")->size(), 255u);
    EXPECT_EQ(*file.Value("S", "Exact"), std::string(255, 'x'));
}

TEST(IniFile, WriteReplacesOnlyItsLineAndKeepsOtherSections) {
    TempDir dir;
    const auto path = dir.path() / "test.ini";
    WriteFile(path, kSample);
    ASSERT_TRUE(WriteProfileString(path, "meridia", "HOUSESYSTEM", "7"));
    EXPECT_EQ(ReadFile(path),
              "; comment line\r\n"
              "[Meridia]\r\n"
              "HouseSystem=7\r\n"
              "  ChartFileName  =   My Family   \r\n"
              "Quoted=\"  padded  \"\r\n"
              "Empty=\r\n"
              "NotNumber=abc\r\n"
              "\r\n"
              "[ Other Section ]\r\n"
              "HouseSystem=9\r\n");
    // Nothing but the file itself is left in its folder.
    EXPECT_EQ(testing::NamesIn(dir.path()), std::set<std::string>{"test.ini"});
}

TEST(IniFile, NewKeyGoesAfterTheSectionsLastEntryAndNewSectionAtTheEnd) {
    IniFile file;
    file.Parse("[A]\nx=1\n\n[B]\ny=2\n");
    file.Write("A", "z", "3");
    file.Write("C", "w", "4");
    EXPECT_EQ(file.Serialize(), "[A]\nx=1\nz=3\n\n[B]\ny=2\n\n[C]\nw=4\n");
}

TEST(IniFile, MissingFileReadsEmptyAndIsCreatedByAWrite) {
    TempDir dir;
    const auto path = dir.path() / "sub" / "new.ini";
    EXPECT_EQ(ReadProfileString(path, "S", "k", "dflt"), "dflt");
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "v"));
    EXPECT_EQ(ReadFile(path), "[S]\nk=v\n");
    EXPECT_EQ(ReadProfileString(path, "s", "K", "dflt"), "v");
}

TEST(IniFile, RemoveAndEntries) {
    IniFile file;
    file.Parse("[S]\na=1\nB = two \na=dup\n[T]\nc=3\n");
    const auto entries = file.Entries("s");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], std::make_pair(std::string("a"), std::string("1")));
    EXPECT_EQ(entries[1], std::make_pair(std::string("B"), std::string("two")));
    EXPECT_TRUE(file.Remove("S", "b"));
    EXPECT_FALSE(file.Remove("S", "b"));
    EXPECT_EQ(file.Serialize(), "[S]\na=1\na=dup\n[T]\nc=3\n");
}

TEST(IniFile, TextIsWindows1252OnDiskAndUtf8InMemory) {
    IniFile file;
    // 0xE9 is e-acute, 0x80 the euro sign in Windows-1252.
    file.Parse("[S]\nplace=Li\xE8ge \x80\n");
    EXPECT_EQ(*file.Value("S", "place"), "Li\u00E8ge \u20AC");
    file.Write("S", "other", "Z\u00FCrich \u4E2D");
    EXPECT_EQ(file.Serialize(), "[S]\nplace=Li\xE8ge \x80\nother=Z\xFCrich ?\n");
}

TEST(IniFile, OversizedOrDamagedFilesReadAsEmpty) {
    TempDir dir;
    const auto big = dir.path() / "big.ini";
    WriteFile(big, "[S]\nk=v\n" + std::string(kMaxIniFileBytes, ';'));
    IniFile file;
    EXPECT_FALSE(file.Load(big));
    EXPECT_EQ(file.Read("S", "k", "dflt"), "dflt");
    // Binary junk, an unclosed section header and lines without "=" never crash a read.
    file.Parse(std::string("\0\xFF\n[S\nno equals\n=novalue\nk=\x01v\n", 30));
    EXPECT_EQ(file.Read("S", "k", "dflt"), "\x01v");
    EXPECT_FALSE(file.Value("S", "no equals").has_value());
}

}  // namespace
}  // namespace meridia::startup
