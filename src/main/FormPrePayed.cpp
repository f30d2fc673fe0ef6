#include "main/FormPrePayed.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/MyMemIniFile.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"

namespace {

// The system category under which each voucher keeps its own items and shops.
constexpr int kVoucherCategory = 12;

QString dateText(const QDate &d)
{
    return d.isValid() ? d.toString(QStringLiteral("yy/MM/dd")) : QString();
}

} // namespace

TFormPrePayed::TFormPrePayed(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormPrePayed"));
    setWindowTitle(QStringLiteral("金券購入"));
    buildUi();
    // The premium's income category: the book's choice, else the first visible income category.
    int first = -1;
    for (const THimokuData &h : IriHimokuArray)
        if (h.Code > 0 && h.Kind == 1) {
            first = h.Code;
            break;
        }
    if (DataIni)
        setIncomeCategory(DataIni->ReadOrWriteInteger(QStringLiteral("Kouza"), QStringLiteral("KinkenInComeCODE"), first));
    else
        setIncomeCategory(first);
    IntEditQuant->setValue(1);
    for (const THimokuData &h : KouzaHimokuArray)
        if (h.Bunrui == 8)
            CmbBoxPrePayed->addItem(h.Name, h.Code);
    if (CmbBoxPrePayed->count() > 0) {
        CmbBoxPrePayed->setCurrentIndex(0);
        SetVoucher(CmbBoxPrePayed->itemData(0).toInt());
    }
    connect(CmbBoxPrePayed, &QComboBox::currentIndexChanged, this, [this] { CmbBoxPrePayedChange(); });
}

TFormPrePayed::~TFormPrePayed() = default;

