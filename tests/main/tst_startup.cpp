#include <cstdio>

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

#include "DialogQueue.h"
#include "TestEnv.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/FormCalender.h"
#include "data/FormatSettings.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/SchemaUpgrade.h"
#include "main/MainForm.h"
#include "main/Startup.h"
#include "management/PasswordDlg.h"
#include "platform/system/SingleInstance.h"
#include "platform/ui/Application.h"

// Start-up: one running copy per user (a second start raises the first copy's
// window and ends), and the run-wide settings made before the main window.
//
// The two-process cases start this test program again in "--instance" mode,
// where it runs the program's own start-up and reports on stdout what happens.
class TestStartup : public QObject
{
    Q_OBJECT

    static QStringList instanceArgs(bool minimized)
    {
        QStringList args{QStringLiteral("--instance")};
        if (minimized)
            args << QStringLiteral("--minimized");
        return args;
    }
    static bool waitForLine(QProcess &p, const QByteArray &line, QByteArray &seen)
    {
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (seen.contains(line))
                return true;
            if (p.state() == QProcess::NotRunning && !p.waitForReadyRead(0))
                return seen.contains(line);
            p.waitForReadyRead(200);
            seen += p.readAllStandardOutput();
        }
        return seen.contains(line);
    }
    static void startSelf(QProcess &p, const QStringList &args)
    {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), args);
    }

