#include "platform/ui/IdleHook.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>

#include "platform/ui/Application.h"

IdleHook *IdleHook::instance()
{
    static QPointer<IdleHook> hook;
    if (!hook) {
        QCoreApplication *app = QCoreApplication::instance();
        Q_ASSERT(app);
        hook = new IdleHook(app);
    }
    return hook;
}

IdleHook::IdleHook(QObject *parent)
    : QObject(parent)
{
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &IdleHook::aboutToBlock);
}

void IdleHook::aboutToBlock()
{
    // A handler that opens a modal dialog runs a nested loop, which would block
    // again inside this call; one idle pass at a time.
    if (m_running)
        return;
    m_running = true;
    // This runs inside the dispatcher, outside notify(): an exception must end
    // here, shown like any other.
    try {
        emit idle();
    } catch (...) {
        Application::handleException(std::current_exception());
    }
    m_running = false;
}
