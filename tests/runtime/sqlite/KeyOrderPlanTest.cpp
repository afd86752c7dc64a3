// Reading a file in a key's order must walk the key's index, from either end and from any
// place: a read that sorts the whole table instead costs time in proportion to the file,
// which makes auto-numbering (the highest id, read from the end of the Id key) and every
// key read of a large file crawl.
#include "DriverFixture.h"

#include "runtime/files/RecordView.h"
#include "runtime/sqlite/Database.h"
#include "runtime/sqlite/SqliteRecordFile.h"
#include "runtime/sqlite/TableSchema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace host;
using namespace drivertest;

namespace {

class KeyOrderPlanTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK); }
    void TearDown() override { sqlite3_close(db); }

    void execute(const std::string& sql) {
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(db);
    }

    void makeTable(const sqlite::TableSchema& schema) {
        execute(schema.createTableSql());
        for (int k = 1; k <= schema.definition().keyCount(); ++k)
            execute(schema.createIndexSql(k));
    }

    std::string plan(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        std::string explain = "EXPLAIN QUERY PLAN " + sql;
        EXPECT_EQ(sqlite3_prepare_v2(db, explain.c_str(), -1, &statement, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(db);
        std::string detail;
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            detail +=
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 3))) +
                "; ";
        sqlite3_finalize(statement);
        return detail;
    }

    sqlite3* db = nullptr;
};

// A view whose order is a unique key pages through the key's index as it lies, forward
// and backward, from the start, the end and a saved position (the statements it prepared
// on the driver's connection show their plans).
TEST(ViewKeyOrderPlanTest, PagesInAUniqueKeysOrderWalkItsIndex) {
    TempFolder folder;
    Station station(folder.path(), true);
    Record item{itemLayout()};
    std::unique_ptr<RecordFile> items = station.driver.makeFile(itemDefinition(), item);
    ASSERT_TRUE(items->create() && items->open() && station.customers->open());
    for (int n = 1; n <= 5; ++n) {
        ASSERT_TRUE(station.addCustomer(n, "C" + std::to_string(6 - n), "Name"));
        item.clear();
        item.field("ITM:ITEMID").assign(n);
        item.field("ITM:ITEMNUMBER").assign("i" + std::to_string(6 - n));
        ASSERT_TRUE(items->add());
    }
    struct Case {
        RecordFile* file;
        const char* order;
        const char* index;
    };
    for (const Case& c :
         {Case{station.customers.get(), "CUS:NUMBER", "Customer_CUS_NUMBERK"},
          Case{station.customers.get(), "CUS:CUSTOMERID", "Customer_CUS_CUSTOMERIDK"},
          Case{items.get(), "UPPER(ITM:ITEMNUMBER)", "Item_ITM_ITEMNUMBERK"}}) {
        SCOPED_TRACE(c.order);
        std::unique_ptr<RecordView> view = station.driver.makeView(*c.file);
        ASSERT_TRUE(view->setOrder(c.order) && view->open());
        view->setPaging(2, 2, 0, 60);
        int rows = 0;
        while (view->next())
            ++rows;
        EXPECT_EQ(rows, 5);
        ASSERT_TRUE(view->setStart());
        while (view->previous())
            --rows;
        EXPECT_EQ(rows, 0);
        ASSERT_TRUE(view->setStart() && view->next() && view->next() && view->next());
        std::string third = view->position();
        ASSERT_TRUE(view->reset(third) && view->previous() && view->previous());
        ASSERT_TRUE(view->reset(third) && view->next() && view->next() && view->next());

        sqlite3* db = dynamic_cast<sqlite::SqliteRecordFile&>(*c.file).database().handle();
        int pages = 0;
        for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) {
            std::string sql = sqlite3_sql(s);
            if (sql.find(" AS p") == std::string::npos)
                continue;
            ++pages;
            sqlite3_stmt* explain = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &explain,
                                         nullptr),
                      SQLITE_OK);
            std::string shown;
            while (sqlite3_step(explain) == SQLITE_ROW)
                shown +=
                    std::string(reinterpret_cast<const char*>(sqlite3_column_text(explain, 3))) +
                    "; ";
            sqlite3_finalize(explain);
            SCOPED_TRACE(sql + ": " + shown);
            EXPECT_NE(shown.find(std::string("INDEX ") + c.index), std::string::npos);
            EXPECT_EQ(shown.find("TEMP B-TREE FOR ORDER BY"), std::string::npos);
        }
        // From the start both ways, from a place both ways, from a saved position both ways.
        EXPECT_GE(pages, 6);
    }
}

