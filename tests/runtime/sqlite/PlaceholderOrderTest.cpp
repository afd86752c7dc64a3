// Placeholders share a unique key's value with other records: files and views read such
// records in the key's order (the record claiming the value first, then the placeholders
// leaving it free in record order) from any place, through pages of any size, and a
// folder whose indexes were written in the earlier form reads as it is until its first
// writable open makes them again.
#include "DriverFixture.h"

#include "runtime/files/RecordView.h"
#include "runtime/sqlite/FaultInjection.h"
#include "runtime/sqlite/TableSchema.h"

#include <sqlite3.h>
#include <vector>

using namespace host;
using namespace drivertest;
using host::sqlite::FaultInjection;

namespace {

enum CustomerKey { idKey = 1, numberKey = 3 };

class PlaceholderOrderTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<Station> station;
    RecordFile* file = nullptr;

    void TearDown() override { FaultInjection::clear(); }

    // Numbers: 1 "B", placeholders 2 and 3 (blank, leaving the number free), 4 blank (a
    // record claiming the blank number, added after the placeholders), 5 "A".
    void fill() {
        station = std::make_unique<Station>(folder.path(), true);
        file = station->customers.get();
        ASSERT_TRUE(file->open());
        ASSERT_TRUE(station->addCustomer(1, "B", "One"));
        for (int id : {2, 3}) {
            station->customer.clear();
            station->customer.field("CUS:CUSTOMERID").assign(id);
            ASSERT_TRUE(file->addPlaceholder({idKey})) << errorText();
        }
        ASSERT_TRUE(station->addCustomer(4, "", "Four"));
        ASSERT_TRUE(station->addCustomer(5, "A", "Five"));
    }
    std::vector<int> readFile(bool backward, int limit = 100) {
        std::vector<int> ids;
        while (limit-- > 0 && (backward ? file->previous() : file->next()))
            ids.push_back(station->id());
        return ids;
    }
    std::vector<int> readView(RecordView& view, bool backward, int limit = 100) {
        std::vector<int> ids;
        while (limit-- > 0 && (backward ? view.previous() : view.next()))
            ids.push_back(station->id());
        return ids;
    }
    // Every way of reading the file and a view in the number key's order gives `expected`.
    void expectNumberOrder(const std::vector<int>& expected) {
        const std::vector<int> reversed(expected.rbegin(), expected.rend());
        ASSERT_TRUE(file->set(numberKey));
        EXPECT_EQ(readFile(false), expected);
        ASSERT_TRUE(file->set(numberKey));
        EXPECT_EQ(readFile(true), reversed);
        // From the saved position of the second record, inside the group, both ways.
        ASSERT_TRUE(file->set(numberKey) && file->next() && file->next());
        std::string second = file->position();
        ASSERT_TRUE(file->reset(numberKey, second));
        EXPECT_EQ(readFile(true, 2), (std::vector<int>{expected[1], expected[0]}));

        std::unique_ptr<RecordView> view = station->driver.makeView(*file);
        ASSERT_TRUE(view->setOrder("CUS:NUMBER"));
        ASSERT_TRUE(view->open());
        for (int pageSize : {1, 2}) {
            SCOPED_TRACE("page size " + std::to_string(pageSize));
            view->setPaging(pageSize, 2, 0, 60);
            ASSERT_TRUE(view->setStart());
            EXPECT_EQ(readView(*view, false), expected);
            ASSERT_TRUE(view->setStart());
            EXPECT_EQ(readView(*view, true), reversed);
            // Turning round inside the group, across page boundaries.
            ASSERT_TRUE(view->setStart());
            EXPECT_EQ(readView(*view, false, 3), (std::vector<int>(&expected[0], &expected[3])));
            EXPECT_EQ(readView(*view, true, 1), (std::vector<int>{expected[1]}));
            std::string position = view->position();
            ASSERT_TRUE(view->reset(position));
            EXPECT_EQ(readView(*view, false, 2), (std::vector<int>{expected[1], expected[2]}));
            ASSERT_TRUE(view->reset(position));
            EXPECT_EQ(readView(*view, true, 2), (std::vector<int>{expected[1], expected[0]}));
        }
    }
    void shell(const std::string& sql) { runSql(folder.path(), sql); }
    std::vector<std::string> indexes() {
        return runSql(folder.path(), "SELECT sql FROM sqlite_schema WHERE type = 'index' AND "
                                     "tbl_name = 'Customer' ORDER BY name");
    }
};

const std::vector<std::string> earlierIndexes{
    "CREATE UNIQUE INDEX \"Customer_CUS_CUSTOMERIDK\" ON \"Customer\" (\"CUSTOMERID\", "
    "nullif(_free & 1, 1))",
    "CREATE INDEX \"Customer_CUS_NAMEK\" ON \"Customer\" (\"NAME\" COLLATE NOCASE)",
    "CREATE UNIQUE INDEX \"Customer_CUS_NUMBERK\" ON \"Customer\" (\"NUMBER\", "
    "nullif(_free & 4, 4))"};

TEST_F(PlaceholderOrderTest, EarlierIndexesReadAsTheyAreAndAreMadeAgainInOneStep) {
    fill();
    file->close();
    std::string remake;
    for (const char* name : {"CUSTOMERIDK", "NAMEK", "NUMBERK"})
        remake += std::string("DROP INDEX \"Customer_CUS_") + name + "\";";
    for (const std::string& sql : earlierIndexes)
        remake += sql + ";";
    shell(remake);

    // Read-only, the indexes stay; equal values come in record order.
    ASSERT_TRUE(file->open(openMode::readOnly | openMode::denyNone)) << errorText();
    expectNumberOrder({2, 3, 4, 5, 1});
    file->close();
    EXPECT_EQ(indexes(), earlierIndexes);

    // An upgrade that fails half-way changes nothing, and the file works on as it is.
    int made = 0;
    FaultInjection::set([&](std::string_view step) {
        return step == "upgradeIndexes" && ++made == 2 ? SQLITE_IOERR : SQLITE_OK;
    });
    ASSERT_TRUE(file->open()) << errorText();
    FaultInjection::clear();
    EXPECT_EQ(made, 2);
    EXPECT_EQ(indexes(), earlierIndexes);
    expectNumberOrder({2, 3, 4, 5, 1});
    file->close();

    // The next writable open makes them again; the same records read in the key's order.
    ASSERT_TRUE(file->open()) << errorText();
    sqlite::TableSchema schema(customerDefinition());
    EXPECT_EQ(indexes(),
              (std::vector<std::string>{schema.createIndexSql(1), schema.createIndexSql(2),
                                        schema.createIndexSql(3)}));
    expectNumberOrder({4, 2, 3, 5, 1});
    station->customer.clear();
    ASSERT_TRUE(file->get(numberKey));
    EXPECT_EQ(station->id(), 4) << "a get by the blank number finds the record claiming it";
    EXPECT_FALSE(station->addCustomer(6, "", "Six")) << "the blank number is still claimed";
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    file->close();
    ASSERT_TRUE(file->open()) << "the new indexes are this driver's own: " << errorText();
    EXPECT_EQ(file->recordCount(), 5);
}

} // namespace
