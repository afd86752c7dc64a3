#include "runtime/postgres/Connection.h"

#include "runtime/base/RuntimeErrors.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <libpq-fe.h>

namespace host::postgres {

namespace {

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Parameters as libpq takes them: text, or null.
struct TextParameters {
    explicit TextParameters(const std::vector<SqlValue>& values) {
        texts.reserve(values.size());
        for (const SqlValue& value : values) {
            switch (value.type) {
            case SqlValue::Type::Null:
                texts.emplace_back();
                break;
            case SqlValue::Type::Integer:
                texts.push_back(std::to_string(value.integer));
                break;
            case SqlValue::Type::Real: {
                char buffer[40];
                std::snprintf(buffer, sizeof buffer, "%.17g", value.real);
                texts.emplace_back(buffer);
                break;
            }
            case SqlValue::Type::Text:
                texts.push_back(value.text);
                break;
            }
        }
        for (size_t i = 0; i < values.size(); ++i)
            pointers.push_back(values[i].type == SqlValue::Type::Null ? nullptr : texts[i].c_str());
    }
    std::vector<std::string> texts;
    std::vector<const char*> pointers;
};

} // namespace

// ---- Result ---------------------------------------------------------------------------------

Result::~Result() {
    if (result_)
        PQclear(result_);
}

Result& Result::operator=(Result&& other) noexcept {
    if (this != &other) {
        if (result_)
            PQclear(result_);
        result_ = other.result_;
        other.result_ = nullptr;
    }
    return *this;
}

int Result::rows() const {
    return result_ ? PQntuples(result_) : 0;
}

int Result::affected() const {
    if (!result_)
        return 0;
    const char* count = PQcmdTuples(result_);
    return count && *count ? std::atoi(count) : 0;
}

bool Result::isNull(int row, int column) const {
    return !result_ || PQgetisnull(result_, row, column);
}

std::string_view Result::text(int row, int column) const {
    if (!result_)
        return {};
    return std::string_view(PQgetvalue(result_, row, column),
                            static_cast<size_t>(PQgetlength(result_, row, column)));
}

std::int64_t Result::integer(int row, int column) const {
    std::string_view digits = text(row, column);
    std::int64_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

SqlValue Result::value(int row, int column, SqlValue::Type type) const {
    if (isNull(row, column))
        return {};
    switch (type) {
    case SqlValue::Type::Integer:
        return SqlValue::ofInteger(integer(row, column));
    case SqlValue::Type::Real:
        return SqlValue::ofReal(std::strtod(PQgetvalue(result_, row, column), nullptr));
    case SqlValue::Type::Text:
        return SqlValue::ofText(std::string(text(row, column)));
    case SqlValue::Type::Null:
        break;
    }
    return {};
}

// ---- Connection -----------------------------------------------------------------------------

Connection::~Connection() {
    disconnect();
}

std::string Connection::describe() const {
    std::string host, port, dbname;
    char* error = nullptr;
    if (PQconninfoOption* options = PQconninfoParse(connectionText_.c_str(), &error)) {
        for (PQconninfoOption* option = options; option->keyword; ++option) {
            if (!option->val)
                continue;
            std::string_view keyword = option->keyword;
            if (keyword == "host" || keyword == "hostaddr")
                host = option->val;
            else if (keyword == "port")
                port = option->val;
            else if (keyword == "dbname")
                dbname = option->val;
            else if (keyword == "service" && dbname.empty())
                dbname = std::string("service ") + option->val;
        }
        PQconninfoFree(options);
    }
    if (error)
        PQfreemem(error);
    std::string text = "data base " + (dbname.empty() ? std::string("(default)") : dbname);
    text += " on server " + (host.empty() ? std::string("(local)") : host);
    if (!port.empty())
        text += " port " + port;
    return text;
}

bool Connection::connect() {
    if (frameLost_)
        return failInDriver("connection", "The connection to the data base server (" + describe() +
                                              ") was lost inside a transaction, whose changes "
                                              "were not kept; it must be ended first");
    if (conn_)
        return true;
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(connectionText_.c_str(), &parseError);
    if (!options) {
        std::string why = parseError ? trimmed(parseError) : "it cannot be read";
        if (parseError)
            PQfreemem(parseError);
        return failInDriver("connection text", "The connection text for the data base server is "
                                               "wrong: " +
                                                   why);
    }
    bool password = false;
    for (PQconninfoOption* option = options; option->keyword; ++option)
        password = password ||
                   (std::string_view(option->keyword) == "password" && option->val && *option->val);
    PQconninfoFree(options);
    if (password)
        return failInDriver("connection text",
                            "The connection text for the data base server names a password; "
                            "keep it in the server's password file (.pgpass) or service file "
                            "instead");
    pg_conn* conn = PQconnectdb(connectionText_.c_str());
    if (PQstatus(conn) != CONNECTION_OK) {
        std::string why = trimmed(PQerrorMessage(conn));
        PQfinish(conn);
        return failInDriver("connection",
                            "The data base server cannot be reached (" + describe() + "): " + why);
    }
    int version = PQserverVersion(conn);
    if (!acceptsServer(version)) {
        PQfinish(conn);
        return false;
    }
    conn_ = conn;
    serverVersion_ = version;
    ++generation_;
    prepared_.clear();
    inTransaction_ = false;
    lockWait_ = -1;
    // Messages of the server in English whatever its locale; no notices on stderr.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    if (!execute("SET client_min_messages = warning; SET lc_messages = 'C'; SET "
                 "extra_float_digits = 3") &&
        errorCode() != 0) {
        // lc_messages needs rights a shop's role may not have; the rest matters.
        if (!execute("SET client_min_messages = warning; SET extra_float_digits = 3"))
            return false;
    }
    bool ok = false;
    Result schema = query("SELECT coalesce(current_schema(), '')", ok);
    if (!ok)
        return false;
    schema_ = std::string(schema.text(0, 0));
    clearError();
    return true;
}

