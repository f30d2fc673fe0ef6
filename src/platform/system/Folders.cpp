#include "platform/system/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace Folders {

namespace {
QString location(QStandardPaths::StandardLocation which, const QString &fallback)
{
    const QString path = QStandardPaths::writableLocation(which);
    return path.isEmpty() ? fallback : path;
}

// True when path is a real folder (not a link) owned by this user and closed to others.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}
} // namespace

QString configFolder()
{
    return location(QStandardPaths::GenericConfigLocation, QDir::homePath() + QStringLiteral("/.config"));
}

QString userSettingsFolder()
{
    return configFolder() + QStringLiteral("/Kirafu");
}

QString userSettingsFile()
{
    return userSettingsFolder() + QStringLiteral("/PomuZenit.ini");
}

QString documentsFolder()
{
    return location(QStandardPaths::DocumentsLocation, QDir::homePath());
}

QString desktopFolder()
{
    return location(QStandardPaths::DesktopLocation, QDir::homePath());
}

QString programFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

QString systemTempFolder()
{
    return location(QStandardPaths::TempLocation, QDir::tempPath());
}

QString tempWorkFolder()
{
    const QString base = systemTempFolder();
    const QString mine = base + QStringLiteral("/pomuzenit-%1").arg(::geteuid());
    const QByteArray path = QFile::encodeName(mine);
    if (::mkdir(path.constData(), 0700) == 0 || isPrivateFolder(path))
        return mine;
    // Taken by someone else or by something that is not a private folder: make a
    // unique one rather than trust it.
    QByteArray templ = QFile::encodeName(mine + QStringLiteral("-XXXXXX"));
    if (::mkdtemp(templ.data()))
        return QFile::decodeName(templ);
    return QString();
}

} // namespace Folders
