#include "runtime/headless/SessionRunner.h"
#include "runtime/base/Clock.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Queue.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

namespace {

using host::CycleEnd;
using host::EventKind;
using host::FieldType;
using host::Value;
using host::Window;
using host::headless::CommandKind;
using host::headless::HeadlessSession;
using host::headless::ParsedCommand;
using host::headless::ScriptArguments;
using host::headless::SessionContext;
using host::headless::SessionResult;
using host::headless::SessionRunner;
using host::headless::StepAction;
using host::headless::StepResult;

const char* const windows = R"(
window BROWSE "Browse Customers" at=0,0,300,200 status=150,-1 timer=100 resizable
  menu "&File"
    item 33 "&Refresh"
    separator
    item 30 "E&xit"
  end
  menu "&Browse"
    item 31 "&Refresh"
    menu "&Sort"
      item 32 "By &Name"
    end
  end
  list 1 from=Q format="80L~Name~@s20@20R~No~@n4@" status="Pick a customer" alert="MouseRight"
  display 6 use=LOC:TICKS
  button 2 "&Insert"
  button 3 "&Delete"
  button 4 "&Picture..."
  button 5 "Close" cancel
end
window FORM "Update Customer" at=0,0,200,100
  prompt 1 "&Name:"
  entry 2 use=CUS:NAME required upper status="Enter the name"
  check 3 "&Active" use=CUS:ACTIVE
  button 4 "&OK" default
  button 5 "&Cancel" cancel
end
)";

std::shared_ptr<const host::WindowDefinition> define(int index) {
    auto result = host::WindowDefinitionParser::parse(windows, "test");
    EXPECT_TRUE(result.ok()) << result.message();
    return std::make_shared<const host::WindowDefinition>(result.windows.at(index));
}

// A small program: a browse of customer names with an update form, a delete that asks
// first, a popup on the right mouse button, a file dialog, a timer and a menu.
struct CustomerProgram {
    std::shared_ptr<const host::RecordLayout> layout =
        std::make_shared<host::RecordLayout>(host::RecordLayout{
            {"Q:NAME", FieldType::text(20)}, {"Q:NUMBER", FieldType::longInteger()}});
    host::Queue names{layout};
    host::Variable ticks{FieldType::longInteger()};
    int lastNumber = 0;

    CustomerProgram() {
        add("Adams");
        add("Brown");
    }
    void add(const std::string& name) {
        names.buffer().field(1).assign(Value(name));
        names.buffer().field(2).assign(Value(++lastNumber));
        names.add();
    }

    void editForm() {
        host::Variable name{FieldType::text(20)};
        host::Variable active{FieldType::byte()};
        Window form(define(1));
        form.bind("CUS:NAME", name);
        form.bind("CUS:ACTIVE", active);
        form.open();
        while (form.nextEvent()) {
            if (form.currentEvent() == EventKind::Accepted && form.eventControl() == 4)
                form.select(0);
            if (form.currentEvent() == EventKind::Completed) {
                add(host::clip(name.value().toText()));
                form.endCycle(CycleEnd::Leave);
            }
            if (form.currentEvent() == EventKind::Accepted && form.eventControl() == 5)
                form.endCycle(CycleEnd::Leave);
        }
    }

