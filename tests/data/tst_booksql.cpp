#include <QtTest>

#include "BookFixture.h"
#include "TestEnv.h"
#include "data/BookSchema.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

using namespace Qt::StringLiterals;

// The SQL texts the program sends, written as the program builds them (the older
// dialect: table files, double-quoted strings, month-first dates, True/False,
// EXTRACT), with their placeholders filled. Each one, rewritten, must prepare and
// run on a new book; a few are checked for their results.
class TestBookSql : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &m_db = m_book.db;

    void openNewBook() { m_book.open(BookSchema::databaseFileName()); }
    void closeBook() { m_book.close(); }

    // Prepares and runs every statement of the rewritten text inside a transaction
    // that is rolled back, parameters bound to 1. Returns the rows of the last
    // statement's first column.
    QStringList run(const QString &sql, bool keep = false)
    {
        QStringList rows;
        Transaction transaction(m_db);
        for (const QString &statement : LocalSql::statements(sql)) {
            Statement st(m_db, statement);
            for (int i = 1; i <= st.parameterCount(); ++i)
                st.bind(i, 1);
            rows.clear();
            while (st.next())
                rows << st.textValue(0);
        }
        if (keep)
            transaction.commit();
        return rows;
    }

    static void addTexts()
    {
        QTest::addColumn<QString>("sql");
        auto row = [](const char *name, const QStringList &lines) { QTest::newRow(name) << lines.join(u'\n'); };

        // Data module, caches and list builders.
        row("journal provider", {u"SELECT * FROM MASTER.DB"_s});
        row("duplicate codes",
            {u"SELECT CODE , COUNT(CODE) AS COUNTCODE"_s, u"FROM \"Himoku.db\""_s, u"GROUP BY CODE"_s});
        row("closing day of a group", {u"SELECT CODE,SIMEBI,SIMEHISTROY,SIMESHIFT,SIMEHOLIDAYSHIFT,SIMEADDDAY"_s,
                                       u"FROM Himoku.db"_s, u"WHERE CODE = :Code"_s});
        row("scheduled card", {u"SELECT * FROM ReserveList.DB WHERE RECEIPTNO = :ReceiptNo"_s});
        row("month change", {u"UPDATE \"Master.db\""_s, u"SET LOOKUPNO = 260300000"_s, u"WHERE RECEIPTNO = 12"_s});
        row("category cache", {u"SELECT *"_s, u"FROM Himoku.db"_s, u"WHERE (VISIBLE = TRUE)"_s,
                               u"AND ((TOKUBETU = FALSE) OR (TOKUBETU IS NULL))"_s, u"ORDER BY POS"_s});
        row("closing-day history",
            {u"SELECT *"_s, u"FROM SimebiList.db"_s, u"WHERE CODE = 100"_s, u"ORDER BY STARTDATE"_s});
        row("tax rates", {u"SELECT * "_s, u"FROM ZeiList.db"_s, u"ORDER BY STARTDATE"_s});
        row("category list kind 1", {u"SELECT DISTINCT POS,NAME,CODE,BUNRUI"_s, u"FROM \"Himoku.db\""_s, u"WHERE"_s,
                                     u"(BUNRUI = 1) AND"_s, u" (VISIBLE = TRUE)"_s, u" ORDER BY BUNRUI,POS,CODE"_s});
        row("category list kind 5", {u"SELECT DISTINCT POS,NAME,CODE,BUNRUI"_s, u"FROM \"Himoku.db\""_s, u"WHERE"_s,
                                     u"("_s, u"(BUNRUI > 1) OR"_s, u"(CODE = 1) OR"_s, u"(CODE = 2) OR"_s,
                                     u"(CODE = 3) OR"_s, u"(CODE = 11) OR"_s, u"(CODE = 12) OR"_s, u"(CODE = 13) OR"_s,
                                     u"(CODE = 99) OR"_s, u"(CODE = 100)"_s, u")"_s, u" ORDER BY BUNRUI,POS,CODE"_s});
        row("item list by category",
            {u"SELECT DISTINCT M.NAME ,M.CODE"_s, u"FROM \"HinmeiMast.db\" M"_s, u"WHERE"_s,
             u"(M.CODE IN (SELECT L.OYACODE"_s, u"            FROM \"HinmeiList.db\" L"_s,
             u"     WHERE (L.VISIBLE = TRUE) AND (L.HIMOKUCODE = 101)))"_s, u"OR"_s, u"(M.CODE IN (SELECT L.KOCODE"_s,
             u"            FROM \"HinmeiList.db\" L"_s, u"     WHERE (L.VISIBLE = TRUE) AND (L.HIMOKUCODE = 101)))"_s,
             u"ORDER BY M.NAME"_s});
        row("shop list by class",
            {u"SELECT DISTINCT M.NAME ,M.CODE"_s, u"FROM \"ShopMast.db\" M"_s, u"WHERE"_s,
             u"(M.CODE IN (SELECT L.OYACODE"_s, u"            FROM \"ShopList.db\" L, \"Himoku.db\" H"_s,
             u"            WHERE (L.VISIBLE = TRUE) AND (L.HIMOKUCODE = H.CODE)"_s,
             u"            AND (H.VISIBLE = TRUE) AND (H.BUNRUI = 2)))"_s, u"OR"_s, u"(M.CODE IN (SELECT L.KOCODE"_s,
             u"            FROM \"ShopList.db\" L, \"Himoku.db\" H"_s,
             u"            WHERE (L.VISIBLE = TRUE) AND (L.HIMOKUCODE = H.CODE) AND (H.VISIBLE = TRUE)))"_s,
             u"ORDER BY M.NAME"_s});
        row("person list",
            {u"SELECT DISTINCT d.CODE, d.NAME"_s, u"FROM \"Person.db\" d"_s, u"WHERE d.VISIBLE = TRUE"_s});
        row("holiday count", {u"SELECT COUNT(*) as COUNTS"_s, u"FROM DateList.db"_s,
                              u"WHERE (EXTRACT(YEAR FROM RECDATE) = 2026)"_s, u"AND (TYPE = 1)"_s});

        // Schema upgrade texts that run on a current book.
        row("journal lines of a system name",
            {u"SELECT COUNT(DATANO) AS COUNTS"_s, u"FROM \"Master.db\" M, \"HinmeiMast.db\" S"_s,
             u"WHERE M.HINMEICODE = S.CODE"_s, u"AND S.NAME = \"自動引落\""_s, u"AND M.STYLE <> 6   "_s});
        row("move journal lines to a user row",
            {u"UPDATE \"Master.db\" M"_s, u"SET M.HINMEICODE = 101"_s, u"WHERE (M.HINMEICODE IN (SELECT S.CODE "_s,
             u"                FROM \"HinmeiMast.db\" S"_s, u"                WHERE S.NAME = \"繰越残高\""_s,
             u"                      AND S.CODE <> 101))"_s, u"AND M.DATANO <> 0"_s});
        row("tax treatment of categories", {u"UPDATE \"Himoku.db\""_s, u"SET ZEIATUKAI = 3"_s, u"WHERE BUNRUI <> 2"_s});
        row("budget warning on", {u"UPDATE \"Himoku.db\""_s, u"SET YOSANWARN = TRUE"_s});
        row("item defaults", {u"UPDATE \"HinmeiMast.db\""_s, u"SET QUANTITY = 1.0"_s, u"WHERE QUANTITY IS NULL"_s});
        row("memo table", {u"CREATE TABLE \"Memo2.db\""_s, u"("_s, u"  DATANO INTEGER"_s, u" ,RECDATE DATE"_s,
                           u" ,MEMO BLOB(240,1)"_s, u")"_s});
        row("Showa day names", {u"UPDATE DATELIST"_s, u"SET NAME = \"昭和の日\""_s, u"WHERE RECDATE > \"1/1/2007\""_s,
                                u"AND EXTRACT(MONTH FROM RECDATE) = 4"_s, u"AND EXTRACT(DAY FROM RECDATE) = 29"_s});
        row("closing day added", {u"UPDATE \"Himoku.db\""_s, u"SET SIMEADDDAY = 0"_s});

        // Journal pages.
        row("day query", {u"SELECT *"_s, u"FROM \"Master.db\" D"_s, u"WHERE                  "_s,
                          u"(RECDATE = '12/31/2026') and ((KARICODE = 100) or (KASICODE = 100))"_s,
                          u"and ((KARICODE in (100,99)) and (KASICODE in (100,99)))"_s, u"AND (RESERVED = FALSE)"_s,
                          u"ORDER BY RECDATE,STYLE,GYONO"_s});
        row("period query", {u"SELECT *"_s, u"FROM \"Master.db\" D"_s, u"WHERE                  "_s,
                             u"  (D.RECDATE >= \"12/01/2026\")"_s, u" and (D.RECDATE <= \"12/31/2026\")"_s,
                             u"AND (RESERVED = FALSE)"_s, u"ORDER BY RECDATE,STYLE,GYONO"_s});
        row("receipt list",
            {u"SELECT DISTINCT RECDATE,RECEIPTNO,SHOPCODE, SUM(KINGAKU) AS KINGAKU,RECEIPTNO AS ORIGIN"_s,
             u"FROM \"Master.db\""_s, u"WHERE"_s, u"  (RECDATE >= \"11/26/2026\") AND (RECDATE <= \"12/25/2026\")"_s,
             u" AND (ORIGIN = 2)"_s, u" AND (STYLE = 2)"_s, u"AND (RESERVED = FALSE)"_s,
             u"GROUP BY RECDATE,RECEIPTNO,SHOPCODE"_s});
        row("bill list, expense page",
            {u"SELECT DISTINCT RECEIPTNO,LOOKUPNO,KASICODE  AS CREDITCODE, SUM(KINGAKU) AS KINGAKU,ORIGIN"_s,
             u"FROM \"Master.db\""_s, u"WHERE"_s, u"(STYLE = 3)"_s, u" AND (ORIGIN = 2)"_s,
             u" AND (RESERVED = FALSE)"_s, u" AND (LOOKUPNO >= 261200000) AND (LOOKUPNO < 261300000)"_s,
             u"GROUP BY RECEIPTNO,LOOKUPNO,KASICODE,ORIGIN"_s});
        row("bill list, transfer page",
            {u"SELECT DISTINCT RECEIPTNO,LOOKUPNO,RECEIPTNO AS CREDITCODE, SUM(KINGAKU) AS KINGAKU,RECEIPTNO AS ORIGIN"_s,
             u"FROM \"Master.db\""_s, u"WHERE"_s, u"(STYLE = 8)"_s, u" AND ((ORIGIN = 2) OR (ORIGIN = 3))"_s,
             u" AND (LOOKUPNO >= 261200000) AND (LOOKUPNO < 261300000)"_s, u"GROUP BY RECEIPTNO,LOOKUPNO"_s});
        row("slip lines",
            {u"SELECT *"_s, u"FROM \"Master.db\" D"_s, u"WHERE                  "_s, u"(RECEIPTNO = 5)"_s,
             u"and (STYLE = 2)"_s, u"and (ORIGIN = 2)"_s, u"AND (RESERVED = FALSE)"_s, u"ORDER BY GYONO"_s});
        row("slip sum", {u"SELECT *"_s, u"FROM Master.DB"_s, u"WHERE RECEIPTNO = :ReceiptNo"_s});
        row("voucher items", {u"SELECT DISTINCT H.CODE, H.NAME"_s, u"FROM \"HinmeiList.db\" L, \"HinmeiMast.db\" H"_s,
                              u"WHERE L.HIMOKUCODE = 12 AND L.OYACODE = 120"_s, u"      AND (H.CODE = L.KOCODE)"_s,
                              u"ORDER BY  H.NAME"_s});
        row("voucher accounts", {u"SELECT H.CODE, H.Name"_s, u"FROM \"Himoku.db\" H"_s, u"WHERE (H.VISIBLE = TRUE)"_s,
                                 u" AND (H.BUNRUI > 2)"_s, u" AND (H.CODE <> 105)"_s});

        // Selector lists.
        row("selector categories by code",
            {u"SELECT H.CODE, H.Name,H.POS"_s, u"FROM \"Himoku.db\" H"_s, u"WHERE (H.VISIBLE = true)"_s,
             u" AND (H.BUNRUI > 2)"_s, u" AND (H.CODE <> 100)"_s,
             u" AND (CAST(H.CODE AS CHAR(10)) LIKE '10%')  AND (H.CODE >= 100)"_s, u"ORDER BY H.POS"_s});
        row("selector categories of an item",
            {u"SELECT HK.CODE, HK.Name,HK.POS"_s,
             u"FROM \"Himoku.db\" HK"_s,
             u"WHERE (HK.VISIBLE = TRUE)"_s,
             u" AND (HK.BUNRUI = 2)"_s,
             u"AND"_s,
             u"("_s,
             u" (HK.CODE IN (SELECT L.HIMOKUCODE"_s,
             u"              FROM \"HinmeiList.DB\" L"_s,
             u"              WHERE (L.OYACODE"_s,
             u"IN (SELECT HM.CODE FROM \"HinmeiMast.db\" HM WHERE (HM.NAME LIKE \"%10^%%\" ESCAPE \"^\"))"_s,
             u"                    )"_s,
             u"\t\t\t OR"_s,
             u"                    (L.KOCODE"_s,
             u"IN (SELECT HM.CODE FROM \"HinmeiMast.db\" HM WHERE (HM.NAME LIKE \"%10^%%\" ESCAPE \"^\"))"_s,
             u"                    )"_s,
             u" )           )"_s,
             u"OR"_s,
             u" (HK.CODE IN (SELECT M.KARICODE"_s,
             u"              FROM \"Master.DB\" M"_s,
             u"              WHERE M.HINMEICODE"_s,
             u"IN (SELECT HM.CODE FROM \"HinmeiMast.db\" HM WHERE (HM.NAME LIKE \"%10^%%\" ESCAPE \"^\"))"_s,
             u" )           )"_s,
             u")"_s,
             u"ORDER BY HK.POS"_s});
        row("selector items filtered", {u"SELECT DISTINCT H.CODE, H.NAME"_s,
                                        u"FROM \"HinmeiMast.db\" H"_s,
                                        u"WHERE"_s,
                                        u"(H.NAME LIKE \"%米%\")"_s,
                                        u"AND"_s,
                                        u"("_s,
                                        u" (H.CODE IN (SELECT L.OYACODE"_s,
                                        u"              FROM \"HinmeiList.DB\" L"_s,
                                        u"              WHERE L.HIMOKUCODE = 101"_s,
                                        u" )           )"_s,
                                        u" OR"_s,
                                        u" (H.CODE IN (SELECT L.KOCODE"_s,
                                        u"              FROM \"HinmeiList.DB\" L"_s,
                                        u"              WHERE L.HIMOKUCODE = 101"_s,
                                        u" )           )"_s,
                                        u" OR"_s,
                                        u" (H.CODE IN (SELECT M.HINMEICODE"_s,
                                        u"              FROM \"Master.DB\" M"_s,
                                        u"              WHERE M.KARICODE = 101"_s,
                                        u" )           )"_s,
                                        u" )"_s,
                                        u"ORDER BY H.NAME"_s});
        row("selector shops", {u"SELECT DISTINCT  S.CODE, S.NAME"_s, u"FROM \"ShopList.db\" L, \"ShopMast.db\" S"_s,
                               u"WHERE"_s, u"(L.HIMOKUCODE = 101)"_s, u"AND"_s, u"(L.KOCODE = 0)"_s,
                               u"AND (S.CODE = L.OYACODE)"_s, u"AND (L.VISIBLE = TRUE)"_s, u"ORDER BY  S.NAME"_s});
        row("selector persons by code",
            {u"SELECT DISTINCT P.CODE, P.NAME"_s, u"FROM \"Person.db\" P"_s, u"WHERE"_s,
             u"(CAST(P.CODE AS CHAR(10)) LIKE '10%') AND (P.CODE > 100)"_s, u"ORDER BY  P.NAME"_s});
        row("selector numbers", {u"SELECT N.CODE, CAST(N.CODE AS CHARACTER(10)) as Name "_s, u"FROM \"Number.db\" N"_s,
                                 u"WHERE (N.CODE < 3)"_s});
        row("choice rows deleted",
            {u"DELETE FROM HinmeiList.db"_s, u"WHERE (HIMOKUCODE = :HIMOKUCODE)"_s, u"  AND (OYACODE = :OYACODE)"_s});
        row("sub-list",
            {u"SELECT DISTINCT d.KOCODE as CODE, d1.NAME"_s, u"FROM \"ShopList.db\" d, \"ShopMast.db\" d1"_s,
             u"WHERE (d.HIMOKUCODE = 101)"_s, u"     AND (d.OYACODE = 120)"_s, u"     AND (d.KOCODE = d1.CODE )"_s,
             u"     AND (d.KOCODE <> 0)"_s, u"ORDER BY  d1.NAME"_s});
        row("card lines",
            {u"SELECT *"_s, u"FROM \"Master.db\" D"_s, u"WHERE (RECEIPTNO = 3)"_s, u"ORDER BY RECDATE,GYONO"_s});
        row("card line count",
            {u"SELECT COUNT(*) AS COUNTDATA"_s, u"FROM Master.DB"_s, u"WHERE RECEIPTNO = :ReceiptNo"_s});
        row("due scheduled lines", {u"SELECT *"_s, u"FROM \"Master.db\" D"_s, u"WHERE (RESERVED = True)"_s,
                                    u"  AND (RECDATE <= \"12/10/2026\")"_s, u"  AND (RECDATE > \"11/30/2026\")"_s,
                                    u"ORDER BY RECDATE,GYONO"_s});
        row("diary list", {u"SELECT DATANO,RECDATE"_s, u"FROM Memo.db"_s, u"ORDER BY RECDATE DESC"_s});

        // Analysis, management and settings pages.
        row("annual detail",
            {u"SELECT M.DATANO,M.RECDATE,M.QUANTITY,M.KINGAKU,M.HINMEICODE,M.SHOPCODE,M.PERSONCODE,M.RESERVED,"
             u"M.KARICODE AS CODE,M.KASICODE AS KOUZACODE,H.NAME"_s,
             u"FROM \"Master.db\" M"_s, u"LEFT OUTER JOIN Himoku.db H ON (M.KARICODE = H.CODE)"_s, u"WHERE "_s,
             u"(M.RECDATE  >=  \"04/01/2026\") and (M.RECDATE  <=  \"03/31/2027\")"_s,
             u"AND ((KARICODE IN (SELECT CODE FROM Himoku.db WHERE BUNRUI >= 2)) OR (KASICODE IN (SELECT CODE FROM "
             u"Himoku.db WHERE BUNRUI > 2)))"_s,
             u"AND (M.HINMEICODE = 4)"_s, u"and (M.RESERVED = FALSE) "_s, u"ORDER BY H.NAME DESC"_s});
        row("account totals scan", {u"SELECT RECDATE,KARICODE,KASICODE,KINGAKU,RESERVED"_s, u"FROM Master.db"_s,
                                    u"WHERE (  (RECDATE >= \"01/01/2026\") )"_s});
        row("account register", {u"SELECT DATANO,RECDATE,KARICODE,KASICODE,KINGAKU"_s, u"FROM Master.db"_s, u"WHERE"_s,
                                 u"("_s, u"(RECDATE >= \"12/01/2026\") AND (RECDATE <= \"12/31/2026\")"_s, u"AND ( "_s,
                                 u"   (KARICODE IN (100,101))"_s, u"OR (KASICODE IN (100,101))"_s, u") "_s,
                                 u"AND (RESERVED = FALSE)"_s, u") "_s});
        row("extraction list",
            {u"SELECT DATANO,RECDATE,KARICODE,KASICODE,QUANTITY,KINGAKU/QUANTITY*100  AS KINGAKU,HINMEICODE,SHOPCODE,"
             u"PERSONCODE,RESERVED,M.NAME"_s,
             u"FROM \"Master.db\", ShopMast.db M"_s, u"WHERE "_s, u" ("_s,
             u"  (KARICODE IN (SELECT CODE FROM Himoku.db WHERE BUNRUI = 2))"_s, u" )"_s, u"AND"_s,
             u"  (RESERVED = FALSE)"_s, u"AND"_s, u" ("_s, u"("_s,
             u"  ((RECDATE >= \"01/01/2003\") AND (RECDATE <= \"12/31/2003\"))"_s,
             u"    AND     ((KARICODE = 101) AND (SHOPCODE IN (SELECT CODE FROM ShopMast.db WHERE NAME Like \"10^%%\" "
             u"ESCAPE \"^\")))"_s,
             u")"_s, u" )"_s, u"AND"_s, u"    (QUANTITY <> 0)"_s, u" AND (HINMEICODE = M.CODE)"_s,
             u"ORDER BY M.NAME DESC"_s});
        row("extraction statistics",
            {u"SELECT MAX(KINGAKU/QUANTITY) AS MAXVALUE,MIN(KINGAKU/QUANTITY) AS MINVALUE,AVG(KINGAKU/QUANTITY) AS "
             u"AVGVALUE,COUNT(KINGAKU) AS COUNTVALUE, SUM(KINGAKU/QUANTITY) AS SUMVALUE, HINMEICODE AS SHOPCODE, "
             u"HINMEICODE"_s,
             u"FROM \"Master.db\""_s, u"WHERE "_s, u" ("_s,
             u"  (KASICODE IN (SELECT CODE FROM Himoku.db WHERE BUNRUI = 1))"_s, u" )"_s, u"AND"_s,
             u"   (KINGAKU > 0)"_s, u"AND"_s, u"   (QUANTITY <> 0)"_s, u""_s, u"GROUP BY HINMEICODE"_s,
             u"ORDER BY COUNTVALUE DESC"_s});
        row("extraction total",
            {u"SELECT SUM(KINGAKU) AS KINGAKU"_s, u"FROM \"Master.db\""_s, u"WHERE "_s, u"  (RESERVED = FALSE)"_s});
        row("journal operations",
            {u"SELECT DATANO,RECDATE,KARICODE,KASICODE,QUANTITY,KINGAKU,HINMEICODE,SHOPCODE,PERSONCODE,RESERVED,"
             u"M.NAME"_s,
             u"FROM \"Master.db\", Person.db M"_s, u"WHERE "_s,
             u"  ((RECDATE >= \"01/01/2026\") AND (RECDATE <= "
             u"\"12/31/2026\"))"_s,
             u"    AND NOT ((KARICODE = 101) AND (HINMEICODE IN (SELECT CODE FROM HinmeiMast.db WHERE NAME Like "
             u"\"米%\")))"_s,
             u"AND"_s, u" (PERSONCODE = M.CODE)"_s, u"ORDER BY M.NAME DESC"_s});
        row("master rows", {u"SELECT *"_s, u"FROM HinmeiMast.db"_s, u"WHERE (CODE > 100) AND (NAME = \"a\"\"b\")"_s,
                            u"ORDER BY NAME DESC"_s});
        row("choices of a removed item",
            {u"DELETE FROM HinmeiList.db"_s, u"WHERE (OYACODE = 120) OR (KOCODE = 120)"_s});
        row("journal rewritten",
            {u"UPDATE Master.DB"_s, u"SET HINMEICODE = 101"_s, u"WHERE (DATANO > 0) AND (HINMEICODE = 120)"_s});
        row("choices rewritten", {u"UPDATE ShopList.db"_s, u"SET KOCODE = 101"_s, u"WHERE KOCODE = 120"_s});
        row("lookup with code and name", {u"SELECT CODE, NAME ,CAST(CODE AS CHAR(5)) +\": \" +  NAME AS CODENAME"_s,
                                          u"FROM Himoku.db"_s, u"WHERE (CODE >= 100) OR"_s, u"(CODE = 11) OR"_s,
                                          u"(CODE = 12) OR"_s, u"(CODE = 13)"_s, u"ORDER BY NAME"_s});
        row("choice list", {u"SELECT L.DATANO,L.HIMOKUCODE,L.OYACODE,L.KOCODE,L.VISIBLE,S.NAME"_s,
                            u"FROM HinmeiList.db L, Himoku.db S, HinmeiMast.db OY"_s, u"WHERE "_s,
                            u"(L.HIMOKUCODE = 101)"_s, u"AND"_s, u"(OY.NAME LIKE \"米%\") AND (OY.CODE = L.OYACODE)"_s,
                            u"AND"_s, u" (L.HIMOKUCODE = S.CODE)"_s, u"ORDER BY S.NAME DESC"_s});
        row("duplicate choices", {u"SELECT HIMOKUCODE,OYACODE,KOCODE,COUNT(*) AS DUPCOUNT"_s, u"FROM ShopList.db"_s,
                                  u"GROUP BY HIMOKUCODE,OYACODE,KOCODE"_s});
        row("duplicates removed",
            {u"DELETE FROM ShopList.db"_s,
             u"WHERE (DATANO <> 3) AND  (HIMOKUCODE = 101) AND (OYACODE = 120) AND (KOCODE = 0)"_s});
        row("free SQL table", {u"SELECT *"_s, u"FROM \"ReserveList.DB\""_s});
        row("settings page",
            {u"SELECT *"_s, u"FROM \"Himoku.db\" H"_s, u"WHERE  (H.BUNRUI > 2)"_s, u"ORDER BY VISIBLE DESC, POS"_s});
        row("name in use", {u"SELECT CODE"_s, u"FROM Himoku.db"_s, u"WHERE (CODE <> 101) AND (NAME = \"食費\")"_s});
        row("closing-day history dialog",
            {u"SELECT * "_s, u"FROM SimebiList.db"_s, u"WHERE CODE = :Code"_s, u"ORDER BY STARTDATE"_s});
        row("table reset", {u"DELETE FROM Person.DB"_s, u"WHERE CODE > 100"_s});
    }

