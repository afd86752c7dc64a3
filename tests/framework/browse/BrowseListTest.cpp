// The browse list over a real data folder, driven as a user drives it on the headless
// desktop: paging and scrolling at both ends of the view, reloads that keep the current
// row in its place, locators, the thumb, select mode, and the re-positioning after an
// insert, change or delete made by the update procedure.
#include "tests/framework/data/DataFixture.h"

#include "framework/browse/BrowseList.h"
#include "framework/browse/RowLocator.h"
#include "framework/browse/ThumbStep.h"
#include "framework/browse/TypedLocator.h"
#include "framework/window/ToolbarButton.h"
#include "framework/window/WindowController.h"
#include "runtime/base/Queue.h"
#include "runtime/files/RecordView.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"
#include "tests/support/OtherStation.h"
#include "tests/support/WindowDefinitions.h"

#include <sstream>

using namespace datatest;
using framework::BrowseList;
using framework::RequestKind;
using framework::ResponseKind;
using host::EventKind;
using host::KeyCode;

namespace {

const char* const browseWindow = R"(
window B "Customers" at=0,0,300,200
  list 1 at=4,4,200,100 from=Queue:Rows vscroll immediate items=10 \
       format="120L(2)|M~Name~@s30@40L(2)|M~Number~@s4@"
  button 2 "&Insert"
  button 3 "&Change"
  button 4 "&Delete"
  button 5 "&Select"
  button 6 "Close"
end)";

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// The update procedure's answer for a write that ended at `level`.
std::uint8_t answerFor(Severity level) {
    return level == Severity::Benign ? ResponseKind::Completed : ResponseKind::Cancelled;
}

class BrowseListTest;

// The procedure around the browse: the list by name, with an update procedure that the
// test plays, and a hook that runs test code on the procedure's own thread.
class CustomerBrowse : public framework::WindowController {
public:
    explicit CustomerBrowse(BrowseListTest& test) : test_(test) {}
    Severity Setup() override;
    Severity Teardown() override;
    Severity DispatchEvent() override {
        if (Window()->currentEvent() == host::userEvent(1) && job) {
            job();
            Window()->display();
            return Severity::Benign;
        }
        return WindowController::DispatchEvent();
    }
    std::uint8_t CallProcedure(std::uint16_t, std::uint8_t request) override {
        requests.push_back(request);
        return form ? form(request) : ResponseKind::Cancelled;
    }

    std::unique_ptr<host::Window> window;
    host::Queue rows{std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"NAME", host::FieldType::text(30)},
        {"NUMBER", host::FieldType::text(4)},
        {"ID", host::FieldType::longInteger()},
        {"POSITION", host::FieldType::text(1024)},
    })};
    BrowseList browse;
    framework::TypedLocator typed;
    framework::RowLocator single;
    framework::ThumbStep thumb;
    bool typedLocator = true;
    bool withThumb = false;
    std::int32_t vcr = 0;
    std::function<std::uint8_t(std::uint8_t)> form;
    std::function<void()> job;
    std::vector<std::uint8_t> requests;

private:
    BrowseListTest& test_;
};

class BrowseListTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        definition = testsupport::define(browseWindow);
    }
    void TearDown() override {
        if (procedure && procedure->window && procedure->window->isOpen())
            session.closeWindow(procedure->window.get());
        session.run();
        DataTest::TearDown();
    }
    void seedNames(const std::vector<std::string>& names) {
        seed(customerDefinition(), [&](host::Record& record, host::RecordFile& file) {
            int id = 0;
            for (const std::string& name : names) {
                ++id;
                fillCustomer(record, id, "N" + twoDigits(id), name);
                file.add();
            }
        });
    }
    void seedNumbered(int count) {
        std::vector<std::string> names;
        for (int n = 1; n <= count; ++n)
            names.push_back("Name " + twoDigits(n));
        seedNames(names);
    }
    // Opens the browse on a thread of its own.
    void open(std::uint8_t request = 0,
              const std::function<void(CustomerBrowse&)>& configure = {}) {
        declare(customers, "Customer");
        view = driver.makeView(*customers.file);
        procedure = std::make_unique<CustomerBrowse>(*this);
        procedure->REQUEST = request;
        if (configure)
            configure(*procedure);
        session.start([this] { response = procedure->Execute(); });
    }
    // Runs `job` on the browse's thread, as part of its event handling.
    void onBrowse(std::function<void()> job) {
        procedure->job = std::move(job);
        procedure->window->post(host::userEvent(1));
        session.run();
    }
    void scroll(EventKind kind) {
        session.input().scroll(*procedure->window, 1, kind);
        session.run();
    }
    // Presses keys one after the other ("Up Up Up").
    void key(std::string_view names) {
        std::istringstream in{std::string(names)};
        for (std::string name; in >> name;)
            session.pressKey(name);
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& row : session.listCells("1"))
            out.push_back(row.at(0));
        return out;
    }
    std::string current() {
        int row = session.selectedRow("1");
        auto all = names();
        return row >= 1 && row <= static_cast<int>(all.size()) ? all[row - 1] : "";
    }
    std::string bufferName() { return customers.text("CUS:NAME"); }
    std::vector<std::string> numbered(int first, int last) {
        std::vector<std::string> out;
        for (int n = first; n <= last; ++n)
            out.push_back("Name " + twoDigits(n));
        return out;
    }
    // The page shows "Name first" to "Name last" with "Name selected" current.
    void expectPage(int first, int last, int selected) {
        EXPECT_EQ(names(), numbered(first, last));
        EXPECT_EQ(current(), "Name " + twoDigits(selected));
    }
    int thumb() {
        return static_cast<int>(
            procedure->window->property(1, host::Property::ThumbPosition).toInteger());
    }

