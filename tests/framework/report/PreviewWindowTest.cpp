// The print preview: the pages chosen by a selection, thumbnails paged so that the
// current page is on screen, grids that would reach past the last page undone, pages
// whose files went missing, clicks on the pages, and pages larger than the window.
#include "framework/report/PreviewWindow.h"
#include "framework/report/PageImage.h"
#include "runtime/base/Queue.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/Value.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/report/PageFile.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using framework::PreviewWindow;
using host::headless::HeadlessSession;

class PreviewTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder;
    host::Queue pages{std::make_shared<const host::RecordLayout>(
        host::RecordLayout{{"FILENAME", host::FieldType::text(128)}})};
    PreviewWindow preview;

    void makePages(int count) {
        for (int page = 1; page <= count; ++page) {
            host::PageDrawing drawing;
            drawing.marks.push_back({host::PageMark::Text,
                                     500,
                                     500,
                                     3000,
                                     200,
                                     {"Arial", 10},
                                     'L',
                                     "Page " + std::to_string(page)});
            std::string path = folder.path() + "/page" + std::to_string(page) + ".eippage";
            ASSERT_TRUE(host::PageFile::write(path, drawing));
            pages.buffer().field(1).assign(host::Value(path));
            pages.add();
        }
        preview.Prepare(pages);
    }
    std::vector<int> chosen(std::string selection, int count = 10) {
        preview.PAGESTOPRINT = std::move(selection);
        std::vector<int> result;
        for (int page = 1; page <= count; ++page)
            if (preview.PageChosen(page))
                result.push_back(page);
        return result;
    }
};

TEST_F(PreviewTest, PageSelections) {
    EXPECT_EQ(chosen("1-3,7"), (std::vector<int>{1, 2, 3, 7}));
    EXPECT_EQ(chosen("3-1"), std::vector<int>{});
    EXPECT_EQ(chosen("2-"), std::vector<int>{});
    EXPECT_EQ(chosen(""), std::vector<int>{});
    EXPECT_EQ(chosen(" 4 , 9-10,x"), (std::vector<int>{4, 9, 10}));
}

TEST_F(PreviewTest, ThumbnailsPageToTheCurrentPageAndGridsStayWithinThePages) {
    makePages(10);
    HeadlessSession session;
    bool print = true;
    session.start([&] { print = preview.ShowPages(-2, 1, 2, 2); });
    host::Window* window = session.window("Report Preview");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(preview.THUMBNAILSPRESENT, 4);
    EXPECT_EQ(session.statusBar(2), "Page 1-4 of 10");
    EXPECT_EQ(session.statusBar(3), "Zoom: Tile Pages");

    ASSERT_TRUE(session.type("15", "10"));
    EXPECT_EQ(preview.FIRSTPAGE, 7);
    EXPECT_EQ(session.statusBar(2), "Page 7-10 of 10");

    // From page 6 with 5 pages left, 3 across and 2 down would need 6: undone.
    preview.FIRSTPAGE = 6;
    preview.PAGESACROSS = 3;
    EXPECT_FALSE(preview.GridChanged(true));
    EXPECT_EQ(preview.PAGESACROSS, 2);
    EXPECT_EQ(preview.PAGESDOWN, 2);

    ASSERT_TRUE(session.chooseMenu("E&xit"));
    EXPECT_FALSE(print);
    EXPECT_EQ(pages.count(), 10u) << "leaving prints nothing and deletes nothing";
}

TEST_F(PreviewTest, PrintingDropsThePagesNotChosenAndMissingPagesAreTold) {
    makePages(4);
    std::filesystem::remove(preview.PageFile(2));
    HeadlessSession session;
    bool print = false;
    session.start([&] { print = preview.ShowPages(100, 1, 1, 1); });
    ASSERT_TRUE(session.type("15", "2"));
    EXPECT_EQ(session.statusBar(1), "Page 2 cannot be shown: cannot read " + preview.PageFile(2) +
                                        ": No such file or directory");
    ASSERT_TRUE(session.chooseMenu("Pa&ges to Print..."));
    ASSERT_TRUE(session.type("&Pages to Print:", "1,2-2,4"));
    ASSERT_TRUE(session.press("&Ok"));
    ASSERT_TRUE(session.chooseMenu("&Print"));
    EXPECT_TRUE(print);
    ASSERT_EQ(pages.count(), 3u);
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/page3.eippage"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() + "/page4.eippage"));
}

