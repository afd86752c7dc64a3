// The customer form (EditCustomers) as the program has it, run on the headless desktop
// over a real data folder the way the customer list calls it; and the customer list
// (BrowseCustomers) called to pick a customer.
#include "app/BrowseCustomers.h"
#include "app/DataDictionary.h"
#include "app/EditCustomers.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/MessageBox.h"
#include "runtime/files/RecordFile.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using framework::RequestKind;
using framework::ResponseKind;
using host::headless::HeadlessSession;

namespace {

class CustomerProceduresTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<HeadlessSession>();
        char pattern[] = "/tmp/eip-custform-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_TRUE(driver.openFolder(folder));
        app::GlobalErrors().Setup();
        app::GlobalFileRegistry().Setup();
        seed();
        app::DataDictionary::setUp(driver, app::GlobalErrors(), app::GlobalFileRegistry());
        app::CustomerForm::ForgetHistory();
    }
    void TearDown() override {
        session.reset();
        app::DataDictionary::tearDown();
        app::GlobalFileRegistry().Teardown();
        app::GlobalErrors().Teardown();
        std::filesystem::remove_all(folder);
    }

    void seed() {
        host::Record record(app::files::customer().layout());
        auto file = driver.makeFile(app::files::customer(), record);
        ASSERT_TRUE(file->open() || (file->create() && file->open()));
        const char* rows[][4] = {{"C1", "Adams", "Albany", "5185550101"},
                                 {"C2", "Baker", "Boston", "6175550102"}};
        int id = 0;
        for (auto& row : rows) {
            record.clear();
            record.field("CUS:CUSTOMERID").assign(++id);
            record.field("CUS:NUMBER").assign(row[0]);
            record.field("CUS:NAME").assign(row[1]);
            record.field("CUS:CITY").assign(row[2]);
            record.field("CUS:PHONE").assign(row[3]);
            ASSERT_TRUE(file->add());
        }
        file->close();
    }
    // The file's customers as "number/name/city/phone", by id.
    std::vector<std::string> customers() {
        host::Record record(app::files::customer().layout());
        auto file = driver.makeFile(app::files::customer(), record);
        std::vector<std::string> out;
        if (!file->open(host::openMode::readOnly | host::openMode::denyNone))
            return out;
        file->set(1);
        while (file->next()) {
            std::string line;
            for (const char* label : {"CUS:NUMBER", "CUS:NAME", "CUS:CITY", "CUS:PHONE"})
                line += (line.empty() ? "" : "/") + host::clip(record.field(label).text());
            out.push_back(line);
        }
        file->close();
        return out;
    }

    // Runs the form on a logical thread as the list does: the customer to change or
    // delete is in the buffer; for an insert a new record is primed first.
    void start(std::uint8_t request, int customerId = 0) {
        ended = false;
        response = 0;
        session->start([this, request, customerId] {
            app::CustomerLink->Open();
            app::CustomerRecord.clear();
            if (request == RequestKind::Insert) {
                app::CustomerAccess->PrepareNewRecord();
            } else {
                app::CustomerRecord.field("CUS:CUSTOMERID").assign(customerId);
                app::CustomerAccess->ReadByKey(1);
            }
            app::GlobalRequest = request;
            app::EditCustomers();
            response = app::GlobalResponse;
            app::CustomerLink->Close();
            ended = true;
        });
    }
    host::Window* form() const { return session->window("P43$QUICKWINDOW"); }
    std::string title() const { return form() ? form()->title() : "(closed)"; }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const host::MessageBoxRequest& box : session->messagesShown())
            out.push_back(box.title);
        return out;
    }

    std::unique_ptr<HeadlessSession> session;
    std::string folder;
    host::sqlite::SqliteDriver driver;
    std::uint8_t response = 0;
    bool ended = false;
};

