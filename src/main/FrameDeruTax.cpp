#include "main/FrameDeru.h"

#include <cmath>

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/MeisaiSave.h"
#include "data/Utils.h"
#include "main/MeisaiGrid.h"
#include "main/SlipPanel.h"
#include "main/TaxLines.h"
#include "platform/db/Field.h"
#include "platform/ui/Dialogs.h"

// The 消費税 button of the expense page: consumption-tax lines (item 1) for the
// taxable lines of the shown day and category, or of the shown slip.

namespace {

constexpr int kTaxItem = 1;
constexpr int kTaxItem2 = 2;

// One press at a time, over every journal page.
bool TaxBusy = false;

int intOf(DataSet &ds, const char *name, int none = 0)
{
    Field *f = ds.findField(QLatin1String(name));
    return f && !f->isNull() ? int(f->asInteger()) : none;
}

Field *fieldOf(DataSet &ds, const char *name)
{
    return ds.fieldByName(QLatin1String(name));
}

void setCode(DataSet &ds, const char *name, const char *mirror, int code)
{
    fieldOf(ds, name)->setAsInteger(code);
    if (Field *f = ds.findField(QLatin1String(mirror)))
        f->setAsInteger(code);
}

// The smallest step of the book's money: 1 yen, or 0.01 with two decimals.
Currency moneyStep()
{
    return Currency::fromDouble(std::pow(10.0, -Formats().currencyDecimals));
}

// What the lines of a slip or cell have in common, for the tax lines to take.
struct TCommon
{
    bool seen = false;
    bool sameShop = true, samePerson = true, sameKasi = true;
    int shop = 0, person = 0, kasi = 0;
    QString shopName, personName;

    void note(DataSet &ds)
    {
        const int s = intOf(ds, "SHOPCODE"), p = intOf(ds, "PERSONCODE"), k = intOf(ds, "KASICODE");
        if (!seen) {
            seen = true;
            shop = s;
            person = p;
            kasi = k;
            shopName = fieldOf(ds, "ShopName")->asString();
            personName = fieldOf(ds, "PersonName")->asString();
            return;
        }
        sameShop = sameShop && s == shop;
        samePerson = samePerson && p == person;
        sameKasi = sameKasi && k == kasi;
    }
};

// Puts the lines back on the line they were on and lets their controls
// follow again, however the tax work ends.
class TKeepPlace
{
public:
    explicit TKeepPlace(TMeisaiClientDataSet *m) : m_m(m), m_at(m->recNo()) { m->disableControls(); }
    ~TKeepPlace()
    {
        if (m_at > 0 && m_at <= m_m->recordCount())
            m_m->setRecNo(m_at);
        m_m->enableControls();
    }
    TKeepPlace(const TKeepPlace &) = delete;
    TKeepPlace &operator=(const TKeepPlace &) = delete;

private:
    TMeisaiClientDataSet *m_m;
    int m_at;
};

// Opens the tax line the lines are on (`found`), or a new line, for editing,
// as the tax line of `date` and of category `code`.
void openTaxLine(TMeisaiClientDataSet &m, bool found, const QDate &date, int code)
{
    if (found) {
        m.edit();
    } else {
        AppendMeisaiLine(m);
        if (m.state() == DataSetState::Browse)
            m.edit();
    }
    fieldOf(m, "RECDATE")->setAsDate(date);
    setCode(m, "KARICODE", "SelfCode", code);
    fieldOf(m, "HINMEICODE")->setAsInteger(kTaxItem);
    fieldOf(m, "HinmeiName")->setAsString(HinmeiCodeToName(kTaxItem));
}

// The shop (when `shop`) and the person every taxed line shares go onto the
// tax line where it has none of its own.
void takeCommonShopPerson(DataSet &m, const TCommon &common, bool shop)
{
    if (shop && intOf(m, "SHOPCODE") <= 0 && common.sameShop && common.shop > 0) {
        fieldOf(m, "SHOPCODE")->setAsInteger(common.shop);
        fieldOf(m, "ShopName")->setAsString(common.shopName);
    }
    if (intOf(m, "PERSONCODE") <= 0 && common.samePerson && common.person > 0) {
        fieldOf(m, "PERSONCODE")->setAsInteger(common.person);
        fieldOf(m, "PersonName")->setAsString(common.personName);
    }
}

} // namespace

