#pragma once

#include "runtime/files/RecordFile.h"
#include "runtime/records/SqlValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace host::records {

// What the SQL drivers' data files keep alike: whether and how the file is open, where
// next and previous read from (an order and the order values of a record next to the
// place), the current record and its version, and the hold and the watch armed for the
// next read and taken by it. A driver adds how its table is opened, read and written.
class SqlRecordFile : public RecordFile {
public:
    ~SqlRecordFile() override;

    bool isOpen() const override { return open_; }
    int openMode() const override { return mode_; }
    int lockWaitSeconds() const override { return lockWaitMilliseconds_ / 1000; }
    // "Recover=<seconds>": how long this file's operations wait for a busy data base or
    // for rows another station is writing (each file keeps its own wait, though the
    // connection is shared). "QUICKSCAN=on|off": a hint, kept.
    bool sendOption(std::string_view option) override;

    bool add() override { return insert(0); }
    // A record that claims `claimedKeys` and leaves the other keys free.
    bool addPlaceholder(const std::vector<int>& claimedKeys) override;

    bool reget() override;
    bool set(int keyNumber) override;
    bool setAt(int keyNumber) override;
    bool next() override { return read(false); }
    bool previous() override { return read(true); }
    int currentOrder() const override { return order_; }

    void hold(int waitSeconds = 0) override;
    void watch() override { watchArmed_ = true; }
    bool isWatched() const override;

protected:
    // `busyMilliseconds`: the driver's wait until an option sets the file's own.
    SqlRecordFile(FileDefinition definition, Record& buffer, int busyMilliseconds);

    // Where next/previous read from.
    enum class Place { Start, BeforeStart, PastEnd, At };

    // The tag of a position in key k's order ("K2"; "K0": record order).
    static std::string keyTag(int keyNumber);

    // 37 unless open.
    bool checkOpen() const;
    // 90 unless `keyNumber` is one of the file's keys (or 0, record order, when allowed).
    bool checkKey(int keyNumber, bool allowRecordOrder) const;
    // 37 unless open, 5 unless open for writing.
    bool checkWritable() const;
    // The buffer's values of key k's components, as the table stores them.
    std::vector<SqlValue> bufferKeyValues(int keyNumber) const;
    // Places the file in key k's order at the record with these order values: the next
    // read (either way) reads it first.
    void placeAt(int keyNumber, std::vector<SqlValue> values);

    // Adds the buffer as a record; `free` holds the bits of the keys it leaves free
    // (0: an ordinary record).
    virtual bool insert(std::int64_t free) = 0;
    // The bit of key k in a placeholder's free keys (0: the key has none).
    virtual std::int64_t freeBit(int keyNumber) const = 0;
    virtual bool read(bool backward) = 0;
    // An option only this driver knows (its name upper-cased, its value clipped): the
    // option's result, or none when the driver does not know it either.
    virtual std::optional<bool> driverOption(const std::string& name, const std::string& value,
                                             std::string_view option);

    bool open_ = false;
    bool writable_ = false;
    int mode_ = 0;
    int lockWaitMilliseconds_ = 0;
    int busyMilliseconds_ = 0;
    bool quickScan_ = false;

    int order_ = 0;
    Place place_ = Place::Start;
    std::vector<SqlValue> anchor_;
    bool inclusive_ = false;

    std::optional<std::int64_t> current_;
    std::int64_t currentVersion_ = 0;
    bool holdArmed_ = false;
    int holdWaitMilliseconds_ = 0;
    std::optional<std::int64_t> held_;
    bool watchArmed_ = false;
    std::optional<std::pair<std::int64_t, std::int64_t>> watched_; // id, version
};

} // namespace host::records
