// What only the server driver meets: connection texts, the server going away, stations
// dying mid-frame, several processes writing at once, tables changed by hand.
#include "../conformance/Backends.h"

#include "runtime/base/Value.h"
#include "runtime/drivers/DriverChoice.h"
#include "runtime/postgres/PostgresDriver.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/threads/CooperativeWait.h"
#include "tests/support/StationProcess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

using namespace host;
using conformance::PostgresStore;
using conformance::Station;

namespace {

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!store.available(why)) {
            if (std::getenv("EIP_REQUIRE_POSTGRES"))
                FAIL() << why;
            GTEST_SKIP() << why;
        }
    }

    // Fills the customer file through a first station and closes it again.
    void makeCustomers(int count) {
        Station s(store);
        ASSERT_TRUE(s.openFiles(true)) << lastError().driverText;
        for (int id = 1; id <= count; ++id)
            ASSERT_TRUE(s.addCustomer(id, std::to_string(id), "N" + std::to_string(id)));
    }

    std::int64_t adminCount(const std::string& table) {
        bool ok = false;
        postgres::Result result = store.admin().query(
            "SELECT count(*) FROM " + store.schema() + ".\"" + table + "\"", ok);
        return ok ? result.integer(0, 0) : -1;
    }

    bool terminate(const std::string& name) {
        bool ok = false;
        postgres::Result result = store.admin().query(
            "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = '" +
                name + "'",
            ok);
        return ok && result.rows() == 1;
    }

    PostgresStore store;
};

TEST_F(ServerTest, WrongConnectionTextsAreNamedAndNothingIsWritten) {
    auto refuses = [&](const std::string& text, const std::string& expected) {
        postgres::PostgresDriver driver(text);
        EXPECT_FALSE(driver.openFolder(store.folder()));
        EXPECT_EQ(errorCode(), errors::driverError);
        EXPECT_NE(lastError().driverText.find(expected), std::string::npos)
            << lastError().driverText;
        std::string message = lastError().driverText;
        // The files answer the same, and so does a frame.
        Record buffer{testsupport::customerLayout()};
        std::unique_ptr<RecordFile> file =
            driver.makeFile(conformance::customerDefinition(), buffer);
        EXPECT_FALSE(file->open());
        EXPECT_FALSE(file->create());
        EXPECT_FALSE(driver.begin(1));
        return message;
    };
    refuses("host=/no/such/folder dbname=shop", "cannot be reached");
    refuses("dbname", "connection text");
    std::string secret = refuses(store.connection() + " password=s3cret-word", "password file");
    EXPECT_EQ(secret.find("s3cret-word"), std::string::npos);

    // A wrong password, from the password file as a station keeps it.
    ASSERT_TRUE(store.admin().execute("DROP ROLE IF EXISTS pwcheck; CREATE ROLE pwcheck LOGIN "
                                      "PASSWORD 'right-one'"));
    std::string passfile = store.folder() + "/pgpass";
    std::ofstream(passfile) << "*:*:*:pwcheck:wrong-one\n";
    std::filesystem::permissions(passfile, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_write);
    std::string wrong = refuses(store.connection() + " user=pwcheck passfile=" + passfile,
                                "password authentication failed");
    EXPECT_EQ(wrong.find("wrong-one"), std::string::npos);
    std::ofstream(passfile) << "*:*:*:pwcheck:right-one\n";
    postgres::PostgresDriver right(store.connection() + " user=pwcheck passfile=" + passfile);
    EXPECT_TRUE(right.openFolder(store.folder())) << lastError().driverText;
    right.connection().disconnect();
    store.admin().execute("DROP ROLE pwcheck");
}

TEST(ServerVersionTest, AnOlderServerIsRefusedNamingBothVersions) {
    postgres::Connection connection("host=shop-server dbname=shop");
    EXPECT_FALSE(connection.acceptsServer(110012));
    EXPECT_EQ(lastError().driverCode, "server version");
    EXPECT_EQ(lastError().driverText, "The data base server (data base shop on server shop-server) "
                                      "runs PostgreSQL 11; the program needs version 12 or later");
    EXPECT_TRUE(connection.acceptsServer(120000));
}

TEST_F(ServerTest, TablesChangedByHandAreNamedOrRebuilt) {
    makeCustomers(3);
    ASSERT_TRUE(store.admin().execute("ALTER TABLE " + store.schema() +
                                      ".\"Customer\" DROP COLUMN \"CITY\""));
    Station s(store);
    EXPECT_FALSE(s.customers->open());
    EXPECT_EQ(errorCode(), errors::driverError);
    EXPECT_NE(lastError().driverText.find("CITY"), std::string::npos) << lastError().driverText;
    EXPECT_FALSE(s.customers->create()) << "a file holding records is never made again";
    EXPECT_EQ(adminCount("Customer"), 3);

    // A missing index: the keys must be rebuilt, which makes it again.
    ASSERT_TRUE(s.items->create());
    ASSERT_TRUE(
        store.admin().execute("DROP INDEX " + store.schema() + ".\"Item_ITM_ITEMNUMBERK\""));
    EXPECT_FALSE(s.items->open());
    EXPECT_EQ(errorCode(), errors::invalidKeyFile);
    ASSERT_TRUE(s.items->rebuildKeys()) << lastError().driverText;
    EXPECT_TRUE(s.items->open());
}

