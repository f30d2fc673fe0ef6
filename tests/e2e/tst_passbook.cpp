#include <QtTest>

#include <QLabel>
#include <QRadioButton>
#include <QTabBar>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "WorkbookReader.h"
#include "printing/ExcelExport.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "views/FrameKouzaSyukei.h"

using namespace Qt::StringLiterals;

// The 通帳 page as a user reaches it: the program started on a book from the
// template, the page picked from its tab, an account's register opened from
// the overview and a line of it shown on the page it was entered on, the
// tables and the register exported to workbooks.
class TestPassbook : public QObject, public JournalPageDriver
{
    Q_OBJECT

    // 現金 (100) pays 1,234 for 食費 (107) today, entered on the expense page.
    void addExpense()
    {
        Database db;
        db.open(folder + u"/PomuZenitData.db"_s);
        db.exec(u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, PERSONCODE, "
                "KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, ORIGIN, ZEIATUKAI) "
                "VALUES (500, 0, '%1', 1234, 1, 0, 0, 0, 107, 100, 0, 0, 0, 1, 1, 2, 0)"_s
                    .arg(QDate::currentDate().toString(Qt::ISODate)));
        db.exec(u"UPDATE AutoInc SET MAXNO = 500 WHERE NAME = 'master.db'"_s);
    }

    TFrameKouzaSyukei *openPage()
    {
        if (!start() || !window->SelectPage(pgTutyo))
            return nullptr;
        auto *page = qobject_cast<TFrameKouzaSyukei *>(window->frameOf(pgTutyo));
        return page && page->isVisible() ? page : nullptr;
    }

    static int cashRowOf(TFrameKouzaSyukei *page)
    {
        for (int r = 2; r < page->HyouSisan->rowCount(); ++r)
            if (page->HyouSisan->cells(0, r) == u"  現金"_s)
                return r;
        return -1;
    }

    // Runs one entry of the 印刷 menu, the save dialog answered with file.
    static bool exportTo(TFrameKouzaSyukei *page, const char *entry, const QString &file)
    {
        DialogQueue dialogs;
        dialogs.saveFile(file);
        page->findChild<QAction *>(QString::fromLatin1(entry))->trigger();
        return dialogs.done() && QFile::exists(file);
    }

    // The column (from 1) of a title in a read-back sheet's row; 0 when none.
    static int columnOf(const QList<QStringList> &rows, int row, const QString &title)
    {
        for (int c = 1; c <= (row <= rows.size() ? rows[row - 1].size() : 0); ++c)
            if (SheetCell(rows, row, c) == title)
                return c;
        return 0;
    }

private slots:
    void init()
    {
        makeBook();
        addExpense();
    }
    void cleanup() { dropWorld(); }

    void registerAndJump()
    {
        TFrameKouzaSyukei *page = openPage();
        QVERIFY(page);
        const int cashRow = cashRowOf(page);
        QVERIFY(cashRow > 0);
        QCOMPARE(page->HyouSisan->getValue(1, cashRow), Currency::fromInt(-1234));
        page->SelectOverviewCell(page->HyouSisan, 1, cashRow);
        QTRY_VERIFY(page->Register->IsOpen() && page->RegisterCode == 100);
        QCOMPARE(page->Register->Rows().last().DataNo, 500);
        QCOMPARE(page->CurrentRegisterRow(), page->Register->rowCount() - 1);
        QTRY_VERIFY(page->FrBtnEdit->isEnabled());

        page->FrBtnEdit->click();
        QCOMPARE(window->currentPageNo(), int(pgDeru));
    }

