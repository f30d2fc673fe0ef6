#include <functional>
#include <memory>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "DialogQueue.h"
#include "PdfReader.h"
#include "TestEnv.h"
#include "controls/FloatSpinEdit.h"
#include "controls/FrameBtn.h"
#include "data/MyRegistryIniFile.h"
#include "platform/system/Exception.h"
#include "printing/PageSetDlg.h"
#include "printing/PrintPreView.h"
#include "printing/PrintShift.h"

using namespace Qt::StringLiterals;

namespace {

// A preview that prints a word in the middle of its body, or fails while
// drawing when asked to.
class WordPreview : public TFormPrintPreView
{
public:
    bool fail = false;
    void DrawPage(QPainter &canvas) override
    {
        TFormPrintPreView::DrawPage(canvas);
        if (Counting)
            return;
        if (fail && Printing)
            throw Exception(u"描けません"_s);
        QFont f(PrintMinchoFamily());
        f.setPixelSize(qMax(1, BodyHeight / 20));
        canvas.setFont(f);
        canvas.drawText(QRect(BodyLeft, BodyTop, BodyWidth, BodyHeight), Qt::AlignCenter, u"本文"_s);
    }
};

// A click on a radio button's mark, where it takes the click.
void clickRadio(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

template <class T>
void whenModal(std::function<void(T *)> fn)
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, fn, ticks] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *w = qobject_cast<T *>(modal)) {
            timer->stop();
            timer->deleteLater();
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

const QString kSection = u"FormPrintPreView"_s;

} // namespace