bool Connection::acceptsServer(int version) const {
    if (version >= oldestServerVersion)
        return true;
    return failInDriver("server version",
                        "The data base server (" + describe() + ") runs PostgreSQL " +
                            std::to_string(version / 10000) + "; the program needs version " +
                            std::to_string(oldestServerVersion / 10000) + " or later");
}

void Connection::disconnect() {
    if (conn_)
        PQfinish(conn_);
    conn_ = nullptr;
    inTransaction_ = false;
    prepared_.clear();
}

// The connection dropped: end it, so that the next operation connects again.
bool Connection::lost() {
    std::string why = conn_ ? trimmed(PQerrorMessage(conn_)) : std::string();
    bool frame = inTransaction_;
    disconnect();
    frameLost_ = frame;
    return failInDriver(
        "connection",
        "The connection to the data base server was lost (" + describe() + ")" +
            (why.empty() ? "" : ": " + why) +
            (frame ? "; the changes of the unfinished transaction were not kept" : ""));
}

bool Connection::fail(pg_result* result) {
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        if (result)
            PQclear(result);
        return lost();
    }
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    std::string sqlstate = state ? state : "";
    std::string message =
        result ? trimmed(PQresultErrorMessage(result)) : trimmed(PQerrorMessage(conn_));
    if (result)
        PQclear(result);
    if (sqlstate.rfind("08", 0) == 0 || sqlstate.rfind("57P", 0) == 0)
        return lost();
    if (sqlstate == "23505") {
        setError(errors::duplicateKey);
    } else if (sqlstate == "55P03" || sqlstate == "57014" || sqlstate == "40P01" ||
               sqlstate == "40001") {
        setError(errors::accessDenied);
    } else if (sqlstate == "42501" || sqlstate == "25006") {
        setError(errors::accessDenied, message);
    } else {
        setDriverError(sqlstate.empty() ? "server" : sqlstate, message);
    }
    return false;
}

