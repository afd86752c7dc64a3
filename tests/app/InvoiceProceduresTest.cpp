// The invoice procedures on the headless desktop over a real data folder: what the
// invoice scenarios (tests/scenarios/invoices-*) cannot show well. Item completion and
// the caret, the pricing in any order of entry, the required cells and their questions,
// the price columns skipped, the print flag, the lookups' cancels, the customer name
// after a rename, and bad input.
#include "app/BrowseInvoices.h"
#include "app/DataDictionary.h"
#include "app/EditCustomers.h"
#include "app/EditHeader.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/InvoiceLineEditors.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/MessageBox.h"
#include "runtime/files/RecordFile.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Window.h"
#include "tests/app/AddRecords.h"
#include "tests/support/OtherStation.h"

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

constexpr const char* form = "P48$QUICKWINDOW";

class InvoiceProceduresTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<HeadlessSession>();
        char pattern[] = "/tmp/eip-invoices-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_TRUE(driver.openFolder(folder));
        app::GlobalErrors().Setup();
        app::GlobalFileRegistry().Setup();
        seed();
        app::DataDictionary::setUp(driver, app::GlobalErrors(), app::GlobalFileRegistry());
        app::InvoiceForm::ForgetHistory();
        app::ShowRowValidation = 0;
    }
    void TearDown() override {
        session.reset();
        app::DataDictionary::tearDown();
        app::GlobalFileRegistry().Teardown();
        app::GlobalErrors().Teardown();
        std::filesystem::remove_all(folder);
    }

    // Items H100, H200 and S300; customers C10 and C20; invoice 1 of C10 with one line.
    void seed() {
        const char* items[][2] = {
            {"H200", "Hand Saw"}, {"H100", "Claw Hammer"}, {"S300", "Screws"}};
        apptest::addRecords(driver, app::files::item(), 3, [&](host::Record& r, int i) {
            r.field("ITM:ITEMID").assign(i);
            r.field("ITM:ITEMNUMBER").assign(items[i - 1][0]);
            r.field("ITM:DESCRIPTION").assign(items[i - 1][1]);
        });
        const char* customers[][2] = {{"C10", "Baker"}, {"C20", "Adams"}};
        apptest::addRecords(driver, app::files::customer(), 2, [&](host::Record& r, int i) {
            r.field("CUS:CUSTOMERID").assign(i);
            r.field("CUS:NUMBER").assign(customers[i - 1][0]);
            r.field("CUS:NAME").assign(customers[i - 1][1]);
        });
        apptest::addRecords(driver, app::files::invHdr(), 1, [&](host::Record& r, int) {
            r.field("INH:INVHDRID").assign(1);
            r.field("INH:INVOICENUMBER").assign(1);
            r.field("INH:CUSTOMERNUMBER").assign("C10");
            r.field("INH:DATE").assign(host::Value(0));
        });
        apptest::addRecords(driver, app::files::invDet(), 1, [&](host::Record& r, int) {
            r.field("IND:INVDETID").assign(1);
            r.field("IND:INVHDRID").assign(1);
            r.field("IND:SEQUENCE").assign(10);
            r.field("IND:ITEMNUMBER").assign("H100");
            r.field("IND:QUANTITY").assign(2);
            r.field("IND:COST").assign(host::Value(*host::Decimal::parse("5")));
            r.field("IND:LIST").assign(host::Value(*host::Decimal::parse("9")));
            r.field("IND:SELL").assign(host::Value(*host::Decimal::parse("8.5")));
            r.field("IND:PRINT").assign("0");
        });
    }

    // The invoice form for `request` on invoice 1 (or a new one).
    void openForm(std::uint8_t request) {
        session->start([this, request] {
            app::InvHdrRecord.clear();
            app::InvHdrRecord.field("INH:INVHDRID").assign(1);
            app::InvHdrAccess->Open();
            // A new invoice is primed by the caller, as the invoice list does.
            if (request == RequestKind::Insert)
                app::InvHdrAccess->PrepareNewRecord();
            else
                app::InvHdrAccess->ReadByKey(app::files::invHdr().keyNumber("INH:INVHDRIDK"));
            app::GlobalRequest = request;
            app::EditHeader();
            response = app::GlobalResponse;
            app::InvHdrAccess->Close();
        });
        ASSERT_NE(session->window(form), nullptr);
    }
    // A new line, its editor in the Item cell.
    void newLine() {
        ASSERT_TRUE(session->press("&Insert"));
        ASSERT_TRUE(session->pressKey("Tab"));
    }
    // Typed into a control without leaving it, as keystrokes are.
    bool typeOnly(int control, std::string_view text) {
        bool typed = session->input().type(*session->activeWindow(), control, text, false);
        session->run();
        return typed;
    }
    host::Control* focused() {
        host::Window* window = session->activeWindow();
        return window ? session->control(window->focus(), window) : nullptr;
    }
    std::string cell(int row, int column) {
        return session->control("?Lines", session->window(form))
            ->formattedRow(static_cast<std::size_t>(row))
            .at(static_cast<std::size_t>(column - 1))
            .text;
    }
    std::size_t lines() { return session->control("?Lines", session->window(form))->rowCount(); }
    std::size_t messages() { return session->messagesShown().size(); }
    std::string lastMessageTitle() {
        auto shown = session->messagesShown();
        return shown.empty() ? "" : shown.back().title;
    }
    // The records of a file, each as "FIELD=value ..." of the given fields.
    std::vector<std::string> records(const host::FileDefinition& definition,
                                     std::vector<std::string> fields) {
        host::Record record(definition.layout());
        auto file = driver.makeFile(definition, record);
        std::vector<std::string> out;
        if (!file->open())
            return out;
        file->set(0);
        while (file->next()) {
            std::string line;
            for (const std::string& field : fields) {
                host::TypedRef value = record.field(field);
                bool amount = value.type().isNumeric() && !value.type().isInteger();
                line += (line.empty() ? "" : " ") +
                        (amount ? value.decimal().toString(2) : host::clip(value.text()));
            }
            out.push_back(line);
        }
        file->close();
        return out;
    }

    std::unique_ptr<HeadlessSession> session;
    std::string folder;
    host::sqlite::SqliteDriver driver;
    std::uint8_t response = 0;
};

