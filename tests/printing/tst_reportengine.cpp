#include <QtTest>

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QStandardItemModel>

#include "printing/ReportEngine.h"
#include "printing/ReportItems.h"
#include "printing/ReportPrint.h"

using namespace Qt::StringLiterals;

namespace {

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// The leftmost and rightmost columns that hold a dark pixel; (-1, -1) when none.
QPair<int, int> inkColumns(const QImage &img)
{
    int left = -1, right = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (qGray(img.pixel(x, y)) < 160) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return {left, right};
}

} // namespace

// The report engine on its own: page geometry, the refusals, the order cells
// print in, what a band's events can skip, item text placement and masks.
class TestReportEngine : public QObject
{
    Q_OBJECT

private slots:
    void pageScaleAndMargins()
    {
        TLightRep page;
        QCOMPARE(page.width(), 794);
        QCOMPARE(page.height(), 1123);
        page.SetMarginLeft(400);   // not below half the width (397)
        QCOMPARE(page.MarginLeft(), 36);
        page.SetMarginLeft(396);
        QCOMPARE(page.MarginLeft(), 396);
        page.SetOrientation(QPageLayout::Landscape);
        QCOMPARE(page.width(), 1123);

        // A band's frame at design bounds (79, 41) - (763, 95) previewed at width 4960.
        TLightRep rep;
        auto band = std::make_unique<TLRLayoutPanel>();
        band->LRAlign = laNone;
        band->setBounds(QRect(QPoint(79, 41), QPoint(763, 95)));
        band->set(Qt::black, lsSingle, lsSingle, lsSingle, lsSingle);
        rep.add(std::move(band));
        QImage img = blank(4960, 7016);
        QPainter p(&img);
        rep.PrintTo(p, 4960, 1, 2);
        p.end();
        const double s = 4960.0 / 794;
        QCOMPARE(rep.PrintScale(), s);
        QCOMPARE(rep.PageNumber(), 1);
        const auto ink = inkColumns(img);
        QVERIFY(qAbs(ink.first - int(79 * s)) <= 4);
        QVERIFY(qAbs(ink.second - int(764 * s)) <= 4);
    }

