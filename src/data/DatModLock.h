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
    // lock, waiting for another process's short exclusive repair to end. False
    // when the file cannot be made or locked (a read-only folder, for example).
    bool acquireShared(const QString &folder);
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
    bool wasClosedCleanly() const;
    void markOpen();
    void markClosed();

    bool isHeld() const { return m_fd >= 0; }
    bool isExclusive() const { return m_exclusive; }
    QString folder() const { return m_folder; }

private:
    int m_fd = -1;
    bool m_exclusive = false;
    QString m_folder;
};