bool Connection::applyLockWait() {
    if (inTransaction_ || lockWait_ == wantedLockWait_)
        return true;
    std::string sql = "SET lock_timeout = " + std::to_string(std::max(1, wantedLockWait_));
    pg_result* result = PQexec(conn_, sql.c_str());
    if (PQresultStatus(result) != PGRES_COMMAND_OK)
        return fail(result);
    PQclear(result);
    lockWait_ = wantedLockWait_;
    return true;
}

Result Connection::run(const std::string& sql, const std::vector<SqlValue>& parameters, bool& ok,
                       bool guarded) {
    ok = false;
    if (!connect() || !applyLockWait())
        return {};
    guarded = guarded && inTransaction_;
    if (guarded && !execute("SAVEPOINT guarded_write"))
        return {};
    auto found = prepared_.find(sql);
    if (found == prepared_.end()) {
        std::string name = "s" + std::to_string(prepared_.size() + 1);
        pg_result* made = PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr);
        if (PQresultStatus(made) != PGRES_COMMAND_OK) {
            fail(made);
            return {};
        }
        PQclear(made);
        found = prepared_.emplace(sql, std::move(name)).first;
    }
    TextParameters texts(parameters);
    pg_result* result =
        PQexecPrepared(conn_, found->second.c_str(), static_cast<int>(parameters.size()),
                       texts.pointers.data(), nullptr, nullptr, 0);
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        fail(result);
        if (guarded && conn_) {
            RuntimeError error = lastError();
            pg_result* undo = PQexec(conn_, "ROLLBACK TO SAVEPOINT guarded_write; RELEASE "
                                            "SAVEPOINT guarded_write");
            PQclear(undo);
            restoreError(std::move(error));
        }
        return {};
    }
    if (guarded) {
        pg_result* done = PQexec(conn_, "RELEASE SAVEPOINT guarded_write");
        PQclear(done);
    }
    ok = true;
    return Result(result);
}

Result Connection::query(std::string_view sql, bool& ok) {
    ok = false;
    if (!connect() || !applyLockWait())
        return {};
    pg_result* result = PQexec(conn_, std::string(sql).c_str());
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        fail(result);
        return {};
    }
    ok = true;
    return Result(result);
}

bool Connection::execute(std::string_view sql) {
    bool ok = false;
    query(sql, ok);
    return ok;
}

bool Connection::begin(int timeoutSeconds) {
    if (inTransaction_)
        return failInDriver("transaction", "A transaction frame is already running");
    if (!connect())
        return false;
    int wait = (timeoutSeconds > 0 ? timeoutSeconds : 5) * 1000;
    // SET LOCAL ends with the frame; the statements' own wait comes back after it.
    if (!execute("BEGIN; SET LOCAL lock_timeout = " + std::to_string(wait)))
        return false;
    inTransaction_ = true;
    clearError();
    return true;
}

bool Connection::commit() {
    if (frameLost_) {
        frameLost_ = false;
        return failInDriver("connection", "The connection to the data base server (" + describe() +
                                              ") was lost inside the transaction; its changes "
                                              "were not kept");
    }
    if (!inTransaction_)
        return failInDriver("transaction", "No transaction frame is running");
    bool ok = execute("COMMIT");
    inTransaction_ = false;
    frameLost_ = false; // lost at the commit itself: the commit told it
    return ok;
}

bool Connection::rollback() {
    if (frameLost_) {
        frameLost_ = false;
        clearError();
        return true;
    }
    if (!inTransaction_)
        return failInDriver("transaction", "No transaction frame is running");
    inTransaction_ = false;
    if (!conn_) {
        clearError();
        return true;
    }
    if (execute("ROLLBACK") || frameLost_) {
        // A connection lost at the rollback took the frame's changes with it all the same.
        frameLost_ = false;
        clearError();
        return true;
    }
    return false;
}

} // namespace host::postgres
