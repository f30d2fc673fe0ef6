#include "data/WorkProgress.h"

#include <QApplication>
#include <QProgressDialog>

WorkProgress::WorkProgress(const QString &caption) : m_caption(caption)
{
    m_timer.start();
}

WorkProgress::~WorkProgress() = default;

void WorkProgress::step(qint64 done, qint64 total)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    const qint64 now = m_timer.elapsed();
    if (!m_dialog) {
        if (now < ShowAfterMs || done >= total)
            return;
        m_dialog = std::make_unique<QProgressDialog>(m_caption, QString(), 0, 1000, QApplication::activeWindow());
        m_dialog->setWindowTitle(m_caption);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setCancelButton(nullptr);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumWidth(360);
        m_dialog->show();
    } else if (now - m_lastPaint < 30 && done < total) {
        return; // a repaint some thirty times a second is plenty
    }
    m_lastPaint = now;
    m_dialog->setValue(total > 0 ? int(qMin<qint64>(1000, done * 1000 / total)) : 0);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
