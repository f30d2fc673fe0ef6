#include "views/YosanJissekiData.h"

#include <algorithm>

#include <QList>
#include <QVariant>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/SimeDate.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

TYosanJissekiData YosanJissekiData;

namespace {

enum WindowIndex { IriKako = 0, IriIma = 1, DeruKako = 2, DeruIma = 3 };

// Amounts are REAL in the book. Summing them as reals would drift on books with
// decimals; each amount becomes its exact count of ten-thousandths first (the
// rounding Currency::fromDouble does), and the engine sums integers.
constexpr auto RawAmount = "SUM(CAST(ROUND(KINGAKU * 10000) AS INTEGER))";

// The first day of the calendar month under which a side's budget of an
// accounting month is stored.
QDate budgetDate(int nendo, int month, int groupCode)
{
    int year = 0;
    int calMonth = 0;
    NendoToCalendar(nendo, month, CurSimeTuki, CurShiftNendo, GetGroupSimeShift(groupCode), year, calMonth);
    return QDate(year, calMonth, 1);
}

Database *dataModuleBook()
{
    if (DatMod && DatMod->DataOpen && DatMod->MainDatabase.isOpen())
        return &DatMod->MainDatabase;
    return nullptr;
}

} // namespace

TYosanJissekiData::TYosanJissekiData()
{
    const QDate today = QDate::currentDate();
    KakoYear = today.year();
    KakoMonth = today.month();
}

uint16_t TYosanJissekiData::GetImaYear() const
{
    return CurYear;
}
uint16_t TYosanJissekiData::GetImaMonth() const
{
    return CurMonth;
}
void TYosanJissekiData::SetImaYear(uint16_t year)
{
    CurYear = year;
}
void TYosanJissekiData::SetImaMonth(uint16_t month)
{
    CurMonth = month;
}

void TYosanJissekiData::ChangeMonths(int kakoYear, int kakoMonth, int imaYear, int imaMonth)
{
    if (Database *db = dataModuleBook()) {
        ChangeMonths(*db, kakoYear, kakoMonth, imaYear, imaMonth);
        return;
    }
    KakoYear = kakoYear;
    KakoMonth = kakoMonth;
    CurYear = uint16_t(imaYear);
    CurMonth = uint16_t(imaMonth);
    rebuildRows();
    sumTotals();
    IriImaDate = budgetDate(imaYear, imaMonth, 1);
    DeruImaDate = budgetDate(imaYear, imaMonth, 2);
}

void TYosanJissekiData::ChangeMonths(Database &db, int kakoYear, int kakoMonth, int imaYear, int imaMonth)
{
    compute(db, kakoYear, kakoMonth, imaYear, imaMonth,
            (1u << IriKako) | (1u << IriIma) | (1u << DeruKako) | (1u << DeruIma));
}

void TYosanJissekiData::ChangeImaSide(int year, int month, int side)
{
    if (Database *db = dataModuleBook()) {
        ChangeImaSide(*db, year, month, side);
        return;
    }
    ChangeMonths(KakoYear, KakoMonth, year, month);
}

void TYosanJissekiData::ChangeImaSide(Database &db, int year, int month, int side)
{
    compute(db, KakoYear, KakoMonth, year, month, 1u << (side == 0 ? IriIma : DeruIma));
}

void TYosanJissekiData::compute(Database &db, int kakoYear, int kakoMonth, int imaYear, int imaMonth,
                                unsigned windowMask)
{
    KakoYear = kakoYear;
    KakoMonth = kakoMonth;
    CurYear = uint16_t(imaYear);
    CurMonth = uint16_t(imaMonth);
    // A book on a network share needs no refresh here: every figure comes from
    // a query sent now, which sees what other users have written.
    rebuildRows();

    const auto wanted = [windowMask](int window) { return (windowMask & (1u << window)) != 0; };
    Window budgets[4];
    budgets[IriKako].start = budgetDate(KakoYear, KakoMonth, 1);
    budgets[IriIma].start = budgetDate(imaYear, imaMonth, 1);
    budgets[DeruKako].start = budgetDate(KakoYear, KakoMonth, 2);
    budgets[DeruIma].start = budgetDate(imaYear, imaMonth, 2);
    IriImaDate = budgets[IriIma].start;
    DeruImaDate = budgets[DeruIma].start;
    for (int i = 0; i < 4; ++i)
        budgets[i] = wanted(i) ? Window{budgets[i].start, budgets[i].start} : Window{};

    Window actuals[4];
    int closingDay = 0;
    int simeShift = 0;
    const struct
    {
        int window;
        int group;
        int year;
        int month;
    } periods[4] = {{IriKako, 1, KakoYear, KakoMonth},
                    {IriIma, 1, imaYear, imaMonth},
                    {DeruKako, 2, KakoYear, KakoMonth},
                    {DeruIma, 2, imaYear, imaMonth}};
    for (const auto &p : periods)
        if (wanted(p.window))
            GetHimokuSimePeriod(db, p.group, p.year, p.month, CurSimeTuki, CurShiftNendo, closingDay, simeShift,
                                actuals[p.window].start, actuals[p.window].end);

    // Totals are summed even when a query fails, so they always agree with
    // the rows that were filled.
    try {
        addBudgets(db, budgets);
        addActuals(db, actuals);
    } catch (...) {
        sumTotals();
        throw;
    }
    sumTotals();
}

