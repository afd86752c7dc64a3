#pragma once

#include "runtime/sqlite/SqliteDriver.h"

#include <sqlite3.h>
#include <string>

namespace testsupport {

// Another station on a data folder's data base, through a SQLite connection of its own
// in this process: it can hold the data base's write lock (BEGIN EXCLUSIVE) or change
// the data base under the program's feet.
class OtherStation {
public:
    explicit OtherStation(const std::string& folder) {
        sqlite3_open((folder + "/" + host::sqlite::SqliteDriver::dataBaseName).c_str(), &db_);
    }
    ~OtherStation() { sqlite3_close(db_); }
    OtherStation(const OtherStation&) = delete;
    OtherStation& operator=(const OtherStation&) = delete;

    bool run(const char* sql) {
        return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    sqlite3* db_ = nullptr;
};

} // namespace testsupport