    void browse() {
        Window w(define(0));
        w.bind("Q", names);
        w.bind("LOC:TICKS", ticks);
        w.open();
        while (w.nextEvent()) {
            bool accepted = w.currentEvent() == EventKind::Accepted;
            int control = w.eventControl();
            if (accepted && control == 2) {
                editForm();
            } else if (accepted && control == 3 && w.control(1)->selectedRow() > 0) {
                names.get(static_cast<std::size_t>(w.control(1)->selectedRow()));
                std::string name = host::clip(names.buffer().field(1).value().toText());
                if (host::showMessage("Delete " + name + "?", "Confirm Delete",
                                      host::MessageIcon::Question, host::ButtonYes | host::ButtonNo,
                                      host::ButtonNo) == host::ButtonYes)
                    names.remove();
            } else if (accepted && control == 4) {
                host::FileDialogRequest request{"Choose a Picture", "", "Pictures|*.gif", 0};
                if (host::fileDialog(request))
                    w.setStatusText(2, request.fileName);
            } else if (accepted && control == 5) {
                w.endCycle(CycleEnd::Leave);
            } else if (accepted && control == 30) {
                host::halt(1, "Stopped by the user");
            } else if (accepted && control == 31) {
                w.setStatusText(2, "Refreshed");
            } else if (accepted && control == 33) {
                w.setStatusText(2, "File refreshed");
            } else if (accepted && control == 32) {
                w.setStatusText(2, "Sorted by name");
            } else if (w.currentEvent() == EventKind::AlertKey) {
                int choice = host::popupMenu("&Change|-|&Delete");
                w.setStatusText(2, "popup " + std::to_string(choice));
            } else if (w.currentEvent() == EventKind::Timer) {
                ticks.assign(Value(ticks.value().toInteger() + 1));
                w.display(6);
            }
        }
    }
};

// A runner with the test program's own commands: "start browse" (no arguments) and
// "dump names" (an inspection that prints the queue), and "add name TEXT" with an
// argument of its own.
struct Fixture {
    HeadlessSession session;
    CustomerProgram program;
    SessionRunner runner{session};

    Fixture() {
        runner.commands().add("start browse", CommandKind::Action,
                              StepAction([this](SessionContext& context) {
                                  context.session().start([this] { program.browse(); });
                                  return StepResult::passed();
                              }));
        runner.commands().add(
            "dump names", CommandKind::Check, StepAction([this](SessionContext& context) {
                for (std::size_t i = 1; i <= program.names.count(); ++i) {
                    program.names.get(i);
                    context.print(std::to_string(i) + ": " +
                                  host::clip(program.names.buffer().field(1).value().toText()));
                }
                return StepResult::passed();
            }));
        runner.commands().add(
            "add name", CommandKind::Action,
            [this](ScriptArguments& arguments) -> ParsedCommand {
                auto name = arguments.takeText();
                if (!name || name->empty())
                    return ParsedCommand::invalid("give the name");
                return StepAction([this, name](SessionContext&) {
                    program.add(*name);
                    return StepResult::passed();
                });
            },
            "add name TEXT");
    }
};

