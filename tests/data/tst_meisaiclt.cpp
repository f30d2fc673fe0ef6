#include <QtTest>

#include "DialogQueue.h"
#include "JournalBook.h"
#include "data/DataSetActions.h"
#include "data/MasterCodes.h"
#include "platform/db/DataSource.h"
#include "data/MeisaiDefaults.h"
#include "platform/db/Abort.h"

// The journal data set: defaults of new lines, their order, the edit guard and
// the shared routines that write picked values.
class TestMeisaiClt : public QObject
{
    Q_OBJECT

private:
    JournalBook book;

    int code(const QString &name) const
    {
        return name.isEmpty() ? -1 : FindHimokuCodeByName(name, &AllHimokuArray);
    }
    static QString codeName(const Field *f)
    {
        return f->isNull() ? QString() : FindHimokuName(f->asInteger(), &AllHimokuArray);
    }
    // Posts a line with the given values (entry state table entry, expense page).
    void addLine(TMeisaiClientDataSet &m, const QDate &date, int style, int origin, int gyoNo = 1)
    {
        m.append();
        m.fieldByName("RECDATE")->setAsDate(date);
        m.fieldByName("STYLE")->setAsInteger(style);
        m.fieldByName("ORIGIN")->setAsInteger(origin);
        m.fieldByName("GYONO")->setAsInteger(gyoNo);
        m.fieldByName("KINGAKU")->setAsCurrency(Currency::fromDouble(100));
        m.post();
    }
    QList<int> recPositions(TMeisaiClientDataSet &m)
    {
        QList<int> out;
        for (m.first(); !m.eof(); m.next())
            out << m.fieldByName("RecPos")->asInteger();
        return out;
    }

private slots:
    void init() { book.open(); }
    void cleanup() { book.close(); }

