#include <sqlcipher/sqlite3.h>

#include <QtTest>

#include "TestEnv.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Database.h"
#include "platform/db/Provider.h"

// Client data sets keep a change log in memory; the provider applies it to one
// table in one transaction and hands conflicts to the reconcile handler.
class TestClientDataSet : public QObject
{
    Q_OBJECT

    TestEnv m_env;
    QString m_path;
    int m_commits = 0;

    static int onCommit(void *ctx)
    {
        ++*static_cast<int *>(ctx);
        return 0;
    }

    // The journal's shape: table columns plus the in-memory columns.
    static QList<FieldDef> defs()
    {
        return {{QStringLiteral("DATANO"), FieldType::Integer},
                {QStringLiteral("RECDATE"), FieldType::Date},
                {QStringLiteral("KINGAKU"), FieldType::Currency},
                {QStringLiteral("NAME"), FieldType::String, 20},
                {QStringLiteral("RecPos"), FieldType::Integer, 0, FieldKind::InternalCalc},
                {QStringLiteral("ShopName"), FieldType::String, 40, FieldKind::InternalCalc}};
    }

    // The test's table through a query, a provider and a client data set, open.
    struct Opened
    {
        Database db;
        Query q{db};
        Provider p{q};
        ClientDataSet cds;

        explicit Opened(const QString &path, const QString &sql = QStringLiteral("SELECT * FROM Master.DB"),
                        const QList<FieldDef> &fields = {})
        {
            db.open(path);
            q.SQL << sql;
            if (!fields.isEmpty())
                cds.setFieldDefs(fields);
            cds.setProvider(&p);
            cds.open();
        }
    };

    // Gives row dataNo a new NAME in the data set (posted, not applied).
    static void rename(ClientDataSet &cds, int dataNo, const QString &name)
    {
        cds.locate(QStringLiteral("DATANO"), dataNo);
        cds.edit();
        cds["NAME"].setAsString(name);
        cds.post();
    }

    QString table(Database &db)
    {
        QStringList rows;
        Statement st(db, QStringLiteral("SELECT DATANO, KINGAKU, NAME FROM Master ORDER BY DATANO"));
        while (st.next())
            rows << QStringLiteral("%1:%2:%3").arg(st.intValue(0)).arg(st.doubleValue(1)).arg(st.textValue(2));
        return rows.join(QLatin1Char(' '));
    }

private slots:
    void init()
    {
        static int n = 0;
        m_path = m_env.path(QStringLiteral("book%1.db").arg(++n));
        Database db;
        db.open(m_path, QString(), true);
        db.exec(QStringLiteral("CREATE TABLE Master (DATANO INTEGER PRIMARY KEY, RECDATE DATE, KINGAKU MONEY REAL,"
                               " NAME VARCHAR(20))"));
        db.exec(QStringLiteral("INSERT INTO Master VALUES (1,'2024-01-01',100,'a'),(2,'2024-01-02',200,'b'),"
                               "(3,'2024-01-03',300,'c'),(4,'2024-01-04',400,'d'),(5,'2024-01-05',500,'e')"));
    }

    void changeLogAppliedInOneTransaction()
    {
        Opened opened(m_path, QStringLiteral("SELECT * FROM MASTER.DB"), defs());
        Database &db = opened.db;
        ClientDataSet &cds = opened.cds;
        QCOMPARE(cds.recordCount(), 5);
        QVERIFY(cds["DATANO"].isKey());
        QVERIFY(!opened.q.isActive());   // the query is closed once the rows are read

        rename(cds, 2, QStringLiteral("B"));
        QCOMPARE(cds.updateStatus(), UpdateStatus::Modified);
        QCOMPARE(cds["NAME"].oldValue(), QVariant(QStringLiteral("b")));
        cds.locate(QStringLiteral("DATANO"), 3);
        cds.remove();
        // Only an in-memory column changes: modified, but nothing to write.
        cds.locate(QStringLiteral("DATANO"), 4);
        cds.edit();
        cds["RecPos"].setAsInteger(7);
        cds["ShopName"].setAsString(QStringLiteral("shop"));
        cds.post();
        cds.append();
        cds["NAME"].setAsString(QStringLiteral("new"));   // the table numbers the key
        cds["KINGAKU"].setAsCurrency(Currency::fromInt(60));
        cds.post();
        QCOMPARE(cds.changeCount(), 4);

        // Another connection changed row 4 meanwhile: since row 4 writes
        // nothing, that is no conflict.
        Database other;
        other.open(m_path);
        other.exec(QStringLiteral("UPDATE Master SET NAME = 'other' WHERE DATANO = 4"));

        m_commits = 0;
        sqlite3_commit_hook(db.handle(), &TestClientDataSet::onCommit, &m_commits);
        QCOMPARE(cds.applyUpdates(0), 0);
        sqlite3_commit_hook(db.handle(), nullptr, nullptr);
        QCOMPARE(m_commits, 1);
        QCOMPARE(table(db), QStringLiteral("1:100:a 2:200:B 4:400:other 5:500:e 6:60:new"));
        QCOMPARE(cds.changeCount(), 0);
        QCOMPARE(cds["DATANO"].asInteger(), 6);   // the number the table gave
        QCOMPARE(cds.updateStatus(), UpdateStatus::Unmodified);
        cds.locate(QStringLiteral("DATANO"), 4);
        QCOMPARE(cds["ShopName"].asString(), QStringLiteral("shop"));   // kept in memory
        QCOMPARE(cds.recordCount(), 5);
    }

