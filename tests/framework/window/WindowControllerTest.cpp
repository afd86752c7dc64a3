#include "WindowTestSupport.h"

#include "framework/window/TextTranslator.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"

#include <gtest/gtest.h>

using framework::RequestKind;
using framework::ResponseKind;
using framework::Severity;
using host::EventKind;
using host::headless::HeadlessSession;
using windowtest::define;
using windowtest::only;
using windowtest::StandInBrowse;
using windowtest::StandInDrop;
using windowtest::take;
using windowtest::TestProcedure;

namespace {

const char* const browseWindow = R"(
window P33$BROWSE "Browse" at=0,0,300,200 resizable
  list 1 at=5,5,200,150 from=Queue:Rows
  entry 2 use=LOC:NAME picture=@s10
  button 3 "&Insert"
  button 4 "Close"
end)";

// A window with two stand-in browses and a stand-in lookup, run on a logical thread.
struct HookedWindow {
    HeadlessSession session;
    std::vector<std::string> log;
    std::unique_ptr<TestProcedure> procedure;
    std::unique_ptr<StandInBrowse> first, second;
    std::unique_ptr<StandInDrop> drop;
    std::uint8_t response = 0;
    bool ended = false;

    explicit HookedWindow(std::uint8_t request = RequestKind::None,
                          TestProcedure::Step prepare = {}) {
        procedure = std::make_unique<TestProcedure>(
            define(browseWindow), [this, prepare](TestProcedure& p) {
                first = std::make_unique<StandInBrowse>("first", log, p);
                second = std::make_unique<StandInBrowse>("second", log, p);
                drop = std::make_unique<StandInDrop>(log, p);
                p.RegisterBrowse(*first);
                p.RegisterBrowse(*second);
                p.RegisterFileDrop(*drop);
                p.RegisterButton(4, ResponseKind::Cancelled);
                p.FIRSTFIELD = 2;
                if (prepare)
                    prepare(p);
            });
        procedure->REQUEST = request;
        session.start([this] {
            response = procedure->Execute();
            ended = true;
        });
    }
    host::Window* window() const { return procedure->window.get(); }
};

TEST(WindowController, OpeningPreparesRefreshesAndPassesEventsOnInOrder) {
    HookedWindow w;
    ASSERT_TRUE(w.window());
    EXPECT_EQ(w.procedure->OPENED, 1);
    EXPECT_EQ(w.procedure->INITED, TestProcedure::WindowPrepared);
    EXPECT_EQ(w.window()->focus(), 2);
    EXPECT_EQ(take(w.log), (std::vector<std::string>{
                               "first: keys", "second: keys",
                               // The opened window: prepared (sort, controls, lookups).
                               "first: sort 0", "second: sort 0", "first: controls",
                               "second: controls", "drop: reset 0",
                               // Then every browse and lookup sees the event.
                               "first: OpenWindow", "second: OpenWindow", "drop: OpenWindow",
                               // The list takes the focus on opening, then FIRSTFIELD.
                               "first: Selected 1", "second: Selected 1", "drop: Selected",
                               "first: Selected 2", "second: Selected 2", "drop: Selected"}));

    // A browse that asks to be reloaded refreshes the window after the event.
    w.first->wantsReload = true;
    ASSERT_TRUE(w.session.type(2, "Smith"));
    EXPECT_EQ(only(take(w.log), "first: sort"), (std::vector<std::string>{"first: sort 0"}));
}

TEST(WindowController, ARegisteredButtonEndsTheWindowAndTeardownReleasesEverything) {
    HookedWindow w;
    take(w.log);
    ASSERT_TRUE(w.session.press(4));
    EXPECT_EQ(w.response, ResponseKind::Cancelled);
    std::vector<std::string> log = take(w.log);
    // The button's own event is consumed by the window; the close reaches the browses.
    EXPECT_TRUE(only(log, "first: Accepted 4").empty());
    EXPECT_EQ(only(log, "first: CloseWindow").size(), 1u);
    EXPECT_EQ(only(log, "drop: teardown").size(), 1u);
    EXPECT_EQ(log.back(), "drop: teardown");
    EXPECT_EQ(w.procedure->DEAD, 1);
    EXPECT_FALSE(w.procedure->BROWSES);
    // A dead controller tears down nothing again.
    EXPECT_EQ(w.procedure->Teardown(), Severity::Notify);
    EXPECT_TRUE(take(w.log).empty());
    // Nor does one that was never set up.
    framework::WindowController never;
    EXPECT_EQ(never.Teardown(), Severity::Notify);
    EXPECT_EQ(never.Execute(), ResponseKind::Cancelled);
}

