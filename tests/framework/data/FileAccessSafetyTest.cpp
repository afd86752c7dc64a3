// A real open that meets trouble with the data base rather than with the file: a catalog
// check that fails, a data base that cannot be written. The file layer must say so with
// the cause and never create the file over its records.
#include "DataFixture.h"

#include "runtime/sqlite/FaultInjection.h"
#include "tests/support/FileContents.h"
#include "tests/support/Unprivileged.h"

#include <filesystem>
#include <sys/stat.h>

using namespace datatest;
using framework::FileAccess;
using host::headless::ProgramHalted;
using host::sqlite::FaultInjection;
using testsupport::Unprivileged;

namespace {

// SQLite's result codes for a busy data base and an I/O error.
constexpr int sqliteBusy = 5;
constexpr int sqliteIoError = 10;

class FileAccessSafetyTest : public DataTest {
protected:
    TestFile customers{driver, customerDefinition()};

    void SetUp() override {
        DataTest::SetUp();
        declare(customers, "Customer");
        seedCustomers(3);
    }
    void TearDown() override {
        FaultInjection::clear();
        DataTest::TearDown();
    }
    std::vector<long long> ids() { return numbers(customerDefinition(), 1, "CUS:CUSTOMERID"); }
};

TEST_F(FileAccessSafetyTest, AFailedCheckIsAFileAccessErrorWithItsCause) {
    FaultInjection::set(
        [](std::string_view step) { return step == "tableExists" ? sqliteIoError : 0; });
    FileAccess& access = customers.access;
    access.Open();
    EXPECT_THROW(access.ReadNext(), ProgramHalted);
    FaultInjection::clear();
    ASSERT_EQ(titles(), std::vector<std::string>{"File Access Error"});
    EXPECT_EQ(boxes.shown()[0].text, "File (Customer) could not be opened.  Error: disk I/O error "
                                     "(10).  Press OK to end this application");
    access.Close();
    EXPECT_EQ(ids(), (std::vector<long long>{1, 2, 3})) << "the file was not made again";
}

TEST_F(FileAccessSafetyTest, ACheckBusyForAMomentIsRecoveredByTheSecondOpen) {
    int busy = 1;
    FaultInjection::set([&](std::string_view step) {
        return step == "tableExists" && busy-- > 0 ? sqliteBusy : 0;
    });
    FileAccess& access = customers.access;
    access.Open();
    EXPECT_EQ(access.ReadNext(), Severity::Benign);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 1);
    EXPECT_TRUE(boxes.shown().empty());
    access.Close();
    FaultInjection::clear();
    EXPECT_EQ(ids(), (std::vector<long long>{1, 2, 3}));
}

// The data folder of a station with read rights only (or a backup on read-only media):
// the files open read-only after the "Access Denied" notice, every record can be read,
// and a write is refused with its message.
TEST_F(FileAccessSafetyTest, AReadOnlyDataFolderOpensReadOnlyAndRefusesWrites) {
    TempFolder top;
    std::string readOnly = top.path() + "/data";
    std::filesystem::create_directory(readOnly);
    {
        host::sqlite::SqliteDriver writer;
        ASSERT_TRUE(writer.openFolder(readOnly));
        testsupport::seed(writer, customerDefinition(),
                          [](host::Record& record, host::RecordFile& file) {
                              for (int id = 1; id <= 3; ++id) {
                                  fillCustomer(record, id, "C" + std::to_string(id),
                                               "Name " + std::to_string(id));
                                  ASSERT_TRUE(file.add());
                              }
                          });
    }
    chmod(top.path().c_str(), 0755);
    chmod(readOnly.c_str(), 0555);
    Unprivileged run([&]() -> std::string {
        host::sqlite::SqliteDriver reader;
        if (!reader.openFolder(readOnly))
            return "the folder did not open: " + host::errorText();
        TestFile file(reader, customerDefinition());
        FileAccess& access = file.access;
        access.Setup(*file.file, reader, errors, registry);
        access.FILENAMEVALUE = "Customer";
        access.BUFFER = &file.record;
        access.Open();
        std::string read;
        while (access.ReadNext() == Severity::Benign)
            read += std::to_string(file.number("CUS:CUSTOMERID"));
        if (read != "123")
            return "read " + read;
        if (titles() != std::vector<std::string>{"Access Denied"} ||
            boxes.shown()[0].text != "Could not get write access to Customer so trying read-only.")
            return "no Access Denied notice";
        fillCustomer(file.record, 9, "C9", "Name 9");
        if (access.Insert() != Severity::Notify || titles().size() != 2 ||
            titles()[1] != "Record Insert Error" ||
            boxes.shown()[1].text.find("Access Denied (5)") == std::string::npos)
            return "the insert was not refused with its message";
        access.Close();
        return {};
    });
    chmod(readOnly.c_str(), 0755);
    if (run.outcome() == Unprivileged::Outcome::cannotDrop)
        GTEST_SKIP() << "cannot run as an unprivileged user here: " << run.message();
    EXPECT_EQ(run.outcome(), Unprivileged::Outcome::passed) << run.message();
}

} // namespace

// Two stations find the file missing at once and both create it: the one that comes
// second finds it made, with the other's records, and opens it instead of failing.
class CreationRaceTest : public DataTest {
protected:
    TestFile customers{driver, customerDefinition()};
};

TEST_F(CreationRaceTest, AFileAnotherStationMadeMeanwhileOpensInsteadOfFailingToBeCreated) {
    auto* file = new FailingFile(std::move(customers.file), 0);
    customers.file.reset(file);
    declare(customers, "Customer");
    file->beforeCreate = [&] {
        seed(customerDefinition(), [](host::Record& record, host::RecordFile& other) {
            fillCustomer(record, 7, "C7", "Made elsewhere");
            ASSERT_TRUE(other.add());
        });
    };
    FileAccess& access = customers.access;
    access.Open();
    EXPECT_EQ(access.ReadNext(), Severity::Benign);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 7);
    EXPECT_TRUE(titles().empty());
    access.Close();
    EXPECT_EQ(numbers(customerDefinition(), 1, "CUS:CUSTOMERID"), std::vector<long long>{7});
}
