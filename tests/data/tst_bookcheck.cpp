#include <QtTest>

#include "TestEnv.h"
#include "data/BookCheck.h"
#include "data/BookFolders.h"
#include "platform/db/Database.h"

// The check after an unclean end on its own connection: it reads a book made
// from the template and finds it sound, finds a damaged index, and refuses a
// key that does not open the book with the engine's error rather than calling
// the book sound.
class TestBookCheck : public QObject
{
    Q_OBJECT

private slots:
    void soundDamagedAndLocked()
    {
        TestEnv env;
        const QString folder = env.path(QStringLiteral("book"));
        QDir().mkpath(folder);
        QVERIFY(CreateBookFromTemplate(folder));
        const QString path = folder + QStringLiteral("/PomuZenitData.db");
        qint64 root = 0, pageSize = 0;
        {
            Database db;
            db.open(path);
            db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                   "INSERT INTO Master (DATANO, RECDATE, KINGAKU) "
                                   "SELECT i, date('2024-01-01', '+' || (i % 300) || ' days'), i FROM n"));
            root = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Master_RECDATE'"))
                       .toLongLong();
            pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        }
        QCOMPARE(CheckBookIntegrity(path, QString()), QStringList{QStringLiteral("ok")});

        bool refused = false;
        try {
            CheckBookIntegrity(path, QStringLiteral("not the key"));
        } catch (const EDatabaseError &) {
            refused = true;
        }
        QVERIFY(refused);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek((root - 1) * pageSize + 20));
        file.write(QByteArray(200, char(0xff)));
        file.close();
        const QStringList problems = CheckBookIntegrity(path, QString());
        QVERIFY(!problems.isEmpty());
        QVERIFY(problems != QStringList{QStringLiteral("ok")});
    }

    // A book of many megabytes: the check waits for the sweep that reads the
    // file ahead of it, and still ends and reads the right bytes, so a page
    // damaged at the far end of the file is found.
    void damageAtTheEndOfALargeBook()
    {
        TestEnv env;
        const QString folder = env.path(QStringLiteral("book"));
        QDir().mkpath(folder);
        QVERIFY(CreateBookFromTemplate(folder));
        const QString path = folder + QStringLiteral("/PomuZenitData.db");
        qint64 pageSize = 0;
        {
            Database db;
            db.open(path);
            db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120000) "
                                   "INSERT INTO Master (DATANO, RECDATE, KINGAKU) "
                                   "SELECT i, date('2004-01-01', '+' || (i % 7000) || ' days'), i FROM n"));
            pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        }
        const qint64 size = QFileInfo(path).size();
        QVERIFY2(size > 4 * (1 << 20), qPrintable(QString::number(size)));
        QCOMPARE(CheckBookIntegrity(path, QString()), QStringList{QStringLiteral("ok")});

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(size - pageSize));
        file.write(QByteArray(8, char(0xff)));
        file.close();
        const QStringList problems = CheckBookIntegrity(path, QString());
        QVERIFY(!problems.isEmpty());
        QVERIFY(problems != QStringList{QStringLiteral("ok")});
    }
};

QTEST_MAIN(TestBookCheck)
#include "tst_bookcheck.moc"
