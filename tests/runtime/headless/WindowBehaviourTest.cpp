#include "runtime/base/CurrentThread.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using host::CycleEnd;
using host::EventKind;
using host::FieldType;
using host::KeyCode;
using host::Window;
using host::headless::HeadlessSession;

using testsupport::define;

// Logs events as "<window title>: <event> <control>".
struct Recorder {
    std::vector<std::string> log;
    using Handler = std::function<bool(Window&)>;
    void run(Window& window, Handler handle = {}) {
        window.open();
        while (window.nextEvent()) {
            std::string line =
                window.title() + ": " + std::string(host::eventName(window.currentEvent()));
            if (window.eventControl() != 0)
                line += " " + std::to_string(window.eventControl());
            log.push_back(line);
            if (handle && handle(window))
                continue;
            window.endCycle(CycleEnd::DefaultAction);
        }
    }
    // Opens a window of `definition` on a new logical thread, `bind` binding its variables,
    // and runs it there.
    void start(HeadlessSession& session, std::shared_ptr<const host::WindowDefinition> definition,
               Handler handle = {}, std::function<void(Window&)> bind = {}) {
        session.start([this, definition, handle, bind] {
            Window w(definition);
            if (bind)
                bind(w);
            run(w, handle);
        });
    }
    std::vector<std::string> take() { return std::exchange(log, {}); }
};

TEST(WindowBehaviour, AFormOpenedFromABrowseOnTheSameThreadGivesTheFocusBackWhenItCloses) {
    HeadlessSession session;
    auto browse = define("window BROWSE \"Browse\"\n  button 1 \"&Change\"\nend");
    auto form = define("window FORM \"Form\"\n  button 1 \"&OK\"\nend");
    Recorder recorder;
    session.start([&] {
        Window b(browse);
        recorder.run(b, [&](Window& w) {
            if (w.currentEvent() == EventKind::Accepted) {
                Window f(form); // the form's loop runs inside the browse's cycle
                recorder.run(f, [](Window& fw) {
                    if (fw.currentEvent() == EventKind::Accepted) {
                        fw.endCycle(CycleEnd::Leave);
                        return true;
                    }
                    return false;
                });
            }
            return false;
        });
    });
    recorder.take();
    EXPECT_TRUE(session.press("&Change"));
    EXPECT_EQ(session.activeWindow()->title(), "Form");
    EXPECT_TRUE(session.press("&OK"));
    EXPECT_EQ(session.activeWindow()->title(), "Browse");
    EXPECT_EQ(recorder.take(), (std::vector<std::string>{
                                   "Browse: Accepted 1", "Form: OpenWindow", "Form: Selected 1",
                                   "Form: Accepted 1", "Browse: LoseFocus", "Browse: GainFocus"}));
}

TEST(WindowBehaviour, AWindowOfANewThreadTakesTheFocusAndClosingDownReachesEveryWindow) {
    HeadlessSession session;
    auto one = define("window ONE \"One\"\nend");
    auto two = define("window TWO \"Two\"\nend");
    Recorder r1, r2;
    r1.start(session, one);
    r2.start(session, two);
    EXPECT_EQ(session.activeWindow()->title(), "Two");
    EXPECT_EQ(r1.take(), (std::vector<std::string>{"One: OpenWindow", "One: LoseFocus"}));
    r2.take();
    // Closing down reaches every window.
    session.input().closeDown();
    session.run();
    EXPECT_TRUE(session.windowTitles().empty());
    EXPECT_EQ(r1.take(), (std::vector<std::string>{"One: CloseDown"}));
    EXPECT_EQ(r2.take(), (std::vector<std::string>{"Two: CloseDown"}));
}

const char* const orderForm = R"(
window F "Order"
  entry 1 use=A required
  entry 2 use=B disabled
  entry 3 use=C hidden
  entry 4 use=D picture=@n3
  option 5 use=KIND
    radio 6 "&Cash" value="C"
    radio 7 "C&redit" value="R"
  end
  button 8 "&OK" default
  button 9 "&Cancel" cancel
end)";

struct Order {
    host::Variable a{FieldType::text(10)};
    host::Variable b{FieldType::text(10)};
    host::Variable c{FieldType::text(10)};
    host::Variable d{FieldType::longInteger()};
    host::Variable kind{FieldType::text(1)};
    void bindTo(Window& w) {
        w.bind("A", a);
        w.bind("B", b);
        w.bind("C", c);
        w.bind("D", d);
        w.bind("KIND", kind);
    }
};