int property(host::Window& window, int control, host::Property which) {
    return static_cast<int>(window.property(control, which).toInteger());
}

TEST_F(PreviewTest, ClickingPagesGoesBetweenThumbnailsAndOnePageScrolledToThePlaceClicked) {
    makePages(6);
    HeadlessSession session;
    session.start([&] { preview.ShowPages(-2, 1, 3, 2); });
    host::Window* window = session.window("Report Preview");
    ASSERT_NE(window, nullptr);
    // Page 5's thumbnail (image 509), clicked three quarters of the way down.
    int thumbnailHeight = property(*window, 509, host::Property::Height);
    ASSERT_TRUE(session.clickImage("509", 4, thumbnailHeight * 3 / 4));
    EXPECT_EQ(preview.CURRENTPAGE, 5);
    EXPECT_EQ(session.statusBar(3), "Zoom: Page Width");
    EXPECT_EQ(session.statusBar(2), "Page 5 of 6");
    // At page width the page fits across and scrolls down, starting where it was clicked.
    int width = window->rect().width;
    EXPECT_LE(property(*window, 509, host::Property::Width), width);
    EXPECT_LE(property(*window, 509, host::Property::Height), window->rect().height);
    EXPECT_EQ(property(*window, 509, host::Property::HScroll), 0);
    EXPECT_EQ(property(*window, 509, host::Property::VScroll), 1);
    EXPECT_NEAR(property(*window, 509, host::Property::ScrollY), 191, 3);
    int drawn = property(*window, 509, host::Property::DrawnWidth);
    EXPECT_GT(drawn, width * 9 / 10);

    // The page follows the window's width.
    ASSERT_TRUE(session.resize(width + 100, window->rect().height));
    EXPECT_EQ(property(*window, 509, host::Property::DrawnWidth), drawn + 100);

    // Clicking the page goes back to the thumbnails, page 5 among them.
    ASSERT_TRUE(session.clickImage("509", 10, 10));
    EXPECT_EQ(session.statusBar(3), "Zoom: Tile Pages");
    EXPECT_EQ(session.statusBar(2), "Page 1-6 of 6");
    EXPECT_EQ(preview.CURRENTPAGE, 5);
    EXPECT_EQ(property(*window, 508, host::Property::Colour), 0xFF0000) << "the current page";
    EXPECT_EQ(property(*window, 500, host::Property::Colour), 0);

    // A right click on page 2 offers the zooms; 200% shows it scrolled to the place.
    int thumbnailWidth = property(*window, 503, host::Property::Width);
    session.answerNextPopup("200% Zoom");
    ASSERT_TRUE(session.clickImage("503", thumbnailWidth / 2, thumbnailHeight / 4,
                                   host::KeyCode::MouseRight));
    EXPECT_EQ(preview.CURRENTPAGE, 2);
    EXPECT_EQ(session.statusBar(3), "Zoom: 200%");
    EXPECT_EQ(property(*window, 503, host::Property::HScroll), 1);
    EXPECT_NEAR(property(*window, 503, host::Property::ScrollX), 127, 4);
    EXPECT_NEAR(property(*window, 503, host::Property::ScrollY), 63, 4);
    EXPECT_FALSE(window->isVisible(502)) << "the border hides when the page overflows both ways";

    // A right click on the scrolled page counts the part scrolled away: at the left edge
    // of what shows, scrolled fully across, it points at the page's hidden width.
    window->setProperty(503, host::Property::ScrollX, host::Value(255));
    int shown = property(*window, 503, host::Property::Width);
    int wide = property(*window, 503, host::Property::DrawnWidth);
    int expected = (wide - shown) * 100 / wide * 255 / 100;
    session.answerNextPopup("");
    ASSERT_TRUE(session.clickImage("503", 0, 0, host::KeyCode::MouseRight));
    EXPECT_EQ(session.statusBar(3), "Zoom: 200%") << "nothing chosen changes nothing";
    EXPECT_EQ(preview.PAGEMANAGER->CENTREONX, 0) << "and the place is forgotten";
    session.answerNextPopup("300% Zoom");
    ASSERT_TRUE(session.clickImage("503", 0, 0, host::KeyCode::MouseRight));
    EXPECT_EQ(session.statusBar(3), "Zoom: 300%");
    EXPECT_NEAR(property(*window, 503, host::Property::ScrollX), expected, 4);
    ASSERT_TRUE(session.chooseMenu("E&xit"));
}

} // namespace
