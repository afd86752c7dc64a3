#pragma once

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string>

namespace benchsupport {

// A hand-written baseline query prepared on the benchmark's own connection; one that
// does not prepare ends the benchmark, saying why.
inline sqlite3_stmt* prepareBaseline(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql.c_str(), sqlite3_errmsg(db));
        std::exit(1);
    }
    return statement;
}

} // namespace benchsupport