    // 印刷 offers the spreadsheet exports: the register as shown (amounts as
    // numbers), the overview's two tables side by side under the date and the
    // total, and the detail table under its period; a closed register is
    // nothing to export and leaves no file.
    void exportsTablesAndRegister()
    {
        SetOpenExportedWorkbook(false);
        TFrameKouzaSyukei *page = openPage();
        QVERIFY(page);
        QVERIFY(page->FrBtnPrint->isVisible());
        const int cashRow = cashRowOf(page);
        QVERIFY(cashRow > 0);
        page->SelectOverviewCell(page->HyouSisan, 1, cashRow);
        QTRY_VERIFY(page->Register->IsOpen() && page->RegisterCode == 100);
        QTemporaryDir dir;
        const QString meisai = dir.filePath(u"meisai.xlsx"_s);
        const QString gaiyo = dir.filePath(u"gaiyo.xlsx"_s);
        const QString syousai = dir.filePath(u"syousai.xlsx"_s);
        QVERIFY(exportTo(page, "MenuPrintMeisaiExcel", meisai));
        const QString meisaiTitle = page->LbKouzaName->text();
        const int registerRows = page->Register->rowCount();
        const QString balance = page->Register->data(
            page->Register->index(registerRows - 1, TKouzaRegister::ColZanGaku)).toString();
        // The spent amount is a number cell, not the text the grid draws.
        const QString sheetXml = WorkbookXml(meisai, u"xl/worksheets/sheet1.xml"_s);
        QVERIFY2(sheetXml.contains(u"<v>1234</v>"_s), qPrintable(sheetXml.left(2000)));
        QVERIFY(WorkbookXml(meisai, u"xl/workbook.xml"_s).contains(meisaiTitle));

        QVERIFY(exportTo(page, "MenuPrintHyouExcel", gaiyo));
        QVERIFY(page->RBtnGaiyoSyukeiBi->isChecked());
        const QString gaiyoHeader = page->DTPGaiyoSimeBi->date().toString(u"yyyy年M月d日現在　　"_s)
            + page->FrBtnAllGaku->text();
        const int sisanCols = page->HyouSisan->colCount();
        const QString cashShown = page->HyouSisan->displayText(1, cashRow);
        const QString fusaiTitle = page->HyouFusai->displayText(0, 0);
        QVERIFY(WorkbookXml(gaiyo, u"xl/workbook.xml"_s).contains(u"資産概要"_s));

        page->SetView(2);
        QTRY_VERIFY(page->HyouSyousai->colCount() > 1);
        int cashCol = -1;
        for (int c = 1; c < page->HyouSyousai->colCount(); ++c)
            if (page->HyouSyousai->cells(c, 0) == u"現金"_s)
                cashCol = c;
        QVERIFY(cashCol > 0);
        QCOMPARE(page->HyouSyousai->getValue(cashCol, 5), Currency::fromInt(1234));
        QVERIFY(exportTo(page, "MenuPrintHyouExcel", syousai));
        const QString syousaiShown = page->HyouSyousai->displayText(cashCol, 5);
        const QString periodStart = page->CmbYear->currentText() + page->LbNendo->text();
        QVERIFY(WorkbookXml(syousai, u"xl/workbook.xml"_s).contains(page->TabHyou->tabText(page->TabHyou->currentIndex())));

        // With the register closed there is nothing to export: the user is
        // told, no dialog is offered and no file is made.
        page->CloseRegister();
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"出力するデータがありません。"_s);
            page->findChild<QAction *>(u"MenuPrintMeisaiExcel"_s)->trigger();
            QVERIFY(dialogs.done());
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

        QString skip;
        const auto books = ReadWorkbooks({meisai, gaiyo, syousai}, &skip);
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        const QList<QStringList> reg = books.value(u"meisai"_s);
        QCOMPARE(SheetCell(reg, 1, 1), u"日付"_s);
        // The carried balance first, the one line last, nothing after it.
        QCOMPARE(SheetCell(reg, 2, columnOf(reg, 1, u"品名"_s)), u"繰越残高"_s);
        QCOMPARE(SheetCell(reg, registerRows + 2, 1), QString());
        const int out = columnOf(reg, 1, u"出金"_s), left = columnOf(reg, 1, u"残金"_s);
        QVERIFY(out > 0 && left > 0);
        QCOMPARE(SheetCell(reg, registerRows + 1, out), u"1,234"_s);
        QCOMPARE(SheetCell(reg, registerRows + 1, left), balance);
        QCOMPARE(SheetCell(reg, registerRows + 1, 1),
                 QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));

        const QList<QStringList> sum = books.value(u"gaiyo"_s);
        QCOMPARE(SheetCell(sum, 1, 1), gaiyoHeader);
        QCOMPARE(SheetCell(sum, 3 + cashRow, 2), cashShown);
        QCOMPARE(cashShown, u"-1,234"_s);
        QCOMPARE(SheetCell(sum, 3, sisanCols + 2), fusaiTitle);
        QCOMPARE(SheetCell(sum, 3, sisanCols + 1), QString());

        const QList<QStringList> detail = books.value(u"syousai"_s);
        QVERIFY(SheetCell(detail, 1, 1).startsWith(periodStart));
        QCOMPARE(SheetCell(detail, 3, cashCol + 1), u"現金"_s);
        QCOMPARE(SheetCell(detail, 3 + 5, cashCol + 1), syousaiShown);
        QCOMPARE(syousaiShown, u"1,234"_s);
    }
};

QTEST_MAIN(TestPassbook)
#include "tst_passbook.moc"
