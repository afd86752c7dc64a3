#include "runtime/sqlite/SqliteRecordFile.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/records/PositionText.h"
#include "runtime/sqlite/Database.h"
#include "runtime/sqlite/FaultInjection.h"
#include "runtime/sqlite/FieldBinding.h"
#include "runtime/threads/CooperativeWait.h"

#include <algorithm>
#include <chrono>
#include <sqlite3.h>

namespace host::sqlite {

namespace positionText = records::positionText;

namespace {

// The lock file gives each data file a span of bytes, placed by its catalog slot:
// a gate taken while an open checks and takes its locks, one byte each for "open for
// reading", "open for writing", "denies reading" and "denies writing" (shared locks by
// every station that does so), and from recordBase one byte per record id.
constexpr std::int64_t slotSpan = std::int64_t{1} << 40;
constexpr std::int64_t gateByte = 0;
constexpr std::int64_t readersByte = 1;
constexpr std::int64_t writersByte = 2;
constexpr std::int64_t denyReadByte = 3;
constexpr std::int64_t denyWriteByte = 4;
constexpr std::int64_t recordBase = 64;

// Statement cache keys: the statement kind in the low byte, then its parameters.
enum StatementKind : std::uint64_t {
    readKind = 1,
    getKind,
    byIdKind,
    insertKind,
    updateKind,
    deleteKind,
    duplicateKind,
    countKind,
    heldKind,
};

std::uint64_t cacheKey(StatementKind kind, int key = 0, std::uint64_t a = 0, std::uint64_t b = 0,
                       std::uint64_t c = 0) {
    return kind | (static_cast<std::uint64_t>(key) << 8) | (a << 24) | (b << 25) | (c << 40);
}

bool holdsColumn(const std::vector<std::string>& names, std::string_view column) {
    for (const std::string& name : names)
        if (equalIgnoringCase(name, column))
            return true;
    return false;
}

} // namespace

SqliteRecordFile::SqliteRecordFile(Database& database, FileDefinition definition, Record& buffer)
    : SqlRecordFile(std::move(definition), buffer, Database::defaultBusyMilliseconds),
      database_(database) {}

SqliteRecordFile::~SqliteRecordFile() {
    close();
    database_.unlist(this);
}

// ---- The table ----------------------------------------------------------------------------

std::optional<std::vector<std::string>> SqliteRecordFile::columnNames() {
    Statement columns = database_.prepare("SELECT name FROM pragma_table_info(?1)");
    if (!columns.isValid())
        return std::nullopt;
    std::vector<std::string> names;
    StatementUse use(columns);
    sqlite3_bind_text(columns.get(), 1, schema_.table().c_str(), -1, SQLITE_STATIC);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(columns.get())) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 0)));
    if (rc != SQLITE_DONE) {
        database_.fail(rc);
        return std::nullopt;
    }
    return names;
}

std::optional<std::vector<std::string>> SqliteRecordFile::existingColumns() {
    switch (database_.tableExists(schema_.table())) {
    case TableCheck::present:
        return columnNames();
    case TableCheck::absent:
        setError(errors::fileNotFound);
        return std::nullopt;
    case TableCheck::failed:
        break;
    }
    return std::nullopt;
}

// The table must hold a column for every field, and each key's index must be there as
// this file declares it; a missing or different index means the keys must be rebuilt.
// A table without the _free column was written before placeholders: legacy. Indexes of
// the form before the placeholders' term was an order term are taken too (the table then
// has nullTermIndexes).
bool SqliteRecordFile::checkTable() {
    std::optional<std::vector<std::string>> names = existingColumns();
    if (!names)
        return false;
    auto hasColumn = [&](const std::string& column) { return holdsColumn(*names, column); };
    for (int n = 1; n <= schema_.fieldCount(); ++n)
        if (!hasColumn(schema_.column(n)))
            return failInDriver("layout", "The table " + schema_.table() + " has no column " +
                                              schema_.column(n) + " for " + fieldLabel(n));
    schema_.setLegacy(!hasColumn("_free"));
    schema_.setNullTermIndexes(false);
    Statement index = database_.prepare(
        "SELECT sql FROM sqlite_schema WHERE type = 'index' AND name = ?1 COLLATE NOCASE");
    if (!index.isValid())
        return false;
    for (int k = 1; k <= keyCount(); ++k) {
        StatementUse use(index);
        std::string name = schema_.indexName(k);
        sqlite3_bind_text(index.get(), 1, name.c_str(), -1, SQLITE_STATIC);
        const unsigned char* sql = nullptr;
        int rc = sqlite3_step(index.get());
        if (rc == SQLITE_ROW)
            sql = sqlite3_column_text(index.get(), 0);
        else if (rc != SQLITE_DONE)
            return database_.fail(rc);
        std::string_view found = sql ? reinterpret_cast<const char*>(sql) : "";
        if (sql && found != schema_.createIndexSql(k) && found == schema_.nullTermIndexSql(k)) {
            schema_.setNullTermIndexes(true);
        } else if (!sql || found != schema_.createIndexSql(k)) {
            setError(errors::invalidKeyFile);
            return false;
        }
    }
    // The search index is used only in the form this program makes it; one missing or of
    // another form is made again (see open).
    schema_.setSearchReady(false);
    if (schema_.wantsSearch()) {
        // Its table, the table of rows waiting for it and its triggers, as made now.
        std::vector<std::string> made = schema_.createSearchSql();
        made.resize(5);
        Statement search = database_.prepare(
            "SELECT sql FROM sqlite_schema WHERE name IN (?1, ?2, ?3, ?4, ?5) COLLATE NOCASE");
        if (!search.isValid())
            return false;
        StatementUse use(search);
        std::string base = schema_.searchTable();
        std::string names[] = {base, schema_.searchPendingTable(), base + "_added",
                               base + "_removed", base + "_changed"};
        for (int n = 0; n < 5; ++n)
            sqlite3_bind_text(search.get(), n + 1, names[n].c_str(), -1, SQLITE_STATIC);
        std::vector<std::string> found;
        int rc;
        while ((rc = sqlite3_step(search.get())) == SQLITE_ROW)
            if (const unsigned char* sql = sqlite3_column_text(search.get(), 0))
                found.emplace_back(reinterpret_cast<const char*>(sql));
        if (rc != SQLITE_DONE)
            return database_.fail(rc);
        std::sort(made.begin(), made.end());
        std::sort(found.begin(), found.end());
        schema_.setSearchReady(found == made);
    }
    return true;
}