public:
    TestFile customers{driver, customerDefinition()};
    std::unique_ptr<host::RecordView> view;
    std::shared_ptr<const host::WindowDefinition> definition;
    host::headless::HeadlessSession session;
    std::unique_ptr<CustomerBrowse> procedure;
    std::uint8_t response = 0;
};

Severity CustomerBrowse::Setup() {
    Severity level = WindowController::Setup();
    if (level != Severity::Benign)
        return level;
    VCRREQUEST = &vcr;
    RegisterButton(6, ResponseKind::Cancelled);
    test_.customers.link.Open();
    window = std::make_unique<host::Window>(test_.definition);
    window->bind("Queue:Rows", rows);
    browse.Setup(*this, 1, rows, rows.buffer().field("POSITION"), *test_.view,
                 test_.customers.link);
    OpenWindow(*window);
    if (withThumb)
        thumb.Setup(framework::ThumbStep::Letters, framework::ThumbStep::NameTable);
    browse.DefineSortOrder("CUS:NAMEK", withThumb ? &thumb : nullptr);
    if (typedLocator) {
        typed.Setup(0, browse.CurrentSortOrder().FREEELEMENT, true, browse);
        browse.SetLocator(typed);
    } else {
        single.Setup(0, browse.CurrentSortOrder().FREEELEMENT, true, browse);
        browse.SetLocator(single);
    }
    browse.MapColumn(test_.customers.field("CUS:NAME"), rows.buffer().field("NAME"));
    browse.MapColumn(test_.customers.field("CUS:NUMBER"), rows.buffer().field("NUMBER"));
    browse.MapColumn(test_.customers.field("CUS:CUSTOMERID"), rows.buffer().field("ID"));
    browse.INSERTCONTROL = 2;
    browse.CHANGECONTROL = 3;
    browse.DELETECONTROL = 4;
    browse.SELECTCONTROL = 5;
    browse.HIDESELECT = 1;
    browse.ASKPROCEDURE = 1;
    ArmKeys();
    return Severity::Benign;
}

Severity CustomerBrowse::Teardown() {
    Severity level = WindowController::Teardown();
    test_.customers.link.Close();
    return level;
}

