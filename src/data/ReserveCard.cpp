#include "data/ReserveCard.h"

#include "data/DatMod.h"
#include "data/DateCalc.h"
#include "data/MasterCodes.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Provider.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

using namespace Qt::StringLiterals;

namespace {

QString monthFirst(const QDate &date)
{
    return date.toString(u"MM/dd/yyyy"_s);
}

int intOf(const DataSet &ds, const char *name)
{
    Field *f = ds.findField(QLatin1String(name));
    return f ? f->asInteger() : 0;
}

} // namespace

// ---- the card data set -------------------------------------------------------------

TReserveCardClt::TReserveCardClt(Database &db)
    : m_sql(std::make_unique<Query>(db))
{
    setName(u"ReserveCardClt"_s);
    m_sql->setName(u"ReserveListSql"_s);
    m_sql->SQL << u"SELECT * FROM \"ReserveList.DB\" WHERE RECEIPTNO = :ReceiptNo"_s;
    m_prv = std::make_unique<Provider>(*m_sql, u"ReserveList.DB"_s);
    // The card row is found by its record number when written back.
    m_prv->setUpdateMode(Provider::UpdateMode::WhereKeyOnly);
    setProvider(m_prv.get());
    paramByName(u"ReceiptNo"_s).setAsInteger(0);
    CltDataStyle = 4;
}

TReserveCardClt::~TReserveCardClt()
{
    close();
}

void TReserveCardClt::OpenCard(int receiptNo)
{
    close();
    paramByName(u"ReceiptNo"_s).setAsInteger(receiptNo);
    open();
    if (Field *f = findField(u"DATANO"_s))
        f->setKey(true);
}

// ---- generation ----------------------------------------------------------------------

Currency TReserveCard::MonthAmount(int month) const
{
    if (Monthly && month >= 1 && month <= 12)
        return MonthGaku[month - 1];
    return Kingaku;
}

TReserveCard ReadReserveCard(const DataSet &card)
{
    TReserveCard c;
    c.ReceiptNo = intOf(card, "RECEIPTNO");
    c.Kind = intOf(card, "SYUSIIDO");
    c.KariCode = intOf(card, "KARICODE");
    c.KasiCode = intOf(card, "KASICODE");
    c.ShopCode = intOf(card, "SHOPCODE");
    c.HinmeiCode = intOf(card, "HINMEICODE");
    c.PersonCode = intOf(card, "PERSONCODE");
    c.ZeiAtukai = intOf(card, "ZEIATUKAI");
    c.Monthly = card.fieldByName(u"MONTHLY"_s)->asBoolean();
    c.Kingaku = card.fieldByName(u"KINGAKU"_s)->asCurrency();
    for (int m = 1; m <= 12; ++m)
        c.MonthGaku[m - 1] = card.fieldByName(u"M%1GAKU"_s.arg(m))->asCurrency();
    c.PostDate = intOf(card, "POSTDATE");
    c.HolidayShift = intOf(card, "HOLIDAYSHIFT");
    const QDate start = card.fieldByName(u"STARTDATE"_s)->asDate();
    const QDate end = card.fieldByName(u"ENDDATE"_s)->asDate();
    if (start.isValid()) {
        c.StartYear = start.year();
        c.StartMonth = start.month();
    }
    if (end.isValid()) {
        c.EndYear = end.year();
        c.EndMonth = end.month();
    }
    return c;
}

