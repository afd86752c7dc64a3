// The program gets the same events whether the user works through the Qt display or a
// test drives the headless display with the same actions.
#include "QtTestSession.h"

#include "runtime/base/MessageBox.h"
#include "runtime/base/Queue.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/qt/WindowView.h"
#include "runtime/ui/KeyCode.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include "runtime/qt/DropList.h"
#include "runtime/qt/ImageView.h"
#include "runtime/qt/ListView.h"
#include "runtime/qt/SpinBox.h"

#include <gtest/gtest.h>

namespace {

using host::ControlKind;
using host::EventKind;
using host::KeyCode;
using host::Window;
using host::qt::test::QtTestSession;

const char* const everyControl = R"(
window W "Every Control" at=0,0,300,230 status=-1
  menu "&File"
    item 30 "&Open"
  end
  toolbar
    button 31 icon="wizins.gif" tip="Insert"
  end
  prompt 1 "&Phone:" at=8,8
  entry 2 at=60,8,80,10 use=PHONE picture="@P(###) ###-####P" alert="Ctrl+'"
  prompt 3 "&Qty:" at=8,22
  entry 4 at=60,22,40,10 use=QTY picture=@n5
  spin 5 at=60,36,40,10 use=SPIN picture=@n3 range=1,10
  droplist 6 at=60,50,60,10 from="EA|PR|DZ" use=UOM
  combo 7 at=60,64,80,10 use=FILE
  check 8 "&Print" at=150,8 use=PRINT
  option 9 "Kind" at=150,20,100,40 use=KIND
    radio 10 "Cash" at=156,30 value="C"
    radio 11 "Credit" at=156,42 value="R"
  end
  sheet 12 at=8,80,280,90
    tab 13 "One"
      list 14 at=12,96,270,60 from=ROWS format="60L|M~Name~@s10@40R~Qty~@n5@"
    end
    tab 15 "Two"
      text 16 at=12,96,200,40 use=NOTES
    end
  end
  group 17 "Box" at=8,172,120,30
    display 18 at=12,184,100,10 use=QTY picture=@n5
  end
  image 19 at=140,172,24,24 image="wizok.gif" alert="MouseRight"
  progress 20 at=170,172,100,8
  box 21 at=170,184,20,10
  line 22 at=200,184,40,0
  ellipse 23 at=250,184,20,10
  panel 24 at=8,222,280,4
  region 25 at=280,190,10,10
  label 26 "A label" at=200,196
  button 27 "&Ask" at=140,204,40,14
  button 28 "&Menu" at=184,204,40,14
  button 29 "&OK" at=230,204,40,14 default
end)";

// The program under both displays: one window, every event logged, a message box and
// a popup menu raised from two buttons.
struct Program {
    std::shared_ptr<const host::WindowDefinition> definition = host::qt::test::define(everyControl);
    host::Variable phone{host::FieldType::text(10)};
    host::Variable qty{host::FieldType::longInteger()};
    host::Variable spin{host::FieldType::longInteger()};
    host::Variable uom{host::FieldType::text(2)};
    host::Variable file{host::FieldType::text(40)};
    host::Variable print{host::FieldType::text(1)};
    host::Variable kind{host::FieldType::text(1)};
    host::Variable notes{host::FieldType::text(60)};
    host::Queue rows{std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"NAME", host::FieldType::text(10)}, {"QTY", host::FieldType::longInteger()}})};
    std::vector<std::string> log;

    Program() {
        spin.assign(host::Value(1));
        for (int i = 1; i <= 5; ++i) {
            rows.buffer().field(1).assign(host::Value("Row " + std::to_string(i)));
            rows.buffer().field(2).assign(host::Value(i * 10));
            rows.add();
        }
    }

    void run() {
        Window w(definition);
        w.bind("PHONE", phone);
        w.bind("QTY", qty);
        w.bind("SPIN", spin);
        w.bind("UOM", uom);
        w.bind("FILE", file);
        w.bind("PRINT", print);
        w.bind("KIND", kind);
        w.bind("NOTES", notes);
        w.bind("ROWS", rows);
        w.open();
        while (w.nextEvent()) {
            std::string line(host::eventName(w.currentEvent()));
            if (w.eventControl())
                line += " " + std::to_string(w.eventControl());
            if (w.event().keyCode)
                line += " key " + host::KeyCode::name(w.event().keyCode);
            if (w.eventControl() == 19)
                line += " at " + w.property(19, host::Property::MouseX).toText() + "," +
                        w.property(19, host::Property::MouseY).toText();
            log.push_back(line);
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 27) {
                unsigned answer =
                    host::showMessage("Save the changes?", "Question", host::MessageIcon::Question,
                                      host::ButtonYes | host::ButtonNo, host::ButtonYes);
                log.push_back("answer " + std::to_string(answer));
            }
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 28) {
                int choice = host::popupMenu("&Insert|&Change|-|~&Delete|More{+&Checked}");
                log.push_back("popup " + std::to_string(choice));
            }
            w.endCycle(host::CycleEnd::DefaultAction);
        }
        log.push_back("closed");
    }

    std::vector<std::string> values() const {
        return {phone.value().toText(), qty.value().toText(),   spin.value().toText(),
                uom.value().toText(),   print.value().toText(), kind.value().toText()};
    }
};

