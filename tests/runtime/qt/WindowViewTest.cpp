// Windows on the screen: the frame and its children, the status bar, windows of one
// thread blocking each other, geometry and sizing, column editors, scrolled images and
// the busy cursor.
#include "QtTestSession.h"
#include <algorithm>

#include "runtime/base/Queue.h"
#include "runtime/qt/ControlView.h"
#include "runtime/qt/ListView.h"
#include "runtime/qt/SampleQueue.h"
#include "runtime/qt/WindowView.h"
#include "runtime/ui/Control.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using host::EventKind;
using host::Window;
using host::qt::WindowView;
using host::qt::test::define;
using host::qt::test::QtTestSession;

// Runs a window's loop, logging its events; `onEvent` may act on them.
void runLogged(std::shared_ptr<const host::WindowDefinition> definition,
               std::vector<std::string>& log, std::function<void(Window&)> onEvent = {}) {
    Window w(definition);
    w.open();
    while (w.nextEvent()) {
        std::string line(host::eventName(w.currentEvent()));
        if (w.eventControl())
            line += " " + std::to_string(w.eventControl());
        log.push_back(line);
        if (onEvent)
            onEvent(w);
        w.endCycle(host::CycleEnd::DefaultAction);
    }
}

const char* const frameText = R"(
window FRAME "Example EIP Application" frame at=0,0,400,260 status=-1,60,60
  menu "&Browse"
    item 10 "&Customers"
  end
  menu "&Window"
    item 11 "T&ile" std=tile
  end
  toolbar
    button 2005 icon="WIZFIRST.gif" tip="Go to the First Page"
    button 2000 icon="wizins.gif" tip="Insert a New Row"
  end
end)";

const char* const childText = R"(
window CHILD "List of Customers" mdi at=10,10,200,100 system resizable
  prompt 1 "&Name:" at=8,8
  entry 2 at=50,8,80,10 use=NAME status="Customer Name"
  button 3 "&Form" at=8,30,50,14
end)";

const char* const formText = R"(
window FORM "Update the Customer" at=0,0,120,60
  button 1 "&OK" at=8,8,40,14
end)";

TEST(WindowView, ChildWindowsOpenInTheFrameWithMenusToolbarAndStatusBar) {
    QtTestSession session;
    std::vector<std::string> frameLog;
    std::map<int, std::vector<std::string>> childLogs; // by thread
    auto frame = define(frameText);
    auto child = define(childText);
    session.start([&] {
        runLogged(frame, frameLog, [&](Window& w) {
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 10)
                host::startThread(
                    [&] { runLogged(child, childLogs[session.desktop().scheduler().current()]); });
        });
    });
    WindowView* frameView = session.display().view(*session.desktop().frame());
    ASSERT_NE(frameView, nullptr);
    ASSERT_NE(frameView->mdiArea(), nullptr);
    EXPECT_EQ(frameView->mainWindow()->windowTitle(), "Example EIP Application");
    QList<QAction*> menus = frameView->mainWindow()->menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), "&Browse");
    QToolBar* toolBar = frameView->toolBar();
    ASSERT_NE(toolBar, nullptr);
    ASSERT_EQ(toolBar->actions().size(), 2);
    EXPECT_EQ(toolBar->actions()[0]->toolTip(), "Go to the First Page");
    EXPECT_FALSE(toolBar->actions()[0]->icon().isNull());

    // Two copies of the same browse, each on a thread of its own, inside the frame.
    menus[0]->menu()->actions()[0]->trigger();
    session.settle();
    menus[0]->menu()->actions()[0]->trigger();
    session.settle();
    ASSERT_EQ(session.desktop().windows().size(), 3u);
    EXPECT_EQ(frameView->mdiArea()->subWindowList().size(), 2);
    Window* second = session.desktop().windows()[2];
    WindowView* childView = session.display().view(*second);
    ASSERT_NE(childView->subWindow(), nullptr);
    EXPECT_EQ(childView->subWindow()->mdiArea(), frameView->mdiArea());
    EXPECT_EQ(childView->subWindow()->windowTitle(), "List of Customers");
    EXPECT_EQ(frameView->mdiArea()->activeSubWindow(), childView->subWindow());
    // The focused entry's status text shows in the frame's first zone; the program
    // writes the others.
    EXPECT_EQ(frameView->statusZone(1)->text(), "Customer Name");
    session.desktop().frame()->setStatusText(3, "Friday, March 15, 2024");
    session.display().runNow();
    EXPECT_EQ(frameView->statusZone(3)->text(), "Friday, March 15, 2024");
    EXPECT_EQ(frameView->statusZone(4), nullptr);

    // The window menu's tile is done by the display and still reaches the program; the
    // children it sizes hear of their new size.
    menus[1]->menu()->actions()[0]->trigger();
    session.settle();
    EXPECT_EQ(frameLog.back(), "Accepted 11");
    EXPECT_EQ(childLogs[second->thread()].back(), "Sized");

    // The user activates the first child: the program hears of it.
    Window* first = session.desktop().windows()[1];
    frameView->mdiArea()->setActiveSubWindow(session.display().view(*first)->subWindow());
    session.settle();
    EXPECT_EQ(session.desktop().activeWindow(), first);
    EXPECT_EQ(childLogs[first->thread()].back(), "GainFocus");
    EXPECT_EQ(childLogs[second->thread()].back(), "LoseFocus");

    // The close box of a child closes only that child.
    session.display().view(*first)->subWindow()->close();
    session.settle();
    EXPECT_EQ(session.desktop().windows().size(), 2u);
    EXPECT_EQ(frameView->mdiArea()->subWindowList().size(), 1);
}

