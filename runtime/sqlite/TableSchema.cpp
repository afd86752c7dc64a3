#include "runtime/sqlite/TableSchema.h"

#include "runtime/base/Value.h"
#include "runtime/sqlite/Database.h"
#include "runtime/sqlite/FieldBinding.h"

#include <algorithm>

namespace host::sqlite {

namespace {

std::string prefixed(const std::string& alias, const std::string& column) {
    return alias.empty() ? column : alias + "." + column;
}

// A placeholder leaving the key free orders (and is unique) by its row id; every other
// record has 0 and clashes on an equal key value.
std::string orderedTerm(std::int64_t bit, const std::string& alias) {
    return "CASE WHEN " + prefixed(alias, "_free") + " & " + std::to_string(bit) + " THEN " +
           prefixed(alias, "_id") + " ELSE 0 END";
}

std::string indexColumns(const TableSchema& schema, int key) {
    const KeyDefinition& definition = schema.definition().key(key);
    std::string sql;
    for (int c = 1; c <= definition.componentCount(); ++c) {
        if (c > 1)
            sql += ", ";
        sql += schema.componentExpression(key, c);
        if (!definition.component(c).ascending)
            sql += " DESC";
    }
    return sql;
}

} // namespace

TableSchema::TableSchema(const FileDefinition& definition)
    : definition_(definition), names_(definition) {}

std::string TableSchema::quotedTable() const {
    return quoted(table());
}

std::string TableSchema::createTableSql() const {
    std::string sql = "CREATE TABLE " + quotedTable() +
                      " (_id INTEGER PRIMARY KEY, _version INTEGER NOT NULL DEFAULT 0, _free "
                      "INTEGER NOT NULL DEFAULT 0";
    for (int n = 1; n <= fieldCount(); ++n) {
        const FieldType& type = definition_.layout()->field(n).type;
        sql += ", " + quoted(column(n)) + " " + fieldCodec::columnType(type) +
               " NOT NULL DEFAULT " + fieldCodec::blankLiteral(type);
    }
    return sql + ")";
}

bool TableSchema::searches(int field) const {
    const std::vector<int>& fields = definition_.searchedFields();
    return std::find(fields.begin(), fields.end(), field) != fields.end();
}

std::vector<std::string> TableSchema::createSearchSql() const {
    std::string index = quoted(searchTable());
    std::string pending = quoted(searchPendingTable());
    std::string columns, old, changed;
    for (int field : definition_.searchedFields()) {
        std::string column = quoted(this->column(field));
        columns += ", " + column;
        old += ", old." + column;
        changed += " OR old." + column + " IS NOT new." + column;
    }
    // A row still waiting is not in the index yet: nothing to take out of it.
    std::string removeOld = "INSERT INTO " + index + "(" + index + ", rowid" + columns +
                            ") SELECT 'delete', old._id" + old +
                            " WHERE NOT EXISTS (SELECT 1 FROM " + pending +
                            " WHERE id = old._id); DELETE FROM " + pending + " WHERE id = old._id;";
    std::string addNew = "INSERT OR IGNORE INTO " + pending + "(id) VALUES (new._id);";
    return {
        "CREATE VIRTUAL TABLE " + index + " USING fts5(" + columns.substr(2) + ", content=" +
            quoted(table()) + ", content_rowid=_id, tokenize='trigram', detail=none, columnsize=0)",
        "CREATE TABLE " + pending + " (id INTEGER PRIMARY KEY)",
        "CREATE TRIGGER " + quoted(searchTable() + "_added") + " AFTER INSERT ON " + quotedTable() +
            " BEGIN " + addNew + " END",
        "CREATE TRIGGER " + quoted(searchTable() + "_removed") + " AFTER DELETE ON " +
            quotedTable() + " BEGIN " + removeOld + " END",
        "CREATE TRIGGER " + quoted(searchTable() + "_changed") + " AFTER UPDATE ON " +
            quotedTable() + " WHEN old._id IS NOT new._id" + changed + " BEGIN " + removeOld + " " +
            addNew + " END",
        // Larger leaves, and merges of eight segments at a time rather than four: fewer
        // and bigger writes while records are added.
        "INSERT INTO " + index + "(" + index + ", rank) VALUES ('pgsz', 4000)",
        "INSERT INTO " + index + "(" + index + ", rank) VALUES ('automerge', 8)",
        "INSERT INTO " + index + "(" + index + ") VALUES ('rebuild')",
    };
}

std::string TableSchema::createSearchTableSql() const {
    return createSearchSql().front();
}

std::string TableSchema::applyPendingSearchSql() const {
    std::string index = quoted(searchTable());
    std::string pending = quoted(searchPendingTable());
    std::string columns, values;
    for (int field : definition_.searchedFields()) {
        std::string column = quoted(this->column(field));
        columns += ", " + column;
        values += ", t." + column;
    }
    return "INSERT INTO " + index + "(rowid" + columns + ") SELECT t._id" + values + " FROM " +
           pending + " AS w JOIN " + quotedTable() + " AS t ON t._id = w.id; DELETE FROM " +
           pending;
}

std::vector<std::string> TableSchema::dropSearchSql() const {
    return {"DROP TRIGGER IF EXISTS " + quoted(searchTable() + "_added"),
            "DROP TRIGGER IF EXISTS " + quoted(searchTable() + "_removed"),
            "DROP TRIGGER IF EXISTS " + quoted(searchTable() + "_changed"),
            "DROP TABLE IF EXISTS " + quoted(searchPendingTable()),
            "DROP TABLE IF EXISTS " + quoted(searchTable())};
}

std::string TableSchema::addFreeColumnSql() const {
    return "ALTER TABLE " + quotedTable() + " ADD COLUMN _free INTEGER NOT NULL DEFAULT 0";
}

std::int64_t TableSchema::freeBit(int key) const {
    if (legacy_ || key < 1 || key > 62 || definition_.key(key).duplicates)
        return 0;
    return std::int64_t{1} << (key - 1);
}

std::string TableSchema::claimsKeyCondition(int key) const {
    std::int64_t bit = freeBit(key);
    return bit == 0 ? std::string() : "(_free & " + std::to_string(bit) + ") = 0";
}

std::string TableSchema::placeholderTerm(int key, const std::string& alias) const {
    return ordersPlaceholders(key) ? orderedTerm(freeBit(key), alias) : std::string();
}

std::int64_t TableSchema::placeholderTermValue(int key, std::int64_t id, std::int64_t free) const {
    return (free & freeBit(key)) != 0 ? id : 0;
}

bool TableSchema::ignoresCase(int key, int field) const {
    return key > 0 && definition_.key(key).ignoreCase &&
           definition_.layout()->field(field).type.isText();
}

std::string TableSchema::componentExpression(int key, int component,
                                             const std::string& alias) const {
    int field = definition_.key(key).component(component).field;
    std::string expression = prefixed(alias, quoted(column(field)));
    if (ignoresCase(key, field))
        expression += " COLLATE NOCASE";
    return expression;
}

std::string TableSchema::createIndexSql(int key) const {
    const KeyDefinition& definition = definition_.key(key);
    std::string sql = std::string("CREATE ") + (definition.duplicates ? "" : "UNIQUE ") + "INDEX " +
                      quoted(indexName(key)) + " ON " + quotedTable() + " (" +
                      indexColumns(*this, key);
    if (std::int64_t bit = freeBit(key))
        sql += ", " + orderedTerm(bit, {});
    return sql + ")";
}

std::string TableSchema::nullTermIndexSql(int key) const {
    const KeyDefinition& definition = definition_.key(key);
    std::string sql = std::string("CREATE ") + (definition.duplicates ? "" : "UNIQUE ") + "INDEX " +
                      quoted(indexName(key)) + " ON " + quotedTable() + " (" +
                      indexColumns(*this, key);
    if (std::int64_t bit = freeBit(key)) {
        std::string b = std::to_string(bit);
        sql += ", nullif(_free & " + b + ", " + b + ")";
    }
    return sql + ")";
}

std::string TableSchema::selectList(const std::string& alias) const {
    std::string sql = prefixed(alias, "_id") + ", " + prefixed(alias, "_version");
    for (int n = 1; n <= fieldCount(); ++n)
        sql += ", " + prefixed(alias, quoted(column(n)));
    if (!legacy_)
        sql += ", " + prefixed(alias, "_free");
    return sql;
}

OrderTerms TableSchema::keyTerms(int key, const std::string& alias) const {
    OrderTerms terms;
    if (key > 0) {
        const KeyDefinition& definition = definition_.key(key);
        for (int c = 1; c <= definition.componentCount(); ++c)
            terms.push_back(
                {componentExpression(key, c, alias), definition.component(c).ascending});
    }
    // The placeholders' term and then the row id break ties ascending, as the index holds
    // them: SQLite keeps an index's equal entries in row id order whatever the directions
    // of its columns.
    if (std::string term = placeholderTerm(key, alias); !term.empty())
        terms.push_back({term, true});
    terms.push_back({prefixed(alias, "_id"), true});
    return terms;
}

std::string TableSchema::readSql(int key, bool backward, int count, bool inclusive) const {
    OrderTerms terms = keyTerms(key);
    std::string sql = "SELECT " + selectList() + " FROM " + quotedTable();
    if (key > 0)
        sql += " INDEXED BY " + quoted(indexName(key));
    if (count > 0)
        sql += " WHERE " + keyset::after(terms, count, backward, inclusive, 1);
    return sql + keyset::orderBy(terms, backward) + " LIMIT 1";
}

std::string TableSchema::insertSql(bool placeholder) const {
    std::string sql = "INSERT INTO " + quotedTable() + " (";
    std::string values;
    for (int n = 1; n <= fieldCount(); ++n) {
        if (n > 1) {
            sql += ", ";
            values += ", ";
        }
        sql += quoted(column(n));
        values += "?" + std::to_string(n);
    }
    if (placeholder && !legacy_) {
        sql += ", _free";
        values += ", ?" + std::to_string(fieldCount() + 1);
    }
    return sql + ") VALUES (" + values + ")";
}

std::string TableSchema::updateSql(bool watched) const {
    std::string sql = "UPDATE " + quotedTable() + " SET ";
    for (int n = 1; n <= fieldCount(); ++n)
        sql += quoted(column(n)) + " = ?" + std::to_string(n) + ", ";
    if (!legacy_)
        sql += "_free = 0, ";
    sql += "_version = _version + 1 WHERE _id = ?" + std::to_string(fieldCount() + 1);
    if (watched)
        sql += " AND _version = ?" + std::to_string(fieldCount() + 2);
    return sql;
}

std::string TableSchema::deleteSql(bool watched) const {
    std::string sql = "DELETE FROM " + quotedTable() + " WHERE _id = ?1";
    if (watched)
        sql += " AND _version = ?2";
    return sql;
}

} // namespace host::sqlite
