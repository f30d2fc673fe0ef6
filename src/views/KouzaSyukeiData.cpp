#include "views/KouzaSyukeiData.h"

#include <algorithm>

#include <QHash>
#include <QStringList>

#include "data/DateCalc.h"
#include "data/HimokuCache.h"
#include "data/SimeDate.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

namespace {

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
        // The group rows 1 収入, 2 支出 and 3 口座 head the cache; they hold
        // no lines of their own.
        if (h.Code <= 3)
            continue;
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
    // Every date a bucket starts or ends at, for every item, its class and
    // the result row: few dates, whatever the size of the book. The journal
    // is summed per code and per stretch between two of these dates in one
    // grouped pass per side; each item's buckets are then sums of stretches.
    const TBunruiInfo &result = Classes[0];
    QList<QDate> bounds;
    auto bound = [&bounds](const QDate &d) {
        if (d.isValid() && !bounds.contains(d))
            bounds << d;
    };
    for (const TKouzaData &k : Items) {
        bound(k.NendoStart);
        bound(k.StartDate);
        if (k.EndDate.isValid())
            bound(k.EndDate.addDays(1));
    }
    for (const TBunruiInfo &c : Classes) {
        bound(c.NendoStart);
        bound(c.StartDate);
    }
    if (SearchDate.isValid())
        bound(SearchDate.addDays(1));
    if (GaiyoDate.isValid())
        bound(GaiyoDate.addDays(1));
    std::sort(bounds.begin(), bounds.end());

    // Stretch i holds the dates before bounds[i] and on or after bounds[i-1];
    // a line without a date is in stretch -1 and counts only in 全部.
    QString stretch = u"CASE WHEN RECDATE IS NULL THEN -1"_s;
    for (qsizetype i = 0; i < bounds.size(); ++i)
        stretch += u" WHEN RECDATE < '%1' THEN %2"_s.arg(bounds[i].toString(Qt::ISODate)).arg(i);
    stretch += u" ELSE %1 END"_s.arg(bounds.size());

    QString where = u"KINGAKU IS NOT NULL"_s;
    if (!IncludeReserved)
        where += u" AND (RESERVED IS NULL OR RESERVED = 0)"_s;
    if (!ConditionSql.trimmed().isEmpty())
        where += u" AND ("_s + ConditionSql + u")"_s;

    QHash<int, int> indexOf;
    for (qsizetype i = 0; i < Items.size(); ++i)
        indexOf.insert(Items[i].Code, int(i));
    const int stretches = int(bounds.size()) + 1;

    for (const bool debit : {true, false}) {
        const QString side = debit ? u"KARICODE"_s : u"KASICODE"_s;
        // Amounts are REAL in the book; each becomes its exact count of
        // ten-thousandths before the engine sums it. Most lines of a long
        // book lie before the first bound and only need one sum per code (a
        // plain scan: "+RECDATE" keeps the engine off the date index there);
        // the few later ones come through the date index, split by stretch.
        const QString amount = u"SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER))"_s;
        const QString first = bounds.isEmpty() ? QString() : bounds.first().toString(Qt::ISODate);
        QList<QList<Currency>> sums(Items.size());
        QList<Currency> undated(Items.size());
        auto collect = [&](Statement &st, int fixedStretch) {
            while (st.next()) {
                const auto it = indexOf.constFind(int(st.intValue(0)));
                if (it == indexOf.constEnd())
                    continue;
                const int s = fixedStretch >= -1 ? fixedStretch : int(st.intValue(2));
                const Currency sum = Currency::fromRaw(st.intValue(1));
                if (s < 0) {
                    undated[*it] += sum;
                    continue;
                }
                QList<Currency> &row = sums[*it];
                if (row.isEmpty())
                    row.resize(stretches);
                row[s] += sum;
            }
        };
        if (bounds.isEmpty()) {
            Statement all(db, u"SELECT %1, %2 FROM Master WHERE %3 AND RECDATE IS NOT NULL GROUP BY 1"_s.arg(side, amount, where));
            collect(all, 0);
        } else {
            Statement early(db, u"SELECT %1, %2 FROM Master WHERE %3 AND +RECDATE < ? GROUP BY 1"_s.arg(side, amount, where));
            early.bind(1, first);
            collect(early, 0);
            Statement late(db, u"SELECT %1, %2, %3 FROM Master WHERE %4 AND RECDATE >= ? GROUP BY 1, 3"_s.arg(
                                   side, amount, stretch, where));
            late.bind(1, first);
            collect(late, -2);
        }
        Statement none(db, u"SELECT %1, %2 FROM Master WHERE %3 AND RECDATE IS NULL GROUP BY 1"_s.arg(side, amount, where));
        collect(none, -1);
        for (qsizetype ii = 0; ii < Items.size(); ++ii) {
            const QList<Currency> &row = sums[ii];
            if (row.isEmpty() && undated[ii] == Currency())
                continue;
            // The sum of the lines dated before d; 0 for no date.
            auto before = [&](const QDate &d) {
                Currency c;
                if (!d.isValid() || row.isEmpty())
                    return c;
                const qsizetype j = bounds.indexOf(d);
                for (qsizetype i = 0; i <= j; ++i)
                    c += row[i];
                return c;
            };
            Currency dated;
            for (const Currency &c : row)
                dated += c;
            TKouzaData &k = Items[ii];
            const int ci = ClassIndexOf(k.Bunrui);
            if (ci < 0)
                continue;
            auto signedFor = [debit](bool karigata, Currency c) { return karigata == debit ? c : -c; };
            const Currency all = dated + undated[ii];
            const Currency beforeStart = before(k.StartDate);
            const Currency throughEnd = k.EndDate.isValid() ? before(k.EndDate.addDays(1)) : Currency();
            const bool period = k.StartDate.isValid() && k.EndDate.isValid();
            const Currency gaiyo = GaiyoDate.isValid() ? before(GaiyoDate.addDays(1)) : Currency();

            TBunruiInfo &c = Classes[ci];
            c.ZenkiZan += signedFor(c.Karigata, before(c.NendoStart));
            c.ZengetuZan += signedFor(c.Karigata, before(c.StartDate));
            c.GaiyoZan += signedFor(c.Karigata, gaiyo);
            c.ZenbuZan += signedFor(c.Karigata, all);

            k.ZenkiZan += signedFor(k.Karigata, before(k.NendoStart));
            k.ZengetuZan += signedFor(k.Karigata, beforeStart);
            if (period) {
                k.YokugetuGaku += signedFor(k.Karigata, dated - throughEnd);
                (debit ? k.NyukinGaku : k.SyukkinGaku) += throughEnd - beforeStart;
            }
            k.KensakuZan += signedFor(k.Karigata, SearchDate.isValid() ? before(SearchDate.addDays(1)) : Currency());
            k.GaiyoZan += signedFor(k.Karigata, gaiyo);
            k.ZenbuZan += signedFor(k.Karigata, all);

            if (k.Bu1 == 1 || k.Bu1 == 2) {
                Classes[0].ZenkiZan += signedFor(false, before(result.NendoStart));
                Classes[0].ZengetuZan += signedFor(false, before(result.StartDate));
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
