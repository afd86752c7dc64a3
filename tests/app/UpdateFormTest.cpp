// The window controller's form logic on the application's Customer file: a small update
// form like the customer form, run through the headless desktop on a real data folder.
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "framework/window/ToolbarButton.h"
#include "framework/window/ToolbarRouter.h"
#include "framework/window/WindowController.h"
#include "framework/window/WindowResizer.h"
#include "runtime/base/MessageBox.h"
#include "runtime/files/RecordFile.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include "tests/app/AddRecords.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using framework::RequestKind;
using framework::ResponseKind;
using framework::Severity;
using framework::WindowController;
using host::headless::HeadlessSession;

namespace {

using Names = std::vector<std::string>;

const char* const customerForm = R"(
window P43$QUICKWINDOW "Update the Customer File" at=0,0,300,150 resizable
  prompt 1 "&Number:"
  entry 2 use=CUS:NUMBER picture=@s4
  prompt 3 "&Name:"
  entry 4 use=CUS:NAME picture=@s30 required at=60,20,120,12
  prompt 5 "&City:"
  entry 6 use=CUS:CITY picture=@s15
  button 7 "OK" default
  button 8 "Cancel" cancel
end)";

host::Record& customer() {
    return app::CustomerRecord;
}
std::string field(std::string_view label) {
    return host::clip(customer().field(label).text());
}

class UpdateFormTest;

// The update form: the customer form's set-up in the order every form follows.
class EditCustomer : public WindowController {
public:
    using Configure = std::function<void(EditCustomer&)>;

    EditCustomer(UpdateFormTest& test, std::uint8_t request, Configure configure)
        : test_(test), request_(request), configure_(std::move(configure)) {}

    Severity Setup() override;
    Severity Teardown() override;
    void Refresh(std::uint8_t force) override {
        ++refreshes;
        WindowController::Refresh(force);
    }

    std::unique_ptr<host::Window> window;
    framework::WindowResizer resizer;
    bool resizes = false;
    int refreshes = 0;

private:
    UpdateFormTest& test_;
    std::uint8_t request_;
    Configure configure_;
    bool opened_ = false;
};

class UpdateFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<HeadlessSession>();
        ASSERT_FALSE(folder.empty());
        ASSERT_TRUE(driver.openFolder(folder));
        errors.Setup();
        registry.Setup();
        seed({{1, "C1", "Adams", "Albany"},
              {2, "C2", "Baker", "Boston"},
              {3, "C3", "Clark", "Concord"}});
        app::DataDictionary::setUp(driver, errors, registry);
        history.clear();
        definition = std::make_shared<const host::WindowDefinition>(
            host::WindowDefinitionParser::parse(customerForm, "test").windows.at(0));
    }
    void TearDown() override {
        session.reset(); // ends any thread still running before the data goes
        app::DataDictionary::tearDown();
        registry.Teardown();
        errors.Teardown();
    }

    struct Row {
        int id;
        std::string number, name, city;
    };
    void seed(std::vector<Row> rows) {
        apptest::addRecords(driver, app::files::customer(), static_cast<int>(rows.size()),
                            [&](host::Record& record, int n) {
                                const Row& row = rows[static_cast<std::size_t>(n - 1)];
                                record.field("CUS:CUSTOMERID").assign(row.id);
                                record.field("CUS:NUMBER").assign(row.number);
                                record.field("CUS:NAME").assign(row.name);
                                record.field("CUS:CITY").assign(row.city);
                            });
    }
    // The file's customers as "name/city", by name.
    std::vector<std::string> customers() {
        host::Record record(app::files::customer().layout());
        auto file = driver.makeFile(app::files::customer(), record);
        std::vector<std::string> out;
        if (!file->open(host::openMode::readOnly | host::openMode::denyNone))
            return out;
        file->set(2);
        while (file->next())
            out.push_back(host::clip(record.field("CUS:NAME").text()) + "/" +
                          host::clip(record.field("CUS:CITY").text()));
        file->close();
        return out;
    }

    // Runs the form on a logical thread the way a browse calls it: the customer to
    // change or delete is read into the buffer first; for an insert a new record is
    // primed (with its auto-number placeholder).
    void start(std::uint8_t request, int customerId, EditCustomer::Configure configure = {}) {
        form = std::make_unique<EditCustomer>(*this, request, std::move(configure));
        response = 0;
        session->start([this, request, customerId] {
            app::CustomerLink->Open();
            if (request == RequestKind::Insert) {
                customer().clear();
                app::CustomerAccess->PrepareNewRecord();
            } else {
                customer().field("CUS:CUSTOMERID").assign(customerId);
                app::CustomerAccess->ReadByKey(1);
            }
            response = form->Execute();
            app::CustomerLink->Close();
        });
    }
    host::Window* window() const { return form->window.get(); }
    // Queues the answers to the next message boxes, in order.
    void answer(std::initializer_list<unsigned> buttons) {
        for (unsigned button : buttons)
            session->answerNextMessage(button);
    }
    // Types each {prompt, text} into the form.
    void type(std::initializer_list<std::pair<const char*, const char*>> entries) {
        for (auto [prompt, text] : entries)
            EXPECT_TRUE(session->type(prompt, text)) << prompt;
    }
    // Presses a button; `response` is what the form answered if it closed.
    void press(const char* button) { EXPECT_TRUE(session->press(button)) << button; }
    bool formIsOpen() const { return form->window && form->window->isOpen(); }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const host::MessageBoxRequest& box : session->messagesShown())
            out.push_back(box.title);
        return out;
    }

