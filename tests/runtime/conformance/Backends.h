#pragma once

#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"
#include "runtime/postgres/Connection.h"
#include "tests/support/ShopLayouts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace conformance {

// The connection text of the test cluster (tests/support/postgres-cluster.sh, started by
// the ctest fixture), or nothing when no server runs for the tests.
std::optional<std::string> testServer();
// Why the tests against a server skip.
std::string noServerMessage();

// A data store the tests run on, empty at first: a temporary folder for the embedded
// driver, a schema of its own in the test cluster's data base for the server driver.
// Every driver made by it is a station of that store.
class Store {
public:
    virtual ~Store() = default;
    // False (with `why`) when the store cannot be had here.
    virtual bool available(std::string& why) = 0;
    virtual std::unique_ptr<host::RecordFileDriver> makeDriver() = 0;
    const std::string& folder() const { return folder_.path(); }

protected:
    testsupport::TempFolder folder_;
};

std::unique_ptr<Store> makeSqliteStore();
std::unique_ptr<Store> makePostgresStore();

// A store on the test server, in a fresh schema dropped when it goes; its drivers connect
// with `connection()`, and `admin()` is a connection of the server's administrator.
class PostgresStore final : public Store {
public:
    PostgresStore();
    ~PostgresStore() override;
    bool available(std::string& why) override;
    std::unique_ptr<host::RecordFileDriver> makeDriver() override;
    // A driver whose connection names itself to the server (application_name), so that
    // a test can find its session.
    std::unique_ptr<host::RecordFileDriver> makeDriver(const std::string& name);
    const std::string& connection() const { return connection_; }
    const std::string& schema() const { return schema_; }
    host::postgres::Connection& admin() { return *admin_; }

private:
    std::optional<host::postgres::Connection> admin_;
    std::string schema_;
    std::string connection_;
    std::string failure_;
};

// Customer: keys 1 CUS:CUSTOMERIDK (unique, primary), 2 CUS:NAMEK (duplicates, ignores
// case), 3 CUS:NUMBERK (unique).
host::FileDefinition customerDefinition();
// Item: keys 1 ITM:ITEMIDK, 2 ITM:ITEMNUMBERK (unique, ignores case), 3 ITM:DESCK
// (duplicates, descending description).
host::FileDefinition itemDefinition();

// One station: a driver on the store and its customer and item files.
struct Station {
    explicit Station(Store& store);
    std::unique_ptr<host::RecordFileDriver> driver;
    host::Record customer{testsupport::customerLayout()};
    host::Record item{testsupport::itemLayout()};
    std::unique_ptr<host::RecordFile> customers;
    std::unique_ptr<host::RecordFile> items;

    // Creates (when asked) and opens both files.
    bool openFiles(bool create);
    bool addCustomer(int id, const std::string& number, const std::string& name,
                     const std::string& city = "Springfield");
    std::string name() const;
    int id() const;
};

} // namespace conformance
