#pragma once

#include "runtime/records/SqlRecordFile.h"
#include "runtime/sqlite/ColumnValue.h"
#include "runtime/sqlite/LockFile.h"
#include "runtime/sqlite/Statement.h"
#include "runtime/sqlite/TableSchema.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;

namespace host::sqlite {

class Database;

// A data file stored as a table of the folder's SQLite data base (see TableSchema for
// the table, Database for the folder). Between stations:
// - opens lock the file's bytes in the lock file by their access and sharing, so that an
//   exclusive open elsewhere answers 5;
// - a held record is an exclusive lock on the record's byte; reads and writes of other
//   stations test it and answer 43;
// - a watched record remembers its _version; a write compares it in the same statement
//   and answers 89 when another station wrote the record since.
class SqliteRecordFile final : public records::SqlRecordFile {
public:
    SqliteRecordFile(Database& database, FileDefinition definition, Record& buffer);
    ~SqliteRecordFile() override;

    bool open(int mode = openMode::shared) override;
    bool close() override;
    bool create() override;
    bool rebuildKeys() override;
    bool flush() override;

    bool put() override;
    bool remove() override;

    bool get(int keyNumber) override;
    bool getAt(std::string_view position) override;
    bool reset(int keyNumber, std::string_view position) override;
    std::string position() const override { return position(order_); }
    std::string position(int keyNumber) const override;

    bool wouldDuplicate(int keyNumber, bool overCurrent = false) override;
    void skipMemosOnNextRead() override { skipMemos_ = true; }

    void release() override;
    bool isHeld() const override;

    std::int64_t recordCount() override;
    std::int64_t sizeInBytes() override;

    bool enlist() override;
    bool isEnlisted() const override;

    // For views over the file.
    Database& database() const { return database_; }
    const TableSchema& schema() const { return schema_; }
    // How long an operation of this file waits for a busy data base ("Recover=").
    int busyMilliseconds() const { return busyMilliseconds_; }

private:
    bool checkTable();
    // Before creating: removes an empty table of the file's name; refuses (90) when it
    // holds records or cannot be looked at.
    bool clearAway();
    // The names of the table's columns; nullopt with the error set on failure.
    std::optional<std::vector<std::string>> columnNames();
    // The same for the file's table, answering 2 when there is none.
    std::optional<std::vector<std::string>> existingColumns();
    // Brings a table written before placeholders and ordered wide decimals up to date:
    // adds the _free column, stores wide decimals in their ordered form, and makes the
    // indexes again (all in one step, or nothing).
    bool upgradeTable();
    // Makes the unique keys' indexes of a table with `nullTermIndexes` again in the
    // current form, so that reads in their order need no sort (in one step, or nothing).
    bool upgradeIndexes();
    bool makeSearch();
    bool keepSearch(bool kept);
    void putPendingInSearch();
    bool makeIndexes();
    bool insert(std::int64_t free) override;
    std::int64_t freeBit(int keyNumber) const override { return schema_.freeBit(keyNumber); }
    // What opening and creating begin with: the file must be closed and the data base
    // open; takes the file's slot in the catalog and opens the lock file. `existing`: the
    // table must be there already, with the columns the definition gives (checkTable).
    bool attach(bool existing);
    bool lockOpen(int mode);
    std::int64_t recordByte(std::int64_t id) const;

    const Statement* statement(std::uint64_t cacheKey, const std::string& sql) const;
    // The kept statement that finds the first record whose key `keyNumber` holds the
    // buffer's values, with those values bound (the caller resets it: StatementUse).
    // `whole`: it reads the record's columns in key order; otherwise only whether there
    // is one. Null, with the error set, when it cannot be prepared.
    // Steps a statement that reads one record onto its row; false, with "record not
    // found" when there is none or the data base's error. `bind` binds its values again
    // before another try (Database::step).
    bool stepToRecord(sqlite3_stmt* query, const std::function<void()>& bind) const;
    // `condition`, when given, is added to the lookup's WHERE; it may use parameters after
    // the key's components.
    const Statement* keyLookup(std::uint64_t cacheId, int keyNumber, bool whole,
                               const std::string& condition = {});
    const Statement* readStatement(bool backward, int count, bool inclusive);
    bool read(bool backward) override;
    // "SEARCHINDEX=off|on": sets the search index aside for a bulk load and makes it again.
    std::optional<bool> driverOption(const std::string& name, const std::string& value,
                                     std::string_view option) override;
    // Makes the row a stepped statement stands on the current record: tests and takes
    // holds, loads the buffer, arms the watch.
    bool accept(sqlite3_stmt* row);
    // Loads the row into the buffer and makes it the current record.
    void take(sqlite3_stmt* row);
    // The values of key k's terms (ending with the row id) of a stepped row.
    void readTermValues(sqlite3_stmt* row, int keyNumber, std::vector<SqlValue>& values) const;
    std::optional<std::vector<SqlValue>> rowKeyValues(std::int64_t id, int keyNumber) const;
    bool write(bool erase);

    Database& database_;
    TableSchema schema_;
    mutable LockFile locks_;
    mutable std::unordered_map<std::uint64_t, Statement> statements_;
    std::int64_t slot_ = 0;

    std::vector<SqlValue> nextAnchor_; // reused storage for the anchor of the next read
    bool skipMemos_ = false;
};

} // namespace host::sqlite
