#include <QDir>
#include <QFile>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BackUp.h"
#include "data/DatMod.h"
#include "data/DatModLock.h"
#include "data/DatModSchema.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/ui/DialogScript.h"
#include "platform/ui/Dialogs.h"

using Answer = DialogScript::Answer;
using Kind = DialogScript::Kind;

// Opening, flushing and closing a book through the data module, on books made by
// the schema routine in the test's own folder, with dialogs answered by script.
class TestDatMod : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;

    QString makeBook(const QString &name, const QString &key = QString(), const QByteArray &ini = QByteArray())
    {
        const QString folder = env->path("books/" + name);
        BookFixture::writeEmptyBook(folder, key, ini);
        return folder;
    }
    void registerBook(const QString &name, const QString &folder)
    {
        RegIni->WriteStringAndUpdate("DataFolders", name, folder);
    }
    static void expectMessage(int result, const QString &text)
    {
        DialogScript::push(Answer{Kind::Message, result, QString(), text});
    }
    static void expectFolder(const QString &path)
    {
        DialogScript::push(Answer{Kind::Folder, path.isEmpty() ? int(mrCancel) : int(mrOk), path, QString()});
    }
    // Fills the journal so the date index spans pages, then overwrites the
    // index's root page: a damage the engine's check finds and no rebuild mends.
    static void damageDateIndex(const QString &path)
    {
        qint64 root = 0, pageSize = 0;
        {
            Database db;
            db.open(path);
            db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                    "INSERT INTO Master (DATANO, RECDATE, KINGAKU) "
                    "SELECT i, date('2024-01-01', '+' || (i % 300) || ' days'), i FROM n");
            root = db.scalar("SELECT rootpage FROM sqlite_master WHERE name = 'Master_RECDATE'").toLongLong();
            pageSize = db.scalar("PRAGMA page_size").toLongLong();
        }
        QVERIFY(root > 1);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek((root - 1) * pageSize + 20));
        file.write(QByteArray(200, char(0xff)));
    }
    static int masterRows(Database &db)
    {
        return db.scalar("SELECT COUNT(*) FROM Master").toInt();
    }
    static void appendJournalRow(Table *master, int dataNo)
    {
        master->append();
        master->fieldByName("DATANO")->setAsInteger(dataNo);
        master->fieldByName("RECDATE")->setAsDate(QDate(2024, 5, 1));
        master->fieldByName("KINGAKU")->setAsInteger(1200);
        master->post();
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        dm = std::make_unique<TDatMod>();
        QCOMPARE(DatMod, dm.get());
        RegIni->WriteStringAndUpdate("CurrentFolders", "DataPlace", env->path("place"));
        DialogScript::start();
    }
    void cleanup()
    {
        const QStringList failures = DialogScript::failures();
        const int pending = DialogScript::pending();
        DialogScript::stop();
        dm.reset();
        QVERIFY(DatMod == nullptr);
        env.reset();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
        QCOMPARE(pending, 0);
    }

    // The road of a book: start-up opening, reading and writing tables, the
    // flush, closing with the automatic generation, and opening it again.
    void openWriteCloseReopen()
    {
        const QString folder = makeBook("家計簿1", QString(), "[Sime]\nSimeTuki=3\nLockDate=45000\n");
        registerBook("家計簿1", folder);
        RegIni->WriteIntegerAndUpdate("BackUp", "AutoBackUpCount", 2);

        QVERIFY(dm->OpenAtStartup());
        QVERIFY(dm->FolderReady && dm->DataOpen && !dm->StartupCancelled);
        QCOMPARE(dm->BookName, QStringLiteral("家計簿1"));
        QCOMPARE(RegIni->readString("CurrentFolders", "Current", ""), QStringLiteral("家計簿1"));
        // The book's own values are read into the program-wide ones.
        QCOMPARE(int(CurSimeTuki), 3);
        QCOMPARE(CurLockDate, QDate(2023, 3, 15));
        QVERIFY(DataIni != nullptr);
        // The category caches are built from the book.
        QCOMPARE(FindHimokuName(100, &AllHimokuArray), QStringLiteral("現金"));

        // Every table is open and reads the seed rows.
        for (Table *t : dm->tables())
            QVERIFY2(t->isActive(), qPrintable(t->name()));
        QVERIFY(dm->HimokuTbl->locate("CODE", 100));
        QCOMPARE(dm->HimokuTbl->fieldByName("NAME")->asString(), QStringLiteral("現金"));
        // The user-row view hides the system categories.
        QVERIFY(!dm->HimokuTbl2->locate("CODE", 99));

        // While the book is open other processes may share it, but none can repair it.
        TDatModLock other;
        QVERIFY(other.acquireShared(folder));
        QVERIFY(!other.tryExclusive());
        other.release();

        QVERIFY(!dm->DataChanged);
        appendJournalRow(dm->MasterTbl, 5);
        QVERIFY(dm->DataChanged);
        CommitDataChanges();
        QVERIFY(!dm->DataChanged);
        QVERIFY(dm->DataOpen && dm->MasterTbl->isActive() && DataIni != nullptr);
        QVERIFY(dm->MasterTbl->locate("DATANO", 5));

        // Three closes with two generations kept: numbers 1 and 2 remain, and
        // number 1 is the newest, an archive of this book under its own name.
        const QString genFolder = env->path("place/AutoBackUp");
        QStringList captions;
        dm->OnCaptionText = [&captions](const QString &text) { captions << text; };
        for (int round = 0; round < 3; ++round) {
            captions.clear();
            dm->CloseAndBackUp(true);
            QCOMPARE(captions, (QStringList{"自動バックアップ中", "オフライン"}));
            QVERIFY(!dm->DataOpen && DataIni == nullptr && !dm->MainDatabase.isOpen());
            if (round == 1) {
                // The row written in round 0 left the flag set: a flush now must
                // not bring the closed book back; the next opening settles it.
                QVERIFY(dm->DataChanged);
                CommitDataChanges();
                QVERIFY(!dm->DataOpen && !dm->MainDatabase.isOpen());
            }
            // The folder is let go: another process may now take it alone.
            QVERIFY(other.acquireShared(folder));
            QVERIFY(other.tryExclusive());
            other.release();
            QString f = folder;
            QVERIFY(dm->OpenBook("家計簿1", f));
            QVERIFY(!dm->DataChanged);
            if (round == 0)
                appendJournalRow(dm->MasterTbl, 6);
        }
        QVERIFY(QFile::exists(genFolder + "/家計簿1_1.pbk"));
        QVERIFY(QFile::exists(genFolder + "/家計簿1_2.pbk"));
        QVERIFY(!QFile::exists(genFolder + "/家計簿1_3.pbk"));

        TBackUp restore;
        restore.BackUpFileName = genFolder + "/家計簿1_1.pbk";
        restore.DataKind = "ZenitBackUp_100 ";
        restore.RestoreDir = env->path("restored");
        restore.NoMessage = true;
        restore.onMessage = [](TBackUp::MessageKind, TBackUp::Buttons, const QString &) { return true; };
        QVERIFY(restore.Restore());
        QCOMPARE(restore.DataName, QStringLiteral("家計簿1"));
        Database copy;
        copy.open(env->path("restored/PomuZenitData.db"));
        QCOMPARE(copy.scalar("SELECT COUNT(*) FROM Master WHERE DATANO IN (5, 6)").toInt(), 2);

        // Reopened, the rows written before are there.
        QVERIFY(dm->MasterTbl->locate("DATANO", 6));
        dm->CloseAndBackUp(false);
        dm->OnCaptionText = nullptr;
    }

    // The flush reopens every table and the data sets that were open, leaves the
    // closed ones closed, makes a new per-book store, and never touches the
    // journal data set's change log.
    void flushKeepsClientChangesAndReopens()
    {
        const QString folder = makeBook("B");
        registerBook("B", folder);
        QVERIFY(dm->OpenAtStartup());

        Query other(dm->MainDatabase);
        other.SQL << "SELECT CODE, NAME FROM \"Himoku.db\"";
        dm->RegisterDataSet(&other);
        other.open();
        dm->SelecterSql->SQL << "SELECT CODE, NAME FROM \"Person.DB\"";
        QVERIFY(!dm->SelecterSql->isActive());
        dm->HimokuTbl->close();

        dm->MeisaiClt->open();
        QVERIFY(dm->MeisaiClt->locate("DATANO", 0));
        dm->MeisaiClt->edit();
        dm->MeisaiClt->fieldByName("KINGAKU")->setAsInteger(777);
        dm->MeisaiClt->post();
        QCOMPARE(dm->MeisaiClt->changeCount(), 1);
        QVERIFY(dm->DataChanged);

        DataIni->WriteIntegerAndUpdate("State", "TaxCalc", 2);
        DataIni->writeString("Iri", "Seen", "1"); // not flushed by the writer itself
        CommitDataChanges();

        QVERIFY(!dm->DataChanged);
        // The store was flushed to its file and opened again from it (a new
        // store may reuse the old one's address, so the file is what tells).
        QVERIFY(DataIni != nullptr);
        {
            QFile file(TMyMemIniFile::fileIn(folder));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains("Seen=1"));
        }
        QCOMPARE(DataIni->readString("Iri", "Seen", ""), QStringLiteral("1"));
        QVERIFY(dm->HimokuTbl->isActive());
        QVERIFY(other.isActive());
        QVERIFY(!dm->SelecterSql->isActive());
        QVERIFY(dm->MeisaiClt->isActive());
        QCOMPARE(dm->MeisaiClt->changeCount(), 1);
        QCOMPARE(dm->MeisaiClt->fieldByName("KINGAKU")->asInteger(), 777);

        // Nothing changed: no flush, so a table closed meanwhile stays closed.
        dm->HimokuTbl->close();
        CommitDataChanges();
        QVERIFY(!dm->HimokuTbl->isActive());

        // The change log still applies after the flush.
        QCOMPARE(dm->MeisaiClt->applyUpdates(-1), 0);
        QCOMPARE(dm->MainDatabase.scalar("SELECT KINGAKU FROM Master WHERE DATANO = 0").toInt(), 777);
        dm->UnregisterDataSet(&other);
        dm->CloseAndBackUp(false);
    }

    // A flush whose close fails (the settings file cannot be replaced) leaves
    // the book open with its store and the flag set, so the next flush retries.
    void failedFlushLeavesUsableBook()
    {
        const QString folder = makeBook("B");
        registerBook("B", folder);
        QVERIFY(dm->OpenAtStartup());
        // A folder in place of the settings file: writing it out fails.
        QFile::remove(folder + "/PomuZenitData.ini");
        QVERIFY(QDir().mkpath(folder + "/PomuZenitData.ini"));
        appendJournalRow(dm->MasterTbl, 9);
        bool raised = false;
        try {
            CommitDataChanges();
        } catch (const std::exception &) {
            raised = true;
        }
        QVERIFY(raised);
        QVERIFY(dm->DataChanged);
        QVERIFY(dm->DataOpen && DataIni != nullptr && dm->MasterTbl->isActive());
        QVERIFY(dm->MasterTbl->locate("DATANO", 9));
        QDir(folder + "/PomuZenitData.ini").removeRecursively();
        CommitDataChanges();
        QVERIFY(!dm->DataChanged);
        dm->CloseAndBackUp(false);
    }

    // A book whose database vanished cannot be reopened by the flush: it counts
    // as closed, the user is told and the window is asked to show the book list.
    void lostBookIsClosedAndSaid()
    {
        const QString folder = makeBook("B");
        registerBook("B", folder);
        QVERIFY(dm->OpenAtStartup());
        bool lost = false;
        dm->OnBookLost = [&lost] { lost = true; };
        appendJournalRow(dm->MasterTbl, 9);
        QVERIFY(QDir(folder).removeRecursively());
        expectMessage(mrOk, "家計簿を開き直せませんでした。");
        QVERIFY_THROWS_EXCEPTION(EAbort, CommitDataChanges());
        QVERIFY(lost);
        QVERIFY(!dm->DataOpen && !dm->FolderReady && DataIni == nullptr && !dm->MainDatabase.isOpen());
    }

    // A failed automatic backup still closes the book, and says so.
    void failedBackUpStillCloses()
    {
        const QString folder = makeBook("B");
        registerBook("B", folder);
        QFile blocker(env->path("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RegIni->WriteStringAndUpdate("BackUp", "BackUpPlace", env->path("blocker/gen"));
        QVERIFY(dm->OpenAtStartup());
        expectMessage(mrOk, "自動バックアップを作成できませんでした。");
        dm->CloseAndBackUp(true);
        QVERIFY(!dm->DataOpen && !dm->MainDatabase.isOpen() && DataIni == nullptr);
        TDatModLock other;
        QVERIFY(other.acquireShared(folder));
        QVERIFY(other.tryExclusive());
    }

    // A registered book whose folder was moved: the message, the offer to
    // correct, the folder picker and the offer to store the correction.
    void movedFolder_data()
    {
        QTest::addColumn<bool>("correct");
        QTest::addColumn<bool>("store");
        QTest::newRow("corrected and stored") << true << true;
        QTest::newRow("corrected, not stored") << true << false;
        QTest::newRow("not corrected") << false << false;
    }
    void movedFolder()
    {
        QFETCH(bool, correct);
        QFETCH(bool, store);
        const QString moved = makeBook("B");
        const QString old = env->path("books/old-place");
        registerBook("B", old);

        expectMessage(mrOk, "家計簿のデータフォルダが見つかりません。\r\n\r\n" + old);
        expectMessage(correct ? mrYes : mrNo, "データフォルダの設定を修正しますか？");
        if (correct) {
            expectFolder(moved);
            expectMessage(store ? mrYes : mrNo, "修正したデータフォルダの設定を保存しますか");
        }
        const bool started = dm->OpenAtStartup();
        QCOMPARE(started, correct);
        QCOMPARE(dm->DataOpen, correct);
        QCOMPARE(dm->DataFolder, correct ? moved : QString());
        QCOMPARE(RegIni->readString("DataFolders", "B", ""), store ? moved : old);
        if (correct)
            dm->CloseAndBackUp(false);
    }

    // A book folder without the book database gets the missing-table message.
    void missingDatabase()
    {
        const QString folder = env->path("books/empty");
        QVERIFY(QDir().mkpath(folder));
        expectMessage(mrOk, "テーブルが見つかりません。\rPomuZenitData.db");
        expectMessage(mrNo, "データフォルダの設定を修正しますか？");
        QString f = folder;
        QVERIFY(!dm->OpenBook("E", f));
        QVERIFY(!dm->FolderReady && !dm->DataOpen);
    }

    // "Current" naming a book that was taken off the list never brings it back.
    void staleCurrentOpensTheListedBook()
    {
        const QString folder = makeBook("残った");
        registerBook("残った", folder);
        RegIni->WriteStringAndUpdate("CurrentFolders", "Current", "消した");
        QVERIFY(dm->OpenAtStartup());
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, QStringLiteral("残った"));
        QCOMPARE(RegIni->readSection("DataFolders"), QStringList{"残った"});
        QCOMPARE(RegIni->readString("CurrentFolders", "Current", ""), QStringLiteral("残った"));
        dm->CloseAndBackUp(false);
    }

    // The start-up by number of registered books, with the first-book and
    // chooser steps behind their hooks.
    void startupByBookCount()
    {
        // None: the first-book step; refusing it ends the start-up.
        int firstBookRuns = 0;
        dm->OnStartFirstBook = [&firstBookRuns](TDatMod &) { ++firstBookRuns; return false; };
        QVERIFY(!dm->OpenAtStartup());
        QCOMPARE(firstBookRuns, 1);
        QVERIFY(!dm->DataOpen);
        QVERIFY(RegIni->readSection("DataFolders").isEmpty());

        // None, and the first-book step makes and points at a book: it is opened.
        const QString made = makeBook("新");
        dm->OnStartFirstBook = [&](TDatMod &m) {
            registerBook("新", made);
            QString f = made;
            return m.OpenDataFolder("新", f);
        };
        QVERIFY(dm->OpenAtStartup());
        QVERIFY(dm->DataOpen && !dm->StartupCancelled);
        dm->CloseAndBackUp(false);

        // Several: the chooser; closed without a choice leaves the start-up cancelled.
        registerBook("二", makeBook("二"));
        bool chooserShown = false;
        dm->OnChooseBook = [&chooserShown](TDatMod &) { chooserShown = true; };
        QVERIFY(dm->OpenAtStartup());
        QVERIFY(chooserShown);
        QVERIFY(dm->StartupCancelled);
        QVERIFY(!dm->DataOpen);
    }

    // A book with a data password: the prompt, a wrong password asked again
    // with the changed prompt, and a cancel that opens nothing and says nothing.
    void dataPassword()
    {
        const QString folder = makeBook("秘密", "abc");
        QStringList prompts;
        QStringList typed{"wrong", "abc"};
        dm->OnAskPassword = [&](const QString &prompt, QString &password) {
            prompts << prompt;
            if (typed.isEmpty())
                return false;
            password = typed.takeFirst();
            return true;
        };
        QString f = folder;
        QVERIFY(dm->OpenBook("秘密", f));
        QVERIFY(dm->DataOpen);
        QCOMPARE(prompts, (QStringList{"パスワードの入力 :", "パスワードが違います。もう一度 :"}));
        QVERIFY(dm->HimokuTbl->locate("CODE", 100));

        // The flush keeps the password; the close forgets it.
        appendJournalRow(dm->MasterTbl, 3);
        CommitDataChanges();
        QVERIFY(dm->MasterTbl->locate("DATANO", 3));

        // Going straight on to a book without a password asks nothing.
        const QString plain = makeBook("B");
        QString p = plain;
        QVERIFY(dm->OpenBook("B", p));
        QCOMPARE(prompts.size(), 2);
        QVERIFY(dm->HimokuTbl->locate("CODE", 100));
        dm->CloseAndBackUp(false);

        prompts.clear();
        f = folder;
        QVERIFY(!dm->OpenBook("秘密", f));
        QCOMPARE(prompts, QStringList{"パスワードの入力 :"});
        QVERIFY(dm->PasswordCancelled);
        QVERIFY(!dm->DataOpen);
    }

    // The repair runs only when no other process has the book; the book opens
    // either way.
    void repairNeedsTheBookAlone()
    {
        const QString folder = makeBook("B");
        TDatModLock other;
        QVERIFY(other.acquireShared(folder));
        int upgrades = 0;
        dm->OnUpgradeSchema = [&upgrades](Database &, const QString &) { ++upgrades; };
        QString f = folder;
        QVERIFY(dm->OpenBook("B", f));
        QCOMPARE(upgrades, 0);
        QVERIFY(dm->DataOpen);
        other.release();
        QVERIFY(dm->RepairDataFiles(folder));
        QCOMPARE(upgrades, 1);
        // The repair closed the data; reopening brings every table back.
        dm->OpenData(false);
        QVERIFY(dm->MasterTbl->isActive());
        // A dropped index comes back.
        dm->CloseData(false);
        {
            Database db;
            db.open(folder + "/PomuZenitData.db");
            db.exec("DROP INDEX Master_RECDATE");
        }
        QVERIFY(dm->RepairDataFiles(folder));
        Database db;
        db.open(folder + "/PomuZenitData.db");
        QCOMPARE(db.scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = 'Master_RECDATE'").toInt(),
                 1);
    }

    // Only a book the quick check finds damaged gets its indexes rebuilt.
    void indexRebuildOnlyForADamagedBook_data()
    {
        QTest::addColumn<QStringList>("check");
        QTest::addColumn<bool>("rebuild");
        QTest::newRow("sound") << QStringList{"ok"} << false;
        QTest::newRow("damaged") << QStringList{"*** in database main ***\nPage 53 is never used"} << true;
        QTest::newRow("ok among problems") << QStringList{"ok", "row 3 missing from index Master_RECDATE"} << true;
        QTest::newRow("no answer") << QStringList{} << true;
    }
    void indexRebuildOnlyForADamagedBook()
    {
        QFETCH(QStringList, check);
        QFETCH(bool, rebuild);
        QCOMPARE(BookNeedsIndexRebuild(check), rebuild);
    }

    // A damaged index the rebuild cannot mend is told, and the repair stops
    // without raising.
    void damagedBookIsTold()
    {
        const QString folder = makeBook("B");
        damageDateIndex(folder + "/PomuZenitData.db");
        DialogQueue dialogs;
        dialogs.answer(mrOk, "家計簿のデータベースに問題があります。");
        QVERIFY(!dm->RepairDataFiles(folder));
        QVERIFY(dialogs.done());
    }
    // The whole-file check runs when the last session did not close the book:
    // a clean close marks the lock file, an opening marks it open again, and a
    // damaged book left open by a crash is found at the next opening.
    void checkRunsAfterAnUncleanEnd()
    {
        const QString folder = makeBook("C");
        registerBook("C", folder);
        const QString lockPath = folder + "/" + TDatModLock::fileName();
        auto mark = [&lockPath]() {
            QFile f(lockPath);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QString f = folder;
        QVERIFY(dm->OpenBook("C", f));
        QCOMPARE(mark(), QByteArray("open\n"));
        dm->CloseAndBackUp(false);
        QCOMPARE(mark(), QByteArray("closed\n"));
        QVERIFY(dm->OpenBook("C", f));
        QCOMPARE(mark(), QByteArray("open\n"));

        // Another process still has the book: closing does not mark it closed.
        {
            TDatModLock other;
            QVERIFY(other.acquireShared(folder));
            dm->CloseAndBackUp(false);
            QCOMPARE(mark(), QByteArray("open\n"));
        }

        // Left marked open, a damaged file is found and told.
        damageDateIndex(folder + "/PomuZenitData.db");
        DialogQueue dialogs;
        dialogs.answer(mrOk, "家計簿のデータベースに問題があります。");
        QVERIFY(!dm->RepairDataFiles(folder));
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestDatMod)
#include "tst_datmod.moc"
