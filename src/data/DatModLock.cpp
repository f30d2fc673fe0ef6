#include "data/DatModLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace {

int lockWaitMs = 5000;

int flockRetry(int fd, int op)
{
    int rc;
    do {
        rc = ::flock(fd, op);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

} // namespace

QString TDatModLock::fileName()
{
    return QStringLiteral("PomuZenitData.lck");
}

TDatModLock::~TDatModLock()
{
    release();
}

int TDatModLock::waitMs()
{
    return lockWaitMs;
}

void TDatModLock::setWaitMs(int ms)
{
    lockWaitMs = ms;
}

bool TDatModLock::acquireShared(const QString &folder)
{
    release();
    m_busy = false;
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(fileName()));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    // A repair holds the lock for moments; a process that holds it longer is
    // not repairing, and the opening must not hang without a window or a word.
    QElapsedTimer waited;
    waited.start();
    while (flockRetry(fd, LOCK_SH | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK || waited.elapsed() >= lockWaitMs) {
            m_busy = errno == EWOULDBLOCK;
            ::close(fd);
            return false;
        }
        QThread::msleep(20);
    }
    m_fd = fd;
    m_exclusive = false;
    m_folder = folder;
    return true;
}

bool TDatModLock::tryExclusive()
{
    if (m_fd < 0)
        return false;
    if (m_exclusive)
        return true;
    if (flockRetry(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_exclusive = true;
        return true;
    }
    // Converting a flock is not atomic: a failed conversion may have dropped the
    // shared lock, so take it again.
    flockRetry(m_fd, LOCK_SH);
    return false;
}

void TDatModLock::makeShared()
{
    if (m_fd < 0 || !m_exclusive)
        return;
    // Going down from exclusive never conflicts with anyone.
    flockRetry(m_fd, LOCK_SH);
    m_exclusive = false;
}

void TDatModLock::release()
{
    if (m_fd >= 0) {
        flockRetry(m_fd, LOCK_UN);
        ::close(m_fd);
    }
    m_fd = -1;
    m_exclusive = false;
    m_folder.clear();
}

namespace {

const char kClosedMark[] = "closed\n";

void writeMark(int fd, const char *mark, size_t size)
{
    if (fd < 0)
        return;
    // Best effort: a mark that is not written only costs the next opening an
    // integrity check.
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, mark, size, 0) == ssize_t(size))
        ::fdatasync(fd);
}

bool hasMark(int fd, const char *mark, size_t size)
{
    if (fd < 0)
        return false;
    char buffer[16] = {};
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    return n == ssize_t(size) && memcmp(buffer, mark, size) == 0;
}

const char kDamagedMark[] = "damaged\n";

} // namespace

bool TDatModLock::wasClosedCleanly() const
{
    return hasMark(m_fd, kClosedMark, sizeof kClosedMark - 1);
}

bool TDatModLock::wasDamaged() const
{
    return hasMark(m_fd, kDamagedMark, sizeof kDamagedMark - 1);
}

void TDatModLock::markDamaged()
{
    if (m_exclusive)
        writeMark(m_fd, kDamagedMark, sizeof kDamagedMark - 1);
}

bool TDatModLock::clearMark(const QString &folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(fileName()));
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    bool cleared = false;
    if (flockRetry(fd, LOCK_EX | LOCK_NB) == 0) {
        cleared = ::ftruncate(fd, 0) == 0;
        ::fdatasync(fd);
        flockRetry(fd, LOCK_UN);
    }
    ::close(fd);
    return cleared;
}

void TDatModLock::markOpen()
{
    if (m_exclusive)
        writeMark(m_fd, "open\n", 5);
}

void TDatModLock::markClosed()
{
    if (m_exclusive)
        writeMark(m_fd, kClosedMark, sizeof kClosedMark - 1);
}
