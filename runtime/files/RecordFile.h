#pragma once

#include "runtime/base/Record.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/OpenMode.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The host's data file: a keyed file of records, bound to the program's record buffer
// for it. Made by a RecordFileDriver (RecordFileDriver::makeFile).
//
// Every operation leaves the calling thread's runtime error (runtime/base/RuntimeErrors.h):
// code 0 on success, otherwise one of
//    2  file not found (open of a file that was never created); only ever when the
//       data folder was read and the file is not in it
//    5  access denied: the file is locked by another station's open, a write to a file
//       opened read-only, an open for writing in a data folder that cannot be written,
//       or the database stayed locked longer than the lock-wait time
//   33  no record available (reading past either end, no current record to write)
//   35  record not found (get by key value or by position)
//   37  file not open
//   40  duplicate key (add or put would duplicate a key without duplicates)
//   43  record held by another station
//   46  key file invalid: the keys must be rebuilt (rebuildKeys)
//   52  file already open (open twice, or create while open)
//   89  record changed by another station since it was read under watch
//   90  an error reported by the driver itself; lastError() then holds the driver's
//       own code and text: among them a damaged data base ("file is not a database",
//       "database disk image is malformed"), a disk or memory failure while the data
//       folder was read ("disk I/O error", "out of memory"), a create refused because
//       the file holds records
// Operations that return bool return true exactly when the error code is 0.
//
// Reading. A file is read in the order of one of its keys (key number 1..keyCount()) or
// in record order (key number 0, the order in which records were added). `set` and
// `setAt` position the file; `next` and `previous` then read from there and move on.
// Positioned at the start, `next` reads the first record and `previous` the last.
// Positioned at a key value, `next` reads the first record at or after the value and
// `previous` the last record at or before it. Reading past either end answers 33 and
// leaves the file beyond that end: a `previous` after `next` ran off the end reads the
// last record. A read fills the record buffer and makes the record current (the one
// `put`, `remove` and `position` act on); a failed read leaves both unchanged. A read
// that meets a record held by another station answers 43 and, for next/previous, still
// moves onto it, so that the following read goes on past it (reading that skips held
// records just reads again).
//
// Order of equal values. Records whose values in a key are equal come in record order,
// the order in which they were added, reading forward, and in the reverse of it reading
// backward, whatever the directions of the key's fields: `get` and `next` from a key value
// find the first record added with that value, `previous` from it the last. Views follow
// the same rule for their order texts (RecordView). In a key without duplicates only a
// placeholder can share another record's value (see Placeholders): there the record
// claiming the value comes first, then the placeholders leaving it free in the order
// they were added (a data folder still holding its keys in the earlier form, read where
// it cannot be written, gives all of them in record order).
//
// Placeholders. A placeholder (addPlaceholder) stands in for a record still being
// entered: it holds the numbers given to the new record so that other stations numbering
// at the same time pass them. Reads, views and counts see it as any record. It claims the
// keys it is added for; the other keys without duplicates leave it out: its values there
// (blank, as nothing is typed yet) neither clash with another record nor keep one out.
// A put over it makes it an ordinary record, which fails with 40 when its values then
// duplicate another record's in any key.
//
// Stations. Every process that opens the data folder is a station; so is every
// RecordFile object (two objects for one file in one process hold and lock against each
// other). Holds and file locks are released when their process ends, however it ends.
class RecordFile {
public:
    virtual ~RecordFile();

    // ---- File and key properties -------------------------------------------------------
    const FileDefinition& definition() const { return definition_; }
    const std::string& label() const { return definition_.label(); }
    const std::string& nameOnDisk() const { return definition_.nameOnDisk(); }
    // Sets the name on disk (the file's table in the data folder). Only while closed:
    // on an open file it fails with 52.
    virtual bool setNameOnDisk(std::string name);
    bool isPerThread() const { return definition_.isPerThread(); }
    int fieldCount() const { return definition_.fieldCount(); }
    int memoCount() const { return definition_.memoCount(); }
    std::string fieldLabel(int number) const { return definition_.fieldLabel(number); }
    int keyCount() const { return definition_.keyCount(); }
    const KeyDefinition& key(int number) const { return definition_.key(number); }
    Record& buffer() const { return buffer_; }
    // The file that serves the current logical thread: the file itself, except for a
    // file that keeps one driver file per thread (PerThreadRecordFile). Views are made
    // over, and join, the file this gives.
    virtual RecordFile& threadFile() { return *this; }

    // ---- Opening and maintenance --------------------------------------------------------
    // Opens in an access mode (runtime/files/OpenMode.h; 66 = read-write shared). Fails with 2
    // when the file does not exist, 5 when another station's open excludes this one (the
    // call waits up to the lock-wait time for it to go) or when it asks for writing in a
    // data folder that can only be read, 46 when its keys must be rebuilt, 52 when
    // already open, 90 when the data folder could not be read (its cause; a failed
    // look-up never answers 2, so a caller that creates missing files never creates over
    // one that is there).
    //
    // A data folder that can only be read (read rights only, read-only media) opens its
    // files for reading only. Every record can be read; holds are not taken there (a
    // read with a hold armed reads the record without holding it), and every write
    // answers 5.
    virtual bool open(int mode = openMode::shared) = 0;
    // Closes; releases the held record and the file's locks. Closing a closed file is
    // not an error.
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
    virtual int openMode() const = 0;
    // Creates the file empty. An existing empty file is made again from the declaration;
    // one that holds records is never replaced (90), nor is anything created when the
    // data folder cannot be read (its cause) or written (5). The file must be closed here
    // (52) and not open at any other station (5).
    virtual bool create() = 0;
    // Rebuilds the keys from the records. Fails with 40 when a key without duplicates
    // finds two records with one value (the keys are then left as they were).
    virtual bool rebuildKeys() = 0;
    // Makes written records durable on disk.
    virtual bool flush() = 0;
    // Driver options: "Recover=<seconds>" sets the lock-wait time: how long an open waits
    // for another station's excluding open, and a write for another station's write or
    // transaction frame, before answering 5 (default: opens do not wait, writes wait 2
    // seconds). "QUICKSCAN=on" / "QUICKSCAN=off" is a read-ahead hint, accepted.
    // "SEARCHINDEX=off" sets a driver's index of searched fields aside for a bulk load,
    // "SEARCHINDEX=on" makes it again from the records (open for writing, outside a
    // transaction frame; a driver without one may refuse). Letter case is ignored.
    // Anything else fails with 90.
    virtual bool sendOption(std::string_view option) = 0;
    // The lock-wait time in seconds, as set by "Recover=".
    virtual int lockWaitSeconds() const = 0;

