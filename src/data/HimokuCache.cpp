#include "data/HimokuCache.h"

#include <algorithm>
#include <initializer_list>

#include <QHash>
#include <QSet>
#include <QStringList>

#include "data/DatModSql.h"
#include "data/Holidays.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

using namespace Qt::StringLiterals;

THimokuArray IriHimokuArray;
THimokuArray DeruHimokuArray;
THimokuArray KouzaHimokuArray;
THimokuArray VisibleHimokuArray;
THimokuArray AllHimokuArray;
QList<THoliDayRec> HoliDayList;

SimeSettings THimokuData::simeSettings() const
{
    SimeSettings s;
    s.SimeBi = SimeBi;
    s.SimeShift = SimeShift;
    s.SimeHolidayShift = SimeHolidayShift;
    s.SimeAddDay = SimeAddDay;
    s.SimeHistory = SimeHistory;
    return s;
}

const TBunruiRec &GetBunruiRec(int bunrui)
{
    return BunruiRecOf(uint8_t(bunrui));
}

int BunruiToBu1(int bunrui)
{
    return GetBunruiRec(bunrui).bu1;
}

namespace {

const QString kGroupNames[3] = {u"収入"_s, u"支出"_s, u"口座"_s};

// Every SimebiList row of the book in one read, by code: the caches need the
// history of every entry, and one query per category would be one query per row.
QHash<int, TSimebiChangeList> loadAllSimebiHistories(Database &db)
{
    QHash<int, TSimebiChangeList> all;
    Statement st(db, u"SELECT CODE, STARTDATE, SIMEBI FROM SimebiList ORDER BY CODE, STARTDATE, rowid"_s);
    while (st.next()) {
        const QDate start = st.isNull(1) ? QDate() : QDate::fromString(st.textValue(1).left(10), Qt::ISODate);
        all[int(st.intValue(0))].append(MakeSimebiChange(start, int(st.intValue(2))));
    }
    return all;
}

// The group row of a kind: from its Himoku row, which is added to the table when
// it is missing (older books lack row 3).
THimokuData groupRow(Database &db, int kind, int position)
{
    THimokuData g;
    g.No = g.ListIndex = position;
    g.Code = kind;
    g.Kind = uint8_t(kind);
    g.Bunrui = g.Bu1 = g.Bu2 = 0;
    g.Tokubetu = true;
    g.FurikomiBi = -1;
    g.Cycle = -1;
    g.HolidayShift = 0;
    g.AiteCode = -1;

    Statement st(db, u"SELECT NAME, SIMEBI, SIMEHISTROY, SIMESHIFT, SIMEHOLIDAYSHIFT, SIMEADDDAY "
                     "FROM Himoku WHERE CODE = ?"_s);
    st.bind(1, kind);
    if (st.next()) {
        g.Name = st.textValue(0);
        g.SimeBi = int(st.intValue(1)); // as stored: a group row keeps 0
        g.SimeHistroy = st.intValue(2) != 0;
        g.SimeShift = int(st.intValue(3));
        g.SimeHolidayShift = uint8_t(st.intValue(4));
        g.SimeAddDay = int(st.intValue(5));
        return g;
    }
    // Written like the group rows of a new book, so the category lists that skip
    // hidden or system rows treat it alike.
    Statement ins(db, u"INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, SYOKIZAN, SIMEBI, CYCLE, FURIKOMIBI, "
                      "HOLIDAYSHIFT, VISIBLE, SYSTEM, TOKUBETU, AITECODE, SIMEHISTROY, SIMESHIFT, OTHERCODE, "
                      "ZEIATUKAI, YOSANWARN, SIMEHOLIDAYSHIFT, SIMEADDDAY) "
                      "VALUES (?, 0, ?, ?, 0, 0, -1, -1, 0, 0, 1, 0, -1, 0, 0, 0, 3, 0, 0, 0)"_s);
    ins.bind(1, kind);
    ins.bind(2, kGroupNames[kind - 1]);
    ins.bind(3, kind);
    ins.exec();
    g.Name = kGroupNames[kind - 1];
    g.SimeBi = 0;
    g.SimeHistroy = false;
    g.SimeShift = 0;
    g.SimeHolidayShift = 0;
    g.SimeAddDay = 0;
    return g;
}

// One row of the category table with what the caches filter on, as the engine
// compares it (a NULL VISIBLE is hidden, a NULL TOKUBETU is not special).
struct HimokuRow
{
    THimokuData data;
    bool visible = false;
    bool special = false;
};

// Every row of the category table in one read, in POS order (CODE, the table's
// key, keeps equal positions in the table's order). The five caches are cut
// from it: a book with hundreds of categories would otherwise read the table
// once per cache.
QList<HimokuRow> readHimokuRows(Database &db, const QHash<int, TSimebiChangeList> &histories)
{
    // Only the columns the caches keep: the rows are sorted, and the sorter
    // copies every selected column of every row.
    Statement q(db, LocalSql::translate(QStringList{u"SELECT CODE, NAME, BUNRUI, TOKUBETU, SIMEBI, CYCLE, FURIKOMIBI,"_s,
                                                    u"  HOLIDAYSHIFT, AITECODE, SIMEHISTROY, SIMESHIFT, SIMEHOLIDAYSHIFT,"_s,
                                                    u"  SIMEADDDAY, SYOKIZAN, ZEIATUKAI, YOSANWARN,"_s,
                                                    u"  (VISIBLE = TRUE) AS ROW_VISIBLE,"_s,
                                                    u"  NOT ((TOKUBETU = FALSE) OR (TOKUBETU IS NULL)) AS ROW_SPECIAL"_s,
                                                    u"FROM Himoku.db"_s, u"ORDER BY POS, CODE"_s}
                                            .join(u'\n')));
    QHash<QString, int> column;
    for (int c = 0; c < q.columnCount(); ++c)
        column.insert(q.columnName(c).toUpper(), c);
    // The columns by name once, not once per row and field.
    enum Col { Code, Name, Bunrui, Tokubetu, SimeBi, Cycle, FurikomiBi, HolidayShift, AiteCode, SimeHistroy, SimeShift,
               SimeHolidayShift, SimeAddDay, Syokizan, ZeiAtukai, YosanWarn, Visible, Special, ColCount };
    static const char *const names[ColCount] = {"CODE",        "NAME",         "BUNRUI",    "TOKUBETU",
                                                "SIMEBI",      "CYCLE",        "FURIKOMIBI", "HOLIDAYSHIFT",
                                                "AITECODE",    "SIMEHISTROY",  "SIMESHIFT", "SIMEHOLIDAYSHIFT",
                                                "SIMEADDDAY",  "SYOKIZAN",     "ZEIATUKAI", "YOSANWARN",
                                                "ROW_VISIBLE", "ROW_SPECIAL"};
    int at[ColCount];
    for (int i = 0; i < ColCount; ++i)
        at[i] = column.value(QLatin1String(names[i]));
    const auto integer = [&](Col c) { return int(q.intValue(at[c])); };
    const auto boolean = [&](Col c) { return q.intValue(at[c]) != 0; };
    QList<HimokuRow> rows;
    while (q.next()) {
        const int bunrui = integer(Bunrui);
        const TBunruiRec &cls = GetBunruiRec(bunrui);
        HimokuRow row;
        row.visible = boolean(Visible);
        row.special = boolean(Special);
        THimokuData &h = row.data;
        h.Code = integer(Code);
        h.Name = q.textValue(at[Name]);
        h.Bunrui = uint8_t(bunrui);
        h.Karigata = cls.side == 1;
        h.Bu1 = cls.bu1;
        h.Bu2 = cls.bu2;
        h.Kind = cls.bu1 > 2 ? 3 : cls.bu1;
        h.Tokubetu = boolean(Tokubetu);
        h.SimeBi = integer(SimeBi) == 0 ? 31 : integer(SimeBi);
        h.Cycle = integer(Cycle);
        h.FurikomiBi = integer(FurikomiBi);
        h.HolidayShift = uint8_t(integer(HolidayShift));
        h.AiteCode = integer(AiteCode);
        h.SimeHistroy = boolean(SimeHistroy);
        h.SimeShift = integer(SimeShift);
        h.SimeHolidayShift = uint8_t(integer(SimeHolidayShift));
        h.SimeAddDay = integer(SimeAddDay);
        h.Syokizan = Currency::fromDouble(q.doubleValue(at[Syokizan]));
        h.ZeiAtukai = uint8_t(integer(ZeiAtukai));
        h.YosanWarn = boolean(YosanWarn);
        h.SimeHistory = histories.value(h.Code);
        h.SimeHistoryCount = int32_t(h.SimeHistory.size());
        rows.append(row);
    }
    return rows;
}

// One cache cut from the rows. classes: the major classes that belong (empty:
// every row, after the three group rows).
THimokuArray fillCache(const QList<HimokuRow> &rows, const THimokuArray &groups, std::initializer_list<int> classes,
                       bool withSpecial, bool withHidden, const QHash<int, TSimebiChangeList> &histories)
{
    THimokuArray cache;
    const bool withGroups = classes.size() == 0;
    if (withGroups)
        for (const THimokuData &g : groups) {
            cache.append(g);
            cache.last().SimeHistory = histories.value(g.Code);
            cache.last().SimeHistoryCount = int32_t(cache.last().SimeHistory.size());
        }
    for (const HimokuRow &row : rows) {
        if ((!withHidden && !row.visible) || (!withSpecial && row.special))
            continue;
        if (!withGroups && std::find(classes.begin(), classes.end(), int(row.data.Bu1)) == classes.end())
            continue;
        cache.append(row.data);
        cache.last().No = cache.last().ListIndex = int32_t(cache.size() - 1);
    }
    return cache;
}

const THimokuData *findCode(int code, const THimokuArray *cache)
{
    if (!cache)
        return nullptr;
    for (const THimokuData &h : *cache)
        if (h.Code == code)
            return &h;
    return nullptr;
}

Database *queryModuleDatabase()
{
    return DatModSql && DatModSql->database().isOpen() ? &DatModSql->database() : nullptr;
}

} // namespace

