#include <QBuffer>
#include <QtTest>

#include <zlib.h>

#include "TestEnv.h"
#include "data/ArchiveWriter.h"
#include "data/BackUp.h"
#include "data/BookFolders.h"
#include "data/DatModBackUp.h"
#include "platform/db/Database.h"
#include "platform/system/ShiftJis.h"

// The archive written while the files are read: whatever the mode, level and
// size, the volume has the header and list the format prescribes, its data is
// what coding the whole payload at once gives (byte for byte where that is
// defined by one call, else by what it inflates to), and a restore gives the
// files back.
namespace {

QByteArray le64(qint64 v)
{
    QByteArray b(8, '\0');
    for (int i = 0; i < 8; ++i)
        b[i] = char((quint64(v) >> (8 * i)) & 0xff);
    return b;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray noise(qsizetype size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray b(size, '\0');
    for (char &c : b)
        c = char(gen.bounded(256));
    return b;
}

// Inflates with zlib's own one-call routine, which checks the Adler-32 trailer.
QByteArray inflateAll(const QByteArray &stream, qsizetype expectedSize)
{
    QByteArray out(expectedSize, '\0');
    uLongf size = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(stream.constData()),
                   uLong(stream.size()))
            != Z_OK
        || qsizetype(size) != expectedSize)
        return QByteArray("<damaged>");
    return out;
}

// Grows a template book's database past several chunks with journal lines.
void growBook(const QString &folder, int lines)
{
    Database db;
    db.open(QDir(folder).filePath(QStringLiteral("PomuZenitData.db")));
    Transaction t(db, Database::TransactionMode::Immediate);
    db.exec(QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, RESERVED) "
                "SELECT i, 0, date('2020-01-01', '+' || (i % 2000) || ' days'), (i * 37) % 9000, 1, 107 + i % 16, "
                "100, 0 FROM n")
                .arg(lines));
    t.commit();
    db.close();
}

} // namespace

