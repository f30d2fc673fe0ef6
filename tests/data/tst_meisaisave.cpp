#include <csignal>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/DatMod.h"
#include "data/DatModSchema.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "data/ModalForm.h"
#include "data/ReconcileErrorForm.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "platform/db/ClientDataSet.h"

// The journal save on a fresh book: its checks, the numbering of new lines and
// slips, new master rows, both write paths, and that a failed or killed save
// leaves the book as it was.
class TestMeisaiSave : public QObject
{
    Q_OBJECT

public:
    static QString makeBook(const QString &folder)
    {
        QDir().mkpath(folder);
        Database db;
        db.open(folder + "/PomuZenitData.db", QString(), true);
        DatModSchema::createEmptyBook(db);
        db.exec("INSERT INTO Himoku (CODE,NAME,BUNRUI,VISIBLE) VALUES (101,'現金',3,1)");
        db.exec("INSERT INTO Himoku (CODE,NAME,BUNRUI,VISIBLE) VALUES (201,'食費',2,1)");
        db.exec("INSERT INTO Himoku (CODE,NAME,BUNRUI,VISIBLE) VALUES (301,'給与',1,1)");
        db.exec("INSERT INTO HinmeiMast (CODE,NAME,QUANTITY,GAKU,ZEIATUKAI) VALUES (101,'りんご',1,0,3)");
        db.exec("UPDATE AutoInc SET MAXNO = 101 WHERE NAME = 'hinmeimast.db'");
        db.close();
        QFile f(folder + "/PomuZenitData.ini");
        f.open(QIODevice::WriteOnly);
        f.write("[DataLevel]\nDataLevel=6\n");
        return folder;
    }
    static bool openBook(TDatMod &dm, const QString &folder)
    {
        RegIni->WriteStringAndUpdate("DataFolders", "B", folder);
        QString f = folder;
        if (!dm.OpenBook("B", f))
            return false;
        dm.MeisaiClt->setCommandText("SELECT * FROM MASTER.DB WHERE DATANO > 0 ORDER BY DATANO");
        dm.MeisaiClt->open();
        return true;
    }
    // A new expense line of the table page.
    static void addLine(ClientDataSet &c, int kingaku, const QDate &date = QDate(2024, 5, 1), int kari = 201,
                        int kasi = 101)
    {
        // Behind the last line, as the grid appends: no line moves to make room.
        c.last();
        c.next();
        c.append();
        c["DATANO"].setValue(0);
        c["RECDATE"].setValue(date);
        c["KINGAKU"].setValue(QVariant::fromValue(Currency::fromDouble(kingaku)));
        c["QUANTITY"].setValue(1.0);
        c["KARICODE"].setValue(kari);
        c["KASICODE"].setValue(kasi);
        c["SHOPCODE"].setValue(0);
        c["HINMEICODE"].setValue(0);
        c["PERSONCODE"].setValue(0);
        c["KARISIDE"].setValue(true);
        c["RESERVED"].setValue(false);
        c["LOOKUPNO"].setValue(0);
        c["RECEIPTNO"].setValue(0);
        c["RECKIND"].setValue(0);
        c["STYLE"].setValue(1);
        c["ORIGIN"].setValue(0);
        c["ZEIATUKAI"].setValue(3);
        c.post();
    }
    static QString bookState(Database &db)
    {
        QStringList parts;
        for (const char *t : {"Master", "HinmeiMast", "ShopMast", "Person", "AutoInc"})
            parts << QString::number(db.scalar(QString("SELECT COUNT(*) FROM %1").arg(t)).toInt());
        parts << db.scalar("SELECT group_concat(NAME || '=' || MAXNO) FROM AutoInc").toString();
        parts << db.scalar("SELECT total(KINGAKU) FROM Master").toString();
        return parts.join('|');
    }

    // Every row of the tables a save writes, row by row.
    static QString bookRows(Database &db)
    {
        QStringList out;
        for (const char *t : {"Master", "HinmeiMast", "ShopMast", "Person", "AutoInc"}) {
            Statement rows(db, QString("SELECT * FROM %1 ORDER BY rowid").arg(t));
            out << t;
            while (rows.next()) {
                QStringList cells;
                for (int c = 0; c < rows.columnCount(); ++c)
                    cells << rows.value(c).toString();
                out << cells.join('|');
            }
        }
        return out.join('\n');
    }

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;
    QString folder;

