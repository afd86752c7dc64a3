#include "runtime/sqlite/Statement.h"

#include <sqlite3.h>

#include <utility>

namespace host::sqlite {

Statement::Statement(sqlite3* db, std::string_view sql) {
    prepareResult_ = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &statement_, nullptr);
    if (prepareResult_ != SQLITE_OK) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement::Statement(Statement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)), prepareResult_(other.prepareResult_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
        prepareResult_ = other.prepareResult_;
    }
    return *this;
}

StatementUse::~StatementUse() {
    if (statement_) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
}

} // namespace host::sqlite