TEST_F(ServerTest, ADroppedConnectionIsToldAndTheNextOperationWorks) {
    makeCustomers(3);
    Record buffer{testsupport::customerLayout()};
    std::unique_ptr<RecordFileDriver> driver = store.makeDriver("dropped_station");
    std::unique_ptr<RecordFile> file = driver->makeFile(conformance::customerDefinition(), buffer);
    ASSERT_TRUE(file->open());
    ASSERT_TRUE(file->set(1));
    ASSERT_TRUE(file->next());
    file->hold();
    ASSERT_TRUE(file->next());
    EXPECT_TRUE(file->isHeld());

    ASSERT_TRUE(terminate("dropped_station"));
    EXPECT_FALSE(file->next());
    EXPECT_EQ(errorCode(), errors::driverError);
    EXPECT_NE(lastError().driverText.find("connection to the data base server was lost"),
              std::string::npos)
        << lastError().driverText;
    EXPECT_FALSE(file->isHeld()) << "the hold went with the connection";
    ASSERT_TRUE(file->next()) << lastError().driverText;
    EXPECT_EQ(buffer.field("CUS:CUSTOMERID").integer(), 3);

    // Inside a frame: the frame's writes are gone, and said so.
    ASSERT_TRUE(file->enlist());
    ASSERT_TRUE(driver->begin(5));
    buffer.field("CUS:CUSTOMERID").assign(4);
    buffer.field("CUS:NUMBER").assign(std::string("4"));
    ASSERT_TRUE(file->add());
    ASSERT_TRUE(terminate("dropped_station"));
    EXPECT_FALSE(driver->commit());
    EXPECT_NE(lastError().driverText.find("not kept"), std::string::npos) << lastError().driverText;
    EXPECT_FALSE(driver->inTransaction());
    EXPECT_EQ(file->recordCount(), 3);

    // Lost in the middle of the frame: its later writes are refused, not written on
    // their own, until the frame is rolled back.
    ASSERT_TRUE(driver->begin(5));
    buffer.field("CUS:CUSTOMERID").assign(5);
    buffer.field("CUS:NUMBER").assign(std::string("5"));
    ASSERT_TRUE(file->add());
    ASSERT_TRUE(terminate("dropped_station"));
    buffer.field("CUS:CUSTOMERID").assign(6);
    buffer.field("CUS:NUMBER").assign(std::string("6"));
    EXPECT_FALSE(file->add());
    EXPECT_FALSE(file->add());
    EXPECT_NE(lastError().driverText.find("must be ended first"), std::string::npos)
        << lastError().driverText;
    EXPECT_TRUE(driver->rollback());
    EXPECT_EQ(file->recordCount(), 3);
    EXPECT_TRUE(driver->begin(5)) << "a frame can begin again";
    EXPECT_TRUE(driver->rollback());
}

TEST_F(ServerTest, AStationKilledInsideAFrameLeavesNoPartOfItAndNoHold) {
    makeCustomers(10);
    testsupport::StationProcess child([&](testsupport::StationProcess& me) {
        // A step that fails says so ('x') rather than leave the test waiting.
        auto step = [&](bool done) {
            if (!done) {
                me.say('x');
                _exit(1);
            }
        };
        Station s(store);
        step(s.openFiles(false));
        s.customer.field("CUS:CUSTOMERID").assign(1);
        s.customers->hold();
        step(s.customers->get(1));
        step(s.customers->enlist());
        step(s.driver->begin(5));
        for (int id = 2; id <= 6; ++id) {
            s.customer.field("CUS:CUSTOMERID").assign(id);
            step(s.customers->get(1) && s.customers->remove());
        }
        me.say('d');
        me.hear();
    });
    ASSERT_EQ(child.hear(), 'd');
    Station s(store);
    ASSERT_TRUE(s.openFiles(false));
    s.customer.field("CUS:CUSTOMERID").assign(1);
    EXPECT_FALSE(s.customers->get(1));
    EXPECT_EQ(errorCode(), errors::recordHeld);
    EXPECT_EQ(s.customers->recordCount(), 10) << "the frame is not seen before its end";
    child.killNow();
    // The server notices the dead connection: its frame and hold go.
    bool free = CooperativeWait::retryFor(std::chrono::seconds(10), [&] {
        s.customer.field("CUS:CUSTOMERID").assign(1);
        s.customers->hold();
        return s.customers->get(1);
    });
    EXPECT_TRUE(free);
    EXPECT_EQ(s.customers->recordCount(), 10);
}

