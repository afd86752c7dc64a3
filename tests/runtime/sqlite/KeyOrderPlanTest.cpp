// Reading a file in a key's order must walk the key's index, from either end and from any
// place: a read that sorts the whole table instead costs time in proportion to the file,
// which makes auto-numbering (the highest id, read from the end of the Id key) and every
// key read of a large file crawl.
#include "DriverFixture.h"

#include "runtime/sqlite/TableSchema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>

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

TEST_F(KeyOrderPlanTest, ReadsInKeyOrderWalkTheKeysIndex) {
    // Unique keys (with the placeholders' term in their index), a key with duplicates, a
    // key ignoring case and a key of two components.
    for (const FileDefinition& definition :
         {customerDefinition(), itemDefinition(), detailDefinition()}) {
        sqlite::TableSchema schema(definition);
        makeTable(schema);
        for (int key = 1; key <= definition.keyCount(); ++key) {
            int terms = definition.key(key).componentCount() + 1;
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
