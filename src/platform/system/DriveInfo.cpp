#include "platform/system/DriveInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// The path may name a file or folder that does not exist yet (an archive about to
// be written); its nearest existing ancestor lives on the same file system.
QString existingAncestor(const QString &path)
{
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            break;
        info = QFileInfo(parent);
    }
    return info.absoluteFilePath();
}

bool readsOne(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.readAll().trimmed() == "1";
}

} // namespace

bool DriveInfo::isRemovable(const QString &path)
{
    const QStorageInfo storage(existingAncestor(path));
    if (!storage.isValid())
        return false;
    const QString root = storage.rootPath();
    if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/")))
        return true;
    const QString device = QString::fromLocal8Bit(storage.device());
    if (!device.startsWith(QLatin1String("/dev/")))
        return false;
    // A partition's sysfs folder sits inside its disk's folder, and only the disk
    // carries the "removable" flag.
    const QString sysPath = QFileInfo(QStringLiteral("/sys/class/block/") + QFileInfo(device).fileName()).canonicalFilePath();
    if (sysPath.isEmpty())
        return false;
    return readsOne(sysPath + QStringLiteral("/removable")) || readsOne(QFileInfo(sysPath).absolutePath() + QStringLiteral("/removable"));
}

qint64 DriveInfo::freeBytes(const QString &path)
{
    const QStorageInfo storage(existingAncestor(path));
    return storage.isValid() ? storage.bytesAvailable() : -1;
}