TEST(SessionRunner, ReplaysASessionAndWritesWhatTheUserSaw) {
    Fixture f;
    const char* const script = R"(# A customer browse, driven as a user would
add name "Clark"
start browse
expect active "Browse Customers"
expect status "Pick a customer"
expect 1 rows 3
expect 1 row 1 "Adams" "1"

press "&Insert"
expect active "Update Customer"
type "smith" into "&Name:"
expect "&Name:" shows "SMITH"
press "&Active"
expect "&Active" checked focused
key Enter                           # presses the default button, OK
expect closed "Update Customer"
expect 1 row 4 "SMITH" "4"

click 1 row 2
expect 1 selected 2
press "&Delete"
expect message "Confirm Delete" "Delete Brown?" Yes No
answer Yes
expect 1 rows 3
answer No                           # kept for the next box
press "&Delete"
dump names

right-click 1 row 1
popup "Delete"
expect status 2 "popup 2"
press "&Picture..."
file "smith.gif"
expect status 2 "smith.gif"
menu "&File|E&xit"
expect halted "Stopped by the user"
expect windows
)";
    SessionResult result = f.runner.run(script);
    EXPECT_TRUE(result.passed) << result.failure;
    EXPECT_EQ(result.failedLine, 0);
    EXPECT_EQ(result.stepsRun, 33u);
    EXPECT_EQ(result.transcript, R"(add name "Clark"
start browse
    opened "Browse Customers"
    status 1 "Pick a customer"
expect active "Browse Customers"
expect status "Pick a customer"
expect 1 rows 3
expect 1 row 1 "Adams" "1"
press "&Insert"
    opened "Update Customer"
expect active "Update Customer"
type "smith" into "&Name:"
expect "&Name:" shows "SMITH"
press "&Active"
expect "&Active" checked focused
key Enter
    closed "Update Customer"
    active "Browse Customers"
expect closed "Update Customer"
expect 1 row 4 "SMITH" "4"
click 1 row 2
    status 1 "Pick a customer"
expect 1 selected 2
press "&Delete"
    status 1 ""
    message "Confirm Delete" "Delete Brown?" Yes No (waiting)
expect message "Confirm Delete" "Delete Brown?" Yes No
answer Yes
expect 1 rows 3
answer No
    (kept for the next message box)
press "&Delete"
    message "Confirm Delete" "Delete Clark?" Yes No (answered No)
dump names
    1: Adams
    2: Clark
    3: SMITH
right-click 1 row 1
    status 1 "Pick a customer"
    popup "&Change|-|&Delete" (waiting)
popup "Delete"
    status 2 "popup 2"
expect status 2 "popup 2"
press "&Picture..."
    status 1 ""
    file dialog "Choose a Picture" "" (waiting)
file "smith.gif"
    status 2 "smith.gif"
expect status 2 "smith.gif"
menu "&File|E&xit"
    closed "Browse Customers"
    halted "Stopped by the user"
expect halted "Stopped by the user"
expect windows
)");
    // The same script gives the same transcript on every run.
    Fixture again;
    std::ostringstream echo;
    again.runner.setEcho(&echo);
    EXPECT_EQ(again.runner.run(script).transcript, result.transcript);
    EXPECT_EQ(echo.str(), result.transcript);
}

TEST(SessionRunner, AFailedExpectationNamesItsLineAndWhatWasSeen) {
    struct Case {
        const char* line;
        const char* failure;
    };
    const Case cases[] = {
        {"expect 1 row 2 \"Brown\" \"3\"",
         "expected row 2 of \"1\" to be \"Brown\" \"3\", but it is \"Brown\" \"2\""},
        {"expect 1 rows 3", "expected \"1\" to have 3 rows, but it has 2"},
        {"expect \"&Delete\" disabled", "expected \"&Delete\" to be disabled, but it is enabled"},
        {"expect 6 shows \"1\"", "expected \"6\" to show \"1\", but it shows \"0\""},
        {"expect ?Nothing shows \"1\"", "no control \"?Nothing\" in \"Browse Customers\""},
        {"expect active \"Update Customer\"",
         "expected the active window \"Update Customer\", but it is \"Browse Customers\""},
        {"expect closed \"browse\"",
         "expected \"browse\" to be closed, but open are \"Browse Customers\""},
        {"expect message \"Confirm Delete\"",
         "expected message \"Confirm Delete\", but no message box was shown"},
        {"expect 1 shows \"x\" in window \"Form\"", "no window \"Form\" is open"},
    };
    for (const Case& c : cases) {
        Fixture f;
        std::string script = "start browse\n\n# then\n" + std::string(c.line) + "\npress Close\n";
        SessionResult result = f.runner.run(script);
        EXPECT_FALSE(result.passed) << c.line;
        EXPECT_EQ(result.failedLine, 4);
        EXPECT_EQ(result.failure, "line 4: " + std::string(c.failure));
        EXPECT_EQ(result.stepsRun, 2u); // the run stops at the failure
        std::string last = "    FAILED line 4: " + std::string(c.failure) + "\n";
        EXPECT_TRUE(result.transcript.ends_with(last)) << result.transcript;
        EXPECT_TRUE(f.session.window("Browse Customers")); // "press Close" never ran
    }

    // A message box seen is compared title, text and buttons.
    Fixture f;
    SessionResult result =
        f.runner.run("start browse\nclick 1 row 1\npress \"&Delete\"\n"
                     "expect message \"Confirm Delete\" \"Delete Adams?\" Yes No\n"
                     "expect message \"Confirm Delete\" \"Delete Adams?\" OK");
    EXPECT_EQ(result.failure, "line 5: expected message \"Confirm Delete\" \"Delete Adams?\" OK, "
                              "but the last was message \"Confirm Delete\" \"Delete Adams?\" Yes "
                              "No");
}

