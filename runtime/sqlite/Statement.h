#pragma once

#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace host::sqlite {

// A prepared SQLite statement, finalized with its owner. Every use binds, steps and
// resets it (StatementUse), so that no read stays open between the driver's calls.
class Statement {
public:
    Statement() = default;
    // Prepares `sql` for repeated use; check prepareResult() (SQLITE_OK on success).
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return statement_ != nullptr; }
    int prepareResult() const { return prepareResult_; }
    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3_stmt* statement_ = nullptr;
    int prepareResult_ = 0;
};

// Resets the statement (and clears its bindings) when the use ends.
class StatementUse {
public:
    explicit StatementUse(const Statement& statement) : statement_(statement.get()) {}
    ~StatementUse();
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* statement_;
};

} // namespace host::sqlite
