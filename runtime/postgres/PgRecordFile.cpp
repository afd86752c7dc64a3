#include "runtime/postgres/PgRecordFile.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/files/OpenMode.h"
#include "runtime/postgres/PostgresDriver.h"
#include "runtime/records/FieldCodec.h"
#include "runtime/records/PositionText.h"
#include "runtime/threads/CooperativeWait.h"

#include <algorithm>
#include <chrono>

namespace host::postgres {

namespace fieldCodec = host::records::fieldCodec;
namespace positionText = host::records::positionText;

namespace {

constexpr std::int64_t idMask = (std::int64_t{1} << 40) - 1;

} // namespace

PgRecordFile::PgRecordFile(PostgresDriver& driver, FileDefinition definition, Record& buffer)
    : SqlRecordFile(std::move(definition), buffer, 2000), driver_(driver) {}

PgRecordFile::~PgRecordFile() {
    close();
    driver_.unlist(this);
}

// ---- The server ---------------------------------------------------------------------------

std::string PgRecordFile::lockName() const {
    return driver_.connection().schemaName() + "." + schema_.table();
}

void PgRecordFile::applyLockWait() const {
    driver_.connection().setLockWait(busyMilliseconds_);
}

Result PgRecordFile::run(const std::string& sql, const std::vector<SqlValue>& parameters, bool& ok,
                         bool guarded) const {
    applyLockWait();
    std::uint64_t generation = driver_.connection().generation();
    Result result = driver_.connection().run(sql, parameters, ok, guarded);
    if (!ok &&
        (!driver_.connection().isConnected() || driver_.connection().generation() != generation))
        driver_.forgetSession();
    return result;
}

bool PgRecordFile::checkTable() {
    bool ok = false;
    Result table =
        run("SELECT to_regclass($1::text)::oid", {SqlValue::ofText(schema_.quotedTable())}, ok);
    if (!ok)
        return false;
    if (table.isNull(0, 0)) {
        setError(errors::fileNotFound);
        return false;
    }
    SqlValue oid = SqlValue::ofInteger(table.integer(0, 0));
    Result columns = run("SELECT attname FROM pg_attribute WHERE attrelid = $1::bigint::oid AND "
                         "attnum > 0 AND NOT attisdropped",
                         {oid}, ok);
    if (!ok)
        return false;
    auto hasColumn = [&](std::string_view name) {
        for (int r = 0; r < columns.rows(); ++r)
            if (columns.text(r, 0) == name)
                return true;
        return false;
    };
    for (std::string_view hidden : {"_id", "_version", "_free"})
        if (!hasColumn(hidden))
            return failInDriver("layout", "The table " + schema_.table() + " has no column " +
                                              std::string(hidden));
    for (int n = 1; n <= schema_.fieldCount(); ++n)
        if (!hasColumn(schema_.column(n)))
            return failInDriver("layout", "The table " + schema_.table() + " has no column " +
                                              schema_.column(n) + " for " + fieldLabel(n));
    Result indexes = run("SELECT c.relname FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid "
                         "WHERE i.indrelid = $1::bigint::oid",
                         {oid}, ok);
    if (!ok)
        return false;
    for (int k = 1; k <= keyCount(); ++k) {
        bool found = false;
        for (int r = 0; !found && r < indexes.rows(); ++r)
            found = indexes.text(r, 0) == schema_.indexName(k);
        if (!found) {
            setError(errors::invalidKeyFile);
            return false;
        }
    }
    return true;
}

// ---- Opening ----------------------------------------------------------------------------------

bool PgRecordFile::lockOpen(int mode) {
    enum { gate = 0, readers = 1, writers = 2, denyRead = 3, denyWrite = 4 };
    int access = mode & openMode::accessMask;
    int sharing = mode & openMode::sharingMask;
    bool wants[5] = {false, access != openMode::writeOnly, access != openMode::readOnly,
                     sharing == openMode::denyAll || sharing == openMode::denyRead,
                     sharing == openMode::denyAll || sharing == openMode::denyWrite};
    // What each lock of this open conflicts with.
    const int against[5] = {gate, denyRead, denyWrite, readers, writers};
    PostgresDriver::Opens& opens = driver_.opens(schema_.table());
    std::string table = lockName();
    auto key = [&](int slot) { return SqlValue::ofInteger(PostgresDriver::tableKey(table, slot)); };
    bool failed = false;
    auto ask = [&](const char* sql, int slot) {
        bool ok = false;
        Result result = run(sql, {key(slot)}, ok);
        if (!ok)
            failed = true;
        return ok && result.text(0, 0) == "t";
    };
    bool taken = CooperativeWait::retryFor(std::chrono::milliseconds(lockWaitMilliseconds_), [&] {
        for (int slot = readers; slot <= denyWrite; ++slot)
            if (wants[slot] && opens.count[against[slot]] > 0)
                return false;
        // The gate is only ever held for a moment: wait for it whatever the lock-wait time.
        bool gated = CooperativeWait::retryFor(std::chrono::seconds(2), [&] {
            return ask("SELECT pg_try_advisory_lock($1::bigint)", gate) || failed;
        });
        if (!gated || failed)
            return failed;
        // Another station holds a conflicting lock when it cannot be taken exclusively
        // (this connection's own locks never stand in its way).
        bool conflict = false;
        for (int slot = readers; !failed && !conflict && slot <= denyWrite; ++slot) {
            if (!wants[slot])
                continue;
            if (ask("SELECT pg_try_advisory_lock($1::bigint)", against[slot]))
                ask("SELECT pg_advisory_unlock($1::bigint)", against[slot]);
            else
                conflict = true;
        }
        for (int slot = readers; !failed && !conflict && slot <= denyWrite; ++slot)
            if (wants[slot])
                openSlots_[slot] = ask("SELECT pg_try_advisory_lock_shared($1::bigint)", slot);
        ask("SELECT pg_advisory_unlock($1::bigint)", gate);
        return failed || !conflict;
    });
    if (failed) {
        unlockOpen();
        return false;
    }
    if (!taken) {
        setError(errors::accessDenied);
        return false;
    }
    for (int slot = readers; slot <= denyWrite; ++slot)
        if (wants[slot]) {
            ++opens.count[slot];
            openSlots_[slot] = true;
        }
    openLocked_ = true;
    openGeneration_ = driver_.connection().generation();
    return true;
}

void PgRecordFile::unlockOpen() {
    PostgresDriver::Opens& opens = driver_.opens(schema_.table());
    bool session =
        driver_.connection().isConnected() && driver_.connection().generation() == openGeneration_;
    for (int slot = 1; slot <= 4; ++slot) {
        if (!openSlots_[slot])
            continue;
        if (openLocked_)
            opens.count[slot] = std::max(0, opens.count[slot] - 1);
        if (session) {
            bool ok = false;
            run("SELECT pg_advisory_unlock_shared($1::bigint)",
                {SqlValue::ofInteger(PostgresDriver::tableKey(lockName(), slot))}, ok);
        }
        openSlots_[slot] = false;
    }
    openLocked_ = false;
}

bool PgRecordFile::open(int mode) {
    if (open_) {
        setError(errors::alreadyOpen);
        return false;
    }
    schema_ = PgSchema(definition_);
    if (!driver_.connection().connect() || !checkTable() || !lockOpen(mode))
        return false;
    open_ = true;
    mode_ = mode;
    writable_ = (mode & openMode::accessMask) != openMode::readOnly;
    order_ = 0;
    place_ = Place::Start;
    anchor_.clear();
    current_.reset();
    held_.reset();
    watched_.reset();
    holdArmed_ = watchArmed_ = false;
    clearError();
    return true;
}

bool PgRecordFile::close() {
    if (open_) {
        release();
        unlockOpen();
        driver_.unlist(this);
        open_ = false;
        current_.reset();
        watched_.reset();
        ahead_ = {};
    }
    clearError();
    return true;
}

bool PgRecordFile::create() {
    if (open_) {
        setError(errors::alreadyOpen);
        return false;
    }
    schema_ = PgSchema(definition_);
    if (!driver_.connection().connect())
        return false;
    const PostgresDriver::Opens& opens = driver_.opens(schema_.table());
    for (int slot = 1; slot <= 4; ++slot)
        if (opens.count[slot] > 0) {
            setError(errors::accessDenied);
            return false;
        }
    // Nobody else may have it open: the gate and the readers' and writers' locks are
    // taken exclusively for the time of the creation.
    std::vector<SqlValue> keys;
    for (int slot = 0; slot <= 2; ++slot)
        keys.push_back(SqlValue::ofInteger(PostgresDriver::tableKey(lockName(), slot)));
    bool ok = false;
    Result locked = run("SELECT pg_try_advisory_lock($1::bigint), "
                        "pg_try_advisory_lock($2::bigint), pg_try_advisory_lock($3::bigint)",
                        keys, ok);
    if (!ok)
        return false;
    auto unlockAll = [&] {
        RuntimeError error = lastError();
        for (int slot = 0; slot <= 2; ++slot)
            if (locked.text(0, slot) == "t")
                run("SELECT pg_advisory_unlock($1::bigint)", {keys[static_cast<size_t>(slot)]}, ok);
        restoreError(std::move(error));
    };
    if (locked.text(0, 0) != "t" || locked.text(0, 1) != "t" || locked.text(0, 2) != "t") {
        unlockAll();
        setError(errors::accessDenied);
        return false;
    }
    Connection& connection = driver_.connection();
    bool frame = connection.inTransaction();
    bool created = frame || connection.execute("BEGIN");
    if (created) {
        Result table = run("SELECT to_regclass($1::text) IS NOT NULL",
                           {SqlValue::ofText(schema_.quotedTable())}, ok);
        created = ok;
        if (created && table.text(0, 0) == "t") {
            Result any =
                connection.query("SELECT EXISTS (SELECT 1 FROM " + schema_.quotedTable() + ")", ok);
            created = ok && any.text(0, 0) != "t";
            if (ok && !created)
                failInDriver("create", "The file " + label() + " holds records (table " +
                                           schema_.table() + "): it is not made again");
            created = created && connection.execute("DROP TABLE " + schema_.quotedTable());
        }
        created = created && connection.execute(schema_.createTableSql()) && makeIndexes();
        if (!frame) {
            if (created) {
                created = connection.execute("COMMIT");
            } else {
                RuntimeError error = lastError();
                connection.execute("ROLLBACK");
                restoreError(std::move(error));
            }
        }
    }
    if (connection.isConnected())
        unlockAll();
    if (created)
        clearError();
    return created;
}

// Makes each key's index, after dropping every index of the table but its primary key.
bool PgRecordFile::makeIndexes() {
    Connection& connection = driver_.connection();
    bool ok = false;
    Result existing =
        run("SELECT c.relname FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid WHERE "
            "i.indrelid = to_regclass($1::text) AND NOT i.indisprimary",
            {SqlValue::ofText(schema_.quotedTable())}, ok);
    if (!ok)
        return false;
    for (int r = 0; r < existing.rows(); ++r)
        if (!connection.execute("DROP INDEX " + quoted(existing.text(r, 0))))
            return false;
    for (int k = 1; k <= keyCount(); ++k)
        if (!connection.execute(schema_.createIndexSql(k)))
            return false;
    return true;
}

bool PgRecordFile::rebuildKeys() {
    if (!open_)
        schema_ = PgSchema(definition_);
    Connection& connection = driver_.connection();
    if (!connection.connect())
        return false;
    bool frame = connection.inTransaction();
    if (!frame && !connection.execute("BEGIN"))
        return false;
    bool ok = false;
    Result table = run("SELECT to_regclass($1::text) IS NOT NULL",
                       {SqlValue::ofText(schema_.quotedTable())}, ok);
    bool rebuilt = ok && table.text(0, 0) == "t";
    if (ok && !rebuilt)
        setError(errors::fileNotFound);
    rebuilt = rebuilt && makeIndexes();
    if (!frame) {
        if (rebuilt) {
            rebuilt = connection.execute("COMMIT");
        } else {
            RuntimeError error = lastError();
            connection.execute("ROLLBACK");
            restoreError(std::move(error));
        }
    }
    if (rebuilt)
        clearError();
    return rebuilt;
}

bool PgRecordFile::flush() {
    if (!checkOpen())
        return false;
    // The server makes every committed write durable itself.
    clearError();
    return true;
}

// ---- Values ---------------------------------------------------------------------------------

std::vector<SqlValue> PgRecordFile::fieldValues() const {
    std::vector<SqlValue> values;
    const RecordLayout& layout = *definition_.layout();
    values.reserve(static_cast<size_t>(layout.fieldCount()) + 2);
    for (int n = 1; n <= layout.fieldCount(); ++n) {
        const FieldInfo& field = layout.field(n);
        values.push_back(fieldCodec::valueOf(buffer_.data() + field.offset, field.type));
    }
    return values;
}

// The condition that is true for a record another station holds. Outside a frame a
// shared transaction-level try-lock answers it and ends with the statement; inside one
// it would stay until the commit, so the server's lock table is asked instead.
static std::string heldElsewhere(const std::string& table, bool inFrame) {
    std::int64_t tableBits = PostgresDriver::lockKey(table, 0);
    std::string key =
        "(" + std::to_string(tableBits) + "::bigint + (_id % " + std::to_string(idMask) + "))";
    if (!inFrame)
        return "NOT pg_try_advisory_xact_lock_shared(" + key + ")";
    return "EXISTS (SELECT 1 FROM pg_locks WHERE locktype = 'advisory' AND objsubid = 1 AND "
           "mode = 'ExclusiveLock' AND pid <> pg_backend_pid() AND classid = (" +
           key + " >> 32)::oid AND objid = (" + key + " & 4294967295)::oid)";
}

std::string PgRecordFile::readHead(int keyNumber) const {
    std::string sql = "SELECT " + schema_.selectList();
    for (const PgTerm& term : schema_.keyTerms(keyNumber))
        sql += ", " + term.expression;
    return sql + ", " + heldElsewhere(lockName(), driver_.inTransaction()) + " FROM " +
           schema_.quotedTable();
}

std::vector<SqlValue> PgRecordFile::termValues(const Result& result, int row, int keyNumber) const {
    PgTerms terms = schema_.keyTerms(keyNumber);
    std::vector<SqlValue> values;
    values.reserve(terms.size());
    for (size_t t = 0; t < terms.size(); ++t)
        values.push_back(result.value(row, termColumn() + static_cast<int>(t), terms[t].type));
    return values;
}

std::optional<std::vector<SqlValue>> PgRecordFile::rowTermValues(std::int64_t id,
                                                                 int keyNumber) const {
    bool ok = false;
    Result result =
        run(readHead(keyNumber) + " WHERE _id = $1::bigint", {SqlValue::ofInteger(id)}, ok);
    if (!ok)
        return std::nullopt;
    if (result.rows() == 0) {
        setError(errors::recordNotFound);
        return std::nullopt;
    }
    return termValues(result, 0, keyNumber);
}

// ---- Holding ----------------------------------------------------------------------------------

bool PgRecordFile::holdValid() const {
    return held_ && heldGeneration_ == driver_.connection().generation() &&
           driver_.connection().isConnected();
}

bool PgRecordFile::heldByOtherFile(std::int64_t id) const {
    const PgRecordFile* holder = driver_.holder(PostgresDriver::lockKey(lockName(), id));
    return holder && holder != this;
}

void PgRecordFile::release() {
    if (held_) {
        std::int64_t key = PostgresDriver::lockKey(lockName(), *held_);
        if (driver_.holder(key) == this)
            driver_.forgetHold(key);
        if (holdValid()) {
            RuntimeError error = lastError();
            bool ok = false;
            run("SELECT pg_advisory_unlock($1::bigint)", {SqlValue::ofInteger(key)}, ok);
            restoreError(std::move(error));
        }
    }
    held_.reset();
    holdArmed_ = false;
}

bool PgRecordFile::isHeld() const {
    return holdValid() && current_ && *held_ == *current_;
}

// ---- Reading ----------------------------------------------------------------------------------

void PgRecordFile::take(const Result& result, int row) {
    std::int64_t id = result.integer(row, 0);
    std::int64_t version = result.integer(row, 1);
    const RecordLayout& layout = *definition_.layout();
    for (int n = 1; n <= layout.fieldCount(); ++n) {
        const FieldInfo& field = layout.field(n);
        fieldCodec::load(result.value(row, n + 1, schema_.fieldType(n)),
                         buffer_.data() + field.offset, field.type);
    }
    current_ = id;
    currentVersion_ = version;
    if (watchArmed_)
        watched_ = std::make_pair(id, version);
    else
        watched_.reset();
    watchArmed_ = false;
    clearError();
}

bool PgRecordFile::accept(const Result& result, int row, int keyNumber) {
    std::int64_t id = result.integer(row, 0);
    int heldColumn = termColumn() + static_cast<int>(schema_.keyTerms(keyNumber).size());
    if (!writable_)
        holdArmed_ = false;
    if (!holdArmed_) {
        if (heldByOtherFile(id) || result.text(row, heldColumn) == "t") {
            setError(errors::recordHeld);
            return false;
        }
        take(result, row);
        return true;
    }
    std::int64_t key = PostgresDriver::lockKey(lockName(), id);
    SqlValue lockValue = SqlValue::ofInteger(key);
    bool failed = false;
    bool alreadyMine = holdValid() && *held_ == id;
    bool taken = alreadyMine ||
                 CooperativeWait::retryFor(std::chrono::milliseconds(holdWaitMilliseconds_), [&] {
                     if (heldByOtherFile(id))
                         return false;
                     bool ok = false;
                     Result locked =
                         run("SELECT pg_try_advisory_lock($1::bigint)", {lockValue}, ok);
                     if (!ok) {
                         failed = true;
                         return true;
                     }
                     return locked.text(0, 0) == "t";
                 });
    if (failed)
        return false;
    if (!taken) {
        setError(errors::recordHeld);
        return false;
    }
    if (!alreadyMine) {
        release();
        held_ = id;
        heldGeneration_ = driver_.connection().generation();
        driver_.noteHold(key, this);
    }
    holdArmed_ = false;
    // Another station may have written the record before it was held here: read it again.
    bool ok = false;
    Result fresh = run("SELECT " + schema_.selectList() + " FROM " + schema_.quotedTable() +
                           " WHERE _id = $1::bigint",
                       {SqlValue::ofInteger(id)}, ok);
    if (!ok)
        return false;
    if (fresh.rows() == 0) {
        release();
        setError(errors::recordNotFound);
        return false;
    }
    take(fresh, 0);
    return true;
}

bool PgRecordFile::read(bool backward) {
    if (!checkOpen())
        return false;
    if ((backward && place_ == Place::BeforeStart) || (!backward && place_ == Place::PastEnd)) {
        setError(errors::noRecord);
        return false;
    }
    bool positioned = place_ == Place::At;
    bool ahead = readsAhead();
    if (ahead && positioned && !inclusive_ && ahead_.next < ahead_.rows.rows() &&
        ahead_.order == order_ && ahead_.backward == backward &&
        ahead_.generation == driver_.connection().generation() && ahead_.after == anchor_) {
        int row = ahead_.next++;
        anchor_ = termValues(ahead_.rows, row, order_);
        ahead_.after = anchor_;
        return accept(ahead_.rows, row, order_);
    }
    ahead_ = {};
    int count = positioned ? static_cast<int>(anchor_.size()) : 0;
    PgTerms terms = schema_.keyTerms(order_);
    std::string sql = readHead(order_);
    if (count > 0)
        sql += " WHERE " + keysetAfter(terms, count, backward, positioned && inclusive_, 1);
    sql += keysetOrderBy(terms, backward) + (ahead ? " LIMIT 500" : " LIMIT 1");
    bool ok = false;
    Result result = run(sql, anchor_, ok);
    if (!ok)
        return false;
    if (result.rows() == 0) {
        place_ = backward ? Place::BeforeStart : Place::PastEnd;
        anchor_.clear();
        setError(errors::noRecord);
        return false;
    }
    // The position moves onto the record even when it cannot be taken (held elsewhere),
    // so that reading on steps over it.
    anchor_ = termValues(result, 0, order_);
    place_ = Place::At;
    inclusive_ = false;
    if (result.rows() > 1) {
        ahead_ = {std::move(result), 1,       order_,
                  backward,          anchor_, driver_.connection().generation()};
        return accept(ahead_.rows, 0, order_);
    }
    return accept(result, 0, order_);
}

bool PgRecordFile::readsAhead() const {
    int sharing = mode_ & openMode::sharingMask;
    return (sharing == openMode::denyAll || sharing == openMode::denyWrite) && !holdArmed_ &&
           !driver_.inTransaction();
}

bool PgRecordFile::get(int keyNumber) {
    if (!checkOpen() || !checkKey(keyNumber, false))
        return false;
    const KeyDefinition& key = definition_.key(keyNumber);
    std::string sql = readHead(keyNumber) + " WHERE ";
    std::vector<SqlValue> values = bufferKeyValues(keyNumber);
    for (int c = 1; c <= key.componentCount(); ++c) {
        if (c > 1)
            sql += " AND ";
        int field = key.component(c).field;
        std::string parameter = PgSchema::parameter(c, schema_.fieldType(field));
        if (schema_.ignoresCase(keyNumber, field))
            parameter = "lower(" + parameter + ")";
        sql += schema_.componentExpression(keyNumber, c) + " = " + parameter;
    }
    sql += keysetOrderBy(schema_.keyTerms(keyNumber), false) + " LIMIT 1";
    bool ok = false;
    Result result = run(sql, values, ok);
    if (!ok)
        return false;
    if (result.rows() == 0) {
        setError(errors::recordNotFound);
        return false;
    }
    return accept(result, 0, keyNumber);
}

bool PgRecordFile::getAt(std::string_view position) {
    if (!checkOpen())
        return false;
    std::optional<std::vector<SqlValue>> values =
        positionText::decode(positionText::tagOf(position), position);
    if (!values || values->empty() || values->back().type != SqlValue::Type::Integer) {
        setError(errors::recordNotFound);
        return false;
    }
    bool ok = false;
    Result result = run(readHead(0) + " WHERE _id = $1::bigint", {values->back()}, ok);
    if (!ok)
        return false;
    if (result.rows() == 0) {
        setError(errors::recordNotFound);
        return false;
    }
    return accept(result, 0, 0);
}

bool PgRecordFile::reset(int keyNumber, std::string_view position) {
    if (!checkOpen() || !checkKey(keyNumber, true))
        return false;
    std::string tag = positionText::tagOf(position);
    std::optional<std::vector<SqlValue>> values = positionText::decode(tag, position);
    if (!values || values->empty() || values->back().type != SqlValue::Type::Integer) {
        setError(errors::recordNotFound);
        return false;
    }
    size_t terms = schema_.keyTerms(keyNumber).size();
    if (tag == keyTag(keyNumber) && values->size() == terms + 1) {
        values->pop_back();
    } else {
        // A position taken in another order: place the record by its values in this one.
        values = rowTermValues(values->back().integer, keyNumber);
        if (!values)
            return false;
    }
    placeAt(keyNumber, std::move(*values));
    return true;
}

std::string PgRecordFile::position(int keyNumber) const {
    if (!open_ || !current_ || keyNumber < 0 || keyNumber > keyCount())
        return {};
    std::vector<SqlValue> values;
    if (keyNumber == 0) {
        values = {SqlValue::ofInteger(*current_)};
    } else if (std::optional<std::vector<SqlValue>> found = rowTermValues(*current_, keyNumber)) {
        values = std::move(*found);
    } else {
        // The record went meanwhile: its values as the buffer holds them still place it
        // (a placeholder's term taken as a claiming record's: 0).
        values = bufferKeyValues(keyNumber);
        for (PgTerm& term : schema_.keyTerms(keyNumber))
            if (term.ignoreCase)
                for (size_t c = 0; c < values.size(); ++c)
                    if (values[c].type == SqlValue::Type::Text)
                        for (char& ch : values[c].text)
                            if (ch >= 'A' && ch <= 'Z')
                                ch = static_cast<char>(ch - 'A' + 'a');
        values.push_back(SqlValue::ofInteger(schema_.freeBit(keyNumber) ? 0 : *current_));
    }
    values.push_back(SqlValue::ofInteger(*current_));
    clearError();
    return positionText::encode(keyTag(keyNumber), values);
}

bool PgRecordFile::wouldDuplicate(int keyNumber, bool overCurrent) {
    if (!checkOpen() || !checkKey(keyNumber, false))
        return false;
    const KeyDefinition& key = definition_.key(keyNumber);
    if (key.duplicates) {
        clearError();
        return false;
    }
    overCurrent = overCurrent && current_.has_value();
    std::vector<SqlValue> values = bufferKeyValues(keyNumber);
    std::string sql = "SELECT 1 FROM " + schema_.quotedTable() + " WHERE ";
    for (int c = 1; c <= key.componentCount(); ++c) {
        int field = key.component(c).field;
        std::string parameter = PgSchema::parameter(c, schema_.fieldType(field));
        if (schema_.ignoresCase(keyNumber, field))
            parameter = "lower(" + parameter + ")";
        sql += schema_.componentExpression(keyNumber, c) + " = " + parameter + " AND ";
    }
    std::string claims = schema_.claimsKeyCondition(keyNumber);
    sql += claims.empty() ? "true" : claims;
    if (overCurrent) {
        values.push_back(SqlValue::ofInteger(*current_));
        sql += " AND _id <> " +
               PgSchema::parameter(static_cast<int>(values.size()), SqlValue::Type::Integer);
    }
    bool ok = false;
    Result result = run(sql + " LIMIT 1", values, ok);
    if (!ok)
        return false;
    clearError();
    return result.rows() > 0;
}

// ---- Writing ----------------------------------------------------------------------------------

bool PgRecordFile::addAll(const std::vector<std::string>& images) {
    if (!checkWritable())
        return false;
    ahead_ = {};
    if (images.empty()) {
        clearError();
        return true;
    }
    // The server takes at most 65535 parameters in a statement.
    const int perRow = schema_.fieldCount();
    const size_t batch = static_cast<size_t>(std::max(1, 60000 / std::max(1, perRow)));
    const RecordLayout& layout = *definition_.layout();
    std::string head = schema_.insertSql(false);
    head = head.substr(0, head.find(" VALUES ("));
    std::vector<SqlValue> values;
    std::int64_t last = 0;
    for (size_t first = 0; first < images.size(); first += batch) {
        size_t end = std::min(images.size(), first + batch);
        std::string sql = head + " VALUES ";
        values.clear();
        for (size_t i = first; i < end; ++i) {
            buffer_.setImage(images[i]);
            sql += i == first ? "(" : ", (";
            for (int n = 1; n <= perRow; ++n) {
                const FieldInfo& field = layout.field(n);
                values.push_back(fieldCodec::valueOf(buffer_.data() + field.offset, field.type));
                if (n > 1)
                    sql += ", ";
                sql += PgSchema::parameter(static_cast<int>(values.size()), schema_.fieldType(n));
            }
            sql += ")";
        }
        // A clash fails the whole statement, undone alone inside a frame.
        bool ok = false;
        Result result = run(sql + " RETURNING _id", values, ok, true);
        if (!ok)
            return false;
        last = result.integer(result.rows() - 1, 0);
    }
    current_ = last;
    currentVersion_ = 0;
    watched_.reset();
    clearError();
    return true;
}

bool PgRecordFile::insert(std::int64_t free) {
    if (!checkWritable())
        return false;
    ahead_ = {};
    std::vector<SqlValue> values = fieldValues();
    if (free != 0)
        values.push_back(SqlValue::ofInteger(free));
    bool ok = false;
    Result result = run(schema_.insertSql(free != 0), values, ok);
    if (!ok)
        return false;
    if (result.rows() == 0) {
        setError(errors::duplicateKey);
        return false;
    }
    current_ = result.integer(0, 0);
    currentVersion_ = 0;
    watched_.reset();
    clearError();
    return true;
}

bool PgRecordFile::write(bool erase) {
    if (!checkWritable())
        return false;
    ahead_ = {};
    if (!current_) {
        setError(errors::noRecord);
        return false;
    }
    std::int64_t id = *current_;
    if (heldByOtherFile(id)) {
        setError(errors::recordHeld);
        return false;
    }
    bool watched = watched_ && watched_->first == id;
    std::string notHeld = " AND NOT " + heldElsewhere(lockName(), driver_.inTransaction());
    std::vector<SqlValue> values;
    std::string sql;
    if (erase) {
        sql = schema_.deleteSql(watched) + notHeld;
        values.push_back(SqlValue::ofInteger(id));
        if (watched)
            values.push_back(SqlValue::ofInteger(watched_->second));
    } else {
        sql = schema_.updateSql(watched);
        sql.insert(sql.rfind(" RETURNING"), notHeld);
        values = fieldValues();
        values.push_back(SqlValue::ofInteger(id));
        if (watched)
            values.push_back(SqlValue::ofInteger(watched_->second));
    }
    bool ok = false;
    Result result = run(sql, values, ok, true);
    if (!ok)
        return false;
    if (result.affected() == 0) {
        // Held elsewhere, changed or gone: ask which.
        Result row = run("SELECT _version, " + heldElsewhere(lockName(), driver_.inTransaction()) +
                             " FROM " + schema_.quotedTable() + " WHERE _id = $1::bigint",
                         {SqlValue::ofInteger(id)}, ok);
        if (!ok)
            return false;
        if (row.rows() > 0 && row.text(0, 1) == "t")
            setError(errors::recordHeld);
        else
            setError(watched ? errors::recordChanged : errors::noRecord);
        return false;
    }
    if (!erase)
        currentVersion_ = result.integer(0, 0);
    if (held_ && *held_ == id)
        release();
    if (erase) {
        current_.reset();
        watched_.reset();
    } else if (watched) {
        watched_->second = currentVersion_;
    }
    clearError();
    return true;
}

// ---- Sizes and transactions -----------------------------------------------------------------

std::int64_t PgRecordFile::recordCount() {
    if (!checkOpen())
        return -1;
    bool ok = false;
    Result result = run("SELECT count(*) FROM " + schema_.quotedTable(), {}, ok);
    if (!ok)
        return -1;
    clearError();
    return result.integer(0, 0);
}

std::int64_t PgRecordFile::sizeInBytes() {
    if (!checkOpen())
        return -1;
    bool ok = false;
    Result result = run("SELECT pg_total_relation_size(to_regclass($1::text))",
                        {SqlValue::ofText(schema_.quotedTable())}, ok);
    if (!ok)
        return -1;
    clearError();
    return result.integer(0, 0);
}

bool PgRecordFile::enlist() {
    if (!checkOpen())
        return false;
    driver_.enlist(this);
    clearError();
    return true;
}

bool PgRecordFile::isEnlisted() const {
    return driver_.isEnlisted(this);
}

} // namespace host::postgres