void TFrameDeru::buildTaxButton()
{
    auto *button = new QToolButton(PnlMeisai);
    button->setObjectName(QStringLiteral("ShpBtnTax"));
    button->setText(QStringLiteral("消費税"));
    button->setToolTip(QStringLiteral("消費税の明細を作ります"));
    button->hide();
    ShpBtnTax = button;
    for (QBoxLayout *box : PnlMeisai->findChildren<QBoxLayout *>()) {
        const int at = box->indexOf(BbLbZeiKarigou);
        if (at >= 0) {
            box->insertWidget(at + 1, button);
            break;
        }
    }
    connect(button, &QToolButton::clicked, this, [this] { ShpBtnTaxClick(); });
}

double TFrameDeru::GetTaxRate(const QDate &date)
{
    TTaxRates rates;
    if (DatMod && DatMod->DataOpen)
        rates.Load(DatMod->MainDatabase);
    return rates.RateOn(date);
}

bool TFrameDeru::IsTaxExempt()
{
    TMeisaiClientDataSet *m = meisai();
    const int item = intOf(*m, "HINMEICODE");
    const int zei = intOf(*m, "ZEIATUKAI", 3);
    if (item == kTaxItem || item == kTaxItem2 || zei == 0 || zei == 1)
        return true;
    if (InputMode == 1 && intOf(*m, "RECEIPTNO") > 0)
        return true;
    return FrameKind == 2 && intOf(*m, "ORIGIN") != 2;
}

bool TFrameDeru::CheckLinesForTax()
{
    TMeisaiClientDataSet *m = meisai();
    const int at = m->recNo();
    m->disableControls();
    struct Enable
    {
        TMeisaiClientDataSet *m;
        ~Enable() { m->enableControls(); }
    } enable{m};
    m->first();
    while (!m->eof()) {
        if (IsBlankMeisaiLine(*m)) {
            m->remove();
            continue;
        }
        QString refusal;
        if (intOf(*m, "KARICODE") <= 0)
            refusal = QStringLiteral("費目が未定です。");
        else if (intOf(*m, "KASICODE") <= 0 && !(ZeiAutoData && intOf(*m, "HINMEICODE") == kTaxItem))
            refusal = QStringLiteral("出金元が未定です。");
        else if (fieldOf(*m, "RECDATE")->isNull())
            refusal = QStringLiteral("日付が未定です");
        if (!refusal.isEmpty()) {
            // The cursor stays on the line to mend.
            m->enableControls();
            MessageDlg(refusal, MsgDlgType::Information, mbOK);
            m->disableControls();
            return false;
        }
        m->next();
    }
    if (at > 0 && at <= m->recordCount())
        m->setRecNo(at);
    return true;
}

void TFrameDeru::ShpBtnTaxClick()
{
    if (TaxBusy)
        return;
    TMeisaiClientDataSet *m = meisai();
    TaxBusy = true;
    DatMod->SuspendFieldEvents = true;
    struct Clear
    {
        ~Clear()
        {
            TaxBusy = false;
            if (DatMod)
                DatMod->SuspendFieldEvents = false;
        }
    } clear;
    if (!m || !m->isActive() || m->isEmpty())
        return;
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return;
    m->checkBrowseMode();
    if (!CheckLinesForTax())
        return;
    if (InputMode == 1)
        MakeTableTaxLine(CurDate);
    else
        MakeSlipTaxLines();
    TaxBusy = false;
    DatMod->SuspendFieldEvents = false;
    // The totals and the grid's guard follow the new lines once.
    if (m->AfterScroll)
        m->AfterScroll(*m);
    if (InputMode == 1)
        CalcDetailTotals();
    else
        SlipPanel->CalcDetailTotals();
}