// The headless run: the test names each action.
std::vector<std::string> runHeadless(Program& program) {
    host::headless::HeadlessSession session;
    session.start([&] { program.run(); });
    Window* w = session.activeWindow();
    EXPECT_NE(w, nullptr);
    session.type(2, "5551234567");
    session.pressKey("Tab");
    session.type(4, "x9");
    session.type(4, "12");
    session.pressKey("Tab");
    session.input().spin(*w, 5, 1);
    session.input().spin(*w, 5, 1);
    session.run();
    session.input().pressDropButton(*w, 6);
    session.chooseItem("6", 2);
    session.press(8);
    session.press(11);
    session.clickRow("14", 2, 1);
    session.focus("2");
    session.pressKey("Ctrl+'");
    session.chooseTab("12", 2);
    session.clickImage("19", 6, 8);
    session.clickImage("19", 20, 4, KeyCode::MouseRight);
    session.press(27);
    session.answerMessage(host::ButtonNo);
    session.press(28);
    session.answerPopup(2);
    session.chooseMenu("&Open");
    session.press(31);
    session.closeWindow();
    return program.values();
}

// The same actions done on the Qt widgets.
std::vector<std::string> runOnQt(Program& program) {
    QtTestSession session;
    session.start([&] { program.run(); });
    Window* w = session.activeWindow();
    EXPECT_NE(w, nullptr);
    host::qt::WindowView* view = session.display().view(*w);

    auto* phone = session.widgetAs<QLineEdit>(2);
    QTest::keyClicks(phone, "5551234567");
    QTest::keyClick(phone, Qt::Key_Tab);
    session.settle();
    EXPECT_EQ(phone->text(), "(555) 123-4567"); // the picture shows the stored digits

    auto* qty = session.widgetAs<QLineEdit>(4);
    QTest::keyClicks(qty, "x9");
    QTest::keyClick(qty, Qt::Key_Tab); // refused: the focus stays
    session.settle();
    qty->selectAll();
    QTest::keyClicks(qty, "12");
    QTest::keyClick(qty, Qt::Key_Tab);
    session.settle();

    auto* spin = session.widgetAs<host::qt::SpinBox>(5);
    QTest::keyClick(spin, Qt::Key_Up);
    session.settle();
    spin->stepUp(); // the arrow button
    session.settle();

    auto* drop = session.widgetAs<host::qt::DropList>(6);
    drop->showPopup();
    session.settle();
    QAbstractItemView* items = drop->view();
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {},
                      items->visualRect(drop->model()->index(1, 0)).center());
    session.settle();

    QTest::mouseClick(session.widgetAs<QCheckBox>(8), Qt::LeftButton);
    session.settle();
    QTest::mouseClick(session.widgetAs<QRadioButton>(11), Qt::LeftButton);
    session.settle();

    auto* list = session.widgetAs<host::qt::ListView>(14);
    QRect row2 = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row2.center());
    session.settle();

    QTest::mouseClick(phone, Qt::LeftButton);
    session.settle();
    QTest::keyClick(phone, Qt::Key_Apostrophe, Qt::ControlModifier);
    session.settle();

    QTabBar* tabs = session.widgetAs<QTabWidget>(12)->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    session.settle();
    // The second tab's controls show, the first tab's hide.
    EXPECT_FALSE(session.widget(14)->isVisible());
    EXPECT_TRUE(session.widget(16)->isVisible());

    auto* image = session.widgetAs<host::qt::ImageView>(19);
    EXPECT_NE(image, nullptr);
    if (image) {
        const host::qt::Units& units = view->units();
        QTest::mouseClick(image->viewport(), Qt::LeftButton, {}, QPoint(units.x(6), units.y(8)));
        session.settle();
        QTest::mouseClick(image->viewport(), Qt::RightButton, {}, QPoint(units.x(20), units.y(4)));
        session.settle();
    }

    QTest::mouseClick(session.widgetAs<QPushButton>(27), Qt::LeftButton);
    session.settle();
    auto* box = qobject_cast<QMessageBox*>(session.pendingDialogWidget());
    EXPECT_NE(box, nullptr);
    if (box) {
        EXPECT_EQ(box->text(), "Save the changes?");
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    }
    session.settle();

    QTest::mouseClick(session.widgetAs<QPushButton>(28), Qt::LeftButton);
    session.settle();
    auto* menu = qobject_cast<QMenu*>(session.pendingDialogWidget());
    EXPECT_NE(menu, nullptr);
    if (menu) {
        for (QAction* action : menu->actions())
            if (action->data().toInt() == 2)
                menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    }
    session.settle();

    for (QAction* action : view->mainWindow()->menuBar()->actions())
        if (action->menu())
            for (QAction* item : action->menu()->actions())
                if (item->text() == "&Open")
                    item->trigger();
    session.settle();
    QToolBar* toolBar = view->toolBar();
    EXPECT_NE(toolBar, nullptr);
    if (toolBar)
        QTest::mouseClick(toolBar->widgetForAction(toolBar->actions().constFirst()),
                          Qt::LeftButton);
    session.settle();

    view->outer()->close(); // the close box
    session.settle();
    EXPECT_EQ(session.desktop().windows().size(), 0u);
    return program.values();
}

