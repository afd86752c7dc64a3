#pragma once

#include "framework/data/KeyRecord.h"
#include "framework/data/RecordImage.h"
#include "framework/data/SavedFileState.h"
#include "framework/data/Severity.h"
#include "framework/data/ThreadFileInfo.h"
#include "runtime/base/ThreadEndSubscription.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class Record;
class RecordFile;
class RecordFileDriver;
} // namespace host

namespace framework {

class ErrorReporter;
class FileRegistry;
class RelationLink;

// The one way the program opens, closes, positions and changes a data file. It owns the
// description of the file's record buffer and keys and the per-thread bookkeeping (open
// counts, the placeholder mark of auto-numbering, the last error), saves record images
// and file states, and runs every record operation in two forms: the plain name reports
// a failure through the ErrorReporter and answers with the user's reply; the "Quiet"
// form only records the error id as the thread's last error (ReportLastError shows it
// later).
//
// Opening is lazy by default: Open and Close only count, the first record operation
// opens the file for real (creating it when missing, rebuilding invalid keys, falling
// back to read-only when another station holds it), and the last Close on the thread
// closes it.
//
// Results are severity levels: 0 done, 3 the file could not be opened or a read failed,
// 5 not done (end of file, not found, duplicate, refused), 1 validation refused an
// update; reporting forms may answer with the reply to the message shown instead.
class FileAccess {
public:
    FileAccess();
    FileAccess(const FileAccess&) = delete;
    FileAccess& operator=(const FileAccess&) = delete;

    // Virtual operations, in slot order.

    // Makes the record's fields known to the host's expression evaluator by their
    // labels. The host's views resolve the labels of their own files, so the base class
    // has nothing more to do.
    virtual void ExposeFields();
    // Removes this thread's placeholder record: through `link`'s Delete without asking,
    // so that the relations' delete actions apply, or directly when no link is given.
    virtual Severity CancelAutoNumber(RelationLink* link = nullptr);
    // Always 0.
    virtual Severity Close();
    // True when the record (and each memo) equals image `imageId`; false when the file
    // cannot be opened. The image stays.
    virtual bool ImageUnchanged(std::int32_t imageId);
    // ReadByKey; on any failure the record buffer is cleared.
    virtual Severity FetchOrClear(int key);
    virtual Severity Insert();
    virtual Severity ReadNext();
    virtual Severity Open();
    virtual Severity ReadPrevious();
    // Numbers the auto-numbered keys and adds the record as a placeholder.
    virtual Severity ReserveAutoNumber();
    // Hook: an application fills the initial values of a new record here.
    virtual void FillNewFields();
    // Primes a new record: cleared (unless `keepBuffer`), initial values, and for an
    // auto-numbered file the placeholder record.
    virtual Severity PrepareNewRecord(bool keepBuffer = false);
    virtual Severity RaiseError(std::uint16_t id);
    virtual Severity ReportLastError();
    virtual Severity RaiseWithText(std::uint16_t id, std::string_view text);
    // Reads the record whose key value equals the key fields in the buffer: 0 found,
    // 5 not found, 3 the file could not be opened or the read failed (error id 1).
    virtual Severity ReadByKey(int key);
    virtual Severity InsertQuiet();
    virtual Severity ReadNextQuiet();
    virtual Severity OpenQuiet();
    virtual Severity ReadPreviousQuiet();
    virtual Severity ReserveAutoNumberQuiet();
    virtual Severity UpdateQuiet();
    virtual Severity Update();
    // Hook: validates field `fieldNo` of the record; 0 when the file has no aliased file.
    virtual Severity CheckField(int fieldNo);
    virtual Severity CheckFields(int first, int last, int* failedField = nullptr);
    virtual Severity CheckRecord(int* failedField = nullptr);
    // Hook: runs when auto-numbering has put the new numbers into the buffer, before the
    // placeholder record holding them is added, so that an application can move them;
    // the placeholder then holds the moved numbers, which other stations numbering at the
    // same time pass. Does nothing.
    virtual void AdjustAutoNumbers();

    virtual ~FileAccess();

    // Set-up and release. Setup registers the file with `registry`; `driver` is the one
    // that made `file` and runs its transaction frames.
    void Setup(host::RecordFile& file, host::RecordFileDriver& driver, ErrorReporter& errors,
               FileRegistry& registry);
    // Adds a key (number `key` of the file, 1-based) with the text shown for it and its
    // auto-numbering: 0 none, 1 the whole key, n component n within equal leading ones.
    void DeclareKey(int key, std::string_view description, std::uint8_t autoNumber = 0);
    // The same, naming the key by its label ("CUS:NAMEK"); an unknown label adds nothing.
    void DeclareKey(std::string_view keyLabel, std::string_view description,
                    std::uint8_t autoNumber = 0);
    void Teardown();

