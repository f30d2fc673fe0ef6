#include <QtTest>

#include <memory>

#include <QImage>

#include "controls/MyDBGrid.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"

namespace {

// Journal-like rows in memory: a name, an amount and a scheduled flag.
struct Rows
{
    ClientDataSet ds;
    DataSource source{&ds};

    explicit Rows(int count)
    {
        ds.setFieldDefs({{QStringLiteral("NAME"), FieldType::String, 20},
                         {QStringLiteral("KINGAKU"), FieldType::Currency},
                         {QStringLiteral("RESERVED"), FieldType::Boolean}});
        ds.createDataSet();
        for (int i = 0; i < count; ++i) {
            ds.append();
            ds[QStringLiteral("NAME")].setAsString(QStringLiteral("row%1").arg(i));
            ds[QStringLiteral("KINGAKU")].setAsCurrency(Currency::fromInt((i % 2 ? -1 : 1) * 100 * (i + 1)));
            ds[QStringLiteral("RESERVED")].setAsBoolean(i == 2);
            ds.post();
        }
        ds.first();
    }
};

void show(TMyDBGrid &grid)
{
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
}

void click(TMyDBGrid &grid, int row, Qt::KeyboardModifiers mods = {})
{
    const QRect r = grid.getCellRect(0, row);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, mods, r.center());
}

} // namespace

class TestMyDBGrid : public QObject
{
    Q_OBJECT
private slots:
    // Cells show the field's text event; an owner's paint handler reads the
    // fields of the painted row, not of the current record.
    void fieldsShownThroughTextEvents()
    {
        Rows rows(5);
        rows.ds[QStringLiteral("KINGAKU")].OnGetText = [](Field &f, QString &text, bool display) {
            text = display ? QStringLiteral("%1円").arg(f.asCurrency().toString(0, true)) : f.asCurrency().toString();
        };
        TMyDBGrid grid;
        grid.setDataSource(&rows.source);
        QCOMPARE(grid.columnCount(), 3);
        const int kingaku = grid.dataModel()->columnOf(QStringLiteral("KINGAKU"));
        QCOMPARE(grid.dataModel()->data(grid.dataModel()->index(3, kingaku)).toString(), QStringLiteral("-400円"));

        QMap<int, QString> seen;
        grid.onDrawColumnCell = [&](QPainter &, const QRect &, int dataCol, int, GridDrawState) {
            if (dataCol == kingaku)
                seen[grid.paintRow()] = rows.ds[QStringLiteral("KINGAKU")].displayText();
        };
        show(grid);
        grid.grab();
        QVERIFY(seen.size() >= 5);
        for (int r = 0; r < 5; ++r)
            QCOMPARE(seen.value(r), QStringLiteral("%1円").arg(Currency::fromInt((r % 2 ? -1 : 1) * 100 * (r + 1)).toString(0, true)));
        QCOMPARE(rows.ds.recNo(), 1); // painting did not move the cursor
    }

