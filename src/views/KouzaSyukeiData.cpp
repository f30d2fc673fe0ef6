#include "views/KouzaSyukeiData.h"

#include <QStringList>

#include "data/DateCalc.h"
#include "data/HimokuCache.h"
#include "data/SimeDate.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

namespace {

// A date as an SQL literal, NULL for none: every comparison with NULL is false,
// so an item whose period is unknown gets nothing in that bucket.
QString dateLiteral(const QDate &d)
{
    return d.isValid() ? u"'"_s + d.toString(Qt::ISODate) + u"'"_s : u"NULL"_s;
}

// The buckets of one side of the journal, in the column order of the scan.
enum Bucket { bZenki, bZengetu, bYokugetu, bInside, bKensaku, bGaiyo, bZenbu, bClassZenki, bClassZengetu,
              bResultZenki, bResultZengetu, BucketCount };

} // namespace

TKouzaSyukeiData::TKouzaSyukeiData()
{
    const QDate today = QDate::currentDate();
    Nendo = today.year();
    Getudo = today.month();
    GaiyoDate = today;
    SearchDate = today;
}

int TKouzaSyukeiData::ItemIndexOf(int code) const
{
    for (qsizetype i = 0; i < Items.size(); ++i)
        if (Items[i].Code == code)
            return int(i);
    return -1;
}

int TKouzaSyukeiData::ClassIndexOf(int bunrui) const
{
    for (qsizetype i = 0; i < Classes.size(); ++i)
        if (Classes[i].Bunrui == bunrui)
            return int(i);
    return -1;
}

void TKouzaSyukeiData::Recalculate(Database &db)
{
    Computed = false;
    ComputedKind = RegisterKind;
    buildItems(db);
    buildClasses(db);
    scan(db);
    finish();
    Computed = true;
}

void TKouzaSyukeiData::setPeriod(Database &db, int code, int16_t &nendo, int16_t &getudo, int32_t &simeBi,
                                 int32_t &simeShift, int16_t &dayCount, QDate &start, QDate &end, QDate &nendoStart,
                                 QDate &nendoEnd)
{
    if (GetudoMode) {
        int n = Nendo, g = Getudo, closing = 0, shift = 0, days = 0;
        if (View == 2) {
            GetHimokuSimePeriod(db, code, Nendo, Getudo, CurSimeTuki, CurShiftNendo, closing, shift, start, end);
            days = start.isValid() && end.isValid() ? int(start.daysTo(end)) + 1 : 0;
        } else {
            FindHimokuSimeMonth(db, code, CurSimeTuki, CurShiftNendo, GaiyoDate, n, g, closing, shift, days, start,
                                end);
        }
        nendo = int16_t(n);
        getudo = int16_t(g);
        simeBi = closing;
        simeShift = shift;
        dayCount = int16_t(days);
        GetHimokuNendoPeriod(db, code, n, CurSimeTuki, CurShiftNendo, nendoStart, nendoEnd);
        return;
    }
    if (View != 2 && GaiyoDate.isValid())
        CalendarToNendo(GaiyoDate.year(), GaiyoDate.month(), CurSimeTuki, CurShiftNendo, 0, Nendo, Getudo);
    nendo = int16_t(Nendo);
    getudo = int16_t(Getudo);
    GetNendoPeriod(Nendo, CurSimeTuki, CurShiftNendo, nendoStart, nendoEnd);
    int year = 0, month = 0;
    NendoToCalendar(Nendo, Getudo, CurSimeTuki, CurShiftNendo, 0, year, month);
    if (!GetSimePeriod(start, end, year, month, 0)) {
        start = QDate();
        end = QDate();
    }
    simeBi = 0;
    simeShift = 0;
    dayCount = 0;
}

