#include "management/imexport/FormImport.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "data/RecordNumbers.h"
#include "management/imexport/FormMatchList.h"
#include "management/imexport/FormProgress.h"
#include "management/imexport/FieldMatch.h"
#include "management/imexport/FormZei.h"
#include "management/imexport/FrameFieldMatch.h"
#include "management/imexport/ImportReviewPage.h"
#include "management/imexport/ImportRowsModel.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

namespace {

const QList<int> kOwnFields{fImportNo,  fRECEIPTNO,  fRECDATE,  fKARICODE,   fKASICODE, fKINGAKU, fQUANTITY,
                            fZEIATUKAI, fHINMEICODE, fSHOPCODE, fPERSONCODE, fRESERVED, fSucsses};
const QList<int> kConvertedFields{fImportNo, fRECEIPTNO,  fGYONO,    fRECDATE,    fKARICODE, fKASICODE, fKINGAKU,
                                  fQUANTITY, fZEIATUKAI, fHINMEICODE, fSHOPCODE, fPERSONCODE, fRESERVED, fSucsses};

void showCanceled()
{
    MessageDlg(ECanceledError::message(), MsgDlgType::Information, mbOK);
}

} // namespace

TFormImport::TFormImport(Database &db, const QString &fileName, bool autoMatch, QWidget *parent)
    : QDialog(parent), Import(db), m_fileName(fileName)
{
    setWindowTitle(QStringLiteral("インポート"));
    setWindowFlag(Qt::Window);
    setProperty("HelpContext", 10109);
    Import.HimokuConvert.AutoMatch = autoMatch;
    auto *v = new QVBoxLayout(this);
    auto *charCode = new QHBoxLayout;
    charCode->addWidget(new QLabel(QStringLiteral("文字コード"), this));
    CmbBoxCharCode = new QComboBox(this);
    CmbBoxCharCode->addItems(kTextEncodingItems);
    charCode->addWidget(CmbBoxCharCode);
    LbCharCode = new QLabel(this);
    charCode->addWidget(LbCharCode);
    charCode->addStretch();
    v->addLayout(charCode);
    Pages = new QStackedWidget(this);
    FrameFieldMatch = new TFrameFieldMatch(Import, this);
    Review = new TImportReviewPage(Import, this);
    Pages->addWidget(FrameFieldMatch);
    Pages->addWidget(Review);
    v->addWidget(Pages);
    Progress = new TFormProgress(this);
    connect(FrameFieldMatch->ClrBtnOK, &QPushButton::clicked, this, &TFormImport::FrameFieldMatchClrBtnOKClick);
    connect(FrameFieldMatch->ClrBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Review->BtnSave, &QPushButton::clicked, this, &TFormImport::BtnSaveClick);
    connect(Review->BtnCancel, &QPushButton::clicked, this, &TFormImport::BtnCancelClick);
    connect(Review->ClrBtnSaveSettei, &QPushButton::clicked, FrameFieldMatch, &TFrameFieldMatch::ClrBtnSaveSetteiClick);
    connect(Review->ClrBtnExcangeList, &QPushButton::clicked, this, &TFormImport::ClrBtnExcangeListClick);
    connect(CmbBoxCharCode, &QComboBox::activated, this, &TFormImport::CmbBoxCharCodeChange);
    resize(960, 640);
}

TFormImport::~TFormImport() = default;

bool TFormImport::Prepare()
{
    if (!Import.LoadFile(m_fileName, TextEncoding(CmbBoxCharCode->currentIndex())))
        return false;
    showEncoding();
    Review->ClrBtnSaveSettei->setVisible(!Import.OwnFormat);
    Review->ClrBtnExcangeList->setVisible(!Import.OwnFormat);
    if (!Import.OwnFormat) {
        Import.ResetSlots();
        Import.ExpectedCount = 0;
        showMatching();
        return true;
    }
    if (!readOwnFormat())
        return false;
    showRead();
    return true;
}

bool TFormImport::readOwnFormat()
{
    if (!Import.PrepareOwnFormat())
        return false;
    try {
        Import.ReadRows(Progress);
        Import.CheckDirections();
    } catch (const ECanceledError &) {
        // A cancel while the own format is read ends this run only; the
        // import and export dialog comes back.
        showCanceled();
        return false;
    }
    return true;
}

void TFormImport::showEncoding()
{
    LbCharCode->setText(QStringLiteral("（") + kTextEncodingItems.at(int(Import.File.encoding)) +
                        QStringLiteral(" で読み込み）"));
}

void TFormImport::CmbBoxCharCodeChange()
{
    const TextEncoding chosen = TextEncoding(CmbBoxCharCode->currentIndex());
    // The grid lets go of the rows before they are read again.
    Review->Model->Show(nullptr, {}, false);
    if (!Import.LoadFile(m_fileName, chosen)) {
        reject(); // the file has gone or become unreadable; the message was shown
        return;
    }
    showEncoding();
    if (!Import.OwnFormat) {
        showMatching();
        return;
    }
    if (!readOwnFormat()) {
        reject();
        return;
    }
    showRead();
}

bool TFormImport::Run()
{
    if (!Prepare())
        return false;
    return ModalForms::exec(*this) == QDialog::Accepted;
}

void TFormImport::showMatching()
{
    m_stage = Stage::Matching;
    CmbBoxCharCode->setEnabled(true);
    Pages->setCurrentWidget(FrameFieldMatch);
    FrameFieldMatch->Refresh();
}

