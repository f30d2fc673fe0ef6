#include <QtTest>

#include "controls/SoftStringGrid.h"
#include "controls/SoftStringGridModel.h"

namespace {

// A grid the size of a month's table: 40 columns × 300 rows, two header rows and
// columns, 64 × 24 cells with 1-pixel lines (65 × 25 per cell), a 400 × 300 window.
void makeTable(SoftStringGridModel &m)
{
    m.setColCount(40);
    m.setRowCount(300);
    m.setFixedCols(2);
    m.setFixedRows(2);
    m.setClientSize(400, 300);
}

} // namespace

class TestSoftStringGrid : public QObject
{
    Q_OBJECT
private slots:
    void bandLimitsAreClamped_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("no-select rows negative") << "rows" << -3 << 0;
        QTest::newRow("no-select rows above fixed") << "rows" << 5 << 2;
        QTest::newRow("no-select cols above fixed") << "cols" << 9 << 2;
        QTest::newRow("edge cols above count") << "edgeCols" << 99 << 40;
        QTest::newRow("edge cols negative") << "edgeCols" << -1 << 0;
        QTest::newRow("edge rows above count") << "edgeRows" << 301 << 300;
    }
    void bandLimitsAreClamped()
    {
        QFETCH(QString, property);
        QFETCH(int, value);
        QFETCH(int, stored);
        SoftStringGridModel m;
        makeTable(m);
        if (property == "rows") {
            m.setNoSelectRows(value);
            QCOMPARE(m.noSelectRows(), stored);
            QCOMPARE(m.noSelectCols(), 1); // the other band is left alone
        } else if (property == "cols") {
            m.setNoSelectCols(value);
            QCOMPARE(m.noSelectCols(), stored);
        } else if (property == "edgeCols") {
            m.setEdgeCols(value);
            QCOMPARE(m.edgeCols(), stored);
        } else {
            m.setEdgeRows(value);
            QCOMPARE(m.edgeRows(), stored);
        }
    }

    // Both counts at once lay the grid out once and clamp as the single setters do.
    void setSizeResizesOnce()
    {
        SoftStringGridModel m;
        makeTable(m);
        m.setCells(1, 1, QStringLiteral("x"));
        QSignalSpy layouts(&m, &SoftStringGridModel::layoutChanged);
        m.setSize(33, 202);
        QCOMPARE(layouts.count(), 1);
        QCOMPARE(m.colCount(), 33);
        QCOMPARE(m.rowCount(), 202);
        QCOMPARE(m.fixedCols(), 2);
        m.setSize(33, 202);
        QCOMPARE(layouts.count(), 1); // unchanged counts leave the cells alone
        m.setSize(1, 0);
        QCOMPARE(m.colCount(), 1);
        QCOMPARE(m.rowCount(), 1);
        QCOMPARE(m.fixedCols(), 0);
        QCOMPARE(m.fixedRows(), 0);
    }

    void headerAndDataSelectionExcludeEachOther()
    {
        SoftStringGridModel m;
        makeTable(m);
        int fixAsked = 0;
        bool allowFix = true;
        m.onFixSelect = [&](int, int, bool &can) { ++fixAsked; can = allowFix; };

        // The no-select band: nothing is selected, the hot cell stays.
        m.chooseCell(3, 3);
        m.chooseCell(0, 5);
        QCOMPARE(m.hotCol(), 3);
        QCOMPARE(m.hotRow(), 3);
        QVERIFY(m.hasDataSelection());
        QCOMPARE(fixAsked, 0);

        // A refused header cell leaves the data selection.
        allowFix = false;
        m.chooseCell(1, 4);
        QVERIFY(m.hasDataSelection());
        QCOMPARE(m.fixSelCol(), -1);

        allowFix = true;
        m.chooseCell(1, 4);
        QCOMPARE(fixAsked, 2);
        QVERIFY(!m.hasDataSelection());
        QCOMPARE(m.selection(), GridRect{});
        QCOMPARE(m.fixSelCol(), 1);
        QCOMPARE(m.fixSelRow(), 4);
        QCOMPARE(m.hotCol(), 1);
        QCOMPARE(m.hotRow(), 4);
        // The platform's own path cannot move the data selection now.
        QVERIFY(!m.selectCell(5, 5));

        // Back to a data cell: the header cell is forgotten.
        m.chooseCell(6, 7);
        QVERIFY(m.hasDataSelection());
        QCOMPARE(m.col(), 6);
        QCOMPARE(m.row(), 7);
        QCOMPARE(m.fixSelCol(), -1);
    }

    void keysWhileHeaderSelected()
    {
        SoftStringGridModel m;
        makeTable(m);
        int asked = 0;
        bool allow = false;
        m.onSelectCell = [&](int, int, bool &can) { ++asked; can = allow; };
        m.chooseCell(5, 1); // last header row of a column header
        QCOMPARE(m.fixSelRow(), 1);

        for (int key : {Qt::Key_Tab, Qt::Key_Return, Qt::Key_A}) {
            QVERIFY(m.keyPress(key, {})); // used up, nothing moves
            QCOMPARE(m.fixSelCol(), 5);
            QCOMPARE(m.fixSelRow(), 1);
        }
        // Down asks OnSelectCell as a click would; a refusal keeps the header cell.
        m.keyPress(Qt::Key_Down, {});
        QCOMPARE(asked, 1);
        QCOMPARE(m.fixSelRow(), 1);
        allow = true;
        m.keyPress(Qt::Key_Down, {});
        QCOMPARE(asked, 2);
        QVERIFY(m.hasDataSelection());
        QCOMPARE(m.col(), 5);
        QCOMPARE(m.row(), 2);

        // Left from the first data column and Up from the first data row go into
        // the headers.
        m.chooseCell(2, 9);
        m.keyPress(Qt::Key_Left, {});
        QCOMPARE(m.fixSelCol(), 1);
        QCOMPARE(m.fixSelRow(), 9);
        m.chooseCell(4, 2);
        m.keyPress(Qt::Key_Up, {});
        QCOMPARE(m.fixSelCol(), 4);
        QCOMPARE(m.fixSelRow(), 1);
    }

    void selectCellAtScrollsIntoViewWithoutEvents()
    {
        SoftStringGridModel m;
        makeTable(m);
        int asked = 0;
        m.onSelectCell = [&](int, int, bool &) { ++asked; };
        m.selectCellAt(30, 200);
        QCOMPARE(asked, 0);
        QCOMPARE(m.col(), 30);
        QCOMPARE(m.row(), 200);
        const QRect r = m.cellRect(30, 200);
        QVERIFY(r.isValid());
        QVERIFY(r.right() < m.clientWidth());
        QVERIFY(r.bottom() < m.clientHeight());
        m.clearSelection();
        QVERIFY(!m.hasDataSelection());
        QCOMPARE(m.hotCol(), -1);
        QCOMPARE(m.hotRow(), -1);
    }

    void wheel()
    {
        SoftStringGridModel m;
        makeTable(m);
        m.chooseCell(3, 299);
        QVERIFY(m.wheel(true)); // the last row: nothing moves, still handled
        QCOMPARE(m.row(), 299);
        m.chooseCell(3, 2);
        QVERIFY(m.wheel(false)); // up from the first data row: the header above
        QCOMPARE(m.fixSelCol(), 3);
        QCOMPARE(m.fixSelRow(), 1);
    }

    // A drag on a boundary of a scrolled grid resizes the column (row) drawn at
    // the pointer, by the width measured where it is drawn.
    void dragInScrolledGrid_data()
    {
        QTest::addColumn<bool>("columns");
        QTest::addColumn<int>("scrollTo");
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("size");
        // LeftCol 10: column 11 is drawn at x 195..258, its boundary at 259. In the
        // unscrolled layout x 259 is the boundary of column 3.
        QTest::newRow("column") << true << 10 << QPoint(259, 5) << 20 << 11 << 84;
        QTest::newRow("column narrower") << true << 10 << QPoint(259, 5) << -30 << 11 << 34;
        // TopRow 50: row 51 is drawn at y 75..98.
        QTest::newRow("row") << false << 50 << QPoint(20, 99) << 20 << 51 << 44;
        QTest::newRow("not scrolled") << true << 2 << QPoint(259, 5) << 10 << 3 << 74;
    }
    void dragInScrolledGrid()
    {
        QFETCH(bool, columns);
        QFETCH(int, scrollTo);
        QFETCH(QPoint, press);
        QFETCH(int, move);
        QFETCH(int, index);
        QFETCH(int, size);
        SoftStringGridModel m;
        makeTable(m);
        m.setSizingOptions(SizingOption::soFixedColSizing | SizingOption::soFixedRowSizing);
        int changed = 0;
        m.onChangeSize = [&] { ++changed; };
        if (columns)
            m.setLeftCol(scrollTo);
        else
            m.setTopRow(scrollTo);

        m.mousePress(press.x(), press.y());
        QCOMPARE(m.sizingState(), columns ? GridSizingState::Col : GridSizingState::Row);
        QCOMPARE(m.sizingIndex(), index);
        const QPoint to = press + (columns ? QPoint(move, 0) : QPoint(0, move));
        m.mouseDrag(to.x(), to.y());
        m.mouseRelease(to.x(), to.y());

        QCOMPARE(m.sizingState(), GridSizingState::None);
        QCOMPARE(changed, 1);
        for (int i = 0; i < (columns ? 40 : 60); ++i)
            QCOMPARE(columns ? m.colWidth(i) : m.rowHeight(i), i == index ? size : (columns ? 64 : 24));
    }

    void sizingRules_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("draggedRow");
        QTest::addColumn<QList<int>>("expectedHeights"); // rows 0..5
        QTest::addColumn<int>("newRowHeightCalls");
        const int same = int(SizingOption::soFixedRowSizing | SizingOption::soSameRowSize);
        QTest::newRow("above the start row: that row alone") << same << 2 << 1
                                                            << QList<int>{24, 34, 24, 24, 24, 24} << 0;
        QTest::newRow("from the start row on") << same << 2 << 3 << QList<int>{24, 24, 34, 34, 34, 34} << 4;
        QTest::newRow("all rows take the default")
            << int(SizingOption::soFixedRowSizing | SizingOption::soSameAllRowSize) << 0 << 1
            << QList<int>{34, 34, 34, 34, 34, 34} << 0;
    }
    void sizingRules()
    {
        QFETCH(int, options);
        QFETCH(int, startRow);
        QFETCH(int, draggedRow);
        QFETCH(QList<int>, expectedHeights);
        QFETCH(int, newRowHeightCalls);
        SoftStringGridModel m;
        m.setColCount(4);
        m.setRowCount(6);
        m.setFixedRows(2);
        m.setClientSize(400, 400);
        m.setSizingOptions(SizingOptions(options));
        m.setSameRowSizeStartRow(startRow);
        int calls = 0;
        m.onNewRowHeight = [&](int, int &) { ++calls; };
        const int boundary = m.rowY(draggedRow) + m.rowHeight(draggedRow);
        m.mousePress(20, boundary);
        QCOMPARE(m.sizingIndex(), draggedRow);
        m.mouseRelease(20, boundary + 10);
        for (int r = 0; r < 6; ++r)
            QCOMPARE(m.rowHeight(r), expectedHeights.at(r));
        QCOMPARE(calls, newRowHeightCalls);
    }

    void sameColSizeGivesWidthToDataColumns()
    {
        SoftStringGridModel m;
        makeTable(m);
        m.setSizingOptions(SizingOption::soFixedColSizing | SizingOption::soSameColSize);
        m.mousePress(259, 5); // boundary of column 3
        m.mouseRelease(269, 5);
        QCOMPARE(m.colWidth(0), 64);
        QCOMPARE(m.colWidth(1), 64);
        QCOMPARE(m.colWidth(2), 74);
        QCOMPARE(m.colWidth(39), 74);
    }

    void refusedDrags()
    {
        SoftStringGridModel m;
        makeTable(m);
        m.setSizingOptions(SizingOption::soFixedColSizing);
        int changed = 0;
        m.onChangeSize = [&] { ++changed; };

        // To 1 pixel or less: nothing changes and no event.
        m.mousePress(64, 5);
        QCOMPARE(m.sizingIndex(), 0);
        m.mouseRelease(1, 5);
        QCOMPARE(m.colWidth(0), 64);
        QCOMPARE(changed, 0);

        // An edge column cannot be dragged even inside the header band.
        m.setEdgeCols(1);
        QCOMPARE(m.calcSizingState(64, 30, nullptr, nullptr), GridSizingState::None);
        // Outside the header band no boundary is found.
        QCOMPARE(m.calcSizingState(259, 100), GridSizingState::None);
        // OnAllowSizing may refuse.
        m.onAllowSizing = [](int, int, int, GridSizingState, bool &allow) { allow = false; };
        QCOMPARE(m.calcSizingState(129, 5, nullptr, nullptr), GridSizingState::None);
    }

    // The same drag through real mouse events on the widget.
    void widgetDragResizesColumnUnderPointer()
    {
        TSoftStringGrid grid;
        grid.resize(420, 320);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        SoftStringGridModel *m = grid.model();
        m->setColCount(40);
        m->setRowCount(300);
        m->setFixedCols(2);
        m->setFixedRows(2);
        m->setSizingOptions(SizingOption::soFixedColSizing);
        m->setLeftCol(10);
        const int boundary = m->colX(11) + m->colWidth(11);
        QWidget *vp = grid.viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(boundary, 5));
        QTest::mouseMove(vp, QPoint(boundary + 25, 5));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(boundary + 25, 5));
        QCOMPARE(m->colWidth(11), 89);
        QCOMPARE(m->colWidth(3), 64);
    }
};

QTEST_MAIN(TestSoftStringGrid)
#include "tst_softstringgrid.moc"
