#include <QAction>
#include <QHeaderView>
#include <QtTest>

#include "controls/GridUtils.h"
#include "controls/MyDBGrid.h"

using namespace Qt::StringLiterals;

// The grid routines the pages share.
class TestGridUtils : public QObject
{
    Q_OBJECT

    static QList<TMyDBGridColumn> columns()
    {
        QList<TMyDBGridColumn> c;
        for (const char *f : {"HinmeiName", "KINGAKU", "ShopName"}) {
            TMyDBGridColumn col;
            col.fieldName = QLatin1String(f);
            c << col;
        }
        return c;
    }

private slots:
    void columnsByFieldName()
    {
        TMyDBGrid grid;
        grid.setColumns(columns());
        QVERIFY(SetGridColumnVisible(&grid, u"kingaku"_s, false, u"金額"_s));
        QVERIFY(!grid.column(1).visible);
        QCOMPARE(grid.column(1).caption, u"金額"_s);
        QVERIFY(SetGridColumnVisible(&grid, u"KINGAKU"_s, true));
        QVERIFY(grid.column(1).visible);
        QCOMPARE(grid.column(1).caption, u"金額"_s);
        QVERIFY(!SetGridColumnVisible(&grid, u"PersonName"_s, false));

        AlternateColumnColors(&grid, Qt::red, Qt::blue);
        QCOMPARE(grid.column(0).color, QColor(Qt::blue));
        QCOMPARE(grid.column(1).color, QColor(Qt::red));
        QCOMPARE(grid.column(2).color, QColor(Qt::blue));

        QFont font(u"Sans"_s, 17);
        SetGridFont(&grid, font);
        QCOMPARE(grid.font().pointSize(), 17);
        QCOMPARE(grid.horizontalHeader()->font().pointSize(), 17);
    }

    // Without an open editor the grid is not editing; an action given along
    // is shown for the state it asks for.
    void editingStateDrivesActions()
    {
        TMyDBGrid grid;
        QAction whileEditing, whileNot;
        QVERIFY(!IsGridEditing(&grid, &whileEditing, true));
        QVERIFY(!whileEditing.isVisible());
        QVERIFY(!IsGridEditing(&grid, &whileNot, false));
        QVERIFY(whileNot.isVisible());
        QVERIFY(!IsGridEditing(nullptr));
    }
};

QTEST_MAIN(TestGridUtils)
#include "tst_gridutils.moc"
