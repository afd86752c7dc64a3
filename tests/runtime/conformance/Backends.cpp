#include "Backends.h"

#include "runtime/base/Value.h"
#include "runtime/postgres/Connection.h"
#include "runtime/postgres/PostgresDriver.h"
#include "runtime/sqlite/SqliteDriver.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

using namespace host;

namespace conformance {

std::optional<std::string> testServer() {
    const char* file = std::getenv("EIP_TEST_POSTGRES");
    if (!file)
        return std::nullopt;
    std::ifstream in(file);
    std::string text;
    if (!std::getline(in, text) || text.empty())
        return std::nullopt;
    return text;
}

std::string noServerMessage() {
    return "no PostgreSQL test server: run through ctest, whose fixture starts one when "
           "the postgresql package is installed (tests/support/postgres-cluster.sh)";
}

namespace {

class SqliteStore final : public Store {
public:
    bool available(std::string&) override { return true; }
    std::unique_ptr<RecordFileDriver> makeDriver() override {
        auto driver = std::make_unique<sqlite::SqliteDriver>();
        driver->openFolder(folder());
        return driver;
    }
};

} // namespace

std::unique_ptr<Store> makeSqliteStore() {
    return std::make_unique<SqliteStore>();
}

PostgresStore::PostgresStore() {
    std::optional<std::string> server = testServer();
    if (!server)
        return;
    static std::atomic<int> made{0};
    schema_ = "t" + std::to_string(getpid()) + "_" + std::to_string(made++);
    admin_.emplace(*server);
    if (!admin_->execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE; CREATE SCHEMA " +
                         schema_)) {
        failure_ = errorText() + " " + lastError().driverText;
        admin_.reset();
        return;
    }
    connection_ = *server + " options='-csearch_path=" + schema_ + "'";
}

PostgresStore::~PostgresStore() {
    if (admin_)
        admin_->execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
}

bool PostgresStore::available(std::string& why) {
    if (!failure_.empty())
        why = "the test server cannot be used: " + failure_;
    else if (!admin_)
        why = noServerMessage();
    return admin_.has_value();
}

std::unique_ptr<RecordFileDriver> PostgresStore::makeDriver() {
    auto driver = std::make_unique<postgres::PostgresDriver>(connection_);
    driver->openFolder(folder());
    return driver;
}

std::unique_ptr<RecordFileDriver> PostgresStore::makeDriver(const std::string& name) {
    auto driver =
        std::make_unique<postgres::PostgresDriver>(connection_ + " application_name=" + name);
    driver->openFolder(folder());
    return driver;
}

std::unique_ptr<Store> makePostgresStore() {
    return std::make_unique<PostgresStore>();
}

FileDefinition customerDefinition() {
    FileDefinition definition("CUSTOMER", "CUS", testsupport::customerLayout());
    definition.setNameOnDisk("Customer");
    definition.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, false, true);
    definition.addKey("CUS:NAMEK", {"CUS:NAME"}, true, true);
    definition.addKey("CUS:NUMBERK", {"CUS:NUMBER"});
    return definition;
}

FileDefinition itemDefinition() {
    FileDefinition definition("ITEM", "ITM", testsupport::itemLayout());
    definition.setNameOnDisk("Item");
    definition.addKey("ITM:ITEMIDK", {"ITM:ITEMID"}, false, false, true);
    definition.addKey("ITM:ITEMNUMBERK", {"ITM:ITEMNUMBER"}, false, true);
    KeyDefinition description;
    description.label = "ITM:DESCK";
    description.components = {{3, false}};
    description.duplicates = true;
    definition.addKey(description);
    return definition;
}

Station::Station(Store& store) : driver(store.makeDriver()) {
    customers = driver->makeFile(customerDefinition(), customer);
    items = driver->makeFile(itemDefinition(), item);
}

bool Station::openFiles(bool create) {
    if (create && (!customers->create() || !items->create()))
        return false;
    return customers->open() && items->open();
}

bool Station::addCustomer(int id, const std::string& number, const std::string& name,
                          const std::string& city) {
    customer.clear();
    customer.field("CUS:CUSTOMERID").assign(id);
    customer.field("CUS:NUMBER").assign(number);
    customer.field("CUS:NAME").assign(name);
    customer.field("CUS:CITY").assign(city);
    return customers->add();
}

std::string Station::name() const {
    return clip(customer.field("CUS:NAME").text());
}

int Station::id() const {
    return static_cast<int>(customer.field("CUS:CUSTOMERID").integer());
}

} // namespace conformance
