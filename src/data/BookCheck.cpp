#include "data/BookCheck.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
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
// told to stop. It touches no connection: it only brings the pages from the
// disk in one sweep, and tells how far it has come. The check walks the file's
// trees, which jump about the file; a page it asked for on its own would be a
// seek that competes with the sweep, so the check waits until the sweep has
// passed the page and then finds it in the system's cache.
class ReadAhead
{
public:
    explicit ReadAhead(const QString &path)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            finish(); // the check itself then says what is wrong with the file
            return;
        }
        m_thread = std::thread([this, fd] {
            posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            std::vector<char> buffer(1 << 20);
            qint64 position = 0;
            while (!m_stop.load(std::memory_order_relaxed)) {
                const ssize_t n = ::read(fd, buffer.data(), buffer.size());
                if (n <= 0)
                    break;
                position += n;
                reach(position);
            }
            ::close(fd);
            // At the end, on an error or when stopped, nobody waits any more:
            // the pages past this point are read by the check itself.
            finish();
        });
    }
    ~ReadAhead()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    // Returns once the sweep has read the file up to end, or has ended.
    void waitFor(qint64 end)
    {
        if (m_reached.load(std::memory_order_acquire) >= end)
            return;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_moved.wait(lock, [&] { return m_reached.load(std::memory_order_acquire) >= end; });
    }

private:
    void reach(qint64 position)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_reached.store(position, std::memory_order_release);
        }
        m_moved.notify_all();
    }
    void finish() { reach(std::numeric_limits<qint64>::max()); }

    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_reached{0};
    std::mutex m_mutex;
    std::condition_variable m_moved;
    std::thread m_thread;
};

// ---- a file system layer that counts what the check reads --------------------
//
// The engine's check runs as one step of its program, so its own progress
// callback never comes while it works. The check's connection is opened through
// this layer instead: it passes everything to the system's default layer and
// counts the bytes read from the book file, and every so often moves the bar
// (on this thread, the one running the check, so the window stays painted).

struct Counter
{
    WorkProgress *bar = nullptr;
    ReadAhead *ahead = nullptr;
    qint64 total = 0;
    qint64 read = 0;
    qint64 shownAt = 0;
};
Counter *activeCounter = nullptr;

sqlite3_vfs *realVfs = nullptr;
sqlite3_vfs countingVfs;

struct CountingFile
{
    sqlite3_file base;
    bool mainDb;
    sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
};

CountingFile *cf(sqlite3_file *f)
{
    return reinterpret_cast<CountingFile *>(f);
}

int cRead(sqlite3_file *f, void *buf, int amount, sqlite3_int64 offset)
{
    sqlite3_file *r = cf(f)->real();
    if (cf(f)->mainDb && activeCounter && activeCounter->ahead)
        activeCounter->ahead->waitFor(offset + amount);
    const int rc = r->pMethods->xRead(r, buf, amount, offset);
    if (cf(f)->mainDb && activeCounter && activeCounter->bar) {
        Counter &c = *activeCounter;
        c.read += amount;
        if (c.read - c.shownAt >= 256 * 1024) {
            c.shownAt = c.read;
            // Never the whole bar while the check still runs.
            c.bar->step(qMin<qint64>(999, c.total > 0 ? c.read * 1000 / c.total : 0), 1000);
        }
    }
    return rc;
}

