#include "runtime/sqlite/LockFile.h"

#include "runtime/threads/CooperativeWait.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

// Open-file-description locks belong to one open of the file rather than to the process:
// two opens in one process conflict like two processes do, and closing another
// descriptor of the file does not drop them.
#ifndef F_OFD_SETLK
#error "The record-file driver needs open-file-description locks (F_OFD_SETLK)"
#endif

namespace host::sqlite {

namespace {

struct flock rangeLock(short type, std::int64_t offset, std::int64_t length) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    lock.l_pid = 0;
    return lock;
}

} // namespace

LockFile::~LockFile() {
    close();
}

bool LockFile::open(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    writable_ = fd_ >= 0;
    if (fd_ < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0;
}

void LockFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    writable_ = false;
}

bool LockFile::lock(std::int64_t offset, std::int64_t length, bool exclusive,
                    int waitMilliseconds) {
    if (fd_ < 0 || (exclusive && !writable_))
        return false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        struct flock lock = rangeLock(exclusive ? F_WRLCK : F_RDLCK, offset, length);
        if (fcntl(fd_, F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            return false;
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        CooperativeWait::pauseUntil(std::min(deadline, now + CooperativeWait::pollInterval));
    }
}

void LockFile::unlock(std::int64_t offset, std::int64_t length) {
    if (fd_ < 0)
        return;
    struct flock lock = rangeLock(F_UNLCK, offset, length);
    fcntl(fd_, F_OFD_SETLK, &lock);
}

bool LockFile::lockedElsewhere(std::int64_t offset, std::int64_t length, bool exclusive) const {
    if (fd_ < 0)
        return false;
    struct flock lock = rangeLock(exclusive ? F_WRLCK : F_RDLCK, offset, length);
    if (fcntl(fd_, F_OFD_GETLK, &lock) != 0)
        return false;
    return lock.l_type != F_UNLCK;
}

} // namespace host::sqlite