void LoadHimokuCaches(Database &db)
{
    const QHash<int, TSimebiChangeList> histories = loadAllSimebiHistories(db);
    // The group rows first: a missing one is added to the table before it is read.
    THimokuArray groups;
    for (int kind = 1; kind <= 3; ++kind)
        groups.append(groupRow(db, kind, kind - 1));
    const QList<HimokuRow> rows = readHimokuRows(db, histories);
    // Built aside and swapped in at the end: a failed read leaves the caches of
    // the last rebuild rather than a half-filled set.
    THimokuArray deru = fillCache(rows, groups, {2}, TokubetuShowFlag, false, histories);
    THimokuArray iri = fillCache(rows, groups, {1}, TokubetuShowFlag, false, histories);
    THimokuArray kouza = fillCache(rows, groups, {3, 4}, TokubetuShowFlag, false, histories);
    THimokuArray visible = fillCache(rows, groups, {}, true, false, histories);
    THimokuArray all = fillCache(rows, groups, {}, true, true, histories);
    DeruHimokuArray = std::move(deru);
    IriHimokuArray = std::move(iri);
    KouzaHimokuArray = std::move(kouza);
    VisibleHimokuArray = std::move(visible);
    AllHimokuArray = std::move(all);
}

void LoadHimokuCaches()
{
    if (Database *db = queryModuleDatabase())
        LoadHimokuCaches(*db);
    else
        ClearHimokuCaches();
}

