#include "platform/system/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include "platform/system/Folders.h"

namespace {
const QByteArray ActivateRequest = QByteArrayLiteral("activate\n");
}

SingleInstance::SingleInstance(const QString &mutexName, QObject *parent)
    : QObject(parent), m_mutexName(mutexName)
{
}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::serverName() const
{
    return m_mutexName + QStringLiteral("-%1").arg(::geteuid());
}

bool SingleInstance::acquire()
{
    if (m_primary)
        return true;
    // The lock file is the mutex: the kernel-checked owner process makes a lock
    // left by a crashed copy count as free, which a bare socket file cannot tell.
    m_lock = std::make_unique<QLockFile>(Folders::systemTempFolder() + QLatin1Char('/')
                                         + serverName() + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        askRunningCopy();
        return false;
    }
    m_primary = true;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket left behind is a dead copy's.
    QLocalServer::removeServer(serverName());
    if (m_server->listen(serverName())) {
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = m_server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (socket->canReadLine() && socket->readLine() == ActivateRequest)
                        emit activationRequested();
                });
            }
        });
    }
    // Without a socket the copy still runs alone; only the raising of its window
    // by a later start is lost.
    return true;
}

bool SingleInstance::askRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(ActivateRequest);
    const bool sent = socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return sent;
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
    m_primary = false;
}
