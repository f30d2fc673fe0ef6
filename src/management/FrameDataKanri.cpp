#include "management/FrameDataKanri.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/FormBackUp.h"
#include "data/FormCalender.h"
#include "data/FormNewData.h"
#include "data/FormSelectData.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "management/FormCltView.h"
#include "management/FormDataOperation.h"
#include "management/FormDecimals.h"
#include "management/FormHimokuSettei.h"
#include "management/FormLockDate.h"
#include "management/FormOtherOption.h"
#include "management/FormSimeTukiSet.h"
#include "management/FormTaxSet.h"
#include "management/ImportVer1Data.h"
#include "management/SettingsBatch.h"
#include "management/imexport/FormImExport.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"
#include "platform/ui/WaitCursor.h"

TFrameDataKanri *FrameDataKanri = nullptr;
std::function<void()> TFrameDataKanri::TerminateProgram = [] { QCoreApplication::exit(0); };
std::function<void()> TFrameDataKanri::CloseNotepad;
std::function<void()> TFrameDataKanri::ArrangePages;

namespace {

TFrameBtn *pageButton(const QString &caption, QWidget *parent)
{
    auto *b = new TFrameBtn(parent);
    b->setText(caption);
    b->setMinimumSize(260, 32);
    return b;
}

QLabel *sectionLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

TFrameDataKanri::TFrameDataKanri(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrameDataKanri"));
    PnlButtons = new QWidget(this);
    auto *v = new QVBoxLayout(PnlButtons);

    LbRescure = new QLabel(QStringLiteral("正常に起動できませんでした。緊急モードです。"), PnlButtons);
    QPalette red = LbRescure->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LbRescure->setPalette(red);
    v->addWidget(LbRescure);

    auto *top = new QHBoxLayout();
    FrBtnLogIn = pageButton(QStringLiteral("ログイン"), PnlButtons);
    FrBtnLogOut = pageButton(QStringLiteral("ログアウト"), PnlButtons);
    FrBtnClose = pageButton(QStringLiteral("終了"), PnlButtons);
    ClrBtnHelp = pageButton(QStringLiteral("取説"), PnlButtons);
    ClrBtnHelp->setMinimumSize(64, 32);
    top->addWidget(FrBtnLogIn);
    top->addWidget(FrBtnLogOut);
    top->addWidget(FrBtnClose);
    top->addStretch(1);
    top->addWidget(ClrBtnHelp);
    v->addLayout(top);

    v->addWidget(sectionLabel(QStringLiteral("１．今開いている家計簿について"), PnlButtons));
    auto *book = new QGridLayout();
    FrHimoku = pageButton(QStringLiteral("費目・口座の設定"), PnlButtons);
    FrBtnPassword = pageButton(QStringLiteral("パスワードの設定・変更する"), PnlButtons);
    FrCalender = pageButton(QStringLiteral("カレンダー設定"), PnlButtons);
    FrNendo = pageButton(QStringLiteral("年度の締め月の設定"), PnlButtons);
    FrTaxSet = pageButton(QStringLiteral("消費税の設定"), PnlButtons);
    FrBtnLockDate = pageButton(QStringLiteral("過去のデータを編集ロック"), PnlButtons);
    FrDecimals = pageButton(QStringLiteral("小数点以下の桁数（外貨）"), PnlButtons);
    FrKouzaUse = pageButton(QStringLiteral("口座管理　有り／無し"), PnlButtons);
    FrBtnOperation = pageButton(QStringLiteral("データを一括修正"), PnlButtons);
    FrBtnImExport = pageButton(QStringLiteral("インポート／エクスポート"), PnlButtons);
    const QList<TFrameBtn *> bookButtons{FrHimoku,      FrBtnPassword, FrCalender,     FrNendo,    FrTaxSet,
                                         FrBtnLockDate, FrDecimals,    FrBtnOperation, FrKouzaUse, FrBtnImExport};
    for (int i = 0; i < bookButtons.size(); ++i)
        book->addWidget(bookButtons.at(i), i / 2, i % 2);
    v->addLayout(book);

    auto *backupTitle = new QHBoxLayout();
    // A tiny flat button at the edge of the backup section opens the journal
    // state window for whoever knows its code.
    auto *code = new QToolButton(PnlButtons);
    code->setObjectName(QStringLiteral("SpeedButton1"));
    code->setAutoRaise(true);
    code->setFixedSize(8, 8);
    SpeedButton1 = code;
    backupTitle->addWidget(SpeedButton1);
    backupTitle->addWidget(sectionLabel(QStringLiteral("２．家計簿を他の場所に保存しておく"), PnlButtons), 1);
    v->addLayout(backupTitle);
    FrBtnBackUp = pageButton(QStringLiteral("使用中の家計簿をバックアップする"), PnlButtons);
    FrBtnRestore = pageButton(QStringLiteral("バックアップされた家計簿を復元する"), PnlButtons);
    v->addWidget(FrBtnBackUp);
    v->addWidget(FrBtnRestore);

    v->addWidget(sectionLabel(QStringLiteral("３．複数の家計簿を使い分ける"), PnlButtons));
    FrBtnOtherOpen = pageButton(QStringLiteral("他の家計簿データを開く"), PnlButtons);
    FrBtnCreateNew = pageButton(QStringLiteral("新しく家計簿データを作成する"), PnlButtons);
    FrBtnEditDataList = pageButton(QStringLiteral("家計簿のリストを編集する"), PnlButtons);
    v->addWidget(FrBtnOtherOpen);
    v->addWidget(FrBtnCreateNew);
    v->addWidget(FrBtnEditDataList);
    FrBtnOldImport = pageButton(QStringLiteral("Ver1 のデータを読み込む"), PnlButtons);
    v->addWidget(FrBtnOldImport);

    v->addWidget(sectionLabel(QStringLiteral("４．その他　表示設定等"), PnlButtons));
    FrBtnOther = pageButton(QStringLiteral("その他の変更"), PnlButtons);
    v->addWidget(FrBtnOther);
    PnlButtons->adjustSize();

    connect(FrBtnLogIn, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnLogInClick);
    connect(FrBtnLogOut, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnLogOutClick);
    connect(FrBtnClose, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnCloseClick);
    connect(FrBtnBackUp, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnBackUpClick);
    connect(FrBtnRestore, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnRestoreClick);
    connect(FrBtnOtherOpen, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnOtherOpenClick);
    connect(FrBtnCreateNew, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnCreateNewClick);
    connect(FrBtnEditDataList, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnEditDataListClick);
    connect(FrBtnOldImport, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnOldImportClick);
    connect(FrBtnPassword, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnPasswordClick);
    connect(FrHimoku, &QAbstractButton::clicked, this, &TFrameDataKanri::FrHimokuClick);
    connect(FrCalender, &QAbstractButton::clicked, this, &TFrameDataKanri::FrCalenderClick);
    connect(FrNendo, &QAbstractButton::clicked, this, &TFrameDataKanri::FrNendoClick);
    connect(FrTaxSet, &QAbstractButton::clicked, this, &TFrameDataKanri::FrTaxSetClick);
    connect(FrBtnLockDate, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnLockDateClick);
    connect(FrDecimals, &QAbstractButton::clicked, this, &TFrameDataKanri::FrDecimalsClick);
    connect(FrKouzaUse, &QAbstractButton::clicked, this, &TFrameDataKanri::FrKouzaUseClick);
    connect(FrBtnOther, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnOtherClick);
    connect(SpeedButton1, &QAbstractButton::clicked, this, &TFrameDataKanri::SpeedButton1Click);
    connect(ClrBtnHelp, &QAbstractButton::clicked, this, &TFrameDataKanri::ClrBtnHelpClick);
    connect(FrBtnImExport, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnImExportClick);
    connect(FrBtnOperation, &QAbstractButton::clicked, this, &TFrameDataKanri::FrBtnOperationClick);
    connect(IdleHook::instance(), &IdleHook::idle, this, &TFrameDataKanri::ApplicationEvents1Idle);

    SetRescueMode(false);
    ApplicationEvents1Idle();
    FrameDataKanri = this;
}

TFrameDataKanri::~TFrameDataKanri()
{
    if (FrameDataKanri == this)
        FrameDataKanri = nullptr;
}

void TFrameDataKanri::InitPage()
{
    // Help contexts of the page and its buttons: the help lookup walks up to
    // the page's own when a button has none.
    setProperty("HelpContext", 10096);
    FrBtnLogIn->setProperty("HelpContext", 10097);
    FrBtnLogOut->setProperty("HelpContext", 10097);
    FrBtnCreateNew->setProperty("HelpContext", 10036);
    FrBtnOtherOpen->setProperty("HelpContext", 10038);
    FrBtnEditDataList->setProperty("HelpContext", 10040);
    FrBtnOldImport->setProperty("HelpContext", 10035);
    FrBtnBackUp->setProperty("HelpContext", 10105);
    FrBtnRestore->setProperty("HelpContext", 10107);
    FrKouzaUse->setProperty("HelpContext", 10011);
    FrBtnPassword->setProperty("HelpContext", 10017);
    FrDecimals->setProperty("HelpContext", 10042);
    FrTaxSet->setProperty("HelpContext", 10043);
    FrCalender->setProperty("HelpContext", 10044);
    FrNendo->setProperty("HelpContext", 10045);
    FrHimoku->setProperty("HelpContext", 10046);
    FrBtnOther->setProperty("HelpContext", 10122);
}

TFrameDataKanri *TFrameDataKanri::CreateRescueFrame(QWidget *parent)
{
    auto *frame = new TFrameDataKanri(parent);
    frame->SetRescueMode(true);
    return frame;
}

void TFrameDataKanri::SetRescueMode(bool rescue)
{
    m_rescue = rescue;
    LbRescure->setVisible(rescue);
    FrBtnClose->setVisible(rescue);
    FrBtnLogIn->setVisible(!rescue);
    PnlButtons->adjustSize();
}

void TFrameDataKanri::ApplicationEvents1Idle()
{
    const bool open = DatMod && DatMod->DataOpen;
    FrBtnLogIn->setEnabled(!open);
    FrBtnLogOut->setEnabled(open);
    FrBtnBackUp->setEnabled(open);
    for (TFrameBtn *b : {FrBtnPassword, FrHimoku, FrCalender, FrNendo, FrTaxSet, FrBtnLockDate, FrDecimals, FrKouzaUse})
        b->setEnabled(open);
    FrBtnImExport->setEnabled(open);
    FrBtnOperation->setEnabled(open && !FormDataOperation);
}

void TFrameDataKanri::FrBtnOperationClick()
{
    if (!DatMod || !DatMod->DataOpen || FormDataOperation)
        return;
    MessageDlg(QStringLiteral("大量のデータを一括して、修正することができます。\r家計簿を壊してしまう恐れがありますから、\r"
                              "必ずバックアップをとってから実行してください。"),
               MsgDlgType::Warning, mbOK);
    auto *form = new TFormDataOperation(this);
    form->show();
    form->raise();
}

void TFrameDataKanri::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    PnlButtons->move((width() - PnlButtons->width()) / 2, qMax(0, (height() - PnlButtons->height()) / 2));
}

