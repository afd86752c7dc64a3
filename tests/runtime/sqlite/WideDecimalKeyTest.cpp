// Keys on decimals wider than a double holds exactly (more than 15 digits) order by value:
// signs, magnitudes and places, in files and views, and in a data folder written before
// such decimals were stored in their ordered form.
#include "DriverFixture.h"

#include "runtime/base/Decimal.h"
#include "runtime/files/RecordView.h"

#include <algorithm>
#include <vector>

using namespace host;
using namespace drivertest;

namespace {

SharedLayout ledgerLayout() {
    static SharedLayout layout = std::make_shared<RecordLayout>(RecordLayout{
        {"LED:ID", FieldType::longInteger()},
        {"LED:AMOUNT", FieldType::decimal(25, 4)},
        {"LED:UNITS", FieldType::decimal(22, 0)},
    });
    return layout;
}

// Keys: 1 LED:IDK, 2 LED:AMOUNTK (unique), 3 LED:UNITSK (descending, duplicates).
FileDefinition ledgerDefinition() {
    FileDefinition definition("LEDGER", "LED", ledgerLayout());
    definition.setNameOnDisk("Ledger");
    definition.addKey("LED:IDK", {"LED:ID"}, false, false, true);
    definition.addKey("LED:AMOUNTK", {"LED:AMOUNT"});
    definition.addKey(KeyDefinition{"LED:UNITSK", {{3, false}}, true});
    return definition;
}

const std::vector<const char*> amounts{"10",      "9",
                                       "-9.5",    "0",
                                       "-10",     "0.0001",
                                       "-0.0001", "123456789012345678901.2345",
                                       "10.5",    "-10.25",
                                       "100",     "-123456789012345678901.2345",
                                       "99.9999", "1",
                                       "-1",      "0.5",
                                       "-100",    "100000000000000000000"};

// The whole units of a value, cut toward zero.
Decimal whole(const char* text) {
    std::string units(text);
    units = units.substr(0, units.find('.'));
    return *Decimal::parse(units);
}

std::vector<std::string> sortedByValue(std::vector<const char*> texts, bool descending = false) {
    std::sort(texts.begin(), texts.end(), [&](const char* a, const char* b) {
        return descending ? *Decimal::parse(b) < *Decimal::parse(a)
                          : *Decimal::parse(a) < *Decimal::parse(b);
    });
    std::vector<std::string> result;
    for (const char* text : texts)
        result.push_back(Decimal::parse(text)->toString());
    return result;
}

class WideDecimalKeyTest : public ::testing::Test {
protected:
    TempFolder folder;
    Station station{folder.path()};
    Record record{ledgerLayout()};
    std::unique_ptr<RecordFile> file;