TEST_F(InvoiceProceduresTest, TheItemCompletesToTheLowestNumberWithTheCaretAfterWhatWasTyped) {
    openForm(RequestKind::Change);
    newLine();
    host::Control* item = focused();
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(typeOnly(item->number(), "h"));
    EXPECT_EQ(item->contents(), "H100") << "the lowest of H100 and H200, in upper case";
    EXPECT_EQ(item->caret(), 2);
    ASSERT_TRUE(typeOnly(item->number(), "H2"));
    EXPECT_EQ(item->contents(), "H200");
    EXPECT_EQ(item->caret(), 3);
    ASSERT_TRUE(typeOnly(item->number(), "hq"));
    EXPECT_EQ(item->contents(), "HQ") << "no item begins so: what was typed stays";
    ASSERT_TRUE(typeOnly(item->number(), ""));
    EXPECT_EQ(item->contents(), "");
    // Typed in the middle: only the characters before the caret count.
    ASSERT_TRUE(session->input().type(*session->window(form), item->number(), "S3X", false, 2));
    session->run();

    EXPECT_EQ(item->contents(), "S300");
    EXPECT_EQ(item->caret(), 2);
    ASSERT_TRUE(session->pressKey("Tab"));
    EXPECT_EQ(cell(2, 3), "Screws") << "the description follows the item";
}

