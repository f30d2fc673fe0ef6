#include "views/NenSyukeiData.h"

#include <algorithm>
#include <limits>

#include <sqlcipher/sqlite3.h>

#include <QHash>
#include <QStringList>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/Holidays.h"
#include "data/SimeDate.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"

using namespace Qt::StringLiterals;

TNenSyukeiData NenSyukeiData;

namespace {

const QString AllText = u"すべて"_s;

// The three groups whose closing settings give the periods of their rows, and
// the two spans (the shown fiscal year and the one before).
constexpr int GroupCount = 3;   // 1 income, 2 expense, 3 accounts
constexpr int SpanShown = 0;
constexpr int SpanZen = 1;

using PeriodArray = std::array<TNenSyukeiPeriod, NenSyukeiPlaces>;

Database *dataModuleBook()
{
    if (DatMod && DatMod->DataOpen && DatMod->MainDatabase.isOpen())
        return &DatMod->MainDatabase;
    return nullptr;
}

[[noreturn]] void kindOutOfRange()
{
    throw Exception(u"集計タイプが範囲外です。"_s);
}

// Stands for an empty debit or credit code in the carried totals.
constexpr int NoCode = std::numeric_limits<int>::min();

QString isoText(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

// A cache's codes by their row index, for the walk over the grouped rows.
QHash<int, int> indexByCode(const THimokuArray &cache)
{
    QHash<int, int> index;
    index.reserve(cache.size());
    for (int i = 0; i < cache.size(); ++i)
        index.insert(cache.at(i).Code, i);
    return index;
}

} // namespace

TNenSyukeiData::TNenSyukeiData()
{
    HinmeiText = AllText;
    PersonText = AllText;
    ShopText = AllText;
    KouzaText = AllText;
    HimokuText = AllText;
}

const QDate &TNenSyukeiData::EarliestDate()
{
    static const QDate date(1899, 12, 30);
    return date;
}

const QDate &TNenSyukeiData::EmptySpanStart()
{
    static const QDate date(9999, 12, 31);
    return date;
}

const QDate &TNenSyukeiData::EmptySpanEnd()
{
    static const QDate date(1, 1, 1);
    return date;
}

void TNenSyukeiData::SetGetuji(bool value)
{
    Getuji = value;
    ColCount = value ? 13 : 11;
}

uint16_t TNenSyukeiData::GetYear() const { return CurYear; }
void TNenSyukeiData::SetYear(uint16_t year) { CurYear = year; }

void TNenSyukeiData::GetRows(int kind, TNenSyukeiArray &rows) const
{
    rows = Rows(kind);
}

const TNenSyukeiArray &TNenSyukeiData::Rows(int kind) const
{
    static const TNenSyukeiArray none;
    switch (kind) {
    case 1: return IriRows;
    case 2: return DeruRows;
    case 3: return KouzaRows;
    default: return none;
    }
}

void TNenSyukeiData::GetSum(int kind, TNenSyukeiRec &rec) const
{
    if (kind < 1 || kind > 4 || kind > SumRows.size())
        kindOutOfRange();
    rec = SumRows.at(kind - 1);
}

int TNenSyukeiData::RowCount(int kind) const
{
    switch (kind) {
    case 1: return int(IriRows.size());
    case 2: return int(DeruRows.size());
    case 3: return int(KouzaRows.size());
    case 4: return int(SumRows.size());
    default: kindOutOfRange();
    }
}

int TNenSyukeiData::FindPeriodIndex(const PeriodArray &periods, int colCount, const QDate &date)
{
    if (date < periods[1].StartDate)
        return 0;
    if (date > periods[colCount - 1].EndDate)
        return -1;
    for (int i = 1; i < colCount; ++i)
        if (periods[i].StartDate <= date && date <= periods[i].EndDate)
            return i;
    return -1;
}

void TNenSyukeiData::Calculate(int year)
{
    if (Database *db = dataModuleBook()) {
        Calculate(*db, year);
        return;
    }
    SetYear(uint16_t(year));
    rebuildRows();
    buildTitles(year);
    buildPeriods(nullptr, year);
    finish();
}

void TNenSyukeiData::Calculate(Database &db, int year)
{
    // A book on a network share needs no refresh first: the figures come from
    // one query sent now, which sees what other users have committed.
    SetYear(uint16_t(year));
    rebuildRows();
    buildTitles(year);
    buildPeriods(&db, year);
    sumJournal(db);
    finish();
}

void TNenSyukeiData::rebuildRows()
{
    auto build = [](const THimokuArray &cache) {
        TNenSyukeiArray rows;
        rows.reserve(cache.size());
        for (const THimokuData &h : cache) {
            TNenSyukeiRec r;
            r.Code = h.Code;
            r.Name = h.Name;
            r.Karigata = h.Karigata;
            r.Bunrui = h.Bunrui;
            r.Syokizan = h.Syokizan;
            rows << r;
        }
        return rows;
    };
    IriRows = build(IriHimokuArray);
    DeruRows = build(DeruHimokuArray);
    KouzaRows = build(KouzaHimokuArray);
    SumRows.clear();
    for (const QString &name : {u"収入合計"_s, u"支出合計"_s, u"口座"_s, u"収支合計"_s}) {
        TNenSyukeiRec r;
        r.Name = name;
        SumRows << r;
    }
}

void TNenSyukeiData::buildTitles(int year)
{
    if (Getuji) {
        for (int i = 1; i <= 12; ++i) {
            int m = CurSimeTuki + i;
            if (m > 12)
                m -= 12;
            ColTitles[i] = QString::number(m) + u"月"_s;
        }
        ColTitles[13] = u"年間"_s;
        ColTitles[0] = u"期間以前"_s;
    } else {
        for (int i = 1; i <= 10; ++i)
            ColTitles[i] = QString::number(year + i - 10) + u"年"_s;
        ColTitles[11] = u"総合計"_s;
        ColTitles[0] = u"繰越額"_s;
    }
}

void TNenSyukeiData::buildPeriods(Database *db, int year)
{
    HolidayTest isHoliday;
    if (db)
        isHoliday = TableHolidayTest(*db);

    PeriodArray group[GroupCount][2];
    for (int g = 0; g < GroupCount; ++g) {
        THimokuData groupRow;
        const bool known = GetHimokuData(g + 1, groupRow);
        const SimeSettings sime = known ? groupRow.simeSettings() : SimeSettings();
        for (int span = SpanShown; span <= SpanZen; ++span) {
            const int y = span == SpanShown ? year : year - 1;
            PeriodArray &p = group[g][span];
            for (int i = 1; i < ColCount; ++i) {
                TNenSyukeiPeriod &period = p[i];
                if (Getuji) {
                    int m = CurSimeTuki + i;
                    if (m > 12)
                        m -= 12;
                    if (Getudo) {
                        int closingDay = 0, simeShift = 0;
                        GetHimokuSimePeriod(sime, y, m, CurSimeTuki, CurShiftNendo, isHoliday, closingDay,
                                            simeShift, period.StartDate, period.EndDate);
                        period.SimeBi = closingDay;
                    } else {
                        const int calYear = y - 1 - CurShiftNendo + (CurSimeTuki + i > 12 ? 1 : 0);
                        period.StartDate = QDate(calYear, m, 1);
                        period.EndDate = period.StartDate.addMonths(1).addDays(-1);
                    }
                } else if (Getudo) {
                    GetHimokuNendoPeriod(sime, y + i - 10, CurSimeTuki, CurShiftNendo, isHoliday, period.StartDate,
                                         period.EndDate);
                } else {
                    GetNendoPeriod(y + i - 10, CurSimeTuki, CurShiftNendo, period.StartDate, period.EndDate);
                }
            }
            p[0].StartDate = EarliestDate();
            p[0].EndDate = p[1].StartDate.addDays(-1);
            p[ColCount].StartDate = p[1].StartDate;
            p[ColCount].EndDate = p[ColCount - 1].EndDate;
        }
    }

    TNenSyukeiArray *rows[GroupCount] = {&IriRows, &DeruRows, &KouzaRows};
    for (int g = 0; g < GroupCount; ++g) {
        for (TNenSyukeiRec &r : *rows[g]) {
            r.Periods = group[g][SpanShown];
            r.ZenPeriods = group[g][SpanZen];
        }
        // Every row of a group shares its periods, so the group's summary row
        // spans them; a group without rows keeps the empty span.
        TNenSyukeiRec &sum = SumRows[g];
        for (int i = 0; i <= ColCount; ++i) {
            if (rows[g]->isEmpty()) {
                sum.Periods[i].StartDate = EmptySpanStart();
                sum.Periods[i].EndDate = EmptySpanEnd();
            } else {
                sum.Periods[i] = group[g][SpanShown][i];
            }
        }
    }
}

void TNenSyukeiData::sumJournal(Database &db)
{
    const bool anyRows = !IriRows.isEmpty() || !DeruRows.isEmpty() || !KouzaRows.isEmpty();
    if (!anyRows)
        return;

    // The period edges of every group and span: each bucket between two edges
    // lies wholly inside one period (or gap) of every span, so a bucket's first
    // day tells its column. Bucket 0 is everything before the first edge.
    QList<QDate> edges;
    const TNenSyukeiArray *rows[GroupCount] = {&IriRows, &DeruRows, &KouzaRows};
    const PeriodArray *spans[GroupCount][2] = {};
    for (int g = 0; g < GroupCount; ++g) {
        if (rows[g]->isEmpty())
            continue;
        spans[g][SpanShown] = &rows[g]->first().Periods;
        spans[g][SpanZen] = &rows[g]->first().ZenPeriods;
        for (const PeriodArray *p : spans[g]) {
            for (int i = 1; i < ColCount; ++i) {
                if (!(*p)[i].StartDate.isValid() || !(*p)[i].EndDate.isValid())
                    continue;
                edges << (*p)[i].StartDate << (*p)[i].EndDate.addDays(1);
            }
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    if (edges.size() < 2)
        return;

    // column[g][span][bucket]: the period index, -1 for none.
    const int buckets = int(edges.size());
    QList<int> column[GroupCount][2];
    for (int g = 0; g < GroupCount; ++g) {
        for (int span = SpanShown; span <= SpanZen; ++span) {
            QList<int> &c = column[g][span];
            c.resize(buckets, -1);
            if (!spans[g][span])
                continue;
            c[0] = 0;
            for (int b = 1; b < buckets; ++b)
                c[b] = FindPeriodIndex(*spans[g][span], ColCount, edges.at(b - 1));
        }
    }

    // Values are read as exact counts of ten-thousandths: the engine adds
    // integers, so no sum depends on binary fractions or on how the first row
    // of a group happened to be typed.
    const QString value = Suryou ? u"CAST(ROUND(QUANTITY * 10000) AS INTEGER)"_s
                                 : u"CAST(ROUND(KINGAKU * 10000) AS INTEGER)"_s;
    QStringList conditions;
    // An empty RESERVED is a booked line.
    if (!IncludeReserved)
        conditions << u"COALESCE(RESERVED, 0) = 0"_s;
    if (JyoukenOn) {
        if (HinmeiCode != 0)
            conditions << u"HINMEICODE = %1"_s.arg(HinmeiCode);
        if (ShopCode != 0)
            conditions << u"SHOPCODE = %1"_s.arg(ShopCode);
        if (PersonCode != 0)
            conditions << u"PERSONCODE = %1"_s.arg(PersonCode);
        if (HimokuCode != 0)
            conditions << u"(KARICODE = %1 OR KASICODE = %1)"_s.arg(HimokuCode);
        if (KouzaCode != 0)
            conditions << u"(KARICODE = %1 OR KASICODE = %1)"_s.arg(KouzaCode);
    }
    const QString more = conditions.isEmpty() ? QString() : u" AND "_s + conditions.join(u" AND "_s);

    // The carried totals still serve when nothing was written since, and the
    // span starts at most a year or so after them.
    const QDate firstEdge = edges.first();
    const qint64 dataVersion = db.scalar(u"PRAGMA data_version"_s).toLongLong();
    const qint64 changes = sqlite3_total_changes(db.handle());
    const QString key = value + more;
    const bool carried = m_carry.Valid && m_carry.Handle == db.handle() && m_carry.Path == db.path() &&
                         m_carry.DataVersion == dataVersion && m_carry.Changes == changes && m_carry.Key == key &&
                         m_carry.UpTo <= firstEdge && firstEdge < m_carry.UpTo.addMonths(15);
    // A new carry ends a month before the first month of each span, so that
    // another closing day or the calendar months of the same year, or the next
    // year, still find it.
    QDate upTo = m_carry.UpTo;
    QDate dailyUpTo = m_carry.DailyUpTo;
    if (!carried) {
        QDate shownFirst = edges.last();
        for (int g = 0; g < GroupCount; ++g)
            if (spans[g][SpanShown] && (*spans[g][SpanShown])[1].StartDate.isValid())
                shownFirst = std::min(shownFirst, (*spans[g][SpanShown])[1].StartDate);
        upTo = QDate(firstEdge.year(), firstEdge.month(), 1).addMonths(-1);
        dailyUpTo = std::max(upTo, QDate(shownFirst.year(), shownFirst.month(), 1).addMonths(-1));
        m_carry = Carry();
    }

    // From upTo (with a carry: from dailyUpTo) on, through the date index, the
    // engine sums per day and code pair; each day then falls into its bucket
    // here, by the edges (ISO date texts sort as dates). A CASE over the edges
    // in the statement would cost the engine more than the grouping itself.
    // Without a carry, the lines before upTo follow one by one with no day:
    // they are most of a long book, and sorting them into groups costs the
    // engine several times what adding them up here does. The unary + keeps
    // the engine off the date index for them, which it reads faster in table
    // order.
    QString sql = u"SELECT RECDATE, KARICODE, KASICODE, SUM(%1) FROM Master WHERE RECDATE >= ?1 AND RECDATE < ?2%2 "
                  "GROUP BY 1, 2, 3"_s.arg(value, more);
    if (!carried)
        sql += u" UNION ALL SELECT NULL, KARICODE, KASICODE, %1 FROM Master WHERE +RECDATE < ?1%2"_s.arg(value, more);
    QStringList edgeTexts;
    for (const QDate &e : std::as_const(edges))
        edgeTexts << isoText(e);
    const QString dailyUpToText = isoText(dailyUpTo);

    const QHash<int, int> iri = indexByCode(IriHimokuArray);
    const QHash<int, int> deru = indexByCode(DeruHimokuArray);
    const QHash<int, int> kouza = indexByCode(KouzaHimokuArray);

    auto add = [&](TNenSyukeiRec &r, int g, int bucket, Currency v) {
        const int k = column[g][SpanShown].at(bucket);
        if (k >= 0)
            r.Kingaku[k] += v;
        const int kz = column[g][SpanZen].at(bucket);
        if (kz >= 0)
            r.ZenKingaku[kz] += v;
    };
    // One sum of a code pair into the rows it counts for. NoCode marks an
    // empty code.
    auto addPair = [&](int bucket, int kari, int kasi, Currency v) {
        const bool hasKari = kari != NoCode;
        const bool hasKasi = kasi != NoCode;
        // Income counts on the credit side, expense on the debit side.
        if (hasKasi)
            if (const auto it = iri.constFind(kasi); it != iri.constEnd())
                add(IriRows[*it], 0, bucket, v);
        if (hasKari)
            if (const auto it = deru.constFind(kari); it != deru.constEnd())
                add(DeruRows[*it], 1, bucket, v);

        const auto kariAccount = hasKari ? kouza.constFind(kari) : kouza.constEnd();
        const auto kasiAccount = hasKasi ? kouza.constFind(kasi) : kouza.constEnd();
        if (Suryou) {
            // A quantity belongs to one account: the debit one, else the credit one.
            if (kariAccount != kouza.constEnd())
                add(KouzaRows[*kariAccount], 2, bucket, v);
            else if (kasiAccount != kouza.constEnd())
                add(KouzaRows[*kasiAccount], 2, bucket, v);
            return;
        }
        // Every balance runs in the account's own direction: a debit raises an
        // asset and lowers a liability, a credit the other way round.
        if (kariAccount != kouza.constEnd()) {
            TNenSyukeiRec &r = KouzaRows[*kariAccount];
            add(r, 2, bucket, r.Karigata ? v : -v);
        }
        if (kasiAccount != kouza.constEnd()) {
            TNenSyukeiRec &r = KouzaRows[*kasiAccount];
            add(r, 2, bucket, r.Karigata ? -v : v);
        }
    };

    Carry fresh;
    Statement st(db, sql);
    st.bind(1, isoText(carried ? dailyUpTo : upTo));
    st.bind(2, edgeTexts.last());
    QString lastDay;
    int lastBucket = -1;
    qint64 lastJulian = 0;
    while (st.next()) {
        if (st.isNull(3))
            continue;
        const int kari = st.isNull(1) ? NoCode : int(st.intValue(1));
        const int kasi = st.isNull(2) ? NoCode : int(st.intValue(2));
        if (st.isNull(0)) {
            fresh.Sums[{kari, kasi}] += st.intValue(3);
            continue;
        }
        // Rows come by day; the bucket is found once per day.
        const QString day = st.textValue(0);
        if (day != lastDay) {
            lastDay = day;
            lastBucket = int(std::upper_bound(edgeTexts.cbegin(), edgeTexts.cend(), day) - edgeTexts.cbegin());
            lastJulian = QDate::fromString(day, Qt::ISODate).toJulianDay();
        }
        if (lastBucket >= buckets)
            continue;
        if (!carried && day < dailyUpToText)
            fresh.Daily.append({CarryDay{lastJulian, kari, kasi}, st.intValue(3)});
        addPair(lastBucket, kari, kasi, Currency::fromRaw(st.intValue(3)));
    }
    // Kept only once the whole statement has been read.
    if (!carried) {
        fresh.Valid = true;
        fresh.Handle = db.handle();
        fresh.Path = db.path();
        fresh.DataVersion = dataVersion;
        fresh.Changes = changes;
        fresh.Key = key;
        fresh.UpTo = upTo;
        fresh.DailyUpTo = dailyUpTo;
        m_carry = std::move(fresh);
    } else {
        // The days kept between upTo and dailyUpTo fall into the buckets of
        // this computation's edges.
        std::vector<qint64> edgeDays;
        edgeDays.reserve(edges.size());
        for (const QDate &e : std::as_const(edges))
            edgeDays.push_back(e.toJulianDay());
        for (const auto &[day, raw] : std::as_const(m_carry.Daily)) {
            const auto past = std::upper_bound(edgeDays.begin(), edgeDays.end(), day.Day) - edgeDays.begin();
            if (past < buckets)
                addPair(int(past), day.Kari, day.Kasi, Currency::fromRaw(raw));
        }
    }
    for (auto it = m_carry.Sums.cbegin(); it != m_carry.Sums.cend(); ++it)
        addPair(0, it.key().first, it.key().second, Currency::fromRaw(it.value()));
}

void TNenSyukeiData::ForgetCarry()
{
    m_carry = Carry();
}

void TNenSyukeiData::finish()
{
    TNenSyukeiArray *rows[GroupCount] = {&IriRows, &DeruRows, &KouzaRows};
    for (int g = 0; g < GroupCount; ++g) {
        TNenSyukeiRec &sum = SumRows[g];
        for (TNenSyukeiRec &r : *rows[g]) {
            if (r.Bunrui > 2) {
                r.Ruikei[0] = r.Syokizan + r.Kingaku[0];
                r.ZenRuikei[0] = r.Syokizan + r.ZenKingaku[0];
            }
            for (int j = 1; j < ColCount; ++j) {
                r.Kingaku[ColCount] += r.Kingaku[j];
                r.ZenKingaku[ColCount] += r.ZenKingaku[j];
                r.Ruikei[j] = r.Ruikei[j - 1] + r.Kingaku[j];
                r.ZenRuikei[j] = r.ZenRuikei[j - 1] + r.ZenKingaku[j];
            }
            // "口座" is net worth: liabilities count against the assets.
            const bool subtract = g == 2 && !r.Karigata;
            for (int j = 0; j < NenSyukeiPlaces; ++j) {
                if (subtract) {
                    sum.Kingaku[j] -= r.Kingaku[j];
                    sum.ZenKingaku[j] -= r.ZenKingaku[j];
                    sum.Ruikei[j] -= r.Ruikei[j];
                    sum.ZenRuikei[j] -= r.ZenRuikei[j];
                } else {
                    sum.Kingaku[j] += r.Kingaku[j];
                    sum.ZenKingaku[j] += r.ZenKingaku[j];
                    sum.Ruikei[j] += r.Ruikei[j];
                    sum.ZenRuikei[j] += r.ZenRuikei[j];
                }
            }
        }
    }
    TNenSyukeiRec &total = SumRows[3];
    for (int j = 0; j <= ColCount; ++j) {
        total.Kingaku[j] = SumRows[0].Kingaku[j] - SumRows[1].Kingaku[j];
        total.ZenKingaku[j] = SumRows[0].ZenKingaku[j] - SumRows[1].ZenKingaku[j];
        total.Ruikei[j] = SumRows[0].Ruikei[j] - SumRows[1].Ruikei[j];
        total.ZenRuikei[j] = SumRows[0].ZenRuikei[j] - SumRows[1].ZenRuikei[j];
    }

    auto ratio = [](Currency a, Currency b) { return b.isZero() ? 0.0 : a.toDouble() / b.toDouble() * 100.0; };
    for (TNenSyukeiArray *array : {&IriRows, &DeruRows, &KouzaRows, &SumRows}) {
        for (TNenSyukeiRec &r : *array) {
            for (int j = 0; j <= ColCount; ++j) {
                if (!Getuji && j == ColCount) {
                    r.Hiritu[j] = 0;
                    r.RuikeiHiritu[j] = 0;
                    continue;
                }
                r.Hiritu[j] = ratio(r.Kingaku[j], r.ZenKingaku[j]);
                r.RuikeiHiritu[j] = ratio(r.Ruikei[j], r.ZenRuikei[j]);
            }
        }
    }
}
