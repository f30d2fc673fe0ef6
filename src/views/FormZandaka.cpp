#include "views/FormZandaka.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/BevelLabel.h"
#include "controls/FloatEdit.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/RecordNumbers.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int HinmeiZandakaTyousei = 5; // the system item name "残高調整"

} // namespace

TFormZandaka::TFormZandaka(QWidget *parent) : QDialog(parent)
{
    BaseDate = QDate::currentDate();
    buildUi();

    // The visible income and expense categories, income first, in list order.
    // The group rows 収入 and 支出 (codes 1 and 2) carry the same classes but
    // are headings, not categories a line can be booked to.
    if (DatMod && DatMod->DataOpen) {
        Statement st(DatMod->MainDatabase, u"SELECT CODE, NAME FROM Himoku WHERE ((BUNRUI = 1) OR (BUNRUI = 2)) "
                                           "AND (VISIBLE = 1) AND (CODE > 3) ORDER BY BUNRUI, POS, CODE"_s);
        while (st.next())
            CmbTyouSei->addItem(st.textValue(1), int(st.intValue(0)));
    }
}

void TFormZandaka::buildUi()
{
    setWindowTitle(u"口座残高調整"_s);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(u"QDialog { background: rgb(245, 242, 231); }"_s);
    auto *grid = new QGridLayout;
    BvlLbName = new TBevelLabel(this);
    BvlLbName->setMinimumHeight(26);
    grid->addWidget(BvlLbName, 0, 0, 1, 2);
    LbMotoDate = new QLabel(u"現在の金額"_s, this);
    FltEditNow = new TFloatEdit(this);
    FltEditNow->setReadOnly(true);
    grid->addWidget(LbMotoDate, 1, 0);
    grid->addWidget(FltEditNow, 1, 1);
    grid->addWidget(new QLabel(u"調整後の金額"_s, this), 2, 0);
    FltEditAfter = new TFloatEdit(this);
    FltEditAfter->setObjectName(u"FltEditAfter"_s);
    grid->addWidget(FltEditAfter, 2, 1);
    grid->addWidget(new QLabel(u"残高調整に使う費目・口座"_s, this), 3, 0);
    CmbTyouSei = new QComboBox(this);
    CmbTyouSei->setMaxVisibleItems(20);
    grid->addWidget(CmbTyouSei, 3, 1);
    grid->addWidget(new QLabel(u"調整額記帳日"_s, this), 4, 0);
    DTPDate = new QDateEdit(this);
    DTPDate->setCalendarPopup(true);
    DTPDate->setDisplayFormat(u"yyyy/MM/dd"_s);
    grid->addWidget(DTPDate, 4, 1);
    grid->addWidget(new QLabel(u"対象費目の調整額"_s, this), 5, 0);
    FltEditTyousei = new TFloatEdit(this);
    FltEditTyousei->setReadOnly(true);
    grid->addWidget(FltEditTyousei, 5, 1);

    auto *buttons = new QHBoxLayout;
    FrBtnExecute = new QPushButton(u"実行"_s, this);
    FrBtnCancel = new QPushButton(u"キャンセル"_s, this);
    FrBtnHelp = new QPushButton(u"?"_s, this);
    FrBtnHelp->setToolTip(u"調べたい所をクリックします。"_s);
    FrBtnExecute->setAutoDefault(false);
    FrBtnCancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(FrBtnExecute);
    buttons->addWidget(FrBtnCancel);
    buttons->addWidget(FrBtnHelp);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));

    connect(FltEditAfter, &TFloatEdit::valueSet, this, &TFormZandaka::CalcTyousei);
    connect(CmbTyouSei, &QComboBox::currentIndexChanged, this, &TFormZandaka::CalcTyousei);
    connect(DTPDate, &QDateEdit::dateChanged, this, &TFormZandaka::CalcTyousei);
    connect(FrBtnExecute, &QPushButton::clicked, this, [this] {
        // Enter in the amount box has not been pressed yet when the user goes
        // straight to the button: the typed text counts.
        FltEditAfter->acceptText();
        Execute();
    });
    connect(FrBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(FrBtnHelp, &QPushButton::clicked, this, [] { ShowHelp(10088); });
}

bool TFormZandaka::Prepare()
{
    LbMotoDate->setText(BaseDate.toString(u"yy/M/d"_s) + u" 時点の残高"_s);
    // The account itself never absorbs its own difference.
    const int self = CmbTyouSei->findData(KouzaCode);
    if (self >= 0)
        CmbTyouSei->removeItem(self);
    if (CmbTyouSei->count() == 0) {
        MessageDlg(u"費目の設定が変です。"_s, MsgDlgType::Information, mbOK);
        return false;
    }
    int def = 0;
    for (const THimokuData &h : DeruHimokuArray)
        if (h.Code > 3) {
            def = h.Code;
            break;
        }
    if (DataIni)
        def = DataIni->ReadOrWriteInteger(u"Kouza"_s, u"ZandakaTyouseiCODE"_s, def);
    const int at = CmbTyouSei->findData(def);
    CmbTyouSei->setCurrentIndex(at >= 0 ? at : 0);
    BvlLbName->setText(KouzaName);
    FltEditNow->SetValue(NowBalance);
    FltEditAfter->SetValue(NowBalance);
    DTPDate->setDate(BaseDate);
    KouzaKarigata = FindHimokuKarigata(KouzaCode, &VisibleHimokuArray);
    CalcTyousei();
    return true;
}