TEST_F(ServerTest, FourProcessesNumberingAtOnceGiveNoNumberTwice) {
    makeCustomers(0);
    constexpr int perStation = 40;
    std::vector<std::unique_ptr<testsupport::StationProcess>> stations;
    for (int n = 0; n < 4; ++n)
        stations.push_back(
            std::make_unique<testsupport::StationProcess>([&](testsupport::StationProcess& me) {
                // A station that fails says so ('x') rather than leave the test waiting.
                Station s(store);
                bool opened = s.openFiles(false);
                me.hear();
                for (int added = 0; opened && added < perStation;) {
                    // The next number after the last one, as the file layer numbers.
                    if (!s.customers->set(1))
                        break;
                    int last = s.customers->previous() ? s.id() : 0;
                    s.customer.clear();
                    s.customer.field("CUS:CUSTOMERID").assign(last + 1);
                    s.customer.field("CUS:NUMBER").assign(std::to_string(last + 1));
                    if (s.customers->addPlaceholder({1, 3})) {
                        s.customer.field("CUS:NAME").assign(std::string("Station"));
                        if (!s.customers->put())
                            break;
                        ++added;
                    } else if (errorCode() != errors::duplicateKey) {
                        break;
                    }
                    if (added == perStation) {
                        me.say('k');
                        return;
                    }
                }
                me.say('x');
            }));
    for (auto& station : stations)
        station->say('g');
    for (auto& station : stations)
        EXPECT_EQ(station->hear(), 'k');
    Station s(store);
    ASSERT_TRUE(s.openFiles(false));
    std::set<int> ids;
    ASSERT_TRUE(s.customers->set(1));
    while (s.customers->next())
        ids.insert(s.id());
    EXPECT_EQ(ids.size(), 4u * perStation);
    EXPECT_EQ(*ids.rbegin(), 4 * perStation);
}

} // namespace

namespace {

// The settings file chooses the driver: a server named in [Data] Server=, otherwise the
// embedded data base.
TEST(DriverChoiceTest, TheSettingsFileNamesTheServerOrNothing) {
    testsupport::TempFolder folder;
    std::string ini = folder.path() + "/mirto.INI";
    EXPECT_NE(dynamic_cast<sqlite::SqliteDriver*>(DriverChoice::make(ini).get()), nullptr)
        << "no settings file: the embedded data base";
    std::ofstream(ini) << "[Data]\nServer=  \n";
    EXPECT_NE(dynamic_cast<sqlite::SqliteDriver*>(DriverChoice::make(ini).get()), nullptr);
    std::ofstream(ini) << "[Other]\nX=1\n[Data]\nServer= host=shop-server dbname=shop  \n";
    EXPECT_EQ(DriverChoice::serverIn(ini), "host=shop-server dbname=shop");
    auto driver = DriverChoice::make(ini);
    ASSERT_NE(dynamic_cast<postgres::PostgresDriver*>(driver.get()), nullptr);
    EXPECT_EQ(driver->dataLocation(), "the data base shop on server shop-server");
}

} // namespace

namespace {

// The server restarted under a running station. It stops the test cluster for a moment,
// so it runs alone, as its own ctest entry (postgres_server_restart) that names the
// command restarting the cluster in EIP_TEST_POSTGRES_RESTART.
TEST(ServerRestartTest, TheStationIsToldAndTheNextOperationWorks) {
    const char* restart = std::getenv("EIP_TEST_POSTGRES_RESTART");
    if (!restart)
        GTEST_SKIP() << "restarts the server: run alone by the ctest entry postgres_server_restart";
    PostgresStore store;
    std::string why;
    ASSERT_TRUE(store.available(why)) << why;
    Station s(store);
    ASSERT_TRUE(s.openFiles(true));
    ASSERT_TRUE(s.addCustomer(1, "1", "Before"));
    ASSERT_EQ(std::system(restart), 0);
    s.customer.field("CUS:CUSTOMERID").assign(1);
    EXPECT_FALSE(s.customers->get(1));
    EXPECT_EQ(errorCode(), errors::driverError);
    EXPECT_NE(lastError().driverText.find("connection to the data base server was lost"),
              std::string::npos)
        << lastError().driverText;
    ASSERT_TRUE(s.customers->get(1)) << lastError().driverText;
    EXPECT_EQ(s.name(), "Before");
    s.customer.field("CUS:NAME").assign(std::string("After"));
    EXPECT_TRUE(s.customers->put());
    store.admin().disconnect();
}

} // namespace