// A list of an invoice's lines with their items' descriptions: the item is looked up in
// the index of its number's key (which ignores case) rather than by scanning the items for
// every line, and a line read again at its row's position is found by its row id, not by
// seeking through the lines before it under the invoice's filter.
TEST(ViewKeyOrderPlanTest, JoinsUseCaselessKeysAndOneRecordAtAPositionIsLookedUp) {
    TempFolder folder;
    Station station(folder.path(), true);
    Record item{itemLayout()}, line{detailLayout()};
    std::unique_ptr<RecordFile> items = station.driver.makeFile(itemDefinition(), item);
    std::unique_ptr<RecordFile> lines = station.driver.makeFile(detailDefinition(), line);
    ASSERT_TRUE(items->create() && items->open() && lines->create() && lines->open());
    item.field("ITM:ITEMID").assign(1);
    item.field("ITM:ITEMNUMBER").assign(std::string("A1"));
    ASSERT_TRUE(items->add());
    for (int n = 1; n <= 30; ++n) {
        line.clear();
        line.field("IND:INVDETID").assign(n);
        line.field("IND:INVHDRID").assign(1 + n % 2);
        line.field("IND:SEQUENCE").assign(n);
        line.field("IND:ITEMNUMBER").assign(std::string(n % 3 ? "A1" : "a1"));
        ASSERT_TRUE(lines->add());
    }
    std::unique_ptr<RecordView> view = station.driver.makeView(*lines);
    ASSERT_TRUE(view->join(*items, "ITM:ITEMNUMBER = IND:ITEMNUMBER"));
    ASSERT_TRUE(view->open() && view->setOrder("IND:INVHDRID,IND:SEQUENCE") &&
                view->setFilter("IND:INVHDRID = 1"));
    view->setPaging(5, 1, 0, 60);
    std::vector<std::string> positions;
    std::vector<std::int64_t> matched;
    while (view->next()) {
        positions.push_back(view->position());
        matched.push_back(item.field("ITM:ITEMID").integer());
    }
    ASSERT_EQ(positions.size(), 15u);
    // The join stays exact: a line whose number differs from the item's in case only has
    // no item.
    for (size_t i = 0; i < matched.size(); ++i)
        EXPECT_EQ(matched[i], (2 * i + 2) % 3 ? 1 : 0) << i;
    ASSERT_TRUE(view->readAt(positions[9]));
    EXPECT_EQ(line.field("IND:SEQUENCE").integer(), 20);

    sqlite3* db = dynamic_cast<sqlite::SqliteRecordFile&>(*lines).database().handle();
    int statements = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) {
        std::string sql = sqlite3_sql(s);
        if (sql.find(" AS p") == std::string::npos)
            continue;
        ++statements;
        sqlite3_stmt* explain = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &explain, nullptr),
            SQLITE_OK);
        std::string shown;
        while (sqlite3_step(explain) == SQLITE_ROW)
            shown +=
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(explain, 3))) + "; ";
        sqlite3_finalize(explain);
        SCOPED_TRACE(sql + ": " + shown);
        EXPECT_NE(shown.find("INDEX Item_ITM_ITEMNUMBERK"), std::string::npos);
        if (sql.find(" LIMIT 1") != std::string::npos &&
            sql.find("ORDER BY") == std::string::npos) {
            EXPECT_NE(shown.find("INTEGER PRIMARY KEY"), std::string::npos);
        }
    }
    // Pages from the start and from a place, and the one record at a position.
    EXPECT_EQ(statements, 3);
}

TEST_F(KeyOrderPlanTest, ReadsInKeyOrderWalkTheKeysIndex) {
    // Unique keys (with the placeholders' term in their index), a key with duplicates, a
    // key ignoring case and a key of two components.
    for (const FileDefinition& definition :
         {customerDefinition(), itemDefinition(), detailDefinition()}) {
        sqlite::TableSchema schema(definition);
        makeTable(schema);
        for (int key = 1; key <= definition.keyCount(); ++key) {
            int terms = static_cast<int>(schema.keyTerms(key).size());
            for (bool backward : {false, true}) {
                for (int count : {0, 1, terms}) {
                    std::string shown = plan(schema.readSql(key, backward, count, false));
                    SCOPED_TRACE(definition.label() + " key " + std::to_string(key) +
                                 (backward ? " backward" : " forward") + " after " +
                                 std::to_string(count) + " terms: " + shown);
                    EXPECT_NE(shown.find("INDEX " + schema.indexName(key)), std::string::npos);
                    EXPECT_EQ(shown.find("TEMP B-TREE FOR ORDER BY"), std::string::npos);
                }
            }
        }
    }
}

} // namespace
