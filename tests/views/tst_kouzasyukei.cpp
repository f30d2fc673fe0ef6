#include <QtTest>

#include <QDateEdit>
#include <QMenu>
#include <QTableView>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "controls/CurrencyGrid.h"
#include "controls/FloatEdit.h"
#include "controls/FrameBtn.h"
#include <QLineSeries>
#include "data/HimokuCache.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "views/FormZandaka.h"
#include "views/FrameKouzaSyukei.h"
#include "views/KouzaRegister.h"
#include "views/KouzaSyukeiData.h"

using namespace Qt::StringLiterals;

namespace {

// The template's accounts and categories.
enum Code { Cash = 100, Bank = 123, Postal = 124, Card = 125, EMoney = 126, Salary = 101, Extra = 105, Food = 107,
            Goods = 108 };

Currency yen(qint64 v) { return Currency::fromInt(v); }

} // namespace

// A book from the shipped template with these lines, worked out by hand
// (fiscal year = calendar year; 現金 opens with 5,000, 普通預金 with 100,000):
//   25-12-31  1,000   現金 / 臨時収入      (the previous fiscal year)
//   26-01-10  300,000 普通預金 / 給与
//   26-01-15  20,000  現金 / 普通預金      (a withdrawal)
//   26-01-20  3,000   食費 / 現金
//   26-01-25  8,000   食費 / カード         (card closes on the 15th, pays on the 10th)
//   26-02-10  8,000   カード / 普通預金     (the card's bill paid)
//   26-02-12  5,000   電子マネー / 現金     (a voucher bought)
//   26-02-13  1,200   食費 / 電子マネー     (and used)
//   26-02-20  999     食費 / 現金, scheduled
//   26-03-05  2,000   日用品 / 普通預金
class TestKouzaSyukei : public QObject, public BookFixture::BookPlace
{
    Q_OBJECT

    int nextDataNo = 1000;
    Database &db() { return dm->MainDatabase; }

    void addLine(const QString &date, qint64 amount, int kari, int kasi, int reserved = 0, int hinmei = 0)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, HINMEICODE, KARICODE, "
                           "KASICODE, RESERVED, STYLE, ORIGIN, RECKIND) VALUES (?, 0, ?, ?, 1, ?, ?, ?, ?, 1, 2, 1)"_s);
        st.bind(1, ++nextDataNo);
        st.bind(2, date);
        st.bind(3, double(amount));
        st.bind(4, hinmei);
        st.bind(5, kari);
        st.bind(6, kasi);
        st.bind(7, reserved);
        st.exec();
    }

    TKouzaSyukeiData compute(int view, int kind, const QDate &date, bool getudo = false)
    {
        TKouzaSyukeiData d;
        d.View = view;
        d.RegisterKind = kind;
        d.GetudoMode = getudo;
        d.GaiyoDate = date;
        d.SearchDate = date;
        d.IncludeReserved = IncludeReservedFlag;
        d.Recalculate(db());
        return d;
    }

    const TKouzaData &item(const TKouzaSyukeiData &d, int code)
    {
        const int i = d.ItemIndexOf(code);
        if (i < 0)
            qFatal("code %d not listed", code);
        return d.Items[i];
    }

