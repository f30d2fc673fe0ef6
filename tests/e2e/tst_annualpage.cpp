#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QLineEdit>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "PdfReader.h"
#include "PreviewPrint.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "data/MyRegistryIniFile.h"
#include "main/MainForm.h"
#include "platform/db/Database.h"
#include "platform/ui/Application.h"
#include "printing/ReportPreView.h"
#include "views/FrameNenSyusi.h"
#include "views/NenSyusiMeisai.h"
#include "views/NenSyukeiData.h"

using namespace Qt::StringLiterals;

// The 集計 page in the running program: picked from its tab on a book made
// from the template, a cell clicked, and a listed line opened on its journal
// page through the jump the program's start-up wires.
class TestAnnualPage : public QObject, public JournalPageDriver
{
    Q_OBJECT

private slots:
    void init()
    {
        makeBook();
        NenSyukeiData = TNenSyukeiData();
    }
    void cleanup()
    {
        dropWorld();
        NenSyukeiData = TNenSyukeiData();
    }

    void pickClickAndJump()
    {
        QVERIFY(start());
        const QDate day = QDate::currentDate().addDays(-QDate::currentDate().day() + 1);
        {
            Statement st(DatMod->MainDatabase,
                         u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                         "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE, LOOKUPNO, RECEIPTNO) "
                         "VALUES (9001, 1, ?, 1234, 0, 107, 100, 0, 1, 2, 0, 0, 0, 0, 0)"_s);
            st.bind(1, day);
            st.exec();
        }

        // The template's card closes on the 15th: the page warns once shown.
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"収支金額 と 資産合計 は一致しません"_s);
        QVERIFY(window->SelectPage(pgSyukei));
        auto *page = qobject_cast<TFrameNenSyusi *>(window->frameOf(pgSyukei));
        QVERIFY(page);
        QTRY_VERIFY(dialogs.done());
        QVERIFY(page->isVisible());

        int row = -1;
        for (int r = 1; r < page->DeruHyou->rowCount(); ++r)
            if (page->DeruHyou->objects(0, r).toInt() == 107)
                row = r;
        QVERIFY(row > 0);
        QCOMPARE(page->DeruHyou->getValue(1, row), Currency::fromInt(1234));

        // The user clicks the whole-year cell; the list follows when idle.
        page->DeruHyou->model()->scrollIntoView(1, row);
        const QRect cell = page->DeruHyou->cellRect(1, row);
        QVERIFY(!cell.isEmpty());
        QTest::mouseClick(page->DeruHyou->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_COMPARE(page->PnlMeisai->lineCount(), 1);
        QVERIFY(page->PnlMeisai->FrBtnEdit->isEnabled());

        QTest::mouseClick(page->PnlMeisai->FrBtnEdit, Qt::LeftButton);
        QTRY_COMPARE(window->currentPageNo(), int(pgDeru));
        // Leaving closed the list.
        QCOMPARE(page->PnlMeisai->query(), nullptr);
    }

    // 明細を印刷: the listed lines of the whole-year food cell as a grid
    // report under the row's name, "年収支" and the year, printed to PDF.
    void detailLinesReport()
    {
        QVERIFY(start());
        const QDate day = QDate::currentDate().addDays(-QDate::currentDate().day() + 1);
        {
            Statement st(DatMod->MainDatabase,
                         u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                         "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE, LOOKUPNO, RECEIPTNO) "
                         "VALUES (9001, 1, ?, 4321, 0, 107, 100, 0, 1, 2, 0, 0, 0, 0, 0)"_s);
            st.bind(1, day);
            st.exec();
        }
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"収支金額 と 資産合計 は一致しません"_s);
        QVERIFY(window->SelectPage(pgSyukei));
        auto *page = qobject_cast<TFrameNenSyusi *>(window->frameOf(pgSyukei));
        QVERIFY(page);
        QTRY_VERIFY(dialogs.done());
        int row = -1;
        for (int r = 1; r < page->DeruHyou->rowCount(); ++r)
            if (page->DeruHyou->objects(0, r).toInt() == 107)
                row = r;
        QVERIFY(row > 0);
        page->ShowDetail(page->DeruHyou, 1, row);
        QTRY_COMPARE(page->PnlMeisai->lineCount(), 1);

