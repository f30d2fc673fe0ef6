#include <QtTest>

#include "JournalBook.h"
#include "data/MeisaiSave.h"
#include "data/ReserveCard.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TReserveCard)

// Scheduled-entry cards: which lines a card gives for its months (posting
// day cut to the month, holiday rules that leave the month, monthly amounts,
// the lock date, months that have a line already), the lines as they reach
// the book through the journal save, and the due-line query.
class TestReserveCard : public QObject
{
    Q_OBJECT

    JournalBook book;

    static TReserveCard card(int startYear, int startMonth, int endYear, int endMonth, int postDate = 0,
                             int shift = 0)
    {
        TReserveCard c;
        c.ReceiptNo = 7;
        c.Kind = 2;
        c.KariCode = 201;
        c.KasiCode = 101;
        c.Kingaku = Currency::fromInt(1000);
        c.PostDate = postDate;
        c.HolidayShift = shift;
        c.StartYear = startYear;
        c.StartMonth = startMonth;
        c.EndYear = endYear;
        c.EndMonth = endMonth;
        return c;
    }

    static QString describe(const QList<TReserveLinePlan> &plan)
    {
        QStringList out;
        for (const TReserveLinePlan &p : plan) {
            uint16_t y = 0, m = 0;
            DecodeMonthCode(p.MonthCode, y, m);
            out << u"%1/%2:%3=%4"_s.arg(y).arg(m).arg(p.Date.toString(Qt::ISODate)).arg(p.Amount.toInt());
        }
        return out.join(u' ');
    }

    int rows(const QString &where)
    {
        return book.dm->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE "_s + where).toInt();
    }

    void addScheduled(const QDate &date, int gyono, bool reserved = true)
    {
        static int dataNo = 9000;
        book.dm->MainDatabase.exec(
            u"INSERT INTO Master (DATANO,GYONO,RECDATE,KARICODE,KASICODE,KINGAKU,RESERVED,RECEIPTNO,LOOKUPNO,STYLE,ORIGIN) "
            "VALUES (%1,%2,'%3',201,101,500,%4,7,0,4,2)"_s.arg(++dataNo).arg(gyono).arg(date.toString(Qt::ISODate))
                .arg(reserved ? 1 : 0));
    }

private slots:
    // Only the tests that touch a book open one.
    void cleanup()
    {
        if (book.dm)
            book.close();
    }

