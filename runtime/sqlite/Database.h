#pragma once

#include "runtime/records/DriverSupport.h"
#include "runtime/sqlite/Statement.h"
#include "runtime/threads/CooperativeWait.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace host::sqlite {

class SqliteRecordFile;

// What a look-up in the catalog found: the table is there, it is not, or the look-up
// itself failed (the data base busy with another station's log recovery, an I/O error,
// no memory), which says nothing about the table.
enum class TableCheck { absent, present, failed };

// The SQLite data base of one data folder: one connection (used by one thread at a time,
// so SQLite's own mutexes are left out), the catalog of its files,
// the transaction frame, and the translation of SQLite's results into the host's error
// codes.
//
// Storage: the folder holds "data.sqlite" (write-ahead log, full synchronisation, so
// that a committed change survives a crash and an interrupted one leaves nothing) and
// "data.sqlite-locks", the lock file of holds and file opens. The table "_files" gives
// each data file a stable slot number, which places its locks in the lock file.
//
// Read-only data folders: when the folder or the data base cannot be written (a station
// with read rights only, a backup on read-only media), the data base opens read-only
// (isReadOnly): through SQLite's shared memory when that can be used, otherwise as an
// unchanging file when no write-ahead log with changes is waiting in the folder (a log
// with changes cannot be read without write access, and the open fails saying so).
// Waiting for another station: each operation waits its own file's time ("Recover=").
// Outside a transaction frame a busy answer comes back at once and the statement is
// tried again after a cooperative pause (CooperativeWait), so the display and the other
// logical threads go on meanwhile; they may use the connection then, since nothing is
// left open on it. A transaction frame never gives the baton away: while one is open
// (or a savepoint of a file's creation), another logical thread would work inside it,
// so busy waits happen in SQLite itself and every pause sleeps (KeepBaton).
class Database {
public:
    static constexpr const char* fileName = "data.sqlite";
    static constexpr const char* lockFileName = "data.sqlite-locks";
    // How long a write waits for another station's write to finish when no "Recover="
    // option says otherwise.
    static constexpr int defaultBusyMilliseconds = 2000;

    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the folder's data base, creating it when the folder has none. Fails with 2
    // when the folder does not exist, 5 when the data base stayed locked by another
    // station, and 90 with SQLite's own code and text when it cannot be used: "file is
    // not a database" (26), "database disk image is malformed" (11) for a damaged one.
    bool open(const std::string& folder);
    // Opens again the folder of the last open when that failed (a busy moment at
    // start-up passes, a damaged data base is replaced); fails as open does.
    bool reopen();
    void close();
    bool isOpen() const { return db_ != nullptr; }
    // True when the data base was opened without write access: every write answers 5.
    bool isReadOnly() const { return readOnly_; }
    sqlite3* handle() const { return db_; }
    const std::string& folder() const { return folder_; }
    std::string lockFilePath() const;

    // Runs SQL without results; on failure sets the host error and returns false.
    bool execute(std::string_view sql);
    // Undoes and ends the savepoint `name` after a step in it failed, keeping that step's
    // error.
    void abandonSavepoint(std::string_view name);
    // Prepares a statement; on failure sets the host error (the statement is invalid).
    Statement prepare(std::string_view sql);
    // Sets the host error for SQLite result `rc` (see failWith) and returns false.
    bool fail(int rc) const;
    // The wait for a busy data base, applied to the next statements.
    void setBusyTimeout(int milliseconds);
    // Steps a statement of an operation that waits `waitMilliseconds` for a busy data
    // base (see above), the caller having bound its values. Before another try after a
    // pause, `bind` binds them again: another logical thread may have used the statement
    // meanwhile. Returns SQLite's result.
    int step(sqlite3_stmt* statement, int waitMilliseconds, const std::function<void()>& bind = {});

    // Whether the data base holds the table; `failed` with the host error set (see
    // failWith) when the catalog could not be read.
    TableCheck tableExists(std::string_view table);
    // The slot of a data file in the catalog; `assign` adds the file when missing, waiting
    // the time last given to setBusyTimeout (the file's own) for a busy data base.
    std::optional<std::int64_t> slotOf(std::string_view table, bool assign);

    // Transaction frame.
    bool begin(int timeoutSeconds);
    bool commit();
    bool rollback();
    bool inTransaction() const { return inTransaction_; }
    void enlist(const SqliteRecordFile* file);
    void unlist(const SqliteRecordFile* file);
    bool isEnlisted(const SqliteRecordFile* file) const;
    // Statements run when the running frame commits, just before it does (each once,
    // however often asked for): work a file put off to do in one go. Whether they
    // succeed does not decide the commit; the work stays to be done later.
    void runBeforeCommit(const std::string& sql);

private:
    void endFrame();
    // Runs one of the frame's own statements, prepared at its first use and kept, since
    // every saved record begins and commits a frame; answers SQLite's result (SQLITE_OK
    // when it ran).
    int runFrameStatement(Statement& kept, const char* sql);
    // The two ways of opening the data base file at `path`; on failure the error is set
    // and the connection may be left for close().
    bool openWritable(const std::string& path);
    bool openReadOnly(const std::string& path);
    // Reads the catalog once so that a data base that cannot be read says so now;
    // answers SQLite's result.
    int probe();
    // SQLite's busy handler: see the class comment.
    static int onBusy(void* database, int count);

    sqlite3* db_ = nullptr;
    std::string folder_;
    int busyMilliseconds_ = -1;
    bool readOnly_ = false;
    bool retrying_ = false; // a busy statement is tried again after a cooperative pause
    std::chrono::steady_clock::time_point busySince_;
    bool inTransaction_ = false;
    std::optional<CooperativeWait::KeepBaton> frameKeepsBaton_;
    std::vector<const SqliteRecordFile*> enlisted_;
    std::vector<std::string> beforeCommit_;
    Statement beginStatement_;
    Statement commitStatement_;
    Statement rollbackStatement_;
};

// Sets the calling thread's host error from a SQLite result: a unique constraint is 40,
// a busy or locked data base and a read-only one 5, a damaged index 46; anything else
// (a damaged data base, one that cannot be opened, an I/O error, no memory) is 90 with
// SQLite's own code and text. Returns false.
bool failWith(sqlite3* db, int rc);
using records::failInDriver;
using records::quoted;

} // namespace host::sqlite
