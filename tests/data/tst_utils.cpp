#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QPainter>
#include <QtTest>

#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/ControlUtils.h"
#include "data/FormatSettings.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"
#include "platform/system/Exception.h"

// Rounding, amount expressions, LIKE operands and escapes, the folder write test,
// file copies and colours.
class TestUtils : public QObject
{
    Q_OBJECT

    static Currency amount(const char *text)
    {
        bool ok = false;
        const Currency c = Currency::fromString(QString::fromLatin1(text), &ok);
        Q_ASSERT(ok);
        return c;
    }
    static void writeFile(const QString &path, const QByteArray &bytes) { QVERIFY(TestEnv::writeFile(path, bytes)); }

private slots:
    void init()
    {
        FixProgramFormats();
        ResetProgramValues();
    }

    void roundHalfAway_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<qlonglong>("expected");
        QTest::newRow("2.5") << 2.5 << 3LL;
        QTest::newRow("-2.5") << -2.5 << -3LL;
        QTest::newRow("2.4999") << 2.4999 << 2LL;
        QTest::newRow("-2.4999") << -2.4999 << -2LL;
        QTest::newRow("0") << 0.0 << 0LL;
        QTest::newRow("-0.5") << -0.5 << -1LL;
    }
    void roundHalfAway()
    {
        QFETCH(double, x);
        QFETCH(qlonglong, expected);
        QCOMPARE(qlonglong(RoundHalfAway(x)), expected);
    }

    void roundAmountModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half away .5") << 0 << 0 << "12.5" << "13";
        QTest::newRow("half away .4") << 0 << 0 << "12.4999" << "12";
        QTest::newRow("half away negative") << 0 << 0 << "-12.5" << "-13";
        QTest::newRow("toward zero") << 1 << 0 << "12.9" << "12";
        QTest::newRow("toward zero negative") << 1 << 0 << "-12.9" << "-12";
        QTest::newRow("up") << 2 << 0 << "12.0001" << "13";
        QTest::newRow("up negative") << 2 << 0 << "-12.0001" << "-12";
        QTest::newRow("up negative half") << 2 << 0 << "-1234.5" << "-1234";
        QTest::newRow("up whole stays") << 2 << 0 << "12" << "12";
        QTest::newRow("two decimals half away") << 0 << 2 << "1.005" << "1.01";
        QTest::newRow("two decimals toward zero") << 1 << 2 << "1.0099" << "1";
        QTest::newRow("unknown mode is half away") << 7 << 0 << "2.5" << "3";
    }
    void roundAmountModes()
    {
        QFETCH(int, mode);
        QFETCH(int, decimals);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        TaxCalcMode = uint8_t(mode);
        Formats().currencyDecimals = decimals;
        bool ok = false;
        const Currency rounded = RoundAmount(Currency::fromString(value, &ok));
        QVERIFY(ok);
        QCOMPARE(rounded, Currency::fromString(expected));
    }

    void kingakuToStr_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands") << 0 << "1234567" << "1,234,567";
        QTest::newRow("negative") << 0 << "-5000" << "-5,000";
        QTest::newRow("zero") << 0 << "0" << "0";
        QTest::newRow("two decimals") << 2 << "1234.5" << "1,234.50";
    }
    void kingakuToStr()
    {
        QFETCH(int, decimals);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        Formats().currencyDecimals = decimals;
        QCOMPARE(KingakuToStr(Currency::fromString(value)), expected);
    }

    void evalAmountText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("expected"); // amount, or the error text
        QTest::newRow("number") << "1200" << "0" << "1200";
        QTest::newRow("empty is zero") << "" << "500" << "0";
        QTest::newRow("blank is zero") << "  " << "500" << "0";
        QTest::newRow("thousands separator") << "1,200" << "0" << "1200";
        QTest::newRow("multiply") << "100*3" << "0" << "300";
        QTest::newRow("divide four decimals") << "1000/3" << "0" << "333.3333";
        QTest::newRow("divide half to even down") << "0.0001/2" << "0" << "0";
        QTest::newRow("divide half to even up") << "0.0003/2" << "0" << "0.0002";
        QTest::newRow("multiply half to even") << "0.0005*0.5" << "0" << "0.0002";
        QTest::newRow("add") << "100+50" << "0" << "150";
        QTest::newRow("subtract") << "100-250" << "0" << "-150";
        QTest::newRow("leading plus adds to current") << "+500" << "1000" << "1500";
        QTest::newRow("leading minus subtracts") << "-100" << "1000" << "900";
        QTest::newRow("leading star doubles") << "*2" << "1000" << "2000";
        QTest::newRow("leading slash") << "/4" << "1000" << "250";
        QTest::newRow("sign belongs to first number") << "-100+50" << "1000" << "-50";
        QTest::newRow("sign then minus") << "-100-50" << "1000" << "-150";
        QTest::newRow("star before plus") << "2+3*4" << "0" << "式が正しくありません。";
        QTest::newRow("negative right operand") << "100*-2" << "0" << "-200";
        QTest::newRow("blanks around operator") << "100 * 3" << "0" << "300";
        QTest::newRow("trailing operator") << "10-" << "0" << "式が正しくありません。";
        QTest::newRow("two operators") << "1+2+3" << "0" << "式が正しくありません。";
        QTest::newRow("letter") << "12a" << "0" << "式が正しくありません。";
        QTest::newRow("letter operand") << "10*x" << "0" << "式が正しくありません。";
        QTest::newRow("double sign") << "--5" << "0" << "式が正しくありません。";
        QTest::newRow("full-width digits") << "１２" << "0" << "式が正しくありません。";
        QTest::newRow("divide by zero") << "5/0" << "0" << "0で除算できません。";
        QTest::newRow("divide by zero decimals") << "5/0.00" << "0" << "0で除算できません。";
        QTest::newRow("overflow") << "900000000000000*900000000000000" << "0" << "式が正しくありません。";
    }
    void evalAmountText()
    {
        QFETCH(QString, text);
        QFETCH(QString, current);
        QFETCH(QString, expected);
        bool number = false;
        const Currency want = Currency::fromString(expected, &number);
        try {
            const Currency got = EvalAmountText(text, Currency::fromString(current));
            QVERIFY2(number, qPrintable(QStringLiteral("no error, got ") + got.toString(4)));
            QCOMPARE(got.toString(4), want.toString(4));
        } catch (const Exception &e) {
            QVERIFY2(!number, qPrintable(QStringLiteral("unexpected error ") + e.message()));
            QCOMPARE(e.message(), expected);
        }
    }

    void isIntText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("number") << "12" << true;
        QTest::newRow("negative") << "-5" << true;
        QTest::newRow("minus one is not") << "-1" << false;
        QTest::newRow("letters") << "1a" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("too large") << "3000000000" << false;
    }
    void isIntText()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(IsIntText(text), expected);
    }

    void leftStrBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three double-byte, 5") << "家計簿です" << 5 << "家計";
        QTest::newRow("exact fit") << "家計簿" << 6 << "家計簿";
        QTest::newRow("mixed") << "a家b" << 3 << "a家";
        QTest::newRow("half-width kana is one byte") << "ｶﾅ家" << 3 << "ｶﾅ";
        QTest::newRow("zero") << "abc" << 0 << "";
        QTest::newRow("longer than text") << "ab" << 10 << "ab";
    }
    void leftStrBytes()
    {
        QFETCH(QString, text);
        QFETCH(int, n);
        QFETCH(QString, expected);
        QCOMPARE(LeftStrBytes(text, n), expected);
    }

    void likeOperands_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("startsWith");
        QTest::addColumn<QString>("contains");
        QTest::newRow("plain") << "abc" << "\"abc%\"" << "\"%abc%\"";
        QTest::newRow("percent") << "10%" << "\"10^%%\" ESCAPE \"^\"" << "\"%10^%%\" ESCAPE \"^\"";
        QTest::newRow("underscore") << "a_b" << "\"a^_b%\" ESCAPE \"^\"" << "\"%a^_b%\" ESCAPE \"^\"";
        QTest::newRow("caret and percent") << "a^b%" << "\"a^^b^%%\" ESCAPE \"^\"" << "\"%a^^b^%%\" ESCAPE \"^\"";
        QTest::newRow("double quote") << "5\"" << "\"5\"\"%\"" << "\"%5\"\"%\"";
        QTest::newRow("japanese") << "食費" << "\"食費%\"" << "\"%食費%\"";
        QTest::newRow("empty") << "" << "\"%\"" << "\"%%\"";
    }
    void likeOperands()
    {
        QFETCH(QString, value);
        QFETCH(QString, startsWith);
        QFETCH(QString, contains);
        QCOMPARE(MakeLikeStartsWith(value), startsWith);
        QCOMPARE(MakeLikeContains(value), contains);
    }

    // The operands run in the book database and match the value as it stands,
    // wild-card characters included.
    void likeOperandsMatchLiterally_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<bool>("contains");
        QTest::newRow("percent literal") << "10%" << "10%引き" << true << true;
        QTest::newRow("percent is not a wild card") << "10%" << "105円" << false << false;
        QTest::newRow("underscore literal") << "a_b" << "xa_bc" << false << true;
        QTest::newRow("underscore is not a wild card") << "a_b" << "axb" << false << false;
        QTest::newRow("caret and percent") << "a^b%" << "a^b%z" << true << true;
        QTest::newRow("double quote") << "5\"" << "5\"x" << true << true;
    }
    void likeOperandsMatchLiterally()
    {
        QFETCH(QString, value);
        QFETCH(QString, name);
        QFETCH(bool, starts);
        QFETCH(bool, contains);
        TestEnv env;
        Database db;
        db.open(env.path(QStringLiteral("like.db")), QString(), true);
        Statement create(db, QStringLiteral("CREATE TABLE T (NAME TEXT)"));
        create.exec();
        Statement insert(db, QStringLiteral("INSERT INTO T VALUES (?)"));
        insert.bind(1, name);
        insert.exec();
        const auto count = [&](const QString &operand) {
            Statement q(db, LocalSql::translate(QStringLiteral("SELECT COUNT(*) FROM T WHERE NAME LIKE ") + operand));
            return q.next() && q.intValue(0) == 1;
        };
        QCOMPARE(count(MakeLikeStartsWith(value)), starts);
        QCOMPARE(count(MakeLikeContains(value)), contains);
    }

    void escapeRegExp_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dot and parentheses") << "a.b(1)" << "a\\.b\\(1\\)";
        QTest::newRow("every special") << "$()*+-.?[\\]^|" << "\\$\\(\\)\\*\\+\\-\\.\\?\\[\\\\\\]\\^\\|";
        QTest::newRow("double-byte untouched") << "ソ表｜" << "ソ表｜";
        QTest::newRow("plain") << "abc" << "abc";
    }
    void escapeRegExp()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(EscapeRegExp(text), expected);
    }

    void joinPath()
    {
        QCOMPARE(JoinPath(QStringLiteral("/a"), QStringLiteral("b")), QStringLiteral("/a/b"));
        QCOMPARE(JoinPath(QStringLiteral("/a/"), QStringLiteral("b")), QStringLiteral("/a/b"));
        QCOMPARE(JoinPath3(QStringLiteral("/a"), QStringLiteral("b"), QStringLiteral("c.txt")), QStringLiteral("/a/b/c.txt"));
    }

    void specialFolders()
    {
        TestEnv env;
        QCOMPARE(GetSpecialFolderPath(CSIDL_APPDATA), env.path(QStringLiteral("config")));
        QVERIFY(GetSpecialFolderPath(CSIDL_PERSONAL).startsWith(env.path(QStringLiteral("home"))));
        QVERIFY(GetSpecialFolderPath(12345).isEmpty());
        const QString temp = GetTempFolder();
        QVERIFY(temp.startsWith(env.path(QStringLiteral("tmp/pomuzenit-"))));
        QVERIFY(temp.endsWith(QLatin1Char('/')));
        QFileInfo info(temp);
        QVERIFY(info.isDir());
        QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), QFile::Permissions());
    }

    void tempFolderOfAnotherKindIsNotUsed()
    {
        TestEnv env;
        // Something that is not our private folder sits where ours would go.
        const QString squatter = env.path(QStringLiteral("tmp/pomuzenit-%1").arg(::geteuid()));
        writeFile(squatter, "someone else's");
        const QString temp = GetTempFolder();
        QVERIFY(!temp.isEmpty());
        QVERIFY(temp != squatter + QLatin1Char('/'));
        QVERIFY(QFileInfo(temp).isDir());
    }

    // The folder write test. Tests run as root here, where permission bits stop
    // nothing; the failing cases therefore use things that stop root too: a folder
    // to be made under a regular file, an old test file that cannot be deleted (a
    // non-empty folder of that name), and /proc, which takes no new files. Plain
    // read-only permissions are tried as well when not running as root.
    void checkFolderWritable_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("message");
        QTest::newRow("existing writable") << "existing" << true << "";
        QTest::newRow("missing, creatable") << "missing" << true << "";
        QTest::newRow("old test file replaced") << "oldfile" << true << "";
        QTest::newRow("missing under a regular file") << "underfile" << false << "指定されたフォルダは作成できません。";
        QTest::newRow("a file, not a folder") << "isfile" << false << "指定されたフォルダは使用できません。";
        QTest::newRow("old test file cannot go") << "stuck" << false << "指定されたフォルダは使用できません。";
        QTest::newRow("proc takes no files") << "proc" << false << "指定されたフォルダは使用できません。";
        QTest::newRow("read-only folder") << "readonly" << false << "指定されたフォルダは使用できません。";
    }
    void checkFolderWritable()
    {
        QFETCH(QString, setup);
        QFETCH(bool, expected);
        QFETCH(QString, message);
        TestEnv env;
        QString folder = env.path(QStringLiteral("books"));
        if (setup == QLatin1String("existing")) {
            QVERIFY(QDir().mkpath(folder));
        } else if (setup == QLatin1String("missing")) {
            folder = env.path(QStringLiteral("a/b/c"));
        } else if (setup == QLatin1String("oldfile")) {
            writeFile(folder + QStringLiteral("/Writetest.Txt"), "old");
        } else if (setup == QLatin1String("underfile")) {
            writeFile(env.path(QStringLiteral("plain")), "x");
            folder = env.path(QStringLiteral("plain/books"));
        } else if (setup == QLatin1String("isfile")) {
            writeFile(folder, "x");
        } else if (setup == QLatin1String("stuck")) {
            writeFile(folder + QStringLiteral("/Writetest.Txt/inside"), "x");
        } else if (setup == QLatin1String("proc")) {
            if (!QFileInfo(QStringLiteral("/proc/self")).exists())
                QSKIP("no /proc here");
            folder = QStringLiteral("/proc");
        } else if (setup == QLatin1String("readonly")) {
            if (::geteuid() == 0)
                QSKIP("root writes into read-only folders; the cases above stand in");
            QVERIFY(QDir().mkpath(folder));
            QFile(folder).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        DialogQueue dialogs;
        if (!expected)
            dialogs.answer(mrOk, message);
        QCOMPARE(CheckFolderWritable(folder), expected);
        QVERIFY(dialogs.done());
        if (expected) {
            QVERIFY(QFileInfo(folder).isDir());
            QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Writetest.Txt")));
        }
        if (setup == QLatin1String("readonly"))
            QFile(folder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void shellCopyAndDelete()
    {
        TestEnv env;
        const QString src = env.path(QStringLiteral("book"));
        writeFile(src + QStringLiteral("/Master.db"), "m");
        writeFile(src + QStringLiteral("/PomuZenitData.ini"), "[S]\n");
        writeFile(src + QStringLiteral("/sub/x.txt"), "x");
        // "folder/*.*" copies everything into a new folder.
        const QString copy = env.path(QStringLiteral("copy"));
        QVERIFY(ShellCopyFiles(src + QStringLiteral("/*.*"), copy));
        QVERIFY(QFileInfo::exists(copy + QStringLiteral("/Master.db")));
        QVERIFY(QFileInfo::exists(copy + QStringLiteral("/sub/x.txt")));
        // Copying again replaces files.
        writeFile(src + QStringLiteral("/Master.db"), "new");
        QVERIFY(ShellCopyFiles(src + QStringLiteral("/*.*"), copy));
        QFile m(copy + QStringLiteral("/Master.db"));
        QVERIFY(m.open(QIODevice::ReadOnly));
        QCOMPARE(m.readAll(), QByteArray("new"));
        // A missing source or nothing to match fails.
        QVERIFY(!ShellCopyFiles(env.path(QStringLiteral("nothing")), copy));
        QVERIFY(!ShellCopyFiles(env.path(QStringLiteral("empty/*.*")), copy));
        // A folder into an existing folder lands inside it.
        QVERIFY(ShellCopyFiles(src, copy));
        QVERIFY(QFileInfo::exists(copy + QStringLiteral("/book/sub/x.txt")));
        QVERIFY(ShellDeleteFiles(copy, true));
        QVERIFY(!QFileInfo::exists(copy));
        QVERIFY(ShellDeleteFiles(copy, true)); // already gone
    }

    void paradoxLockFiles()
    {
        TestEnv env;
        const QString folder = env.path(QStringLiteral("book"));
        for (const char *name : {"Pdoxusrs.net", "PDOXUSRS.LCK", "PARADOX.LCK", "Master.db"})
            writeFile(folder + QLatin1Char('/') + QLatin1String(name), "x");
        DeleteParadoxLockFiles(folder);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("Master.db")});
    }

    void shiftColorLuminance()
    {
        const QColor base(0x40, 0x80, 0xC0);
        const QColor lighter = ShiftColorLuminance(base, 30);
        QVERIFY(lighter.lightness() > base.lightness());
        QVERIFY(qAbs(lighter.hslHue() - base.hslHue()) <= 2);
        QCOMPARE(ShiftColorLuminance(base, 30), lighter); // remembered answer
        QVERIFY(ShiftColorLuminance(base, -30).lightness() < base.lightness());
        QCOMPARE(ShiftColorLuminance(QColor(Qt::white), 50), QColor(Qt::white));
        QCOMPARE(ShiftColorLuminance(QColor(Qt::black), 0), QColor(Qt::black));
        // Colours with a channel at 0 or 1 stay well-formed.
        const QColor red = ShiftColorLuminance(QColor(0xFF, 0, 1), 20);
        QVERIFY(red.isValid() && red.red() == 255 && red.green() > 0);
        const QColor face = QGuiApplication::palette().color(QPalette::Button);
        QCOMPARE(ShiftColorLuminance(face, 19), QGuiApplication::palette().color(QPalette::Light));
    }

    void colourTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QColor>("color");
        QTest::newRow("name") << "clRed" << true << QColor(255, 0, 0);
        QTest::newRow("name any case") << "CLBLUE" << true << QColor(0, 0, 255);
        QTest::newRow("bgr hex") << "$00563412" << true << QColor(0x12, 0x34, 0x56);
        QTest::newRow("decimal") << "255" << true << QColor(255, 0, 0);
        QTest::newRow("garbage") << "reddish" << false << QColor(Qt::black);
        QTest::newRow("empty") << "" << false << QColor(Qt::black);
    }
    void colourTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QColor, color);
        bool good = !ok;
        QCOMPARE(StringToColor(text, &good), color);
        QCOMPARE(good, ok);
        if (ok)
            QCOMPARE(StringToColor(ColorToString(color)), color);
    }

    void menuItems()
    {
        QAction separator;
        separator.setSeparator(true);
        QAction item(QStringLiteral("削除(&D)"));
        int height = 20;
        MeasureMenuItem(&separator, height, 1.5);
        QCOMPARE(height, 3);
        height = 20;
        MeasureMenuItem(&item, height, 1.25);
        QCOMPARE(height, 25);

        const QRect rect(0, 0, 120, 20);
        const QColor selectedColor(0xC0, 0xE0, 0xFF), normalColor(Qt::white);
        const auto paint = [&](const QAction *a, bool selected) {
            QImage image(rect.size(), QImage::Format_RGB32);
            image.fill(Qt::red);
            QPainter painter(&image);
            DrawMenuItem(painter, a, rect, selected, selectedColor, normalColor);
            return image;
        };
        const auto hasColour = [](const QImage &image, const QColor &c) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) == c)
                        return true;
            return false;
        };
        QImage selected = paint(&item, true);
        QCOMPARE(selected.pixelColor(60, 3), selectedColor);
        QVERIFY(hasColour(selected, QColor(Qt::blue)));   // the caption of a selected item
        QImage normal = paint(&item, false);
        QCOMPARE(normal.pixelColor(60, 3), normalColor);
        QVERIFY(!hasColour(normal, QColor(Qt::blue)));
        QVERIFY(hasColour(normal, QColor(Qt::black)));
        item.setEnabled(false);
        QCOMPARE(paint(&item, true).pixelColor(60, 3), normalColor); // disabled is never highlighted
        QImage sep = paint(&separator, false);
        QCOMPARE(sep.pixelColor(60, 3), normalColor);
        QVERIFY(sep.pixelColor(60, 9) != normalColor);  // the etched line in the middle
    }

    void monthAndYearCombos()
    {
        QComboBox combo;
        FillMonthCombo(&combo, 3, 5);
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items << combo.itemText(i);
        QCOMPARE(items.join(QLatin1Char(',')), QStringLiteral("4,5,6,7,8,9,10,11,12,1,2,3"));
        QCOMPARE(combo.currentData().toInt(), 5);
        FillMonthCombo(&combo, 12, 1);
        QCOMPARE(combo.itemText(0), QStringLiteral("1"));
        const int year = QDate::currentDate().year();
        FillYearCombo(&combo, 2, 1, 0);
        QCOMPARE(combo.count(), 4);
        QCOMPARE(combo.itemText(0), QString::number(year - 2));
        QCOMPARE(combo.currentData().toInt(), year);
        combo.setEditable(true);
        FillYearCombo(&combo, 0, 0, 1999);
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.currentText(), QStringLiteral("1999"));
    }

    // The help context of a control is its own, else the nearest parent's up
    // to its window; none gives 0, no control -1.
    void helpContextWalk()
    {
        QWidget window;
        auto *panel = new QWidget(&window);
        auto *button = new QWidget(panel);
        QCOMPARE(HelpContextAt(nullptr), -1);
        QCOMPARE(HelpContextAt(button), 0);
        SetControlHelpContext(&window, 10058);
        QCOMPARE(HelpContextAt(button), 10058);
        SetControlHelpContext(panel, 10065);
        QCOMPARE(HelpContextAt(button), 10065);
        SetControlHelpContext(button, 10073);
        QCOMPARE(HelpContextAt(button), 10073);
        // A tool window does not take its owner's context.
        QWidget tool(&window, Qt::Tool);
        QCOMPARE(HelpContextAt(&tool), 0);
    }
};

QTEST_MAIN(TestUtils)
#include "tst_utils.moc"
