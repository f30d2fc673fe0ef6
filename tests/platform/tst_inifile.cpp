#include <csignal>
#include <sys/resource.h>

#include <QtTest>

#include "TestEnv.h"
#include "platform/settings/MemIniFile.h"
#include "platform/settings/RegistryIniFile.h"
#include "platform/system/Exception.h"

// The INI stores under the two settings classes: case-blind names, tolerant
// reading of damaged files, escapes that bring any text back, and writes that
// never leave half a file.
class TestIniFile : public QObject
{
    Q_OBJECT

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void caseInsensitiveNames_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("same") << "State" << "TaxCalc";
        QTest::newRow("upper") << "STATE" << "TAXCALC";
        QTest::newRow("lower") << "state" << "taxcalc";
        QTest::newRow("mixed") << "sTaTe" << "tAxCaLc";
    }
    void caseInsensitiveNames()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        TestEnv env;
        const QString path = env.path(QStringLiteral("PomuZenitData.ini"));
        writeFile(path, "[State]\nTaxCalc=2\n");
        MemIniFile ini(path);
        QVERIFY(ini.valueExists(section, key));
        QCOMPARE(ini.readInteger(section, key, -1), 2);
        // A write under another spelling replaces the value, keeps one key and
        // the first spelling.
        ini.writeInteger(section, key, 1);
        ini.updateFile();
        QCOMPARE(readFile(path), QByteArray("[State]\nTaxCalc=1\n"));
        QCOMPARE(ini.readSection(QStringLiteral("state")), QStringList{QStringLiteral("TaxCalc")});
    }

    void escapesRoundTrip_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain japanese") << "DataFolders" << "家計簿1" << "/home/u/家計簿1";
        QTest::newRow("equals in key") << "DataFolders" << "a=b" << "x=y";
        QTest::newRow("bracket and semicolon first") << "[x]" << "[k" << ";v";
        QTest::newRow("comment sign key") << "s" << "#k" << "#v";
        QTest::newRow("blanks at the ends") << " s " << " k " << " v ";
        QTest::newRow("line breaks") << "s\nt" << "k\r\nj" << "line1\nline2\r\n";
        QTest::newRow("backslashes") << "C:\\x" << "a\\nb" << "C:\\Program Files\\new";
        QTest::newRow("empty value") << "s" << "k" << "";
    }
    void escapesRoundTrip()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        TestEnv env;
        const QString path = env.path(QStringLiteral("x.ini"));
        {
            MemIniFile ini(path);
            ini.writeString(QStringLiteral("Other"), QStringLiteral("Before"), QStringLiteral("1"));
            ini.writeString(section, key, value);
            ini.writeString(QStringLiteral("Other"), QStringLiteral("After"), QStringLiteral("2"));
            ini.updateFile();
        }
        MemIniFile back(path);
        QVERIFY2(back.valueExists(section, key), readFile(path).constData());
        QCOMPARE(back.readString(section, key, QStringLiteral("<default>")), value);
        QCOMPARE(back.readSection(section), QStringList{key});
        QCOMPARE(back.readString(QStringLiteral("Other"), QStringLiteral("After"), QString()), QStringLiteral("2"));
    }

    void damagedFileReadAsFarAsItGoes_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // value of [S] K, or "<none>"
        QTest::newRow("utf-8 bom and crlf") << QByteArray("\xEF\xBB\xBF[S]\r\nK=v\r\n") << "v";
        QTest::newRow("lines before any section") << QByteArray("K=stray\n[S]\nK=v\n") << "v";
        QTest::newRow("line without equals") << QByteArray("[S]\ngarbage line\nK=v\n") << "v";
        QTest::newRow("header without bracket") << QByteArray("[S\nK=v\n") << "v";
        QTest::newRow("first of a doubled key") << QByteArray("[S]\nK=first\nk=second\n") << "first";
        QTest::newRow("doubled section merges") << QByteArray("[S]\nA=1\n[T]\n[s]\nK=v\n") << "v";
        QTest::newRow("invalid utf-8") << QByteArray("[S]\nK=a\xFF\xFE" "b\n") << QStringLiteral("a\uFFFD\uFFFDb");
        QTest::newRow("nul bytes") << QByteArray("[S]\nK=v\0\0\n", 9) << "v";
        QTest::newRow("binary garbage") << QByteArray("\x00\x01\x02\xFF[[[]]]==\n\n", 14) << "<none>";
        QTest::newRow("truncated mid line") << QByteArray("[S]\nA=1\nK=v") << "v";
        QTest::newRow("empty file") << QByteArray() << "<none>";
    }
    void damagedFileReadAsFarAsItGoes()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        TestEnv env;
        const QString path = env.path(QStringLiteral("damaged.ini"));
        writeFile(path, content);
        MemIniFile ini(path);
        QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("<none>")), expected);
        // And the store keeps working: a write reaches the file and reads back.
        ini.writeInteger(QStringLiteral("State"), QStringLiteral("TaxCalc"), 2);
        ini.updateFile();
        QCOMPARE(MemIniFile(path).readInteger(QStringLiteral("State"), QStringLiteral("TaxCalc"), 0), 2);
    }

    void unreadableFileKeepsWorkingInMemory()
    {
        TestEnv env;
        // A folder where the file should be: nothing can be read or written there.
        const QString path = env.path(QStringLiteral("PomuZenit.ini"));
        QVERIFY(QDir().mkpath(path));
        MemIniFile ini(path);
        QVERIFY(!ini.loadError().isEmpty());
        QCOMPARE(ini.readInteger(QStringLiteral("S"), QStringLiteral("K"), 7), 7);
        ini.writeInteger(QStringLiteral("S"), QStringLiteral("K"), 8);
        QCOMPARE(ini.readInteger(QStringLiteral("S"), QStringLiteral("K"), 7), 8);
        try {
            ini.updateFile();
            QFAIL("writing over a folder succeeded");
        } catch (const Exception &e) {
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
        }
        QVERIFY(QFileInfo(path).isDir());
    }

    void oldFileSurvivesFailedWrite()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("PomuZenitData.ini"));
        const QByteArray old("[State]\nTaxCalc=1\n");
        writeFile(path, old);
        MemIniFile ini(path);
        // Enough new text that the write runs into the size limit part-way, as on
        // a full disk.
        for (int i = 0; i < 200; ++i)
            ini.writeString(QStringLiteral("Big"), QStringLiteral("Key%1").arg(i), QString(40, QLatin1Char('x')));

        struct rlimit saved;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool threw = false;
        try {
            ini.updateFile();
        } catch (const Exception &) {
            threw = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(threw);
        QCOMPARE(readFile(path), old);
        // No temporary file is left beside it.
        QCOMPARE(QDir(env.root()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("PomuZenitData.ini")});
        // Once there is room again the same store writes in full.
        ini.updateFile();
        QCOMPARE(MemIniFile(path).readSection(QStringLiteral("Big")).size(), 200);
    }

    void registryStoreWritesThrough()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("config/Kirafu/PomuZenit.ini"));
        RegistryIniFile reg(path);
        reg.writeString(QStringLiteral("CurrentFolders"), QStringLiteral("Current"), QStringLiteral("家計簿1"));
        // Without any flush the file holds it: another reader sees it at once.
        QCOMPARE(MemIniFile(path).readString(QStringLiteral("currentfolders"), QStringLiteral("CURRENT"), QString()),
                 QStringLiteral("家計簿1"));
        reg.deleteKey(QStringLiteral("CurrentFolders"), QStringLiteral("Current"));
        QVERIFY(!MemIniFile(path).valueExists(QStringLiteral("CurrentFolders"), QStringLiteral("Current")));
    }

    void registryWriteFailureThrows()
    {
        TestEnv env;
        // The store's folder would have to be made under a regular file.
        const QString blocker = env.path(QStringLiteral("config"));
        QVERIFY(QDir(blocker).removeRecursively());
        writeFile(blocker, "not a folder");
        RegistryIniFile reg(env.path(QStringLiteral("config/Kirafu/PomuZenit.ini")));
        QVERIFY_THROWS_EXCEPTION(Exception, reg.writeInteger(QStringLiteral("S"), QStringLiteral("K"), 1));
        QCOMPARE(readFile(blocker), QByteArray("not a folder"));
    }

    void typedValues_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("asInteger");
        QTest::addColumn<bool>("asBool");
        QTest::newRow("number") << "42" << 42 << true;
        QTest::newRow("zero") << "0" << 0 << false;
        QTest::newRow("negative") << "-3" << -3 << true;
        QTest::newRow("blanks around") << " 5 " << 5 << true;
        QTest::newRow("hex dollar") << "$FF" << 255 << true;
        QTest::newRow("hex colour") << "$00FFFFFF" << 0xFFFFFF << true;
        QTest::newRow("true word") << "true" << -1 << true;
        QTest::newRow("false word") << "False" << -1 << false;
        QTest::newRow("letters") << "abc" << -1 << true;
        QTest::newRow("empty") << "" << -1 << true;
        QTest::newRow("too large") << "99999999999" << -1 << true;
    }
    void typedValues()
    {
        QFETCH(QString, stored);
        QFETCH(int, asInteger);
        QFETCH(bool, asBool);
        TestEnv env;
        MemIniFile ini(env.path(QStringLiteral("t.ini")));
        ini.writeString(QStringLiteral("S"), QStringLiteral("K"), stored);
        QCOMPARE(ini.readInteger(QStringLiteral("S"), QStringLiteral("K"), -1), asInteger);
        QCOMPARE(ini.readBool(QStringLiteral("S"), QStringLiteral("K"), true), asBool);
    }

    void floatsComeBackExactly()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("f.ini"));
        {
            MemIniFile ini(path);
            ini.writeFloat(QStringLiteral("S"), QStringLiteral("K"), 0.1 + 0.2);
            ini.updateFile();
        }
        QCOMPARE(MemIniFile(path).readFloat(QStringLiteral("S"), QStringLiteral("K"), 0), 0.1 + 0.2);
        QCOMPARE(MemIniFile(path).readFloat(QStringLiteral("S"), QStringLiteral("missing"), 1.5), 1.5);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
