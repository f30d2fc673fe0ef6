#include "data/DatModLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace {

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

bool TDatModLock::acquireShared(const QString &folder)
{
    release();
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(fileName()));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    if (flockRetry(fd, LOCK_SH) != 0) {
        ::close(fd);
        return false;
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
