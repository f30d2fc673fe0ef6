#include "data/BookCheck.h"

#include <atomic>
#include <thread>
#include <vector>

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include "data/WorkProgress.h"
#include "platform/db/Database.h"

namespace {

// Reads the file through the system's cache on its own thread until done or
// told to stop, counting the bytes.
class ReadAhead
{
public:
    explicit ReadAhead(const QString &path)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return; // the check itself then says what is wrong with the file
        m_thread = std::thread([this, fd] {
            posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            std::vector<char> buffer(1 << 20);
            while (!m_stop.load(std::memory_order_relaxed)) {
                const ssize_t n = ::read(fd, buffer.data(), buffer.size());
                if (n <= 0)
                    break;
                m_done.fetch_add(n, std::memory_order_relaxed);
            }
            ::close(fd);
        });
    }
    ~ReadAhead()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    qint64 done() const { return m_done.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_done{0};
    std::thread m_thread;
};

struct Watch
{
    sqlite3 *db = nullptr;
    WorkProgress *bar = nullptr;
    const ReadAhead *readAhead = nullptr;
    qint64 fileSize = 0;
    qint64 pages = 0;
};

// Half the bar is the file read, half the pages the check has loaded.
int onProgress(void *context)
{
    auto *w = static_cast<Watch *>(context);
    int loaded = 0, highest = 0;
    sqlite3_db_status(w->db, SQLITE_DBSTATUS_CACHE_MISS, &loaded, &highest, 0);
    const double read = w->fileSize > 0 ? qMin(1.0, double(w->readAhead->done()) / double(w->fileSize)) : 1.0;
    const double checked = w->pages > 0 ? qMin(1.0, double(loaded) / double(w->pages)) : 1.0;
    // Never the whole bar while the check still runs.
    w->bar->step(qint64(999 * (read + checked) / 2), 1000);
    return 0;
}

// Takes the handler off the connection however the check ends.
struct HandlerGuard
{
    sqlite3 *db;
    ~HandlerGuard() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
};

} // namespace

QString BookCheckCaption()
{
    return QStringLiteral("家計簿のデータを点検しています");
}

QStringList CheckBookIntegrity(Database &db, const QString &databaseFile)
{
    WorkProgress bar(BookCheckCaption());
    ReadAhead readAhead(databaseFile);
    Watch watch{db.handle(), &bar, &readAhead, QFileInfo(databaseFile).size(),
                db.scalar(QStringLiteral("PRAGMA page_count")).toLongLong()};
    int loaded = 0, highest = 0;
    // Counted from here: the pages loaded before are not the check's.
    sqlite3_db_status(db.handle(), SQLITE_DBSTATUS_CACHE_MISS, &loaded, &highest, 1);
    HandlerGuard guard{db.handle()};
    sqlite3_progress_handler(db.handle(), 10000, &onProgress, &watch);
    QStringList problems;
    Statement check(db, QStringLiteral("PRAGMA quick_check"));
    while (check.next() && problems.size() < 10)
        problems << check.textValue(0);
    bar.step(1000, 1000);
    return problems;
}
