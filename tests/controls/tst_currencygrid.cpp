#include <QtTest>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QLineEdit>

#include "controls/AmountGlyphs.h"
#include "controls/ColorValue.h"
#include "controls/CurrencyGrid.h"
#include "controls/CurrencyGridModel.h"
#include "data/FormatSettings.h"

using namespace Qt::StringLiterals;

namespace {

void setDecimals(int decimals)
{
    Formats().currencyDecimals = decimals;
}

Currency yen(qint64 v)
{
    return Currency::fromInt(v);
}

// Whether the cell shows pixels of a clearly red text.
bool hasRedPixels(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    return false;
}

bool hasDarkPixels(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() < 90 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    return false;
}

// Records the regions the viewport is asked to paint.
class PaintSpy : public QObject
{
public:
    QRegion painted;
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(e)->region();
            ++count;
        }
        return false;
    }
};

} // namespace

class TestCurrencyGrid : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setDecimals(0); }

    void displayText_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("dataDraw");
        QTest::addColumn<qlonglong>("raw");
        QTest::addColumn<QString>("string");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero is blank") << 0 << true << 0LL << "" << "";
        QTest::newRow("thousands") << 0 << true << 12340000LL << "" << "1,234";
        QTest::newRow("negative") << 0 << true << -50000LL << "" << "-5";
        QTest::newRow("two decimals") << 2 << true << 12345000LL << "" << "1,234.50";
        QTest::newRow("zero shows the cell's string") << 0 << true << 0LL << "合 計" << "合 計";
        QTest::newRow("amounts off: the string") << 0 << false << 12340000LL << "x" << "x";
    }
    void displayText()
    {
        QFETCH(int, decimals);
        QFETCH(bool, dataDraw);
        QFETCH(qlonglong, raw);
        QFETCH(QString, string);
        QFETCH(QString, shown);
        setDecimals(decimals);
        CurrencyGridModel m;
        m.setDataDraw(dataDraw);
        m.setValue(1, 1, Currency::fromRaw(raw));
        m.setCells(1, 1, string);
        QCOMPARE(m.displayText(1, 1), shown);
    }

    // The decimals of the book opened last apply to a grid made earlier.
    void decimalsFollowTheOpenBook()
    {
        CurrencyGridModel m;
        m.setValue(1, 1, Currency::fromRaw(123400)); // 12.34
        QCOMPARE(m.displayText(1, 1), QStringLiteral("12"));
        setDecimals(2);
        QCOMPARE(m.displayText(1, 1), QStringLiteral("12.34"));
        setDecimals(0);
        QCOMPARE(m.displayText(1, 1), QStringLiteral("12"));
    }

    // Formatted amounts are kept per cell: every way an amount changes must
    // show the new amount, totals moved by a summed cell included.
    void amountTextsFollowChanges()
    {
        CurrencyGridModel m;
        m.setColCount(4);
        m.setRowCount(4);
        GridTotalsLayout t;
        t.sumRow = 3;
        t.sumCol = 3;
        t.firstRow = 1;
        t.firstCol = 1;
        m.setTotalsLayout(t);
        m.setValue(1, 1, yen(1000));
        QCOMPARE(m.displayText(1, 1), QStringLiteral("1,000"));
        QCOMPARE(m.displayText(3, 3), QStringLiteral("1,000"));
        m.setValue(1, 1, yen(-25000));
        QCOMPARE(m.displayText(1, 1), QStringLiteral("-25,000"));
        QCOMPARE(m.displayText(3, 1), QStringLiteral("-25,000"));
        QCOMPARE(m.displayText(3, 3), QStringLiteral("-25,000"));
        m.clearValues();
        QCOMPARE(m.displayText(1, 1), QString());
        m.setValue(1, 1, yen(7));
        QCOMPARE(m.displayText(1, 1), QStringLiteral("7"));
        m.clearAll();
        QCOMPARE(m.displayText(1, 1), QString());
        m.setValue(2, 2, yen(3));
        m.setColCount(5);
        QCOMPARE(m.displayText(2, 2), QString());
    }

    void textEventsReplaceTexts()
    {
        CurrencyGridModel m;
        m.setStack(true);
        m.setValue(2, 2, yen(10));
        m.setStackValue(2, 2, yen(-3000));
        QCOMPARE(m.stackText(2, 2), QStringLiteral("-3,000"));
        m.onGetText = [](int c, int r, QString &t) { t += QStringLiteral("円"); };
        m.onGetText2 = [](int, int, QString &t) { t = QStringLiteral("s"); };
        QCOMPARE(m.displayText(2, 2), QStringLiteral("10円"));
        QCOMPARE(m.stackText(2, 2), QStringLiteral("s"));
        // A negative index leaves the caller's text alone.
        QString keep = QStringLiteral("keep");
        m.cellText(-1, 2, keep);
        QCOMPARE(keep, QStringLiteral("keep"));
    }

    void setValueFlagsOnlyDifferences()
    {
        CurrencyGridModel m;
        m.setCells(1, 1, QStringLiteral("text"));
        m.setValue(1, 1, Currency());
        QCOMPARE(m.cells(1, 1), QString()); // emptied even though the amount is the same
        QVERIFY(!m.isChanged(1, 1));
        m.setValue(1, 1, yen(5));
        QVERIFY(m.isChanged(1, 1));

        QSignalSpy spy(&m, &SoftStringGridModel::cellChanged);
        m.invalidateChangedCells();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
        QCOMPARE(spy.at(0).at(1).toInt(), 1);
    }

    void indexRule()
    {
        CurrencyGridModel m; // 5 × 5
        QCOMPARE(m.getValue(-1, -1), Currency());
        m.setValue(-1, -1, yen(1));
        QVERIFY(m.lastIndexError().isEmpty());
        QCOMPARE(m.getCellAlignment(-1, -1), CellAlignment::taLeftJustify);

        QCOMPARE(m.getValue(5, 0), Currency());
        QVERIFY(m.lastIndexError().startsWith(QStringLiteral("TCurrencyGrid　インデックスが範囲を超えています")));
        QVERIFY(m.lastIndexError().endsWith(QStringLiteral(" Col= 5 Row= 0")));
        m.setValue(0, 7, yen(1));
        QVERIFY(m.lastIndexError().endsWith(QStringLiteral(" Col= 0 Row= 7")));
        QVERIFY(!m.getRowStack(5));
    }

    void stackValues()
    {
        CurrencyGridModel m;
        m.setStackValue(1, 1, yen(9));
        QCOMPARE(m.getStackValue(1, 1), Currency());
        QVERIFY(!m.getRowStack(1));
        m.setStack(true);
        QVERIFY(m.getRowStack(1));
        m.setCells(1, 1, QStringLiteral("a"));
        m.setStackValue(1, 1, yen(9));
        QCOMPARE(m.getStackValue(1, 1), yen(9));
        QCOMPARE(m.cells(1, 1), QStringLiteral("a")); // the string stays
        m.clearValues();
        QCOMPARE(m.getStackValue(1, 1), Currency());
        QCOMPARE(m.cells(1, 1), QStringLiteral("a"));
        m.clearAll();
        QCOMPARE(m.cells(1, 1), QString());
    }

    void resizeClearsEverything()
    {
        CurrencyGridModel m;
        m.setStack(true);
        m.setValue(1, 1, yen(1));
        m.setStackValue(1, 1, yen(2));
        m.setCellAlignment(0, 1, CellAlignment::taCenter);
        m.setCells(0, 1, QStringLiteral("食費"));
        m.setObjects(0, 1, 12);
        m.setRowCount(6);
        QCOMPARE(m.getValue(1, 1), Currency());
        QCOMPARE(m.getStackValue(1, 1), Currency());
        QCOMPARE(m.getCellAlignment(0, 1), CellAlignment::taLeftJustify);
        QCOMPARE(m.cells(0, 1), QString());
        QVERIFY(!m.objects(0, 1).isValid());
    }

    // Kinds follow the header band also when a form sets the fixed counts after
    // the counts; otherwise former header cells would refuse every selection.
    void kindsFollowFixedCounts()
    {
        CurrencyGridModel m;
        m.setColCount(6);
        m.setRowCount(6);
        m.setFixedCols(3);
        m.setFixedRows(2);
        QCOMPARE(m.cellKind(2, 3), CellKind::csFixed);
        QCOMPARE(m.cellKind(3, 2), CellKind::csNormal);
        m.setFixedCols(2);
        QCOMPARE(m.cellKind(2, 3), CellKind::csNormal);
        QVERIFY(m.canSelectCell(2, 3));
    }

    void refusedCellInFirstDataRowScrollsToTop()
    {
        CurrencyGridModel m;
        m.setColCount(5);
        m.setRowCount(100);
        m.setFixedRows(2);
        m.setClientSize(300, 200);
        m.setTopRow(40);
        QVERIFY(!m.canSelectCell(0, 2)); // a header column of the first data row
        QCOMPARE(m.topRow(), 2);
    }

    // The monthly table's totals: column 1 sums the day columns, row 1 sums the
    // category rows (the percentage column 2 left out); they follow every change.
    void totalsFollowCells()
    {
        CurrencyGridModel m;
        m.setColCount(8);
        m.setRowCount(6);
        m.setFixedCols(3);
        m.setFixedRows(2);
        m.setTotalsLayout(GridTotalsLayout{1, 1, 2, 3, {2}});
        m.setValue(2, 3, yen(55)); // a percentage: counted nowhere
        m.setValue(3, 2, yen(100));
        m.setValue(4, 2, yen(-30));
        m.setValue(4, 5, yen(7));
        QCOMPARE(m.getValue(1, 2), yen(70));
        QCOMPARE(m.getValue(1, 5), yen(7));
        QCOMPARE(m.getValue(3, 1), yen(100));
        QCOMPARE(m.getValue(4, 1), yen(-23));
        QCOMPARE(m.getValue(2, 1), Currency());
        QCOMPARE(m.getValue(1, 1), yen(77));

        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 8; ++c)
                m.clearChanged(c, r);
        m.setValue(3, 2, yen(150));
        // Only the cell and the totals it feeds are flagged for repainting.
        int flagged = 0;
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 8; ++c)
                flagged += m.isChanged(c, r);
        QCOMPARE(flagged, 4);
        QCOMPARE(m.getValue(1, 1), yen(127));

        // A recount gives the same totals and flags nothing new.
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 8; ++c)
                m.clearChanged(c, r);
        m.recalcTotals();
        QCOMPARE(m.getValue(1, 1), yen(127));
        QCOMPARE(m.getValue(4, 1), yen(-23));
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 8; ++c)
                QVERIFY(!m.isChanged(c, r));
    }

    void colours_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("state");
        QTest::addColumn<QColor>("brush");
        QTest::addColumn<QColor>("font");
        const int sel = int(GridDrawFlag::Selected), foc = int(GridDrawFlag::Focused), fix = int(GridDrawFlag::Fixed);
        QTest::newRow("selected, unfocused") << 2 << 2 << sel << ColorValue::fromBgr(0x800000) << QColor(Qt::white);
        QTest::newRow("selected and focused") << 2 << 2 << (sel | foc) << ColorValue::fromBgr(0xECFFDF)
                                              << QColor(Qt::white);
        QTest::newRow("odd row") << 2 << 3 << 0 << QColor(Qt::yellow) << QColor(Qt::black);
        QTest::newRow("even row") << 2 << 2 << 0 << QColor(Qt::cyan) << QColor(Qt::black);
        QTest::newRow("header") << 0 << 2 << fix << QColor(Qt::gray) << QColor(Qt::black);
    }
    void colours()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(int, state);
        QFETCH(QColor, brush);
        QFETCH(QColor, font);
        CurrencyGridModel m;
        m.setRowOddColor(Qt::yellow);
        m.setRowEvenColor(Qt::cyan);
        m.setFixedColor(Qt::gray);
        const GridCellColors colors = m.cellColors(col, row, GridDrawState(state));
        QCOMPARE(colors.brush, brush);
        QCOMPARE(colors.font, font);
        m.onDrawColor = [](int, int, GridDrawState, QColor &f, QColor &, QColor &b) {
            f = Qt::green;
            b = Qt::magenta;
        };
        QCOMPARE(m.cellColors(col, row, GridDrawState(state)).brush, QColor(Qt::magenta));
    }

    void hotTracking()
    {
        CurrencyGridModel m;
        m.setColCount(6);
        m.setRowCount(6);
        m.setFixedCols(2);
        m.setFixedRows(2);
        m.setNoSelectCols(2);
        m.setRowHotTrack(true);
        m.chooseCell(3, 4);
        QVERIFY(m.isHotTracked(0, 4));
        QVERIFY(m.isHotTracked(1, 4));
        QVERIFY(!m.isHotTracked(0, 3));
        QVERIFY(!m.isHotTracked(3, 0)); // columns are not tracked
        QVERIFY(!m.isHotTracked(3, 4)); // data cells never
    }

    // Painted: a negative amount is red, a positive one dark, a zero one blank;
    // painting clears the changed flag.
    void paintsNegativeInRed()
    {
        TCurrencyGrid grid;
        grid.resize(400, 200);
        CurrencyGridModel *m = grid.model();
        m->setColCount(4);
        m->setRowCount(4);
        m->setRowOddColor(Qt::white);
        m->setRowEvenColor(Qt::white);
        m->clearSelection();
        grid.setValue(1, 1, yen(-1234));
        grid.setValue(2, 1, yen(1234));
        grid.setValue(3, 1, Currency());
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const QImage image = grid.viewport()->grab().toImage();
        QVERIFY(hasRedPixels(image, m->cellRect(1, 1)));
        QVERIFY(!hasRedPixels(image, m->cellRect(2, 1)));
        QVERIFY(hasDarkPixels(image, m->cellRect(2, 1)));
        QVERIFY(!hasDarkPixels(image, m->cellRect(3, 1)));
        QVERIFY(!m->isChanged(1, 1));
    }

    // Amounts are drawn from glyphs looked up once: they must measure and look
    // as the text engine would draw them, and anything else must be left to it.
    void amountGlyphsMatchTheTextEngine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("covered");
        QTest::newRow("digits") << u"1234567890"_s << true;
        QTest::newRow("separators") << u"-98,765"_s << true;
        QTest::newRow("percent") << u"12.5%"_s << true;
        QTest::newRow("kanji") << u"12円"_s << false;
        QTest::newRow("letters") << u"abc"_s << false;
        QTest::newRow("full-width digits") << u"１２３"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void amountGlyphsMatchTheTextEngine()
    {
        QFETCH(QString, text);
        QFETCH(bool, covered);
        QFont font;
        font.setPixelSize(13);
        const AmountGlyphs *glyphs = AmountGlyphs::forFont(font);
        QVERIFY(glyphs);
        QCOMPARE(AmountGlyphs::forFont(font), glyphs);
        QCOMPARE(glyphs->covers(text), covered);
        if (!covered)
            return;
        const QFontMetrics fm(font);
        QCOMPARE(glyphs->advance(text), fm.horizontalAdvance(text));
        auto render = [&](bool withGlyphs) {
            QImage image(200, 30, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            p.setFont(font);
            p.setPen(Qt::black);
            if (withGlyphs)
                glyphs->draw(p, QPointF(5, 20), text);
            else
                p.drawText(QPointF(5, 20), text);
            return image;
        };
        QCOMPARE(render(true), render(false));
    }

    // Recomputing a table repaints only the cells whose amounts changed.
    void repaintsOnlyChangedCells()
    {
        TCurrencyGrid grid;
        grid.resize(700, 400);
        CurrencyGridModel *m = grid.model();
        m->setColCount(40);
        m->setRowCount(300);
        m->setFixedCols(2);
        m->setFixedRows(2);
        for (int r = 2; r < 300; ++r)
            for (int c = 2; c < 40; ++c)
                m->setValue(c, r, yen(r));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTRY_VERIFY(!m->isChanged(5, 6)); // painted once
        PaintSpy spy;
        grid.viewport()->installEventFilter(&spy);
        for (int r = 2; r < 300; ++r)
            for (int c = 2; c < 40; ++c)
                m->setValue(c, r, yen(r)); // as before: nothing differs
        m->setValue(5, 6, yen(1));
        m->invalidateChangedCells();
        QTRY_VERIFY(spy.count > 0);
        QVERIFY(m->cellRect(5, 6).adjusted(-1, -1, 2, 2).contains(spy.painted.boundingRect()));
    }

    void editorNeedsAllowEdit()
    {
        TCurrencyGrid grid;
        grid.resize(300, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.setFocus();
        grid.model()->chooseCell(1, 1);
        QVERIFY(grid.model()->options().testFlag(GridOption::Editing));
        QTest::keyClick(&grid, Qt::Key_5);
        QVERIFY(!grid.isEditorOpen());

        grid.model()->setAllowEdit(true);
        QTest::keyClick(&grid, Qt::Key_5);
        QVERIFY(grid.isEditorOpen());
        QTest::keyClick(grid.inplaceEditor(), Qt::Key_A); // refused
        QTest::keyClick(grid.inplaceEditor(), Qt::Key_Plus);
        QCOMPARE(grid.inplaceEditor()->text(), QStringLiteral("5+"));
        QTest::keyClick(grid.inplaceEditor(), Qt::Key_Return);
        QVERIFY(!grid.isEditorOpen());
        QCOMPARE(grid.model()->cells(1, 1), QStringLiteral("5+"));
    }
};

QTEST_MAIN(TestCurrencyGrid)
#include "tst_currencygrid.moc"