    TMeisaiClientDataSet &clt() { return *dm->MeisaiClt; }
    Database &db() { return dm->MainDatabase; }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        dm = std::make_unique<TDatMod>();
        RegIni->WriteStringAndUpdate("CurrentFolders", "DataPlace", env->path("place"));
        folder = makeBook(env->path("book"));
        QVERIFY(openBook(*dm, folder));
        MeisaiSaveState = TMeisaiSaveState();
        CurLockDate = QDate();
    }
    void cleanup()
    {
        ModalForms::clear();
        CurLockDate = QDate();
        dm.reset();
        env.reset();
    }

    void checksRefuseWithTheirMessage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("kari");
        QTest::addColumn<int>("kasi");
        QTest::addColumn<bool>("dated");
        QTest::addColumn<QString>("message");
        QTest::newRow("income debit") << 1 << 0 << 301 << true << "入金口座が未定です。";
        QTest::newRow("income credit") << 1 << 101 << 0 << true << "費目が未定です。";
        QTest::newRow("expense debit") << 2 << 0 << 101 << true << "費目が未定です。";
        QTest::newRow("expense credit") << 2 << 201 << -1 << true << "出金口座が未定です。";
        QTest::newRow("equal codes") << 2 << 101 << 101 << true << "出金元と入金先が同じです。";
        QTest::newRow("no date") << 2 << 201 << 101 << false << "日付が未定です。";
        // The group rows are list roots, never a category or account of a line.
        QTest::newRow("expense group") << 2 << 2 << 101 << true << "費目が未定です。";
        QTest::newRow("income group") << 1 << 101 << 1 << true << "費目が未定です。";
        QTest::newRow("account group") << 2 << 201 << 3 << true << "出金口座が未定です。";
    }
    void checksRefuseWithTheirMessage()
    {
        QFETCH(int, page);
        QFETCH(int, kari);
        QFETCH(int, kasi);
        QFETCH(bool, dated);
        QFETCH(QString, message);
        clt().CltSyuSiIdo = page;
        addLine(clt(), 500, dated ? QDate(2024, 5, 1) : QDate(), kari, kasi);
        const QString before = bookState(db());
        DialogQueue dialogs;
        dialogs.answer(mrOk, message);
        QVERIFY(!ApplyMeisaiUpdates());
        QVERIFY(dialogs.done());
        QCOMPARE(bookState(db()), before);
        QCOMPARE(clt().changeCount(), 1);
        QCOMPARE(clt().CltBusyState, 0);
    }

    void transferChecks_data()
    {
        QTest::addColumn<int>("self");
        QTest::addColumn<int>("aite");
        QTest::addColumn<QString>("message");
        QTest::newRow("no counterpart") << 101 << 0 << "費目もしく相手口座が未定です。";
        QTest::newRow("no own account") << 0 << 102 << "口座が未定です。";
        QTest::newRow("same account") << 101 << 101 << "出金元と入金先が同じです。";
        QTest::newRow("account group as own") << 3 << 102 << "口座が未定です。";
        QTest::newRow("expense group as counterpart") << 101 << 2 << "費目もしく相手口座が未定です。";
    }
    void transferChecks()
    {
        QFETCH(int, self);
        QFETCH(int, aite);
        QFETCH(QString, message);
        clt().CltSyuSiIdo = 3;
        addLine(clt(), 500, QDate(2024, 5, 1), 101, 102);
        clt().edit();
        clt()["SelfCode"].setValue(self);
        clt()["AiteCode"].setValue(aite);
        clt().post();
        DialogQueue dialogs;
        dialogs.answer(mrOk, message);
        QVERIFY(!ApplyMeisaiUpdates());
        QVERIFY(dialogs.done());
    }

    void lockDate()
    {
        addLine(clt(), 100, QDate(2024, 3, 1));
        QVERIFY(ApplyMeisaiUpdates());
        // A new line in the locked past (typed before the lock was set: the
        // date rule refuses such a date as it is typed).
        addLine(clt(), 200, QDate(2024, 3, 31));
        CurLockDate = QDate(2024, 3, 31);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, "編集ロックされた日付の明細があります。");
            QVERIFY(!ApplyMeisaiUpdates());
            QVERIFY(dialogs.done());
        }
        clt().cancelUpdates();
        // Deleting a stored line of the locked past.
        clt().first();
        clt().remove();
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, "編集ロックされた日付の明細が修正されています。");
            QVERIFY(!ApplyMeisaiUpdates());
            QVERIFY(dialogs.done());
        }
        clt().cancelUpdates();
        // Slip styles are not tested against the lock.
        clt().CltDataStyle = 4;
        CurLockDate = QDate();
        addLine(clt(), 300, QDate(2024, 1, 1));
        CurLockDate = QDate(2024, 3, 31);
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Master WHERE KINGAKU = 300").toInt(), 1);
    }

    void blankLinesAndFreeEntryLines()
    {
        // A stored free-entry line with no amount and no codes is not the table
        // page's to delete or to refuse.
        db().exec("INSERT INTO Master (DATANO,GYONO,RECDATE,KINGAKU,KARICODE,KASICODE,STYLE,RECEIPTNO,LOOKUPNO) "
                  "VALUES (50,1,'2024-05-02',0,0,0,7,9,0)");
        clt().close();
        clt().open();
        addLine(clt(), 0, QDate(), 0, 0);   // blank: deleted, nothing written
        addLine(clt(), 0, QDate(), 0, 0);
        const QString before = bookState(db());
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(bookState(db()), before);
        QVERIFY(clt().locate("DATANO", 50));
        // The free-entry line takes part in no save of the table page.
        addLine(clt(), 700);
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(db().scalar("SELECT STYLE || '/' || GYONO || '/' || RECEIPTNO FROM Master WHERE DATANO = 50").toString(),
                 QString("7/1/9"));
    }

    // Refusals after the line checks: categories on the wrong side and the bill's
    // automatic withdrawal; nothing is written by a refused save.
    void refusedAtNumbering_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("kari");
        QTest::addColumn<int>("kasi");
        QTest::addColumn<QDate>("payDate");
        QTest::addColumn<int>("payKouza");
        QTest::addColumn<QStringList>("dialogs");   // text=answer
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("needBillPay");
        const QDate pay(2024, 6, 27);
        QTest::newRow("income category as debit") << 1 << 301 << 101 << QDate() << 0
                                                  << QStringList{"収入費目へ入金できません。=ok"} << false << false;
        QTest::newRow("expense category as credit") << 1 << 101 << 201 << QDate() << 0
                                                    << QStringList{"支出費目から出金できません。=ok"} << false << false;
        QTest::newRow("bill, no pay date, yes") << 3 << 201 << 0 << QDate() << 102
                                                << QStringList{"引落日が指定されていません。=yes"} << false << true;
        QTest::newRow("bill, no pay date, no") << 3 << 201 << 0 << QDate() << 102
                                               << QStringList{"引落日が指定されていません。=no"} << true << false;
        QTest::newRow("bill, no pay account, no") << 3 << 201 << 0 << pay << 0
                                                  << QStringList{"引落口座が指定されていません。=no"} << true << false;
        QTest::newRow("bill, pay from the card") << 3 << 201 << 0 << pay << 150
                                                 << QStringList{"引落口座が同じクレジット口座からになっています=error"}
                                                 << false << true;
        QTest::newRow("bill, complete") << 3 << 201 << 0 << pay << 102 << QStringList{} << true << true;
    }
    void refusedAtNumbering()
    {
        QFETCH(int, style);
        QFETCH(int, kari);
        QFETCH(int, kasi);
        QFETCH(QDate, payDate);
        QFETCH(int, payKouza);
        QFETCH(QStringList, dialogs);
        QFETCH(bool, saved);
        QFETCH(bool, needBillPay);
        TMeisaiSaveState &st = MeisaiSaveState;
        clt().CltDataStyle = style;
        clt().CltReceiptNo = -1;
        st.ReceiptCltCreditCode = 150;
        st.ReceiptCltPayDate = payDate;
        st.ReceiptCltPayKouza = payKouza;
        addLine(clt(), 800, QDate(2024, 5, 1), kari, style == 3 ? 150 : kasi);
        clt().edit();
        clt()["STYLE"].setValue(style);
        clt().post();
        const QString before = bookState(db());
        DialogQueue queue;
        for (const QString &d : dialogs) {
            const QString answer = d.section('=', 1);
            queue.answer(answer == "yes" ? mrYes : answer == "no" ? mrNo : mrOk, d.section('=', 0, 0));
        }
        QCOMPARE(ApplyMeisaiUpdates(), saved);
        QVERIFY(queue.done());
        QCOMPARE(clt().CltNeedBillPay, needBillPay);
        if (!saved) {
            QCOMPARE(bookState(db()), before);
            QCOMPARE(clt().CltReceiptNo, -1);
            return;
        }
        // A bill line takes the card as its credit account.
        QCOMPARE(db().scalar("SELECT KASICODE || '/' || RECEIPTNO FROM Master WHERE KINGAKU = 800").toString(),
                 QString("150/%1").arg(clt().CltReceiptNo));
    }

    void numbersLinesAndWritesRowsExactly()
    {
        clt().CltDataStyle = 2;
        clt().CltReceiptNo = -1;
        MeisaiSaveState.ReceiptCltRecDate = QDate(2024, 6, 9);
        MeisaiSaveState.ReceiptCltShopCode = -1;
        MeisaiSaveState.ReceiptCltShopName = "八百屋";
        bool applied = false;
        clt().OnAfterApplied = [&](DataSet &) { applied = true; };
        const struct { int amount; const char *item; int itemCode; const char *person; } lines[] = {
            {120, "りんご", -1, ""}, {300, "みかん", -1, "花子"}, {50, "", 0, ""}};
        for (const auto &l : lines) {
            addLine(clt(), l.amount, QDate(2024, 6, 1));
            clt().edit();
            clt()["STYLE"].setValue(2);
            clt()["HINMEICODE"].setValue(l.itemCode);
            clt()["HinmeiName"].setValue(QString::fromUtf8(l.item));
            clt()["PERSONCODE"].setValue(*l.person ? -1 : 0);
            clt()["PersonName"].setValue(QString::fromUtf8(l.person));
            clt().post();
        }
        QVERIFY(ApplyMeisaiUpdates());
        QVERIFY(applied);
        QCOMPARE(clt().changeCount(), 0);
        QCOMPARE(clt().CltReceiptNo, 1);   // a new counter gives 1
        QCOMPARE(db().scalar("SELECT CODE FROM ShopMast WHERE NAME = '八百屋'").toInt(), 101);
        QCOMPARE(db().scalar("SELECT CODE || '/' || QUANTITY || '/' || GAKU || '/' || ZEIATUKAI FROM HinmeiMast "
                             "WHERE NAME = 'みかん'").toString(),
                 QString("102/1.0/0.0/3"));
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM HinmeiMast WHERE NAME = 'りんご'").toInt(), 1);
        QCOMPARE(db().scalar("SELECT CODE || '/' || VISIBLE FROM Person WHERE NAME = '花子'").toString(),
                 QString("101/0"));
        Statement st(db(), "SELECT DATANO,GYONO,RECDATE,KINGAKU,QUANTITY,SHOPCODE,HINMEICODE,PERSONCODE,KARISIDE,"
                           "KARICODE,KASICODE,RESERVED,LOOKUPNO,RECEIPTNO,RECKIND,STYLE,ORIGIN,ZEIATUKAI "
                           "FROM Master WHERE DATANO > 0 ORDER BY DATANO");
        QStringList rows;
        while (st.next()) {
            QStringList cols;
            for (int i = 0; i < st.columnCount(); ++i)
                cols << st.textValue(i);
            rows << cols.join(',');
        }
        QCOMPARE(rows, (QStringList{"1,1,2024-06-09,120.0,1.0,101,101,0,1,201,101,0,0,1,0,2,0,3",
                                    "2,2,2024-06-09,300.0,1.0,101,102,101,1,201,101,0,0,1,0,2,0,3",
                                    "3,3,2024-06-09,50.0,1.0,101,0,0,1,201,101,0,0,1,0,2,0,3"}));
    }

    // 255 changes go through the provider, 256 straight into the table; the rows are the same.
    void bothPathsWriteTheSameRows_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("direct");
        QTest::newRow("255") << 255 << false;
        QTest::newRow("256") << 256 << true;
    }
    void bothPathsWriteTheSameRows()
    {
        QFETCH(int, lines);
        QFETCH(bool, direct);
        addLine(clt(), 1);
        QVERIFY(ApplyMeisaiUpdates());
        bool applied = false, noTransaction = false;
        clt().OnAfterApplied = [&](DataSet &) { applied = true; };
        clt().OnAfterNoTransaction = [&](DataSet &) { noTransaction = true; };
        // One change edits the stored line, the others add lines.
        clt().first();
        clt().edit();
        clt()["KINGAKU"].setValue(QVariant::fromValue(Currency::fromDouble(2)));
        clt().post();
        for (int i = 1; i < lines; ++i)
            addLine(clt(), 10 + i);
        QCOMPARE(clt().changeCount(), lines);
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(applied, !direct);
        QCOMPARE(noTransaction, direct);
        QCOMPARE(clt().changeCount(), 0);
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Master WHERE DATANO > 0").toInt(), lines);
        QCOMPARE(db().scalar("SELECT KINGAKU FROM Master WHERE DATANO = 1").toDouble(), 2.0);
        QCOMPARE(db().scalar("SELECT MAX(DATANO) || '/' || MAX(GYONO) FROM Master").toString(),
                 QString("%1/%2").arg(lines).arg(lines));
        QCOMPARE(clt().recordCount(), lines);
        // A deletion on the direct path.
        clt().first();
        clt().remove();
        for (int i = 0; i < 256; ++i)
            addLine(clt(), 5);
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Master WHERE DATANO = 1").toInt(), 0);
    }

    // A failure while the journal rows are written undoes the numbering, the new
    // master rows and the counters, and keeps the change log as the user left it.
    void failedSaveLeavesTheBookAsItWas_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("provider") << 3;
        QTest::newRow("direct") << 300;
    }
    void failedSaveLeavesTheBookAsItWas()
    {
        QFETCH(int, lines);
        db().exec("CREATE TRIGGER refuse BEFORE INSERT ON Master WHEN NEW.KINGAKU = 666 "
                  "BEGIN SELECT RAISE(ABORT, 'disk says no'); END");
        for (int i = 0; i < lines; ++i) {
            addLine(clt(), i == lines - 1 ? 666 : 10);
            clt().edit();
            clt()["HINMEICODE"].setValue(-1);
            clt()["HinmeiName"].setValue(QString("新品%1").arg(i));
            clt().post();
        }
        const QString before = bookState(db());
        const int changes = clt().changeCount();
        DialogQueue dialogs;
        bool reconcileAsked = false;
        if (changes >= MeisaiDirectWriteCount) {
            dialogs.answer(mrOk, "disk says no");
        } else {
            // The provider path puts the refused row to the user, who cancels.
            ModalForms::push([&](QDialog &d) {
                reconcileAsked = dynamic_cast<TReconcileErrorForm *>(&d) != nullptr;
                return int(mrCancel);
            });
        }
        QVERIFY(!ApplyMeisaiUpdates());
        QCOMPARE(reconcileAsked, changes < MeisaiDirectWriteCount);
        QVERIFY(dialogs.done());
        QCOMPARE(bookState(db()), before);
        QCOMPARE(clt().changeCount(), changes);
        clt().first();
        QCOMPARE(clt()["DATANO"].asInteger(), 0);
        QCOMPARE(clt()["HINMEICODE"].asInteger(), -1);
        // Mended, the same log saves.
        db().exec("DROP TRIGGER refuse");
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Master WHERE DATANO > 0").toInt(), lines);
        QCOMPARE(db().scalar("SELECT MIN(DATANO) FROM Master WHERE DATANO > 0").toInt(), 1);
    }

    // A book another process holds for writing: the save fails with the engine's
    // error and the lines stay as the user left them, unnumbered.
    void busyBookKeepsTheLog()
    {
        addLine(clt(), 40);
        db().setBusyTimeout(0);
        Database other;
        other.open(folder + "/PomuZenitData.db");
        other.begin(Database::TransactionMode::Immediate);
        bool failed = false;
        try {
            ApplyMeisaiUpdates();
        } catch (const std::exception &) {
            failed = true;
        }
        other.rollback();
        QVERIFY(failed);
        QCOMPARE(clt().CltBusyState, 0);
        QCOMPARE(clt().changeCount(), 1);
        QCOMPARE(clt()["DATANO"].asInteger(), 0);
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Master WHERE KINGAKU = 40").toInt(), 1);
    }

    // The commit at the very end is refused (another process is reading the
    // book): the lines written inside the save stay pending, the user is told
    // why in Japanese, and the next save stores each line once.
    void failedCommitKeepsEveryLine()
    {
        for (int i = 0; i < 3; ++i) {
            addLine(clt(), 10 + i);
            clt().edit();
            clt()["HINMEICODE"].setValue(-1);
            clt()["HinmeiName"].setValue(QString("新品%1").arg(i));
            clt().post();
        }
        const QString before = bookRows(db());
        const int changes = clt().changeCount();
        db().setBusyTimeout(100);
        Database reader;
        reader.open(folder + "/PomuZenitData.db");
        reader.begin();
        reader.scalar("SELECT COUNT(*) FROM Master");
        QString message;
        try {
            ApplyMeisaiUpdates();
        } catch (const std::exception &e) {
            message = QString::fromUtf8(e.what());
        }
        reader.rollback();
        QVERIFY2(message.startsWith("家計簿はほかのプログラムが使用中です。"), qPrintable(message));
        QVERIFY(message.contains("database is locked"));
        QCOMPARE(bookRows(db()), before);
        QCOMPARE(clt().changeCount(), changes);
        for (clt().first(); !clt().eof(); clt().next()) {
            QCOMPARE(clt().updateStatus(), UpdateStatus::Inserted);
            QCOMPARE(clt()["DATANO"].asInteger(), 0);
            QCOMPARE(clt()["HINMEICODE"].asInteger(), -1);
        }
        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(clt().changeCount(), 0);
        QCOMPARE(db().scalar("SELECT group_concat(DATANO || ':' || KINGAKU, ',') FROM "
                             "(SELECT * FROM Master WHERE DATANO > 0 ORDER BY DATANO)").toString(),
                 QString("1:10.0,2:11.0,3:12.0"));
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM HinmeiMast WHERE NAME LIKE '新品%'").toInt(), 3);
        QCOMPARE(db().scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'master.db'").toInt(), 3);
    }

    // The engine gives the whole transaction up in the middle of a save (as it
    // does when the disk fills): nothing of the save may go on outside it. The
    // book stays as it was, the log as the user made it, and the retry stores
    // every line once, with the counters at the highest numbers used.
    void abandonedTransactionEndsTheSave_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("trigger");
        const QString counter = "BEFORE UPDATE ON AutoInc WHEN NEW.NAME = 'master.db' AND NEW.MAXNO = %1";
        const QString insert = "BEFORE INSERT ON Master WHEN NEW.DATANO = %1";
        QTest::newRow("provider, counter") << 3 << counter.arg(3);
        QTest::newRow("provider, line") << 3 << insert.arg(2);
        QTest::newRow("direct, counter") << 300 << counter.arg(150);
        QTest::newRow("direct, line") << 300 << insert.arg(150);
    }
    void abandonedTransactionEndsTheSave()
    {
        QFETCH(int, lines);
        QFETCH(QString, trigger);
        // Fires once: the engine then rolls back everything the save did.
        static int shots = 0;
        shots = 1;
        sqlite3_create_function(
            db().handle(), "fire_once", 0, SQLITE_UTF8, nullptr,
            [](sqlite3_context *ctx, int, sqlite3_value **) { sqlite3_result_int(ctx, shots-- > 0 ? 1 : 0); },
            nullptr, nullptr);
        db().exec("CREATE TEMP TRIGGER give_up " + trigger
                  + " AND fire_once() BEGIN SELECT RAISE(ROLLBACK, 'disk I/O error'); END");
        for (int i = 0; i < lines; ++i) {
            addLine(clt(), 10 + i);
            if (i % 7 == 0) {
                clt().edit();
                clt()["HINMEICODE"].setValue(-1);
                clt()["HinmeiName"].setValue(QString("新品%1").arg(i));
                clt().post();
            }
        }
        const QString before = bookRows(db());
        const int changes = clt().changeCount();
        DialogQueue dialogs;
        if (lines >= MeisaiDirectWriteCount && trigger.contains("INSERT"))
            dialogs.answer(mrOk, "disk I/O error");
        bool saved = true;
        try {
            saved = ApplyMeisaiUpdates();
        } catch (const std::exception &) {
            saved = false;
        }
        QVERIFY(!saved);
        QVERIFY(dialogs.done());
        QCOMPARE(shots, 0);
        QCOMPARE(bookRows(db()), before);
        QCOMPARE(clt().changeCount(), changes);

        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(clt().changeCount(), 0);
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Master WHERE DATANO > 0").toInt(), lines);
        QCOMPARE(db().scalar("SELECT COUNT(DISTINCT KINGAKU) FROM Master WHERE DATANO > 0").toInt(), lines);
        QCOMPARE(db().scalar("SELECT MAX(DATANO) FROM Master").toInt(), lines);
        QCOMPARE(db().scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'master.db'").toInt(), lines);
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM HinmeiMast WHERE NAME LIKE '新品%'").toInt(), (lines + 6) / 7);
        QCOMPARE(db().scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'hinmeimast.db'").toInt(),
                 db().scalar("SELECT MAX(CODE) FROM HinmeiMast").toInt());
    }

    // The disk fills in the middle of a large save (a file-size limit stands in
    // for a full disk): the save ends with the user told why, the book and the
    // log stay as they were, and once there is room the retry stores each line
    // once.
    void fullDiskSaveStoresEachLineOnce()
    {
        for (int i = 0; i < 300; ++i) {
            addLine(clt(), 10 + i);
            if (i % 7 == 0) {
                clt().edit();
                clt()["HINMEICODE"].setValue(-1);
                clt()["HinmeiName"].setValue(QString("新品%1").arg(i));
                clt().post();
            }
        }
        const QString before = bookRows(db());
        const int changes = clt().changeCount();
        const qint64 bookSize = QFileInfo(folder + "/PomuZenitData.db").size();
        rlimit old{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit full = old;
        full.rlim_cur = rlim_t(bookSize);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
        DialogQueue dialogs;
        dialogs.answer(mrOk);
        bool saved = true;
        QString thrown;
        try {
            saved = ApplyMeisaiUpdates();
        } catch (const std::exception &e) {
            saved = false;
            thrown = QString::fromUtf8(e.what());
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, oldHandler);
        QVERIFY(!saved);
        QVERIFY2(thrown.isEmpty(), qPrintable(thrown));
        QVERIFY(dialogs.done());
        // The engine says a write failed or the disk is full, by the file system.
        const QString told = dialogs.shownTexts().value(0);
        QVERIFY2(told.startsWith("家計簿のデータベースを読み書きできませんでした。")
                     || told.startsWith("ディスクの空きが足りないため、家計簿に書き込めませんでした。"),
                 qPrintable(told));
        QCOMPARE(bookRows(db()), before);
        QCOMPARE(clt().changeCount(), changes);

        QVERIFY(ApplyMeisaiUpdates());
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM Master WHERE DATANO > 0").toInt(), 300);
        QCOMPARE(db().scalar("SELECT COUNT(DISTINCT KINGAKU) FROM Master WHERE DATANO > 0").toInt(), 300);
        QCOMPARE(db().scalar("SELECT MAXNO FROM AutoInc WHERE NAME = 'master.db'").toInt(), 300);
        QCOMPARE(db().scalar("SELECT COUNT(*) FROM HinmeiMast WHERE NAME LIKE '新品%'").toInt(), 43);
    }

    void conflictReachesTheReconcileHandler()
    {
        addLine(clt(), 100);
        QVERIFY(ApplyMeisaiUpdates());
        clt().close();
        clt().open();
        {
            Database other;
            other.open(folder + "/PomuZenitData.db");
            other.exec("UPDATE Master SET KINGAKU = 999 WHERE DATANO = 1");
        }
        clt().first();
        clt().edit();
        clt()["KINGAKU"].setValue(QVariant::fromValue(Currency::fromDouble(150)));
        clt().post();
        QList<bool> seen;
        clt().OnReconcileError = [&](ClientDataSet &ds, UpdateKind kind, const ReconcileError &e) {
            seen << (e.conflict && ds.fieldByName("KINGAKU")->hasCurValue() && !ds.fieldByName("DATANO")->hasCurValue());
            return e.conflict && kind == UpdateKind::Modify ? ReconcileAction::Skip : ReconcileAction::Abort;
        };
        QVERIFY(!ApplyMeisaiUpdates());   // nothing was applied: the log stays
        QCOMPARE(seen, QList<bool>{true});
        QCOMPARE(clt().changeCount(), 1);
        QCOMPARE(db().scalar("SELECT KINGAKU FROM Master WHERE DATANO = 1").toDouble(), 999.0);
    }

    void killedSaveLeavesTheBookAsItWas()
    {
        addLine(clt(), 1);
        QVERIFY(ApplyMeisaiUpdates());
        const QString before = bookState(db());
        dm.reset();
        const QString signal = env->path("inside");
        QProcess child;
        QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
        pe.insert("MEISAISAVE_CHILD_BOOK", folder);
        pe.insert("MEISAISAVE_CHILD_SIGNAL", signal);
        child.setProcessEnvironment(pe);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(signal) || child.state() == QProcess::NotRunning, 60000);
        QVERIFY2(QFile::exists(signal), "the child ended before it was inside the save");
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        Database db;
        db.open(folder + "/PomuZenitData.db");
        QCOMPARE(db.scalar("PRAGMA quick_check").toString(), QString("ok"));
        QCOMPARE(bookState(db), before);
        db.close();
        dm = std::make_unique<TDatMod>();
        QVERIFY(openBook(*dm, folder));
        QCOMPARE(clt().recordCount(), 1);
    }
};

