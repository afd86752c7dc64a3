#pragma once

#include "runtime/files/FileDefinition.h"
#include "runtime/records/ColumnNames.h"
#include "runtime/records/SqlValue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace host::postgres {

using records::SqlValue;

// One term of an order: its SQL expression, direction, and the kind of value it gives.
struct PgTerm {
    std::string expression;
    bool ascending = true;
    SqlValue::Type type = SqlValue::Type::Integer;
    bool ignoreCase = false; // a text compared folded (lower() in the C collation)
};
using PgTerms = std::vector<PgTerm>;

// The table of a data file on the server, laid out as the SQLite driver lays it out (the
// same table, column and index names, so that a data folder can be copied across): a
// column per field, _id (record order), _version (counted up by every write, for
// watches) and _free (the keys a placeholder leaves free, bit k-1 for key k).
//
// Text columns use the "C" collation, so that text orders by its bytes as on SQLite; a
// key that ignores case orders its text components by lower(), which in the "C"
// collation folds only A to Z, as SQLite's NOCASE does. An index per key: a unique key's
// index ends with the placeholders' term (0 for a record claiming the key, the row's own
// id for a placeholder leaving it free), which also ends the key's order; a key with
// duplicates orders its equal values by _id, which ends its index.
class PgSchema {
public:
    PgSchema() = default;
    explicit PgSchema(const FileDefinition& definition);

    const FileDefinition& definition() const { return definition_; }
    const std::string& table() const { return names_.table(); }
    std::string quotedTable() const;
    const std::string& column(int field) const { return names_.column(field); }
    int fieldCount() const { return names_.fieldCount(); }
    std::string indexName(int key) const { return names_.indexName(key); }

    // The kind of value field n is stored as.
    SqlValue::Type fieldType(int field) const;
    // "$n::bigint" and the like: a parameter of a value of this kind.
    static std::string parameter(int number, SqlValue::Type type);

    std::string createTableSql() const;
    std::string createIndexSql(int key) const;
    std::int64_t freeBit(int key) const;
    std::string claimsKeyCondition(int key) const;

    // "_id, _version, "NAME", ..., _free" (prefixed by `alias.` when given).
    std::string selectList(const std::string& alias = {}) const;
    int freeColumn() const { return 2 + fieldCount(); }
    // Key k's order (0: record order), ending with a term that makes every record's
    // values distinct.
    PgTerms keyTerms(int key, const std::string& alias = {}) const;
    // The expression of key component c (folded when the key ignores case).
    std::string componentExpression(int key, int component, const std::string& alias = {}) const;
    bool ignoresCase(int key, int field) const;

    std::string insertSql(bool placeholder) const;
    std::string updateSql(bool watched) const;
    std::string deleteSql(bool watched) const;

private:
    FileDefinition definition_;
    records::ColumnNames names_;
};

// Keyset paging over an order: the condition placing a row after (before, reading
// backward) the place given by the first `count` terms' values, bound from parameter
// `first` on; `inclusive` also takes a row whose values equal it. Terms that all run one
// way compare as one row value, which the server seeks in the order's index.
std::string keysetAfter(const PgTerms& terms, int count, bool backward, bool inclusive, int first);
std::string keysetOrderBy(const PgTerms& terms, bool backward);

} // namespace host::postgres