int cClose(sqlite3_file *f)
{
    sqlite3_file *r = cf(f)->real();
    return r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
}
int cWrite(sqlite3_file *f, const void *b, int n, sqlite3_int64 o) { return cf(f)->real()->pMethods->xWrite(cf(f)->real(), b, n, o); }
int cTruncate(sqlite3_file *f, sqlite3_int64 size) { return cf(f)->real()->pMethods->xTruncate(cf(f)->real(), size); }
int cSync(sqlite3_file *f, int flags) { return cf(f)->real()->pMethods->xSync(cf(f)->real(), flags); }
int cFileSize(sqlite3_file *f, sqlite3_int64 *size) { return cf(f)->real()->pMethods->xFileSize(cf(f)->real(), size); }
int cLock(sqlite3_file *f, int lock) { return cf(f)->real()->pMethods->xLock(cf(f)->real(), lock); }
int cUnlock(sqlite3_file *f, int lock) { return cf(f)->real()->pMethods->xUnlock(cf(f)->real(), lock); }
int cCheckReservedLock(sqlite3_file *f, int *out) { return cf(f)->real()->pMethods->xCheckReservedLock(cf(f)->real(), out); }
int cFileControl(sqlite3_file *f, int op, void *arg) { return cf(f)->real()->pMethods->xFileControl(cf(f)->real(), op, arg); }
int cSectorSize(sqlite3_file *f) { return cf(f)->real()->pMethods->xSectorSize(cf(f)->real()); }
int cDeviceCharacteristics(sqlite3_file *f) { return cf(f)->real()->pMethods->xDeviceCharacteristics(cf(f)->real()); }
int cShmMap(sqlite3_file *f, int pg, int sz, int ext, void volatile **p) { return cf(f)->real()->pMethods->xShmMap(cf(f)->real(), pg, sz, ext, p); }
int cShmLock(sqlite3_file *f, int ofs, int n, int flags) { return cf(f)->real()->pMethods->xShmLock(cf(f)->real(), ofs, n, flags); }
void cShmBarrier(sqlite3_file *f) { cf(f)->real()->pMethods->xShmBarrier(cf(f)->real()); }
int cShmUnmap(sqlite3_file *f, int del) { return cf(f)->real()->pMethods->xShmUnmap(cf(f)->real(), del); }
int cFetch(sqlite3_file *f, sqlite3_int64 o, int n, void **p) { return cf(f)->real()->pMethods->xFetch(cf(f)->real(), o, n, p); }
int cUnfetch(sqlite3_file *f, sqlite3_int64 o, void *p) { return cf(f)->real()->pMethods->xUnfetch(cf(f)->real(), o, p); }

// One table of methods per version the real layer's files may have.
sqlite3_io_methods countingMethods[4];

int cOpen(sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags)
{
    CountingFile *f = cf(file);
    std::memset(f, 0, sizeof(CountingFile));
    f->mainDb = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    const int rc = realVfs->xOpen(realVfs, name, f->real(), flags, outFlags);
    if (f->real()->pMethods) {
        const int version = qBound(1, f->real()->pMethods->iVersion, 3);
        f->base.pMethods = &countingMethods[version];
    }
    return rc;
}

int cDelete(sqlite3_vfs *, const char *name, int syncDir) { return realVfs->xDelete(realVfs, name, syncDir); }
int cAccess(sqlite3_vfs *, const char *name, int flags, int *out) { return realVfs->xAccess(realVfs, name, flags, out); }
int cFullPathname(sqlite3_vfs *, const char *name, int n, char *out) { return realVfs->xFullPathname(realVfs, name, n, out); }
void *cDlOpen(sqlite3_vfs *, const char *name) { return realVfs->xDlOpen(realVfs, name); }
void cDlError(sqlite3_vfs *, int n, char *msg) { realVfs->xDlError(realVfs, n, msg); }
void (*cDlSym(sqlite3_vfs *, void *h, const char *sym))(void) { return realVfs->xDlSym(realVfs, h, sym); }
void cDlClose(sqlite3_vfs *, void *h) { realVfs->xDlClose(realVfs, h); }
int cRandomness(sqlite3_vfs *, int n, char *out) { return realVfs->xRandomness(realVfs, n, out); }
int cSleep(sqlite3_vfs *, int us) { return realVfs->xSleep(realVfs, us); }
int cCurrentTime(sqlite3_vfs *, double *t) { return realVfs->xCurrentTime(realVfs, t); }
int cGetLastError(sqlite3_vfs *, int n, char *out) { return realVfs->xGetLastError ? realVfs->xGetLastError(realVfs, n, out) : 0; }
int cCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *t) { return realVfs->xCurrentTimeInt64(realVfs, t); }

const char CountingVfsName[] = "pomu-counting";