    // A list query's extra column fills the in-memory field of its name; a
    // calculated field stays the client's own, and nothing of either is written.
    void queryColumnsFillInternalCalcFields()
    {
        QList<FieldDef> fields = defs();
        fields << FieldDef{QStringLiteral("Calc"), FieldType::Integer, 0, FieldKind::Calculated};
        Opened opened(m_path,
                      QStringLiteral("SELECT *, 'S' || NAME AS SHOPNAME, DATANO * 10 AS CALC FROM Master ORDER BY DATANO"),
                      fields);
        ClientDataSet &cds = opened.cds;
        QVERIFY(cds.locate(QStringLiteral("DATANO"), 2));
        QCOMPARE(cds["ShopName"].asString(), QStringLiteral("Sb"));
        QVERIFY(cds["RecPos"].isNull());
        QVERIFY(cds["Calc"].isNull());
        QCOMPARE(cds.updateStatus(), UpdateStatus::Unmodified);
        QCOMPARE(cds.changeCount(), 0);
    }

    void conflictReachesReconcile()
    {
        Opened opened(m_path, QStringLiteral("SELECT * FROM \"Master.DB\""));
        Database &db = opened.db;
        ClientDataSet &cds = opened.cds;
        rename(cds, 2, QStringLiteral("mine"));
        cds.locate(QStringLiteral("DATANO"), 5);
        cds.edit();
        cds["KINGAKU"].setAsCurrency(Currency::fromInt(555));
        cds.post();

        Database other;
        other.open(m_path);
        other.exec(QStringLiteral("UPDATE Master SET KINGAKU = 250 WHERE DATANO = 2"));
        const QString before = table(db);

        int calls = 0;
        cds.OnReconcileError = [&](ClientDataSet &ds, UpdateKind kind, const ReconcileError &e) {
            ++calls;
            if (calls == 1) {
                // The failing row is current, with its three versions.
                [&] {
                    QCOMPARE(kind, UpdateKind::Modify);
                    QVERIFY(e.conflict);
                    QVERIFY(!e.rowMissing);
                    QCOMPARE(ds["DATANO"].asInteger(), 2);
                    QVERIFY(ds["KINGAKU"].hasCurValue());
                    QCOMPARE(ds["KINGAKU"].curValue().value<Currency>(), Currency::fromInt(250));
                    QCOMPARE(ds["KINGAKU"].oldValue().value<Currency>(), Currency::fromInt(200));
                    QVERIFY(!ds["NAME"].hasCurValue());
                    QVERIFY(ds["NAME"].hasNewValue());
                    QVERIFY(!ds["KINGAKU"].hasNewValue());
                    QCOMPARE(ds["NAME"].newValue(), QVariant(QStringLiteral("mine")));
                }();
                return ReconcileAction::Skip;
            }
            return ReconcileAction::Merge;
        };
        // No error allowed: the conflict stops the apply, nothing is written.
        QCOMPARE(cds.applyUpdates(0), 1);
        QCOMPARE(calls, 1);
        QCOMPARE(table(db), before);
        QCOMPARE(cds.changeCount(), 2);
        // Merged: the row keeps the other connection's amount and gets our name.
        QCOMPARE(cds.applyUpdates(-1), 1);
        QCOMPARE(calls, 2);
        QCOMPARE(table(db), QStringLiteral("1:100:a 2:250:mine 3:300:c 4:400:d 5:555:e"));
        QCOMPARE(cds.changeCount(), 0);
    }

