// The trigram index the driver keeps for a file's searched fields: made with the file,
// kept through adds, changes and deletes by any station, and made for a file written
// before its fields were marked, so that "contains" reads the same rows as without it.
#include "tests/runtime/sqlite/DriverFixture.h"

#include "runtime/files/RecordView.h"

#include <set>
#include <sqlite3.h>

using namespace drivertest;

namespace {

host::FileDefinition searchedCustomers() {
    host::FileDefinition file = customerDefinition();
    file.markSearched("CUS:NAME");
    file.markSearched("CUS:CONTACT");
    file.markSearched("CUS:NOSUCH"); // left out
    return file;
}

class SearchIndexTest : public ::testing::Test {
protected:
    // Opens the searched customers on the folder, creating the file first when asked.
    void openFile(bool create) {
        ASSERT_TRUE(driver.openFolder(folder.path()));
        file = driver.makeFile(searchedCustomers(), record);
        if (create) {
            ASSERT_TRUE(file->create());
        }
        ASSERT_TRUE(file->open(0x42));
    }
    // The ids of the customers whose name holds `text` (any case), read through a view.
    std::set<int> containing(const std::string& text) {
        std::unique_ptr<host::RecordView> view = driver.makeView(*file);
        EXPECT_TRUE(view->open());
        EXPECT_TRUE(view->setFilter("INSTRING('" + text + "',UPPER(CUS:NAME),1,1) <> 0"));
        std::set<int> ids;
        view->setStart();
        while (view->next())
            ids.insert(static_cast<int>(record.field("CUS:CUSTOMERID").integer()));
        view->close();
        return ids;
    }
    // Rows the index holds for a trigram match, read from the data base itself.
    int indexed(const std::string& match) {
        sqlite3* db = nullptr;
        sqlite3_open((folder.path() + "/data.sqlite").c_str(), &db);
        sqlite3_stmt* query = nullptr;
        int count = -1;
        std::string sql = "SELECT count(*) FROM CUSTOMER_search WHERE CUSTOMER_search MATCH ?1";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(query, 1, match.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(query) == SQLITE_ROW)
                count = sqlite3_column_int(query, 0);
        }
        sqlite3_finalize(query);
        sqlite3_close(db);
        return count;
    }
    bool add(int id, const char* name) {
        record.clear();
        record.field("CUS:CUSTOMERID").assign(id);
        record.field("CUS:NUMBER").assign(std::to_string(id));
        record.field("CUS:NAME").assign(name);
        return file->add();
    }
    // Runs statements on the data base itself, as another program would.
    void execute(const std::string& sql) { runSql(folder.path(), sql); }
    // Two customers written by a station whose fields are not marked for searching.
    void writeTwoCustomersUnmarked() {
        Station before(folder.path(), true);
        ASSERT_TRUE(before.customers->open(0x42));
        ASSERT_TRUE(before.addCustomer(1, "1", "Toy Palace"));
        ASSERT_TRUE(before.addCustomer(2, "2", "Hardware"));
        before.customers->close();
    }
    TempFolder folder;
    host::sqlite::SqliteDriver driver;
    host::Record record{customerLayout()};
    std::unique_ptr<host::RecordFile> file;
};

TEST_F(SearchIndexTest, KeptThroughAddsChangesAndDeletes) {
    openFile(true);
    ASSERT_TRUE(add(1, "Toy Palace"));
    ASSERT_TRUE(add(2, "Big TOYS Co"));
    ASSERT_TRUE(add(3, "Hardware"));
    EXPECT_EQ(containing("TOY"), (std::set<int>{1, 2}));
    // A change moves the row in the index; a delete takes it out.
    ASSERT_TRUE(file->set(1));
    while (file->next() && record.field("CUS:CUSTOMERID").integer() != 3) {
    }
    record.field("CUS:NAME").assign("Toyland Hardware");
    ASSERT_TRUE(file->put());
    ASSERT_TRUE(file->set(1));
    ASSERT_TRUE(file->next());
    ASSERT_TRUE(file->remove());
    EXPECT_EQ(containing("TOY"), (std::set<int>{2, 3}));
    EXPECT_EQ(containing("HARDWARE"), (std::set<int>{3}));
    EXPECT_EQ(indexed("\"toy\""), 2);
    EXPECT_EQ(indexed("\"pal\" AND \"ace\""), 0);
    file->close();
}

TEST_F(SearchIndexTest, MadeForAFileWrittenBeforeItsFieldsWereMarked) {
    writeTwoCustomersUnmarked();
    EXPECT_EQ(indexed("toy"), -1); // no index yet
    openFile(false);
    EXPECT_EQ(indexed("\"toy\""), 1);
    EXPECT_EQ(containing("TOY"), (std::set<int>{1}));
    file->close();
    // Rebuilding the keys makes it again, whole.
    ASSERT_TRUE(file->rebuildKeys());
    EXPECT_EQ(indexed("\"toy\""), 1);
}

