// An immediate list on the Qt display, as a browse drives it: the program pages the
// rows, owns the thumb and the scroll bar, hears every scroll and typed key, and reads
// how many rows fit after the window is resized.
#include "QtTestSession.h"

#include "runtime/base/Queue.h"
#include "runtime/qt/ListModel.h"
#include "runtime/qt/ListView.h"
#include "runtime/qt/SampleQueue.h"
#include "runtime/qt/WindowView.h"
#include "runtime/ui/Control.h"
#include "tests/support/EventText.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

using host::Property;
using host::Window;
using host::qt::ListView;
using host::qt::test::define;
using host::qt::test::QtTestSession;

const char* const browse = R"(
window B "Browse" at=0,0,220,130 resizable
  list 1 at=4,4,200,95 from=PAGE immediate format="80L~Name~@s20@"
  button 2 "&Close" at=4,110,40,14
end)";

// A page of `rows` rows out of a file of 40 made-up names, starting at `first`.
void fillPage(host::Queue& page, const host::Queue& file, int first, int rows) {
    page.free();
    for (int i = 0; i < rows && first + i <= static_cast<int>(file.count()); ++i) {
        const_cast<host::Queue&>(file).get(static_cast<std::size_t>(first + i));
        page.buffer().field(1).assign(file.buffer().field(1).value());
        page.add();
    }
}

// The program: a browse that keeps one page of the file in the list, switches the scroll
// bar on, answers a drag by putting the thumb back at 50 and, on Sized, lets the list
// follow the window's height (as the window resizer does) and reloads as many rows as
// now fit.
struct Browse {
    std::shared_ptr<const host::WindowDefinition> definition = define(browse);
    std::unique_ptr<host::Queue> file = host::qt::SampleQueue::makeTexts(40);
    std::unique_ptr<host::Queue> page = host::qt::SampleQueue::makeTexts(0);
    std::vector<std::string> log;

    void run() {
        Window w(definition);
        w.bind("PAGE", *page);
        w.setProperty(1, Property::VScroll, 1);
        w.setProperty(1, Property::ThumbPosition, 50);
        fillPage(*page, *file, 1, w.control(1)->itemsVisible());
        w.setProperty(1, Property::Selected, 1);
        w.open();
        while (w.nextEvent()) {
            std::string text = testsupport::describeEvent(w, true);
            if (w.currentEvent() == host::EventKind::ScrollDrag) {
                text += " at " + w.property(1, Property::ThumbPosition).toText();
                w.setProperty(1, Property::ThumbPosition, 50);
            }
            if (w.currentEvent() == host::EventKind::Sized) {
                w.setProperty(1, Property::Height, w.rect().height - 35);
                fillPage(*page, *file, 1, w.control(1)->itemsVisible());
            }
            log.push_back(text);
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    }
};

TEST(ImmediateList, ScrollingAndTypingReachTheProgramAndTheRowsNeverScrollByThemselves) {
    QtTestSession session;
    Browse program;
    session.start([&] { program.run(); });
    auto* list = session.widgetAs<ListView>(1);
    ASSERT_NE(list, nullptr);
    // The program's selected row shows highlighted, then the row the user clicks.
    auto highlighted = [&](int row) {
        QRect cell = list->visualRect(list->listModel().index(row - 1, 0));
        QImage image = list->viewport()->grab().toImage();
        return image.pixelColor(cell.right() - 2, cell.center().y()) ==
               list->palette().color(QPalette::Highlight);
    };
    EXPECT_TRUE(highlighted(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->listModel().index(1, 0)).center());
    session.settle();
    EXPECT_FALSE(highlighted(1));
    EXPECT_TRUE(highlighted(2));
    program.log.clear();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End})
        QTest::keyClick(list, key);
    // Typing a name: a capital with Shift, small letters, a space, a digit, Backspace.
    QTest::keyClick(list, Qt::Key_S, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_M);
    QTest::keyClick(list, Qt::Key_Space);
    QTest::keyClick(list, Qt::Key_2);
    QTest::keyClick(list, Qt::Key_Backspace);
    // The mouse wheel over the rows and over the scroll bar.
    auto wheel = [](QWidget* over, int delta) {
        QPoint middle = over->rect().center();
        QWheelEvent event(middle, over->mapToGlobal(middle), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    };
    wheel(list->viewport(), -120);
    wheel(list->pager(), 120);
    session.settle();
    EXPECT_EQ(program.log,
              (std::vector<std::string>{
                  "ScrollUp 1 Up", "ScrollDown 1 Down", "PageDown 1 PgDn", "ScrollTop 1 Home",
                  "ScrollBottom 1 End", "AlertKey 1 Shift+S", "AlertKey 1 M", "AlertKey 1 Space",
                  "AlertKey 1 2", "AlertKey 1 Backspace", "ScrollDown 1", "ScrollUp 1"}));
    // Qt is never let to scroll inside the page, even when asked to show a row below it.
    list->scrollTo(list->listModel().index(list->listModel().rowCount() - 1, 0));
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_EQ(list->pager()->value(), 50);
}

