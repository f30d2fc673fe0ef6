#include "data/DataPassword.h"

#include <cstdio>

#include <QFile>
#include <QFileInfo>

#include "data/DatMod.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

namespace {

QString quotedText(QString text)
{
    text.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// Rows of every table, by name.
QList<QPair<QString, qint64>> tableRows(Database &db)
{
    QStringList names;
    {
        Statement list(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        while (list.next())
            names << list.textValue(0);
    }
    QList<QPair<QString, qint64>> rows;
    for (const QString &name : names)
        rows << qMakePair(name, db.scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(name)).toLongLong());
    return rows;
}

} // namespace

bool BookFileLooksKeyed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size < 1024 || size % 512 != 0)
        return false;
    const QByteArray start = file.read(16);
    if (start.startsWith(QByteArrayLiteral("SQLite format 3")))
        return false;
    return start.count('\0') < start.size();
}

void RewriteBookKey(const QString &path, const QString &oldKey, const QString &newKey)
{
    const QString fresh = path + QStringLiteral(".new");
    QFile::remove(fresh);
    try {
        QList<QPair<QString, qint64>> before;
        {
            Database db;
            db.open(path, oldKey);
            if (!db.canRead())
                throw EDatabaseError(QStringLiteral("パスワードが違うため、家計簿を読めません。"));
            before = tableRows(db);
            // The book's connection makes no files: the new one is made
            // empty here and filled by the export.
            QFile made(fresh);
            if (!made.open(QIODevice::WriteOnly))
                throw EDatabaseError(QStringLiteral("家計簿のフォルダに書き込めません: ") + fresh);
            made.close();
            const int userVersion = db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
            db.exec(QStringLiteral("ATTACH DATABASE %1 AS rekeyed KEY %2").arg(quotedText(fresh), quotedText(newKey)));
            db.exec(QStringLiteral("SELECT sqlcipher_export('rekeyed')"));
            db.exec(QStringLiteral("PRAGMA rekeyed.user_version = %1").arg(userVersion));
            db.exec(QStringLiteral("DETACH DATABASE rekeyed"));
        }
        {
            Database check;
            check.open(fresh, newKey);
            if (!check.canRead())
                throw EDatabaseError(QStringLiteral("新しいパスワードで書いた家計簿を読めません。"));
            const QString verdict = check.scalar(QStringLiteral("PRAGMA quick_check")).toString();
            if (verdict != QLatin1String("ok"))
                throw EDatabaseError(QStringLiteral("新しいパスワードで書いた家計簿に問題があります。\r") + verdict);
            if (tableRows(check) != before)
                throw EDatabaseError(QStringLiteral("新しいパスワードで書いた家計簿の行数が元と合いません。"));
        }
        // rename() puts the checked file in place in one step: the book is
        // either the old file or the new one, never half of each.
        if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) != 0)
            throw EDatabaseError(QStringLiteral("新しいパスワードの家計簿を元の場所に置けませんでした。"));
    } catch (...) {
        QFile::remove(fresh);
        throw;
    }
}

bool TDatMod::ChangeDataPassword()
{
    // The automatic generation holds the book as it was before.
    CloseAndBackUp(true);
    PasswordCancelled = false;
    PasswordPrompt = QStringLiteral("現在のパスワードを入力してください。");
    if (!ProbeAutoInc()) {
        MainDatabase.close();
        return false;
    }
    const QString current = m_sessionKey;
    MainDatabase.close();

    auto ask = [this](const QString &prompt, bool masked, QString &typed) {
        PasswordMasked = masked;
        typed.clear();
        bool ok;
        if (OnAskPassword)
            ok = OnAskPassword(prompt, typed);
        else
            ok = InputQuery(QStringLiteral("パスワード"), prompt, typed);
        PasswordMasked = true;
        if (!ok)
            PasswordCancelled = true;
        return ok;
    };
    QString first, second;
    if (!ask(QStringLiteral("新しいパスワードを入力してください。\r半角英数だけです。（空欄で解除）"), false, first))
        return false;
    if (!ask(QStringLiteral("もう一度新しいパスワードを入力してください。\r今回は * で隠します。"), true, second))
        return false;
    if (first != second) {
        MessageDlg(QStringLiteral("新しいパスワードが間違っています。\rもう一度最初から初めてください。"),
                   MsgDlgType::Error, mbOK);
        return false;
    }
    if (first == current)
        return true;
    try {
        WaitCursor wait;
        RewriteBookKey(databasePath(DataFolder), current, first);
    } catch (const EDatabaseError &e) {
        MessageDlg(QStringLiteral("パスワードを変更できませんでした。家計簿は元のままです。\r") + e.message(),
                   MsgDlgType::Error, mbOK);
        return false;
    }
    // The next log-in opens the book with the new password without asking.
    m_sessionKey = first;
    return true;
}