// Rows added or changed inside a transaction frame wait beside the index and are found
// all the same; they go into the index when the frame commits, and a rollback leaves
// neither them nor their note behind.
TEST_F(SearchIndexTest, RowsOfAFrameAreFoundBeforeTheyAreIndexed) {
    openFile(true);
    ASSERT_TRUE(add(1, "Toy Palace"));
    ASSERT_TRUE(driver.begin(1));
    ASSERT_TRUE(add(2, "Big Toys"));
    ASSERT_TRUE(add(3, "Hardware"));
    ASSERT_TRUE(file->set(1));
    ASSERT_TRUE(file->next());
    record.field("CUS:NAME").assign("Palace of Games"); // indexed before the frame
    ASSERT_TRUE(file->put());
    EXPECT_EQ(containing("TOY"), (std::set<int>{2}));
    EXPECT_EQ(containing("GAMES"), (std::set<int>{1}));
    // A row changed again, and a waiting row deleted, before the commit.
    ASSERT_TRUE(file->set(1));
    while (file->next() && record.field("CUS:CUSTOMERID").integer() != 1) {
    }
    record.field("CUS:NAME").assign("Palace of Toys");
    ASSERT_TRUE(file->put());
    while (file->next() && record.field("CUS:CUSTOMERID").integer() != 3) {
    }
    ASSERT_TRUE(file->remove());
    ASSERT_TRUE(driver.commit());
    EXPECT_EQ(indexed("\"toy\""), 2);
    EXPECT_EQ(indexed("\"gam\""), 0);
    EXPECT_EQ(indexed("\"har\""), 0);
    execute("INSERT INTO CUSTOMER_search(CUSTOMER_search) VALUES ('integrity-check')");

    ASSERT_TRUE(driver.begin(1));
    ASSERT_TRUE(add(4, "Toyland"));
    ASSERT_TRUE(driver.rollback());
    EXPECT_EQ(containing("TOY"), (std::set<int>{1, 2}));
    EXPECT_EQ(indexed("\"toy\""), 2);
    file->close();
}

// A data base whose index was made by the earlier form (which kept the columns of the
// trigrams) opens with the index made again in the present form, every record kept and
// found, and the index kept from then on.
TEST_F(SearchIndexTest, AnIndexOfTheEarlierFormIsMadeAgain) {
    writeTwoCustomersUnmarked();
    const std::string added = "INSERT INTO CUSTOMER_search(rowid, NAME, CONTACT) VALUES "
                              "(new._id, new.NAME, new.CONTACT);";
    execute("CREATE VIRTUAL TABLE CUSTOMER_search USING fts5(NAME, CONTACT, content=CUSTOMER, "
            "content_rowid=_id, tokenize='trigram', detail=column, columnsize=0);"
            "CREATE TRIGGER CUSTOMER_search_added AFTER INSERT ON CUSTOMER BEGIN " +
            added + " END;INSERT INTO CUSTOMER_search(CUSTOMER_search) VALUES ('rebuild');");
    EXPECT_EQ(indexed("{NAME} : \"toy\""), 1); // only the earlier form filters by column

    openFile(false);
    EXPECT_EQ(file->recordCount(), 2);
    EXPECT_EQ(indexed("\"toy\""), 1);
    EXPECT_EQ(indexed("{NAME} : \"toy\""), -1);
    ASSERT_TRUE(add(3, "Toyland"));
    EXPECT_EQ(containing("TOY"), (std::set<int>{1, 3}));
    file->close();
}

// Set aside for a bulk load, the index is gone and adds go to the table alone; made again,
// it holds every record. Neither can be done inside a transaction frame.
TEST_F(SearchIndexTest, SetAsideForABulkLoadAndMadeAgain) {
    ASSERT_TRUE(driver.openFolder(folder.path()));
    file = driver.makeFile(searchedCustomers(), record);
    ASSERT_TRUE(file->create());
    EXPECT_FALSE(file->sendOption("SEARCHINDEX=off")); // not open
    ASSERT_TRUE(file->open(0x42));
    ASSERT_TRUE(add(1, "Toy Palace"));
    ASSERT_TRUE(driver.begin(1));
    EXPECT_FALSE(file->sendOption("SEARCHINDEX=off"));
    ASSERT_TRUE(driver.commit());
    EXPECT_FALSE(file->sendOption("SEARCHINDEX=maybe"));

    ASSERT_TRUE(file->sendOption(" searchindex = Off"));
    EXPECT_EQ(indexed("\"toy\""), -1);
    ASSERT_TRUE(add(2, "Big Toys"));
    EXPECT_EQ(containing("TOY"), (std::set<int>{1, 2})); // read whole
    ASSERT_TRUE(file->sendOption("SEARCHINDEX=on"));
    EXPECT_EQ(indexed("\"toy\""), 2);
    ASSERT_TRUE(add(3, "Toyland"));
    EXPECT_EQ(indexed("\"toy\""), 3);
    EXPECT_EQ(containing("TOY"), (std::set<int>{1, 2, 3}));
    file->close();
}

} // namespace