void TFormPrePayed::buildUi()
{
    auto *main = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("金券名"), this));
    CmbBoxPrePayed = new QComboBox(this);
    CmbBoxPrePayed->setObjectName(QStringLiteral("CmbBoxPrePayed"));
    top->addWidget(CmbBoxPrePayed);
    top->addWidget(new QLabel(QStringLiteral("購入日"), this));
    MkEditRecDate = new QLineEdit(this);
    MkEditRecDate->setObjectName(QStringLiteral("MkEditRecDate"));
    MkEditRecDate->setMaxLength(8);
    MkEditRecDate->setFixedWidth(MkEditRecDate->fontMetrics().horizontalAdvance(QStringLiteral("00/00/000")) + 12);
    top->addWidget(MkEditRecDate);
    top->addStretch(1);
    SpBtnApply = new QToolButton(this);
    SpBtnApply->setObjectName(QStringLiteral("SpBtnApply"));
    SpBtnApply->setText(QStringLiteral("登録"));
    SpBtnUndo = new QToolButton(this);
    SpBtnUndo->setObjectName(QStringLiteral("SpBtnUndo"));
    SpBtnUndo->setText(QStringLiteral("キャンセル"));
    top->addWidget(SpBtnApply);
    top->addWidget(SpBtnUndo);
    main->addLayout(top);

    auto *body = new QHBoxLayout;
    // Left: the list buttons, the choices and the calendar of the purchase day.
    auto *left = new QVBoxLayout;
    auto *buttons = new QHBoxLayout;
    auto listButton = [&](QToolButton *&b, const char *name, const QString &caption, int kind) {
        b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        connect(b, &QToolButton::clicked, this, [this, kind] { ShowList(kind); });
        buttons->addWidget(b);
    };
    listButton(TolBtnRecDate, "TolBtnRecDate", QStringLiteral("購入日"), lkRecDate);
    listButton(TolBtnHinmei, "TolBtnHinmei", QStringLiteral("品名"), lkHinmei);
    listButton(TolBtnShop, "TolBtnShop", QStringLiteral("店名"), lkShop);
    listButton(TolBtnPerson, "TolBtnPerson", QStringLiteral("使用者"), lkPerson);
    listButton(TolBtnSyukkin, "TolBtnSyukkin", QStringLiteral("出金口座"), lkSyukkin);
    listButton(TolBtnInCome, "TolBtnInCome", QStringLiteral("収入費目"), lkInCome);
    left->addLayout(buttons);
    DBCtlGridSelecter = new QListWidget(this);
    DBCtlGridSelecter->setObjectName(QStringLiteral("DBCtlGridSelecter"));
    DBCtlGridSelecter->setViewMode(QListView::ListMode);
    DBCtlGridSelecter->setFlow(QListView::LeftToRight);
    DBCtlGridSelecter->setWrapping(true);
    DBCtlGridSelecter->setGridSize(QSize(120, 22));
    DBCtlGridSelecter->setMinimumSize(360, 220);
    connect(DBCtlGridSelecter, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { ChooseListRow(DBCtlGridSelecter->row(item)); });
    MyCalendar = new QCalendarWidget(this);
    MyCalendar->setObjectName(QStringLiteral("MyCalendar"));
    MyCalendar->setMinimumSize(360, 220);
    connect(MyCalendar, &QCalendarWidget::clicked, this, [this](const QDate &d) { SetPurchaseDate(d); });
    left->addWidget(DBCtlGridSelecter, 1);
    left->addWidget(MyCalendar, 1);
    PnlTuika = new QWidget(this);
    auto *tuika = new QHBoxLayout(PnlTuika);
    tuika->setContentsMargins(0, 0, 0, 0);
    tuika->addWidget(new QLabel(QStringLiteral("選択肢名称"), PnlTuika));
    EditTuika = new QLineEdit(PnlTuika);
    EditTuika->setObjectName(QStringLiteral("EditTuika"));
    tuika->addWidget(EditTuika, 1);
    tuika->addWidget(new QLabel(QStringLiteral("額面"), PnlTuika));
    EditGaku = new QLineEdit(PnlTuika);
    EditGaku->setObjectName(QStringLiteral("EditGaku"));
    EditGaku->setMaximumWidth(90);
    tuika->addWidget(EditGaku);
    FrBtnAppendList = new QToolButton(PnlTuika);
    FrBtnAppendList->setObjectName(QStringLiteral("FrBtnAppendList"));
    FrBtnAppendList->setText(QStringLiteral("登録"));
    FrBtnDeleteList = new QToolButton(PnlTuika);
    FrBtnDeleteList->setObjectName(QStringLiteral("FrBtnDeleteList"));
    FrBtnDeleteList->setText(QStringLiteral("削除"));
    tuika->addWidget(FrBtnAppendList);
    tuika->addWidget(FrBtnDeleteList);
    left->addWidget(PnlTuika);
    connect(FrBtnAppendList, &QToolButton::clicked, this, [this] { FrBtnAppendListClick(); });
    connect(EditTuika, &QLineEdit::returnPressed, this, [this] { FrBtnAppendListClick(); });
    connect(FrBtnDeleteList, &QToolButton::clicked, this, [this] { FrBtnDeleteListClick(); });
    body->addLayout(left, 1);

    // Right: the purchase.
    auto *form = new QFormLayout;
    auto edit = [this](QLineEdit *&e, const char *name, bool readOnly) {
        e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setReadOnly(readOnly);
        return e;
    };
    form->addRow(QStringLiteral("品名"), edit(EditHinmei, "EditHinmei", false));
    form->addRow(QStringLiteral("額面"), edit(FltEditGakumen, "FltEditGakumen", false));
    IntEditQuant = new QSpinBox(this);
    IntEditQuant->setObjectName(QStringLiteral("IntEditQuant"));
    IntEditQuant->setRange(1, 9999);
    form->addRow(QStringLiteral("数量"), IntEditQuant);
    form->addRow(QStringLiteral("支払い金額"), edit(FltEditPayed, "FltEditPayed", false));
    BvLbMasiGaku = new QLabel(QStringLiteral("0"), this);
    BvLbMasiGaku->setObjectName(QStringLiteral("BvLbMasiGaku"));
    BvLbMasiGaku->setFrameShape(QFrame::Panel);
    BvLbMasiGaku->setFrameShadow(QFrame::Sunken);
    BvLbMasiGaku->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(QStringLiteral("サービス割増額"), BvLbMasiGaku);
    form->addRow(QStringLiteral("出金口座"), edit(EditSyukkin, "EditSyukkin", true));
    form->addRow(QStringLiteral("店名"), edit(EditShop, "EditShop", false));
    form->addRow(QStringLiteral("使用者"), edit(EditPerson, "EditPerson", false));
    form->addRow(QStringLiteral("収入費目"), edit(EditInCome, "EditInCome", true));
    form->addRow(QString(), new QLabel(QStringLiteral("（サービス額は収入扱いにします。）"), this));
    body->addLayout(form, 1);
    main->addLayout(body, 1);

    for (QLineEdit *e : {FltEditGakumen, FltEditPayed})
        connect(e, &QLineEdit::editingFinished, this, [this] { RecalcAmounts(); });
    connect(IntEditQuant, &QSpinBox::valueChanged, this, [this] { RecalcAmounts(); });
    connect(MkEditRecDate, &QLineEdit::editingFinished, this, [this] { MkEditRecDateExit(); });
    connect(SpBtnApply, &QToolButton::clicked, this, [this] { SpBtnApplyClick(); });
    connect(SpBtnUndo, &QToolButton::clicked, this, &QDialog::reject);
    // Entering a field shows its list.
    for (QLineEdit *e : {EditHinmei, EditShop, EditPerson, EditSyukkin, EditInCome})
        e->installEventFilter(this);
    EditHinmei->setProperty("listKind", int(lkHinmei));
    EditShop->setProperty("listKind", int(lkShop));
    EditPerson->setProperty("listKind", int(lkPerson));
    EditSyukkin->setProperty("listKind", int(lkSyukkin));
    EditInCome->setProperty("listKind", int(lkInCome));
    MyCalendar->hide();
}