    // ---- Writing ------------------------------------------------------------------------
    // Adds the buffer as a new record, which becomes current.
    virtual bool add() = 0;
    // Adds the buffer as a placeholder record (see above), which becomes current. It
    // claims the keys numbered in `claimedKeys` (40 when it would duplicate another
    // record there, placeholder or not) and leaves the other keys free.
    virtual bool addPlaceholder(const std::vector<int>& claimedKeys) = 0;
    // Adds record images (each the buffer's whole bytes) as new records in their order,
    // as add() would one by one, leaving the last in the buffer and current. For moving
    // many records: a driver that pays a round trip per statement adds them in few. When
    // one is refused (40 on a duplicate key) it is not said which of the others stay:
    // call it inside a transaction frame and roll the frame back.
    virtual bool addAll(const std::vector<std::string>& images);
    // Writes the buffer over the current record (33 when there is none; 43 when another
    // station holds it; 89 when it was read under watch and another station changed or
    // removed it since). Releases this file's hold on it.
    virtual bool put() = 0;
    // Deletes the current record (the same failures as put); no record is current after.
    virtual bool remove() = 0;
    // Blanks the buffer: text fields blank, numbers zero.
    void clear() { buffer_.clear(); }

    // ---- Reading ------------------------------------------------------------------------
    // Reads the first record (in the key's order) whose key value equals the key fields
    // of the buffer; 35 when there is none. Does not move the position of next/previous.
    virtual bool get(int keyNumber) = 0;
    // Reads the record at a position taken by `position`; 35 when it is gone.
    virtual bool getAt(std::string_view position) = 0;
    // Reads the current record again.
    virtual bool reget() = 0;

    // Positions at the start of a key's order (0: record order).
    virtual bool set(int keyNumber) = 0;
    // Positions at the value the buffer holds for the key's fields.
    virtual bool setAt(int keyNumber) = 0;
    // Positions in a key's order (0: record order) at a position taken by `position`, so
    // that the next `next` or `previous` reads that record, or, when it is gone, the
    // record that follows (precedes) where it was.
    virtual bool reset(int keyNumber, std::string_view position) = 0;
    virtual bool next() = 0;
    virtual bool previous() = 0;
    // The key whose order next/previous follow (0 for record order).
    virtual int currentOrder() const = 0;

    // The current record's position in the current order, or in a given key's order (0:
    // record order): a text that getAt and reset accept. Empty when no record is current.
    virtual std::string position() const = 0;
    virtual std::string position(int keyNumber) const = 0;

    // ---- Keys and memos -----------------------------------------------------------------
    // True when adding the buffer would duplicate the value of this key (never for a key
    // that allows duplicates; placeholders that leave the key free do not count). The key
    // is asked alone, so a caller can find which key an add failing with 40 collided on.
    // `overCurrent`: whether writing the buffer over the current record (put) would; the
    // current record itself then does not count.
    virtual bool wouldDuplicate(int keyNumber, bool overCurrent = false) = 0;
    // The next read leaves memo fields unread (the files here have none).
    virtual void skipMemosOnNextRead() = 0;

    // ---- Holding and watching -----------------------------------------------------------
    // Arms holding for the next read: the record it reads is held for this file until
    // released, written, deleted, the next hold or the file's close. Another station's
    // reads and writes of a held record answer 43. When the record is held elsewhere the
    // read waits up to `waitSeconds` and then answers 43.
    virtual void hold(int waitSeconds = 0) = 0;
    virtual void release() = 0;
    virtual bool isHeld() const = 0;
    // Arms watching for the next read: a later put or remove of that record answers 89
    // when another station has changed it meanwhile.
    virtual void watch() = 0;
    virtual bool isWatched() const = 0;

    // ---- Sizes --------------------------------------------------------------------------
    // Number of records (-1 and an error when it cannot be counted).
    virtual std::int64_t recordCount() = 0;
    // Bytes the file's records and keys take on disk (-1 and an error on failure).
    virtual std::int64_t sizeInBytes() = 0;

    // ---- Transactions -------------------------------------------------------------------
    // Marks the file as taking part in the next transaction frame of its driver
    // (RecordFileDriver::begin). Fails with 37 when the file is not open. A driver
    // without transactions answers 80.
    virtual bool enlist() = 0;
    virtual bool isEnlisted() const = 0;

protected:
    RecordFile(FileDefinition definition, Record& buffer);

    FileDefinition definition_;
    Record& buffer_;
};

// A driver option's name and value ("Recover = 5": "Recover" and "5"), without the blanks
// around them; no '=' gives an empty value.
std::string_view optionName(std::string_view option);
std::string_view optionValue(std::string_view option);

} // namespace host
