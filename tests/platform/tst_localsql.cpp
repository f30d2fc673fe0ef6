#include <QtTest>

#include "TestEnv.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Query.h"

using namespace Qt::StringLiterals;

// The exact rewrites of the dialect, and what the rewritten texts do on a small
// hand-made table. That every text the program sends prepares on a new book is
// tested beside the book schema (tests/data/tst_booksql.cpp).
class TestLocalSql : public QObject
{
    Q_OBJECT
private slots:
    void translate_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");

        QTest::newRow("quoted file name with alias")
            << u"SELECT *\nFROM \"Master.db\" D\nORDER BY GYONO"_s << u"SELECT *\nFROM \"Master\" D\nORDER BY GYONO"_s;
        QTest::newRow("unquoted upper-case file name") << u"SELECT * FROM MASTER.DB"_s << u"SELECT * FROM \"Master\""_s;
        QTest::newRow("unquoted file name with alias, join")
            << u"FROM \"HinmeiList.db\" L, HinmeiMast.db H"_s << u"FROM \"HinmeiList\" L, \"HinmeiMast\" H"_s;
        QTest::newRow("file name not of the book")
            << u"CREATE TABLE \"Memo2.db\" (X INTEGER)"_s << u"CREATE TABLE \"Memo2\" (X INTEGER)"_s;
        QTest::newRow("already SQLite") << u"SELECT CODE FROM \"Himoku\" WHERE NAME = 'a''b'"_s
                                        << u"SELECT CODE FROM \"Himoku\" WHERE NAME = 'a''b'"_s;
        QTest::newRow("alias.column is not a file name")
            << u"SELECT D.DATANO FROM Master.db D"_s << u"SELECT D.DATANO FROM \"Master\" D"_s;
        QTest::newRow("true and false in any case")
            << u"WHERE (VISIBLE = TRUE) AND ((TOKUBETU = false) OR (TOKUBETU IS NULL)) AND (RESERVED = True)"_s
            << u"WHERE (VISIBLE = 1) AND ((TOKUBETU = 0) OR (TOKUBETU IS NULL)) AND (RESERVED = 1)"_s;
        QTest::newRow("double-quoted strings become SQL strings")
            << u"UPDATE DATELIST\nSET NAME = \"みどりの日\"\nWHERE NAME = \"it's \"\"x\"\"\""_s
            << u"UPDATE DATELIST\nSET NAME = 'みどりの日'\nWHERE NAME = 'it''s \"x\"'"_s;
        QTest::newRow("LIKE with escape")
            << uR"(WHERE (H.NAME LIKE "%10^%%" ESCAPE "^"))"_s << uR"(WHERE (H.NAME LIKE '%10^%%' ESCAPE '^'))"_s;
        QTest::newRow("month-first dates, double quotes")
            << uR"(  (RECDATE >= "01/01/2003") AND (RECDATE <= "12/31/2003"))"_s
            << uR"(  (RECDATE >= '2003-01-01') AND (RECDATE <= '2003-12-31'))"_s;
        QTest::newRow("month-first date, single quotes, alias")
            << uR"((D.RECDATE = '2/9/2026') and (KASICODE = 5))"_s
            << uR"((D.RECDATE = '2026-02-09') and (KASICODE = 5))"_s;
        QTest::newRow("date on the left, between")
            << uR"(WHERE "1/1/2007" < STARTDAY AND ENDDAY BETWEEN "1/1/2007" AND "12/31/2007")"_s
            << uR"(WHERE '2007-01-01' < STARTDAY AND ENDDAY BETWEEN '2007-01-01' AND '2007-12-31')"_s;
        QTest::newRow("date-like text beside a text column stays")
            << uR"(WHERE NAME = "1/1/2007")"_s << uR"(WHERE NAME = '1/1/2007')"_s;
        QTest::newRow("impossible date stays")
            << uR"(WHERE RECDATE = "2/30/2026")"_s << uR"(WHERE RECDATE = '2/30/2026')"_s;
        QTest::newRow("extract")
            << u"WHERE (EXTRACT(YEAR FROM RECDATE) = 2026)\nAND EXTRACT(MONTH FROM D.RECDATE) = 5\nAND EXTRACT( day FROM RECDATE) = 4"_s
            << u"WHERE (CAST(strftime('%Y', RECDATE) AS INTEGER) = 2026)\nAND CAST(strftime('%m', D.RECDATE) AS INTEGER) = 5\nAND CAST(strftime('%d', RECDATE) AS INTEGER) = 4"_s;
        QTest::newRow("string concatenation")
            << uR"(SELECT CODE, NAME ,CAST(CODE AS CHAR(5)) +": " +  NAME AS CODENAME FROM Himoku.db)"_s
            << uR"(SELECT CODE, NAME ,CAST(CODE AS CHAR(5)) ||': ' ||  NAME AS CODENAME FROM "Himoku")"_s;
        QTest::newRow("numeric plus stays")
            << u"SELECT KINGAKU + 1, CODE+2 FROM Master.db"_s << u"SELECT KINGAKU + 1, CODE+2 FROM \"Master\""_s;
        QTest::newRow("memo column")
            << u"CREATE TABLE \"Memo2.db\"\n(\n  DATANO INTEGER\n ,RECDATE DATE\n ,MEMO BLOB(240,1)\n)"_s
            << u"CREATE TABLE \"Memo2\"\n(\n  DATANO INTEGER\n ,RECDATE DATE\n ,MEMO TEXT\n)"_s;
        QTest::newRow("alter table, several columns")
            << u"ALTER TABLE \"ReserveList.DB\" \n  ADD MONTHLY BOOLEAN\n, ADD M1GAKU MONEY"_s
            << u"ALTER TABLE \"ReserveList\" ADD MONTHLY BOOLEAN;\nALTER TABLE \"ReserveList\" ADD M1GAKU MONEY REAL"_s;
        QTest::newRow("update with alias")
            << u"UPDATE \"Master.db\" M\nSET M.HINMEICODE = 120\nWHERE (M.HINMEICODE IN (SELECT S.CODE \n                FROM \"HinmeiMast.db\" S\n                WHERE S.NAME = \"繰越残高\"\n                      AND S.CODE <> 120))\nAND M.DATANO <> 0"_s
            << u"UPDATE \"Master\"\nSET HINMEICODE = 120\nWHERE (\"Master\".HINMEICODE IN (SELECT S.CODE \n                FROM \"HinmeiMast\" S\n                WHERE S.NAME = '繰越残高'\n                      AND S.CODE <> 120))\nAND \"Master\".DATANO <> 0"_s;
        QTest::newRow("Japanese names and stray full-width signs")
            << u"SELECT 分類名 FROM \"支出データ.db\" WHERE 分類名 = （1）"_s
            << u"SELECT 分類名 FROM \"支出データ\" WHERE 分類名 = （1）"_s;
        QTest::newRow("parameters and comments untouched")
            << u"SELECT * FROM ReserveList.DB WHERE RECEIPTNO = :ReceiptNo -- \"x\" TRUE"_s
            << u"SELECT * FROM \"ReserveList\" WHERE RECEIPTNO = :ReceiptNo -- \"x\" TRUE"_s;
    }
    void translate()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(LocalSql::translate(sql), expected);
    }

    void tableNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::newRow("upper") << u"MASTER.DB"_s << u"Master"_s;
        QTest::newRow("quoted") << u"\"Person.DB\""_s << u"Person"_s;
        QTest::newRow("lower") << u"hinmeimast.db"_s << u"HinmeiMast"_s;
        QTest::newRow("no extension") << u"datelist"_s << u"DateList"_s;
        QTest::newRow("foreign") << u"Memo_old.db"_s << u"Memo_old"_s;
    }
    void tableNames()
    {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QCOMPARE(LocalSql::tableName(file), table);
    }

    void columnTypesRoundTrip()
    {
        const QList<QPair<QChar, int>> letters = {{u'S', 0}, {u'I', 0}, {u'N', 0},  {u'$', 0},
                                                  {u'D', 0}, {u'L', 0}, {u'A', 20}, {u'M', 0}};
        for (const auto &[letter, size] : letters) {
            int back = -1;
            QCOMPARE(LocalSql::typeLetter(LocalSql::columnType(letter, size), &back), letter);
            QCOMPARE(back, size);
        }
        QVERIFY(LocalSql::typeLetter(u"BLOB"_s).isNull());
    }

    // The rewritten texts do on SQLite what the dialect means: the memo column
    // keeps text that looks like a number, amounts stay real, dates compare in
    // order, EXTRACT gives numbers and True matches stored 1.
    void rewrittenTextsWork()
    {
        TestEnv env;
        Database db;
        db.open(env.path(u"t.db"_s), QString(), true);
        db.exec(LocalSql::translate(u"CREATE TABLE \"Memo.db\" (DATANO INTEGER, RECDATE DATE, MEMO BLOB(240,1))"_s));
        db.exec(
            u"CREATE TABLE Master (DATANO INTEGER PRIMARY KEY, RECDATE DATE, KINGAKU MONEY REAL, RESERVED BOOLEAN)"_s);
        for (const QString &s : LocalSql::statements(u"ALTER TABLE \"Master.db\" ADD NOTE CHAR(10), ADD RATE MONEY"_s))
            db.exec(s);
        db.exec(u"INSERT INTO Memo VALUES (1, '2026-12-31', '1.50')"_s);
        db.exec(u"INSERT INTO Master VALUES (1, '2007-01-01', 1500, 1, 'a', 2)"_s);
        db.exec(u"INSERT INTO Master VALUES (2, '2007-05-04', 20.5, NULL, 'b', 3)"_s);
        db.exec(u"INSERT INTO Master VALUES (3, '2006-12-31', 7, 0, 'c', 4)"_s);

        QCOMPARE(db.scalar(u"SELECT typeof(MEMO) || MEMO FROM Memo"_s).toString(), u"text1.50"_s);
        QCOMPARE(db.scalar(u"SELECT typeof(KINGAKU) FROM Master WHERE DATANO = 1"_s).toString(), u"real"_s);
        QCOMPARE(db.scalar(u"SELECT typeof(RATE) FROM Master WHERE DATANO = 1"_s).toString(), u"real"_s);

        auto count = [&](const QString &where) {
            return db.scalar(LocalSql::translate(u"SELECT COUNT(*) FROM \"Master.DB\" M WHERE "_s + where)).toInt();
        };
        QCOMPARE(count(u"RECDATE > \"1/1/2007\""_s), 1);
        QCOMPARE(count(u"M.RECDATE >= \"01/01/2007\" AND M.RECDATE <= \"12/31/2007\""_s), 2);
        QCOMPARE(count(u"EXTRACT(MONTH FROM RECDATE) = 5 AND EXTRACT(DAY FROM RECDATE) = 4"_s), 1);
        QCOMPARE(count(u"EXTRACT(YEAR FROM RECDATE) = 2006"_s), 1);
        QCOMPARE(count(u"RESERVED = TRUE"_s), 1);
        QCOMPARE(count(u"RESERVED = FALSE"_s), 1); // the empty flag is neither
        QCOMPARE(db.scalar(LocalSql::translate(
                               u"SELECT NOTE + \"-\" + CAST(DATANO AS CHAR(5)) FROM Master.db WHERE DATANO = 2"_s))
                     .toString(),
                 u"b-2"_s);

        db.exec(LocalSql::translate(
            u"UPDATE \"Master.db\" M SET M.KINGAKU = 9 WHERE M.DATANO IN (SELECT S.DATANO FROM Master.db S WHERE S.RESERVED = TRUE)"_s));
        QCOMPARE(db.scalar(u"SELECT KINGAKU FROM Master WHERE DATANO = 1"_s).toDouble(), 9.0);
        QCOMPARE(db.scalar(u"SELECT SUM(KINGAKU) FROM Master"_s).toDouble(), 36.5);
    }

    void severalStatements()
    {
        const QStringList parts =
            LocalSql::statements(u"UPDATE Himoku.db SET NAME = \"a;b\"; DELETE FROM Himoku.db WHERE CODE > 100;"_s);
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parts.at(0), u"UPDATE \"Himoku\" SET NAME = 'a;b'"_s);
        QCOMPARE(parts.at(1), u"DELETE FROM \"Himoku\" WHERE CODE > 100"_s);
    }
    // A query that adds several columns in one text adds all of them, or none
    // when one fails.
    void queryRunsEveryStatement()
    {
        TestEnv env;
        Database db;
        db.open(env.path(u"q.db"_s), QString(), true);
        db.exec(u"CREATE TABLE Master (DATANO INTEGER PRIMARY KEY)"_s);
        Query q(db);
        q.SQL << u"ALTER TABLE \"Master.db\" ADD NOTE CHAR(10), ADD RATE MONEY"_s;
        q.execSQL();
        Statement info(db, u"PRAGMA table_info(Master)"_s);
        QStringList cols;
        while (info.next())
            cols << info.textValue(1);
        QCOMPARE(cols, QStringList({u"DATANO"_s, u"NOTE"_s, u"RATE"_s}));

        Query bad(db);
        bad.SQL << u"ALTER TABLE \"Master.db\" ADD EXTRA CHAR(5), ADD NOTE CHAR(10)"_s;
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, bad.execSQL());
        Statement again(db, u"PRAGMA table_info(Master)"_s);
        int count = 0;
        while (again.next())
            ++count;
        QCOMPARE(count, 3);
    }
};

QTEST_GUILESS_MAIN(TestLocalSql)
#include "tst_localsql.moc"
