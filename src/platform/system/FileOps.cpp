#include "platform/system/FileOps.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace FileOps {

namespace {
bool hasWildcard(const QString &name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

bool copyFile(const QString &from, const QString &to)
{
    if (QFileInfo(to).isDir())
        return false;
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        QFile::remove(to);
    return QFile::copy(from, to);
}

bool copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    const QString target = QFileInfo(to).canonicalFilePath();
    bool ok = true;
    const QFileInfoList entries = QDir(from).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        // A copy into a folder inside the source must not copy itself forever.
        if (entry.isDir() && entry.canonicalFilePath() == target)
            continue;
        const QString dest = to + QLatin1Char('/') + entry.fileName();
        ok = (entry.isDir() && !entry.isSymLink() ? copyFolder(entry.filePath(), dest)
                                                  : copyFile(entry.filePath(), dest)) && ok;
    }
    return ok;
}

bool copyEntry(const QFileInfo &entry, const QString &to)
{
    return entry.isDir() && !entry.isSymLink() ? copyFolder(entry.filePath(), to)
                                               : copyFile(entry.filePath(), to);
}

bool removeEntry(const QFileInfo &entry)
{
    if (entry.isDir() && !entry.isSymLink())
        return QDir(entry.filePath()).removeRecursively();
    return QFile::remove(entry.filePath());
}
} // namespace

bool copy(const QString &from, const QString &to)
{
    if (from.isEmpty() || to.isEmpty())
        return false;
    const QFileInfo source(from);
    if (hasWildcard(source.fileName())) {
        const QFileInfoList matches = QDir(source.path()).entryInfoList(
            {source.fileName() == QStringLiteral("*.*") ? QStringLiteral("*") : source.fileName()},
            QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (matches.isEmpty() || !QDir().mkpath(to))
            return false;
        bool ok = true;
        for (const QFileInfo &entry : matches)
            ok = copyEntry(entry, to + QLatin1Char('/') + entry.fileName()) && ok;
        return ok;
    }
    if (!source.exists())
        return false;
    QString dest = to;
    if (QFileInfo(to).isDir())
        dest = to + QLatin1Char('/') + source.fileName();
    return copyEntry(source, dest);
}

bool remove(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo target(path);
    if (hasWildcard(target.fileName())) {
        bool ok = true;
        const QFileInfoList matches = QDir(target.path()).entryInfoList(
            {target.fileName() == QStringLiteral("*.*") ? QStringLiteral("*") : target.fileName()},
            QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : matches)
            ok = removeEntry(entry) && ok;
        return ok;
    }
    if (!target.exists() && !target.isSymLink())
        return true;
    return removeEntry(target);
}

} // namespace FileOps
