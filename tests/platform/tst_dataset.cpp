#include <algorithm>

#include <QRandomGenerator>
#include <QtTest>

#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSource.h"

// The data set state machine, navigation, bookmarks, filters and searches,
// shown on an in-memory data set (the same machine runs under tables and queries).
class TestDataSet : public QObject
{
    Q_OBJECT

private:
    static void makeSet(ClientDataSet &ds, int rows)
    {
        ds.setFieldDefs({{QStringLiteral("CODE"), FieldType::Integer, 0, FieldKind::Data, true},
                         {QStringLiteral("NAME"), FieldType::String, 20},
                         {QStringLiteral("Twice"), FieldType::Integer, 0, FieldKind::Calculated}});
        ds.createDataSet();
        for (int i = 1; i <= rows; ++i) {
            ds.append();
            ds["CODE"].setAsInteger(i * 10);
            ds["NAME"].setAsString(QStringLiteral("name%1").arg(i));
            ds.post();
        }
        ds.first();
    }
    static QList<int> codes(DataSet &ds)
    {
        QList<int> out;
        const Bookmark bm = ds.bookmark();
        ds.disableControls();
        for (ds.first(); !ds.eof(); ds.next())
            out << ds["CODE"].asInteger();
        ds.gotoBookmark(bm);
        ds.enableControls();
        return out;
    }

private slots:
    void positionalBofEof()
    {
        ClientDataSet ds;
        makeSet(ds, 3);
        QVERIFY(ds.bof());
        QVERIFY(!ds.eof());
        QCOMPARE(ds.recNo(), 1);
        ds.next();
        QVERIFY(!ds.bof());
        ds.next();
        QCOMPARE(ds.recNo(), 3);
        QVERIFY(!ds.eof());   // on the last record, not yet past it
        ds.next();
        QVERIFY(ds.eof());
        QCOMPARE(ds.recNo(), 3);
        ds.prior();
        QVERIFY(!ds.eof());
        QCOMPARE(ds.recNo(), 2);
        ds.last();
        QVERIFY(ds.eof());
        ds.first();
        ds.prior();
        QVERIFY(ds.bof());
        QCOMPARE(ds["CODE"].asInteger(), 10);
        QCOMPARE(ds.moveBy(5), 2);
        QVERIFY(ds.eof());
        ds.setRecNo(2);
        QCOMPARE(ds["CODE"].asInteger(), 20);

        ClientDataSet empty;
        makeSet(empty, 0);
        QVERIFY(empty.bof() && empty.eof() && empty.isEmpty());
        QCOMPARE(empty.recNo(), 0);
        QCOMPARE(empty.recordCount(), 0);
    }

    void stateMachineAndEventOrder()
    {
        ClientDataSet ds;
        makeSet(ds, 2);
        QStringList log;
        auto tracer = [&log](const char *name) { return [&log, name](DataSet &) { log << QLatin1String(name); }; };
        ds.BeforeInsert = tracer("BeforeInsert");
        ds.OnNewRecord = [&log](DataSet &d) {
            log << QStringLiteral("OnNewRecord");
            d["NAME"].setAsString(QStringLiteral("new"));
        };
        ds.AfterInsert = tracer("AfterInsert");
        ds.BeforePost = tracer("BeforePost");
        ds.AfterPost = tracer("AfterPost");
        ds.BeforeEdit = tracer("BeforeEdit");
        ds.BeforeDelete = tracer("BeforeDelete");
        ds.AfterDelete = tracer("AfterDelete");
        ds.BeforeScroll = tracer("BeforeScroll");
        ds.AfterScroll = tracer("AfterScroll");
        ds.BeforeCancel = tracer("BeforeCancel");

        ds.insert();
        QCOMPARE(ds.state(), DataSetState::Insert);
        QCOMPARE(ds["NAME"].asString(), QStringLiteral("new"));
        QVERIFY(!ds.modified());   // defaults alone are no change
        ds["CODE"].setAsInteger(5);
        ds.post();
        QCOMPARE(ds.state(), DataSetState::Browse);
        QCOMPARE(log, (QStringList{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                                   "BeforePost", "AfterPost"}));
        QCOMPARE(codes(ds), (QList<int>{5, 10, 20}));   // inserted before the current record

        log.clear();
        ds.edit();
        QCOMPARE(ds.state(), DataSetState::Edit);
        ds["NAME"].setAsString(QStringLiteral("changed"));
        ds.cancel();
        QCOMPARE(ds["NAME"].asString(), QStringLiteral("new"));
        ds.remove();
        QCOMPARE(log, (QStringList{"BeforeEdit", "BeforeCancel", "BeforeDelete", "BeforeScroll", "AfterDelete",
                                   "AfterScroll"}));
        QCOMPARE(ds["CODE"].asInteger(), 10);   // the next record became current

        // An appended record nobody typed into goes away when the cursor moves.
        ds.append();
        QCOMPARE(ds.recNo(), 3);
        ds.first();
        QCOMPARE(ds.recordCount(), 2);
        // Moving with a real change posts it.
        ds.append();
        ds["CODE"].setAsInteger(30);
        ds.first();
        QCOMPARE(codes(ds), (QList<int>{10, 20, 30}));

        // Edit on an empty data set inserts, as the engine does.
        ClientDataSet empty;
        makeSet(empty, 0);
        empty.edit();
        QCOMPARE(empty.state(), DataSetState::Insert);
    }