    void readOnly_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("editable") << "" << false;
        QTest::newRow("grid") << "grid" << true;
        QTest::newRow("no editing option") << "option" << true;
        QTest::newRow("column") << "column" << true;
        QTest::newRow("field") << "field" << true;
        QTest::newRow("data set") << "dataset" << true;
        QTest::newRow("guarded row") << "row" << true;
    }
    void readOnly()
    {
        QFETCH(QString, cause);
        QFETCH(bool, readOnly);
        Rows rows(3);
        TMyDBGrid grid;
        TMyDBGridColumn name;
        name.fieldName = QStringLiteral("NAME");
        TMyDBGridColumn amount;
        amount.fieldName = QStringLiteral("KINGAKU");
        grid.setDataSource(&rows.source);
        grid.setColumns({name, amount});
        if (cause == "grid")
            grid.setReadOnly(true);
        else if (cause == "option")
            grid.setOptions(grid.options() & ~DBGridOptions(DBGridOption::dgEditing));
        else if (cause == "column") {
            name.readOnly = true;
            grid.setColumn(0, name);
        } else if (cause == "field")
            rows.ds[QStringLiteral("NAME")].setReadOnly(true);
        else if (cause == "dataset")
            rows.ds.setReadOnly(true);
        else if (cause == "row")
            grid.readOnlyRow = [](int row) { return row == 1; };
        show(grid);

        QCOMPARE(grid.isCellReadOnly(1, 0), readOnly);
        const QModelIndex cell = grid.dataModel()->index(1, 0);
        grid.setCurrentIndex(cell);
        grid.edit(cell);
        QCOMPARE(grid.editorMode(), !readOnly);
        if (cause == "row")
            QVERIFY(!grid.isCellReadOnly(0, 0)); // only the guarded row
    }

    void currentRecordFollowsBothWays()
    {
        Rows rows(6);
        TMyDBGrid grid;
        grid.setDataSource(&rows.source);
        show(grid);
        click(grid, 3);
        QCOMPARE(rows.ds.recNo(), 4);
        rows.ds.setRecNo(2);
        QCOMPARE(grid.row(), 1);

        // A scroll the data set refuses keeps the grid where the data set stays.
        rows.ds.BeforeScroll = [](DataSet &) { Abort(); };
        click(grid, 5);
        QCOMPARE(rows.ds.recNo(), 2);
        QCOMPARE(grid.row(), 1);
    }

    void multiSelectByMouse()
    {
        Rows rows(8);
        TMyDBGrid grid;
        grid.setDataSource(&rows.source);
        grid.setMultiSelectMode(true);
        QList<int> events;
        grid.onSelectionChanged = [&](int count) { events << count; };
        show(grid);

        click(grid, 1);
        QCOMPARE(grid.selectedCount(), 0);
        click(grid, 4, Qt::ShiftModifier);
        QCOMPARE(grid.selectedRows(), (QList<int>{1, 2, 3, 4}));
        click(grid, 2, Qt::ControlModifier);
        QCOMPARE(grid.selectedRows(), (QList<int>{1, 3, 4}));
        click(grid, 6);
        QCOMPARE(grid.selectedCount(), 0); // a plain click clears and selects nothing else
        QCOMPARE(events.last(), 0);
        QVERIFY(events.contains(4));
        QVERIFY(events.contains(3));

        // The indicator: a dot for a selected row, the multi-arrow for the current one.
        click(grid, 2, Qt::ControlModifier);
        click(grid, 5, Qt::ControlModifier);
        QCOMPARE(grid.indicatorImage(2), 3);
        QCOMPARE(grid.indicatorImage(5), 4);
        QCOMPARE(grid.indicatorImage(0), -1);
    }

    void shiftArrowsExtendTheSelection()
    {
        Rows rows(8);
        TMyDBGrid grid;
        grid.setDataSource(&rows.source);
        grid.setMultiSelectMode(true);
        int events = 0;
        grid.onSelectionChanged = [&](int) { ++events; };
        show(grid);
        grid.setFocus();
        click(grid, 2);
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(grid.selectedRows(), (QList<int>{2, 3, 4}));
        QVERIFY(events >= 2);
        QCOMPARE(rows.ds.recNo(), 5);
    }

    // All rows of the data set, not only those on screen; a change of the rows
    // drops the selection rather than leave it on other records.
    void selectAllAndDataChanges()
    {
        Rows rows(200);
        TMyDBGrid grid;
        grid.setDataSource(&rows.source);
        grid.setMultiSelectMode(true);
        QList<int> events;
        grid.onSelectionChanged = [&](int count) { events << count; };
        show(grid);
        grid.selectAll();
        QCOMPARE(grid.selectedCount(), 200);
        QCOMPARE(events.last(), 200);
        QCOMPARE(rows.ds.recNo(), 1);

        const QList<Bookmark> marks = grid.selectedBookmarks();
        QCOMPARE(marks.size(), 200);
        QCOMPARE(rows.ds.recNo(), 1);

        rows.ds.setRecNo(10);
        rows.ds.remove();
        QCOMPARE(grid.selectedCount(), 0);
        QCOMPARE(events.last(), 0);
    }

    // A selected cell painted by default looks the same as one an owner paints by
    // ending its handler with drawColumnCellText(…, 55).
    void ownerPaintMatchesDefault()
    {
        Rows rows(3);
        TMyDBGrid plain, owner;
        owner.setDefaultDrawing(false);
        owner.onDrawColumnCell = [&](QPainter &p, const QRect &r, int dataCol, int column, GridDrawState state) {
            owner.drawColumnCellText(p, r, dataCol, column, state, 55);
        };
        for (TMyDBGrid *g : {&plain, &owner}) {
            g->setDataSource(&rows.source);
            g->setOptions(g->options() | DBGridOption::dgAlwaysShowSelection);
            show(*g);
            g->setCurrentIndex(g->dataModel()->index(0, 0));
        }
        const QRect r = plain.getCellRect(0, 0);
        QCOMPARE(owner.getCellRect(0, 0), r);
        const QImage a = plain.viewport()->grab(r).toImage();
        const QImage b = owner.viewport()->grab(r).toImage();
        QCOMPARE(a, b);
        // And the selected cell is shaded: its top differs from its bottom.
        QVERIFY(a.pixelColor(1, 1) != a.pixelColor(1, a.height() - 2));
    }
};

QTEST_MAIN(TestMyDBGrid)
#include "tst_mydbgrid.moc"
