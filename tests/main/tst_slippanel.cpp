#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "controls/BevelLabel.h"
#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/ReceiptList.h"
#include "main/SlipPanel.h"
#include "platform/db/Abort.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"

#include <QLabel>

using namespace Qt::StringLiterals;

// New slips, their numbering at the first save, the totals of the lines, the
// header guard and header choices passed on to the lines, on a book from the
// template with the slip list and the slip panel alone.
class TestSlipPanel : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

    static constexpr int Food = 107;     // 食費
    static constexpr int Cash = 100;     // 現金
    static constexpr int Card = 125;     // クレジットカード (pays on the 10th of the next month)
    static constexpr int Bank = 123;     // 普通預金
    std::unique_ptr<TReceiptList> list;
    std::unique_ptr<TSlipPanel> panel;

    Database &db() { return dm->MainDatabase; }
    TMeisaiClientDataSet &lines() { return *MeisaiClt(*dm); }
    TMeisaiClientDataSet &slips() { return *ReceiptClt(*dm); }

    void setMode(uint8_t mode)
    {
        list->SetInputMode(mode);
        panel->ApplyModeCaptions(mode);
    }
    void addLine(int amount, const QString &item = QString())
    {
        TMeisaiClientDataSet &m = lines();
        m.append();
        m["KARICODE"].setAsInteger(Food);
        m["KINGAKU"].setAsCurrency(Currency::fromDouble(amount));
        if (!item.isEmpty())
            m["HinmeiName"].setAsString(item);
        m.post();
    }
    void type(TSlipFieldEdit *box, const QString &text)
    {
        box->setText(text);
        box->setModified(true);
        QVERIFY(box->commit());
    }
    int counter(const QString &name)
    {
        return db().scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = ?"_s, {name}).toInt();
    }
    void setLock(const QDate &date)
    {
        CurLockDate = date;
        CopyLockDate(*dm, date);
    }
    // One journal line of a slip written straight into the book.
    void storedLine(int dataNo, int receiptNo, int gyoNo, const QDate &date, int amount, int style,
                    int lookupNo = 0, int kasi = Cash)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO,GYONO,RECDATE,KINGAKU,QUANTITY,SHOPCODE,HINMEICODE,PERSONCODE,"
                            "KARISIDE,KARICODE,KASICODE,RESERVED,LOOKUPNO,RECEIPTNO,RECKIND,STYLE,ORIGIN,ZEIATUKAI) "
                            "VALUES (?,?,?,?,1,0,0,0,0,?,?,0,?,?,1,?,2,1)"_s);
        const QVariantList values{dataNo, gyoNo, date.toString(Qt::ISODate), amount, Food, kasi, lookupNo,
                                  receiptNo, style};
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values.at(i));
        st.exec();
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
        setLock(QDate());
        IncludeReservedFlag = false;
        MeisaiSaveState = TMeisaiSaveState();
        list = std::make_unique<TReceiptList>();
        panel = std::make_unique<TSlipPanel>(list.get());
        list->SetPageKind(2);
        setMode(2);
        list->ReceiptAiteCode = Cash;
        list->AttachHooks();
        lines().OnNeedCalcSum = [this](DataSet &) { panel->CalcDetailTotals(); };
        // A month long past and none of today's, so "today" never falls inside.
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
    }
    void cleanup()
    {
        if (DatMod && DatMod->MeisaiClt)
            lines().OnNeedCalcSum = nullptr;
        panel.reset();
        list.reset();
        setLock(QDate());
        closePlace();
    }

    // A refused header text stays in its box to be corrected, the field keeps
    // its value, and leaving the box does not raise the refusal again; a
    // corrected text is taken.
    void refusedHeaderTextIsKeptToCorrect()
    {
        QVERIFY(panel->SpBtnNewReceiptClick());
        const QDate before = slips()["RecDate"].asDate();
        TSlipFieldEdit *box = panel->DBEditDate;
        box->setText(u"24/02/30"_s);
        box->setModified(true);
        bool refused = false;
        try {
            box->commit();
        } catch (const std::exception &) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(box->text(), u"24/02/30"_s);
        QVERIFY(box->isModified());
        QCOMPARE(slips()["RecDate"].asDate(), before);

        DialogQueue dialogs; // leaving the box must show nothing
        box->setFocus();
        panel->DBEditShop->setFocus();
        QCOMPARE(box->text(), u"24/02/30"_s);
        QVERIFY(dialogs.done());

        type(box, u"24/02/28"_s);
        QCOMPARE(slips()["RecDate"].asDate(), QDate(2024, 2, 28));
        QCOMPARE(box->text(), slips()["RecDate"].displayText());
    }

    // A new receipt with two lines is saved under one new slip number, its
    // lines numbered 1 and 2, with the header's date and new shop.
    void newReceiptSavedWithOneNumber()
    {
        const int receiptCounter = counter(u"receiptno"_s);
        QVERIFY(panel->SpBtnNewReceiptClick());
        QCOMPARE(slips()["RECEIPTNO"].asInteger(), -1);
        QCOMPARE(slips()["RecDate"].asDate(), QDate(2024, 5, 1));
        QVERIFY(lines().isActive());
        QCOMPARE(lines().recordCount(), 0);
        type(panel->DBEditDate, u"24/05/12"_s);
        type(panel->DBEditShop, u"駅前店"_s);
        addLine(300);
        addLine(200);
        QCOMPARE(lines()["RECDATE"].asDate(), QDate(2024, 5, 12));
        QVERIFY(ApplyMeisaiUpdates());
        list->AfterSlipSaved();

        QCOMPARE(counter(u"receiptno"_s), receiptCounter + 1);
        Statement st(db(), u"SELECT RECEIPTNO, GYONO, STYLE, ORIGIN, RECDATE, SHOPCODE, KASICODE, LOOKUPNO "
                            "FROM Master WHERE STYLE = 2 ORDER BY GYONO"_s);
        QList<int> gyo;
        while (st.next()) {
            gyo << int(st.intValue(1));
            QCOMPARE(int(st.intValue(0)), receiptCounter + 1);
            QCOMPARE(int(st.intValue(2)), 2);
            QCOMPARE(int(st.intValue(3)), 2);
            QCOMPARE(st.textValue(4), u"2024-05-12"_s);
            QCOMPARE(int(st.intValue(6)), Cash);
            QCOMPARE(int(st.intValue(7)), 0);   // receipts keep no month code
            QCOMPARE(db().scalar(u"SELECT NAME FROM ShopMast WHERE CODE = ?"_s, {st.intValue(5)}).toString(),
                     u"駅前店"_s);
        }
        QCOMPARE(gyo, (QList<int>{1, 2}));
        // The list shows the saved slip, numbered, with its sum.
        QCOMPARE(int(slips()["RECEIPTNO"].asInteger()), receiptCounter + 1);
        QCOMPARE(slips()["KINGAKU"].asCurrency(), Currency::fromDouble(500));
        QCOMPARE(lines().CltReceiptNo, receiptCounter + 1);
        QCOMPARE(lines().recordCount(), 2);
        // A second save of the same slip takes no other number.
        lines().first();
        lines().edit();
        lines()["KINGAKU"].setAsCurrency(Currency::fromDouble(350));
        lines().post();
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(counter(u"receiptno"_s), receiptCounter + 1);
        QCOMPARE(db().scalar(u"SELECT COUNT(DISTINCT RECEIPTNO) FROM Master WHERE STYLE = 2"_s).toInt(), 1);
    }

    // A bill gets its number and the month code of the shown month at its
    // first save; choosing the card fills in its payment day and account.
    void newBillGetsNumberAndMonthCode()
    {
        setMode(3);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QVERIFY(panel->SpBtnNewReceiptClick());
        type(panel->DBEditCredit, u"クレジットカード"_s);
        QCOMPARE(slips()["CreditCode"].asInteger(), Card);
        QCOMPARE(lines().CltCreditCODE, Card);
        QCOMPARE(slips()["PayKouza"].asInteger(), Cash);
        QCOMPARE(slips()["PayDate"].asDate().month(), 6);   // the month after May's closing
        lines().CltDate = QDate(2024, 5, 3);
        lines().append();
        lines()["RECDATE"].setAsDate(QDate(2024, 5, 3));
        lines()["KARICODE"].setAsInteger(Food);
        lines()["KINGAKU"].setAsCurrency(Currency::fromDouble(1200));
        lines().post();
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(db().scalar(u"SELECT LOOKUPNO FROM Master WHERE STYLE = 3"_s).toInt(), EncodeMonthCode(2024, 5));
        QCOMPARE(db().scalar(u"SELECT KASICODE FROM Master WHERE STYLE = 3"_s).toInt(), Card);
        QVERIFY(db().scalar(u"SELECT RECEIPTNO FROM Master WHERE STYLE = 3"_s).toInt() > 0);
        QCOMPARE(lines().CltLookupNo, EncodeMonthCode(2024, 5));
    }

    // The totals follow every post and delete of a line, into the labels and
    // the slip row; the tax total counts the consumption-tax lines.
    void totalsFollowTheLines()
    {
        QVERIFY(panel->SpBtnNewReceiptClick());
        addLine(300);
        QCOMPARE(panel->BbLbKarigou->text(), KingakuToStr(Currency::fromDouble(300)));
        addLine(1000);
        addLine(80, u"消費税"_s);
        QCOMPARE(panel->BbLbKarigou->text(), KingakuToStr(Currency::fromDouble(1380)));
        QCOMPARE(panel->BbLbZeiKarigou->text(), KingakuToStr(Currency::fromDouble(80)));
        QCOMPARE(slips()["KINGAKU"].asCurrency(), Currency::fromDouble(1380));
        QCOMPARE(panel->LbMeisaiGoukei->text(), u"明細の合計"_s);
        QVERIFY(lines().locate(u"KINGAKU"_s, QVariant::fromValue(Currency::fromDouble(300))));
        lines().remove();
        QCOMPARE(panel->BbLbKarigou->text(), KingakuToStr(Currency::fromDouble(1080)));
        QCOMPARE(slips()["KINGAKU"].asCurrency(), Currency::fromDouble(1080));
        // Shown among a day's lines in table mode, slip lines count in the
        // amount but not in the tax total.
        const TSlipSums table = TSlipPanel::SumAllLines(lines(), true);
        QCOMPARE(table.Kingaku, Currency::fromDouble(1080));
        QCOMPARE(table.Zei, Currency());
        QCOMPARE(TSlipPanel::SumAllLines(lines(), false).Zei, Currency::fromDouble(80));
    }

    // Moving to another slip saves the new one first; it keeps its number in
    // the list, so coming back shows its lines instead of an empty new slip.
    void slipSavedOnTheWayToAnother()
    {
        Statement st(db(), u"INSERT INTO Master (DATANO,GYONO,RECDATE,KINGAKU,QUANTITY,SHOPCODE,HINMEICODE,PERSONCODE,"
                            "KARISIDE,KARICODE,KASICODE,RESERVED,LOOKUPNO,RECEIPTNO,RECKIND,STYLE,ORIGIN,ZEIATUKAI) "
                            "VALUES (5002,1,'2024-05-20',100,1,0,0,0,0,107,100,0,0,55,1,2,2,1)"_s);
        st.exec();
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QVERIFY(panel->SpBtnNewReceiptClick());
        addLine(250);
        QVERIFY(slips().locate(u"RECEIPTNO"_s, 55));
        QCOMPARE(lines().CltReceiptNo, 55);
        const int saved = db().scalar(u"SELECT RECEIPTNO FROM Master WHERE KINGAKU = 250"_s).toInt();
        QVERIFY(saved > 0 && saved != 55);
        QVERIFY(slips().locate(u"RECEIPTNO"_s, saved));
        QCOMPARE(lines().CltReceiptNo, saved);
        QCOMPARE(lines().recordCount(), 1);
        QCOMPARE(lines()["KINGAKU"].asCurrency(), Currency::fromDouble(250));
    }

    // With rows selected in the detail grid the totals are the selection's and
    // the tax total is hidden; without a selection they are the slip's again.
    void selectionTotals()
    {
        QVERIFY(panel->SpBtnNewReceiptClick());
        addLine(300);
        addLine(1000);
        addLine(80, u"消費税"_s);
        TMyDBGrid grid;
        DataSource source(DatMod->MeisaiClt);
        grid.setDataSource(&source);
        grid.setMultiSelectMode(true);
        panel->setDetailGrid(&grid);
        grid.resize(500, 300);
        grid.show();
        for (int row : {0, 2}) {
            const QRect cell = grid.visualRect(grid.dataModel()->index(row, 0));
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
        }
        QCOMPARE(grid.selectedRows(), (QList<int>{0, 2}));
        const Currency expected = [this] {
            Currency sum;
            for (int recNo : {1, 3}) {
                lines().setRecNo(recNo);
                sum += lines()["KINGAKU"].asCurrency();
            }
            return sum;
        }();
        const TSlipSums sums = panel->CalcDetailTotals();
        QCOMPARE(sums.Kingaku, expected);
        QCOMPARE(panel->LbMeisaiGoukei->text(), u"選択の合計"_s);
        QCOMPARE(panel->BbLbKarigou->text(), KingakuToStr(expected));
        QVERIFY(panel->BbLbZeiKarigou->isHidden());
        // The slip row keeps the sum of all its lines.
        QCOMPARE(slips()["KINGAKU"].asCurrency(), Currency::fromDouble(1380));
        grid.clearSelection();
        panel->CalcDetailTotals();
        QCOMPARE(panel->LbMeisaiGoukei->text(), u"明細の合計"_s);
        QCOMPARE(panel->BbLbKarigou->text(), KingakuToStr(Currency::fromDouble(1380)));
        QVERIFY(!panel->BbLbZeiKarigou->isHidden());
        panel->setDetailGrid(nullptr);
    }

    // A card chosen for a bill brings its payment day and account; a card
    // without a paying account leaves them, one without automatic transfer
    // clears them.
    void cardChoiceAndPaymentDay_data()
    {
        QTest::addColumn<int>("aiteCode");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("paying account") << Cash << 1 << false << false;
        QTest::newRow("no paying account") << 0 << 1 << true << false;
        QTest::newRow("no transfer") << Cash << -1 << false << true;
    }
    void cardChoiceAndPaymentDay()
    {
        QFETCH(int, aiteCode);
        QFETCH(int, cycle);
        QFETCH(bool, kept);
        QFETCH(bool, cleared);
        db().exec(u"UPDATE Himoku SET AITECODE = %1, CYCLE = %2 WHERE CODE = %3"_s.arg(aiteCode).arg(cycle).arg(Card));
        LoadHimokuCaches(db());
        setMode(3);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QVERIFY(panel->SpBtnNewReceiptClick());
        slips().edit();
        slips()["PayDate"].setAsDate(QDate(2024, 6, 1));
        slips()["PayKouza"].setAsInteger(123);
        slips().post();
        type(panel->DBEditCredit, u"クレジットカード"_s);
        if (kept) {
            QCOMPARE(slips()["PayDate"].asDate(), QDate(2024, 6, 1));
            QCOMPARE(slips()["PayKouza"].asInteger(), 123);
        } else if (cleared) {
            QVERIFY(slips()["PayDate"].isNull());
            QVERIFY(slips()["PayKouza"].isNull());
        } else {
            QCOMPARE(slips()["PayDate"].asDate().month(), 6);
            QCOMPARE(slips()["PayDate"].asDate().day() >= 10, true);
            QCOMPARE(slips()["PayKouza"].asInteger(), Cash);
        }
        QCOMPARE(lines().CltCreditCODE, Card);
    }

    // A new slip's date: kept within the shown period, else today when inside,
    // else the period's first day; moved past the lock date unless that would
    // leave the period.
    void newSlipDate_data()
    {
        QTest::addColumn<QDate>("previous");
        QTest::addColumn<QDate>("lock");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("none") << QDate() << QDate() << QDate(2024, 5, 1);
        QTest::newRow("inside kept") << QDate(2024, 5, 15) << QDate() << QDate(2024, 5, 15);
        QTest::newRow("outside") << QDate(2024, 4, 10) << QDate() << QDate(2024, 5, 1);
        QTest::newRow("after the lock") << QDate(2024, 5, 5) << QDate(2024, 5, 10) << QDate(2024, 5, 11);
        QTest::newRow("lock before period") << QDate(2024, 5, 5) << QDate(2024, 4, 30) << QDate(2024, 5, 5);
    }
    void newSlipDate()
    {
        QFETCH(QDate, previous);
        QFETCH(QDate, lock);
        QFETCH(QDate, expected);
        setLock(lock);
        slips().CltDate = previous;
        QVERIFY(panel->SpBtnNewReceiptClick());
        QCOMPARE(slips()["RecDate"].asDate(), expected);
        QCOMPARE(lines().CltDate, expected);
    }

    // A slip dated on or before the lock date shows read-only header boxes.
    void lockedSlipHeaderIsReadOnly()
    {
        Statement st(db(), u"INSERT INTO Master (DATANO,GYONO,RECDATE,KINGAKU,QUANTITY,SHOPCODE,HINMEICODE,PERSONCODE,"
                            "KARISIDE,KARICODE,KASICODE,RESERVED,LOOKUPNO,RECEIPTNO,RECKIND,STYLE,ORIGIN,ZEIATUKAI) "
                            "VALUES (5001,1,'2024-05-03',100,1,0,0,0,0,107,100,0,0,77,1,2,2,1)"_s);
        st.exec();
        setLock(QDate(2024, 5, 3));
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(slips()["RECEIPTNO"].asInteger(), 77);
        QVERIFY(panel->DBEditDate->isReadOnly());
        QVERIFY(panel->DBEditShop->isReadOnly());
        QCOMPARE(panel->DBEditDate->text(), slips()["RecDate"].displayText());
        setLock(QDate(2024, 5, 2));
        panel->SlipAfterScroll();
        QVERIFY(!panel->DBEditDate->isReadOnly());
    }

    // Showing slips only shows their totals: the slip row is not edited and the
    // book not marked as changed; a month without slips shows 0, not the
    // totals of the slip shown before.
    void browsingShowsTotalsOnly()
    {
        storedLine(6001, 61, 1, QDate(2024, 5, 3), 300, 2);
        storedLine(6002, 61, 2, QDate(2024, 5, 3), 200, 2);
        storedLine(6003, 62, 1, QDate(2024, 5, 4), 700, 2);
        DatMod->DataChanged = false;
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(slips()["RECEIPTNO"].asInteger(), 61);
        QCOMPARE(panel->BbLbKarigou->text(), KingakuToStr(Currency::fromDouble(500)));
        QVERIFY(!slips().isEditing());
        QVERIFY(slips().locate(u"RECEIPTNO"_s, 62));
        QCOMPARE(panel->BbLbKarigou->text(), KingakuToStr(Currency::fromDouble(700)));
        QVERIFY(slips().locate(u"RECEIPTNO"_s, 61));
        QVERIFY(!slips().isEditing());
        QVERIFY(!DatMod->DataChanged);

        QVERIFY(list->LoadSlipMonth(2024, 6));
        QCOMPARE(panel->BbLbKarigou->text(), u"0"_s);
        QCOMPARE(panel->BbLbZeiKarigou->text(), u"0"_s);
        QCOMPARE(lines().CltReceiptNo, -1);
    }

    // A card chosen for a bill with a line on or before the lock date is
    // refused as a whole: the lock message, no line changed, the row's card
    // put back and the all-lines flag down again.
    void headerChoiceRefusedOnLockedLine()
    {
        setMode(3);
        const int month = EncodeMonthCode(2024, 5);
        storedLine(6101, 63, 1, QDate(2024, 5, 20), 100, 3, month, Card);
        storedLine(6102, 63, 2, QDate(2024, 5, 2), 200, 3, month, Card);
        setLock(QDate(2024, 5, 10));
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(lines().recordCount(), 2);
        slips().edit();
        slips()["CreditCode"].setAsInteger(Cash);
        DialogQueue dialogs;
        dialogs.answer(mrOk, QString::fromUtf16(kLockedDateMessage));
        QVERIFY(!panel->CopySlipFieldToLines(slips()["CreditCode"]));
        QVERIFY(dialogs.done());
        QCOMPARE(lines().changeCount(), 0);
        QVERIFY(!lines().CltEditAllLines);
        QCOMPARE(slips()["CreditCode"].asInteger(), Card);
        for (lines().first(); !lines().eof(); lines().next())
            QCOMPARE(lines()["KASICODE"].asInteger(), Card);
        // Without the lock the same choice reaches every line.
        setLock(QDate());
        slips().edit();
        slips()["CreditCode"].setAsInteger(Bank);
        QVERIFY(panel->CopySlipFieldToLines(slips()["CreditCode"]));
        QVERIFY(!lines().CltEditAllLines);
        for (lines().first(); !lines().eof(); lines().next())
            QCOMPARE(lines()["KASICODE"].asInteger(), Bank);
    }

    // A date typed into a receipt's header goes to all its lines or to none: a
    // locked line refuses it, and the line before it is taken back too.
    void typedHeaderDateAllLinesOrNone()
    {
        setMode(2);
        storedLine(6111, 65, 1, QDate(2024, 5, 20), 100, 2);
        storedLine(6112, 65, 2, QDate(2024, 5, 2), 200, 2);
        setLock(QDate(2024, 5, 10));
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(lines().recordCount(), 2);
        slips().edit();
        bool refused = false;
        DialogQueue dialogs;
        dialogs.answer(mrOk, QString::fromUtf16(kLockedDateMessage));
        try {
            slips()["RecDate"].setText(u"24/05/25"_s);
        } catch (const EAbort &) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(lines().changeCount(), 0);
        for (lines().first(); !lines().eof(); lines().next())
            QVERIFY(lines()["RECDATE"].asDate() != QDate(2024, 5, 25));
        setLock(QDate());
    }

    // Looking at a bill (which has no date of its own) keeps the date the next
    // new slip starts from.
    void browsingABillKeepsTheNewSlipDate()
    {
        setMode(3);
        storedLine(6201, 64, 1, QDate(2024, 5, 20), 100, 3, EncodeMonthCode(2024, 5), Card);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        slips().CltDate = QDate(2024, 5, 15);
        QVERIFY(list->LoadSlipMonth(2024, 5, -1, -1, true));
        QCOMPARE(lines().CltReceiptNo, 64);
        QCOMPARE(slips().CltDate, QDate(2024, 5, 15));
        QVERIFY(panel->SpBtnNewReceiptClick());
        QCOMPARE(slips().CltDate, QDate(2024, 5, 15));
    }

    // The header box being edited turns a light shade of the selection blue,
    // and white again when left.
    void headerBoxEnterColour()
    {
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(panel->DBEditShop, &in);
        const QColor entered = panel->DBEditShop->palette().color(QPalette::Base);
        QCOMPARE(entered, ShiftColorLuminance(QColor(0xAB, 0xDB, 0xFF), 20));
        QVERIFY(entered.blue() > entered.red());
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(panel->DBEditShop, &out);
        QCOMPARE(panel->DBEditShop->palette().color(QPalette::Base), QColor(Qt::white));
    }

    // A refused save leaves the current slip as it was and appends nothing.
    void refusedSaveStartsNoSlip()
    {
        QVERIFY(panel->SpBtnNewReceiptClick());
        lines().append();
        lines()["KINGAKU"].setAsCurrency(Currency::fromDouble(100));   // no category
        lines().post();
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"費目が未定です。"_s);
        QVERIFY(!panel->SpBtnNewReceiptClick());
        QVERIFY(dialogs.done());
        QCOMPARE(slips().recordCount(), 1);
        QCOMPARE(lines().recordCount(), 1);
    }

    // A click on the empty list or on a header box starts a slip; on a list
    // with slips it does nothing.
    void clickOnEmptyListStartsASlip()
    {
        QVERIFY(!slips().isActive());
        QTest::mouseClick(list->MyDbGridReceipt->viewport(), Qt::LeftButton);
        QVERIFY(slips().isActive());
        QCOMPARE(slips().recordCount(), 1);
        QCOMPARE(slips()["RECEIPTNO"].asInteger(), -1);
        panel->DBEditDateClick();
        QCOMPARE(slips().recordCount(), 1);
    }

    // Enter walks through the header boxes of the mode, then on to the lines.
    void enterWalksTheHeader()
    {
        panel->show();
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        QSignalSpy toGrid(panel.get(), &TSlipPanel::focusDetailGrid);
        panel->DBEditDate->setFocus();
        QTest::keyClick(panel->DBEditDate, Qt::Key_Return);
        QTRY_VERIFY(panel->DBEditShop->hasFocus());
        QTest::keyClick(panel->DBEditShop, Qt::Key_Return);
        QCOMPARE(toGrid.count(), 1);
        setMode(3);
        panel->DBEditCredit->setFocus();
        QTest::keyClick(panel->DBEditCredit, Qt::Key_Return);
        QTRY_VERIFY(panel->DBEditPayDate->hasFocus());
        QTest::keyClick(panel->DBEditPayDate, Qt::Key_Return);
        QTRY_VERIFY(panel->DBEditPayKouza->hasFocus());
        QTest::keyClick(panel->DBEditPayKouza, Qt::Key_Return);
        QCOMPARE(toGrid.count(), 2);
    }

    void captionsPerMode_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("listCaption");
        QTest::newRow("receipt") << 2 << 2 << u"新規レシート"_s << u"レシート入力"_s << u"レシート一覧"_s;
        QTest::newRow("bill") << 2 << 3 << u"新規請求書"_s << u"請求書入力"_s << u"請求書一覧"_s;
        QTest::newRow("income transfer") << 1 << 3 << u"新規伝票"_s << u"口座振込入力"_s << u"伝票一覧"_s;
        QTest::newRow("free") << 2 << 7 << u"新規伝票"_s << u"自由入力"_s << u"伝票一覧"_s;
        QTest::newRow("voucher") << 3 << 8 << u"金券購入"_s << u"金券入力"_s << u"金券一覧"_s;
    }
    void captionsPerMode()
    {
        QFETCH(int, kind);
        QFETCH(int, mode);
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QString, listCaption);
        list->SetPageKind(uint8_t(kind));
        setMode(uint8_t(mode));
        QCOMPARE(panel->SpBtnNewReceipt->text(), button);
        QCOMPARE(panel->LbReceiptTitle->text(), title);
        QCOMPARE(list->LbList->text(), listCaption);
        QCOMPARE(panel->PnlReceiptInfo->isVisibleTo(panel.get()), mode == 2);
        QCOMPARE(panel->PnlCreditInfo->isVisibleTo(panel.get()), mode == 3 || mode == 8);
        QCOMPARE(panel->DBEditPayDate->isVisibleTo(panel.get()), mode == 3 && kind == 2);
    }
};

QTEST_MAIN(TestSlipPanel)
#include "tst_slippanel.moc"