class TestArchiveWriter : public QObject
{
    Q_OBJECT

private slots:
    void backUpAndRestore_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("lines"); // journal lines added to the template book
        for (int lines : {0, 60000}) {
            const QByteArray size = lines ? " large" : " new";
            QTest::newRow("plain" + size) << int(cmNone) << 0 << lines;
            QTest::newRow("run-length" + size) << int(cmSimple) << 0 << lines;
            for (int level = 0; level <= 3; ++level)
                QTest::newRow("zlib " + QByteArray::number(level) + size) << int(cmZlib) << level << lines;
        }
    }

    void backUpAndRestore()
    {
        QFETCH(int, mode);
        QFETCH(int, level);
        QFETCH(int, lines);
        TestEnv env;
        const QString book = env.path(QStringLiteral("book"));
        QVERIFY(QDir().mkpath(book));
        QVERIFY(CreateBookFromTemplate(book));
        QVERIFY(TestEnv::writeFile(book + QStringLiteral("/MemoRandum.txt"), toShiftJis(QStringLiteral("メモ\r\n"))));
        if (lines)
            growBook(book, lines);
        const QStringList files = BookFileList(book);
        QByteArray list, bytes;
        for (const QString &file : files) {
            const QByteArray content = readAll(file);
            list += toShiftJis(QFileInfo(file).fileName()) + '=' + QByteArray::number(content.size()) + "\r\n";
            bytes += content;
        }
        const QByteArray payload = le64(list.size()) + list + bytes;
        if (lines)
            QVERIFY(payload.size() > 3 * ArchiveWriter::ChunkSize);

        TBackUp b;
        b.isRemovableDrive = [](const QString &) { return false; };
        b.freeBytes = [](const QString &) { return qint64(1) << 40; };
        b.DataKind = QStringLiteral("ZenitBackUp_100 ");
        b.DataName = QStringLiteral("我が家");
        b.BackUpFileName = env.path(QStringLiteral("Book.pbk"));
        b.FileList() = files;
        b.setCompressMode(TCompressMode(mode));
        b.setCompressLevel(level);
        qint64 packed = 0, total = 0;
        b.onDataProgress = [&](qint64 done, qint64 all) {
            QVERIFY(done > packed); // only forward
            packed = done;
            total = all;
        };
        QVERIFY(b.BackUp());
        QCOMPARE(packed, qint64(payload.size()));
        QCOMPARE(total, qint64(payload.size()));

        const QByteArray archive = readAll(b.BackUpFileName);
        const QByteArray header = "DATAKIND=ZenitBackUp_100 \r\nDATANAME=" + toShiftJis(QStringLiteral("我が家"))
            + "\r\nID=" + b.BackUpId.toLatin1() + "\r\nDISKNO=1\r\nCONTINUE=FALSE\r\nCOMPRESS="
            + QByteArray::number(mode) + "\r\n";
        QCOMPARE(archive.left(21 + header.size()), QByteArray("KirBackUpData") + le64(header.size()) + header);
        const QByteArray data = archive.mid(21 + header.size());
        if (mode == cmNone) {
            QCOMPARE(data, payload);
        } else if (mode == cmSimple) {
            QCOMPARE(data, TBackUp::RleEncode(payload));
        } else {
            // A payload of one chunk is exactly what one deflate call makes;
            // a longer one is a single stream that inflates to the payload.
            if (payload.size() <= ArchiveWriter::ChunkSize)
                QCOMPARE(data, TBackUp::zlibCompress(payload, level));
            else
                QCOMPARE(quint8(data.at(1)) >> 6, quint8(TBackUp::zlibCompress(QByteArray("x"), level).at(1)) >> 6);
            QCOMPARE(inflateAll(data, payload.size()), payload);
        }

        TBackUp r;
        r.isRemovableDrive = [](const QString &) { return false; };
        r.onMessage = [](TBackUp::MessageKind, TBackUp::Buttons, const QString &) { return true; };
        r.DataKind = b.DataKind;
        r.BackUpFileName = b.BackUpFileName;
        r.RestoreDir = env.path(QStringLiteral("restored"));
        QVERIFY(r.Restore());
        QCOMPARE(r.DataName, QStringLiteral("我が家"));
        for (const QString &file : files)
            QCOMPARE(readAll(r.RestoreDir + u'/' + QFileInfo(file).fileName()), readAll(file));
    }

    // Runs are coded across the seams between chunks as if the payload came in
    // one piece, and the deflated stream does not depend on how many workers
    // made it.
    void chunkSeams()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("f.db"));
        const QByteArray list = "f.db=" + QByteArray::number(3 * ArchiveWriter::ChunkSize) + "\r\n";
        const qsizetype seam = ArchiveWriter::ChunkSize - 8 - list.size();
        QByteArray content = noise(3 * ArchiveWriter::ChunkSize, 9);
        for (qsizetype at : {seam - 300, seam + ArchiveWriter::ChunkSize - 1})
            content.replace(at, 600, QByteArray(600, 'A'));
        QVERIFY(TestEnv::writeFile(path, content));
        const QList<ArchiveWriter::Source> sources{{path, content.size()}};
        const QByteArray payload = le64(list.size()) + list + content;

        auto write = [&](TCompressMode mode, int level, int threads) {
            ArchiveWriter writer(mode, level);
            writer.threads = threads;
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            writer.write(list, sources, out, QStringLiteral("out"));
            return out.data();
        };
        QCOMPARE(write(cmSimple, 0, 0), TBackUp::RleEncode(payload));
        const QByteArray one = write(cmZlib, 1, 1);
        QCOMPARE(write(cmZlib, 1, 4), one);
        QCOMPARE(inflateAll(one, payload.size()), payload);
    }

    // A file shorter than its line in the list cannot make a sound archive.
    void shrunkSourceIsRefused()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("f.db"));
        QVERIFY(TestEnv::writeFile(path, QByteArray(1000, 'x')));
        ArchiveWriter writer(cmZlib, 2);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString message;
        try {
            writer.write("f.db=5000\r\n", {{path, 5000}}, out, QStringLiteral("Book.pbk"));
        } catch (const EBackUpError &e) {
            message = e.message();
        }
        QVERIFY2(message.endsWith(path), qPrintable(message));
    }
};

QTEST_MAIN(TestArchiveWriter)
#include "tst_archivewriter.moc"
