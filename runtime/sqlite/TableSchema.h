#pragma once

#include "runtime/files/FileDefinition.h"
#include "runtime/records/ColumnNames.h"
#include "runtime/sqlite/OrderTerm.h"

#include <cstdint>
#include <string>
#include <vector>

namespace host::sqlite {

// The table of a data file, named as ColumnNames names it, with an index per key, UNIQUE
// unless the key allows duplicates, COLLATE NOCASE on the text components of a key that
// ignores case. Hidden columns: _id, the record's number (its position in record order),
// _version, counted up by every write so that a watched record shows whether another
// station changed it, and _free, which marks placeholder records.
//
// Placeholders. An ordinary record has _free 0. A placeholder (a record added for one
// still being entered, RecordFile::addPlaceholder) holds in _free the unique keys it
// leaves free, bit k-1 for key k (keys 1 to 62; later keys are always claimed). The
// index of a unique key k ends with the placeholders' term
//   CASE WHEN _free & b THEN _id ELSE 0 END
// b being the key's bit: 0 for ordinary records and for placeholders that claim the key,
// so these clash as ever; the placeholder's own row id for one that leaves the key free,
// which then clashes with nothing. The term is also an order term of the key (before the
// row id), so that a read in the key's order walks the index as it lies, with no sort;
// equal key values thus come with the record claiming the value first, then the
// placeholders leaving it free in record order. A write over a placeholder sets _free to
// 0.
//
// Tables written before the term was an order term end their unique keys' indexes with
// nullif(_free & b, b) instead (NULL for a placeholder leaving the key free). Such a
// table has `nullTermIndexes`: its keys order by their columns and the row id (SQLite
// sorts the equal values' run), until its file makes the indexes again.
//
// A table written before placeholders were known has no _free column: it is `legacy`
// until its file upgrades it (the indexes then are the plain ones, and a placeholder is
// an ordinary record).
//
// Statements select the columns as "_id, _version, <fields...>, _free" (no _free in a
// legacy table), so field n is result column n + 1.
class TableSchema {
public:
    static constexpr int firstFieldColumn = 2;

    TableSchema() = default;
    explicit TableSchema(const FileDefinition& definition);

    const std::string& table() const { return names_.table(); }
    std::string quotedTable() const;
    // Column name of field n (1-based).
    const std::string& column(int field) const { return names_.column(field); }
    int fieldCount() const { return names_.fieldCount(); }
    const FileDefinition& definition() const { return definition_; }

    bool isLegacy() const { return legacy_; }
    void setLegacy(bool legacy) { legacy_ = legacy; }
    bool hasNullTermIndexes() const { return nullTermIndexes_; }
    void setNullTermIndexes(bool old) { nullTermIndexes_ = old; }

    std::string createTableSql() const;
    // Adds the _free column to a legacy table.
    std::string addFreeColumnSql() const;
    const std::string& indexName(int key) const { return names_.indexName(key); }
    std::string createIndexSql(int key) const;
    // Key k's index as tables with `nullTermIndexes` hold it.
    std::string nullTermIndexSql(int key) const;
    // The bit of a key in _free: 0 for a key that allows duplicates, beyond bit 62, or in
    // a legacy table.
    std::int64_t freeBit(int key) const;
    // The condition leaving out the placeholders that leave key k free (empty when the
    // key has no bit).
    std::string claimsKeyCondition(int key) const;
    // Whether key k's order has the placeholders' term (its index has it to walk).
    bool ordersPlaceholders(int key) const { return !nullTermIndexes_ && freeBit(key) != 0; }
    // The placeholders' term of key k as an order term, with every column prefixed by
    // `alias.` when given; empty when the key's order has none.
    std::string placeholderTerm(int key, const std::string& alias = {}) const;
    // The placeholders' term's value of key k for a record read with selectList.
    std::int64_t placeholderTermValue(int key, std::int64_t id, std::int64_t free) const;
    // Result column of _free in selectList (a non-legacy table).
    int freeColumn() const { return firstFieldColumn + fieldCount(); }

    // "_id, _version, "NAME", ..., _free" with every column prefixed by `alias.` when
    // given.
    std::string selectList(const std::string& alias = {}) const;
    // Terms of key k's order (k = 0: record order): its components, the placeholders'
    // term (when placeholderTerm gives one), then the row id, with every column prefixed
    // by `alias.` when given.
    OrderTerms keyTerms(int key, const std::string& alias = {}) const;
    // The statement that reads the next record (the previous one when `backward`) in key
    // k's order (k = 0: record order), after the place given by the first `count` order
    // terms' values (see keyset::after; none: from the start or the end). It names the
    // key's index: with `nullTermIndexes` the order's row id does not follow the key's own
    // columns in a unique key's index, and SQLite would otherwise sort the whole table.
    std::string readSql(int key, bool backward, int count, bool inclusive) const;
    // The column expression of a key component, with its collation.
    std::string componentExpression(int key, int component, const std::string& alias = {}) const;
    // Whether a field is compared without regard to case in key k.
    bool ignoresCase(int key, int field) const;

    // The search index: for the fields the declaration marks as searched, an FTS5 table
    // "<table>_search" of their trigrams over the table's own rows (external content, row
    // ids the table's _id), kept by triggers on every insert, update and delete, so that a
    // "contains" test reads only the rows holding every trigram of the text sought. The
    // index keeps only which rows hold a trigram: not in which column nor where
    // (detail=none), nor the columns' sizes. It is the smallest form and the quickest to
    // keep; the exact test is made on every candidate anyway, so a row that holds the
    // trigrams in another searched field is only one candidate more.
    //
    // SQLite's FTS5 writes out what it holds in memory at every statement of a
    // transaction that writes to it: kept row by row, each add would cost a write of its
    // own to the index. So the triggers only note an added or changed row in
    // "<table>_search_pending", and the rows noted go into the index together when the
    // transaction frame commits (or right after an add outside one). A search reads the
    // rows noted as candidates too, so it finds them before they are in the index.
    bool wantsSearch() const { return !definition_.searchedFields().empty(); }
    // The index is there to be used (made, or found when the file opened).
    bool isSearchReady() const { return searchReady_; }
    void setSearchReady(bool ready) { searchReady_ = ready; }
    std::string searchTable() const { return table() + "_search"; }
    std::string searchPendingTable() const { return table() + "_search_pending"; }
    bool searches(int field) const;
    // The statements that make the index and its triggers and fill it from the table.
    std::vector<std::string> createSearchSql() const;
    // The statement that makes the index's table, as the data base keeps it: an index made
    // by another form of it is made again.
    std::string createSearchTableSql() const;
    // The statements that put the rows noted into the index and clear the note.
    std::string applyPendingSearchSql() const;
    // The statement that drops the index (its triggers go with the table, or with it).
    std::vector<std::string> dropSearchSql() const;

    // Fields bind as ?1..?fieldCount; a placeholder's _free then as ?fieldCount+1.
    std::string insertSql(bool placeholder = false) const;
    // "UPDATE ... SET <fields>, _free = 0, _version = _version + 1 WHERE _id = ?n" (+ "AND
    // _version = ?m" when watched): fields bind as ?1..?fieldCount, then the id, then the
    // version.
    std::string updateSql(bool watched) const;
    std::string deleteSql(bool watched) const;

private:
    FileDefinition definition_;
    records::ColumnNames names_;
    bool legacy_ = false;
    bool nullTermIndexes_ = false;
    bool searchReady_ = false;
};

} // namespace host::sqlite