public:
    std::unique_ptr<HeadlessSession> session;
    testsupport::TempFolder temporary;
    std::string folder = temporary.path();
    host::sqlite::SqliteDriver driver;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
    host::Record history{app::files::customer().layout()}; // the form's history copy
    std::shared_ptr<const host::WindowDefinition> definition;
    std::int32_t vcr = 0;
    framework::ToolbarRouter* router = nullptr;
    std::unique_ptr<EditCustomer> form;
    std::uint8_t response = 0;
};

Severity EditCustomer::Setup() {
    test_.errors.TrackProcedure("EditCustomers", false);
    REQUEST = request_;
    Severity level = WindowController::Setup();
    if (level != Severity::Benign)
        return level;
    FIRSTFIELD = 2;
    ERRORS = &test_.errors;
    VCRREQUEST = &test_.vcr;
    if (test_.router)
        AttachToolbar(*test_.router);
    RegisterFile(*app::CustomerAccess);
    HISTORYKEY = host::KeyCode::CtrlQuote;
    RegisterHistoryField(customer(), test_.history);
    RegisterHistoryField(2, customer().layout()->fieldNumber("CUS:NUMBER"));
    RegisterHistoryField(4, customer().layout()->fieldNumber("CUS:NAME"));
    RegisterHistoryField(6, customer().layout()->fieldNumber("CUS:CITY"));
    RegisterButton(8, ResponseKind::Cancelled);
    app::CustomerLink->Open();
    opened_ = true;
    PRIMARY = app::CustomerLink;
    OKCONTROL = 7;
    if (configure_)
        configure_(*this);
    if (BeginRequest() != Severity::Benign)
        return Severity::Notify;
    window = std::make_unique<host::Window>(test_.definition);
    for (std::string_view label : {"CUS:NUMBER", "CUS:NAME", "CUS:CITY"})
        window->bind(label, customer().field(label));
    OpenWindow(*window);
    if (resizes) {
        resizer.Setup(*window, 2, true, false);
        resizer.AUTOTRANSPARENT = 1;
        resizer.DefaultParents();
        AttachResizer(resizer);
    }
    ArmKeys();
    return Severity::Benign;
}

Severity EditCustomer::Teardown() {
    Severity level = WindowController::Teardown();
    if (level != Severity::Benign)
        return level;
    if (opened_)
        app::CustomerLink->Close();
    test_.errors.TrackProcedure("", true);
    return Severity::Benign;
}

auto deleteAction(std::uint8_t action) {
    return [action](EditCustomer& f) { f.DELETEACTION = action; };
}
auto cancelAction(std::uint8_t action) {
    return [action](EditCustomer& f) { f.CANCELACTION = action; };
}

TEST_F(UpdateFormTest, ADeleteRequestWithDeleteActionTwoOrFourNeverOpensTheForm) {
    // 2: confirmed first. Declined: nothing deleted, cancelled.
    answer({host::ButtonNo});
    start(RequestKind::Delete, 2, deleteAction(2));
    EXPECT_FALSE(form->window);
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(titles(), Names{"Confirm Delete"});
    EXPECT_EQ(customers().size(), 3u);
    // Confirmed: deleted, completed.
    answer({host::ButtonYes});
    start(RequestKind::Delete, 2, deleteAction(2));
    EXPECT_FALSE(form->window);
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(customers(), (Names{"Adams/Albany", "Clark/Concord"}));
    // 4: deleted without a question.
    session->display().forgetDialogs();
    start(RequestKind::Delete, 3, deleteAction(4));
    EXPECT_FALSE(form->window);
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(customers(), Names{"Adams/Albany"});
}

