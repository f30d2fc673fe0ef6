#include "management/FormHenkan.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "management/FormHenkanKouza.h"
#include "management/Henkan.h"
#include "management/Ver1Data.h"
#include "platform/db/Abort.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

namespace {

const QString BookFileName = QStringLiteral("PomuZenitData.db");

QLabel *framedLabel(QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setFrameShape(QFrame::StyledPanel);
    l->setMinimumWidth(420);
    return l;
}

// What the conversion made and must take back when it does not finish.
struct Undo
{
    QString folder;       // the new book's folder
    bool createdFolder = false;
    QStringList before;   // entries of a folder that was there already
    QString setAside;     // a book that was in the way, moved here
    QString formerCurrent;
    bool pointed = false; // the data module was pointed at the new book

    void run() const
    {
        if (pointed && DatMod) {
            try {
                DatMod->CloseAndBackUp(false);
            } catch (...) {
                // The folder goes below in any case; the close already said
                // what went wrong.
            }
        }
        QDir dir(folder);
        if (createdFolder) {
            dir.removeRecursively();
        } else {
            for (const QString &entry : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
                if (before.contains(entry))
                    continue;
                const QString path = dir.filePath(entry);
                if (QFileInfo(path).isDir())
                    QDir(path).removeRecursively();
                else
                    QFile::remove(path);
            }
        }
        if (!setAside.isEmpty())
            QDir().rename(setAside, folder);
        // Opening the half-made book named it the one to open next.
        if (RegIni && formerCurrent.isEmpty())
            RegIni->deleteKey(QStringLiteral("CurrentFolders"), QStringLiteral("Current"));
        else if (RegIni)
            RegIni->WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("Current"), formerCurrent);
    }
};

} // namespace

