#include <QDir>
#include <QFile>
#include <QtTest>

#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BackUp.h"
#include "data/DatMod.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"

using namespace Qt::StringLiterals;

// The template archive written at build time: it must restore into a book the
// data module opens, with the seed rows, the calendar and counters that never
// hand out a number a seed row already has.
class TestTemplate : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;

    QString templateFile() const { return qEnvironmentVariable("POMU_TEMPLATE"); }

    QString restore(const QString &folder, QString *dataName = nullptr)
    {
        QDir().mkpath(folder);
        TBackUp r;
        r.BackUpFileName = templateFile();
        r.DataKind = u"ZenitBackUp_100 "_s;
        r.RestoreDir = folder;
        r.NoMessage = true;
        r.onMessage = [](TBackUp::MessageKind, TBackUp::Buttons, const QString &text) {
            qWarning() << "unexpected archive message" << text;
            return false;
        };
        if (!r.Restore())
            return QString();
        if (dataName)
            *dataName = r.DataName;
        return folder;
    }

private slots:
    void init() { env = std::make_unique<TestEnv>(); }
    void cleanup() { env.reset(); }

    void restoresIntoAWholeBook()
    {
        QVERIFY2(QFile::exists(templateFile()), qPrintable("no template at " + templateFile()));
        QString dataName;
        const QString folder = restore(env->path("book"), &dataName);
        QVERIFY(!folder.isEmpty());
        QVERIFY(!dataName.isEmpty());

        TMyMemIniFile ini(TMyMemIniFile::fileIn(folder));
        QCOMPARE(ini.readInteger("DataLevel", "DataLevel", 0), 6);

        Database db;
        db.open(folder + "/PomuZenitData.db");
        for (const char *table : {"ZeiList", "HinmeiMast", "HinmeiList", "Person", "ShopList", "ShopMast", "Himoku",
                                  "AutoInc", "Master", "Yosan", "Memo", "Number", "DateMast", "DateList",
                                  "ReserveList", "SimebiList"})
            QVERIFY2(db.tableExists(table), table);

        // Seed rows: the tax rates, the journal's row 0, the holiday rules.
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM ZeiList").toInt(), 4);
        QCOMPARE(db.scalar("SELECT PERCENT FROM ZeiList WHERE STARTDATE = '2019-10-01'").toDouble(), 10.0);
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM Master WHERE DATANO = 0").toInt(), 1);
        QVERIFY(db.scalar("SELECT COUNT(*) FROM DateMast WHERE TYPE = 1").toInt() > 10);
        QVERIFY(db.scalar("SELECT COUNT(*) FROM Himoku WHERE CODE >= 100").toInt() > 0);

        // The calendar is there for every year a user may start in.
        for (int year : {1990, 2026, 2040})
            QVERIFY2(db.scalar("SELECT COUNT(*) FROM DateList WHERE TYPE = 1 AND RECDATE BETWEEN ? AND ?",
                               {QString::number(year) + "-01-01", QString::number(year) + "-12-31"})
                             .toInt()
                         >= 14,
                     qPrintable(QString::number(year)));
        QCOMPARE(db.scalar("SELECT NAME FROM DateList WHERE RECDATE = '2024-01-01' AND TYPE = 1").toString(),
                 u"元日"_s);
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM DateList WHERE RECDATE < '1990-01-01' OR RECDATE > '2040-12-31'")
                     .toInt(),
                 0);

        // Every counter at or above the highest number its table uses.
        struct Counter
        {
            const char *name, *table, *column;
        };
        for (const Counter &c : {Counter{"datelist.db", "DateList", "DATANO"},
                                 Counter{"datemast.db", "DateMast", "DATANO"}, Counter{"himoku.db", "Himoku", "CODE"},
                                 Counter{"zeilist.db", "ZeiList", "DATANO"}}) {
            const int used = db.scalar(QString("SELECT MAX(%1) FROM %2").arg(c.column, c.table)).toInt();
            const QVariant counter = db.scalar("SELECT MAXNO FROM AutoInc WHERE NAME = ?", {QString(c.name)});
            QVERIFY2(counter.isValid(), c.name);
            QVERIFY2(counter.toInt() >= used, c.name);
        }
        QCOMPARE(db.scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'datelist.db'").toInt(),
                 db.scalar("SELECT MAX(DATANO) FROM DateList").toInt());
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM (SELECT DATANO FROM DateList GROUP BY DATANO HAVING COUNT(*) > 1)")
                     .toInt(),
                 0);
    }

    void restoredBookOpensInTheDataModule()
    {
        const QString folder = restore(env->path("place/家計簿1"));
        QVERIFY(!folder.isEmpty());
        DialogQueue dialogs;
        TDatMod dm;
        RegIni->WriteStringAndUpdate("DataFolders", u"家計簿1"_s, folder);
        QString f = folder;
        QVERIFY(dm.OpenBook(u"家計簿1"_s, f));
        QVERIFY(dm.DataOpen);
        QVERIFY(dm.HimokuTbl->isActive());
        QVERIFY(dm.HimokuTbl->recordCount() > 5);
        dm.CloseAndBackUp(false);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestTemplate)
#include "tst_template.moc"
