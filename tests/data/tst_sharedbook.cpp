#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "data/DatMod.h"
#include "data/DatModLock.h"
#include "data/MyMemIniFile.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// A book shared with another process: its commits and its lock file hold the
// book for a while, and that must read as a busy book, never as a closed,
// protected or lost one, and never as a wait without end.
class TestSharedBook : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

private:
    QString folder;

    QString databasePath() const { return folder + "/PomuZenitData.db"; }

    // Another process writing: holds the book exclusively until it commits a
    // moment after it said it has the book. Joined however the test ends.
    struct Writer
    {
        std::thread thread;
        ~Writer()
        {
            if (thread.joinable())
                thread.join();
        }
        void join() { thread.join(); }
    };
    Writer holdBookWhileWriting(QSemaphore &holding)
    {
        const QString path = databasePath();
        return Writer{std::thread([path, &holding] {
            Database other;
            other.open(path);
            other.begin(Database::TransactionMode::Exclusive);
            other.exec("INSERT INTO Memo (DATANO, RECDATE, MEMO) VALUES (77, '2024-05-01', 'other')");
            holding.release();
            QThread::msleep(300);
            other.commit();
        })};
    }

private slots:
    void init()
    {
        openPlace();
        folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
    }
    void cleanup()
    {
        TDatModLock::setWaitMs(5000);
        closePlace();
    }

    // The table flush after a good save meets another process's commit: it
    // waits for it, and the book stays open with the other's row in view.
    void anotherCommitDoesNotCloseTheBook()
    {
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        DialogQueue dialogs;
        QSemaphore holding;
        Writer other = holdBookWhileWriting(holding);
        holding.acquire();
        dm->DataChanged = true;
        CommitDataChanges();
        other.join();
        QVERIFY(dialogs.done());
        QVERIFY(dm->DataOpen);
        QVERIFY(DataIni);
        QVERIFY(!dm->DataChanged);
        QCOMPARE(dm->MainDatabase.scalar("SELECT MEMO FROM Memo WHERE DATANO = 77").toString(), u"other"_s);
    }

    // Opening while another process writes: the book has no data password, and
    // none is asked for; the opening waits and succeeds.
    void busyBookIsNotTakenForAProtectedOne()
    {
        bool asked = false;
        dm->OnAskPassword = [&asked](const QString &, QString &) {
            asked = true;
            return false;
        };
        DialogQueue dialogs;
        QSemaphore holding;
        Writer other = holdBookWhileWriting(holding);
        holding.acquire();
        QString f = folder;
        const bool opened = dm->OpenBook(u"家計簿"_s, f);
        other.join();
        QVERIFY(!asked);
        QVERIFY(opened);
        QVERIFY(dm->DataOpen);
        QVERIFY(dialogs.done());
    }

    // A process holds the lock file exclusively and does not let go: the
    // opening gives up after its wait and says the book is in use; once the
    // lock is free the book opens.
    void heldLockFileEndsTheWait()
    {
        TDatModLock::setWaitMs(200);
        const QByteArray lockPath = QFile::encodeName(folder + "/" + TDatModLock::fileName());
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX), 0);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"家計簿はほかのプログラムが使用中のため開けません。"_s);
            QString f = folder;
            QVERIFY(!dm->OpenBook(u"家計簿"_s, f));
            QVERIFY(dialogs.done());
            QCOMPARE(dialogs.shownTexts().size(), 1);
            QVERIFY(dialogs.shownTexts().first().startsWith(u"家計簿はほかのプログラムが使用中のため開けません。"_s));
            QVERIFY(!dm->DataOpen);
        }
        ::close(fd);
        DialogQueue dialogs;
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        QVERIFY(dm->DataOpen);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestSharedBook)
#include "tst_sharedbook.moc"
