#pragma once

#include <QString>

// The lock file "PomuZenitData.lck" in a book folder. Every process that has the
// book open holds a shared flock on it; the repair at opening tries to turn its
// own lock exclusive, which fails while another process has the book open, so
// the repair is skipped instead of rebuilding indexes under someone else's feet.
// The file is never deleted: a process may hold a lock on it at any moment, and
// removing it would let two processes lock two different files.
class TDatModLock
{
public:
    static QString fileName();

    TDatModLock() = default;
    ~TDatModLock();
    TDatModLock(const TDatModLock &) = delete;
    TDatModLock &operator=(const TDatModLock &) = delete;

    // Opens (creating when missing) the lock file of the folder and takes a shared
    // lock, waiting for another process's short exclusive repair to end, at
    // most waitMs(). False when the file cannot be made or locked (a read-only
    // folder, for example) or when another process still holds it exclusively
    // after the wait (wasBusy() then tells the two apart).
    bool acquireShared(const QString &folder);
    bool wasBusy() const { return m_busy; }
    // How long acquireShared waits for another process's exclusive lock.
    static int waitMs();
    static void setWaitMs(int ms);
    // Tries, without waiting, to make the lock exclusive. On failure the shared
    // lock is held again before returning.
    bool tryExclusive();
    // Goes back from exclusive to shared.
    void makeShared();
    // Drops the lock and closes the file.
    void release();

    // What the lock file says of the last session on the book. A process that
    // closes the book while no other has it open marks the file closed; the
    // repair marks it open. A book left marked open (a crash, a power cut, a
    // book from elsewhere) is the one whose integrity check is worth its time.
    // Both need the exclusive lock; reading is fine under the shared one.
    // A book that met damage in its session is marked so, which also makes
    // the next opening check it. A restore clears the mark of the folder it
    // wrote (clearMark), so the restored file is checked at its first opening
    // whatever the book it replaced said of itself.
    bool wasClosedCleanly() const;
    bool wasDamaged() const;
    void markOpen();
    void markClosed();
    void markDamaged();
    // False when another process has the folder's book open.
    static bool clearMark(const QString &folder);

    bool isHeld() const { return m_fd >= 0; }
    bool isExclusive() const { return m_exclusive; }
    QString folder() const { return m_folder; }

private:
    int m_fd = -1;
    bool m_exclusive = false;
    bool m_busy = false;
    QString m_folder;
};