    void refusals()
    {
        ClientDataSet ds;
        makeSet(ds, 3);
        ds.BeforePost = [](DataSet &d) {
            if (d["NAME"].asString().isEmpty())
                Abort();
        };
        ds.edit();
        ds["NAME"].clear();
        QVERIFY_THROWS_EXCEPTION(EAbort, ds.post());
        QCOMPARE(ds.state(), DataSetState::Edit);   // the refused post stays in edit
        // A navigation that would post is refused with it and does not move.
        QVERIFY_THROWS_EXCEPTION(EAbort, ds.next());
        QCOMPARE(ds.recNo(), 1);
        ds["NAME"].setAsString(QStringLiteral("ok"));
        ds.post();
        QCOMPARE(ds["NAME"].asString(), QStringLiteral("ok"));

        ds.BeforeScroll = [](DataSet &d) {
            if (d["CODE"].asInteger() == 20)
                Abort();
        };
        ds.next();
        QVERIFY_THROWS_EXCEPTION(EAbort, ds.next());
        QCOMPARE(ds["CODE"].asInteger(), 20);
        QVERIFY_THROWS_EXCEPTION(EAbort, ds.locate(QStringLiteral("CODE"), 30));
        QCOMPARE(ds["CODE"].asInteger(), 20);
        ds.BeforeScroll = nullptr;

        ds.BeforeInsert = [](DataSet &) { Abort(); };
        QVERIFY_THROWS_EXCEPTION(EAbort, ds.append());
        QCOMPARE(ds.state(), DataSetState::Browse);
        QCOMPARE(ds.recordCount(), 3);
        ds.BeforeDelete = [](DataSet &) { Abort(); };
        QVERIFY_THROWS_EXCEPTION(EAbort, ds.remove());
        QCOMPARE(ds.recordCount(), 3);
    }

    void bookmarksSurviveInsertsAndDeletes()
    {
        ClientDataSet ds;
        makeSet(ds, 5);
        ds.setRecNo(3);
        const Bookmark third = ds.bookmark();
        ds.setRecNo(5);
        const Bookmark fifth = ds.bookmark();
        ds.first();
        ds.insert();
        ds["CODE"].setAsInteger(1);
        ds.post();
        ds.setRecNo(2);
        ds.remove();   // 10
        ds.last();
        ds.remove();   // 50
        QVERIFY(ds.gotoBookmark(third));
        QCOMPARE(ds["CODE"].asInteger(), 30);
        QCOMPARE(ds.recNo(), 3);
        QVERIFY(!ds.bookmarkValid(fifth));
        QVERIFY(!ds.gotoBookmark(fifth));
        QCOMPARE(ds["CODE"].asInteger(), 30);
        // Re-sorting moves rows, not bookmarks.
        ds.setIndexFieldNames(QStringLiteral("NAME"));
        ds.first();
        QVERIFY(ds.gotoBookmark(third));
        QCOMPARE(ds["CODE"].asInteger(), 30);
    }

