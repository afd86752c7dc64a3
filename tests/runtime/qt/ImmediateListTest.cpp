// An immediate list on the Qt display, as a browse drives it: the program pages the
// rows, owns the thumb and the scroll bar, hears every scroll and typed key, and reads
// how many rows fit after the window is resized.
#include "QtTestSession.h"

#include "runtime/base/Queue.h"
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

// A browse: one page of made-up rows, the scroll bar on with the thumb at 50, a drag
// answered by putting the thumb back; on Sized the list takes the window's new height
// (as the window resizer does) and the page is reloaded with as many rows as now fit.
struct Browse {
    host::qt::test::QtTestSession session;
    std::shared_ptr<const host::WindowDefinition> definition = host::qt::test::define(R"(
window B "Browse" at=0,0,220,130 resizable
  list 1 at=4,4,200,95 from=PAGE immediate format="80L~Name~@s20@"
end)");
    std::unique_ptr<host::Queue> page;
    std::vector<std::string> log;
    Window* window = nullptr;
    ListView* list = nullptr;

    Browse() {
        session.start([this] { run(); });
        window = session.activeWindow();
        list = session.widgetAs<ListView>(1);
        log.clear();
    }
    void run() {
        Window w(definition);
        auto reload = [&] {
            page = host::qt::SampleQueue::makeTexts(std::size_t(w.control(1)->itemsVisible()));
            w.setQueue(1, page.get());
        };
        reload();
        w.setProperty(1, Property::VScroll, 1);
        w.setProperty(1, Property::ThumbPosition, 50);
        w.open();
        while (w.nextEvent()) {
            log.push_back(testsupport::describeEvent(w, true));
            if (w.currentEvent() == host::EventKind::ScrollDrag) {
                log.back() += " at " + w.property(1, Property::ThumbPosition).toText();
                w.setProperty(1, Property::ThumbPosition, 50);
            } else if (w.currentEvent() == host::EventKind::Sized) {
                w.setProperty(1, Property::Height, w.rect().height - 35);
                reload();
            }
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    }
    void wheel(QWidget* over, int delta) {
        QPoint at = over->rect().center();
        QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    }
};

TEST(ImmediateList, ScrollingAndTypingReachTheProgramAndTheRowsNeverScrollByThemselves) {
    Browse b;
    QTest::mouseClick(b.list->viewport(), Qt::LeftButton, {},
                      b.list->visualRect(b.list->model()->index(1, 0)).center());
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End})
        QTest::keyClick(b.list, key);
    QTest::keyClick(b.list, Qt::Key_S, Qt::ShiftModifier);
    for (Qt::Key key : {Qt::Key_M, Qt::Key_Space, Qt::Key_2, Qt::Key_Backspace})
        QTest::keyClick(b.list, key);
    b.wheel(b.list->viewport(), -60); // half steps add up to one
    b.wheel(b.list->viewport(), -60);
    b.wheel(b.list->pager(), 120); // over the scroll bar the wheel pages too
    b.session.settle();
    EXPECT_EQ(b.log, (std::vector<std::string>{
                         "NewSelection 1 MouseLeft", "ScrollUp 1 Up", "ScrollDown 1 Down",
                         "PageDown 1 PgDn", "ScrollTop 1 Home", "ScrollBottom 1 End",
                         "AlertKey 1 Shift+S", "AlertKey 1 M", "AlertKey 1 Space", "AlertKey 1 2",
                         "AlertKey 1 Backspace", "ScrollDown 1", "ScrollUp 1"}));
    // Qt is never let to scroll inside the page, even when asked to show a row below it.
    b.list->scrollTo(b.list->model()->index(b.list->model()->rowCount() - 1, 0));
    EXPECT_EQ(b.list->verticalScrollBar()->value(), 0);
    EXPECT_EQ(b.list->pager()->value(), 50);
}

TEST(ImmediateList, TheThumbShowsTheProgramsPositionAndOnlyTheUsersDragIsReported) {
    Browse b;
    QScrollBar* pager = b.list->pager();
    EXPECT_TRUE(pager->isVisible());
    // An arrow click asks the program; the thumb waits for it to move.
    pager->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(pager->sliderPosition(), 50);
    b.window->setProperty(1, Property::ThumbPosition, 100); // no drag comes back
    b.session.settle();
    EXPECT_EQ(pager->value(), 100);
    // Held at 30, the thumb is not pulled away by the program; let go, it is a drag.
    pager->setSliderDown(true);
    pager->setSliderPosition(30);
    b.window->setProperty(1, Property::ThumbPosition, 80);
    b.session.display().runNow();
    EXPECT_EQ(pager->sliderPosition(), 30);
    pager->setSliderDown(false);
    b.session.settle();
    EXPECT_EQ(b.log, (std::vector<std::string>{"ScrollDown 1", "ScrollDrag 1 at 30"}));
    EXPECT_EQ(pager->value(), 50);
}

TEST(ImmediateList, AfterTheWindowIsResizedThePageIsTheRowsThatFit) {
    Browse b;
    host::qt::WindowView* view = b.session.display().view(*b.window);
    for (int taller : {0, 25, 30, -50}) {
        view->mainWindow()->resize(view->mainWindow()->size() + QSize(0, view->units().y(taller)));
        b.session.settle();
        int fit = b.window->control(1)->itemsVisible();
        EXPECT_EQ(fit, (b.window->rect().height - 35) / 10 - 1);
        // Exactly the page shows: its last row whole, no room for another.
        EXPECT_EQ(b.list->model()->rowCount(), fit);
        EXPECT_EQ(b.list->rowsShown(), fit);
        EXPECT_EQ(b.list->visualRect(b.list->model()->index(fit - 1, 0)).bottom(),
                  b.list->viewport()->height() - 1);
    }
    EXPECT_EQ(b.log.size(), 6u); // Sizing and Sized for each resize
}

} // namespace
