#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

TestEnv::TestEnv()
    : m_oldHome(qgetenv("HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME")), m_oldTmp(qgetenv("TMPDIR"))
{
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("TMPDIR", m_dir.filePath(QStringLiteral("tmp")).toUtf8());
    QStandardPaths::setTestModeEnabled(false);
}

TestEnv::~TestEnv()
{
    qputenv("HOME", m_oldHome);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
    qputenv("TMPDIR", m_oldTmp);
}

bool TestEnv::writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}