TEST_F(BrowseListTest, PagesAreReadFromTheRowsAtTheirEndsAndReloadsKeepTheCurrentRowInPlace) {
    seedNumbered(45);
    open();
    expectPage(1, 10, 1);
    EXPECT_EQ(bufferName(), "Name 01");
    EXPECT_EQ(thumb(), 0);
    key("Down Down Down");
    scroll(EventKind::PageDown);
    expectPage(11, 20, 14);
    EXPECT_EQ(bufferName(), "Name 14");
    EXPECT_EQ(thumb(), 50);

    // A reload in place, and one from the record in the buffer, keep row 4 on Name 14.
    onBrowse([&] { procedure->browse.Reload(BrowseList::RefreshInPlace); });
    expectPage(11, 20, 14);
    onBrowse([&] {
        customers.field("CUS:NAME").assign(host::Value("Name 14"));
        procedure->browse.ResetFrom(1);
        procedure->browse.Reload(BrowseList::FromPosition);
    });
    expectPage(11, 20, 14);

    // Near the end a page down reads only what is left and moves the selection by the rest.
    scroll(EventKind::PageDown);
    scroll(EventKind::PageDown);
    EXPECT_EQ(current(), "Name 34");
    scroll(EventKind::PageDown);
    expectPage(36, 45, 44);
    EXPECT_EQ(thumb(), 50);
    key("Down Down");
    expectPage(36, 45, 45);
    EXPECT_EQ(thumb(), 100);

    // And backward the same from the first row's position.
    for (int i = 0; i < 3; ++i)
        scroll(EventKind::PageUp);
    expectPage(6, 15, 15);
    scroll(EventKind::PageUp);
    expectPage(1, 10, 5);
    key("Up Up Up Up Up");
    EXPECT_EQ(current(), "Name 01");
    EXPECT_EQ(thumb(), 0);

    // One row at a time past the page's edge, and the ends.
    scroll(EventKind::ScrollBottom);
    expectPage(36, 45, 45);
    EXPECT_EQ(thumb(), 100);
    scroll(EventKind::ScrollTop);
    key("Down Down Down Down Down Down Down Down Down Down");
    expectPage(2, 11, 11);
}

TEST_F(BrowseListTest, AViewShorterThanAPageStaysWholeWhateverTheScroll) {
    seedNumbered(3);
    open();
    EXPECT_EQ(names(), numbered(1, 3));
    EXPECT_FALSE(procedure->window->control(1)->hasVScroll());
    for (EventKind kind : {EventKind::PageDown, EventKind::ScrollDown, EventKind::ScrollDown,
                           EventKind::ScrollDown, EventKind::ScrollBottom}) {
        scroll(kind);
        EXPECT_EQ(names(), numbered(1, 3));
    }
    EXPECT_EQ(current(), "Name 03");
    scroll(EventKind::PageUp);
    expectPage(1, 3, 1);
}

TEST_F(BrowseListTest, UpdatesThroughTheFormRepositionTheList) {
    seedNumbered(20);
    open(0, [this](CustomerBrowse& p) {
        p.form = [this, &p](std::uint8_t request) -> std::uint8_t {
            if (request == RequestKind::Delete)
                return answerFor(customers.link.Delete(false));
            // The first new record asks for another (next record after an insert).
            static int id = 100;
            customers.field("CUS:CUSTOMERID").assign(host::Value(++id));
            customers.field("CUS:NUMBER").assign(host::Value("X" + std::to_string(id)));
            customers.field("CUS:NAME")
                .assign(host::Value("Name 0" + std::to_string(id % 10) + "x"));
            p.vcr = id == 101 ? framework::ToolbarButton::NextRecord : 0;
            return answerFor(customers.access.Insert());
        };
    });
    key("Down Down"); // Name 03 on row 3
    EXPECT_TRUE(session.press("&Insert"));
    EXPECT_EQ(procedure->requests, (std::vector<std::uint8_t>{1, 1}));
    // The second new record is the current row; the first is in the list before it.
    EXPECT_EQ(current(), "Name 02x");
    EXPECT_EQ(names().at(0), "Name 02");

    // A delete: the rows below move up one.
    EXPECT_TRUE(session.press("&Delete"));
    EXPECT_EQ(current(), "Name 03");
    EXPECT_EQ(names().at(session.selectedRow("1") - 2), "Name 02");
    EXPECT_EQ(numbers(customerDefinition(), 1, "CUS:CUSTOMERID").size(), 21u);
}

TEST_F(BrowseListTest, DeletingTheLastRecordEmptiesTheListAndTheFields) {
    seedNumbered(1);
    open(0, [this](CustomerBrowse& p) {
        p.form = [this](std::uint8_t) { return answerFor(customers.link.Delete(false)); };
    });
    EXPECT_TRUE(session.isEnabled("&Change"));
    EXPECT_TRUE(session.press("&Delete"));
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(session.selectedRow("1"), 0);
    EXPECT_EQ(bufferName(), "");
    EXPECT_FALSE(session.isEnabled("&Change"));
    EXPECT_FALSE(session.isEnabled("&Delete"));
    EXPECT_TRUE(session.isEnabled("&Insert"));
    EXPECT_FALSE(session.isVisible("&Select"));

    // Typing, scrolling and dragging the thumb on the empty list do nothing harmful.
    key("S Backspace");
    scroll(EventKind::PageDown);
    session.input().dragThumb(*procedure->window, 1, 40);
    session.run();
    EXPECT_TRUE(names().empty());
    EXPECT_TRUE(session.messagesShown().empty());
    // Insert on the empty list still reaches the update procedure.
    key("Insert");
    EXPECT_EQ(procedure->requests.back(), RequestKind::Insert);
}

