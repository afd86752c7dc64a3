// The inventory and invoice reports run on the headless desktop over a real data folder,
// previewed and printed into a PDF file, whose text pdftotext reads back: the invoice's
// lines in item-number order with its totals, a long invoice over three pages, and the
// inventory of a few items and of none.
#include "app/Reports.h"
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "framework/window/ResponseKind.h"
#include "runtime/base/Clock.h"
#include "runtime/files/RecordFile.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/report/PrintService.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Window.h"
#include "tests/app/AddRecords.h"

#ifdef EIP_TEST_PDF
#include "runtime/qt/PagePainter.h"

#include <QApplication>
#endif

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

using framework::ResponseKind;
using host::headless::HeadlessSession;
namespace fs = std::filesystem;

namespace {

struct Line {
    const char* item;
    int quantity;
    const char* sell;
};

class ReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef EIP_TEST_PDF
        GTEST_SKIP() << "PDF files need the Qt display";
#else
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "app_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        host::PrintService::install(&output);
#endif
        session = std::make_unique<HeadlessSession>();
        char pattern[] = "/tmp/eip-reports-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        fs::create_directories(folder + "/data");
        ASSERT_TRUE(driver.openFolder(folder + "/data"));
        app::GlobalErrors().Setup();
        app::GlobalFileRegistry().Setup();
        host::PrintService::setPdfDestination(folder + "/printed.pdf");
    }
    void TearDown() override {
        host::PrintService::setPdfDestination({});
        host::PrintService::install(nullptr);
        if (!session)
            return;
        session.reset();
        app::DataDictionary::tearDown();
        app::GlobalFileRegistry().Teardown();
        app::GlobalErrors().Teardown();
        fs::remove_all(folder);
    }

    void seedItems(int count) {
        apptest::addRecords(driver, app::files::item(), count, [](host::Record& r, int i) {
            const char* numbers[] = {"A200", "B100", "C300"};
            const char* names[] = {"Anvil", "Bolt", "Chisel"};
            r.field("ITM:ITEMID").assign(i);
            r.field("ITM:ITEMNUMBER").assign(numbers[(i - 1) % 3]);
            r.field("ITM:DESCRIPTION").assign(names[(i - 1) % 3]);
            r.field("ITM:SELL").assign(host::Value(host::Decimal(i * 3)));
            r.field("ITM:UOM").assign("EA");
        });
    }
    // An invoice (id 1, number 1234) for customer "0001" with these lines, in this order.
    void seedInvoice(const std::vector<Line>& lines) {
        apptest::addRecords(driver, app::files::config(), 1, [](host::Record& r, int) {
            r.field("CON:COMPANYNAME").assign("Zev Uze Ziro");
            r.field("CON:TAXRATE").assign(host::Value(*host::Decimal::parse("0.0800")));
        });
        apptest::addRecords(
            driver, app::files::invDet(), static_cast<int>(lines.size()),
            [&](host::Record& r, int i) {
                const Line& line = lines[static_cast<std::size_t>(i - 1)];
                r.field("IND:INVDETID").assign(i);
                r.field("IND:INVHDRID").assign(1);
                r.field("IND:SEQUENCE").assign(i);
                r.field("IND:ITEMNUMBER").assign(line.item);
                r.field("IND:QUANTITY").assign(line.quantity);
                r.field("IND:SELL").assign(host::Value(*host::Decimal::parse(line.sell)));
            });
    }
    // Runs a report procedure with the invoice in the record buffers, through the
    // preview's Print.
    void run(void (*procedure)(), bool invoice) {
        app::DataDictionary::setUp(driver, app::GlobalErrors(), app::GlobalFileRegistry());
        session->start([this, procedure, invoice] {
            if (invoice) {
                app::InvHdrRecord.field("INH:INVHDRID").assign(1);
                app::InvHdrRecord.field("INH:INVOICENUMBER").assign(1234);
                app::InvHdrRecord.field("INH:DATE").assign(host::dayNumber(2026, 12, 7));
                app::CustomerRecord.field("CUS:NAME").assign("Ada Lovelace");
                app::CustomerRecord.field("CUS:CITY").assign("London");
            }
            procedure();
            response = app::GlobalResponse;
        });
        session->advanceClock(200);
        if (session->window("Report Preview"))
            session->chooseMenu("&Print");
    }
    // The report told why in its one message box, and printed nothing.
    void expectRefused(const char* title, std::string_view text,
                       std::uint8_t expected = ResponseKind::Cancelled) {
        ASSERT_EQ(session->messagesShown().size(), 1u);
        EXPECT_EQ(session->messagesShown()[0].title, title);
        EXPECT_NE(session->messagesShown()[0].text.find(text), std::string::npos)
            << session->messagesShown()[0].text;
        EXPECT_EQ(response, expected);
        if (expected == ResponseKind::Cancelled) {
            EXPECT_EQ(printedText(), "(nothing printed)");
        }
    }
    std::string printedText() {
        std::string path = folder + "/printed.pdf";
        if (!fs::exists(path))
            return "(nothing printed)";
        std::string text;
        FILE* pipe = ::popen(("pdftotext -layout '" + path + "' - 2>/dev/null").c_str(), "r");
        if (!pipe)
            return "(pdftotext missing)";
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        ::pclose(pipe);
        return text;
    }
    // Keeps the printed PDF in the build's test folder, to be looked at (as the
    // screenshots are).
    void keep(const std::string& name) {
        std::error_code ignored;
        fs::copy_file(folder + "/printed.pdf", name, fs::copy_options::overwrite_existing, ignored);
    }
    // The pages of the text (pdftotext ends each with a form feed).
    std::vector<std::string> pages() {
        std::vector<std::string> result;
        std::string text = printedText();
        std::size_t start = 0;
        for (std::size_t feed; (feed = text.find('\f', start)) != std::string::npos;
             start = feed + 1)
            result.push_back(text.substr(start, feed - start));
        return result;
    }