TFormHenkan::TFormHenkan(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormHenkan"));
    setWindowTitle(QStringLiteral("データ変換"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Ver1のデータの場所"), this));
    BvlLbOldFolder = framedLabel(this);
    layout->addWidget(BvlLbOldFolder);
    layout->addWidget(new QLabel(QStringLiteral("作成するデータの保存フォルダ"), this));
    auto *folderRow = new QHBoxLayout();
    BvlLbNewFolder = framedLabel(this);
    FrBtnDir = new QPushButton(QStringLiteral("変更"), this);
    folderRow->addWidget(BvlLbNewFolder, 1);
    folderRow->addWidget(FrBtnDir);
    layout->addLayout(folderRow);
    layout->addWidget(new QLabel(QStringLiteral("作成するデータの名前"), this));
    BvlLbNewName = framedLabel(this);
    layout->addWidget(BvlLbNewName);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    FrBtnExec = new QPushButton(QStringLiteral("開始"), this);
    FrBtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(FrBtnExec);
    buttons->addWidget(FrBtnCancel);
    layout->addLayout(buttons);

    // The status panel takes the place of the buttons for the rest of the run.
    PnlState = new QWidget(this);
    auto *state = new QVBoxLayout(PnlState);
    BvLbName = new QLabel(PnlState);
    state->addWidget(BvLbName);
    state->addWidget(new QLabel(QStringLiteral("変換中です。少々お待ちを、"), PnlState));
    ProgressBar1 = new QProgressBar(PnlState);
    ProgressBar1->setRange(0, 100);
    state->addWidget(ProgressBar1);
    PnlState->hide();
    layout->addWidget(PnlState);

    connect(FrBtnDir, &QPushButton::clicked, this, &TFormHenkan::FrBtnDirClick);
    connect(FrBtnExec, &QPushButton::clicked, this, &TFormHenkan::FrBtnExecClick);
    connect(FrBtnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

QString TFormHenkan::NewFolder() const
{
    return JoinPath(DataPlace, BvlLbNewName->text());
}

void TFormHenkan::FormShow()
{
    if (DataPlace.isEmpty() && DatMod)
        DataPlace = DatMod->GetDataPlace();
    BvlLbOldFolder->setText(OldFolder);
    BvlLbNewFolder->setText(NewFolder());
}

void TFormHenkan::FrBtnDirClick()
{
    const QString chosen = SelectFolderDialog(
        this, QStringLiteral("作成するデータの保存フォルダを指定してください。"), DataPlace);
    if (chosen.isEmpty())
        return;
    DataPlace = chosen;
    RegIni->WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"), chosen);
    BvlLbNewFolder->setText(NewFolder());
}

void TFormHenkan::FrBtnExecClick()
{
    FrBtnExec->setEnabled(false);
    FrBtnCancel->setEnabled(false);
    FrBtnDir->setEnabled(false);
    PnlState->show();
    QApplication::processEvents();
    done(Execute());
}

int TFormHenkan::Execute()
{
    const QString name = BvlLbNewName->text();
    const QString folder = NewFolder();

    // Everything old is read first: a damaged or missing table stops here,
    // before anything is made.
    Ver1Data old;
    try {
        WaitCursor wait;
        old = Ver1Data::read(OldFolder);
    } catch (const EVer1DataError &e) {
        MessageDlg(e.message() + QStringLiteral("\r変換を中止しました。"), MsgDlgType::Error, mbOK);
        return mrNo;
    }

    TKouzaHenkanList mapping;
    {
        TFormHenkanKouza kouza(old, mapping, this);
        if (ModalForms::exec(kouza) != mrOk)
            return mrNo;
    }

    Undo undo;
    undo.folder = folder;
    undo.formerCurrent = RegIni->readString(QStringLiteral("CurrentFolders"), QStringLiteral("Current"), QString());
    if (QFileInfo::exists(JoinPath(folder, BookFileName))) {
        if (MessageDlg(QStringLiteral("すでにデータが存在します。\r上書きしてよろしいですか？。"), MsgDlgType::Warning,
                       mbYesNo)
            != mrYes)
            return mrNo;
        // The book in the way is kept whole beside it under the time of the
        // conversion; it comes back should the conversion fail.
        const QString aside = QDir::cleanPath(folder) + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
        if (!QDir().rename(folder, aside)) {
            MessageDlg(QStringLiteral("フォルダの作成に失敗しました。"), MsgDlgType::Error, mbOK);
            return mrNo;
        }
        undo.setAside = aside;
    }
    if (QFileInfo(folder).isDir()) {
        undo.before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    } else if (QDir().mkpath(folder)) {
        undo.createdFolder = true;
    } else {
        undo.run();
        MessageDlg(QStringLiteral("フォルダの作成に失敗しました。"), MsgDlgType::Error, mbOK);
        return mrNo;
    }

    THenkan henkan(DatMod->MainDatabase, old);
    try {
        WaitCursor wait;
        if (!CreateBookFromTemplate(folder))
            throw EAbort();
        QString opened = folder;
        undo.pointed = true;
        if (!DatMod->OpenDataFolder(name, opened, true) || !DatMod->FolderReady || !DatMod->LoginAndOpen())
            throw EAbort();

        henkan.OnTableStart = [this](const QString &fileName) {
            BvLbName->setText(QStringLiteral(" %1  を変換中です。").arg(fileName));
            ProgressBar1->setValue(0);
            QApplication::processEvents();
        };
        henkan.OnProgress = [this](int percent) {
            ProgressBar1->setValue(percent);
            QApplication::processEvents();
        };
        henkan.Run(mapping);
        ProgressBar1->setValue(100);
        // Through the open book's store, so its own flush keeps the value.
        DataIni->WriteIntegerAndUpdate(QStringLiteral("State"), QStringLiteral("TaxCalc"),
                                       THenkan::TaxCalcOf(old.taxCalc));
        // The converted book is closed without a backup generation and left
        // pointed at, for the caller's log-in.
        DatMod->CloseAndBackUp(false);
        QString pointed = folder;
        if (!DatMod->OpenDataFolder(name, pointed, true))
            throw EAbort();
    } catch (const EAbort &) {
        undo.run();
        MessageDlg(QStringLiteral("変換に失敗しました。"), MsgDlgType::Error, mbOK);
        return mrNo;
    } catch (const Exception &e) {
        undo.run();
        MessageDlg(QStringLiteral("変換に失敗しました。\r") + e.message(), MsgDlgType::Error, mbOK);
        return mrNo;
    } catch (const EDatabaseError &e) {
        undo.run();
        MessageDlg(QStringLiteral("変換に失敗しました。\r") + e.message(), MsgDlgType::Error, mbOK);
        return mrNo;
    } catch (const std::exception &e) {
        undo.run();
        MessageDlg(QStringLiteral("変換に失敗しました。\r") + QString::fromUtf8(e.what()), MsgDlgType::Error, mbOK);
        return mrNo;
    }

    RegisterBook(name, folder, true);
    MessageDlg(QStringLiteral("収入合計： ") + KingakuToStr(henkan.IriTotal) + QStringLiteral("\r")
                   + QStringLiteral("支出合計： ") + KingakuToStr(henkan.DeruTotal) + QStringLiteral("\r")
                   + QStringLiteral("差額： ") + KingakuToStr(henkan.IriTotal - henkan.DeruTotal),
               MsgDlgType::Information, mbOK);
    return mrOk;
}