void TFormImport::showRead()
{
    m_stage = Stage::Read;
    // Rows of delimited text follow the matching made on the text; another
    // encoding is chosen there.
    CmbBoxCharCode->setEnabled(Import.OwnFormat);
    Pages->setCurrentWidget(Review);
    QList<int> fields = kOwnFields;
    QString goodText = QStringLiteral("このデータでよろしかったら保存してください。");
    if (!Import.OwnFormat) {
        fields = {fImportNo, fRECDATE, fSucsses};
        const QList<std::pair<int, int>> assigned{{1, fRECEIPTNO},   {3, fGYONO},       {5, fHimokuCode},
                                                  {6, fKARICODE},    {7, fKASICODE},    {8, fKariGaku},
                                                  {9, fKasiGaku},    {10, fKINGAKU},    {11, fQUANTITY},
                                                  {12, fZEIATUKAI},  {13, fKARIZEIATU}, {14, fKASIZEIATU},
                                                  {15, fHINMEICODE}, {16, fSHOPCODE},   {17, fPERSONCODE}};
        for (const auto &[slot, field] : assigned)
            if (Import.SlotAssigned(slot))
                fields.insert(fields.size() - 1, field);
        goodText = QStringLiteral("このデータでよろしかった次へ");
    }
    Review->BtnSave->setText(Import.OwnFormat ? QStringLiteral("保存する") : QStringLiteral("次へ"));
    Review->BtnCancel->setText(QStringLiteral("キャンセル"));
    Review->Show(QStringLiteral("読み込むデータ"), &Import.ImportClt, fields, false, Import.ReadingList, goodText);
}

void TFormImport::showConverted()
{
    m_stage = Stage::Converted;
    CmbBoxCharCode->setEnabled(false);
    Pages->setCurrentWidget(Review);
    Review->BtnSave->setText(QStringLiteral("保存する"));
    Review->BtnCancel->setText(QStringLiteral("戻る"));
    Review->Show(QStringLiteral("変換されたデータ"), &Import.InterClt, kConvertedFields, true, Import.ConversionList,
                 QStringLiteral("このデータでよろしかったら保存してください。"));
}

void TFormImport::FrameFieldMatchClrBtnOKClick()
{
    if (!FrameFieldMatch->ApplyMatching())
        return;
    Import.HimokuConvert.AccountSideMode = Import.SingleCategoryMode;
    if (!readDelimited())
        return; // the page stays
    showRead();
}

bool TFormImport::readDelimited()
{
    // The grid lets go of the rows before they are read again: the progress
    // pumps events while the list is rebuilt.
    Review->Model->Show(nullptr, {}, false);
    try {
        Import.ReadRows(Progress);
        Import.ValidateRows(Progress);
    } catch (const ECanceledError &) {
        showCanceled();
        return false;
    }
    return true;
}

void TFormImport::BtnSaveClick()
{
    if (Import.OwnFormat || m_stage == Stage::Converted) {
        save();
        return;
    }
    if (!Import.TaxColumnsAssigned && !Import.SlotAssigned(1) && !TFormZei::Ask(Import))
        return;
    try {
        if (!Import.ConvertRows())
            return;
    } catch (const ECanceledError &) {
        showCanceled();
        return;
    }
    showConverted();
}

void TFormImport::save()
{
    int written = 0;
    try {
        WaitCursor wait;
        written = Import.SaveRows();
    } catch (const ERecordNumberError &e) {
        MessageDlg(e.message() + QStringLiteral("\nインポートしたデータは保存されていません。"), MsgDlgType::Error, mbOK);
        return;
    } catch (const EDatabaseError &e) {
        MessageDlg(QStringLiteral("インポートしたデータを保存できませんでした。\n") + e.message(), MsgDlgType::Error,
                   mbOK);
        return;
    }
    if (written < 0)
        return;
    MessageDlg(QString::number(written) + QStringLiteral(" 行のデータをインポートしました。"), MsgDlgType::Information,
               mbOK);
    if (Import.SlipSplit)
        MessageDlg(QStringLiteral("伝票内行数を 250 行に制限して伝票を分割しました。"), MsgDlgType::Information, mbOK);
    accept();
}

void TFormImport::BtnCancelClick()
{
    if (Import.OwnFormat) {
        reject();
        return;
    }
    if (m_stage == Stage::Converted) {
        showRead();
        return;
    }
    showMatching();
}

void TFormImport::ClrBtnExcangeListClick()
{
    TConvertPearArray list = Import.HimokuConvert.Items;
    if (list.size() <= 1) {
        MessageDlg(QStringLiteral("変換リストは空です。"), MsgDlgType::Confirmation, mbOK);
        return;
    }
    const qsizetype before = list.size();
    if (!TFormMatchList::Edit(list, Import.SingleCategoryMode, Import.TaxColumnsAssigned))
        return;
    LoadMatchList(Import.HimokuConvert, list);
    MessageDlg(QStringLiteral("設定が変更されましたので戻します。"), MsgDlgType::Information, mbOK);
    if (list.size() != before && m_stage == Stage::Converted) {
        // Deleted entries renumber the list, and the rows read hold entry
        // numbers: they are read again, the names of the deleted entries
        // looked up afresh. From the read rows the way back is the matching,
        // whose 次へ reads them again anyway.
        if (!readDelimited()) {
            showMatching();
            return;
        }
        showRead();
        return;
    }
    BtnCancelClick();
}
