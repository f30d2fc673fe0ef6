#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSetModel.h"

// The grid model shows and edits through the fields' text events.
class TestDataSetModel : public QObject
{
    Q_OBJECT

    static void makeSet(ClientDataSet &ds)
    {
        ds.setFieldDefs({{QStringLiteral("DATANO"), FieldType::Integer},
                         {QStringLiteral("ZEIATUKAI"), FieldType::Smallint},
                         {QStringLiteral("KINGAKU"), FieldType::Currency},
                         {QStringLiteral("RecPos"), FieldType::Integer, 0, FieldKind::InternalCalc}});
        ds.createDataSet();
        for (int i = 1; i <= 3; ++i) {
            ds.append();
            ds["DATANO"].setAsInteger(i);
            ds["ZEIATUKAI"].setAsInteger(i % 3);
            ds["KINGAKU"].setAsCurrency(Currency::fromInt(i * 1000));
            ds.post();
        }
        ds["RecPos"].setVisible(false);
        ds["KINGAKU"].setDisplayLabel(QStringLiteral("金額"));
        Field &zei = ds["ZEIATUKAI"];
        zei.OnGetText = [](Field &f, QString &text, bool displayText) {
            static const QStringList marks{QString(), QStringLiteral("内税"), QStringLiteral("外税"), QString()};
            if (displayText)
                text = marks.value(f.asInteger());
        };
        zei.OnSetText = [](Field &f, const QString &text) {
            if (text == QStringLiteral("内税"))
                f.setAsInteger(1);
            else if (text == QStringLiteral("外税"))
                f.setAsInteger(2);
            else
                Abort();   // an unknown word is refused silently
        };
        ds["KINGAKU"].OnValidate = [](Field &f) {
            if (f.asCurrency() < Currency())
                throw EDataSetError(QStringLiteral("金額が負です"));
        };
        ds.first();
    }

private slots:
    void displayThroughEvents()
    {
        ClientDataSet ds;
        makeSet(ds);
        DataSource source(&ds);
        DataSetModel model(&source);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.columnCount(), 3);   // the hidden column is left out
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("金額"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("ZEIATUKAI"));
        int scrolls = 0;
        ds.AfterScroll = [&scrolls](DataSet &) { ++scrolls; };
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("外税"));
        QCOMPARE(model.data(model.index(1, 1), Qt::EditRole).toString(), QStringLiteral("2"));
        QCOMPARE(model.data(model.index(2, 1)).toString(), QString());
        QCOMPARE(model.data(model.index(2, 2)).toString(), QStringLiteral("3,000"));
        QCOMPARE(scrolls, 0);   // reading other rows never moves the data set
        QCOMPARE(ds.recNo(), 1);
        // Rows follow the data set.
        ds.append();
        QCOMPARE(model.rowCount(), 4);
        ds["DATANO"].setAsInteger(4);
        ds.post();
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.data(model.index(3, 0)).toString(), QStringLiteral("4"));
        ds.remove();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.currentRow(), 2);
    }

    void editAndRefusal()
    {
        ClientDataSet ds;
        makeSet(ds);
        DataSource source(&ds);
        DataSetModel model(&source);
        QSignalSpy failed(&model, &DataSetModel::editFailed);
        QVERIFY(model.setData(model.index(1, 1), QStringLiteral("内税")));
        QCOMPARE(ds.recNo(), 2);
        QCOMPARE(ds["ZEIATUKAI"].asInteger(), 1);
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("内税"));
        // A silent refusal keeps the old value and says nothing.
        QVERIFY(!model.setData(model.index(1, 1), QStringLiteral("たぶん")));
        QCOMPARE(ds["ZEIATUKAI"].asInteger(), 1);
        QCOMPARE(failed.count(), 0);
        // A refusal with a message keeps the value and hands the message on.
        QVERIFY(!model.setData(model.index(1, 2), QStringLiteral("-5")));
        QCOMPARE(ds["KINGAKU"].asCurrency(), Currency::fromInt(2000));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().toString(), QStringLiteral("金額が負です"));
        QVERIFY(!model.setData(model.index(1, 2), QStringLiteral("abc")));
        QCOMPARE(failed.count(), 2);
        QCOMPARE(ds["KINGAKU"].asCurrency(), Currency::fromInt(2000));
        // Moving to another row posts the pending edit.
        QVERIFY(model.setData(model.index(0, 2), QStringLiteral("1500")));
        QCOMPARE(ds.recNo(), 1);
        ds.post();
        ds.setRecNo(2);
        QCOMPARE(ds["ZEIATUKAI"].asInteger(), 1);
        QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("1,500"));
        // Read-only fields are not editable.
        ds["DATANO"].setReadOnly(true);
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(model.index(0, 0), QStringLiteral("7")));
    }
};

QTEST_GUILESS_MAIN(TestDataSetModel)
#include "tst_datasetmodel.moc"
