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

    // Himoku as a level had it: the level-6 definition without the columns
    // added since, its rows copied over.
    static void himokuWithout(Database &db, const QStringList &columns)
    {
        TableDef def = *BookSchema::table("Himoku");
        QList<SchemaField> kept;
        for (const SchemaField &field : def.fields)
            if (!columns.contains(field.name))
                kept << field;
        def.fields = kept;
        QStringList names;
        for (const SchemaField &field : kept)
            names << field.name;
        db.exec("ALTER TABLE Himoku RENAME TO HimokuNew");
        for (const IndexDef &index : def.indexes)
            db.exec(QString("DROP INDEX IF EXISTS \"%1\"").arg(index.name));
        for (const QString &statement : BookSchema::createStatements(def))
            db.exec(statement);
        db.exec(QString("INSERT INTO Himoku (%1) SELECT %1 FROM HimokuNew").arg(names.join(", ")));
        db.exec("DROP TABLE HimokuNew");
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
        if (level <= 5)
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
        const QString folder = from == 0 ? env->path("books/new") : makeOldBook(from);
        QVERIFY(!folder.isEmpty());
        if (from == 0)
            setLevel(folder, 0);
        if (from >= 1 && from <= 4)
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
        if (from >= 1 && from <= 4) {
            const QString days = db.scalar("SELECT GROUP_CONCAT(NAME, ',') FROM (SELECT NAME FROM DateList "
                                           "WHERE DATANO IN (9001, 9002, 9003) ORDER BY DATANO)").toString();
            QCOMPARE(days, newHolidays ? QStringLiteral("昭和の日,みどりの日,誕生日")
                                       : QStringLiteral("みどりの日,国民の休日,誕生日"));
            QCOMPARE(db.scalar("SELECT COUNT(*) FROM DateMast WHERE NAME = '昭和の日' AND STARTDAY = '2007-01-01'")
                         .toInt(),
                     newHolidays ? 1 : 0);
        }
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
