#pragma once

#include <cstdint>
#include <string>

namespace host::sqlite {

// Byte-range locks on the data folder's lock file, owned by one open description of it.
// Locks of different LockFile objects conflict, whether they are in one process or in
// several; the system releases them when their process ends, however it ends, so a
// station that dies never leaves a record held or a file locked.
//
// Nothing is written to the file: a lock on byte n stands for one thing (a file opened
// for writing, a record held) by the convention of SqliteRecordFile.
class LockFile {
public:
    LockFile() = default;
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Opens the lock file, making it when missing. Where it cannot be written (a data
    // folder with read rights only) it is opened for reading: shared locks can still be
    // taken and other owners' locks seen, exclusive ones cannot (isWritable is false).
    // Fails when the file can be neither opened nor made.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool isWritable() const { return fd_ >= 0 && writable_; }

    // Takes a shared or exclusive lock on [offset, offset + length), waiting up to
    // `waitMilliseconds` (cooperatively: CooperativeWait) while another owner's lock
    // conflicts. A lock of this owner on the range is replaced.
    bool lock(std::int64_t offset, std::int64_t length, bool exclusive, int waitMilliseconds = 0);
    void unlock(std::int64_t offset, std::int64_t length);
    // True when another owner holds a lock on the range that conflicts with taking one
    // of the given kind (any lock conflicts with exclusive; only exclusive with shared).
    bool lockedElsewhere(std::int64_t offset, std::int64_t length, bool exclusive) const;

private:
    int fd_ = -1;
    bool writable_ = false;
};

} // namespace host::sqlite
