#pragma once

#include "runtime/files/RecordFileDriver.h"

#include <memory>

namespace host::sqlite {

class Database;

// The record-file driver on SQLite: the data files of a folder as tables of one data
// base in it (see Database and TableSchema). The program makes one driver per data
// folder and process; another process on the same folder is another station.
class SqliteDriver final : public RecordFileDriver {
public:
    // The data base file in the data folder.
    static constexpr const char* dataBaseName = "data.sqlite";

    SqliteDriver();
    ~SqliteDriver() override;

    // Opens the folder's data base (see Database::open): besides 2 for a missing folder,
    // a damaged data base answers 90 with SQLite's cause. A folder or data base that
    // cannot be written opens read-only: its files then open only for reading, and an
    // open for writing answers 5. When the open fails, each file tries it again when it
    // is opened, and answers its cause.
    bool openFolder(const std::string& folder) override;
    bool isOpen() const override;
    std::string folder() const override;
    std::string dataLocation() const override;

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