void TKouzaSyukeiData::buildItems(Database &db)
{
    Items.clear();
    const bool incomeExpense = RegisterKind == 4 || RegisterKind == 5 || RegisterKind == 6;
    for (const THimokuData &h : VisibleHimokuArray) {
        const bool wanted = incomeExpense ? (h.Bu1 == 1 || h.Bu1 == 2) : (h.Bu1 == 3 || h.Bu1 == 4);
        if (!wanted)
            continue;
        TKouzaData k;
        k.Code = h.Code;
        k.Name = h.Name;
        k.Bunrui = h.Bunrui;
        k.Karigata = h.Karigata;
        k.Bu1 = h.Bu1;
        k.Bu2 = h.Bu2;
        k.FurikomiBi = h.FurikomiBi;
        k.Syokizan = h.Syokizan;
        k.ZenkiZan = k.ZengetuZan = k.KensakuZan = k.GetumatuZan = k.GaiyoZan = k.ZenbuZan = k.Syokizan;
        // Income and expense categories take the closing day of their group row.
        const int periodCode = h.Bunrui == 1 ? 1 : h.Bunrui == 2 ? 2 : h.Code;
        setPeriod(db, periodCode, k.Nendo, k.Getudo, k.SimeBi, k.SimeShift, k.DayCount, k.StartDate, k.EndDate,
                  k.NendoStart, k.NendoEnd);
        Items << k;
    }
}

void TKouzaSyukeiData::buildClasses(Database &db)
{
    Classes.clear();
    for (qsizetype i = 0; i < qsizetype(BunruiTable.size()); ++i) {
        const TBunruiRec &r = BunruiTable[size_t(i)];
        TBunruiInfo c;
        c.Bunrui = uint8_t(r.code);
        c.Name = r.name.toString();
        c.Bu1 = r.bu1;
        c.Bu2 = r.bu2;
        c.Karigata = i > 0 && r.side == 1;
        // Row 0 is the year's result: it follows the income and expense
        // closing day when the year's-result register is the one computed
        // for and both sides close alike, else the accounts' group row.
        int code = 3;
        if (r.code == 0)
            code = RegisterKind == 6 && SameIriDeruSime ? 1 : 3;
        else if (r.code == 1)
            code = 1;
        else if (r.code == 2)
            code = 2;
        setPeriod(db, code, c.Nendo, c.Getudo, c.SimeBi, c.SimeShift, c.DayCount, c.StartDate, c.EndDate,
                  c.NendoStart, c.NendoEnd);
        Classes << c;
    }
    for (const TKouzaData &k : Items) {
        const int ci = ClassIndexOf(k.Bunrui);
        if (ci < 0)
            continue;
        Classes[ci].Syokizan += k.Syokizan;
        Classes[ci].Count += 1;
    }
    for (TBunruiInfo &c : Classes)
        c.GaiyoZan = c.ZenbuZan = c.ZenkiZan = c.ZengetuZan = c.Syokizan;
}