#ifdef EIP_TEST_PDF
    host::qt::QtPageOutput output;
#endif
    std::unique_ptr<HeadlessSession> session;
    std::string folder;
    host::sqlite::SqliteDriver driver;
    std::uint8_t response = 0;
};

bool inOrder(const std::string& text, std::initializer_list<const char*> parts) {
    std::size_t at = 0;
    for (const char* part : parts) {
        at = text.find(part, at);
        if (at == std::string::npos)
            return false;
    }
    return true;
}

TEST_F(ReportsTest, AnInvoicePrintsItsLinesByItemNumberWithItsTotals) {
    seedItems(3);
    seedInvoice({{"B100", 2, "1.25"}, {"A200", 3, "1.25"}});
    run(app::InvoiceRpt, true);
    keep("report-invoice.pdf");
    EXPECT_EQ(response, ResponseKind::Completed);
    std::vector<std::string> printed = pages();
    ASSERT_EQ(printed.size(), 1u) << printedText();
    const std::string& page = printed[0];
    EXPECT_TRUE(inOrder(page, {"Zev Uze Ziro", "Always open to the child within you...", "0001234",
                               "Ada Lovelace", "12/07/2026", "London"}))
        << page;
    EXPECT_TRUE(
        inOrder(page, {"A200", "Anvil", "3", "1.25", "3.75", "B100", "Bolt", "2", "1.25", "2.50"}))
        << page;
    EXPECT_TRUE(inOrder(page, {"SubTotal:", "6.25", "Tax:", "0.50", "Amount Due:", "6.75"}))
        << page;
    EXPECT_EQ(page.find("Continued next page..."), std::string::npos);
}

TEST_F(ReportsTest, ALongInvoiceSaysItContinuesAtTheFootOfEveryPageButTheLast) {
    seedItems(3);
    std::vector<Line> lines(55, Line{"C300", 1, "1.00"});
    seedInvoice(lines);
    run(app::InvoiceRpt, true);
    keep("report-invoice-long.pdf");
    std::vector<std::string> printed = pages();
    ASSERT_EQ(printed.size(), 3u) << printedText();
    for (std::size_t page = 0; page < 2; ++page) {
        EXPECT_NE(printed[page].find("Continued next page..."), std::string::npos) << page;
        EXPECT_EQ(printed[page].find("SubTotal:"), std::string::npos) << page;
    }
    EXPECT_EQ(printed[2].find("Continued next page..."), std::string::npos);
    EXPECT_TRUE(inOrder(printed[2], {"SubTotal:", "55.00", "Tax:", "4.40", "Amount Due:", "59.40"}))
        << printed[2];
}

TEST_F(ReportsTest, TheInventoryListsItsItemsInNumberOrderOnOnePage) {
    seedItems(3);
    run(app::PrintInventory, false);
    keep("report-inventory-short.pdf");
    std::vector<std::string> printed = pages();
    ASSERT_EQ(printed.size(), 1u) << printedText();
    EXPECT_TRUE(inOrder(printed[0], {"Inventory Report", "Report Time:", "Report Date:", "A200",
                                     "Anvil", "3.00", "EA", "B100", "Bolt", "6.00", "C300",
                                     "Chisel", "9.00", "Page:", "1"}))
        << printed[0];
}

TEST_F(ReportsTest, APdfThatCannotBeWrittenIsTold) {
    seedItems(3);
    host::PrintService::setPdfDestination(folder + "/no such folder/printed.pdf");
    session->answerNextMessage(host::ButtonOk);
    run(app::PrintInventory, false);
    expectRefused("Report Problem", "cannot be written", ResponseKind::Completed);
}

} // namespace
