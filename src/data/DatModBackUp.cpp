#include "data/DatModBackUp.h"

#include <cstdio>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "data/BackUp.h"
#include "data/DatModLock.h"
#include "data/DatModSchema.h"
#include "platform/db/Database.h"
#include "data/WorkProgress.h"

namespace {

// rename(2) replaces an existing target in one step, unlike QFile::rename.
bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

QStringList BookFileList(const QString &bookFolder)
{
    const QDir dir(bookFolder);
    return {dir.filePath(QStringLiteral("PomuZenitData.ini")), dir.filePath(QStringLiteral("MemoRandum.txt")),
            dir.filePath(QStringLiteral("PomuZenitData.db"))};
}

bool WriteBookArchive(const QString &file, const QString &bookFolder, const QString &bookName, QString *error,
                      const QString &progressCaption)
{
    TBackUp archive;
    std::unique_ptr<WorkProgress> bar;
    if (!progressCaption.isEmpty()) {
        bar = std::make_unique<WorkProgress>(progressCaption);
        archive.onDataProgress = [&bar](qint64 done, qint64 total) { bar->step(done, total); };
    }
    archive.AutoBackUpId = true;
    archive.BackUpId = QStringLiteral("BackUp");
    archive.BackUpFileName = file;
    archive.CheckOverWrite = false;
    archive.setCompressMode(cmZlib);
    archive.setCompressLevel(2);
    archive.DataKind = QStringLiteral("ZenitBackUp_100 ");
    // The archive carries the name of the book it holds, whatever book is
    // marked current in the user's settings.
    archive.DataName = bookName;
    archive.IncludePath = false;
    archive.NoMessage = true;
    archive.FileList() = BookFileList(bookFolder);
    try {
        if (archive.BackUp())
            return true;
        if (error)
            *error = QStringLiteral("バックアップファイルを書けません。\r") + file;
    } catch (const EBackUpError &e) {
        if (error)
            *error = e.message();
    }
    return false;
}

QString BackUpGenerationName(const QString &bookName, int n)
{
    return bookName + QLatin1Char('_') + QString::number(n) + QStringLiteral(".pbk");
}

namespace {

// Writes through writer to a temporary name in dir; the temporary file's name
// when it was written whole, empty (and the reason in *why) otherwise.
QString writePartial(const QDir &dir, const QString &finalName, const TArchiveWriter &writer, QString *why)
{
    // The leading dot and the extra extension keep the half-written file from
    // ever looking like a generation of this or any other book.
    const QString partial = dir.filePath(QLatin1Char('.') + finalName + QStringLiteral(".part"));
    QFile::remove(partial);
    bool written = false;
    try {
        written = writer(partial, why);
    } catch (const std::exception &e) {
        *why = QString::fromStdString(e.what());
        written = false;
    }
    if (!written || !QFileInfo::exists(partial)) {
        QFile::remove(partial);
        if (why->isEmpty())
            *why = QStringLiteral("バックアップファイルを書けません。\r") + partial;
        return QString();
    }
    return partial;
}

} // namespace

QString DamagedBackUpName(const QString &bookName)
{
    return bookName + QStringLiteral("_damaged.pbk");
}

bool WriteDamagedBackUp(const QString &folder, const QString &bookName, const TArchiveWriter &writer, QString *error)
{
    QDir dir(folder);
    QString why;
    if (!dir.exists() && !QDir().mkpath(folder))
        why = QStringLiteral("フォルダを作成できません。\r") + folder;
    const QString name = DamagedBackUpName(bookName);
    const QString partial = why.isEmpty() ? writePartial(dir, name, writer, &why) : QString();
    if (!partial.isEmpty() && replaceFile(partial, dir.filePath(name)))
        return true;
    QFile::remove(partial);
    if (error)
        *error = why.isEmpty() ? QStringLiteral("バックアップファイルを書けません。\r") + dir.filePath(name) : why;
    return false;
}

bool WriteBackUpGeneration(const QString &folder, const QString &bookName, int count,
                           const TArchiveWriter &writer, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (count <= 0)
        return true;
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        return fail(QStringLiteral("フォルダを作成できません。\r") + folder);

    // The leading dot and the extra extension keep the half-written file from
    // ever looking like a generation of this or any other book.
    const QString partial = dir.filePath(QLatin1Char('.') + BackUpGenerationName(bookName, 1)
                                         + QStringLiteral(".part"));
    QFile::remove(partial);
    QString why;
    bool written = false;
    try {
        written = writer(partial, &why);
    } catch (const std::exception &e) {
        why = QString::fromStdString(e.what());
        written = false;
    }
    if (!written || !QFileInfo::exists(partial)) {
        QFile::remove(partial);
        return fail(why.isEmpty() ? QStringLiteral("バックアップファイルを書けません。\r") + partial : why);
    }

    // A generation that cannot be deleted or moved is left as it is.
    for (int n = count; n >= 1; --n) {
        const QString file = dir.filePath(BackUpGenerationName(bookName, n));
        if (!QFileInfo::exists(file))
            continue;
        if (n == count)
            QFile::remove(file);
        else
            replaceFile(file, dir.filePath(BackUpGenerationName(bookName, n + 1)));
    }
    const QString first = dir.filePath(BackUpGenerationName(bookName, 1));
    if (!replaceFile(partial, first)) {
        QFile::remove(partial);
        return fail(QStringLiteral("バックアップファイルを書けません。\r") + first);
    }
    return true;
}

namespace {

const QStringList &engineSideSuffixes()
{
    static const QStringList suffixes{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
    return suffixes;
}

} // namespace

bool IsBookArchiveEntry(const QString &name)
{
    if (name.compare(TDatModLock::fileName(), Qt::CaseInsensitive) == 0)
        return false;
    for (const QString &suffix : engineSideSuffixes())
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return false;
    return true;
}

bool RemoveEngineSideFiles(const QString &folder, QString *error)
{
    const QDir dir(folder);
    for (const QString &suffix : engineSideSuffixes()) {
        const QString file = dir.filePath(DatModSchema::databaseFileName() + suffix);
        if (QFileInfo::exists(file) && !QFile::remove(file)) {
            if (error)
                *error = file;
            return false;
        }
    }
    return true;
}

QString CheckRestoredBook(const QString &folder)
{
    try {
        Database db;
        db.open(QDir(folder).filePath(DatModSchema::databaseFileName()));
        if (!db.canRead())
            return QString();
        QStringList problems;
        Statement check(db, QStringLiteral("PRAGMA quick_check"));
        while (check.next() && problems.size() < 10)
            problems << check.textValue(0);
        return problems == QStringList{QStringLiteral("ok")} ? QString() : problems.join(QLatin1Char('\r'));
    } catch (const EDatabaseError &e) {
        return e.message();
    }
}