void TFormPrePayed::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CmbBoxPrePayedChange();
    ShowList(lkRecDate);
}

bool TFormPrePayed::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        const QVariant kind = watched->property("listKind");
        if (kind.isValid())
            ShowList(kind.toInt());
    }
    return QDialog::eventFilter(watched, event);
}

void TFormPrePayed::SetVoucher(int code)
{
    int i = CmbBoxPrePayed->findData(code);
    if (i < 0)
        i = CmbBoxPrePayed->count() > 0 ? 0 : -1;
    if (i < 0)
        return;
    if (CmbBoxPrePayed->currentIndex() != i) {
        const QSignalBlocker block(CmbBoxPrePayed);
        CmbBoxPrePayed->setCurrentIndex(i);
    }
    m_voucher = CmbBoxPrePayed->itemData(i).toInt();
    m_voucherName = CmbBoxPrePayed->itemText(i);
    if (DatMod && DatMod->DataOpen) {
        // A voucher's own items and shops hang under its name in both masters.
        bool added = false;
        m_voucherItem = GetOrAddCode(*DatMod->HinmeiMstTbl, m_voucherName, added);
        m_voucherShop = GetOrAddCode(*DatMod->ShopMstTbl, m_voucherName, added);
    }
    setPayingAccount(FindHimokuAiteCode(m_voucher, &KouzaHimokuArray));
}

void TFormPrePayed::setPayingAccount(int code)
{
    m_syukkin = code > 0 && code != m_voucher ? code : -1;
    EditSyukkin->setText(m_syukkin > 0 ? FindHimokuName(m_syukkin, &KouzaHimokuArray) : QString());
}

void TFormPrePayed::setIncomeCategory(int code)
{
    m_inCome = code > 0 ? code : -1;
    EditInCome->setText(m_inCome > 0 ? FindHimokuName(m_inCome, &IriHimokuArray) : QString());
}

void TFormPrePayed::SetPurchaseDate(const QDate &date)
{
    if (!date.isValid())
        return;
    m_date = date;
    MkEditRecDate->setText(dateText(date));
    if (MyCalendar->selectedDate() != date)
        MyCalendar->setSelectedDate(date);
}

void TFormPrePayed::SetAccountingMonth(int year, int month)
{
    m_year = year;
    m_month = month;
    calcPeriod();
}

