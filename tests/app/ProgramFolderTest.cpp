// Where the program keeps its settings and data: beside the program when it can write
// there, else in the user's own folder.
#include "app/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "eip-folder-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        // Nothing can be made below a plain file, whoever runs the test.
        std::ofstream(root / "file") << "x";
        unwritable = (root / "file" / "program").string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path root;
    std::string unwritable;
};

TEST_F(ProgramFolderTest, TheFolderBesideTheProgramIsTakenWhenItCanBeWritten) {
    std::string beside = (root / "program").string();
    app::ProgramFolder folder = app::ProgramFolder::choose(beside, (root / "user").string());
    EXPECT_EQ(folder.folder(), beside);
    EXPECT_FALSE(folder.isPerUser());
    EXPECT_EQ(folder.iniFile(), beside + "/mirto.INI");
    EXPECT_TRUE(fs::is_directory(folder.dataFolder())) << "the data folder is made";
    EXPECT_FALSE(fs::exists(root / "user"));
}

TEST_F(ProgramFolderTest, AFolderThatCannotBeWrittenGivesWayToTheUsersOwn) {
    std::string user = (root / "home" / ".local" / "share" / "eip-invoicing").string();
    app::ProgramFolder folder = app::ProgramFolder::choose(unwritable, user);
    EXPECT_EQ(folder.folder(), user);
    EXPECT_TRUE(folder.isPerUser());
    EXPECT_TRUE(fs::is_directory(user + "/data"));

    // A data folder that is a file cannot take data files either.
    std::string beside = (root / "program").string();
    fs::create_directories(beside);
    std::ofstream(beside + "/data") << "not a folder";
    EXPECT_TRUE(app::ProgramFolder::choose(beside, user).isPerUser());

    // Neither: the program stays beside its executable and reports its first failed
    // write.
    app::ProgramFolder neither = app::ProgramFolder::choose(unwritable, unwritable + "2");
    EXPECT_EQ(neither.folder(), unwritable);
    EXPECT_FALSE(neither.isPerUser());
}

} // namespace