TEST(WindowView, AWindowWaitingOnALaterWindowOfItsThreadTakesNoInput) {
    QtTestSession session;
    std::vector<std::string> childLog, formLog;
    auto child = define(childText);
    auto form = define(formText);
    session.start([&] {
        runLogged(child, childLog, [&](Window& w) {
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 3)
                runLogged(form, formLog); // the form runs inside the browse's loop
        });
    });
    Window* browse = session.activeWindow();
    auto* formButton = session.widgetAs<QPushButton>(3, browse);
    ASSERT_NE(formButton, nullptr);
    QTest::mouseClick(formButton, Qt::LeftButton);
    session.settle();
    ASSERT_EQ(session.desktop().windows().size(), 2u);
    EXPECT_TRUE(session.display().view(*browse)->isBlocked());
    std::size_t before = childLog.size();
    // Clicks and keys on the waiting window are swallowed.
    QTest::mouseClick(formButton, Qt::LeftButton);
    QTest::keyClicks(session.widgetAs<QLineEdit>(2, browse), "abc");
    session.settle();
    EXPECT_EQ(childLog.size(), before);
    EXPECT_TRUE(session.widgetAs<QLineEdit>(2, browse)->text().isEmpty());

    Window* formWindow = session.activeWindow();
    WindowView* formView = session.display().view(*formWindow);
    EXPECT_FALSE(formView->isBlocked());
    EXPECT_EQ(formView->subWindow(), nullptr); // a window of its own
    formView->mainWindow()->close();
    session.settle();
    EXPECT_EQ(formLog.back(), "CloseWindow");
    EXPECT_FALSE(session.display().view(*browse)->isBlocked());
    QTest::mouseClick(formButton, Qt::LeftButton);
    session.settle();
    EXPECT_EQ(childLog.back(), "Accepted 3");
}

const char* const sizedText = R"(
window SIZED "Sized" at=0,0,200,100 resizable
  entry 1 at=20,10,80,10 use=NAME
  button 2 "&Go" at=20,30,40,14 hidden
end)";

// The sized window running on a thread of its own, logging its events.
struct SizedWindow {
    QtTestSession session;
    std::vector<std::string> log;
    Window* w = nullptr;
    WindowView* view = nullptr;
    SizedWindow() {
        session.start([this, sized = define(sizedText)] { runLogged(sized, log); });
        w = session.activeWindow();
        view = session.display().view(*w);
    }
};

TEST(WindowView, ControlsSitAtTheirUnitsAndTheUsersSizingReachesTheProgram) {
    SizedWindow sized;
    auto& [session, log, w, view] = sized;
    const host::qt::Units& units = view->units();
    EXPECT_EQ(view->surface()->size(), QSize(units.x(200), units.y(100)));
    EXPECT_EQ(session.widget(1)->geometry(),
              QRect(units.x(20), units.y(10), units.x(80), units.y(10)));
    EXPECT_FALSE(session.widget(2)->isVisible());

    // The program moves, shows and retitles: the screen follows.
    w->setProperty(1, host::Property::X, 40);
    w->show(2);
    w->setTitle("Sized again");
    session.display().runNow();
    EXPECT_EQ(session.widget(1)->x(), units.x(40));
    EXPECT_TRUE(session.widget(2)->isVisible());
    EXPECT_EQ(view->mainWindow()->windowTitle(), "Sized again");

    // The user makes the window larger: Sizing, then Sized with the new size.
    log.clear();
    view->mainWindow()->resize(view->mainWindow()->size() + QSize(units.x(100), units.y(50)));
    session.settle();
    EXPECT_EQ(log, (std::vector<std::string>{"Sizing", "Sized"}));
    EXPECT_NEAR(w->rect().width, 300, 1);
    EXPECT_NEAR(w->rect().height, 150, 1);

    // The program maximises the window: its size is the size it fills on the screen.
    log.clear();
    w->setProperty(0, host::Property::Maximized, 1);
    session.display().runNow();
    session.settle();
    ASSERT_TRUE(view->outer()->isMaximized());
    EXPECT_EQ(log.back(), "Sized");
    EXPECT_NEAR(w->rect().width, units.unitsX(view->surface()->width()), 1);
    EXPECT_NEAR(w->rect().height, units.unitsY(view->surface()->height()), 1);
    EXPECT_GT(w->rect().width, 300);
    // Restored, it has its own size again.
    w->setProperty(0, host::Property::Maximized, 0);
    session.display().runNow();
    session.settle();
    EXPECT_NEAR(w->rect().width, 300, 1);
    EXPECT_NEAR(w->rect().height, 150, 1);
}

