#include "runtime/base/Clock.h"
#include "runtime/base/Queue.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tests/support/EventText.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using host::Control;
using host::CycleEnd;
using host::EventKind;
using host::FieldType;
using host::KeyCode;
using host::Window;
using host::headless::HeadlessSession;

using testsupport::define;

// Opens the window `text` declares on a new logical thread, `bind` binding its variables,
// and runs it there, logging every event with its key and taking its default action.
void startWindow(HeadlessSession& session, std::string_view text, std::vector<std::string>& log,
                 std::function<void(Window&)> bind) {
    auto definition = define(text);
    session.start([&log, definition, bind = std::move(bind)] {
        Window window(definition);
        bind(window);
        window.open();
        while (window.nextEvent()) {
            log.push_back(testsupport::describeEvent(window, true));
            window.endCycle(CycleEnd::DefaultAction);
        }
    });
}

// One column per picture kind: text, number, scientific, date, time, pattern, and an
// icon column that takes its icon number from the next field.
const char* const pictureList = R"(
window L "Pictures"
  list 1 at=0,0,400,100 from=Q format="40L~Name~@s10@44R~Amount~@n-10.2@40R~Sci~@e10.2@64L~Date~@d4@36L~Time~@t4@60L~Phone~@p(###) ###-####p@20LI~Ic~@s3@"
end)";

TEST(ListBox, EachPictureKindFormatsItsCells) {
    HeadlessSession session;
    auto layout = std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"Q:NAME", FieldType::text(10)},
        {"Q:AMOUNT", FieldType::decimal(9, 2)},
        {"Q:SCI", FieldType::decimal(12, 2)},
        {"Q:DATE", FieldType::longInteger()},
        {"Q:TIME", FieldType::longInteger()},
        {"Q:PHONE", FieldType::text(10)},
        {"Q:TEXT", FieldType::text(3)},
        {"Q:ICON", FieldType::longInteger()},
    });
    host::Queue queue(layout);
    auto add = [&](const char* name, const char* amount, const char* sci, int date, int time,
                   const char* phone, int icon) {
        auto& b = queue.buffer();
        b.field(1).assign(host::Value(name));
        b.field(2).assign(host::Value(*host::Decimal::parse(amount)));
        b.field(3).assign(host::Value(*host::Decimal::parse(sci)));
        b.field(4).assign(host::Value(date));
        b.field(5).assign(host::Value(time));
        b.field(6).assign(host::Value(phone));
        b.field(7).assign(host::Value("ok"));
        b.field(8).assign(host::Value(icon));
        queue.add();
    };
    add("Rossi", "-1234.5", "12345", host::dayNumber(2026, 12, 7), ((17 * 60 + 42) * 60 + 9) * 100,
        "5551234567", 2);
    add("Bianchi", "6.25", "0", 0, 0, "", 0);
    std::vector<std::string> log;
    startWindow(session, pictureList, log, [&](Window& w) { w.bind("Q", queue); });
    auto cells = session.listCells("1");
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0],
              (std::vector<std::string>{"Rossi", "-1,234.50", "1.23e+04", "December 7, 2026",
                                        "17:42:09", "(555) 123-4567", "ok"}));
    EXPECT_EQ(cells[1][0], "Bianchi");
    EXPECT_EQ(cells[1][1], "6.25");
    Control* list = session.control("1");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->formattedRow(1).back().icon, 2);
    EXPECT_EQ(session.activeWindow()->property(1, host::Property::ColumnCount).toInteger(), 7);
    EXPECT_EQ(session.activeWindow()->property(1, host::Property::ColumnPicture, 2).toText(),
              "@n-10.2");
    EXPECT_EQ(session.activeWindow()->property(1, host::Property::ColumnTitle, 4).toText(), "Date");
    // The rendered line keeps each text in its column.
    auto lines = session.listLines("1");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Rossi", 0), 0u);
    EXPECT_NE(lines[0].find("-1,234.50"), std::string::npos);
}

const char* const browseList = R"(
window B "Browse" at=0,0,200,60
  list 1 at=0,0,200,60 items=3 from=Q format="80L~Name~@s20@" alert="MouseRight Insert"
  list 2 at=0,0,200,60 items=3 from=Q format="80L~Name~@s20@" immediate
end)";

struct NameQueue {
    std::shared_ptr<host::RecordLayout> layout =
        std::make_shared<host::RecordLayout>(host::RecordLayout{{"Q:NAME", FieldType::text(20)}});
    host::Queue queue{layout};
    explicit NameQueue(int rows) {
        for (int i = 1; i <= rows; ++i) {
            queue.buffer().field(1).assign(host::Value("Name " + std::to_string(i)));
            queue.add();
        }
    }
};