// The typed locator finds by the text typed (a Backspace on the empty text still gives the
// first record, a text past the last the last page); the row locator steps through the
// rows of one letter and wraps.
TEST_F(BrowseListTest, LocatorsFindTheRowForTheKeysTyped) {
    struct Step {
        const char* keys;
        const char* current;
    };
    const std::vector<Step> typed = {
        {"S T", "Stone"}, {"Backspace", "Smith"}, {"Backspace Backspace", "Adams"}, {"Z", "Young"}};
    const std::vector<Step> single = {
        {"S", "Smith"}, {"S", "Stone"}, {"S", "Swift"}, {"S", "Smith"}, {"B", "Baker"}};
    seedNames({"Adams", "Baker", "Brown", "Smith", "Stone", "Swift", "Taylor", "Young"});
    for (bool typedLocator : {true, false}) {
        open(0, [&](CustomerBrowse& p) { p.typedLocator = typedLocator; });
        for (const Step& step : typedLocator ? typed : single) {
            key(step.keys);
            EXPECT_EQ(current(), step.current) << typedLocator << " " << step.keys;
            EXPECT_EQ(bufferName(), step.current);
        }
        session.closeWindow(procedure->window.get());
        session.run();
    }
}

TEST_F(BrowseListTest, TheThumbJumpsThroughItsStepTable) {
    std::vector<std::string> many;
    for (const char* stem : {"Adams", "Baker", "Brown", "Harris", "Miller", "Smith", "Stone",
                             "Taylor", "Young", "Zane"})
        for (int n = 1; n <= 3; ++n)
            many.push_back(std::string(stem) + " " + std::to_string(n));
    seedNames(many);
    open(0, [](CustomerBrowse& p) { p.withThumb = true; });
    EXPECT_EQ(thumb(), 1);
    session.input().dragThumb(*procedure->window, 1, 84); // SKI: the first at or after it
    session.run();
    EXPECT_EQ(current(), "Smith 1");
    EXPECT_EQ(thumb(), 84);
    session.input().dragThumb(*procedure->window, 1, 100);
    session.run();
    EXPECT_EQ(current(), "Zane 3");
}

} // namespace

namespace {

using testsupport::OtherStation;

TEST_F(BrowseListTest, AnotherStationsWriteLockLeavesTheListReadableAndRefusesTheChange) {
    seedNumbered(30);
    open(0, [this](CustomerBrowse& p) {
        p.form = [this](std::uint8_t) -> std::uint8_t {
            customers.field("CUS:NAME").assign(host::Value("Changed"));
            return answerFor(customers.link.Update());
        };
    });
    OtherStation other(folder.path());
    ASSERT_TRUE(other.run("BEGIN EXCLUSIVE; UPDATE CUSTOMER SET CITY = 'Busy'"));
    scroll(EventKind::PageDown);
    EXPECT_EQ(names(), numbered(11, 20));
    EXPECT_TRUE(session.press("&Change"));
    session.advanceClock(100 * 100);
    ASSERT_EQ(session.messagesShown().size(), 1u);
    EXPECT_EQ(session.messagesShown()[0].title, "Transaction cancelled");
    EXPECT_TRUE(session.answerMessage(host::ButtonOk));
    ASSERT_TRUE(other.run("ROLLBACK"));
    EXPECT_EQ(names(), numbered(11, 20));
    // Nothing was written: every name is as it was.
    EXPECT_EQ(numbers(customerDefinition(), 2, "CUS:CUSTOMERID").size(), 30u);
    EXPECT_EQ(numbers(customerDefinition(), 2, "CUS:CUSTOMERID").at(10), 11);
}

TEST_F(BrowseListTest, AFileRemovedUnderTheListIsReportedAndTheListCloses) {
    seedNumbered(30);
    open();
    OtherStation other(folder.path());
    ASSERT_TRUE(other.run("DROP TABLE CUSTOMER"));
    scroll(EventKind::PageDown);
    ASSERT_EQ(session.messagesShown().size(), 1u);
    EXPECT_EQ(session.messagesShown()[0].title, "Record Retrieval Error");
    EXPECT_NE(session.messagesShown()[0].text.find("no such table"), std::string::npos);
    EXPECT_TRUE(session.answerMessage(host::ButtonOk));
    EXPECT_FALSE(procedure->window->isOpen());
}

} // namespace
