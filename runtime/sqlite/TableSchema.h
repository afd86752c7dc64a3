#pragma once

#include "runtime/files/FileDefinition.h"
#include "runtime/sqlite/OrderTerm.h"

#include <string>
#include <vector>

namespace host::sqlite {

// The table of a data file: its name (the file's name on disk), a column per field named
// after the field's label without its prefix ("CUS:NAME" is "NAME"), and an index per
// key, UNIQUE unless the key allows duplicates, COLLATE NOCASE on the text components of
// a key that ignores case. Two hidden columns come first: _id, the record's number (its
// position in record order), and _version, counted up by every write so that a watched
// record shows whether another station changed it.
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

    std::string createTableSql() const;
    std::string indexName(int key) const;
    std::string createIndexSql(int key) const;

    // "_id, _version, "NAME", ..." with every column prefixed by `alias.` when given.
    std::string selectList(const std::string& alias = {}) const;
    // Terms of key k's order (k = 0: record order), ending with the row id, with every
    // column prefixed by `alias.` when given.
    OrderTerms keyTerms(int key, const std::string& alias = {}) const;
    // The column expression of a key component, with its collation.
    std::string componentExpression(int key, int component, const std::string& alias = {}) const;
    // Whether a field is compared without regard to case in key k.
    bool ignoresCase(int key, int field) const;

    std::string insertSql() const;
    // "UPDATE ... SET <fields>, _version = _version + 1 WHERE _id = ?n" (+ "AND _version = ?m"
    // when watched): fields bind as ?1..?fieldCount, then the id, then the version.
    std::string updateSql(bool watched) const;
    std::string deleteSql(bool watched) const;

private:
    FileDefinition definition_;
    std::string table_;
    std::vector<std::string> columns_;
};

} // namespace host::sqlite
