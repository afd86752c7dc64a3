#include "runtime/settings/IniFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace host;
namespace fs = std::filesystem;

namespace {

class IniFileOnDisk : public ::testing::Test {
protected:
    std::string path(const char* name) const { return folder_.path() + "/" + name; }
    static void put(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    testsupport::TempFolder folder_;
};

TEST(IniFile, ReadsHandEditedFiles) {
    IniFile file = IniFile::fromText("\xEF\xBB\xBF[Main]\r\n"
                                     "; window of the frame\r\n"
                                     "  XPos =  12 \r\n"
                                     "\tTitle\t=\t\"  My Shop  \"\r\n"
                                     "junk line\r\n"
                                     "Empty=\r\n"
                                     "[ Other ]\r\n"
                                     "Last=no final line end");
    EXPECT_EQ(file.read("Main", "XPos"), "12");
    EXPECT_EQ(file.read("MAIN", "xpos"), "12");
    EXPECT_EQ(file.read("Main", "Title"), "  My Shop  ");
    EXPECT_EQ(file.entry("Main", "Empty"), std::optional<std::string>(""));
    EXPECT_EQ(file.read("other", "LAST"), "no final line end");
    EXPECT_EQ(file.read("Main", "Last", "---Unknown---"), "---Unknown---");
    EXPECT_EQ(file.read("Missing", "XPos", "7"), "7");
    EXPECT_FALSE(file.entry("Main", "junk line"));
    EXPECT_EQ(file.sections(), (std::vector<std::string>{"Main", "Other"}));
    EXPECT_EQ(file.entryNames("main"), (std::vector<std::string>{"XPos", "Title", "Empty"}));
}

TEST(IniFile, FirstOccurrenceOfANameCounts) {
    IniFile file = IniFile::fromText("Loose=before any section\n"
                                     "[A]\nx=1\nx=2\n[B]\nx=3\n[a]\nx=4\ny=5\n");
    EXPECT_EQ(file.read("A", "x"), "1");
    EXPECT_EQ(file.read("A", "y"), "5");
    EXPECT_FALSE(file.entry("", "Loose"));
    ASSERT_TRUE(file.write("a", "X", "9"));
    EXPECT_EQ(file.text(), "Loose=before any section\n"
                           "[A]\nx=9\nx=2\n[B]\nx=3\n[a]\nx=4\ny=5\n");
}

TEST(IniFile, WritingChangesOnlyTheEntryLine) {
    std::string original = "; settings\n"
                           "\n"
                           "[Main]\n"
                           "XPos = 10   ; old\n"
                           "# a note\n"
                           "YPos=20\n"
                           "\n"
                           "; about browse\n"
                           "[Browse]\n"
                           "Width=300\n";
    IniFile file = IniFile::fromText(original);
    EXPECT_EQ(file.text(), original);

    ASSERT_TRUE(file.write("main", "xpos", "15"));
    ASSERT_TRUE(file.write("Main", "Height", "200"));     // after the section's last entry
    ASSERT_TRUE(file.write("Preview", "Maximize", "No")); // a new section at the end
    EXPECT_EQ(file.text(), "; settings\n"
                           "\n"
                           "[Main]\n"
                           "XPos = 15\n"
                           "# a note\n"
                           "YPos=20\n"
                           "Height=200\n"
                           "\n"
                           "; about browse\n"
                           "[Browse]\n"
                           "Width=300\n"
                           "\n"
                           "[Preview]\n"
                           "Maximize=No\n");
}

TEST(IniFile, KeepsLineEndsAndEndsTheLastLine) {
    IniFile crlf = IniFile::fromText("\xEF\xBB\xBF[S]\r\na=1");
    ASSERT_TRUE(crlf.write("S", "b", "2"));
    ASSERT_TRUE(crlf.write("T", "c", "3"));
    EXPECT_EQ(crlf.text(), "\xEF\xBB\xBF[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\nc=3\r\n");

    IniFile empty;
    ASSERT_TRUE(empty.write("S", "a", "1"));
    EXPECT_EQ(empty.text(), "[S]\na=1\n");
}

TEST(IniFile, ValuesComeBackExactlyAndCannotInjectLines) {
    IniFile file;
    for (std::string value : {"  padded  ", "\"quoted\"", "\"", "a=b;c", "", "C:\\shop\\x.gif"}) {
        ASSERT_TRUE(file.write("S", "v", value));
        EXPECT_EQ(IniFile::fromText(file.text()).read("S", "v", "?"), value) << value;
    }
    ASSERT_TRUE(file.write("S", "v", "one\r\n[Evil]\nx=1"));
    IniFile reread = IniFile::fromText(file.text());
    EXPECT_EQ(reread.read("S", "v"), "one  [Evil] x=1");
    EXPECT_EQ(reread.sections(), std::vector<std::string>{"S"});

    std::string before = file.text();
    EXPECT_FALSE(file.write("S", "a=b", "1"));
    EXPECT_FALSE(file.write("S", ";a", "1"));
    EXPECT_FALSE(file.write("S", "[a", "1"));
    EXPECT_FALSE(file.write("S", "a\nb", "1"));
    EXPECT_FALSE(file.write("S]x", "a", "1"));
    EXPECT_FALSE(file.write(" ", "a", "1"));
    EXPECT_FALSE(file.write("S", "", "1"));
    EXPECT_EQ(file.text(), before);
}

TEST_F(IniFileOnDisk, ReadsAndWritesThroughTheFile) {
    std::string ini = path("mirto.INI");
    EXPECT_EQ(IniFile::readEntry(ini, "Main", "XPos", "none"), "none"); // no file yet
    ASSERT_TRUE(IniFile::writeEntry(ini, "Main", "XPos", "10"));
    ASSERT_TRUE(IniFile::writeEntry(ini, "Main", "YPos", "20"));
    EXPECT_EQ(contents(ini), "[Main]\nXPos=10\nYPos=20\n");
    EXPECT_EQ(IniFile::readEntry(ini, "MAIN", "ypos"), "20");

    // Only the file itself is left in the folder: no temporary files.
    int files = 0;
    for ([[maybe_unused]] const auto& item : fs::directory_iterator(folder_.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(IniFileOnDisk, KeepsPermissionsAndSymbolicLinks) {
    std::string real = path("real.ini");
    std::string link = path("link.ini");
    put(real, "[S]\na=1\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.ini", link);

    ASSERT_TRUE(IniFile::writeEntry(link, "S", "b", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(real), "[S]\na=1\nb=2\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(IniFileOnDisk, AFailedWriteLeavesEverythingAsItWas) {
    // A folder where the file should be cannot be read: the write must not replace it.
    std::string folderNamedLikeAFile = path("settings.ini");
    fs::create_directory(folderNamedLikeAFile);
    EXPECT_FALSE(IniFile::writeEntry(folderNamedLikeAFile, "S", "a", "1"));
    EXPECT_TRUE(fs::is_directory(folderNamedLikeAFile));
    EXPECT_EQ(IniFile::readEntry(folderNamedLikeAFile, "S", "a", "default"), "default");

    EXPECT_FALSE(IniFile::writeEntry(path("missing/folder.ini"), "S", "a", "1"));

    std::string ini = path("keep.ini");
    put(ini, "[S]\r\na = 1\r\n");
    EXPECT_FALSE(IniFile::writeEntry(ini, "S", "bad=name", "2"));
    EXPECT_TRUE(IniFile::writeEntry(ini, "s", "A", "1")); // same value: nothing to write
    EXPECT_EQ(contents(ini), "[S]\r\na = 1\r\n");

    // A file made read-only is not replaced (the super-user may write anything).
    fs::permissions(ini, fs::perms::owner_read);
    if (::geteuid() != 0) {
        EXPECT_FALSE(IniFile::writeEntry(ini, "S", "b", "2"));
        EXPECT_EQ(contents(ini), "[S]\r\na = 1\r\n");
    }
}

TEST_F(IniFileOnDisk, WritersInTwoProcessesKeepEachOthersEntries) {
    std::string ini = path("shared.ini");
    constexpr int writes = 25;
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const char* who = child == 0 ? "Child" : "Parent";
    bool allWritten = true;
    for (int i = 0; i < writes; ++i)
        allWritten =
            IniFile::writeEntry(ini, who, "E" + std::to_string(i), std::to_string(i)) && allWritten;
    if (child == 0)
        ::_exit(allWritten ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(allWritten);

    IniFile file = *IniFile::load(ini);
    EXPECT_EQ(file.entryNames("Parent").size(), std::size_t{writes});
    EXPECT_EQ(file.entryNames("Child").size(), std::size_t{writes});
}

} // namespace