// A window the program hides (a report's progress window while its preview shows) leaves
// the screen and comes back when shown again.
TEST(WindowView, AWindowTheProgramHidesLeavesTheScreen) {
    SizedWindow sized;
    auto& [session, log, w, view] = sized;
    ASSERT_TRUE(view->outer()->isVisible());
    w->setProperty(0, host::Property::Hidden, 1);
    session.display().runNow();
    EXPECT_FALSE(view->outer()->isVisible());
    EXPECT_EQ(w->property(0, host::Property::Hidden).toInteger(), 1);
    w->setProperty(0, host::Property::Hidden, 0);
    session.display().runNow();
    EXPECT_TRUE(view->outer()->isVisible());
}

// A child the program maximises before it first shows (a print preview does) takes the
// size it fills in the frame, as one maximised later does, so that its contents can use
// the room.
TEST(WindowView, AChildMaximisedAsItOpensReportsTheSizeItFills) {
    QtTestSession session;
    std::vector<std::string> frameLog;
    std::vector<std::string> childLog;
    auto frame = define(frameText);
    auto child = define(childText);
    session.start([&] {
        runLogged(frame, frameLog, [&](Window& w) {
            if (w.currentEvent() != EventKind::Accepted || w.eventControl() != 10)
                return;
            host::startThread([&] {
                Window c(child);
                c.open();
                c.setProperty(0, host::Property::Maximized, 1);
                while (c.nextEvent()) {
                    childLog.emplace_back(host::eventName(c.currentEvent()));
                    c.endCycle(host::CycleEnd::DefaultAction);
                }
            });
        });
    });
    WindowView* frameView = session.display().view(*session.desktop().frame());
    frameView->mainWindow()->menuBar()->actions()[0]->menu()->actions()[0]->trigger();
    session.settle();
    session.settle(); // the size is told after the display is done
    ASSERT_EQ(session.desktop().windows().size(), 2u);
    Window* c = session.desktop().windows()[1];
    WindowView* view = session.display().view(*c);
    ASSERT_TRUE(view->outer()->isMaximized());
    EXPECT_NE(std::find(childLog.begin(), childLog.end(), "Sized"), childLog.end());
    EXPECT_GT(c->rect().width, 200);
    EXPECT_NEAR(c->rect().width, view->units().unitsX(view->surface()->width()), 1);
    EXPECT_NEAR(c->rect().height, view->units().unitsY(view->surface()->height()), 1);
}

const char* const editedList = R"(
window EDIT "Lines"
  list 1 at=0,0,200,80 from=ROWS format="60L~Item~@s10@40R~Qty~@n5@"
end)";

TEST(WindowView, AColumnEditorLiesOverTheSelectedRowsCell) {
    QtTestSession session;
    auto definition = define(editedList);
    auto queue =
        host::qt::SampleQueue::make(*host::ListFormat::parse("60L~Item~@s10@40R~Qty~@n5@"), 6);
    host::Variable quantity(host::FieldType::longInteger());
    int editor = 0;
    std::vector<std::string> log;
    session.start([&] {
        Window w(definition);
        w.bind("ROWS", *queue);
        w.setProperty(1, host::Property::Selected, 3);
        w.open();
        editor = w.createControl(host::ControlKind::Entry);
        w.setUse(editor, quantity);
        w.setProperty(1, host::Property::ColumnEditor, editor, 2);
        w.select(editor);
        while (w.nextEvent())
            w.endCycle(host::CycleEnd::DefaultAction);
    });
    ASSERT_NE(editor, 0);
    auto* list = session.widgetAs<host::qt::ListView>(1);
    QWidget* entry = session.widget(editor);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->geometry(), list->cellRect(3, 2));
    EXPECT_TRUE(entry->hasFocus() || QApplication::focusWidget() == nullptr);
    // The editor's typing goes into the row variable's control.
    QTest::keyClicks(entry, "7");
    session.settle();
    EXPECT_EQ(session.activeWindow()->control(editor)->contents(), "7");
}