TEST(SessionRunner, ActionsAUserCouldNotDoFail) {
    struct Case {
        const char* line;
        const char* failure;
    };
    const Case cases[] = {
        {"press \"&Remove\"", "no control \"&Remove\" in \"Browse Customers\""},
        {"type \"x\" into 6", "cannot type into \"6\""},
        {"click 1 row 3", "\"1\" has 2 rows"},
        {"menu \"Sort|By Name\"", "no menu item \"Sort|By Name\""},
        {"choose \"Green\" from 1", "\"1\" has no item \"Green\""},
        {"activate \"Update Customer\"", "no window \"Update Customer\" is open"},
    };
    for (const Case& c : cases) {
        Fixture f;
        SessionResult result = f.runner.run("start browse\n" + std::string(c.line));
        EXPECT_EQ(result.failure, "line 2: " + std::string(c.failure)) << c.line;
    }

    // A disabled control, a button the box does not show, and anything after a halt.
    Fixture f;
    f.session.start([&] { f.program.browse(); });
    f.session.activeWindow()->disable(3);
    SessionResult disabled = f.runner.run("press \"&Delete\"");
    EXPECT_EQ(disabled.failure, "line 1: \"&Delete\" is disabled");
    f.session.activeWindow()->enable(3);
    SessionResult wrongButton = f.runner.run("click 1 row 1\npress \"&Delete\"\nanswer Cancel");
    EXPECT_EQ(wrongButton.failure,
              "line 3: the message box has no Cancel button (it shows Yes No)");
    SessionResult halted = f.runner.run("answer No\nmenu \"E&xit\"\npress \"&Insert\"\n"
                                        "expect halted");
    EXPECT_EQ(halted.failure, "line 3: the program has halted (\"Stopped by the user\")");
    EXPECT_TRUE(f.runner.run("expect halted \"Stopped by the user\"").passed);
}

TEST(SessionRunner, NoMessageMeansNoneWaitingAndNoneShownByTheLastAction) {
    Fixture f;
    ASSERT_TRUE(f.runner.run("start browse\nexpect no message\nclick 1 row 1").passed);
    EXPECT_EQ(f.runner.run("press \"&Delete\"\nexpect no message").failure,
              "line 2: expected no message, but message \"Confirm Delete\" \"Delete Adams?\" "
              "Yes No (waiting)");
    EXPECT_TRUE(f.runner.run("answer No\nexpect no message").passed);
    // A box answered ahead is gone when the next line runs, but the user saw it; the
    // expectations between do not hide it.
    EXPECT_EQ(
        f.runner.run("answer No\npress \"&Delete\"\nexpect 1 rows 2\nexpect no message").failure,
        "line 4: expected no message, but the last action showed message "
        "\"Confirm Delete\" \"Delete Adams?\" Yes No");
    EXPECT_TRUE(f.runner.run("menu \"&Browse|&Refresh\"\nexpect no message").passed);
}

TEST(SessionRunner, MenusKeysDoubleClicksResizingAndTheCloseBox) {
    Fixture f;
    SessionResult result = f.runner.run(R"(start browse
menu "Refresh"                 # the first item with the text: in the File menu
expect status 2 "File refreshed"
menu "&Browse|&Refresh"
expect status 2 "Refreshed"
focus 1
key Down Up Down
expect 1 selected 2
double-click 1 row 1 column 2
expect 1 selected 1
resize 400 300
close
expect windows
)");
    EXPECT_TRUE(result.passed) << result.failure << "\n" << result.transcript;
}

