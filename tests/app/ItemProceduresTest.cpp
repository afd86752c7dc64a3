// The item procedures on the headless desktop over a real data folder: the pictures the
// list and the form show (missing and damaged files included), a copy that fails, and
// the list called to pick an item. The form's flows are the item scenarios'
// (tests/scenarios/items-*).
#include "app/BrowseItems.h"
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/ItemPictures.h"
#include "app/UpdateItems.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/MessageBox.h"
#include "runtime/files/RecordFile.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"

#include "tests/app/AddRecords.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using host::headless::HeadlessSession;
namespace fs = std::filesystem;

namespace {

class ItemProceduresTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<HeadlessSession>();
        ASSERT_FALSE(folder.empty());
        // With no program running, the images folder is "images" in the current folder.
        previous = fs::current_path();
        fs::current_path(folder);
        fs::create_directories(folder + "/data");
        ASSERT_TRUE(driver.openFolder(folder + "/data"));
        app::GlobalErrors().Setup();
        app::GlobalFileRegistry().Setup();
        seed();
        app::DataDictionary::setUp(driver, app::GlobalErrors(), app::GlobalFileRegistry());
        app::ItemForm::ForgetHistory();
    }
    void TearDown() override {
        session.reset();
        app::DataDictionary::tearDown();
        app::GlobalFileRegistry().Teardown();
        app::GlobalErrors().Teardown();
        fs::current_path(previous);
    }

    // H1 has a picture, H2 a file that is no picture, H3 a file that is gone.
    void seed() {
        fs::create_directories(folder + "/images");
        write("images/hammer.gif", "GIF89a\x01\x00\x01\x00");
        write("images/notes.gif", "shopping list");
        const char* rows[][3] = {
            {"H1", "Hammer", "hammer.gif"}, {"H2", "Nails", "notes.gif"}, {"H3", "Saw", "saw.gif"}};
        apptest::addRecords(driver, app::files::item(), 3, [&](host::Record& record, int n) {
            const auto& row = rows[n - 1];
            record.field("ITM:ITEMID").assign(n);
            record.field("ITM:ITEMNUMBER").assign(row[0]);
            record.field("ITM:DESCRIPTION").assign(row[1]);
            record.field("ITM:ICONFILE").assign(row[2]);
        });
    }
    void write(const std::string& name, const std::string& text) {
        std::ofstream(folder + "/" + name, std::ios::binary) << text;
    }
    std::string picture(const char* window) {
        host::Window* w = session->window(window);
        const host::Control* image = w ? session->control("?Picture", w) : nullptr;
        return image ? image->image() : "(no image control)";
    }
    std::string pictureFile(const char* name) {
        return (fs::path(folder) / "images" / name).lexically_normal().string();
    }
    void startList() {
        session->start([] {
            app::GlobalRequest = 0;
            app::BrowseItems();
        });
    }

    std::unique_ptr<HeadlessSession> session;
    testsupport::TempFolder temporary;
    std::string folder = temporary.path();
    fs::path previous;
    host::sqlite::SqliteDriver driver;
};