    void filters()
    {
        ClientDataSet ds;
        makeSet(ds, 6);
        ds.setFilter(QStringLiteral("CODE > 20 AND NOT (NAME = 'name5')"));
        QCOMPARE(ds.recordCount(), 6);   // not filtered until switched on
        ds.setFiltered(true);
        QCOMPARE(codes(ds), (QList<int>{30, 40, 60}));
        ds.OnFilterRecord = [](DataSet &d) { return d["CODE"].asInteger() != 40; };
        ds.setFiltered(false);
        ds.setFiltered(true);
        QCOMPARE(codes(ds), (QList<int>{30, 60}));
        QVERIFY(!ds.locate(QStringLiteral("CODE"), 40));
        ds.setFiltered(false);
        QCOMPARE(ds.recordCount(), 6);
        ds.setFilter(QStringLiteral("NAME = ")); // half an expression
        QVERIFY_THROWS_EXCEPTION(EDataSetError, ds.setFiltered(true));
    }

    // A date compared with a date field takes the forms the rewritten SQL
    // takes: month first as the dialect writes it, or ISO; anything else is a
    // filter error, not a filter that silently matches nothing.
    void filterDateLiterals_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("month first") << "RECDATE = '01/05/2026'" << QList<int>{2};
        QTest::newRow("month first, one digit") << "RECDATE >= '1/5/2026'" << QList<int>{2, 3};
        QTest::newRow("ISO") << "RECDATE < '2026-01-05'" << QList<int>{1};
        QTest::newRow("with other terms") << "RECDATE <> '01/05/2026' AND CODE > 1" << QList<int>{3};
    }
    void filterDateLiterals()
    {
        QFETCH(QString, filter);
        QFETCH(QList<int>, codes);
        ClientDataSet ds;
        ds.setFieldDefs({{QStringLiteral("CODE"), FieldType::Integer}, {QStringLiteral("RECDATE"), FieldType::Date}});
        ds.createDataSet();
        const QList<QDate> dates{QDate(2026, 1, 4), QDate(2026, 1, 5), QDate(2026, 5, 1)};
        for (int i = 0; i < dates.size(); ++i) {
            ds.append();
            ds["CODE"].setAsInteger(i + 1);
            ds["RECDATE"].setAsDate(dates[i]);
            ds.post();
        }
        ds.setFilter(filter);
        ds.setFiltered(true);
        QCOMPARE(this->codes(ds), codes);
    }
    void filterRefusesAnUnreadableDate()
    {
        ClientDataSet ds;
        ds.setFieldDefs({{QStringLiteral("RECDATE"), FieldType::Date}});
        ds.createDataSet();
        ds.append();
        ds["RECDATE"].setAsDate(QDate(2026, 1, 5));
        ds.post();
        ds.setFilter(QStringLiteral("RECDATE = '13/45/2026'"));
        QVERIFY_THROWS_EXCEPTION(EDataSetError, ds.setFiltered(true));
    }

    // A post in a sorted (and filtered) view moves only its own row, to where
    // a full sort puts it: equal keys in insertion order, a row that leaves
    // the filter leaves the view, and the posted row stays current.
    void sortedPostPlacesItsRow()
    {
        ClientDataSet ds;
        ds.setFieldDefs({{QStringLiteral("CODE"), FieldType::Integer}, {QStringLiteral("POS"), FieldType::Integer}});
        ds.createDataSet();
        const QList<int> positions{5, 3, 5, 1, 3, 9, 5};
        for (int i = 0; i < positions.size(); ++i) {
            ds.append();
            ds["CODE"].setAsInteger(i + 1);
            ds["POS"].setAsInteger(positions[i]);
            ds.post();
        }
        ds.setIndexFieldNames(QStringLiteral("POS"));
        QCOMPARE(codes(ds), (QList<int>{4, 2, 5, 1, 3, 7, 6}));
        const auto postPos = [&ds](int code, int pos) {
            QVERIFY(ds.locate(QStringLiteral("CODE"), code));
            ds.edit();
            ds["POS"].setAsInteger(pos);
            ds.post();
            QCOMPARE(ds["CODE"].asInteger(), code);
        };
        postPos(6, 3);   // among the 3s, after code 5 and before nothing later in insertion order
        QCOMPARE(codes(ds), (QList<int>{4, 2, 5, 6, 1, 3, 7}));
        postPos(2, 5);   // joins the 5s between codes 1 and 3
        QCOMPARE(codes(ds), (QList<int>{4, 5, 6, 1, 2, 3, 7}));
        postPos(7, 0);
        QCOMPARE(codes(ds), (QList<int>{7, 4, 5, 6, 1, 2, 3}));
        ds.append();     // a new row goes to its place too
        ds["CODE"].setAsInteger(8);
        ds["POS"].setAsInteger(4);
        ds.post();
        QCOMPARE(ds["CODE"].asInteger(), 8);
        QCOMPARE(codes(ds), (QList<int>{7, 4, 5, 6, 8, 1, 2, 3}));

        ds.setFilter(QStringLiteral("POS < 5"));
        ds.setFiltered(true);
        QCOMPARE(codes(ds), (QList<int>{7, 4, 5, 6, 8}));
        QVERIFY(ds.locate(QStringLiteral("CODE"), 5));
        ds.edit();
        ds["POS"].setAsInteger(6);   // leaves the filter
        ds.post();
        QCOMPARE(codes(ds), (QList<int>{7, 4, 6, 8}));
        QCOMPARE(ds["CODE"].asInteger(), 6);   // the row now at its place
        postPos(8, 2);
        QCOMPARE(codes(ds), (QList<int>{7, 4, 8, 6}));

        // The same as a fresh sort of the same rows.
        ds.setFiltered(false);
        const QList<int> placed = codes(ds);
        ds.setIndexFieldNames(QString());
        ds.setIndexFieldNames(QStringLiteral("POS"));
        QCOMPARE(codes(ds), placed);
    }

    // Many posts with few distinct keys (ties everywhere), with and without a
    // filter: the view is always what a full sort by (key, insertion order) gives.
    void sortedPostsMatchAFullSort()
    {
        for (const bool filtered : {false, true}) {
            ClientDataSet ds;
            ds.setFieldDefs({{QStringLiteral("CODE"), FieldType::Integer}, {QStringLiteral("POS"), FieldType::Integer}});
            ds.createDataSet();
            QRandomGenerator random(7);
            QMap<int, int> pos;
            for (int code = 1; code <= 200; ++code) {
                pos[code] = int(random.bounded(10));
                ds.append();
                ds["CODE"].setAsInteger(code);
                ds["POS"].setAsInteger(pos[code]);
                ds.post();
            }
            ds.setIndexFieldNames(QStringLiteral("POS"));
            if (filtered) {
                ds.setFilter(QStringLiteral("POS <> 3"));
                ds.setFiltered(true);
            }
            const auto expected = [&pos, filtered] {
                QList<int> codes = pos.keys();
                if (filtered)
                    codes.removeIf([&pos](int c) { return pos[c] == 3; });
                std::stable_sort(codes.begin(), codes.end(), [&pos](int a, int b) { return pos[a] < pos[b]; });
                return codes;
            };
            for (int post = 1; post <= 1000; ++post) {
                if (post % 10 == 0) {
                    // A new row among equal keys, at the end of the store.
                    const int code = int(pos.size()) + 1;
                    pos[code] = int(random.bounded(10));
                    ds.append();
                    ds["CODE"].setAsInteger(code);
                    ds["POS"].setAsInteger(pos[code]);
                    ds.post();
                    continue;
                }
                ds.setRecNo(1 + int(random.bounded(ds.recordCount())));
                const int code = ds["CODE"].asInteger();
                pos[code] = int(random.bounded(10));
                ds.edit();
                ds["POS"].setAsInteger(pos[code]);
                ds.post();
                if (pos[code] != 3 || !filtered)
                    QCOMPARE(ds["CODE"].asInteger(), code);
                if (post % 100 == 0)
                    QCOMPARE(codes(ds), expected());
            }
        }
    }

    void locateAndLookup_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QVariant>("values");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("found");   // CODE, or 0
        QTest::newRow("integer") << "CODE" << QVariant(40) << 0 << 40;
        QTest::newRow("integer as text") << "code" << QVariant(QStringLiteral("40")) << 0 << 40;
        QTest::newRow("missing") << "CODE" << QVariant(45) << 0 << 0;
        QTest::newRow("exact text") << "NAME" << QVariant(QStringLiteral("Name3")) << 0 << 0;
        QTest::newRow("case-insensitive") << "NAME" << QVariant(QStringLiteral("Name3"))
                                          << int(LocateOption::CaseInsensitive) << 30;
        QTest::newRow("partial") << "NAME" << QVariant(QStringLiteral("name")) << int(LocateOption::PartialKey) << 10;
        QTest::newRow("partial case-insensitive")
            << "NAME" << QVariant(QStringLiteral("NAME2")) << int(LocateOption::PartialKey | LocateOption::CaseInsensitive)
            << 20;
        QTest::newRow("two fields") << "CODE;NAME" << QVariant(QVariantList{50, QStringLiteral("name5")}) << 0 << 50;
        QTest::newRow("two fields, one wrong") << "CODE;NAME" << QVariant(QVariantList{50, QStringLiteral("name4")})
                                               << 0 << 0;
    }

    void locateAndLookup()
    {
        QFETCH(QString, fields);
        QFETCH(QVariant, values);
        QFETCH(int, options);
        QFETCH(int, found);
        ClientDataSet ds;
        makeSet(ds, 5);
        ds.last();
        const QVariant looked = ds.lookup(fields, values, QStringLiteral("CODE"));
        QCOMPARE(ds.recNo(), 5);   // lookup never moves
        QCOMPARE(ds.locate(fields, values, LocateOptions(options)), found != 0);
        QCOMPARE(ds["CODE"].asInteger(), found ? found : 50);
        if (!(options & int(LocateOption::CaseInsensitive)) && !(options & int(LocateOption::PartialKey)))
            QCOMPARE(looked.isValid(), found != 0);
    }

    void controlsAndSources()
    {
        ClientDataSet ds;
        makeSet(ds, 3);
        DataSource source(&ds);
        int changes = 0, states = 0;
        connect(&source, &DataSource::dataChange, this, [&changes](Field *) { ++changes; });
        connect(&source, &DataSource::stateChange, this, [&states] { ++states; });
        ds.next();
        QVERIFY(changes > 0);
        changes = 0;
        ds.disableControls();
        ds.disableControls();
        ds.first();
        ds.edit();
        ds["NAME"].setAsString(QStringLiteral("x"));
        ds.post();
        ds.enableControls();
        QCOMPARE(changes, 0);   // still disabled once
        QVERIFY(ds.controlsDisabled());
        ds.enableControls();
        QVERIFY(!ds.controlsDisabled());
        QCOMPARE(changes, 1);
        QCOMPARE(source.state(), DataSetState::Browse);
        changes = 0;
        source.setEnabled(false);
        changes = 0;
        ds.next();
        QCOMPARE(changes, 0);
    }

    void calculatedFields()
    {
        ClientDataSet ds;
        int calls = 0;
        ds.OnCalcFields = [&calls](DataSet &d) {
            ++calls;
            d["Twice"].setAsInteger(d["CODE"].asInteger() * 2);
        };
        makeSet(ds, 3);
        ds.setRecNo(2);
        QCOMPARE(ds["Twice"].asInteger(), 40);
        ds.edit();
        ds["CODE"].setAsInteger(25);
        QCOMPARE(ds["Twice"].asInteger(), 50);   // recalculated as data changes
        QVERIFY_THROWS_EXCEPTION(EDataSetError, ds["Twice"].setAsInteger(1));
        ds.post();
        QVERIFY(calls > 0);
        ds.tag = 7;
        QCOMPARE(ds.tag, 7);
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
