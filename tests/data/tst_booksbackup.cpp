#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BackUp.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModBackUp.h"
#include "data/DatModLock.h"
#include "data/FormBackUp.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// Backing up the open book and restoring archives through the backup form:
// the archive's book name, the file name remembered, the safety copy of a
// replaced book and its return when the restore fails, lost books, new names.
class TestBooksBackUp : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

private:
    bool openBook(const QString &name)
    {
        QString folder = BookFolder(name);
        return dm->OpenBook(name, folder);
    }
    static int memoRows(const QString &folder)
    {
        Database db;
        db.open(folder + "/PomuZenitData.db");
        return db.scalar("SELECT COUNT(*) FROM Memo").toInt();
    }
    static void addMemo(const QString &folder, int dataNo)
    {
        Database db;
        db.open(folder + "/PomuZenitData.db");
        db.exec(QString("INSERT INTO Memo (DATANO, RECDATE, MEMO) VALUES (%1, '2024-05-01', 'x')").arg(dataNo));
    }
    static QString archiveName(const QString &archive)
    {
        // Restoring into a scratch folder with a handler that stops tells the name.
        TBackUp r;
        r.BackUpFileName = archive;
        r.DataKind = BookArchiveKind;
        r.RestoreDir = QDir::tempPath();
        QString seen;
        r.OnBeforeWriteRestore = [&seen](const QString &, QString &name, bool &go) {
            seen = name;
            go = false;
        };
        r.Restore();
        return seen;
    }
    // Makes an archive of a book and closes it again.
    QString archiveOf(const QString &name, const QString &file)
    {
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"終了しました。"_s);
        if (!openBook(name) || !BackUpBook(file, false))
            return QString();
        dm->CloseAndBackUp(false);
        return file;
    }
    void runForm(bool backUpMode, const QString &file)
    {
        TFormBackUp form;
        form.BackUpMode = backUpMode;
        ModalForms::push([file](QDialog &d) {
            auto &f = dynamic_cast<TFormBackUp &>(d);
            f.LbEditFileName->setText(file);
            f.ClrBtnExecuteClick();
            return f.result();
        });
        form.showModal();
    }

    // Every row of every table of the book, in row order; the engine's error
    // when the book cannot be read whole.
    static QString bookDump(const QString &folder)
    {
        try {
            Database db;
            db.open(folder + "/PomuZenitData.db");
            QStringList out;
            Statement tables(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
            while (tables.next()) {
                Statement rows(db, QString("SELECT * FROM \"%1\" ORDER BY rowid").arg(tables.textValue(0)));
                out << tables.textValue(0);
                while (rows.next()) {
                    QStringList cells;
                    for (int c = 0; c < rows.columnCount(); ++c)
                        cells << rows.value(c).toString();
                    out << cells.join('|');
                }
            }
            out << db.scalar("PRAGMA quick_check").toString();
            return out.join('\n');
        } catch (const EDatabaseError &e) {
            return e.message();
        }
    }
    // Whether the archive holds a book that passes the integrity check.
    bool archiveIsSound(const QString &archive)
    {
        const QString scratch = env->path("scratch");
        QDir(scratch).removeRecursively();
        QDir().mkpath(scratch);
        TBackUp r;
        r.BackUpFileName = archive;
        r.DataKind = BookArchiveKind;
        r.RestoreDir = scratch;
        r.CheckOverWrite = false;
        r.isRemovableDrive = [](const QString &) { return false; };
        r.onMessage = [](TBackUp::MessageKind, TBackUp::Buttons, const QString &) { return false; };
        return r.Restore() && bookDump(scratch).endsWith("\nok");
    }
    // Overwrites everything after the first page (the schema) with a pattern:
    // the book lists its tables but cannot read any of them.
    static void damageBook(const QString &folder)
    {
        QFile f(folder + "/PomuZenitData.db");
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 size = f.size();
        QVERIFY(size > 8192);
        QVERIFY(f.seek(4096));
        QCOMPARE(f.write(QByteArray(size - 4096, char(0xAA))), size - 4096);
    }
    // A writer killed in the middle of a large transaction: its journal is left
    // hot beside a book file it had half written.
    static void killWriterMidTransaction(const QString &folder)
    {
        const QByteArray path = QFile::encodeName(folder + "/PomuZenitData.db");
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            sqlite3 *db = nullptr;
            sqlite3_open(path.constData(), &db);
            // A tiny cache makes the engine write changed pages into the book
            // file long before the commit, its journal synced first.
            const int rc = sqlite3_exec(db,
                                        "PRAGMA cache_size = 2; BEGIN;"
                                        "UPDATE Memo SET MEMO = MEMO || 'changed by the killed writer';"
                                        "UPDATE Himoku SET NAME = NAME || 'x';"
                                        "UPDATE HinmeiMast SET NAME = NAME || 'x';",
                                        nullptr, nullptr, nullptr);
            const char done = rc == SQLITE_OK ? 'y' : 'n';
            if (::write(ready[1], &done, 1) != 1)
                ::_exit(2);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char done = 0;
        QCOMPARE(::read(ready[0], &done, 1), ssize_t(1));
        ::close(ready[0]);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        QCOMPARE(done, 'y');
        QVERIFY(QFileInfo(folder + "/PomuZenitData.db-journal").size() > 0);
    }

private slots:
    void init() { openPlace(); }
    void cleanup() { closePlace(); }

    void backUpThroughTheForm()
    {
        makeBook(u"家計簿1"_s);
        QVERIFY(openBook(u"家計簿1"_s));
        // Another book marked current must not label the archive.
        RegIni->WriteStringAndUpdate("CurrentFolders", "Current", u"他の本"_s);

        TFormBackUp form;
        form.BackUpMode = true;
        form.FormShow();
        QCOMPARE(form.windowTitle(), u"バックアップ"_s);
        QVERIFY(form.LbEditFileName->text().endsWith(u"/家計簿1.pbk"_s));

        const QString typed = env->path("out/save.dat");
        QDir().mkpath(env->path("out"));
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"終了しました。"_s);
        runForm(true, typed);
        QVERIFY(dialogs.done());
        const QString written = env->path("out/save.pbk");
        QVERIFY(QFile::exists(written));
        QVERIFY(!QFile::exists(typed));
        QVERIFY(dm->DataOpen);
        QCOMPARE(archiveName(written), u"家計簿1"_s);
        QCOMPARE(RegIni->readString("BackUp", "BackUpFileName", QString()), written);
        QCOMPARE(DataIni->readString("BackUp", "BackUpFileName", QString()), written);
    }

    void failedBackUpKeepsTheBookOpenAndTheFormerName()
    {
        makeBook(u"家計簿1"_s);
        QVERIFY(openBook(u"家計簿1"_s));
        const QString former = env->path("former.pbk");
        DataIni->WriteStringAndUpdate("BackUp", "BackUpFileName", former);

        // A folder that cannot be made: a file stands where it would go.
        QFile blocker(env->path("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        DialogQueue dialogs;
        dialogs.answer(mrYes, u"バックアップ先のフォルダを作成しますか？"_s);
        runForm(true, env->path("blocker/sub/book.pbk"));
        QVERIFY(dialogs.done());
        QVERIFY(dm->DataOpen);
        QCOMPARE(DataIni->readString("BackUp", "BackUpFileName", QString()), former);
        QCOMPARE(RegIni->readString("BackUp", "BackUpFileName", QString()), former);
    }

    void restoreOverARegisteredBookKeepsASafetyCopy()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        const QString archive = archiveOf(u"家計簿1"_s, env->path("b.pbk"));
        QVERIFY(!archive.isEmpty());
        addMemo(folder, 5); // written after the backup: the restore takes it away
        QVERIFY(openBook(u"家計簿1"_s));

        DialogQueue dialogs;
        dialogs.answer(mrYes, u"現在の 家計簿1と置き換えていいですか？"_s)
            .answer(mrYes, u"上書きしますか？"_s)
            .answer(mrOk, u"終了しました。"_s);
        TFormBackUp form;
        form.BackUpMode = false;
        ModalForms::push([archive](QDialog &d) {
            auto &f = dynamic_cast<TFormBackUp &>(d);
            f.LbEditFileName->setText(archive);
            f.ClrBtnExecuteClick();
            return f.result();
        });
        form.showModal();
        QVERIFY(dialogs.done());
        QCOMPARE(form.windowTitle(), u"バックアップファイルの復元"_s);
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"家計簿1"_s);
        QCOMPARE(memoRows(folder), 0);
        // The safety copy is a sibling named with the time, holding the replaced book.
        QVERIFY(form.SafetyCopyFolder.startsWith(folder));
        QCOMPARE(form.SafetyCopyFolder.size(), folder.size() + 14);
        QCOMPARE(memoRows(form.SafetyCopyFolder), 1);
        QVERIFY(!form.RestoredToNewFolder);
        QCOMPARE(DataIni->readString("BackUp", "BackUpFileName", QString()), archive);
    }

    // A crash left the replaced book's journal behind: the restore takes it
    // away after the safety copy has it, so the restored book opens exactly
    // as archived instead of having the old journal played over it.
    void restoreIsNotPlayedOverByAStaleJournal()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        addMemo(folder, 5);
        const QString archive = archiveOf(u"家計簿1"_s, env->path("b.pbk"));
        QVERIFY(!archive.isEmpty());
        const QString archived = bookDump(folder);
        QVERIFY(archived.endsWith("\nok"));
        for (int n = 10; n < 400; ++n)
            addMemo(folder, n);
        killWriterMidTransaction(folder);

        DialogQueue dialogs;
        dialogs.answer(mrYes, u"現在の 家計簿1と置き換えていいですか？"_s)
            .answer(mrYes, u"上書きしますか？"_s)
            .answer(mrOk, u"終了しました。"_s);
        TFormBackUp form;
        form.BackUpMode = false;
        form.LbEditFileName->setText(archive);
        QVERIFY(form.DoRestore());
        QVERIFY(dialogs.done());
        QVERIFY(!QFileInfo::exists(folder + "/PomuZenitData.db-journal"));
        QVERIFY(QFileInfo(form.SafetyCopyFolder + "/PomuZenitData.db-journal").size() > 0);
        QVERIFY(dm->DataOpen);
        dm->CloseAndBackUp(false);
        QCOMPARE(bookDump(folder), archived);
    }

    // An archive whose book is damaged is not reported restored: the replaced
    // book comes back from the safety copy.
    void damagedRestoredBookIsRefused()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        const QString archive = env->path("bad.pbk");
        {
            const QString bad = env->path("bad");
            QDir().mkpath(bad);
            for (const QString &file : {QString("PomuZenitData.ini"), QString("PomuZenitData.db")})
                QVERIFY(QFile::copy(folder + "/" + file, bad + "/" + file));
            damageBook(bad);
            QVERIFY(WriteBookArchive(archive, bad, u"家計簿1"_s));
        }
        addMemo(folder, 5);
        const QString before = bookDump(folder);
        DialogQueue dialogs;
        dialogs.answer(mrYes, u"現在の 家計簿1と置き換えていいですか？"_s)
            .answer(mrYes, u"上書きしますか？"_s)
            .answer(mrOk, u"復元した家計簿のデータベースに問題があります。"_s)
            .answer(mrOk, u"キャンセルしました。"_s);
        TFormBackUp form;
        form.BackUpMode = false;
        form.LbEditFileName->setText(archive);
        QVERIFY(!form.DoRestore());
        QVERIFY(dialogs.done());
        QCOMPARE(bookDump(folder), before);
    }

    // A damaged book writes its automatic backup apart: however many sessions
    // it has, the good generations stay, and the lock file asks the next
    // opening for a check.
    void damagedBookNeverPushesGoodGenerationsOut()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        RegIni->WriteIntegerAndUpdate("BackUp", "AutoBackUpCount", 3);
        const QString backUps = place() + "/AutoBackUp/";
        for (int i = 0; i < 3; ++i) {
            DialogQueue dialogs;
            QVERIFY(openBook(u"家計簿1"_s));
            dm->CloseAndBackUp(true);
            QVERIFY(dialogs.done());
        }
        damageBook(folder);
        for (int i = 0; i < 4; ++i) {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"家計簿のデータベースが壊れています。"_s);
            QVERIFY(!openBook(u"家計簿1"_s));
            dm->CloseAndBackUp(true);
            QVERIFY(dialogs.done());
        }
        for (int n = 1; n <= 3; ++n)
            QVERIFY2(archiveIsSound(backUps + BackUpGenerationName(u"家計簿1"_s, n)), qPrintable(QString::number(n)));
        QVERIFY(!QFileInfo::exists(backUps + BackUpGenerationName(u"家計簿1"_s, 4)));
        const QString apart = backUps + DamagedBackUpName(u"家計簿1"_s);
        QVERIFY(QFileInfo::exists(apart));
        QVERIFY(!archiveIsSound(apart));
        QFile lock(folder + "/" + TDatModLock::fileName());
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(lock.readAll(), QByteArray("damaged\n"));
    }

    void failedRestoreBringsTheReplacedBookBack()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        const QString archive = archiveOf(u"家計簿1"_s, env->path("b.pbk"));
        addMemo(folder, 5);
        QVERIFY(openBook(u"家計簿1"_s));

        DialogQueue dialogs;
        dialogs.answer(mrYes, u"置き換えていいですか？"_s)
            .answer(mrNo, u"上書きしますか？"_s)
            .answer(mrOk, u"キャンセルしました。"_s);
        runForm(false, archive);
        QVERIFY(dialogs.done());
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"家計簿1"_s);
        QCOMPARE(memoRows(folder), 1);
    }

    void lostBookIsRestoredUnderItsOwnName()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        const QString archive = archiveOf(u"家計簿1"_s, env->path("b.pbk"));
        QVERIFY(QDir(folder).removeRecursively());

        DialogQueue dialogs;
        dialogs.answer(mrYes, u"現在の 家計簿1と置き換えていいですか？"_s).answer(mrOk, u"終了しました。"_s);
        runForm(false, archive);
        QVERIFY(dialogs.done());
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->DataFolder, folder);
        QCOMPARE(BookFolder(u"家計簿1"_s), folder);
    }

    void unregisteredArchiveBecomesANewBook()
    {
        makeBook(u"家計簿1"_s);
        const QString archive = archiveOf(u"家計簿1"_s, env->path("b.pbk"));
        UnregisterBook(u"家計簿1"_s);
        RegisterBook(u"取られた"_s, place() + "/x", false);
        QDir().mkpath(place() + "/既存");

        DialogQueue dialogs;
        dialogs.answer(mrYes, u"家計簿1は新規データベースです。登録しますか？"_s)
            .input(u"取られた"_s, u"データの名称を入力してください。"_s) // registered
            .input(u"既存"_s, u"この名称はすでに使われています。"_s)     // folder exists
            .input(u"a/b"_s, u"この名称はすでに使われています。"_s)      // no folder name
            .answer(mrOk, u"使えません"_s)
            .input(u"戻った本"_s)
            .answer(mrOk, u"終了しました。"_s);
        TFormBackUp form;
        form.BackUpMode = false;
        form.FormShow();
        form.LbEditFileName->setText(archive);
        QVERIFY(form.DoRestore());
        QVERIFY(dialogs.done());
        QVERIFY(form.RestoredToNewFolder);
        QCOMPARE(BookFolder(u"戻った本"_s), place() + "/戻った本");
        QCOMPARE(CurrentBookName(), u"戻った本"_s);
        QVERIFY(dm->DataOpen);
        QCOMPARE(dm->BookName, u"戻った本"_s);
        QVERIFY(!DataIni->valueExists("BackUp", "BackUpFileName"));
    }

    void answeringNoToReplaceAsksANewName()
    {
        const QString folder = makeBook(u"家計簿1"_s);
        const QString archive = archiveOf(u"家計簿1"_s, env->path("b.pbk"));
        addMemo(folder, 5);
        DialogQueue dialogs;
        dialogs.answer(mrNo, u"置き換えていいですか？"_s)
            .input(u"写し"_s, u"データの名称を入力してください。"_s)
            .answer(mrOk, u"終了しました。"_s);
        runForm(false, archive);
        QVERIFY(dialogs.done());
        QCOMPARE(dm->BookName, u"写し"_s);
        QCOMPARE(memoRows(folder), 1); // the registered book is untouched
        QCOMPARE(memoRows(place() + "/写し"), 0);
    }
};

QTEST_MAIN(TestBooksBackUp)
#include "tst_booksbackup.moc"
