#include "platform/ui/WaitCursor.h"

#include <QGuiApplication>

WaitCursor::WaitCursor()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_set = true;
    }
}

WaitCursor::~WaitCursor()
{
    if (m_set && QCoreApplication::instance())
        QGuiApplication::restoreOverrideCursor();
}