// Sets the search index aside (dropped with its triggers: adds then cost no more than to
// a file without searched fields) or makes it afresh from the records, for a bulk load.
// The file must be open for writing, outside a transaction frame (whose rollback would
// undo the change but not what this file knows of it).
bool SqliteRecordFile::keepSearch(bool kept) {
    if (!open_)
        return checkOpen();
    if (!writable_ || database_.inTransaction())
        return failInDriver("option", kept ? "The search index cannot be made now"
                                           : "The search index cannot be set aside now");
    if (!schema_.wantsSearch() || schema_.isSearchReady() == kept) {
        clearError();
        return true;
    }
    statements_.clear();
    bool done = database_.execute("SAVEPOINT keep_search");
    if (done && kept) {
        done = makeSearch();
    } else if (done) {
        for (const std::string& sql : schema_.dropSearchSql())
            done = done && database_.execute(sql);
        schema_.setSearchReady(false);
    }
    done = done && database_.execute("RELEASE keep_search");
    if (!done) {
        database_.abandonSavepoint("keep_search");
        schema_.setSearchReady(!kept); // the savepoint undid it all
        return false;
    }
    clearError();
    return true;
}

// The rows the triggers noted go into the search index when the frame commits, all in
// one statement; outside a frame, now. Failing leaves them noted, found all the same.
void SqliteRecordFile::putPendingInSearch() {
    if (!schema_.isSearchReady())
        return;
    std::string sql = schema_.applyPendingSearchSql();
    if (database_.inTransaction())
        database_.runBeforeCommit(sql);
    else
        sqlite3_exec(database_.handle(), sql.c_str(), nullptr, nullptr, nullptr);
}

// Makes the search index afresh (inside the caller's savepoint); nothing for a file
// without searched fields.
bool SqliteRecordFile::makeSearch() {
    schema_.setSearchReady(false);
    if (!schema_.wantsSearch())
        return true;
    for (const std::string& sql : schema_.dropSearchSql())
        if (!database_.execute(sql))
            return false;
    for (const std::string& sql : schema_.createSearchSql())
        if (!database_.execute(sql))
            return false;
    schema_.setSearchReady(true);
    return true;
}

// ---- Opening -------------------------------------------------------------------------------

bool SqliteRecordFile::lockOpen(int mode) {
    int access = mode & openMode::accessMask;
    int sharing = mode & openMode::sharingMask;
    bool reads = access != openMode::writeOnly;
    bool writes = access != openMode::readOnly;
    bool deniesRead = sharing == openMode::denyAll || sharing == openMode::denyRead;
    bool deniesWrite = sharing == openMode::denyAll || sharing == openMode::denyWrite;
    if (writes && !locks_.isWritable()) {
        setError(errors::accessDenied);
        return false;
    }
    // Without a lock file (a read-only folder that never had one) nobody takes locks.
    if (!locks_.isOpen())
        return true;
    // A lock file that can only be read takes the gate shared: it still keeps out an
    // exclusive open that checks meanwhile, and such a station only takes shared locks.
    bool gateExclusive = locks_.isWritable();
    std::int64_t base = slot_ * slotSpan;
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(lockWaitMilliseconds_);
    for (;;) {
        if (!locks_.lock(base + gateByte, 1, gateExclusive, lockWaitMilliseconds_)) {
            setError(errors::accessDenied);
            return false;
        }
        auto taken = [&](std::int64_t byte) {
            return locks_.lockedElsewhere(base + byte, 1, true);
        };
        bool conflict = (reads && taken(denyReadByte)) || (writes && taken(denyWriteByte)) ||
                        (deniesRead && taken(readersByte)) || (deniesWrite && taken(writersByte));
        if (!conflict) {
            if (reads)
                locks_.lock(base + readersByte, 1, false);
            if (writes)
                locks_.lock(base + writersByte, 1, false);
            if (deniesRead)
                locks_.lock(base + denyReadByte, 1, false);
            if (deniesWrite)
                locks_.lock(base + denyWriteByte, 1, false);
        }
        locks_.unlock(base + gateByte, 1);
        if (!conflict)
            return true;
        if (std::chrono::steady_clock::now() >= deadline) {
            setError(errors::accessDenied);
            return false;
        }
        CooperativeWait::pauseUntil(std::chrono::steady_clock::now() +
                                    CooperativeWait::pollInterval);
    }
}

