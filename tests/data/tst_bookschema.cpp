#include <QtTest>

#include "BookFixture.h"
#include "TestEnv.h"
#include "data/BookSchema.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

using namespace Qt::StringLiterals;

// A new book as the database holds it, read back through the engine's own
// catalogue and compared with the layout written out here field by field.
class TestBookSchema : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &m_db = m_book.db;

    // "NAME TYPE[size]" per column, in stored order, as the database declares them.
    QString storedColumns(const QString &table)
    {
        Statement st(m_db, u"PRAGMA table_info(\"%1\")"_s.arg(table));
        QStringList out;
        while (st.next()) {
            int size = 0;
            const QChar letter = LocalSql::typeLetter(st.textValue(2), &size);
            const bool pk = st.intValue(5) > 0;
            // An INTEGER PRIMARY KEY is declared INTEGER whatever its letter; the
            // letter of a key field is checked against the definitions instead.
            QString type = pk ? u"KEY"_s : QString(letter);
            if (letter == u'A')
                type += QString::number(size);
            out << st.textValue(1) + u' ' + type;
        }
        return out.join(u", ");
    }

private slots:
    void initTestCase() { m_book.open(BookSchema::databaseFileName()); }
    void cleanupTestCase() { m_book.close(); }

    void tables_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("columns");
        QTest::newRow("Master") << u"Master"_s
                                << u"DATANO KEY, GYONO S, RECDATE D, KINGAKU $, QUANTITY N, SHOPCODE I, HINMEICODE I, "
                                   u"PERSONCODE I, KARISIDE L, KARICODE S, KASICODE S, RESERVED L, LOOKUPNO I, "
                                   u"RECEIPTNO I, RECKIND S, STYLE S, ORIGIN S, ZEIATUKAI S"_s;
        QTest::newRow("Himoku") << u"Himoku"_s
                                << u"CODE KEY, POS S, NAME A20, MEMO A40, BUNRUI S, SYOKIZAN $, SIMEBI S, CYCLE S, "
                                   u"FURIKOMIBI S, HOLIDAYSHIFT S, VISIBLE L, SYSTEM L, STARTDATE D, TOKUBETU L, "
                                   u"AITECODE S, SIMEHISTROY L, SIMESHIFT S, OTHERCODE S, ZEIATUKAI S, YOSANWARN L, "
                                   u"SIMEHOLIDAYSHIFT S, SIMEADDDAY S"_s;
        QTest::newRow("HinmeiMast") << u"HinmeiMast"_s << u"CODE KEY, NAME A40, QUANTITY N, GAKU $, ZEIATUKAI S"_s;
        QTest::newRow("HinmeiList") << u"HinmeiList"_s << u"DATANO KEY, HIMOKUCODE S, OYACODE I, KOCODE I, VISIBLE L"_s;
        QTest::newRow("ShopMast") << u"ShopMast"_s << u"CODE KEY, NAME A40"_s;
        QTest::newRow("ShopList") << u"ShopList"_s << u"DATANO KEY, HIMOKUCODE S, VISIBLE L, OYACODE I, KOCODE I"_s;
        QTest::newRow("Person") << u"Person"_s << u"CODE KEY, NAME A20, VISIBLE L"_s;
        QTest::newRow("Yosan") << u"Yosan"_s << u"DATANO I, RECDATE D, HIMOKUCODE S, KINGAKU $, BUNRUI S"_s;
        QTest::newRow("Memo") << u"Memo"_s << u"DATANO KEY, RECDATE D, MEMO M"_s;
        QTest::newRow("Number") << u"Number"_s << u"CODE S"_s;
        QTest::newRow("DateMast") << u"DateMast"_s
                                  << u"DATANO I, NAME A20, AYEAR S, AMONTH S, ADAY S, AWEEK S, YOBI S, TYPE S, "
                                     u"STARTDAY D, ENDDAY D"_s;
        QTest::newRow("DateList") << u"DateList"_s << u"DATANO I, RECDATE D, NAME A20, TYPE S, COMMENT A40"_s;
        QTest::newRow("ReserveList")
            << u"ReserveList"_s
            << u"DATANO I, RECEIPTNO I, NAME A16, RECDATE D, KINGAKU $, SHOPCODE I, HINMEICODE I, PERSONCODE I, "
               u"KARICODE S, KASICODE S, RECKIND S, STARTDATE D, ENDDATE D, POSTDATE S, HOLIDAYSHIFT S, SYUSIIDO S, "
               u"VISIBLE L, MONTHLY L, M1GAKU $, M2GAKU $, M3GAKU $, M4GAKU $, M5GAKU $, M6GAKU $, M7GAKU $, "
               u"M8GAKU $, M9GAKU $, M10GAKU $, M11GAKU $, M12GAKU $, ZEIATUKAI S"_s;
        QTest::newRow("SimebiList") << u"SimebiList"_s << u"DATANO I, CODE S, STARTDATE D, SIMEBI S"_s;
        QTest::newRow("ZeiList") << u"ZeiList"_s << u"DATANO S, STARTDATE D, PERCENT N"_s;
        QTest::newRow("AutoInc") << u"AutoInc"_s << u"NAME A20, MAXNO I"_s;
    }
    void tables()
    {
        QFETCH(QString, table);
        QFETCH(QString, columns);
        QCOMPARE(storedColumns(table), columns);
    }

    void everyTableAndNothingElse()
    {
        QStringList expected = {u"AutoInc"_s,    u"DateList"_s,   u"DateMast"_s,    u"Himoku"_s,
                                u"HinmeiList"_s, u"HinmeiMast"_s, u"Master"_s,      u"Memo"_s,
                                u"Number"_s,     u"Person"_s,     u"ReserveList"_s, u"ShopList"_s,
                                u"ShopMast"_s,   u"SimebiList"_s, u"Yosan"_s,       u"ZeiList"_s};
        QStringList names = m_db.tableNames();
        names.sort();
        QCOMPARE(names, expected);
        QCOMPARE(BookSchema::tables().size(), 16);
        // The definitions name the file every other part of the program uses.
        QCOMPARE(BookSchema::table(u"MASTER.DB"_s)->fileName, u"Master.DB"_s);
        QCOMPARE(BookSchema::table(u"DayMstTbl"_s)->name, u"DateMast"_s);
        QCOMPARE(BookSchema::table(u"\"ReserveList.DB\""_s)->counterName(), u"reservelist.db"_s);
        QVERIFY(!BookSchema::table(u"Memo_old.db"_s));
        QCOMPARE(BookSchema::databaseFileName(), u"PomuZenitData.db"_s);
    }

    // The key fields of the definitions are the tables' primary keys, their
    // type letters are the book's own (S, I, ...); the tables without key keep
    // insertion order.
    void keys()
    {
        const QMap<QString, QString> keys = {
            {u"Master"_s, u"DATANO I"_s},     {u"Himoku"_s, u"CODE S"_s},   {u"HinmeiMast"_s, u"CODE I"_s},
            {u"HinmeiList"_s, u"DATANO I"_s}, {u"ShopMast"_s, u"CODE I"_s}, {u"ShopList"_s, u"DATANO I"_s},
            {u"Person"_s, u"CODE I"_s},       {u"Memo"_s, u"DATANO I"_s},
        };
        for (const TableDef &t : BookSchema::tables()) {
            const QString key = keys.value(t.name);
            if (key.isEmpty()) {
                QVERIFY2(t.keyFields.isEmpty(), qPrintable(t.name));
                continue;
            }
            QCOMPARE(t.keyFields.size(), 1);
            QCOMPARE(t.keyFields.first() + u' ' + t.field(t.keyFields.first())->type, key);
            // A rowid key: key order is row order.
            Statement info(m_db, u"PRAGMA table_info(\"%1\")"_s.arg(t.name));
            QStringList pk;
            while (info.next())
                if (info.intValue(5) > 0)
                    pk << info.textValue(1) + u' ' + info.textValue(2);
            QCOMPARE(pk, QStringList({t.keyFields.first() + u" INTEGER"_s}));
        }
        // A key refuses a second row with the same value.
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_db.exec(u"INSERT INTO Himoku (CODE, NAME) VALUES (100, 'x')"_s));
    }

    void indexes()
    {
        Statement st(
            m_db, u"SELECT name, tbl_name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name"_s);
        QStringList found;
        while (st.next()) {
            const QString name = st.textValue(0);
            Statement info(m_db, u"PRAGMA index_info(\"%1\")"_s.arg(name));
            QStringList cols;
            while (info.next())
                cols << info.textValue(2);
            found << st.textValue(1) + u'.' + name + u'(' + cols.join(u',') + u')';
        }
        QCOMPARE(found,
                 QStringList({u"HinmeiList.HinmeiList_HIMOKUCODE(HIMOKUCODE)"_s, u"Master.Master_LOOKUPNO(LOOKUPNO)"_s,
                              u"Master.Master_RECDATE(RECDATE)"_s, u"Master.Master_RECEIPTNO(RECEIPTNO)"_s,
                              u"Memo.Memo_RECDATE(RECDATE)"_s, u"ShopList.ShopList_HIMOKUCODE(HIMOKUCODE)"_s,
                              u"Yosan.Yosan_RECDATE(RECDATE)"_s}));
    }

    void himokuSeed_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bunrui");
        QTest::addColumn<bool>("visible");
        QTest::newRow("income group") << 1 << u"収入"_s << 1 << false;
        QTest::newRow("expense group") << 2 << u"支出"_s << 2 << false;
        QTest::newRow("account group") << 3 << u"口座"_s << 3 << false;
        QTest::newRow("free account input") << 11 << u"口座フリー入力用"_s << 0 << false;
        QTest::newRow("voucher input") << 12 << u"金券入力用"_s << 0 << false;
        QTest::newRow("receipt input") << 13 << u"レシート入力用"_s << 0 << false;
        QTest::newRow("sundry") << 99 << u"諸口"_s << 0 << false;
        QTest::newRow("cash") << 100 << u"現金"_s << 3 << true;
    }
    void himokuSeed()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(int, bunrui);
        QFETCH(bool, visible);
        Statement st(m_db, u"SELECT NAME, BUNRUI, VISIBLE, SYSTEM, AITECODE, SIMEADDDAY FROM Himoku WHERE CODE = ?"_s);
        st.bind(1, code);
        QVERIFY(st.next());
        QCOMPARE(st.textValue(0), name);
        QCOMPARE(st.intValue(1), bunrui);
        QCOMPARE(st.intValue(2) != 0, visible);
        QCOMPARE(st.intValue(3), 1);
        QVERIFY(!st.isNull(5));
        if (code == 100)
            QCOMPARE(st.intValue(4), 100); // the default counter-account
    }

    void otherSeedRows()
    {
        QCOMPARE(m_db.scalar(u"SELECT group_concat(CODE) FROM Himoku"_s).toString(), u"1,2,3,11,12,13,99,100"_s);
        QCOMPARE(m_db.scalar(u"SELECT group_concat(CODE || ':' || NAME || ':' || QUANTITY || ':' || GAKU || ':' || "
                             u"ZEIATUKAI, ' ') FROM HinmeiMast WHERE CODE > 0"_s)
                     .toString(),
                 u"1:消費税計算:1.0:0.0:0 2:消費税:1.0:0.0:0 3:自動引落:1.0:0.0:0 4:繰越残高:1.0:0.0:0 "
                 u"5:残高調整:1.0:0.0:0"_s);
        QCOMPARE(m_db.scalar(u"SELECT group_concat(CODE) FROM Number"_s).toString(), u"0,1,2"_s);

        Statement zero(m_db, u"SELECT DATANO, RECDATE, HINMEICODE, RECKIND, RESERVED, QUANTITY FROM Master"_s);
        QVERIFY(zero.next());
        QCOMPARE(zero.intValue(0), 0);
        QVERIFY(zero.isNull(1));
        QCOMPARE(zero.intValue(2), 4);
        QCOMPARE(zero.intValue(3), 1);
        QCOMPARE(zero.intValue(4), 0);
        QCOMPARE(zero.doubleValue(5), 1.0);
        QVERIFY(!zero.next());

        // User categories from 101, user items, shops and persons above 100.
        for (const QString &t : {u"himoku.db"_s, u"hinmeimast.db"_s, u"shopmast.db"_s, u"person.db"_s})
            QCOMPARE(m_db.scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = ?"_s, {t}).toInt(), 100);
        QVERIFY(!m_db.scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = 'master.db'"_s).isValid());
    }

    void filteredViews()
    {
        QStringList views;
        for (const FilteredView &v : BookSchema::filteredViews()) {
            QVERIFY(BookSchema::table(v.table));
            views << v.component + u':' + v.table + u':' + v.filter;
        }
        QCOMPARE(views, QStringList({u"HinmeiMstTbl2:HinmeiMast:CODE > 100"_s, u"ShopMstTbl2:ShopMast:CODE > 100"_s,
                                     u"PersonTbl2:Person:CODE > 100"_s, u"HimokuTbl2:Himoku:CODE > 99"_s}));
    }

    void journalDataSetColumns()
    {
        const QList<SchemaField> fields = BookSchema::meisaiFields();
        QCOMPARE(fields.size(), 18 + 8);
        QStringList calculated;
        for (const SchemaField &fd : fields)
            if (fd.calculated)
                calculated << fd.name;
        QCOMPARE(calculated, QStringList({u"SelfCode"_s, u"RecPos"_s, u"AiteCode"_s, u"HinmeiName"_s, u"KariGaku"_s,
                                          u"KasiGaku"_s, u"ShopName"_s, u"PersonName"_s}));
        QCOMPARE(BookSchema::receiptFilter(), u"RECEIPTNO <> 0"_s);
    }

    // The book is written in one transaction: a database that already holds a
    // table of the book is left as it was.
    void failedCreationLeavesNothing()
    {
        TestEnv env;
        Database db;
        db.open(env.path(u"x.db"_s), QString(), true);
        db.exec(u"CREATE TABLE Memo (X)"_s);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, BookSchema::createEmptyBook(db));
        QCOMPARE(db.tableNames(), QStringList({u"Memo"_s}));
    }
};

QTEST_GUILESS_MAIN(TestBookSchema)
#include "tst_bookschema.moc"
