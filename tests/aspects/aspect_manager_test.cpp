#include "aspects/aspect_manager.h"

#include <gtest/gtest.h>

#include "support/test_session.h"

namespace meridia::aspects {
namespace {

class AspectManagerTest : public testing::SessionTest {
protected:
    // Writes a set whose description names it into the user's aspects folder.
    void WriteSet(const std::string& name, const std::string& description) {
        AspectSet set = StandardAspectSet();
        set.header.description = description;
        const auto folder = session().folders().user_files / "Aspects";
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(SaveAspectSet(folder / (name + ".asp"), set));
    }
};

TEST_F(AspectManagerTest, ReadIniLoadsTheFourFactorySets) {
    AspectManager& manager = Aspects();
    manager.ReadIni();
    EXPECT_TRUE(sink().messages().empty());
    EXPECT_EQ(manager.AspectFile(), "standard");
    EXPECT_EQ(manager.StarFile(), "stars");
    EXPECT_EQ(manager.AsteroidFile(), "asteroid");
    EXPECT_EQ(manager.PartFile(), "parts");
    EXPECT_EQ(manager.ChartSet().header.description, "Standard Aspect Set");
    EXPECT_EQ(manager.Set(AspectFileType::kStar).header.description, "Fixed Star Aspect Set");
    EXPECT_EQ(manager.Set(AspectFileType::kAsteroid).header.description, "Asteroid Aspect Set");
    EXPECT_EQ(manager.Set(AspectFileType::kPart).header.description, "Arabic Part Aspect Set");
}

TEST_F(AspectManagerTest, SettingsNameTheFilesAndSaveIniWritesThemBack) {
    WriteSet("mine", "My set");
    session().settings().SetString("AspectFileName", "mine");
    AspectManager& manager = Aspects();
    manager.ReadIni();
    EXPECT_EQ(manager.AspectFile(), "mine");
    EXPECT_EQ(manager.ChartSet().header.description, "My set");

    WriteSet("wide", "Wide stars");
    ASSERT_TRUE(manager.SetAspectFile("wide", AspectFileType::kStar).ok());
    manager.SaveIni();
    EXPECT_EQ(session().settings().GetString("AspectStarName"), "wide");
    EXPECT_EQ(session().settings().GetString("AspectFileName"), "mine");
}

TEST_F(AspectManagerTest, AFailedLoadKeepsTheSetAndItsName) {
    AspectManager& manager = Aspects();
    manager.ReadIni();
    EXPECT_FALSE(manager.SetAspectFile("nowhere").ok());
    EXPECT_EQ(manager.AspectFile(), "standard");
    EXPECT_EQ(manager.ChartSet().header.description, "Standard Aspect Set");
}

TEST_F(AspectManagerTest, TemporarySetLastsUntilReset) {
    WriteSet("report", "For one report");
    AspectManager& manager = Aspects();
    manager.ReadIni();
    ASSERT_TRUE(manager.SetTempAspects("report").ok());
    EXPECT_EQ(manager.AspectFile(), "report");
    EXPECT_EQ(manager.BaseAspectFile(), "standard");
    EXPECT_EQ(manager.ChartSet().header.description, "For one report");
    manager.SaveIni();  // the temporary name is never saved
    EXPECT_EQ(session().settings().GetString("AspectFileName"), "standard");
    manager.ResetAspectFile();
    EXPECT_EQ(manager.AspectFile(), "standard");
    EXPECT_EQ(manager.ChartSet().header.description, "Standard Aspect Set");
}

TEST_F(AspectManagerTest, CurrentTypeChoosesTheEditFile) {
    AspectManager& manager = Aspects();
    manager.ReadIni();
    manager.SetCurrentFileType(AspectFileType::kPart);
    EXPECT_EQ(manager.CurrentType(), AspectFileType::kPart);
    EXPECT_EQ(manager.EditFile(), "parts");
    manager.SetCurrentFileType(AspectFileType::kChart);
    EXPECT_EQ(manager.EditFile(), "standard");
}

TEST_F(AspectManagerTest, EmptyNameLoadsTheSetOfTheSettings) {
    WriteSet("mine", "My set");
    session().settings().SetString("AspectFileName", "mine");
    AspectSet set;
    ASSERT_TRUE(LoadAspectSet({}, true, set).ok());
    EXPECT_EQ(set.header.description, "My set");
}

TEST_F(AspectManagerTest, AspectFilePathLooksInTheAspectsFolders) {
    EXPECT_EQ(AspectFilePath("stars"), testing::FactoryDir() / "Aspects" / "stars.asp");
    WriteSet("stars", "user copy");
    EXPECT_EQ(AspectFilePath("stars"), session().folders().user_files / "Aspects" / "stars.asp");
    EXPECT_EQ(AspectFilePath("/x/y.asp"), std::filesystem::path("/x/y.asp"));
}

}  // namespace
}  // namespace meridia::aspects