TEST_F(UpdateFormTest, OkOnAnUnchangedChangeFormAnswersByTheToolbarRequest) {
    // Without a toolbar router: nothing is written and the answer is cancelled.
    start(RequestKind::Change, 2);
    ASSERT_TRUE(formIsOpen());
    EXPECT_EQ(session->text("&City:"), "Boston");
    press("OK");
    EXPECT_EQ(response, ResponseKind::Cancelled);

    // With a router and no navigation request pending: completed; with one, cancelled.
    framework::ToolbarRouter toolbar;
    router = &toolbar;
    start(RequestKind::Change, 2);
    press("OK");
    EXPECT_EQ(response, ResponseKind::Completed);
    start(RequestKind::Change, 2);
    vcr = framework::ToolbarButton::NextRecord;
    press("OK");
    EXPECT_EQ(response, ResponseKind::Cancelled);
    router = nullptr;
    vcr = 0;
}

TEST_F(UpdateFormTest, CancellingAChangedFormByCancelAction) {
    // 0: the changes are dropped without a question; 1: saved as if OK were pressed.
    for (auto [action, outcome, city] : {std::tuple{0, ResponseKind::Cancelled, "Boston"},
                                         {1, ResponseKind::Completed, "Bristol"}}) {
        start(RequestKind::Change, 2, cancelAction(static_cast<std::uint8_t>(action)));
        type({{"&City:", "Bristol"}});
        press("Cancel");
        EXPECT_EQ(response, outcome) << action;
        EXPECT_TRUE(titles().empty());
        EXPECT_EQ(customers(),
                  (Names{"Adams/Albany", "Baker/" + std::string(city), "Clark/Concord"}));
    }

    // 3: "Save Record". Cancel stays; No drops the changes.
    start(RequestKind::Change, 2, cancelAction(3));
    type({{"&City:", "Boston"}});
    answer({host::ButtonCancel});
    press("Cancel");
    EXPECT_TRUE(formIsOpen());
    answer({host::ButtonNo});
    press("Cancel");
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(customers()[1], "Baker/Bristol");
    EXPECT_EQ(titles(), (Names{"Save Record", "Save Record"}));
    EXPECT_EQ(session->messagesShown()[0].text, "Do you want to save the changes to this record?");
    EXPECT_EQ(session->messagesShown()[0].defaultButton, host::ButtonCancel);

    // 3, Yes: the OK path runs, validation first: a blank required name stops it and the
    // form stays; with a name it saves.
    start(RequestKind::Change, 2, cancelAction(3));
    type({{"&City:", "Boston"}, {"&Name:", ""}});
    answer({host::ButtonYes});
    press("Cancel");
    EXPECT_TRUE(formIsOpen());
    EXPECT_EQ(window()->focus(), 4);
    type({{"&Name:", "Barker"}});
    answer({host::ButtonYes});
    press("Cancel");
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(customers(), (Names{"Adams/Albany", "Barker/Boston", "Clark/Concord"}));
}

TEST_F(UpdateFormTest, InsertActionThreeStartsAnotherRecordAfterEachInsert) {
    start(RequestKind::Insert, 0, [](EditCustomer& f) { f.INSERTACTION = 3; });
    ASSERT_TRUE(formIsOpen());
    EXPECT_EQ(customer().field("CUS:CUSTOMERID").integer(), 4); // the placeholder's number
    type({{"&Number:", "C4"}, {"&Name:", "Dixon"}});
    press("OK");
    EXPECT_TRUE(formIsOpen());
    EXPECT_FALSE(form->LASTINSERTEDPOSITION.empty());
    EXPECT_EQ(session->text("&Name:"), ""); // a new, blank record
    EXPECT_EQ(customer().field("CUS:CUSTOMERID").integer(), 5);
    EXPECT_EQ(window()->focus(), 2);
    type({{"&Number:", "C5"}, {"&Name:", "Evans"}});
    press("OK");
    EXPECT_TRUE(formIsOpen());
    // Cancel on the third, untouched record: its placeholder goes, and the caller gets
    // completed with the last inserted record in the buffer.
    press("Cancel");
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(field("CUS:NAME"), "Evans");
    EXPECT_EQ(customer().field("CUS:CUSTOMERID").integer(), 5);
    EXPECT_EQ(customers(),
              (Names{"Adams/Albany", "Baker/Boston", "Clark/Concord", "Dixon/", "Evans/"}));
    EXPECT_TRUE(titles().empty());
}

TEST_F(UpdateFormTest, InsertActionsTwoAndFour) {
    // 2: the form closes after the insert.
    start(RequestKind::Insert, 0);
    type({{"&Number:", "C4"}, {"&Name:", "Dixon"}});
    press("OK");
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(customers().size(), 4u);
    // 4: "Record Added" asks; No closes, completed.
    start(RequestKind::Insert, 0, [](EditCustomer& f) { f.INSERTACTION = 4; });
    type({{"&Number:", "C5"}, {"&Name:", "Evans"}});
    answer({host::ButtonYes});
    press("OK");
    EXPECT_TRUE(formIsOpen());
    type({{"&Number:", "C6"}, {"&Name:", "Fox"}});
    answer({host::ButtonNo});
    press("OK");
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(titles(), (Names{"Record Added", "Record Added"}));
    EXPECT_EQ(customers().size(), 6u);
    // A cancelled insert removes its placeholder.
    start(RequestKind::Insert, 0);
    press("Cancel");
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(customers().size(), 6u);
}

