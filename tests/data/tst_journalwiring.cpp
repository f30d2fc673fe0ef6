#include <QDir>
#include <QtTest>

#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/ReconcileErrorForm.h"
#include "data/Vocabulary.h"
#include "platform/db/Abort.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"

using namespace Qt::StringLiterals;

// The journal pieces working together on a book made from the template and
// opened through the data module: numbering of new table rows, the field rules
// on the module's own journal data set, the save, the flush and the lock date
// read from the book's settings.
class TestJournalWiring : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;
    const QDate lockDate{2024, 3, 31};

    Database &db() { return dm->MainDatabase; }
    int counter(const QString &name)
    {
        return db().scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = ?"_s, {name}).toInt();
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        dm = std::make_unique<TDatMod>();
        RegIni->WriteStringAndUpdate(u"CurrentFolders"_s, u"DataPlace"_s, env->path(u"place"_s));
        QString folder = env->path(u"place/book"_s);
        QDir().mkpath(folder);
        QVERIFY(CreateBookFromTemplate(folder));
        {
            TMyMemIniFile settings(TMyMemIniFile::fileIn(folder));
            settings.WriteIntegerAndUpdate(u"Sime"_s, u"LockDate"_s, int(DateToDayNumber(lockDate)));
        }
        RegisterBook(u"book"_s, folder, true);
        dm->OnCheckHolidays = [] {};
        QVERIFY(dm->OpenBook(u"book"_s, folder));
        QVERIFY(dm->DataOpen);
        QVERIFY(!DeruHimokuArray.isEmpty() && !KouzaHimokuArray.isEmpty());
    }
    void cleanup()
    {
        dm->CloseAndBackUp(false);
        dm.reset();
        env.reset();
        CurLockDate = QDate();
    }

    // Every table of the module numbers a new row from its counter, views too;
    // with KeepDataNo a given number stays.
    void newTableRowsTakeTheirNumbersFromTheCounters_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("counterName");
        QTest::newRow("journal") << u"MasterTbl"_s << u"DATANO"_s << u"master.db"_s;
        QTest::newRow("memo") << u"MemoTbl"_s << u"DATANO"_s << u"memo.db"_s;
        QTest::newRow("budget") << u"YosanTbl"_s << u"DATANO"_s << u"yosan.db"_s;
        QTest::newRow("items") << u"HinmeiMstTbl"_s << u"CODE"_s << u"hinmeimast.db"_s;
        QTest::newRow("persons view") << u"PersonTbl2"_s << u"CODE"_s << u"person.db"_s;
        QTest::newRow("categories") << u"HimokuTbl"_s << u"CODE"_s << u"himoku.db"_s;
    }
    void newTableRowsTakeTheirNumbersFromTheCounters()
    {
        QFETCH(QString, table);
        QFETCH(QString, key);
        QFETCH(QString, counterName);
        Table *t = dm->tableByName(table);
        QVERIFY(t);
        if (!t->isActive())
            t->open();
        const int before = counter(counterName);
        t->append();
        QCOMPARE(t->fieldByName(key)->asInteger(), before + 1);
        t->cancel();
        dm->KeepDataNo = true;
        t->append();
        QVERIFY(t->fieldByName(key)->isNull());
        t->cancel();
        dm->KeepDataNo = false;
        QCOMPARE(counter(counterName), before + 1);
    }

    void journalThroughTheModule()
    {
        TMeisaiClientDataSet &m = *dm->MeisaiClt;
        // The lock date of the book's settings reached the journal data sets.
        QCOMPARE(CurLockDate, lockDate);
        QCOMPARE(m.CltLockDate, lockDate);
        QCOMPARE(dm->ReceiptClt->CltLockDate, lockDate);
        QVERIFY(m.OnReconcileError);

        // User categories and accounts (the system rows below 100 are groups).
        auto firstUserRow = [](const THimokuArray &list) {
            for (const THimokuData &h : list)
                if (h.Code >= 100)
                    return h;
            return THimokuData();
        };
        const THimokuData food = firstUserRow(DeruHimokuArray);
        const THimokuData wallet = firstUserRow(KouzaHimokuArray);
        QVERIFY(food.Code >= 100 && wallet.Code >= 100);
        // A stored line inside the locked past, numbered by the table's event.
        Table &master = *dm->MasterTbl;
        master.append();
        const int lockedNo = master.fieldByName(u"DATANO"_s)->asInteger();
        master.fieldByName(u"RECDATE"_s)->setAsDate(QDate(2024, 3, 15));
        master.fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromDouble(777));
        master.fieldByName(u"KARICODE"_s)->setAsInteger(food.Code);
        master.fieldByName(u"KASICODE"_s)->setAsInteger(wallet.Code);
        master.fieldByName(u"STYLE"_s)->setAsInteger(1);
        master.fieldByName(u"ORIGIN"_s)->setAsInteger(2);
        master.post();
        QVERIFY(lockedNo > 0);

        m.CltDataStyle = 1;
        m.CltSyuSiIdo = 2;
        m.CltDate = QDate(2024, 5, 1);
        m.setCommandText(u"SELECT * FROM MASTER.DB WHERE DATANO >= %1 ORDER BY DATANO"_s.arg(lockedNo));
        m.open();
        QCOMPARE(m.recordCount(), 1);

        // Typed texts become codes and amounts through the field rules.
        m.last();
        m.next();
        m.append();
        m.fieldByName(u"RECDATE"_s)->setAsDate(QDate(2024, 5, 1));
        m.fieldByName(u"KARICODE"_s)->setText(food.Name);
        m.fieldByName(u"KASICODE"_s)->setText(wallet.Name);
        m.fieldByName(u"KINGAKU"_s)->setText(u"300*4"_s);
        m.fieldByName(u"HinmeiName"_s)->setText(u"配線テスト品"_s);
        QCOMPARE(m.fieldByName(u"KARICODE"_s)->asInteger(), food.Code);
        QCOMPARE(m.fieldByName(u"KASICODE"_s)->asInteger(), wallet.Code);
        QCOMPARE(m.fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromDouble(1200));
        QCOMPARE(m.fieldByName(u"HINMEICODE"_s)->asInteger(), -1);   // new: made at the save
        m.post();
        QVERIFY(dm->DataChanged);

        // The flush keeps the unsaved change log, and it still applies.
        CommitDataChanges();
        QVERIFY(!dm->DataChanged);
        QVERIFY(m.isActive());
        QCOMPARE(m.changeCount(), 1);
        const int dataNo = counter(u"master.db"_s) + 1;
        const int itemNo = counter(u"hinmeimast.db"_s) + 1;
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(m.changeCount(), 0);
        QCOMPARE(db().scalar(u"SELECT KINGAKU || '/' || KARICODE || '/' || KASICODE || '/' || HINMEICODE "
                             "FROM Master WHERE DATANO = ?"_s, {dataNo})
                     .toString(),
                 u"1200.0/%1/%2/%3"_s.arg(food.Code).arg(wallet.Code).arg(itemNo));
        QCOMPARE(counter(u"master.db"_s), dataNo);
        QCOMPARE(db().scalar(u"SELECT QUANTITY || '/' || GAKU || '/' || ZEIATUKAI FROM HinmeiMast WHERE CODE = ?"_s,
                             {itemNo})
                     .toString(),
                 u"1.0/0.0/3"_s);

        // The line on or before the lock date refuses edits and deletes.
        m.CltDataStyle = 4;
        QVERIFY(m.locate(u"DATANO"_s, lockedNo));
        for (int attempt = 0; attempt < 2; ++attempt) {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"ロックされた日付のデータは入力できません。"_s);
            bool refused = false;
            try {
                if (attempt == 0)
                    m.edit();
                else
                    m.remove();
            } catch (const EAbort &) {
                refused = true;
            }
            QVERIFY(refused);
            QVERIFY(dialogs.done());
        }
        QVERIFY(!m.isEditing());
        QCOMPARE(m.changeCount(), 0);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO = ?"_s, {lockedNo}).toInt(), 1);
    }
};

QTEST_MAIN(TestJournalWiring)
#include "tst_journalwiring.moc"