TEST(SessionRunner, AScriptWithMistakesDoesNotRun) {
    Fixture f;
    SessionResult result = f.runner.run("start browse\nadd name\npress Close\nflip 3");
    EXPECT_FALSE(result.passed);
    EXPECT_EQ(result.stepsRun, 0u);
    EXPECT_EQ(result.failedLine, 2);
    EXPECT_EQ(result.failure, "line 2: add name: give the name (add name TEXT)\n"
                              "line 4: unknown command flip");
    EXPECT_EQ(result.transcript, "error line 2: add name: give the name (add name TEXT)\n"
                                 "error line 4: unknown command flip\n");
    EXPECT_TRUE(f.session.windowTitles().empty());
}

TEST(SessionRunner, TabsDropListsAndDialogsAnsweredAheadOrWhileWaiting) {
    auto result = host::WindowDefinitionParser::parse(R"(
window OPTIONS "Options" status=-1
  menu "&File"
    item 9 "Print &Setup..." std=print-setup
  end
  sheet 1
    tab 2 "&General"
      entry 3 use=LOC:NAME
    end
    tab 4 "&Colours"
      droplist 5 from="Red|Green|Blue" use=LOC:COLOUR
    end
  end
  button 6 "&Browse..."
end)",
                                                      "test");
    ASSERT_TRUE(result.ok()) << result.message();
    auto definition = std::make_shared<const host::WindowDefinition>(result.windows.at(0));
    HeadlessSession session;
    host::Variable name{FieldType::text(20)};
    host::Variable colour{FieldType::text(10)};
    std::vector<std::string> answers;
    session.start([&] {
        Window w(definition);
        w.bind("LOC:NAME", name);
        w.bind("LOC:COLOUR", colour);
        w.open();
        while (w.nextEvent()) {
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 6) {
                host::FileDialogRequest request{"Pick", "a.gif", "", 0};
                answers.push_back(host::fileDialog(request) ? request.fileName : "cancelled");
                answers.push_back(std::to_string(host::popupMenu("&One|-|&Two|T&hree")));
                w.setStatusText(1, "Done");
            }
        }
    });
    SessionRunner runner(session);
    SessionResult run = runner.run(R"(expect 5 hidden
tab "&Colours"
expect 5 visible
expect 3 hidden
choose "blue" from 5
expect 5 shows "Blue"
choose 1 from 5
expect 5 shows "Red"
tab 2
expect 1 focused                   # never the drop list the tab hid
focus 3
type "Smith"
expect 3 shows "Smith"
file cancel
popup 3
press "&Browse..."
expect status "Done"
press "&Browse..."
file "b.gif"
popup "T&wo"
menu "Print Setup..."
printer ok
)");
    EXPECT_TRUE(run.passed) << run.failure << "\n" << run.transcript;
    EXPECT_EQ(answers, (std::vector<std::string>{"cancelled", "3", "b.gif", "2"}));
    EXPECT_EQ(host::clip(colour.value().toText()), "Red");
    EXPECT_NE(run.transcript.find("file cancel\n    (kept for the next file dialog)\n"
                                  "popup 3\n    (kept for the next popup menu)\n"
                                  "press \"&Browse...\"\n"
                                  "    status 1 \"Done\"\n"
                                  "    file dialog \"Pick\" \"a.gif\" (answered cancel)\n"
                                  "    popup \"&One|-|&Two|T&hree\" (answered 3)\n"),
              std::string::npos)
        << run.transcript;
    EXPECT_NE(run.transcript.find("menu \"Print Setup...\"\n    printer setup (waiting)\n"
                                  "printer ok\n"),
              std::string::npos)
        << run.transcript;
    EXPECT_TRUE(session.pendingDialogs().empty());
}

} // namespace
