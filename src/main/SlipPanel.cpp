#include "main/SlipPanel.h"

#include <functional>
#include <utility>

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "controls/CellText.h"
#include "controls/BevelLabel.h"
#include "controls/ColorValue.h"
#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/Holidays.h"
#include "data/MeisaiDefaults.h"
#include "data/MeisaiSave.h"
#include "data/SimeDate.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/ReceiptList.h"
#include "platform/db/Abort.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/ui/Dialogs.h"

namespace {

const QColor kGuardedText(0x00, 0x00, 0x80);   // navy: a locked or foreign slip

// The header box being edited: the selection blue, a shade lighter.
QColor enterColor()
{
    return ShiftColorLuminance(ColorValue::fromBgr(0xFFDBAB), 20);
}

// Whether every line of the slip may take a header change; tells the user when not.
bool slipLinesOpen(TMeisaiClientDataSet &lines, const QDate &date)
{
    const bool open = SlipLinesUnlocked(lines, date);
    if (!open)
        MessageDlg(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information, mbOK);
    return open;
}

// Writes a header value into every line of the slip through the journal's own
// field routine (change mode, all lines). Should a line still refuse, the lines
// written before it are taken back: the slip never ends half changed.
void writeEveryLine(TMeisaiClientDataSet &lines, const char *fieldName, int code, const QString &name,
                    const QDate &date)
{
    if (!lines.isActive() || lines.isEmpty())
        return;
    if (lines.isEditing())
        lines.post();
    const int point = lines.savePoint();
    try {
        SetMeisaiFieldValue(lines.fieldByName(QLatin1String(fieldName)), wmChange, false, true, code, false, false,
                            name, date, -1);
    } catch (...) {
        if (lines.isEditing())
            lines.cancel();
        lines.setSavePoint(point);
        throw;
    }
}

} // namespace

// ---- TSlipFieldEdit -----------------------------------------------------------

TSlipFieldEdit::TSlipFieldEdit(const QString &fieldName, QWidget *parent) : QLineEdit(parent), m_fieldName(fieldName)
{
    setObjectName(QStringLiteral("DBEdit") + fieldName);
    KeepOneLine(this);
}

void TSlipFieldEdit::setDataSource(DataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &DataSource::dataChange, this, [this](Field *f) {
            if (!f || f == field())
                refresh();
        });
        connect(source, &DataSource::stateChange, this, [this] { refresh(); });
        connect(source, &DataSource::updateData, this, [this] { commit(); });
    }
    refresh();
}

Field *TSlipFieldEdit::field() const
{
    DataSet *ds = m_source ? m_source->dataSet() : nullptr;
    if (!ds || !ds->isActive())
        return nullptr;
    return ds->findField(m_fieldName);
}

void TSlipFieldEdit::refresh()
{
    Field *f = field();
    DataSet *ds = m_source ? m_source->dataSet() : nullptr;
    const bool row = f && ds && !ds->isEmpty();
    setText(row ? f->displayText() : QString());
    setModified(false);
    m_hasRefused = false;
}

bool TSlipFieldEdit::commit()
{
    if (!isModified())
        return true;
    Field *f = field();
    DataSet *ds = m_source ? m_source->dataSet() : nullptr;
    if (!f || !ds || ds->isEmpty() || isReadOnly())
        return false;
    // Taken first: going into edit state makes the box show the field again.
    const QString typed = text();
    setModified(false);
    if (!ds->isEditing())
        ds->edit();
    try {
        f->setText(typed);
    } catch (...) {
        // The field keeps its value; the box keeps what was typed to correct.
        setText(typed);
        setModified(true);
        m_refusedText = typed;
        m_hasRefused = true;
        throw;
    }
    m_hasRefused = false;
    refresh();
    emit committed(f);
    return true;
}

void TSlipFieldEdit::focusInEvent(QFocusEvent *event)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, enterColor());
    setPalette(p);
    QLineEdit::focusInEvent(event);
}

void TSlipFieldEdit::focusOutEvent(QFocusEvent *event)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
    QLineEdit::focusOutEvent(event);
    // Its message was shown when it was refused (the message box itself takes
    // the focus); the save or Enter raises it again.
    if (m_hasRefused && isModified() && text() == m_refusedText)
        return;
    try {
        commit();
    } catch (const EAbort &) {
        // The rule told the user already; the box shows the field again.
    }
}

void TSlipFieldEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    emit clicked();
}

void TSlipFieldEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        commit();
        emit returnPressed();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// ---- TSlipPanel -----------------------------------------------------------------