void TFrameDataKanri::closeNotepad()
{
    if (CloseNotepad)
        CloseNotepad();
}

void TFrameDataKanri::setOfflineCaption()
{
    if (DatMod && DatMod->OnCaptionText)
        DatMod->OnCaptionText(QStringLiteral("オフライン"));
}

void TFrameDataKanri::FrBtnLogInClick()
{
    WaitCursor wait;
    DatMod->LoginAndOpen();
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnLogOutClick()
{
    closeNotepad();
    DatMod->CloseAndBackUp(true);
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnCloseClick()
{
    TerminateProgram();
}

void TFrameDataKanri::FrBtnBackUpClick()
{
    closeNotepad();
    if (!DatMod->DataOpen)
        return;
    TFormBackUp form(this);
    form.BackUpMode = true;
    form.showModal();
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnRestoreClick()
{
    closeNotepad();
    TFormBackUp form(this);
    form.BackUpMode = false;
    form.showModal();
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnOtherOpenClick()
{
    closeNotepad();
    TFormSelectData chooser(this);
    chooser.SetDetailMode(false);
    chooser.showModal();
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnEditDataListClick()
{
    closeNotepad();
    TFormSelectData chooser(this);
    chooser.SetDetailMode(true);
    chooser.showModal();
    // A book chosen in the list editor is logged in once more, as the list
    // may have renamed or moved it meanwhile.
    if (DatMod->FolderReady && !DatMod->StartupCancelled)
        DatMod->LoginAndOpen();
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnCreateNewClick()
{
    closeNotepad();
    const bool wasOpen = DatMod->DataOpen;
    const QString formerName = DatMod->BookName;
    const QString formerFolder = DatMod->DataFolder;
    DatMod->CloseData(false);
    setOfflineCaption();

    TFormNewData wizard(this);
    if (wizard.ShowChoicePage() == mrOk) {
        DatMod->LoginAndOpen();
    } else if (wasOpen) {
        QString folder = formerFolder;
        if (DatMod->OpenDataFolder(formerName, folder) && DatMod->FolderReady)
            DatMod->LoginAndOpen();
    }
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnOldImportClick()
{
    closeNotepad();
    const bool wasOpen = DatMod->DataOpen;
    const QString formerName = DatMod->BookName;
    const QString formerFolder = DatMod->DataFolder;
    DatMod->CloseData(false);
    setOfflineCaption();

    if (ImportVer1Data() == mrOk) {
        DatMod->LoginAndOpen();
    } else if (wasOpen) {
        QString folder = formerFolder;
        if (DatMod->OpenDataFolder(formerName, folder) && DatMod->FolderReady)
            DatMod->LoginAndOpen();
    }
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrBtnPasswordClick()
{
    if (!DatMod->DataOpen)
        return;
    closeNotepad();
    DatMod->ChangeDataPassword();
    setOfflineCaption();
    // The book comes back whatever the change did; a new password is already
    // known to the session and is not asked again.
    WaitCursor wait;
    if (DatMod->FolderReady)
        DatMod->LoginAndOpen();
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrHimokuClick()
{
    if (!DatMod->DataOpen)
        return;
    closeNotepad();
    OpenHimokuSettei(this, 0);
    ApplicationEvents1Idle();
}

void TFrameDataKanri::FrCalenderClick()
{
    if (!DatMod->DataOpen)
        return;
    TFormCalender form(DatMod->MainDatabase, this);
    ModalForms::exec(form);
}

void TFrameDataKanri::FrNendoClick()
{
    if (!DatMod->DataOpen)
        return;
    TFormSimeTukiSet form(this);
    ModalForms::exec(form);
}

void TFrameDataKanri::FrTaxSetClick()
{
    if (!DatMod->DataOpen)
        return;
    TFormTaxSet form(this);
    ModalForms::exec(form);
}

void TFrameDataKanri::FrBtnLockDateClick()
{
    if (!DatMod->DataOpen)
        return;
    TFormLockDate form(this);
    ModalForms::exec(form);
}

void TFrameDataKanri::FrDecimalsClick()
{
    if (!DatMod->DataOpen)
        return;
    TFormDecimals form(this);
    ModalForms::exec(form);
}

void TFrameDataKanri::FrKouzaUseClick()
{
    if (!DatMod->DataOpen || !DataIni)
        return;
    const QString question = KouzaUseFlag
                                 ? QStringLiteral("口座管理を 『行わない』 モードに変更します。\rよろしいですか？")
                                 : QStringLiteral("口座管理を 『行う』 モードに変更します。\rよろしいですか？");
    if (MessageDlg(question, MsgDlgType::Information, mbYes | mbNo) != mrYes)
        return;
    TSettingsBatch batch(*DataIni);
    batch.setBool(QStringLiteral("State"), QStringLiteral("KouzaUse"), !KouzaUseFlag);
    if (!batch.commit())
        return;
    KouzaUseFlag = !KouzaUseFlag;
    if (ArrangePages)
        ArrangePages();
}

void TFrameDataKanri::FrBtnOtherClick()
{
    TFormOtherOption form(this);
    ModalForms::exec(form);
}

void TFrameDataKanri::SpeedButton1Click()
{
    QString code;
    if (!InputQuery(QStringLiteral("？"), QStringLiteral("?"), code) || code != QStringLiteral("kw"))
        return;
    if (!FormCltView)
        new TFormCltView(nullptr);
    FormCltView->show();
    FormCltView->raise();
}

void TFrameDataKanri::ClrBtnHelpClick()
{
    ShowHelp();
}

void TFrameDataKanri::FrBtnImExportClick()
{
    if (!DatMod->DataOpen)
        return;
    QWidget *main = window();
    const bool mainShown = main && main != this && main->isVisible();
    if (mainShown) {
        main->hide();
        main->setEnabled(false);
    }
    {
        TFormImExport dialog(DatMod->MainDatabase);
        try {
            dialog.RunImportExport();
        } catch (...) {
            if (mainShown) {
                main->setEnabled(true);
                main->show();
            }
            throw;
        }
    }
    if (mainShown) {
        main->setEnabled(true);
        main->show();
    }
    ApplicationEvents1Idle();
}
