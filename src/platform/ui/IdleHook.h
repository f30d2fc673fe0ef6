#pragma once

#include <QObject>

// The application's idle moment: idle() is emitted each time the event loop has
// run out of events and is about to wait. Deferred work (reloading lines after a
// click, recomputing totals) connects here and does its work once.
class IdleHook : public QObject
{
    Q_OBJECT
public:
    // The one hook of the running thread's event loop; made on first use.
    static IdleHook *instance();

signals:
    void idle();

private:
    explicit IdleHook(QObject *parent);
    void aboutToBlock();
    bool m_running = false;
};
