#include <QDir>
#include <QFile>
#include <QtTest>

#include "TestEnv.h"
#include "data/DatModBackUp.h"
#include "data/DatModLock.h"

// Automatic backup generations and the book lock file: the two pieces of the
// data module that work on plain files.
class TestDatModBackUp : public QObject
{
    Q_OBJECT

private:
    static void writeText(const QString &path, const QByteArray &text)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    static QByteArray readText(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void rotation_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("before");   // contents of generations 1.. before
        QTest::addColumn<QStringList>("after");    // contents of generations 1.. after

        QTest::newRow("full set shifts, oldest dropped")
            << 3 << QStringList{"a", "b", "c"} << QStringList{"new", "a", "b", "<missing>"};
        QTest::newRow("one generation moves to two")
            << 3 << QStringList{"a"} << QStringList{"new", "a", "<missing>"};
        QTest::newRow("first backup") << 10 << QStringList{} << QStringList{"new", "<missing>"};
        QTest::newRow("count one keeps only the new") << 1 << QStringList{"a"} << QStringList{"new", "<missing>"};
        QTest::newRow("count zero writes nothing") << 0 << QStringList{"a"} << QStringList{"a", "<missing>"};
    }

    void rotation()
    {
        QFETCH(int, count);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        TestEnv env;
        const QString folder = env.path("AutoBackUp");
        QVERIFY(QDir().mkpath(folder));
        for (int i = 0; i < before.size(); ++i)
            writeText(folder + "/家計簿1_" + QString::number(i + 1) + ".pbk", before[i].toUtf8());
        // Another book's generations are never touched.
        writeText(folder + "/家計簿10_1.pbk", "other");

        QString error;
        const bool ok = WriteBackUpGeneration(folder, QStringLiteral("家計簿1"), count,
                                              [](const QString &file, QString *) {
                                                  QFile f(file);
                                                  return f.open(QIODevice::WriteOnly) && f.write("new") == 3;
                                              },
                                              &error);
        QVERIFY2(ok, qPrintable(error));
        for (int i = 0; i < after.size(); ++i)
            QCOMPARE(readText(folder + "/家計簿1_" + QString::number(i + 1) + ".pbk"), after[i].toUtf8());
        QCOMPARE(readText(folder + "/家計簿10_1.pbk"), QByteArray("other"));
        // Nothing half-written is left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(".part").size(), 0);
    }

    void failedWriteKeepsGenerations()
    {
        TestEnv env;
        const QString folder = env.path("AutoBackUp");
        QVERIFY(QDir().mkpath(folder));
        writeText(folder + "/B_1.pbk", "a");
        writeText(folder + "/B_2.pbk", "b");
        QString error;
        const bool ok = WriteBackUpGeneration(folder, "B", 2,
                                              [](const QString &file, QString *why) {
                                                  writeText(file, "half"); // a partial archive
                                                  *why = QStringLiteral("ディスクがいっぱいです");
                                                  return false;
                                              },
                                              &error);
        QVERIFY(!ok);
        QCOMPARE(error, QStringLiteral("ディスクがいっぱいです"));
        QCOMPARE(readText(folder + "/B_1.pbk"), QByteArray("a"));
        QCOMPARE(readText(folder + "/B_2.pbk"), QByteArray("b"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
    }

    void missingFolderIsCreated()
    {
        TestEnv env;
        const QString folder = env.path("a/b/AutoBackUp");
        QVERIFY(WriteBackUpGeneration(folder, "B", 5, [](const QString &file, QString *) {
            writeText(file, "x");
            return true;
        }));
        QCOMPARE(readText(folder + "/B_1.pbk"), QByteArray("x"));
    }

    void lockSharedAndExclusive()
    {
        TestEnv env;
        const QString book = env.path("book");
        QVERIFY(QDir().mkpath(book));
        TDatModLock first, second;
        QVERIFY(first.acquireShared(book));
        QVERIFY(QFile::exists(book + "/PomuZenitData.lck"));
        // Two openers share the book.
        QVERIFY(second.acquireShared(book));
        // Neither can repair while the other has it open, and both keep their share.
        QVERIFY(!first.tryExclusive());
        QVERIFY(first.isHeld());
        QVERIFY(!first.isExclusive());
        second.release();
        QVERIFY(first.tryExclusive());
        // While one repairs, a second opener cannot get exclusive access either.
        TDatModLock third;
        first.makeShared();
        QVERIFY(third.acquireShared(book));
        QVERIFY(!third.tryExclusive());
        first.release();
        QVERIFY(third.tryExclusive());
        third.release();
        // The lock file stays: it is never deleted while someone could lock it.
        QVERIFY(QFile::exists(book + "/PomuZenitData.lck"));
    }

    void lockInReadOnlyFolderFails()
    {
        TestEnv env;
        TDatModLock lock;
        QVERIFY(!lock.acquireShared(env.path("does/not/exist")));
        QVERIFY(!lock.isHeld());
    }
};

QTEST_GUILESS_MAIN(TestDatModBackUp)
#include "tst_datmodbackup.moc"
