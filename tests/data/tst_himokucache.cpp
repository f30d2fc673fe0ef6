#include <QtTest>

#include <memory>

#include "data/BookSchema.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "platform/db/Database.h"
#include "BookFixture.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;

namespace {

QList<int> codesOf(const THimokuArray &cache)
{
    QList<int> codes;
    for (const THimokuData &h : cache)
        codes << h.Code;
    return codes;
}

// A category row: the fields the caches read, the rest as a new book has them.
void addHimoku(Database &db, int code, int pos, const QString &name, int bunrui, bool visible = true,
               bool tokubetu = false, int simeBi = 31)
{
    BookFixture::addHimoku(db, {.code = code,
                                .pos = pos,
                                .name = name,
                                .bunrui = bunrui,
                                .syokizan = 1234.5,
                                .simeBi = simeBi,
                                .cycle = 1,
                                .furikomiBi = 10,
                                .holidayShift = 2,
                                .visible = visible,
                                .tokubetu = tokubetu,
                                .zeiAtukai = 1,
                                .yosanWarn = false});
}

void addDay(Database &db, const QDate &date, const QString &name, int type)
{
    BookFixture::addDay(db, QVariant(), date, name, type);
}

} // namespace

// The seed book (groups 1..3 hidden, system rows 11, 12, 13, 99 hidden, cash 100
// at POS 1) plus:
//   201 expense POS 2, 202 special expense POS 1, 203 hidden expense POS 3,
//   101 income POS 5, 301 credit card (liability) POS 4 with closing day 0,
//   102 income POS 5 (same POS as 101: table order decides).
class TestHimokuCache : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &db() { return m_book.db; }