private slots:
    void init() { openNewBook(); }
    void cleanup() { closeBook(); }

    void textsRunOnANewBook_data() { addTexts(); }
    void textsRunOnANewBook()
    {
        QFETCH(QString, sql);
        try {
            run(sql);
        } catch (const EDatabaseError &e) {
            QFAIL(qPrintable(e.message() + u"\n--- rewritten:\n"_s + LocalSql::translate(sql)));
        }
    }

    // Texts of the schema upgrade that change an older layout: each runs on a table
    // of that layout.
    void upgradeTexts()
    {
        auto oldLayout = [&](const QString &table, const QStringList &without, const QList<SchemaField> &extra = {}) {
            TableDef def = *BookSchema::table(table);
            def.fields.removeIf([&](const SchemaField &f) { return without.contains(f.name); });
            def.fields += extra;
            def.indexes.clear();
            m_db.exec(u"DROP TABLE \"%1\""_s.arg(def.name));
            for (const QString &s : BookSchema::createStatements(def))
                m_db.exec(s);
        };
        QStringList added = {u"MONTHLY"_s};
        for (int m = 1; m <= 12; ++m)
            added << u"M%1GAKU"_s.arg(m);
        oldLayout(u"ReserveList"_s, added + QStringList{u"ZEIATUKAI"_s}, {{u"ZEIKOMI"_s, u'L'}});
        oldLayout(u"Himoku"_s, {u"ZEIATUKAI"_s, u"YOSANWARN"_s, u"SIMEHOLIDAYSHIFT"_s, u"SIMEADDDAY"_s});
        oldLayout(u"ShopList"_s, {u"OYACODE"_s, u"KOCODE"_s}, {{u"SHOPCODE"_s, u'I'}});
        m_db.exec(u"INSERT INTO ShopList (DATANO, HIMOKUCODE, VISIBLE, SHOPCODE) VALUES (1, 101, 1, 120)"_s);

        QStringList alter = {u"ALTER TABLE \"ReserveList.DB\" "_s, u"  ADD MONTHLY BOOLEAN"_s};
        for (int m = 1; m <= 12; ++m)
            alter << u", ADD M%1GAKU MONEY"_s.arg(m);
        const QStringList texts = {
            alter.join(u'\n'),
            u"ALTER TABLE \"ReserveList.DB\"\n  ADD ZEIATUKAI SMALLINT"_s,
            u"UPDATE \"ReserveList.DB\"\nSET ZEIATUKAI = 1\nWHERE ZEIKOMI = TRUE"_s,
            u"ALTER TABLE \"Himoku.db\"\n  ADD ZEIATUKAI SMALLINT\n, ADD YOSANWARN BOOLEAN"_s,
            u"ALTER TABLE \"Himoku.db\"\n  ADD SIMEHOLIDAYSHIFT SMALLINT"_s,
            u"ALTER TABLE \"Himoku.db\"\n  ADD SIMEADDDAY SMALLINT"_s,
            u"UPDATE \"Himoku.db\"\nSET SIMEADDDAY = 0"_s,
            u"ALTER TABLE \"ShopList.db\"\n  ADD OYACODE INTEGER\n ,ADD KOCODE INTEGER"_s,
            u"UPDATE \"ShopList.db\"\nSET OYACODE = SHOPCODE\n   ,KOCODE = 0"_s,
        };
        for (const QString &text : texts) {
            try {
                run(text, true);
            } catch (const EDatabaseError &e) {
                QFAIL(qPrintable(e.message()));
            }
        }
        QCOMPARE(m_db.scalar(u"SELECT OYACODE || ',' || KOCODE FROM ShopList"_s).toString(), u"120,0"_s);
        // The columns added by the rewritten texts have the book's types.
        Statement info(m_db, u"PRAGMA table_info(ReserveList)"_s);
        QStringList types;
        while (info.next())
            if (info.textValue(1).startsWith(u'M'))
                types << QString(LocalSql::typeLetter(info.textValue(2)));
        QCOMPARE(types, QStringList({u"L"_s, u"$"_s, u"$"_s, u"$"_s, u"$"_s, u"$"_s, u"$"_s, u"$"_s, u"$"_s, u"$"_s,
                                     u"$"_s, u"$"_s, u"$"_s}));
    }

    // What some rewritten texts give on small data.
    void results()
    {
        m_db.exec(u"INSERT INTO Himoku (CODE, NAME, BUNRUI, VISIBLE) VALUES (101, '食費', 2, 1)"_s);
        m_db.exec(u"INSERT INTO Master (DATANO, RECDATE, KINGAKU, KARICODE, KASICODE, RESERVED, HINMEICODE) VALUES "
                  u"(1, '2026-12-31', 500, 101, 100, 0, 0), (2, '2027-01-01', 70, 101, 100, NULL, 0), "
                  u"(3, '2026-12-01', 30, 101, 100, 1, 0)"_s);
        m_db.exec(u"INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE) VALUES (1, '2008-04-29', 'みどりの日', 1), "
                  u"(2, '2006-04-29', 'みどりの日', 1), (3, '2026-01-01', '元日', 1), (4, '2026-02-11', 'x', 5)"_s);

        QCOMPARE(run(u"SELECT COUNT(*) as COUNTS\nFROM DateList.db\nWHERE (EXTRACT(YEAR FROM RECDATE) = 2026)\n"
                     u"AND (TYPE = 1)"_s),
                 QStringList({u"1"_s}));
        run(u"UPDATE DATELIST\nSET NAME = \"昭和の日\"\nWHERE RECDATE > \"1/1/2007\"\n"
            u"AND EXTRACT(MONTH FROM RECDATE) = 4\nAND EXTRACT(DAY FROM RECDATE) = 29"_s,
            true);
        QCOMPARE(m_db.scalar(u"SELECT group_concat(NAME) FROM DateList WHERE RECDATE LIKE '%-04-29'"_s).toString(),
                 u"昭和の日,みどりの日"_s);
        // Month-first bounds are inclusive days; an empty RESERVED is not False.
        QCOMPARE(run(u"SELECT DATANO\nFROM \"Master.db\" D\nWHERE  (D.RECDATE >= \"12/01/2026\")\n"
                     u" and (D.RECDATE <= \"12/31/2026\")\nAND (RESERVED = FALSE)\nORDER BY RECDATE"_s),
                 QStringList({u"1"_s}));
        QCOMPARE(
            run(u"SELECT DATANO\nFROM \"Master.db\" D\nWHERE (RESERVED = True)\n  AND (RECDATE <= \"12/10/2026\")"_s),
            QStringList({u"3"_s}));
        QCOMPARE(run(u"SELECT CAST(CODE AS CHAR(5)) +\": \" +  NAME AS CODENAME\nFROM Himoku.db\nWHERE (CODE >= 100)\n"
                     u"ORDER BY CODE"_s),
                 QStringList({u"100: 現金"_s, u"101: 食費"_s}));
        QCOMPARE(run(u"SELECT H.CODE, H.Name\nFROM \"Himoku.db\" H\nWHERE (H.VISIBLE = TRUE)\n AND (H.BUNRUI > 2)"_s),
                 QStringList({u"100"_s}));
        QCOMPARE(run(u"SELECT SUM(KINGAKU) AS KINGAKU\nFROM \"Master.db\"\nWHERE (KARICODE IN (SELECT CODE FROM "
                     u"Himoku.db WHERE BUNRUI = 2))"_s),
                 QStringList({u"600.0"_s}));
    }
};

QTEST_GUILESS_MAIN(TestBookSql)
#include "tst_booksql.moc"