QList<TReserveLinePlan> PlanReserveLines(const TReserveCard &card, const QSet<int> &existingMonthCodes,
                                         const QDate &lockDate, const HolidayTest &isHoliday)
{
    QList<TReserveLinePlan> plan;
    if (card.StartMonth < 1 || card.StartMonth > 12 || card.EndMonth < 1 || card.EndMonth > 12)
        return plan;
    const int day = card.PostDate <= 0 ? 31 : card.PostDate;
    int year = card.StartYear;
    int month = card.StartMonth;
    while (year < card.EndYear || (year == card.EndYear && month <= card.EndMonth)) {
        const Currency amount = card.MonthAmount(month);
        const int monthCode = EncodeMonthCode(uint16_t(year), uint16_t(month));
        if (!(card.Monthly && amount.isZero()) && !existingMonthCodes.contains(monthCode)) {
            QDate date = SafeEncodeDate(year, month, day);
            ApplyHolidayShift(date, card.HolidayShift, isHoliday);
            if (!lockDate.isValid() || date > lockDate)
                plan << TReserveLinePlan{monthCode, date, amount};
        }
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return plan;
}

int GenerateReserveLines(TMeisaiClientDataSet &lines, const TReserveCard &card, const QDate &today,
                         const QDate &lockDate, const HolidayTest &isHoliday)
{
    lines.ClearSavePoint();
    lines.checkBrowseMode();
    QSet<int> existing;
    for (lines.first(); !lines.eof(); lines.next())
        existing.insert(lines.fieldByName(u"LOOKUPNO"_s)->asInteger());
    const QList<TReserveLinePlan> plan = PlanReserveLines(card, existing, lockDate, isHoliday);
    if (plan.isEmpty())
        return 0;

    const bool bulk = DatMod ? DatMod->BulkEditing : false;
    if (DatMod)
        DatMod->BulkEditing = true;
    lines.disableControls();
    lines.setIndexFieldNames(QString());
    struct Restore
    {
        TMeisaiClientDataSet &lines;
        bool bulk;
        ~Restore()
        {
            if (lines.isEditing())
                lines.cancel();
            lines.setIndexFieldNames(u"RECDATE;GYONO"_s);
            lines.enableControls();
            if (DatMod)
                DatMod->BulkEditing = bulk;
        }
    } restore{lines, bulk};

    auto set = [&lines](const char *name) { return lines.fieldByName(QLatin1String(name)); };
    const QString hinmei = DatMod && card.HinmeiCode ? HinmeiCodeToName(card.HinmeiCode) : QString();
    const QString shop = DatMod && card.ShopCode ? ShopCodeToName(card.ShopCode) : QString();
    const QString person = DatMod && card.PersonCode ? PersonCodeToName(card.PersonCode) : QString();
    for (const TReserveLinePlan &p : plan) {
        lines.append();
        set("GYONO")->setAsInteger(1);
        set("RecPos")->setAsInteger(0);
        set("RECDATE")->setAsDate(p.Date);
        set("SHOPCODE")->setAsInteger(card.ShopCode);
        set("HINMEICODE")->setAsInteger(card.HinmeiCode);
        set("PERSONCODE")->setAsInteger(card.PersonCode);
        lines.CltReceiptNo = card.ReceiptNo;
        set("RECEIPTNO")->setAsInteger(card.ReceiptNo);
        set("LOOKUPNO")->setAsInteger(p.MonthCode);
        set("STYLE")->setAsInteger(4);
        set("RESERVED")->setAsBoolean(p.Date > today);
        set("ZEIATUKAI")->setAsInteger(card.ZeiAtukai);
        set("ORIGIN")->setAsInteger(card.Kind);
        set("KARICODE")->setAsInteger(card.KariCode);
        set("KASICODE")->setAsInteger(card.KasiCode);
        set("KARISIDE")->clear();
        set("KINGAKU")->setAsCurrency(p.Amount);
        set("HinmeiName")->setAsString(hinmei);
        set("ShopName")->setAsString(shop);
        set("PersonName")->setAsString(person);
        lines.post();
    }
    return int(plan.size());
}

QString NewReserveCardName(Database &db)
{
    QSet<QString> names;
    Statement st(db, u"SELECT NAME FROM ReserveList"_s);
    while (st.next())
        names.insert(st.textValue(0));
    const QString base = u"新規予約"_s;
    for (int n = 1;; ++n)
        if (!names.contains(base + QString::number(n)))
            return base + QString::number(n);
}

// ---- due lines -------------------------------------------------------------------

QStringList DueEntriesSql(const QDate &today, const QDate &lockDate)
{
    QStringList sql{u"SELECT *"_s, u"FROM \"Master.db\" D"_s, u"WHERE (RESERVED = True)"_s,
                    u"  AND (RECDATE <= \"%1\")"_s.arg(monthFirst(today))};
    if (lockDate.isValid())
        sql << u"  AND (RECDATE > \"%1\")"_s.arg(monthFirst(lockDate));
    sql << u"ORDER BY RECDATE,GYONO"_s;
    return sql;
}

TLockedReserved CountLockedReserved(Database &db, const QDate &lockDate)
{
    TLockedReserved r;
    if (!lockDate.isValid())
        return r;
    Statement st(db, u"SELECT COUNT(*), MIN(RECDATE), MAX(RECDATE) FROM Master WHERE RESERVED = 1 AND RECDATE <= ?"_s);
    st.bind(1, lockDate.toString(Qt::ISODate));
    if (st.next()) {
        r.Count = int(st.intValue(0));
        r.First = QDate::fromString(st.textValue(1), Qt::ISODate);
        r.Last = QDate::fromString(st.textValue(2), Qt::ISODate);
    }
    return r;
}

QString LockedReservedMessage(const TLockedReserved &locked)
{
    if (locked.Count <= 0)
        return QString();
    return u"締め日以前の予約データが %1 件あります（%2～%3）。\r"
           "締め日以前の予約は自動記帳されません。記入するには締め日を変更してください。"_s
        .arg(locked.Count)
        .arg(locked.First.toString(u"yyyy/MM/dd"_s), locked.Last.toString(u"yyyy/MM/dd"_s));
}