    void plannedLines_data()
    {
        QTest::addColumn<TReserveCard>("card");
        QTest::addColumn<QDate>("lock");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("sundaysOnly");

        QTest::newRow("month end cut to each month") << card(2026, 1, 2026, 4) << QDate()
            << u"2026/1:2026-01-31=1000 2026/2:2026-02-28=1000 2026/3:2026-03-31=1000 2026/4:2026-04-30=1000"_s << false;
        QTest::newRow("the 31st in a leap February") << card(2028, 2, 2028, 2, 0) << QDate()
            << u"2028/2:2028-02-29=1000"_s << false;
        QTest::newRow("day 30 in February") << card(2026, 2, 2026, 3, 30) << QDate()
            << u"2026/2:2026-02-28=1000 2026/3:2026-03-30=1000"_s << false;
        // Saturday the 31st and Saturday the 28th move into the next month but keep their month.
        QTest::newRow("after weekend leaves the month") << card(2026, 1, 2026, 2, 0, 4) << QDate()
            << u"2026/1:2026-02-02=1000 2026/2:2026-03-02=1000"_s << false;
        QTest::newRow("before weekend") << card(2026, 1, 2026, 1, 0, 3) << QDate()
            << u"2026/1:2026-01-30=1000"_s << false;
        QTest::newRow("after Sunday leaves Saturday") << card(2026, 1, 2026, 1, 0, 2) << QDate()
            << u"2026/1:2026-01-31=1000"_s << false;
        QTest::newRow("after Sunday moves Sunday") << card(2026, 5, 2026, 5, 0, 2) << QDate()
            << u"2026/5:2026-06-01=1000"_s << false;
        QTest::newRow("before a national holiday") << card(2026, 2, 2026, 2, 11, 1) << QDate()
            << u"2026/2:2026-02-10=1000"_s << false;
        QTest::newRow("Sundays only ignores the holiday") << card(2026, 2, 2026, 2, 11, 1) << QDate()
            << u"2026/2:2026-02-11=1000"_s << true;
        QTest::newRow("start after end") << card(2026, 5, 2026, 4) << QDate() << QString() << false;
        QTest::newRow("across the year") << card(2026, 12, 2027, 1, 15) << QDate()
            << u"2026/12:2026-12-15=1000 2027/1:2027-01-15=1000"_s << false;
        QTest::newRow("lock date on a line's date") << card(2026, 1, 2026, 4) << QDate(2026, 2, 28)
            << u"2026/3:2026-03-31=1000 2026/4:2026-04-30=1000"_s << false;
        // The lock is compared with the shifted date.
        QTest::newRow("lock before the shifted date") << card(2026, 1, 2026, 1, 0, 4) << QDate(2026, 2, 1)
            << u"2026/1:2026-02-02=1000"_s << false;
        QTest::newRow("lock on the shifted date") << card(2026, 1, 2026, 1, 0, 4) << QDate(2026, 2, 2) << QString()
            << false;
        TReserveCard monthly = card(2026, 1, 2026, 4, 10);
        monthly.Monthly = true;
        monthly.MonthGaku[0] = Currency::fromInt(100);
        monthly.MonthGaku[1] = Currency::fromInt(200);
        monthly.MonthGaku[3] = Currency::fromInt(400);
        QTest::newRow("monthly skips a month of 0") << monthly << QDate()
            << u"2026/1:2026-01-10=100 2026/2:2026-02-10=200 2026/4:2026-04-10=400"_s << false;
        TReserveCard zero = card(2026, 1, 2026, 2, 5);
        zero.Kingaku = Currency();
        QTest::newRow("fixed amount of 0 still books") << zero << QDate()
            << u"2026/1:2026-01-05=0 2026/2:2026-02-05=0"_s << false;
    }

    void plannedLines()
    {
        QFETCH(TReserveCard, card);
        QFETCH(QDate, lock);
        QFETCH(QString, expected);
        QFETCH(bool, sundaysOnly);
        HolidayTest holidays;
        if (!sundaysOnly)
            holidays = [](const QDate &d) { return d == QDate(2026, 2, 11); };
        QCOMPARE(describe(PlanReserveLines(card, {}, lock, holidays)), expected);
    }

    void monthsWithALineAreLeft()
    {
        const TReserveCard c = card(2026, 1, 2026, 3, 20);
        const QSet<int> existing{EncodeMonthCode(2026, 2)};
        QCOMPARE(describe(PlanReserveLines(c, existing, QDate(), {})),
                 u"2026/1:2026-01-20=1000 2026/3:2026-03-20=1000"_s);
    }

