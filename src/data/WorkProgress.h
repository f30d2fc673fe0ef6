#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QString>

class QProgressDialog;

// The bar shown while the program does long work the user has to wait for
// (the backup at closing, the check of a book after an unclean end). It comes
// up only once the work has taken a moment, so a small book closes and opens
// without a flash, and every step repaints it. It has no cancel button: the
// work it shows must run to its end. A program without widgets shows nothing.
class WorkProgress
{
public:
    explicit WorkProgress(const QString &caption);
    ~WorkProgress();
    WorkProgress(const WorkProgress &) = delete;
    WorkProgress &operator=(const WorkProgress &) = delete;

    // done out of total; cheap to call often.
    void step(qint64 done, qint64 total);
    // Whether the window has come up (for tests and the benchmark).
    bool shown() const { return m_dialog != nullptr; }

    // Milliseconds of work before the window comes up.
    static constexpr int ShowAfterMs = 400;

private:
    QString m_caption;
    QElapsedTimer m_timer;
    qint64 m_lastPaint = -1;
    std::unique_ptr<QProgressDialog> m_dialog;
};
