#pragma once

#include "runtime/RecordFileDriver.h"

#include <memory>

namespace host::sqlite {

class Database;

// The record-file driver on SQLite: the data files of a folder as tables of one data
// base in it (see Database and TableSchema). The program makes one driver per data
// folder and process; another process on the same folder is another station.
class SqliteDriver final : public RecordFileDriver {
public:
    SqliteDriver();
    ~SqliteDriver() override;

    bool openFolder(const std::string& folder) override;
    bool isOpen() const override;
    std::string folder() const override;

    std::unique_ptr<RecordFile> makeFile(FileDefinition definition, Record& buffer) override;
    // Fails (nothing made, 90) when `primary` was not made by this driver. A per-thread
    // file's view is made over the current thread's file (RecordFile::threadFile).
    std::unique_ptr<RecordView> makeView(RecordFile& primary) override;

    bool begin(int timeoutSeconds) override;
    bool commit() override;
    bool rollback() override;
    bool inTransaction() const override;

private:
    std::unique_ptr<Database> database_;
};

} // namespace host::sqlite