void TYosanJissekiData::ChangeImaMonth(int year, int month)
{
    ChangeMonths(KakoYear, KakoMonth, year, month);
}
void TYosanJissekiData::ChangeImaMonth(Database &db, int year, int month)
{
    ChangeMonths(db, KakoYear, KakoMonth, year, month);
}
void TYosanJissekiData::ChangeKakoMonth(int year, int month)
{
    ChangeMonths(year, month, CurYear, CurMonth);
}
void TYosanJissekiData::ChangeKakoMonth(Database &db, int year, int month)
{
    ChangeMonths(db, year, month, CurYear, CurMonth);
}

void TYosanJissekiData::GetRows(int side, TYosanJissekiArray &rows) const
{
    if (side == 0)
        rows = IriRows;
    else if (side == 1)
        rows = DeruRows;
}

int TYosanJissekiData::RowCount(int side) const
{
    if (side == 0)
        return IriRows.size();
    if (side == 1)
        return DeruRows.size();
    return 0;
}

void TYosanJissekiData::rebuildRows()
{
    // The caches change only as a whole (a new list or an emptied one), and a
    // change to a list shared with the copy kept here gives it data of its
    // own: while both still share, the rows and their index stand, and only
    // their figures go back to zero.
    if (IriHimokuArray.isSharedWith(m_iriSource) && DeruHimokuArray.isSharedWith(m_deruSource)
        && IriRows.size() == IriHimokuArray.size() && DeruRows.size() == DeruHimokuArray.size()) {
        for (TYosanJissekiArray *rows : {&IriRows, &DeruRows})
            for (TYosanJissekiRec &r : *rows)
                r.KakoYosan = r.KakoJisseki = r.ImaYosan = r.ImaJisseki = Currency();
        return;
    }
    m_iriSource = IriHimokuArray;
    m_deruSource = DeruHimokuArray;
    auto build = [](const THimokuArray &cache) {
        TYosanJissekiArray rows;
        rows.reserve(cache.size());
        for (const THimokuData &h : cache) {
            TYosanJissekiRec r;
            r.Code = h.Code;
            r.Name = h.Name;
            rows << r;
        }
        return rows;
    };
    IriRows = build(IriHimokuArray);
    DeruRows = build(DeruHimokuArray);
    auto index = [](const TYosanJissekiArray &rows) {
        QList<std::pair<int, int>> byCode;
        byCode.reserve(rows.size());
        for (qsizetype i = 0; i < rows.size(); ++i)
            byCode.append({rows[i].Code, int(i)});
        // A code twice in a cache is found at its first row, as the caches' own lookup finds it.
        std::stable_sort(byCode.begin(), byCode.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        return byCode;
    };
    m_iriIndex = index(IriRows);
    m_deruIndex = index(DeruRows);
}

int TYosanJissekiData::rowOf(const QList<std::pair<int, int>> &index, int code)
{
    const auto it = std::lower_bound(index.cbegin(), index.cend(), code,
                                     [](const std::pair<int, int> &entry, int c) { return entry.first < c; });
    return it != index.cend() && it->first == code ? it->second : -1;
}

void TYosanJissekiData::addBudgets(Database &db, const Window windows[4])
{
    QList<QDate> dates;
    for (int i = 0; i < 4; ++i)
        if (windows[i].valid() && !dates.contains(windows[i].start))
            dates << windows[i].start;
    if (dates.isEmpty())
        return;

    QStringList marks;
    for (qsizetype i = 0; i < dates.size(); ++i)
        marks << u"?"_s;
    Statement st(db, u"SELECT RECDATE, HIMOKUCODE, BUNRUI, %1 FROM Yosan WHERE RECDATE IN (%2) "
                     "GROUP BY RECDATE, HIMOKUCODE, BUNRUI"_s.arg(QLatin1StringView(RawAmount), marks.join(u',')));
    for (qsizetype i = 0; i < dates.size(); ++i)
        st.bind(int(i + 1), dates.at(i));

    struct Contradiction
    {
        QString date;
        qlonglong code;
        qlonglong bunrui;
    };
    QList<Contradiction> contradictions;
    while (st.next()) {
        if (st.isNull(1) || st.isNull(2))
            continue;
        const QDate date = QDate::fromString(st.textValue(0), Qt::ISODate);
        const int code = int(st.intValue(1));
        const qlonglong bunrui = st.intValue(2);
        const Currency amount = Currency::fromRaw(st.intValue(3));
        const int iri = rowOf(m_iriIndex, code);
        const int deru = rowOf(m_deruIndex, code);
        // A budget stored under the other side of its category can only come
        // from a category that changed sides; it is removed, never counted.
        if ((iri >= 0 && bunrui == 2) || (deru >= 0 && bunrui == 1)) {
            contradictions << Contradiction{st.textValue(0), code, bunrui};
            continue;
        }
        if (bunrui == 1 && iri >= 0) {
            if (date == windows[IriKako].start)
                IriRows[iri].KakoYosan += amount;
            if (date == windows[IriIma].start)
                IriRows[iri].ImaYosan += amount;
        }
        if (bunrui == 2 && deru >= 0) {
            if (date == windows[DeruKako].start)
                DeruRows[deru].KakoYosan += amount;
            if (date == windows[DeruIma].start)
                DeruRows[deru].ImaYosan += amount;
        }
    }
    if (contradictions.isEmpty())
        return;

    const bool ownTransaction = !db.inTransaction();
    if (ownTransaction)
        db.begin(Database::TransactionMode::Immediate);
    try {
        Statement del(db, u"DELETE FROM Yosan WHERE RECDATE = ? AND HIMOKUCODE = ? AND BUNRUI = ?"_s);
        for (const Contradiction &c : contradictions) {
            del.reset();
            del.bind(1, c.date);
            del.bind(2, c.code);
            del.bind(3, c.bunrui);
            del.exec();
        }
        if (ownTransaction)
            db.commit();
    } catch (...) {
        if (ownTransaction)
            db.rollback();
        throw;
    }
    if (DatMod)
        DatMod->DataChanged = true;
}

void TYosanJissekiData::addActuals(Database &db, const Window windows[4])
{
    // Income counts on the credit side, expense on the debit side: transfers
    // and refunds booked the other way round count nowhere. An empty RESERVED
    // is a booked line.
    const QString reserved = IncludeReserved ? QString() : u" AND COALESCE(RESERVED, 0) = 0"_s;
    const QString sql = u"SELECT %1, %2 FROM Master WHERE RECDATE BETWEEN ? AND ?%3 GROUP BY %1"_s;

    auto add = [&](int windowIndex, const QString &codeColumn, const QList<std::pair<int, int>> &index,
                   TYosanJissekiArray &rows, bool kako) {
        const Window &w = windows[windowIndex];
        if (!w.valid())
            return;
        Statement st(db, sql.arg(codeColumn, QLatin1StringView(RawAmount), reserved));
        st.bind(1, w.start);
        st.bind(2, w.end);
        while (st.next()) {
            if (st.isNull(0) || st.isNull(1))
                continue;
            const int row = rowOf(index, int(st.intValue(0)));
            if (row < 0)
                continue;
            const Currency amount = Currency::fromRaw(st.intValue(1));
            (kako ? rows[row].KakoJisseki : rows[row].ImaJisseki) += amount;
        }
    };
    add(IriKako, u"KASICODE"_s, m_iriIndex, IriRows, true);
    add(IriIma, u"KASICODE"_s, m_iriIndex, IriRows, false);
    add(DeruKako, u"KARICODE"_s, m_deruIndex, DeruRows, true);
    add(DeruIma, u"KARICODE"_s, m_deruIndex, DeruRows, false);
}

void TYosanJissekiData::sumTotals()
{
    auto sum = [](const TYosanJissekiArray &rows, Currency TYosanJissekiRec::*column) {
        Currency total;
        for (const TYosanJissekiRec &r : rows)
            total += r.*column;
        return total;
    };
    IriKakoYosan = sum(IriRows, &TYosanJissekiRec::KakoYosan);
    IriKakoJisseki = sum(IriRows, &TYosanJissekiRec::KakoJisseki);
    IriImaYosan = sum(IriRows, &TYosanJissekiRec::ImaYosan);
    IriImaJisseki = sum(IriRows, &TYosanJissekiRec::ImaJisseki);
    DeruKakoYosan = sum(DeruRows, &TYosanJissekiRec::KakoYosan);
    DeruKakoJisseki = sum(DeruRows, &TYosanJissekiRec::KakoJisseki);
    DeruImaYosan = sum(DeruRows, &TYosanJissekiRec::ImaYosan);
    DeruImaJisseki = sum(DeruRows, &TYosanJissekiRec::ImaJisseki);
}
