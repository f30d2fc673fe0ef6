#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <zlib.h>

#include <QtTest>

#include "data/BackUp.h"
#include "data/DatModBackUp.h"
#include "platform/system/DriveInfo.h"
#include "platform/system/ShiftJis.h"
#include "platform/ui/DialogScript.h"
#include "platform/ui/Dialogs.h"
#include "TestEnv.h"

namespace {

const QString MediaFull = QStringLiteral("メディアがいっぱいです。\r他のメディアを入れて OK を押してください。");
const QString Overwrite = QStringLiteral("上書きしてよろしいですか？");
const QString MakeRestoreDir = QStringLiteral("復元先のフォルダを作成しますか？");

QByteArray le64(qint64 v)
{
    QByteArray b(8, '\0');
    for (int i = 0; i < 8; ++i)
        b[i] = char((quint64(v) >> (8 * i)) & 0xff);
    return b;
}

// An archive volume assembled from the format description alone, independent of the
// writer: magic, header length, header lines, data.
QByteArray volume(const QByteArray &header, const QByteArray &data)
{
    return QByteArray("KirBackUpData") + le64(header.size()) + header + data;
}

QByteArray header(const QByteArray &kind, int diskNo, bool more, int compress, const QByteArray &name = "Book",
                  const QByteArray &id = "ID1")
{
    return "DATAKIND=" + kind + "\r\nDATANAME=" + name + "\r\nID=" + id + "\r\nDISKNO=" + QByteArray::number(diskNo)
        + "\r\nCONTINUE=" + (more ? "TRUE" : "FALSE") + "\r\nCOMPRESS=" + QByteArray::number(compress) + "\r\n";
}

QByteArray payload(const QByteArray &list, const QByteArray &bytes)
{
    return le64(list.size()) + list + bytes;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray b(size, '\0');
    for (char &c : b)
        c = char(gen.bounded(256));
    return b;
}

// Answers questions from a queue and records every text shown, so a test can compare
// the whole conversation afterwards; a question beyond the queue is answered No.
struct Dialogs
{
    QList<bool> answers;
    QStringList shown;
    QList<std::pair<TBackUp::MessageKind, TBackUp::Buttons>> kinds;
    std::function<void(const QString &)> onShow;

    void attach(TBackUp &b)
    {
        b.onMessage = [this](TBackUp::MessageKind kind, TBackUp::Buttons buttons, const QString &text) {
            shown << text;
            kinds << std::pair(kind, buttons);
            if (onShow)
                onShow(text);
            return answers.isEmpty() ? false : answers.takeFirst();
        };
    }
};

void useFixedDrive(TBackUp &b, qint64 free = qint64(1) << 40)
{
    b.isRemovableDrive = [](const QString &) { return false; };
    b.freeBytes = [free](const QString &) { return free; };
}

// A restore of `archive` of the given kind into `dir` on a fixed drive, its
// dialogs answered by `dialogs`.
void setUpRestore(TBackUp &r, Dialogs &dialogs, const QString &kind, const QString &archive, const QString &dir)
{
    dialogs.attach(r);
    useFixedDrive(r);
    r.DataKind = kind;
    r.BackUpFileName = archive;
    r.RestoreDir = dir;
}

} // namespace

