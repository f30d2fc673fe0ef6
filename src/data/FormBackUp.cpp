#include "data/FormBackUp.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/BackUp.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModBackUp.h"
#include "data/DatModLock.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "platform/system/Folders.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

namespace {

const QString BackUpSection = QStringLiteral("BackUp");
const QString FileNameKey = QStringLiteral("BackUpFileName");
const QString Filter = QStringLiteral("バックアップファイル (*.Pbk *.pbk);;すべて (*)");

// The typed name with its extension, if any, replaced by ".pbk".
QString withPbkExtension(const QString &file)
{
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    QString leaf = file.mid(slash + 1);
    const qsizetype dot = leaf.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        leaf.truncate(dot);
    return file.left(slash + 1) + leaf + QStringLiteral(".pbk");
}

QString withoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

bool folderHoldsFiles(const QString &folder)
{
    return !QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

// Another process has the book open while it holds the book's lock file.
bool folderInUse(const QString &folder)
{
    if (!QFileInfo::exists(JoinPath(folder, TDatModLock::fileName())))
        return false;
    TDatModLock lock;
    if (!lock.acquireShared(folder))
        return true;
    const bool alone = lock.tryExclusive();
    lock.release();
    return !alone;
}

} // namespace

bool BackUpBook(const QString &fileName, bool noMessage)
{
    WaitCursor wait;
    const QString folder = DatMod->DataFolder;
    const QString bookName = DatMod->BookName;
    DatMod->CloseData(false);

    TBackUp archive;
    archive.AutoBackUpId = true;
    archive.BackUpFileName = fileName;
    archive.BackUpId = QStringLiteral("BackUp");
    archive.CheckOverWrite = true;
    archive.setCompressMode(cmZlib);
    archive.setCompressLevel(2);
    archive.DataKind = BookArchiveKind;
    // The name of the book in the archive, never whichever book the user's
    // settings call current: a restore must offer to replace this very book.
    archive.DataName = bookName;
    archive.IncludePath = false;
    archive.NoMessage = noMessage;
    archive.FileList() = BookFileList(folder);
    try {
        if (!archive.BackUp())
            return false;
    } catch (const EBackUpError &e) {
        MessageDlg(e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
    if (!noMessage) {
        MessageDlg(QStringLiteral("終了しました。"), MsgDlgType::Information, mbOK);
        RegIni->WriteStringAndUpdate(BackUpSection, FileNameKey, fileName);
    }
    return true;
}

TFormBackUp::TFormBackUp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormBackUp"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("バックアップファイル名"), this));
    auto *row = new QHBoxLayout();
    LbEditFileName = new QLineEdit(this);
    LbEditFileName->setAttribute(Qt::WA_InputMethodEnabled, true);
    ClrBtnDir = new QPushButton(QStringLiteral("参照"), this);
    row->addWidget(LbEditFileName, 1);
    row->addWidget(ClrBtnDir);
    layout->addLayout(row);
    layout->addWidget(
        new QLabel(QStringLiteral("参照ボタン で バックアップファイル の保存場所を変更してください。"), this));
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    ClrBtnExecute = new QPushButton(QStringLiteral("実行"), this);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(ClrBtnExecute);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);

    FileBackUp = new TBackUp(this);
    FileBackUp->BackUpId = QStringLiteral("BackUp");
    FileBackUp->AutoBackUpId = true;
    FileBackUp->DataKind = BookArchiveKind;
    FileBackUp->DataName = QStringLiteral("DataBase");
    FileBackUp->BackUpFileName = QStringLiteral("PomuBackUp.pbk");
    FileBackUp->setCompressMode(cmZlib);
    FileBackUp->setCompressLevel(2);
    FileBackUp->CheckOverWrite = true;
    FileBackUp->IncludePath = false;
    FileBackUp->AcceptEntryName = &IsBookArchiveEntry;
    FileBackUp->OnBeforeWriteRestore = [this](const QString &id, QString &name, bool &go) {
        FileBackUpBeforeWriteRestore(id, name, go);
        // The safety copy keeps the replaced book's side files; left in place,
        // a crash's journal would be played over the restored book.
        QString stuck;
        if (go && !RemoveEngineSideFiles(FileBackUp->RestoreDir, &stuck)) {
            MessageDlg(QStringLiteral("復元先のファイルを削除できません。\r") + stuck, MsgDlgType::Error, mbOK);
            go = false;
        }
    };

    connect(ClrBtnDir, &QPushButton::clicked, this, &TFormBackUp::ClrBtnDirClick);
    connect(ClrBtnExecute, &QPushButton::clicked, this, &TFormBackUp::ClrBtnExecuteClick);
    connect(BtnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

TFormBackUp::~TFormBackUp() = default;

void TFormBackUp::FormShow()
{
    setWindowTitle(BackUpMode ? QStringLiteral("バックアップ") : QStringLiteral("バックアップファイルの復元"));
    const QString desktop = Folders::desktopFolder();
    QString file;
    if (DatMod->DataOpen && DataIni)
        file = DataIni->ReadOrWriteString(BackUpSection, FileNameKey,
                                          JoinPath(desktop, DatMod->BookName + QStringLiteral(".pbk")));
    else
        file = RegIni->ReadOrWriteString(BackUpSection, FileNameKey, JoinPath(desktop, QStringLiteral("PomuBackUp.pbk")));
    LbEditFileName->setText(file);
    FormerFileName = file;
}

int TFormBackUp::showModal()
{
    FormShow();
    return ModalForms::exec(*this);
}

void TFormBackUp::ClrBtnDirClick()
{
    const QString current = LbEditFileName->text();
    const QString chosen = BackUpMode
                               ? SaveFileDialog(this, windowTitle(), current, Filter, QStringLiteral("pbk"))
                               : OpenFileDialog(this, windowTitle(), current, Filter);
    if (!chosen.isEmpty())
        LbEditFileName->setText(chosen);
}

void TFormBackUp::ClrBtnExecuteClick()
{
    ClrBtnExecute->setEnabled(false);
    if (BackUpMode)
        DoBackUp();
    else
        DoRestore();
    ClrBtnExecute->setEnabled(true);
    done(mrOk);
}

bool TFormBackUp::DoBackUp()
{
    const QString file = withPbkExtension(LbEditFileName->text());
    LbEditFileName->setText(file);
    if (DataIni)
        DataIni->WriteStringAndUpdate(BackUpSection, FileNameKey, file);
    RegIni->WriteStringAndUpdate(BackUpSection, FileNameKey, file);

    bool ok = false;
    // The book is opened again whatever the backup did, also when it raised:
    // a failed backup must not leave the user without the book.
    try {
        ok = BackUpBook(file, false);
    } catch (...) {
        DatMod->LoginAndOpen();
        throw;
    }
    DatMod->LoginAndOpen();
    if (!ok) {
        if (DatMod->DataOpen && DataIni)
            DataIni->WriteStringAndUpdate(BackUpSection, FileNameKey, FormerFileName);
        RegIni->WriteStringAndUpdate(BackUpSection, FileNameKey, FormerFileName);
    }
    return ok;
}

bool TFormBackUp::DoRestore()
{
    const bool wasOpen = DatMod->DataOpen;
    const QString formerName = wasOpen ? DatMod->BookName : QString();
    const QString formerFolder = wasOpen ? DatMod->DataFolder : QString();
    SafetyCopyFolder.clear();
    RestoredToNewFolder = false;
    FileBackUp->BackUpFileName = LbEditFileName->text();
    FileBackUp->RestoreDir.clear();
    WaitCursor wait;

    // Let go of the book entirely (passwords and the folder's lock too), so the
    // restore may replace its files and tell whether someone else has it open.
    DatMod->CloseAndBackUp(false);

    bool failed = true;
    try {
        failed = !FileBackUp->Restore();
    } catch (const std::exception &e) {
        MessageDlg(QString::fromUtf8(e.what()), MsgDlgType::Error, mbOK);
        failed = true;
    }
    if (!failed) {
        // Success is said only of a book that opens and passes its check.
        const QString problems = CheckRestoredBook(FileBackUp->RestoreDir);
        if (!problems.isEmpty()) {
            MessageDlg(QStringLiteral("復元した家計簿のデータベースに問題があります。\r") + problems, MsgDlgType::Error,
                       mbOK);
            failed = true;
        }
    }
    // Whatever the folder's lock file said of the book it held, the book in it
    // now is checked at its first opening.
    if (!FileBackUp->RestoreDir.isEmpty())
        TDatModLock::clearMark(FileBackUp->RestoreDir);

    if (failed) {
        if (!SafetyCopyFolder.isEmpty() && !FileBackUp->RestoreDir.isEmpty())
            ShellCopyFiles(JoinPath(SafetyCopyFolder, QStringLiteral("*")), FileBackUp->RestoreDir);
        MessageDlg(QStringLiteral("キャンセルしました。"), MsgDlgType::Information, mbOK);
        if (wasOpen) {
            QString folder = formerFolder;
            if (DatMod->OpenDataFolder(formerName, folder) && DatMod->FolderReady)
                DatMod->LoginAndOpen();
        }
        return false;
    }

    const QString name = FileBackUp->DataName;
    const QString restoreDir = FileBackUp->RestoreDir;
    RegisterBook(name, restoreDir, true);
    RegIni->WriteStringAndUpdate(BackUpSection, FileNameKey, FileBackUp->BackUpFileName);
    MessageDlg(QStringLiteral("終了しました。"), MsgDlgType::Information, mbOK);
    QString folder = restoreDir;
    if (DatMod->OpenDataFolder(name, folder) && DatMod->FolderReady && DatMod->LoginAndOpen() && DataIni) {
        if (RestoredToNewFolder) {
            DataIni->deleteKey(BackUpSection, FileNameKey);
            DataIni->UpdateFile();
        } else {
            DataIni->WriteStringAndUpdate(BackUpSection, FileNameKey, FileBackUp->BackUpFileName);
        }
    }
    return true;
}

void TFormBackUp::FileBackUpBeforeWriteRestore(const QString &backUpId, QString &dataName, bool &canContinue)
{
    Q_UNUSED(backUpId);
    canContinue = false;
    if (IsRegisteredBook(dataName)) {
        if (MessageDlg(QStringLiteral("現在の ") + dataName + QStringLiteral("と置き換えていいですか？"),
                       MsgDlgType::Confirmation, mbYesNo)
            != mrYes) {
            canContinue = MakeRestoreFolder(dataName);
            return;
        }
        const QString folder = BookFolder(dataName);
        // A book whose folder is gone or empty is restored in its own place:
        // there is nothing to keep a safety copy of.
        if (!folderHoldsFiles(folder)) {
            if (!QDir().mkpath(folder)) {
                MessageDlg(QStringLiteral("データフォルダが作れません。\r") + folder, MsgDlgType::Error, mbOK);
                return;
            }
            FileBackUp->RestoreDir = folder;
            canContinue = true;
            return;
        }
        if (folderInUse(folder)) {
            MessageDlg(QStringLiteral("復元先のフォルダは使用中です。\r") + folder, MsgDlgType::Error, mbOK);
            return;
        }
        FileBackUp->RestoreDir = folder;
        SafetyCopyFolder = withoutTrailingSeparator(folder)
                           + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
        if (!ShellCopyFiles(folder, SafetyCopyFolder)) {
            MessageDlg(QStringLiteral("自動バックアップフォルダが作れません。\r") + SafetyCopyFolder, MsgDlgType::Error,
                       mbOK);
            SafetyCopyFolder.clear();
            return;
        }
        canContinue = true;
        return;
    }
    if (MessageDlg(dataName + QStringLiteral("は新規データベースです。登録しますか？"), MsgDlgType::Confirmation,
                   mbYesNo)
        != mrYes)
        return;
    canContinue = MakeRestoreFolder(dataName);
}

bool TFormBackUp::MakeRestoreFolder(QString &dataName)
{
    QString name = dataName;
    if (!AskRestoreBookName(name))
        return false;
    const QString folder = JoinPath(DatMod->GetDataPlace(), name);
    if (!QDir().mkpath(folder)) {
        MessageDlg(QStringLiteral("データフォルダが作れません。\r") + folder, MsgDlgType::Error, mbOK);
        return false;
    }
    dataName = name;
    RestoredToNewFolder = true;
    FileBackUp->RestoreDir = folder;
    return true;
}

bool TFormBackUp::AskRestoreBookName(QString &name)
{
    // The restore makes the book's folder in the data place: a folder there
    // takes the name as a registered book does.
    return AskBookName(name, [](const QString &text) {
        if (!CheckBookName(text))
            return BookNameCheck::Bad;
        if (IsRegisteredBook(text) || QFileInfo::exists(JoinPath(DatMod->GetDataPlace(), text)))
            return BookNameCheck::Taken;
        return BookNameCheck::Ok;
    });
}
