#include <QDir>
#include <QFile>
#include <QtTest>

#include "TestEnv.h"
#include "data/BookFolders.h"
#include "data/BookSchema.h"
#include "data/DatMod.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/SchemaUpgrade.h"
#include "platform/db/Database.h"
#include "platform/ui/DialogScript.h"
#include "platform/ui/Dialogs.h"

using Answer = DialogScript::Answer;
using Kind = DialogScript::Kind;

// Books of each older level the upgrade knows, made from the shipped template
// taken back to that level's layout and data, opened through the data module:
// the upgraded book has a new book's schema, its rows moved, and level 6.
class TestSchemaUpgrade : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;

    using Schema = QMap<QString, QStringList>;

    static Schema schemaOf(Database &db)
    {
        Schema schema;
        QStringList tables;
        {
            Statement list(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
            while (list.next())
                tables << list.textValue(0);
        }
        for (const QString &t : tables) {
            Statement info(db, QString("PRAGMA table_info(\"%1\")").arg(t));
            while (info.next())
                schema[t] << info.textValue(1) + " " + info.textValue(2);
        }
        return schema;
    }
    static int level(const QString &folder)
    {
        TMyMemIniFile ini(TMyMemIniFile::fileIn(folder));
        return ini.ReadOrWriteInteger("DataLevel", "DataLevel", -1);
    }
    static void setLevel(const QString &folder, int level)
    {
        TMyMemIniFile ini(TMyMemIniFile::fileIn(folder));
        ini.WriteIntegerAndUpdate("DataLevel", "DataLevel", level);
    }

    struct OldColumn
    {
        QString name;
        QChar type;
        QString value; // an expression over the table's current columns
    };

    // A table as an older level had it: the level-6 definition without the
    // columns added since and with the ones dropped since, its rows copied.
    static void oldLayout(Database &db, const QString &table, const QStringList &without,
                          const QList<OldColumn> &dropped = {})
    {
        TableDef def = *BookSchema::table(table);
        QList<SchemaField> kept;
        QStringList names, values;
        for (const SchemaField &field : def.fields)
            if (!without.contains(field.name)) {
                kept << field;
                names << field.name;
                values << field.name;
            }
        for (const OldColumn &column : dropped) {
            kept << SchemaField{column.name, column.type, 0, false};
            names << column.name;
            values << column.value;
        }
        def.fields = kept;
        db.exec(QString("ALTER TABLE %1 RENAME TO %1New").arg(table));
        for (const IndexDef &index : def.indexes)
            db.exec(QString("DROP INDEX IF EXISTS \"%1\"").arg(index.name));
        for (const QString &statement : BookSchema::createStatements(def))
            db.exec(statement);
        db.exec(QString("INSERT INTO %1 (%2) SELECT %3 FROM %1New").arg(table, names.join(", "), values.join(", ")));
        db.exec(QString("DROP TABLE %1New").arg(table));
    }
    static void himokuWithout(Database &db, const QStringList &columns)
    {
        oldLayout(db, "Himoku", columns);
    }

    // The first release's layout: a tax flag instead of the tax treatment,
    // no monthly amounts, one shop code per shop list row. With lines of each
    // tax flag, a user's line on the system's withdrawal item beside a real
    // withdrawal line, and the old rule of 海の日.
    static void firstReleaseLayout(Database &db)
    {
        db.exec("INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, VISIBLE, SYSTEM) VALUES (150, 1, '食費', 2, 1, 0)");
        db.exec("INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, HINMEICODE, KARICODE, KASICODE, STYLE, ZEIATUKAI) "
                "VALUES (1, 1, '2005-03-01', 100, 0, 150, 100, 0, 0), (2, 1, '2005-03-02', 200, 0, 150, 100, 0, 1), "
                "(3, 1, '2005-03-03', 300, 0, 150, 100, 0, 2), (4, 1, '2005-03-04', 400, 3, 150, 100, 0, 0), "
                "(5, 1, '2005-03-27', 500, 3, 150, 100, 6, 0)");
        db.exec("INSERT INTO ShopList (DATANO, HIMOKUCODE, VISIBLE, OYACODE, KOCODE) VALUES (1, 150, 1, 205, 0)");
        db.exec("INSERT INTO ReserveList (DATANO, NAME, KINGAKU, ZEIATUKAI) VALUES (1, '家賃', 80000, 1)");
        db.exec("INSERT INTO DateMast (DATANO, NAME, AYEAR, AMONTH, ADAY, AWEEK, YOBI, TYPE, STARTDAY) "
                "VALUES (9100, '海の日', 0, 7, 23, 3, 2, 1, '2003-01-01')");
        const QString flag = "CASE ZEIATUKAI WHEN 1 THEN 1 WHEN 2 THEN 0 ELSE NULL END";
        oldLayout(db, "Master", {"ZEIATUKAI"}, {{"ZEIKOMI", u'L', flag}});
        QStringList monthly{"MONTHLY", "ZEIATUKAI"};
        for (int m = 1; m <= 12; ++m)
            monthly << QString("M%1GAKU").arg(m);
        oldLayout(db, "ReserveList", monthly, {{"ZEIKOMI", u'L', flag}});
        oldLayout(db, "HinmeiMast", {"ZEIATUKAI"});
        oldLayout(db, "ShopList", {"OYACODE", "KOCODE"}, {{"SHOPCODE", u'I', "OYACODE"}});
        himokuWithout(db, {"ZEIATUKAI", "YOSANWARN", "SIMEHOLIDAYSHIFT", "SIMEADDDAY"});
    }

    // The template taken back to `level`: the columns and names that level
    // did not have yet, the closing day 0 it allowed, and the holidays before
    // the 2007 law (with a user's own day on April 29 that must keep its name).
    QString makeOldBook(int level)
    {
        const QString folder = env->path(QString("books/level%1").arg(level));
        QDir().mkpath(folder);
        if (!CreateBookFromTemplate(folder))
            return QString();
        Database db;
        db.open(folder + "/PomuZenitData.db");
        if (level == 0)
            firstReleaseLayout(db);
        else if (level <= 5)
            himokuWithout(db, level <= 1 ? QStringList{"SIMEADDDAY", "SIMEHOLIDAYSHIFT"} : QStringList{"SIMEADDDAY"});
        if (level <= 4) {
            db.exec("DELETE FROM DateMast WHERE NAME IN ('昭和の日', 'みどりの日')");
            db.exec("INSERT INTO DateMast (DATANO, NAME, AYEAR, AMONTH, ADAY, AWEEK, YOBI, TYPE, STARTDAY) "
                    "VALUES (9001, 'みどりの日', 0, 4, 29, 0, 0, 1, '1989-01-01')");
            db.exec("INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE) VALUES "
                    "(9001, '2008-04-29', 'みどりの日', 1), (9002, '2008-05-04', '国民の休日', 1), "
                    "(9003, '2009-04-29', '誕生日', 6)");
        }
        if (level <= 3)
            db.exec("INSERT INTO SimebiList (DATANO, CODE, STARTDATE, SIMEBI) VALUES (9001, 101, '2000-01-01', 0)");
        if (level <= 2)
            db.exec("UPDATE HinmeiMast SET NAME = '調整' WHERE CODE = 5");
        if (level <= 1) {
            db.exec("UPDATE Himoku SET NAME = '旧' || CODE WHERE CODE IN (11, 12, 13)");
        }
        setLevel(folder, level);
        return folder;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        dm = std::make_unique<TDatMod>();
        dm->OnUpgradeSchema = &UpgradeBookSchema;
        RegIni->WriteStringAndUpdate("CurrentFolders", "DataPlace", env->path("place"));
        DialogScript::start();
    }
    void cleanup()
    {
        const QStringList failures = DialogScript::failures();
        const int pending = DialogScript::pending();
        DialogScript::stop();
        if (dm->DataOpen)
            dm->CloseAndBackUp(false);
        dm.reset();
        env.reset();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
        QCOMPARE(pending, 0);
    }

    void upgradesEveryOlderLevel_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("newHolidays");
        QTest::newRow("first release") << -1 << true;
        QTest::newRow("level 1") << 1 << true;
        QTest::newRow("level 2") << 2 << true;
        QTest::newRow("level 3") << 3 << true;
        QTest::newRow("level 4, 2007 law") << 4 << true;
        QTest::newRow("level 4, 2007 law refused") << 4 << false;
        QTest::newRow("level 5") << 5 << true;
        // The level number lost with the settings file: nothing is done twice.
        QTest::newRow("level 6 read as 0") << 0 << true;
    }
    void upgradesEveryOlderLevel()
    {
        QFETCH(int, from);
        QFETCH(bool, newHolidays);
        const QString fresh = env->path("books/new");
        QDir().mkpath(fresh);
        QVERIFY(CreateBookFromTemplate(fresh));
        Schema expected;
        {
            Database db;
            db.open(fresh + "/PomuZenitData.db");
            expected = schemaOf(db);
        }
        const QString folder = from == 0 ? env->path("books/new") : makeOldBook(qMax(from, 0));
        QVERIFY(!folder.isEmpty());
        if (from == 0)
            setLevel(folder, 0);
        if (from == -1 || (from >= 1 && from <= 4))
            DialogScript::push(Answer{Kind::Message, newHolidays ? int(mrOk) : int(mrCancel), QString(), "昭和の日"});

        QString f = folder;
        QVERIFY(dm->OpenBook("old", f));
        QVERIFY(dm->DataOpen);
        QCOMPARE(level(folder), 6);
        QVERIFY(!QFile::exists(folder + "/PomuZenitData.db.upgrade"));
        Database &db = dm->MainDatabase;
        QCOMPARE(schemaOf(db), expected);
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM Himoku WHERE SIMEADDDAY IS NULL OR SIMEHOLIDAYSHIFT IS NULL").toInt(), 0);
        QCOMPARE(db.scalar("SELECT GROUP_CONCAT(NAME, ',') FROM (SELECT NAME FROM Himoku WHERE CODE IN (11, 12, 13) "
                           "ORDER BY CODE)").toString(),
                 QStringLiteral("口座フリー入力用,金券入力用,レシート入力用"));
        QCOMPARE(db.scalar("SELECT NAME FROM HinmeiMast WHERE CODE = 5").toString(), QStringLiteral("残高調整"));
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM SimebiList WHERE SIMEBI = 0").toInt(), 0);
        if (from == -1 || (from >= 1 && from <= 4)) {
            const QString days = db.scalar("SELECT GROUP_CONCAT(NAME, ',') FROM (SELECT NAME FROM DateList "
                                           "WHERE DATANO IN (9001, 9002, 9003) ORDER BY DATANO)").toString();
            QCOMPARE(days, newHolidays ? QStringLiteral("昭和の日,みどりの日,誕生日")
                                       : QStringLiteral("みどりの日,国民の休日,誕生日"));
            QCOMPARE(db.scalar("SELECT COUNT(*) FROM DateMast WHERE NAME = '昭和の日' AND STARTDAY = '2007-01-01'")
                         .toInt(),
                     newHolidays ? 1 : 0);
        }
    }

    // What the first release's layout held, converted: the tax flag of lines
    // and cards, the shop code, new categories' tax defaults, the user's line
    // moved off the system item while the real withdrawal keeps it, row 0 of
    // the journal, and 海の日 on the third Monday.
    void firstReleaseRowsConverted()
    {
        const QString folder = makeOldBook(0);
        DialogScript::push(Answer{Kind::Message, int(mrOk), QString(), "昭和の日"});
        QString f = folder;
        QVERIFY(dm->OpenBook("old", f));
        Database &db = dm->MainDatabase;
        const auto text = [&](const QString &sql) { return db.scalar(sql).toString(); };
        QCOMPARE(text("SELECT GROUP_CONCAT(ZEIATUKAI, ',') FROM (SELECT ZEIATUKAI FROM Master WHERE DATANO IN (1, 2, 3) "
                      "ORDER BY DATANO)"),
                 QStringLiteral("0,1,2"));
        QCOMPARE(text("SELECT ZEIATUKAI || '/' || COALESCE(M1GAKU, 'null') FROM ReserveList WHERE DATANO = 1"),
                 QStringLiteral("1/null"));
        QCOMPARE(db.scalar("SELECT OYACODE FROM ShopList WHERE DATANO = 1").toInt(), 205);
        QCOMPARE(db.scalar("SELECT KOCODE FROM ShopList WHERE DATANO = 1").toInt(), 0);
        QCOMPARE(text("SELECT ZEIATUKAI || '/' || YOSANWARN FROM Himoku WHERE CODE = 150"), QStringLiteral("2/1"));
        QCOMPARE(db.scalar("SELECT ZEIATUKAI FROM Himoku WHERE CODE = 100").toInt(), 3);
        QCOMPARE(db.scalar("SELECT ZEIATUKAI FROM HinmeiMast WHERE CODE = 3").toInt(), 3);

        const int userItem = db.scalar("SELECT HINMEICODE FROM Master WHERE DATANO = 4").toInt();
        QVERIFY(userItem > 100);
        QCOMPARE(text(QString("SELECT NAME FROM HinmeiMast WHERE CODE = %1").arg(userItem)), QStringLiteral("自動引落"));
        QCOMPARE(db.scalar("SELECT HINMEICODE FROM Master WHERE DATANO = 5").toInt(), 3);
        QCOMPARE(db.scalar("SELECT HINMEICODE FROM Master WHERE DATANO = 0").toInt(), 4);
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM Master WHERE DATANO = 0").toInt(), 1);
        QCOMPARE(db.scalar("SELECT ADAY FROM DateMast WHERE DATANO = 9100").toInt(), 0);
        // The user's new item took a record number: the next one follows it.
        QCOMPARE(db.scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'hinmeimast.db'").toInt(), userItem);
    }

    // A step the engine refuses leaves the book as it was (the steps before
    // it undone too), says why and does not open it; the level stays.
    void failedUpgradeLeavesTheBook()
    {
        const QString folder = makeOldBook(1);
        {
            Database db;
            db.open(folder + "/PomuZenitData.db");
            db.exec("CREATE TRIGGER block BEFORE UPDATE ON HinmeiMast BEGIN SELECT RAISE(ABORT, 'blocked'); END");
        }
        DialogScript::push(Answer{Kind::Message, int(mrOk), QString(), "昭和の日"});
        DialogScript::push(Answer{Kind::Message, int(mrOk), QString(), "家計簿の形式を新しくできませんでした。家計簿は元のままです。"});
        QString f = folder;
        QVERIFY(!dm->OpenBook("old", f));
        QVERIFY(!dm->DataOpen);
        QCOMPARE(level(folder), 1);
        QVERIFY(!QFile::exists(folder + "/PomuZenitData.db.upgrade"));
        Database db;
        db.open(folder + "/PomuZenitData.db");
        QVERIFY(!schemaOf(db).value("Himoku").join(' ').contains("SIMEHOLIDAYSHIFT"));
        QCOMPARE(db.scalar("SELECT NAME FROM Himoku WHERE CODE = 11").toString(), QStringLiteral("旧11"));
    }
};

QTEST_MAIN(TestSchemaUpgrade)
#include "tst_schemaupgrade.moc"