bool SqliteRecordFile::attach(bool existing) {
    if (open_) {
        setError(errors::alreadyOpen);
        return false;
    }
    // A data base that could not be opened answers why (it is tried again first).
    if (!database_.reopen())
        return false;
    if (!existing && database_.isReadOnly()) {
        setError(errors::accessDenied);
        return false;
    }
    schema_ = TableSchema(definition_);
    statements_.clear();
    if (existing && !checkTable())
        return false;
    database_.setBusyTimeout(busyMilliseconds_);
    std::optional<std::int64_t> slot = database_.slotOf(schema_.table(), !database_.isReadOnly());
    if (!slot) {
        if (errorCode() == errors::fileNotFound)
            return failInDriver("catalog", "The file " + schema_.table() +
                                               " has no place in the catalog _files");
        return false;
    }
    slot_ = *slot;
    // A read-only data base can do without the lock file when there is none and none
    // can be made: nothing is held or written through it.
    if (!locks_.open(database_.lockFilePath()) && !database_.isReadOnly())
        return failInDriver("lock",
                            "The lock file " + database_.lockFilePath() + " cannot be opened");
    return true;
}

bool SqliteRecordFile::open(int mode) {
    if (!attach(true))
        return false;
    bool writes = (mode & openMode::accessMask) != openMode::readOnly;
    if (writes && database_.isReadOnly()) {
        locks_.close();
        setError(errors::accessDenied);
        return false;
    }
    if (!lockOpen(mode)) {
        locks_.close();
        return false;
    }
    open_ = true;
    mode_ = mode;
    writable_ = (mode & openMode::accessMask) != openMode::readOnly;
    database_.setBusyTimeout(busyMilliseconds_);
    // A legacy table is brought up to date by the first station that may write to it,
    // outside a transaction frame (whose rollback would undo it). When that cannot be
    // done now (another station writing, a read-only folder) the file works on as the
    // table stands.
    if (schema_.isLegacy() && writable_ && !database_.inTransaction() && !upgradeTable())
        statements_.clear();
    // Indexes of the form before the placeholders' term was ordered are made again the
    // same way; a read-only station reads by them as they are (sorting runs of equal
    // key values).
    if (schema_.hasNullTermIndexes() && writable_ && !database_.inTransaction() &&
        !upgradeIndexes())
        statements_.clear();
    // A file whose search index is missing (made before the index was known, or set
    // aside for a bulk load) or of another form gets it made afresh from the records by
    // the first station that may write, as above; until then "contains" reads every
    // record.
    if (schema_.wantsSearch() && !schema_.isSearchReady() && writable_ &&
        !database_.inTransaction()) {
        statements_.clear();
        bool made = database_.execute("SAVEPOINT make_search") && makeSearch() &&
                    database_.execute("RELEASE make_search");
        if (!made) {
            database_.abandonSavepoint("make_search");
            schema_.setSearchReady(false);
        }
    }
    order_ = 0;
    place_ = Place::Start;
    anchor_.clear();
    current_.reset();
    held_.reset();
    watched_.reset();
    holdArmed_ = watchArmed_ = skipMemos_ = false;
    database_.setBusyTimeout(busyMilliseconds_);
    clearError();
    return true;
}

bool SqliteRecordFile::close() {
    if (open_) {
        // Closing the lock file's description drops every lock of this file at once.
        locks_.close();
        statements_.clear();
        database_.unlist(this);
        open_ = false;
        current_.reset();
        held_.reset();
        watched_.reset();
    }
    clearError();
    return true;
}

bool SqliteRecordFile::create() {
    if (!attach(false))
        return false;
    // Take the file exclusively for the time of the creation: nobody else may have it
    // open, and nobody can open it half made.
    std::int64_t base = slot_ * slotSpan;
    bool created = false;
    if (locks_.lock(base + gateByte, 1, true, lockWaitMilliseconds_)) {
        if (locks_.lockedElsewhere(base + readersByte, denyWriteByte - readersByte + 1, true)) {
            setError(errors::accessDenied);
        } else {
            database_.setBusyTimeout(busyMilliseconds_);
            created = database_.execute("SAVEPOINT create_file") && clearAway() &&
                      database_.execute(schema_.createTableSql());
            for (int k = 1; created && k <= keyCount(); ++k)
                created = database_.execute(schema_.createIndexSql(k));
            created = created && makeSearch();
            if (created) {
                created = database_.execute("RELEASE create_file");
            } else {
                database_.abandonSavepoint("create_file");
            }
        }
    } else {
        setError(errors::accessDenied);
    }
    locks_.close();
    if (created)
        clearError();
    return created;
}

