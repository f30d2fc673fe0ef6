#include <sqlcipher/sqlite3.h>

#include <QtTest>

#include "TestEnv.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

// Tables are cursors over indexed queries: a large journal is browsed by key,
// by range and by a secondary index without being read whole.
class TestTable : public QObject
{
    Q_OBJECT

    static constexpr int Rows = 20000;

    // Counts the result rows SQLite hands out: a whole-table read would show as
    // thousands of rows.
    static int traceRow(unsigned, void *ctx, void *, void *)
    {
        ++*static_cast<int *>(ctx);
        return 0;
    }
    void countRows(Database &db, int *counter)
    {
        sqlite3_trace_v2(db.handle(), counter ? SQLITE_TRACE_ROW : 0, counter ? &TestTable::traceRow : nullptr,
                         counter);
    }

    static QDate dateOf(int datano)
    {
        // Several lines a day, dates not in key order, every 97th line undated.
        if (datano % 97 == 0)
            return QDate();
        return QDate(2005, 1, 1).addDays((datano * 7919) % 7300);
    }

    TestEnv m_env;
    QString m_path;

private slots:
    void initTestCase()
    {
        m_path = m_env.path(QStringLiteral("book/PomuZenitData.db"));
        QDir().mkpath(m_env.path(QStringLiteral("book")));
        Database db;
        db.open(m_path, QString(), true);
        db.exec(QStringLiteral("CREATE TABLE Master (DATANO INTEGER PRIMARY KEY, GYONO SMALLINT, RECDATE DATE,"
                               " KINGAKU MONEY REAL, KARISIDE BOOLEAN, NAME VARCHAR(20))"));
        db.exec(QStringLiteral("CREATE INDEX Master_RECDATE ON Master (RECDATE)"));
        db.exec(QStringLiteral("CREATE TABLE Number (CODE SMALLINT)"));
        Transaction tx(db);
        Statement st(db, QStringLiteral("INSERT INTO Master VALUES (?,?,?,?,?,?)"));
        for (int i = 1; i <= Rows; ++i) {
            st.reset();
            st.bind(1, i);
            st.bind(2, i % 5);
            const QDate d = dateOf(i);
            st.bind(3, d.isValid() ? QVariant(d) : QVariant());
            st.bind(4, i * 1.25);
            st.bind(5, i % 3 == 0 ? QVariant() : QVariant(i % 3 == 1));
            st.bind(6, QStringLiteral("Item%1").arg(i));
            st.exec();
        }
        db.exec(QStringLiteral("INSERT INTO Number VALUES (2),(0),(1)"));
        tx.commit();
    }

    void browseByKeyWithoutReadingAll()
    {
        Database db;
        db.open(m_path);
        int rows = 0;
        countRows(db, &rows);
        Table t(db, QStringLiteral("Master.DB"));
        t.open();
        QCOMPARE(t.sqlTableName(), QStringLiteral("Master"));
        QCOMPARE(t["DATANO"].asInteger(), 1);
        QVERIFY(t["DATANO"].isKey());
        QCOMPARE(t["KINGAKU"].dataType(), FieldType::Currency);
        QCOMPARE(t["NAME"].size(), 20);
        QVERIFY(t.bof());
        t.next();
        t.next();
        QCOMPARE(t["DATANO"].asInteger(), 3);
        QVERIFY(t["KARISIDE"].isNull());   // empty logical stays empty
        QCOMPARE(t["KINGAKU"].asCurrency(), Currency::fromRaw(37500));
        QVERIFY(t.findKey(12345));
        QCOMPARE(t["NAME"].asString(), QStringLiteral("Item12345"));
        QVERIFY(!t.findKey(Rows + 1));
        QCOMPARE(t["DATANO"].asInteger(), 12345);
        QVERIFY(rows < 50);   // a handful of rows, not the table
        QCOMPARE(t.recNo(), 12345);
        QCOMPARE(t.recordCount(), Rows);
        t.last();
        QVERIFY(t.eof());
        QCOMPARE(t["DATANO"].asInteger(), Rows);
        t.next();
        QVERIFY(t.eof());
        QCOMPARE(t["DATANO"].asInteger(), Rows);
        t.prior();
        QVERIFY(!t.eof());
        QCOMPARE(t["DATANO"].asInteger(), Rows - 1);
        QVERIFY(t.locate(QStringLiteral("NAME"), QStringLiteral("item777"), LocateOption::CaseInsensitive));
        QCOMPARE(t["DATANO"].asInteger(), 777);
        QCOMPARE(t.lookup(QStringLiteral("DATANO"), 42, QStringLiteral("NAME")), QVariant(QStringLiteral("Item42")));
        QVERIFY(rows < 100);
        countRows(db, nullptr);
    }

