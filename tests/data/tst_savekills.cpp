#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "data/DatMod.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "data/MyRegistryIniFile.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Database.h"
#include "platform/ui/DialogScript.h"

using namespace Qt::StringLiterals;

namespace {

// Lines per saved batch, by batch number: the provider path, a slip's worth,
// and the direct path of large saves.
constexpr int BatchSizes[] = {1, 3, 40, 270};
int batchSize(int batch)
{
    return BatchSizes[batch % 4];
}

// The line amounts tell their batch and their place in it: batch * 1000 + line.
void addLine(ClientDataSet &c, int batch, int line)
{
    c.last();
    c.next();
    c.append();
    c["DATANO"].setValue(0);
    c["RECDATE"].setValue(QDate(2024, 5, 1 + line % 28));
    c["KINGAKU"].setValue(QVariant::fromValue(Currency::fromDouble(batch * 1000 + line)));
    c["QUANTITY"].setValue(1.0);
    c["KARICODE"].setValue(107);   // 食費 of the template
    c["KASICODE"].setValue(100);   // 現金
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
    if (line % 9 == 0) {
        // A new item name: its master row and counter belong to the save too.
        c["HINMEICODE"].setValue(-1);
        c["HinmeiName"].setValue(u"品"_s + QString::number(batch) + u"-"_s + QString::number(line));
    }
    c.post();
}

void emptyLines(TMeisaiClientDataSet &c)
{
    c.close();
    c.setCommandText(u"SELECT * FROM MASTER.DB WHERE DATANO < 0"_s);
    c.open();
}

// The child's work: open the book through the data module and save batch
// after batch until it is killed. Reports each started save on the pipe.
[[noreturn]] void saveUntilKilled(TDatMod &dm, const QString &name, QString folder, int report)
{
    DialogScript::start();   // a dialog in the child would wait for ever: fail it instead
    if (!dm.OpenBook(name, folder) || !dm.DataOpen)
        ::_exit(2);
    int batch = dm.MainDatabase.scalar(u"SELECT COALESCE(MAX(CAST(KINGAKU AS INTEGER)), 0) FROM Master"_s).toInt()
            / 1000
        + 1;
    for (int n = 0; n < 400; ++n, ++batch) {
        TMeisaiClientDataSet &c = *dm.MeisaiClt;
        emptyLines(c);
        for (int line = 0; line < batchSize(batch); ++line)
            addLine(c, batch, line);
        const char started = 's';
        if (::write(report, &started, 1) != 1)
            ::_exit(3);
        try {
            if (!ApplyMeisaiUpdates())
                ::_exit(4);
        } catch (...) {
            ::_exit(5);
        }
    }
    ::_exit(0);
}

} // namespace

// Saves killed at random moments, a few hundred times: after each kill the
// book passes its integrity check, holds whole batches only, its counters
// equal the highest numbers used, and the program opens it.
class TestSaveKills : public QObject, private BookFixture::BookPlace
{
    Q_OBJECT

    static int counter(Database &db, const char *name)
    {
        return db.scalar(u"SELECT MAXNO FROM AutoInc WHERE NAME = ?"_s, {QString::fromLatin1(name)}).toInt();
    }

private slots:
    void init() { openPlace(); }
    void cleanup() { closePlace(); }

    void killedSavesLeaveWholeBatches()
    {
        const QString name = u"家計簿"_s;
        const QString folder = makeBook(name);
        QVERIFY(!folder.isEmpty());
        int masterStart = 0, hinmeiStart = 0;
        {
            Database db;
            db.open(folder + "/PomuZenitData.db");
            masterStart = counter(db, "master.db");
            hinmeiStart = counter(db, "hinmeimast.db");
        }
        QRandomGenerator random(20240501);
        QElapsedTimer wall;
        wall.start();
        int kills = 0;
        int batchesSeen = 0;
        // Bounded in time so the suite stays fast on a busy machine; every
        // kill that happens is checked in full.
        while (kills < 300 && wall.elapsed() < 14000) {
            int pipeEnds[2];
            QCOMPARE(::pipe(pipeEnds), 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(pipeEnds[0]);
                saveUntilKilled(*dm, name, folder, pipeEnds[1]);
            }
            ::close(pipeEnds[1]);
            // Wait until a save has started (or the child ended), then let it
            // run for a random moment: inside a save, between saves, in a
            // commit.
            pollfd started{pipeEnds[0], POLLIN, 0};
            QVERIFY2(::poll(&started, 1, 20000) == 1, "the saving child never started a save");
            char byte = 0;
            const bool running = ::read(pipeEnds[0], &byte, 1) == 1;
            if (running)
                QThread::usleep(random.bounded(30000));
            ::kill(pid, SIGKILL);
            int status = 0;
            QCOMPARE(::waitpid(pid, &status, 0), pid);
            ::close(pipeEnds[0]);
            QVERIFY2(running && WIFSIGNALED(status), "the saving child ended by itself");
            ++kills;

            Database db;
            db.open(folder + "/PomuZenitData.db");
            QCOMPARE(db.scalar(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
            Statement batches(db, u"SELECT CAST(KINGAKU AS INTEGER) / 1000, COUNT(*), "
                                  u"COUNT(DISTINCT CAST(KINGAKU AS INTEGER) % 1000) "
                                  u"FROM Master WHERE DATANO > 0 GROUP BY 1"_s);
            int count = 0;
            while (batches.next()) {
                const int batch = int(batches.intValue(0));
                QCOMPARE(int(batches.intValue(1)), batchSize(batch));
                QCOMPARE(int(batches.intValue(2)), batchSize(batch));
                ++count;
            }
            batchesSeen = count;
            // The template's counters start above the codes it reserves.
            QCOMPARE(counter(db, "master.db"),
                     std::max(masterStart, db.scalar(u"SELECT MAX(DATANO) FROM Master"_s).toInt()));
            QCOMPARE(counter(db, "hinmeimast.db"),
                     std::max(hinmeiStart, db.scalar(u"SELECT MAX(CODE) FROM HinmeiMast"_s).toInt()));
            QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM HinmeiMast WHERE NAME LIKE '品%'"_s).toInt(),
                     db.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND CAST(KINGAKU AS INTEGER) % 1000 % 9 = 0"_s)
                         .toInt());
            db.close();

            DialogQueue dialogs;
            QString f = folder;
            QVERIFY(dm->OpenBook(name, f));
            QVERIFY(dm->DataOpen);
            dm->CloseAndBackUp(false);
            QVERIFY(dialogs.done());
        }
        qInfo("%d kills, %d whole batches in the book", kills, batchesSeen);
        QVERIFY(kills > 0);
    }
};

QTEST_MAIN(TestSaveKills)
#include "tst_savekills.moc"
