// Opening a data folder and its files when something is wrong: a catalog check that
// fails, a data base that is damaged, a folder or data base that cannot be written. The
// records must never be lost, and the answer must say what is wrong.
#include "DriverFixture.h"
#include "runtime/files/OpenMode.h"
#include "runtime/sqlite/Database.h"
#include "runtime/sqlite/FaultInjection.h"
#include "tests/support/StationProcess.h"
#include "tests/support/Unprivileged.h"

#include <fstream>
#include <sqlite3.h>
#include <sstream>
#include <sys/stat.h>

using namespace host;
using namespace drivertest;
using host::sqlite::FaultInjection;
using testsupport::StationProcess;
using testsupport::Unprivileged;

namespace fs = std::filesystem;

namespace {

enum CustomerKey { idKey = 1 };

// The number of customers, read by a station of its own; -1 when they cannot be read.
int countCustomers(const std::string& folder) {
    Station reader(folder);
    if (!reader.customers->open(openMode::readOnly | openMode::denyNone))
        return -1;
    return static_cast<int>(reader.customers->recordCount());
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string dataBase(const std::string& folder) {
    return folder + "/" + sqlite::Database::fileName;
}

// ---- A catalog check that fails ------------------------------------------------------------

class FailedCheckTest : public ::testing::Test {
protected:
    TempFolder folder;
    void SetUp() override { fillCustomers(folder.path(), 3); }
    void TearDown() override { FaultInjection::clear(); }
};

TEST_F(FailedCheckTest, AFailedCheckOpensNothingCreatesNothingAndKeepsTheRecords) {
    struct Case {
        int injected;
        int code;
        std::string driverText;
    };
    for (const Case& c : {Case{SQLITE_BUSY, errors::accessDenied, ""},
                          Case{SQLITE_IOERR, errors::driverError, "disk I/O error"},
                          Case{SQLITE_NOMEM, errors::driverError, "out of memory"}}) {
        SCOPED_TRACE(c.injected);
        Station station(folder.path());
        FaultInjection::set(
            [&](std::string_view step) { return step == "tableExists" ? c.injected : 0; });
        EXPECT_FALSE(station.customers->open());
        EXPECT_EQ(errorCode(), c.code) << "a failed check is not an absent file";
        if (!c.driverText.empty()) {
            EXPECT_EQ(lastError().driverText, c.driverText);
        }
        EXPECT_FALSE(station.customers->isOpen());
        // What the file layer does after "file not found": it must not replace the file.
        EXPECT_FALSE(station.customers->create());
        EXPECT_NE(errorCode(), errors::fileNotFound);
        EXPECT_FALSE(station.customers->rebuildKeys());
        EXPECT_EQ(errorCode(), c.code);
        FaultInjection::clear();
        EXPECT_EQ(countCustomers(folder.path()), 3);
        ASSERT_TRUE(station.customers->open()) << "the next open finds the file again";
        EXPECT_EQ(station.customers->recordCount(), 3);
    }
}

TEST_F(FailedCheckTest, CreatingNeverReplacesAFileThatHoldsRecords) {
    Station station(folder.path());
    EXPECT_FALSE(station.customers->create());
    EXPECT_EQ(errorCode(), errors::driverError);
    EXPECT_NE(lastError().driverText.find("holds records"), std::string::npos)
        << lastError().driverText;
    EXPECT_EQ(countCustomers(folder.path()), 3);

    // An empty file is made again from its declaration.
    ASSERT_TRUE(station.customers->open());
    for (int id = 1; id <= 3; ++id) {
        station.customer.field("CUS:CUSTOMERID").assign(id);
        ASSERT_TRUE(station.customers->get(idKey));
        ASSERT_TRUE(station.customers->remove());
    }
    station.customers->close();
    EXPECT_TRUE(station.customers->create()) << errorText();
    EXPECT_EQ(countCustomers(folder.path()), 0);
}

TEST_F(FailedCheckTest, AnotherStationsWriteLockNeitherHidesNorEmptiesTheFile) {
    StationProcess other([&](StationProcess& self) {
        sqlite3* db = nullptr;
        self.require(sqlite3_open(dataBase(folder.path()).c_str(), &db) == SQLITE_OK);
        self.require(sqlite3_exec(db, "BEGIN EXCLUSIVE; UPDATE Customer SET CITY = 'Busy'", nullptr,
                                  nullptr, nullptr) == SQLITE_OK);
        self.say('l');
        self.hear();
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
    ASSERT_EQ(other.hear(), 'l');
    {
        Station station(folder.path());
        ASSERT_TRUE(station.driver.isOpen()) << errorText();
        ASSERT_TRUE(station.customers->sendOption("Recover=0"));
        ASSERT_TRUE(station.customers->open()) << errorText();
        EXPECT_EQ(station.customers->recordCount(), 3);
        station.customers->close();
        EXPECT_FALSE(station.customers->create());
        EXPECT_EQ(countCustomers(folder.path()), 3);

        // A file that is missing cannot be made while the other station writes.
        Record item(itemLayout());
        auto items = station.driver.makeFile(itemDefinition(), item);
        items->sendOption("Recover=0");
        EXPECT_FALSE(items->open());
        EXPECT_EQ(errorCode(), errors::fileNotFound);
        EXPECT_FALSE(items->create());
        EXPECT_EQ(errorCode(), errors::accessDenied);
    }
    other.say('q');
    EXPECT_EQ(other.wait(), 0);
    EXPECT_EQ(countCustomers(folder.path()), 3);
}

// ---- A damaged data base -------------------------------------------------------------------

class DamagedDataBaseTest : public ::testing::Test {
protected:
    TempFolder folder;
    void SetUp() override { fillCustomers(folder.path(), 400); }

    // Opens the folder and the customer file and reads every record; the first failure's
    // code and driver text, or code 0.
    static RuntimeError firstFailure(Station& station) {
        if (!station.driver.isOpen() || !station.customers->open() ||
            !station.customers->set(idKey))
            return lastError();
        while (station.customers->next()) {
        }
        return errorCode() == errors::noRecord ? RuntimeError{} : lastError();
    }
};

TEST_F(DamagedDataBaseTest, IsReportedWithTheDriversCauseAndNeverCreatedOver) {
    std::string path = dataBase(folder.path());
    std::string good = contents(path);
    ASSERT_GT(good.size(), 16384u);
    struct Case {
        std::string name;
        std::string bytes;
        std::string cause;
    };
    std::string garbage(good.size(), '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919 + 13) % 251);
    std::string overwritten = good;
    overwritten.replace(0, 4096, garbage.substr(0, 4096));
    for (const Case& c :
         {Case{"not a data base", "Invoices of 2025\nNo. 1 ...\n", "not a database"},
          Case{"overwritten", overwritten, "not a database"},
          Case{"garbage", garbage, "not a database"},
          Case{"cut short", good.substr(0, good.size() / 3), "malformed"}}) {
        SCOPED_TRACE(c.name);
        writeFile(path, c.bytes);
        Station station(folder.path());
        RuntimeError failure = firstFailure(station);
        EXPECT_EQ(failure.code, errors::driverError);
        EXPECT_NE(failure.driverText.find(c.cause), std::string::npos) << failure.driverText;
        if (!station.customers->isOpen()) {
            EXPECT_FALSE(station.customers->open());
            EXPECT_EQ(errorCode(), errors::driverError) << "never \"file not found\"";
        }
        station.customers->close();
        EXPECT_FALSE(station.customers->create());
        EXPECT_NE(errorCode(), errors::fileNotFound);
        Record item(itemLayout());
        auto items = station.driver.makeFile(itemDefinition(), item);
        EXPECT_FALSE(items->create()) << "nothing is created in a damaged data base";
        items.reset();
        station.customers.reset();
        EXPECT_EQ(contents(path), c.bytes) << "the damaged data base is left as it was";
    }
}

// ---- A folder or data base that cannot be written ------------------------------------------

// Customers in a folder that the unprivileged user can read; `folderWritable` and
// `fileWritable` say what it may write.
class ReadOnlyTest : public ::testing::Test {
protected:
    TempFolder top;
    std::string folder;

    void prepare(bool folderWritable, bool fileWritable) {
        folder = top.path() + "/data";
        fs::create_directory(folder);
        fillCustomers(folder, 3);
        {
            // Leaves the lock file there, as any station that wrote would.
            Station station(folder);
            ASSERT_TRUE(station.customers->open());
        }
        ASSERT_FALSE(fs::exists(dataBase(folder) + "-wal"));
        chmod(top.path().c_str(), 0755);
        chmod(dataBase(folder).c_str(), fileWritable ? 0666 : 0444);
        chmod((folder + "/" + sqlite::Database::lockFileName).c_str(), fileWritable ? 0666 : 0444);
        chmod(folder.c_str(), folderWritable ? 0777 : 0555);
    }
    void TearDown() override { chmod(folder.c_str(), 0755); }

    // What a station without write access must be able to do: open the folder, read
    // every record, and be told 5 for writes.
    void expectReadOnlyUse(const std::string& expectedNames = "Name 1;Name 2;Name 3;") {
        std::string path = folder;
        Unprivileged run([path, expectedNames]() -> std::string {
            Station station(path);
            if (!station.driver.isOpen())
                return "the folder did not open: " + errorText() + " " + lastError().driverText;
            if (station.customers->open())
                return "opened for writing";
            if (errorCode() != errors::accessDenied)
                return "an open for writing answered " + std::to_string(errorCode());
            if (!station.customers->open(openMode::readOnly | openMode::denyNone))
                return "no read-only open: " + errorText() + " " + lastError().driverText;
            std::string names;
            station.customers->set(idKey);
            while (station.customers->next())
                names += station.name() + ";";
            if (names != expectedNames)
                return "read " + names + " then " + errorText();
            station.customers->hold();
            station.customer.field("CUS:CUSTOMERID").assign(2);
            if (!station.customers->get(idKey))
                return "a read with a hold failed: " + errorText();
            station.customer.field("CUS:CITY").assign("Nowhere");
            if (station.customers->put() || errorCode() != errors::accessDenied)
                return "a change answered " + std::to_string(errorCode());
            if (station.addCustomer(9, "C9", "Name 9") || errorCode() != errors::accessDenied)
                return "an add answered " + std::to_string(errorCode());
            station.customers->close();
            if (station.customers->create())
                return "created in a read-only data base";
            return {};
        });
        if (run.outcome() == Unprivileged::Outcome::cannotDrop)
            GTEST_SKIP() << "cannot run as an unprivileged user here: " << run.message();
        EXPECT_EQ(run.outcome(), Unprivileged::Outcome::passed) << run.message();
    }
};

TEST_F(ReadOnlyTest, AReadOnlyFolderIsReadAndRefusesWrites) {
    prepare(false, true);
    expectReadOnlyUse();
    EXPECT_EQ(countCustomers(folder), 3);
}

// A station that may write the folder is working in it: its changes wait in the log,
// and a station with read rights only reads them too.
TEST_F(ReadOnlyTest, AReadOnlyFolderShowsTheChangesInAnotherStationsLog) {
    prepare(true, true);
    std::string path = folder;
    StationProcess writer([path](StationProcess& self) {
        Station station(path);
        self.require(station.customers->open());
        self.require(station.addCustomer(4, "C4", "Name 4"));
        self.say('w');
        self.hear();
    });
    ASSERT_EQ(writer.hear(), 'w');
    ASSERT_TRUE(fs::file_size(dataBase(folder) + "-wal") > 0);
    chmod(folder.c_str(), 0555);
    expectReadOnlyUse("Name 1;Name 2;Name 3;Name 4;");
    writer.say('q');
    EXPECT_EQ(writer.wait(), 0);
}

TEST_F(ReadOnlyTest, AReadOnlyDataBaseIsReadAndRefusesWrites) {
    prepare(true, false);
    expectReadOnlyUse();
    EXPECT_EQ(countCustomers(folder), 3);
}

TEST_F(ReadOnlyTest, AFolderAndDataBaseBothReadOnlyWithoutALockFileAreRead) {
    prepare(false, false);
    chmod(folder.c_str(), 0755);
    fs::remove(folder + "/" + sqlite::Database::lockFileName);
    chmod(folder.c_str(), 0555);
    expectReadOnlyUse();
}

} // namespace
