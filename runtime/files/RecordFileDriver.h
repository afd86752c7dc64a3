#pragma once

#include "runtime/base/Record.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"

#include <memory>
#include <string>

namespace host {

// The record-file driver: the data files of one data folder. The program opens a folder,
// makes a RecordFile for each file declaration (bound to the file's record buffer), makes
// views over them, and runs transaction frames over the files that take part.
//
// Transaction frames: files mark themselves with RecordFile::enlist, then `begin` starts
// the frame; every record written until `commit` becomes visible to other stations at
// once at the commit, or not at all (after `rollback`, and when the process dies before
// committing). A frame belongs to the driver object: every file made by it writes inside
// the frame while the frame is open. Commit and rollback end the frame and clear the
// marks.
//
// A driver and the files and views made by it are used by one thread at a time. Files
// and views must be destroyed before their driver.
class RecordFileDriver {
public:
    virtual ~RecordFileDriver();

    // Opens the data folder (which must exist: 2 otherwise), creating the data base in
    // it when it has none yet. A data base that cannot be read fails with its cause
    // (90); a folder or data base that cannot be written opens for reading only (see
    // RecordFile::open).
    virtual bool openFolder(const std::string& folder) = 0;
    virtual bool isOpen() const = 0;
    virtual std::string folder() const = 0;
    // Where the data are kept, as messages name it (the data base file of the folder);
    // the folder itself unless the driver says otherwise.
    virtual std::string dataLocation() const { return folder(); }

    virtual std::unique_ptr<RecordFile> makeFile(FileDefinition definition, Record& buffer) = 0;
    // A view over a primary file made by this driver.
    virtual std::unique_ptr<RecordView> makeView(RecordFile& primary) = 0;

    // Starts a transaction frame, waiting up to `timeoutSeconds` for another station's
    // frame to end (5 when it does not). Fails with 90 when a frame is already running.
    virtual bool begin(int timeoutSeconds) = 0;
    virtual bool commit() = 0;
    virtual bool rollback() = 0;
    virtual bool inTransaction() const = 0;
};

} // namespace host