TEST_F(CustomerProceduresTest, TheTitleSaysWhatTheFormWillDoAndADeleteWaitsForOk) {
    start(RequestKind::Insert);
    EXPECT_EQ(title(), "Customer Will Be Added  (New)");
    EXPECT_EQ(session->text("21"), "Customer Will Be Added");
    EXPECT_EQ(form()->focus(), app::CustomerForm::NumberEntry);
    EXPECT_TRUE(session->press("Cancel"));

    start(RequestKind::Change, 2);
    EXPECT_EQ(title(), "Customer Will Be Changed  (Baker)");
    EXPECT_TRUE(session->press("Cancel"));

    // A delete shows the customer; Cancel keeps it, OK deletes it without asking again.
    start(RequestKind::Delete, 1);
    EXPECT_EQ(title(), "Customer Will Be Deleted  (Adams)");
    EXPECT_EQ(session->text(" Name:"), "Adams");
    EXPECT_TRUE(session->press("Cancel"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(customers().size(), 2u);
    start(RequestKind::Delete, 1);
    EXPECT_TRUE(session->press("OK"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(customers(), (std::vector<std::string>{"C2/Baker/Boston/6175550102"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(CustomerProceduresTest, AnInsertKeepsThePhoneDigitsAndRefusesATakenNumber) {
    start(RequestKind::Insert);
    EXPECT_TRUE(session->type("Number:", "c1")); // numbers compare without letter case
    EXPECT_TRUE(session->type(" Name:", "Clark"));
    EXPECT_TRUE(session->type("Phone:", "978-555-0103"));
    EXPECT_EQ(session->text("Phone:"), "(978) 555-0103");
    EXPECT_EQ(session->text("Fax:"), ""); // an empty closed pattern shows blanks
    session->answerNextMessage(host::ButtonOk);
    EXPECT_TRUE(session->press("OK"));
    ASSERT_FALSE(ended);
    ASSERT_EQ(session->messagesShown().size(), 1u);
    EXPECT_EQ(session->messagesShown()[0].title, "Duplicate Key Error");
    EXPECT_NE(session->messagesShown()[0].text.find("Customer Number Key"), std::string::npos);
    EXPECT_EQ(session->text(" Name:"), "Clark");
    EXPECT_EQ(form()->focus(), app::CustomerForm::NumberEntry);

    EXPECT_TRUE(session->type("Number:", "C3"));
    EXPECT_TRUE(session->press("OK"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(customers().back(), "C3/Clark//9785550103");
}

TEST_F(CustomerProceduresTest, CtrlQuoteRecallsTheLastCustomerSavedInThisRun) {
    // Nothing saved yet: blanks.
    start(RequestKind::Change, 1);
    EXPECT_TRUE(session->focus("City:"));
    EXPECT_TRUE(session->pressKey("Ctrl+'"));
    EXPECT_EQ(session->text("City:"), "");
    EXPECT_TRUE(session->type("City:", "Albany"));
    EXPECT_TRUE(session->press("Cancel")); // back as it was: nothing to lose
    EXPECT_TRUE(ended);

    start(RequestKind::Change, 2);
    EXPECT_TRUE(session->type("City:", "Bristol"));
    EXPECT_TRUE(session->press("OK"));
    EXPECT_EQ(response, ResponseKind::Completed);

    // A new customer takes the city and the phone number of the last one saved.
    start(RequestKind::Insert);
    EXPECT_TRUE(session->type("Number:", "C3"));
    EXPECT_TRUE(session->type(" Name:", "Clark"));
    for (const char* field : {"City:", "Phone:"}) {
        EXPECT_TRUE(session->focus(field));
        EXPECT_TRUE(session->pressKey("Ctrl+'"));
    }
    EXPECT_EQ(session->text("City:"), "Bristol");
    EXPECT_EQ(session->text("Phone:"), "(617) 555-0102");
    EXPECT_EQ(session->text("Number:"), "C3");
    EXPECT_TRUE(session->press("OK"));
    EXPECT_EQ(customers().back(), "C3/Clark/Bristol/6175550102");
}

TEST_F(CustomerProceduresTest, CancellingAChangedCustomerAsksFirst) {
    // Unchanged: closes at once.
    start(RequestKind::Change, 2);
    EXPECT_TRUE(session->press("Cancel"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_TRUE(messages().empty());

    // Changed: "Changes will be lost!"; No keeps the form on its first field, Yes drops
    // the change.
    start(RequestKind::Change, 2);
    EXPECT_TRUE(session->type("City:", "Bristol"));
    session->answerNextMessage(host::ButtonNo);
    EXPECT_TRUE(session->press("Cancel"));
    ASSERT_FALSE(ended);
    EXPECT_EQ(form()->focus(), app::CustomerForm::NumberEntry);
    EXPECT_EQ(session->text("City:"), "Bristol");
    session->answerNextMessage(host::ButtonYes);
    EXPECT_TRUE(session->pressKey("Esc"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Cancelled);
    ASSERT_EQ(session->messagesShown().size(), 2u);
    EXPECT_EQ(session->messagesShown()[0].title, "Changes will be lost!");
    EXPECT_EQ(session->messagesShown()[0].text, "Are you sure you want to cancel?");
    EXPECT_EQ(customers()[1], "C2/Baker/Boston/6175550102");
}

TEST_F(CustomerProceduresTest, CalledToSelectTheListHandsBackTheChosenCustomer) {
    std::string chosen;
    std::string callers = "Baker";
    auto pick = [&] {
        ended = false;
        session->start([&] {
            app::CustomerRecord.clear();
            app::CustomerRecord.field("CUS:NAME").assign(callers);
            app::GlobalRequest = RequestKind::Select;
            app::BrowseCustomers();
            response = app::GlobalResponse;
            chosen = host::clip(app::CustomerRecord.field("CUS:NAME").text());
            ended = true;
        });
    };
    // The list opens on the caller's customer.
    pick();
    ASSERT_NE(session->window("P33$BROWSEWINDOW"), nullptr);
    EXPECT_TRUE(session->isVisible("&Select"));
    EXPECT_EQ(session->selectedRow("4"), 2);
    EXPECT_TRUE(session->press("&Select"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(chosen, "Baker");

    // A double click picks too.
    pick();
    EXPECT_TRUE(session->doubleClickRow("4", 1));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(chosen, "Adams");

    // Close leaves the caller's record as it was.
    callers = "Someone else";
    pick();
    EXPECT_TRUE(session->clickRow("4", 2));
    EXPECT_TRUE(session->press("Close"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(chosen, "Someone else");

    // Started from the menu the list picks nothing: no "&Select".
    session->start([] {
        app::GlobalRequest = 0;
        app::BrowseCustomers();
    });
    EXPECT_FALSE(session->isVisible("&Select"));
    EXPECT_TRUE(session->press("Close"));
}

TEST_F(CustomerProceduresTest, ResizingTheListWindowReadsThePageThatNowFits) {
    {
        host::Record record(app::files::customer().layout());
        auto file = driver.makeFile(app::files::customer(), record);
        ASSERT_TRUE(file->open());
        for (int id = 3; id <= 60; ++id) {
            record.clear();
            record.field("CUS:CUSTOMERID").assign(id);
            record.field("CUS:NUMBER").assign("N" + std::to_string(id));
            record.field("CUS:NAME").assign("Customer " + std::to_string(100 + id));
            ASSERT_TRUE(file->add());
        }
        file->close();
    }
    session->start([] {
        app::GlobalRequest = 0;
        app::BrowseCustomers();
    });
    host::Control* list = session->control("4");
    ASSERT_NE(list, nullptr);
    int before = list->itemsVisible();
    EXPECT_EQ(static_cast<int>(list->rowCount()), before);
    EXPECT_TRUE(session->pressKey("Down"));
    EXPECT_TRUE(session->pressKey("Down"));
    std::vector<std::string> row3 = session->listCells("4").at(2);
    host::Window* window = session->window("P33$BROWSEWINDOW");
    EXPECT_TRUE(session->resize(window->rect().width, window->rect().height + 120));
    EXPECT_GT(list->itemsVisible(), before);
    EXPECT_EQ(static_cast<int>(list->rowCount()), list->itemsVisible());
    // The current customer stays where it was.
    EXPECT_EQ(session->selectedRow("4"), 3);
    EXPECT_EQ(session->listCells("4").at(2), row3);
    EXPECT_TRUE(session->press("Close"));
}

} // namespace