void TFormZandaka::CalcTyousei()
{
    TyouseiCode = CmbTyouSei->currentIndex() >= 0 ? CmbTyouSei->currentData().toInt() : 0;
    TyouseiKind = uint8_t(TyouseiCode ? GetHimokuKind(TyouseiCode) : 0);
    BookDate = DTPDate->date();
    // The wanted change of balance, in the book's currency decimals: a typed
    // fraction finer than the book keeps would make a line whose shown amount
    // differs from what it adds to the sums.
    Currency d = RoundAmount(FltEditAfter->storedValue() - NowBalance);
    if ((TyouseiKind == 1 && !KouzaKarigata) || (TyouseiKind == 2 && KouzaKarigata))
        d = -d;
    TyouseiGaku = d;
    FltEditTyousei->SetValue(TyouseiGaku);
}

bool TFormZandaka::Execute()
{
    CalcTyousei();
    if (TyouseiCode == 0)
        return false;
    if (TyouseiGaku == Currency()) {
        MessageDlg(u"調整されていません。"_s, MsgDlgType::Information, mbOK);
        return false;
    }
    if (CurLockDate.isValid() && BookDate <= CurLockDate) {
        MessageDlg(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information, mbOK);
        return false;
    }
    if (TyouseiKind != 1 && TyouseiKind != 2) {
        // Only an income or an expense category can take the difference.
        MessageDlg(u"残高調整に使う費目を選んでください。"_s, MsgDlgType::Information, mbOK);
        return false;
    }
    {
        const bool income = TyouseiKind == 1;
        try {
            BookAdjustment(DatMod->MainDatabase, BookDate, income ? KouzaCode : TyouseiCode,
                           income ? TyouseiCode : KouzaCode, TyouseiGaku, income ? 1 : 2);
        } catch (const EDatabaseError &e) {
            MessageDlg(u"残高調整を記帳できませんでした。\r"_s + e.message(), MsgDlgType::Error, mbOK);
            return false;
        } catch (const ERecordNumberError &e) {
            MessageDlg(e.message(), MsgDlgType::Error, mbOK);
            return false;
        }
        DatMod->DataChanged = true;
    }
    accept();
    return true;
}

int TFormZandaka::ShowModal()
{
    if (!Prepare())
        return QDialog::Rejected;
    return ModalForms::exec(*this);
}

void TFormZandaka::BookAdjustment(Database &db, const QDate &date, int kariCode, int kasiCode, Currency amount,
                                  int origin)
{
    Transaction tr(db, Database::TransactionMode::Immediate);
    Statement find(db, u"SELECT DATANO, CAST(ROUND(KINGAKU * 10000) AS INTEGER) FROM Master "
                       "WHERE RECDATE = ? AND KARICODE = ? AND KASICODE = ? AND HINMEICODE = ? ORDER BY DATANO LIMIT 1"_s);
    find.bind(1, date.toString(Qt::ISODate));
    find.bind(2, kariCode);
    find.bind(3, kasiCode);
    find.bind(4, HinmeiZandakaTyousei);
    if (find.next()) {
        const qlonglong dataNo = find.intValue(0);
        const Currency sum = Currency::fromRaw(find.intValue(1)) + amount;
        Statement upd(db, origin == 2 ? u"UPDATE Master SET KINGAKU = ?, ORIGIN = 2 WHERE DATANO = ?"_s
                                      : u"UPDATE Master SET KINGAKU = ? WHERE DATANO = ?"_s);
        upd.bind(1, sum.toDouble());
        upd.bind(2, dataNo);
        upd.exec();
    } else {
        const int dataNo = RecordNumbers::GetNewDataNo(db, u"Master.DB"_s);
        Statement ins(db, u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, "
                          "PERSONCODE, KARISIDE, KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, "
                          "ORIGIN, ZEIATUKAI) VALUES (?, 0, ?, ?, 1.0, 0, ?, 0, NULL, ?, ?, 0, 0, 0, 1, 1, ?, 0)"_s);
        ins.bind(1, dataNo);
        ins.bind(2, date.toString(Qt::ISODate));
        ins.bind(3, amount.toDouble());
        ins.bind(4, HinmeiZandakaTyousei);
        ins.bind(5, kariCode);
        ins.bind(6, kasiCode);
        ins.bind(7, origin);
        ins.exec();
    }
    tr.commit();
}