TEST(ImmediateList, TheThumbShowsTheProgramsPositionAndOnlyTheUsersDragIsReported) {
    QtTestSession session;
    Browse program;
    session.start([&] { program.run(); });
    Window& w = *session.activeWindow();
    auto* list = session.widgetAs<ListView>(1);
    ASSERT_NE(list, nullptr);
    QScrollBar* pager = list->pager();
    EXPECT_TRUE(pager->isVisible());
    EXPECT_EQ(pager->value(), 50);
    program.log.clear();

    // The arrow below the thumb asks for the next row; the thumb waits for the program.
    pager->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(pager->sliderPosition(), 50);
    pager->triggerAction(QAbstractSlider::SliderPageStepSub);
    session.settle();
    // The program moves the thumb: no drag comes back.
    w.setProperty(1, Property::ThumbPosition, 100);
    session.display().runNow();
    session.settle();
    EXPECT_EQ(pager->value(), 100);

    // The user drags the thumb to 30: while it is held, the program's position does not
    // pull it away; on release the program hears the drag and puts the thumb back.
    pager->setSliderDown(true);
    pager->setSliderPosition(30);
    w.setProperty(1, Property::ThumbPosition, 80);
    session.display().runNow();
    EXPECT_EQ(pager->sliderPosition(), 30);
    pager->setSliderDown(false);
    session.settle();
    EXPECT_EQ(program.log,
              (std::vector<std::string>{"ScrollDown 1", "PageUp 1", "ScrollDrag 1 at 30"}));
    EXPECT_EQ(pager->value(), 50);

    // The program switches its scroll bar off and on: the list takes the bar's room.
    int narrow = list->width();
    w.setProperty(1, Property::VScroll, 0);
    session.display().runNow();
    EXPECT_FALSE(pager->isVisible());
    EXPECT_EQ(list->width(), narrow + pager->sizeHint().width());
    w.setProperty(1, Property::VScroll, 1);
    session.display().runNow();
    EXPECT_TRUE(pager->isVisible());
    EXPECT_EQ(list->width(), narrow);
}

TEST(ImmediateList, AfterTheWindowIsResizedThePageIsTheRowsThatFit) {
    QtTestSession session;
    Browse program;
    session.start([&] { program.run(); });
    Window& w = *session.activeWindow();
    host::qt::WindowView* view = session.display().view(w);
    auto* list = session.widgetAs<ListView>(1);
    ASSERT_NE(list, nullptr);
    auto shownWhole = [&] {
        // Every row of the page lies wholly in the viewport, and no further row would.
        int rows = list->listModel().rowCount();
        QRect last = list->visualRect(list->listModel().index(rows - 1, 0));
        EXPECT_LE(last.bottom(), list->viewport()->height() - 1);
        EXPECT_GT(last.bottom() + list->rowHeight(), list->viewport()->height() - 1);
        return list->rowsShown();
    };
    EXPECT_EQ(w.control(1)->itemsVisible(), 8);
    EXPECT_EQ(list->listModel().rowCount(), 8);
    EXPECT_EQ(shownWhole(), 8);

    program.log.clear();
    const host::qt::Units& units = view->units();
    for (int taller : {25, 30, -50}) {
        view->mainWindow()->resize(view->mainWindow()->size() + QSize(0, units.y(taller)));
        session.settle();
        int fit = w.control(1)->itemsVisible();
        EXPECT_EQ(fit, (w.rect().height - 35) / 10 - 1);
        EXPECT_EQ(list->listModel().rowCount(), fit);
        EXPECT_EQ(shownWhole(), fit);
    }
    EXPECT_EQ(program.log,
              (std::vector<std::string>{"Sizing", "Sized", "Sizing", "Sized", "Sizing", "Sized"}));
}

} // namespace
