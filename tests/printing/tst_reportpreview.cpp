#include <memory>

#include <QApplication>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTimer>
#include <QTableView>
#include <QtTest>

#include "DialogQueue.h"
#include "PdfReader.h"
#include "TestEnv.h"
#include "controls/FloatSpinEdit.h"
#include "controls/FrameBtn.h"
#include "data/MyRegistryIniFile.h"
#include "printing/PrintShift.h"
#include "printing/ReportGrid.h"
#include "printing/ReportPreView.h"

using namespace Qt::StringLiterals;

// The report preview over the automatic grid report: the kind's stored page
// settings, page navigation, and a chosen page range printed to PDF through
// the program's printer object.
class TestReportPreview : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TMyRegistryIniFile> store;
    QStandardItemModel model;
    QTableView grid;

    void fill(int rows)
    {
        model.clear();
        model.setHorizontalHeaderLabels({u"品名"_s, u"金額"_s});
        for (int r = 1; r <= rows; ++r)
            model.appendRow({new QStandardItem(u"品目%1"_s.arg(r, 4, 10, QChar(u'0'))),
                             new QStandardItem(QString::number(r * 10))});
        grid.setModel(&model);
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        store = std::make_unique<TMyRegistryIniFile>(env->path(u"PomuZenit.ini"_s));
        RegIni = store.get();
        NkPrinter().SelectPrinter(TNkPrinter::PdfTargetName());
        NkPrinter().SetOrientation(nkOrPortrait);
        NkPrinter().SetPaperSizeNumber(9);
        NkPrinter().ApplyDevMode();
    }
    void cleanup()
    {
        RegIni = nullptr;
        store.reset();
        env.reset();
    }

    // A long list (300 records): pages from the records and the rows a page holds; moving
    // through the pages updates the caption; printing pages 2 to 3 gives two
    // PDF pages starting at the first record of report page 2.
    void printsChosenPagesToPdf()
    {
        fill(300);
        TFormLrpPreView preview(nullptr, lpDeruMeisei);
        QVERIFY(preview.BuildGridReport(&grid));
        QCOMPARE(FormLrpPreView, &preview);
        const int rows = preview.RowsPerPage;
        QVERIFY2(rows > 1 && rows < 100, qPrintable(QString::number(rows)));
        QCOMPARE(preview.PageCount, (300 + rows - 1) / rows);
        QVERIFY(preview.windowTitle().startsWith(u"家計簿の明細"_s));
        preview.ActPeriorPageExecute(true);
        QCOMPARE(preview.CurrentPage, 2);
        QVERIFY(preview.windowTitle().contains(u"2/%1"_s.arg(preview.PageCount)));

        QTemporaryDir dir;
        const QString file = dir.filePath(u"r.pdf"_s);
        NkPrinter().SetPdfFile(file);
        preview.StartPage = 2;
        preview.EndPage = 3;
        QVERIFY(preview.PrintPages());
        QCOMPARE(PdfPageCount(file), 2);
        const QString first = PdfReader::pages(file).value(0).text();
        QVERIFY2(first.contains(u"品目%1"_s.arg(rows + 1, 4, 10, QChar(u'0'))), qPrintable(first));
        QVERIFY(!first.contains(u"品目%1"_s.arg(rows, 4, 10, QChar(u'0'))));
        QVERIFY(PdfReader::pages(file).value(1).text().contains(u"品目%1"_s.arg(2 * rows + 1, 4, 10, QChar(u'0'))));
        QVERIFY(PdfPageHasInk(file, 1) && PdfPageHasInk(file, 2));
    }

    // On screen the sheet shows the current page: ink on page 1, and another
    // picture on page 2 (its own records).
    void previewDrawsTheCurrentPage()
    {
        fill(300);
        TFormLrpPreView preview(nullptr, lpDeruMeisei);
        QVERIFY(preview.BuildGridReport(&grid));
        preview.resize(800, 900);
        preview.show();
        const auto sheet = [&] { return preview.paperImage()->grab().toImage(); };
        const QImage one = sheet();
        int ink = 0;
        for (int y = 0; y < one.height(); y += 2)
            for (int x = 0; x < one.width(); x += 2)
                ink += qGray(one.pixel(x, y)) < 128;
        QVERIFY2(ink > 50, qPrintable(QString::number(ink)));
        preview.ActPeriorPageExecute(true);
        QVERIFY(sheet() != one);
    }

    // The kind's section: made on first use from the report's own layout,
    // written back when the preview closes, and read again by the next preview.
    void keepsSettingsPerKind()
    {
        fill(10);
        const QString section = u"lpTutyo"_s;
        {
            TFormLrpPreView preview(nullptr, lpTutyo);
            QVERIFY(preview.BuildGridReport(&grid));
            QCOMPARE(store->ReadOrWriteFloat(section, u"ShiftX"_s, -1), 0.0);
            QCOMPARE(store->ReadOrWriteInteger(section, u"PaperSize"_s, -1), 9);
            QCOMPARE(store->ReadOrWriteBool(section, u"Portrait"_s, false), true);
            preview.Report->ShiftX = 2.5;
            preview.Report->ShiftY = -1;
            preview.reject();
        }
        QCOMPARE(store->ReadOrWriteFloat(section, u"ShiftX"_s, 0), 2.5);
        TFormLrpPreView again(nullptr, lpTutyo);
        QVERIFY(again.BuildGridReport(&grid));
        QCOMPARE(again.Report->ShiftX, 2.5);
        QCOMPARE(again.Report->ShiftY, -1.0);
        // Kind 6 prints under the passbook's title too.
        QCOMPARE(TFormLrpPreView::KindTitle(lpNenSyukei), u"通帳"_s);
    }

    // 印刷調整 opens the offset dialog: OK moves the report, turns the paper,
    // lays the list out again for the turned page and stores the kind's values.
    void printShiftOfTheReport()
    {
        fill(300);
        TFormLrpPreView preview(nullptr, lpTutyo);
        QVERIFY(preview.BuildGridReport(&grid));
        preview.show();
        const int portraitRows = preview.RowsPerPage;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *dlg = qobject_cast<TFormPrintShift *>(QApplication::activeModalWidget());
            if (!dlg) {
                if (QApplication::activeModalWidget())
                    QApplication::activeModalWidget()->close();
                return;
            }
            seen = true;
            dlg->FsEditShiftX->SetValue(4);
            dlg->FsEditShiftY->SetValue(-3);
            QTest::mouseClick(dlg->RdBtnYoko, Qt::LeftButton, {}, QPoint(8, dlg->RdBtnYoko->height() / 2));
            QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
        });
        preview.PageSeteiClick();
        QVERIFY(seen);
        QCOMPARE(preview.Report->ShiftX, 4.0);
        QCOMPARE(preview.Report->ShiftY, -3.0);
        QCOMPARE(preview.PaperOrientation, nkOrLandScape);
        QCOMPARE(preview.Report->Orientation(), QPageLayout::Landscape);
        QVERIFY(preview.RowsPerPage < portraitRows);
        QCOMPARE(preview.PageCount, (300 + preview.RowsPerPage - 1) / preview.RowsPerPage);
        QCOMPARE(store->ReadOrWriteFloat(u"lpTutyo"_s, u"ShiftX"_s, 0), 4.0);
        QCOMPARE(store->ReadOrWriteBool(u"lpTutyo"_s, u"Portrait"_s, true), false);
    }

    // No broken preview: a kind outside the table, a builder of another kind,
    // or an empty list leave the preview without a report.
    void refusesWhatCannotPrint()
    {
        fill(0);
        TFormLrpPreView empty(nullptr, lpTutyo);
        QVERIFY(!empty.BuildGridReport(&grid));
        QVERIFY(!empty.Report);
        fill(5);
        TFormLrpPreView outside(nullptr, 16);
        QVERIFY(TFormLrpPreView::KindName(16).isEmpty());
        QVERIFY(!outside.BuildGridReport(&grid));
        TFormLrpPreView other(nullptr, lpSisanGaiyo);
        QVERIFY(!other.BuildGridReport(&grid));
        QVERIFY(!other.Report);
        // Showing them tells the user instead of opening an empty preview.
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"印刷するものがありません。"_s).answer(mrOk, u"この種類の帳票は印刷できません。"_s);
        ExecReportPreview(empty);
        ExecReportPreview(outside);
        QVERIFY(dialogs.done());
        QVERIFY(!empty.isVisible() && !outside.isVisible());
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