TEST(SameEvents, EveryActionOnEveryControlKindGivesTheHeadlessEvents) {
    Program headless;
    auto headlessValues = runHeadless(headless);
    Program qt;
    auto qtValues = runOnQt(qt);

    const std::vector<std::string> expected = {
        "OpenWindow",
        "Selected 2",
        "Accepted 2",
        "Selected 4",
        "Rejected 4",
        "Accepted 4",
        "Selected 5",
        "NewSelection 5",
        "NewSelection 5",
        "Selected 6",
        "DroppingDown 6",
        "NewSelection 6",
        "Accepted 6",
        "Selected 8",
        "Accepted 8 key MouseLeft",
        "Selected 11",
        "Accepted 9 key MouseLeft",
        "Selected 14",
        "NewSelection 14 key MouseLeft",
        "Selected 2",
        "AlertKey 2 key Ctrl+'",
        "Selected 12",
        "NewSelection 12",
        "Accepted 19 key MouseLeft at 6,8",
        "AlertKey 19 key MouseRight at 20,4",
        "Selected 27",
        "Accepted 27 key MouseLeft",
        "answer 4",
        "Selected 28",
        "Accepted 28 key MouseLeft",
        "popup 2",
        "Accepted 30",
        "Accepted 31 key MouseLeft",
        "CloseWindow",
        "closed",
    };
    EXPECT_EQ(headless.log, expected);
    EXPECT_EQ(qt.log, headless.log);
    EXPECT_EQ(headlessValues, (std::vector<std::string>{"5551234567", "12", "3", "PR", "1", "R"}));
    EXPECT_EQ(qtValues, headlessValues);
}

} // namespace
