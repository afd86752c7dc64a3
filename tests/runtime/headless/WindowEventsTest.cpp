#include "runtime/base/Clock.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Queue.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/ScriptedMessageBoxes.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "runtime/ui/WindowResources.h"
#include "tests/support/EventText.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using host::CycleEnd;
using host::EventKind;
using host::KeyCode;
using host::Window;
using host::headless::HeadlessSession;

using testsupport::define;

// Runs a window's loop on the current logical thread, logging every event; `handle`
// may end the cycle itself (returning true) or leave it to the default.
using Handler = std::function<bool(Window&)>;
using Binder = std::function<void(Window&)>;
void runWindow(Window& window, std::vector<std::string>& log, Handler handle = {}) {
    window.open();
    while (window.nextEvent()) {
        log.push_back(testsupport::describeEvent(window));
        if (handle && handle(window))
            continue;
        window.endCycle(CycleEnd::DefaultAction);
    }
}

// Opens the window `text` declares on a new logical thread and runs it there; `bind`
// binds its variables first.
void startWindow(HeadlessSession& session, std::string_view text, std::vector<std::string>& log,
                 Handler handle = {}, Binder bind = {}) {
    auto definition = define(text);
    session.start([&log, definition, handle = std::move(handle), bind = std::move(bind)] {
        Window w(definition);
        if (bind)
            bind(w);
        runWindow(w, log, handle);
    });
}

const char* const customerForm = R"(
window P2$FORM "Update Customer" at=0,0,200,100 status=100,-1
  prompt 1 "&Name:"
  entry 2 use=CUS:NAME required status="Enter the customer's name"
  prompt 3 "&Number:"
  entry 4 use=CUS:NUMBER
  check 5 "&Active" use=CUS:ACTIVE
  button 6 "&OK" default
  button 7 "&Cancel" cancel
end)";

struct Customer {
    host::Variable name{host::FieldType::text(20)};
    host::Variable number{host::FieldType::longInteger()};
    host::Variable active{host::FieldType::byte()};
    void bindTo(Window& w) {
        w.bind("CUS:NAME", name);
        w.bind("CUS:NUMBER", number);
        w.bind("CUS:ACTIVE", active);
    }
};

TEST(WindowEvents, TypingPressingAndTheAcceptAllPass) {
    HeadlessSession session;
    std::vector<std::string> log;
    Customer customer;
    bool completed = false;
    startWindow(
        session, customerForm, log,
        [&](Window& window) {
            if (window.currentEvent() == EventKind::Accepted && window.eventControl() == 6) {
                window.select(0); // OK: validate every field
            } else if (window.currentEvent() == EventKind::Completed) {
                completed = true;
                window.endCycle(CycleEnd::Leave);
                return true;
            }
            return false;
        },
        [&](Window& w) { customer.bindTo(w); });
    log.clear();
    // OK with the required name blank: the pass stops on the name.
    EXPECT_TRUE(session.press("&OK"));
    EXPECT_EQ(log, (std::vector<std::string>{"Selected 6", "Accepted 6", "Selected 2"}));
    EXPECT_EQ(session.activeWindow()->focus(), 2);
    EXPECT_EQ(session.desktop().beeps(), 1);
    EXPECT_FALSE(completed);

    EXPECT_TRUE(session.type("&Name:", "Rossi"));
    EXPECT_TRUE(session.type("Number:", "42"));
    EXPECT_TRUE(session.press("Active"));

    log.clear();
    EXPECT_TRUE(session.pressKey("Enter")); // the default button
    EXPECT_EQ(log, (std::vector<std::string>{"Accepted 6", "Accepted 2", "Accepted 4", "Accepted 5",
                                             "Completed"}));
    EXPECT_TRUE(completed);
    EXPECT_TRUE(session.windowTitles().empty());
}

TEST(WindowEvents, InputAUserCouldNotGiveIsRefused) {
    HeadlessSession session;
    std::vector<std::string> log;
    host::Variable x(host::FieldType::text(5));
    startWindow(session, R"(
window W "W"
  entry 1 use=X
  button 2 "&Go" disabled
  button 3 "&Hidden" hidden
  entry 4 readonly
end)",
                log, {}, [&](Window& w) { w.bind("X", x); });
    EXPECT_FALSE(session.press("Go"));
    EXPECT_FALSE(session.press("Hidden"));
    EXPECT_FALSE(session.press("Missing"));
    EXPECT_FALSE(session.type(4, "no"));
    EXPECT_FALSE(session.press(1)); // an entry is not pressed
    EXPECT_EQ(log, (std::vector<std::string>{"OpenWindow", "Selected 1"}));
    // Text longer than the variable is cut to it.
    EXPECT_TRUE(session.type(1, "abcdefgh"));
    EXPECT_EQ(x.value().toText(), "abcde");
    EXPECT_EQ(session.text("1"), "abcde");
}

