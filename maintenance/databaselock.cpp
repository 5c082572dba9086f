#include "maintenance/databaselock.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// The engine's lock bytes, fixed by its file format: the pending byte at 1 GiB, the reserved byte after
// it and the 510 shared bytes after that. A write lock over all of them is the engine's exclusive lock;
// every connection that reads takes a read lock there first, and one in write-ahead-log mode keeps it
// for as long as it has the file open.
constexpr off_t PendingByte = 0x40000000;
constexpr off_t LockBytes = 2 + 510;
} // namespace

DatabaseFileLock::DatabaseFileLock(QString databasePath) : m_path(std::move(databasePath)) {}

DatabaseFileLock::~DatabaseFileLock() {
    release();
}

DatabaseFileLock::Outcome DatabaseFileLock::acquire(QString *error) {
    if (isHeld()) return Outcome::Held;
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return Outcome::Failed;
    }
    // A lock of the open file itself, not of the process: the copies this program makes of the file
    // open and close it again meanwhile, which would drop a lock of the process.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = PendingByte;
    lock.l_len = LockBytes;
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
        m_fd = fd;
        return Outcome::Held;
    }
    const int why = errno;
    ::close(fd);
    if (why == EAGAIN || why == EACCES) return Outcome::InUse;
    *error = QString::fromLocal8Bit(std::strerror(why));
    return Outcome::Failed;
}

void DatabaseFileLock::release() {
    if (m_fd < 0) return;
    ::close(m_fd);
    m_fd = -1;
}