    void open(bool create) {
        file = station.driver.makeFile(ledgerDefinition(), record);
        if (create) {
            ASSERT_TRUE(file->create()) << errorText();
        }
        ASSERT_TRUE(file->open()) << errorText();
    }
    void addAll() {
        int id = 0;
        for (const char* amount : amounts) {
            record.clear();
            record.field("LED:ID").assign(++id);
            record.field("LED:AMOUNT").assign(*Decimal::parse(amount));
            // Units: the amount cut to whole units, so that some are equal.
            record.field("LED:UNITS").assign(whole(amount));
            ASSERT_TRUE(file->add()) << amount << ": " << errorText();
        }
    }
    std::string amount() const { return record.field("LED:AMOUNT").decimal().toString(); }
    std::vector<std::string> readAmounts(int key, bool backward) {
        std::vector<std::string> read;
        EXPECT_TRUE(file->set(key));
        while (backward ? file->previous() : file->next())
            read.push_back(amount());
        return read;
    }
    void expectOrderedByValue() {
        std::vector<std::string> ascending = sortedByValue(amounts);
        EXPECT_EQ(readAmounts(2, false), ascending);
        EXPECT_EQ(readAmounts(2, true),
                  std::vector<std::string>(ascending.rbegin(), ascending.rend()));

        // At a value: the first at or after it, the last at or before it.
        record.field("LED:AMOUNT").assign(*Decimal::parse("-9.75"));
        ASSERT_TRUE(file->setAt(2));
        ASSERT_TRUE(file->next());
        EXPECT_EQ(amount(), "-9.5");
        record.field("LED:AMOUNT").assign(*Decimal::parse("-9.75"));
        ASSERT_TRUE(file->setAt(2));
        ASSERT_TRUE(file->previous());
        EXPECT_EQ(amount(), "-10");
        record.clear();
        record.field("LED:AMOUNT").assign(*Decimal::parse("123456789012345678901.2345"));
        ASSERT_TRUE(file->get(2));
        EXPECT_EQ(record.field("LED:ID").integer(), 8);

        // A view orders by value too, on a key's field or on any other.
        std::unique_ptr<RecordView> view = station.driver.makeView(*file);
        ASSERT_TRUE(view->open());
        view->setPaging(4, 2, 0, 60);
        ASSERT_TRUE(view->setOrder("-LED:AMOUNT"));
        std::vector<std::string> read;
        while (view->next())
            read.push_back(amount());
        EXPECT_EQ(read, sortedByValue(amounts, true));
        record.field("LED:UNITS").assign(Decimal(-1));
        ASSERT_TRUE(view->setOrder("LED:UNITS"));
        ASSERT_TRUE(view->setAt(1));
        ASSERT_TRUE(view->next());
        EXPECT_EQ(record.field("LED:UNITS").decimal().toString(), "-1");
    }
};

TEST_F(WideDecimalKeyTest, KeysOrderByValueWithSignsAndPlaces) {
    open(true);
    addAll();
    expectOrderedByValue();
    // Whole units, descending, with equal values in record order.
    std::vector<std::string> units;
    ASSERT_TRUE(file->set(3));
    while (file->next())
        units.push_back(record.field("LED:UNITS").decimal().toString() + "#" +
                        std::to_string(record.field("LED:ID").integer()));
    EXPECT_EQ(units, (std::vector<std::string>{
                         "123456789012345678901#8", "100000000000000000000#18", "100#11", "99#13",
                         "10#1", "10#9", "9#2", "1#14", "0#4", "0#6", "0#7", "0#16", "-1#15",
                         "-9#3", "-10#5", "-10#10", "-100#17", "-123456789012345678901#12"}));
    // Equal values are duplicates whatever places they were written with.
    record.clear();
    record.field("LED:ID").assign(99);
    record.field("LED:AMOUNT").assign(*Decimal::parse("10.5000"));
    EXPECT_TRUE(file->wouldDuplicate(2));
    EXPECT_FALSE(file->add());
    EXPECT_EQ(errorCode(), errors::duplicateKey);
}

TEST_F(WideDecimalKeyTest, AFolderWrittenWithPlainDecimalTextsOpensAndOrdersByValue) {
    // The table as the driver wrote it before: wide decimals as their plain text.
    {
        std::string sql =
            "CREATE TABLE \"Ledger\" (_id INTEGER PRIMARY KEY, _version INTEGER NOT NULL "
            "DEFAULT 0, \"ID\" INTEGER NOT NULL DEFAULT 0, \"AMOUNT\" TEXT NOT NULL DEFAULT '', "
            "\"UNITS\" TEXT NOT NULL DEFAULT '');"
            "CREATE UNIQUE INDEX \"Ledger_LED_IDK\" ON \"Ledger\" (\"ID\");"
            "CREATE UNIQUE INDEX \"Ledger_LED_AMOUNTK\" ON \"Ledger\" (\"AMOUNT\");"
            "CREATE INDEX \"Ledger_LED_UNITSK\" ON \"Ledger\" (\"UNITS\" DESC);";
        int id = 0;
        for (const char* text : amounts) {
            Decimal value = *Decimal::parse(text);
            sql += "INSERT INTO \"Ledger\" (ID, AMOUNT, UNITS) VALUES (" + std::to_string(++id) +
                   ", '" + value.toString() + "', '" + whole(text).toString() + "');";
        }
        runSql(folder.path(), sql);
    }
    open(false);
    expectOrderedByValue();
    EXPECT_EQ(file->recordCount(), static_cast<std::int64_t>(amounts.size()));
}

} // namespace