TEST(WindowEvents, AlertKeysArriveAsAlertKeyEventsWithTheirKeyCode) {
    HeadlessSession session;
    std::vector<std::string> log;
    std::vector<int> codes;
    startWindow(session, "window W \"W\" alert=F2\n  entry 1 alert=\"Ctrl+'\"\n  entry 2\nend", log,
                [&](Window& window) {
                    if (window.currentEvent() == EventKind::AlertKey)
                        codes.push_back(host::keyCode());
                    return false;
                });
    log.clear();
    EXPECT_TRUE(session.pressKey("Ctrl+'"));
    EXPECT_TRUE(session.pressKey(KeyCode::F1)); // not alerted: nothing happens
    EXPECT_TRUE(session.pressKey("F2"));        // alerted on the window
    EXPECT_TRUE(session.pressKey("Tab"));
    EXPECT_TRUE(session.pressKey("Ctrl+'")); // not alerted on the second entry
    EXPECT_EQ(log, (std::vector<std::string>{"AlertKey 1", "AlertKey 1", "Selected 2"}));
    EXPECT_EQ(codes, (std::vector<int>{KeyCode::CtrlQuote, KeyCode::function(2)}));

    // Alerts armed at run time, at a position of the control's table.
    Window* w = session.activeWindow();
    w->alert(2, KeyCode::Down, 5);
    EXPECT_EQ(w->property(2, host::Property::AlertKey, 5).toInteger(), KeyCode::Down);
    log.clear();
    EXPECT_TRUE(session.pressKey("Down"));
    EXPECT_EQ(log, (std::vector<std::string>{"AlertKey 2"}));
    w->setProperty(2, host::Property::AlertKey, 0, 5);
    EXPECT_FALSE(w->isAlerted(2, KeyCode::Down));
}

TEST(WindowEvents, ATimerAtOneSecondFiresOnTheFakeClock) {
    HeadlessSession session;
    std::vector<int> ticks;
    std::vector<std::string> log;
    startWindow(session, "window T \"Clock\" timer=100\nend", log, [&](Window&) {
        if (log.back() == "Timer")
            ticks.push_back(host::clockNow());
        return false;
    });
    int start = session.clock();
    session.advanceClock(99);
    EXPECT_TRUE(ticks.empty());
    session.advanceClock(1);
    EXPECT_EQ(ticks, (std::vector<int>{start + 100}));
    session.advanceClock(250);
    EXPECT_EQ(ticks, (std::vector<int>{start + 100, start + 200, start + 300}));
    // The program changes the interval through the property.
    session.activeWindow()->setProperty(0, host::Property::Timer, 0);
    session.advanceClock(500);
    EXPECT_EQ(ticks.size(), 3u);
}

// A timer whose handler takes longer than its interval (a report batch) is due again as
// soon as it returns; each run fires it once, so that the display gets control back
// between batches to repaint and take a click on Cancel.
TEST(WindowEvents, ATimerSlowerThanItsIntervalFiresOncePerRun) {
    HeadlessSession session;
    int batches = 0;
    std::vector<std::string> log;
    startWindow(session, "window T \"Batches\" timer=100\nend", log, [&](Window&) {
        if (log.back() == "Timer" && batches < 5) {
            ++batches;
            session.setClock(session.today(), session.clock() + 150); // the batch's work
        }
        return false;
    });
    session.advanceClock(100);
    EXPECT_EQ(batches, 1);
    session.run();
    EXPECT_EQ(batches, 2);
    session.run();
    session.run();
    EXPECT_EQ(batches, 4);
}

TEST(WindowEvents, AFileDialogAnswersTheChosenNameAndCancellingKeepsTheOld) {
    HeadlessSession session;
    bool chosen = false;
    host::FileDialogRequest file{"Pick", "old.gif", "GIF|*.gif", 0};
    session.start([&] { chosen = host::fileDialog(file); });
    ASSERT_EQ(session.pendingDialogs().size(), 1u);
    EXPECT_EQ(session.pendingDialogs()[0]->file.title, "Pick");
    EXPECT_TRUE(session.answerFileDialog(std::nullopt));
    EXPECT_FALSE(chosen);
    EXPECT_EQ(file.fileName, "old.gif"); // cancelling keeps the name

    session.answerNextFileDialog("new.gif");
    session.start([&] { chosen = host::fileDialog(file); });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(file.fileName, "new.gif");
}