// The question a failed write asks after its error: three buttons, Cancel by default.
void expectRetryQuestion(const host::MessageBoxRequest& question, const char* text) {
    EXPECT_EQ(question.text, text);
    EXPECT_EQ(question.buttons, host::ButtonYes | host::ButtonNo | host::ButtonCancel);
    EXPECT_EQ(question.defaultButton, host::ButtonCancel);
}

TEST_F(UpdateFormTest, AFailedUpdateAsksToTryAgain) {
    // Renaming Baker to Clark collides with Clark on the name key.
    start(RequestKind::Change, 2);
    type({{"&Name:", "Clark"}});
    // Yes tries again (and fails again), Cancel goes back to the form.
    answer({host::ButtonOk, host::ButtonYes, host::ButtonOk, host::ButtonCancel});
    press("OK");
    EXPECT_TRUE(formIsOpen());
    EXPECT_EQ(titles(), (Names{"Record was not updated", "Record Update Error",
                               "Record was not updated", "Record Update Error"}));
    expectRetryQuestion(
        session->messagesShown().at(1),
        "An error was experienced changing this record. Do you want to try to save again?");
    EXPECT_EQ(window()->focus(), 2);
    // The user corrects the name and saves.
    type({{"&Name:", "Barker"}});
    press("OK");
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(customers()[1], "Barker/Boston");

    // No closes the form, cancelled, nothing written; the changed form still asks
    // whether to save on its way out.
    session->display().forgetDialogs();
    start(RequestKind::Change, 2);
    type({{"&Name:", "Clark"}});
    answer({host::ButtonOk, host::ButtonNo, host::ButtonNo});
    press("OK");
    EXPECT_EQ(titles(), (Names{"Record was not updated", "Record Update Error", "Save Record"}));
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(customers()[1], "Barker/Boston");
}

TEST_F(UpdateFormTest, AFailedDeleteAsksToTryAgain) {
    start(RequestKind::Delete, 2, deleteAction(3));
    ASSERT_TRUE(formIsOpen());
    { // Another station deletes the customer meanwhile.
        host::Record record(app::files::customer().layout());
        auto file = driver.makeFile(app::files::customer(), record);
        ASSERT_TRUE(file->open());
        record.field("CUS:CUSTOMERID").assign(2);
        ASSERT_TRUE(file->get(1) && file->remove());
        file->close();
    }
    // The link reports the failure and offers its own retry (No here); then the form
    // asks: Yes tries again, Cancel goes back to the form.
    answer({host::ButtonOk, host::ButtonNo, host::ButtonYes, host::ButtonOk, host::ButtonNo,
            host::ButtonCancel});
    press("OK");
    EXPECT_TRUE(formIsOpen());
    EXPECT_EQ(window()->focus(), 2);
    EXPECT_EQ(titles(),
              (Names{"Record was not deleted", "Record Delete Error", "Record Delete Error",
                     "Record was not deleted", "Record Delete Error", "Record Delete Error"}));
    expectRetryQuestion(session->messagesShown().at(2),
                        "An error was experienced deleting this record. Do you want to try to "
                        "delete it again?");
    // No closes the form, cancelled.
    answer({host::ButtonOk, host::ButtonNo, host::ButtonNo});
    press("OK");
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(customers(), (Names{"Adams/Albany", "Clark/Concord"}));
}

TEST_F(UpdateFormTest, OnlySizeChangesAfterTheFirstRefreshTheForm) {
    start(RequestKind::Change, 1, [](EditCustomer& f) { f.resizes = true; });
    EXPECT_EQ(form->refreshes, 1); // prepared when it opened
    EXPECT_TRUE(session->resize(600, 300));
    EXPECT_EQ(form->refreshes, 1);
    EXPECT_EQ(window()->control(4)->rect(), (host::Rect{120, 20, 240, 12})); // laid out
    EXPECT_TRUE(session->resize(500, 250));
    EXPECT_EQ(form->refreshes, 2);
    EXPECT_TRUE(session->resize(300, 150));
    EXPECT_EQ(form->refreshes, 3);
    EXPECT_EQ(window()->control(4)->rect(), (host::Rect{60, 20, 120, 12}));
    press("Cancel");
    EXPECT_TRUE(form->resizer.CONTROLQUEUE.empty()); // torn down with the window
}

} // namespace
