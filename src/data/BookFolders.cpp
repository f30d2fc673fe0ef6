#include "data/BookFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "data/BackUp.h"
#include "data/DatModBackUp.h"
#include "data/MyRegistryIniFile.h"
#include "platform/system/Exception.h"
#include "platform/system/Folders.h"
#include "platform/system/ShiftJis.h"
#include "platform/ui/Dialogs.h"

const QString BookArchiveKind = QStringLiteral("ZenitBackUp_100 ");
const QString TemplateArchiveName = QStringLiteral("NewPomuZenit.pbk");

namespace {

const QString FoldersSection = QStringLiteral("DataFolders");
const QString CurrentSection = QStringLiteral("CurrentFolders");
const QString CurrentKey = QStringLiteral("Current");

TMyRegistryIniFile &store()
{
    // The data module makes the store first thing and owns it; making one
    // here would outlive the data module on a user folder nobody rechecks.
    if (!RegIni)
        throw Exception(QStringLiteral("ユーザー設定が開かれていません。"));
    return *RegIni;
}

} // namespace

QString NewBookName()
{
    const QString base = QStringLiteral("家計簿");
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n);
        if (!store().valueExists(FoldersSection, name))
            return name;
    }
}

void NewBookName(QString &name)
{
    name = NewBookName();
}

QString BookNameFault(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("家計簿の名称を入力してください。");
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.trimmed() != name)
        return QStringLiteral("この名称は使えません。\r") + name;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("\\/:*?\"<>|").contains(c))
            return QStringLiteral("家計簿の名称に次の文字は使えません。\r\\ / : * ? \" < > |");
    }
    // The name is written in Shift-JIS into every archive of the book; a
    // character it cannot hold comes back as "?", and the book's own backup
    // would no longer name it.
    QString lost;
    for (const char32_t c : name.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (fromShiftJis(toShiftJis(one)) != one && !lost.contains(one))
            lost += (lost.isEmpty() ? QString() : QStringLiteral(" ")) + one;
    }
    if (!lost.isEmpty())
        return QStringLiteral("家計簿の名称に次の文字は使えません。\r") + lost;
    return QString();
}

bool CheckBookName(const QString &name)
{
    const QString fault = BookNameFault(name);
    if (fault.isEmpty())
        return true;
    MessageDlg(fault, MsgDlgType::Error, mbOK);
    return false;
}

QString TemplateFileName()
{
    const QString given = qEnvironmentVariable("POMU_TEMPLATE");
    if (!given.isEmpty())
        return given;
    const QDir program(Folders::programFolder());
    const QString beside = program.filePath(TemplateArchiveName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = program.filePath(QStringLiteral("../share/pomuzenit/") + TemplateArchiveName);
    if (QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return beside;
}

bool CreateBookFromTemplate(const QString &folder)
{
    TBackUp archive;
    archive.BackUpFileName = TemplateFileName();
    archive.DataKind = BookArchiveKind;
    archive.NoMessage = true;
    archive.RestoreDir = folder;
    archive.AcceptEntryName = &IsBookArchiveEntry;
    try {
        return archive.Restore();
    } catch (const EBackUpError &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
}

QStringList BookNames()
{
    return store().readSection(FoldersSection);
}

bool IsRegisteredBook(const QString &name)
{
    return !name.isEmpty() && store().valueExists(FoldersSection, name);
}

QString BookFolder(const QString &name)
{
    return store().readString(FoldersSection, name, QString());
}

void RegisterBook(const QString &name, const QString &folder, bool makeCurrent)
{
    // Registered absolute, whatever the caller's working folder: the entry is
    // read at later starts from anywhere.
    store().WriteStringAndUpdate(FoldersSection, name,
                                 folder.isEmpty() ? folder : QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (makeCurrent)
        store().WriteStringAndUpdate(CurrentSection, CurrentKey, name);
}

void UnregisterBook(const QString &name)
{
    store().deleteKey(FoldersSection, name);
    store().UpdateFile();
    const QString current = store().readString(CurrentSection, CurrentKey, QString());
    if (current == name) {
        const QStringList rest = BookNames();
        store().WriteStringAndUpdate(CurrentSection, CurrentKey, rest.isEmpty() ? QString() : rest.first());
    }
}

void RenameBook(const QString &oldName, const QString &newName)
{
    const QString folder = BookFolder(oldName);
    store().deleteKey(FoldersSection, oldName);
    store().WriteStringAndUpdate(FoldersSection, newName, folder);
    if (store().readString(CurrentSection, CurrentKey, QString()) == oldName)
        store().WriteStringAndUpdate(CurrentSection, CurrentKey, newName);
}

QString CurrentBookName()
{
    return store().ReadOrWriteString(CurrentSection, CurrentKey, QStringLiteral("Default"));
}

bool AskBookName(QString &name, const std::function<BookNameCheck(const QString &)> &check)
{
    const QString caption = QStringLiteral("データベース登録");
    QString prompt = QStringLiteral("データの名称を入力してください。");
    QString text = name;
    for (;;) {
        if (!InputQuery(caption, prompt, text))
            return false;
        if (text.isEmpty())
            return false;
        switch (check(text)) {
        case BookNameCheck::Taken:
            prompt = QStringLiteral("この名称はすでに使われています。");
            continue;
        case BookNameCheck::Bad:
            continue;
        case BookNameCheck::Ok:
            name = text;
            return true;
        }
    }
}

bool AskNewBookName(QString &name)
{
    return AskBookName(name, [](const QString &text) {
        if (store().valueExists(FoldersSection, text))
            return BookNameCheck::Taken;
        return CheckBookName(text) ? BookNameCheck::Ok : BookNameCheck::Bad;
    });
}