// The print preview's page settings, the page set-up dialog, the print run
// and the offset dialog, on the PDF target every machine has.
class TestPrintPreview : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TMyRegistryIniFile> store;
    QTemporaryDir dir;

    bool print(TFormPrintPreView &preview, const QString &file)
    {
        NkPrinter().SetPdfFile(file);
        preview.StartPage = 1;
        preview.EndPage = 1;
        return preview.PrintPages();
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        store = std::make_unique<TMyRegistryIniFile>(env->path(u"PomuZenit.ini"_s));
        RegIni = store.get();
        NkPrinter().SelectPrinter(TNkPrinter::PdfTargetName());
        NkPrinter().SetOrientation(nkOrLandScape);
        NkPrinter().SetPaperSizeNumber(9);
        NkPrinter().ApplyDevMode();
    }
    void cleanup()
    {
        RegIni = nullptr;
        store.reset();
        env.reset();
    }

    // The printer object: A4 in tenths of a millimetre from its pixels, and a
    // setter that changes nothing leaves nothing to apply.
    void printerMetrics()
    {
        TNkPrinter &p = NkPrinter();
        QCOMPARE(p.GetPaperSizeNumber(), 9);
        const QPoint mm = p.GetPaperSizeMM();
        QVERIFY(qAbs(mm.x() - 2970) <= 1 && qAbs(mm.y() - 2100) <= 1);
        p.SetOrientation(nkOrLandScape);
        QVERIFY(!p.changed());
        p.SetOrientation(nkOrPortrait);
        QVERIFY(p.changed());
        p.ApplyDevMode();
        QVERIFY(!p.changed());
        QVERIFY(p.GetPaperExtent().x() < p.GetPaperExtent().y());
        QVERIFY(p.HasPaperSizeNumber(8));
        QVERIFY(!p.HasPaperSizeNumber(4242));
    }

    // Showing a preview on a new section writes the ten keys with their
    // defaults; turning to portrait and back turns the margins a quarter each way.
    void settingsAndOrientation()
    {
        WordPreview preview;
        preview.show();
        QCOMPARE(store->SectionKeyCount(kSection), 10);
        QCOMPARE(store->ReadOrWriteFloat(kSection, u"PrintLeftMrg"_s, -1), 15.0);
        QCOMPARE(store->ReadOrWriteFloat(kSection, u"PrintTopMrg"_s, -1), 20.0);
        QCOMPARE(store->ReadOrWriteFloat(kSection, u"PrintHeaderHeight"_s, -1), 13.0);
        preview.SavePageSettings(9, true, 15, 20, 5, 7, 13, 3, true, false);
        preview.OrientationChanged(nkOrPortrait);
        double l, t, r, b, h, f;
        preview.ReadMargins(l, t, r, b, h, f);
        QCOMPARE(QList<double>({l, t, r, b}), QList<double>({20, 5, 7, 15}));
        QVERIFY(preview.PaperHeight > preview.PaperWidth);
        preview.OrientationChanged(nkOrLandScape);
        preview.ReadMargins(l, t, r, b, h, f);
        QCOMPARE(QList<double>({l, t, r, b}), QList<double>({15, 20, 5, 7}));
    }

    // The margins of the page set-up land on paper: the body's word moves with
    // the left margin, and the header's date and the footer print.
    void marginsOnPaper()
    {
        WordPreview preview;
        preview.Title = u"見出し"_s;
        preview.show();
        const QString a = dir.filePath(u"a.pdf"_s), b = dir.filePath(u"b.pdf"_s);
        QVERIFY(print(preview, a));
        const QList<PdfReader::Page> pa = PdfReader::pages(a);
        QCOMPARE(pa.size(), 1);
        QVERIFY(pa[0].find(u"見出し"_s));
        QVERIFY(pa[0].text().contains(u"作成"_s));
        QVERIFY(pa[0].text().contains(u"1/1 Page"_s));
        whenModal<TPageSetDlg>([](TPageSetDlg *dlg) {
            dlg->LeftMrg->SetValue(55);
            QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
        });
        preview.PageSeteiClick();
        QCOMPARE(store->ReadOrWriteFloat(kSection, u"PrintLeftMrg"_s, -1), 55.0);
        QVERIFY(print(preview, b));
        const QList<PdfReader::Page> pb = PdfReader::pages(b);
        // The body is 40 mm narrower on the left: its centre moves 20 mm.
        const double moved = pb[0].find(u"本文"_s)->box.center().x() - pa[0].find(u"本文"_s)->box.center().x();
        QVERIFY2(qAbs(moved - 20 * 72 / 25.4) < 1.5, qPrintable(QString::number(moved)));
    }

    // A header typed taller than the sheet is held to what the sheet allows:
    // the print keeps a body and its word.
    void headerHeightClamped()
    {
        WordPreview preview;
        preview.show();
        whenModal<TPageSetDlg>([](TPageSetDlg *dlg) {
            dlg->HeadHeight->setText(u"999"_s);
            QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
        });
        preview.PageSeteiClick();
        const double stored = store->ReadOrWriteFloat(kSection, u"PrintHeaderHeight"_s, -1);
        QVERIFY2(stored < 210 - 20, qPrintable(QString::number(stored)));
        const QString file = dir.filePath(u"h.pdf"_s);
        QVERIFY(print(preview, file));
        QVERIFY(PdfReader::pages(file).value(0).find(u"本文"_s));
    }

    // ｷｬﾝｾﾙ after たて leaves the printer and the stored settings as they were.
    void pageSetupCancel()
    {
        WordPreview preview;
        preview.show();
        TNkPaperOrientation during = nkOrLandScape;
        whenModal<TPageSetDlg>([&during](TPageSetDlg *dlg) {
            clickRadio(dlg->RdBtnTate);
            during = NkPrinter().GetOrientation();
            QTest::mouseClick(dlg->ButtonDeFault, Qt::LeftButton);
            QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton);
        });
        preview.PageSeteiClick();
        QCOMPARE(during, nkOrPortrait);
        QCOMPARE(NkPrinter().GetOrientation(), nkOrLandScape);
        QCOMPARE(store->ReadOrWriteBool(kSection, u"Portrait"_s, true), false);
        QCOMPARE(store->ReadOrWriteFloat(kSection, u"PrintLeftMrg"_s, -1), 15.0);
    }

    // A drawing that fails ends the job: no printing state is left, the old
    // file stays as it was, the error reaches the caller, and the next print works.
    void failedDrawingEndsTheJob()
    {
        WordPreview preview;
        preview.show();
        QTemporaryDir own;
        const QString file = own.filePath(u"old.pdf"_s);
        QVERIFY(TestEnv::writeFile(file, "old"));
        preview.fail = true;
        bool threw = false;
        try {
            print(preview, file);
        } catch (const Exception &e) {
            threw = e.message() == u"描けません"_s;
        }
        QVERIFY(threw);
        QVERIFY(!NkPrinter().IsPrinting());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
        f.close();
        QCOMPARE(QDir(own.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        preview.fail = false;
        QVERIFY(print(preview, file));
        QVERIFY(PdfReader::pages(file).value(0).find(u"本文"_s));
    }

    // Nothing to print and an unwritable target are told, in Japanese.
    void refusals()
    {
        WordPreview preview;
        preview.NeedPageCount = false;
        preview.show();
        preview.SetPageCount(0);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"印刷するものがありません。"_s);
        preview.PrintGoClick();
        dialogs.answer(mrOk, u"PDFファイル"_s);
        QVERIFY(!print(preview, u"/nonexistent-folder/x.pdf"_s));
        QVERIFY(!NkPrinter().IsPrinting());
        dialogs.answer(mrOk, u"この紙はサポートしていません。"_s);
        preview.SetPaperSize(4242);
        QCOMPARE(preview.PaperSize, 9);
        QVERIFY2(dialogs.done(), qPrintable(dialogs.failures().join(u'\n')));
    }

    // The offset dialog: height and width change places only on a real change
    // of orientation; ｷｬﾝｾﾙ after 適用 puts the offsets and orientation back.
    void printShift()
    {
        WordPreview preview;
        preview.show();
        TFormPrintShift::Shift shift{1.5, -2};
        QList<TFormPrintShift::Shift> applied;
        const auto apply = [&](const TFormPrintShift::Shift &s) { applied << s; };
        QString taka, haba;
        whenModal<TFormPrintShift>([&](TFormPrintShift *dlg) {
            QCOMPARE(dlg->FsEditShiftX->GetValue(), 1.5);
            QVERIFY(dlg->RdBtnYoko->isChecked());
            taka = dlg->KamiTaka->text();
            haba = dlg->KamiHaba->text();
            clickRadio(dlg->RdBtnYoko);   // already chosen
            QCOMPARE(dlg->KamiTaka->text(), taka);
            clickRadio(dlg->RdBtnTate);
            QCOMPARE(dlg->KamiTaka->text(), haba);
            dlg->FsEditShiftX->SetValue(5);
            QTest::mouseClick(dlg->ButtonTekiyou, Qt::LeftButton);
            QCOMPARE(NkPrinter().GetOrientation(), nkOrPortrait);
            QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton);
        });
        QVERIFY(!RunPrintShift(&preview, shift, apply));
        QVERIFY2(taka.contains(u"209.9"_s) && haba.contains(u"297.0"_s), qPrintable(taka + haba));
        QCOMPARE(shift.x, 1.5);
        QCOMPARE(NkPrinter().GetOrientation(), nkOrLandScape);
        QCOMPARE(applied.size(), 2);
        QCOMPARE(applied.first().x, 5.0);
        QCOMPARE(applied.last().x, 1.5);
        QVERIFY(!FormPrintShift);
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
