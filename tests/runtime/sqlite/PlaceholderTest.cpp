// Placeholder records: they claim the keys they are added for and leave the other unique
// keys free until a put makes them ordinary records; tables written before them open and
// are brought up to date.
#include "DriverFixture.h"

using namespace host;
using namespace drivertest;

namespace {

enum CustomerKey { idKey = 1, nameKey = 2, numberKey = 3 };

class PlaceholderTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<Station> station;
    RecordFile* file = nullptr;

    void start(bool create) {
        station = std::make_unique<Station>(folder.path(), create);
        file = station->customers.get();
    }
    bool addPlaceholder(int id) {
        station->customer.clear();
        station->customer.field("CUS:CUSTOMERID").assign(id);
        return file->addPlaceholder({idKey});
    }
    std::string number() const { return clip(station->customer.field("CUS:NUMBER").text()); }
    void shell(const std::string& sql) { runSql(folder.path(), sql); }
};

TEST_F(PlaceholderTest, PlaceholdersClaimTheirKeysAndLeaveTheOthersFreeUntilWritten) {
    start(true);
    ASSERT_TRUE(file->open());
    ASSERT_TRUE(station->addCustomer(1, "", "Blank Number"));
    // Blank numbers: placeholders neither clash with the record nor with each other.
    ASSERT_TRUE(addPlaceholder(2)) << errorText();
    std::string second = file->position(0);
    ASSERT_TRUE(addPlaceholder(3)) << errorText();
    EXPECT_FALSE(addPlaceholder(3)) << "the claimed key clashes";
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    EXPECT_FALSE(station->addCustomer(2, "C2", "Same Id"));
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    EXPECT_EQ(file->recordCount(), 3) << "placeholders are records to readers";

    // Nor do they keep an ordinary record out of the keys they leave free.
    station->customer.clear();
    station->customer.field("CUS:CUSTOMERID").assign(4);
    station->customer.field("CUS:NUMBER").assign("C4");
    EXPECT_FALSE(file->wouldDuplicate(numberKey));
    ASSERT_TRUE(file->add());
    EXPECT_TRUE(file->wouldDuplicate(numberKey));

    // Written over, a placeholder becomes an ordinary record, refused on a duplicate.
    ASSERT_TRUE(file->getAt(second));
    station->customer.field("CUS:NUMBER").assign("C4");
    EXPECT_TRUE(file->wouldDuplicate(numberKey, true));
    EXPECT_FALSE(file->wouldDuplicate(idKey, true)) << "its own id is no duplicate";
    EXPECT_TRUE(file->wouldDuplicate(idKey)) << "as an added record it would be";
    EXPECT_FALSE(file->put());
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    station->customer.field("CUS:NUMBER").assign("C2");
    ASSERT_TRUE(file->put());
    station->customer.clear();
    station->customer.field("CUS:CUSTOMERID").assign(5);
    station->customer.field("CUS:NUMBER").assign("C2");
    EXPECT_TRUE(file->wouldDuplicate(numberKey));
    EXPECT_FALSE(file->add());
    EXPECT_EQ(errorCode(), errors::duplicateKey);

    // The remaining placeholder stays free; read in the number key's order it is there.
    ASSERT_TRUE(file->set(numberKey));
    std::vector<std::string> numbers;
    while (file->next())
        numbers.push_back(std::to_string(station->id()) + ":" + number());
    EXPECT_EQ(numbers, (std::vector<std::string>{"1:", "3:", "2:C2", "4:C4"}));
}

TEST_F(PlaceholderTest, ATableWrittenBeforePlaceholdersOpensAndIsBroughtUpToDate) {
    shell("CREATE TABLE \"Customer\" (_id INTEGER PRIMARY KEY, _version INTEGER NOT NULL "
          "DEFAULT 0, \"CUSTOMERID\" INTEGER NOT NULL DEFAULT 0, \"NUMBER\" TEXT NOT NULL "
          "DEFAULT '', \"NAME\" TEXT NOT NULL DEFAULT '', \"ADDRESS\" TEXT NOT NULL DEFAULT '', "
          "\"CITY\" TEXT NOT NULL DEFAULT '', \"STATE\" TEXT NOT NULL DEFAULT '', \"ZIP\" TEXT "
          "NOT NULL DEFAULT '', \"PHONE\" TEXT NOT NULL DEFAULT '', \"FAX\" TEXT NOT NULL "
          "DEFAULT '', \"TOLLFREE\" TEXT NOT NULL DEFAULT '', \"CONTACT\" TEXT NOT NULL DEFAULT "
          "'');"
          "CREATE UNIQUE INDEX \"Customer_CUS_CUSTOMERIDK\" ON \"Customer\" (\"CUSTOMERID\");"
          "CREATE INDEX \"Customer_CUS_NAMEK\" ON \"Customer\" (\"NAME\" COLLATE NOCASE);"
          "CREATE UNIQUE INDEX \"Customer_CUS_NUMBERK\" ON \"Customer\" (\"NUMBER\");"
          "INSERT INTO \"Customer\" (CUSTOMERID, NUMBER, NAME) VALUES (1, 'C1', 'Old');");
    start(false);
    // Read-only, the table stays as it is, and reads as ever.
    ASSERT_TRUE(file->open(openMode::readOnly | openMode::denyNone)) << errorText();
    ASSERT_TRUE(file->set(idKey) && file->next());
    EXPECT_EQ(station->name(), "Old");
    file->close();

    // The first writer brings it up to date: placeholders then leave the number free.
    ASSERT_TRUE(file->open()) << errorText();
    ASSERT_TRUE(addPlaceholder(2)) << errorText();
    ASSERT_TRUE(addPlaceholder(3)) << errorText();
    ASSERT_TRUE(station->addCustomer(4, "C4", "New"));
    file->close();
    ASSERT_TRUE(file->open()) << "the upgraded table is this driver's own: " << errorText();
    EXPECT_EQ(file->recordCount(), 4);
}

} // namespace
