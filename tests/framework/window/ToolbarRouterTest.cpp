#include "WindowTestSupport.h"

#include "framework/window/ToolbarButton.h"
#include "framework/window/ToolbarTarget.h"
#include "runtime/base/Record.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Desktop.h"

#include <gtest/gtest.h>

using framework::RequestKind;
using framework::ResponseKind;
using framework::ToolbarButton;
using framework::ToolbarRouter;
using framework::ToolbarTarget;
using host::EventKind;
using host::headless::HeadlessSession;
using windowtest::define;
using windowtest::only;
using windowtest::StandInBrowse;
using windowtest::take;
using windowtest::TestProcedure;

namespace {

const char* const frameWindow = R"(
window P1$APPFRAME "Example EIP Application" frame at=0,0,640,480
  toolbar
    button 2005 icon="WIZFIRST.gif"
    button 2007 icon="WIZPGUP.gif"
    button 2009 icon="WIZUP.gif"
    button 2010 icon="WIZFIND.gif"
    button 2008 icon="wizdown.gif"
    button 2006 icon="WIZPGdn.gif"
    button 2004 icon="wizlast.gif"
    button 2003 icon="WIZMARK.gif"
    button 2000 icon="wizins.gif"
    button 2001 icon="wizedit.gif"
    button 2002 icon="wizdel.gif"
    button 2011 icon="wizditto.gif"
    button 2012 icon="wizhelp.gif"
  end
end)";

const char* const twoListWindow = R"(
window P33$BROWSE "Browse Customers" mdi at=0,0,300,200
  sheet 1 at=2,2,296,196
    tab 2 "by Name"
      list 3 at=5,20,200,150 from=Queue:A
      button 4 "&Insert"
      button 5 "&Change"
      button 6 "&Delete" disabled
    end
    tab 7 "by Number"
      list 8 at=5,20,200,150 from=Queue:B
      button 9 "&Insert" disabled
      button 10 "&Change"
      button 12 "&Select"
    end
  end
  entry 11 use=LOC:X picture=@s5
end)";

// The frame: it hands every toolbar button on to the active child's thread.
void runFrame(HeadlessSession& session) {
    auto definition = define(frameWindow);
    session.start([definition] {
        host::Window frame(definition);
        frame.open();
        while (frame.nextEvent()) {
            int control = frame.eventControl();
            if (frame.currentEvent() == EventKind::Accepted &&
                ToolbarButton::isToolbarButton(control))
                if (host::Window* child = host::desktop().activeChild())
                    host::postEvent(EventKind::Accepted, control, child->thread());
        }
    });
}

struct BrowseWithToolbar {
    HeadlessSession session;
    std::vector<std::string> log;
    ToolbarRouter router;
    ToolbarTarget byName, byNumber;
    std::unique_ptr<StandInBrowse> names, numbers;
    std::unique_ptr<TestProcedure> procedure;
    std::uint8_t response = 0;
    bool ended = false;

    BrowseWithToolbar() {
        runFrame(session);
        procedure = std::make_unique<TestProcedure>(
            define(twoListWindow),
            [this](TestProcedure& p) {
                p.AttachToolbar(router);
                names = std::make_unique<StandInBrowse>("names", log, p);
                numbers = std::make_unique<StandInBrowse>("numbers", log, p);
                p.RegisterBrowse(*names);
                p.RegisterBrowse(*numbers);
                p.FIRSTFIELD = 11;
            },
            [this](TestProcedure&) {
                // What each browse's AttachToolbar does.
                byName.BROWSE = names.get();
                byName.INSERTBUTTON = 4;
                byName.CHANGEBUTTON = 5;
                byName.DELETEBUTTON = 6;
                router.EnlistTarget(byName, 3);
                router.FocusTarget(3);
                byNumber.BROWSE = numbers.get();
                byNumber.INSERTBUTTON = 9;
                byNumber.CHANGEBUTTON = 10;
                byNumber.SELECTBUTTON = 12;
                router.EnlistTarget(byNumber, 8);
                router.FocusTarget(8);
                router.FocusTarget(3);
            });
        session.start([this] {
            response = procedure->Execute();
            ended = true;
        });
    }
    host::Window* frame() { return session.desktop().frame(); }
    bool enabled(int button) { return frame()->isEnabled(button); }
    bool pressToolbar(int button) { return session.press(button, frame()); }
};