TEST(WindowEvents, HaltEndsTheRunAndEveryThread) {
    HeadlessSession session;
    std::vector<std::string> log;
    startWindow(session, "window W \"W\"\nend", log);
    EXPECT_THROW(session.start([] { host::halt(3, "Fatal error"); }),
                 host::headless::ProgramHalted);
    EXPECT_EQ(session.desktop().scheduler().aliveCount(), 0u);
    EXPECT_TRUE(session.windowTitles().empty());
}

TEST(WindowEvents, CloseCanBeRefusedAndResizingGoesThroughSizing) {
    HeadlessSession session;
    std::vector<std::string> log;
    bool allowClose = false;
    startWindow(session, "window W \"W\" at=0,0,400,300 resizable\nend", log, [&](Window& window) {
        if (window.currentEvent() == EventKind::CloseWindow && !allowClose) {
            window.endCycle(CycleEnd::Consumed);
            return true;
        }
        return false;
    });
    EXPECT_TRUE(session.closeWindow());
    EXPECT_EQ(session.windowTitles().size(), 1u);
    log.clear();
    EXPECT_TRUE(session.resize(600, 450));
    EXPECT_EQ(log, (std::vector<std::string>{"Sizing", "Sized"}));
    EXPECT_EQ(session.activeWindow()->rect(), (host::Rect{0, 0, 600, 450}));
    allowClose = true;
    EXPECT_TRUE(session.closeWindow());
    EXPECT_TRUE(session.windowTitles().empty());
}

TEST(WindowEvents, TheFrameKeepsItsToolbarAndStatusBarForItsChildren) {
    HeadlessSession session;
    auto frameDefinition = define(R"(
window P1$APPFRAME "Example EIP Application" frame status=100,100,100,100
  menu "&Browse"
    item 10 "&Customers"
  end
  toolbar
    button 2005 icon="WIZFIRST.gif" tip="Go to the First Page"
  end
end)");
    auto childDefinition = define(R"(
window CHILD "Browse the Customer File" mdi
  entry 1 status="Locate by name"
end)");
    std::vector<std::string> frameLog;
    std::vector<std::string> childLog;
    session.start([&] {
        Window frame(frameDefinition);
        runWindow(frame, frameLog, [&](Window& w) {
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 10)
                host::startThread([&] {
                    Window child(childDefinition);
                    runWindow(child, childLog);
                });
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 2005) {
                // The frame hands toolbar buttons on to the active child's thread.
                host::Window* child = host::desktop().activeChild();
                if (child)
                    host::postEvent(EventKind::Accepted, 2005, child->thread());
            }
            return false;
        });
    });
    EXPECT_TRUE(session.chooseMenu("Customers"));
    ASSERT_NE(session.desktop().activeChild(), nullptr);
    EXPECT_EQ(session.desktop().activeChild()->title(), "Browse the Customer File");
    EXPECT_EQ(session.desktop().activeChild()->frame(), session.desktop().frame());
    EXPECT_EQ(session.statusBar(1), "Locate by name");
    EXPECT_TRUE(session.press(2005, session.desktop().frame()));
    EXPECT_EQ(frameLog.back(), "Accepted 2005");
    EXPECT_EQ(childLog.back(), "Accepted 2005");
    // A thread without a window takes no posts.
    EXPECT_FALSE(host::postEvent(host::userEvent(1), 0, 99));
    EXPECT_TRUE(session.chooseMenu("&Customers"));
    EXPECT_EQ(session.windowTitles().size(), 3u); // a second, independent child
}

TEST(WindowResources, TextFilesBuiltIntoTheProgramAreRegisteredAtStartUp) {
    auto& resources = host::WindowResources::program();
    auto definition = resources.load("P9$EMBEDDED", "test$embedded");
    ASSERT_NE(definition, nullptr);
    EXPECT_EQ(definition->title, "Embedded \"window\"");
    EXPECT_EQ(definition->control(1)->use, "LOC:TEXT");
    resources.release("P9$EMBEDDED", "test$embedded");
}

} // namespace