    // The current record's position (through the primary key, or in record order);
    // empty when the file cannot be opened or no record is current.
    std::string CurrentPosition();
    // Re-reads the record at a position: 0 found, 5 not found, 3 the file is not open.
    Severity Reget(std::string_view position);

    // Record images: StoreImage saves the record and answers its id; RecallImage puts it
    // back into the buffer (or into `target`, another file's buffer of the same layout)
    // when `restore`, removes it either way and sets `id` to 0.
    std::int32_t StoreImage();
    void RecallImage(std::int32_t& id, bool restore, host::Record* target = nullptr);

    // File states: the record image, position, hold, watch and placeholder mark.
    std::uint16_t StoreState();
    void RecallState(std::uint16_t& id, bool restore);

    // At the start of every record operation: tells the registry (unless usage is 4)
    // and opens a lazily opened file for real. 2 reads and positions the file, 3 changes
    // its current record (the state saved for an outer procedure is then not put back).
    Severity CheckOpen(std::uint8_t usage = 2);

    // The calling thread's bookkeeping (created blank when missing); also notes the
    // file's name for "%File".
    ThreadFileInfo& SelectInfo();
    // Forgets an ended thread's record in INFO (a file declared per-thread only: the
    // record of any other file is the whole program's). Called when a logical thread
    // ends, between Setup and Teardown.
    void DropThread(std::int32_t thread);
    // The display name: FILENAME's value when set, else FILENAMEVALUE.
    std::string DisplayName() const;
    // Records `id` as the thread's last error with the runtime's current error.
    void SetError(std::uint16_t id);
    std::uint8_t LastError();
    void SetLastError(std::uint8_t id);
    // The key record for the host's key number; none when it was not declared.
    const KeyRecord* FindKey(int key) const;
    // Whether a real open of the file is in force on this thread.
    bool IsReallyOpen();

    FileAccess* ALIASEDFILE = nullptr;
    host::Record* BUFFER = nullptr;
    std::vector<RecordImage> BUFFERS; // in ID order
    bool CREATE = true;
    ErrorReporter* ERRORS = nullptr;
    host::RecordFile* FILE = nullptr;
    host::TypedRef FILENAME;
    std::string FILENAMEVALUE;
    bool HASAUTOINC = false;
    std::map<std::int32_t, ThreadFileInfo> INFO; // by ID
    std::vector<KeyRecord> KEYS;
    bool LAZYOPEN = true;
    std::int16_t LOCKRECOVER = 10;
    std::uint8_t OPENMODE = 66;
    std::uint8_t PRIMARYKEY = 0;
    std::vector<SavedFileState> SAVED;
    bool SKIPHELDRECORDS = false;
    // Not part of the file's own data: where it is registered and whose frames it joins.
    FileRegistry* REGISTRY = nullptr;
    host::RecordFileDriver* DRIVER = nullptr;

protected:
    // Opens the file for real: lock recovery, read-only fall-back, creation and key
    // rebuild, at most two attempts.
    Severity RealOpen(bool report);
    Severity Read(bool backward, bool report);
    // Open and OpenQuiet: counts an open of this thread, opening the file for real
    // unless it opens lazily or is in use already.
    Severity OpenFile(bool report);
    Severity InsertRecord(bool report);
    Severity UpdateRecord(bool report);
    // Numbers the record and adds it: as a placeholder for a record still being entered,
    // or, when an insert numbers itself (`placeholder` off), as the finished record.
    Severity Reserve(bool report, bool placeholder = true);
    // One numbering pass over the auto-numbered keys; 0 or the failure's level.
    Severity NumberKeys(bool report);
    // Writes the buffer over this thread's placeholder record.
    bool OverwritePlaceholder();
    // Deletes this thread's placeholder directly in the file.
    bool RemovePlaceholder();
    // The first key (in KEYS order) whose value the buffer would duplicate, none when
    // no key would; `skipAutoNumbered` leaves out the keys that auto-numbering fills;
    // `overCurrent` asks as for a write over the current record (which does not count).
    const KeyRecord* DuplicatedKey(bool skipAutoNumbered, bool overCurrent = false);
    // Shows id 13 ("Duplicate Key Error") naming the key.
    void ReportDuplicate(const KeyRecord* key);
    bool HasAliasedFile() const { return ALIASEDFILE != nullptr; }
    int ThreadId() const;

private:
    std::string recordPosition();

    host::ThreadEndSubscription threadEnded_;
};

} // namespace framework
