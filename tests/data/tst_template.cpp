#include <QDir>
#include <QFile>
#include <QtTest>

#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BackUp.h"
#include "data/BookSchema.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
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

    // The system rows of a new book are the book schema's: the template writes
    // no second version of them.
    void seedRowsAreTheSchemas()
    {
        const QString folder = restore(env->path("book"));
        QVERIFY(!folder.isEmpty());
        Database db;
        db.open(folder + "/PomuZenitData.db");

        // Category groups and system categories: hidden system rows, so no list
        // or cache shows them as categories; 現金 is the one visible system row.
        struct Category
        {
            int code;
            const char *name;
            int bunrui;
            bool visible;
        };
        for (const Category &c : {Category{1, "収入", 1, false}, Category{2, "支出", 2, false},
                                  Category{3, "口座", 3, false}, Category{11, "口座フリー入力用", 0, false},
                                  Category{12, "金券入力用", 0, false}, Category{13, "レシート入力用", 0, false},
                                  Category{99, "諸口", 0, false}, Category{100, "現金", 3, true}}) {
            Statement st(db, "SELECT NAME, BUNRUI, VISIBLE, SYSTEM, AITECODE FROM Himoku WHERE CODE = ?");
            st.bind(1, c.code);
            QVERIFY2(st.next(), c.name);
            QCOMPARE(st.textValue(0), QString::fromUtf8(c.name));
            QCOMPARE(st.intValue(1), c.bunrui);
            QCOMPARE(st.intValue(2) != 0, c.visible);
            QCOMPARE(st.intValue(3), 1);
        }
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM Himoku WHERE CODE < 100").toInt(), 7);
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM Himoku WHERE CODE > 100 AND (SYSTEM <> 0 OR VISIBLE = 0)").toInt(), 0);
        QCOMPARE(db.scalar("SELECT MIN(AITECODE) FROM Himoku WHERE CODE > 100").toInt(), 100);

        // System items 1 to 5 (quantity 1, amount 0, tax 0) and the "none" rows.
        QStringList items;
        Statement st(db, "SELECT CODE, NAME, QUANTITY, GAKU, ZEIATUKAI FROM HinmeiMast WHERE CODE <= 100 ORDER BY CODE");
        while (st.next())
            items << u"%1 %2 %3 %4 %5"_s.arg(st.intValue(0)).arg(st.textValue(1)).arg(st.value(2).toDouble())
                         .arg(st.value(3).toDouble()).arg(st.intValue(4));
        QCOMPARE(items, (QStringList{u"0  1 0 0"_s, u"1 消費税計算 1 0 0"_s, u"2 消費税 1 0 0"_s, u"3 自動引落 1 0 0"_s,
                                     u"4 繰越残高 1 0 0"_s, u"5 残高調整 1 0 0"_s}));
        for (const char *table : {"ShopMast", "Person"})
            QCOMPARE(db.scalar(QString("SELECT COUNT(*) FROM %1 WHERE CODE = 0").arg(table)).toInt(), 1);
        QCOMPARE(db.scalar("SELECT group_concat(CODE) FROM (SELECT CODE FROM Number ORDER BY rowid)").toString(),
                 u"0,1,2"_s);

        // Row 0 of the journal, column by column as the schema defines it.
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM Master").toInt(), 1);
        for (const auto &[column, value] : BookSchema::journalRowZero()) {
            const QVariant stored = db.scalar(QString("SELECT %1 FROM Master WHERE DATANO = 0").arg(column));
            if (value.isNull())
                QVERIFY2(stored.isNull(), qPrintable(column));
            else
                QVERIFY2(stored.toDouble() == value.toDouble(), qPrintable(column + ": " + stored.toString()));
        }

        // Every counter: user categories from 101, items, shops and persons
        // above 100, the tax rates after the four seeded, the rest at their rows.
        const QMap<QString, int> counters = {{u"himoku.db"_s, 126}, {u"hinmeimast.db"_s, 100},
                                             {u"shopmast.db"_s, 100}, {u"person.db"_s, 102},
                                             {u"zeilist.db"_s, 4}};
        for (auto it = counters.cbegin(); it != counters.cend(); ++it)
            QCOMPARE(db.scalar("SELECT MAXNO FROM AutoInc WHERE NAME = ?", {it.key()}).toInt(), it.value());
        QCOMPARE(db.scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'himoku.db'").toInt(),
                 db.scalar("SELECT MAX(CODE) FROM Himoku").toInt());
        QCOMPARE(db.scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'datemast.db'").toInt(),
                 db.scalar("SELECT MAX(DATANO) FROM DateMast").toInt());
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM AutoInc GROUP BY NAME HAVING COUNT(*) > 1").isValid(), false);
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

        // The caches and the typed names of a new book: the groups only as the
        // three leading entries of the visible cache, never as categories.
        QCOMPARE(VisibleHimokuArray.size() > 3, true);
        QCOMPARE((QList<int>{VisibleHimokuArray[0].Code, VisibleHimokuArray[1].Code, VisibleHimokuArray[2].Code}),
                 (QList<int>{1, 2, 3}));
        for (int i = 3; i < VisibleHimokuArray.size(); ++i)
            QVERIFY2(VisibleHimokuArray[i].Code >= 100, qPrintable(VisibleHimokuArray[i].Name));
        for (const THimokuArray *cache : {&IriHimokuArray, &DeruHimokuArray, &KouzaHimokuArray})
            for (const THimokuData &h : *cache)
                QVERIFY2(h.Code >= 100, qPrintable(h.Name));
        QCOMPARE(GetHimokuCodeByName(u"支出"_s, 2), -1);
        QCOMPARE(GetHimokuCodeByName(u"収入"_s, 1), -1);
        QCOMPARE(GetHimokuCodeByName(u"口座"_s, 3), -1);
        QCOMPARE(GetHimokuCodeByName(u"食費"_s, 2), 107);
        QCOMPARE(GetHimokuCodeByName(u"現金"_s, 3), 100);
        QCOMPARE(GetHimokuKind(2), 0);
        // The category lists of the pages and pickers list no group row either.
        {
            TDatModSql sql(dm.MainDatabase);
            for (const int listKind : {1, 2, 3, 6, 0}) {
                TListItems items;
                sql.GetHimokuList(items, listKind, QString(), 0);
                QVERIFY2(!items.isEmpty(), qPrintable(QString::number(listKind)));
                for (const TListItem &item : std::as_const(items))
                    QVERIFY2(item.Code >= 99, qPrintable(QString::number(listKind) + u' ' + item.Text));
            }
        }
        dm.CloseAndBackUp(false);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestTemplate)
#include "tst_template.moc"
