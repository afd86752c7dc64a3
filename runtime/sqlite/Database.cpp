#include "runtime/sqlite/Database.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/sqlite/FaultInjection.h"
#include "runtime/sqlite/NetworkFolder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace host::sqlite {

bool failWith(sqlite3* db, int rc) {
    int extended = db ? sqlite3_extended_errcode(db) : rc;
    if ((extended & 0xFF) != (rc & 0xFF))
        extended = rc;
    switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT:
        if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY) {
            setError(errors::duplicateKey);
            return false;
        }
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
        setError(errors::accessDenied);
        return false;
    case SQLITE_CORRUPT:
        if (extended == SQLITE_CORRUPT_INDEX) {
            setError(errors::invalidKeyFile);
            return false;
        }
        break;
    default:
        break;
    }
    // The connection's message belongs to its last error, which need not be this one.
    bool ownMessage = db && (sqlite3_extended_errcode(db) & 0xFF) == (rc & 0xFF);
    std::string text = ownMessage ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    setDriverError(std::to_string(extended), std::move(text));
    return false;
}

Database::~Database() {
    close();
}

namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// Whether this process may write the folder and the data base in it (a missing data base
// is made in the folder).
bool writable(const std::string& folder, const std::string& path) {
    if (faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
}

// A write-ahead log with changes not yet in the data base.
bool logPending(const std::string& path) {
    struct stat info {};
    return stat((path + "-wal").c_str(), &info) == 0 && info.st_size > 0;
}

// The path as a file: URI, with the characters that URIs reserve escaped.
std::string fileUri(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 0xF];
        }
    }
    return uri;
}

bool damaged(int rc) {
    return (rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT;
}

} // namespace

bool Database::open(const std::string& folder) {
    close();
    folder_ = folder;
    struct stat info {};
    if (folder.empty() || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        setError(errors::fileNotFound);
        return false;
    }
    // Stations on several computers sharing the folder would corrupt the data base.
    if (std::string network = networkFileSystemOf(folder); !network.empty())
        return failInDriver("network folder", "The data folder " + folder +
                                                  " is on a network drive (" + network +
                                                  "); keep the data on this computer's own disk");
    std::string path = folder + "/" + fileName;
    // Without write access to the folder or the data base, the data base is only read:
    // SQLite would otherwise open it for writing and fail at the first write, or at the
    // first read of a data base with a write-ahead log.
    bool opened = exists(path) && !writable(folder, path) ? openReadOnly(path) : openWritable(path);
    if (!opened) {
        RuntimeError error = lastError();
        close();
        restoreError(std::move(error));
        return false;
    }
    clearError();
    return true;
}

bool Database::reopen() {
    if (db_)
        return true;
    if (folder_.empty()) {
        setError(errors::fileNotFound);
        return false;
    }
    return open(std::string(folder_));
}

bool Database::openWritable(const std::string& path) {
    int rc =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        return failWith(db_, rc);
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_handler(db_, &Database::onBusy, this);
    setBusyTimeout(defaultBusyMilliseconds);
    // SQLite opens a data base file it may not write read-only.
    readOnly_ = sqlite3_db_readonly(db_, "main") == 1;
    if (readOnly_) {
        rc = probe();
        return rc == SQLITE_OK || fail(rc);
    }
    // Reading the catalog first makes a damaged data base say so, and what is set up
    // already is not written again, so that opening never waits for another station's
    // write.
    if (!execute("PRAGMA synchronous=FULL"))
        return false;
    Statement mode = prepare("PRAGMA journal_mode");
    if (!mode.isValid())
        return false;
    bool logged = false;
    {
        StatementUse use(mode);
        rc = sqlite3_step(mode.get());
        if (rc != SQLITE_ROW)
            return fail(rc);
        const unsigned char* text = sqlite3_column_text(mode.get(), 0);
        logged = text && std::string_view(reinterpret_cast<const char*>(text)) == "wal";
    }
    if (!logged && !execute("PRAGMA journal_mode=WAL"))
        return false;
    switch (tableExists("_files")) {
    case TableCheck::present:
        return true;
    case TableCheck::absent:
        return execute("CREATE TABLE IF NOT EXISTS _files(slot INTEGER PRIMARY KEY, "
                       "name TEXT NOT NULL UNIQUE COLLATE NOCASE)");
    case TableCheck::failed:
        break;
    }
    return false;
}