    void newLineDefaults_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("origin");
        QTest::addColumn<QString>("kari");
        QTest::addColumn<QString>("kasi");
        QTest::addColumn<QString>("self");
        QTest::addColumn<QVariant>("kariSide");
        QTest::addColumn<int>("zei");
        QTest::addColumn<bool>("dated");
        // expense page, own category 食費 (tax 無指定), counterpart 現金, credit カードA
        QTest::newRow("expense table") << 2 << 1 << 2 << "食費" << "現金" << "" << QVariant() << 1 << true;
        QTest::newRow("expense receipt") << 2 << 2 << 2 << "" << "現金" << "" << QVariant() << 1 << true;
        QTest::newRow("expense bill") << 2 << 3 << 2 << "" << "カードA" << "" << QVariant(false) << 1 << false;
        QTest::newRow("expense free") << 2 << 7 << 2 << "" << "現金" << "" << QVariant() << 1 << false;
        QTest::newRow("expense voucher") << 2 << 8 << 2 << "" << "" << "" << QVariant() << 0 << false;
        // income page, own category 給与
        QTest::newRow("income table") << 1 << 1 << 1 << "現金" << "給与" << "" << QVariant() << 0 << true;
        QTest::newRow("income receipt") << 1 << 2 << 1 << "現金" << "" << "" << QVariant() << 0 << true;
        QTest::newRow("income bill") << 1 << 3 << 1 << "カードA" << "" << "" << QVariant(true) << 0 << false;
        // transfer page, own account 銀行A
        QTest::newRow("transfer table") << 3 << 1 << 3 << "銀行A" << "" << "銀行A" << QVariant() << 0 << true;
        QTest::newRow("transfer voucher") << 3 << 8 << 3 << "カードA" << "" << "カードA" << QVariant(true) << 0 << false;
        QTest::newRow("transfer free") << 3 << 7 << 3 << "" << "" << "" << QVariant() << 0 << false;
        // scheduled lines take the card's category and account by the card's kind
        QTest::newRow("scheduled expense") << 2 << 4 << 4 << "食費" << "現金" << "" << QVariant() << 1 << false;
        QTest::newRow("scheduled income") << 1 << 4 << 4 << "現金" << "給与" << "" << QVariant() << 1 << false;
        QTest::newRow("scheduled transfer") << 3 << 4 << 4 << "銀行A" << "現金" << "" << QVariant() << 1 << false;
    }
    void newLineDefaults()
    {
        QFETCH(int, page);
        QFETCH(int, style);
        QFETCH(int, origin);
        QFETCH(QString, kari);
        QFETCH(QString, kasi);
        QFETCH(QString, self);
        QFETCH(QVariant, kariSide);
        QFETCH(int, zei);
        QFETCH(bool, dated);
        TMeisaiClientDataSet &m = book.lines();
        m.ResetEntryState();
        m.CltSyuSiIdo = uint8_t(page);
        m.CltDataStyle = uint8_t(style);
        m.CltOrigin = uint8_t(origin);
        m.CltHimokuCODE = page == 1 ? book.salary : page == 2 ? book.food : book.bank;
        m.CltZeiAtukai = 3;
        m.CltRecAiteCODE = 100;
        m.CltCreditCODE = book.card;
        m.CltDate = QDate(2024, 5, 10);
        m.CltShopCODE = 7;
        m.append();
        QCOMPARE(codeName(m.fieldByName("KARICODE")), kari);
        QCOMPARE(codeName(m.fieldByName("KASICODE")), kasi);
        QCOMPARE(codeName(m.fieldByName("SelfCode")), self);
        QCOMPARE(m.fieldByName("KARISIDE")->value(), kariSide);
        QCOMPARE(m.fieldByName("ZEIATUKAI")->asInteger(), zei);
        QCOMPARE(m.fieldByName("RECDATE")->asDate(), dated ? QDate(2024, 5, 10) : QDate());
        QCOMPARE(m.fieldByName("STYLE")->asInteger(), style);
        QCOMPARE(m.fieldByName("ORIGIN")->asInteger(), origin);
        QCOMPARE(m.fieldByName("RESERVED")->asBoolean(), origin == 4);
        QCOMPARE(m.fieldByName("GYONO")->asInteger(), 1);
        QCOMPARE(m.fieldByName("RecPos")->asInteger(), 1);
        QCOMPARE(m.fieldByName("QUANTITY")->asFloat(), 1.0);
        QCOMPARE(m.fieldByName("SHOPCODE")->asInteger(), 7);
        // -1 means none: the row defaults stay.
        QCOMPARE(m.fieldByName("RECEIPTNO")->asInteger(), 0);
        QCOMPARE(m.fieldByName("LOOKUPNO")->asInteger(), 0);
        QCOMPARE(int(m.CltBusyState), 0);
        m.cancel();
    }

    void insertedLinesKeepTheirPlace()
    {
        TMeisaiClientDataSet &m = book.lines();
        m.setIndexFieldNames("RecPos");
        m.CltDataStyle = 2;
        for (int i = 0; i < 5; ++i) {
            m.last();
            m.append();
            m.post();
        }
        QCOMPARE(recPositions(m), (QList<int>{1, 2, 3, 4, 5}));
        m.setRecNo(3);
        m.insert();
        QCOMPARE(m.fieldByName("RecPos")->asInteger(), 3);
        m.post();
        QCOMPARE(recPositions(m), (QList<int>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(m.recordCount(), 6);
        // The automatic-posting style adds no line, silently.
        m.CltDataStyle = 5;
        QVERIFY_THROWS_EXCEPTION(EAbort, m.append());
        QCOMPARE(m.recordCount(), 6);
    }

    void guard_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("page");
        QTest::addColumn<QDate>("lockDate");
        QTest::addColumn<QDate>("shownDay");
        QTest::addColumn<QDate>("lineDate");
        QTest::addColumn<int>("lineStyle");
        QTest::addColumn<int>("lineOrigin");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("foreign");
        const QDate lock(2024, 4, 30);
        QTest::newRow("no lock date") << 2 << 2 << QDate() << QDate() << QDate(2000, 1, 1) << 2 << 2 << false << false;
        QTest::newRow("table day locked") << 1 << 2 << lock << lock << QDate(2024, 6, 1) << 1 << 2 << true << false;
        QTest::newRow("table day after") << 1 << 2 << lock << QDate(2024, 5, 1) << QDate(2024, 5, 1) << 1 << 2 << false
                                         << false;
        QTest::newRow("table no day") << 1 << 2 << lock << QDate() << QDate(2024, 6, 1) << 1 << 2 << true << false;
        QTest::newRow("slip line on lock") << 2 << 2 << lock << QDate(2024, 6, 1) << lock << 2 << 2 << true << false;
        QTest::newRow("slip line after") << 2 << 2 << lock << QDate() << QDate(2024, 5, 1) << 2 << 2 << false << false;
        QTest::newRow("receipt in table") << 1 << 2 << QDate() << QDate() << QDate() << 2 << 2 << false << true;
        QTest::newRow("free in table") << 1 << 2 << QDate() << QDate() << QDate() << 7 << 2 << false << true;
        QTest::newRow("income in expense table") << 1 << 2 << QDate() << QDate() << QDate() << 1 << 1 << false << true;
        QTest::newRow("income on transfer") << 3 << 3 << QDate() << QDate() << QDate() << 3 << 1 << false << true;
        QTest::newRow("transfer bill") << 3 << 3 << QDate() << QDate() << QDate() << 3 << 3 << false << false;
        QTest::newRow("receipt in receipt") << 2 << 2 << QDate() << QDate() << QDate() << 2 << 1 << false << false;
    }
    void guard()
    {
        QFETCH(int, style);
        QFETCH(int, page);
        QFETCH(QDate, lockDate);
        QFETCH(QDate, shownDay);
        QFETCH(QDate, lineDate);
        QFETCH(int, lineStyle);
        QFETCH(int, lineOrigin);
        QFETCH(bool, locked);
        QFETCH(bool, foreign);
        TMeisaiClientDataSet &m = book.lines();
        QVERIFY(!m.IsForeignRecord());   // an empty data set
        m.CltDataStyle = 2;
        addLine(m, lineDate, lineStyle, lineOrigin);
        m.CltDataStyle = uint8_t(style);
        m.CltSyuSiIdo = uint8_t(page);
        m.CltLockDate = lockDate;
        m.CltDate = shownDay;
        QCOMPARE(m.IsLockedRecord(), locked);
        QCOMPARE(m.IsForeignRecord(), foreign);
        QCOMPARE(m.IsReadOnlyRecord(), locked || foreign);
    }

    void lockedLinesCannotBeChangedOrDeleted()
    {
        TMeisaiClientDataSet &m = book.lines();
        m.CltDataStyle = 2;
        addLine(m, QDate(2024, 4, 30), 2, 2);
        addLine(m, QDate(2024, 5, 1), 2, 2);
        CurLockDate = QDate(2024, 4, 30);
        CopyLockDate(*book.dm, CurLockDate);
        const QString message = QStringLiteral("ロックされた日付のデータは入力できません。");

        QVERIFY(m.locate("RECDATE", QDate(2024, 4, 30)));
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, message).answer(mrOk, message);
            QVERIFY_THROWS_EXCEPTION(EAbort, m.edit());
            QVERIFY_THROWS_EXCEPTION(EAbort, m.remove());
            QVERIFY(dialogs.done());
        }
        QCOMPARE(m.recordCount(), 2);
        QVERIFY(!m.isEditing());

        // A free line moved onto the lock date is refused and keeps its date.
        QVERIFY(m.locate("RECDATE", QDate(2024, 5, 1)));
        m.edit();
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, message);
            QVERIFY_THROWS_EXCEPTION(EAbort, m.fieldByName("RECDATE")->setText("24/04/29"));
            QVERIFY(dialogs.done());
        }
        QCOMPARE(m.fieldByName("RECDATE")->asDate(), QDate(2024, 5, 1));
        m.cancel();
        m.remove();
        QCOMPARE(m.recordCount(), 1);
    }

    void pickedValues()
    {
        TMeisaiClientDataSet &m = book.lines();
        m.CltSyuSiIdo = 2;
        m.CltOrigin = 2;
        m.CltDataStyle = 1;
        m.CltHimokuCODE = book.food;
        m.CltRecAiteCODE = 100;
        m.CltDate = QDate(2024, 5, 10);
        m.SetAmountField(m.fieldByName("KINGAKU"));
        bool added = false;
        const int bread = SaveHinmeiMaster(*book.dm->HinmeiMstTbl, QStringLiteral("パン"), 2,
                                           Currency::fromDouble(500), 2.0, added);
        QVERIFY(added);
        int sums = 0;
        m.OnNeedCalcSum = [&sums](DataSet &) { ++sums; };

        // A new line takes the item's amount, quantity, tax treatment and name.
        SetMeisaiFieldValue(m.fieldByName("HINMEICODE"), wmAdd, false, false, bread, true, true,
                            QStringLiteral("パン"), QDate(), -1);
        QCOMPARE(m.recordCount(), 1);
        QCOMPARE(m.fieldByName("KINGAKU")->asCurrency(), Currency::fromDouble(500));
        QCOMPARE(m.fieldByName("QUANTITY")->asFloat(), 2.0);
        QCOMPARE(m.fieldByName("ZEIATUKAI")->asInteger(), 2);
        QCOMPARE(m.fieldByName("HinmeiName")->asString(), QStringLiteral("パン"));
        QVERIFY(sums > 0);
        QVERIFY(m.OnNeedCalcSum);   // put back

        // A line whose amount is set keeps it.
        m.edit();
        m.fieldByName("KINGAKU")->setAsCurrency(Currency::fromDouble(120));
        m.fieldByName("QUANTITY")->setAsFloat(1.0);
        m.post();
        SetMeisaiFieldValue(m.fieldByName("HINMEICODE"), wmChange, false, false, bread, false, true,
                            QStringLiteral("パン"), QDate(), 2405);
        QCOMPARE(m.fieldByName("KINGAKU")->asCurrency(), Currency::fromDouble(120));
        QCOMPARE(m.fieldByName("LOOKUPNO")->asInteger(), 2405);

        // A picked date on or before the lock date is refused.
        m.CltLockDate = QDate(2024, 4, 30);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, QStringLiteral("ロックされた日付のデータは入力できません。"));
            SetMeisaiFieldValue(m.fieldByName("RECDATE"), wmChange, false, false, 0, false, false, QString(),
                                QDate(2024, 4, 30), -1);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(m.fieldByName("RECDATE")->asDate(), QDate(2024, 5, 10));
        m.CltLockDate = QDate();

        // All lines: lines of other styles are passed over unless all-lines editing is on.
        m.CltDataStyle = 2;
        m.append();
        m.post();
        m.CltDataStyle = 1;
        SetMeisaiFieldValue(m.fieldByName("ZEIATUKAI"), wmChange, false, true, 1, false, false, QString(),
                            QDate(), -1);
        QList<int> taxes;
        for (m.first(); !m.eof(); m.next())
            taxes << m.fieldByName("ZEIATUKAI")->asInteger();
        QCOMPARE(taxes, (QList<int>{1, 1}));   // the receipt line kept 1 from its defaults
        SetMeisaiFieldValue(m.fieldByName("ZEIATUKAI"), wmChange, false, true, 2, false, false, QString(),
                            QDate(), -1);
        taxes.clear();
        for (m.first(); !m.eof(); m.next())
            taxes << m.fieldByName("STYLE")->asInteger() * 10 + m.fieldByName("ZEIATUKAI")->asInteger();
        QCOMPARE(taxes, (QList<int>{12, 21}));
        m.CltEditAllLines = true;
        SetMeisaiFieldValue(m.fieldByName("ZEIATUKAI"), wmChange, false, true, 0, false, false, QString(),
                            QDate(), -1);
        taxes.clear();
        for (m.first(); !m.eof(); m.next())
            taxes << m.fieldByName("ZEIATUKAI")->asInteger();
        QCOMPARE(taxes, (QList<int>{0, 0}));
    }

    void transferAmountColumns()
    {
        TMeisaiClientDataSet &m = book.lines();
        m.CltSyuSiIdo = 3;
        m.CltOrigin = 3;
        m.CltDataStyle = 1;
        m.CltHimokuCODE = book.bank;
        int changes = 0;
        m.OnFieldChange = [&changes](Field &) { ++changes; };
        m.append();
        m.fieldByName("AiteCode")->setAsInteger(100);
        m.fieldByName("KasiGaku")->setAsCurrency(Currency::fromDouble(50));
        m.fieldByName("KariGaku")->setText("3000");
        QCOMPARE(m.fieldByName("KINGAKU")->asCurrency(), Currency::fromDouble(3000));
        QCOMPARE(m.fieldByName("KARICODE")->asInteger(), book.bank);
        QCOMPARE(m.fieldByName("KASICODE")->asInteger(), 100);
        QVERIFY(m.fieldByName("KasiGaku")->isNull());
        QVERIFY(m.fieldByName("KARISIDE")->isNull());
        // The credit column swaps the sides.
        m.fieldByName("KasiGaku")->setText("200");
        QCOMPARE(m.fieldByName("KARICODE")->asInteger(), 100);
        QCOMPARE(m.fieldByName("KASICODE")->asInteger(), book.bank);
        QVERIFY(m.fieldByName("KariGaku")->isNull());
        QVERIFY(changes >= 2);
        m.post();
    }

    void preparedLinesAreOrdered()
    {
        TMeisaiClientDataSet &m = book.lines();
        m.CltDataStyle = 2;
        m.CltOrigin = 2;
        m.CltSyuSiIdo = 2;
        // (origin, style, gyono) in load order
        const QList<QList<int>> rows{{2, 1, 2}, {2, 1, 1}, {1, 1, 1}, {2, 2, 1}, {2, 5, 1}, {3, 7, 1}};
        for (const QList<int> &r : rows)
            addLine(m, QDate(2024, 5, 1), r[1], r[0], r[2]);
        m.mergeChangeLog();
        PrepareMeisaiLines();
        QList<int> order;
        for (m.first(); !m.eof(); m.next())
            order << m.fieldByName("ORIGIN")->asInteger() * 100 + m.fieldByName("STYLE")->asInteger() * 10
                         + m.fieldByName("GYONO")->asInteger();
        // other origins first, by ORIGIN; then the page's own lines: automatic, receipt, table
        QCOMPARE(order, (QList<int>{111, 371, 251, 221, 211, 212}));
        QCOMPARE(m.changeCount(), 0);
        QVERIFY(!book.dm->BulkEditing && !book.dm->SuspendFieldEvents);
    }

    void dataSetActions()
    {
        TMeisaiClientDataSet &clip = *CopyClt(*book.dm);
        clip.emptyDataSet();
        DataSource source(&clip);
        TDataSetConfirmDelete remove;
        TDataSetUndo undo;
        TDataSetAppend append;
        TDataSetCopy copy;
        for (TDataSetAction *a : std::initializer_list<TDataSetAction *>{&remove, &undo, &append, &copy})
            QVERIFY(!a->isEnabled());   // no target yet
        for (TDataSetAction *a : std::initializer_list<TDataSetAction *>{&remove, &undo, &append, &copy})
            a->setDataSource(&source);
        QVERIFY(!remove.isEnabled() && !copy.isEnabled() && !undo.isEnabled());
        QVERIFY(append.isEnabled());
        append.trigger();
        clip.post();
        QCOMPARE(clip.recordCount(), 1);
        QVERIFY(remove.isEnabled() && copy.isEnabled() && undo.isEnabled());
        {
            DialogQueue dialogs;
            dialogs.answer(mrCancel, QStringLiteral("レコードを削除してもよいですか？"));
            remove.trigger();
            QVERIFY(dialogs.done());
        }
        QCOMPARE(clip.recordCount(), 1);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, QStringLiteral("レコードを削除してもよいですか？"));
            remove.trigger();
            QVERIFY(dialogs.done());
        }
        QCOMPARE(clip.recordCount(), 0);
        QVERIFY(!remove.isEnabled());
        undo.trigger();   // the delete comes back
        QCOMPARE(clip.recordCount(), 1);
        source.setDataSet(nullptr);
        remove.trigger();
        QVERIFY(!remove.isEnabled());
    }
};

QTEST_MAIN(TestMeisaiClt)
#include "tst_meisaiclt.moc"
