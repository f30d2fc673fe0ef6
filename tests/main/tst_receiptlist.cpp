#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/FormGetudoChange.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "data/ModalForm.h"
#include "data/Vocabulary.h"
#include "main/ReceiptList.h"
#include "platform/db/Field.h"

#include <QComboBox>
#include <QHeaderView>

using namespace Qt::StringLiterals;

// The slip list on a book from the template: which slips a month lists (by
// closing period for receipts, by month code for the others, scheduled lines
// left out), how each row is completed, loading a slip's lines with its context,
// showing months, and moving a slip to another month.
class TestReceiptList : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

    static constexpr int Food = 107;     // 食費
    static constexpr int Cash = 100;     // 現金
    static constexpr int Bank = 123;     // 普通預金
    static constexpr int Card = 125;     // クレジットカード
    std::unique_ptr<TReceiptList> list;
    int nextDataNo = 1000;

    Database &db() { return dm->MainDatabase; }

    // One journal line written straight into the book.
    void line(int receiptNo, int gyoNo, const QDate &date, int amount, int style, int shop = 0, int lookupNo = 0,
              const QVariant &reserved = 0, int kari = Food, int kasi = Cash, int origin = 2, bool kariSide = false)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO,GYONO,RECDATE,KINGAKU,QUANTITY,SHOPCODE,HINMEICODE,PERSONCODE,"
                           "KARISIDE,KARICODE,KASICODE,RESERVED,LOOKUPNO,RECEIPTNO,RECKIND,STYLE,ORIGIN,ZEIATUKAI) "
                           "VALUES (?,?,?,?,1,?,0,0,?,?,?,?,?,?,1,?,?,1)"_s);
        const QVariantList values{++nextDataNo, gyoNo, date.toString(Qt::ISODate), amount, shop, kariSide ? 1 : 0,
                                  kari, kasi, reserved, lookupNo, receiptNo, style, origin};
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values.at(i));
        st.exec();
    }

    QList<int> listedSlips()
    {
        QList<int> numbers;
        DataSet &r = *DatMod->ReceiptClt;
        if (!r.isActive())
            return numbers;
        const Bookmark mark = r.bookmark();
        auto before = std::exchange(r.BeforeScroll, nullptr);
        auto after = std::exchange(r.AfterScroll, nullptr);
        for (r.first(); !r.eof(); r.next())
            numbers << int(r["RECEIPTNO"].asInteger());
        r.gotoBookmark(mark);
        r.BeforeScroll = before;
        r.AfterScroll = after;
        return numbers;
    }

    QVariant slipValue(int receiptNo, const QString &field)
    {
        return DatMod->ReceiptClt->lookup(u"RECEIPTNO"_s, receiptNo, field);
    }