        QTemporaryDir dir;
        const QString file = dir.filePath(u"lines.pdf"_s);
        const PreviewPrint shown = PrintThroughPreview(page->findChild<QAction *>(u"MenuPrintMeisei"_s), file);
        QVERIFY(shown.printed);
        QVERIFY(!FormLrpPreView);
        QVERIFY2(shown.caption.startsWith(u"通帳"_s), qPrintable(shown.caption));
        QVERIFY(page->PnlMeisai->DbGridMeisai->isEnabled());
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(page->DeruHyou->cells(0, row).trimmed()), qPrintable(text));
        QVERIFY(text.contains(u"年収支"_s));
        QVERIFY(text.contains(page->CmbBoxYear->currentText() + u" 年度"_s));
        QVERIFY(text.contains(u"4,321"_s));
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // Every figure fits its cell: a large amount is never shown without its
    // leading digits or its minus sign.
    void largeFiguresAreShownWhole()
    {
        QVERIFY(start());
        const QDate day = QDate::currentDate().addDays(-QDate::currentDate().day() + 1);
        {
            Statement st(DatMod->MainDatabase,
                         u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                         "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE, LOOKUPNO, RECEIPTNO) "
                         "VALUES (9001, 1, ?, 99999999, 0, 107, 100, 0, 1, 2, 0, 0, 0, 0, 0)"_s);
            st.bind(1, day);
            st.exec();
        }
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"収支金額 と 資産合計 は一致しません"_s);
        QVERIFY(window->SelectPage(pgSyukei));
        auto *page = qobject_cast<TFrameNenSyusi *>(window->frameOf(pgSyukei));
        QVERIFY(page);
        QTRY_VERIFY(dialogs.done());
        const int titleWidth = page->DeruHyou->model()->colWidth(0);
        int wide = 0;
        for (TCurrencyGrid *g : {page->SyusiHyou, page->IriHyou, page->DeruHyou, page->KouzaHyou}) {
            const QFontMetrics fm(g->font());
            const int room = 2 * g->model()->charOffset();
            for (int r = 0; r < g->rowCount(); ++r)
                for (int c = 1; c < g->colCount(); ++c) {
                    if (g->getValue(c, r).isZero())
                        continue;
                    const QString text = g->displayText(c, r);
                    if (text.contains(u"99,999,999"_s))
                        ++wide;
                    QVERIFY2(fm.horizontalAdvance(text) + room < g->model()->colWidth(c),
                             qPrintable(u"%1 (%2, %3) \"%4\" in %5 pixels"_s.arg(g->objectName()).arg(c).arg(r)
                                            .arg(text).arg(g->model()->colWidth(c))));
                }
        }
        // The large line is there (expense, balance, cash), and the title
        // column kept its width.
        QVERIFY(wide >= 6);
        QCOMPARE(page->DeruHyou->model()->colWidth(0), titleWidth);
    }

    // The book refusing the year's figures or a cell's lines: the user is
    // told in Japanese what could not be done, never only the engine's words.
    void refusedReadsAreExplained()
    {
        QVERIFY(start());
        TFrameNenSyusi *page = nullptr;
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"収支金額 と 資産合計 は一致しません"_s);
            QVERIFY(window->SelectPage(pgSyukei));
            page = qobject_cast<TFrameNenSyusi *>(window->frameOf(pgSyukei));
            QVERIFY(page);
            QTRY_VERIFY(dialogs.done());
        }
        DatMod->MainDatabase.exec(u"ALTER TABLE Master RENAME TO Master_gone"_s);
        {
            DialogQueue dialogs;
            dialogs.errorBox(u"明細を読み込めませんでした。"_s);
            const QRect cell = page->DeruHyou->cellRect(3, 1);
            QVERIFY(cell.isValid());
            QTest::mouseClick(page->DeruHyou->viewport(), Qt::LeftButton, {}, cell.center());
            QTRY_VERIFY(dialogs.done());
        }
        {
            DialogQueue dialogs;
            dialogs.errorBox(u"集計できませんでした。"_s);
            page->CmbBoxYear->lineEdit()->selectAll();
            QTest::keyClicks(page->CmbBoxYear->lineEdit(), QString::number(CurYear - 1));
            QVERIFY(dialogs.done());
        }
        DatMod->MainDatabase.exec(u"ALTER TABLE Master_gone RENAME TO Master"_s);
    }
};

// The program's own application object, so that an error escaping a handler
// is shown as the program shows it.
int main(int argc, char *argv[])
{
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestAnnualPage test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_annualpage.moc"