    // Generated lines are pending until the journal save; then the ones after
    // today are scheduled, the others booked, each with its month's code, and
    // regenerating adds only months that have no line.
    void generateSaveAndRegenerate()
    {
        book.open();
        TMeisaiClientDataSet &lines = book.lines();
        lines.ResetEntryState();
        lines.CltDataStyle = 4;
        lines.CltOrigin = 4;
        lines.CltSyuSiIdo = 2;
        TReserveCard c = card(2026, 1, 2026, 4, 15);
        c.KariCode = book.food;
        c.KasiCode = book.bank;
        const QDate today(2026, 2, 20);
        QCOMPARE(GenerateReserveLines(lines, c, today, QDate(), {}), 4);
        QCOMPARE(rows(u"RECEIPTNO = 7"_s), 0);
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(rows(u"RECEIPTNO = 7 AND STYLE = 4 AND ORIGIN = 2"_s), 4);
        QCOMPARE(rows(u"RECEIPTNO = 7 AND RESERVED = 0 AND RECDATE <= '2026-02-20'"_s), 2);
        QCOMPARE(rows(u"RECEIPTNO = 7 AND RESERVED = 1 AND RECDATE > '2026-02-20'"_s), 2);
        QCOMPARE(rows(u"RECEIPTNO = 7 AND LOOKUPNO = %1 AND RECDATE = '2026-03-15'"_s.arg(EncodeMonthCode(2026, 3))), 1);

        // Reloaded: March deleted, the amount changed; only March comes back, at the new amount.
        lines.close();
        lines.setCommandText(u"SELECT * FROM \"Master.db\" D WHERE RECEIPTNO = 7 AND RECDATE <> '2026-03-15'"_s);
        lines.open();
        c.Kingaku = Currency::fromInt(2500);
        QCOMPARE(GenerateReserveLines(lines, c, today, QDate(), {}), 1);
        lines.close();
        lines.setCommandText(u"SELECT * FROM \"Master.db\" D WHERE RECEIPTNO = 7"_s);
        lines.open();
        QCOMPARE(GenerateReserveLines(lines, c, today, QDate(), {}), 0);
        QCOMPARE(lines.changeCount(), 0);
    }

    void dueLines()
    {
        book.open();
        const QDate today(2026, 3, 10);
        addScheduled(today.addDays(1), 1);
        addScheduled(today, 2);
        addScheduled(today, 1);
        addScheduled(QDate(2026, 2, 28), 1);
        addScheduled(QDate(2026, 2, 27), 1);
        addScheduled(QDate(2026, 3, 1), 1, false);
        TMeisaiClientDataSet &lines = *book.dm->MeisaiClt;
        auto open = [&](const QDate &lock) {
            lines.close();
            lines.setCommandText(DueEntriesSql(today, lock).join(u'\n'));
            lines.open();
            QStringList got;
            for (lines.first(); !lines.eof(); lines.next())
                got << lines.fieldByName(u"RECDATE"_s)->asDate().toString(u"MM-dd"_s) + u"/"_s
                        + lines.fieldByName(u"GYONO"_s)->asString();
            return got.join(u' ');
        };
        QCOMPARE(open(QDate()), u"02-27/1 02-28/1 03-10/1 03-10/2"_s);
        // A line on the lock date is not offered.
        QCOMPARE(open(QDate(2026, 2, 28)), u"03-10/1 03-10/2"_s);

        const TLockedReserved locked = CountLockedReserved(book.dm->MainDatabase, QDate(2026, 2, 28));
        QCOMPARE(locked.Count, 2);
        QCOMPARE(locked.First, QDate(2026, 2, 27));
        QCOMPARE(locked.Last, QDate(2026, 2, 28));
        QVERIFY(LockedReservedMessage(locked).contains(u"2 件"_s));
        QCOMPARE(CountLockedReserved(book.dm->MainDatabase, QDate()).Count, 0);
        QVERIFY(LockedReservedMessage(TLockedReserved()).isEmpty());
    }

    void newCardNames()
    {
        book.open();
        Database &db = book.dm->MainDatabase;
        QCOMPARE(NewReserveCardName(db), u"新規予約1"_s);
        db.exec(u"INSERT INTO ReserveList (DATANO, RECEIPTNO, NAME, RECKIND) VALUES (1, 1, '新規予約1', 0)"_s);
        db.exec(u"INSERT INTO ReserveList (DATANO, RECEIPTNO, NAME, RECKIND) VALUES (2, 2, '新規予約3', 4)"_s);
        QCOMPARE(NewReserveCardName(db), u"新規予約2"_s);
    }
};

QTEST_MAIN(TestReserveCard)
#include "tst_reservecard.moc"