private slots:
    void init()
    {
        openPlace();
        const QString folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        QVERIFY(dm->DataOpen);
        db().exec(u"UPDATE Himoku SET SYOKIZAN = 5000 WHERE CODE = 100"_s);
        db().exec(u"UPDATE Himoku SET SYOKIZAN = 100000 WHERE CODE = 123"_s);
        addLine(u"2025-12-31"_s, 1000, Cash, Extra);
        addLine(u"2026-01-10"_s, 300000, Bank, Salary);
        addLine(u"2026-01-15"_s, 20000, Cash, Bank);
        addLine(u"2026-01-20"_s, 3000, Food, Cash);
        addLine(u"2026-01-25"_s, 8000, Food, Card);
        addLine(u"2026-02-10"_s, 8000, Card, Bank);
        addLine(u"2026-02-12"_s, 5000, EMoney, Cash);
        addLine(u"2026-02-13"_s, 1200, Food, EMoney);
        addLine(u"2026-02-20"_s, 999, Food, Cash, 1);
        addLine(u"2026-03-05"_s, 2000, Goods, Bank);
        LoadHimokuCaches(db());
        LoadHolidayList(db());
        IncludeReservedFlag = false;
        CurLockDate = QDate();
        CurSimeTuki = 12;
        CurShiftNendo = 0;
    }

    void cleanup()
    {
        CurLockDate = QDate();
        closePlace();
    }

    // The asset overview's balances on a totals date and over every line.
    void accountBalances_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("reserved");
        QTest::addColumn<int>("code");
        QTest::addColumn<qint64>("onDate");
        QTest::addColumn<qint64>("all");
        const QDate feb15(2026, 2, 15), jan31(2026, 1, 31);
        QTest::newRow("cash") << feb15 << false << int(Cash) << 18000LL << 18000LL;
        QTest::newRow("cash with the scheduled line") << QDate(2026, 2, 20) << true << int(Cash) << 17001LL
                                                      << 17001LL;
        QTest::newRow("bank, a later line counts only in all") << feb15 << false << int(Bank) << 372000LL
                                                               << 370000LL;
        QTest::newRow("card owes its use until paid") << jan31 << false << int(Card) << 8000LL << 0LL;
        QTest::newRow("card paid") << feb15 << false << int(Card) << 0LL << 0LL;
        QTest::newRow("voucher bought and used") << feb15 << false << int(EMoney) << 3800LL << 3800LL;
        QTest::newRow("a line on the totals date counts") << QDate(2026, 1, 10) << false << int(Bank) << 400000LL
                                                          << 370000LL;
        QTest::newRow("opening balance alone") << QDate(2025, 1, 1) << false << int(Bank) << 100000LL << 370000LL;
    }
    void accountBalances()
    {
        QFETCH(QDate, date);
        QFETCH(bool, reserved);
        QFETCH(int, code);
        QFETCH(qint64, onDate);
        QFETCH(qint64, all);
        IncludeReservedFlag = reserved;
        const TKouzaSyukeiData d = compute(0, 0, date);
        QCOMPARE(item(d, code).GaiyoZan, yen(onDate));
        QCOMPARE(item(d, code).ZenbuZan, yen(all));
    }

    // Net worth and the class sums of the overview agree with the accounts.
    void netWorthAndClasses()
    {
        const TKouzaSyukeiData d = compute(0, 0, QDate(2026, 2, 15));
        Currency assets, debts;
        for (const TKouzaData &k : d.Items)
            (k.Karigata ? assets : debts) += k.GaiyoZan;
        QCOMPARE(assets - debts, yen(393800));
        QCOMPARE(d.Classes[d.ClassIndexOf(5)].GaiyoZan, yen(372000)); // 銀行
        QCOMPARE(d.Classes[d.ClassIndexOf(9)].Count, 1);
    }

    // Income and expense count from the start of the fiscal year.
    void incomeAndExpense()
    {
        const TKouzaSyukeiData d = compute(1, 5, QDate(2026, 2, 15));
        QCOMPARE(item(d, Salary).GaiyoZan, yen(300000));
        QCOMPARE(item(d, Extra).GaiyoZan, yen(0)); // booked in the year before
        QCOMPARE(item(d, Food).GaiyoZan, yen(12200));
        QCOMPARE(item(d, Goods).GaiyoZan, yen(0));
        QCOMPARE(item(d, Goods).ZenbuZan, yen(2000));
        QVERIFY(d.ItemIndexOf(Bank) < 0);
    }

    // The account detail of an accounting month: the card closes on the 15th,
    // the bank at the month's end.
    void accountDetail_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<qint64>("zengetu");
        QTest::addColumn<qint64>("nyukin");
        QTest::addColumn<qint64>("syukkin");
        QTest::addColumn<qint64>("getumatu");
        QTest::addColumn<qint64>("yokugetu");
        QTest::newRow("card") << int(Card) << QDate(2026, 1, 16) << 0LL << 8000LL << 8000LL << 0LL << 0LL;
        QTest::newRow("bank") << int(Bank) << QDate(2026, 2, 1) << 380000LL << 0LL << 8000LL << 372000LL << -2000LL;
        QTest::newRow("cash") << int(Cash) << QDate(2026, 2, 1) << 23000LL << 0LL << 5000LL << 18000LL << 0LL;
    }
    void accountDetail()
    {
        QFETCH(int, code);
        QFETCH(QDate, start);
        QFETCH(qint64, zengetu);
        QFETCH(qint64, nyukin);
        QFETCH(qint64, syukkin);
        QFETCH(qint64, getumatu);
        QFETCH(qint64, yokugetu);
        TKouzaSyukeiData d;
        d.View = 2;
        d.RegisterKind = 1;
        d.GetudoMode = true;
        d.Nendo = 2026;
        d.Getudo = 2;
        d.Recalculate(db());
        const TKouzaData &k = item(d, code);
        QCOMPARE(k.StartDate, start);
        QCOMPARE(k.ZengetuZan, yen(zengetu));
        QCOMPARE(k.NyukinGaku, yen(nyukin));
        QCOMPARE(k.SyukkinGaku, yen(syukkin));
        QCOMPARE(k.GetumatuZan, yen(getumatu));
        QCOMPARE(k.YokugetuGaku, yen(yokugetu));
    }

    // Registers of February (calendar months): starting balance, running
    // balance after the last line, the two totals and the labels' side.
    void registers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index"); // a code for kinds 1 and 5, a major class for 2 and 4
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<qint64>("in");
        QTest::addColumn<qint64>("out");
        QTest::addColumn<bool>("debitSide");
        QTest::newRow("bank") << 1 << int(Bank) << 380000LL << 372000LL << 0LL << 8000LL << true;
        QTest::newRow("card, a liability") << 1 << int(Card) << 8000LL << 0LL << 8000LL << 0LL << false;
        QTest::newRow("net worth: transfers change nothing") << 3 << 0 << 395000LL << 393800LL << 0LL << 1200LL
                                                             << true;
        QTest::newRow("all assets: transfers between them") << 2 << 3 << 403000LL << 393800LL << 0LL << 9200LL
                                                            << true;
        QTest::newRow("year's result: an expense on the 入金 side") << 6 << 0 << 289000LL << 287800LL << 1200LL
                                                                     << 0LL << false;
    }
    void registers()
    {
        QFETCH(int, kind);
        QFETCH(int, index);
        QFETCH(qint64, start);
        QFETCH(qint64, end);
        QFETCH(qint64, in);
        QFETCH(qint64, out);
        QFETCH(bool, debitSide);
        const int view = kind >= 4 ? 1 : 0;
        const TKouzaSyukeiData d = compute(view, kind == 1 ? 0 : kind, QDate(2026, 2, 15));
        const int at = kind == 1 || kind == 5 ? d.ItemIndexOf(index) : index;
        TRegisterSubject s;
        QString title;
        int nendo = 0, getudo = 0, bu1 = 0;
        QVERIFY(d.MakeSubject(kind, at, true, s, title, nendo, getudo, bu1));
        TKouzaRegister reg;
        reg.Open(db(), s);
        QCOMPARE(s.start, QDate(2026, 2, 1));
        QCOMPARE(s.startBalance, yen(start));
        QVERIFY(reg.rowCount() >= 1);
        QCOMPARE(reg.Rows().first().DataNo, 0); // the sentinel line leads
        QCOMPARE(reg.Rows().last().Balance, yen(end));
        QCOMPARE(reg.EndBalance(), yen(end));
        QCOMPARE(reg.NyukinTotal(), yen(in));
        QCOMPARE(reg.SyukkinTotal(), yen(out));
        QCOMPARE(s.growsOnDebit, debitSide);
    }

    // The running balance, the day marks and the chart's days of one register.
    void runningBalanceAndChart()
    {
        addLine(u"2026-02-12"_s, 700, Food, Cash);
        const TKouzaSyukeiData d = compute(0, 0, QDate(2026, 2, 15));
        TRegisterSubject s;
        QString title;
        int nendo = 0, getudo = 0, bu1 = 0;
        QVERIFY(d.MakeSubject(1, d.ItemIndexOf(Cash), true, s, title, nendo, getudo, bu1));
        TKouzaRegister reg;
        reg.Open(db(), s);
        // sentinel, 02-12 5,000 out, 02-12 700 out
        QCOMPARE(reg.rowCount(), 3);
        const auto &rows = reg.Rows();
        QCOMPARE(rows[1].Balance, yen(18000));
        QCOMPARE(rows[2].Balance, yen(17300));
        QVERIFY(rows[1].FirstOfDate && !rows[1].LastOfDate);
        QVERIFY(!rows[2].FirstOfDate && rows[2].LastOfDate);
        QCOMPARE(reg.data(reg.index(1, TKouzaRegister::ColKasiGaku)).toString(), u"5,000"_s);
        QVERIFY(reg.data(reg.index(1, TKouzaRegister::ColKariGaku)).toString().isEmpty());
        QCOMPARE(reg.data(reg.index(1, TKouzaRegister::ColKasi)).toString(), u"現金"_s);
        QCOMPARE(reg.RowOnOrBefore(QDate(2026, 2, 15)), 2);
        QCOMPARE(reg.RowOnOrBefore(QDate(2026, 2, 1)), 0);

        const QList<TChartDay> days = reg.ChartDays();
        QCOMPARE(days.size(), 29); // Jan 31 to Feb 28
        QCOMPARE(days[0].Balance, yen(23000));
        QCOMPARE(days[11].Balance, yen(23000)); // Feb 11
        QCOMPARE(days[12].Balance, yen(17300)); // Feb 12, the day's last balance
        QCOMPARE(days[28].Balance, yen(17300));
    }

    // An item-name condition limits the lines; opening balances stay.
    void conditionLimitsLines()
    {
        addLine(u"2026-02-01"_s, 400, Food, Cash, 0, 5);
        TKouzaSyukeiData d;
        d.GaiyoDate = QDate(2026, 2, 15);
        d.GetudoMode = false;
        d.ConditionSql = u"(HINMEICODE = 5)"_s;
        d.Recalculate(db());
        QCOMPARE(item(d, Cash).GaiyoZan, yen(4600));
        QCOMPARE(item(d, Bank).GaiyoZan, yen(100000));
    }

    // The balance adjustment: the line it books, its merge into the day's
    // adjustment line, its rounding and its refusals.
    void adjustment_data()
    {
        QTest::addColumn<int>("account");
        QTest::addColumn<int>("category");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("kari");
        QTest::addColumn<int>("kasi");
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<int>("origin");
        const QDate feb15(2026, 2, 15);
        QTest::newRow("bank lower: expense") << int(Bank) << int(Food) << feb15 << u"371000"_s << int(Food)
                                             << int(Bank) << 1000LL << 2;
        QTest::newRow("bank higher: income") << int(Bank) << int(Salary) << feb15 << u"373000"_s << int(Bank)
                                             << int(Salary) << 1000LL << 1;
        QTest::newRow("bank higher with expense: negative") << int(Bank) << int(Food) << feb15 << u"373000"_s
                                                            << int(Food) << int(Bank) << -1000LL << 2;
        QTest::newRow("card owes more: expense on it") << int(Card) << int(Food) << QDate(2026, 1, 31) << u"9000"_s
                                                       << int(Food) << int(Card) << 1000LL << 2;
        QTest::newRow("a fraction is rounded to whole yen") << int(Bank) << int(Food) << feb15 << u"371000.4"_s
                                                            << int(Food) << int(Bank) << 1000LL << 2;
    }
    void adjustment()
    {
        QFETCH(int, account);
        QFETCH(int, category);
        QFETCH(QDate, date);
        QFETCH(QString, typed);
        QFETCH(int, kari);
        QFETCH(int, kasi);
        QFETCH(qint64, amount);
        QFETCH(int, origin);
        const TKouzaSyukeiData before = compute(0, 0, date);
        TFormZandaka form;
        form.KouzaCode = account;
        form.KouzaName = item(before, account).Name;
        form.BaseDate = date;
        form.NowBalance = item(before, account).GaiyoZan;
        QVERIFY(form.Prepare());
        QCOMPARE(form.CmbTyouSei->findData(account), -1);
        form.CmbTyouSei->setCurrentIndex(form.CmbTyouSei->findData(category));
        form.FltEditAfter->setText(typed);
        form.FltEditAfter->acceptText();
        QVERIFY(form.Execute());
        QCOMPARE(form.result(), int(QDialog::Accepted));

        Statement st(db(), u"SELECT KARICODE, KASICODE, KINGAKU, ORIGIN, HINMEICODE, RECDATE FROM Master "
                           "WHERE HINMEICODE = 5"_s);
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), kari);
        QCOMPARE(int(st.intValue(1)), kasi);
        QCOMPARE(Currency::fromDouble(st.doubleValue(2)), yen(amount));
        QCOMPARE(int(st.intValue(3)), origin);
        QCOMPARE(st.textValue(5), date.toString(Qt::ISODate));
        QVERIFY(!st.next());
        QVERIFY(dm->DataChanged);
        // The balance is now the typed one, rounded to the book's yen.
        const TKouzaSyukeiData after = compute(0, 0, date);
        QCOMPARE(after.Items[after.ItemIndexOf(account)].GaiyoZan,
                 Currency::fromString(typed).rounded(0));
    }

    void secondAdjustmentMergesIntoTheDaysLine()
    {
        const QDate day(2026, 2, 15);
        for (const char *typed : {"371000", "370500"}) {
            const TKouzaSyukeiData d = compute(0, 0, day);
            TFormZandaka form;
            form.KouzaCode = Bank;
            form.BaseDate = day;
            form.NowBalance = item(d, Bank).GaiyoZan;
            QVERIFY(form.Prepare());
            form.CmbTyouSei->setCurrentIndex(form.CmbTyouSei->findData(int(Food)));
            form.FltEditAfter->setText(QString::fromLatin1(typed));
            form.FltEditAfter->acceptText();
            QVERIFY(form.Execute());
        }
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Master WHERE HINMEICODE = 5"_s).toInt(), 1);
        QCOMPARE(db().scalar(u"SELECT KINGAKU FROM Master WHERE HINMEICODE = 5"_s).toDouble(), 1500.0);
        QCOMPARE(item(compute(0, 0, day), Bank).GaiyoZan, yen(370500));
    }

    // The category offered first follows the book's setting; a code no
    // longer listed falls back to the first entry. Group rows are never offered.
    void adjustmentDefaultCategory_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("selected");
        QTest::newRow("listed") << int(Goods) << int(Goods);
        QTest::newRow("gone") << 9999 << int(Salary);
    }
    void adjustmentDefaultCategory()
    {
        QFETCH(int, setting);
        QFETCH(int, selected);
        DataIni->WriteIntegerAndUpdate(u"Kouza"_s, u"ZandakaTyouseiCODE"_s, setting);
        TFormZandaka form;
        form.KouzaCode = Bank;
        QVERIFY(form.Prepare());
        QCOMPARE(form.CmbTyouSei->currentData().toInt(), selected);
        QCOMPARE(form.CmbTyouSei->findData(1), -1);
        QCOMPARE(form.CmbTyouSei->findData(2), -1);
    }

    void adjustmentRefusals_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("lockDate");
        QTest::addColumn<QString>("message");
        QTest::newRow("no difference") << u"372000"_s << QDate() << u"調整されていません。"_s;
        QTest::newRow("below a yen") << u"372000.3"_s << QDate() << u"調整されていません。"_s;
        QTest::newRow("locked date") << u"1"_s << QDate(2026, 2, 28) << u"ロックされた日付"_s;
    }
    void adjustmentRefusals()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, lockDate);
        QFETCH(QString, message);
        CurLockDate = lockDate;
        TFormZandaka form;
        form.KouzaCode = Bank;
        form.BaseDate = QDate(2026, 2, 15);
        form.NowBalance = yen(372000);
        QVERIFY(form.Prepare());
        form.FltEditAfter->setText(typed);
        form.FltEditAfter->acceptText();
        DialogQueue dialogs;
        dialogs.answer(mrOk, message);
        QVERIFY(!form.Execute());
        QVERIFY(dialogs.done());
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Master WHERE HINMEICODE = 5"_s).toInt(), 0);
    }

    // The page itself: the overview tables, a click on an account opens its
    // register, and the year's result takes the income and expense closing
    // period however the user got there.
    void pageOverviewAndRegister()
    {
        TFrameKouzaSyukei page;
        page.resize(1200, 700);
        page.DTPGaiyoSimeBi->setDate(QDate(2026, 2, 15));
        page.CmBoxGetudo->setCurrentIndex(0);
        page.Data.GetudoMode = false;
        page.show();
        page.InitPage();
        QCOMPARE(page.FrBtnAllGaku->text(), u"全財産合計　393,800 円"_s);
        QCOMPARE(page.HyouSisan->getValue(1, 1), yen(393800 + 0)); // no liability left on Feb 15
        // Find the bank's row and click it.
        int bankRow = -1;
        for (int r = 2; r < page.HyouSisan->rowCount(); ++r)
            if (page.HyouSisan->cells(0, r) == u"  普通預金"_s)
                bankRow = r;
        QVERIFY(bankRow > 0);
        QCOMPARE(page.HyouSisan->getValue(1, bankRow), yen(372000));
        page.SelectOverviewCell(page.HyouSisan, 1, bankRow);
        QTRY_VERIFY(page.Register->IsOpen() && page.RegisterCode == Bank);
        QCOMPARE(page.LbKouzaName->text(), u"普通預金 の明細"_s);
        QVERIFY(page.ActZanTyousei->isEnabled());
        QVERIFY(!page.ShpBtnSettei->isVisible());
        // In the overview 印刷 offers the balance sheet (表を印刷), the register,
        // the chart and the two spreadsheet exports; the split table print
        // belongs to the detail view.
        QVERIFY(page.FrBtnPrint->isVisible());
        QMenu *printMenu = page.FrBtnPrint->findChild<QMenu *>();
        QVERIFY(printMenu);
        QTest::mouseClick(page.FrBtnPrint, Qt::LeftButton);
        QStringList entries;
        for (const QAction *a : printMenu->actions())
            if (a->isVisible())
                entries << a->text();
        printMenu->close();
        QCOMPARE(entries, (QStringList{u"表を印刷"_s, u"明細を印刷"_s, u"グラフを印刷"_s, u"表をエクセルへ"_s,
                                       u"明細をエクセルへ"_s}));
        QCOMPARE(page.Series1->count(), 29);

        // The adjustment from the page: booked, then shown at once.
        ModalForms::push([](QDialog &d) {
            auto &form = dynamic_cast<TFormZandaka &>(d);
            form.FltEditAfter->setText(u"371000"_s);
            form.FltEditAfter->acceptText();
            // The default category: the first expense category.
            if (form.CmbTyouSei->currentData().toInt() != Food)
                return int(QDialog::Rejected);
            return form.Execute() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        page.ActZanTyousei->trigger();
        QCOMPARE(ModalForms::pending(), 0);
        QTRY_COMPARE(page.Register->EndBalance(), yen(371000));
        QCOMPARE(page.Register->Rows().last().HinmeiCode, 5);
        QCOMPARE(page.RegisterCode, int(Bank));
        QCOMPARE(page.FrBtnAllGaku->text(), u"全財産合計　392,800 円"_s);

        // The detail lists the accounts of the chosen kind, never the group rows.
        page.SetView(2);
        QVERIFY(page.TabHyou->count() >= 2 && page.TabHyou->height() > 0);
        QStringList columns;
        for (int c = 1; c < page.HyouSyousai->colCount(); ++c)
            columns << page.HyouSyousai->cells(c, 0);
        // The template's 諸口 is a hidden system row: the first account is 現金.
        QCOMPARE(columns.first(), u"現金"_s);
        QVERIFY(!columns.contains(u"口座"_s));
        QVERIFY(!columns.contains(u"諸口"_s));
        QTRY_VERIFY(page.Register->IsOpen());

        page.SetView(0);
        page.RBtnAllData->setChecked(true);
        QVERIFY(!page.Register->IsOpen());
        QVERIFY(!page.ActZanTyousei->isEnabled());
    }

    void yearResultTakesTheIncomeClosingPeriod()
    {
        // Income and expense close on the 25th, the accounts at the month's end.
        db().exec(u"UPDATE Himoku SET SIMEBI = 25 WHERE CODE IN (1, 2)"_s);
        LoadHimokuCaches(db());
        TFrameKouzaSyukei page;
        page.resize(1200, 700);
        page.DTPGaiyoSimeBi->setDate(QDate(2026, 2, 15));
        page.show();
        page.InitPage();
        page.SetView(1);
        QTRY_VERIFY(page.Register->IsOpen());
        page.ShowZenbuRegister(6, true);
        QCOMPARE(page.RegisterKind, 6);
        QCOMPARE(page.RegisterStart, QDate(2026, 1, 26));
        QCOMPARE(page.RegisterEnd, QDate(2026, 2, 25));
        // Opened again after a recomputation: the same period.
        page.Recalculate(false);
        QCOMPARE(page.RegisterStart, QDate(2026, 1, 26));
    }
};

QTEST_MAIN(TestKouzaSyukei)
#include "tst_kouzasyukei.moc"
