#pragma once

#include "runtime/files/RecordFileDriver.h"
#include "runtime/postgres/Connection.h"
#include "runtime/threads/CooperativeWait.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host::postgres {

class PgRecordFile;

// The record-file driver on a PostgreSQL server: the data files as tables of one data
// base, reached through a connection text in libpq's form ("host=shop-server
// dbname=shop user=counter"; a password comes from the server's password or service
// file, never from the text). Each driver object has one connection and is one station
// towards the others; every file made by it is a station of its own towards the other
// files of the same driver, as on SQLite.
//
// Between stations:
// - a held record is a session-level advisory lock of the server on the record (a key
//   made of the table's number and the record's id), taken without any transaction, so a
//   long edit holds nothing else, and the server lets it go when the station's
//   connection ends however it ends;
// - an open that excludes others is an advisory lock on the table's own key;
// - a watched record remembers its _version, compared by the write itself (89).
// The driver keeps the holds and opens of its own files too, since the server does not
// tell one file of a connection from another.
class PostgresDriver final : public RecordFileDriver {
public:
    explicit PostgresDriver(std::string connectionText);
    ~PostgresDriver() override;

    // Connects to the server. `folder` is the program's data folder, kept for what the
    // program keeps beside its data (pictures); it need not hold anything. A server that
    // cannot be reached answers 90 with the cause; each file's open tries again.
    bool openFolder(const std::string& folder) override;
    bool isOpen() const override;
    std::string folder() const override { return folder_; }
    std::string dataLocation() const override;

    std::unique_ptr<RecordFile> makeFile(FileDefinition definition, Record& buffer) override;
    std::unique_ptr<RecordView> makeView(RecordFile& primary) override;

    bool begin(int timeoutSeconds) override;
    bool commit() override;
    bool rollback() override;
    bool inTransaction() const override { return connection_.inTransaction(); }

    // ---- For the driver's files and views -------------------------------------------------
    Connection& connection() { return connection_; }
    // The advisory-lock key of a record of a table.
    static std::int64_t lockKey(const std::string& table, std::int64_t id);
    // The keys of a table's opens: 0 a gate taken while an open checks and takes its
    // locks, 1 "open for reading", 2 "open for writing", 3 "denies reading", 4 "denies
    // writing" (shared locks by every station that does so).
    static std::int64_t tableKey(const std::string& table, int slot);
    // Holds: the file of this driver holding a lock key, if any.
    const PgRecordFile* holder(std::int64_t key) const;
    void noteHold(std::int64_t key, const PgRecordFile* file);
    void forgetHold(std::int64_t key);
    // Opens of this driver's files on a table: how many read, write, deny reading and
    // deny writing.
    struct Opens {
        int count[5] = {0, 0, 0, 0, 0};
    };
    Opens& opens(const std::string& table) { return opens_[table]; }
    void enlist(const PgRecordFile* file);
    void unlist(const PgRecordFile* file);
    bool isEnlisted(const PgRecordFile* file) const;
    // After a lost connection: the server dropped every hold and open lock of it.
    void forgetSession();

private:
    void endFrame();

    Connection connection_;
    std::string folder_;
    std::map<std::int64_t, const PgRecordFile*> holds_;
    std::map<std::string, Opens> opens_;
    std::vector<const PgRecordFile*> enlisted_;
    // While a frame is open no other logical thread may run: it would write inside the
    // frame on the shared connection. The driver's waits then sleep instead.
    std::optional<CooperativeWait::KeepBaton> frameKeepsBaton_;
};

} // namespace host::postgres