    void gridCountsAndCellOrder_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("order");
        QTest::newRow("vertical") << int(pdVert) << u"00 10 20 01 11 21"_s;
        QTest::newRow("horizontal") << int(pdHorz) << u"00 01 10 11 20 21"_s;
    }
    void gridCountsAndCellOrder()
    {
        QFETCH(int, direction);
        QFETCH(QString, order);
        TLRGridPanel grid;
        grid.LRAlign = laNone;
        grid.setBounds(QRect(0, 0, 684, 920));
        grid.SetRowCount(920);
        QVERIFY_THROWS_EXCEPTION(ELRError, grid.SetRowCount(921));
        QCOMPARE(grid.RowCount(), 920);
        QVERIFY_THROWS_EXCEPTION(ELRError, grid.SetColCount(0));
        grid.SetRowCount(3);
        grid.SetColCount(2);
        QCOMPARE(grid.ChildPanel()->width(), 342);
        grid.PrintDirection = TPrintDirection(direction);
        QStringList seen;
        grid.OnPrintPanel = [&](TLRGridPanel *, int c, int r, const QRect &, TPrintStatus &) {
            seen << QString::number(r) + QString::number(c);
        };
        QImage img = blank(700, 930);
        QPainter p(&img);
        grid.PrintTo(p, grid.bounds(), 1);
        QCOMPARE(seen.join(u' '), order);
    }

    // A band its BeforePrint ends prints nothing, not even its lines, and
    // fires no AfterPrint; a cell given psLineOnly keeps its lines, not its text.
    void skippedBandsAndLineOnlyCells()
    {
        TLRLayoutPanel band;
        band.LRAlign = laNone;
        band.setBounds(QRect(10, 10, 100, 40));
        band.set(Qt::black, lsSingle, lsSingle, lsSingle, lsSingle);
        TLRItem *item = band.add(std::make_unique<TLRItem>());
        item->setBounds(QRect(0, 0, 100, 40));
        item->Font = ReportFont(20);
        item->SetText(u"残高"_s);
        bool after = false;
        band.AfterPrint = [&](TCustomLRPanel *) { after = true; };
        band.BeforePrint = [](TCustomLRPanel *, const QRect &, TPrintStatus &st) { st = psEndNow; };
        QImage img = blank(200, 100);
        {
            QPainter p(&img);
            band.PrintTo(p, band.bounds(), 1);
        }
        QCOMPARE(inkColumns(img).first, -1);
        QVERIFY(!after);

        band.BeforePrint = nullptr;
        item->set(Qt::black, lsSingle, lsNone, lsNone, lsNone);
        img = blank(200, 100);
        {
            QPainter p(&img);
            item->PrintTo(p, QRect(20, 20, 100, 40), psLineOnly, 1);
        }
        // Only the left line, at x 20: the text would reach further right.
        const auto ink = inkColumns(img);
        QCOMPARE(ink.first, 20);
        QVERIFY(ink.second <= 21);
    }

    // Text placement: a right-aligned text ends HMargin x scale inside the
    // item; a text too wide shrinks to fit with AutoFit and is cut at the edge without.
    void itemTextPlacement()
    {
        TLRItem item;
        item.Font = ReportFont(12);
        item.Alignment = Qt::AlignRight;
        item.SetText(u"1,234"_s);
        QImage img = blank(600, 200);
        {
            QPainter p(&img);
            item.PrintTo(p, QRect(0, 0, 100, 20), psNormal, 5);
        }
        auto ink = inkColumns(img);
        QVERIFY2(ink.second < 500 - 10 + 1 && ink.second > 500 - 10 - 8, qPrintable(QString::number(ink.second)));

        TLRItem wide;
        wide.Font = ReportFont(12);
        wide.SetHMargin(0);
        wide.SetText(u"五月三日(日) 憲法記念日の長い名前"_s);
        img = blank(300, 60);
        {
            QPainter p(&img);
            wide.PrintTo(p, QRect(10, 10, 100, 20), psNormal, 1);
        }
        ink = inkColumns(img);
        QVERIFY(ink.first >= 10);
        QVERIFY2(ink.second <= 111, qPrintable(QString::number(ink.second)));
        // Shrunk, not cut: the last character still prints near the right edge.
        QVERIFY2(ink.second >= 95, qPrintable(QString::number(ink.second)));

        wide.AutoFit = false;
        img = blank(300, 60);
        {
            QPainter p(&img);
            wide.PrintTo(p, QRect(10, 10, 100, 20), psNormal, 1);
        }
        QVERIFY(inkColumns(img).second <= 111);   // cut at the item's edge
    }

    void displayMasks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("shown");
        QTest::newRow("grouped negative") << u"-1234"_s << u"#,##0"_s << u"-1,234"_s;
        QTest::newRow("decimals") << u"1234.5"_s << u"#,##0.00"_s << u"1,234.50"_s;
        QTest::newRow("suffix") << u"300000"_s << u"#,##0円"_s << u"300,000円"_s;
        QTest::newRow("negative section") << u"-50"_s << u"#,##0;▲#,##0"_s << u"▲50"_s;
        QTest::newRow("percent one decimal") << u"66.66"_s << u"0.0"_s << u"66.7"_s;
        QTest::newRow("zero") << u"0"_s << u"#,##0"_s << u"0"_s;
        // Not numbers: printed as they are, never an abort.
        QTest::newRow("lone minus") << u"-"_s << u"#,##0"_s << u"-"_s;
        QTest::newRow("text") << u"A12"_s << u"#,##0"_s << u"A12"_s;
        QTest::newRow("unknown mask") << u"1234"_s << u"yyyy/mm/dd"_s << u"1234"_s;
    }
    void displayMasks()
    {
        QFETCH(QString, text);
        QFETCH(QString, mask);
        QFETCH(QString, shown);
        TLRItem item;
        item.SetText(text);
        item.DisplayMask = mask;
        QCOMPARE(item.GetDisplayText(), shown);
    }

    // An error while a page is drawn reaches the caller, never swallowed, and
    // the device can be printed on again; nothing to print is said, not drawn.
    void failedPageFreesTheDevice()
    {
        TLightRep rep;
        auto band = std::make_unique<TLRLayoutPanel>();
        TLRItem *item = band->add(std::make_unique<TLRItem>());
        item->OnGetText = [](TLRItem *, QString &) { throw ELRError(u"読めません"_s); };
        rep.add(std::move(band));
        QTemporaryDir dir;
        QPdfWriter pdf(dir.filePath(u"x.pdf"_s));
        QVERIFY_THROWS_EXCEPTION(ELRError, PrintReportPages(pdf, rep, 2, {}));
        QPainter again;
        QVERIFY(again.begin(&pdf));
        again.end();
        QString why;
        QVERIFY(!PrintReportPages(pdf, rep, 0, {}, &why));
        QCOMPARE(why, u"印刷するものがありません。"_s);
    }

    // The text map is mended where it stands: only destination codes of
    // radicals the report face draws like ideographs change, sources, other
    // codes and codes past the basic plane stay, and the file keeps its length.
    void textMapRepairedInPlace()
    {
        const QByteArray before = "stream\n"
                                  "3 beginbfchar\n<0001> <2F47>\n<2F49> <0041>\n<0002> <2f49>\nendbfchar\n"
                                  "2 beginbfrange\n<0003> <0004> [<2F47> <D840DC00>]\n<0005> <0006> <2F49>\nendbfrange\n"
                                  "<0007> <2F47>\nendstream\n";
        const QByteArray after = "stream\n"
                                 "3 beginbfchar\n<0001> <65E5>\n<2F49> <0041>\n<0002> <6708>\nendbfchar\n"
                                 "2 beginbfrange\n<0003> <0004> [<65E5> <D840DC00>]\n<0005> <0006> <6708>\nendbfrange\n"
                                 "<0007> <2F47>\nendstream\n";
        QTemporaryDir dir;
        const QString path = dir.filePath(u"map.pdf"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
        file.close();
        QVERIFY(RepairPdfTextMap(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
        file.close();
        QVERIFY(!RepairPdfTextMap(dir.filePath(u"missing.pdf"_s)));
    }

    // A field-bound item shows the cursor's column, its FieldName without a
    // model, and its own name without a FieldName.
    void fieldItemTexts()
    {
        TLRDBItem item(u"DBItem1"_s);
        QCOMPARE(item.GetText(), u"DBItem1"_s);
        item.FieldName = u"KINGAKU"_s;
        QCOMPARE(item.GetText(), u"KINGAKU"_s);
        QStandardItemModel model(2, 1);
        model.setData(model.index(1, 0), u"5,000"_s);
        TReportCursor cursor;
        cursor.model = &model;
        cursor.row = 1;
        item.DataSource = &cursor;
        item.Column = 0;
        QCOMPARE(item.GetText(), u"5,000"_s);
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