    void reconcileActions_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("maxErrors");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("changesLeft");
        const QString untouched = QStringLiteral("1:100:a 2:200:b 3:300:cc 4:999:x 5:500:e");
        const QString rowTwoOnly = QStringLiteral("1:100:a 2:200:B 3:300:cc 4:999:x 5:500:e");
        QTest::newRow("skip, no limit") << int(ReconcileAction::Skip) << -1 << rowTwoOnly << 2;
        QTest::newRow("skip, within the limit") << int(ReconcileAction::Skip) << 2 << rowTwoOnly << 2;
        QTest::newRow("skip, past the limit") << int(ReconcileAction::Skip) << 1 << untouched << 3;
        QTest::newRow("abort") << int(ReconcileAction::Abort) << -1 << untouched << 3;
        QTest::newRow("cancel") << int(ReconcileAction::Cancel) << -1 << rowTwoOnly << 0;
    }

    void reconcileActions()
    {
        QFETCH(int, action);
        QFETCH(int, maxErrors);
        QFETCH(QString, table);
        QFETCH(int, changesLeft);
        Opened opened(m_path);
        Database &db = opened.db;
        ClientDataSet &cds = opened.cds;
        // Row 2 applies cleanly; rows 3 (deleted here) and 4 (changed here)
        // were both changed underneath.
        rename(cds, 2, QStringLiteral("B"));
        cds.locate(QStringLiteral("DATANO"), 3);
        cds.remove();
        rename(cds, 4, QStringLiteral("D"));
        Database other;
        other.open(m_path);
        other.exec(QStringLiteral("UPDATE Master SET KINGAKU = 999, NAME = 'x' WHERE DATANO = 4"));
        other.exec(QStringLiteral("UPDATE Master SET NAME = 'cc' WHERE DATANO = 3"));
        QList<UpdateKind> kinds;
        cds.OnReconcileError = [&](ClientDataSet &, UpdateKind kind, const ReconcileError &e) {
            kinds << kind;
            return e.conflict ? ReconcileAction(action) : ReconcileAction::Abort;
        };
        const int errors = cds.applyUpdates(maxErrors);
        QCOMPARE(errors, kinds.size());
        QCOMPARE(kinds.first(), UpdateKind::Delete);
        QCOMPARE(this->table(db), table);
        QCOMPARE(cds.changeCount(), changesLeft);
        // The data set still shows what the user did unless the change was cancelled.
        QCOMPARE(cds.locate(QStringLiteral("DATANO"), 3), changesLeft == 0);
    }

    void correctAfterEngineError()
    {
        Opened opened(m_path);
        Database &db = opened.db;
        ClientDataSet &cds = opened.cds;
        cds.append();
        cds["DATANO"].setAsInteger(1);   // already taken
        cds["NAME"].setAsString(QStringLiteral("dup"));
        cds.post();
        QString message;
        cds.OnReconcileError = [&](ClientDataSet &ds, UpdateKind kind, const ReconcileError &e) {
            message = e.message;
            if (kind != UpdateKind::Insert || e.conflict)
                return ReconcileAction::Abort;
            ds["DATANO"].setNewValue(9);
            return ReconcileAction::Correct;
        };
        QCOMPARE(cds.applyUpdates(0), 1);
        QVERIFY(message.contains(QStringLiteral("UNIQUE")));   // the engine's own text
        QCOMPARE(cds.changeCount(), 1);   // one error is past a limit of none: kept
        QCOMPARE(table(db), QStringLiteral("1:100:a 2:200:b 3:300:c 4:400:d 5:500:e"));
        // The correction stayed with the row: the next apply writes it.
        QCOMPARE(cds.applyUpdates(0), 0);
        QCOMPARE(table(db), QStringLiteral("1:100:a 2:200:b 3:300:c 4:400:d 5:500:e 9:0:dup"));
        QCOMPARE(cds.changeCount(), 0);
        QVERIFY(cds.locate(QStringLiteral("DATANO"), 9));
    }

    void removedUnderneathAndRefresh()
    {
        Opened opened(m_path);
        ClientDataSet &cds = opened.cds;
        rename(cds, 1, QStringLiteral("A"));
        rename(cds, 2, QStringLiteral("B"));
        Database other;
        other.open(m_path);
        other.exec(QStringLiteral("DELETE FROM Master WHERE DATANO = 1"));
        other.exec(QStringLiteral("UPDATE Master SET NAME = 'z' WHERE DATANO = 2"));
        QList<bool> missing;
        cds.OnReconcileError = [&](ClientDataSet &, UpdateKind, const ReconcileError &e) {
            missing << e.rowMissing;
            return ReconcileAction::Refresh;
        };
        QCOMPARE(cds.applyUpdates(-1), 2);
        QCOMPARE(missing, (QList<bool>{true, false}));
        // Refreshed: the removed row leaves the data set, the changed one shows the table's values.
        QCOMPARE(cds.recordCount(), 4);
        QVERIFY(cds.locate(QStringLiteral("DATANO"), 2));
        QCOMPARE(cds["NAME"].asString(), QStringLiteral("z"));
        QCOMPARE(cds.changeCount(), 0);
    }

    void undoRevertSavePoint()
    {
        ClientDataSet cds;
        cds.setFieldDefs(defs());
        cds.createDataSet();
        for (int i = 1; i <= 3; ++i) {
            cds.append();
            cds["DATANO"].setAsInteger(i);
            cds["NAME"].setAsString(QStringLiteral("n%1").arg(i));
            cds.post();
        }
        cds.mergeChangeLog();
        QCOMPARE(cds.changeCount(), 0);
        const auto names = [&cds] {
            QStringList out;
            const Bookmark bm = cds.bookmark();
            for (cds.first(); !cds.eof(); cds.next())
                out << cds["NAME"].asString();
            cds.gotoBookmark(bm);
            return out.join(QLatin1Char(','));
        };
        cds.first();
        cds.edit();
        cds["NAME"].setAsString(QStringLiteral("x1"));
        cds.post();
        const int point = cds.savePoint();
        cds.next();
        cds.remove();
        cds.append();
        cds["NAME"].setAsString(QStringLiteral("n4"));
        cds.post();
        cds.first();
        cds.edit();
        cds["NAME"].setAsString(QStringLiteral("y1"));
        cds.post();
        QCOMPARE(names(), QStringLiteral("y1,n3,n4"));
        QCOMPARE(cds.changeCount(), 4);

        // Deleted rows show under the status filter.
        cds.setStatusFilter({UpdateStatus::Deleted});
        QCOMPARE(cds.recordCount(), 1);
        QCOMPARE(cds["NAME"].asString(), QStringLiteral("n2"));
        QCOMPARE(cds.updateStatus(), UpdateStatus::Deleted);
        cds.setStatusFilter({});

        cds.last();
        QVERIFY(cds.undoLastChange(true));   // y1 back to x1, and the cursor follows it
        QCOMPARE(cds.recNo(), 1);
        QCOMPARE(names(), QStringLiteral("x1,n3,n4"));
        cds.setSavePoint(point);
        QCOMPARE(names(), QStringLiteral("x1,n2,n3"));
        QCOMPARE(cds.changeCount(), 1);
        cds.setRecNo(3);
        cds.edit();
        cds["NAME"].setAsString(QStringLiteral("z3"));
        cds.post();
        cds.edit();
        cds["NAME"].setAsString(QStringLiteral("w3"));
        cds.post();
        cds.revertRecord();
        QCOMPARE(names(), QStringLiteral("x1,n2,n3"));
        QCOMPARE(cds.changeCount(), 1);
        cds.cancelUpdates();
        QCOMPARE(names(), QStringLiteral("n1,n2,n3"));
        QCOMPARE(cds.changeCount(), 0);
        QVERIFY(!cds.undoLastChange(false));
        QVERIFY_THROWS_EXCEPTION(EDataSetError, cds.applyUpdates(-1));   // no provider
    }

    void clonesAndSorting()
    {
        ClientDataSet cds;
        cds.setFieldDefs(defs());
        cds.createDataSet();
        const int pos[] = {3, 1, 2};
        for (int i = 0; i < 3; ++i) {
            cds.append();
            cds["DATANO"].setAsInteger(i + 1);
            cds["RecPos"].setAsInteger(pos[i]);
            cds.post();
        }
        cds.mergeChangeLog();
        cds.setIndexFieldNames(QStringLiteral("RecPos"));
        QList<int> order;
        for (cds.first(); !cds.eof(); cds.next())
            order << cds["DATANO"].asInteger();
        QCOMPARE(order, (QList<int>{2, 3, 1}));
        // A post that changes the sort key keeps the row current at its new place.
        cds.first();
        cds.edit();
        cds["RecPos"].setAsInteger(9);
        cds.post();
        QCOMPARE(cds["DATANO"].asInteger(), 2);
        QCOMPARE(cds.recNo(), 3);

        ClientDataSet clone;
        clone.cloneCursor(cds);
        QCOMPARE(clone.recordCount(), 3);
        QCOMPARE(clone["DATANO"].asInteger(), 1);   // own order: insertion
        clone.remove();
        QCOMPARE(cds.recordCount(), 2);   // shared rows
        QCOMPARE(cds.changeCount(), clone.changeCount());
        ClientDataSet deleted;
        deleted.cloneCursor(cds);
        deleted.setStatusFilter({UpdateStatus::Deleted});
        QCOMPARE(deleted.recordCount(), 1);
        QCOMPARE(deleted["DATANO"].asInteger(), 1);
        cds.cancelUpdates();
        QCOMPARE(clone.recordCount(), 3);
        deleted.setStatusFilter({UpdateStatus::Deleted});
        QCOMPARE(deleted.recordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestClientDataSet)
#include "tst_clientdataset.moc"
