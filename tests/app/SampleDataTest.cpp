// The sample-data tool's filling of a data folder, read back through the program's own
// data files.
#include "tools/SampleData.h"
#include "app/DataDictionary.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/Record.h"
#include "runtime/files/RecordFile.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "tests/support/TempFolder.h"

#include <cctype>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

using framework::Severity;

constexpr sample::Counts tiny{.customers = 300, .items = 30, .invoices = 20, .linesPerInvoice = 3};

// The folder's files through the data dictionary, as the program sees them.
class ProgramFiles {
public:
    explicit ProgramFiles(const std::string& folder) {
        driver.openFolder(folder);
        errors.Setup();
        registry.Setup();
        app::DataDictionary::setUp(driver, errors, registry);
    }
    ~ProgramFiles() {
        app::DataDictionary::tearDown();
        registry.Teardown();
        errors.Teardown();
    }
    std::int64_t count(framework::FileAccess* access, host::RecordFile* file) {
        access->Open();
        access->CheckOpen(2);
        std::int64_t records = file->recordCount();
        access->Close();
        return records;
    }

    host::sqlite::SqliteDriver driver;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
};

TEST(SampleDataTest, FillsAnEmptyFolderThroughTheDataFilesAndRefusesOneWithData) {
    testsupport::TempFolder folder;
    std::string why;
    ASSERT_TRUE(sample::fill(folder.path(), tiny, {}, why, 64)) << why;
    {
        ProgramFiles files(folder.path());
        EXPECT_EQ(files.count(app::CustomerAccess, app::CustomerFile), 300);
        EXPECT_EQ(files.count(app::ItemAccess, app::ItemFile), 30);
        EXPECT_EQ(files.count(app::InvHdrAccess, app::InvHdrFile), 20);
        EXPECT_EQ(files.count(app::InvDetAccess, app::InvDetFile), 60);
        EXPECT_EQ(files.count(app::ConfigAccess, app::ConfigFile), 1);

        // A customer found by its number, numbered as the program numbers.
        host::Record& customer = app::CustomerRecord;
        app::CustomerAccess->Open();
        customer.clear();
        customer.field("CUS:NUMBER").assign(sample::customerNumber(300));
        ASSERT_EQ(app::CustomerAccess->ReadByKey(3), Severity::Benign);
        EXPECT_EQ(customer.field("CUS:CUSTOMERID").integer(), 300);
        EXPECT_EQ(
            customer.field("CUS:NAME").text(),
            sample::customerName(299, 300).append(30 - sample::customerName(299, 300).size(), ' '));
        std::string phone = customer.field("CUS:PHONE").text();
        EXPECT_EQ(phone.size(), 10u);
        for (char c : phone)
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << phone;
        app::CustomerAccess->Close();

        // The lines of an invoice are numbered in tens within it.
        host::Record& line = app::InvDetRecord;
        app::InvDetAccess->Open();
        app::InvDetAccess->CheckOpen(2);
        line.clear();
        line.field("IND:INVHDRID").assign(2);
        app::InvDetFile->setAt(2);
        for (int sequence : {10, 20, 30}) {
            ASSERT_EQ(app::InvDetAccess->ReadNext(), Severity::Benign);
            EXPECT_EQ(line.field("IND:INVHDRID").integer(), 2);
            EXPECT_EQ(line.field("IND:SEQUENCE").integer(), sequence);
        }
        app::InvDetAccess->Close();
    }

    EXPECT_FALSE(sample::fill(folder.path(), {.customers = 1}, {}, why));
    EXPECT_NE(why.find("already holds data (300 customers, 30 items, 20 invoices)"),
              std::string::npos)
        << why;
}

TEST(SampleDataTest, CustomerNumbersAndNamesAreUniqueAndFitTheirFields) {
    EXPECT_EQ(sample::customerNumber(1), "0001");
    EXPECT_EQ(sample::customerNumber(35), "000Z");
    EXPECT_EQ(sample::customerNumber(36), "000!");
    EXPECT_EQ(sample::customerNumber(68), "0010");
    EXPECT_EQ(sample::customerNumber(sample::largestCustomerId), "~~~~");

    // Names stay within the 30 characters of CUS:NAME even for the largest file, where a
    // cut would make two customers one.
    std::int64_t largest = sample::largestCustomerId;
    EXPECT_LE(sample::customerName(largest - 1, largest).size(), 30u);
    std::set<std::string> names;
    std::set<char> initials;
    for (std::int64_t i = 0; i < 5000; ++i) {
        std::string name = sample::customerName(i, 5000);
        initials.insert(name[0]);
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_GE(initials.size(), 24u);

    std::string why;
    testsupport::TempFolder folder;
    EXPECT_FALSE(sample::fill(folder.path(), {.customers = largest + 1}, {}, why));
    EXPECT_FALSE(sample::fill(folder.path(), {.invoices = 1}, {}, why));
}

} // namespace
