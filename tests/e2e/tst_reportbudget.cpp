#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QTemporaryDir>

#include "JournalPageDriver.h"
#include "PdfReader.h"
#include "PreviewPrint.h"
#include "controls/CurrencyGrid.h"
#include "data/HimokuCache.h"
#include "data/Utils.h"
#include "platform/db/Database.h"
#include "printing/ReportBudget.h"
#include "printing/ReportPreView.h"
#include "controls/FrameBtn.h"
#include "views/FrameYosan.h"
#include "views/YosanJissekiData.h"

using namespace Qt::StringLiterals;

// The budget report of the budget page, in the program started on a book
// from the template, printed to PDF and read back with poppler.
class TestReportBudget : public QObject, public JournalPageDriver
{
    Q_OBJECT

private slots:
    void init()
    {
        makeBook();
        QVERIFY(start());
    }
    void cleanup() { dropWorld(); }

    // Both sides of the shown month with the summary above; the page is left
    // on the expense side.
    void monthOfBothSides()
    {
        const QDate month(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        Statement st(DatMod->MainDatabase,
                     u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARISIDE, KARICODE, KASICODE, "
                     "RESERVED, RECKIND, STYLE, ORIGIN, ZEIATUKAI) VALUES (900001, 0, ?, 45678, 1, 1, 107, 100, 0, 1, 1, "
                     "2, 0)"_s);
        st.bind(1, month);
        st.exec();
        QVERIFY(window->SelectPage(pgYosan));
        auto *p = qobject_cast<TFrameYosan *>(window->frameOf(pgYosan));
        QVERIFY(p);
        p->RefreshPage();
        TBudgetSource source;
        source.SyusiHyou = p->SyusiHyou;
        source.YosanHyou = p->YosanHyou;
        source.JissekiHyou = p->JissekiHyou;
        source.ShowSide = [p](bool income) { p->SetSide(income ? 1 : 2); };
        source.ImaNen = p->Edit_ImaNen->text();
        source.ImaTuki = p->Edit_ImaTuki->text();
        source.IncomeRows = YosanJissekiData.RowCount(0);
        source.ExpenseRows = YosanJissekiData.RowCount(1);
        p->SetSide(1);
        TFrameLrpYosan report;
        report.SetSource(source);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"budget.pdf"_s);
        QString why;
        QVERIFY2(report.PrintToPdf(file, &why), qPrintable(why));
        QCOMPARE(int(p->Side), 2);
        QCOMPARE(PdfPageCount(file), 1);
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(QRegularExpression(u"予算 と 実績 +%1年度 %2月分"_s.arg(source.ImaNen, source.ImaTuki))),
                 qPrintable(text));
        QVERIFY(text.contains(u"収　入"_s) || text.contains(u"収 入"_s));
        QVERIFY(text.contains(u"支　出"_s) || text.contains(u"支 出"_s));
        QVERIFY(text.contains(u"食費"_s));
        QVERIFY(text.contains(u"45,678"_s));
        QVERIFY(text.contains(u"実績-予算"_s));
        QVERIFY(text.contains(p->SyusiHyou->displayText(0, 1).trimmed()));
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // 表を印刷 on the page's print menu: the report preview of one page,
    // printed to PDF with the shown month, and the page back on the expense side.
    void throughThePrintMenu()
    {
        QVERIFY(window->SelectPage(pgYosan));
        auto *p = qobject_cast<TFrameYosan *>(window->frameOf(pgYosan));
        QVERIFY(p);
        p->RefreshPage();
        p->SetSide(1);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"budget.pdf"_s);
        const PreviewPrint shown = PrintThroughPreview(p->findChild<QAction *>(u"MenuPrintHyou"_s), file);
        QVERIFY(shown.printed);
        QCOMPARE(shown.pages, 1);
        QVERIFY(!FormLrpPreView);
        QCOMPARE(int(p->Side), 2);
        QVERIFY(p->FrBtnDeru->down());
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(QRegularExpression(u"予算 と 実績 +%1年度 %2月分"_s.arg(p->Edit_ImaNen->text(),
                                                                                       p->Edit_ImaTuki->text()))),
                 qPrintable(text));
        QVERIFY(text.contains(u"食費"_s));
        QVERIFY(PdfPageHasInk(file, 1));
    }

    void panelRows()
    {
        QCOMPARE(TFrameLrpYosan::PanelRows(28, 12), 30);
        QCOMPARE(TFrameLrpYosan::PanelRows(29, 12), 31);
        QCOMPARE(TFrameLrpYosan::PanelRows(10, 35), 37);
    }
};

QTEST_MAIN(TestReportBudget)
#include "tst_reportbudget.moc"