void TKouzaSyukeiData::scan(Database &db)
{
    if (Items.isEmpty())
        return;
    // The period dates of each listed item (and of its class and of the
    // result row), as a small table the journal is joined with.
    const TBunruiInfo &result = Classes[0];
    QStringList rows;
    rows.reserve(Items.size());
    for (const TKouzaData &k : Items) {
        const int ci = ClassIndexOf(k.Bunrui);
        const TBunruiInfo *c = ci >= 0 ? &Classes[ci] : nullptr;
        const bool incomeExpense = k.Bu1 == 1 || k.Bu1 == 2;
        rows << u"(%1,%2,%3,%4,%5,%6,%7,%8)"_s.arg(QString::number(k.Code), dateLiteral(k.NendoStart),
                                                   dateLiteral(k.StartDate), dateLiteral(k.EndDate),
                                                   dateLiteral(c ? c->NendoStart : QDate()),
                                                   dateLiteral(c ? c->StartDate : QDate()),
                                                   dateLiteral(incomeExpense ? result.NendoStart : QDate()),
                                                   dateLiteral(incomeExpense ? result.StartDate : QDate()));
    }
    QString where;
    if (!IncludeReserved)
        where = u" AND (m.RESERVED IS NULL OR m.RESERVED = 0)"_s;
    if (!ConditionSql.trimmed().isEmpty())
        where += u" AND ("_s + ConditionSql + u")"_s;

    // Amounts are REAL in the book; each becomes its exact count of
    // ten-thousandths before the engine sums it.
    const QString sql = uR"(WITH t(code, ns, sd, ed, cns, csd, rns, rsd) AS (VALUES %1)
SELECT t.code,
  SUM(CASE WHEN m.RECDATE < t.ns THEN a END),
  SUM(CASE WHEN m.RECDATE < t.sd THEN a END),
  SUM(CASE WHEN m.RECDATE >= t.sd AND m.RECDATE > t.ed THEN a END),
  SUM(CASE WHEN m.RECDATE >= t.sd AND m.RECDATE <= t.ed THEN a END),
  SUM(CASE WHEN m.RECDATE <= :s THEN a END),
  SUM(CASE WHEN m.RECDATE <= :g THEN a END),
  SUM(a),
  SUM(CASE WHEN m.RECDATE < t.cns THEN a END),
  SUM(CASE WHEN m.RECDATE < t.csd THEN a END),
  SUM(CASE WHEN m.RECDATE < t.rns THEN a END),
  SUM(CASE WHEN m.RECDATE < t.rsd THEN a END)
FROM (SELECT RECDATE, %2 AS code, RESERVED, HINMEICODE, SHOPCODE, PERSONCODE,
             CAST(ROUND(KINGAKU * 10000) AS INTEGER) AS a FROM Master) m
JOIN t ON m.code = t.code
WHERE a IS NOT NULL%3
GROUP BY t.code)"_s;

    for (const bool debit : {true, false}) {
        Statement st(db, sql.arg(rows.join(u','), debit ? u"KARICODE"_s : u"KASICODE"_s, where));
        st.bind(u":s"_s, SearchDate.isValid() ? QVariant(SearchDate.toString(Qt::ISODate)) : QVariant());
        st.bind(u":g"_s, GaiyoDate.isValid() ? QVariant(GaiyoDate.toString(Qt::ISODate)) : QVariant());
        while (st.next()) {
            const int ii = ItemIndexOf(int(st.intValue(0)));
            if (ii < 0)
                continue;
            Currency sum[BucketCount];
            for (int b = 0; b < BucketCount; ++b)
                sum[b] = Currency::fromRaw(st.isNull(b + 1) ? 0 : st.intValue(b + 1));
            TKouzaData &k = Items[ii];
            const int ci = ClassIndexOf(k.Bunrui);
            if (ci < 0)
                continue;
            // + on the side the item grows on, - on the other.
            auto signedFor = [debit](bool karigata, Currency c) { return karigata == debit ? c : -c; };

            TBunruiInfo &c = Classes[ci];
            c.ZenkiZan += signedFor(c.Karigata, sum[bClassZenki]);
            c.ZengetuZan += signedFor(c.Karigata, sum[bClassZengetu]);
            c.GaiyoZan += signedFor(c.Karigata, sum[bGaiyo]);
            c.ZenbuZan += signedFor(c.Karigata, sum[bZenbu]);

            k.ZenkiZan += signedFor(k.Karigata, sum[bZenki]);
            k.ZengetuZan += signedFor(k.Karigata, sum[bZengetu]);
            k.YokugetuGaku += signedFor(k.Karigata, sum[bYokugetu]);
            (debit ? k.NyukinGaku : k.SyukkinGaku) += sum[bInside];
            k.KensakuZan += signedFor(k.Karigata, sum[bKensaku]);
            k.GaiyoZan += signedFor(k.Karigata, sum[bGaiyo]);
            k.ZenbuZan += signedFor(k.Karigata, sum[bZenbu]);

            if (k.Bu1 == 1 || k.Bu1 == 2) {
                TBunruiInfo &r = Classes[0];
                r.ZenkiZan += signedFor(false, sum[bResultZenki]);
                r.ZengetuZan += signedFor(false, sum[bResultZengetu]);
            }
        }
    }
}

void TKouzaSyukeiData::finish()
{
    for (TKouzaData &k : Items) {
        k.GetumatuZan = k.Karigata ? k.ZengetuZan + k.NyukinGaku - k.SyukkinGaku
                                   : k.ZengetuZan - k.NyukinGaku + k.SyukkinGaku;
        if (k.Bu1 < 3) {
            // A category counts from the start of its fiscal year; its opening
            // balance plays no part.
            for (Currency *v : {&k.ZengetuZan, &k.YokugetuGaku, &k.KensakuZan, &k.GetumatuZan, &k.GaiyoZan,
                                &k.ZenbuZan})
                *v -= k.ZenkiZan;
            k.ZenkiZan = Currency();
        }
    }
    for (TBunruiInfo &c : Classes) {
        if (c.Bu1 >= 3)
            continue;
        for (Currency *v : {&c.ZengetuZan, &c.GaiyoZan, &c.ZenbuZan})
            *v -= c.ZenkiZan;
        c.ZenkiZan = Currency();
    }
}

