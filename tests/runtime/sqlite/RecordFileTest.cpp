#include "DriverFixture.h"

#include "runtime/base/Decimal.h"
#include "runtime/sqlite/Database.h"

#include <algorithm>
#include <sqlite3.h>
#include <vector>

using namespace host;
using namespace drivertest;

namespace {

enum CustomerKey { idKey = 1, nameKey = 2, numberKey = 3 };

class RecordFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    Station station{folder.path(), true};
    RecordFile& file = *station.customers;

    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        ASSERT_TRUE(file.open()) << errorText();
    }
    // Names read with next() (or previous()) until the end.
    std::vector<std::string> readAll(bool backward = false) {
        std::vector<std::string> names;
        while (backward ? file.previous() : file.next())
            names.push_back(station.name());
        EXPECT_EQ(errorCode(), errors::noRecord);
        return names;
    }
    std::vector<std::string> shell(const std::string& sql) { return runSql(folder.path(), sql); }
};

TEST_F(RecordFileTest, OpeningClosingAndCreatingAnswerTheHostCodes) {
    EXPECT_FALSE(file.open());
    EXPECT_EQ(errorCode(), errors::alreadyOpen);
    EXPECT_FALSE(file.create());
    EXPECT_EQ(errorCode(), errors::alreadyOpen);
    EXPECT_FALSE(file.setNameOnDisk("Other"));
    EXPECT_EQ(errorCode(), errors::alreadyOpen);
    EXPECT_TRUE(file.close());
    EXPECT_TRUE(file.close());
    EXPECT_FALSE(file.next());
    EXPECT_EQ(errorCode(), errors::fileNotOpen);
    EXPECT_FALSE(file.add());
    EXPECT_EQ(errorCode(), errors::fileNotOpen);

    // A name on disk that was never created is not found; creating makes it.
    EXPECT_TRUE(file.setNameOnDisk("Customer2"));
    EXPECT_FALSE(file.open());
    EXPECT_EQ(errorCode(), errors::fileNotFound);
    EXPECT_TRUE(file.create());
    EXPECT_TRUE(file.open());
    EXPECT_EQ(file.recordCount(), 0);

    sqlite::SqliteDriver nowhere;
    EXPECT_FALSE(nowhere.openFolder(folder.path() + "/missing"));
    EXPECT_EQ(errorCode(), errors::fileNotFound);
    Record buffer(customerLayout());
    auto orphan = nowhere.makeFile(customerDefinition(), buffer);
    EXPECT_FALSE(orphan->open());
    EXPECT_EQ(errorCode(), errors::fileNotFound);
}

TEST_F(RecordFileTest, ValuesAreStoredExactlyAndReadableWithSql) {
    Record item(itemLayout());
    auto items = station.driver.makeFile(itemDefinition(), item);
    ASSERT_TRUE(items->create());
    ASSERT_TRUE(items->open());
    // Every cent from -99999.99 to 99999.99 in steps that hit awkward binary fractions.
    std::vector<std::string> prices;
    for (long long cents = -9999999; cents <= 9999999; cents += 123457)
        prices.push_back(Decimal::fromUnits(cents, 2).toString(2));
    prices.push_back("0.10");
    prices.push_back("0.29");
    int id = 0;
    for (const std::string& price : prices) {
        item.clear();
        item.field("ITM:ITEMID").assign(++id);
        item.field("ITM:ITEMNUMBER").assign("N" + std::to_string(id));
        item.field("ITM:COST").assign(*Decimal::parse(price));
        item.field("ITM:ICONFILE").assign("pictures/item " + std::to_string(id) + ".gif");
        ASSERT_TRUE(items->add()) << errorText();
    }
    ASSERT_TRUE(items->set(1));
    for (const std::string& price : prices) {
        ASSERT_TRUE(items->next());
        EXPECT_EQ(item.field("ITM:COST").decimal().toString(2), price);
    }
    EXPECT_EQ(clip(item.field("ITM:ICONFILE").text()),
              "pictures/item " + std::to_string(id) + ".gif");

    ASSERT_TRUE(station.addCustomer(7, "C7", "O'Brien"));
    EXPECT_EQ(shell("SELECT NAME, length(NAME), typeof(CUSTOMERID) FROM Customer"),
              std::vector<std::string>{"O'Brien|7|integer"});
    EXPECT_EQ(shell("SELECT COST, typeof(COST) FROM Item WHERE ITEMNUMBER = 'N" +
                    std::to_string(id) + "'"),
              std::vector<std::string>{"0.29|real"});
    // Decimals order by value in their index.
    long negative =
        std::count_if(prices.begin(), prices.end(), [](auto& p) { return p[0] == '-'; });
    EXPECT_EQ(shell("SELECT count(*) FROM Item WHERE COST < 0"),
              std::vector<std::string>{std::to_string(negative)});
}