private slots:
    void init()
    {
        openPlace([](TDatMod &d) {
            d.OnCheckHolidays = [] {};
            InstallTableEvents(d);
        });
        QString folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        QVERIFY(dm->OpenBook(u"家計簿"_s, folder));
        QVERIFY(dm->DataOpen);
        CurLockDate = QDate();
        CopyLockDate(*dm, QDate());
        IncludeReservedFlag = false;
        MeisaiSaveState = TMeisaiSaveState();
        list = std::make_unique<TReceiptList>();
        list->SetPageKind(2);
        list->SetInputMode(2);
        list->ReceiptAiteCode = Cash;
        list->AttachHooks();
    }
    void cleanup()
    {
        list.reset();
        CurLockDate = QDate();
        IncludeReservedFlag = false;
        closePlace();
    }

    // Receipts belong to the closing period of the page's period code: with the
    // expense side closing on the 20th, a receipt of the 21st is next month's.
    void receiptsByClosingPeriod()
    {
        db().exec(u"UPDATE Himoku SET SIMEBI = 20 WHERE CODE = 2"_s);
        LoadHimokuCaches(db());
        line(1, 1, QDate(2024, 4, 21), 300, 2, 101);   // first day of May's period
        line(1, 2, QDate(2024, 4, 21), 200, 2, 101);
        line(2, 1, QDate(2024, 5, 20), 500, 2, 0);     // last day
        line(3, 1, QDate(2024, 5, 21), 700, 2, 0);     // June's
        line(4, 1, QDate(2024, 5, 10), 900, 2, 0, 0, 1);        // scheduled only
        line(5, 1, QDate(2024, 5, 11), 100, 2, 0, 0, QVariant()); // empty RESERVED is booked
        line(6, 1, QDate(2024, 5, 12), 100, 3, 0, EncodeMonthCode(2024, 5), 0, Food, Card); // a bill
        line(7, 1, QDate(2024, 5, 13), 100, 2, 0, 0, 0, 101, Cash, 1);   // the income page's
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(list->PeriodStart, QDate(2024, 4, 21));
        QCOMPARE(list->PeriodEnd, QDate(2024, 5, 20));
        QCOMPARE(listedSlips(), (QList<int>{1, 5, 2}));   // by date
        QCOMPARE(slipValue(1, u"KINGAKU"_s).value<Currency>(), Currency::fromDouble(500));
        QCOMPARE(slipValue(1, u"RecDate"_s).toDate(), QDate(2024, 4, 21));
        QCOMPARE(slipValue(1, u"ShopCode"_s).toInt(), 101);
        QVERIFY(!slipValue(1, u"ShopName"_s).toString().isEmpty());
        QCOMPARE(DatMod->ReceiptClt->changeCount(), 0);   // completing rows is no edit
        QVERIFY(list->LoadSlipMonth(2024, 6));
        QCOMPARE(listedSlips(), QList<int>{3});
        IncludeReservedFlag = true;
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(listedSlips(), (QList<int>{1, 4, 5, 2}));
    }

    // Bills are listed by month code whatever their dates, with the payment
    // day and account of their withdrawal line when they have one.
    void billsByMonthCode()
    {
        list->SetInputMode(3);
        const int may = EncodeMonthCode(2024, 5);
        line(10, 1, QDate(2024, 3, 2), 1000, 3, 0, may, 0, Food, Card);
        line(10, 2, QDate(2024, 3, 3), 500, 3, 0, may, 0, Food, Card);
        line(10, 3, QDate(2024, 6, 10), 1500, 6, 0, may, 0, Card, Bank, 3, true);   // withdrawal
        line(11, 1, QDate(2024, 5, 5), 800, 3, 0, may, 0, Food, Card);               // no withdrawal
        line(12, 1, QDate(2024, 5, 5), 800, 3, 0, EncodeMonthCode(2024, 6), 0, Food, Card);
        line(13, 1, QDate(2024, 5, 5), 800, 7, 0, may, 0, Food, Cash);               // a free slip
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(listedSlips(), (QList<int>{10, 11}));
        QCOMPARE(slipValue(10, u"KINGAKU"_s).value<Currency>(), Currency::fromDouble(1500));
        QCOMPARE(slipValue(10, u"PayDate"_s).toDate(), QDate(2024, 6, 10));
        QCOMPARE(slipValue(10, u"CreditCode"_s).toInt(), Card);
        QCOMPARE(slipValue(10, u"PayKouza"_s).toInt(), Bank);
        QCOMPARE(slipValue(10, u"LookupNo"_s).toInt(), may);
        QVERIFY(!slipValue(11, u"PayDate"_s).isValid() || slipValue(11, u"PayDate"_s).isNull());
        QCOMPARE(slipValue(11, u"CreditCode"_s).toInt(), Card);
        list->SetInputMode(7);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(listedSlips(), QList<int>{13});
    }

    // On the transfer page a bill without a withdrawal line takes its account
    // from its own line; a free slip has no account.
    void transferPageBillAccount()
    {
        list->SetPageKind(3);
        list->SetInputMode(3);
        const int may = EncodeMonthCode(2024, 5);
        line(60, 1, QDate(2024, 5, 2), 700, 3, 0, may, 0, Card, Bank, 3, true);
        line(61, 1, QDate(2024, 5, 2), 400, 3, 0, may, 0, Bank, Card, 3, false);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(listedSlips(), (QList<int>{60, 61}));
        QCOMPARE(slipValue(60, u"CreditCode"_s).toInt(), Card);
        QCOMPARE(slipValue(61, u"CreditCode"_s).toInt(), Card);
        QVERIFY(slipValue(60, u"PayDate"_s).isNull());
        list->SetPageKind(2);
        list->SetInputMode(7);
        line(62, 1, QDate(2024, 5, 2), 400, 7, 0, may);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(listedSlips(), QList<int>{62});
        QVERIFY(slipValue(62, u"CreditCode"_s).isNull());
        QCOMPARE(MeisaiClt(*dm)->CltCreditCODE, -1);
        QCOMPARE(MeisaiClt(*dm)->CltLookupNo, may);
    }

    // Every list query reads the month through an index of the journal, never
    // the whole table.
    void listQueriesUseTheIndexes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("receipts") << 2;
        QTest::newRow("bills") << 3;
        QTest::newRow("free slips") << 7;
    }
    void listQueriesUseTheIndexes()
    {
        QFETCH(int, mode);
        list->SetInputMode(uint8_t(mode));
        list->ShownYear = 2024;
        list->ShownMonth = 5;
        list->CalcPeriod(2);
        Statement plan(db(), u"EXPLAIN QUERY PLAN "_s + list->BuildSlipListSql());
        QStringList steps;
        while (plan.next())
            steps << plan.textValue(plan.columnCount() - 1);
        const QString text = steps.join(u" | "_s);
        QVERIFY2(text.contains(u"SEARCH TABLE Master USING INDEX Master_"_s), qPrintable(text));
        const QString lines = list->BuildSlipLinesSql();
        Statement linePlan(db(), u"EXPLAIN QUERY PLAN "_s + lines);
        QStringList lineSteps;
        while (linePlan.next())
            lineSteps << linePlan.textValue(linePlan.columnCount() - 1);
        QVERIFY2(lineSteps.join(u" "_s).contains(u"Master_RECEIPTNO"_s), qPrintable(lineSteps.join(u" "_s)));
    }

    // Choosing a slip loads only its lines, in line order, with the slip's
    // context in the journal data set.
    void choosingASlipLoadsItsLines()
    {
        line(21, 2, QDate(2024, 5, 3), 200, 2, 101);
        line(21, 1, QDate(2024, 5, 3), 100, 2, 101);
        line(22, 1, QDate(2024, 5, 4), 400, 2, 0);
        QSignalSpy loaded(list.get(), &TReceiptList::slipLinesLoaded);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        TMeisaiClientDataSet &m = *MeisaiClt(*dm);
        QVERIFY(m.isActive());
        QCOMPARE(m.CltReceiptNo, 21);
        QCOMPARE(m.recordCount(), 2);
        QCOMPARE(m["GYONO"].asInteger(), 1);
        QCOMPARE(m.CltShopCODE, 101);
        QCOMPARE(m.CltDate, QDate(2024, 5, 3));
        QCOMPARE(m.CltLookupNo, -1);
        QCOMPARE(m.CltRecAiteCODE, Cash);
        // A move in the list loads the other slip.
        QVERIFY(DatMod->ReceiptClt->locate(u"RECEIPTNO"_s, 22));
        QCOMPARE(m.CltReceiptNo, 22);
        QCOMPARE(m.recordCount(), 1);
        QCOMPARE(m["KINGAKU"].asCurrency(), Currency::fromDouble(400));
        QVERIFY(loaded.count() >= 2);
        // A line asked for is found among its slip's lines.
        const int dataNo = int(db().scalar(u"SELECT DATANO FROM Master WHERE RECEIPTNO = 21 AND GYONO = 2"_s).toInt());
        QVERIFY(list->LoadSlipMonth(2024, 5, dataNo, 21, true));
        QCOMPARE(m["DATANO"].asInteger(), dataNo);
        QVERIFY(!list->LoadSlipMonth(2024, 5, 999999, 21, true));
    }

    void showingMonths()
    {
        line(31, 1, QDate(2024, 5, 3), 100, 2);
        QSignalSpy months(list.get(), &TReceiptList::shownMonthChanged);
        QVERIFY(list->LoadSlipMonth(2024, 5));
        QCOMPARE(months.count(), 1);
        // The same month again does nothing, not even a reload.
        QVERIFY(list->LoadSlipMonth(2024, 5));
        QCOMPARE(months.count(), 1);
        // An impossible month leaves the page as it was.
        QVERIFY(!list->LoadSlipMonth(2024, 13));
        QVERIFY(!list->LoadSlipMonth(0, 5));
        QCOMPARE(list->ShownYear, uint16_t(2024));
        QCOMPARE(list->ShownMonth, uint16_t(5));
        QCOMPARE(listedSlips(), QList<int>{31});
        // A month without slips closes both data sets.
        QVERIFY(list->LoadSlipMonth(2024, 7));
        QVERIFY(!DatMod->ReceiptClt->isActive());
        QVERIFY(!DatMod->MeisaiClt->isActive());
    }

    // The month change moves a bill to another month: the list follows it there.
    void monthChangeOfASlip()
    {
        list->SetInputMode(3);
        line(41, 1, QDate(2024, 5, 3), 100, 3, 0, EncodeMonthCode(2024, 5), 0, Food, Card);
        line(41, 2, QDate(2024, 5, 3), 100, 3, 0, EncodeMonthCode(2024, 5), 0, Food, Card);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QVERIFY(list->DataSetGetudoUpdate());
        QString shownSlip;
        ModalForms::push([&shownSlip](QDialog &d) {
            auto &f = dynamic_cast<TFormGetudoChange &>(d);
            shownSlip = f.LbReceiptNo->text();
            f.CmbBoxMonth->setCurrentIndex(f.CmbBoxMonth->findText(u"6"_s));
            f.FrBtnExecuteClick();
            return int(mrOk);
        });
        list->DataSetGetudoExecute();
        QVERIFY(shownSlip.contains(u"41"_s));
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Master WHERE RECEIPTNO = 41 AND LOOKUPNO = ?"_s,
                             {EncodeMonthCode(2024, 6)}).toInt(), 2);
        QCOMPARE(list->ShownMonth, uint16_t(6));
        QCOMPARE(listedSlips(), QList<int>{41});
        // With unsaved lines the action is off.
        TMeisaiClientDataSet &m = *MeisaiClt(*dm);
        m.edit();
        m["KINGAKU"].setAsCurrency(Currency::fromDouble(150));
        m.post();
        QVERIFY(!list->DataSetGetudoUpdate());
        m.cancelUpdates();
    }

    // The month-change button is usable exactly while the action is: a saved
    // slip shown with its lines, nothing being edited or waiting to be saved.
    void monthChangeButtonFollowsTheState()
    {
        list->SetInputMode(3);
        line(42, 1, QDate(2024, 5, 3), 100, 3, 0, EncodeMonthCode(2024, 5), 0, Food, Card);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QVERIFY(list->FrBtnGetudo->isEnabled());
        TMeisaiClientDataSet &m = *MeisaiClt(*dm);
        m.edit();
        m["KINGAKU"].setAsCurrency(Currency::fromDouble(150));
        QVERIFY(!list->FrBtnGetudo->isEnabled());
        m.post();
        QVERIFY(!list->FrBtnGetudo->isEnabled());
        m.cancelUpdates();
        QVERIFY(list->FrBtnGetudo->isEnabled());
        QVERIFY(list->LoadSlipMonth(2024, 7));   // no slips
        QVERIFY(!list->FrBtnGetudo->isEnabled());
        QVERIFY(list->LoadSlipMonth(2024, 5));
        QVERIFY(list->FrBtnGetudo->isEnabled());
    }

    // The filler column after the shown ones takes what room they leave, in
    // every mode, as the list is resized and as the user widens a column;
    // with no room left it keeps a plain column's width.
    void fillerColumnTakesTheRoomLeft()
    {
        TMyDBGrid *grid = list->MyDbGridReceipt;
        list->resize(500, 300);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        auto filler = [grid] {
            int found = -1;
            for (int i = 0; i < grid->columnCount(); ++i)
                if (!grid->isColumnHidden(i) && grid->column(i).fieldName.isEmpty())
                    found = i;
            return found;
        };
        auto shownWidth = [grid] {
            int sum = 0;
            for (int i = 0; i < grid->columnCount(); ++i)
                if (!grid->isColumnHidden(i))
                    sum += grid->columnWidth(i);
            return sum;
        };
        line(1, 1, QDate(2024, 5, 10), 300, 2, 101);
        line(2, 1, QDate(2024, 5, 12), 100, 3, 0, EncodeMonthCode(2024, 5), 0, Food, Card);
        for (int mode : {2, 3}) {
            list->SetInputMode(uint8_t(mode));
            QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
            QVERIFY(filler() >= 0);
            QCOMPARE(filler(), grid->columnCount() - 1);
            QCOMPARE(shownWidth(), grid->viewport()->width());
        }
        list->resize(700, 300);
        QTRY_COMPARE(shownWidth(), grid->viewport()->width());
        const int before = grid->columnWidth(filler());
        int first = 0;
        while (grid->isColumnHidden(first))
            ++first;
        grid->horizontalHeader()->resizeSection(first, grid->columnWidth(first) + 40);
        QCOMPARE(grid->columnWidth(filler()), before - 40);
        QCOMPARE(shownWidth(), grid->viewport()->width());
        grid->horizontalHeader()->resizeSection(first, grid->viewport()->width() + 100);
        QCOMPARE(grid->columnWidth(filler()), grid->horizontalHeader()->defaultSectionSize());
    }
};

QTEST_MAIN(TestReceiptList)
#include "tst_receiptlist.moc"