void ClearHimokuCaches()
{
    IriHimokuArray.clear();
    DeruHimokuArray.clear();
    KouzaHimokuArray.clear();
    VisibleHimokuArray.clear();
    AllHimokuArray.clear();
    HoliDayList.clear();
}

int FindHimokuCodeByName(const QString &name, const THimokuArray *cache)
{
    if (!cache)
        return -1;
    for (const THimokuData &h : *cache)
        if (h.Name == name)
            return h.Code;
    return -1;
}

int GetHimokuCodeByName(const QString &name, int kind)
{
    switch (kind) {
    case 1: return FindHimokuCodeByName(name, &IriHimokuArray);
    case 2: return FindHimokuCodeByName(name, &DeruHimokuArray);
    case 3: return FindHimokuCodeByName(name, &KouzaHimokuArray);
    default: return -1;
    }
}

int FindHimokuIndex(int code, const THimokuArray *cache)
{
    const THimokuData *h = findCode(code, cache);
    return h ? h->ListIndex : -1;
}

QString FindHimokuName(int code, const THimokuArray *cache)
{
    const THimokuData *h = findCode(code, cache);
    return h ? h->Name : QString();
}

bool FindHimokuKarigata(int code, const THimokuArray *cache)
{
    const THimokuData *h = findCode(code, cache);
    return h ? h->Karigata : true;
}

int FindHimokuAiteCode(int code, const THimokuArray *cache)
{
    const THimokuData *h = findCode(code, cache);
    return h ? h->AiteCode : -1;
}

int FindHimokuZeiAtukai(int code, const THimokuArray *cache)
{
    const THimokuData *h = findCode(code, cache);
    return h ? h->ZeiAtukai : 3;
}