TEST_F(RecordFileTest, AFileWithoutKeysKeepsEveryKindOfFieldExactly) {
    auto layout = std::make_shared<RecordLayout>(RecordLayout{
        {"CFG:BYTE", FieldType::byte()},
        {"CFG:SHORT", FieldType::shortInteger()},
        {"CFG:COUNT", FieldType::unsignedLong()},
        {"CFG:RATE", FieldType::decimal(5, 4)},
        {"CFG:HUGE", FieldType::decimal(25, 4)},
        {"CFG:WEIGHT", FieldType::real()},
        {"CFG:DAY", FieldType::date()},
        {"CFG:TIME", FieldType::time()},
        {"CFG:NOTE", FieldType::pstring(12)},
        {"CFG:PATH", FieldType::cstring(12)},
        {"CFG:TEXT", FieldType::text(6)},
    });
    Record config(layout), copy(layout);
    auto file = station.driver.makeFile(FileDefinition("CONFIG", "CFG", layout), config);
    ASSERT_TRUE(file->create() && file->open());
    config.field(1).assign(255);
    config.field(2).assign(-32768);
    config.field(3).assign(4294967295LL);
    config.field(4).assign(*Decimal::parse("0.0825"));
    config.field(5).assign(*Decimal::parse("-123456789012345678901.2345"));
    config.field(6).assign(0.1);
    config.field(7).assign(80000);
    config.field(8).assign(8639999);
    config.field(9).assign("  padded  ");
    config.field(10).assign("a b ");
    config.field(11).assign("  x");
    copy = config;
    ASSERT_TRUE(file->add());
    config.clear();
    ASSERT_TRUE(file->set(0) && file->next());
    EXPECT_TRUE(config == copy);
    EXPECT_FALSE(file->get(1));
    EXPECT_EQ(errorCode(), errors::driverError);
    EXPECT_EQ(file->position(), "K0|i1;");
}

// Key order, ties and reading from a value are the driver contract's; these are the ends.
TEST_F(RecordFileTest, ReadsOnPastEitherEndAndRefusesAnOrderItLacks) {
    for (auto [id, name] :
         std::vector<std::pair<int, const char*>>{{1, "miller"}, {2, "Adams"}, {3, "Zane"}})
        ASSERT_TRUE(station.addCustomer(id, "C" + std::to_string(id), name));
    // Off the start: a next reads the first record (the other end is the contract's).
    ASSERT_TRUE(file.set(nameKey));
    EXPECT_EQ(readAll(true), (std::vector<std::string>{"Zane", "miller", "Adams"}));
    EXPECT_FALSE(file.previous());
    EXPECT_TRUE(file.next());
    EXPECT_EQ(station.name(), "Adams");
    station.customer.field("CUS:NAME").assign("Mo");
    ASSERT_TRUE(file.setAt(nameKey));
    EXPECT_EQ(readAll(), std::vector<std::string>{"Zane"});
    EXPECT_FALSE(file.set(9));
    EXPECT_EQ(errorCode(), errors::driverError);
}

TEST_F(RecordFileTest, GetsByKeyAndPositionAndResetsToPositions) {
    for (int id = 1; id <= 5; ++id)
        ASSERT_TRUE(
            station.addCustomer(id, "C" + std::to_string(id), "Name " + std::to_string(id)));
    station.customer.clear();
    station.customer.field("CUS:NUMBER").assign("C3");
    ASSERT_TRUE(file.get(numberKey));
    EXPECT_EQ(station.id(), 3);
    std::string byName = file.position(nameKey);
    std::string inRecordOrder = file.position(0);
    EXPECT_EQ(file.position(), inRecordOrder); // get does not change the order read in
    station.customer.field("CUS:NUMBER").assign("C9");
    EXPECT_FALSE(file.get(numberKey));
    EXPECT_EQ(errorCode(), errors::recordNotFound);
    EXPECT_EQ(station.id(), 3); // a failed read leaves the buffer

    // A position survives being kept in a blank-padded text.
    ASSERT_TRUE(file.getAt(byName + std::string(40, ' ')));
    EXPECT_FALSE(file.getAt("not a position"));
    EXPECT_FALSE(file.reset(nameKey, "K2|t3:abc"));
}