bool Database::openReadOnly(const std::string& path) {
    // First through SQLite's shared memory beside the data base, which sees other
    // stations' changes; when that cannot be made, as an unchanging file.
    for (bool unchanging : {false, true}) {
        if (unchanging && logPending(path))
            return failInDriver("readonly", "The log " + path +
                                                "-wal holds changes that cannot be read without "
                                                "write access to the data folder");
        std::string uri = fileUri(path) + (unchanging ? "?immutable=1" : "?mode=ro");
        int rc =
            sqlite3_open_v2(uri.c_str(), &db_,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_extended_result_codes(db_, 1);
            sqlite3_busy_handler(db_, &Database::onBusy, this);
            setBusyTimeout(defaultBusyMilliseconds);
            rc = probe();
        }
        if (rc == SQLITE_OK) {
            readOnly_ = true;
            return true;
        }
        fail(rc);
        if (damaged(rc))
            return false;
        RuntimeError error = lastError();
        close();
        restoreError(std::move(error));
    }
    return false;
}

int Database::probe() {
    sqlite3_stmt* query = nullptr;
    int rc = sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_schema", -1, &query, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(query);
        rc = rc == SQLITE_ROW ? SQLITE_OK : rc;
    }
    sqlite3_finalize(query);
    return rc;
}

void Database::close() {
    beginStatement_ = Statement();
    commitStatement_ = Statement();
    rollbackStatement_ = Statement();
    if (db_) {
        if (inTransaction_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
    }
    db_ = nullptr;
    readOnly_ = false;
    inTransaction_ = false;
    frameKeepsBaton_.reset();
    enlisted_.clear();
    beforeCommit_.clear();
    busyMilliseconds_ = -1;
}

std::string Database::lockFilePath() const {
    return folder_ + "/" + lockFileName;
}

bool Database::execute(std::string_view sql) {
    if (!db_) {
        setError(errors::fileNotOpen);
        return false;
    }
    int rc = sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return failWith(db_, rc);
    return true;
}

void Database::abandonSavepoint(std::string_view name) {
    RuntimeError error = lastError();
    std::string savepoint(name);
    if (db_)
        sqlite3_exec(db_, ("ROLLBACK TO " + savepoint + "; RELEASE " + savepoint).c_str(), nullptr,
                     nullptr, nullptr);
    restoreError(std::move(error));
}

Statement Database::prepare(std::string_view sql) {
    Statement statement(db_, sql);
    if (!statement.isValid())
        failWith(db_, statement.prepareResult());
    return statement;
}

bool Database::fail(int rc) const {
    return failWith(db_, rc);
}

void Database::setBusyTimeout(int milliseconds) {
    busyMilliseconds_ = std::max(0, milliseconds);
}

int Database::onBusy(void* database, int count) {
    auto& self = *static_cast<Database*>(database);
    if (self.retrying_)
        return 0; // Database::step pauses and tries again
    // Inside SQLite no other logical thread may run: wait here, keeping the baton.
    auto now = std::chrono::steady_clock::now();
    if (count == 0)
        self.busySince_ = now;
    auto end = self.busySince_ + std::chrono::milliseconds(self.busyMilliseconds_);
    if (now >= end)
        return 0;
    std::this_thread::sleep_until(std::min(end, now + std::chrono::milliseconds(5)));
    return 1;
}

int Database::step(sqlite3_stmt* statement, int waitMilliseconds,
                   const std::function<void()>& bind) {
    setBusyTimeout(waitMilliseconds);
    if (!sqlite3_get_autocommit(db_))
        return sqlite3_step(statement); // a frame or savepoint is open: wait in SQLite
    int rc = SQLITE_OK;
    bool first = true;
    CooperativeWait::retryFor(std::chrono::milliseconds(busyMilliseconds_), [&] {
        if (!first && bind) {
            sqlite3_clear_bindings(statement);
            bind();
        }
        first = false;
        retrying_ = true;
        rc = sqlite3_step(statement);
        retrying_ = false;
        if ((rc & 0xFF) != SQLITE_BUSY)
            return true;
        // Nothing stays open on the connection while this thread waits.
        sqlite3_reset(statement);
        return false;
    });
    return rc;
}

TableCheck Database::tableExists(std::string_view table) {
    Statement query = prepare("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 "
                              "COLLATE NOCASE");
    if (!query.isValid())
        return TableCheck::failed;
    StatementUse use(query);
    sqlite3_bind_text(query.get(), 1, table.data(), static_cast<int>(table.size()), SQLITE_STATIC);
    int rc = FaultInjection::at("tableExists");
    if (rc == SQLITE_OK)
        rc = sqlite3_step(query.get());
    if (rc == SQLITE_ROW)
        return TableCheck::present;
    if (rc == SQLITE_DONE)
        return TableCheck::absent;
    fail(rc);
    return TableCheck::failed;
}

std::optional<std::int64_t> Database::slotOf(std::string_view table, bool assign) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Statement query = prepare("SELECT slot FROM _files WHERE name = ?1");
        if (!query.isValid())
            return std::nullopt;
        {
            StatementUse use(query);
            sqlite3_bind_text(query.get(), 1, table.data(), static_cast<int>(table.size()),
                              SQLITE_STATIC);
            int rc = sqlite3_step(query.get());
            if (rc == SQLITE_ROW)
                return sqlite3_column_int64(query.get(), 0);
            if (rc != SQLITE_DONE) {
                fail(rc);
                return std::nullopt;
            }
        }
        if (!assign || attempt > 0)
            break;
        Statement insert = prepare("INSERT OR IGNORE INTO _files(name) VALUES(?1)");
        if (!insert.isValid())
            return std::nullopt;
        StatementUse use(insert);
        auto bindName = [&] {
            sqlite3_bind_text(insert.get(), 1, table.data(), static_cast<int>(table.size()),
                              SQLITE_STATIC);
        };
        bindName();
        int rc = step(insert.get(), busyMilliseconds_, bindName);
        if (rc != SQLITE_DONE) {
            fail(rc);
            return std::nullopt;
        }
    }
    setError(errors::fileNotFound);
    return std::nullopt;
}