TEST(WindowController, SelectingBrowsesAndTheRightClickThatOpenedTheWindow) {
    host::headless::HeadlessSession session;
    std::vector<std::string> log;
    int keyAtSetup = -1;
    TestProcedure procedure(define(browseWindow), [&](TestProcedure& p) {
        keyAtSetup = host::keyCode();
        StandInBrowse browse("b", log, p);
        p.RegisterBrowse(browse);
        EXPECT_EQ(browse.SELECTING, 1);
        p.BROWSES->clear();
        p.RESPONSE = ResponseKind::Completed;
    });
    procedure.REQUEST = RequestKind::Select;
    std::uint8_t response = 0;
    session.start([&] {
        host::setKeyCode(host::KeyCode::MouseRightUp);
        response = procedure.Execute();
    });
    ASSERT_TRUE(procedure.window);
    session.closeWindow(procedure.window.get());
    EXPECT_EQ(keyAtSetup, 0);
    EXPECT_EQ(procedure.ORIGINALREQUEST, RequestKind::Select);
    EXPECT_EQ(response, ResponseKind::Completed);
}

TEST(WindowController, FocusChangesTheHistoryKeyAndRejectedEntries) {
    HookedWindow w(RequestKind::None, [](TestProcedure& p) {
        p.RESETONGAINFOCUS = 1;
        p.HISTORYKEY = host::KeyCode::CtrlQuote;
    });
    take(w.log);
    // Another window takes the focus and gives it back: the refresh is forced.
    auto other = define("window OTHER \"Other\" at=0,0,100,100\nend");
    w.session.start([&] {
        host::Window o(other);
        o.open();
        while (o.nextEvent()) {
        }
    });
    EXPECT_EQ(w.procedure->FORCEDRESET, 1);
    ASSERT_TRUE(w.session.activate(*w.window()));
    EXPECT_EQ(only(take(w.log), "first: sort"), (std::vector<std::string>{"first: sort 1"}));
    EXPECT_EQ(w.procedure->FORCEDRESET, 0);

    // The history key on a control without history does nothing (and is not armed).
    EXPECT_FALSE(w.window()->isAlerted(2, host::KeyCode::CtrlQuote));
    w.window()->alert(2, host::KeyCode::CtrlQuote);
    ASSERT_TRUE(w.session.pressKey("Ctrl+'"));
    EXPECT_FALSE(w.ended);

    // A rejected entry beeps and gets the focus back.
    int beeps = w.session.desktop().beeps();
    ASSERT_TRUE(w.session.focus("Close"));
    w.window()->post(EventKind::Rejected, 2);
    w.session.run();
    EXPECT_EQ(w.session.desktop().beeps(), beeps + 1);
    EXPECT_EQ(w.window()->focus(), 2);
    w.session.closeWindow(w.window());
    w.session.closeWindow(w.session.window("Other"));
}

struct Marker : framework::TextTranslator {
    int windows = 0;
    void TranslateWindow(host::Window& window) override {
        ++windows;
        window.setTitle("Durchsuchen");
    }
    std::string TranslateText(std::string_view text) override { return std::string(text); }
};

TEST(WindowController, ATranslatorTranslatesTheWindowWhenItIsPrepared) {
    Marker translator;
    HookedWindow w(RequestKind::None, [&](TestProcedure& p) { p.TRANSLATOR = &translator; });
    EXPECT_EQ(translator.windows, 1);
    EXPECT_EQ(w.window()->title(), "Durchsuchen");
    w.session.closeWindow(w.window());
    EXPECT_EQ(w.response, ResponseKind::Cancelled); // no response given
}

} // namespace
