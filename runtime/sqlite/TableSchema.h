#pragma once

#include "runtime/files/FileDefinition.h"
#include "runtime/sqlite/OrderTerm.h"

#include <cstdint>
#include <string>
#include <vector>

namespace host::sqlite {

// The table of a data file: its name (the file's name on disk), a column per field named
// after the field's label without its prefix ("CUS:NAME" is "NAME"), and an index per
// key, UNIQUE unless the key allows duplicates, COLLATE NOCASE on the text components of
// a key that ignores case. Hidden columns: _id, the record's number (its position in
// record order), _version, counted up by every write so that a watched record shows
// whether another station changed it, and _free, which marks placeholder records.
//
// Placeholders. An ordinary record has _free 0. A placeholder (a record added for one
// still being entered, RecordFile::addPlaceholder) holds in _free the unique keys it
// leaves free, bit k-1 for key k (keys 1 to 62; later keys are always claimed). The
// index of a unique key k ends with nullif(_free & b, b), b being the key's bit: 0 for
// ordinary records and for placeholders that claim the key, so these clash as ever; NULL
// for a placeholder that leaves the key free, which then clashes with nothing (a unique
// index takes NULLs as distinct). A write over a placeholder sets _free to 0.
//
// A table written before placeholders were known has no _free column: it is `legacy`
// until its file upgrades it (the indexes then are the plain ones, and a placeholder is
// an ordinary record).
//
// Statements select the columns as "_id, _version, <fields...>", so field n is result
// column n + 1.
class TableSchema {
public:
    static constexpr int firstFieldColumn = 2;

    TableSchema() = default;
    explicit TableSchema(const FileDefinition& definition);

    const std::string& table() const { return table_; }
    std::string quotedTable() const;
    // Column name of field n (1-based).
    const std::string& column(int field) const {
        return columns_.at(static_cast<size_t>(field - 1));
    }
    int fieldCount() const { return static_cast<int>(columns_.size()); }
    const FileDefinition& definition() const { return definition_; }

    bool isLegacy() const { return legacy_; }
    void setLegacy(bool legacy) { legacy_ = legacy; }

    std::string createTableSql() const;
    // Adds the _free column to a legacy table.
    std::string addFreeColumnSql() const;
    std::string indexName(int key) const;
    std::string createIndexSql(int key) const;
    // The bit of a key in _free: 0 for a key that allows duplicates, beyond bit 62, or in
    // a legacy table.
    std::int64_t freeBit(int key) const;
    // The condition leaving out the placeholders that leave key k free (empty when the
    // key has no bit).
    std::string claimsKeyCondition(int key) const;

    // "_id, _version, "NAME", ..." with every column prefixed by `alias.` when given.
    std::string selectList(const std::string& alias = {}) const;
    // Terms of key k's order (k = 0: record order), ending with the row id, with every
    // column prefixed by `alias.` when given.
    OrderTerms keyTerms(int key, const std::string& alias = {}) const;
    // The statement that reads the next record (the previous one when `backward`) in key
    // k's order (k = 0: record order), after the place given by the first `count` order
    // terms' values (see keyset::after; none: from the start or the end). It names the
    // key's index: the order ends with the row id, which a unique key's index does not
    // give right after the key's own columns (the placeholders' term lies between), and
    // SQLite would otherwise sort the whole table for it.
    std::string readSql(int key, bool backward, int count, bool inclusive) const;
    // The column expression of a key component, with its collation.
    std::string componentExpression(int key, int component, const std::string& alias = {}) const;
    // Whether a field is compared without regard to case in key k.
    bool ignoresCase(int key, int field) const;

    // Fields bind as ?1..?fieldCount; a placeholder's _free then as ?fieldCount+1.
    std::string insertSql(bool placeholder = false) const;
    // "UPDATE ... SET <fields>, _free = 0, _version = _version + 1 WHERE _id = ?n" (+ "AND
    // _version = ?m" when watched): fields bind as ?1..?fieldCount, then the id, then the
    // version.
    std::string updateSql(bool watched) const;
    std::string deleteSql(bool watched) const;

private:
    FileDefinition definition_;
    std::string table_;
    std::vector<std::string> columns_;
    bool legacy_ = false;
};

} // namespace host::sqlite