private slots:
    void init()
    {
        m_book.open();
        addHimoku(db(), 201, 2, u"食費"_s, 2);
        addHimoku(db(), 202, 1, u"冠婚葬祭"_s, 2, true, true);
        addHimoku(db(), 203, 3, u"旧費目"_s, 2, false);
        addHimoku(db(), 102, 5, u"賞与"_s, 1);
        addHimoku(db(), 101, 5, u"給与"_s, 1);
        addHimoku(db(), 301, 4, u"カード"_s, 9, true, false, 0);
        TokubetuShowFlag = false;
    }
    void cleanup()
    {
        TokubetuShowFlag = false;
        ClearHimokuCaches();
        m_book.close();
    }

    void cachesHoldTheirRowsInPosOrder_data()
    {
        QTest::addColumn<bool>("tokubetuShow");
        QTest::addColumn<QList<int>>("iri");
        QTest::addColumn<QList<int>>("deru");
        QTest::addColumn<QList<int>>("kouza");
        QTest::addColumn<QList<int>>("visible");
        QTest::addColumn<QList<int>>("all");
        // Hidden seed rows: 1, 2, 3 (groups), 11, 12, 13 and 99 (POS -1, 0).
        const QList<int> visible{1, 2, 3, 100, 202, 201, 301, 101, 102};
        const QList<int> all{1, 2, 3, 11, 12, 13, 99, 1, 2, 3, 100, 202, 201, 203, 301, 101, 102};
        QTest::newRow("special hidden") << false << QList<int>{101, 102} << QList<int>{201} << QList<int>{100, 301}
                                        << visible << all;
        QTest::newRow("special shown") << true << QList<int>{101, 102} << QList<int>{202, 201}
                                       << QList<int>{100, 301} << visible << all;
    }
    void cachesHoldTheirRowsInPosOrder()
    {
        QFETCH(bool, tokubetuShow);
        TokubetuShowFlag = tokubetuShow;
        LoadHimokuCaches(db());
        QTEST(codesOf(IriHimokuArray), "iri");
        QTEST(codesOf(DeruHimokuArray), "deru");
        QTEST(codesOf(KouzaHimokuArray), "kouza");
        QTEST(codesOf(VisibleHimokuArray), "visible");
        QTEST(codesOf(AllHimokuArray), "all");
        for (const THimokuArray *cache : {&IriHimokuArray, &VisibleHimokuArray, &AllHimokuArray})
            for (int i = 0; i < cache->size(); ++i) {
                QCOMPARE(cache->at(i).No, i);
                QCOMPARE(cache->at(i).ListIndex, i);
            }
    }

    void entriesCarryTheirFields()
    {
        Statement(db(), u"INSERT INTO SimebiList (CODE, STARTDATE, SIMEBI) VALUES (301, '2024-04-01', 10)"_s).exec();
        Statement(db(), u"INSERT INTO SimebiList (CODE, STARTDATE, SIMEBI) VALUES (301, '2024-02-01', 0)"_s).exec();
        Statement(db(), u"UPDATE Himoku SET SIMESHIFT = -1 WHERE CODE = 2"_s).exec();
        LoadHimokuCaches(db());

        THimokuData card;
        QVERIFY(GetHimokuData(301, card));
        QCOMPARE(card.Name, u"カード"_s);
        QCOMPARE(card.Bunrui, uint8_t(9));
        QCOMPARE(card.Bu1, uint8_t(4));
        QCOMPARE(card.Bu2, uint8_t(6));
        QCOMPARE(card.Kind, uint8_t(3));
        QVERIFY(!card.Karigata); // a liability's normal side is credit
        QCOMPARE(card.SimeBi, 31); // stored 0: month end
        QCOMPARE(card.Syokizan, Currency::fromString(u"1234.5"_s));
        QCOMPARE(card.Cycle, 1);
        QCOMPARE(card.FurikomiBi, 10);
        QCOMPARE(card.HolidayShift, uint8_t(2));
        QCOMPARE(card.AiteCode, 100);
        QCOMPARE(card.ZeiAtukai, uint8_t(1));
        // History in start order, 0 read as 31 and the closing date cut to
        // February of a leap year.
        QCOMPARE(card.SimeHistoryCount, 2);
        QCOMPARE(card.SimeHistory.at(0).StartDate, QDate(2024, 2, 1));
        QCOMPARE(card.SimeHistory.at(0).SimeBi, 31);
        QCOMPARE(card.SimeHistory.at(0).SimeDate, QDate(2024, 2, 29));
        QCOMPARE(card.SimeHistory.at(1).SimeDate, QDate(2024, 4, 10));

        // Group rows: stored SIMEBI 0 stays 0, fixed payment fields, special.
        const THimokuData &expense = VisibleHimokuArray.at(1);
        QCOMPARE(expense.Code, 2);
        QCOMPARE(expense.Name, u"支出"_s);
        QCOMPARE(expense.SimeBi, 0);
        QCOMPARE(expense.SimeShift, -1);
        QCOMPARE(expense.Kind, uint8_t(2));
        QCOMPARE(expense.Bu1, uint8_t(0));
        QVERIFY(expense.Tokubetu);
        QCOMPARE(expense.FurikomiBi, -1);
        QCOMPARE(expense.Cycle, -1);
        QCOMPARE(expense.AiteCode, -1);
        QCOMPARE(GetGroupSimeShift(2), -1);
        QCOMPARE(GetGroupSimeShift(1), 0);
        QCOMPARE(GetGroupSimeShift(4), 0);
    }

    void missingGroupRowIsAddedAtTheFirstRebuild()
    {
        Statement(db(), u"DELETE FROM Himoku WHERE CODE = 3"_s).exec();
        LoadHimokuCaches(db());
        QCOMPARE(codesOf(VisibleHimokuArray).mid(0, 3), (QList<int>{1, 2, 3}));
        QCOMPARE(codesOf(AllHimokuArray).mid(0, 3), (QList<int>{1, 2, 3}));
        QCOMPARE(VisibleHimokuArray.at(2).Name, u"口座"_s);
        QCOMPARE(VisibleHimokuArray.at(2).SimeBi, 0);
        Statement st(db(), u"SELECT NAME, SIMEBI, SIMEHISTROY, SIMESHIFT, SIMEHOLIDAYSHIFT, VISIBLE "
                            "FROM Himoku WHERE CODE = 3"_s);
        QVERIFY(st.next());
        QCOMPARE(st.textValue(0), u"口座"_s);
        QCOMPARE(st.intValue(1), 0);
        QCOMPARE(st.intValue(2), 0);
        QCOMPARE(st.intValue(3), 0);
        QCOMPARE(st.intValue(4), 0);
        QCOMPARE(st.intValue(5), 0); // a group row, not a category to list
        QVERIFY(!st.next());
        // Added once, not at every rebuild.
        LoadHimokuCaches(db());
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Himoku WHERE CODE = 3"_s).toInt(), 1);
    }

    void lookups_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("bu1");
        QTest::addColumn<QString>("visibleName");
        QTest::newRow("income") << 101 << 1 << 1 << u"給与"_s;
        QTest::newRow("expense") << 201 << 2 << 2 << u"食費"_s;
        QTest::newRow("special expense") << 202 << 2 << 2 << u"冠婚葬祭"_s;
        QTest::newRow("asset") << 100 << 3 << 3 << u"現金"_s;
        QTest::newRow("liability") << 301 << 3 << 4 << u"カード"_s;
        QTest::newRow("hidden") << 203 << 0 << 2 << QString();
        QTest::newRow("group row") << 2 << 0 << 0 << u"支出"_s; // the group entry comes first
        QTest::newRow("missing") << 999 << 0 << 0 << QString();
    }
    void lookups()
    {
        QFETCH(int, code);
        LoadHimokuCaches(db());
        QTEST(GetHimokuKind(code), "kind");
        QTEST(GetHimokuBu1(code), "bu1");
        QTEST(FindHimokuName(code, &VisibleHimokuArray), "visibleName");
    }

    void lookupsByName()
    {
        TokubetuShowFlag = false;
        LoadHimokuCaches(db());
        QCOMPARE(GetHimokuCodeByName(u"給与"_s, 1), 101);
        QCOMPARE(GetHimokuCodeByName(u"給与"_s, 2), -1);
        QCOMPARE(GetHimokuCodeByName(u"カード"_s, 3), 301);
        QCOMPARE(GetHimokuCodeByName(u"冠婚葬祭"_s, 2), -1); // special, switch off
        QCOMPARE(GetHimokuCodeByName(u"食費"_s, 4), -1);
        QCOMPARE(FindHimokuCodeByName(u"冠婚葬祭"_s, &VisibleHimokuArray), 202);
        QCOMPARE(FindHimokuCodeByName(u"食費"_s, nullptr), -1);
        QCOMPARE(FindHimokuIndex(201, &DeruHimokuArray), 0);
        QCOMPARE(FindHimokuIndex(201, &VisibleHimokuArray), 5);
        QCOMPARE(FindHimokuIndex(201, nullptr), -1);
        // Defaults of a code that is not there.
        QCOMPARE(FindHimokuKarigata(999, &VisibleHimokuArray), true);
        QCOMPARE(FindHimokuKarigata(301, &VisibleHimokuArray), false);
        QCOMPARE(FindHimokuAiteCode(999, &VisibleHimokuArray), -1);
        QCOMPARE(FindHimokuZeiAtukai(999, &VisibleHimokuArray), 3);
        QCOMPARE(FindHimokuZeiAtukai(201, &VisibleHimokuArray), 1);
        QCOMPARE(GetHimokuBunrui(db(), 301), 9);
        QCOMPARE(GetHimokuBunrui(db(), 999), 0);

        THimokuData record;
        record.Code = -7;
        QVERIFY(!GetHimokuData(203, record)); // hidden
        QCOMPARE(record.Code, -7);              // untouched
        QVERIFY(GetAllHimokuData(203, record));
        QCOMPARE(record.Name, u"旧費目"_s);
        QVERIFY(!FindHimokuData(999, &DeruHimokuArray, record));
        QCOMPARE(record.Code, 201); // the cache's first record
        const THimokuArray empty;
        QVERIFY(!FindHimokuData(999, &empty, record));
        QCOMPARE(record.Code, 0);
    }

    void holidayList()
    {
        addDay(db(), QDate(2024, 5, 3), u"憲法記念日"_s, 1);
        addDay(db(), QDate(2024, 5, 3), u"二度目"_s, 1);
        addDay(db(), QDate(2024, 6, 1), u"誕生日"_s, 6);
        addDay(db(), QDate(2024, 7, 1), u"記念日"_s, 5);
        addDay(db(), QDate(2024, 7, 1), u"会社"_s, 1);
        LoadHolidayList(db());
        QCOMPARE(HoliDayList.size(), 2);
        QVERIFY(IsHoliday(QDate(2024, 5, 3)));
        QCOMPARE(GetHolidayName(QDate(2024, 5, 3)), u"憲法記念日"_s);
        QVERIFY(!IsHoliday(QDate(2024, 6, 1)));
        QCOMPARE(GetHolidayName(QDate(2024, 6, 1)), QString());
        QVERIFY(IsHoliday(QDate(2024, 7, 1)));
        AddHoliday(u"別名"_s, QDate(2024, 5, 3));
        QCOMPARE(HoliDayList.size(), 2);
        AddHoliday(u"臨時"_s, QDate(2024, 8, 1));
        QVERIFY(IsHoliday(QDate(2024, 8, 1)));
        // A rebuild reflects the table, not what was added by hand.
        LoadHolidayList(db());
        QVERIFY(!IsHoliday(QDate(2024, 8, 1)));
    }

    void rebuildsOnTheQueryModulesBook()
    {
        addDay(db(), QDate(2024, 5, 3), u"憲法記念日"_s, 1);
        {
            TDatModSql sql(db());
            DatModSql = &sql;
            LoadHimokuCaches();
            LoadHolidayList();
            QCOMPARE(codesOf(DeruHimokuArray), QList<int>{201});
            QVERIFY(IsHoliday(QDate(2024, 5, 3)));
        }
        QVERIFY(!DatModSql);
        // Without a query module there is no book: the caches are emptied.
        LoadHimokuCaches();
        LoadHolidayList();
        QVERIFY(DeruHimokuArray.isEmpty());
        QVERIFY(VisibleHimokuArray.isEmpty());
        QVERIFY(HoliDayList.isEmpty());
    }

    void closingPeriodsOfACachedCategory()
    {
        Statement(db(), u"UPDATE Himoku SET SIMEBI = 20 WHERE CODE = 301"_s).exec();
        Statement(db(), u"UPDATE Himoku SET SIMEBI = 10, SIMESHIFT = -1 WHERE CODE = 201"_s).exec();
        LoadHimokuCaches(db());
        int closingDay = -5, simeShift = -5;
        QDate start, end;
        GetHimokuSimePeriod(db(), 301, 2024, 3, 12, 0, closingDay, simeShift, start, end);
        QCOMPARE(closingDay, 20);
        QCOMPARE(simeShift, 0);
        QCOMPARE(start, QDate(2024, 2, 21));
        QCOMPARE(end, QDate(2024, 3, 20));

        int nendo = 0, month = 0, days = 0;
        FindHimokuSimeMonth(db(), 201, 12, 0, QDate(2024, 4, 5), nendo, month, closingDay, simeShift, days, start,
                            end);
        QCOMPARE(nendo, 2024);
        QCOMPARE(month, 3);
        QCOMPARE(start, QDate(2024, 3, 11));
        QCOMPARE(end, QDate(2024, 4, 10));

        GetHimokuNendoPeriod(db(), 301, 2024, 12, 0, start, end);
        QCOMPARE(start, QDate(2023, 12, 21));
        QCOMPARE(end, QDate(2024, 12, 20));

        // A hidden code is not found: the outputs stay as passed in.
        closingDay = -5;
        start = end = QDate(2000, 1, 1);
        GetHimokuSimePeriod(db(), 203, 2024, 3, 12, 0, closingDay, simeShift, start, end);
        QCOMPARE(closingDay, -5);
        QCOMPARE(start, QDate(2000, 1, 1));
        GetHimokuNendoPeriod(db(), 203, 2024, 12, 0, start, end);
        QCOMPARE(end, QDate(2000, 1, 1));
    }
};

QTEST_GUILESS_MAIN(TestHimokuCache)
#include "tst_himokucache.moc"