TEST_F(ItemProceduresTest, TheListAndTheFormShowAPictureOnlyWhenTheFileHoldsOne) {
    startList();
    ASSERT_NE(session->window("P10$BROWSEWINDOW"), nullptr);
    EXPECT_EQ(session->selectedRow("?List"), 1);
    EXPECT_EQ(picture("P10$BROWSEWINDOW"), pictureFile("hammer.gif"));
    ASSERT_TRUE(session->clickRow("?List", 2));
    EXPECT_EQ(picture("P10$BROWSEWINDOW"), "") << "not a picture";
    ASSERT_TRUE(session->clickRow("?List", 3));
    EXPECT_EQ(picture("P10$BROWSEWINDOW"), "") << "a file that is gone";
    ASSERT_TRUE(session->clickRow("?List", 1));
    EXPECT_EQ(picture("P10$BROWSEWINDOW"), pictureFile("hammer.gif"));

    // The form shows the item's picture when it opens; a picture that went meanwhile shows
    // nothing, and a name typed into the entry shows its picture.
    ASSERT_TRUE(session->press("  Use Update Form?"));
    ASSERT_TRUE(session->press("&Change"));
    ASSERT_NE(session->window("P76$QUICKWINDOW"), nullptr);
    EXPECT_EQ(picture("P76$QUICKWINDOW"), pictureFile("hammer.gif"));
    fs::remove(folder + "/images/hammer.gif");
    ASSERT_TRUE(session->type("Image File:", "notes.gif"));
    EXPECT_EQ(picture("P76$QUICKWINDOW"), "");
    ASSERT_TRUE(session->press("Find image"));
    ASSERT_TRUE(session->answerFileDialog(std::string("hammer.gif")));
    EXPECT_TRUE(session->answerMessage(host::ButtonOk)); // "Picture Not Copied"
    EXPECT_EQ(session->text("Image File:"), "notes.gif") << "the picture to copy is gone";
    EXPECT_EQ(picture("P76$QUICKWINDOW"), "");
    ASSERT_TRUE(session->press("OK"));
    EXPECT_EQ(session->window("P76$QUICKWINDOW"), nullptr);

    // The saw's picture was missing; once the form brings it in under the name the item
    // already had, the list shows it.
    fs::create_directories(folder + "/elsewhere");
    write("elsewhere/saw.gif", "GIF89a a saw");
    ASSERT_TRUE(session->clickRow("?List", 3));
    ASSERT_TRUE(session->press("&Change"));
    ASSERT_TRUE(session->press("Find image"));
    ASSERT_TRUE(session->answerFileDialog(folder + "/elsewhere/saw.gif"));
    EXPECT_EQ(picture("P76$QUICKWINDOW"), pictureFile("saw.gif"));
    ASSERT_TRUE(session->press("OK"));
    EXPECT_EQ(picture("P10$BROWSEWINDOW"), pictureFile("saw.gif"));
    EXPECT_TRUE(session->press("Close"));
}

TEST_F(ItemProceduresTest, PicturesAreKeptByTheirBareName) {
    EXPECT_EQ(app::ItemPictures::bareName("C:\\Shop\\Pictures\\saw.gif"), "saw.gif");
    EXPECT_EQ(app::ItemPictures::bareName("/home/shop/pictures/saw.gif"), "saw.gif");
    EXPECT_EQ(app::ItemPictures::bareName("pictures\\old/saw.gif"), "saw.gif");
    EXPECT_EQ(app::ItemPictures::bareName("pictures/"), "");
}

TEST_F(ItemProceduresTest, ThePictureCellKeepsABareNameAndThePictureComesIntoTheImagesFolder) {
    fs::create_directories(folder + "/elsewhere");
    write("elsewhere/saw.gif", "GIF89a a saw");
    write("elsewhere/hammer.gif", "GIF89a another hammer");
    startList();
    host::Window* list = session->window("P10$BROWSEWINDOW");
    ASSERT_NE(list, nullptr);
    auto pictureCell = [&] { return session->control("?List")->columnEditor(3); };
    auto chooseFile = [&](std::optional<std::string> file) {
        ASSERT_TRUE(session->input().pressDropButton(*list, pictureCell()));
        session->run();
        ASSERT_TRUE(session->answerFileDialog(std::move(file)));
        session->run();
    };
    // Row 3 (the saw, whose picture is gone) is edited in place: the picture cell.
    ASSERT_TRUE(session->clickRow("?List", 3));
    ASSERT_TRUE(session->press("&Change"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_NE(pictureCell(), 0);
    chooseFile(folder + "/elsewhere/saw.gif");
    EXPECT_EQ(session->control(pictureCell())->contents(), "saw.gif");
    EXPECT_EQ(app::ItemPictures::shownFile("saw.gif"), pictureFile("saw.gif"));
    // Declining to replace the hammer picture keeps the name the cell had.
    chooseFile(folder + "/elsewhere/hammer.gif");
    ASSERT_TRUE(session->answerMessage(host::ButtonNo)); // "Replace Picture?"
    session->run();
    EXPECT_EQ(session->control(pictureCell())->contents(), "saw.gif");
    chooseFile(std::nullopt);
    EXPECT_EQ(session->control(pictureCell())->contents(), "saw.gif");
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(pictureCell(), 0);
    EXPECT_EQ(session->control("?List")->formattedRow(3).at(2).text, "saw.gif");
    EXPECT_EQ(picture("P10$BROWSEWINDOW"), pictureFile("saw.gif"));
    EXPECT_TRUE(session->press("Close"));
}

} // namespace