TSlipPanel::TSlipPanel(TReceiptList *list, QWidget *parent) : QWidget(parent), m_list(list)
{
    buildUi();
    if (m_list) {
        connect(m_list, &TReceiptList::slipChanged, this, &TSlipPanel::SlipAfterScroll);
        connect(m_list, &TReceiptList::slipLinesLoaded, this, [this] {
            SlipAfterScroll();
            CalcDetailTotals();
        });
        connect(m_list, &TReceiptList::slipListLoaded, this, &TSlipPanel::SlipAfterScroll);
    }
}

TSlipPanel::~TSlipPanel() = default;

void TSlipPanel::buildUi()
{
    setObjectName(QStringLiteral("SlipPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    PnlReceiptListInfo = new QWidget(this);
    PnlReceiptListInfo->setObjectName(QStringLiteral("PnlReceiptListInfo"));
    {
        auto *row = new QHBoxLayout(PnlReceiptListInfo);
        row->setContentsMargins(2, 2, 2, 2);
        LbReceiptTitle = new TBevelLabel(PnlReceiptListInfo);
        LbReceiptTitle->setObjectName(QStringLiteral("LbReceiptTitle"));
        LbReceiptTitle->setText(QStringLiteral("レシート入力"));
        SpBtnNewReceipt = new TFrameBtn(PnlReceiptListInfo);
        SpBtnNewReceipt->setObjectName(QStringLiteral("SpBtnNewReceipt"));
        SpBtnNewReceipt->setText(QStringLiteral("新規レシート"));
        row->addWidget(LbReceiptTitle, 1);
        row->addWidget(SpBtnNewReceipt);
    }
    layout->addWidget(PnlReceiptListInfo);

    auto addBox = [](QWidget *panel, QHBoxLayout *row, QLabel *&label, const QString &caption,
                     TSlipFieldEdit *&box, const QString &field, bool imeOpen) {
        label = new QLabel(caption, panel);
        box = new TSlipFieldEdit(field, panel);
        box->setAttribute(Qt::WA_InputMethodEnabled, imeOpen);
        row->addWidget(label);
        row->addWidget(box, 1);
    };
    PnlReceiptInfo = new QWidget(this);
    PnlReceiptInfo->setObjectName(QStringLiteral("PnlReceiptInfo"));
    {
        auto *row = new QHBoxLayout(PnlReceiptInfo);
        row->setContentsMargins(2, 2, 2, 2);
        addBox(PnlReceiptInfo, row, LbDate, QStringLiteral("日付"), DBEditDate, QStringLiteral("RecDate"), false);
        addBox(PnlReceiptInfo, row, LbShop, QStringLiteral("店名"), DBEditShop, QStringLiteral("ShopName"), true);
        DBEditDate->setObjectName(QStringLiteral("DBEditDate"));
        DBEditShop->setObjectName(QStringLiteral("DBEditShop"));
    }
    layout->addWidget(PnlReceiptInfo);

    PnlCreditInfo = new QWidget(this);
    PnlCreditInfo->setObjectName(QStringLiteral("PnlCreditInfo"));
    {
        auto *row = new QHBoxLayout(PnlCreditInfo);
        row->setContentsMargins(2, 2, 2, 2);
        addBox(PnlCreditInfo, row, LbCredit, QStringLiteral("クレジット名"), DBEditCredit,
               QStringLiteral("CreditCode"), true);
        addBox(PnlCreditInfo, row, LbPayDate, QStringLiteral("引落日"), DBEditPayDate, QStringLiteral("PayDate"),
               false);
        addBox(PnlCreditInfo, row, LbPayKouza, QStringLiteral("引落口座"), DBEditPayKouza,
               QStringLiteral("PayKouza"), true);
        DBEditCredit->setObjectName(QStringLiteral("DBEditCredit"));
        DBEditPayDate->setObjectName(QStringLiteral("DBEditPayDate"));
        DBEditPayKouza->setObjectName(QStringLiteral("DBEditPayKouza"));
    }
    layout->addWidget(PnlCreditInfo);

    PnlGoukei = new QWidget(this);
    PnlGoukei->setObjectName(QStringLiteral("PnlGoukei"));
    {
        auto *row = new QHBoxLayout(PnlGoukei);
        row->setContentsMargins(2, 2, 2, 2);
        auto label = [this, row](QLabel *&l, const char *name, const QString &text, bool amount) {
            l = new QLabel(text, PnlGoukei);
            l->setObjectName(QLatin1String(name));
            if (amount) {
                l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                l->setMinimumWidth(80);
            }
            row->addWidget(l);
        };
        label(LbMeisaiGoukei, "LbMeisaiGoukei", QStringLiteral("明細の合計"), false);
        label(BbLbKari, "BbLbKari", QStringLiteral("入金"), false);
        label(BbLbKarigou, "BbLbKarigou", QStringLiteral("0"), true);
        label(BbLbKasi, "BbLbKasi", QStringLiteral("出金"), false);
        label(BbLbKasigou, "BbLbKasigou", QStringLiteral("0"), true);
        label(LbZeiGoukei, "LbZeiGoukei", QStringLiteral("（税合計）"), false);
        label(BbLbZeiKarigou, "BbLbZeiKarigou", QStringLiteral("0"), true);
        row->addStretch(1);
    }
    layout->addWidget(PnlGoukei);
    layout->addStretch(1);

    DataSource *source = m_list ? m_list->ReceiptListSrc : nullptr;
    for (TSlipFieldEdit *box : {DBEditDate, DBEditShop, DBEditCredit, DBEditPayDate, DBEditPayKouza}) {
        box->setDataSource(source);
        connect(box, &TSlipFieldEdit::clicked, this, &TSlipPanel::DBEditDateClick);
        connect(box, &TSlipFieldEdit::committed, this, [this](Field *f) {
            // New lines of the slip take the typed date and shop as well as
            // the lines there are (which the field's own rule updated).
            TMeisaiClientDataSet *r = m_list ? m_list->slips() : nullptr;
            TMeisaiClientDataSet *m = m_list ? m_list->lines() : nullptr;
            if (!r || !m || !f)
                return;
            if (f->fieldName() == QLatin1String("RecDate") && !f->isNull()) {
                r->CltDate = f->asDate();
                m->CltDate = f->asDate();
            } else if (f->fieldName() == QLatin1String("ShopName")) {
                m->CltShopCODE = int(r->fieldByName(QStringLiteral("ShopCode"))->asInteger());
            } else if (f->fieldName() == QLatin1String("CreditCode") && !f->isNull()
                       && !r->OnChooseCode) {
                // Without a selector to take the typed card as a choice, the
                // header passes it on itself: new lines and the lines there
                // are go to the card, and a bill gets its payment day.
                CopySlipFieldToLines(*f);
            }
            m_list->PublishSlipHeader();
        });
        connect(box, &QLineEdit::returnPressed, this, [this, box] { headerEnterKey(box); });
    }
    connect(SpBtnNewReceipt, &QAbstractButton::clicked, this, [this] { SpBtnNewReceiptClick(); });
    if (m_list)
        connect(m_list, &TReceiptList::emptyListClicked, this, &TSlipPanel::DBEditDateClick);
    ApplyModeCaptions(InputMode);
}

void TSlipPanel::ApplyModeCaptions(uint8_t mode)
{
    InputMode = mode;
    const int kind = m_list ? m_list->FrameKind : 2;
    const bool slipMode = mode == 2 || mode == 3 || mode == 7 || mode == 8;
    PnlReceiptListInfo->setVisible(slipMode);
    PnlReceiptInfo->setVisible(mode == 2);
    PnlCreditInfo->setVisible(mode == 3 || mode == 8);
    LbShop->setText(QStringLiteral("店名"));
    switch (mode) {
    case 2:
        SpBtnNewReceipt->setText(QStringLiteral("新規レシート"));
        LbReceiptTitle->setText(QStringLiteral("レシート入力"));
        break;
    case 3:
        if (kind == 1) {
            SpBtnNewReceipt->setText(QStringLiteral("新規伝票"));
            LbReceiptTitle->setText(QStringLiteral("口座振込入力"));
            LbCredit->setText(QStringLiteral("振込口座"));
        } else {
            SpBtnNewReceipt->setText(QStringLiteral("新規請求書"));
            LbReceiptTitle->setText(QStringLiteral("請求書入力"));
            LbCredit->setText(QStringLiteral("クレジット名"));
        }
        break;
    case 7:
        SpBtnNewReceipt->setText(QStringLiteral("新規伝票"));
        LbReceiptTitle->setText(QStringLiteral("自由入力"));
        break;
    case 8:
        SpBtnNewReceipt->setText(QStringLiteral("金券購入"));
        LbReceiptTitle->setText(QStringLiteral("金券入力"));
        LbShop->setText(QStringLiteral("金券名"));
        LbCredit->setText(QStringLiteral("金券名"));
        break;
    default:
        break;
    }
    // Payment day and account belong to the expense page's bills only.
    const bool pay = mode == 3 && kind == 2;
    for (QWidget *w : std::initializer_list<QWidget *>{LbPayDate, DBEditPayDate, LbPayKouza, DBEditPayKouza})
        w->setVisible(pay);
    // Total labels by page kind: one amount on the income and expense pages
    // (and in the transfer page's free slips), both sides on the transfer page.
    const bool twoSides = kind == 3 && mode != 7;
    BbLbKari->setVisible(twoSides);
    BbLbKasi->setVisible(twoSides);
    BbLbKasigou->setVisible(twoSides);
    LbZeiGoukei->setVisible(kind == 2);
    BbLbZeiKarigou->setVisible(kind == 2);
    LbMeisaiGoukei->setText(QStringLiteral("明細の合計"));
}

bool TSlipPanel::SpBtnNewReceiptClick()
{
    if (!m_list || !DatMod || !DatMod->DataOpen)
        return false;
    CommitHeader();
    const bool saved = m_list->SaveJournal ? m_list->SaveJournal() : ApplyMeisaiUpdates();
    if (!saved)
        return false;
    TMeisaiClientDataSet *r = m_list->slips();
    TMeisaiClientDataSet *m = m_list->lines();
    if (!r || !m)
        return false;
    if (!m_list->PeriodStart.isValid())
        m_list->CalcPeriod(m_list->PeriodCode);
    if (!r->isActive()) {
        // An empty list of the shown month to append to.
        m_list->LoadSlipList();
        if (!r->isActive())
            return false;
    }
    const QDate start = m_list->PeriodStart, end = m_list->PeriodEnd;
    QDate date = r->CltDate;
    if (!date.isValid() || date < start || date > end) {
        const QDate today = QDate::currentDate();
        date = today >= start && today <= end ? today : start;
    }
    const QDate lock = CurLockDate;
    if (lock.isValid() && date <= lock && lock.addDays(1) <= end)
        date = lock.addDays(1);
    r->CltDate = date;
    r->CltLookupNo = -1;
    // The new row's own rule reads the slip date from the lines' state.
    m->CltDate = date;
    const bool autoLoad = std::exchange(m_list->AutoLoadLines, false);
    struct Put
    {
        bool &flag;
        bool value;
        ~Put() { flag = value; }
    } put{m_list->AutoLoadLines, autoLoad};
    r->append();
    if (InputMode == 2 && r->fieldByName(QStringLiteral("RecDate"))->isNull())
        r->fieldByName(QStringLiteral("RecDate"))->setAsDate(date);
    {
        // The new slip's row holds only its header until its first save.
        const bool changed = DatMod->DataChanged;
        r->post();
        DatMod->DataChanged = changed;
    }
    m_list->SlipLinesPending = true;
    m_list->LoadSlipLines();
    SlipAfterScroll();
    emit newSlipStarted();
    return true;
}

void TSlipPanel::DBEditDateClick()
{
    if (!m_list)
        return;
    TMeisaiClientDataSet *r = m_list->slips();
    if (!r || !r->isActive() || r->isEmpty())
        SpBtnNewReceiptClick();
}

TSlipSums TSlipPanel::SumAllLines(DataSet &lines, bool tableMode)
{
    TSlipSums sums;
    if (!lines.isActive() || lines.isEmpty())
        return sums;
    if (lines.isEditing())
        lines.post();
    Field *kari = lines.findField(QStringLiteral("KariGaku"));
    Field *kasi = lines.findField(QStringLiteral("KasiGaku"));
    Field *kingaku = lines.fieldByName(QStringLiteral("KINGAKU"));
    Field *hinmei = lines.findField(QStringLiteral("HinmeiName"));
    Field *style = lines.fieldByName(QStringLiteral("STYLE"));
    // Each line is read where it stands: the cursor does not move, so no
    // line's after-scroll work runs for a sum.
    QVector<QVariant> values;
    for (int rec = 1; rec <= lines.recordCount(); ++rec) {
        if (!lines.fetchRecord(rec, values))
            continue;
        DataSet::RecordScope scope(lines, &values);
        if (kari)
            sums.KariGaku += kari->asCurrency();
        if (kasi)
            sums.KasiGaku += kasi->asCurrency();
        sums.Kingaku += kingaku->asCurrency();
        if (hinmei && IsTaxLine(hinmei->asString(), int(style->asInteger()), tableMode))
            sums.Zei += kingaku->asCurrency();
    }
    return sums;
}

bool TSlipPanel::IsTaxLine(const QString &itemName, int style, bool tableMode)
{
    const bool slipLine = style == 2 || style == 3 || style == 7 || style == 8;
    return itemName.contains(QStringLiteral("消費税")) && !(tableMode && slipLine);
}

TSlipSums TSlipPanel::SumSelectedLines() const
{
    TSlipSums sums;
    if (!m_detailGrid || m_detailGrid->selectedCount() == 0)
        return sums;
    DataSet *lines = m_detailGrid->dataSet();
    if (!lines)
        return sums;
    // Visit the selected rows that still exist, the current one restored.
    const Bookmark back = lines->bookmark();
    lines->disableControls();
    for (int row : m_detailGrid->selectedRows()) {
        if (row < 0 || row >= lines->recordCount())
            continue;
        lines->setRecNo(row + 1);
        if (Field *f = lines->findField(QStringLiteral("KariGaku")))
            sums.KariGaku += f->asCurrency();
        if (Field *f = lines->findField(QStringLiteral("KasiGaku")))
            sums.KasiGaku += f->asCurrency();
        sums.Kingaku += lines->fieldByName(QStringLiteral("KINGAKU"))->asCurrency();
    }
    lines->gotoBookmark(back);
    lines->enableControls();
    return sums;
}

void TSlipPanel::setLabelAmount(QLabel *label, const Currency &amount)
{
    label->setText(KingakuToStr(amount));
}

TSlipSums TSlipPanel::CalcDetailTotals()
{
    TMeisaiClientDataSet *m = m_list ? m_list->lines() : nullptr;
    const int kind = m_list ? m_list->FrameKind : 2;
    const bool selection = m_detailGrid && m_detailGrid->getMultiSelectMode() && m_detailGrid->selectedCount() > 0;
    TSlipSums sums;
    if (selection)
        sums = SumSelectedLines();
    else if (m)
        sums = SumAllLines(*m, InputMode == 1);
    if (kind == 3 && InputMode != 7) {
        setLabelAmount(BbLbKarigou, sums.KariGaku);
        setLabelAmount(BbLbKasigou, sums.KasiGaku);
    } else {
        setLabelAmount(BbLbKarigou, sums.Kingaku);
    }
    if (selection) {
        LbZeiGoukei->hide();
        BbLbZeiKarigou->hide();
        LbMeisaiGoukei->setText(QStringLiteral("選択の合計"));
        emit totalsChanged(sums);
        return sums;
    }
    LbMeisaiGoukei->setText(QStringLiteral("明細の合計"));
    if (kind == 2) {
        setLabelAmount(BbLbZeiKarigou, sums.Zei);
        LbZeiGoukei->show();
        BbLbZeiKarigou->show();
    }
    if (InputMode == 1) {
        emit tableCellTotal(sums.Kingaku);
    } else if (TMeisaiClientDataSet *r = m_list ? m_list->slips() : nullptr; r && r->isActive() && !r->isEmpty()) {
        // The slip row shows the lines' sums; its next post stores them. Only
        // lines that were changed move it: showing a slip edits nothing (an
        // edited row would later be posted and mark the book as changed).
        Field *kingaku = r->fieldByName(QStringLiteral("KINGAKU"));
        Field *kari = r->fieldByName(QStringLiteral("KariGaku"));
        Field *kasi = r->fieldByName(QStringLiteral("KasiGaku"));
        const bool differs = kingaku->asCurrency() != sums.Kingaku || kari->asCurrency() != sums.KariGaku
            || kasi->asCurrency() != sums.KasiGaku;
        const bool linesChanged = m && m->isActive() && (m->changeCount() > 0 || m->isEditing());
        if (differs && (linesChanged || r->isEditing())) {
            if (!r->isEditing())
                r->edit();
            kingaku->setAsCurrency(sums.Kingaku);
            kari->setAsCurrency(sums.KariGaku);
            kasi->setAsCurrency(sums.KasiGaku);
        }
    }
    emit totalsChanged(sums);
    return sums;
}

void TSlipPanel::SlipAfterScroll()
{
    TMeisaiClientDataSet *r = m_list ? m_list->slips() : nullptr;
    const bool guarded = r && r->isActive() && !r->isEmpty() && r->IsReadOnlyRecord();
    for (TSlipFieldEdit *box : {DBEditDate, DBEditShop, DBEditCredit, DBEditPayDate, DBEditPayKouza}) {
        box->setReadOnly(guarded);
        QPalette p = box->palette();
        p.setColor(QPalette::Text, guarded ? kGuardedText : QColor(Qt::black));
        box->setPalette(p);
        box->refresh();
    }
}

void TSlipPanel::CommitHeader()
{
    for (TSlipFieldEdit *box : {DBEditDate, DBEditShop, DBEditCredit, DBEditPayDate, DBEditPayKouza})
        box->commit();
}

bool TSlipPanel::CopySlipFieldToLines(Field &field)
{
    if (!m_list)
        return false;
    TMeisaiClientDataSet *r = m_list->slips();
    TMeisaiClientDataSet *m = m_list->lines();
    if (!r || !m)
        return false;
    const QString name = field.fieldName();
    const bool date = name.compare(QStringLiteral("RecDate"), Qt::CaseInsensitive) == 0;
    const bool shop = name == QLatin1String("ShopName") || name == QLatin1String("ShopCode");
    const bool card = name == QLatin1String("CreditCode");
    if ((date || shop || card) && !slipLinesOpen(*m, date && !field.isNull() ? field.asDate() : QDate())) {
        // Refused as a whole: the slip row takes its stored header back too.
        if (r->isEditing())
            r->cancel();
        SlipAfterScroll();
        CalcDetailTotals();
        return false;
    }
    if (date) {
        if (field.isNull())
            return false;
        const QDate value = field.asDate();
        r->CltDate = value;
        m->CltDate = value;
        writeEveryLine(*m, "RECDATE", 0, QString(), value);
    } else if (shop) {
        const int code = int(r->fieldByName(QStringLiteral("ShopCode"))->asInteger());
        const QString shopName = r->fieldByName(QStringLiteral("ShopName"))->asString();
        m->CltShopCODE = code;
        writeEveryLine(*m, "SHOPCODE", code, shopName, QDate());
    } else if (card) {
        const int code = int(field.asInteger());
        m->CltCreditCODE = code;
        m_list->CalcPeriod(code);
        {
            // Every line takes the card, whatever its kind; the flag must not
            // outlive the write, also when a line refuses.
            struct AllLines
            {
                TMeisaiClientDataSet &ds;
                bool was;
                ~AllLines() { ds.CltEditAllLines = was; }
            } allLines{*m, std::exchange(m->CltEditAllLines, true)};
            if (m->findField(QStringLiteral("SelfCode")))
                writeEveryLine(*m, "SelfCode", code, QString(), QDate());
        }
        if (m_list->FrameKind == 2 && InputMode == 3) {
            const int payKouza = FindHimokuAiteCode(code, &KouzaHimokuArray);
            if (payKouza > 0) {
                Database &db = DatMod->MainDatabase;
                const int furikomiBi = GetHimokuFurikomibi(db, code);
                const int cycle = GetHimokuCycle(db, code);
                if (!r->isEditing())
                    r->edit();
                if (furikomiBi < 0 || cycle < 0) {
                    r->fieldByName(QStringLiteral("PayDate"))->clear();
                    r->fieldByName(QStringLiteral("PayKouza"))->clear();
                } else {
                    THimokuData data;
                    FindHimokuData(code, &KouzaHimokuArray, data);
                    r->fieldByName(QStringLiteral("PayDate"))
                        ->setAsDate(GetFurikomiDate(furikomiBi, cycle, data.HolidayShift, m_list->ShownYear,
                                                    m_list->ShownMonth, CurSimeTuki, CurShiftNendo,
                                                    TableHolidayTest(db)));
                    r->fieldByName(QStringLiteral("PayKouza"))->setAsInteger(payKouza);
                }
                r->post();
            }
            TouchMeisaiFirstLine();
        }
    } else if (name == QLatin1String("PayDate") || name == QLatin1String("PayKouza")) {
        TouchMeisaiFirstLine();
    }
    m_list->PublishSlipHeader();
    SlipAfterScroll();
    return true;
}

void TSlipPanel::headerEnterKey(TSlipFieldEdit *box)
{
    QWidget *next = nullptr;
    const int kind = m_list ? m_list->FrameKind : 2;
    if (box == DBEditDate)
        next = DBEditShop;
    else if (box == DBEditCredit && kind == 2)
        next = DBEditPayDate;
    else if (box == DBEditPayDate)
        next = DBEditPayKouza;
    if (next && next->isVisible() && next->isEnabled())
        next->setFocus();
    else
        emit focusDetailGrid();
}
