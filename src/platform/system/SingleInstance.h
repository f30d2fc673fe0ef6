#pragma once

#include <memory>

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

// One running copy per user. The first copy holds a lock file named after the
// mutex text and the user, and listens on a local socket of the same name; a
// later copy finds the lock taken, asks the first copy through the socket to
// come to the front, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &mutexName, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first copy; it then holds the lock and listens
    // until release() or destruction. False when another copy runs: it has been
    // asked to come to the front (when it already listens; a copy still starting
    // up is simply left alone).
    bool acquire();
    // Lets go of the lock and stops listening.
    void release();
    bool isPrimary() const { return m_primary; }

    // The name of the lock file and of the socket: the mutex text and the user id.
    QString serverName() const;

signals:
    // A later copy asked this one to come to the front.
    void activationRequested();

private:
    bool askRunningCopy();

    QString m_mutexName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_primary = false;
};
