#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "PdfReader.h"
#include "controls/CurrencyGrid.h"
#include "controls/FloatSpinEdit.h"
#include "controls/FrameBtn.h"
#include "main/DeruPrintMenu.h"
#include "printing/PageSetDlg.h"
#include "printing/PrintPreViewChart.h"
#include "printing/PrintPreViewHyou.h"
#include "printing/ReportPreView.h"
#include "views/ChartView.h"
#include "views/FrameChart.h"
#include "views/FrameKouzaSyukei.h"
#include "views/FrameNenSyusi.h"
#include "views/TablePrints.h"

using namespace Qt::StringLiterals;

namespace {

// Runs fn on the next modal window of type T once it is up; gives up (closing
// whatever is modal) after a few seconds so a missing window fails the test
// instead of hanging it.
// A click on a radio button's mark, where it takes the click.
void clickRadio(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

template <class T>
void whenModal(std::function<void(T *)> fn, bool *seen = nullptr)
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, fn, ticks, seen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *w = qobject_cast<T *>(modal)) {
            timer->stop();
            timer->deleteLater();
            if (seen)
                *seen = true;
            fn(w);
        } else if (++*ticks > 500) {
            timer->stop();
            timer->deleteLater();
            if (modal)
                modal->close();
        }
    });
    timer->start(10);
}

const double kPtPerMm = 72.0 / 25.4;

} // namespace

// Printing what the pages show, as a user does it: the preview from the page's
// 印刷 menu, the print dialog with the PDF target, and the file read back with
// poppler's tools.
class TestTablePrint : public QObject, public JournalPageDriver
{
    Q_OBJECT

    QDate first;

    // 食費 (107) paid in cash twice this month: 1,000 on the 1st and 234 on the
    // 20th, so the category's total 1,234 is a text no day cell shows.
    void addExpenses()
    {
        first = QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        Database db;
        db.open(folder + u"/PomuZenitData.db"_s);
        const QList<std::pair<int, QDate>> lines{{1000, first}, {234, first.addDays(19)}};
        int no = 500;
        for (const auto &[amount, day] : lines)
            db.exec(u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, PERSONCODE, "
                    "KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, ORIGIN, ZEIATUKAI) "
                    "VALUES (%1, 0, '%2', %3, 1, 0, 0, 0, 107, 100, 0, 0, 0, 1, 1, 2, 0)"_s.arg(++no)
                        .arg(day.toString(Qt::ISODate))
                        .arg(amount));
        db.exec(u"UPDATE AutoInc SET MAXNO = %1 WHERE NAME = 'master.db'"_s.arg(no));
    }

    TFrameDeru *startOnExpenses()
    {
        TFrameDeru *page = start();
        if (!page)
            return nullptr;
        const int row = page->rowOfCode(107);
        if (!QTest::qWaitFor([&] { return page->attached() && page->Hyou->displayText(1, row) == u"1,234"_s; }, 5000))
            return nullptr;
        return page;
    }

    // Prints a preview that is shown to file, straight through its print run.
    static bool printShown(TFormPrintPreView *preview, const QString &file)
    {
        preview->show();
        NkPrinter().SelectPrinter(TNkPrinter::PdfTargetName());
        NkPrinter().SetPdfFile(file);
        preview->StartPage = 1;
        preview->EndPage = qMax(1, preview->PageCount);
        return preview->PrintPages() && QFile::exists(file);
    }

    // Words of a page that are exactly text.
    static int count(const PdfReader::Page &page, const QString &text)
    {
        int n = 0;
        for (const PdfReader::Word &w : page.words)
            n += w.text == text ? 1 : 0;
        return n;
    }
    static QString fold(const QString &text) { return text.normalized(QString::NormalizationForm_KC); }

private slots:
    void init()
    {
        makeBook();
        addExpenses();
    }
    void cleanup() { dropWorld(); }