    void secondaryIndexOrder()
    {
        Database db;
        db.open(m_path);
        // The expected order: empty dates first, then by date, ties by key.
        QList<QPair<QDate, int>> expected;
        for (int i = 1; i <= Rows; ++i)
            expected << qMakePair(dateOf(i), i);
        std::sort(expected.begin(), expected.end(), [](const auto &a, const auto &b) {
            if (a.first.isValid() != b.first.isValid())
                return !a.first.isValid();
            if (a.first != b.first)
                return a.first < b.first;
            return a.second < b.second;
        });
        Table t(db, QStringLiteral("master.db"));
        t.setIndexName(QStringLiteral("RECDATE"));
        t.open();
        QCOMPARE(t.orderFields(), QStringList{QStringLiteral("RECDATE")});
        int rows = 0;
        countRows(db, &rows);
        // Walk the first and last few, across the empty-date boundary.
        for (int i = 0; i < 300; ++i) {
            QCOMPARE(t["DATANO"].asInteger(), expected[i].second);
            t.next();
        }
        QCOMPARE(t.recNo(), 301);
        t.last();
        for (int i = Rows - 1; i > Rows - 50; --i) {
            QCOMPARE(t["DATANO"].asInteger(), expected[i].second);
            t.prior();
        }
        QVERIFY(rows < 1000);
        countRows(db, nullptr);
        // Switching the index keeps the current row.
        QVERIFY(t.findKey(QDate(2010, 6, 1)));
        const int datano = t["DATANO"].asInteger();
        QCOMPARE(t["RECDATE"].asDate(), QDate(2010, 6, 1));
        const int pos = int(std::find_if(expected.begin(), expected.end(),
                                         [datano](const auto &p) { return p.second == datano; })
                            - expected.begin());
        QCOMPARE(t.recNo(), pos + 1);
        t.setIndexFieldNames(QString());
        QCOMPARE(t["DATANO"].asInteger(), datano);
        QCOMPARE(t.recNo(), datano);
        QVERIFY_THROWS_EXCEPTION(EDataSetError, t.setIndexName(QStringLiteral("NOSUCH")));
    }

    void rangeReadsOnlyTheRange()
    {
        Database db;
        db.open(m_path);
        const QDate from(2012, 3, 1), to(2012, 3, 31);
        QList<int> expected;
        for (int i = 1; i <= Rows; ++i)
            if (dateOf(i).isValid() && dateOf(i) >= from && dateOf(i) <= to)
                expected << i;
        QVERIFY(expected.size() > 20);
        Table t(db, QStringLiteral("Master"));
        t.setIndexName(QStringLiteral("Master_RECDATE"));
        t.open();
        QCOMPARE(t.recordCount(), Rows);
        int rows = 0;
        countRows(db, &rows);
        t.setRange(from, to);
        QCOMPARE(t.recordCount(), expected.size());
        QList<int> seen;
        for (t.first(); !t.eof(); t.next())
            seen << t["DATANO"].asInteger();
        std::sort(seen.begin(), seen.end());
        QCOMPARE(seen, expected);
        QVERIFY(rows < expected.size() + 20);
        countRows(db, nullptr);
        t.first();
        QVERIFY(t.bof());
        QCOMPARE(t.recNo(), 1);
        t.last();
        QCOMPARE(t.recNo(), expected.size());
        QVERIFY(t["RECDATE"].asDate() <= to);
        QVERIFY(!t.findKey(QDate(2012, 4, 2)));   // outside the range
        // A grid reads rows by number without moving the cursor.
        QList<int> walked;
        for (t.first(); !t.eof(); t.next())
            walked << t["DATANO"].asInteger();
        t.setRecNo(3);
        QVector<QVariant> values;
        for (int r = walked.size(); r >= 1; --r) {
            QVERIFY(t.fetchRecord(r, values));
            QCOMPARE(values[t["DATANO"].index()].toInt(), walked[r - 1]);
        }
        QVERIFY(!t.fetchRecord(walked.size() + 1, values));
        QCOMPARE(t.recNo(), 3);
        t.cancelRange();
        QCOMPARE(t.recordCount(), Rows);
    }

