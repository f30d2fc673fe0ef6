#include "data/DatModBackUp.h"

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// rename(2) replaces an existing target in one step, unlike QFile::rename.
bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

QString BackUpGenerationName(const QString &bookName, int n)
{
    return bookName + QLatin1Char('_') + QString::number(n) + QStringLiteral(".pbk");
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
