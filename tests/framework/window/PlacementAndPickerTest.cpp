#include "framework/window/FilePicker.h"
#include "framework/window/IniStore.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/settings/IniFile.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <filesystem>

using framework::FilePicker;
using framework::IniStore;
using host::Property;
using host::Window;

namespace {

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override { store.Setup(file); }
    void TearDown() override { store.Teardown(); }

    static std::shared_ptr<const host::WindowDefinition> define(bool resizable) {
        std::string text = std::string("window P7$PREVIEW \"Preview\" at=10,20,300,200") +
                           (resizable ? " resizable" : "") + "\nend";
        return testsupport::define(text);
    }
    std::string entry(std::string_view name) const {
        return host::IniFile::readEntry(file, "_PreviewWindow_", name, "<none>");
    }

    testsupport::TempFolder folder;
    std::string file = folder.path() + "/mirto.INI";
    IniStore store;
};

TEST_F(PlacementTest, ANormalWindowIsStoredAndRestored) {
    Window closing(define(true));
    closing.setProperty(0, Property::X, 40);
    closing.setProperty(0, Property::Y, 50);
    closing.setProperty(0, Property::Width, 640);
    closing.setProperty(0, Property::Height, 480);
    store.StorePlacement("_PreviewWindow_", closing);
    EXPECT_EQ(entry("Maximize"), "No");
    EXPECT_EQ(entry("XPos"), "40");
    EXPECT_EQ(entry("Height"), "480");

    Window opening(define(true));
    opening.setProperty(0, Property::Maximized, 1);
    store.ApplyPlacement("_PreviewWindow_", opening);
    EXPECT_FALSE(opening.isMaximized());
    EXPECT_EQ(opening.rect(), (host::Rect{40, 50, 640, 480}));

    // A window that cannot be resized keeps its own size and stores none.
    Window fixed(define(false));
    store.ApplyPlacement("_PreviewWindow_", fixed);
    EXPECT_EQ(fixed.rect(), (host::Rect{40, 50, 300, 200}));
}

TEST_F(PlacementTest, MaximisedAndMinimisedWindowsWhenTheyClose) {
    // Nothing stored yet: nothing is restored.
    Window fresh(define(true));
    store.ApplyPlacement("_PreviewWindow_", fresh);
    EXPECT_EQ(fresh.rect(), (host::Rect{10, 20, 300, 200}));

    // Maximised when it closed: only the state is stored.
    Window maximised(define(true));
    maximised.setProperty(0, Property::Maximized, 1);
    store.StorePlacement("_PreviewWindow_", maximised);
    EXPECT_EQ(entry("Maximize"), "Yes");
    EXPECT_EQ(entry("XPos"), "<none>");
    Window again(define(true));
    store.ApplyPlacement("_PreviewWindow_", again);
    EXPECT_TRUE(again.isMaximized());
    EXPECT_EQ(again.rect(), (host::Rect{10, 20, 300, 200})); // its own position kept

    // Stored normally, then minimised when it closed: the earlier settings stay.
    Window normal(define(true));
    normal.setProperty(0, Property::X, 70);
    store.StorePlacement("_PreviewWindow_", normal);
    Window minimised(define(true));
    minimised.setProperty(0, Property::X, 99);
    minimised.setProperty(0, Property::Iconized, 1);
    store.StorePlacement("_PreviewWindow_", minimised);
    EXPECT_EQ(entry("Maximize"), "No");
    EXPECT_EQ(entry("XPos"), "70");

    // A size stored by a window that could not be resized is missing; a resizable one
    // restored from it keeps its size.
    std::filesystem::remove(file);
    Window fixed(define(false));
    fixed.setProperty(0, Property::X, 33);
    store.StorePlacement("_PreviewWindow_", fixed);
    EXPECT_EQ(entry("Width"), "<none>");
    Window sizable(define(true));
    store.ApplyPlacement("_PreviewWindow_", sizable);
    EXPECT_EQ(sizable.rect(), (host::Rect{33, 20, 300, 200}));
}

TEST(FilePicker, MasksAreJoinedAndCut) {
    FilePicker picker;
    picker.Setup();
    picker.ReplaceMask("All Files  ", "*.*");
    picker.AppendMask("GIF images|*.GIF");
    picker.AppendMask("");
    EXPECT_EQ(picker.MASKSTRING, "All Files|*.*|GIF images|*.GIF");
    picker.ReplaceMask("GIF Files", "*.GIF");
    EXPECT_EQ(picker.MASKSTRING, "GIF Files|*.GIF");
    picker.ReplaceMask(std::string(300, 'x'));
    EXPECT_EQ(picker.MASKSTRING.size(), FilePicker::maskLimit);
    picker.SetTitle(std::string(100, 't'));
    EXPECT_EQ(picker.PWINDOWTITLE.size(), FilePicker::titleLimit);
}

TEST(FilePicker, ChoosingCancellingAndTheCurrentFolder) {
    host::headless::HeadlessSession session;
    auto start = std::filesystem::current_path();
    auto other = std::filesystem::temp_directory_path();
    FilePicker picker;
    picker.Setup();
    picker.FLAGS = 16;
    picker.SetDefaultDirectory(other.string());
    picker.SetDefaultFile("ITEM.GIF");
    std::vector<std::string> results;

    session.answerNextFileDialog("/pictures/LAMP.GIF");
    session.answerNextFileDialog(std::nullopt);
    session.answerNextFileDialog("/pictures/DESK.GIF");
    session.start([&] {
        results.push_back(picker.Choose(true));
        results.push_back(picker.Choose(true));
        results.push_back(picker.Choose(false));
    });
    EXPECT_EQ(results, (std::vector<std::string>{"/pictures/LAMP.GIF", "", "/pictures/DESK.GIF"}));
    const auto& dialogs = session.display().dialogsShown();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].file.title, "Select A File");
    EXPECT_EQ(dialogs[0].file.fileName, "ITEM.GIF");
    EXPECT_EQ(dialogs[0].file.masks, "All Files|*.*");
    // Without restoring, the dialog leaves the default folder current.
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(other));
    EXPECT_EQ(picker.SAVEPATH, start.string());
    std::filesystem::current_path(start);
}

} // namespace