    void writesAndBookmarks()
    {
        Database db;
        db.open(m_path);
        Table t(db, QStringLiteral("Master.DB"));
        QList<FieldDef> defs{{QStringLiteral("DATANO"), FieldType::Integer, 0, FieldKind::Data, true},
                             {QStringLiteral("RECDATE"), FieldType::Date},
                             {QStringLiteral("KINGAKU"), FieldType::Currency},
                             {QStringLiteral("NAME"), FieldType::String, 20},
                             {QStringLiteral("ShopName"), FieldType::String, 40, FieldKind::InternalCalc}};
        t.setFieldDefs(defs);
        t.open();
        QVERIFY(t.findKey(500));
        const Bookmark at500 = t.bookmark();
        t.edit();
        t["KINGAKU"].setAsCurrency(Currency::fromString(QStringLiteral("1234.5")));
        t["ShopName"].setAsString(QStringLiteral("never stored"));
        t.post();
        QCOMPARE(db.scalar(QStringLiteral("SELECT KINGAKU FROM Master WHERE DATANO = 500")).toDouble(), 1234.5);
        // GYONO is not a field here, so the update left it alone.
        QCOMPARE(db.scalar(QStringLiteral("SELECT GYONO FROM Master WHERE DATANO = 500")).toInt(), 0);

        t.append();
        t["DATANO"].setAsInteger(Rows + 10);
        t["NAME"].setAsString(QStringLiteral("appended"));
        t["ShopName"].setAsString(QStringLiteral("calc"));
        t.post();
        QCOMPARE(t.recNo(), Rows + 1);
        QCOMPARE(t.recordCount(), Rows + 1);
        QVERIFY(t.gotoBookmark(at500));
        QCOMPARE(t["DATANO"].asInteger(), 500);
        t.prior();
        t.remove();   // 499
        QCOMPARE(t["DATANO"].asInteger(), 500);
        QVERIFY(t.gotoBookmark(at500));
        QCOMPARE(t.recNo(), 499);
        QVERIFY(!db.scalar(QStringLiteral("SELECT 1 FROM Master WHERE DATANO = 499")).isValid());
        // A key already taken is the engine's error and the record stays in edit.
        t.append();
        t["DATANO"].setAsInteger(1);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.post());
        QCOMPARE(t.state(), DataSetState::Insert);
        t.cancel();
        QCOMPARE(t["DATANO"].asInteger(), 500);