void TFormPrePayed::calcPeriod()
{
    if (!DatMod || !DatMod->DataOpen || m_year <= 0 || m_month <= 0)
        return;
    int simeBi = 31, shift = 0;
    GetHimokuSimePeriod(DatMod->MainDatabase, m_voucher, m_year, m_month, CurSimeTuki, CurShiftNendo, simeBi, shift,
                        m_start, m_end);
    if (m_start.isValid() && m_end.isValid()) {
        MyCalendar->setDateRange(m_start, m_end);
        if (!m_date.isValid() || m_date < m_start || m_date > m_end)
            SetPurchaseDate(m_start);
    }
}

void TFormPrePayed::CmbBoxPrePayedChange()
{
    SetVoucher(CmbBoxPrePayed->currentData().toInt());
    calcPeriod();
    const int kind = m_listKind;
    m_listKind = -1;
    ShowList(kind);
}

Currency TFormPrePayed::amountOf(QLineEdit *edit) const
{
    try {
        return EvalAmountText(edit->text().trimmed(), Currency());
    } catch (const std::exception &) {
        // A text that is no amount counts as nothing; the box shows the 0.
        return Currency();
    }
}

void TFormPrePayed::RecalcAmounts()
{
    const Currency face = RoundAmount(amountOf(FltEditGakumen));
    const Currency paid = RoundAmount(amountOf(FltEditPayed));
    FltEditGakumen->setText(face.isZero() && FltEditGakumen->text().isEmpty() ? QString() : KingakuToStr(face));
    FltEditPayed->setText(paid.isZero() && FltEditPayed->text().isEmpty() ? QString() : KingakuToStr(paid));
    const int quantity = qMax(1, IntEditQuant->value());
    m_premium = face * quantity - paid;
    BvLbMasiGaku->setText(KingakuToStr(m_premium));
}

void TFormPrePayed::ShowList(int kind)
{
    if (kind == m_listKind)
        return;
    m_listKind = kind;
    QToolButton *buttons[] = {TolBtnRecDate, TolBtnHinmei, TolBtnShop, TolBtnPerson, TolBtnSyukkin, TolBtnInCome};
    if (kind >= 0 && kind < 6)
        buttons[kind]->setChecked(true);
    const bool calendar = kind == lkRecDate;
    MyCalendar->setVisible(calendar);
    DBCtlGridSelecter->setVisible(!calendar);
    PnlTuika->setVisible(kind == lkHinmei || kind == lkShop || kind == lkPerson);
    EditGaku->setEnabled(kind == lkHinmei);
    reloadList();
}

void TFormPrePayed::reloadList(const QString &locateName)
{
    const int kind = m_listKind;
    DBCtlGridSelecter->clear();
    m_listCodes.clear();
    if (kind == lkRecDate || !DatMod || !DatMod->DataOpen)
        return;
    QString sql;
    switch (kind) {
    case lkHinmei:
        sql = QStringLiteral("SELECT DISTINCT H.CODE, H.NAME FROM \"HinmeiList.db\" L, \"HinmeiMast.db\" H "
                             "WHERE L.HIMOKUCODE = %1 AND L.OYACODE = %2 AND (H.CODE = L.KOCODE) ORDER BY H.NAME")
                  .arg(kVoucherCategory)
                  .arg(m_voucherItem);
        break;
    case lkShop:
        sql = QStringLiteral("SELECT DISTINCT S.CODE, S.NAME FROM \"ShopList.db\" L, \"ShopMast.db\" S "
                             "WHERE L.HIMOKUCODE = %1 AND L.OYACODE = %2 AND (S.CODE = L.KOCODE) ORDER BY S.NAME")
                  .arg(kVoucherCategory)
                  .arg(m_voucherShop);
        break;
    case lkPerson:
        sql = QStringLiteral("SELECT DISTINCT P.CODE, P.NAME FROM \"Person.db\" P WHERE (P.VISIBLE = TRUE)");
        break;
    case lkSyukkin:
        sql = QStringLiteral("SELECT H.CODE, H.NAME FROM \"Himoku.db\" H WHERE (H.VISIBLE = TRUE) AND (H.BUNRUI > 2) "
                             "AND (H.CODE <> %1)")
                  .arg(m_voucher);
        break;
    case lkInCome:
        sql = QStringLiteral("SELECT H.CODE, H.NAME FROM \"Himoku.db\" H WHERE (H.VISIBLE = TRUE) AND (H.BUNRUI = 1)");
        break;
    default:
        return;
    }
    Statement st(DatMod->MainDatabase, LocalSql::translate(sql));
    while (st.next()) {
        m_listCodes << int(st.intValue(0));
        DBCtlGridSelecter->addItem(st.textValue(1));
        if (!locateName.isEmpty() && st.textValue(1) == locateName)
            DBCtlGridSelecter->setCurrentRow(DBCtlGridSelecter->count() - 1);
    }
}

