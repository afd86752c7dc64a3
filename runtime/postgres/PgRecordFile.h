#pragma once

#include "runtime/postgres/Connection.h"
#include "runtime/postgres/PgSchema.h"
#include "runtime/records/SqlRecordFile.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace host::postgres {

class PostgresDriver;

// A data file stored as a table on the server (PgSchema), read one record at a time by
// keyset statements on its keys' indexes. See PostgresDriver for holds and watches.
class PgRecordFile final : public records::SqlRecordFile {
public:
    PgRecordFile(PostgresDriver& driver, FileDefinition definition, Record& buffer);
    ~PgRecordFile() override;

    bool open(int mode = openMode::shared) override;
    bool close() override;
    bool create() override;
    bool rebuildKeys() override;
    bool flush() override;

    // One INSERT of many rows per batch (a round trip each), undone whole when it fails.
    bool addAll(const std::vector<std::string>& images) override;
    bool put() override { return write(false); }
    bool remove() override { return write(true); }

    bool get(int keyNumber) override;
    bool getAt(std::string_view position) override;
    bool reset(int keyNumber, std::string_view position) override;
    std::string position() const override { return position(order_); }
    std::string position(int keyNumber) const override;

    bool wouldDuplicate(int keyNumber, bool overCurrent = false) override;
    void skipMemosOnNextRead() override {}

    void release() override;
    bool isHeld() const override;

    std::int64_t recordCount() override;
    std::int64_t sizeInBytes() override;

    bool enlist() override;
    bool isEnlisted() const override;

    PostgresDriver& driver() const { return driver_; }
    const PgSchema& schema() const { return schema_; }
    // Sets the connection's wait for rows of another station's frame to this file's.
    void applyLockWait() const;

private:
    // The table must be there with a column for every field (2, 90) and an index per key
    // (46).
    bool checkTable();
    bool makeIndexes();
    bool insert(std::int64_t free) override;
    std::int64_t freeBit(int keyNumber) const override { return schema_.freeBit(keyNumber); }
    bool write(bool erase);
    bool read(bool backward) override;
    Result run(const std::string& sql, const std::vector<SqlValue>& parameters, bool& ok,
               bool guarded = false) const;
    // "SELECT <list>, <terms of key k>, <held elsewhere> FROM table": result column of the
    // first term is termColumn(); the last column tells a record held by another station.
    std::string readHead(int keyNumber) const;
    int termColumn() const { return schema_.freeColumn() + 1; }
    // Makes row `row` of a read the current record: tests and takes holds, loads the
    // buffer, arms the watch.
    bool accept(const Result& result, int row, int keyNumber);
    void take(const Result& result, int row);
    std::vector<SqlValue> termValues(const Result& result, int row, int keyNumber) const;
    std::optional<std::vector<SqlValue>> rowTermValues(std::int64_t id, int keyNumber) const;
    std::vector<SqlValue> fieldValues() const;
    bool heldByOtherFile(std::int64_t id) const;
    // What the file's holds and opens are keyed by on the server: schema and table.
    std::string lockName() const;
    bool holdValid() const;
    bool lockOpen(int mode);
    void unlockOpen();

    PostgresDriver& driver_;
    PgSchema schema_;
    bool openLocked_ = false;
    bool openSlots_[5] = {false, false, false, false, false}; // the open's locks by slot
    std::uint64_t openGeneration_ = 0;
    std::uint64_t heldGeneration_ = 0;

    // Rows read ahead: in a file no other station may write (opened denying writes), and
    // outside a frame, a read fetches a batch of rows and the reads that follow in the
    // same order and direction take them from here, one round trip per batch instead of
    // per record. Kept only while the position stays where the last of them left it, on
    // the same connection; a write of this file drops them.
    struct ReadAhead {
        Result rows;
        int next = 0;
        int order = 0;
        bool backward = false;
        std::vector<SqlValue> after;
        std::uint64_t generation = 0;
    };
    bool readsAhead() const;
    ReadAhead ahead_;
};

} // namespace host::postgres