TEST(WindowView, TheBusyCursorFollowsTheDesktop) {
    QtTestSession session;
    session.desktop().setBusy(true);
    session.display().runNow();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    session.desktop().setBusy(false);
    session.display().runNow();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

const char* const timedForm = R"(
window TIMED "Timed" timer=2
  entry 1 use=NAME
  button 2 "&OK" default
  button 3 "Cancel" cancel
end)";

TEST(WindowView, TimersTickFromQtsLoopAndEnterAndEscPressTheirButtons) {
    QtTestSession session;
    std::vector<std::string> log;
    auto definition = define(timedForm);
    host::Variable name(host::FieldType::text(10));
    session.start([&] {
        Window w(definition);
        w.bind("NAME", name);
        w.open();
        while (w.nextEvent()) {
            if (w.currentEvent() != EventKind::Timer || log.empty() || log.back() != "Timer")
                log.push_back(std::string(host::eventName(w.currentEvent())) +
                              (w.eventControl() ? " " + std::to_string(w.eventControl()) : ""));
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    });
    // The window's timer (two hundredths) ticks while Qt's loop runs.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000 && std::count(log.begin(), log.end(), "Timer") == 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Timer"), 1);

    log.clear();
    auto* entry = session.widgetAs<QLineEdit>(1);
    QTest::keyClicks(entry, "Ann");
    QTest::keyClick(entry, Qt::Key_Return);
    session.settle();
    QTest::keyClick(entry, Qt::Key_Escape);
    session.settle();
    std::erase(log, "Timer");
    EXPECT_EQ(log, (std::vector<std::string>{"Accepted 1", "Accepted 2", "Accepted 3"}));
    EXPECT_EQ(name.value().toText(), "Ann       ");
}

TEST(WindowView, UpperCaseAndCapitalisedEntriesShowWhatTheRuntimeMadeOfTheTyping) {
    QtTestSession session;
    auto definition = define(R"(
window NAMES "Names"
  entry 1 use=CODE upper picture=@s10
  entry 2 use=NAME caps picture=@s30
end)");
    host::Variable code(host::FieldType::text(10));
    host::Variable name(host::FieldType::text(30));
    session.start([&] {
        Window w(definition);
        w.bind("CODE", code);
        w.bind("NAME", name);
        w.open();
        while (w.nextEvent())
            w.endCycle(host::CycleEnd::DefaultAction);
    });
    auto* first = session.widgetAs<QLineEdit>(1);
    QTest::keyClicks(first, "b100x");
    session.settle();
    EXPECT_EQ(first->text(), "B100X");
    EXPECT_EQ(first->cursorPosition(), 5); // typing goes on where it was
    QTest::keyClick(first, Qt::Key_Tab);
    session.settle();
    auto* second = session.widgetAs<QLineEdit>(2);
    EXPECT_TRUE(second->hasFocus() || QApplication::focusWidget() == nullptr);
    QTest::keyClicks(second, "ziro's CORNER shop");
    QTest::keyClick(second, Qt::Key_Tab);
    session.settle();
    EXPECT_EQ(second->text(), "Ziro's Corner Shop");
    EXPECT_EQ(code.value().toText(), "B100X     ");
    EXPECT_EQ(std::string(host::clipped(name.value().toText())), "Ziro's Corner Shop");
}

TEST(WindowView, ACaretTheProgramPlacesMarksTheRestSoThatTypingReplacesIt) {
    QtTestSession session;
    auto definition = define(R"(
window CODES "Codes"
  entry 1 use=CODE upper immediate picture=@s10
end)");
    host::Variable code(host::FieldType::text(10));
    std::vector<int> carets;
    session.start([&] {
        Window w(definition);
        w.bind("CODE", code);
        w.open();
        while (w.nextEvent()) {
            if (w.currentEvent() == host::EventKind::NewSelection && w.eventControl() == 1) {
                // Completes "B" to "B100", the caret staying after what was typed.
                int caret = static_cast<int>(w.property(1, host::Property::Caret).toInteger());
                carets.push_back(caret);
                w.update(1);
                if (std::string(host::clipped(code.value().toText())) == "B") {
                    code.assign(host::Value("B100"));
                    w.display(1);
                    w.setProperty(1, host::Property::Caret, host::Value(caret));
                }
            }
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    });
    auto* entry = session.widgetAs<QLineEdit>(1);
    QTest::keyClicks(entry, "b");
    session.settle();
    EXPECT_EQ(entry->text(), "B100");
    EXPECT_EQ(entry->cursorPosition(), 1);
    EXPECT_EQ(entry->selectedText(), "100");
    QTest::keyClicks(entry, "2");
    session.settle();
    EXPECT_EQ(entry->text(), "B2");
    EXPECT_EQ(carets, (std::vector<int>{2, 3}));
}

} // namespace
