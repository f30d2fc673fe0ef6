#include <functional>

#include <QtTest>

#include "TestEnv.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "platform/settings/MemIniFile.h"
#include "platform/system/Exception.h"
#include "platform/system/Folders.h"

// Read-or-seed, write-and-flush, key counts and fonts of the per-user and the
// per-book store.
class TestSettingsStores : public QObject
{
    Q_OBJECT

    static void writeFile(const QString &path, const QByteArray &bytes) { QVERIFY(TestEnv::writeFile(path, bytes)); }
    // What another reader of the file sees, flushed or not.
    static QString onDisk(const QString &path, const QString &section, const QString &key)
    {
        return MemIniFile(path).readString(section, key, QStringLiteral("<missing>"));
    }

private slots:
    void perUserStoreLivesInConfigFolder()
    {
        TestEnv env;
        TMyRegistryIniFile reg;
        QCOMPARE(reg.fileName(), env.path(QStringLiteral("config/Kirafu/PomuZenit.ini")));
        reg.WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("Current"), QStringLiteral("家計簿"));
        QCOMPARE(onDisk(Folders::userSettingsFile(), QStringLiteral("CurrentFolders"), QStringLiteral("Current")),
                 QStringLiteral("家計簿"));
    }

    // Both stores, every read-or-seed routine: a missing key gives the default
    // and is on disk at once; the next read gives the stored value whatever
    // default it passes.
    void missingKeysSeededAndFlushed_data()
    {
        QTest::addColumn<bool>("perBook");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("storedText");
        for (bool perBook : {false, true}) {
            const char *store = perBook ? "DataIni" : "RegIni";
            QTest::addRow("%s string", store) << perBook << "string" << "Default";
            QTest::addRow("%s integer", store) << perBook << "integer" << "10";
            QTest::addRow("%s bool", store) << perBook << "bool" << "1";
        }
        QTest::addRow("RegIni float") << false << "float" << "2.5";
    }
    void missingKeysSeededAndFlushed()
    {
        QFETCH(bool, perBook);
        QFETCH(QString, type);
        QFETCH(QString, storedText);
        TestEnv env;
        const QString path = perBook ? TMyMemIniFile::fileIn(env.root()) : env.path(QStringLiteral("reg.ini"));
        TMyRegistryIniFile reg(path);
        TMyMemIniFile book(path);
        const QString s = QStringLiteral("BackUp"), k = QStringLiteral("AutoBackUpCount");
        QVariant first, second;
        if (type == QLatin1String("string")) {
            first = perBook ? book.ReadOrWriteString(s, k, QStringLiteral("Default")) : reg.ReadOrWriteString(s, k, QStringLiteral("Default"));
            second = perBook ? book.ReadOrWriteString(s, k, QStringLiteral("Other")) : reg.ReadOrWriteString(s, k, QStringLiteral("Other"));
        } else if (type == QLatin1String("integer")) {
            first = perBook ? book.ReadOrWriteInteger(s, k, 10) : reg.ReadOrWriteInteger(s, k, 10);
            second = perBook ? book.ReadOrWriteInteger(s, k, 3) : reg.ReadOrWriteInteger(s, k, 3);
        } else if (type == QLatin1String("bool")) {
            first = perBook ? book.ReadOrWriteBool(s, k, true) : reg.ReadOrWriteBool(s, k, true);
            second = perBook ? book.ReadOrWriteBool(s, k, false) : reg.ReadOrWriteBool(s, k, false);
        } else {
            first = reg.ReadOrWriteFloat(s, k, 2.5);
            second = reg.ReadOrWriteFloat(s, k, 9.0);
        }
        QCOMPARE(second, first);
        // No UpdateFile was called by the test: the seed is already in the file.
        QCOMPARE(onDisk(path, s, k), storedText);
    }

    void storedTextsReadTyped_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("integer");   // ReadOrWriteInteger(.., 99)
        QTest::addColumn<bool>("boolean");  // ReadOrWriteBool(.., true)
        QTest::addColumn<QString>("text");  // ReadOrWriteString(.., "def")
        QTest::newRow("numeric string") << QByteArray("[S]\nK=42\n") << 42 << true << "42";
        QTest::newRow("zero is false") << QByteArray("[S]\nK=0\n") << 0 << false << "0";
        QTest::newRow("one is true") << QByteArray("[S]\nK=1\n") << 1 << true << "1";
        // Present, so not seeded; empty reads as 0 and False, not as the default.
        QTest::newRow("present but empty") << QByteArray("[S]\nK=\n") << 0 << false << "";
        QTest::newRow("present, blanks only") << QByteArray("[S]\nK=  \n") << 0 << false << "  ";
        QTest::newRow("not a number") << QByteArray("[S]\nK=abc\n") << 99 << true << "abc";
        QTest::newRow("other case") << QByteArray("[s]\nk=7\n") << 7 << true << "7";
    }
    void storedTextsReadTyped()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, integer);
        QFETCH(bool, boolean);
        QFETCH(QString, text);
        TestEnv env;
        const QString path = TMyMemIniFile::fileIn(env.root());
        writeFile(path, file);
        for (int pass = 0; pass < 2; ++pass) {
            TMyMemIniFile book(path);
            TMyRegistryIniFile reg(path);
            QCOMPARE(book.ReadOrWriteInteger(QStringLiteral("S"), QStringLiteral("K"), 99), integer);
            QCOMPARE(reg.ReadOrWriteInteger(QStringLiteral("S"), QStringLiteral("K"), 99), integer);
            QCOMPARE(book.ReadOrWriteBool(QStringLiteral("S"), QStringLiteral("K"), true), boolean);
            QCOMPARE(reg.ReadOrWriteBool(QStringLiteral("S"), QStringLiteral("K"), true), boolean);
            QCOMPARE(book.ReadOrWriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), text);
            QCOMPARE(reg.ReadOrWriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), text);
        }
        // A key that is present is never seeded over, whatever it holds.
        QCOMPARE(onDisk(path, QStringLiteral("S"), QStringLiteral("K")), text);
    }

    void writeAndUpdateReachesDisk()
    {
        TestEnv env;
        const QString path = TMyMemIniFile::fileIn(env.root());
        TMyMemIniFile book(path);
        book.WriteBoolAndUpdate(QStringLiteral("State"), QStringLiteral("KouzaUse"), true);
        book.WriteIntegerAndUpdate(QStringLiteral("Sime"), QStringLiteral("SimeTuki"), 3);
        book.WriteFloatAndUpdate(QStringLiteral("Sime"), QStringLiteral("LockDate"), 45000);
        book.WriteStringAndUpdate(QStringLiteral("BackUp"), QStringLiteral("BackUpFileName"), QStringLiteral("a.pbk"));
        TMyMemIniFile again(path);
        QCOMPARE(onDisk(path, QStringLiteral("State"), QStringLiteral("KouzaUse")), QStringLiteral("1"));
        QCOMPARE(again.ReadOrWriteInteger(QStringLiteral("sime"), QStringLiteral("simetuki"), 12), 3);
        QCOMPARE(again.readFloat(QStringLiteral("Sime"), QStringLiteral("LockDate"), 0), 45000.0);
        QCOMPARE(again.ReadOrWriteString(QStringLiteral("BackUp"), QStringLiteral("BackUpFileName"), QString()),
                 QStringLiteral("a.pbk"));
    }

    void sectionKeyCount_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<int>("count");
        QTest::newRow("missing section") << QByteArray("[A]\nx=1\n") << "DataFolders" << 0;
        QTest::newRow("empty section") << QByteArray("[DataFolders]\n") << "DataFolders" << 0;
        QTest::newRow("three books") << QByteArray("[DataFolders]\na=1\nb=2\nc=3\n[X]\nd=4\n") << "DataFolders" << 3;
        QTest::newRow("other case, doubled key") << QByteArray("[datafolders]\na=1\nA=2\n") << "DataFolders" << 1;
    }
    void sectionKeyCount()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(int, count);
        TestEnv env;
        const QString path = env.path(QStringLiteral("reg.ini"));
        writeFile(path, file);
        QCOMPARE(TMyRegistryIniFile(path).SectionKeyCount(section), count);
    }

    void fonts_data()
    {
        QTest::addColumn<QByteArray>("stored");   // section "F" as on disk, or empty for a fresh store
        QTest::addColumn<bool>("startBold");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("color");       // #rrggbb
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("missing: current values seeded")
            << QByteArray() << true << "Start" << 9 << "#000080" << true << false;
        QTest::newRow("all stored")
            << QByteArray("[F]\nFontName=IPAGothic\nFontSize=12\nFontColor=clRed\nFontStyle=2\n")
            << false << "IPAGothic" << 12 << "#ff0000" << false << true;
        QTest::newRow("style 0 keeps bold")
            << QByteArray("[F]\nFontName=A\nFontSize=10\nFontColor=$00FF0000\nFontStyle=0\n")
            << true << "A" << 10 << "#0000ff" << true << false;
        QTest::newRow("bad colour and size keep current")
            << QByteArray("[F]\nFontName=A\nFontSize=abc\nFontColor=purplish\nFontStyle=1\n")
            << false << "A" << 9 << "#000080" << true << false;
    }
    void fonts()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, startBold);
        QFETCH(QString, family);
        QFETCH(int, size);
        QFETCH(QString, color);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        TestEnv env;
        const QString path = env.path(QStringLiteral("reg.ini"));
        if (!stored.isEmpty())
            writeFile(path, stored);
        TMyRegistryIniFile reg(path);
        QFont font(QStringLiteral("Start"), 9);
        font.setBold(startBold);
        QColor c(0, 0, 0x80);
        reg.LoadFont(QStringLiteral("F"), font, c);
        QCOMPARE(font.family(), family);
        QCOMPARE(font.pointSize(), size);
        QCOMPARE(c.name(), color);
        QCOMPARE(font.bold(), bold);
        QCOMPARE(font.italic(), italic);
        QCOMPARE(reg.SectionKeyCount(QStringLiteral("F")), 4);
    }

    void fontSavedThenLoaded()
    {
        TestEnv env;
        TMyRegistryIniFile reg(env.path(QStringLiteral("reg.ini")));
        RegIni = &reg;
        QFont font(QStringLiteral("Noto Sans CJK JP"), 11);
        font.setUnderline(true);
        font.setStrikeOut(true);
        SaveFontToRegistry(QStringLiteral("MainForm"), font, QColor(0x12, 0x34, 0x56));
        QCOMPARE(onDisk(reg.fileName(), QStringLiteral("MainForm"), QStringLiteral("FontColor")),
                 QStringLiteral("$00563412"));
        QCOMPARE(onDisk(reg.fileName(), QStringLiteral("MainForm"), QStringLiteral("FontStyle")), QStringLiteral("12"));
        QFont back(QStringLiteral("Other"), 20);
        QColor c;
        LoadFontFromRegistry(QStringLiteral("MainForm"), back, c);
        RegIni = nullptr;
        QCOMPARE(back.family(), font.family());
        QCOMPARE(back.pointSize(), 11);
        QVERIFY(back.underline() && back.strikeOut() && !back.bold());
        QCOMPARE(c, QColor(0x12, 0x34, 0x56));
        QVERIFY_THROWS_EXCEPTION(Exception, LoadFontFromRegistry(QStringLiteral("MainForm"), back, c));
    }

    // A store that cannot be written: a seed that cannot be flushed reaches the
    // caller with the file and the reason, as every explicit write does; keys
    // that are there still read.
    void unwritableStoreSaysSo()
    {
        TestEnv env;
        const QString blocker = env.path(QStringLiteral("book"));
        writeFile(blocker, "a file, not a folder");
        TMyMemIniFile book(TMyMemIniFile::fileIn(blocker));
        TMyRegistryIniFile reg(env.path(QStringLiteral("book/reg.ini")));
        const auto refused = [](const std::function<void()> &read) {
            try {
                read();
            } catch (const Exception &e) {
                return e.message();
            }
            return QString();
        };
        for (const QString &text :
             {refused([&] { book.ReadOrWriteInteger(QStringLiteral("State"), QStringLiteral("TaxCalc"), 0); }),
              refused([&] { book.ReadOrWriteBool(QStringLiteral("State"), QStringLiteral("KouzaUse"), true); }),
              refused([&] { book.ReadOrWriteString(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("x")); }),
              refused([&] { reg.ReadOrWriteBool(QStringLiteral("MainForm"), QStringLiteral("Maximized"), false); }),
              refused([&] { reg.ReadOrWriteInteger(QStringLiteral("MainForm"), QStringLiteral("Top"), 100); }),
              refused([&] { reg.ReadOrWriteFloat(QStringLiteral("MainForm"), QStringLiteral("F"), 1.5); })})
            QVERIFY2(text.startsWith(QStringLiteral("設定ファイル")) && text.contains(QStringLiteral("書き込めません")),
                     qPrintable(text));
        QVERIFY_THROWS_EXCEPTION(Exception, book.WriteIntegerAndUpdate(QStringLiteral("State"), QStringLiteral("TaxCalc"), 1));
        QVERIFY_THROWS_EXCEPTION(Exception, reg.WriteStringAndUpdate(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")));
    }
};

QTEST_MAIN(TestSettingsStores)
#include "tst_settingsstores.moc"