void registerCountingVfs()
{
    static const bool registered = [] {
        realVfs = sqlite3_vfs_find(nullptr);
        if (!realVfs)
            return false;
        for (int v = 1; v <= 3; ++v) {
            sqlite3_io_methods &m = countingMethods[v];
            m = sqlite3_io_methods{v,        cClose,           cRead,       cWrite,         cTruncate,
                                   cSync,    cFileSize,        cLock,       cUnlock,        cCheckReservedLock,
                                   cFileControl, cSectorSize, cDeviceCharacteristics, nullptr, nullptr,
                                   nullptr,  nullptr,          nullptr,     nullptr};
            if (v >= 2) {
                m.xShmMap = cShmMap;
                m.xShmLock = cShmLock;
                m.xShmBarrier = cShmBarrier;
                m.xShmUnmap = cShmUnmap;
            }
            if (v >= 3) {
                m.xFetch = cFetch;
                m.xUnfetch = cUnfetch;
            }
        }
        std::memset(&countingVfs, 0, sizeof countingVfs);
        countingVfs.iVersion = 2;
        countingVfs.szOsFile = int(sizeof(CountingFile)) + realVfs->szOsFile;
        countingVfs.mxPathname = realVfs->mxPathname;
        countingVfs.zName = CountingVfsName;
        countingVfs.xOpen = cOpen;
        countingVfs.xDelete = cDelete;
        countingVfs.xAccess = cAccess;
        countingVfs.xFullPathname = cFullPathname;
        countingVfs.xDlOpen = cDlOpen;
        countingVfs.xDlError = cDlError;
        countingVfs.xDlSym = cDlSym;
        countingVfs.xDlClose = cDlClose;
        countingVfs.xRandomness = cRandomness;
        countingVfs.xSleep = cSleep;
        countingVfs.xCurrentTime = cCurrentTime;
        countingVfs.xGetLastError = cGetLastError;
        countingVfs.xCurrentTimeInt64 = cCurrentTimeInt64;
        return sqlite3_vfs_register(&countingVfs, 0) == SQLITE_OK;
    }();
    if (!registered)
        throw EDatabaseError(QStringLiteral("データベースの点検を始められません"));
}

// The check's own connection, closed however the check ends.
struct CheckConnection
{
    sqlite3 *db = nullptr;
    ~CheckConnection() { sqlite3_close_v2(db); }
    void fail(int rc) const
    {
        throw EDatabaseError(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("open failed"), rc);
    }
    void exec(const QString &sql) const
    {
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
    }
};

struct ActiveCounter
{
    explicit ActiveCounter(Counter *c) { activeCounter = c; }
    ~ActiveCounter() { activeCounter = nullptr; }
};

} // namespace

QString BookCheckCaption()
{
    return QStringLiteral("家計簿のデータを点検しています");
}

QStringList CheckBookIntegrity(const QString &databaseFile, const QString &key)
{
    registerCountingVfs();
    WorkProgress bar(BookCheckCaption());
    ReadAhead readAhead(databaseFile);
    Counter counter{&bar, &readAhead, QFileInfo(databaseFile).size()};
    const ActiveCounter active(&counter);
    CheckConnection c;
    const int rc = sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &c.db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, CountingVfsName);
    if (rc != SQLITE_OK)
        c.fail(rc);
    if (!key.isEmpty()) {
        QString quoted = key;
        quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
        c.exec(QStringLiteral("PRAGMA key = '%1'").arg(quoted));
    }
    // The check reads every page once, holding only the path from a tree's
    // root to the page it is at; a page cache bigger than the processor's own
    // caches would only spread the same work over more memory.
    c.exec(QStringLiteral("PRAGMA cache_size = 64"));
    QStringList problems;
    sqlite3_stmt *st = nullptr;
    const int prepared = sqlite3_prepare_v2(c.db, "PRAGMA quick_check", -1, &st, nullptr);
    if (prepared != SQLITE_OK)
        c.fail(prepared);
    int stepped = SQLITE_ROW;
    while (problems.size() < 10 && (stepped = sqlite3_step(st)) == SQLITE_ROW)
        problems << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (stepped != SQLITE_ROW && stepped != SQLITE_DONE)
        c.fail(stepped);
    bar.step(1000, 1000);
    return problems;
}