TEST(ListBox, ClicksKeysAndTheColumnUnderTheMouse) {
    HeadlessSession session;
    NameQueue names(5);
    std::vector<std::string> log;
    startWindow(session, browseList, log, [&](Window& w) { w.bind("Q", names.queue); });
    log.clear();
    EXPECT_TRUE(session.clickRow("1", 2, 1));
    EXPECT_EQ(session.selectedRow("1"), 2);
    EXPECT_TRUE(session.pressKey("Down"));
    EXPECT_TRUE(session.pressKey("PgDn"));
    EXPECT_EQ(session.selectedRow("1"), 5);
    EXPECT_TRUE(session.doubleClickRow("1", 4, 1));
    EXPECT_EQ(log, (std::vector<std::string>{"NewSelection 1 MouseLeft", "NewSelection 1 Down",
                                             "NewSelection 1 PgDn", "NewSelection 1 MouseLeft2",
                                             "Accepted 1 MouseLeft2"}));
    // An alerted right click leaves the selection and records the row and column.
    log.clear();
    EXPECT_TRUE(session.rightClickRow("1", 1, 1));
    EXPECT_EQ(log, (std::vector<std::string>{"AlertKey 1 MouseRight"}));
    EXPECT_EQ(session.selectedRow("1"), 4);
    Window* w = session.activeWindow();
    EXPECT_EQ(w->property(1, host::Property::MouseRow).toInteger(), 1);
    EXPECT_EQ(w->property(1, host::Property::MouseColumn).toInteger(), 1);
    EXPECT_EQ(w->property(1, host::Property::Items).toInteger(), 3);

    // Typing on an immediate list reaches the program key by key (capitals with Shift), Backspace
    // too; a Ctrl combination types nothing, and a list showing its whole queue ignores typing.
    log.clear();
    EXPECT_TRUE(session.focus("2"));
    EXPECT_TRUE(session.type("2", "Sm 1."));
    EXPECT_TRUE(session.pressKey("Backspace"));
    EXPECT_TRUE(session.pressKey("Ctrl+S"));
    EXPECT_TRUE(session.type("1", "a"));
    EXPECT_EQ(log, (std::vector<std::string>{"Selected 2", "AlertKey 2 Shift+S", "AlertKey 2 M",
                                             "AlertKey 2 Space", "AlertKey 2 1", "AlertKey 2 .",
                                             "AlertKey 2 Backspace", "Selected 1"}));
    EXPECT_FALSE(session.type("2", "\xe9")); // no key types it
}

TEST(ListBox, DropListsSheetsAndEntriesWithPictures) {
    HeadlessSession session;
    const char* const text = R"(
window D "Drop"
  sheet 1
    tab 2 "&One"
      entry 3 use=AMOUNT picture=@n-10.2
    end
    tab 4 "&Two"
      droplist 5 from="Red|Green|Blue" use=COLOUR
    end
  end
end)";
    host::Variable amount(FieldType::decimal(9, 2));
    host::Variable colour(FieldType::text(10));
    colour.assign(host::Value("Green"));
    amount.assign(host::Value(*host::Decimal::parse("1234.5")));
    std::vector<std::string> log;
    startWindow(session, text, log, [&](Window& w) {
        w.bind("AMOUNT", amount);
        w.bind("COLOUR", colour);
    });
    EXPECT_EQ(session.text("3"), "1,234.50");
    EXPECT_EQ(session.selectedRow("5"), 2);
    log.clear();
    EXPECT_TRUE(session.type("3", "abc")); // does not fit the picture
    EXPECT_EQ(log, (std::vector<std::string>{"Rejected 3"}));
    EXPECT_EQ(amount.value(), host::Value(*host::Decimal::parse("1234.5")));
    EXPECT_TRUE(session.type("3", "-7"));
    EXPECT_EQ(amount.value(), host::Value(-7));
    EXPECT_EQ(session.text("3"), "-7.00");

    EXPECT_TRUE(session.chooseTab("1", 2));
    log.clear();
    EXPECT_TRUE(session.chooseItem("5", 3));
    EXPECT_EQ(host::clip(colour.value().toText()), "Blue");
    EXPECT_TRUE(session.pressKey("Up"));
    EXPECT_EQ(host::clip(colour.value().toText()), "Green");
    EXPECT_EQ(log, (std::vector<std::string>{"Selected 5", "NewSelection 5", "Accepted 5",
                                             "NewSelection 5 Up"}));
}

using host::Property;

TEST(ListBox, CellEditorsAreControlsCreatedAndDestroyedAtRunTime) {
    HeadlessSession session;
    NameQueue names(3);
    std::vector<std::string> log;
    startWindow(session, browseList, log, [&](Window& w) { w.bind("Q", names.queue); });
    Window* w = session.activeWindow();
    host::Variable cell(FieldType::text(20));
    cell.assign(host::Value("Name 2"));
    int editor = w->createControl(host::ControlKind::Entry);
    EXPECT_EQ(editor, 1000);
    EXPECT_EQ(w->createControl(host::ControlKind::Entry, 1), 0); // number taken
    EXPECT_TRUE(w->setUse(editor, cell));
    EXPECT_TRUE(w->setProperty(1, Property::ColumnEditor, editor, 1));
    EXPECT_EQ(w->property(1, Property::ColumnEditor, 1).toInteger(), editor);
    EXPECT_EQ(session.text("1000"), "Name 2");
    w->select(editor);
    session.run();
    EXPECT_TRUE(session.type(editor, "Renamed", w));
    EXPECT_EQ(host::clip(cell.value().toText()), "Renamed");
    EXPECT_TRUE(session.pressKey("Tab")); // the focus moves on to the first list
    EXPECT_EQ(w->focus(), 1);
    EXPECT_TRUE(w->destroyControl(editor));
    EXPECT_EQ(w->property(1, Property::ColumnEditor, 1).toInteger(), 0);
    EXPECT_EQ(w->control(editor), nullptr);
    EXPECT_FALSE(w->setProperty(editor, Property::Text, "gone"));
    // Properties the program sets are read back; read-only ones refuse.
    EXPECT_TRUE(w->setProperty(2, Property::Disabled, 1));
    EXPECT_FALSE(session.focus("2"));
    EXPECT_FALSE(w->setProperty(1, Property::Visible, 0));
    EXPECT_TRUE(w->setProperty(0, static_cast<Property>(10001), "mine"));
    EXPECT_EQ(w->property(0, static_cast<Property>(10001)).toText(), "mine");
    EXPECT_EQ(w->property(0, Property::Text).toText(), "Browse");
    EXPECT_EQ(w->property(1, Property::Type).toInteger(),
              static_cast<int>(host::ControlKind::List));
}

} // namespace