int GetHimokuKind(int code)
{
    // From the major class, not Kind: the group rows carry Kind 1..3 for their
    // own use but are no category of any kind.
    const THimokuData *h = findCode(code, &VisibleHimokuArray);
    if (!h)
        return 0;
    switch (h->Bu1) {
    case 1: return 1;
    case 2: return 2;
    case 3:
    case 4: return 3;
    default: return 0;
    }
}

int GetHimokuBu1(int code)
{
    const THimokuData *h = findCode(code, &AllHimokuArray);
    return h ? h->Bu1 : 0;
}

bool FindHimokuData(int code, const THimokuArray *cache, THimokuData &record)
{
    if (const THimokuData *h = findCode(code, cache)) {
        record = *h;
        return true;
    }
    record = cache && !cache->isEmpty() ? cache->first() : THimokuData();
    return false;
}

bool GetHimokuData(int code, THimokuData &record)
{
    if (const THimokuData *h = findCode(code, &VisibleHimokuArray)) {
        record = *h;
        return true;
    }
    return false;
}

bool GetAllHimokuData(int code, THimokuData &record)
{
    if (const THimokuData *h = findCode(code, &AllHimokuArray)) {
        record = *h;
        return true;
    }
    return false;
}

int GetHimokuBunrui(Database &db, int code)
{
    const QVariant v = db.scalar(u"SELECT BUNRUI FROM Himoku WHERE CODE = ?"_s, {code});
    return v.isValid() ? v.toInt() : 0;
}

void LoadHolidayList(Database &db)
{
    QList<THoliDayRec> list;
    QSet<QDate> seen;
    // DateList has no key: table order is insertion order.
    Statement st(db, u"SELECT RECDATE, NAME FROM DateList WHERE TYPE = 1 ORDER BY rowid"_s);
    while (st.next()) {
        const QDate date = st.isNull(0) ? QDate() : QDate::fromString(st.textValue(0).left(10), Qt::ISODate);
        if (!date.isValid() || seen.contains(date))
            continue;
        seen.insert(date);
        list.append(THoliDayRec{date, st.textValue(1), DayKindNationalHoliday});
    }
    HoliDayList = std::move(list);
}

void LoadHolidayList()
{
    if (Database *db = queryModuleDatabase())
        LoadHolidayList(*db);
    else
        HoliDayList.clear();
}

void AddHoliday(const QString &name, const QDate &date)
{
    for (const THoliDayRec &r : std::as_const(HoliDayList))
        if (r.Date == date)
            return;
    HoliDayList.append(THoliDayRec{date, name, DayKindNationalHoliday});
}

bool IsHoliday(const QDate &date)
{
    for (const THoliDayRec &r : std::as_const(HoliDayList))
        if (r.Date == date && r.Kind == DayKindNationalHoliday)
            return true;
    return false;
}

QString GetHolidayName(const QDate &date)
{
    for (const THoliDayRec &r : std::as_const(HoliDayList))
        if (r.Date == date)
            return r.Name;
    return QString();
}

int GetGroupSimeShift(int kind)
{
    if (kind < 1 || kind > 3)
        return 0;
    const THimokuData *h = findCode(kind, &VisibleHimokuArray);
    return h ? h->SimeShift : 0;
}

void GetHimokuSimePeriod(Database &db, int code, int nendo, int month, int simeTuki, int shiftNendo,
                         int &closingDay, int &simeShift, QDate &start, QDate &end)
{
    THimokuData h;
    if (!GetHimokuData(code, h))
        return;
    GetHimokuSimePeriod(h.simeSettings(), nendo, month, simeTuki, shiftNendo, TableHolidayTest(db), closingDay,
                        simeShift, start, end);
}

void FindHimokuSimeMonth(Database &db, int code, int simeTuki, int shiftNendo, const QDate &date, int &nendo,
                         int &month, int &closingDay, int &simeShift, int &days, QDate &start, QDate &end)
{
    THimokuData h;
    if (!GetHimokuData(code, h))
        return;
    FindHimokuSimeMonth(h.simeSettings(), simeTuki, shiftNendo, date, TableHolidayTest(db), nendo, month,
                        closingDay, simeShift, days, start, end);
}

void GetHimokuNendoPeriod(Database &db, int code, int nendo, int simeTuki, int shiftNendo, QDate &start,
                          QDate &end)
{
    THimokuData h;
    if (!GetHimokuData(code, h))
        return;
    GetHimokuNendoPeriod(h.simeSettings(), nendo, simeTuki, shiftNendo, TableHolidayTest(db), start, end);
}