TEST_F(InvoiceProceduresTest, PricingIsExactInEveryOrderOfEntry) {
    EXPECT_EQ(app::linePricing::listPrice(*host::Decimal::parse("10"))->toString(2), "18.00");
    EXPECT_EQ(app::linePricing::listPrice(*host::Decimal::parse("0.01"))->toString(2), "0.02");
    EXPECT_EQ(app::linePricing::extended(3, *host::Decimal::parse("1.25"))->toString(2), "3.75");
    EXPECT_EQ(app::linePricing::extended(99, *host::Decimal::parse("99999.99")), std::nullopt);

    openForm(RequestKind::Change);
    // Cost first: list and sell follow, then the quantity gives the extended amount.
    newLine();
    ASSERT_TRUE(session->type(focused()->number(), "h1"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->pressKey("Tab")); // Qty left at 0: asked about
    ASSERT_TRUE(session->answerMessage(host::ButtonYes));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->type(focused()->number(), "1.25"));
    ASSERT_TRUE(session->pressKey("Shift+Tab"));
    ASSERT_TRUE(session->type(focused()->number(), "3"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(cell(2, 4), "3");
    EXPECT_EQ(cell(2, 6), "2.25");
    EXPECT_EQ(cell(2, 7), "2.25");
    EXPECT_EQ(cell(2, 9), "$6.75");

    // Sell before cost: a sell price typed stays; the cost then gives only the list price.
    newLine();
    ASSERT_TRUE(session->type(focused()->number(), "h2"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->type(focused()->number(), "3"));
    // (Tab would ask about the empty cost: a click goes to the Sell cell.)
    ASSERT_TRUE(session->clickRow("?Lines", 3, 7));
    ASSERT_TRUE(session->type(focused()->number(), "1.25"));
    ASSERT_TRUE(session->pressKey("Shift+Tab"));
    ASSERT_TRUE(session->pressKey("Shift+Tab"));
    // Ten steps of 0.10 up from 0 make exactly 1.00.
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(session->pressKey("Up"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(cell(3, 5), "1.00");
    EXPECT_EQ(cell(3, 6), "1.80");
    EXPECT_EQ(cell(3, 7), "1.25");
    EXPECT_EQ(cell(3, 9), "$3.75");
    EXPECT_EQ(
        records(app::files::invDet(), {"IND:SEQUENCE", "IND:COST", "IND:LIST", "IND:SELL"}),
        (std::vector<std::string>{"10 5.00 9.00 8.50", "20 1.25 2.25 2.25", "30 1.00 1.80 1.25"}));

    // A line changed in place shows its new amounts; given a sequence past the others, it
    // moves to its place.
    ASSERT_TRUE(session->clickRow("?Lines", 1));
    ASSERT_TRUE(session->press("&Change"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->type(focused()->number(), "4"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(cell(1, 9), "$34.00");
    EXPECT_EQ(cell(2, 9), "$6.75");
    ASSERT_TRUE(session->press("&Change"));
    ASSERT_TRUE(session->type(focused()->number(), "40"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(cell(1, 1), "20");
    EXPECT_EQ(cell(3, 1), "40");
    EXPECT_EQ(cell(3, 3), "Claw Hammer");
    EXPECT_EQ(cell(3, 9), "$34.00");
    EXPECT_TRUE(session->press("Cancel"));
}

TEST_F(InvoiceProceduresTest, RequiredCellsAskOnceAndEscAbandonsWithoutAsking) {
    openForm(RequestKind::Change);
    // An empty Item cell: Yes keeps the editor there.
    newLine();
    host::Control* item = focused();
    ASSERT_TRUE(session->pressKey("Tab"));
    EXPECT_EQ(lastMessageTitle(), "Field Validation");
    ASSERT_TRUE(session->answerMessage(host::ButtonYes));
    EXPECT_EQ(focused(), item);
    // No abandons the line at once: one question, and the new row is gone.
    std::size_t before = messages();
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->answerMessage(host::ButtonNo));
    EXPECT_EQ(messages(), before + 1);
    EXPECT_EQ(lines(), 1u);
    EXPECT_TRUE(session->pendingDialogs().empty());

    // Enter with the cost missing: the check of the whole line asks, and puts the editor
    // in the Cost cell; No drops the line with no second question.
    newLine();
    ASSERT_TRUE(session->type(focused()->number(), "h1"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->type(focused()->number(), "2"));
    before = messages();
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(lastMessageTitle(), "Field Validation");
    EXPECT_EQ(session->control("?Lines", session->window(form))->columnEditor(5),
              focused()->number());
    ASSERT_TRUE(session->answerMessage(host::ButtonNo));
    EXPECT_EQ(messages(), before + 1);
    EXPECT_EQ(lines(), 1u);

    // Esc in any cell drops the line without a question, though cells are empty.
    newLine();
    before = messages();
    ASSERT_TRUE(session->pressKey("Esc"));
    EXPECT_EQ(messages(), before);
    EXPECT_EQ(lines(), 1u);
    EXPECT_EQ(records(app::files::invDet(), {"IND:INVDETID"}).size(), 1u);
    EXPECT_TRUE(session->press("Cancel"));
}

TEST_F(InvoiceProceduresTest, SkipPriceColumnsPassesOverThemForTabShiftTabAndClicks) {
    openForm(RequestKind::Change);
    ASSERT_TRUE(session->press(" Skip Price Columns"));
    ASSERT_TRUE(session->clickRow("?Lines", 1));
    ASSERT_TRUE(session->press("&Change"));
    host::Control* list = session->control("?Lines", session->window(form));
    auto editing = [&](int column) {
        return list->columnEditor(column) != 0 && list->columnEditor(column) == focused()->number();
    };
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(editing(4));
    ASSERT_TRUE(session->pressKey("Tab"));
    EXPECT_TRUE(editing(8)) << "Tab from Qty goes to Print?";
    ASSERT_TRUE(session->pressKey("Shift+Tab"));
    EXPECT_TRUE(editing(4)) << "Shift+Tab from Print? goes back to Qty";
    ASSERT_TRUE(session->clickRow("?Lines", 1, 6));
    EXPECT_TRUE(editing(4)) << "a click on List puts the editor in Qty";
    ASSERT_TRUE(session->press(" Skip Price Columns"));
    EXPECT_TRUE(session->press("Cancel"));
}

TEST_F(InvoiceProceduresTest, ShowRowValidationAsksBeforeEachSaveAndItsCancelKeepsTheLine) {
    openForm(RequestKind::Change);
    ASSERT_TRUE(session->press(" Show Row Validation"));
    EXPECT_EQ(app::ShowRowValidation, 1);
    ASSERT_TRUE(session->clickRow("?Lines", 1));
    ASSERT_TRUE(session->press("&Change"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->pressKey("Tab"));
    host::Control* quantity = focused();
    ASSERT_TRUE(session->type(quantity->number(), "7"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(lastMessageTitle(), "EIP Message Screen");
    ASSERT_TRUE(session->answerMessage(host::ButtonCancel));
    EXPECT_EQ(session->control("?Lines", session->window(form))->columnEditor(1),
              focused()->number())
        << "the line stays in edit, from its first cell";
    EXPECT_EQ(records(app::files::invDet(), {"IND:QUANTITY"}), std::vector<std::string>{"2"});
    ASSERT_TRUE(session->pressKey("Enter"));
    ASSERT_TRUE(session->answerMessage(host::ButtonOk));
    EXPECT_EQ(records(app::files::invDet(), {"IND:QUANTITY"}), std::vector<std::string>{"7"});
    ASSERT_TRUE(session->press(" Show Row Validation"));
    EXPECT_EQ(app::ShowRowValidation, 0);
    EXPECT_TRUE(session->press("Cancel"));
}

TEST_F(InvoiceProceduresTest, APrintClickFlipsTheFlagAndWritesTheLineOnce) {
    openForm(RequestKind::Change);
    host::Control* list = session->control("?Lines", session->window(form));
    ASSERT_TRUE(session->clickRow("?Lines", 1, app::InvoiceForm::PrintColumn));
    EXPECT_EQ(records(app::files::invDet(), {"IND:PRINT"}), std::vector<std::string>{"1"});
    EXPECT_EQ(list->listIcons().at(2), "~CheckOn.ICO");
    EXPECT_EQ(list->formattedRow(1).at(7).icon, 2);
    // A click elsewhere in the row flips nothing.
    ASSERT_TRUE(session->clickRow("?Lines", 1, 2));
    EXPECT_EQ(records(app::files::invDet(), {"IND:PRINT"}), std::vector<std::string>{"1"});
    ASSERT_TRUE(session->clickRow("?Lines", 1, app::InvoiceForm::PrintColumn));
    EXPECT_EQ(records(app::files::invDet(), {"IND:PRINT"}), std::vector<std::string>{"0"});
    EXPECT_EQ(list->formattedRow(1).at(7).icon, 1);
    EXPECT_TRUE(session->press("Cancel"));
}

TEST_F(InvoiceProceduresTest, CancelledLookupsLeaveTheCustomerEntryAndABlankItemCell) {
    openForm(RequestKind::Change);
    ASSERT_TRUE(session->type("Customer:", "c99"));
    ASSERT_NE(session->window("P33$BROWSEWINDOW"), nullptr);
    ASSERT_TRUE(session->press("Close"));
    EXPECT_EQ(session->activeWindow(), session->window(form));
    EXPECT_EQ(focused(), session->control("Customer:"));
    // An invoice needs its customer: a blank number opens the lookup as well.
    ASSERT_TRUE(session->type("Customer:", ""));
    ASSERT_NE(session->window("P33$BROWSEWINDOW"), nullptr);
    ASSERT_TRUE(session->press("Close"));
    EXPECT_EQ(focused(), session->control("Customer:"));

    newLine();
    host::Control* item = focused();
    ASSERT_TRUE(session->type(item->number(), "zz"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_NE(session->window("P10$BROWSEWINDOW"), nullptr);
    ASSERT_TRUE(session->press("Close"));
    EXPECT_EQ(focused(), item) << "the editor stays in the Item cell";
    EXPECT_EQ(item->contents(), "");
    ASSERT_TRUE(session->pressKey("Esc"));
    // OK with the customer still blank keeps the form open on the customer entry.
    ASSERT_TRUE(session->press("OK"));
    EXPECT_EQ(session->activeWindow(), session->window(form));
    EXPECT_EQ(focused(), session->control("Customer:"));
    EXPECT_TRUE(session->press("Cancel"));
}

TEST_F(InvoiceProceduresTest, TheListShowsTheCustomersCurrentNameAndBlankDates) {
    auto firstRow = [&] {
        session->start([] { app::BrowseInvoices(); });
        auto rows = session->listCells("?List", session->window("P38$BROWSEWINDOW"));
        EXPECT_TRUE(session->press("Close"));
        return rows.empty() ? std::vector<std::string>{} : rows.front();
    };
    EXPECT_EQ(firstRow(), (std::vector<std::string>{"0000001", "", "Baker"}));
    // The customer renamed: the rows filled next show the new name; a customer gone, none.
    testsupport::OtherStation other(folder);
    ASSERT_TRUE(other.run("UPDATE CUSTOMER SET NAME = 'Baker & Sons' WHERE NUMBER = 'C10'"));
    EXPECT_EQ(firstRow(), (std::vector<std::string>{"0000001", "", "Baker & Sons"}));
    ASSERT_TRUE(other.run("DELETE FROM CUSTOMER WHERE NUMBER = 'C10'"));
    EXPECT_EQ(firstRow(), (std::vector<std::string>{"0000001", "", ""}));
}

TEST_F(InvoiceProceduresTest, BadInputIsRefusedWithAMessageAndNothingHalfWritten) {
    openForm(RequestKind::Change);
    newLine();
    ASSERT_TRUE(session->type(focused()->number(), "h1"));
    ASSERT_TRUE(session->pressKey("Tab"));
    host::Control* quantity = focused();
    // Letters in the quantity.
    ASSERT_TRUE(typeOnly(quantity->number(), "abc"));
    ASSERT_TRUE(session->pressKey("Tab"));
    EXPECT_EQ(lastMessageTitle(), "Value Not Allowed");
    ASSERT_TRUE(session->answerMessage(host::ButtonOk));
    EXPECT_EQ(focused(), quantity);
    ASSERT_TRUE(typeOnly(quantity->number(), "99"));
    ASSERT_TRUE(session->pressKey("Tab"));
    // A negative cost.
    host::Control* cost = focused();
    ASSERT_TRUE(typeOnly(cost->number(), "-5"));
    ASSERT_TRUE(session->pressKey("Tab"));
    EXPECT_EQ(lastMessageTitle(), "Value Not Allowed");
    ASSERT_TRUE(session->answerMessage(host::ButtonOk));
    EXPECT_EQ(focused(), cost);
    ASSERT_TRUE(typeOnly(cost->number(), "10"));
    ASSERT_TRUE(session->pressKey("Tab"));
    // A sell price whose extended amount is beyond the column: told, not cut.
    ASSERT_TRUE(session->pressKey("Tab"));
    host::Control* sell = focused();
    ASSERT_TRUE(typeOnly(sell->number(), "20000"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(lastMessageTitle(), "Amount Too Large");
    ASSERT_TRUE(session->answerMessage(host::ButtonOk));
    EXPECT_EQ(focused(), sell);
    // A price the column cannot show.
    ASSERT_TRUE(typeOnly(sell->number(), "150000"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(lastMessageTitle(), "Value Not Allowed");
    ASSERT_TRUE(session->answerMessage(host::ButtonOk));
    ASSERT_TRUE(typeOnly(sell->number(), "20"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(records(app::files::invDet(), {"IND:ITEMNUMBER", "IND:QUANTITY", "IND:SELL"}),
              (std::vector<std::string>{"H100 2 8.50", "H100 99 20.00"}));

    // Another station deletes the invoice while it is open: a new line is not written
    // without its invoice, and OK says the invoice is gone.
    testsupport::OtherStation other(folder);
    ASSERT_TRUE(other.run("DELETE FROM INVDET; DELETE FROM INVHDR"));
    newLine();
    ASSERT_TRUE(session->type(focused()->number(), "h1"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->type(focused()->number(), "1"));
    ASSERT_TRUE(session->pressKey("Tab"));
    ASSERT_TRUE(session->type(focused()->number(), "1"));
    ASSERT_TRUE(session->pressKey("Enter"));
    EXPECT_EQ(lastMessageTitle(), "Invoice Deleted");
    ASSERT_TRUE(session->answerMessage(host::ButtonOk));
    EXPECT_TRUE(records(app::files::invDet(), {"IND:INVDETID"}).empty());
    ASSERT_TRUE(session->type("Date:", "12/24/2026"));
    std::size_t before = messages();
    ASSERT_TRUE(session->press("OK"));
    EXPECT_GT(messages(), before);
    EXPECT_EQ(lastMessageTitle(), "Record was not updated");
    ASSERT_TRUE(session->answerMessage(host::ButtonOk));
    EXPECT_TRUE(records(app::files::invHdr(), {"INH:INVHDRID"}).empty());
}

} // namespace

TEST_F(InvoiceProceduresTest, ANewInvoiceClosedWithoutOkTakesItsWrittenLinesWithIt) {
    // The close box, and the program closing down (as when the user logs out), cancel the
    // new invoice as its Cancel button does: its header goes, and its written line with it.
    for (bool closeBox : {true, false}) {
        SCOPED_TRACE(closeBox ? "close box" : "closing down");
        openForm(RequestKind::Insert);
        ASSERT_TRUE(session->type("Customer:", "C20"));
        newLine();
        ASSERT_TRUE(session->type(focused()->number(), "h1"));
        ASSERT_TRUE(session->pressKey("Tab"));
        ASSERT_TRUE(session->type(focused()->number(), "3"));
        ASSERT_TRUE(session->pressKey("Tab"));
        ASSERT_TRUE(session->type(focused()->number(), "2"));
        ASSERT_TRUE(session->pressKey("Enter"));
        ASSERT_EQ(records(app::files::invDet(), {"IND:INVDETID"}).size(), 2u);
        if (closeBox)
            session->input().close(*session->window(form));
        else
            session->input().closeDown();
        session->run();
        EXPECT_EQ(session->window(form), nullptr);
        EXPECT_EQ(response, ResponseKind::Cancelled);
        EXPECT_EQ(records(app::files::invHdr(), {"INH:INVHDRID"}), (std::vector<std::string>{"1"}));
        EXPECT_EQ(records(app::files::invDet(), {"IND:INVDETID"}), (std::vector<std::string>{"1"}));
    }
}