// An empty table of the file's name is made again from the declaration; one that holds
// records is never replaced, and nothing is when the look-up fails.
bool SqliteRecordFile::clearAway() {
    switch (database_.tableExists(schema_.table())) {
    case TableCheck::absent:
        return true;
    case TableCheck::failed:
        return false;
    case TableCheck::present:
        break;
    }
    Statement any =
        database_.prepare("SELECT EXISTS (SELECT 1 FROM " + schema_.quotedTable() + ")");
    if (!any.isValid())
        return false;
    {
        StatementUse use(any);
        int rc = sqlite3_step(any.get());
        if (rc != SQLITE_ROW)
            return database_.fail(rc);
        if (sqlite3_column_int(any.get(), 0) != 0)
            return failInDriver("create", "The file " + label() + " holds records (table " +
                                              schema_.table() + "): it is not made again");
    }
    return database_.execute("DROP TABLE " + schema_.quotedTable());
}

bool SqliteRecordFile::upgradeTable() {
    statements_.clear();
    bool upgraded = database_.execute("SAVEPOINT upgrade_table") &&
                    database_.execute(schema_.addFreeColumnSql());
    // Wide decimals written as plain text take their ordered form.
    const RecordLayout& layout = *definition_.layout();
    for (int n = 1; upgraded && n <= layout.fieldCount(); ++n) {
        const FieldType& type = layout.field(n).type;
        if (!fieldCodec::isWideDecimal(type))
            continue;
        std::string column = quoted(schema_.column(n));
        Statement rows =
            database_.prepare("SELECT _id, " + column + " FROM " + schema_.quotedTable() +
                              " WHERE typeof(" + column + ") = 'text'");
        Statement update = database_.prepare("UPDATE " + schema_.quotedTable() + " SET " + column +
                                             " = ?1 WHERE _id = ?2");
        upgraded = rows.isValid() && update.isValid();
        std::vector<std::byte> field(type.size);
        StatementUse use(rows);
        int rc = SQLITE_OK;
        while (upgraded && (rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
            fieldBinding::load(rows.get(), 1, field.data(), type);
            StatementUse change(update);
            fieldBinding::bind(update.get(), 1, field.data(), type);
            sqlite3_bind_int64(update.get(), 2, sqlite3_column_int64(rows.get(), 0));
            int written = sqlite3_step(update.get());
            if (written != SQLITE_DONE)
                upgraded = database_.fail(written);
        }
        if (upgraded && rc != SQLITE_DONE)
            upgraded = database_.fail(rc);
    }
    schema_.setLegacy(false);
    upgraded = upgraded && makeIndexes() && database_.execute("RELEASE upgrade_table");
    if (!upgraded) {
        schema_.setLegacy(true);
        database_.abandonSavepoint("upgrade_table");
        return false;
    }
    schema_.setNullTermIndexes(false);
    return true;
}

bool SqliteRecordFile::upgradeIndexes() {
    statements_.clear();
    Statement index = database_.prepare(
        "SELECT sql FROM sqlite_schema WHERE type = 'index' AND name = ?1 COLLATE NOCASE");
    bool upgraded = index.isValid() && database_.execute("SAVEPOINT upgrade_indexes");
    for (int k = 1; upgraded && k <= keyCount(); ++k) {
        std::string name = schema_.indexName(k);
        bool old = false;
        {
            StatementUse use(index);
            sqlite3_bind_text(index.get(), 1, name.c_str(), -1, SQLITE_STATIC);
            int rc = sqlite3_step(index.get());
            if (rc == SQLITE_ROW) {
                std::string_view sql =
                    reinterpret_cast<const char*>(sqlite3_column_text(index.get(), 0));
                old = sql != schema_.createIndexSql(k);
            } else if (rc != SQLITE_DONE) {
                upgraded = database_.fail(rc);
            }
        }
        if (upgraded && old)
            upgraded = database_.execute("DROP INDEX " + quoted(name)) &&
                       database_.execute(schema_.createIndexSql(k));
        if (int rc = FaultInjection::at("upgradeIndexes"); upgraded && rc != SQLITE_OK)
            upgraded = database_.fail(rc);
    }
    upgraded = upgraded && database_.execute("RELEASE upgrade_indexes");
    if (!upgraded) {
        database_.abandonSavepoint("upgrade_indexes");
        return false;
    }
    schema_.setNullTermIndexes(false);
    return true;
}

// Drops every index of the table and makes each key's index (inside the caller's
// savepoint).
bool SqliteRecordFile::makeIndexes() {
    std::vector<std::string> existing;
    {
        Statement indexes =
            database_.prepare("SELECT name FROM sqlite_schema WHERE type = 'index' "
                              "AND tbl_name = ?1 COLLATE NOCASE AND sql IS NOT NULL");
        if (!indexes.isValid())
            return false;
        StatementUse use(indexes);
        sqlite3_bind_text(indexes.get(), 1, schema_.table().c_str(), -1, SQLITE_STATIC);
        while (sqlite3_step(indexes.get()) == SQLITE_ROW)
            existing.emplace_back(
                reinterpret_cast<const char*>(sqlite3_column_text(indexes.get(), 0)));
    }
    bool made = true;
    for (size_t i = 0; made && i < existing.size(); ++i)
        made = database_.execute("DROP INDEX " + quoted(existing[i]));
    for (int k = 1; made && k <= keyCount(); ++k)
        made = database_.execute(schema_.createIndexSql(k));
    return made && makeSearch();
}

bool SqliteRecordFile::rebuildKeys() {
    if (!database_.reopen())
        return false;
    if (database_.isReadOnly()) {
        setError(errors::accessDenied);
        return false;
    }
    if (!open_)
        schema_ = TableSchema(definition_);
    std::optional<std::vector<std::string>> names = existingColumns();
    if (!names)
        return false;
    bool legacy = !holdsColumn(*names, "_free");
    statements_.clear();
    database_.setBusyTimeout(busyMilliseconds_);
    if (legacy) {
        // Rebuilding a legacy table's keys brings the whole table up to date.
        schema_.setLegacy(true);
        if (!upgradeTable())
            return false;
        clearError();
        return true;
    }
    schema_.setLegacy(false);
    bool rebuilt = database_.execute("SAVEPOINT rebuild_keys") && makeIndexes() &&
                   database_.execute("RELEASE rebuild_keys");
    if (!rebuilt) {
        database_.abandonSavepoint("rebuild_keys");
        return false;
    }
    schema_.setNullTermIndexes(false);
    clearError();
    return true;
}

bool SqliteRecordFile::flush() {
    if (!checkOpen())
        return false;
    int rc = sqlite3_wal_checkpoint_v2(database_.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE,
                                       nullptr, nullptr);
    if (rc != SQLITE_OK && rc != SQLITE_BUSY)
        return database_.fail(rc);
    clearError();
    return true;
}

std::optional<bool> SqliteRecordFile::driverOption(const std::string& name,
                                                   const std::string& value,
                                                   std::string_view option) {
    if (name != "SEARCHINDEX")
        return std::nullopt;
    std::string flag = upper(value);
    if (flag != "ON" && flag != "OFF")
        return failInDriver("option", "SEARCHINDEX= needs on or off: " + std::string(option));
    return keepSearch(flag == "ON");
}

// ---- Statements ----------------------------------------------------------------------------

const Statement* SqliteRecordFile::statement(std::uint64_t key, const std::string& sql) const {
    auto found = statements_.find(key);
    if (found != statements_.end())
        return &found->second;
    Statement prepared = database_.prepare(sql);
    if (!prepared.isValid())
        return nullptr;
    return &statements_.emplace(key, std::move(prepared)).first->second;
}

const Statement* SqliteRecordFile::keyLookup(std::uint64_t cacheId, int keyNumber, bool whole,
                                             const std::string& condition) {
    const KeyDefinition& key = definition_.key(keyNumber);
    const Statement* query = nullptr;
    if (auto found = statements_.find(cacheId); found != statements_.end()) {
        query = &found->second;
    } else {
        // The text is made only the first time; the statement is kept.
        std::string sql = "SELECT " + (whole ? schema_.selectList() : std::string("1")) + " FROM " +
                          schema_.quotedTable() + " WHERE ";
        for (int c = 1; c <= key.componentCount(); ++c) {
            if (c > 1)
                sql += " AND ";
            sql += schema_.componentExpression(keyNumber, c) + " = ?" + std::to_string(c);
        }
        if (!condition.empty())
            sql += " AND " + condition;
        if (whole)
            sql += keyset::orderBy(schema_.keyTerms(keyNumber), false);
        query = statement(cacheId, sql + " LIMIT 1");
    }
    if (!query)
        return nullptr;
    const RecordLayout& layout = *definition_.layout();
    for (int c = 1; c <= key.componentCount(); ++c) {
        const FieldInfo& field = layout.field(key.component(c).field);
        fieldBinding::bind(query->get(), c, buffer_.data() + field.offset, field.type);
    }
    return query;
}

const Statement* SqliteRecordFile::readStatement(bool backward, int count, bool inclusive) {
    std::uint64_t key =
        cacheKey(readKind, order_, backward, inclusive, static_cast<std::uint64_t>(count));
    auto found = statements_.find(key);
    if (found != statements_.end())
        return &found->second;
    return statement(key, schema_.readSql(order_, backward, count, inclusive));
}

std::int64_t SqliteRecordFile::recordByte(std::int64_t id) const {
    return slot_ * slotSpan + recordBase + (id % (slotSpan - recordBase));
}

void SqliteRecordFile::readTermValues(sqlite3_stmt* row, int keyNumber,
                                      std::vector<SqlValue>& values) const {
    size_t count = keyNumber > 0 ? definition_.key(keyNumber).components.size() : 0;
    bool placeholderTerm = schema_.ordersPlaceholders(keyNumber);
    values.resize(count + (placeholderTerm ? 2 : 1));
    for (size_t c = 0; c < count; ++c)
        columnValue::readInto(values[c], row,
                              TableSchema::firstFieldColumn +
                                  definition_.key(keyNumber).components[c].field - 1);
    if (placeholderTerm)
        values[count] = SqlValue::ofInteger(
            schema_.placeholderTermValue(keyNumber, sqlite3_column_int64(row, 0),
                                         sqlite3_column_int64(row, schema_.freeColumn())));
    columnValue::readInto(values.back(), row, 0);
}

std::optional<std::vector<SqlValue>> SqliteRecordFile::rowKeyValues(std::int64_t id,
                                                                    int keyNumber) const {
    const Statement* query =
        statement(cacheKey(byIdKind), "SELECT " + schema_.selectList() + " FROM " +
                                          schema_.quotedTable() + " WHERE _id = ?1");
    if (!query)
        return std::nullopt;
    StatementUse use(*query);
    auto bindId = [&] { sqlite3_bind_int64(query->get(), 1, id); };
    bindId();
    if (!stepToRecord(query->get(), bindId))
        return std::nullopt;
    std::vector<SqlValue> values;
    readTermValues(query->get(), keyNumber, values);
    return values;
}

// ---- Reading -------------------------------------------------------------------------------

bool SqliteRecordFile::accept(sqlite3_stmt* row) {
    std::int64_t id = sqlite3_column_int64(row, 0);
    // A lock file that can only be read takes no holds: the record is read, not held
    // (nothing can be written through this file anyway).
    if (holdArmed_ && !locks_.isWritable())
        holdArmed_ = false;
    if (!holdArmed_) {
        if (locks_.lockedElsewhere(recordByte(id), 1, false)) {
            setError(errors::recordHeld);
            return false;
        }
        take(row);
        return true;
    }
    if (!locks_.lock(recordByte(id), 1, true)) {
        // Held elsewhere: wait for it with the read ended, since other logical threads may
        // use the connection and this statement meanwhile (the record is read again below).
        sqlite3_reset(row);
        if (!locks_.lock(recordByte(id), 1, true, holdWaitMilliseconds_)) {
            setError(errors::recordHeld);
            return false;
        }
    }
    if (held_ && *held_ != id)
        locks_.unlock(recordByte(*held_), 1);
    held_ = id;
    holdArmed_ = false;
    // Another station may have written the record while it held it: now that it is held
    // here, read it again, after ending the read that found it (its snapshot is older).
    sqlite3_reset(row);
    const Statement* fresh =
        statement(cacheKey(heldKind), "SELECT " + schema_.selectList() + " FROM " +
                                          schema_.quotedTable() + " WHERE _id = ?1");
    if (!fresh)
        return false;
    StatementUse use(*fresh);
    auto bindId = [&] { sqlite3_bind_int64(fresh->get(), 1, id); };
    bindId();
    int rc = database_.step(fresh->get(), busyMilliseconds_, bindId);
    if (rc != SQLITE_ROW) {
        release();
        if (rc == SQLITE_DONE)
            setError(errors::recordNotFound);
        else
            database_.fail(rc);
        return false;
    }
    take(fresh->get());
    return true;
}

void SqliteRecordFile::take(sqlite3_stmt* row) {
    std::int64_t id = sqlite3_column_int64(row, 0);
    std::int64_t version = sqlite3_column_int64(row, 1);
    const RecordLayout& layout = *definition_.layout();
    for (int n = 1; n <= layout.fieldCount(); ++n) {
        const FieldInfo& field = layout.field(n);
        fieldBinding::load(row, TableSchema::firstFieldColumn + n - 1,
                           buffer_.data() + field.offset, field.type);
    }
    current_ = id;
    currentVersion_ = version;
    if (watchArmed_)
        watched_ = std::make_pair(id, version);
    else
        watched_.reset();
    watchArmed_ = false;
    skipMemos_ = false;
    clearError();
}

bool SqliteRecordFile::read(bool backward) {
    if (!checkOpen())
        return false;
    if ((backward && place_ == Place::BeforeStart) || (!backward && place_ == Place::PastEnd)) {
        setError(errors::noRecord);
        return false;
    }
    bool positioned = place_ == Place::At;
    int count = positioned ? static_cast<int>(anchor_.size()) : 0;
    const Statement* query = readStatement(backward, count, positioned && inclusive_);
    if (!query)
        return false;
    StatementUse use(*query);
    auto bindAnchor = [&] {
        for (int i = 0; i < count; ++i)
            columnValue::bind(anchor_[static_cast<size_t>(i)], query->get(), i + 1);
    };
    bindAnchor();
    int rc = database_.step(query->get(), busyMilliseconds_, bindAnchor);
    if (rc == SQLITE_DONE) {
        place_ = backward ? Place::BeforeStart : Place::PastEnd;
        anchor_.clear();
        setError(errors::noRecord);
        return false;
    }
    if (rc != SQLITE_ROW)
        return database_.fail(rc);
    // The position moves onto the record even when it cannot be taken (held elsewhere),
    // so that reading on steps over it.
    readTermValues(query->get(), order_, nextAnchor_);
    bool accepted = accept(query->get());
    std::swap(anchor_, nextAnchor_);
    place_ = Place::At;
    inclusive_ = false;
    return accepted;
}

bool SqliteRecordFile::stepToRecord(sqlite3_stmt* query, const std::function<void()>& bind) const {
    int rc = database_.step(query, busyMilliseconds_, bind);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        setError(errors::recordNotFound);
    else
        database_.fail(rc);
    return false;
}

bool SqliteRecordFile::get(int keyNumber) {
    if (!checkOpen() || !checkKey(keyNumber, false))
        return false;
    const Statement* query = keyLookup(cacheKey(getKind, keyNumber), keyNumber, true);
    if (!query)
        return false;
    StatementUse use(*query);
    if (!stepToRecord(query->get(),
                      [&] { keyLookup(cacheKey(getKind, keyNumber), keyNumber, true); }))
        return false;
    return accept(query->get());
}

bool SqliteRecordFile::getAt(std::string_view position) {
    if (!checkOpen())
        return false;
    std::optional<std::vector<SqlValue>> values =
        positionText::decode(positionText::tagOf(position), position);
    if (!values || values->back().type != SqlValue::Type::Integer) {
        setError(errors::recordNotFound);
        return false;
    }
    const Statement* query =
        statement(cacheKey(byIdKind), "SELECT " + schema_.selectList() + " FROM " +
                                          schema_.quotedTable() + " WHERE _id = ?1");
    if (!query)
        return false;
    StatementUse use(*query);
    auto bindId = [&] { sqlite3_bind_int64(query->get(), 1, values->back().integer); };
    bindId();
    if (!stepToRecord(query->get(), bindId))
        return false;
    return accept(query->get());
}

bool SqliteRecordFile::reset(int keyNumber, std::string_view position) {
    if (!checkOpen() || !checkKey(keyNumber, true))
        return false;
    std::string tag = positionText::tagOf(position);
    std::optional<std::vector<SqlValue>> values = positionText::decode(tag, position);
    if (!values || values->back().type != SqlValue::Type::Integer) {
        setError(errors::recordNotFound);
        return false;
    }
    if (tag != keyTag(keyNumber) || values->size() != schema_.keyTerms(keyNumber).size()) {
        // A position taken in another order (or before the keys' indexes were made again):
        // place the record by its values in this one.
        values = rowKeyValues(values->back().integer, keyNumber);
        if (!values)
            return false;
    }
    placeAt(keyNumber, std::move(*values));
    return true;
}

std::string SqliteRecordFile::position(int keyNumber) const {
    if (!open_ || !current_ || keyNumber < 0 || keyNumber > keyCount())
        return {};
    if (keyNumber == 0)
        return positionText::encode(keyTag(0), {SqlValue::ofInteger(*current_)});
    std::optional<std::vector<SqlValue>> values = rowKeyValues(*current_, keyNumber);
    if (!values) {
        // The record went meanwhile: its values as the buffer holds them still place it.
        // (A placeholder's term is taken as a claiming record's: 0.)
        values = bufferKeyValues(keyNumber);
        if (schema_.ordersPlaceholders(keyNumber))
            values->push_back(SqlValue::ofInteger(0));
        values->push_back(SqlValue::ofInteger(*current_));
    }
    clearError();
    return positionText::encode(keyTag(keyNumber), *values);
}

bool SqliteRecordFile::wouldDuplicate(int keyNumber, bool overCurrent) {
    if (!checkOpen() || !checkKey(keyNumber, false))
        return false;
    const KeyDefinition& key = definition_.key(keyNumber);
    if (key.duplicates) {
        clearError();
        return false;
    }
    overCurrent = overCurrent && current_.has_value();
    std::string condition = schema_.claimsKeyCondition(keyNumber);
    if (overCurrent)
        condition += (condition.empty() ? "_id <> ?" : " AND _id <> ?") +
                     std::to_string(key.componentCount() + 1);
    const Statement* query =
        keyLookup(cacheKey(duplicateKind, keyNumber, overCurrent), keyNumber, false, condition);
    if (!query)
        return false;
    StatementUse use(*query);
    auto bindCurrent = [&] {
        if (overCurrent)
            sqlite3_bind_int64(query->get(), key.componentCount() + 1, *current_);
    };
    bindCurrent();
    int rc = database_.step(query->get(), busyMilliseconds_, [&] {
        keyLookup(cacheKey(duplicateKind, keyNumber, overCurrent), keyNumber, false, condition);
        bindCurrent();
    });
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return database_.fail(rc);
    clearError();
    return rc == SQLITE_ROW;
}

// ---- Writing -------------------------------------------------------------------------------

bool SqliteRecordFile::insert(std::int64_t free) {
    if (!checkWritable())
        return false;
    bool placeholder = free != 0 && !schema_.isLegacy();
    const Statement* insert =
        statement(cacheKey(insertKind, 0, placeholder), schema_.insertSql(placeholder));
    if (!insert)
        return false;
    StatementUse use(*insert);
    auto bindFields = [&] {
        const RecordLayout& layout = *definition_.layout();
        for (int n = 1; n <= layout.fieldCount(); ++n) {
            const FieldInfo& field = layout.field(n);
            fieldBinding::bind(insert->get(), n, buffer_.data() + field.offset, field.type);
        }
        if (placeholder)
            sqlite3_bind_int64(insert->get(), layout.fieldCount() + 1, free);
    };
    bindFields();
    int rc = database_.step(insert->get(), busyMilliseconds_, bindFields);
    if (rc != SQLITE_DONE)
        return database_.fail(rc);
    current_ = sqlite3_last_insert_rowid(database_.handle());
    currentVersion_ = 0;
    putPendingInSearch();
    watched_.reset();
    clearError();
    return true;
}

bool SqliteRecordFile::put() {
    return write(false);
}

bool SqliteRecordFile::remove() {
    return write(true);
}

bool SqliteRecordFile::write(bool erase) {
    if (!checkWritable())
        return false;
    if (!current_) {
        setError(errors::noRecord);
        return false;
    }
    std::int64_t id = *current_;
    if (locks_.lockedElsewhere(recordByte(id), 1, false)) {
        setError(errors::recordHeld);
        return false;
    }
    bool watched = watched_ && watched_->first == id;
    const Statement* query =
        erase ? statement(cacheKey(deleteKind, 0, watched), schema_.deleteSql(watched))
              : statement(cacheKey(updateKind, 0, watched),
                          schema_.updateSql(watched) + " RETURNING _version");
    if (!query)
        return false;
    int rc = SQLITE_OK;
    bool changed = false;
    {
        StatementUse use(*query);
        std::int64_t version = watched ? watched_->second : 0;
        auto bindValues = [&] {
            int next = 1;
            if (!erase) {
                const RecordLayout& layout = *definition_.layout();
                for (int n = 1; n <= layout.fieldCount(); ++n) {
                    const FieldInfo& field = layout.field(n);
                    fieldBinding::bind(query->get(), next++, buffer_.data() + field.offset,
                                       field.type);
                }
            }
            sqlite3_bind_int64(query->get(), next++, id);
            if (watched)
                sqlite3_bind_int64(query->get(), next, version);
        };
        bindValues();
        rc = database_.step(query->get(), busyMilliseconds_, bindValues);
        if (rc == SQLITE_ROW) {
            currentVersion_ = sqlite3_column_int64(query->get(), 0);
            changed = true;
            rc = sqlite3_step(query->get());
        } else if (rc == SQLITE_DONE && erase) {
            changed = sqlite3_changes(database_.handle()) > 0;
        }
    }
    if (rc != SQLITE_DONE)
        return database_.fail(rc);
    if (!changed) {
        setError(watched ? errors::recordChanged : errors::noRecord);
        return false;
    }
    if (!erase)
        putPendingInSearch();
    if (held_ && *held_ == id) {
        locks_.unlock(recordByte(id), 1);
        held_.reset();
    }
    if (erase) {
        current_.reset();
        watched_.reset();
    } else if (watched) {
        watched_->second = currentVersion_;
    }
    clearError();
    return true;
}

// ---- Holding and watching ------------------------------------------------------------------

void SqliteRecordFile::release() {
    if (held_)
        locks_.unlock(recordByte(*held_), 1);
    held_.reset();
    holdArmed_ = false;
}

bool SqliteRecordFile::isHeld() const {
    return held_ && current_ && *held_ == *current_;
}

// ---- Sizes and transactions ----------------------------------------------------------------

std::int64_t SqliteRecordFile::recordCount() {
    if (!checkOpen())
        return -1;
    const Statement* query =
        statement(cacheKey(countKind), "SELECT count(*) FROM " + schema_.quotedTable());
    if (!query)
        return -1;
    StatementUse use(*query);
    int rc = database_.step(query->get(), busyMilliseconds_);
    if (rc != SQLITE_ROW) {
        database_.fail(rc);
        return -1;
    }
    clearError();
    return sqlite3_column_int64(query->get(), 0);
}

std::int64_t SqliteRecordFile::sizeInBytes() {
    if (!checkOpen())
        return -1;
    Statement query =
        database_.prepare("SELECT coalesce(sum(pgsize), 0) FROM dbstat WHERE name IN "
                          "(SELECT name FROM sqlite_schema WHERE tbl_name = ?1 COLLATE NOCASE)");
    if (!query.isValid())
        return -1;
    StatementUse use(query);
    auto bindTable = [&] {
        sqlite3_bind_text(query.get(), 1, schema_.table().c_str(), -1, SQLITE_STATIC);
    };
    bindTable();
    int rc = database_.step(query.get(), busyMilliseconds_, bindTable);
    if (rc != SQLITE_ROW) {
        database_.fail(rc);
        return -1;
    }
    clearError();
    return sqlite3_column_int64(query.get(), 0);
}

bool SqliteRecordFile::enlist() {
    if (!checkOpen())
        return false;
    database_.enlist(this);
    clearError();
    return true;
}

bool SqliteRecordFile::isEnlisted() const {
    return database_.isEnlisted(this);
}

} // namespace host::sqlite
