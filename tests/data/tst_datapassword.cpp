#include <QDir>
#include <QFile>
#include <QtTest>

#include "BookFixture.h"
#include "TestEnv.h"
#include "data/BackUp.h"
#include "data/DataPassword.h"
#include "data/DatMod.h"
#include "data/MyRegistryIniFile.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/ui/DialogScript.h"
#include "platform/ui/Dialogs.h"

using Answer = DialogScript::Answer;
using Kind = DialogScript::Kind;

// The data password of a book made from the shipped template: set, changed and
// removed through the data module, the log-in, and a damaged or busy book told
// from a protected one.
class TestDataPassword : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TDatMod> dm;
    QStringList prompts;
    QStringList typed;

    QString makeBook(const QString &name)
    {
        const QString folder = env->path("books/" + name);
        QDir().mkpath(folder);
        if (!CreateBookFromTemplate(folder))
            return QString();
        // Lines with texts of their own, to look for in the file.
        Database db;
        db.open(folder + "/PomuZenitData.db");
        db.exec("INSERT INTO Master (DATANO, RECDATE, KINGAKU) VALUES (901, '2024-05-01', 1200)");
        db.exec("INSERT INTO Memo (DATANO, RECDATE, MEMO) VALUES (901, '2024-05-01', 'himitsu-no-memo')");
        return folder;
    }
    static QByteArray fileBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void expectMessage(int result, const QString &text)
    {
        DialogScript::push(Answer{Kind::Message, result, QString(), text});
    }
    void answerPasswords(const QStringList &answers)
    {
        typed = answers;
        prompts.clear();
    }
    bool open(const QString &folder)
    {
        QString f = folder;
        return dm->OpenBook("book", f);
    }
    int journalRows() const
    {
        return dm->MainDatabase.scalar("SELECT COUNT(*) FROM Master WHERE DATANO = 901").toInt();
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        dm = std::make_unique<TDatMod>();
        RegIni->WriteStringAndUpdate("CurrentFolders", "DataPlace", env->path("place"));
        dm->OnAskPassword = [this](const QString &prompt, QString &password) {
            prompts << prompt + (dm->PasswordMasked ? "" : " [shown]");
            if (typed.isEmpty())
                return false;
            password = typed.takeFirst();
            return password != "<cancel>";
        };
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

    // Set, change and remove: the prompts of each, the file at rest (no plain
    // header, no readable text while protected), the lines kept, and the
    // next log-in asking only for the password the book now has.
    void setChangeRemove_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("set") << QString() << QStringLiteral("abc123");
        QTest::newRow("change") << QStringLiteral("old1") << QStringLiteral("new2");
        QTest::newRow("remove") << QStringLiteral("old1") << QString();
    }
    void setChangeRemove()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        const QString folder = makeBook("b");
        const QString file = folder + "/PomuZenitData.db";
        if (!before.isEmpty())
            RewriteBookKey(file, QString(), before);

        answerPasswords(before.isEmpty() ? QStringList() : QStringList{before});
        QVERIFY(open(folder));
        QCOMPARE(journalRows(), 1);

        QStringList answers;
        if (!before.isEmpty())
            answers << before;
        answers << after << after;
        answerPasswords(answers);
        QVERIFY(dm->ChangeDataPassword());
        QStringList expected;
        if (!before.isEmpty())
            expected << "現在のパスワードを入力してください。";
        expected << "新しいパスワードを入力してください。\r半角英数だけです。（空欄で解除） [shown]"
                 << "もう一度新しいパスワードを入力してください。\r今回は * で隠します。";
        QCOMPARE(prompts, expected);
        QVERIFY(!dm->DataOpen);
        QVERIFY(!QFile::exists(file + ".new"));

        const QByteArray bytes = fileBytes(file);
        QCOMPARE(bytes.startsWith("SQLite format 3"), after.isEmpty());
        QCOMPARE(bytes.contains("himitsu-no-memo"), after.isEmpty());
        QCOMPARE(BookFileLooksKeyed(file), !after.isEmpty());

        // The session knows the new password: the log-in asks nothing.
        answerPasswords({});
        QVERIFY(dm->LoginAndOpen());
        QVERIFY(prompts.isEmpty());
        QCOMPARE(journalRows(), 1);
        dm->CloseAndBackUp(false);

        // After a log-out the password is asked, only when there is one.
        answerPasswords(after.isEmpty() ? QStringList() : QStringList{after});
        QVERIFY(open(folder));
        QCOMPARE(prompts.size(), after.isEmpty() ? 0 : 1);
        QCOMPARE(journalRows(), 1);
    }

    // Refusals change nothing: a wrong current password then cancel, a cancel
    // at either new entry, and two entries that differ.
    void refusedChangesKeepTheBook_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong current, cancel") << QStringList{"nope", "<cancel>"} << QString();
        QTest::newRow("cancel first entry") << QStringList{"key1", "<cancel>"} << QString();
        QTest::newRow("cancel second entry") << QStringList{"key1", "new", "<cancel>"} << QString();
        QTest::newRow("entries differ") << QStringList{"key1", "new", "neW"}
                                        << QStringLiteral("新しいパスワードが間違っています。\rもう一度最初から初めてください。");
    }
    void refusedChangesKeepTheBook()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, message);
        const QString folder = makeBook("b");
        const QString file = folder + "/PomuZenitData.db";
        RewriteBookKey(file, QString(), "key1");
        answerPasswords({"key1"});
        QVERIFY(open(folder));
        const QByteArray before = fileBytes(file);

        answerPasswords(answers);
        if (!message.isEmpty())
            expectMessage(mrOk, message);
        QVERIFY(!dm->ChangeDataPassword());
        QCOMPARE(fileBytes(file), before);
        answerPasswords({"key1"});
        QVERIFY(open(folder));
        QCOMPARE(journalRows(), 1);
    }

    // The log-in: the right password opens at once, a wrong one is asked
    // again with the changed prompt, a cancel ends the loop and says nothing.
    void logIn_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("asked");
        QTest::newRow("right") << QStringList{"pw"} << true << 1;
        QTest::newRow("wrong, then right") << QStringList{"bad", "pw"} << true << 2;
        QTest::newRow("wrong, then cancel") << QStringList{"bad", "<cancel>"} << false << 2;
        QTest::newRow("cancel") << QStringList{"<cancel>"} << false << 1;
    }
    void logIn()
    {
        QFETCH(QStringList, answers);
        QFETCH(bool, opens);
        QFETCH(int, asked);
        const QString folder = makeBook("b");
        RewriteBookKey(folder + "/PomuZenitData.db", QString(), "pw");
        answerPasswords(answers);
        QCOMPARE(open(folder), opens);
        QCOMPARE(prompts.size(), asked);
        QCOMPARE(prompts.first(), QStringLiteral("パスワードの入力 :"));
        if (asked > 1)
            QCOMPARE(prompts.at(1), QStringLiteral("パスワードが違います。もう一度 :"));
        QCOMPARE(dm->DataOpen, opens);
        QCOMPARE(dm->PasswordCancelled, !opens);
    }

    // A damaged book is said once with its message and asks no password.
    void damagedBookIsNotAskedAPassword_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("zeroed") << "zeroed";
        QTest::newRow("random bytes") << "random";
    }
    void damagedBookIsNotAskedAPassword()
    {
        QFETCH(QString, damage);
        const QString folder = makeBook("b");
        const QString file = folder + "/PomuZenitData.db";
        QByteArray bytes = fileBytes(file);
        if (damage == "truncated")
            bytes = bytes.left(bytes.size() / 3 + 100);
        else if (damage == "zeroed")
            bytes.fill('\0');
        else {
            QRandomGenerator rng(20);
            for (char &c : bytes)
                c = char(rng.bounded(256));
            bytes.chop(300);
        }
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();

        answerPasswords({"anything"});
        expectMessage(mrOk, "家計簿のデータベースが壊れています。");
        QVERIFY(!open(folder));
        QVERIFY(prompts.isEmpty());
        QVERIFY(!dm->DataOpen);
    }

    // Another process writing the book: said as busy, once, no password.
    void busyBookIsNotAskedAPassword()
    {
        const QString folder = makeBook("b");
        Database::setDefaultBusyTimeout(0);
        Database other;
        other.open(folder + "/PomuZenitData.db");
        other.exec("BEGIN EXCLUSIVE");
        answerPasswords({"anything"});
        expectMessage(mrOk, "使用中");
        QVERIFY(!open(folder));
        other.exec("ROLLBACK");
        Database::setDefaultBusyTimeout(5000);
        QVERIFY(prompts.isEmpty());
        QVERIFY(!dm->DataOpen);
    }

    // The archive carries the encrypted file as it is: restored elsewhere it
    // is still encrypted and opens with its password.
    void protectedBookBackUpRestores()
    {
        const QString folder = makeBook("b");
        const QString file = folder + "/PomuZenitData.db";
        RewriteBookKey(file, QString(), "pw");
        TBackUp b;
        b.NoMessage = true;
        b.BackUpFileName = env->path("archive/b.pbk");
        QDir().mkpath(env->path("archive"));
        b.FileList() << file << folder + "/PomuZenitData.ini";
        b.onMessage = [](TBackUp::MessageKind, TBackUp::Buttons, const QString &) { return true; };
        QVERIFY(b.BackUp());

        TBackUp r;
        r.NoMessage = true;
        r.onMessage = [](TBackUp::MessageKind, TBackUp::Buttons, const QString &) { return true; };
        r.BackUpFileName = b.BackUpFileName;
        r.RestoreDir = env->path("restored");
        QVERIFY(r.Restore());
        QCOMPARE(fileBytes(r.RestoreDir + "/PomuZenitData.db"), fileBytes(file));

        answerPasswords({"pw"});
        QVERIFY(open(r.RestoreDir));
        QCOMPARE(journalRows(), 1);
    }
};

QTEST_MAIN(TestDataPassword)
#include "tst_datapassword.moc"