private slots:
    void secondStartRaisesFirstAndEnds()
    {
        TestEnv env;
        QProcess first;
        QByteArray firstOut;
        startSelf(first, instanceArgs(true));
        QVERIFY2(waitForLine(first, "ready minimized=1", firstOut), firstOut.constData());

        QProcess second;
        QByteArray secondOut;
        startSelf(second, instanceArgs(false));
        QVERIFY(second.waitForFinished(20000));
        secondOut = second.readAllStandardOutput();
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(secondOut.contains("second copy"), secondOut.constData());
        QVERIFY2(!secondOut.contains("ready"), secondOut.constData()); // it made no window

        // The first copy came to the front, restored from minimised, and runs on.
        QVERIFY2(waitForLine(first, "raised minimized=0 visible=1", firstOut), firstOut.constData());
        QCOMPARE(first.state(), QProcess::Running);

        // A copy that died without letting go does not block the next start.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QProcess third;
        QByteArray thirdOut;
        startSelf(third, instanceArgs(false));
        QVERIFY2(waitForLine(third, "ready", thirdOut), thirdOut.constData());
        third.kill();
        third.waitForFinished(10000);
    }

    void realProgramStartsOnce()
    {
        const QString exe = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src/pomuzenit"));
        if (!QFileInfo(exe).isExecutable())
            QSKIP("the pomuzenit executable is not built in this tree");
        TestEnv env;
        QProcess first;
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(exe, {});
        QVERIFY(first.waitForStarted(10000));
        // The first copy holds the lock once it listens; wait for its socket.
        SingleInstance probe(Startup::mutexName());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QDir::tempPath() + QLatin1Char('/') + probe.serverName()), 20000);
        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(exe, {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished(10000);
    }

    void requestDuringStartUpIsDropped()
    {
        TestEnv env;
        Startup startup;
        QVERIFY(startup.claimInstance());
        QSignalSpy raised(&startup, &Startup::mainWindowRaised);
        // Another start before the main window exists: nothing to raise.
        {
            SingleInstance later(Startup::mutexName());
            QVERIFY(!later.acquire());
        }
        QTest::qWait(50);
        QCOMPARE(raised.count(), 0);

        startup.prepareApplication();
        startup.createModules();
        TMainForm *window = startup.mainForm();
        window->showMinimized();
        {
            SingleInstance later(Startup::mutexName());
            QVERIFY(!later.acquire());
        }
        QTRY_COMPARE(raised.count(), 1);
        QVERIFY(!window->isMinimized());
        QVERIFY(window->isVisible());
    }

    void runWideSettingsAndModules()
    {
        TestEnv env;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Startup startup;
        startup.prepareApplication();
        QCOMPARE(Formats().shortDateFormat, QStringLiteral("yy/MM/dd"));
        QCOMPARE(Formats().twoDigitYearWindow, 50);
        QCOMPARE(Formats().currencyDecimals, 0);
        QVERIFY(Formats().currencyString.isEmpty());
        QCOMPARE(DateToStr(QDate(2026, 1, 2)), QStringLiteral("26/01/02"));
        // No display name: the platform would add it to every window's title.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("PomuZenit"));
        startup.createModules();
        // The data module first (it opens the per-user store), the query module
        // on its database, then the main window.
        QVERIFY(DatMod);
        QVERIFY(RegIni);
        QCOMPARE(RegIni->fileName(), env.path(QStringLiteral("config/Kirafu/PomuZenit.ini")));
        QVERIFY(DatModSql);
        QCOMPARE(&DatModSql->database(), &DatMod->MainDatabase);
        QVERIFY(MainForm);
        QCOMPARE(MainForm, startup.mainForm());
        QCOMPARE(MainForm->objectName(), QStringLiteral("TMainForm"));
        QVERIFY(MainForm->windowTitle().contains(QStringLiteral("ぽむぬろ君v3")));
    }

    // Every hook of the data module that the program answers is put in place
    // by the program's own start-up; nothing here installs one. The calendar's
    // save then marks the book changed and flushes the module's tables.
    void startUpInstallsTheDataModuleHooks()
    {
        TestEnv env;
        TFormCalender::OnDataSaved = nullptr;
        Startup startup;
        startup.prepareApplication();
        startup.createModules();
        QVERIFY(DatMod->OnStartFirstBook);
        QVERIFY(DatMod->OnChooseBook);
        QVERIFY(DatMod->OnCaptionText);
        QVERIFY(DatMod->OnShowBook);
        QVERIFY(DatMod->OnBookLost);
        QVERIFY(TFormCalender::OnDataSaved);
        // Opening a book brings an older level up to date.
        using UpgradeRoutine = void (*)(Database &, const QString &);
        QVERIFY(DatMod->OnUpgradeSchema.target<UpgradeRoutine>());
        QVERIFY(*DatMod->OnUpgradeSchema.target<UpgradeRoutine>() == &UpgradeBookSchema);
        // The data password is asked in the masked dialog, not the plain input box.
        QVERIFY(DatMod->OnAskPassword);
        {
            bool masked = false;
            QTimer::singleShot(0, [&masked] {
                if (PasswordDlg) {
                    masked = PasswordDlg->EditPassword->echoMode() == QLineEdit::Password
                        && PasswordDlg->EditPassword->maxLength() == 8;
                    PasswordDlg->reject();
                }
            });
            QString typed;
            QVERIFY(!DatMod->OnAskPassword(QStringLiteral("パスワードの入力 :"), typed));
            QVERIFY(masked);
        }

        const QString folder = env.path(QStringLiteral("place/家計簿"));
        QDir().mkpath(folder);
        QVERIFY(CreateBookFromTemplate(folder));
        RegisterBook(QStringLiteral("家計簿"), folder, true);
        DialogQueue dialogs;
        QString f = folder;
        QVERIFY(DatMod->OpenBook(QStringLiteral("家計簿"), f));
        // Held in the book's settings, not yet written: only a flush writes it.
        DataIni->writeString(QStringLiteral("Check"), QStringLiteral("Flushed"), QStringLiteral("yes"));
        {
            TFormCalender calendar(DatMod->MainDatabase);
            calendar.ShowYear = 2026;
            calendar.show();
            calendar.InsertRow();
            const int row = calendar.DateListModel->rowCount() - 1;
            QVERIFY(calendar.DateListModel->setData(calendar.DateListModel->index(row, 0), QStringLiteral("26/06/01")));
            QVERIFY(calendar.DateListModel->setData(calendar.DateListModel->index(row, 2), QStringLiteral("創立記念")));
            calendar.Save();
            QCOMPARE(calendar.changeCount(), 0);
            calendar.accept();
        }
        QCOMPARE(MemIniFile(TMyMemIniFile::fileIn(folder))
                     .readString(QStringLiteral("Check"), QStringLiteral("Flushed"), QString()),
                 QStringLiteral("yes"));
        QVERIFY(!DatMod->DataChanged);
        QVERIFY(DatMod->DataOpen);
        QCOMPARE(DatMod->MainDatabase.scalar(QStringLiteral("SELECT COUNT(*) FROM DateList WHERE NAME = '創立記念'"))
                     .toInt(),
                 1);
        DatMod->CloseAndBackUp(false);
        QVERIFY(dialogs.done());
    }

    void modulesFreedInReverseOrder()
    {
        TestEnv env;
        {
            Startup startup;
            startup.prepareApplication();
            startup.createModules();
        }
        QVERIFY(!MainForm);
        QVERIFY(!DatModSql);
        QVERIFY(!DatMod);
        QVERIFY(!RegIni);
    }
};

// "--instance [--minimized]": run the program's start-up and report.
static int runInstance(int argc, char **argv)
{
    Application app(argc, argv);
    const bool minimized = app.arguments().contains(QStringLiteral("--minimized"));
    Startup startup;
    if (!startup.claimInstance()) {
        std::printf("second copy\n");
        std::fflush(stdout);
        return 0;
    }
    startup.prepareApplication();
    startup.createModules();
    QObject::connect(&startup, &Startup::mainWindowRaised, [&startup] {
        std::printf("raised minimized=%d visible=%d\n", int(startup.mainForm()->isMinimized()),
                    int(startup.mainForm()->isVisible()));
        std::fflush(stdout);
    });
    QTimer::singleShot(0, &startup, [&startup, minimized] {
        if (minimized)
            startup.mainForm()->showMinimized();
        std::printf("ready minimized=%d\n", int(startup.mainForm()->isMinimized()));
        std::fflush(stdout);
    });
    return startup.run();
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--instance") == 0)
        return runInstance(argc, argv);
    Application app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