    // 表を印刷 and 表を印刷(2分割) from the expense page's menu: the preview comes
    // up, 印刷実行 with the PDF target writes the file, and the file holds the
    // title, the print date, every category caption and the category's total.
    void monthTable_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("pages");
        QTest::newRow("two bands") << u"MenuPrintHyou"_s << 1;
        QTest::newRow("two pages") << u"MenuPrintHyouPart"_s << 2;
    }
    void monthTable()
    {
        QFETCH(QString, entry);
        QFETCH(int, pages);
        TFrameDeru *page = startOnExpenses();
        QVERIFY(page);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"月間集計表.pdf"_s);
        DialogQueue dialogs;
        dialogs.saveFile(file);
        bool previewSeen = false, dialogSeen = false;
        whenModal<TFormPrintPreViewHyou>(
            [&](TFormPrintPreViewHyou *preview) {
                QCOMPARE(preview, FormPrintPreViewHyou);
                whenModal<TNkPrintDialog>(
                    [](TNkPrintDialog *dialog) {
                        dialog->printerBox()->setCurrentText(TNkPrinter::PdfTargetName());
                        dialog->accept();
                    },
                    &dialogSeen);
                preview->PrintGoClick();
            },
            &previewSeen);
        QAction *action = page->findChild<QAction *>(entry);
        QVERIFY(action);
        action->trigger();
        QVERIFY(previewSeen);
        QVERIFY(dialogSeen);
        QVERIFY(!FormPrintPreViewHyou);
        QVERIFY2(dialogs.done(), qPrintable(dialogs.failures().join(u'\n')));
        QVERIFY(!NkPrinter().IsPrinting());

        const QList<PdfReader::Page> read = PdfReader::pages(file);
        QCOMPARE(read.size(), pages);
        QVERIFY(read[0].width > read[0].height);   // landscape
        const QString all = PdfReader::text(file);
        QVERIFY2(all.contains(u"%1年"_s.arg(page->periodEnd().year())) && all.contains(u"月間集計表"_s), qPrintable(all));
        QVERIFY(all.contains(QDate::currentDate().toString(u"yyyy/MM/dd"_s)));
        QVERIFY(all.contains(u"印刷"_s));
        // Every category row's caption on every page; every amount as many
        // times as the table shows it, so column 1 (the totals) is not repeated
        // by the lower band or the second page.
        TCurrencyGrid *hyou = page->Hyou;
        const auto inGrid = [hyou](const QString &text) {
            int n = 0;
            for (int r = 0; r < hyou->rowCount(); ++r)
                for (int c = 0; c < hyou->colCount(); ++c)
                    n += hyou->displayText(c, r) == text ? 1 : 0;
            return n;
        };
        const auto inPdf = [&read](const QString &text) {
            int n = 0;
            for (const PdfReader::Page &p : read)
                n += count(p, text);
            return n;
        };
        int totals = 0;
        for (int r = hyou->fixedRows(); r < hyou->rowCount(); ++r) {
            const QStringList caption = fold(hyou->displayText(0, r)).split(u' ', Qt::SkipEmptyParts);
            for (const PdfReader::Page &p : read)
                for (const QString &part : caption)
                    QVERIFY2(p.find(part), qPrintable(part));
            const QString total = hyou->displayText(1, r);
            if (total.isEmpty())
                continue;
            ++totals;
            QCOMPARE(inPdf(total), inGrid(total));
            if (pages == 2)
                QCOMPARE(count(read[1], total), 0);
        }
        QVERIFY(totals >= 1);
        // The day amounts: the 1st in the first half, the 20th in the second.
        QCOMPARE(inPdf(u"1,000"_s), inGrid(u"1,000"_s));
        QCOMPARE(inPdf(u"234"_s), inGrid(u"234"_s));
        if (pages == 2) {
            QCOMPARE(count(read[0], u"234"_s), 0);
            QCOMPARE(count(read[1], u"1,000"_s), 0);
        }
    }

    // ページ設定 moves the table: a left margin 30 mm wider moves the captions
    // 30 mm right; たて turns the sheet, and the stored margins turn with it.
    void pageSetupMovesTheTable()
    {
        TFrameDeru *page = startOnExpenses();
        QVERIFY(page);
        QTemporaryDir dir;
        const auto captionX = [](const QString &file) {
            const QList<PdfReader::Page> read = PdfReader::pages(file);
            const PdfReader::Word *w = read.isEmpty() ? nullptr : read[0].find(u"食費"_s);
            return w ? w->box.left() : -1.0;
        };
        std::unique_ptr<TFormPrintPreViewHyou> preview(NewDeruHyouPreview(page, false));
        QVERIFY(printShown(preview.get(), dir.filePath(u"a.pdf"_s)));
        const double before = captionX(dir.filePath(u"a.pdf"_s));
        QVERIFY(before > 0);

        whenModal<TPageSetDlg>([](TPageSetDlg *dlg) {
            dlg->LeftMrg->SetValue(dlg->LeftMrg->GetValue() + 30);
            QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
        });
        preview->PageSeteiClick();
        QVERIFY(printShown(preview.get(), dir.filePath(u"b.pdf"_s)));
        QVERIFY(qAbs(captionX(dir.filePath(u"b.pdf"_s)) - before - 30 * kPtPerMm) < 1.5);

        // Portrait: the sheet turns and the old top margin (20 mm) becomes the left.
        double turnedLeft = 0;
        whenModal<TPageSetDlg>([&turnedLeft](TPageSetDlg *dlg) {
            clickRadio(dlg->RdBtnTate);
            turnedLeft = dlg->LeftMrg->GetValue();
            QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
        });
        preview->PageSeteiClick();
        QCOMPARE(turnedLeft, 20.0);
        QVERIFY(printShown(preview.get(), dir.filePath(u"c.pdf"_s)));
        const QList<PdfReader::Page> read = PdfReader::pages(dir.filePath(u"c.pdf"_s));
        QCOMPARE(read.size(), 1);
        QVERIFY(read[0].width < read[0].height);
        QVERIFY(qAbs(captionX(dir.filePath(u"c.pdf"_s)) - 20 * kPtPerMm) < 5);
        QVERIFY(read[0].find(u"1,234"_s));
        // The turned settings are what the next preview of this page starts from.
        QCOMPARE(RegIni->ReadOrWriteBool(u"PreViewHyouFrameDeru"_s, u"Portrait"_s, false), true);
        QCOMPARE(RegIni->ReadOrWriteFloat(u"PreViewHyouFrameDeru"_s, u"PrintLeftMrg"_s, 0), 20.0);
    }

    // The 通帳 page's balance chart prints as a picture filling the body of the
    // page and nothing outside it but the footer.
    void chartPrintsInsideTheBody()
    {
        QVERIFY(start());
        QVERIFY(window->SelectPage(pgTutyo));
        auto *page = qobject_cast<TFrameKouzaSyukei *>(window->frameOf(pgTutyo));
        QVERIFY(page);
        QTRY_VERIFY(page->NenkanChart && page->NenkanChart->isVisible());
        QTemporaryDir dir;
        const QString file = dir.filePath(u"chart.pdf"_s);
        {
            TFormPrintPreViewChart preview(page);
            preview.Chart = page->NenkanChart;
            QVERIFY(printShown(&preview, file));
        }
        // Defaults of the chart section: margins 10/30/10/10 mm, footer 8 mm.
        QCOMPARE(RegIni->ReadOrWriteFloat(u"PreViewHyouFrameChart"_s, u"PrintTopMrg"_s, 0), 30.0);
        const int dpi = 36;
        const QImage img = PdfReader::render(file, 1, dpi);
        QVERIFY(!img.isNull());
        QVERIFY(img.width() > img.height());
        const double px = dpi / 25.4;
        const QRect body(int(10 * px) + 1, int(30 * px) + 1, img.width() - int(20 * px) - 2,
                         img.height() - int(48 * px) - 2);
        int inside = 0, outside = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                if (qGray(img.pixel(x, y)) > 245)
                    continue;
                if (body.contains(x, y))
                    ++inside;
                else if (!body.adjusted(-2, -2, 2, 2).contains(x, y) && y < body.bottom())
                    ++outside;   // the footer's date sits below the body
            }
        QVERIFY2(inside > body.width() * body.height() / 50, qPrintable(QString::number(inside)));
        QCOMPARE(outside, 0);
        const QString footer = PdfReader::text(file).simplified();
        QVERIFY2(footer.contains(u"Print "_s + QDate::currentDate().toString(u"yy.M.d"_s)), qPrintable(footer));

        // グラフを印刷 on the page's menu opens the same preview on that chart.
        bool seen = false;
        whenModal<TFormPrintPreViewChart>(
            [page](TFormPrintPreViewChart *preview) {
                QCOMPARE(preview->Chart.data(), static_cast<QWidget *>(page->NenkanChart));
                preview->close();
            },
            &seen);
        page->findChild<QAction *>(u"MenuPrintChart"_s)->trigger();
        QVERIFY(seen);
        QVERIFY(!FormPrintPreViewChart);
    }

    // グラフ: 印刷 opens the chart preview on the page's own chart, which
    // prints as a picture.
    void chartPage()
    {
        QVERIFY(start());
        QVERIFY(window->SelectPage(pgChart));
        auto *page = qobject_cast<TFrameChart *>(window->frameOf(pgChart));
        QVERIFY(page);
        QVERIFY(page->FrBtnPrint->isVisibleTo(page));
        bool seen = false;
        whenModal<TFormPrintPreViewChart>(
            [page](TFormPrintPreViewChart *preview) {
                QCOMPARE(preview->Chart.data(), static_cast<QWidget *>(page->NenkanChart));
                preview->close();
            },
            &seen);
        QTest::mouseClick(page->FrBtnPrint, Qt::LeftButton);
        QVERIFY(seen);
        QVERIFY(!FormPrintPreViewChart);

        QTemporaryDir dir;
        const QString file = dir.filePath(u"chart.pdf"_s);
        {
            TFormPrintPreViewChart preview(page);
            preview.Chart = page->NenkanChart;
            QVERIFY(printShown(&preview, file));
        }
        const QImage img = PdfReader::render(file, 1, 36);
        QVERIFY(!img.isNull());
        int drawn = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                drawn += qGray(img.pixel(x, y)) < 200;
        QVERIFY2(drawn > 200, qPrintable(QString::number(drawn)));
    }

    // 通帳, detail view: the detail table under the period's title with rows
    // three times the computed height; 表を印刷(2分割) only in that view.
    void passbookDetail()
    {
        QVERIFY(start());
        QVERIFY(window->SelectPage(pgTutyo));
        auto *page = qobject_cast<TFrameKouzaSyukei *>(window->frameOf(pgTutyo));
        QVERIFY(page);
        page->SetView(2);
        QTRY_VERIFY(page->HyouSyousai->colCount() > 1);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"syousai.pdf"_s);
        std::unique_ptr<TFormPrintPreViewHyou> preview(NewKouzaSyukeiHyouPreview(page, false));
        QVERIFY(printShown(preview.get(), file));
        const int rowHeight = preview->RowHeight, fontHeight = preview->FontHeight;
        QVERIFY(rowHeight >= 3 * fontHeight);
        const QString all = PdfReader::text(file);
        QVERIFY2(all.contains(fold(page->CmbYear->currentText() + page->LbNendo->text())), qPrintable(all));
        QVERIFY(all.contains(u"現金"_s));
        QVERIFY(all.contains(u"1,234"_s));
        // The menu offers the table prints here and not in the overview.
        QMenu *menu = page->FrBtnPrint->findChild<QMenu *>();
        QTest::mouseClick(page->FrBtnPrint, Qt::LeftButton);
        QVERIFY(page->findChild<QAction *>(u"MenuPrintHyou2Part"_s)->isVisible());
        menu->close();
        page->SetView(0);
        QTest::mouseClick(page->FrBtnPrint, Qt::LeftButton);
        QVERIFY(!page->findChild<QAction *>(u"MenuPrintHyou2Part"_s)->isVisible());
        menu->close();
    }

    // 支出, table mode: 明細を印刷 prints the lines of the chosen cell as a grid
    // report under the category's name, the expense subtitle and the day.
    void expenseLines()
    {
        TFrameDeru *page = startOnExpenses();
        QVERIFY(page);
        clickCell(page, page->columnOfDate(first), page->rowOfCode(107));
        QTRY_VERIFY(page->MyDbGridMeisai->model() && page->MyDbGridMeisai->model()->rowCount() >= 1);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"lines.pdf"_s);
        bool seen = false, printed = false, gridLocked = false;
        QString caption;
        whenModal<TFormLrpPreView>(
            [&](TFormLrpPreView *preview) {
                caption = preview->windowTitle();
                gridLocked = !page->MyDbGridMeisai->isEnabled();
                printed = printShown(preview, file);
                preview->reject();
            },
            &seen);
        page->findChild<QAction *>(u"MenuPrintMeisei"_s)->trigger();
        QVERIFY(seen);
        QVERIFY(printed);
        QVERIFY(gridLocked);
        QVERIFY(page->MyDbGridMeisai->isEnabled());
        QVERIFY2(caption.startsWith(u"家計簿の明細"_s), qPrintable(caption));
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(page->CmbHimoku->currentText()), qPrintable(text));
        QVERIFY(text.contains(u"支出"_s));
        QVERIFY(text.contains(page->curDate().toString(u"yyyy年M月d日"_s)));
        QVERIFY(text.contains(u"1,000"_s));
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // 通帳, overview: 表を印刷 opens the balance-sheet report, which prints
    // every row of both tables and the assets' total to one PDF page.
    void passbookBalanceSheet()
    {
        QVERIFY(start());
        QVERIFY(window->SelectPage(pgTutyo));
        auto *page = qobject_cast<TFrameKouzaSyukei *>(window->frameOf(pgTutyo));
        QVERIFY(page);
        page->SetView(0);
        QTRY_VERIFY(page->HyouSisan->rowCount() > 2);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"balance.pdf"_s);
        bool seen = false, printed = false;
        int pages = 0;
        whenModal<TFormLrpPreView>(
            [&](TFormLrpPreView *preview) {
                pages = preview->PageCount;
                printed = printShown(preview, file);
                preview->reject();
            },
            &seen);
        page->findChild<QAction *>(u"MenuPrintHyou"_s)->trigger();
        QVERIFY(seen);
        QVERIFY(printed);
        QCOMPARE(pages, 1);
        QVERIFY(!FormLrpPreView);
        QCOMPARE(PdfPageCount(file), 1);
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(u"わが家のバランスシート"_s), qPrintable(text));
        for (int r = 1; r < page->HyouSisan->rowCount(); ++r)
            QVERIFY2(text.contains(page->HyouSisan->displayText(0, r).trimmed()), qPrintable(page->HyouSisan->displayText(0, r)));
        QVERIFY(text.contains(page->HyouSisan->displayText(1, 1).trimmed()));
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // 通帳: 明細を印刷 prints the cash register as a grid report under the
    // account's title, with the month's lines and the running balance.
    void passbookRegister()
    {
        QVERIFY(start());
        QVERIFY(window->SelectPage(pgTutyo));
        auto *page = qobject_cast<TFrameKouzaSyukei *>(window->frameOf(pgTutyo));
        QVERIFY(page);
        page->SetView(0);
        QTRY_VERIFY(page->HyouSisan->rowCount() > 2);
        int cashRow = -1;
        for (int r = 2; r < page->HyouSisan->rowCount(); ++r)
            if (page->HyouSisan->cells(0, r).trimmed() == u"現金"_s)
                cashRow = r;
        QVERIFY(cashRow > 0);
        page->SelectOverviewCell(page->HyouSisan, 1, cashRow);
        QTRY_VERIFY(page->Register->IsOpen() && page->Register->Rows().size() >= 2);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"register.pdf"_s);
        bool seen = false, printed = false, gridLocked = false;
        whenModal<TFormLrpPreView>(
            [&](TFormLrpPreView *preview) {
                gridLocked = !page->DBGridMeisai->isEnabled();
                printed = printShown(preview, file);
                preview->reject();
            },
            &seen);
        page->findChild<QAction *>(u"MenuPrintMeisai"_s)->trigger();
        QVERIFY(seen);
        QVERIFY(printed);
        QVERIFY(gridLocked);
        QVERIFY(page->DBGridMeisai->isEnabled());
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(fold(page->LbKouzaName->text())), qPrintable(text));
        QVERIFY(text.contains(u"通帳"_s));
        QVERIFY(text.contains(u"1,000"_s));
        QVERIFY(text.contains(u"234"_s));
        QVERIFY(text.contains(u"%1年 %2月分"_s.arg(page->RegisterNendo).arg(page->RegisterGetudo)));
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // 集計: the four tables on one page under the year's title, the food row's
    // year total among them.
    void annualTables()
    {
        QVERIFY(start());
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"収支金額 と 資産合計 は一致しません"_s);
        QVERIFY(window->SelectPage(pgSyukei));
        auto *page = qobject_cast<TFrameNenSyusi *>(window->frameOf(pgSyukei));
        QVERIFY(page);
        QTRY_VERIFY(dialogs.done());
        QTemporaryDir dir;
        const QString file = dir.filePath(u"nen.pdf"_s);
        std::unique_ptr<TFormPrintPreViewHyou> preview(NewNenSyusiHyouPreview(page, false));
        QVERIFY(printShown(preview.get(), file));
        const QString all = PdfReader::text(file);
        QVERIFY2(all.contains(page->CmbBoxYear->currentText() + u"年 年間集計表"_s), qPrintable(all));
        QVERIFY(all.contains(u"期間発生額"_s));
        QVERIFY(all.contains(u"1,234"_s));
        QVERIFY(all.contains(u"食費"_s));
    }
};

QTEST_MAIN(TestTablePrint)
#include "tst_tableprint.moc"
