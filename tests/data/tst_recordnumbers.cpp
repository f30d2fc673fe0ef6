#include <iostream>
#include <string>

#include <QtTest>

#include "BookFixture.h"
#include "TestEnv.h"
#include "data/BookSchema.h"
#include "data/RecordNumbers.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

namespace {

const char *const HelperFlag = "--take-numbers";

// The second process of the concurrency test: opens the book, waits for "go" on
// its input so that both processes start taking together, then takes count numbers
// and writes each one (or "x" for a failed take) on a line of its own.
int takeNumbersHelper(const QString &path, int count)
{
    Database db;
    db.open(path);
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    for (int i = 0; i < count; ++i) {
        try {
            std::cout << RecordNumbers::GetNewDataNo(db, u"Master.DB"_s) << '\n';
        } catch (const ERecordNumberError &) {
            std::cout << "x\n";
        }
    }
    std::cout.flush();
    return 0;
}

} // namespace

class TestRecordNumbers : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &m_db = m_book.db;

    int maxNo(const QString &name)
    {
        const QVariant v = m_db.scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = ?"_s, {name});
        return v.isValid() ? v.toInt() : -1;
    }

private slots:
    void init() { m_book.open(BookSchema::databaseFileName()); }
    void cleanup() { m_book.close(); }

    void counters()
    {
        // A counter with no row starts at 1 and gets its row.
        QCOMPARE(maxNo(u"master.db"_s), -1);
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"Master.DB"_s), 1);
        QCOMPARE(maxNo(u"master.db"_s), 1);
        // The name is taken in any case.
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"master.db"_s), 2);
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"MASTER.DB"_s), 3);
        // Counters are independent; the new book numbers user categories from 101.
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"Himoku.db"_s), 101);
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"receiptno"_s), 1);
        QCOMPARE(m_db.scalar(u"SELECT count(*) FROM AutoInc WHERE NAME = 'master.db'"_s).toInt(), 1);

        RecordNumbers::SetDataNo(m_db, u"Master.DB"_s, 500);
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"master.db"_s), 501);
        RecordNumbers::SetDataNo(m_db, u"DateList.db"_s, 7); // a missing row is made
        QCOMPARE(maxNo(u"datelist.db"_s), 7);
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"DateList.db"_s), 8);
    }

    // Taken inside the caller's transaction, a number goes with it.
    void insideCallerTransaction()
    {
        m_db.begin();
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"Master.DB"_s), 1);
        QVERIFY(m_db.inTransaction());
        m_db.rollback();
        QCOMPARE(maxNo(u"master.db"_s), -1);
        m_db.begin();
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"Master.DB"_s), 1);
        m_db.commit();
        QCOMPARE(maxNo(u"master.db"_s), 1);
    }

    void missingCounterTableIsAnEngineError()
    {
        m_db.exec(u"DROP TABLE AutoInc"_s);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, RecordNumbers::GetNewDataNo(m_db, u"Master.DB"_s));
    }

    // Another connection holds the book: every try fails, the caller gets the
    // fixed message after the tries, and nothing of the tries is left behind.
    void busyBookExhaustsTheTries()
    {
        RecordNumbers::SetDataNo(m_db, u"Master.DB"_s, 41);
        m_db.setBusyTimeout(1234);
        Database other;
        other.open(m_book.path);
        other.begin(Database::TransactionMode::Exclusive);

        QElapsedTimer timer;
        timer.start();
        try {
            RecordNumbers::GetNewDataNo(m_db, u"Master.DB"_s);
            QFAIL("a number was taken from a busy book");
        } catch (const ERecordNumberError &e) {
            QCOMPARE(e.message(), u"データ番号を取得できません"_s);
        }
        // 20 tries with 50 ms after each failed one but the last.
        QVERIFY(timer.elapsed() >= (RecordNumbers::Tries - 1) * RecordNumbers::RetryDelayMs);
        try {
            RecordNumbers::SetDataNo(m_db, u"Master.DB"_s, 90);
            QFAIL("a counter was set on a busy book");
        } catch (const ERecordNumberError &e) {
            QCOMPARE(e.message(), u"データ番号を設定できません"_s);
        }
        QVERIFY(!m_db.inTransaction());
        QCOMPARE(m_db.scalar(u"PRAGMA busy_timeout"_s).toInt(), 1234);

        other.rollback();
        QCOMPARE(RecordNumbers::GetNewDataNo(m_db, u"Master.DB"_s), 42);
    }

    // Two processes take numbers from one counter at the same time: no number is
    // given twice, and every number given is counted.
    void concurrentProcessesNeverShareANumber()
    {
        const int count = 300;
        QProcess helper;
        helper.start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(HelperFlag), m_book.path, QString::number(count)});
        QVERIFY(helper.waitForStarted());

        Database own;
        own.open(m_book.path);
        // Both start together: the helper has its book open and waits for "go".
        QTRY_VERIFY_WITH_TIMEOUT(helper.canReadLine() || helper.waitForReadyRead(100), 30000);
        QCOMPARE(helper.readLine().trimmed(), QByteArray("ready"));
        helper.write("go\n");
        QVERIFY(helper.waitForBytesWritten());
        QList<int> mine;
        for (int i = 0; i < count; ++i) {
            try {
                mine << RecordNumbers::GetNewDataNo(own, u"Master.DB"_s);
            } catch (const ERecordNumberError &) {
                // A try-out under heavy contention is allowed; a shared number is not.
            }
        }
        QVERIFY(helper.waitForFinished(120000));
        QCOMPARE(helper.exitCode(), 0);

        QList<int> theirs;
        for (const QByteArray &line : helper.readAllStandardOutput().split('\n')) {
            bool ok = false;
            const int n = line.trimmed().toInt(&ok);
            if (ok)
                theirs << n;
        }
        QVERIFY(!mine.isEmpty());
        QVERIFY(!theirs.isEmpty());
        QVERIFY(std::is_sorted(mine.begin(), mine.end()));
        QVERIFY(std::is_sorted(theirs.begin(), theirs.end()));

        QSet<int> all(mine.begin(), mine.end());
        for (int n : theirs)
            QVERIFY2(!all.contains(n), qPrintable(u"number %1 given twice"_s.arg(n)));
        all.unite(QSet<int>(theirs.begin(), theirs.end()));
        const int given = int(mine.size() + theirs.size());
        QCOMPARE(int(all.size()), given);
        QCOMPARE(maxNo(u"master.db"_s), given);
        QCOMPARE(*std::max_element(all.begin(), all.end()), given);
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], HelperFlag) == 0)
        return takeNumbersHelper(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    QCoreApplication app(argc, argv);
    TestRecordNumbers test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordnumbers.moc"