TEST(ToolbarRouter, TheToolbarFollowsTheVisibleBrowseAndItsButtons) {
    BrowseWithToolbar w;
    ASSERT_TRUE(w.procedure->window);
    EXPECT_EQ(w.router.CurrentTarget(), &w.byName);
    // Navigation on, history off, and the update buttons as the browse has them.
    for (int button = ToolbarButton::LastPage; button <= ToolbarButton::Locate; ++button)
        EXPECT_TRUE(w.enabled(button)) << button;
    EXPECT_FALSE(w.enabled(ToolbarButton::History));
    EXPECT_TRUE(w.enabled(ToolbarButton::Insert));
    EXPECT_TRUE(w.enabled(ToolbarButton::Change));
    EXPECT_FALSE(w.enabled(ToolbarButton::Delete)); // the browse's own is disabled
    EXPECT_FALSE(w.enabled(ToolbarButton::Select));
    EXPECT_FALSE(w.enabled(ToolbarButton::Help));

    // The second tab shows the other list: the toolbar follows its buttons.
    ASSERT_TRUE(w.session.input().chooseTab(*w.procedure->window, 1, 2));
    w.session.run();
    EXPECT_EQ(w.router.CurrentTarget(), &w.byNumber);
    EXPECT_FALSE(w.enabled(ToolbarButton::Insert));
    EXPECT_TRUE(w.enabled(ToolbarButton::Change));
    EXPECT_FALSE(w.enabled(ToolbarButton::Delete)); // it has none
    EXPECT_TRUE(w.enabled(ToolbarButton::Select));

    // Toolbar presses reach the current browse's list and buttons.
    take(w.log);
    ASSERT_TRUE(w.pressToolbar(ToolbarButton::NextRecord));
    ASSERT_TRUE(w.pressToolbar(ToolbarButton::FirstPage));
    ASSERT_TRUE(w.pressToolbar(ToolbarButton::Locate));
    ASSERT_TRUE(w.pressToolbar(ToolbarButton::Change));
    EXPECT_EQ(only(take(w.log), "numbers: "),
              (std::vector<std::string>{"numbers: Accepted 2008", "numbers: ScrollDown 8",
                                        "numbers: Accepted 2005", "numbers: ScrollTop 8",
                                        "numbers: Accepted 2010", "numbers: Locate 8",
                                        "numbers: Accepted 2001", "numbers: Accepted 10"}));

    // Select: the buffers are re-read and the window closes with response 1.
    ASSERT_TRUE(w.pressToolbar(ToolbarButton::Select));
    EXPECT_EQ(w.response, ResponseKind::Completed);
    std::vector<std::string> log = take(w.log);
    EXPECT_EQ(only(log, "names: sync").size(), 1u);
    EXPECT_EQ(only(log, "numbers: sync").size(), 1u);
    EXPECT_FALSE(w.router.LIST); // torn down with the window
}

// A form has no toolbar targets: a navigation button from the frame changes nothing.
TEST(ToolbarRouter, AFormWithoutTargetsIgnoresTheNavigationButtons) {
    HeadlessSession session;
    runFrame(session);
    auto layout = std::make_shared<host::RecordLayout>(
        host::RecordLayout{{"CUS:NAME", host::FieldType::text(20)}});
    host::Record record(layout);
    ToolbarRouter router;
    std::int32_t vcr = 0;
    TestProcedure form(
        define(R"(
window P43$FORM "Update" mdi at=0,0,200,100
  entry 2 use=CUS:NAME picture=@s20
end)"),
        [&](TestProcedure& p) {
            p.AttachToolbar(router);
            p.VCRREQUEST = &vcr;
        },
        [&](TestProcedure& p) { p.window->bind("CUS:NAME", record.field(1)); });
    session.start([&] { form.Execute(); });
    ASSERT_TRUE(form.window);
    ASSERT_TRUE(session.type(2, "Jones"));
    ASSERT_TRUE(session.focus("2"));
    ASSERT_TRUE(session.press(ToolbarButton::NextRecord, session.desktop().frame()));
    EXPECT_EQ(vcr, 0);
    EXPECT_EQ(host::clip(record.field(1).text()), "Jones");
    EXPECT_TRUE(form.window->isOpen());
    session.closeWindow(form.window.get());
}

} // namespace
