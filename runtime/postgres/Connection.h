#pragma once

#include "runtime/records/DriverSupport.h"
#include "runtime/records/SqlValue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct pg_conn;
struct pg_result;

namespace host::postgres {

using records::SqlValue;

// The rows of one statement, read as text (libpq's text format).
class Result {
public:
    Result() = default;
    explicit Result(pg_result* result) : result_(result) {}
    ~Result();
    Result(Result&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
    Result& operator=(Result&& other) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    int rows() const;
    int affected() const;
    bool isNull(int row, int column) const;
    std::string_view text(int row, int column) const;
    std::int64_t integer(int row, int column) const;
    // The value of a column as a stored value of the given kind.
    SqlValue value(int row, int column, SqlValue::Type type) const;

private:
    pg_result* result_ = nullptr;
};

// One connection to the data base server, with the translation of the server's answers
// into the host's error codes:
//   unique_violation                                40
//   lock_not_available, query_canceled, deadlock    5 (another station kept the rows)
//   insufficient_privilege, read-only transaction   5
//   anything else                                    90 with the SQLSTATE and the text
// A connection that drops answers 90 ("connection") for the operation that met it; the
// next operation connects again. Whatever a frame had written then is gone with it
// (the server rolls it back), and so are the session's holds.
//
// Statements are prepared on first use and kept for the connection's life; parameters
// travel as text.
class Connection {
public:
    explicit Connection(std::string connectionText) : connectionText_(std::move(connectionText)) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects when not connected. Refuses a server older than the oldest major version
    // the driver knows (90, "server version"). Never shows a password: messages name the
    // server by its host, port and data base.
    bool connect();
    void disconnect();
    bool isConnected() const { return conn_ != nullptr; }
    // Counts the connections made: a hold or a prepared statement belongs to one.
    std::uint64_t generation() const { return generation_; }
    // "data base shop on server /tmp/x port 5432", for messages.
    std::string describe() const;
    int serverVersion() const { return serverVersion_; }
    // The schema the tables are made in (the first of the search path), read at connect:
    // two shops in one data base keep their holds apart by it.
    const std::string& schemaName() const { return schema_; }

    // Runs a statement with parameters ($1, $2, ... in its text); on failure sets the host
    // error and `ok` false. A `guarded` statement that fails inside a frame undoes only
    // itself (a savepoint around it), so that the frame goes on as it would on SQLite.
    Result run(const std::string& sql, const std::vector<SqlValue>& parameters, bool& ok,
               bool guarded = false);
    // Runs SQL without parameters or kept statement (several statements allowed).
    bool execute(std::string_view sql);
    // Runs SQL without parameters and returns its rows.
    Result query(std::string_view sql, bool& ok);

    // Transaction frame.
    bool begin(int timeoutSeconds);
    bool commit();
    bool rollback();
    bool inTransaction() const { return inTransaction_; }

    // How long a statement waits for rows another station's frame holds, applied before
    // the next statement outside a frame (a frame waits its own time-out).
    void setLockWait(int milliseconds) { wantedLockWait_ = milliseconds; }

    // The oldest server the driver works with.
    static constexpr int oldestServerVersion = 120000;
    // Whether the driver works with a server of this version (PQserverVersion's number);
    // false with 90 ("server version") naming both versions when it is too old.
    bool acceptsServer(int version) const;

private:
    bool applyLockWait();
    bool fail(pg_result* result);
    bool lost();

    std::string connectionText_;
    pg_conn* conn_ = nullptr;
    std::uint64_t generation_ = 0;
    int serverVersion_ = 0;
    std::string schema_;
    bool inTransaction_ = false;
    // The connection dropped inside a frame: nothing more is run until the frame is ended
    // (commit fails, rollback succeeds), so that no later write of it lands on its own.
    bool frameLost_ = false;
    int lockWait_ = -1;
    int wantedLockWait_ = 2000;
    std::unordered_map<std::string, std::string> prepared_; // SQL text -> statement name
};

using records::failInDriver;
using records::quoted;

} // namespace host::postgres