void TFormPrePayed::FrBtnAppendListClick()
{
    const QString name = EditTuika->text().trimmed();
    if (name.isEmpty() || !DatMod || !DatMod->DataOpen)
        return;
    switch (m_listKind) {
    case lkHinmei:
        AddHinmeiListSubItem(kVoucherCategory, m_voucherItem, -1, name, 0, 1.0, RoundAmount(amountOf(EditGaku)));
        break;
    case lkShop:
        AddShopListSubItem(kVoucherCategory, m_voucherShop, -1, name);
        break;
    case lkPerson:
        AddPerson(name);
        break;
    default:
        return;
    }
    reloadList(name);
}

void TFormPrePayed::FrBtnDeleteListClick()
{
    const int row = DBCtlGridSelecter->currentRow();
    if (row < 0 || row >= m_listCodes.size() || !DatMod || !DatMod->DataOpen)
        return;
    const int code = m_listCodes.at(row);
    const QString name = DBCtlGridSelecter->item(row)->text();
    QString sql;
    QVariantList params;
    switch (m_listKind) {
    case lkHinmei:
    case lkShop:
        sql = QStringLiteral("DELETE FROM \"%1\" WHERE HIMOKUCODE = ? AND OYACODE = ? AND KOCODE = ?")
                  .arg(m_listKind == lkHinmei ? QStringLiteral("HinmeiList.db") : QStringLiteral("ShopList.db"));
        params = {kVoucherCategory, m_listKind == lkHinmei ? m_voucherItem : m_voucherShop, code};
        break;
    case lkPerson:
        // A person stays for the lines that name them; only the list loses them.
        sql = QStringLiteral("UPDATE \"Person.db\" SET VISIBLE = 0 WHERE CODE = ?");
        params = {code};
        break;
    default:
        return;
    }
    if (MessageDlg(name + QStringLiteral(" を削除します。"), MsgDlgType::Confirmation, mbOKCancel) != mrOk)
        return;
    Statement st(DatMod->MainDatabase, LocalSql::translate(sql));
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params.at(i));
    st.exec();
    DatMod->RefreshTables();
    EditTuika->clear();
    reloadList();
}

void TFormPrePayed::ChooseListRow(int row)
{
    if (row < 0 || row >= m_listCodes.size())
        return;
    const int code = m_listCodes.at(row);
    const QString name = DBCtlGridSelecter->item(row)->text();
    switch (m_listKind) {
    case lkHinmei: {
        m_hinmei = code;
        EditHinmei->setText(name);
        EditTuika->setText(name);
        const THinmeiValues item = ReadHinmeiRec(*DatMod->HinmeiMstTbl, code);
        if (item.code < 0) {
            IntEditQuant->setValue(1);
            FltEditGakumen->clear();
            EditGaku->clear();
        } else {
            IntEditQuant->setValue(qMax(1, int(item.quantity)));
            FltEditGakumen->setText(KingakuToStr(item.amount));
            EditGaku->setText(KingakuToStr(item.amount));
        }
        RecalcAmounts();
        break;
    }
    case lkShop:
        m_shop = code;
        EditShop->setText(name);
        EditTuika->setText(name);
        EditGaku->clear();
        break;
    case lkPerson:
        m_person = code;
        EditPerson->setText(name);
        EditTuika->setText(name);
        EditGaku->clear();
        break;
    case lkSyukkin:
        setPayingAccount(code);
        break;
    case lkInCome:
        setIncomeCategory(code);
        break;
    default:
        break;
    }
}