void TFrameDeru::MakeTableTaxLine(const QDate &date)
{
    TMeisaiClientDataSet *m = meisai();
    const TKeepPlace keep(m);
    auto isTableTaxLine = [m] {
        return intOf(*m, "HINMEICODE") == kTaxItem && intOf(*m, "ORIGIN") == 2 && intOf(*m, "STYLE") == 1;
    };
    for (m->first(); !m->eof(); m->next())
        if (isTableTaxLine()) {
            m->edit();
            fieldOf(*m, "KINGAKU")->setAsCurrency(Currency());
            m->post();
        }
    Currency base;
    TCommon common;
    for (m->first(); !m->eof(); m->next()) {
        const int style = intOf(*m, "STYLE", 1);
        if (style == 2 || style == 3 || style == 7 || style == 8)
            continue;
        const int item = intOf(*m, "HINMEICODE");
        if (item != kTaxItem && item != kTaxItem2 && intOf(*m, "ORIGIN") == FrameKind && intOf(*m, "RECEIPTNO") <= 0)
            common.note(*m);
        if (!IsTaxExempt())
            base += fieldOf(*m, "KINGAKU")->asCurrency();
    }
    if (!base.isZero()) {
        bool found = false;
        for (m->first(); !m->eof(); m->next())
            if (intOf(*m, "HINMEICODE") == kTaxItem && intOf(*m, "STYLE", 1) == 1) {
                found = true;
                break;
            }
        openTaxLine(*m, found, date, CurCode);
        if (ZeiAutoData && common.seen) {
            takeCommonShopPerson(*m, common, true);
            if (common.sameKasi && common.kasi > 0 && intOf(*m, "KASICODE") != common.kasi
                && MessageDlg(QStringLiteral("消費税の出金口座も ") + FindHimokuName(common.kasi, &KouzaHimokuArray)
                                  + QStringLiteral(" に統一しますか？"),
                              MsgDlgType::Information, mbYesNo) == mrYes)
                setCode(*m, "KASICODE", "AiteCode", common.kasi);
        }
        fieldOf(*m, "ZEIATUKAI")->setAsInteger(0);
        fieldOf(*m, "KINGAKU")->setAsCurrency(TaxOf(base, GetTaxRate(date), RoundAmount));
        m->post();
    }
    for (m->last(); !m->bof() && !m->isEmpty();) {
        if (isTableTaxLine() && fieldOf(*m, "KINGAKU")->asCurrency().isZero()) {
            m->remove();
            if (m->isEmpty())
                break;
            m->last();
            continue;
        }
        if (m->recNo() <= 1)
            break;
        m->prior();
    }
}

void TFrameDeru::MakeSlipTaxLines()
{
    TMeisaiClientDataSet *m = meisai();
    const TKeepPlace keep(m);
    for (m->first(); !m->eof(); m->next())
        if (intOf(*m, "HINMEICODE") == kTaxItem) {
            m->edit();
            fieldOf(*m, "KINGAKU")->setAsCurrency(Currency());
            m->post();
        }
    TTaxRates rates;
    rates.Load(DatMod->MainDatabase);
    QList<TTaxGroup> groups;
    TCommon common;
    for (m->first(); !m->eof(); m->next()) {
        const int item = intOf(*m, "HINMEICODE");
        if (item != kTaxItem && item != kTaxItem2 && intOf(*m, "ORIGIN") == FrameKind)
            common.note(*m);
        if (IsTaxExempt())
            continue;
        const QDate date = fieldOf(*m, "RECDATE")->asDate();
        const int code = intOf(*m, "KARICODE");
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const TTaxGroup &g) { return g.Date == date && g.Code == code; });
        if (it == groups.end()) {
            TTaxGroup g;
            g.Date = date;
            g.Code = code;
            g.Percent = rates.RateOn(date);
            groups << g;
            it = groups.end() - 1;
        }
        it->Base += fieldOf(*m, "KINGAKU")->asCurrency();
    }
    ReconcileTaxGroups(groups, moneyStep(), RoundAmount);

    bool unifyAccount = false;
    for (const TTaxGroup &g : std::as_const(groups)) {
        bool found = false;
        for (m->first(); !m->eof(); m->next())
            if (intOf(*m, "HINMEICODE") == kTaxItem && intOf(*m, "KARICODE") == g.Code
                && fieldOf(*m, "RECDATE")->asDate() == g.Date) {
                found = true;
                break;
            }
        if (found && g.Tax.isZero()) {
            m->remove();
            continue;
        }
        if (!found && g.Tax.isZero())
            continue;
        openTaxLine(*m, found, g.Date, g.Code);
        if (ZeiAutoData && common.seen) {
            takeCommonShopPerson(*m, common, InputMode != 2);
            if (InputMode != 3 && common.sameKasi && common.kasi > 0 && intOf(*m, "KASICODE") != common.kasi) {
                if (!unifyAccount)
                    unifyAccount = MessageDlg(QStringLiteral("消費税の出金口座も ")
                                                  + FindHimokuName(common.kasi, &KouzaHimokuArray)
                                                  + QStringLiteral(" に統一しますか？"),
                                              MsgDlgType::Information, mbYesNo) == mrYes;
                if (unifyAccount)
                    setCode(*m, "KASICODE", "AiteCode", common.kasi);
            }
        }
        fieldOf(*m, "ZEIATUKAI")->setAsInteger(0);
        fieldOf(*m, "KINGAKU")->setAsCurrency(g.Tax);
        m->post();
    }
    bool again = true;
    while (again) {
        again = false;
        for (m->first(); !m->eof(); m->next())
            if (intOf(*m, "HINMEICODE") == kTaxItem && fieldOf(*m, "KINGAKU")->asCurrency().isZero()) {
                m->remove();
                again = true;
                break;
            }
    }
}
