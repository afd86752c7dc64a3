#include "DriverFixture.h"

#include <sqlite3.h>

using namespace host;

namespace drivertest {

SharedLayout detailLayout() {
    static SharedLayout layout = std::make_shared<RecordLayout>(RecordLayout{
        {"IND:INVDETID", FieldType::longInteger()},
        {"IND:INVHDRID", FieldType::longInteger()},
        {"IND:ITEMNUMBER", FieldType::text(10)},
        {"IND:QUANTITY", FieldType::longInteger()},
        {"IND:SEQUENCE", FieldType::longInteger()},
        {"IND:COST", FieldType::decimal(7, 2)},
        {"IND:LIST", FieldType::decimal(7, 2)},
        {"IND:SELL", FieldType::decimal(7, 2)},
        {"IND:PRINT", FieldType::text(1)},
    });
    return layout;
}

std::vector<std::string> runSql(const std::string& folder, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    EXPECT_EQ(sqlite3_open((folder + "/data.sqlite").c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(
                  db, sql.c_str(),
                  [](void* out, int columns, char** values, char**) {
                      std::string row;
                      for (int c = 0; c < columns; ++c)
                          row += (c ? "|" : "") + std::string(values[c] ? values[c] : "NULL");
                      static_cast<std::vector<std::string>*>(out)->push_back(row);
                      return 0;
                  },
                  &rows, &message),
              SQLITE_OK)
        << (message ? message : "") << "\n"
        << sql;
    sqlite3_free(message);
    sqlite3_close(db);
    return rows;
}

FileDefinition customerDefinition() {
    FileDefinition definition("CUSTOMER", "CUS", customerLayout());
    definition.setNameOnDisk("Customer");
    definition.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, false, true);
    definition.addKey("CUS:NAMEK", {"CUS:NAME"}, true, true);
    definition.addKey("CUS:NUMBERK", {"CUS:NUMBER"});
    return definition;
}

FileDefinition itemDefinition() {
    FileDefinition definition("ITEM", "ITM", itemLayout());
    definition.setNameOnDisk("Item");
    definition.addKey("ITM:ITEMIDK", {"ITM:ITEMID"}, false, false, true);
    definition.addKey("ITM:ITEMNUMBERK", {"ITM:ITEMNUMBER"}, false, true);
    return definition;
}

FileDefinition detailDefinition() {
    FileDefinition definition("INVDET", "IND", detailLayout());
    definition.setNameOnDisk("InvDet");
    definition.addKey("IND:INVDETIDK", {"IND:INVDETID"}, false, false, true);
    definition.addKey("IND:INVHDRK", {"IND:INVHDRID", "IND:SEQUENCE"});
    return definition;
}

Station::Station(const std::string& folder, bool createFile) {
    driver.openFolder(folder);
    customers = driver.makeFile(customerDefinition(), customer);
    if (createFile)
        customers->create();
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

bool Station::read(int id) {
    customer.clear();
    customer.field("CUS:CUSTOMERID").assign(id);
    return customers->get(1);
}

void fillCustomers(const std::string& folder, int count) {
    Station setup(folder, true);
    ASSERT_TRUE(setup.customers->open());
    ASSERT_TRUE(setup.customers->enlist() && setup.driver.begin(5));
    for (int id = 1; id <= count; ++id)
        ASSERT_TRUE(setup.addCustomer(id, "C" + std::to_string(id), "Name " + std::to_string(id)));
    ASSERT_TRUE(setup.driver.commit());
}

std::string Station::name() const {
    return clip(customer.field("CUS:NAME").text());
}

int Station::id() const {
    return static_cast<int>(customer.field("CUS:CUSTOMERID").integer());
}

} // namespace drivertest