TEST(WindowBehaviour, TheAcceptAllPassSkipsDisabledAndHiddenFieldsAndStopsWhereTheProgramSays) {
    HeadlessSession session;
    auto definition = define(orderForm);
    Order order;
    order.a.assign(host::Value("x"));
    order.kind.assign(host::Value("R"));
    Recorder recorder;
    bool refuseD = true;
    recorder.start(
        session, definition,
        [&](Window& window) {
            if (window.currentEvent() == EventKind::Accepted && window.eventControl() == 8)
                window.select(0);
            if (window.currentEvent() == EventKind::Accepted && window.eventControl() == 4 &&
                window.isAcceptAllInProgress() && refuseD)
                window.select(4); // the program's own check fails: the pass stops here
            return false;
        },
        [&](Window& w) { order.bindTo(w); });
    EXPECT_TRUE(session.isChecked("C&redit"));
    EXPECT_FALSE(session.isChecked("&Cash"));
    recorder.take();
    EXPECT_TRUE(session.press("&OK"));
    EXPECT_EQ(recorder.take(), (std::vector<std::string>{"Order: Selected 8", "Order: Accepted 8",
                                                         "Order: Accepted 1", "Order: Accepted 4",
                                                         "Order: Selected 4"}));
    EXPECT_EQ(session.activeWindow()->focus(), 4);
    EXPECT_FALSE(session.activeWindow()->isAcceptAllInProgress());

    // Text that does not fit a field's picture stops the pass on that field.
    refuseD = false;
    EXPECT_TRUE(session.press("&Cash"));
    EXPECT_EQ(order.kind.value().toText(), "C");
    session.activeWindow()->setProperty(4, host::Property::Contents, "12345");
    recorder.take();
    EXPECT_TRUE(session.press("&OK"));
    auto events = recorder.take();
    EXPECT_EQ(events.back(), "Order: Selected 4");

    session.input().type(*session.activeWindow(), 4, "123", false);
    EXPECT_TRUE(session.press("&OK"));
    events = recorder.take();
    EXPECT_EQ(events.back(), "Order: Completed");
    EXPECT_EQ(order.d.value().toInteger(), 123);
}

TEST(WindowBehaviour, TabSkipsFieldsThatCannotTakeTheFocusAndARejectedEntryKeepsIt) {
    HeadlessSession session;
    auto definition = define(orderForm);
    Order order;
    Recorder recorder;
    recorder.start(session, definition, {}, [&](Window& w) { order.bindTo(w); });
    recorder.take();
    EXPECT_TRUE(session.pressKey("Tab"));
    EXPECT_EQ(session.activeWindow()->focus(), 4); // 2 is disabled, 3 hidden
    EXPECT_TRUE(session.pressKey("Shift+Tab"));
    EXPECT_EQ(session.activeWindow()->focus(), 1);
    EXPECT_TRUE(session.pressKey("Shift+Tab"));
    EXPECT_EQ(session.activeWindow()->focus(), 9); // round to the last
    // A rejected entry keeps the focus: Tab does not leave it.
    session.input().type(*session.activeWindow(), 4, "abc", false);
    recorder.take();
    EXPECT_TRUE(session.pressKey("Tab"));
    EXPECT_EQ(session.activeWindow()->focus(), 4);
    EXPECT_EQ(recorder.take(),
              (std::vector<std::string>{"Order: Selected 4", "Order: Rejected 4"}));
}

TEST(WindowBehaviour, EachThreadKeepsItsOwnKeyCode) {
    HeadlessSession session;
    auto definition = define("window K \"K\"\n  entry 1 alert=F5\nend");
    std::vector<int> seen;
    int threadOne = 0;
    session.start([&] {
        Window w(definition);
        threadOne = host::currentThread();
        Recorder().run(w, [&](Window&) {
            seen.push_back(host::keyCode());
            return false;
        });
    });
    EXPECT_TRUE(session.pressKey("F5"));
    EXPECT_EQ(seen.back(), KeyCode::function(5));
    int other = -1;
    session.start([&] {
        other = host::keyCode();
        host::setKeyCode(KeyCode::Enter);
    });
    EXPECT_EQ(other, 0);
    session.activeWindow()->post(host::userEvent(7));
    session.run();
    EXPECT_EQ(seen.back(), KeyCode::function(5)); // untouched by the other thread
}

TEST(WindowBehaviour, BusyCursorMaximisingAndTheExitMenuItem) {
    HeadlessSession session;
    auto definition = define(R"(
window APP "App" frame
  menu "&File"
    item 2 "E&xit" std=exit
  end
end)");
    Recorder recorder;
    recorder.start(session, definition, {}, [](Window&) { host::setBusyCursor(true); });
    EXPECT_TRUE(session.desktop().isBusy());
    host::setBusyCursor(false);
    EXPECT_FALSE(session.desktop().isBusy());

    recorder.take();
    EXPECT_TRUE(session.input().maximize(*session.activeWindow()));
    session.run();
    EXPECT_TRUE(session.activeWindow()->isMaximized());
    EXPECT_TRUE(session.input().restore(*session.activeWindow()));
    session.run();
    EXPECT_FALSE(session.activeWindow()->isMaximized());
    EXPECT_EQ(recorder.take(), (std::vector<std::string>{"App: Maximizing", "App: Maximized",
                                                         "App: Restoring", "App: Restored"}));
    EXPECT_FALSE(session.resize(10, 10)); // not resizable
    EXPECT_TRUE(session.chooseMenu("Exit"));
    EXPECT_TRUE(session.windowTitles().empty());
}

} // namespace