void TFormPrePayed::MkEditRecDateExit()
{
    const QDate d = StrToDate(MkEditRecDate->text().trimmed());
    if (d.isValid() && m_start.isValid() && (d < m_start || d > m_end)) {
        MessageDlg(QStringLiteral("月度の範囲外です。"), MsgDlgType::Error, mbOK);
    } else if (d.isValid()) {
        m_date = d;
    }
    // A text that is no date keeps the previous purchase date.
    SetPurchaseDate(m_date);
}

bool TFormPrePayed::SpBtnApplyClick()
{
    RecalcAmounts();
    const Currency face = RoundAmount(amountOf(FltEditGakumen));
    const Currency paid = RoundAmount(amountOf(FltEditPayed));
    const int quantity = qMax(1, IntEditQuant->value());
    if (face.isZero()) {
        MessageDlg(QStringLiteral("額面が 0 です。"), MsgDlgType::Error, mbOK);
        return false;
    }
    if (m_premium < Currency()) {
        MessageDlg(QStringLiteral("サービス額が マイナスになっています。"), MsgDlgType::Error, mbOK);
        return false;
    }
    if (m_syukkin <= 0) {
        MessageDlg(QStringLiteral("出金口座が未定です。"), MsgDlgType::Error, mbOK);
        return false;
    }
    if (m_premium > Currency() && m_inCome <= 0) {
        MessageDlg(QStringLiteral("サービス額の収入費目が未定です。"), MsgDlgType::Error, mbOK);
        return false;
    }
    TMeisaiClientDataSet *r = DatMod ? ReceiptClt(*DatMod) : nullptr;
    TMeisaiClientDataSet *m = DatMod ? MeisaiClt(*DatMod) : nullptr;
    if (!r || !m || !r->isActive() || !m->isActive())
        return false;
    // The slip's account first: the amount rule of a voucher line takes its
    // own side from it, and the save refuses a line without it.
    m->CltCreditCODE = m_voucher;
    r->edit();
    r->fieldByName(QStringLiteral("CreditCode"))->setAsInteger(m_voucher);
    r->fieldByName(QStringLiteral("RecDate"))->setAsDate(m_date);
    r->post();

    auto line = [&](int aite, const QString &item, Currency amount, int qty) {
        AppendMeisaiLine(*m);
        if (m->state() == DataSetState::Browse)
            m->edit();
        m->fieldByName(QStringLiteral("RECDATE"))->setAsDate(m_date);
        m->fieldByName(QStringLiteral("SelfCode"))->setAsInteger(m_voucher);
        m->fieldByName(QStringLiteral("AiteCode"))->setAsInteger(aite);
        // Through the names' text rules: a new name becomes a master row at the save.
        m->fieldByName(QStringLiteral("HinmeiName"))->setText(item);
        if (!EditShop->text().isEmpty())
            m->fieldByName(QStringLiteral("ShopName"))->setText(EditShop->text());
        if (!EditPerson->text().isEmpty())
            m->fieldByName(QStringLiteral("PersonName"))->setText(EditPerson->text());
        m->fieldByName(QStringLiteral("KariGaku"))->setAsCurrency(amount);
        if (qty > 0)
            m->fieldByName(QStringLiteral("QUANTITY"))->setAsFloat(qty);
        m->fieldByName(QStringLiteral("ZEIATUKAI"))->setAsInteger(0);
        m->post();
    };
    line(m_syukkin, EditHinmei->text().isEmpty() ? m_voucherName : EditHinmei->text(), paid, quantity);
    if (m_premium > Currency())
        line(m_inCome, QStringLiteral("サービス割増"), m_premium, 0);
    accept();
    return true;
}