TEST_F(RecordFileTest, WritesRecordsAndRefusesDuplicateKeys) {
    EXPECT_FALSE(file.put());
    EXPECT_EQ(errorCode(), errors::noRecord);
    ASSERT_TRUE(station.addCustomer(1, "C1", "Adams"));
    ASSERT_TRUE(station.addCustomer(2, "C2", "Adams")); // the name key allows duplicates
    EXPECT_TRUE(station.addCustomer(3, "c2", "Baker")); // the number key does not ignore case
    EXPECT_FALSE(station.addCustomer(4, "C1", "Clark"));
    EXPECT_EQ(errorCode(), errors::duplicateKey);

    // Asked key by key, only the colliding one answers.
    station.customer.field("CUS:CUSTOMERID").assign(9);
    EXPECT_FALSE(file.wouldDuplicate(idKey));
    EXPECT_FALSE(file.wouldDuplicate(nameKey));
    EXPECT_TRUE(file.wouldDuplicate(numberKey));
    EXPECT_EQ(errorCode(), 0);

    // The added record is current: put writes over it.
    ASSERT_TRUE(station.addCustomer(5, "C5", "Evans"));
    station.customer.field("CUS:CITY").assign("Shelbyville");
    ASSERT_TRUE(file.put());
    station.customer.field("CUS:NUMBER").assign("C1");
    EXPECT_FALSE(file.put());
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    station.customer.field("CUS:NUMBER").assign("C5");
    ASSERT_TRUE(file.reget());
    EXPECT_EQ(clip(station.customer.field("CUS:CITY").text()), "Shelbyville");
    ASSERT_TRUE(file.remove());
    EXPECT_FALSE(file.remove());
    EXPECT_EQ(errorCode(), errors::noRecord);
    EXPECT_EQ(file.recordCount(), 3);
    EXPECT_GT(file.sizeInBytes(), 0);
    EXPECT_TRUE(file.flush());
}

TEST_F(RecordFileTest, ReadOnlyOpenRefusesWrites) {
    ASSERT_TRUE(station.addCustomer(1, "C1", "Adams"));
    file.close();
    ASSERT_TRUE(file.open(openMode::readOnly | openMode::denyNone));
    EXPECT_TRUE(file.set(idKey) && file.next());
    EXPECT_FALSE(file.put());
    EXPECT_EQ(errorCode(), errors::accessDenied);
    EXPECT_FALSE(station.addCustomer(2, "C2", "Baker"));
    EXPECT_EQ(errorCode(), errors::accessDenied);
}

TEST_F(RecordFileTest, DamagedOrChangedKeysMustBeRebuilt) {
    ASSERT_TRUE(station.addCustomer(1, "C1", "Adams"));
    ASSERT_TRUE(station.addCustomer(2, "C2", "Baker"));
    file.close();
    shell("DROP INDEX \"Customer_CUS_NUMBERK\"");
    EXPECT_FALSE(file.open());
    EXPECT_EQ(errorCode(), errors::invalidKeyFile);
    ASSERT_TRUE(file.rebuildKeys()) << errorText();
    ASSERT_TRUE(file.open());
    station.customer.field("CUS:NUMBER").assign("C2");
    EXPECT_TRUE(file.get(numberKey));
    file.close();

    // A key the table does not have yet.
    FileDefinition wider = customerDefinition();
    wider.addKey("CUS:CITYK", {"CUS:CITY", "CUS:NAME"}, true);
    auto widened = station.driver.makeFile(wider, station.customer);
    EXPECT_FALSE(widened->open());
    EXPECT_EQ(errorCode(), errors::invalidKeyFile);
    ASSERT_TRUE(widened->rebuildKeys());
    EXPECT_TRUE(widened->open());
    widened->close();

    // Two records with one value cannot get a unique key: 40, keys left as they were.
    shell("DROP INDEX \"Customer_CUS_NUMBERK\"; UPDATE Customer SET NUMBER = 'C1'");
    EXPECT_FALSE(file.rebuildKeys());
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    EXPECT_FALSE(file.open());
    EXPECT_EQ(errorCode(), errors::invalidKeyFile);
}

TEST_F(RecordFileTest, ATableWithoutAFieldsColumnIsTheDriversOwnError) {
    file.close();
    shell("CREATE TABLE Short(_id INTEGER PRIMARY KEY, _version INTEGER, CUSTOMERID INTEGER)");
    ASSERT_TRUE(file.setNameOnDisk("Short"));
    EXPECT_FALSE(file.open());
    EXPECT_EQ(errorCode(), errors::driverError);
    EXPECT_NE(lastError().driverText.find("NUMBER"), std::string::npos);
    // A failure inside SQLite itself is 90 with SQLite's code and text.
    shell("CREATE TRIGGER refuse BEFORE INSERT ON Customer BEGIN SELECT RAISE(ABORT, 'no more'); "
          "END");
    ASSERT_TRUE(file.setNameOnDisk("Customer"));
    ASSERT_TRUE(file.open());
    EXPECT_FALSE(station.addCustomer(1, "C1", "Adams"));
    EXPECT_EQ(errorCode(), errors::driverError);
    EXPECT_EQ(lastError().driverText, "no more");
    EXPECT_EQ(lastError().driverCode, std::to_string(SQLITE_CONSTRAINT_TRIGGER));
}

} // namespace
