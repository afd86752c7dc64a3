// The customer list (BrowseCustomers) on the headless desktop over a real data folder:
// called to pick a customer, and resized. The customer form's flows are the customer
// scenarios' (tests/scenarios/customers-*).
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

#include "tests/app/AddRecords.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

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
        ASSERT_FALSE(folder.empty());
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
    }

    void seed() {
        const char* rows[][4] = {{"C1", "Adams", "Albany", "5185550101"},
                                 {"C2", "Baker", "Boston", "6175550102"}};
        apptest::addRecords(driver, app::files::customer(), 2, [&](host::Record& record, int n) {
            const auto& row = rows[n - 1];
            record.field("CUS:CUSTOMERID").assign(n);
            record.field("CUS:NUMBER").assign(row[0]);
            record.field("CUS:NAME").assign(row[1]);
            record.field("CUS:CITY").assign(row[2]);
            record.field("CUS:PHONE").assign(row[3]);
        });
    }
    std::unique_ptr<HeadlessSession> session;
    testsupport::TempFolder temporary;
    std::string folder = temporary.path();
    host::sqlite::SqliteDriver driver;
    std::uint8_t response = 0;
};

TEST_F(CustomerProceduresTest, CalledToSelectTheListHandsBackTheChosenCustomer) {
    std::string chosen;
    std::string callers = "Baker";
    auto pick = [&] {
        response = 0; // set only when the list has ended
        session->start([&] {
            app::CustomerRecord.clear();
            app::CustomerRecord.field("CUS:NAME").assign(callers);
            app::GlobalRequest = RequestKind::Select;
            app::BrowseCustomers();
            response = app::GlobalResponse;
            chosen = host::clip(app::CustomerRecord.field("CUS:NAME").text());
        });
    };
    // The list opens on the caller's customer.
    pick();
    ASSERT_NE(session->window("P33$BROWSEWINDOW"), nullptr);
    EXPECT_TRUE(session->isVisible("&Select"));
    EXPECT_EQ(session->selectedRow("4"), 2);
    EXPECT_TRUE(session->press("&Select"));
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(chosen, "Baker");

    // A double click picks too.
    pick();
    EXPECT_TRUE(session->doubleClickRow("4", 1));
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(chosen, "Adams");

    // Close leaves the caller's record as it was.
    callers = "Someone else";
    pick();
    EXPECT_TRUE(session->clickRow("4", 2));
    EXPECT_TRUE(session->press("Close"));
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(chosen, "Someone else");
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