bool TKouzaSyukeiData::MakeSubject(int kind, int index, bool monthly, TRegisterSubject &subject, QString &title,
                                   int &nendo, int &getudo, int &bu1) const
{
    subject = TRegisterSubject();
    subject.includeReserved = IncludeReserved;
    subject.conditionSql = ConditionSql;
    auto periodOf = [&](const auto &rec) {
        subject.start = monthly ? rec.StartDate : rec.NendoStart;
        subject.end = monthly ? rec.EndDate : rec.NendoEnd;
        nendo = rec.Nendo;
        getudo = rec.Getudo;
    };
    auto opening = [monthly](const auto &rec) { return monthly ? rec.ZengetuZan : rec.ZenkiZan; };

    switch (kind) {
    case 1:
    case 5: {
        if (index < 0 || index >= Items.size())
            return false;
        const TKouzaData &k = Items[index];
        periodOf(k);
        title = k.Name;
        subject.kind = TRegisterSubject::Item;
        subject.registerCodes = {k.Code};
        subject.filterCodes = {k.Code};
        subject.startBalance = opening(k);
        subject.growsOnDebit = k.Karigata;
        bu1 = k.Bu1;
        return true;
    }
    case 0: {
        if (index < 0 || index >= Classes.size())
            return false;
        const TBunruiInfo &c = Classes[index];
        for (const TKouzaData &k : Items)
            if (k.Bunrui == c.Bunrui)
                subject.registerCodes << k.Code;
        if (subject.registerCodes.isEmpty())
            return false;
        // Hidden accounts of the class too: their lines belong to the class.
        for (const THimokuData &h : AllHimokuArray)
            if (h.Code > 3 && h.Bunrui == c.Bunrui)
                subject.filterCodes << h.Code;
        periodOf(c);
        title = c.Name + u"分類"_s;
        subject.kind = TRegisterSubject::Codes;
        subject.startBalance = opening(c);
        subject.growsOnDebit = c.Karigata;
        bu1 = c.Bu1;
        return true;
    }
    case 2:
    case 4: {
        if (index < 1 || index > 4)
            return false;
        for (const TKouzaData &k : Items)
            if (k.Bu1 == index)
                subject.registerCodes << k.Code;
        if (subject.registerCodes.isEmpty())
            return false;
        for (const THimokuData &h : AllHimokuArray)
            if (h.Code > 3 && BunruiToBu1(h.Bunrui) == index)
                subject.filterCodes << h.Code;
        bool periodSet = false;
        for (const TBunruiInfo &c : Classes) {
            if (c.Bu1 != index)
                continue;
            if (!periodSet) {
                periodOf(c);
                periodSet = true;
            }
            subject.startBalance += opening(c);
        }
        static const char *const names[] = {"", "収入全体", "支出全体", "資産全体", "負債全体"};
        title = QString::fromUtf8(names[index]);
        subject.kind = TRegisterSubject::Codes;
        subject.growsOnDebit = index == 2 || index == 3;
        bu1 = index;
        return true;
    }
    case 3: {
        periodOf(Classes[0]);
        for (const TBunruiInfo &c : Classes) {
            if (c.Bu1 == 3)
                subject.startBalance += opening(c);
            else if (c.Bu1 == 4)
                subject.startBalance -= opening(c);
        }
        title = u"全財産"_s;
        subject.kind = TRegisterSubject::NetWorth;
        subject.growsOnDebit = true;
        bu1 = 0;
        return true;
    }
    case 6: {
        periodOf(Classes[0]);
        for (const THimokuData &h : AllHimokuArray) {
            const int b1 = BunruiToBu1(h.Bunrui);
            if (h.Code > 3 && (b1 == 1 || b1 == 2))
                subject.filterCodes << h.Code;
        }
        subject.startBalance = opening(Classes[0]);
        title = u"年度内収支"_s;
        subject.kind = TRegisterSubject::YearResult;
        subject.growsOnDebit = false;
        bu1 = 0;
        return true;
    }
    default:
        return false;
    }
}