namespace {

int rowsWritten = 0;
QString signalFile;

// Called by the engine for every row written; after many journal rows the save
// is well inside its transaction: say so and wait to be killed.
void onRowWritten(void *, int, const char *, const char *table, sqlite3_int64)
{
    if (qstrcmp(table, "Master") != 0 || ++rowsWritten != 1500)
        return;
    QFile f(signalFile);
    f.open(QIODevice::WriteOnly);
    f.close();
    for (;;)
        QThread::msleep(100);
}

// The child's part of the killed-save test: a large save on the book it is given.
int runChild()
{
    signalFile = qEnvironmentVariable("MEISAISAVE_CHILD_SIGNAL");
    TDatMod dm;
    if (!TestMeisaiSave::openBook(dm, qEnvironmentVariable("MEISAISAVE_CHILD_BOOK")))
        return 2;
    for (int i = 0; i < 3000; ++i) {
        TestMeisaiSave::addLine(*dm.MeisaiClt, 10 + i);
        dm.MeisaiClt->edit();
        (*dm.MeisaiClt)["HINMEICODE"].setValue(-1);
        (*dm.MeisaiClt)["HinmeiName"].setValue(QString("品%1").arg(i % 50));
        dm.MeisaiClt->post();
    }
    sqlite3_update_hook(dm.MainDatabase.handle(), onRowWritten, nullptr);
    ApplyMeisaiUpdates();
    return 3;   // not reached: the parent kills the save
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("MEISAISAVE_CHILD_BOOK"))
        return runChild();
    TestMeisaiSave test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_meisaisave.moc"