        // A row removed by another connection: edit says so.
        Database other;
        other.open(m_path);
        other.exec(QStringLiteral("DELETE FROM Master WHERE DATANO = 500"));
        QVERIFY_THROWS_EXCEPTION(EDataSetError, t.edit());
        t.refresh();
        QCOMPARE(t["DATANO"].asInteger(), 501);
        other.exec(QStringLiteral("INSERT INTO Master (DATANO, NAME) VALUES (499, 'back')"));
        other.exec(QStringLiteral("INSERT INTO Master (DATANO, NAME) VALUES (500, 'back')"));
        t.refresh();
        QCOMPARE(t.recordCount(), Rows + 1);
    }

    void fieldsAndEventsSurviveReopen()
    {
        // The table flush closes and reopens every table; handlers set on
        // their fields must still be there afterwards.
        Database db;
        db.open(m_path);
        Table t(db, QStringLiteral("Master.DB"));
        t.open();
        Field *name = t.fieldByName(QStringLiteral("NAME"));
        name->OnGetText = [](Field &, QString &text, bool) { text = QStringLiteral("<") + text + QStringLiteral(">"); };
        int opened = 0;
        t.AfterOpen = [&opened](DataSet &) { ++opened; };
        t.close();
        QVERIFY(!t.isActive());
        QVERIFY(t.isEmpty());
        t.open();
        QCOMPARE(opened, 1);
        QCOMPARE(t.fieldByName(QStringLiteral("NAME")), name);
        QCOMPARE(t["NAME"].displayText(), QStringLiteral("<Item1>"));
    }

    void unkeyedTableAndFilter()
    {
        Database db;
        db.open(m_path);
        Table t(db, QStringLiteral("Number.db"));
        t.open();
        QList<int> codes;
        for (t.first(); !t.eof(); t.next())
            codes << t["CODE"].asInteger();
        QCOMPARE(codes, (QList<int>{2, 0, 1}));   // insertion order
        t.setFilter(QStringLiteral("CODE > 0"));
        t.setFiltered(true);
        QCOMPARE(t.recordCount(), 2);
        t.last();
        t.edit();
        t["CODE"].setAsInteger(5);
        t.post();
        QCOMPARE(db.scalar(QStringLiteral("SELECT group_concat(CODE) FROM Number")).toString(), QStringLiteral("2,0,5"));
        t.setFiltered(false);
        t.OnFilterRecord = [](DataSet &d) { return d["CODE"].asInteger() != 0; };
        t.setFiltered(true);
        codes.clear();
        for (t.first(); !t.eof(); t.next())
            codes << t["CODE"].asInteger();
        QCOMPARE(codes, (QList<int>{2, 5}));
    }

    void queries()
    {
        Database db;
        db.open(m_path);
        Query q(db);
        q.SQL << QStringLiteral("SELECT DATANO, NAME, KINGAKU") << QStringLiteral("FROM \"Master.DB\"")
              << QStringLiteral("WHERE DATANO BETWEEN :First AND :Last") << QStringLiteral("ORDER BY DATANO DESC");
        QCOMPARE(q.params().size(), 2);
        q.paramByName(QStringLiteral("First")).setAsInteger(10);
        q.paramByName(QStringLiteral("last")).setAsInteger(14);
        QVERIFY_THROWS_EXCEPTION(EDataSetError, q.paramByName(QStringLiteral("Other")));
        q.open();
        QCOMPARE(q.recordCount(), 5);
        QCOMPARE(q["DATANO"].asInteger(), 14);
        QCOMPARE(q["KINGAKU"].dataType(), FieldType::Currency);
        QVERIFY(!q.canModify());
        QVERIFY_THROWS_EXCEPTION(EDataSetError, q.edit());
        q.close();

        Query upd(db);
        upd.SQL << QStringLiteral("UPDATE Master.DB SET GYONO = 9") << QStringLiteral("WHERE DATANO <= :Max");
        upd.paramByName(QStringLiteral("Max")).setAsInteger(3);
        upd.execSQL();
        QCOMPARE(upd.rowsAffected(), 3);

        // A live result writes its posts back to the table.
        Query live(db);
        live.SQL << QStringLiteral("SELECT DATANO, GYONO, NAME") << QStringLiteral("FROM Master.DB")
                 << QStringLiteral("WHERE DATANO = :Code");
        live.setRequestLive(true);
        live.paramByName(QStringLiteral("Code")).setAsInteger(7);
        live.open();
        QVERIFY(live.canModify());
        live.edit();
        live["NAME"].setAsString(QStringLiteral("live"));
        live.post();
        QCOMPARE(db.scalar(QStringLiteral("SELECT NAME FROM Master WHERE DATANO = 7")).toString(), QStringLiteral("live"));

        Query number(db);
        number.SQL << QStringLiteral("SELECT * FROM Number.db WHERE CODE = 2");
        number.setRequestLive(true);
        number.open();
        number.edit();
        number["CODE"].setAsInteger(3);
        number.post();
        QVERIFY(db.scalar(QStringLiteral("SELECT 1 FROM Number WHERE CODE = 3")).isValid());
        number.remove();
        QVERIFY(!db.scalar(QStringLiteral("SELECT 1 FROM Number WHERE CODE = 3")).isValid());
    }

    // An expression column has no declared type and SQLite types each value on
    // its own: the column must not take the type of its first value, or a
    // group summing to 0 first makes a later 12.75 read as 13.
    void expressionColumnsKeepDecimals()
    {
        Database db;
        db.open(m_env.path(QStringLiteral("sums.db")), QString(), true);
        db.exec(QStringLiteral("CREATE TABLE Lines (GRP INTEGER, KIND INTEGER, KINGAKU REAL)"));
        db.exec(QStringLiteral("INSERT INTO Lines VALUES (1, 2, 100), (2, 1, 12.75), (2, 1, 0.5), (3, 1, 7)"));
        Query q(db);
        q.SQL << QStringLiteral("SELECT GRP, SUM(CASE WHEN KIND = 1 THEN KINGAKU ELSE 0 END) AS S,")
              << QStringLiteral("       MAX(CASE WHEN KIND = 1 THEN 'x' ELSE NULL END) AS T, COUNT(*) AS N")
              << QStringLiteral("FROM Lines GROUP BY GRP ORDER BY GRP");
        q.open();
        QCOMPARE(q["S"].dataType(), FieldType::Float);
        QCOMPARE(q["T"].dataType(), FieldType::String);
        QCOMPARE(q["N"].dataType(), FieldType::Integer);
        QList<double> sums;
        for (q.first(); !q.eof(); q.next())
            sums << q["S"].asFloat();
        QCOMPARE(sums, (QList<double>{0.0, 13.25, 7.0}));
        q.setRecNo(2);
        QCOMPARE(q["S"].asCurrency(), Currency::fromRaw(132500));
    }

    // Money bound to a statement is stored as the amount; a value of a type
    // the engine cannot take is refused instead of being stored as ''.
    void moneyBindsAsTheAmount()
    {
        Database db;
        db.open(m_env.path(QStringLiteral("bind.db")), QString(), true);
        db.exec(QStringLiteral("CREATE TABLE M (KINGAKU REAL)"));
        Statement st(db, QStringLiteral("INSERT INTO M VALUES (?)"));
        st.bind(1, QVariant::fromValue(Currency::fromRaw(12345678)));
        st.exec();
        st.reset();
        st.bind(1, QVariant::fromValue(-Currency::fromInt(5)));
        st.exec();
        QCOMPARE(db.scalar(QStringLiteral("SELECT typeof(KINGAKU) FROM M LIMIT 1")).toString(), QStringLiteral("real"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT SUM(KINGAKU) FROM M")).toDouble(), 1229.5678);
        struct Opaque
        {
            int x = 1;
        };
        st.reset();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, st.bind(1, QVariant::fromValue(Opaque())));
    }

    // A table's filter is the book's SQL like any other text: month-first date
    // literals and True/False work as in the rewritten statements.
    void filterTakesTheDialectsDates()
    {
        Database db;
        db.open(m_path);
        const QDate day = QDate::fromString(
            db.scalar(QStringLiteral("SELECT RECDATE FROM Master WHERE KARISIDE = 1 AND RECDATE > '2010-03-01'"
                                     " ORDER BY RECDATE LIMIT 1"))
                .toString(),
            Qt::ISODate);
        QVERIFY(day.isValid());
        const int expected =
            db.scalar(QStringLiteral("SELECT COUNT(*) FROM Master WHERE RECDATE = ? AND KARISIDE = 1"), {day}).toInt();
        Table t(db, QStringLiteral("Master.DB"));
        t.setFilter(QStringLiteral("RECDATE = '%1' AND KARISIDE = True").arg(day.toString(QStringLiteral("MM/dd/yyyy"))));
        t.setFiltered(true);
        t.open();
        QCOMPARE(t.recordCount(), expected);
        for (t.first(); !t.eof(); t.next())
            QCOMPARE(t["RECDATE"].asDate(), day);
    }

    void emptyTableDeletesNoFile()
    {
        const QDir folder(QFileInfo(m_path).absolutePath());
        const QStringList before = folder.entryList(QDir::Files);
        {
            Database db;
            db.open(m_path);
            Table t(db, QStringLiteral("Number.DB"));
            t.open();
            t.emptyTable();
            QVERIFY(t.isEmpty());
            QVERIFY(t.bof() && t.eof());
            QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Number")).toInt(), 0);
            t.append();
            t["CODE"].setAsInteger(1);
            t.post();
            t.close();
        }
        QCOMPARE(folder.entryList(QDir::Files), before);
        QVERIFY(before.contains(QStringLiteral("PomuZenitData.db")));
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