bool Database::begin(int timeoutSeconds) {
    if (!db_) {
        setError(errors::fileNotOpen);
        return false;
    }
    if (inTransaction_)
        return failInDriver("frame", "A transaction frame is already running");
    // Another station's write ends within the frame's time-out; wait for it cooperatively.
    int rc = SQLITE_OK;
    CooperativeWait::retryFor(std::chrono::seconds(std::max(0, timeoutSeconds)), [&] {
        retrying_ = true;
        rc = runFrameStatement(beginStatement_, "BEGIN IMMEDIATE");
        retrying_ = false;
        return (rc & 0xFF) != SQLITE_BUSY;
    });
    if (rc != SQLITE_OK)
        return failWith(db_, rc);
    inTransaction_ = true;
    frameKeepsBaton_.emplace();
    clearError();
    return true;
}

bool Database::commit() {
    if (!inTransaction_)
        return failInDriver("frame", "No transaction frame is running");
    if (sqlite3_get_autocommit(db_)) {
        // SQLite rolled the frame back itself after an error inside it.
        endFrame();
        return failInDriver("frame", "The transaction frame was rolled back after an error");
    }
    for (const std::string& sql : beforeCommit_)
        sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    beforeCommit_.clear();
    if (int rc = runFrameStatement(commitStatement_, "COMMIT"); rc != SQLITE_OK)
        return failWith(db_, rc);
    endFrame();
    clearError();
    return true;
}

void Database::runBeforeCommit(const std::string& sql) {
    if (std::find(beforeCommit_.begin(), beforeCommit_.end(), sql) == beforeCommit_.end())
        beforeCommit_.push_back(sql);
}

bool Database::rollback() {
    if (!inTransaction_)
        return failInDriver("frame", "No transaction frame is running");
    int rc = runFrameStatement(rollbackStatement_, "ROLLBACK");
    if (rc != SQLITE_OK)
        failWith(db_, rc);
    bool done = rc == SQLITE_OK;
    // A failed rollback leaves SQLite without a transaction all the same when it
    // rolled back on its own; ask it rather than assume.
    if (done || sqlite3_get_autocommit(db_))
        endFrame();
    if (done)
        clearError();
    return done;
}

int Database::runFrameStatement(Statement& kept, const char* sql) {
    if (!kept.isValid()) {
        kept = Statement(db_, sql);
        if (!kept.isValid())
            return kept.prepareResult();
    }
    StatementUse use(kept);
    int rc = sqlite3_step(kept.get());
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

void Database::endFrame() {
    inTransaction_ = false;
    frameKeepsBaton_.reset();
    enlisted_.clear();
}

void Database::enlist(const SqliteRecordFile* file) {
    if (!isEnlisted(file))
        enlisted_.push_back(file);
}

void Database::unlist(const SqliteRecordFile* file) {
    std::erase(enlisted_, file);
}

bool Database::isEnlisted(const SqliteRecordFile* file) const {
    return std::find(enlisted_.begin(), enlisted_.end(), file) != enlisted_.end();
}

} // namespace host::sqlite