class TestBackUp : public QObject
{
    Q_OBJECT
private slots:
    void runLength_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("coded");
        QTest::newRow("300 equal bytes") << QByteArray(300, 'x') << QByteArray("xx\xffxx\x2b");
        QTest::newRow("two equal bytes") << QByteArray("aa") << QByteArray("aa\x01");
        QTest::newRow("different bytes copied") << QByteArray("ab") << QByteArray("ab");
        QTest::newRow("run of 256") << QByteArray(256, 'x') << QByteArray("xx\xff");
        QTest::newRow("run of 257 ends in a single") << QByteArray(257, 'x') << QByteArray("xx\xffx");
        QTest::newRow("mixed") << QByteArray("abbbc\0\0", 7) << QByteArray("abb\x02" "c\0\0\x01", 8);
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void runLength()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, coded);
        QCOMPARE(TBackUp::RleEncode(plain), coded);
        const std::optional<QByteArray> decoded = TBackUp::RleDecode(coded);
        QVERIFY(decoded);
        QCOMPARE(*decoded, plain);
    }

    void runLengthPairWithoutCountIsRefused()
    {
        QVERIFY(!TBackUp::RleDecode(QByteArray("abb")));
        QVERIFY(!TBackUp::RleDecode(QByteArray("xx\xff" "aa", 5)));
    }

    void compressSettings()
    {
        TBackUp b;
        QCOMPARE(b.CompressMode(), cmNone);
        QVERIFY_THROWS_EXCEPTION(EBackUpError, b.setCompressLevel(1));
        b.setCompressMode(cmZlib);
        b.setCompressLevel(7);
        QCOMPARE(b.CompressLevel(), 3);
        b.setCompressMode(cmSimple);
        QCOMPARE(b.CompressLevel(), 0);
        b.setCompressMode(TCompressMode(5));
        try {
            b.setCompressLevel(0);
            QFAIL("no exception");
        } catch (const EBackUpError &e) {
            QCOMPARE(e.message(), QStringLiteral("範囲外 FCompressMode"));
        }
    }

    // Every mode and level: the bytes on disk follow the format, and a restore gives
    // back exactly the files that were packed (empty and missing ones are skipped).
    void roundTrip_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("zlibFlevel"); // the level bits of the zlib stream header
        QTest::newRow("plain") << int(cmNone) << 0 << -1;
        QTest::newRow("run-length") << int(cmSimple) << 0 << -1;
        QTest::newRow("zlib 0 stored") << int(cmZlib) << 0 << 0;
        QTest::newRow("zlib 1 fastest") << int(cmZlib) << 1 << 0;
        QTest::newRow("zlib 2 default") << int(cmZlib) << 2 << 2;
        QTest::newRow("zlib 3 best") << int(cmZlib) << 3 << 3;
    }
    void roundTrip()
    {
        QFETCH(int, mode);
        QFETCH(int, level);
        QFETCH(int, zlibFlevel);
        TestEnv env;
        QDir(env.root()).mkpath(QStringLiteral("src"));
        const QByteArray memo = toShiftJis(QStringLiteral("家計のメモ\r\n")) + QByteArray(300, ' ');
        const QByteArray data = noise(20000, 7) + QByteArray(1000, '\0');
        writeFile(env.path(QStringLiteral("src/メモ.txt")), memo);
        writeFile(env.path(QStringLiteral("src/PomuZenitData.db")), data);
        writeFile(env.path(QStringLiteral("src/empty.ini")), QByteArray());

        TBackUp b;
        Dialogs dialogs;
        dialogs.attach(b);
        useFixedDrive(b);
        b.DataKind = QStringLiteral("ZenitBackUp_100 ");
        b.DataName = QStringLiteral("我が家");
        b.BackUpFileName = env.path(QStringLiteral("archives/Book.pbk"));
        b.FileList() << env.path(QStringLiteral("src/メモ.txt")) << env.path(QStringLiteral("src/missing.txt"))
                     << env.path(QStringLiteral("src/empty.ini")) << env.path(QStringLiteral("src/PomuZenitData.db"));
        b.setCompressMode(TCompressMode(mode));
        b.setCompressLevel(level);
        dialogs.answers << true; // create the archive folder
        QList<qint64> progress;
        b.onProgress = [&progress](qint64 done, qint64 total) { progress = {done, total}; };
        QVERIFY(b.BackUp());
        QCOMPARE(progress, (QList<qint64>{4, 4}));
        QCOMPARE(dialogs.shown, QStringList{QStringLiteral("バックアップ先のフォルダを作成しますか？")});
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{17}$")).match(b.BackUpId).hasMatch());

        const QByteArray file = readAll(b.BackUpFileName);
        const QByteArray expectedHeader = "DATAKIND=ZenitBackUp_100 \r\nDATANAME=" + toShiftJis(QStringLiteral("我が家"))
            + "\r\nID=" + b.BackUpId.toLatin1() + "\r\nDISKNO=1\r\nCONTINUE=FALSE\r\nCOMPRESS="
            + QByteArray::number(mode) + "\r\n";
        QCOMPARE(file.left(13), QByteArray("KirBackUpData"));
        QCOMPARE(file.mid(13, 8), le64(expectedHeader.size()));
        QCOMPARE(file.mid(21, expectedHeader.size()), expectedHeader);
        const QByteArray stored = file.mid(21 + expectedHeader.size());
        const QByteArray list = toShiftJis(QStringLiteral("メモ.txt=%1\r\nPomuZenitData.db=%2\r\n")
                                               .arg(memo.size()).arg(data.size()));
        const QByteArray expectedPayload = payload(list, memo + data);
        if (mode == cmNone)
            QCOMPARE(stored, expectedPayload);
        else if (mode == cmSimple)
            QCOMPARE(stored, TBackUp::RleEncode(expectedPayload));
        else {
            QCOMPARE(quint8(stored.at(0)) & 0x0f, 8); // deflate in a zlib wrapper
            QCOMPARE(quint8(stored.at(1)) >> 6, zlibFlevel);
            QCOMPARE(stored.contains(list), level == 0); // level 0 only stores
            QCOMPARE(TBackUp::zlibDecompress(stored).value_or(QByteArray()), expectedPayload);
        }

        TBackUp r;
        Dialogs restoreDialogs;
        setUpRestore(r, restoreDialogs, QStringLiteral("ZenitBackUp_100 "), b.BackUpFileName,
                     env.path(QStringLiteral("restored")));
        restoreDialogs.answers << true;
        r.onProgress = [&progress](qint64 done, qint64 total) { progress = {done, total}; };
        QVERIFY(r.Restore());
        QCOMPARE(progress, (QList<qint64>{2, 2}));
        QCOMPARE(restoreDialogs.shown, QStringList{MakeRestoreDir});
        QCOMPARE(r.DataName, QStringLiteral("我が家"));
        QCOMPARE(QDir(r.RestoreDir).entryList(QDir::Files, QDir::Name),
                 (QStringList{QStringLiteral("PomuZenitData.db"), QStringLiteral("メモ.txt")}));
        QCOMPARE(readAll(env.path(QStringLiteral("restored/メモ.txt"))), memo);
        QCOMPARE(readAll(env.path(QStringLiteral("restored/PomuZenitData.db"))), data);
    }

    void emptyListAndCallerId()
    {
        TestEnv env;
        TBackUp b;
        useFixedDrive(b);
        b.AutoBackUpId = false;
        b.BackUpId = QStringLiteral("Mine");
        b.BackUpFileName = env.path(QStringLiteral("Empty.pbk"));
        b.FileList() << env.path(QStringLiteral("nothing-here"));
        QVERIFY(b.BackUp());
        QCOMPARE(b.BackUpId, QStringLiteral("Mine"));
        const QByteArray h = header("BackUpData", 1, false, 0, "DataBase", "Mine");
        QCOMPARE(readAll(b.BackUpFileName), volume(h, payload(QByteArray(), QByteArray())));
    }

    // Written by hand from the format: both compressions the reader knows, a
    // Shift-JIS name, and the restore handler renaming the set.
    void restoreHandMadeArchive_data()
    {
        QTest::addColumn<int>("compress");
        QTest::newRow("plain") << 0;
        QTest::newRow("run-length") << 1;
        QTest::newRow("zlib") << 2;
    }
    void restoreHandMadeArchive()
    {
        QFETCH(int, compress);
        TestEnv env;
        const QByteArray list = "a.txt=3\r\n\x83\x81\x83\x82.dat=5\r\n"; // メモ.dat
        QByteArray data = payload(list, QByteArray("abc") + QByteArray("\0\0\0\0z", 5));
        if (compress == 1) // the length's seven zero bytes and the four zero bytes as runs
            data = QByteArray(1, char(list.size())) + QByteArray("\0\0\x06", 3) + list + QByteArray("abc\0\0\x03z", 7);
        if (compress == 2) // qCompress puts a 4-byte length before a plain zlib stream
            data = qCompress(data).mid(4);
        const QString archive = env.path(QStringLiteral("hand.pbk"));
        writeFile(archive, volume(header("Hand", 1, false, compress, "\x94\x5f", "20240102030405006"), data));

        TBackUp r;
        Dialogs dialogs;
        setUpRestore(r, dialogs, QStringLiteral("Hand"), archive, env.path(QStringLiteral("out")));
        QDir().mkpath(r.RestoreDir);
        QString seenId, seenName;
        r.OnBeforeWriteRestore = [&](const QString &id, QString &name, bool &mayContinue) {
            seenId = id;
            seenName = name;
            name = QStringLiteral("新しい名前");
            QVERIFY(mayContinue);
        };
        QVERIFY(r.Restore());
        QCOMPARE(dialogs.shown, QStringList());
        QCOMPARE(seenId, QStringLiteral("20240102030405006"));
        QCOMPARE(seenName, fromShiftJis("\x94\x5f"));
        QCOMPARE(r.DataName, QStringLiteral("新しい名前"));
        QCOMPARE(readAll(env.path(QStringLiteral("out/a.txt"))), QByteArray("abc"));
        QCOMPARE(readAll(env.path(QStringLiteral("out/メモ.dat"))), QByteArray("\0\0\0\0z", 5));
    }

    // Each damaged or hostile archive is refused with its message, and the restore
    // folder, its parent and the handler are left untouched.
    void refusal_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("message");
        const QByteArray good = payload("a.txt=3\r\n", "abc");
        const QByteArray h0 = header("Kind", 1, false, 0);
        const QString wrong = TBackUp::WrongDiskMessage;
        QTest::newRow("control: good archive") << volume(h0, good) << QString();
        QTest::newRow("not an archive") << QByteArray("hello world, not an archive at all") << wrong;
        QTest::newRow("cut inside the prefix") << volume(h0, good).left(17) << wrong;
        QTest::newRow("cut inside the header") << volume(h0, good).left(40) << wrong;
        QTest::newRow("cut inside the files") << volume(h0, good).chopped(1) << wrong;
        QTest::newRow("extra bytes after the files") << volume(h0, good + "x") << wrong;
        QTest::newRow("header length beyond the file")
            << QByteArray("KirBackUpData") + le64(1000) + h0 + good << wrong;
        QTest::newRow("negative header length") << QByteArray("KirBackUpData") + le64(-5) + h0 + good << wrong;
        QTest::newRow("list length beyond the data") << volume(h0, le64(500) + "a.txt=3\r\nabc") << wrong;
        QTest::newRow("negative list length") << volume(h0, le64(-1) + "a.txt=3\r\nabc") << wrong;
        QTest::newRow("size beyond the data") << volume(h0, payload("a.txt=4000000000000\r\n", "abc")) << wrong;
        QTest::newRow("size not a number") << volume(h0, payload("a.txt=-3\r\n", "abc")) << wrong;
        QTest::newRow("line without size") << volume(h0, payload("a.txt\r\n", "abc")) << wrong;
        QTest::newRow("run-length pair without count")
            << volume(header("Kind", 1, false, 1), QByteArray("\x09\0\0\x06" "a.txt=3\r\nabcbb", 18)) << wrong;
        QTest::newRow("zlib cut short")
            << volume(header("Kind", 1, false, 2), TBackUp::zlibCompress(good, 2).chopped(4)) << wrong;
        QTest::newRow("kind with a trailing blank") << volume(header("Kind ", 1, false, 0), good) << wrong;
        QTest::newRow("second volume first")
            << volume(header("Kind", 2, false, 0), good) << wrong + QStringLiteral("\rこれは 2枚目です");
        QTest::newRow("parent folder") << volume(h0, payload("../a.txt=3\r\n", "abc")) << wrong;
        QTest::newRow("dot dot") << volume(h0, payload("..=3\r\n", "abc")) << wrong;
        QTest::newRow("sub folder") << volume(h0, payload("sub/a.txt=3\r\n", "abc")) << wrong;
        QTest::newRow("windows separators") << volume(h0, payload("..\\..\\a.txt=3\r\n", "abc")) << wrong;
        QTest::newRow("absolute path") << volume(h0, payload("/tmp/a.txt=3\r\n", "abc")) << wrong;
        QTest::newRow("drive path") << volume(h0, payload("C:\\a.txt=3\r\n", "abc")) << wrong;
        QTest::newRow("empty name") << volume(h0, payload("=3\r\n", "abc")) << wrong;
        QTest::newRow("no entries") << volume(h0, payload("", "")) << wrong;
        QTest::newRow("engine journal") << volume(h0, payload("PomuZenitData.db-journal=3\r\n", "abc")) << wrong;
        QTest::newRow("engine wal") << volume(h0, payload("PomuZenitData.db-wal=3\r\n", "abc")) << wrong;
        QTest::newRow("engine shm") << volume(h0, payload("PomuZenitData.db-SHM=3\r\n", "abc")) << wrong;
        QTest::newRow("lock file") << volume(h0, payload("PomuZenitData.lck=3\r\n", "abc")) << wrong;
        QTest::newRow("zlib holding more than listed")
            << volume(header("Kind", 1, false, 2), TBackUp::zlibCompress(good + QByteArray(100000, '\0'), 2))
            << wrong;
        QTest::newRow("list longer than any book's")
            << volume(h0, le64(2 << 20) + QByteArray(2 << 20, 'a') + "=3\r\nabc") << wrong;
    }
    void refusal()
    {
        QFETCH(QByteArray, archive);
        QFETCH(QString, message);
        TestEnv env;
        const QString path = env.path(QStringLiteral("work/archive.pbk"));
        QDir().mkpath(env.path(QStringLiteral("work/out")));
        writeFile(path, archive);

        TBackUp r;
        Dialogs dialogs; // every refusal is answered Cancel
        setUpRestore(r, dialogs, QStringLiteral("Kind"), path, env.path(QStringLiteral("work/out")));
        r.AcceptEntryName = &IsBookArchiveEntry;
        bool handlerCalled = false;
        r.OnBeforeWriteRestore = [&](const QString &, QString &, bool &) { handlerCalled = true; };

        const bool restored = r.Restore();
        if (message.isEmpty()) {
            QVERIFY(restored);
            QCOMPARE(readAll(env.path(QStringLiteral("work/out/a.txt"))), QByteArray("abc"));
            return;
        }
        QVERIFY(!restored);
        QCOMPARE(dialogs.shown, QStringList{message});
        // On a fixed drive the same file would only be refused again: OK alone, and the restore ends.
        QVERIFY(dialogs.kinds.first() == std::pair(TBackUp::MessageKind::Error, TBackUp::Buttons::Ok));
        QVERIFY(!handlerCalled);
        QCOMPARE(QDir(env.path(QStringLiteral("work/out"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        QCOMPARE(QDir(env.path(QStringLiteral("work"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 (QStringList{QStringLiteral("archive.pbk"), QStringLiteral("out")}));
        QVERIFY(!QFile::exists(env.path(QStringLiteral("a.txt"))));
    }

    // A single archive file on a fixed drive that is refused: OK cannot bring
    // another medium, so the refusal ends the restore instead of reading the
    // same file again for as long as the user says OK.
    void fixedDriveRefusalEnds_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::newRow("not an archive") << QByteArray("hello world, not an archive at all");
        QTest::newRow("damaged data")
            << volume(header("Kind", 1, false, 2), TBackUp::zlibCompress(payload("a.txt=3\r\n", "abc"), 2).chopped(4));
    }
    void fixedDriveRefusalEnds()
    {
        QFETCH(QByteArray, archive);
        TestEnv env;
        const QString path = env.path(QStringLiteral("archive.pbk"));
        writeFile(path, archive);
        TBackUp r;
        Dialogs dialogs;
        setUpRestore(r, dialogs, QStringLiteral("Kind"), path, env.path(QStringLiteral("out")));
        dialogs.answers << true << true << true << true << true;
        QVERIFY(!r.Restore());
        QCOMPARE(dialogs.shown, QStringList{TBackUp::WrongDiskMessage});
        QVERIFY(dialogs.kinds.first() == std::pair(TBackUp::MessageKind::Error, TBackUp::Buttons::Ok));
    }

    // A small archive that unpacks into far more than it lists, or lists more
    // than the restore folder's drive holds, is refused without unpacking it:
    // run in a child whose memory is bounded well below the unpacked size, so
    // unpacking it all would end the child.
    void unpackingIsBounded_data()
    {
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("message");
        QTest::newRow("holds more than listed") << false << TBackUp::WrongDiskMessage;
        QTest::newRow("lists more than the drive holds") << true << QStringLiteral("復元先のディスクの空きが足りません。");
    }
    void unpackingIsBounded()
    {
        QFETCH(bool, listed);
        QFETCH(QString, message);
        constexpr qint64 Unpacked = qint64(256) << 20;
        const QByteArray list = listed ? "a.txt=" + QByteArray::number(Unpacked) + "\r\n" : QByteArray("a.txt=3\r\n");
        // Deflated a piece at a time: the test itself never holds the unpacked bytes.
        QByteArray packed;
        {
            z_stream zs;
            std::memset(&zs, 0, sizeof zs);
            QCOMPARE(deflateInit(&zs, Z_BEST_COMPRESSION), Z_OK);
            const QByteArray head = le64(list.size()) + list + (listed ? QByteArray() : QByteArray("abc"));
            const QByteArray zeros(1 << 20, '\0');
            QByteArray out(1 << 16, '\0');
            auto feed = [&](const QByteArray &in, int flush) {
                zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
                zs.avail_in = uInt(in.size());
                do {
                    zs.next_out = reinterpret_cast<Bytef *>(out.data());
                    zs.avail_out = uInt(out.size());
                    deflate(&zs, flush);
                    packed.append(out.constData(), out.size() - zs.avail_out);
                } while (zs.avail_out == 0);
            };
            feed(head, Z_NO_FLUSH);
            for (qint64 done = 0; done < Unpacked; done += zeros.size())
                feed(zeros, done + zeros.size() < Unpacked ? Z_NO_FLUSH : Z_FINISH);
            deflateEnd(&zs);
        }
        QVERIFY(packed.size() < (1 << 20));
        TestEnv env;
        const QString path = env.path(QStringLiteral("bomb.pbk"));
        writeFile(path, volume(header("Kind", 1, false, 2), packed));
        packed.clear();

        const pid_t pid = ::fork();
        if (pid == 0) {
            // Room for what the child has now and a little more, not for the unpacked bytes.
            rlimit limit{};
            ::getrlimit(RLIMIT_AS, &limit);
            QFile status(QStringLiteral("/proc/self/status"));
            qint64 vmSize = 0;
            if (status.open(QIODevice::ReadOnly))
                for (const QByteArray &line : status.readAll().split('\n'))
                    if (line.startsWith("VmSize:"))
                        vmSize = line.mid(7).trimmed().split(' ').first().toLongLong() * 1024;
            limit.rlim_cur = rlim_t(vmSize + (qint64(128) << 20));
            ::setrlimit(RLIMIT_AS, &limit);
            TBackUp r;
            Dialogs dialogs;
            setUpRestore(r, dialogs, QStringLiteral("Kind"), path, env.path(QStringLiteral("out")));
            useFixedDrive(r, qint64(64) << 20);
            bool restored = true;
            try {
                restored = r.Restore();
            } catch (...) {
                ::_exit(3);
            }
            const bool told = dialogs.shown.size() == 1 && dialogs.shown.first().startsWith(message);
            ::_exit(!restored && told && !QFileInfo::exists(env.path(QStringLiteral("out/a.txt"))) ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFEXITED(status), "the restore child was ended by a signal");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // Refusing to overwrite leaves every file of the folder as it was.
    void restoreOverwriteNo()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("a.pbk"));
        writeFile(path, volume(header("Kind", 1, false, 0), payload("new.txt=3\r\nold.txt=3\r\n", "NEWnew")));
        QDir().mkpath(env.path(QStringLiteral("out")));
        writeFile(env.path(QStringLiteral("out/old.txt")), "OLD");
        TBackUp r;
        Dialogs dialogs;
        setUpRestore(r, dialogs, QStringLiteral("Kind"), path, env.path(QStringLiteral("out")));
        QVERIFY(!r.Restore());
        QCOMPARE(dialogs.shown, QStringList{QStringLiteral("上書きしますか？")});
        QVERIFY(dialogs.kinds.first() == std::pair(TBackUp::MessageKind::Information, TBackUp::Buttons::YesNo));
        QVERIFY(!QFile::exists(env.path(QStringLiteral("out/new.txt"))));
        QCOMPARE(readAll(env.path(QStringLiteral("out/old.txt"))), QByteArray("OLD"));

        dialogs.shown.clear();
        dialogs.answers << true;
        QVERIFY(r.Restore());
        QCOMPARE(dialogs.shown, QStringList{QStringLiteral("上書きしますか？")});
        QCOMPARE(readAll(env.path(QStringLiteral("out/old.txt"))), QByteArray("new"));
    }

    // A write that fails part-way (here: the file size limit of the process) must
    // leave the previous archive whole and no stray temporary file.
    void failedWriteKeepsOldArchive()
    {
        TestEnv env;
        const QString dir = env.path(QStringLiteral("arc"));
        QDir().mkpath(dir);
        const QString archive = dir + QStringLiteral("/Book.pbk");
        writeFile(archive, "OLD ARCHIVE");
        writeFile(env.path(QStringLiteral("big.db")), noise(256 * 1024, 3));

        TBackUp b;
        Dialogs dialogs;
        dialogs.attach(b);
        useFixedDrive(b);
        b.BackUpFileName = archive;
        b.FileList() << env.path(QStringLiteral("big.db"));
        dialogs.answers << true; // overwrite

        struct rlimit old;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool threw = false;
        try {
            b.BackUp();
        } catch (const EBackUpError &e) {
            threw = e.message().endsWith(archive);
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(threw);
        QCOMPARE(dialogs.shown, QStringList{Overwrite});
        QCOMPARE(readAll(archive), QByteArray("OLD ARCHIVE"));
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Book.pbk")});
    }

    void overwriteQuestions()
    {
        TestEnv env;
        const QString archive = env.path(QStringLiteral("Book.pbk"));
        writeFile(archive, "OLD");
        writeFile(env.path(QStringLiteral("f.txt")), "content");
        TBackUp b;
        Dialogs dialogs;
        dialogs.attach(b);
        useFixedDrive(b);
        b.BackUpFileName = archive;
        b.FileList() << env.path(QStringLiteral("f.txt"));

        QVERIFY(!b.BackUp()); // No
        QCOMPARE(readAll(archive), QByteArray("OLD"));

        b.RenameOldFile = true;
        dialogs.answers << true;
        QVERIFY(b.BackUp());
        QCOMPARE(readAll(env.path(QStringLiteral("Book.~pbk"))), QByteArray("OLD"));
        QVERIFY(readAll(archive).startsWith("KirBackUpData"));
        QCOMPARE(dialogs.shown, (QStringList{Overwrite, Overwrite}));
    }

    // A fixed drive cannot take the archive: the user is told the medium is full
    // and may free room and try again; Cancel fails without touching the old archive,
    // and no second volume ever replaces the first.
    void fixedDriveTooSmall()
    {
        TestEnv env;
        const QString archive = env.path(QStringLiteral("Book.pbk"));
        writeFile(archive, "OLD");
        writeFile(env.path(QStringLiteral("big.db")), noise(10000, 5));
        TBackUp b;
        Dialogs dialogs;
        dialogs.attach(b);
        useFixedDrive(b, 51200 + 2000);
        b.BackUpFileName = archive;
        b.FileList() << env.path(QStringLiteral("big.db"));
        dialogs.answers << true << true; // overwrite; OK after "freeing room" that did not help
        QVERIFY(!b.BackUp());
        QCOMPARE(dialogs.shown, (QStringList{Overwrite, MediaFull, MediaFull}));
        QVERIFY(dialogs.kinds[0] == std::pair(TBackUp::MessageKind::Confirmation, TBackUp::Buttons::YesNo));
        QVERIFY(dialogs.kinds[1] == std::pair(TBackUp::MessageKind::Error, TBackUp::Buttons::OkCancel));
        QCOMPARE(readAll(archive), QByteArray("OLD"));
        QStringList files = QDir(env.root()).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        QCOMPARE(files, (QStringList{QStringLiteral("Book.pbk"), QStringLiteral("big.db")}));

        // Room freed while the question was open: the second look finds it.
        qint64 free = 51200 + 2000;
        b.freeBytes = [&free](const QString &) { return free; };
        dialogs.shown.clear();
        dialogs.answers << true << true;
        dialogs.onShow = [&free](const QString &text) {
            if (text == MediaFull)
                free = qint64(1) << 30;
        };
        QVERIFY(b.BackUp());
        QCOMPARE(dialogs.shown, (QStringList{Overwrite, MediaFull}));
        QVERIFY(readAll(archive).contains("DISKNO=1\r\nCONTINUE=FALSE"));
    }

    // Without a handler of its own the component asks through the message dialogs.
    void defaultQuestionsUseMessageDialogs()
    {
        TestEnv env;
        TBackUp r;
        useFixedDrive(r);
        r.BackUpFileName = env.path(QStringLiteral("none.pbk"));
        DialogScript::start();
        DialogScript::push({DialogScript::Kind::Message, mrOk, QString(), TBackUp::WrongDiskMessage});
        const bool restored = r.Restore();
        const QList<DialogScript::Shown> shown = DialogScript::shown();
        const QStringList failures = DialogScript::failures();
        DialogScript::stop();
        QVERIFY(!restored);
        QCOMPARE(failures, QStringList());
        QCOMPARE(shown.size(), 1); // a fixed drive: the refusal ends the restore
        QCOMPARE(shown.at(0).caption, QStringLiteral("エラー"));
    }

    // The archive's folder may not exist yet when the room is asked for.
    void driveFreeBytesOfMissingFolder()
    {
        TestEnv env;
        const qint64 free = DriveInfo::freeBytes(env.root());
        QVERIFY(free > 0);
        QVERIFY(qAbs(DriveInfo::freeBytes(env.path(QStringLiteral("not/yet/made"))) - free) < 1024 * 1024);
    }

    // On removable media the archive spans volumes of the same name, one per medium:
    // the prompts swap media, and the restore checks their order.
    void removableVolumes()
    {
        TestEnv env;
        const QString drive = env.path(QStringLiteral("stick"));
        QDir().mkpath(drive);
        const QString archive = drive + QStringLiteral("/Book.pbk");
        const QByteArray content = noise(2500, 11);
        writeFile(env.path(QStringLiteral("f.db")), content);

        TBackUp b;
        Dialogs dialogs;
        dialogs.attach(b);
        b.isRemovableDrive = [](const QString &) { return true; };
        b.AutoBackUpId = false;
        b.FileList() << env.path(QStringLiteral("f.db"));
        b.BackUpFileName = archive;
        const qint64 overhead = 51200 + header("BackUpData", 1, false, 0, "DataBase", "BackUp").size()
            + QByteArray("f.db=2500\r\n").size() + 4;
        b.freeBytes = [overhead](const QString &) { return overhead + 1000; };
        // Taking the medium out: the volume written so far goes to its own folder.
        int taken = 0;
        auto takeOut = [&] {
            ++taken;
            QDir().mkpath(env.path(QStringLiteral("media%1").arg(taken)));
            QFile::rename(archive, env.path(QStringLiteral("media%1/Book.pbk").arg(taken)));
        };
        dialogs.onShow = [&](const QString &text) {
            if (text != QStringLiteral("1つ目のメディアを入れてください。"))
                takeOut();
        };
        dialogs.answers << true << true << true;
        QVERIFY(b.BackUp());
        takeOut();
        QCOMPARE(dialogs.shown, (QStringList{QStringLiteral("1つ目のメディアを入れてください。"),
                                             QStringLiteral("2つ目のメディアを入れてください。"),
                                             QStringLiteral("3つ目のメディアを入れてください。")}));
        // 8 + 11 + 2500 payload bytes in slices of 1000.
        QCOMPARE(readAll(env.path(QStringLiteral("media1/Book.pbk"))),
                 volume(header("BackUpData", 1, true, 0, "DataBase", "BackUp"),
                        payload("f.db=2500\r\n", content).left(1000)));
        QVERIFY(readAll(env.path(QStringLiteral("media3/Book.pbk"))).contains("DISKNO=3\r\nCONTINUE=FALSE"));

        // The user first puts in the second medium, is told so, then the right ones.
        TBackUp r;
        Dialogs restoreDialogs;
        restoreDialogs.attach(r);
        r.isRemovableDrive = [](const QString &) { return true; };
        r.BackUpFileName = archive;
        r.RestoreDir = env.path(QStringLiteral("out"));
        QStringList inserted{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        restoreDialogs.onShow = [&](const QString &text) {
            if (text.endsWith(QStringLiteral("つ目のメディアを入れてください。"))) {
                QFile::remove(archive);
                QFile::copy(env.path(QStringLiteral("media%1/Book.pbk").arg(inserted.takeFirst())), archive);
            }
        };
        restoreDialogs.answers << true << true << true << true << true << true;
        QVERIFY(r.Restore());
        QCOMPARE(restoreDialogs.shown,
                 (QStringList{QStringLiteral("1つ目のメディアを入れてください。"),
                              TBackUp::WrongDiskMessage + QStringLiteral("\rこれは 2枚目です"),
                              QStringLiteral("1つ目のメディアを入れてください。"),
                              QStringLiteral("2つ目のメディアを入れてください。"),
                              QStringLiteral("3つ目のメディアを入れてください。"), MakeRestoreDir}));
        QCOMPARE(readAll(env.path(QStringLiteral("out/f.db"))), content);
    }
};

QTEST_GUILESS_MAIN(TestBackUp)
#include "tst_backup.moc"
